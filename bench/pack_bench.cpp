// Packed blocks against zlib level 9 on the same inputs, in the same run: packed size, pack time
// and unpack time, each also given as a ratio to zlib (below 1 means smaller or faster). Times are
// the CPU time of the benchmark thread.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "exchange/pack/pack.h"

namespace {

using Bytes = std::vector<unsigned char>;
// The thread's own CPU time: other work on a busy machine does not count against either side.
struct Clock {
  using duration = std::chrono::nanoseconds;
  static std::chrono::nanoseconds now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
  }
};

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

const std::filesystem::path Licenses = "/usr/share/common-licenses";

// English prose: the GNU GPL, version 3, as every Debian system carries it.
Bytes Prose() { return ReadFile(Licenses / "GPL-3"); }

// C++ source: the packer's own sources, in name order.
Bytes Source() {
  const auto dir = std::filesystem::path(__FILE__).parent_path().parent_path() / "exchange" / "pack";
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  Bytes all;
  for (const auto& f : files) Append(all, ReadFile(f));
  return all;
}

// The largest text an item holds: 64 000 bytes of several licence texts.
Bytes LargestText() {
  Bytes all;
  for (const char* name : {"GPL-2", "LGPL-2.1", "GFDL-1.3", "Apache-2.0"}) Append(all, ReadFile(Licenses / name));
  all.resize(std::min<std::size_t>(all.size(), 64000));
  return all;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

void Pack(benchmark::State& state, Bytes (*makeInput)()) {
  const Bytes input = makeInput();
  Bytes block(PackBound(input.size()));
  Bytes deflated(compressBound(input.size()));
  std::size_t packedSize = 0;
  uLongf deflatedSize = 0;
  double packTime = 0;
  double zlibTime = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    packedSize = pack(input.data(), input.size(), block.data(), block.size(), PackMaxLevel);
    const auto t1 = Clock::now();
    deflatedSize = deflated.size();
    compress2(deflated.data(), &deflatedSize, input.data(), input.size(), 9);
    const auto t2 = Clock::now();
    packTime += Seconds(t1 - t0);
    zlibTime += Seconds(t2 - t1);
    state.SetIterationTime(Seconds(t1 - t0));
  }
  if (packedSize == 0) state.SkipWithError("the input did not pack");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
  state.counters["input"] = static_cast<double>(input.size());
  state.counters["packed"] = static_cast<double>(packedSize);
  state.counters["zlib9"] = static_cast<double>(deflatedSize);
  state.counters["size_vs_zlib"] = static_cast<double>(packedSize) / static_cast<double>(deflatedSize);
  state.counters["time_vs_zlib"] = packTime / zlibTime;
}

void Unpack(benchmark::State& state, Bytes (*makeInput)()) {
  const Bytes input = makeInput();
  Bytes block(PackBound(input.size()));
  block.resize(pack(input.data(), input.size(), block.data(), block.size(), PackMaxLevel));
  Bytes deflated(compressBound(input.size()));
  uLongf deflatedSize = deflated.size();
  compress2(deflated.data(), &deflatedSize, input.data(), input.size(), 9);
  Bytes output(input.size());
  double unpackTime = 0;
  double inflateTime = 0;
  bool same = true;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    const std::size_t unpacked = unpack(block.data(), block.size(), output.data(), output.size());
    const auto t1 = Clock::now();
    uLongf inflatedSize = output.size();
    uncompress(output.data(), &inflatedSize, deflated.data(), deflatedSize);
    const auto t2 = Clock::now();
    same = same && unpacked == input.size();
    unpackTime += Seconds(t1 - t0);
    inflateTime += Seconds(t2 - t1);
    state.SetIterationTime(Seconds(t1 - t0));
  }
  if (!same) state.SkipWithError("the block did not unpack");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
  state.counters["time_vs_inflate"] = unpackTime / inflateTime;
}

BENCHMARK_CAPTURE(Pack, prose, Prose)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Pack, source, Source)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Pack, text64000, LargestText)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Unpack, prose, Prose)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Unpack, source, Source)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Unpack, text64000, LargestText)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
