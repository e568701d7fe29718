// Reading a thumbnail file quickly, on any thread: only PNG and JPEG files of the thumbnail's size
// are decoded here; anything else is left to the caller's own loaders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "exchange/image/pixel_image.h"
#include "exchange/image/png_quick.h"

// Reads one file and decodes it when it is a PNG or JPEG of exactly width x height. False for a
// missing or unreadable file, another format, a damaged picture or another size.
bool ReadThumbnailFile(const std::string& path, int width, int height, PixelImage& pixels);

// A file buffer and decoder state that one thread reuses from thumbnail to thumbnail; what a large
// file needed is let go after it.
struct ThumbnailScratch {
  std::vector<uint8_t> bytes;
  QuickPngDecoder png;
};
bool ReadThumbnailFile(const std::string& path, int width, int height, PixelImage& pixels,
                       ThumbnailScratch& scratch);
