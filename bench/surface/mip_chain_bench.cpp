// A full box-filtered mip chain of a 2048 x 2048 A8R8G8B8 texture through UtFilterTexture,
// beside one memcpy of level 0 (16 MB) in the same run. Goal: at most 2.5 times the memcpy.
// The same chain between buffers in memory shows the engine's share apart from the locks.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "bench/common/bench_ratios.h"
#include "bench/common/headless_device.h"
#include "ut/surface/pixel_converter.h"
#include "d3d9/d3d9.h"
#include "ut_surface.h"
#include "win32/com_ptr.h"

namespace {

constexpr UINT kSize = 2048;

// A headless device of the software runtime with one texture whose level 0 holds noise.
struct MipFixture {
  ComPtr<IDirect3DDevice9> device = MakeHeadlessDevice(D3DFMT_A8R8G8B8);
  ComPtr<IDirect3DTexture9> texture;

  MipFixture() {
    if (!device ||
        FAILED(device->CreateTexture(kSize, kSize, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.GetAddressOf(),
                                     nullptr))) {
      return;
    }
    D3DLOCKED_RECT r{};
    if (FAILED(texture->LockRect(0, &r, nullptr, 0))) return;
    std::mt19937 random(3);
    for (UINT y = 0; y < kSize; ++y) {
      uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(r.pBits) + size_t(y) * r.Pitch);
      for (UINT x = 0; x < kSize; ++x) row[x] = random();
    }
    texture->UnlockRect(0);
  }
};

void MipChainBox(benchmark::State& state) {
  MipFixture fixture;
  if (!fixture.texture) {
    state.SkipWithError("no texture");
    return;
  }
  for (auto _ : state) {
    if (UtFilterTexture(fixture.texture.Get(), nullptr, 0, UT_DEFAULT) != S_OK) state.SkipWithError("UtFilterTexture failed");
    benchmark::ClobberMemory();
  }
}

// The engine's own share: the same chain of box halvings between buffers in memory, without
// the locks.
void MipChainBoxInMemory(benchmark::State& state) {
  std::vector<std::vector<uint8_t>> levels;
  for (UINT size = kSize; size >= 1; size /= 2) levels.emplace_back(size_t(size) * size * 4, 0);
  std::mt19937 random(3);
  for (uint8_t& b : levels[0]) b = uint8_t(random());
  for (auto _ : state) {
    UINT size = kSize;
    for (size_t level = 1; level < levels.size(); ++level, size /= 2) {
      PixelBlockDesc from{}, to{};
      from.bits = levels[level - 1].data();
      from.format = to.format = D3DFMT_A8R8G8B8;
      from.rowPitch = size * 4;
      from.extent = from.region = D3DBOX{0, 0, size, size, 0, 1};
      to.bits = levels[level].data();
      to.rowPitch = size / 2 * 4;
      to.extent = to.region = D3DBOX{0, 0, size / 2, size / 2, 0, 1};
      PixelConverter converter;
      if (converter.Convert(&to, &from, UT_FILTER_BOX) != S_OK) state.SkipWithError("Convert failed");
    }
    benchmark::ClobberMemory();
  }
}

void MemcpyLevel0(benchmark::State& state) {
  std::vector<uint8_t> from(size_t(kSize) * kSize * 4, 1), to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
}

}  // namespace

BENCHMARK(MipChainBox)->Unit(benchmark::kMillisecond);
BENCHMARK(MipChainBoxInMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(MemcpyLevel0)->Unit(benchmark::kMillisecond);

REGISTER_BENCH_RATIO("box mip chain of 2048x2048 A8R8G8B8 through UtFilterTexture against memcpy of level 0",
                     MipChainBox, MemcpyLevel0, 2.5);
REGISTER_BENCH_RATIO("the same chain of box halvings between buffers in memory against memcpy of level 0",
                     MipChainBoxInMemory, MemcpyLevel0, 2.5);
