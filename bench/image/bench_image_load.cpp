// DecodedImage::Load of a 2048 x 2048 colour JPEG against the bare libjpeg decode of the same
// bytes to RGB rows, in one run. The goal is a ratio of at most 1.05: the reader adds only the
// packing of RGB into X8R8G8B8 in the same pass.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "bench/common/bare_jpeg_decode.h"
#include "bench/common/bench_ratios.h"
#include "bench/common/photo_jpeg.h"
#include "ut/image/decoded_image.h"
#include "ut/math/mmx_test.h"

namespace {

constexpr int kSize = 2048;

const std::vector<uint8_t>& TestFile() {
  static const std::vector<uint8_t> file = MakePhotoLikeJpeg(kSize, kSize);
  return file;
}

void LoadJpeg(benchmark::State& state) {
  const std::vector<uint8_t>& file = TestFile();
  for (auto _ : state) {
    DecodedImage image;
    if (FAILED(image.Load(file.data(), UINT(file.size()), nullptr, TRUE))) {
      state.SkipWithError("Load failed");
      break;
    }
    benchmark::DoNotOptimize(image.pixels);
  }
  state.SetItemsProcessed(state.iterations() * kSize * kSize);
}

// What a program using libjpeg directly does, with the inverse DCT the reader picks.
void BareLibjpegToRgb(benchmark::State& state) {
  const std::vector<uint8_t>& file = TestFile();
  const J_DCT_METHOD dct = IsMmxAvailable() ? JDCT_ISLOW : JDCT_IFAST;
  for (auto _ : state) {
    std::unique_ptr<uint8_t[]> rgb = DecodeJpegToRgbRows(file, dct);
    if (!rgb) {
      state.SkipWithError("libjpeg failed");
      break;
    }
    benchmark::DoNotOptimize(rgb.get());
  }
  state.SetItemsProcessed(state.iterations() * kSize * kSize);
}

// Repeated and interleaved, so that the two see the same machine; the ratio uses the medians.
BENCHMARK(LoadJpeg)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BareLibjpegToRgb)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(9)->ReportAggregatesOnly(true);

REGISTER_BENCH_RATIO("DecodedImage::Load of a 2048 x 2048 JPEG against the bare libjpeg decode to RGB rows",
                     LoadJpeg, BareLibjpegToRgb, 1.05);

}  // namespace
