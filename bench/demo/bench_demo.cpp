// The demo's frame against one memcpy of its 640 x 480 x 4-byte back buffer, in one run:
// DrawFrame on a device without a window (the clear of colour and depth and the draw; Present
// has nowhere to show the frame and only counts it). The goal is at most 10 times the memcpy.
//
// Also measured: DrawFrame with a 256 x 256 texture bound (what the demo draws once it loads
// "mud.jpg"), and one pass of the demo's message loop with Present into a window, whose rate is
// the demo's frames per second. That window is SDL's offscreen one unless SDL_VIDEODRIVER names
// another: run with SDL_VIDEODRIVER=x11 on an X display (Xvfb) for the frame rate there.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/common/bench_ratios.h"
#include "d3d9/runtime/runtime_config.h"
#include "demo/slate_app.h"

namespace {

constexpr size_t kBackBufferBytes = 640 * 480 * 4;

// The demo's scene on a device with no window: g_window stays null.
struct HeadlessScene {
  HeadlessScene() {
    g_window = nullptr;
    SetUpDeviceAndScene();
  }
  ~HeadlessScene() { ReleaseAll(); }
};

void DrawFrameWithoutPresent(benchmark::State& state) {
  HeadlessScene scene;
  if (!g_device) {
    state.SkipWithError("no device");
    return;
  }
  for (auto _ : state) {
    DrawFrame();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBackBufferBytes));
}

void DrawFrameTexturedWithoutPresent(benchmark::State& state) {
  HeadlessScene scene;
  if (!g_device ||
      FAILED(g_device->CreateTexture(256, 256, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &g_texture,
                                     nullptr))) {
    state.SkipWithError("no device or texture");
    return;
  }
  for (UINT level = 0; level < g_texture->GetLevelCount(); ++level) {
    D3DSURFACE_DESC desc;
    D3DLOCKED_RECT r;
    g_texture->GetLevelDesc(level, &desc);
    g_texture->LockRect(level, &r, nullptr, 0);
    for (UINT y = 0; y < desc.Height; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(static_cast<BYTE*>(r.pBits) + y * r.Pitch);
      for (UINT x = 0; x < desc.Width; ++x) row[x] = (x * 0x010203u) ^ (y * 0x030201u);
    }
    g_texture->UnlockRect(level);
  }
  for (auto _ : state) {
    DrawFrame();
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBackBufferBytes));
}

void MemcpyBackBuffer(benchmark::State& state) {
  std::vector<unsigned char> from(kBackBufferBytes, 1), to(kBackBufferBytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), kBackBufferBytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBackBufferBytes));
}

LRESULT CALLBACK BenchWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return MainWindowProc(hwnd, message, wParam, lParam);
}

// One pass of WinMain's loop in the demo's own window: a look at the queue, then a frame with
// Present. Its rate is the frames per second.
void MessageLoopPass(benchmark::State& state) {
  WNDCLASSA wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = BenchWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = "Slate";
  if (!RegisterClassA(&wc)) {
    state.SkipWithError("no window class");
    return;
  }
  g_window = CreateWindowExA(WS_EX_OVERLAPPEDWINDOW, "Slate", "Direct3D (DX9) - Slate",
                             WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  if (!g_window) {
    UnregisterClassA("Slate", GetModuleHandleA(nullptr));
    state.SkipWithError("no window");
    return;
  }
  ShowWindow(g_window, SW_SHOW);
  UpdateWindow(g_window);
  SetUpDeviceAndScene();
  MSG msg = {};
  for (auto _ : state) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    DrawFrame();
  }
  state.SetItemsProcessed(int64_t(state.iterations()));  // frames
  ReleaseAll();
  DestroyWindow(g_window);
  g_window = nullptr;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  UnregisterClassA("Slate", GetModuleHandleA(nullptr));
}

// Repeated and interleaved, so that the frame and the memcpy see the same machine.
BENCHMARK(DrawFrameWithoutPresent)->Unit(benchmark::kMicrosecond)->MinTime(0.3)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(MemcpyBackBuffer)->Unit(benchmark::kMicrosecond)->MinTime(0.3)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(DrawFrameTexturedWithoutPresent)->Unit(benchmark::kMicrosecond)->MinTime(0.3)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(MessageLoopPass)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

REGISTER_BENCH_RATIO("DrawFrame without Present against memcpy of the 640 x 480 back buffer",
                     DrawFrameWithoutPresent, MemcpyBackBuffer, 10);
REGISTER_BENCH_RATIO("the same with a 256 x 256 texture, linear filtering", DrawFrameTexturedWithoutPresent,
                     MemcpyBackBuffer, 10);

void PrintFrameRate() {
  const BenchTime* pass = MeasuredBenchTime("MessageLoopPass");
  if (pass && pass->real > 0) {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    std::printf("Message loop passes with Present (SDL video driver %s): %.0f frames per second\n",
                driver ? driver : "default", 1.0 / pass->real);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // A window of its own needs some video driver; offscreen unless told otherwise.
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  const int result = RunBenchmarksWithRatios(argc, argv);
  PrintFrameRate();
  return result;
}
