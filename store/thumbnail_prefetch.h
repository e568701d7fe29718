// Thumbnails decoded ahead of the list on helper threads: the rows of the pages around the one
// on screen, so that paging on finds them ready. The decoded ones wait in a bounded cache; what
// was asked for longest ago goes first.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "exchange/image/pixel_image.h"

class ThumbnailPrefetch {
 public:
  struct Wanted {
    std::string name;  // the item's name, by which the thumbnail is taken
    std::string path;  // its thumbnail file
  };

  // `threads` 0 uses one helper less than there are processors, and at least one.
  ThumbnailPrefetch(int width, int height, size_t capacity, unsigned threads = 0);
  // Stops the helpers after the files they are reading.
  ~ThumbnailPrefetch();
  ThumbnailPrefetch(const ThumbnailPrefetch&) = delete;
  ThumbnailPrefetch& operator=(const ThumbnailPrefetch&) = delete;

  // What to decode next, in this order, in place of whatever still waits; thumbnails decoded
  // already are not read again.
  void Want(std::vector<Wanted> wanted);
  // The item's decoded thumbnail, which leaves the cache; false when it is not (yet) there, or
  // its file is no PNG or JPEG of the thumbnail's size (the caller reads it its own way then).
  bool Take(const std::string& name, PixelImage& pixels);
  // The item went: its thumbnail is not kept, nor decoded, nor taken when a helper finishes it.
  void Forget(const std::string& name);
  // Every item went.
  void Clear();
  // How many decoded thumbnails wait to be taken (for tests).
  size_t Cached();

 private:
  void Run();
  void Keep(const std::string& name, PixelImage pixels);

  const int width_;
  const int height_;
  const size_t capacity_;
  std::mutex mutex_;
  std::condition_variable work_;
  std::deque<Wanted> queue_;
  std::unordered_map<std::string, PixelImage> cache_;
  std::deque<std::string> order_;                // cache_ in the order they were decoded
  std::unordered_set<std::string> reading_;      // being decoded by a helper now
  std::unordered_set<std::string> forgotten_;    // went while a helper decoded them
  bool stopping_ = false;
  std::vector<std::thread> helpers_;
};
