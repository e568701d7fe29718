// The memory a board import holds: a 300 MB board read entry by entry into files, as the program
// stages an import, against holding its largest entry once, measured in the same run. The peak
// resident memory (VmHWM) is reset before each of the two and read after.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/file_bytes.h"
#include "exchange/board_reader.h"
#include "exchange/board_writer.h"

namespace {

using Bytes = std::vector<unsigned char>;

constexpr size_t kMiB = size_t{1} << 20;
// 100 texts of 1 MiB, 40 pictures of 4 MiB and one text of 40 MiB: 300 MiB, the largest entry
// 40 MiB. Random bytes, which no packing shortens, so the board is as large as its contents.
constexpr size_t kLargestEntry = 40 * kMiB;

Bytes RandomBytes(std::mt19937& random, size_t size) {
  Bytes bytes(size);
  for (size_t i = 0; i + 4 <= size; i += 4) {
    const uint32_t word = random();
    std::memcpy(bytes.data() + i, &word, 4);
  }
  return bytes;
}

void AppendStored(Bytes& out, const BoardEntry& entry) {
  AppendBoardEntry(out, entry, {});
}

std::string ScratchPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() / ("kepsil-bench-" + std::to_string(getpid()) + "-" + name)).string();
}

// Written once: the board and its largest entry's size.
const std::string& BoardFile() {
  static const std::string path = [] {
    const std::string file = ScratchPath("300mb.ksb");
    std::mt19937 random(7);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    Bytes bytes;
    AppendBoardHeader(bytes, 1000, 141);
    for (int i = 0; i < 141; ++i) {
      BoardEntry entry;
      entry.name = "item" + std::to_string(i);
      entry.kind = i < 100 || i == 140 ? BoardKindText : BoardKindImage;
      entry.content = RandomBytes(random, i == 140 ? kLargestEntry : i < 100 ? kMiB : 4 * kMiB);
      entry.thumbnail = RandomBytes(random, 4096);
      AppendStored(bytes, entry);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      bytes.clear();
    }
    return file;
  }();
  return path;
}

long StatusKib(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
  }
  return -1;
}

// Resets the peak to what is resident now and returns that; freed memory goes back first.
long StartPeak() {
  malloc_trim(0);
  std::ofstream("/proc/self/clear_refs") << "5";
  return StatusKib("VmRSS:");
}

long PeakAbove(long start) { return StatusKib("VmHWM:") - start; }

// Writes each entry's files as it comes, flushed, as the program's import stages them.
class FolderReceiver : public BoardReceiver {
 public:
  explicit FolderReceiver(std::string folder) : folder_(std::move(folder)) {}
  void Header(int32_t, std::size_t) override {}
  bool Entry(std::size_t, BoardEntry& entry) override {
    const std::string base = folder_ + "/" + entry.name;
    ++entries;
    return WriteFileFlushed(base + (entry.kind == BoardKindImage ? ".bmp" : ".txt"), entry.content) &&
           WriteFileFlushed(base + ".clt", entry.thumbnail);
  }
  bool Extras(std::size_t, std::vector<ItemExtra>&) override { return true; }
  size_t entries = 0;

 private:
  std::string folder_;
};

void BoardImportPeakMemory(benchmark::State& state) {
  // A fixed threshold: large blocks are mapped and given back when freed, so what one
  // measurement freed does not hide in the next one's start.
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);
  const std::string& board = BoardFile();
  const std::string folder = ScratchPath("staging");
  long peak = 0;
  long reference = 0;
  for (auto _ : state) {
    std::filesystem::create_directories(folder);
    const long importStart = StartPeak();
    {
      FileBoardSource source(board);
      FolderReceiver receiver(folder);
      if (!ReadBoard(source, receiver).Ok() || receiver.entries != 141) state.SkipWithError("the board was not read");
    }
    peak = std::max(peak, PeakAbove(importStart));
    std::filesystem::remove_all(folder);

    const long holdStart = StartPeak();
    {
      Bytes largest(kLargestEntry);
      for (size_t i = 0; i < largest.size(); i += 4096) largest[i] = 1;
      benchmark::DoNotOptimize(largest.data());
    }
    reference = std::max(reference, PeakAbove(holdStart));
  }
  state.counters["board_MB"] = static_cast<double>(std::filesystem::file_size(board)) / 1e6;
  state.counters["peak_MB"] = static_cast<double>(peak) * 1024 / 1e6;
  state.counters["reference_MB"] = static_cast<double>(reference) * 1024 / 1e6;
  state.counters["peak_vs_ref"] = static_cast<double>(peak) / static_cast<double>(std::max(1L, reference));
}

BENCHMARK(BoardImportPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Not a benchmark: removes the board once the run is over.
struct RemoveBoard {
  ~RemoveBoard() {
    std::error_code ignored;
    std::filesystem::remove(ScratchPath("300mb.ksb"), ignored);
  }
} removeBoard;

}  // namespace
