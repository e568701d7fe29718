// The system clipboard as another program uses it, and the files of a working directory.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Puts a text (CF_TEXT) on the clipboard; false when the clipboard could not be taken.
bool PutClipboardText(const std::string& text);
// Puts a text on the clipboard as a program with a window does, so that the clipboard's owner is
// this process, and keeps the window (answering its messages) for holdMs, so that a watcher can
// ask who copied it.
bool PutOwnedClipboardText(const std::string& text, DWORD holdMs);
// Puts a UTF-8 text on the clipboard as a Unicode program does: CF_UNICODETEXT, and CF_TEXT in the
// system's code page beside it.
bool PutClipboardUnicodeText(const std::string& utf8);
// A display-format bitmap of width x height filled with one colour; nullptr when it cannot be made.
HBITMAP OneColourBitmap(int width, int height, COLORREF colour);
// Puts a bitmap of width x height filled with one colour (CF_BITMAP) on the clipboard.
bool PutClipboardBitmap(int width, int height, unsigned long colour);
// The clipboard's CF_TEXT content, "" when there is none.
std::string ClipboardText();
bool ClipboardHasBitmap();

// Paths are UTF-8.
bool ReadFileContents(const std::string& path, std::vector<unsigned char>& bytes);
bool WriteFileContents(const std::string& path, const std::vector<unsigned char>& bytes);
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Names of the files (not folders) in a folder, sorted.
std::vector<std::string> FilesIn(const std::string& folder);

// Opens the clipboard for `owner` (none by default), retrying for up to ten seconds while another
// program holds it; closes it on every path.
class ClipboardGuard {
 public:
  explicit ClipboardGuard(HWND owner = nullptr) {
    for (int attempt = 0; attempt < 1000 && !open_; ++attempt) {
      open_ = OpenClipboard(owner) != 0;
      if (!open_) Sleep(10);
    }
  }
  ~ClipboardGuard() {
    if (open_) CloseClipboard();
  }
  ClipboardGuard(const ClipboardGuard&) = delete;
  ClipboardGuard& operator=(const ClipboardGuard&) = delete;
  bool Open() const { return open_; }

 private:
  bool open_ = false;
};
