// libFuzzer target: the pieces of the PNG encoder for large pictures. Any bytes deflated in pieces
// (of a size and on a number of threads the input chooses) must inflate back to themselves as one
// zlib stream; any picture made of the bytes must come back from the decoders unchanged, whether
// encoded in pieces or whole.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "exchange/image/image_codecs.h"
#include "exchange/image/png_parallel.h"
#include "exchange/image/png_quick.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& stream, size_t expected) {
  std::vector<uint8_t> out(expected + 1);
  uLongf length = static_cast<uLongf>(out.size());
  Check(uncompress(out.data(), &length, stream.data(), static_cast<uLong>(stream.size())) == Z_OK);
  out.resize(length);
  return out;
}

bool SamePixels(const PixelImage& a, const PixelImage& b) {
  if (a.width != b.width || a.height != b.height) return false;
  for (int y = 0; y < a.height; ++y) {
    for (int i = 0; i < a.width * 3; ++i) {
      if (a.Row(y)[i] != b.Row(y)[i]) return false;
    }
  }
  return true;
}

void CheckPicture(const PixelImage& picture, size_t pieceSize, unsigned threads) {
  std::vector<uint8_t> raw;
  Check(PngRawRows(picture, raw));
  Check(raw.size() == (1 + static_cast<size_t>(picture.width) * 3) * static_cast<size_t>(picture.height));
  std::vector<uint8_t> pieces;
  Check(EncodePngInPieces(picture, pieces, PictureDeflateEffort(), pieceSize, threads));
  PixelImage back;
  Check(DecodePng(pieces.data(), pieces.size(), back) == DecodeStatus::Ok && SamePixels(back, picture));
  // The quick path may leave a file to libpng (an IDAT chunk longer than the rows, say), never
  // misread it.
  static QuickPngDecoder quick;
  const DecodeStatus quickStatus = quick.Decode(pieces.data(), pieces.size(), back);
  Check(quickStatus == DecodeStatus::NotThisFormat || (quickStatus == DecodeStatus::Ok && SamePixels(back, picture)));
  std::vector<uint8_t> whole;
  Check(EncodePng(picture, 0, whole));
  Check(DecodePng(whole.data(), whole.size(), back) == DecodeStatus::Ok && SamePixels(back, picture));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const size_t pieceSize = 1 + (size_t{data[0]} << 4 | data[1] >> 4);  // 1 … 4096 bytes
  const unsigned threads = 1 + data[1] % 4;
  const int width = 1 + data[2] % 64;
  const std::vector<uint8_t> bytes(data + 4, data + size);

  std::vector<uint8_t> stream;
  Check(DeflateInPieces(bytes.data(), bytes.size(), stream, PictureDeflateEffort(), pieceSize, threads));
  Check(Inflate(stream, bytes.size()) == bytes);

  // The bytes as blue-green-red rows of the chosen width; the last row padded with the third byte.
  const int height = static_cast<int>(bytes.size() / 3 / static_cast<size_t>(width)) + 1;
  PixelImage picture;
  Check(AllocatePixelImage(picture, width, height));
  for (int y = 0; y < height; ++y) {
    for (int i = 0; i < width * 3; ++i) {
      const size_t at = static_cast<size_t>(y) * static_cast<size_t>(width) * 3 + static_cast<size_t>(i);
      picture.Row(y)[i] = at < bytes.size() ? bytes[at] : data[3];
    }
  }
  CheckPicture(picture, pieceSize, threads);
  return 0;
}
