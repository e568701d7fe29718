// A quick path for the PNG files the program reads most: 8-bit RGB, not interlaced, as it writes its
// thumbnails and pictures. It keeps its inflate state and buffers from file to file, so reading
// many small files costs little more than inflating them; buffers a large picture needed are let
// go again after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "exchange/image/image_codecs.h"
#include "exchange/image/pixel_image.h"

class QuickPngDecoder {
 public:
  QuickPngDecoder();
  ~QuickPngDecoder();
  QuickPngDecoder(const QuickPngDecoder&) = delete;
  QuickPngDecoder& operator=(const QuickPngDecoder&) = delete;

  // Ok with the pixels of an intact 8-bit RGB, non-interlaced PNG, exactly as DecodePng gives them.
  // A header whose sides DecodePng would refuse (beyond the budget, not the required ones) is
  // refused as DecodePng refuses it, before anything is allocated. Anything else (another kind, an
  // unusual layout, any damage) answers NotThisFormat and leaves the file to DecodePng, which
  // decides what it is: this path never accepts a file DecodePng refuses.
  DecodeStatus Decode(const uint8_t* data, size_t size, PixelImage& image, RequiredSize required = AnySize);

  // Bytes of work memory kept from one file to the next; what a larger picture needed goes after it.
  static constexpr size_t KeptScratchBytes = size_t{1} << 20;
  // The work memory held now (for tests).
  size_t ScratchBytes() const { return raw_.capacity() + zeros_.capacity(); }

 private:
  DecodeStatus DecodeRows(const uint8_t* data, size_t size, PixelImage& image, RequiredSize required);
  bool Inflate(const uint8_t* data, size_t size, size_t rawSize);

  void* stream_ = nullptr;  // z_stream, kept out of this header
  bool streamReady_ = false;
  std::vector<uint8_t> raw_;  // the filtered rows, each led by its filter byte
  std::vector<uint8_t> zeros_;  // the row above the first; never written
};

// DecodePng through the quick path first.
DecodeStatus DecodePngQuickly(QuickPngDecoder& decoder, const uint8_t* data, size_t size, PixelImage& image,
                              RequiredSize required = AnySize);
