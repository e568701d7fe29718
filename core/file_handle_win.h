// An open Windows file that closes itself, and reading an open file with the program's one read
// loop (see core/file_bytes.h).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/file_bytes.h"

// Owns a file handle and closes it when it goes out of scope. It can be moved, never copied, so
// that a handle is closed exactly once.
class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(HANDLE handle) : handle_(handle == nullptr ? INVALID_HANDLE_VALUE : handle) {}
  ~FileHandle() { Close(); }
  FileHandle(FileHandle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  // Closes the file now. False when closing failed, which for a file being written means its last
  // bytes may not have reached it. Closing a handle that holds no file succeeds.
  bool Close() {
    const bool closed = !Valid() || CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// What others may do with a file the program reads: write it, and delete it, so that a helper
// thread reading an item's file never keeps the window's thread from removing the item.
inline constexpr DWORD ShareWhileReading = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens an existing file for reading. `path` is a program path (UTF-8); `share` is what
// others may do with the file while it is open.
FileHandle OpenFileToRead(const std::string& path, DWORD share = ShareWhileReading,
                          DWORD flags = FILE_ATTRIBUTE_NORMAL);

// Reads the rest of an open file onto the end of `bytes`, which hold the file's first bytes, read
// already (or nothing, at the start of the file). As ReadWholeFile: a file of more than maxBytes
// in all is refused as TooLarge before memory is taken for it, and `bytes` are emptied on any
// failure. `fileSize` is the file's size when the caller knows it, -1 when not.
FileRead ReadRestOfFile(const FileHandle& file, std::vector<uint8_t>& bytes, size_t maxBytes,
                        int64_t fileSize = -1);
