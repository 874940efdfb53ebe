// The hot math paths: matrix products and inverse per call, half-precision rows per element,
// with a plain copy of the same bytes as the baseline for the conversions.
#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "ut.h"

namespace {

const UtMatrix kM(4, 1, 0.5f, 0, -1, 3, 0.25f, 0, 0.5f, -0.5f, 5, 0, 1, 2, 3, 1);

void BM_MatrixMultiply(benchmark::State& state) {
  UtMatrix a = kM, b = kM, out;
  for (auto _ : state) {
    benchmark::DoNotOptimize(UtMatrixMultiply(&out, &a, &b));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MatrixMultiply);

void BM_MatrixMultiplyInPlace(benchmark::State& state) {
  UtMatrix a = kM, b = kM;
  for (auto _ : state) {
    a = kM;
    benchmark::DoNotOptimize(UtMatrixMultiply(&a, &a, &b));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MatrixMultiplyInPlace);

void BM_MatrixMultiplyTranspose(benchmark::State& state) {
  UtMatrix a = kM, b = kM, out;
  for (auto _ : state) {
    benchmark::DoNotOptimize(UtMatrixMultiplyTranspose(&out, &a, &b));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MatrixMultiplyTranspose);

void BM_MatrixInverse(benchmark::State& state) {
  UtMatrix a = kM, out;
  float det;
  for (auto _ : state) {
    benchmark::DoNotOptimize(UtMatrixInverse(&out, &det, &a));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MatrixInverse);

// A row of values spread over the normal and denormal half ranges.
std::vector<float> SampleRow(size_t n) {
  std::vector<float> row(n);
  for (size_t i = 0; i < n; ++i) row[i] = (static_cast<float>(i % 977) - 488.0f) * 0.37f;
  for (size_t i = 0; i < n; i += 7) row[i] *= 1e-6f;
  return row;
}

void BM_Float32To16Array(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  const std::vector<float> in = SampleRow(n);
  std::vector<UtFloat16> out(n);
  for (auto _ : state) {
    UtFloat32To16Array(out.data(), in.data(), static_cast<unsigned>(n));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(n));
}
BENCHMARK(BM_Float32To16Array)->Arg(4096);

void BM_Float16To32Array(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  const std::vector<float> seed = SampleRow(n);
  std::vector<UtFloat16> in(n);
  UtFloat32To16Array(in.data(), seed.data(), static_cast<unsigned>(n));
  std::vector<float> out(n);
  for (auto _ : state) {
    UtFloat16To32Array(out.data(), in.data(), static_cast<unsigned>(n));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(n));
}
BENCHMARK(BM_Float16To32Array)->Arg(4096);

// Baseline: copying the float row, the least any conversion of it can cost.
void BM_CopyFloatRow(benchmark::State& state) {
  const size_t n = static_cast<size_t>(state.range(0));
  const std::vector<float> in = SampleRow(n);
  std::vector<float> out(n);
  for (auto _ : state) {
    std::memcpy(out.data(), in.data(), n * sizeof(float));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(n));
}
BENCHMARK(BM_CopyFloatRow)->Arg(4096);

}  // namespace
