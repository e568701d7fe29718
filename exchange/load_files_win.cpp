#include "exchange/load_files_win.h"

#include <algorithm>
#include <vector>

#include "core/texts.h"
#include "core/code_page_win.h"
#include "core/file_bytes.h"
#include "core/unicode_text.h"
#include "exchange/board_format.h"
#include "exchange/file_names.h"
#include "exchange/image/images_win.h"
#include "settings/settings.h"
#include "store/capture_win.h"
#include "ui/layer/requesters.h"
#include "ui/layer/windows_win.h"

namespace {

// SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE
constexpr UINT kKeepPlace = 0x1B;

std::string LoadPatterns() {
  return "Bitmap (*.bmp)|*.bmp|JPEG (*.jpg)|*.jpg|PNG (*.png)|*.png|TEXT (*.txt)|*.txt|" + Text(35) + " (*.*)|*.*";
}

void ShowSizeMessage(const std::string& path, SizeMessage how) {
  HWND main = MainWindowHandle();
  if (how == SizeMessage::BelowMainWindow) SetWindowPos(main, HWND_NOTOPMOST, 0, 0, 0, 0, kKeepPlace);
  ShowMessage(TextField(Text(36), 1), FilePart(path) + TextField(Text(36), 2), 0);
  if (how == SizeMessage::BelowMainWindow) SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, kKeepPlace);
}

void AddPictureFile(const std::string& path) {
  // A file that cannot be decoded gives no picture, and so no item.
  if (const int image = LoadImageFile(path)) CaptureEntry(image, nullptr);
}

void AddTextFile(const std::string& path, SizeMessage how) {
  std::vector<unsigned char> bytes;
  const FileRead read = ReadWholeFile(path, bytes, MaxTextFileBytes);
  if (read == FileRead::TooLarge) {
    ShowSizeMessage(path, how);
    return;
  }
  if (read != FileRead::Ok) return;
  CopiedText text;
  std::u16string unicode;
  if (DetectTextFile(bytes, unicode) == TextFileEncoding::Ansi) {
    // The text ends at the first zero byte, as a zero-terminated string would.
    text.ansi.assign(bytes.begin(), bytes.end());
    text.ansi.resize(std::min(text.ansi.size(), text.ansi.find('\0')));
    text.unicode = KeptUnicode(text.ansi, AnsiToWide(text.ansi));
  } else {
    std::wstring wide(unicode.begin(), unicode.end());
    wide.resize(std::min(wide.size(), wide.find(L'\0')));
    text.ansi = WideToAnsi(wide);
    text.unicode = KeptUnicode(text.ansi, std::move(wide));
  }
  if (text.ansi.empty()) return;
  CaptureLoadedText(text);
}

}  // namespace

void AddFileAsItem(const std::string& path, const std::string& extension, SizeMessage sizeMessage) {
  if (IsPictureExtension(extension)) {
    AddPictureFile(path);
  } else {
    AddTextFile(path, sizeMessage);
  }
}

void LoadFilesAsItems() {
  std::string name = AskOpenFile(Texts.LanguageGerman ? "Bilder oder Texte laden" : "Load images or texts",
                                 Settings.LastLoadDir, LoadPatterns(), 0, true);
  while (!name.empty()) {
    Settings.LastLoadDir = FolderPart(name);
    AddFileAsItem(name, ChosenFileExtension(name));
    name = NextChosenFile();
  }
}

std::string DroppedFileName(HDROP drop, UINT index) {
  const UINT length = DragQueryFileW(drop, index, nullptr, 0);
  std::wstring name(length, L'\0');
  if (length > 0) {
    const UINT copied = DragQueryFileW(drop, index, name.data(), length + 1);
    name.resize(copied < length ? copied : length);
  }
  return Utf8(name);
}

std::string HandleDroppedFiles(HDROP drop) {
  std::string board;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT index = 0; index < count; ++index) {
    const std::string name = DroppedFileName(drop, index);
    const std::string extension = DroppedFileExtension(name);
    if (extension == "ksb") {
      // The main loop imports it once this message has been handled; of several, the last wins.
      if (IsBoardFile(name) == 1) board = name;
    } else if (!name.empty()) {
      AddFileAsItem(name, extension, SizeMessage::BelowMainWindow);
    }
  }
  DragFinish(drop);
  SetForegroundWindow(MainWindowHandle());
  return board;
}
