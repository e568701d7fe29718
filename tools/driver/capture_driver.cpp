#include "tools/driver/capture_driver.h"

#include <cstring>

#include "core/code_page_win.h"
#include "exchange/image/image_codecs.h"
#include "tools/driver/clipboard_driver.h"
#include "tools/driver/window_driver.h"

namespace {

HGLOBAL TextMemory(const std::string& text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (!memory) return nullptr;
  char* bytes = static_cast<char*>(GlobalLock(memory));
  std::memcpy(bytes, text.c_str(), text.size() + 1);
  GlobalUnlock(memory);
  return memory;
}

bool StartsWith(const std::string& path, const char* signature, size_t length) {
  std::vector<unsigned char> bytes;
  return ReadFileContents(path, bytes) && bytes.size() >= length && std::memcmp(bytes.data(), signature, length) == 0;
}

}  // namespace

bool PutClipboardBitmapAndText(int width, int height, COLORREF colour, const std::string& text) {
  HBITMAP bitmap = OneColourBitmap(width, height, colour);
  HGLOBAL memory = TextMemory(text);
  ClipboardGuard clipboard;
  bool ok = bitmap && memory && clipboard.Open() && EmptyClipboard();
  if (ok && SetClipboardData(CF_BITMAP, bitmap)) {
    bitmap = nullptr;
  } else {
    ok = false;
  }
  if (ok && SetClipboardData(CF_TEXT, memory)) {
    memory = nullptr;
  } else {
    ok = false;
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) GlobalFree(memory);
  return ok;
}

bool ClipboardTextBlock(std::vector<uint8_t>& bytes) {
  bytes.clear();
  ClipboardGuard clipboard;
  if (!clipboard.Open()) return false;
  HANDLE data = GetClipboardData(CF_TEXT);
  const auto* chars = data ? static_cast<const uint8_t*>(GlobalLock(data)) : nullptr;
  if (!chars) return false;
  bytes.assign(chars, chars + GlobalSize(data));
  GlobalUnlock(data);
  return true;
}

bool ClipboardBitmapSize(int& width, int& height) {
  ClipboardGuard clipboard;
  HANDLE data = clipboard.Open() ? GetClipboardData(CF_BITMAP) : nullptr;
  BITMAP info{};
  if (!data || !GetObjectA(data, sizeof info, &info)) return false;
  width = info.bmWidth;
  height = info.bmHeight;
  return true;
}

COLORREF ClipboardBitmapPixel(int x, int y) {
  ClipboardGuard clipboard;
  HANDLE data = clipboard.Open() ? GetClipboardData(CF_BITMAP) : nullptr;
  if (!data) return CLR_INVALID;
  HDC canvas = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(canvas, data);
  const COLORREF colour = GetPixel(canvas, x, y);
  SelectObject(canvas, old);
  DeleteDC(canvas);
  return colour;
}

bool ReadPngFile(const std::string& path, PixelImage& image) {
  std::vector<unsigned char> bytes;
  return ReadFileContents(path, bytes) && DecodePng(bytes.data(), bytes.size(), image) == DecodeStatus::Ok;
}

COLORREF PixelAt(const PixelImage& image, int x, int y) {
  if (x < 0 || y < 0 || x >= image.width || y >= image.height) return CLR_INVALID;
  const uint8_t* pixel = image.Row(y) + x * 3;
  return RGB(pixel[2], pixel[1], pixel[0]);
}

bool FileIsPng(const std::string& path) { return StartsWith(path, "\x89PNG\r\n\x1a\n", 8); }

bool FileIsBmp(const std::string& path) { return StartsWith(path, "BM", 2); }

void KeyDown(int virtualKey) {
  keybd_event(static_cast<BYTE>(virtualKey), static_cast<BYTE>(MapVirtualKeyA(virtualKey, 0)), 0, 0);
}

void KeyUp(int virtualKey) {
  keybd_event(static_cast<BYTE>(virtualKey), static_cast<BYTE>(MapVirtualKeyA(virtualKey, 0)), KEYEVENTF_KEYUP, 0);
}

HelperProgram::~HelperProgram() { End(); }

bool HelperProgram::Start(const std::string& commandLine) {
  End();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::wstring line = Wide(commandLine);
  return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_) != 0;
}

HWND HelperProgram::WaitForWindow(const std::string& className, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : ProcessWindows(info_.dwProcessId, true)) {
          if (className.empty() || WindowClass(window) == className) {
            found = window;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

void HelperProgram::End() {
  if (!info_.hProcess) return;
  if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(info_.hProcess, 0);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hProcess);
  CloseHandle(info_.hThread);
  info_ = PROCESS_INFORMATION{};
}

std::string WindowText(HWND window) {
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  // An ANSI control (a RichEdit20A) reports its length in characters, but a Unicode read through it
  // needs room for its bytes: twice as many on a double-byte code page.
  std::wstring text(static_cast<size_t>(length) * 2 + 1, L'\0');
  const LRESULT copied = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return Utf8(text);
}
