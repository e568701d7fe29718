#include "core/file_bytes.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <fstream>
#include <system_error>

namespace {

#ifdef _WIN32
// Code page 1252 differs from Latin-1 only in 0x80..0x9F; 0 marks the five unassigned bytes,
// which Windows maps to the same code points.
constexpr wchar_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
#endif

}  // namespace

std::filesystem::path AnsiPath(const std::string& path) {
#ifdef _WIN32
  std::wstring wide;
  wide.reserve(path.size());
  for (unsigned char byte : path) {
    wide.push_back(byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : wchar_t{byte});
  }
  return std::filesystem::path(wide);
#else
  return std::filesystem::path(path);
#endif
}

namespace {

// Appends what `readSome(destination, want)` gives (the count read, or -1 on an error) until a
// short read or maxBytes: first a read of firstRead bytes, which most files fit in, then larger
// ones. Clears the bytes on an error.
template <typename ReadSome>
bool ReadUntilShort(std::vector<uint8_t>& bytes, size_t maxBytes, size_t firstRead, size_t laterRead,
                    ReadSome readSome) {
  bytes.clear();
  size_t want = std::min(firstRead, maxBytes);
  while (want > 0) {
    const size_t old = bytes.size();
    bytes.resize(old + want);
    const long long got = readSome(bytes.data() + old, want);
    if (got < 0) {
      bytes.clear();
      return false;
    }
    bytes.resize(old + static_cast<size_t>(got));
    if (static_cast<size_t>(got) < want) break;
    want = std::min(laterRead, maxBytes - bytes.size());
  }
  return true;
}

}  // namespace

#ifdef _WIN32
// Under Wine every call that reaches the file system is a round trip to the server, and the
// standard streams make several per file: here it is one open, as few reads as the size needs and
// one close. The size is not asked for first, as that would cost a round trip of its own; a short
// read is the end. Start-up reads a thumbnail file for every stored item this way.
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, size_t maxBytes) {
  bytes.clear();
  HANDLE file = CreateFileW(AnsiPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  // Thumbnails and most item files fit in the first read; ReadFile takes a DWORD count.
  const bool ok = ReadUntilShort(bytes, maxBytes, 64 * 1024, 1024 * 1024, [&](uint8_t* to, size_t want) {
    DWORD got = 0;
    return ReadFile(file, to, static_cast<DWORD>(want), &got, nullptr) ? static_cast<long long>(got) : -1LL;
  });
  CloseHandle(file);
  return ok;
}
#else
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, size_t maxBytes) {
  bytes.clear();
  std::ifstream in(AnsiPath(path), std::ios::binary);
  if (!in) return false;
  return ReadUntilShort(bytes, maxBytes, 64 * 1024, 64 * 1024, [&](uint8_t* to, size_t want) {
    in.read(reinterpret_cast<char*>(to), static_cast<std::streamsize>(want));
    return in.bad() ? -1LL : static_cast<long long>(in.gcount());
  });
}
#endif

bool WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::filesystem::path target = AnsiPath(path);
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
