// The tent filter resizing a 1000 x 750 A8R8G8B8 image into 1024 x 1024 with ordered
// dithering, beside stb_image_resize's triangle filter doing the same resize of the same image
// in the same run. Prints the ratio of the two times (goal: at most 2).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <vector>

#include <stb/stb_image_resize.h>

#include "bench/common/bench_ratios.h"
#include "ut/surface/pixel_converter.h"
#include "ut_surface.h"

namespace {

constexpr UINT kSourceWidth = 1000, kSourceHeight = 750, kSize = 1024;

struct Images {
  std::vector<uint8_t> source = std::vector<uint8_t>(kSourceWidth * kSourceHeight * 4);
  std::vector<uint8_t> destination = std::vector<uint8_t>(kSize * kSize * 4);
  Images() {
    // Smooth content with noise, like a photograph.
    std::mt19937 random(5);
    for (UINT y = 0; y < kSourceHeight; ++y)
      for (UINT x = 0; x < kSourceWidth; ++x)
        for (UINT c = 0; c < 4; ++c)
          source[(y * kSourceWidth + x) * 4 + c] = uint8_t((x * (c + 1) + y * 3) / 8 + random() % 16);
  }
};

PixelBlockDesc Block(std::vector<uint8_t>& bytes, UINT width, UINT height) {
  PixelBlockDesc desc{};
  desc.bits = bytes.data();
  desc.format = D3DFMT_A8R8G8B8;
  desc.rowPitch = width * 4;
  desc.extent = D3DBOX{0, 0, width, height, 0, 1};
  desc.region = desc.extent;
  return desc;
}

void TentResize(benchmark::State& state) {
  Images images;
  for (auto _ : state) {
    PixelBlockDesc d = Block(images.destination, kSize, kSize);
    PixelBlockDesc s = Block(images.source, kSourceWidth, kSourceHeight);
    PixelConverter converter;
    if (converter.Convert(&d, &s, UT_FILTER_TRIANGLE | UT_FILTER_DITHER) != S_OK) state.SkipWithError("Convert failed");
    benchmark::DoNotOptimize(images.destination.data());
    benchmark::ClobberMemory();
  }
}

void StbTriangleResize(benchmark::State& state) {
  Images images;
  for (auto _ : state) {
    const int ok = stbir_resize_uint8_generic(images.source.data(), kSourceWidth, kSourceHeight, kSourceWidth * 4,
                                              images.destination.data(), kSize, kSize, kSize * 4, 4,
                                              STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_WRAP, STBIR_FILTER_TRIANGLE,
                                              STBIR_COLORSPACE_LINEAR, nullptr);
    if (!ok) state.SkipWithError("stbir_resize failed");
    benchmark::DoNotOptimize(images.destination.data());
    benchmark::ClobberMemory();
  }
}

}  // namespace

BENCHMARK(TentResize)->Unit(benchmark::kMillisecond);
BENCHMARK(StbTriangleResize)->Unit(benchmark::kMillisecond);

REGISTER_BENCH_RATIO("tent resize 1000x750 -> 1024x1024 with dither against stb_image_resize triangle", TentResize,
                     StbTriangleResize, 2.0);
