#include "exchange/image/clipboard_dib.h"

#include <algorithm>
#include <new>

namespace {

// Header sizes with masks inside: from 52 bytes the colour masks, from 56 the alpha mask too.
constexpr uint32_t HeaderWithColourMasks = 52;
constexpr uint32_t HeaderWithAlphaMask = 56;
constexpr size_t MaskBytes = 12;  // red, green and blue masks after a header without them
constexpr int IntentImages = 4;   // LCS_GM_IMAGES: keep the colours as they look

uint16_t Read16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

uint32_t Read32(const uint8_t* at) {
  return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

void Put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// The fields of the information header that matter here, whatever its version.
struct DibHeader {
  uint32_t size = 0;
  int64_t width = 0;
  int64_t height = 0;  // negative: top row first
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t coloursUsed = 0;
  bool hasColourMasks = false;
  uint32_t redMask = 0, greenMask = 0, blueMask = 0, alphaMask = 0;
};

bool IsKnownHeaderSize(uint32_t size) {
  return size == DibInfoHeaderSize || size == HeaderWithColourMasks || size == HeaderWithAlphaMask ||
         size == DibV4HeaderSize || size == DibV5HeaderSize;
}

DecodeStatus ReadHeader(const uint8_t* block, size_t size, DibHeader& header) {
  if (size < 4) return DecodeStatus::Corrupt;
  header.size = Read32(block);
  if (!IsKnownHeaderSize(header.size)) return DecodeStatus::NotThisFormat;
  if (size < header.size) return DecodeStatus::Corrupt;
  header.width = static_cast<int32_t>(Read32(block + 4));
  header.height = static_cast<int32_t>(Read32(block + 8));
  header.bitCount = Read16(block + 14);
  header.compression = Read32(block + 16);
  header.coloursUsed = Read32(block + 32);
  if (header.size >= HeaderWithColourMasks) {
    header.hasColourMasks = true;
    header.redMask = Read32(block + 40);
    header.greenMask = Read32(block + 44);
    header.blueMask = Read32(block + 48);
  }
  if (header.size >= HeaderWithAlphaMask) header.alphaMask = Read32(block + 52);
  return DecodeStatus::Ok;
}

// One colour component of a pixel: a run of bits, scaled to 0 … 255.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  uint8_t From(uint32_t pixel) const {
    if (bits == 0) return 0;
    const uint32_t value = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(value >> (bits - 8));
    const uint32_t largest = (1u << bits) - 1;
    return static_cast<uint8_t>((value * 255 + largest / 2) / largest);
  }
};

// False for a mask whose bits are not one run.
bool MakeChannel(uint32_t mask, Channel& channel) {
  channel = Channel{};
  channel.mask = mask;
  if (mask == 0) return true;
  while (((mask >> channel.shift) & 1) == 0) ++channel.shift;
  const uint32_t run = mask >> channel.shift;
  while (channel.bits < 32 && ((run >> channel.bits) & 1) != 0) ++channel.bits;
  return channel.bits == 32 || (run >> channel.bits) == 0;
}

// Where the parts of the block lie and how a pixel is read.
struct DibLayout {
  int width = 0;
  int height = 0;
  bool bottomUp = true;
  int bitCount = 0;
  size_t tableOffset = 0;
  size_t tableEntries = 0;
  size_t pixelOffset = 0;
  size_t stride = 0;
  Channel red, green, blue, alpha;
};

DecodeStatus CheckSides(const DibHeader& header) {
  if (header.width < 1 || header.height == 0) return DecodeStatus::Corrupt;
  const int64_t rows = header.height < 0 ? -header.height : header.height;  // INT_MIN was widened first
  return FitsImageBudget(header.width, rows) ? DecodeStatus::Ok : DecodeStatus::TooLarge;
}

DecodeStatus CheckPixelFormat(const DibHeader& header) {
  if (header.compression != DibRgb && header.compression != DibBitFields) return DecodeStatus::NotThisFormat;
  switch (header.bitCount) {
    case 1: case 4: case 8: case 24:
      return header.compression == DibRgb ? DecodeStatus::Ok : DecodeStatus::Corrupt;
    case 16: case 32:
      return DecodeStatus::Ok;
    default:
      return DecodeStatus::Corrupt;
  }
}

// The red, green, blue and alpha masks: fixed for uncompressed pixels, read for bit fields. The
// alpha mask only ever comes from the header.
DecodeStatus ReadMasks(const DibHeader& header, const uint8_t* block, size_t size, DibLayout& layout,
                       size_t& masksAfterHeader) {
  uint32_t red = 0, green = 0, blue = 0;
  masksAfterHeader = 0;
  if (header.compression == DibBitFields) {
    if (header.hasColourMasks) {
      red = header.redMask, green = header.greenMask, blue = header.blueMask;
    } else {
      if (size - header.size < MaskBytes) return DecodeStatus::Corrupt;
      red = Read32(block + header.size), green = Read32(block + header.size + 4), blue = Read32(block + header.size + 8);
      masksAfterHeader = MaskBytes;
    }
  } else if (header.bitCount == 16) {
    red = 0x7C00, green = 0x03E0, blue = 0x001F;
  } else if (header.bitCount == 32) {
    red = 0x00FF0000, green = 0x0000FF00, blue = 0x000000FF;
  }
  const uint32_t alpha = header.bitCount == 32 ? header.alphaMask : 0;
  const uint32_t pixelBits = header.bitCount == 16 ? 0xFFFFu : 0xFFFFFFFFu;
  if (((red | green | blue | alpha) & ~pixelBits) != 0) return DecodeStatus::Corrupt;
  const bool runs = MakeChannel(red, layout.red) && MakeChannel(green, layout.green) &&
                    MakeChannel(blue, layout.blue) && MakeChannel(alpha, layout.alpha);
  return runs ? DecodeStatus::Ok : DecodeStatus::Corrupt;
}

// Some programs repeat the header's masks after a BITMAPV5HEADER as if it were the short header.
// Only when the block has room for them besides the pixels, and they match, are they skipped.
bool MasksRepeatedAfterHeader(const DibHeader& header, const uint8_t* block, size_t size, const DibLayout& layout,
                              uint64_t pixelBytes) {
  if (header.compression != DibBitFields || !header.hasColourMasks) return false;
  if (uint64_t{size} - layout.pixelOffset < pixelBytes + MaskBytes) return false;
  const uint8_t* after = block + header.size;
  return Read32(after) == header.redMask && Read32(after + 4) == header.greenMask &&
         Read32(after + 8) == header.blueMask;
}

DecodeStatus PlanLayout(const DibHeader& header, const uint8_t* block, size_t size, DibLayout& layout) {
  DecodeStatus status = CheckSides(header);
  if (status == DecodeStatus::Ok) status = CheckPixelFormat(header);
  size_t masksAfterHeader = 0;
  if (status == DecodeStatus::Ok) status = ReadMasks(header, block, size, layout, masksAfterHeader);
  if (status != DecodeStatus::Ok) return status;

  layout.width = static_cast<int>(header.width);
  layout.height = static_cast<int>(header.height < 0 ? -header.height : header.height);
  layout.bottomUp = header.height > 0;
  layout.bitCount = header.bitCount;
  // Small bit depths have a table of 2^bits colours unless the header names fewer; larger ones may
  // carry a table the pixels do not use, which still comes before them.
  const uint64_t entries = header.bitCount <= 8 && header.coloursUsed == 0 ? uint64_t{1} << header.bitCount
                                                                            : uint64_t{header.coloursUsed};
  const uint64_t tableOffset = uint64_t{header.size} + masksAfterHeader;
  const uint64_t pixelOffset = tableOffset + entries * 4;
  const uint64_t stride = (static_cast<uint64_t>(layout.width) * header.bitCount + 31) / 32 * 4;
  const uint64_t pixelBytes = stride * static_cast<uint64_t>(layout.height);
  if (pixelOffset > size || pixelBytes > size - pixelOffset) return DecodeStatus::Corrupt;
  layout.tableOffset = static_cast<size_t>(tableOffset);
  layout.tableEntries = header.bitCount <= 8 ? static_cast<size_t>(entries) : 0;
  layout.pixelOffset = static_cast<size_t>(pixelOffset);
  layout.stride = static_cast<size_t>(stride);
  if (MasksRepeatedAfterHeader(header, block, size, layout, pixelBytes)) layout.pixelOffset += MaskBytes;
  return DecodeStatus::Ok;
}

void DecodeIndexedRow(const DibLayout& layout, const uint8_t* table, const uint8_t* row, uint8_t* out) {
  const int bits = layout.bitCount;
  const unsigned indexMask = (1u << bits) - 1;
  for (int x = 0; x < layout.width; ++x, out += 4) {
    const size_t bit = static_cast<size_t>(x) * bits;
    const unsigned index = (row[bit / 8] >> (8 - bits - bit % 8)) & indexMask;
    if (index < layout.tableEntries) {
      // Table entries are blue, green, red and an unused byte.
      out[0] = table[index * 4], out[1] = table[index * 4 + 1], out[2] = table[index * 4 + 2];
    } else {
      out[0] = out[1] = out[2] = 0;  // an index past a short table shows black
    }
    out[3] = 255;
  }
}

void DecodeMaskedRow(const DibLayout& layout, const uint8_t* row, uint8_t* out) {
  const bool sixteen = layout.bitCount == 16;
  const bool hasAlpha = layout.alpha.bits > 0;
  for (int x = 0; x < layout.width; ++x, out += 4) {
    const uint32_t pixel = sixteen ? Read16(row + x * 2) : Read32(row + static_cast<size_t>(x) * 4);
    out[0] = layout.blue.From(pixel);
    out[1] = layout.green.From(pixel);
    out[2] = layout.red.From(pixel);
    out[3] = hasAlpha ? layout.alpha.From(pixel) : 255;
  }
}

void DecodeRow(const DibLayout& layout, const uint8_t* block, const uint8_t* row, uint8_t* out) {
  if (layout.bitCount <= 8) {
    DecodeIndexedRow(layout, block + layout.tableOffset, row, out);
  } else if (layout.bitCount == 24) {
    for (int x = 0; x < layout.width; ++x, out += 4, row += 3) {
      out[0] = row[0], out[1] = row[1], out[2] = row[2], out[3] = 255;
    }
  } else {
    DecodeMaskedRow(layout, row, out);
  }
}

// True when any pixel's alpha is not 0; otherwise every alpha becomes 255.
bool KeepAlphaUnlessAllZero(AlphaPicture& picture) {
  for (size_t at = 3; at < picture.bgra.size(); at += 4) {
    if (picture.bgra[at] != 0) return true;
  }
  for (size_t at = 3; at < picture.bgra.size(); at += 4) picture.bgra[at] = 255;
  return false;
}

}  // namespace

DecodeStatus DecodeClipboardDib(const uint8_t* block, size_t size, AlphaPicture& out, bool& alphaMeaningful) {
  out = AlphaPicture{};
  alphaMeaningful = false;
  if (block == nullptr) return DecodeStatus::Corrupt;
  DibHeader header;
  DibLayout layout;
  DecodeStatus status = ReadHeader(block, size, header);
  if (status == DecodeStatus::Ok) status = PlanLayout(header, block, size, layout);
  if (status != DecodeStatus::Ok) return status;
  if (!AllocateAlphaPicture(out, layout.width, layout.height)) return DecodeStatus::TooLarge;

  const size_t outStride = static_cast<size_t>(layout.width) * 4;
  for (int y = 0; y < layout.height; ++y) {
    const int stored = layout.bottomUp ? layout.height - 1 - y : y;
    const uint8_t* row = block + layout.pixelOffset + static_cast<size_t>(stored) * layout.stride;
    DecodeRow(layout, block, row, out.bgra.data() + static_cast<size_t>(y) * outStride);
  }
  if (layout.alpha.bits > 0) alphaMeaningful = KeepAlphaUnlessAllZero(out);
  return DecodeStatus::Ok;
}

std::vector<uint8_t> MakeClipboardDibV5(const AlphaPicture& picture) {
  if (!IsCompleteAlphaPicture(picture)) return {};
  const size_t rowBytes = static_cast<size_t>(picture.width) * 4;  // 32-bit rows need no padding
  const size_t pixelBytes = rowBytes * static_cast<size_t>(picture.height);
  if (pixelBytes > UINT32_MAX) return {};
  std::vector<uint8_t> block;
  try {
    block.assign(DibV5HeaderSize + pixelBytes, 0);
  } catch (const std::bad_alloc&) {
    return {};
  }
  uint8_t* header = block.data();
  Put32(header, DibV5HeaderSize);
  Put32(header + 4, static_cast<uint32_t>(picture.width));
  Put32(header + 8, static_cast<uint32_t>(picture.height));  // positive: bottom row first, as most readers expect
  header[12] = 1;                                              // planes
  header[14] = 32;                                             // bits a pixel
  Put32(header + 16, DibBitFields);
  Put32(header + 20, static_cast<uint32_t>(pixelBytes));
  Put32(header + 40, 0x00FF0000);  // red
  Put32(header + 44, 0x0000FF00);  // green
  Put32(header + 48, 0x000000FF);  // blue
  Put32(header + 52, 0xFF000000);  // alpha
  Put32(header + 56, DibColourSpaceSrgb);
  Put32(header + 108, IntentImages);
  // Straight alpha, the colours not multiplied by it, as the alpha mask declares: what WPF, Word and
  // LibreOffice read and write. (Some browsers write premultiplied colours; read as straight, their
  // soft edges come out a little dark.)
  // The masks above make each pixel exactly the picture's blue-green-red-alpha bytes.
  uint8_t* pixels = block.data() + DibV5HeaderSize;
  for (int y = 0; y < picture.height; ++y) {
    const uint8_t* source = picture.bgra.data() + static_cast<size_t>(picture.height - 1 - y) * rowBytes;
    std::copy(source, source + rowBytes, pixels + static_cast<size_t>(y) * rowBytes);
  }
  return block;
}
