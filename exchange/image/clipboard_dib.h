// The memory blocks of the clipboard's device-independent bitmaps (CF_DIB and CF_DIBV5): an
// information header, then the colour masks or the colour table, then the pixel rows. The blocks
// come from other programs, so every size in them is checked against the block before it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "exchange/image/alpha_picture.h"
#include "exchange/image/image_codecs.h"

// Sizes of the information headers the decoder reads: BITMAPINFOHEADER, its two extensions with
// masks (52: colour, 56: colour and alpha), BITMAPV4HEADER and BITMAPV5HEADER.
constexpr uint32_t DibInfoHeaderSize = 40;
constexpr uint32_t DibV4HeaderSize = 108;
constexpr uint32_t DibV5HeaderSize = 124;

// Values of the header's compression field.
enum DibCompression : uint32_t {
  DibRgb = 0,
  DibRle8 = 1,
  DibRle4 = 2,
  DibBitFields = 3,
  DibJpeg = 4,
  DibPng = 5,
};

// The header's colour space for sRGB ('sRGB' read as a little-endian number).
constexpr uint32_t DibColourSpaceSrgb = 0x73524742;

// Decodes a packed DIB: 1, 4 and 8 bits through a colour table, 16 bits (5-5-5, or any masks),
// 24 bits, 32 bits (blue-green-red-unused, or any masks); rows bottom-up or top-down.
// `alphaMeaningful` is true only for 32-bit pixels whose header names an alpha mask (BITMAPV4HEADER
// and later) and whose alpha is not 0 everywhere: many programs leave the fourth byte 0, and then
// the picture is opaque. Every other picture gets alpha 255. Alpha is taken as straight.
// NotThisFormat: a header this decoder does not know (the 12-byte core header among them), or
// compressed pixels (run-length, JPEG or PNG inside the DIB); the caller can use another of the
// clipboard's formats. Corrupt: sizes or fields that the block cannot hold or that make no sense.
// TooLarge: sides beyond the budget (FitsImageBudget), or memory that cannot be had. On failure `out` is empty.
DecodeStatus DecodeClipboardDib(const uint8_t* block, size_t size, AlphaPicture& out, bool& alphaMeaningful);

// The CF_DIBV5 block for the picture: a BITMAPV5HEADER (32 bits, bit-field masks for blue-green-red-
// alpha, sRGB), then the pixels bottom row first. Empty when the picture is not complete or the
// memory cannot be had.
std::vector<uint8_t> MakeClipboardDibV5(const AlphaPicture& picture);
