// The runtime's cost over the bytes it moves, measured against memcpy of the same bytes in the
// same run: LockRect/UnlockRect of a 256 x 256 A8R8G8B8 level (a lock touches no pixel, so
// this is the fixed cost of a lock next to reading the level once), a read-only lock (which
// hands out the stored pixels too), and UpdateSurface of a 1024 x 1024 level (one copy of the
// pixels).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/common/headless_device.h"
#include "d3d9/d3d9.h"
#include "d3d9/runtime/runtime_config.h"
#include "win32/com_ptr.h"

namespace {

struct Scene {
  ComPtr<IDirect3DDevice9> device = MakeHeadlessDevice(D3DFMT_A8R8G8B8);

  ComPtr<IDirect3DSurface9> Level(UINT size, DWORD usage, D3DPOOL pool) {
    ComPtr<IDirect3DTexture9> texture;
    ComPtr<IDirect3DSurface9> level;
    if (device && SUCCEEDED(device->CreateTexture(size, size, 1, usage, D3DFMT_A8R8G8B8, pool,
                                                  texture.GetAddressOf(), nullptr))) {
      texture->GetSurfaceLevel(0, level.GetAddressOf());
    }
    return level;
  }
};

void LockUnlock256(benchmark::State& state) {
  Scene scene;
  ComPtr<IDirect3DSurface9> level = scene.Level(256, 0, D3DPOOL_MANAGED);
  if (!level) {
    state.SkipWithError("no texture");
    return;
  }
  for (auto _ : state) {
    D3DLOCKED_RECT r;
    level->LockRect(&r, nullptr, static_cast<DWORD>(state.range(0)));
    benchmark::DoNotOptimize(r.pBits);
    level->UnlockRect();
  }
}
BENCHMARK(LockUnlock256)->Arg(0)->Arg(D3DLOCK_READONLY);

void UpdateSurface1024(benchmark::State& state) {
  Scene scene;
  ComPtr<IDirect3DSurface9> src = scene.Level(1024, 0, D3DPOOL_SYSTEMMEM);
  ComPtr<IDirect3DSurface9> dst = scene.Level(1024, 0, D3DPOOL_DEFAULT);
  if (!src || !dst) {
    state.SkipWithError("no texture");
    return;
  }
  for (auto _ : state) {
    scene.device->UpdateSurface(src.Get(), nullptr, dst.Get(), nullptr);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 1024 * 1024 * 4);
}
BENCHMARK(UpdateSurface1024);

// The baseline: memcpy of the same number of bytes between two buffers of that size.
void Memcpy(benchmark::State& state) {
  const size_t bytes = static_cast<size_t>(state.range(0)) * state.range(0) * 4;
  std::vector<unsigned char> from(bytes, 1), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}
BENCHMARK(Memcpy)->Arg(256)->Arg(1024);

}  // namespace

BENCHMARK_MAIN();
