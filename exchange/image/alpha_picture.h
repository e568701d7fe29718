// Pictures with transparency: 32-bit blue-green-red-alpha pixels, as the clipboard's DIBV5 and
// PNG blocks carry them, and the step that turns them into the 24-bit exchange format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "exchange/image/image_codecs.h"
#include "exchange/image/pixel_image.h"

struct AlphaPicture {
  int width = 0;
  int height = 0;
  // Top row first, 4 bytes a pixel: blue, green, red, alpha. Straight alpha: the colour is the
  // pixel's own, not multiplied by its alpha.
  std::vector<uint8_t> bgra;
};

// Sizes the picture to width × height with every byte 0. False (and the picture left empty) when
// the sides do not fit the budget (FitsImageBudget), or the memory cannot be had.
bool AllocateAlphaPicture(AlphaPicture& picture, int width, int height);

// Whether the sides are within limits and `bgra` holds every pixel.
bool IsCompleteAlphaPicture(const AlphaPicture& picture);

// Any pixel less than fully opaque.
bool HasTransparency(const AlphaPicture& picture);

// The picture blended over a solid colour, top row first. False (and `out` left empty) when the
// picture is not complete or the memory cannot be had.
bool CompositeOver(const AlphaPicture& picture, uint8_t red, uint8_t green, uint8_t blue, PixelImage& out);

// --- PNG with alpha ----------------------------------------------------------------------------
// Any PNG becomes 8-bit blue-green-red-alpha: palette and grey expanded, a transparency table (tRNS)
// turned into alpha, 16 bits reduced, interlaced pictures read pass by pass; pictures without alpha
// get 255. No gamma or colour conversion. The same limits as DecodePng.
DecodeStatus DecodePngWithAlpha(const uint8_t* data, size_t size, AlphaPicture& out);
// Appends an 8-bit RGBA PNG, no interlace. False (and `out` as it was) when the picture cannot be
// encoded.
bool EncodePngWithAlpha(const AlphaPicture& picture, std::vector<uint8_t>& out);
