// Ratios of benchmark processor times measured in one run: each registered pair is printed after the
// runs as "subject time / baseline time" beside its goal.
#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

struct BenchRatio {
  const char* what;
  const char* subject;
  const char* baseline;
  double goal;  // the ratio not to exceed
};

bool RegisterBenchRatio(const BenchRatio& ratio);
const std::vector<BenchRatio>& BenchRatios();

// Benchmarks name their functions as identifiers; the ratio names them the same way.
#define REGISTER_BENCH_RATIO(what, subject, baseline, goal) \
  [[maybe_unused]] static const bool kBenchRatio_##subject = RegisterBenchRatio({what, #subject, #baseline, goal})
