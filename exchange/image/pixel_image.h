// The pixel exchange format between bitmaps, decoders and encoders: 24-bit blue-green-red rows,
// each padded to a multiple of 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Pictures are limited to what a 16-bit signed size can hold.
constexpr int MaxImageSide = 32767;

// Bytes of one row: width × 3 + width mod 4, which is the row padded to a multiple of 4.
int RowSize(int width);

struct PixelImage {
  int width = 0;
  int height = 0;
  // Row order in `pixels`: false = top row first (what decoders give), true = bottom row first
  // (what GetDIBits gives and BMP files hold).
  bool bottomUp = false;
  std::vector<uint8_t> pixels;  // height × RowSize(width) bytes

  // Row y counted from the top, whatever the storage order.
  uint8_t* Row(int y);
  const uint8_t* Row(int y) const;
};

// Sizes the image to width × height with every byte 0. False (and the image left empty) when a
// side is below 1 or above MaxImageSide, or the memory cannot be had.
bool AllocatePixelImage(PixelImage& image, int width, int height, bool bottomUp = false);
