// UtCreateTextureFromFileInMemory with its defaults on a 1024 x 1024 colour JPEG, on the
// software runtime, against the bare libjpeg decode of the same bytes to RGB rows, in one run.
// The goal is a ratio of at most 1.25: beyond the decode the call creates the texture, copies
// level 0 into it and box-filters the ten levels below (a third of level 0's texels).
// The same pair on a 1000 x 750 file shows the price of a size that is not a power of two:
// the defaults round it up to 1024 x 1024 and resample level 0 with the triangle filter.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "bench/common/bare_jpeg_decode.h"
#include "bench/common/bench_ratios.h"
#include "bench/common/headless_device.h"
#include "bench/common/photo_jpeg.h"
#include "ut.h"
#include "win32/com_ptr.h"
#include "ut/math/mmx_test.h"

namespace {

struct FileSize {
  int width, height;
};
constexpr FileSize kSquare = {1024, 1024};
constexpr FileSize kPhoto = {1000, 750};

const std::vector<uint8_t>& TestFile(FileSize size) {
  static const std::vector<uint8_t> square = MakePhotoLikeJpeg(kSquare.width, kSquare.height);
  static const std::vector<uint8_t> photo = MakePhotoLikeJpeg(kPhoto.width, kPhoto.height);
  return size.width == kSquare.width ? square : photo;
}

void CreateTextureFromJpeg(benchmark::State& state, FileSize size) {
  const std::vector<uint8_t>& file = TestFile(size);
  const ComPtr<IDirect3DDevice9> device = MakeHeadlessDevice();
  if (!device) {
    state.SkipWithError("no device");
    return;
  }
  for (auto _ : state) {
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(UtCreateTextureFromFileInMemory(device.Get(), file.data(), UINT(file.size()),
                                               &texture))) {
      state.SkipWithError("UtCreateTextureFromFileInMemory failed");
      break;
    }
    benchmark::DoNotOptimize(texture);
    texture->Release();
  }
  state.SetItemsProcessed(state.iterations() * size.width * size.height);
}

// What a program using libjpeg directly does, with the inverse DCT the reader picks.
void BareLibjpegToRgb(benchmark::State& state, FileSize size) {
  const std::vector<uint8_t>& file = TestFile(size);
  const J_DCT_METHOD dct = IsMmxAvailable() ? JDCT_ISLOW : JDCT_IFAST;
  for (auto _ : state) {
    std::unique_ptr<uint8_t[]> rgb = DecodeJpegToRgbRows(file, dct);
    if (!rgb) {
      state.SkipWithError("libjpeg failed");
      break;
    }
    benchmark::DoNotOptimize(rgb.get());
  }
  state.SetItemsProcessed(state.iterations() * size.width * size.height);
}

// Repeated and interleaved, so that the two see the same machine; the ratio uses the medians.
BENCHMARK_CAPTURE(CreateTextureFromJpeg, 1024x1024, kSquare)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BareLibjpegToRgb, 1024x1024, kSquare)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(CreateTextureFromJpeg, 1000x750, kPhoto)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BareLibjpegToRgb, 1000x750, kPhoto)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(9)->ReportAggregatesOnly(true);

// The goal is the power-of-two file's; the other size's ratio is shown beside it.
[[maybe_unused]] const bool kRatios =
    RegisterBenchRatio({"UtCreateTextureFromFileInMemory of a 1024 x 1024 JPEG against the bare libjpeg decode to RGB rows",
                        "CreateTextureFromJpeg/1024x1024", "BareLibjpegToRgb/1024x1024", 1.25}) &&
    RegisterBenchRatio({"the same on a 1000 x 750 JPEG, resampled to 1024 x 1024", "CreateTextureFromJpeg/1000x750",
                        "BareLibjpegToRgb/1000x750", 0});

}  // namespace
