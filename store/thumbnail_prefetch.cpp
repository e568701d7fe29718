#include "store/thumbnail_prefetch.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

#include "store/thumbnail_reader.h"

ThumbnailPrefetch::ThumbnailPrefetch(int width, int height, size_t capacity, unsigned threads)
    : width_(width), height_(height), capacity_(std::max<size_t>(capacity, 1)) {
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency()) - 1;
  threads = std::max(1u, threads);
  for (unsigned i = 0; i < threads; ++i) {
    try {
      helpers_.emplace_back([this] { Run(); });
    } catch (const std::system_error&) {
      break;  // with no helper at all, the list reads every thumbnail itself
    }
  }
}

ThumbnailPrefetch::~ThumbnailPrefetch() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    queue_.clear();
  }
  work_.notify_all();
  for (std::thread& helper : helpers_) helper.join();
}

void ThumbnailPrefetch::Want(std::vector<Wanted> wanted) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.clear();
    for (Wanted& each : wanted) {
      if (!cache_.count(each.name) && !reading_.count(each.name)) queue_.push_back(std::move(each));
    }
  }
  work_.notify_all();
}

bool ThumbnailPrefetch::Take(const std::string& name, PixelImage& pixels) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = cache_.find(name);
  if (found == cache_.end()) return false;
  pixels = std::move(found->second);
  cache_.erase(found);
  order_.erase(std::find(order_.begin(), order_.end(), name));
  return pixels.width == width_ && pixels.height == height_;
}

void ThumbnailPrefetch::Forget(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (cache_.erase(name)) order_.erase(std::find(order_.begin(), order_.end(), name));
  queue_.erase(std::remove_if(queue_.begin(), queue_.end(), [&](const Wanted& each) { return each.name == name; }),
               queue_.end());
  if (reading_.count(name)) forgotten_.insert(name);
}

void ThumbnailPrefetch::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  cache_.clear();
  order_.clear();
  queue_.clear();
  forgotten_.insert(reading_.begin(), reading_.end());
}

size_t ThumbnailPrefetch::Cached() {
  std::lock_guard<std::mutex> lock(mutex_);
  return cache_.size();
}

// Called with the lock held.
void ThumbnailPrefetch::Keep(const std::string& name, PixelImage pixels) {
  if (forgotten_.erase(name)) return;
  while (cache_.size() >= capacity_ && !order_.empty()) {
    cache_.erase(order_.front());
    order_.pop_front();
  }
  cache_.emplace(name, std::move(pixels));
  order_.push_back(name);
}

void ThumbnailPrefetch::Run() {
  // Each helper keeps its file buffer and decoder state from one thumbnail to the next.
  ThumbnailScratch scratch;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    work_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (stopping_) return;
    const Wanted next = std::move(queue_.front());
    queue_.pop_front();
    if (cache_.count(next.name) || reading_.count(next.name)) continue;
    reading_.insert(next.name);
    lock.unlock();
    PixelImage pixels;
    try {
      // A file that is no PNG or JPEG of the right size leaves an empty picture: the list reads
      // that one its own way.
      ReadThumbnailFile(next.path, width_, height_, pixels, scratch);
    } catch (const std::bad_alloc&) {
      pixels = PixelImage{};
    }
    lock.lock();
    reading_.erase(next.name);
    Keep(next.name, std::move(pixels));
  }
}
