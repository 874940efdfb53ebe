#include "ut/pixel/pixel_row_kernels.h"

#include <atomic>
#include <cstdlib>
#include <span>

#include "ut/pixel/pixel_row_kernels_sse2.h"

namespace {

// -1 until first asked: then the environment decides, unless a caller has already chosen.
std::atomic<int> g_pixelRowKernelsEnabled{-1};

}  // namespace

void SetPixelRowKernelsEnabled(bool enabled) { g_pixelRowKernelsEnabled.store(enabled ? 1 : 0); }

bool PixelRowKernelsEnabled() {
  int enabled = g_pixelRowKernelsEnabled.load();
  if (enabled < 0) {
    const int fromEnvironment = std::getenv("UT_PIXEL_GENERIC") == nullptr ? 1 : 0;
    g_pixelRowKernelsEnabled.compare_exchange_strong(enabled, fromEnvironment);
    enabled = g_pixelRowKernelsEnabled.load();
  }
  return enabled != 0;
}

const PixelRowKernels* FindPixelRowKernels(D3DFORMAT format) {
  if (!PixelRowKernelsEnabled()) return nullptr;
  for (const PixelRowKernels& kernels : PixelRowKernelsSse2()) {
    if (kernels.format == format) return &kernels;
  }
  return nullptr;
}
