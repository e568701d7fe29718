#include "app/startup.h"

#include <windows.h>

#include <optional>

#include "app/autosave_win.h"
#include "app/command_line.h"
#include "app/data_folder_win.h"
#include "app/instance_win.h"
#include "app/leftover_files_win.h"
#include "app/shutdown.h"
#include "app/window_callback_win.h"
#include "core/app_state.h"
#include "core/code_page_win.h"
#include "core/unicode_text.h"
#include "core/texts.h"
#include "exchange/board_format.h"
#include "exchange/board_import.h"
#include "exchange/image/images_win.h"
#include "settings/association.h"
#include "settings/prefs_win.h"
#include "store/clipboard_reader_win.h"
#include "store/collection_win.h"
#include "store/ignored_programs_win.h"
#include "store/stored_items_win.h"
#include "store/thumbnail_win.h"
#include "ui/layer/drawing_win.h"
#include "ui/layer/requesters.h"
#include "ui/layer/windows_win.h"
#include "ui/main_window_win.h"

namespace {

constexpr DWORD kInitialHeapSize = 4000;

// The executable's full path, however long.
std::string ModulePath() {
  std::wstring module(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
    if (length == 0) return {};
    if (length < module.size()) return Utf8(std::wstring_view(module.data(), length));
    if (module.size() >= 32768) return {};
    module.resize(module.size() * 2);
  }
}

void ReadFolders(const std::string& arguments) {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD tempLength = GetTempPathW(MAX_PATH + 1, buffer);
  App.TempDir = Utf8(std::wstring_view(buffer, tempLength <= MAX_PATH ? tempLength : 0));
  App.ProgramPath = ModulePath();
  // A backslash in UTF-8 is always the separator: no other character's bytes hold 0x5C.
  App.AppDir = App.ProgramPath.substr(0, App.ProgramPath.rfind('\\') + 1);
  App.ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
  App.ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
  Collection.HighlightedIndex = -1;
  App.CommandLineBoard = FirstParameter(arguments);
}

// A path the atom table cannot hold may still fit in its short form.
std::string AtomSizedPath(const std::string& path) {
  if (Utf16Length(path) <= MaxAtomNameLength) return path;
  wchar_t shortPath[MAX_PATH] = {};
  const DWORD length = GetShortPathNameW(Wide(path).c_str(), shortPath, MAX_PATH);
  if (length > 0 && length < MAX_PATH) return Utf8(std::wstring_view(shortPath, length));
  return path;
}

// A second start hands its board to the running instance and ends without touching any file.
[[noreturn]] void RunSecondInstance() {
  const std::string board = AtomSizedPath(App.CommandLineBoard);
  HWND running = FindWindowW(nullptr, L"KepSil!");
  switch (SecondInstanceHandOff(board)) {
    case HandOff::SendBoard:
      // Atoms are Unicode inside: a path in any script arrives intact, and an instance that
      // reads the atom in ANSI still gets what its code page can hold.
      if (const ATOM atom = GlobalAddAtomW(Wide(board).c_str())) {
        if (running) {
          SendMessageW(running, MessageBoardHandOff, atom, 0);
        } else {
          GlobalDeleteAtom(atom);  // nobody will read it
        }
      }
      break;
    case HandOff::ShowOnly:
      // The board cannot be named to the running instance; the user at least sees the program.
      if (running) {
        ShowWindow(running, SW_SHOWNORMAL);
        SetForegroundWindow(running);
      }
      break;
    case HandOff::None: break;
  }
  if (Instance.Mutex) CloseHandle(Instance.Mutex);
  EndProcess();
}

// Asked of the folder itself: a search inside it would have the system read a folder of thousands
// of item files first.
bool WorkingDirectoryExists() {
  const DWORD attributes = GetFileAttributesW(Wide(WorkingDirectory()).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Imports the board named on the command line; false when it was not read (the import says so).
bool ImportStartBoard() { return ImportBoard(App.CommandLineBoard) == BoardImport::Imported; }

void FirstRun() {
  CreateDirectoryW(Wide(WorkingDirectory()).c_str(), nullptr);
  LoadPreferences(MainWindowFrameSize());
  BuildMainWindow();
  KeepColumnWidth();
  const MessageText question = SplitMessageText(Text(37));
  if (ShowMessage(question.title, question.message, MB_YESNO) == IDYES) RegisterBoardAssociation();
  if (!App.CommandLineBoard.empty()) ImportStartBoard();
}

void LaterRun() {
  // Only this instance writes here from now on: what a crash left half-written can go.
  RemoveLeftoverTemporaries(WorkingDirectory());
  // An import cut short left its staged files: one staged whole is finished, anything less goes.
  FinishOrRemoveImportStaging();
  // The stored items' thumbnails are read on helper threads while the window is built.
  std::optional<StoredItemsReading> reading;
  if (App.CommandLineBoard.empty()) reading.emplace();
  LoadPreferences(MainWindowFrameSize());
  BuildMainWindow();
  if (!App.CommandLineBoard.empty()) {
    // A board that is refused leaves the stored items as they were: they are loaded instead.
    if (!ImportStartBoard()) LoadStoredItems();
  } else {
    LoadStoredItems(*reading);
  }
}

}  // namespace

void StartUp(const std::string& arguments) {
  Instance.Heap = HeapCreate(0, kInitialHeapSize, 0);
  InitWindowLayer();
  InitImageServices();
  ReadFolders(arguments);
  SetCurrentDirectoryW(Wide(App.AppDir).c_str());

  // The last error is cleared first so that only this call's answer is read.
  SetLastError(0);
  Instance.Mutex = CreateMutexW(nullptr, TRUE, L"kepsil");
  const DWORD mutexError = GetLastError();
  if (!Instance.Mutex || mutexError != 0) RunSecondInstance();
  // Only the first instance looks at folders: a second one touches no file.
  App.DataDir = ChooseDataFolder(App.AppDir);

  MakeThumbnailLook();
  FillTexts(Texts, GetUserDefaultLCID());
  Collection.Items.Clear();
  OnItemsChanged(NoteItemsChanged);
  // The ignored programs are the user's choice, like the settings: an emptied folder gets them back.
  LoadIgnoredPrograms();
  OnWorkingFolderEmptied([] {
    NoteWorkingFolderEmptied();
    SaveIgnoredPrograms();
  });

  if (!App.CommandLineBoard.empty() &&
      (!HasBoardExtension(App.CommandLineBoard) || !IsBoardFile(App.CommandLineBoard))) {
    App.CommandLineBoard.clear();
  }
  if (WorkingDirectoryExists()) {
    LaterRun();
  } else {
    FirstRun();
  }
  SetWindowHook(WindowCallback);
  StartClipboardReader(MainWindowHandle());
}
