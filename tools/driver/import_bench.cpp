#include "tools/driver/import_bench.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "exchange/board_writer.h"
#include "tools/driver/list_driver.h"
#include "tools/driver/window_driver.h"

namespace {

constexpr size_t kMiB = size_t{1} << 20;
constexpr size_t kLargestEntry = 40 * kMiB;
constexpr int kEntries = 141;

std::vector<unsigned char> RandomBytes(std::mt19937& random, size_t size) {
  std::vector<unsigned char> bytes(size);
  for (size_t i = 0; i + 4 <= size; i += 4) {
    const uint32_t word = random();
    std::memcpy(bytes.data() + i, &word, 4);
  }
  return bytes;
}

bool WriteBoardInPieces(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::mt19937 random(7);
  std::vector<unsigned char> bytes;
  AppendBoardHeader(bytes, 1000, kEntries);
  bool written = true;
  for (int i = 0; written && i < kEntries; ++i) {
    BoardEntry entry;
    entry.name = "09122026-1200" + std::to_string(10 + i / 60) + "-" + std::to_string(i);
    entry.kind = i < 100 || i == kEntries - 1 ? BoardKindText : BoardKindImage;
    entry.content = RandomBytes(random, i == kEntries - 1 ? kLargestEntry : i < 100 ? kMiB : 4 * kMiB);
    entry.thumbnail = RandomBytes(random, 4096);
    written = AppendBoardEntry(bytes, entry, {}) == BoardError::None;
    DWORD wrote = 0;
    written = written && WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) && wrote == bytes.size();
    bytes.clear();
  }
  return CloseHandle(file) && written;
}

}  // namespace

int BenchImport(const std::string& path) {
  HWND main = FindWindowA(nullptr, "KepSil!");
  HWND list = main ? FindChild(main, "SysListView32") : nullptr;
  if (!list || !WriteBoardInPieces(path) || !SendBoardHandOff(path)) return 1;
  const DWORD start = GetTickCount();
  // The import is over once every row shows and the window takes input again.
  while (ListRowCount(list) != kEntries || !IsWindowEnabled(main)) {
    if (GetTickCount() - start > 600000) {
      std::printf("the board was not imported within 10 minutes\n");
      return 1;
    }
    Sleep(50);
  }
  std::printf("%zu\n", kLargestEntry);
  return 0;
}
