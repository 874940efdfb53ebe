// Ratios of benchmark times measured in one run. Each registered pair is printed after the runs
// as "subject / baseline" of the median real and processor times per iteration, beside its goal.
// A benchmark with repetitions contributes the median of its repetitions; one run once
// contributes that run.
#pragma once

#include <benchmark/benchmark.h>

struct BenchRatio {
  const char* what;
  const char* subject;   // benchmark function names
  const char* baseline;
  double goal;  // the ratio not to exceed; 0 for a ratio shown for information only
};

bool RegisterBenchRatio(const BenchRatio& ratio);

// Benchmarks name their functions as identifiers; the ratio names them the same way.
#define REGISTER_BENCH_RATIO(what, subject, baseline, goal)                        \
  [[maybe_unused]] static const bool kBenchRatio_##subject##_##baseline =          \
      RegisterBenchRatio({what, #subject, #baseline, goal})

// One iteration's time in seconds: real (wall) and processor time.
struct BenchTime {
  double real = 0;
  double cpu = 0;
};

// Runs the benchmarks the command line selects, repetitions interleaved by default so that a
// subject and its baseline see the same machine, then prints the registered ratios. Returns the
// program's exit code.
int RunBenchmarksWithRatios(int argc, char** argv);

// The time RunBenchmarksWithRatios measured for a benchmark function, or null if it didn't run
// (or failed).
const BenchTime* MeasuredBenchTime(const char* function);
