#include "app/file_bytes.h"

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

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, size_t maxBytes) {
  bytes.clear();
  std::ifstream in(AnsiPath(path), std::ios::binary);
  if (!in) return false;
  constexpr size_t kChunk = 64 * 1024;
  while (bytes.size() < maxBytes) {
    const size_t want = std::min(kChunk, maxBytes - bytes.size());
    const size_t old = bytes.size();
    bytes.resize(old + want);
    in.read(reinterpret_cast<char*>(bytes.data() + old), static_cast<std::streamsize>(want));
    const auto got = static_cast<size_t>(in.gcount());
    bytes.resize(old + got);
    if (got < want) break;
  }
  return !in.bad();
}

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
