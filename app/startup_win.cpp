#include "app/startup.h"

#include <windows.h>

#include <optional>

#include "app/autosave_win.h"
#include "app/command_line.h"
#include "app/instance_win.h"
#include "app/leftover_files_win.h"
#include "app/shutdown.h"
#include "app/window_callback_win.h"
#include "core/app_state.h"
#include "core/texts.h"
#include "exchange/board_format.h"
#include "exchange/board_import.h"
#include "exchange/image/images_win.h"
#include "settings/association.h"
#include "settings/prefs_win.h"
#include "store/collection_win.h"
#include "store/stored_items_win.h"
#include "store/thumbnail_win.h"
#include "ui/layer/drawing_win.h"
#include "ui/layer/requesters.h"
#include "ui/layer/windows_win.h"
#include "ui/main_window_win.h"

namespace {

constexpr DWORD kInitialHeapSize = 4000;

void ReadFolders(const std::string& arguments) {
  char buffer[1024] = {};
  const DWORD tempLength = GetTempPathA(sizeof buffer, buffer);
  App.TempDir.assign(buffer, tempLength < sizeof buffer ? tempLength : 0);
  const DWORD moduleLength = GetModuleFileNameA(nullptr, buffer, 1000);
  std::string module(buffer, moduleLength < 1000 ? moduleLength : 0);
  App.AppDir = module.substr(0, module.rfind('\\') + 1);
  App.ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
  App.ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
  Collection.HighlightedIndex = -1;
  App.CommandLineBoard = FirstParameter(arguments);
}

// A path the atom table cannot hold may still fit in its short form.
std::string AtomSizedPath(const std::string& path) {
  if (path.size() <= MaxAtomNameLength) return path;
  char shortPath[MAX_PATH] = {};
  const DWORD length = GetShortPathNameA(path.c_str(), shortPath, sizeof shortPath);
  if (length > 0 && length < sizeof shortPath) return std::string(shortPath, length);
  return path;
}

// A second start hands its board to the running instance and ends without touching any file.
[[noreturn]] void RunSecondInstance() {
  const std::string board = AtomSizedPath(App.CommandLineBoard);
  HWND running = FindWindowA(nullptr, "KepSil!");
  switch (SecondInstanceHandOff(board)) {
    case HandOff::SendBoard:
      if (const ATOM atom = GlobalAddAtomA(board.c_str())) {
        if (running) {
          SendMessageA(running, MessageBoardHandOff, atom, 0);
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
  const DWORD attributes = GetFileAttributesA(WorkingDirectory().c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Imports the board named on the command line; false when it was not read (the import says so).
bool ImportStartBoard() { return ImportBoard(App.CommandLineBoard) == BoardImport::Imported; }

void FirstRun() {
  CreateDirectoryA("Clipboard", nullptr);
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
  SetCurrentDirectoryA(App.AppDir.c_str());

  // The last error is cleared first so that only this call's answer is read.
  SetLastError(0);
  Instance.Mutex = CreateMutexA(nullptr, TRUE, "kepsil");
  const DWORD mutexError = GetLastError();
  if (!Instance.Mutex || mutexError != 0) RunSecondInstance();

  MakeThumbnailLook();
  FillTexts(Texts, GetUserDefaultLCID());
  Collection.Items.Clear();
  OnItemsChanged(NoteItemsChanged);
  OnWorkingFolderEmptied(NoteWorkingFolderEmptied);

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
}
