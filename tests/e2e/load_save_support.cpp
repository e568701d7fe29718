#include "tests/e2e/load_save_support.h"

#include <algorithm>
#include <cstdlib>

#include "core/code_page_win.h"
#include "exchange/image/image_codecs.h"
#include "exchange/image/pixel_image.h"

namespace {

constexpr int kGradientWidth = 40;
constexpr int kGradientHeight = 30;

PixelImage Gradient(int seed) {
  PixelImage image;
  AllocatePixelImage(image, kGradientWidth, kGradientHeight);
  for (int y = 0; y < kGradientHeight; ++y) {
    uint8_t* row = image.Row(y);
    for (int x = 0; x < kGradientWidth; ++x) {
      // Smooth everywhere (no value wraps around), so that JPEG keeps it close.
      row[x * 3 + 0] = static_cast<uint8_t>(x * 4 + seed * 20);
      row[x * 3 + 1] = static_cast<uint8_t>(y * 8);
      row[x * 3 + 2] = static_cast<uint8_t>(200 - seed * 30);
    }
  }
  return image;
}

uint32_t Little(const std::vector<unsigned char>& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | bytes[at + static_cast<size_t>(i)];
  return value;
}

bool DecodeBmp24(const std::vector<unsigned char>& bytes, PixelImage& image) {
  if (!Is24BitBmp(bytes)) return false;
  const auto width = static_cast<int>(Little(bytes, 18, 4));
  const auto height = static_cast<int>(Little(bytes, 22, 4));
  const uint32_t offset = Little(bytes, 10, 4);
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096) return false;
  if (offset + static_cast<uint64_t>(RowSize(width)) * static_cast<uint64_t>(height) > bytes.size()) return false;
  if (!AllocatePixelImage(image, width, height)) return false;
  for (int y = 0; y < height; ++y) {
    const unsigned char* source = bytes.data() + offset + static_cast<size_t>(height - 1 - y) * static_cast<size_t>(RowSize(width));
    std::copy(source, source + width * 3, image.Row(y));
  }
  return true;
}

bool Decode(const std::vector<unsigned char>& bytes, PixelImage& image) {
  if (DecodeBmp24(bytes, image)) return true;
  RegisterImageCodecs(Codecs);
  return DecodeImage(Codecs, bytes.data(), bytes.size(), image) == DecodeStatus::Ok;
}

void RemoveTree(const std::string& folder) {
  for (const std::string& name : FilesIn(folder)) DeleteFileW(Wide(folder + name).c_str());
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Wide(folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = Utf8(found.cFileName);
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..") {
        RemoveTree(folder + name + "\\");
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(Wide(folder).c_str());
}

}  // namespace

std::vector<unsigned char> GradientBmp(int seed) {
  std::vector<uint8_t> out;
  EncodeBmp(Gradient(seed), 0, out);
  return {out.begin(), out.end()};
}

std::vector<unsigned char> GradientPng(int seed) {
  std::vector<uint8_t> out;
  EncodePng(Gradient(seed), 0, out);
  return {out.begin(), out.end()};
}

std::vector<unsigned char> GradientJpeg(int seed) {
  std::vector<uint8_t> out;
  EncodeJpeg(Gradient(seed), 10, out);
  return {out.begin(), out.end()};
}

std::vector<unsigned char> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

bool Is24BitBmp(const std::vector<unsigned char>& bytes) {
  return bytes.size() >= 54 && bytes[0] == 'B' && bytes[1] == 'M' && Little(bytes, 28, 2) == 24 &&
         Little(bytes, 30, 4) == 0;
}

bool IsPng(const std::vector<unsigned char>& bytes) {
  static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return bytes.size() > 8 && std::equal(kSignature, kSignature + 8, bytes.begin());
}

bool IsJpegOfHighestQuality(const std::vector<unsigned char>& bytes) {
  if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return false;
  size_t at = 2;
  int tables = 0;
  while (at + 4 <= bytes.size() && bytes[at] == 0xFF) {
    const int marker = bytes[at + 1];
    const size_t length = (static_cast<size_t>(bytes[at + 2]) << 8) | bytes[at + 3];
    if (marker == 0xDA || length < 2 || at + 2 + length > bytes.size()) break;
    if (marker == 0xDB) {
      // Each table: precision and number, then 64 values of 8 or 16 bits.
      for (size_t t = at + 4; t < at + 2 + length;) {
        const bool wide = (bytes[t] >> 4) != 0;
        const size_t valueSize = wide ? 2 : 1;
        if (t + 1 + 64 * valueSize > at + 2 + length) return false;
        for (size_t v = 0; v < 64; ++v) {
          const size_t p = t + 1 + v * valueSize;
          const unsigned value = wide ? (bytes[p] << 8 | bytes[p + 1]) : bytes[p];
          if (value != 1) return false;
        }
        ++tables;
        t += 1 + 64 * valueSize;
      }
    }
    at += 2 + length;
  }
  return tables > 0;
}

bool ShowsGradient(const std::vector<unsigned char>& file, int seed, int tolerance) {
  PixelImage decoded;
  if (!Decode(file, decoded)) return false;
  const PixelImage expected = Gradient(seed);
  if (decoded.width != expected.width || decoded.height != expected.height) return false;
  for (int y = 0; y < expected.height; ++y) {
    for (int i = 0; i < expected.width * 3; ++i) {
      if (std::abs(int{decoded.Row(y)[i]} - int{expected.Row(y)[i]}) > tolerance) return false;
    }
  }
  return true;
}

std::vector<std::string> PrefsStrings(const std::vector<unsigned char>& bytes) {
  std::vector<std::string> strings;
  size_t at = 56;
  while (strings.size() < 6 && at < bytes.size()) {
    size_t end = at;
    while (end < bytes.size() && bytes[end] != 0) ++end;
    strings.emplace_back(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(end));
    at = end + 1;
  }
  if (strings.size() < 6) strings.clear();
  return strings;
}

void ExchangeTest::WriteCollection(const std::vector<StoredFiles>& items) {
  MakeWorkingDirectory();
  std::vector<ItemRecord> records;
  for (const StoredFiles& item : items) {
    records.push_back({item.kind, item.checked, item.name});
    ASSERT_TRUE(WriteFileContents(app_.WorkingFile(item.name + ".clt"), item.thumbnail));
    ASSERT_TRUE(WriteFileContents(app_.WorkingFile(item.name + (item.kind == 0 ? ".bmp" : ".txt")), item.content));
  }
  ASSERT_TRUE(WriteFileContents(app_.WorkingFile("items.dat"), ItemsDatBytes(records)));
}

std::vector<StoredFiles> ExchangeTest::MixedCollection() {
  return {
      {1, 1, "07122026-101504-400", Bytes(std::string(300, 'a') + " a text long enough to pack well " + std::string(300, 'b')),
       ThumbnailPng(200, 100, 100)},
      {0, 0, "07122026-101503-300", GradientBmp(1), ThumbnailPng(100, 200, 100)},
      {0, 1, "07122026-101502-200", GradientPng(2), ThumbnailPng(100, 100, 200)},
      {1, 0, "07122026-101501-100", Bytes("x"), ThumbnailPng(150, 150, 150)},
  };
}

std::string ExchangeTest::OutputFolder(const std::string& name) {
  if (outputFolder_.empty()) {
    outputFolder_ = "C:\\" + name + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + "\\";
    CreateDirectoryW(Wide(outputFolder_).c_str(), nullptr);
  }
  return outputFolder_;
}

void ExchangeTest::TearDown() {
  E2eTest::TearDown();
  if (!outputFolder_.empty()) RemoveTree(outputFolder_);
}

HWND ExchangeTest::OpenRequester(int command) {
  BringToFront(Main());
  PostCommand(Main(), command);
  return WaitForRequester();
}

bool ExchangeTest::WaitUntilDone(DWORD timeoutMs) {
  constexpr DWORD kQuietMs = 600;
  DWORD quietSince = 0;
  const bool quiet = WaitUntil([&] {
    bool idle = IsWindowEnabled(Main()) != 0;
    for (HWND window : ProcessWindows(app_.Id(), false)) {
      const std::string className = WindowClass(window);
      // A requester is hidden before it is destroyed and before the program has its answer.
      if (className == "#32770") idle = false;
      if (IsWindowVisible(window) && window != Main() && className != "tooltips_class32") idle = false;
    }
    if (!idle) {
      quietSince = 0;
      return false;
    }
    if (quietSince == 0) quietSince = GetTickCount();
    return GetTickCount() - quietSince >= kQuietMs;
  }, timeoutMs);
  // Work that shows no window (writing a file after its requester closed) ends before the
  // program takes its messages again.
  return quiet && WaitForPostedMessages(Main());
}

void ExchangeTest::ExitAndReadPrefs(int32_t (&values)[14], std::vector<std::string>& strings) {
  ExitProgram();
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("prefs.dat"), bytes));
  ASSERT_TRUE(PrefsFile::Read(bytes, values));
  strings = PrefsStrings(bytes);
  ASSERT_EQ(strings.size(), 6u);
}
