// The pixel exchange format between bitmaps, decoders and encoders: 24-bit blue-green-red rows,
// each padded to a multiple of 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Pictures are limited to what a 16-bit signed size can hold,
constexpr int MaxImageSide = 32767;
// and to the pixels of a 16384 × 16384 picture (768 MiB of 24-bit pixels, 1 GiB with alpha). The
// widest desks come nowhere near it (three 8K screens side by side are 100 million pixels); a
// header that asks for more is refused before any pixel memory is had.
constexpr uint64_t MaxImagePixels = uint64_t{16384} * 16384;

// Whether a picture of width × height may be held: both sides 1 … MaxImageSide and their product
// at most MaxImagePixels.
bool FitsImageBudget(int64_t width, int64_t height);

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

// Sizes the image to width × height with every byte 0. False (and the image left empty) when the
// sides do not fit the budget, or the memory cannot be had.
bool AllocatePixelImage(PixelImage& image, int width, int height, bool bottomUp = false);
