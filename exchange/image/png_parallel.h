// Deflate split over the processor's cores for large pictures: the data is cut into pieces that
// are compressed at the same time, each primed with the 32 KiB before it, and joined into one
// zlib stream that any inflater reads as usual.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "exchange/image/pixel_image.h"

// Raw bytes per piece. Pieces depend only on the data's size, never on the number of cores, so the
// same picture always gives the same file.
constexpr size_t ParallelDeflatePiece = 1u << 20;

// How hard each piece is searched. Level 9's settings with a shorter chain of match candidates:
// screenshots are full of long runs in which level 9 walks 4096 candidates for no gain.
struct DeflateEffort {
  int level = 9;
  int goodLength = 32;
  int maxLazy = 258;
  int niceLength = 258;
  int maxChain = 4096;
};
DeflateEffort PictureDeflateEffort();

// Appends one complete zlib stream (header, deflate data, Adler-32) of `data` to `out`, cut into
// pieces of `pieceSize` bytes that up to `threads` threads compress (0: one per core). False, with
// `out` as it was, when memory ran out or zlib refused.
bool DeflateInPieces(const uint8_t* data, size_t size, std::vector<uint8_t>& out, const DeflateEffort& effort,
                     size_t pieceSize = ParallelDeflatePiece, unsigned threads = 0);

// The bytes a PNG's IDAT data holds for the picture: each row a filter byte 0 and then red, green,
// blue per pixel, top row first.
bool PngRawRows(const PixelImage& image, std::vector<uint8_t>& raw);

// Appends a PNG (8-bit RGB, no interlace, filter None) whose IDAT data is DeflateInPieces of the
// raw rows. False, with `out` as it was, when the picture cannot be encoded.
bool EncodePngInPieces(const PixelImage& image, std::vector<uint8_t>& out, const DeflateEffort& effort,
                       size_t pieceSize = ParallelDeflatePiece, unsigned threads = 0);
