#include "app/small_file_win.h"

#include <windows.h>

#include <algorithm>

namespace {

// Thumbnails and most item files fit in one read of this size.
constexpr size_t kFirstRead = 64 * 1024;
// Later reads of a larger file; ReadFile takes a DWORD count.
constexpr size_t kLaterRead = 1024 * 1024;

}  // namespace

bool ReadSmallFile(const std::string& path, std::vector<uint8_t>& bytes, size_t maxBytes) {
  bytes.clear();
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  // No size is asked for first: that would cost a round trip of its own. A short read is the end.
  size_t want = std::min(kFirstRead, maxBytes);
  while (want > 0) {
    const size_t old = bytes.size();
    bytes.resize(old + want);
    DWORD got = 0;
    if (!ReadFile(file, bytes.data() + old, static_cast<DWORD>(want), &got, nullptr)) {
      ok = false;
      got = 0;
    }
    bytes.resize(old + got);
    if (!ok || got < want) break;
    want = std::min(kLaterRead, maxBytes - bytes.size());
  }
  CloseHandle(file);
  if (!ok) bytes.clear();
  return ok;
}
