// Damaged pictures through the decoders: bit flips, cut-off files and absurd sizes must end in a
// clean result, silently. Run under the sanitizers this also catches reads outside the buffers.
#include <random>

#include <gtest/gtest.h>

#include "tests/native/image_test_support.h"

namespace {

using namespace imagetest;

constexpr int MutationsPerFormat = 2500;

std::vector<std::vector<uint8_t>> Seeds(const std::vector<fs::path>& files, const std::vector<uint8_t>& own) {
  std::vector<std::vector<uint8_t>> seeds = {own};
  for (const fs::path& file : files) {
    std::vector<uint8_t> bytes = ReadBytes(file);
    if (!bytes.empty()) seeds.push_back(std::move(bytes));
  }
  return seeds;
}

void FlipBits(std::vector<uint8_t>& bytes, std::mt19937& random, size_t from) {
  if (bytes.size() <= from) return;
  const int flips = 1 + static_cast<int>(random() % 8);
  for (int i = 0; i < flips; ++i) bytes[from + random() % (bytes.size() - from)] ^= static_cast<uint8_t>(1u << (random() % 8));
}

// Big-endian 16- or 32-bit size values that are zero, huge or just past the limit.
uint32_t AbsurdSize(std::mt19937& random) {
  const uint32_t choices[] = {0, 1, 32767, 32768, 65535, 0x7FFFFFFF, 0xFFFFFFFF, static_cast<uint32_t>(random())};
  return choices[random() % 8];
}

std::vector<uint8_t> MutatePng(const std::vector<uint8_t>& seed, std::mt19937& random) {
  std::vector<uint8_t> bytes = seed;
  switch (random() % 4) {
    case 0:  // raw bit flips: most end at a CRC check
      FlipBits(bytes, random, 8);
      break;
    case 1: {  // flips inside one chunk with its CRC made right again, so libpng goes on reading
      std::vector<PngChunk> chunks = PngChunks(seed);
      if (chunks.empty()) break;
      FlipBits(chunks[random() % chunks.size()].data, random, 0);
      bytes = BuildPng(chunks);
      break;
    }
    case 2: {  // absurd width or height with a valid CRC
      std::vector<PngChunk> chunks = PngChunks(seed);
      if (chunks.empty() || chunks[0].data.size() < 8) break;
      const uint32_t size = AbsurdSize(random);
      const size_t at = (random() % 2) * 4;
      for (int i = 0; i < 4; ++i) chunks[0].data[at + i] = static_cast<uint8_t>(size >> (24 - 8 * i));
      bytes = BuildPng(chunks);
      break;
    }
    default:  // cut off anywhere
      bytes.resize(random() % (bytes.size() + 1));
  }
  return bytes;
}

std::vector<uint8_t> MutateJpeg(const std::vector<uint8_t>& seed, std::mt19937& random) {
  std::vector<uint8_t> bytes = seed;
  switch (random() % 3) {
    case 0:
      FlipBits(bytes, random, 2);
      break;
    case 1:  // absurd frame size
      for (size_t at = 2; at + 9 < bytes.size(); ++at) {
        if (bytes[at] == 0xFF && (bytes[at + 1] & 0xF0) == 0xC0 && bytes[at + 1] != 0xC4 && bytes[at + 1] != 0xC8 &&
            bytes[at + 1] != 0xCC) {
          const uint32_t size = AbsurdSize(random);
          const size_t field = at + 5 + (random() % 2) * 2;
          bytes[field] = static_cast<uint8_t>(size >> 8);
          bytes[field + 1] = static_cast<uint8_t>(size);
          break;
        }
      }
      break;
    default:
      bytes.resize(random() % (bytes.size() + 1));
  }
  return bytes;
}

template <typename Mutate>
void RunMutations(const std::vector<std::vector<uint8_t>>& seeds, Mutate mutate,
                  DecodeStatus (*decode)(const uint8_t*, size_t, PixelImage&, RequiredSize), uint32_t seed) {
  std::mt19937 random(seed);
  int decoded = 0;
  testing::internal::CaptureStderr();
  for (int i = 0; i < MutationsPerFormat; ++i) {
    const std::vector<uint8_t> file = mutate(seeds[i % seeds.size()], random);
    PixelImage image;
    if (decode(file.data(), file.size(), image, AnySize) == DecodeStatus::Ok) {
      ++decoded;
      ASSERT_EQ(image.pixels.size(), static_cast<size_t>(RowSize(image.width)) * image.height) << "mutation " << i;
    } else {
      ASSERT_TRUE(image.pixels.empty()) << "mutation " << i;
    }
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  // Some damage (in ancillary chunks, in the scan) still leaves a picture; most does not.
  EXPECT_GT(decoded, 0);
  EXPECT_LT(decoded, MutationsPerFormat);
}

TEST(ImageMutations, DamagedPngFilesFailCleanly) {
  const fs::path suite = DepsDir() / "src/libpng/contrib/pngsuite";
  std::vector<uint8_t> own;
  ASSERT_TRUE(EncodePng(Pattern(19, 11), 0, own));
  RunMutations(Seeds({suite / "basn3p04.png", suite / "basn0g16.png", suite / "basn6a08.png",
                      suite / "ibasn2c16.png", suite / "ibasn3p08.png", suite / "basn0g01.png"},
                     own),
               MutatePng, DecodePng, 20261207);
}

TEST(ImageMutations, DamagedJpegFilesFailCleanly) {
  const fs::path images = DepsDir() / "src/libjpeg-turbo/testimages";
  std::vector<uint8_t> own;
  ASSERT_TRUE(EncodeJpeg(Pattern(19, 11), 7, own));
  RunMutations(Seeds({images / "testorig.jpg", images / "testimgint.jpg", images / "testimgari.jpg"}, own),
               MutateJpeg, DecodeJpeg, 1207);
}

}  // namespace
