#include "exchange/image/pixel_image.h"

#include <new>

bool FitsImageBudget(int64_t width, int64_t height) {
  if (width < 1 || height < 1 || width > MaxImageSide || height > MaxImageSide) return false;
  return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) <= MaxImagePixels;
}

int RowSize(int width) { return width * 3 + width % 4; }

uint8_t* PixelImage::Row(int y) {
  const int stored = bottomUp ? height - 1 - y : y;
  return pixels.data() + static_cast<size_t>(stored) * static_cast<size_t>(RowSize(width));
}

const uint8_t* PixelImage::Row(int y) const {
  return const_cast<PixelImage*>(this)->Row(y);
}

bool AllocatePixelImage(PixelImage& image, int width, int height, bool bottomUp) {
  image = PixelImage{};
  if (!FitsImageBudget(width, height)) return false;
  const size_t bytes = static_cast<size_t>(RowSize(width)) * static_cast<size_t>(height);
  try {
    image.pixels.assign(bytes, 0);
  } catch (const std::bad_alloc&) {
    image.pixels = {};
    return false;
  }
  image.width = width;
  image.height = height;
  image.bottomUp = bottomUp;
  return true;
}
