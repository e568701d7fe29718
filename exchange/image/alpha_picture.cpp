#include "exchange/image/alpha_picture.h"

#include <algorithm>
#include <new>

namespace {

constexpr size_t BytesPerPixel = 4;

size_t PixelCount(const AlphaPicture& picture) {
  return static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
}

// value × alpha + background × (255 − alpha), divided by 255 and rounded to the nearest.
uint8_t Blend(uint8_t value, uint8_t background, uint8_t alpha) {
  const unsigned sum = unsigned{value} * alpha + unsigned{background} * (255u - alpha);
  return static_cast<uint8_t>((sum + 127u) / 255u);
}

}  // namespace

bool AllocateAlphaPicture(AlphaPicture& picture, int width, int height) {
  picture = AlphaPicture{};
  if (!FitsImageBudget(width, height)) return false;
  try {
    picture.bgra.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * BytesPerPixel, 0);
  } catch (const std::bad_alloc&) {
    picture.bgra = {};
    return false;
  }
  picture.width = width;
  picture.height = height;
  return true;
}

bool IsCompleteAlphaPicture(const AlphaPicture& picture) {
  if (picture.width < 1 || picture.height < 1 || picture.width > MaxImageSide || picture.height > MaxImageSide) {
    return false;
  }
  return picture.bgra.size() >= PixelCount(picture) * BytesPerPixel;
}

bool HasTransparency(const AlphaPicture& picture) {
  const size_t end = std::min(picture.bgra.size(), PixelCount(picture) * BytesPerPixel);
  for (size_t at = 3; at < end; at += BytesPerPixel) {
    if (picture.bgra[at] != 255) return true;
  }
  return false;
}

bool CompositeOver(const AlphaPicture& picture, uint8_t red, uint8_t green, uint8_t blue, PixelImage& out) {
  out = PixelImage{};
  if (!IsCompleteAlphaPicture(picture) || !AllocatePixelImage(out, picture.width, picture.height)) return false;
  const uint8_t* source = picture.bgra.data();
  for (int y = 0; y < picture.height; ++y) {
    uint8_t* row = out.Row(y);
    for (int x = 0; x < picture.width; ++x, source += BytesPerPixel, row += 3) {
      const uint8_t alpha = source[3];
      row[0] = Blend(source[0], blue, alpha);
      row[1] = Blend(source[1], green, alpha);
      row[2] = Blend(source[2], red, alpha);
    }
  }
  return true;
}
