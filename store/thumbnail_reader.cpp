#include "store/thumbnail_reader.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <system_error>
#include <utility>

#include "core/file_bytes.h"
#include "exchange/image/image_codecs.h"

namespace {

// A 278 x 60 thumbnail is about 50 KB even stored uncompressed; anything far larger is no
// thumbnail and is left to the caller's loaders instead of being read here.
constexpr size_t kMaxThumbnailFileBytes = size_t{4} << 20;

}  // namespace

bool ReadThumbnailFile(const std::string& path, int width, int height, PixelImage& pixels) {
  ThumbnailScratch scratch;
  return ReadThumbnailFile(path, width, height, pixels, scratch);
}

bool ReadThumbnailFile(const std::string& path, int width, int height, PixelImage& pixels,
                       ThumbnailScratch& scratch) {
  pixels = PixelImage{};
  std::vector<uint8_t>& bytes = scratch.bytes;
  if (ReadWholeFile(path, bytes, kMaxThumbnailFileBytes) != FileRead::Ok) return false;
  DecodeStatus status = DecodeStatus::NotThisFormat;
  if (IsPngFile(bytes.data(), bytes.size())) {
    status = DecodePngQuickly(scratch.png, bytes.data(), bytes.size(), pixels);
  } else if (IsJpegFile(bytes.data(), bytes.size())) {
    status = DecodeJpeg(bytes.data(), bytes.size(), pixels);
  }
  if (status == DecodeStatus::Ok && pixels.width == width && pixels.height == height) return true;
  pixels = PixelImage{};
  return false;
}

ThumbnailReader::ThumbnailReader(std::vector<std::string> paths, int width, int height, unsigned threads,
                                 size_t ahead)
    : paths_(std::move(paths)),
      width_(width),
      height_(height),
      ahead_(std::max<size_t>(ahead, 1)),
      slots_(paths_.size(), Slot::Waiting),
      results_(paths_.size()) {
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<size_t>(threads, paths_.size()));
  for (unsigned i = 0; i < threads; ++i) {
    try {
      helpers_.emplace_back([this] { Run(); });
    } catch (const std::system_error&) {
      break;  // the caller reads what the helpers that did start leave over
    }
  }
}

ThumbnailReader::~ThumbnailReader() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  room_.notify_all();
  for (std::thread& helper : helpers_) helper.join();
}

void ThumbnailReader::Read(size_t index, std::unique_lock<std::mutex>& lock, ThumbnailScratch& scratch) {
  slots_[index] = Slot::Reading;
  lock.unlock();
  PixelImage pixels;
  bool decoded = false;
  try {
    decoded = ReadThumbnailFile(paths_[index], width_, height_, pixels, scratch);
  } catch (const std::bad_alloc&) {
    pixels = PixelImage{};  // left to the caller, who may find the memory later
  }
  lock.lock();
  results_[index] = std::move(pixels);
  slots_[index] = decoded ? Slot::Decoded : Slot::Failed;
  done_.notify_all();
}

void ThumbnailReader::Run() {
  // Each helper keeps its file buffer and decoder state from one thumbnail to the next.
  ThumbnailScratch scratch;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    room_.wait(lock, [this] { return stopping_ || nextToRead_ >= paths_.size() || nextToRead_ < nextToTake_ + ahead_; });
    if (stopping_ || nextToRead_ >= paths_.size()) return;
    Read(nextToRead_++, lock, scratch);
  }
}

bool ThumbnailReader::Take(size_t index, PixelImage& pixels) {
  pixels = PixelImage{};
  std::unique_lock<std::mutex> lock(mutex_);
  if (index >= paths_.size() || index < nextToTake_) return false;
  // Files skipped over are not wanted any more; helpers may still be reading them.
  for (size_t skipped = nextToTake_; skipped < index; ++skipped) {
    if (slots_[skipped] != Slot::Reading) results_[skipped] = PixelImage{};
  }
  nextToTake_ = index + 1;
  room_.notify_all();
  // Nobody has begun this one yet: reading it here is quicker than waiting for a helper.
  if (index >= nextToRead_) {
    for (size_t passed = nextToRead_; passed < index; ++passed) slots_[passed] = Slot::Taken;
    nextToRead_ = index + 1;
    Read(index, lock, takerScratch_);
  }
  done_.wait(lock, [this, index] { return slots_[index] == Slot::Decoded || slots_[index] == Slot::Failed; });
  const bool decoded = slots_[index] == Slot::Decoded;
  if (decoded) pixels = std::move(results_[index]);
  results_[index] = PixelImage{};
  slots_[index] = Slot::Taken;
  return decoded;
}
