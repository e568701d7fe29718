// PNG encoding of screenshots against the reference (libpng, zlib level 9, filter None, one
// thread) in the same run: file size and wall time, each also as a ratio to the reference (below 1
// means smaller or faster). Wall time, because our encoder uses every core. And the decoding of
// list thumbnails, which every stored item costs at start-up.
#include <benchmark/benchmark.h>
#include <png.h>

#include <chrono>
#include <ctime>
#include <csetjmp>
#include <vector>

#include "bench/screenshot.h"
#include "exchange/image/image_codecs.h"

namespace {

using Bytes = std::vector<uint8_t>;
using WallClock = std::chrono::steady_clock;

double Seconds(WallClock::duration d) { return std::chrono::duration<double>(d).count(); }

// CPU time of all the process's threads: what the encoding costs, whatever else the machine runs.
double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void Append(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void NoFlush(png_structp) {}

bool WriteReference(png_structp png, png_infop info, const PixelImage& image, Bytes* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, out, Append, NoFlush);
  png_set_IHDR(png, info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  png_set_bgr(png);
  for (int y = 0; y < image.height; ++y) png_write_row(png, const_cast<uint8_t*>(image.Row(y)));
  png_write_end(png, nullptr);
  return true;
}

// The reference: libpng as it comes, level 9, filter None, on one thread.
Bytes ReferencePng(const PixelImage& image) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (!WriteReference(png, info, image, &out)) out.clear();
  png_destroy_write_struct(&png, &info);
  return out;
}

void EncodeScreenshot(benchmark::State& state) {
  const PixelImage image = MakeScreenshot(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  Bytes ours;
  Bytes reference;
  double ourTime = 0;
  double referenceTime = 0;
  double ourCpu = 0;
  double referenceCpu = 0;
  for (auto _ : state) {
    ours.clear();
    const double c0 = ProcessCpuSeconds();
    const auto t0 = WallClock::now();
    const bool encoded = EncodePng(image, DefaultImageQuality, ours);
    const auto t1 = WallClock::now();
    const double c1 = ProcessCpuSeconds();
    reference = ReferencePng(image);
    const auto t2 = WallClock::now();
    ourCpu += c1 - c0;
    referenceCpu += ProcessCpuSeconds() - c1;
    if (!encoded || reference.empty()) state.SkipWithError("a picture was not encoded");
    ourTime += Seconds(t1 - t0);
    referenceTime += Seconds(t2 - t1);
    state.SetIterationTime(Seconds(t1 - t0));
  }
  state.counters["png"] = static_cast<double>(ours.size());
  state.counters["reference"] = static_cast<double>(reference.size());
  state.counters["size_vs_ref"] = static_cast<double>(ours.size()) / static_cast<double>(reference.size());
  state.counters["time_vs_ref"] = ourTime / referenceTime;
  state.counters["speedup"] = referenceTime / ourTime;
  state.counters["cpu_vs_ref"] = ourCpu / referenceCpu;
}

// A thumbnail-sized cut of a screenshot: text, frames and a little photo, as list thumbnails show.
Bytes ThumbnailPng() {
  const PixelImage screen = MakeScreenshot(1280, 720);
  PixelImage thumbnail;
  AllocatePixelImage(thumbnail, 278, 60);
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 278; ++x) {
      const uint8_t* from = screen.Row(y * 12) + 3 * (x * 4);
      uint8_t* to = thumbnail.Row(y) + 3 * x;
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
    }
  }
  Bytes file;
  EncodePng(thumbnail, DefaultImageQuality, file);
  return file;
}

void DecodeThumbnail(benchmark::State& state) {
  const Bytes file = ThumbnailPng();
  PixelImage image;
  for (auto _ : state) {
    if (DecodePng(file.data(), file.size(), image) != DecodeStatus::Ok) state.SkipWithError("not decoded");
    benchmark::DoNotOptimize(image.pixels.data());
  }
  state.counters["file"] = static_cast<double>(file.size());
  // Seconds that 1,000 stored items' thumbnails cost at start-up.
  state.counters["s_per_1000"] = benchmark::Counter(static_cast<double>(state.iterations()) / 1000.0,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(EncodeScreenshot)->Args({1920, 1080})->Args({3840, 2160})->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeThumbnail)->Unit(benchmark::kMicrosecond);

}  // namespace
