#include "tools/driver/clipboard_driver.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "core/code_page_win.h"

bool PutClipboardText(const std::string& text) {
  ClipboardGuard clipboard;
  if (!clipboard.Open()) return false;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (!memory) return false;
  {
    char* bytes = static_cast<char*>(GlobalLock(memory));
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
  }
  EmptyClipboard();
  if (!SetClipboardData(CF_TEXT, memory)) {
    GlobalFree(memory);
    return false;
  }
  return true;
}

bool PutOwnedClipboardText(const std::string& text, DWORD holdMs) {
  HWND owner = CreateWindowExW(0, L"STATIC", L"copying program", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (!owner) return false;
  bool placed = false;
  for (int attempt = 0; attempt < 1000 && !placed; ++attempt) {
    if (OpenClipboard(owner)) {
      HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
      if (memory) {
        std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        EmptyClipboard();
        placed = SetClipboardData(CF_TEXT, memory) != nullptr;
        if (!placed) GlobalFree(memory);
      }
      CloseClipboard();
      if (!memory) break;
    } else {
      Sleep(10);
    }
  }
  for (const DWORD start = GetTickCount(); placed && GetTickCount() - start < holdMs;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  DestroyWindow(owner);
  return placed;
}

namespace {

HGLOBAL BlockHolding(const void* data, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return nullptr;
  std::memcpy(GlobalLock(memory), data, size);
  GlobalUnlock(memory);
  return memory;
}

bool Hand(UINT format, HGLOBAL memory) {
  if (memory && SetClipboardData(format, memory)) return true;
  if (memory) GlobalFree(memory);
  return false;
}

}  // namespace

bool PutClipboardUnicodeText(const std::string& utf8) {
  const std::wstring wide = Wide(utf8);
  const std::string ansi = WideToAnsi(wide);
  ClipboardGuard clipboard;
  if (!clipboard.Open()) return false;
  EmptyClipboard();
  return Hand(CF_UNICODETEXT, BlockHolding(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t))) &&
         Hand(CF_TEXT, BlockHolding(ansi.c_str(), ansi.size() + 1));
}

HBITMAP OneColourBitmap(int width, int height, COLORREF colour) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HDC canvas = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  if (!bitmap || !canvas) {
    if (bitmap) DeleteObject(bitmap);
    if (canvas) DeleteDC(canvas);
    return nullptr;
  }
  HGDIOBJ old = SelectObject(canvas, bitmap);
  HBRUSH brush = CreateSolidBrush(colour);
  RECT area{0, 0, width, height};
  FillRect(canvas, &area, brush);
  DeleteObject(brush);
  SelectObject(canvas, old);
  DeleteDC(canvas);
  return bitmap;
}

bool PutClipboardBitmap(int width, int height, unsigned long colour) {
  HBITMAP bitmap = OneColourBitmap(width, height, colour);
  if (!bitmap) return false;
  ClipboardGuard clipboard;
  if (!clipboard.Open()) {
    DeleteObject(bitmap);
    return false;
  }
  EmptyClipboard();
  if (!SetClipboardData(CF_BITMAP, bitmap)) {
    DeleteObject(bitmap);
    return false;
  }
  return true;
}

std::string ClipboardText() {
  ClipboardGuard clipboard;
  std::string text;
  if (!clipboard.Open()) return text;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* chars = static_cast<const char*>(GlobalLock(data))) {
      text.assign(chars, strnlen(chars, GlobalSize(data)));
      GlobalUnlock(data);
    }
  }
  return text;
}

bool ClipboardHasBitmap() {
  return IsClipboardFormatAvailable(CF_BITMAP) != 0;
}

bool ReadFileContents(const std::string& path, std::vector<unsigned char>& bytes) {
  bytes.clear();
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart < (1LL << 30);
  if (ok) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    ok = bytes.empty() || (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
                           read == bytes.size());
  }
  CloseHandle(file);
  if (!ok) bytes.clear();
  return ok;
}

bool WriteFileContents(const std::string& path, const std::vector<unsigned char>& bytes) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                              nullptr) && written == bytes.size());
  CloseHandle(file);
  return ok;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Wide(folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(Utf8(found.cFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}
