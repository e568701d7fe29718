// Helpers for the image codec tests: files, ImageMagick as a reference, PNG chunk surgery.
#pragma once

#include <unistd.h>
#include <zlib.h>

#include <algorithm>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "exchange/image/image_codecs.h"

namespace imagetest {

namespace fs = std::filesystem;

inline std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline fs::path DepsDir() { return KEPSIL_DEPS_DIR; }

// A fresh folder under the system's temporary folder, removed by the destructor.
class TempDir {
 public:
  TempDir() {
    path_ = fs::temp_directory_path() / ("kepsil-image-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  static inline int counter_ = 0;
  fs::path path_;
};

inline std::string Quote(const fs::path& path) { return "'" + path.string() + "'"; }

inline bool HaveImageMagick() {
  static const bool have = std::system("convert -version >/dev/null 2>&1") == 0;
  return have;
}

// Runs an ImageMagick command line; its messages go to /dev/null.
inline bool RunQuietly(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// ImageMagick's reading of a picture as 8-bit blue-green-red samples, alpha switched off.
inline bool ImageMagickBgr(const fs::path& file, const TempDir& temp, int& width, int& height,
                           std::vector<uint8_t>& bgr) {
  const fs::path raw = temp / "reference.bgr";
  const fs::path size = temp / "reference.txt";
  if (!RunQuietly("convert " + Quote(file) + "[0] -alpha off -depth 8 -write bgr:" + Quote(raw) +
                  " -format '%w %h' info:" + Quote(size))) {
    return false;
  }
  std::ifstream in(size);
  if (!(in >> width >> height)) return false;
  bgr = ReadBytes(raw);
  return bgr.size() == static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
}

// `identify -format FORMAT` of a file.
inline std::string Identify(const fs::path& file, const std::string& format, const TempDir& temp) {
  const fs::path out = temp / "identify.txt";
  const std::string command = "identify -format '" + format + "' " + Quote(file) + " >" + Quote(out) + " 2>/dev/null";
  if (std::system(command.c_str()) != 0) return {};
  const std::vector<uint8_t> bytes = ReadBytes(out);
  return std::string(bytes.begin(), bytes.end());
}

// The largest difference between a decoded picture and packed blue-green-red samples; -1 when the
// sizes differ.
inline int LargestDifference(const PixelImage& image, const std::vector<uint8_t>& bgr, int width, int height) {
  if (image.width != width || image.height != height) return -1;
  int largest = 0;
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = image.Row(y);
    const uint8_t* expected = bgr.data() + static_cast<size_t>(y) * width * 3;
    for (int i = 0; i < width * 3; ++i) largest = std::max(largest, std::abs(row[i] - expected[i]));
  }
  return largest;
}

inline uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

inline void PutBigEndian32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

struct PngChunk {
  std::string type;
  std::vector<uint8_t> data;
};

// The chunks of a PNG file (its signature checked by the caller); stops at the first damaged one.
inline std::vector<PngChunk> PngChunks(const std::vector<uint8_t>& file) {
  std::vector<PngChunk> chunks;
  size_t at = 8;
  while (at + 12 <= file.size()) {
    const uint32_t length = BigEndian32(&file[at]);
    if (length > file.size() - at - 12) break;
    chunks.push_back({std::string(file.begin() + at + 4, file.begin() + at + 8),
                      std::vector<uint8_t>(file.begin() + at + 8, file.begin() + at + 8 + length)});
    at += 12 + length;
  }
  return chunks;
}

// A PNG file from chunks, with correct lengths and CRCs.
inline std::vector<uint8_t> BuildPng(const std::vector<PngChunk>& chunks) {
  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (const PngChunk& chunk : chunks) {
    PutBigEndian32(file, static_cast<uint32_t>(chunk.data.size()));
    const size_t typeAt = file.size();
    file.insert(file.end(), chunk.type.begin(), chunk.type.end());
    file.insert(file.end(), chunk.data.begin(), chunk.data.end());
    PutBigEndian32(file, static_cast<uint32_t>(crc32(0, &file[typeAt], static_cast<uInt>(4 + chunk.data.size()))));
  }
  return file;
}

// A copy of a PNG file without the chunks whose types are listed.
inline std::vector<uint8_t> WithoutChunks(const std::vector<uint8_t>& file, const std::vector<std::string>& types) {
  std::vector<PngChunk> kept;
  for (PngChunk& chunk : PngChunks(file)) {
    if (std::find(types.begin(), types.end(), chunk.type) == types.end()) kept.push_back(std::move(chunk));
  }
  return BuildPng(kept);
}

// A picture with a different value in every sample, so that swapped channels or rows show.
inline PixelImage Pattern(int width, int height, bool bottomUp = false) {
  PixelImage image;
  AllocatePixelImage(image, width, height, bottomUp);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.Row(y);
    for (int x = 0; x < width; ++x) {
      row[x * 3] = static_cast<uint8_t>(x * 7 + y);
      row[x * 3 + 1] = static_cast<uint8_t>(y * 5 + 40);
      row[x * 3 + 2] = static_cast<uint8_t>(200 - x - 3 * y);
    }
  }
  return image;
}

}  // namespace imagetest
