// decode, encode-png, encode-jpeg, encode-bmp: the program's own codecs between image files and
// binary PPM (RGB order), for tests and for looking at what the program reads and writes.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "exchange/image/image_codecs.h"
#include "tools/kepsil-tool/tool_command.h"

namespace {

using kepsil::tool::ReadWholeFile;
using kepsil::tool::WriteWholeFile;

// Reads one header number of a PPM file, skipping white space and comments.
bool ReadPpmNumber(const std::vector<unsigned char>& bytes, size_t& at, long& value) {
  while (at < bytes.size() && (std::isspace(bytes[at]) || bytes[at] == '#')) {
    if (bytes[at] == '#') {
      while (at < bytes.size() && bytes[at] != '\n') ++at;
    } else {
      ++at;
    }
  }
  if (at >= bytes.size() || !std::isdigit(bytes[at])) return false;
  value = 0;
  while (at < bytes.size() && std::isdigit(bytes[at])) {
    value = value * 10 + (bytes[at++] - '0');
    if (value > 1000000) return false;
  }
  return true;
}

// Binary PPM with 8-bit samples into the exchange format.
bool ReadPpm(const std::string& path, PixelImage& image) {
  std::vector<unsigned char> bytes;
  if (!ReadWholeFile(path, bytes) || bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6') return false;
  size_t at = 2;
  long width = 0, height = 0, maxValue = 0;
  if (!ReadPpmNumber(bytes, at, width) || !ReadPpmNumber(bytes, at, height) || !ReadPpmNumber(bytes, at, maxValue)) {
    return false;
  }
  ++at;  // the single white-space byte before the samples
  if (maxValue != 255 || !AllocatePixelImage(image, static_cast<int>(width), static_cast<int>(height))) return false;
  if (bytes.size() < at || bytes.size() - at < static_cast<size_t>(width) * static_cast<size_t>(height) * 3) return false;
  for (int y = 0; y < image.height; ++y) {
    uint8_t* row = image.Row(y);
    for (int x = 0; x < image.width; ++x, at += 3) {
      row[x * 3] = bytes[at + 2];
      row[x * 3 + 1] = bytes[at + 1];
      row[x * 3 + 2] = bytes[at];
    }
  }
  return true;
}

bool WritePpm(const std::string& path, const PixelImage& image) {
  const std::string header = "P6\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n";
  std::vector<unsigned char> bytes(header.begin(), header.end());
  bytes.reserve(bytes.size() + static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3);
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* row = image.Row(y);
    for (int x = 0; x < image.width; ++x) {
      bytes.push_back(row[x * 3 + 2]);
      bytes.push_back(row[x * 3 + 1]);
      bytes.push_back(row[x * 3]);
    }
  }
  return WriteWholeFile(path, bytes);
}

int Usage(const char* synopsis) {
  std::fprintf(stderr, "usage: kepsil-tool %s\n", synopsis);
  return 2;
}

const char* StatusText(DecodeStatus status) {
  switch (status) {
    case DecodeStatus::Ok: return "ok";
    case DecodeStatus::NotThisFormat: return "neither PNG nor JPEG";
    case DecodeStatus::Corrupt: return "damaged or truncated";
    case DecodeStatus::TooLarge: return "too large";
    case DecodeStatus::WrongSize: return "not of the size asked for";
  }
  return "unknown";
}

int Decode(const std::vector<std::string>& args) {
  if (args.size() != 2) return Usage("decode IN OUT.ppm");
  std::vector<unsigned char> bytes;
  if (!ReadWholeFile(args[0], bytes)) {
    std::fprintf(stderr, "decode: cannot read %s\n", args[0].c_str());
    return 1;
  }
  ImageCodecs codecs;
  RegisterImageCodecs(codecs);
  PixelImage image;
  const DecodeStatus status = DecodeImage(codecs, bytes.data(), bytes.size(), image);
  if (status != DecodeStatus::Ok) {
    std::fprintf(stderr, "decode: %s: %s\n", args[0].c_str(), StatusText(status));
    return 1;
  }
  if (!WritePpm(args[1], image)) {
    std::fprintf(stderr, "decode: cannot write %s\n", args[1].c_str());
    return 1;
  }
  return 0;
}

int Encode(const std::vector<std::string>& args, ImageEncoding encoding, int quality) {
  PixelImage image;
  if (!ReadPpm(args[0], image)) {
    std::fprintf(stderr, "encode: %s is no binary 8-bit PPM\n", args[0].c_str());
    return 1;
  }
  ImageCodecs codecs;
  RegisterImageCodecs(codecs);
  std::vector<uint8_t> file;
  const ImageEncoder* encoder = FindImageEncoder(codecs, encoding);
  if (!encoder || !encoder->encode(image, quality, file) || !WriteWholeFile(args[1], file)) {
    std::fprintf(stderr, "encode: cannot write %s\n", args[1].c_str());
    return 1;
  }
  return 0;
}

int EncodePngCommand(const std::vector<std::string>& args) {
  return args.size() == 2 ? Encode(args, ImageEncoding::Png, DefaultImageQuality) : Usage("encode-png IN.ppm OUT");
}

int EncodeJpegCommand(const std::vector<std::string>& args) {
  constexpr const char* synopsis = "encode-jpeg IN.ppm OUT QUALITY(0-10)";
  if (args.size() != 3) return Usage(synopsis);
  char* end = nullptr;
  const long quality = std::strtol(args[2].c_str(), &end, 10);
  if (end == args[2].c_str() || *end != '\0') return Usage(synopsis);
  // Out-of-range values are clamped by the encoder, as in the program.
  return Encode(args, ImageEncoding::Jpeg, static_cast<int>(std::max(-1000L, std::min(quality, 1000L))));
}

int EncodeBmpCommand(const std::vector<std::string>& args) {
  return args.size() == 2 ? Encode(args, ImageEncoding::Bmp, DefaultImageQuality) : Usage("encode-bmp IN.ppm OUT");
}

}  // namespace

KEPSIL_TOOL_COMMAND("decode", "IN OUT.ppm", Decode);
KEPSIL_TOOL_COMMAND("encode-png", "IN.ppm OUT", EncodePngCommand);
KEPSIL_TOOL_COMMAND("encode-jpeg", "IN.ppm OUT QUALITY(0-10)", EncodeJpegCommand);
KEPSIL_TOOL_COMMAND("encode-bmp", "IN.ppm OUT", EncodeBmpCommand);
