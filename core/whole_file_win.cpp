#include "core/whole_file.h"

#include <windows.h>

#include <algorithm>

namespace {

class FileHandle {
 public:
  explicit FileHandle(const std::string& path)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~FileHandle() {
    if (Valid()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

bool SizeOf(const FileHandle& file, uint64_t& size) {
  LARGE_INTEGER value{};
  if (!file.Valid() || !GetFileSizeEx(file.Get(), &value) || value.QuadPart < 0) return false;
  size = static_cast<uint64_t>(value.QuadPart);
  return true;
}

}  // namespace

bool GetFileSizeOf(const std::string& path, uint64_t& size) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  FileHandle file(path);
  return SizeOf(file, size);
}

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes, uint64_t maxBytes) {
  bytes.clear();
  FileHandle file(path);
  uint64_t size = 0;
  if (!SizeOf(file, size) || size > maxBytes) return false;
  bytes.resize(static_cast<size_t>(size));
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD want = static_cast<DWORD>(std::min<uint64_t>(bytes.size() - done, 1u << 20));
    DWORD got = 0;
    if (!ReadFile(file.Get(), bytes.data() + done, want, &got, nullptr) || got == 0) {
      bytes.clear();
      return false;
    }
    done += got;
  }
  return true;
}
