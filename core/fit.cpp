#include "core/fit.h"

#include <algorithm>
#include <cmath>

namespace {

struct FittedSize {
  int32_t width;
  int32_t height;
};

// Rounds to the nearest integer, ties to even.
double RoundEven(double value) { return std::nearbyint(value); }

FittedSize Fit(int32_t sourceWidth, int32_t sourceHeight, int32_t boxWidth, int32_t boxHeight) {
  if (boxWidth < 1 || boxHeight < 1) return {0, 0};
  sourceWidth = std::max(sourceWidth, 1);
  sourceHeight = std::max(sourceHeight, 1);
  // The ratios are single-precision, as the thumbnails and preview sizes have always been made.
  const float ratio = static_cast<float>(boxWidth) / static_cast<float>(sourceWidth);
  // Kept in double until it is known to fit the box: a tall picture can exceed int32.
  const double height = RoundEven(static_cast<double>(sourceHeight) * static_cast<double>(ratio));
  FittedSize size{boxWidth, 0};
  if (height > boxHeight) {
    const float ratio2 = static_cast<float>(static_cast<double>(boxHeight) / height);
    size.height = boxHeight;
    size.width = static_cast<int32_t>(RoundEven(static_cast<double>(boxWidth) * static_cast<double>(ratio2)));
  } else {
    size.height = static_cast<int32_t>(height);
  }
  // A very flat or very narrow picture still gets one pixel.
  size.width = std::clamp(size.width, 1, boxWidth);
  size.height = std::clamp(size.height, 1, boxHeight);
  return size;
}

}  // namespace

int32_t FitWidth(int32_t sourceWidth, int32_t sourceHeight, int32_t boxWidth, int32_t boxHeight) {
  return Fit(sourceWidth, sourceHeight, boxWidth, boxHeight).width;
}

int32_t FitHeight(int32_t sourceWidth, int32_t sourceHeight, int32_t boxWidth, int32_t boxHeight) {
  return Fit(sourceWidth, sourceHeight, boxWidth, boxHeight).height;
}
