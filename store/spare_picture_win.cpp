#include "store/spare_picture_win.h"

#include <cstdint>
#include <utility>

#include "exchange/image/images_win.h"
#include "exchange/image/pixel_image.h"

SparePictureMaker SparePictures;

namespace {

// No spare is kept for pictures beyond 8192 x 8192 (256 MiB): such a capture is rare, and a spare
// of it would hold as much again for a minute.
constexpr uint64_t LargestSparePixels = uint64_t{8192} * 8192;

constexpr size_t PageBytes = 4096;

// Writes every page once, so that none faults while the pixels are copied in.
void Touch(const PicturePixels& picture) {
  const size_t bytes = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * 4;
  auto* bits = static_cast<volatile uint8_t*>(picture.bits);
  for (size_t offset = 0; offset < bytes; offset += PageBytes) bits[offset] = 0;
}

}  // namespace

bool MakePicturePixels(int width, int height, PicturePixels& picture) {
  picture = PicturePixels{};
  if (!FitsImageBudget(width, height)) return false;
  BITMAPINFO info = TopDownHeader32(width, height);
  picture.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &picture.bits, nullptr, 0);
  if (!picture.bitmap) {
    picture = PicturePixels{};
    return false;
  }
  picture.width = width;
  picture.height = height;
  return true;
}

void DeletePicturePixels(PicturePixels& picture) {
  if (picture.bitmap) DeleteObject(picture.bitmap);
  picture = PicturePixels{};
}

SparePictureMaker::SparePictureMaker(std::chrono::milliseconds keep, std::chrono::milliseconds delay)
    : keep_(keep), delay_(delay) {}

SparePictureMaker::~SparePictureMaker() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  DeletePicturePixels(spare_);
}

void SparePictureMaker::Prepare(int width, int height) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_ || !FitsImageBudget(width, height) ||
        static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > LargestSparePixels) {
      return;
    }
    wantedWidth_ = width;
    wantedHeight_ = height;
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
  }
  wake_.notify_all();
}

bool SparePictureMaker::Take(int width, int height, PicturePixels& picture) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!spare_.bitmap || spare_.width != width || spare_.height != height) return false;
  picture = std::exchange(spare_, PicturePixels{});
  return true;
}

bool SparePictureMaker::HasSpare() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return spare_.bitmap != nullptr;
}

void SparePictureMaker::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    if (wantedWidth_ > 0) {
      // Asked for again meanwhile, the latest size is made.
      if (wake_.wait_for(lock, delay_, [this] { return stopping_; })) break;
      const int width = std::exchange(wantedWidth_, 0);
      const int height = std::exchange(wantedHeight_, 0);
      // A spare of the size wanted is kept as it is (and kept longer).
      if (spare_.bitmap && spare_.width == width && spare_.height == height) continue;
      // One of another size goes first, so that two screenfuls are never held at once for it.
      PicturePixels old = std::exchange(spare_, PicturePixels{});
      lock.unlock();
      DeletePicturePixels(old);
      PicturePixels made;
      if (MakePicturePixels(width, height, made)) Touch(made);
      lock.lock();
      spare_ = made;
      continue;
    }
    if (!spare_.bitmap) {
      wake_.wait(lock, [this] { return stopping_ || wantedWidth_ > 0; });
      continue;
    }
    // Kept until taken, asked for again, or not wanted for a while.
    if (!wake_.wait_for(lock, keep_, [this] { return stopping_ || wantedWidth_ > 0 || !spare_.bitmap; })) {
      PicturePixels expired = std::exchange(spare_, PicturePixels{});
      lock.unlock();
      DeletePicturePixels(expired);
      lock.lock();
    }
  }
}
