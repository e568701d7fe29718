// The benchmark executable's entry point; the benchmarks register themselves from their own files.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
