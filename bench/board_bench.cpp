// Board export and import of 1,000 items, in memory and through a file: throughput in MB/s of
// board bytes. Two boards: mixed (a third pictures, already PNG, the rest texts of many lengths,
// which export packs) and pictures only. Export packs texts on every processor, so its MB/s are by
// wall time, with MB/s by the CPU time of all threads beside them, and the texts alone are packed
// on one thread and on all as a yardstick from the same run.
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/screenshot.h"
#include "exchange/board_reader.h"
#include "exchange/board_text_packer.h"
#include "exchange/board_writer.h"
#include "exchange/image/image_codecs.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Png(const PixelImage& image) {
  Bytes file;
  EncodePng(image, DefaultImageQuality, file);
  return file;
}

Bytes Licences() {
  Bytes all;
  for (const char* name : {"GPL-3", "GPL-2", "LGPL-2.1", "Apache-2.0", "GFDL-1.3"}) {
    std::ifstream in(std::string("/usr/share/common-licenses/") + name, std::ios::binary);
    all.insert(all.end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return all;
}

Board MakeBoard(bool picturesOnly) {
  const std::vector<Bytes> pictures = {Png(MakeScreenshot(640, 400, 2)), Png(MakeScreenshot(1280, 720, 3)),
                                       Png(MakeScreenshot(1920, 1080, 4)), Png(MakeScreenshot(300, 200, 5))};
  const Bytes thumbnail = Png(MakeScreenshot(278, 60, 6));
  const Bytes text = Licences();
  Board made;
  made.itemLimit = 1000;
  for (int i = 0; i < 1000; ++i) {
    BoardEntry entry;
    entry.name = "item" + std::to_string(i);
    entry.checked = i % 7 == 0;
    entry.thumbnail = thumbnail;
    if (picturesOnly || i % 3 == 0) {
      entry.kind = BoardKindImage;
      entry.content = pictures[static_cast<size_t>(i / 3) % pictures.size()];
    } else {
      entry.kind = BoardKindText;
      // Lengths from a line to the largest text an item holds.
      const size_t length = std::min<size_t>(64000, 40 + (static_cast<size_t>(i) * 7919) % 20000);
      const size_t start = (static_cast<size_t>(i) * 104729) % (text.size() - length);
      entry.content.assign(text.begin() + static_cast<long>(start), text.begin() + static_cast<long>(start + length));
    }
    made.entries.push_back(std::move(entry));
  }
  return made;
}

// Argument 0: the mixed board; 1: pictures only.
const Board& TestBoard(const benchmark::State& state) {
  static const Board mixed = MakeBoard(false);
  static const Board pictures = MakeBoard(true);
  return state.range(0) ? pictures : mixed;
}

double Seconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Wall and all-threads CPU time of the loop, as MB/s counters.
class Throughput {
 public:
  Throughput() : wall_(Seconds(CLOCK_MONOTONIC)), cpu_(Seconds(CLOCK_PROCESS_CPUTIME_ID)) {}
  void Report(benchmark::State& state, double bytes) const {
    const double total = bytes * static_cast<double>(state.iterations()) / 1e6;
    state.counters["wall_MB_s"] = total / (Seconds(CLOCK_MONOTONIC) - wall_);
    state.counters["cpu_MB_s"] = total / (Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu_);
  }

 private:
  double wall_;
  double cpu_;
};

void BoardExport(benchmark::State& state) {
  const Board& board = TestBoard(state);
  Bytes out;
  const Throughput throughput;
  for (auto _ : state) {
    out.clear();
    if (WriteBoard(board, out) != BoardError::None) state.SkipWithError("the board was not written");
  }
  throughput.Report(state, static_cast<double>(out.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * out.size()));
  state.counters["board_bytes"] = static_cast<double>(out.size());
}

// The texts of the mixed board alone; argument: threads (0 = one per processor).
void TextsPacked(benchmark::State& state) {
  const Board& board = TestBoard(state);
  double textBytes = 0;
  for (const BoardEntry& entry : board.entries) {
    if (entry.kind == BoardKindText) textBytes += static_cast<double>(entry.content.size());
  }
  const Throughput throughput;
  for (auto _ : state) {
    benchmark::DoNotOptimize(PackBoardTexts(board.entries, static_cast<unsigned>(state.range(1))).data());
  }
  throughput.Report(state, textBytes);
  state.counters["text_bytes"] = textBytes;
}

void BoardImport(benchmark::State& state) {
  Bytes bytes;
  WriteBoard(TestBoard(state), bytes);
  for (auto _ : state) {
    Board board;
    if (!ReadBoard(bytes.data(), bytes.size(), board).Ok() || board.entries.size() != 1000) {
      state.SkipWithError("the board was not read");
    }
    benchmark::DoNotOptimize(board.entries.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

const std::string BoardPath() {
  return (std::filesystem::temp_directory_path() / ("kepsil-bench-" + std::to_string(getpid()) + ".ksb")).string();
}

void BoardExportFile(benchmark::State& state) {
  const Board& board = TestBoard(state);
  const std::string path = BoardPath();
  const Throughput throughput;
  for (auto _ : state) {
    if (WriteBoardFile(path, board) != BoardError::None) state.SkipWithError("the board file was not written");
  }
  throughput.Report(state, static_cast<double>(std::filesystem::file_size(path)));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * std::filesystem::file_size(path)));
  std::filesystem::remove(path);
}

void BoardImportFile(benchmark::State& state) {
  const std::string path = BoardPath();
  WriteBoardFile(path, TestBoard(state));
  for (auto _ : state) {
    Board board;
    if (!ReadBoardFile(path, board).Ok()) state.SkipWithError("the board file was not read");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * std::filesystem::file_size(path)));
  std::filesystem::remove(path);
}

BENCHMARK(BoardExport)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TextsPacked)->Args({0, 1})->Args({0, 0})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BoardImport)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BoardExportFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BoardImportFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
