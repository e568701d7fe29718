// PNG through libpng. libpng reports errors by longjmp: the functions that call setjmp keep no
// objects with destructors of their own, and the callbacks never let an exception reach libpng.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <new>

#include "exchange/image/alpha_picture.h"
#include "exchange/image/image_codecs.h"
#include "exchange/image/png_parallel.h"

namespace {

// Deflate expands its input at most 1032 times, so the file's size bounds the pixel data it holds.
constexpr uint64_t MaxDeflateRatio = 1032;

struct MemoryReader {
  const uint8_t* data;
  size_t size;
  size_t position;
  RequiredSize required;  // the sides the caller takes
};

void SilentError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void SilentWarning(png_structp, png_const_charp) {}

void ReadFromMemory(png_structp png, png_bytep target, size_t length) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (length > reader->size - reader->position) png_error(png, "unexpected end of file");
  std::memcpy(target, reader->data + reader->position, length);
  reader->position += length;
}

void AppendToVector(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  bool stored = true;
  try {
    out->insert(out->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    stored = false;
  }
  if (!stored) png_error(png, "out of memory");
}

void FlushNothing(png_structp) {}

// Asks libpng for 8-bit blue-green-red whatever the file holds.
void RequestBgr8(png_structp png, png_infop info) {
  const int colorType = png_get_color_type(png, info);
  const int bitDepth = png_get_bit_depth(png, info);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if ((colorType & PNG_COLOR_MASK_COLOR) == 0) {
    if (bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
  }
  if (bitDepth == 16) png_set_strip_16(png);
  // Alpha, also the one a palette's transparency table would add, is dropped, never blended.
  png_set_strip_alpha(png);
  png_set_bgr(png);
}

// Asks libpng for 8-bit blue-green-red-alpha whatever the file holds; a transparency table becomes
// alpha, and pictures without either get an opaque alpha byte.
void RequestBgra8(png_structp png, png_infop info) {
  const int colorType = png_get_color_type(png, info);
  const int bitDepth = png_get_bit_depth(png, info);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if ((colorType & PNG_COLOR_MASK_COLOR) == 0) {
    if (bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
  }
  const bool transparencyTable = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  if (transparencyTable) png_set_tRNS_to_alpha(png);
  if (bitDepth == 16) png_set_strip_16(png);
  if ((colorType & PNG_COLOR_MASK_ALPHA) == 0 && !transparencyTable) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_bgr(png);
}

// The raw (filtered) bytes the picture needs, before compression.
uint64_t RawImageBytes(png_structp png, png_infop info) {
  const uint64_t bitsPerPixel = static_cast<uint64_t>(png_get_channels(png, info)) * png_get_bit_depth(png, info);
  const uint64_t rowBytes = (png_get_image_width(png, info) * bitsPerPixel + 7) / 8;
  return png_get_image_height(png, info) * (rowBytes + 1);
}

// Reads the header and checks the picture's sides, and its pixel data against what the file can
// hold, before anything is sized from them. Called inside a decoder's setjmp: libpng's errors jump
// there.
DecodeStatus ReadLimitedInfo(png_structp png, png_infop info, MemoryReader* reader) {
  png_set_read_fn(png, reader, ReadFromMemory);
  // No ancillary chunk changes the pixels the program keeps (no gamma, no background; transparency
  // tables are critical to libpng and still read), so libpng skips them all, and never allocates for
  // a chunk that claims a huge size.
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
  png_read_info(png, info);

  const DecodeStatus sides =
      CheckHeaderSize(png_get_image_width(png, info), png_get_image_height(png, info), reader->required);
  if (sides != DecodeStatus::Ok) return sides;
  if (RawImageBytes(png, info) > MaxDeflateRatio * (reader->size + 1)) return DecodeStatus::Corrupt;
  return DecodeStatus::Ok;
}

DecodeStatus DecodeWithLibpng(png_structp png, png_infop info, MemoryReader* reader, PixelImage& image) {
  if (setjmp(png_jmpbuf(png))) return DecodeStatus::Corrupt;
  const DecodeStatus header = ReadLimitedInfo(png, info, reader);
  if (header != DecodeStatus::Ok) return header;
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);

  RequestBgr8(png, info);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_channels(png, info) != 3 || png_get_bit_depth(png, info) != 8 ||
      png_get_rowbytes(png, info) != static_cast<size_t>(width) * 3) {
    return DecodeStatus::Corrupt;
  }
  if (!AllocatePixelImage(image, static_cast<int>(width), static_cast<int>(height))) return DecodeStatus::TooLarge;

  // Interlaced pictures come pass by pass; each pass refines the rows already read.
  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, image.Row(static_cast<int>(y)), nullptr);
  }
  return DecodeStatus::Ok;
}

DecodeStatus DecodeAlphaWithLibpng(png_structp png, png_infop info, MemoryReader* reader, AlphaPicture& picture) {
  if (setjmp(png_jmpbuf(png))) return DecodeStatus::Corrupt;
  const DecodeStatus header = ReadLimitedInfo(png, info, reader);
  if (header != DecodeStatus::Ok) return header;
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);

  RequestBgra8(png, info);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  if (png_get_channels(png, info) != 4 || png_get_bit_depth(png, info) != 8 || png_get_rowbytes(png, info) != rowBytes) {
    return DecodeStatus::Corrupt;
  }
  if (!AllocateAlphaPicture(picture, static_cast<int>(width), static_cast<int>(height))) return DecodeStatus::TooLarge;

  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, picture.bgra.data() + y * rowBytes, nullptr);
  }
  return DecodeStatus::Ok;
}

// Creates libpng's reader over the data, runs the decoder (which sets its own jump point) and frees
// the reader again.
template <typename Picture>
DecodeStatus ReadPng(const uint8_t* data, size_t size, RequiredSize required, Picture& picture,
                     DecodeStatus (*decode)(png_structp, png_infop, MemoryReader*, Picture&)) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, SilentError, SilentWarning);
  if (!png) return DecodeStatus::TooLarge;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return DecodeStatus::TooLarge;
  }
  MemoryReader reader{data, size, 0, required};
  const DecodeStatus status = decode(png, info, &reader, picture);
  png_destroy_read_struct(&png, &info, nullptr);
  return status;
}

bool EncodeWithLibpng(png_structp png, png_infop info, const PixelImage& image, std::vector<uint8_t>* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, AppendToVector, FlushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  png_set_bgr(png);
  for (int y = 0; y < image.height; ++y) png_write_row(png, image.Row(y));
  png_write_end(png, nullptr);
  return true;
}

bool EncodeAlphaWithLibpng(png_structp png, png_infop info, const AlphaPicture& picture, std::vector<uint8_t>* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, AppendToVector, FlushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
               PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  const size_t rowBytes = static_cast<size_t>(picture.width) * 4;
  for (int y = 0; y < picture.height; ++y) png_write_row(png, picture.bgra.data() + y * rowBytes);
  png_write_end(png, nullptr);
  return true;
}

// Creates libpng's writer, runs the encoder (which sets its own jump point) and frees the writer
// again; on failure `out` is left as it was.
template <typename Picture>
bool WritePng(const Picture& picture, std::vector<uint8_t>& out,
              bool (*encode)(png_structp, png_infop, const Picture&, std::vector<uint8_t>*)) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, SilentError, SilentWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  const size_t start = out.size();
  const bool ok = encode(png, info, picture, &out);
  png_destroy_write_struct(&png, &info);
  if (!ok) out.resize(start);
  return ok;
}

}  // namespace

bool IsPngFile(const uint8_t* data, size_t size) { return size >= 8 && png_sig_cmp(data, 0, 8) == 0; }

DecodeStatus CheckPngStart(const uint8_t* start, size_t size, RequiredSize required) {
  if (!IsPngFile(start, size) || size < 24 || std::memcmp(start + 12, "IHDR", 4) != 0) return DecodeStatus::Ok;
  const auto big32 = [start](size_t at) {
    return uint32_t{start[at]} << 24 | uint32_t{start[at + 1]} << 16 | uint32_t{start[at + 2]} << 8 | start[at + 3];
  };
  return CheckHeaderSize(big32(16), big32(20), required);
}

DecodeStatus DecodePng(const uint8_t* data, size_t size, PixelImage& image, RequiredSize required) {
  image = PixelImage{};
  if (!IsPngFile(data, size)) return DecodeStatus::NotThisFormat;
  const DecodeStatus status = ReadPng(data, size, required, image, DecodeWithLibpng);
  if (status != DecodeStatus::Ok) image = PixelImage{};
  return status;
}

DecodeStatus DecodePngWithAlpha(const uint8_t* data, size_t size, AlphaPicture& out) {
  out = AlphaPicture{};
  if (!IsPngFile(data, size)) return DecodeStatus::NotThisFormat;
  const DecodeStatus status = ReadPng(data, size, AnySize, out, DecodeAlphaWithLibpng);
  if (status != DecodeStatus::Ok) out = AlphaPicture{};
  return status;
}

bool EncodePng(const PixelImage& image, int /*quality*/, std::vector<uint8_t>& out) {
  if (image.width < 1 || image.height < 1 || image.width > MaxImageSide || image.height > MaxImageSide) return false;
  if (image.pixels.size() < static_cast<size_t>(RowSize(image.width)) * static_cast<size_t>(image.height)) return false;
  // Pictures larger than one piece are compressed on all cores; small ones (thumbnails) as always.
  const uint64_t rawBytes = (1 + static_cast<uint64_t>(image.width) * 3) * static_cast<uint64_t>(image.height);
  if (rawBytes > ParallelDeflatePiece) return EncodePngInPieces(image, out, PictureDeflateEffort());
  return WritePng(image, out, EncodeWithLibpng);
}

bool EncodePngWithAlpha(const AlphaPicture& picture, std::vector<uint8_t>& out) {
  if (!IsCompleteAlphaPicture(picture)) return false;
  return WritePng(picture, out, EncodeAlphaWithLibpng);
}
