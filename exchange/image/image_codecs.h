// PNG, JPEG and BMP over the pixel exchange format, and the codec table that the file services use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "exchange/image/pixel_image.h"

// The numbers are the format numbers of the save requester's pattern list.
enum class ImageEncoding { Bmp = 0, Jpeg = 1, Png = 2 };

// Quality that callers without one of their own pass to the encoders (0 … 10).
constexpr int DefaultImageQuality = 7;

enum class DecodeStatus {
  Ok,
  NotThisFormat,  // the signature does not match
  Corrupt,        // damaged or truncated data, or a size the file cannot hold
  TooLarge,       // sides beyond the budget (FitsImageBudget), or the pixels cannot be allocated
  WrongSize,      // other sides than the caller asked for
};

// The sides a caller takes: any within the budget (0 × 0), or exactly these (a thumbnail).
struct RequiredSize {
  int width = 0;
  int height = 0;
};
inline constexpr RequiredSize AnySize{};

// What a decoder answers to the sides its header states, before it allocates anything: Corrupt for
// a side below 1, TooLarge beyond the budget, WrongSize for sides other than the required ones.
DecodeStatus CheckHeaderSize(uint64_t width, uint64_t height, RequiredSize required);

struct ImageDecoder {
  const char* name;
  bool (*accepts)(const uint8_t* data, size_t size);
  DecodeStatus (*decode)(const uint8_t* data, size_t size, PixelImage& image, RequiredSize required);
};

struct ImageEncoder {
  ImageEncoding encoding;
  // Appends the encoded file to `out`; false when the picture cannot be encoded.
  bool (*encode)(const PixelImage& image, int quality, std::vector<uint8_t>& out);
};

// The registered codecs; decoders are tried in the order they were registered.
struct ImageCodecs {
  std::vector<const ImageDecoder*> decoders;
  std::vector<const ImageEncoder*> encoders;
};
extern ImageCodecs Codecs;

// Registers the codecs in the program's order: PNG decoder, PNG encoder, JPEG encoder, JPEG
// decoder. Calling it again changes nothing.
void RegisterImageCodecs(ImageCodecs& codecs);

// The first registered decoder that accepts the data, or nullptr.
const ImageDecoder* FindImageDecoder(const ImageCodecs& codecs, const uint8_t* data, size_t size);
// The registered encoder for the encoding (BMP included), or nullptr.
const ImageEncoder* FindImageEncoder(const ImageCodecs& codecs, ImageEncoding encoding);

// Offers the data to the registered decoders in order. NotThisFormat when none accepts it.
DecodeStatus DecodeImage(const ImageCodecs& codecs, const uint8_t* data, size_t size, PixelImage& image,
                         RequiredSize required = AnySize);

// --- PNG ---------------------------------------------------------------------------------------
// The data starts with the 8-byte PNG signature.
bool IsPngFile(const uint8_t* data, size_t size);
// Any PNG becomes 8-bit blue-green-red: palette and grey expanded, 16 bits reduced, alpha dropped
// (never blended), interlaced pictures read pass by pass. No gamma or colour conversion.
DecodeStatus DecodePng(const uint8_t* data, size_t size, PixelImage& image, RequiredSize required = AnySize);
// The sides the first 24 bytes of a PNG state (its IHDR chunk comes first), checked as a decoder
// checks them, so that a refused picture need not be read at all; Ok when the bytes are too few
// or hold no such header (the decoder decides then).
DecodeStatus CheckPngStart(const uint8_t* start, size_t size, RequiredSize required);
// 8-bit RGB, no interlace, filter None only, zlib level 9. The quality is not used.
bool EncodePng(const PixelImage& image, int quality, std::vector<uint8_t>& out);

// --- JPEG --------------------------------------------------------------------------------------
// The data starts with 0xFF 0xD8.
bool IsJpegFile(const uint8_t* data, size_t size);
// Decodes to 24-bit colour (grey and CMYK pictures too).
DecodeStatus DecodeJpeg(const uint8_t* data, size_t size, PixelImage& image, RequiredSize required = AnySize);
// libjpeg quality for the program's quality: 10 × quality clamped to 0 … 10.
int JpegLibraryQuality(int quality);
// 3 components from RGB, libjpeg's defaults otherwise, quality as JpegLibraryQuality.
bool EncodeJpeg(const PixelImage& image, int quality, std::vector<uint8_t>& out);

// --- BMP ---------------------------------------------------------------------------------------
constexpr int BmpHeaderSize = 54;
// Bytes of a BMP file's start that IsPlausibleBmpFile reads: both headers up to the compression.
constexpr size_t BmpStartSize = 34;
// Whether a file that starts with "BM" has a bitmap header the system's loader can rely on: the
// information header complete, the pixel data starting inside the file, sides within the budget
// (and the required ones, when given), and uncompressed rows all inside the file. `start` holds the
// file's first bytes (BmpStartSize of them when the file has that many), `fileSize` its full size.
bool IsPlausibleBmpFile(const uint8_t* start, size_t startSize, uint64_t fileSize, RequiredSize required = AnySize);
// 54 + height × RowSize(width).
uint64_t BmpFileSize(int width, int height);
// A 24-bit uncompressed BMP file: 14-byte file header, 40-byte information header, rows bottom
// row first. The quality is not used.
bool EncodeBmp(const PixelImage& image, int quality, std::vector<uint8_t>& out);
