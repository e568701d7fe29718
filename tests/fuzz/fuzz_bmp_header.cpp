// libFuzzer target: the check that stands between a BMP file and the system's loader. The first
// byte chooses whether the file is whole or cut short after its start; whatever the check lets
// through must have its headers inside the file, sides within the budget and, when uncompressed,
// every row inside the file (the last one perhaps without its padding).
#include <cstdint>
#include <cstdlib>

#include "exchange/image/image_codecs.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

uint32_t Read16(const uint8_t* at) { return uint32_t{at[0]} | uint32_t{at[1]} << 8; }
uint32_t Read32(const uint8_t* at) { return Read16(at) | Read16(at + 2) << 16; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t* file = data + 1;
  const size_t fileSize = size - 1;
  const size_t startSize = data[0] % 2 == 0 ? fileSize : (fileSize < BmpStartSize ? fileSize : BmpStartSize);
  const RequiredSize required = data[0] & 2 ? RequiredSize{278, 60} : AnySize;
  if (!IsPlausibleBmpFile(file, startSize, fileSize, required)) return 0;

  Check(startSize >= 26 && file[0] == 'B' && file[1] == 'M');
  const uint32_t infoSize = Read32(file + 14);
  const uint32_t pixelOffset = Read32(file + 10);
  Check(14 + uint64_t{infoSize} <= fileSize && pixelOffset >= 14 + infoSize && pixelOffset < fileSize);
  const bool core = infoSize == 12;
  Check(core || startSize >= BmpStartSize);
  const int64_t width = core ? int64_t{Read16(file + 18)} : int64_t{static_cast<int32_t>(Read32(file + 18))};
  int64_t height = core ? int64_t{Read16(file + 20)} : int64_t{static_cast<int32_t>(Read32(file + 22))};
  if (height < 0) height = -height;
  Check(FitsImageBudget(width, height));
  if (required.width != 0) Check(width == required.width && height == required.height);
  const uint32_t compression = core ? 0 : Read32(file + 30);
  if (compression == 0 || compression == 3 || compression == 6) {
    const uint64_t bits = core ? Read16(file + 24) : Read16(file + 28);
    // The last row may lack its padding.
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * bits + 7) / 8;
    const uint64_t stride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    Check(bits != 0 && pixelOffset + stride * static_cast<uint64_t>(height - 1) + rowBytes <= fileSize);
  }
  return 0;
}
