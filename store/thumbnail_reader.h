// Reading the thumbnails of many stored items at once: helper threads read and decode the files
// ahead of the caller, who takes them in order and puts them into the list. Only PNG and JPEG
// files are decoded here; anything else is left to the caller's own loaders.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "exchange/image/pixel_image.h"
#include "exchange/image/png_quick.h"

// Helpers stay at most this many thumbnails ahead of the caller (about 50 KB each at 278 x 60).
inline constexpr size_t ThumbnailReadAhead = 64;

// Reads one file and decodes it when it is a PNG or JPEG of exactly width x height. False for a
// missing or unreadable file, another format, a damaged picture or another size.
bool ReadThumbnailFile(const std::string& path, int width, int height, PixelImage& pixels);

// A file buffer and decoder state that one thread reuses from thumbnail to thumbnail.
struct ThumbnailScratch {
  std::vector<uint8_t> bytes;
  QuickPngDecoder png;
};
bool ReadThumbnailFile(const std::string& path, int width, int height, PixelImage& pixels,
                       ThumbnailScratch& scratch);

class ThumbnailReader {
 public:
  // `threads` 0 uses one helper per processor; the caller decodes itself whatever no helper has
  // begun yet, so it also works when no thread can be started.
  ThumbnailReader(std::vector<std::string> paths, int width, int height, unsigned threads = 0,
                  size_t ahead = ThumbnailReadAhead);
  // Stops the helpers after the files they are reading.
  ~ThumbnailReader();
  ThumbnailReader(const ThumbnailReader&) = delete;
  ThumbnailReader& operator=(const ThumbnailReader&) = delete;

  // The thumbnail of paths[index], waiting for it if a helper is still reading it. Indexes are
  // taken in increasing order, each once. False as ReadThumbnailFile, and for an index out of
  // range or not above the last one taken.
  bool Take(size_t index, PixelImage& pixels);

 private:
  enum class Slot { Waiting, Reading, Decoded, Failed, Taken };

  void Run();
  // Reads paths[index] (claimed by the calling thread) and records the result.
  void Read(size_t index, std::unique_lock<std::mutex>& lock, ThumbnailScratch& scratch);

  const std::vector<std::string> paths_;
  const int width_;
  const int height_;
  const size_t ahead_;
  std::mutex mutex_;
  std::condition_variable done_;     // a thumbnail was read
  std::condition_variable room_;     // the caller took one, or the reader stops
  std::vector<Slot> slots_;
  std::vector<PixelImage> results_;
  size_t nextToRead_ = 0;
  size_t nextToTake_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> helpers_;
  ThumbnailScratch takerScratch_;  // for the files the caller reads itself
};
