// The one main of vardelo_bench: every bench/*.cpp only registers its benchmarks.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
