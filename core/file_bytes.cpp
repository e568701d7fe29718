#include "core/file_bytes.h"

#ifdef _WIN32
#include "core/code_page_win.h"
#include "core/file_handle_win.h"
#endif

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <new>
#include <system_error>

std::filesystem::path FileSystemPath(const std::string& path) {
#ifdef _WIN32
  return std::filesystem::path(Wide(path));
#else
  return std::filesystem::path(path);
#endif
}

namespace {

// Most files fit in the first read (thumbnails, item files, settings); larger ones go on in
// larger reads, and a file whose size is known in one read up to its end. ReadFile takes a DWORD
// count.
constexpr size_t kFirstRead = 64 * 1024;
constexpr size_t kLaterRead = 1024 * 1024;
constexpr size_t kLargestRead = size_t{1} << 30;
constexpr int64_t kUnknownSize = -1;

// The one read loop. Appends to `bytes` (which hold the file's first bytes, or nothing) what
// `readSome(destination, want)` gives (the count read, or -1 on an error) until a short read.
// The size is not asked for first: under Wine every call that reaches the file system is a round
// trip to the server, and a short read is the end.
//
// Without `refuse` the reading stops once `bytes` hold maxBytes. With it a file of more than
// maxBytes is refused: one byte past the bound tells it from a file of exactly maxBytes, and once
// the file outgrows the first read `sizeOf()` (-1 when unknown) is asked, unless `knownSize`
// gives the size already, so that a large file is refused before memory is taken for it and a
// file within the bound is read into one block without regrowing, and in as few reads.
template <typename ReadSome, typename SizeOf>
FileRead ReadUntilShort(std::vector<uint8_t>& bytes, size_t maxBytes, bool refuse, int64_t knownSize,
                        ReadSome readSome, SizeOf sizeOf) {
  const auto refused = [&bytes] {
    bytes.clear();
    return FileRead::TooLarge;
  };
  const size_t cap = refuse && maxBytes < SIZE_MAX ? maxBytes + 1 : maxBytes;
  if (bytes.size() > maxBytes) return refused();
  size_t expected = SIZE_MAX;
  // False when the size is over the bound; a known size is read to one byte past it, which the
  // short read that ends the file needs.
  const auto expect = [&](int64_t size) {
    if (size < 0) return true;
    if (static_cast<uint64_t>(size) > maxBytes) return false;
    expected = static_cast<size_t>(size);
    bytes.reserve(std::min(cap, expected + 1));
    return true;
  };
  const auto room = [&] {
    size_t room = cap - bytes.size();
    if (expected != SIZE_MAX && bytes.size() <= expected) room = std::min(room, expected + 1 - bytes.size());
    return room;
  };
  const auto next = [&](size_t whileUnknown) {
    return std::min(expected == SIZE_MAX ? whileUnknown : kLargestRead, room());
  };
  try {
    bool sized = !refuse;
    if (refuse && knownSize >= 0) {
      sized = true;
      if (!expect(knownSize)) return refused();
    }
    size_t want = next(kFirstRead);
    while (want > 0) {
      const size_t old = bytes.size();
      bytes.resize(old + want);
      const long long got = readSome(bytes.data() + old, want);
      if (got < 0) {
        bytes.clear();
        return FileRead::Unreadable;
      }
      bytes.resize(old + static_cast<size_t>(got));
      if (static_cast<size_t>(got) < want) break;
      if (refuse && bytes.size() > maxBytes) return refused();
      if (!sized) {
        sized = true;
        if (!expect(sizeOf())) return refused();
      }
      want = next(kLaterRead);
    }
  } catch (const std::bad_alloc&) {
    return refused();
  }
  return FileRead::Ok;
}

#ifdef _WIN32
FileRead ReadOpenFile(HANDLE file, std::vector<uint8_t>& bytes, size_t maxBytes, bool refuse, int64_t knownSize) {
  return ReadUntilShort(
      bytes, maxBytes, refuse, knownSize,
      [file](uint8_t* to, size_t want) {
        DWORD got = 0;
        return ReadFile(file, to, static_cast<DWORD>(want), &got, nullptr) ? static_cast<long long>(got) : -1LL;
      },
      [file] {
        LARGE_INTEGER size{};
        return GetFileSizeEx(file, &size) ? int64_t{size.QuadPart} : kUnknownSize;
      });
}
#endif

// One open, the reads the size needs and one close.
FileRead ReadPath(const std::string& path, std::vector<uint8_t>& bytes, size_t maxBytes, bool refuse) {
  bytes.clear();
#ifdef _WIN32
  const FileHandle file = OpenFileToRead(path, ShareWhileReading, FILE_FLAG_SEQUENTIAL_SCAN);
  if (!file.Valid()) return FileRead::Unreadable;
  return ReadOpenFile(file.Get(), bytes, maxBytes, refuse, kUnknownSize);
#else
  const std::filesystem::path name = FileSystemPath(path);
  std::ifstream in(name, std::ios::binary);
  if (!in) return FileRead::Unreadable;
  return ReadUntilShort(
      bytes, maxBytes, refuse, kUnknownSize,
      [&in](uint8_t* to, size_t want) {
        in.read(reinterpret_cast<char*>(to), static_cast<std::streamsize>(want));
        return in.bad() ? -1LL : static_cast<long long>(in.gcount());
      },
      [&name] {
        std::error_code error;
        const uintmax_t size = std::filesystem::file_size(name, error);
        return error ? kUnknownSize : static_cast<int64_t>(size);
      });
#endif
}

}  // namespace

#ifdef _WIN32
FileHandle OpenFileToRead(const std::string& path, DWORD share, DWORD flags) {
  return FileHandle(CreateFileW(Wide(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, flags, nullptr));
}

FileRead ReadRestOfFile(const FileHandle& file, std::vector<uint8_t>& bytes, size_t maxBytes, int64_t fileSize) {
  if (!file.Valid()) {
    bytes.clear();
    return FileRead::Unreadable;
  }
  return ReadOpenFile(file.Get(), bytes, maxBytes, true, fileSize);
}
#endif

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, size_t maxBytes) {
  return ReadPath(path, bytes, maxBytes, false) == FileRead::Ok;
}

FileRead ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, size_t maxBytes) {
  return ReadPath(path, bytes, maxBytes, true);
}

#ifdef _WIN32
namespace {

bool WriteFlushed(const std::wstring& path, std::span<const uint8_t> bytes) {
  FileHandle out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!out.Valid()) return false;
  bool written = true;
  for (size_t done = 0; written && done < bytes.size();) {
    const DWORD want = static_cast<DWORD>(std::min(bytes.size() - done, kLargestRead));
    DWORD wrote = 0;
    written = WriteFile(out.Get(), bytes.data() + done, want, &wrote, nullptr) && wrote == want;
    done += wrote;
  }
  written = written && FlushFileBuffers(out.Get());
  if (!out.Close() || !written) {
    DeleteFileW(path.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool WriteFileFlushed(const std::string& path, std::span<const uint8_t> bytes) { return WriteFlushed(Wide(path), bytes); }

bool WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::wstring target = Wide(path);
  const std::wstring temporary = target + L".tmp";
  // The data reaches the disk before the move that makes it current can.
  if (!WriteFlushed(temporary, bytes)) return false;
  if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}
#else
bool WriteFileFlushed(const std::string& path, std::span<const uint8_t> bytes) {
  std::ofstream out(FileSystemPath(path), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  out.close();
  if (out) return true;
  std::error_code ignored;
  std::filesystem::remove(FileSystemPath(path), ignored);
  return false;
}

bool WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::filesystem::path target = FileSystemPath(path);
  std::filesystem::path temporary = target;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    out.close();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, target, error);
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return false;
  }
  return true;
}
#endif
