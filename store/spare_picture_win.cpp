#include "store/spare_picture_win.h"

#include <cstdint>
#include <utility>

#include "exchange/image/images_win.h"
#include "exchange/image/pixel_image.h"

SparePictureMaker SparePictures;

namespace {

constexpr size_t PageBytes = 4096;
// No spare is kept for pictures beyond 8192 × 8192 (256 MiB): such a capture is rare, and a spare
// of it would hold as much again for a minute.
constexpr uint64_t LargestSparePixels = uint64_t{8192} * 8192;

// Writes every page once, so that none faults while the pixels are copied in. (The offered
// bitmap's view is left alone: its pages are only read when another program asks for the picture.)
void Touch(const SharedPicture& picture) {
  const size_t bytes = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height) * 4;
  auto* bits = static_cast<volatile uint8_t*>(picture.bits);
  for (size_t offset = 0; offset < bytes; offset += PageBytes) bits[offset] = 0;
}

}  // namespace

bool MakeSharedPicture(int width, int height, SharedPicture& picture) {
  picture = SharedPicture{};
  if (!FitsImageBudget(width, height)) return false;
  const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4;
  HANDLE memory = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, static_cast<DWORD>(bytes >> 32),
                                     static_cast<DWORD>(bytes), nullptr);
  if (!memory) return false;
  BITMAPINFO info = TopDownHeader32(width, height);
  void* sameBits = nullptr;
  picture.item = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &picture.bits, memory, 0);
  if (picture.item) picture.offered = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &sameBits, memory, 0);
  // The bitmaps keep their views of the memory; its handle is not needed any more.
  CloseHandle(memory);
  if (!picture.offered) {
    DeleteSharedPicture(picture);
    return false;
  }
  picture.width = width;
  picture.height = height;
  return true;
}

void DeleteSharedPicture(SharedPicture& picture) {
  if (picture.item) DeleteObject(picture.item);
  if (picture.offered) DeleteObject(picture.offered);
  picture = SharedPicture{};
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
  DeleteSharedPicture(spare_);
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

bool SparePictureMaker::Take(int width, int height, SharedPicture& picture) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!spare_.item || spare_.width != width || spare_.height != height) return false;
  picture = std::exchange(spare_, SharedPicture{});
  return true;
}

bool SparePictureMaker::HasSpare() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return spare_.item != nullptr;
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
      if (spare_.item && spare_.width == width && spare_.height == height) continue;
      // One of another size goes first, so that two screenfuls are never held at once for it.
      SharedPicture old = std::exchange(spare_, SharedPicture{});
      lock.unlock();
      DeleteSharedPicture(old);
      SharedPicture made;
      if (MakeSharedPicture(width, height, made)) Touch(made);
      lock.lock();
      spare_ = made;
      continue;
    }
    if (!spare_.item) {
      wake_.wait(lock, [this] { return stopping_ || wantedWidth_ > 0; });
      continue;
    }
    // Kept until taken, asked for again, or not wanted for a while.
    if (!wake_.wait_for(lock, keep_, [this] { return stopping_ || wantedWidth_ > 0 || !spare_.item; })) {
      SharedPicture expired = std::exchange(spare_, SharedPicture{});
      lock.unlock();
      DeleteSharedPicture(expired);
      lock.lock();
    }
  }
}
