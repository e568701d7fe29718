#include "tools/driver/durable_write_bench.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "core/file_bytes.h"
#include "store/items_file.h"
#include "tools/driver/bench_timing.h"

namespace {

using Bytes = std::vector<uint8_t>;

double MedianOf(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// The write as it was before files were made durable: beside the file, then renamed over it.
bool PlainReplacing(const std::string& path, const Bytes& bytes) {
  const std::string temporary = path + ".tmp";
  HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  const bool written = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) && wrote == bytes.size();
  CloseHandle(file);
  return written && MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

using Writer = std::function<bool(const std::string&, const Bytes&)>;

// The median time of writing these files one after the other, REPEATS times.
double TimeWrites(const std::vector<std::pair<std::string, Bytes>>& files, int repeats, const Writer& write) {
  std::vector<double> times;
  for (int run = 0; run < repeats; ++run) {
    const double start = NowMs();
    for (const auto& [path, bytes] : files) {
      if (!write(path, bytes)) return -1;
    }
    times.push_back(NowMs() - start);
  }
  return MedianOf(times);
}

void Report(const char* what, const std::vector<std::pair<std::string, Bytes>>& files, int repeats) {
  const double durable = TimeWrites(files, repeats, WriteFileReplacing);
  const double plain = TimeWrites(files, repeats, PlainReplacing);
  std::printf("durable writes, %s: median %.2f ms, plain write and rename %.2f ms, %.2fx\n", what, durable, plain,
              plain > 0 ? durable / plain : 0.0);
}

}  // namespace

int BenchDurableWrites(const std::string& folder, const std::string& picturePath, int repeats) {
  Bytes picture;
  if (!ReadFileBytes(picturePath, picture) || picture.empty()) return 1;
  std::string base = folder;
  if (!base.empty() && base.back() != '\\') base += '\\';
  CreateDirectoryA(base.c_str(), nullptr);
  const Bytes thumbnail(6000, 0x5A);
  const std::string text = "a text copied from another program, of the length most copies have";
  std::vector<StoredItem> items;
  for (int i = 0; i < 20000; ++i) items.push_back({i % 2, i % 3 == 0, "09122026-" + std::to_string(100000 + i) + "-1"});

  Report("capture of a text (.txt and .clt)", {{base + "t.txt", Bytes(text.begin(), text.end())}, {base + "t.clt", thumbnail}},
         repeats);
  Report("capture of a picture (.bmp and .clt)", {{base + "p.bmp", picture}, {base + "p.clt", thumbnail}}, repeats);
  Report("autosave of items.dat, 20,000 items", {{base + "items.dat", SerializeItemsFile(items)}}, repeats);
  return 0;
}
