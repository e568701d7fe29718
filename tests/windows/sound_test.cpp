// The notification sound built into the exe is the short PCM chime PlaySound gets from memory.
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <cstring>
#include <string_view>

#include <gtest/gtest.h>

#include "resources/resource_ids.h"

namespace {

std::string_view SoundBytes() {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDR_NOTIFICATION_SOUND), "WAVE");
  if (!found) return {};
  HGLOBAL loaded = LoadResource(nullptr, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  return data ? std::string_view(static_cast<const char*>(data), SizeofResource(nullptr, found)) : std::string_view();
}

uint32_t U32(std::string_view bytes, std::size_t at) {
  uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}
uint16_t U16(std::string_view bytes, std::size_t at) {
  uint16_t value = 0;
  std::memcpy(&value, bytes.data() + at, 2);
  return value;
}

TEST(NotificationSound, IsShortMonoPcmAt22050Hz) {
  const std::string_view wav = SoundBytes();
  ASSERT_GE(wav.size(), 44u);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(U32(wav, 4), wav.size() - 8) << "RIFF size covers the whole resource";
  EXPECT_EQ(wav.substr(8, 4), "WAVE");
  // Walk the chunks: fmt first, then data, then any metadata.
  std::size_t at = 12;
  bool sawFormat = false;
  uint32_t dataSize = 0;
  while (at + 8 <= wav.size()) {
    const std::string_view tag = wav.substr(at, 4);
    const uint32_t size = U32(wav, at + 4);
    ASSERT_LE(at + 8 + size, wav.size()) << tag;
    if (tag == "fmt ") {
      sawFormat = true;
      EXPECT_EQ(U16(wav, at + 8), WAVE_FORMAT_PCM);
      EXPECT_EQ(U16(wav, at + 10), 1) << "channels";
      EXPECT_EQ(U32(wav, at + 12), 22050u) << "samples per second";
      EXPECT_EQ(U32(wav, at + 16), 44100u) << "bytes per second";
      EXPECT_EQ(U16(wav, at + 20), 2) << "block align";
      EXPECT_EQ(U16(wav, at + 22), 16) << "bits per sample";
    } else if (tag == "data") {
      EXPECT_TRUE(sawFormat) << "fmt comes before data";
      dataSize = size;
    }
    at += 8 + size + (size & 1);
  }
  EXPECT_EQ(at, wav.size());
  EXPECT_EQ(dataSize, 2516u) << "1,258 samples, about 57 ms";
}

TEST(NotificationSound, PlaysFromMemory) {
  const std::string_view wav = SoundBytes();
  ASSERT_FALSE(wav.empty());
  // Without an audio device PlaySound reports failure; the data must still be accepted as a wave.
  if (waveOutGetNumDevs() == 0) GTEST_SKIP() << "no audio output device";
  EXPECT_TRUE(PlaySoundA(wav.data(), nullptr, SND_MEMORY | SND_SYNC | SND_NODEFAULT));
}

}  // namespace
