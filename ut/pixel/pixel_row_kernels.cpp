#include "ut/pixel/pixel_row_kernels.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <span>

#include "ut/pixel/pixel_row_kernels_avx2.h"
#include "ut/pixel/pixel_row_kernels_avx512.h"
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

namespace {

// The compiler's processor model checks the CPUID bits and that the operating system saves
// the AVX registers.
bool ProcessorHasAvx512() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
#else
  return false;
#endif
}

bool ProcessorHasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

// UT_PIXEL_DISABLE names families to leave out, e.g. "avx2" or "avx512,avx2,sse2" (no name is
// part of another).
bool DisabledByEnvironment(const char* name) {
  const char* list = std::getenv("UT_PIXEL_DISABLE");
  return list != nullptr && std::strstr(list, name) != nullptr;
}

std::span<const PixelRowKernels> Avx512Kernels() {
  size_t count = 0;
  const PixelRowKernels* kernels = PixelRowKernelsAvx512(&count);
  return {kernels, count};
}

std::span<const PixelRowKernels> Avx2Kernels() {
  size_t count = 0;
  const PixelRowKernels* kernels = PixelRowKernelsAvx2(&count);
  return {kernels, count};
}

}  // namespace

std::span<const PixelRowKernelFamily> PixelRowKernelFamilies() {
  // The widest instruction set first; a family serves only processors that have it, and a
  // format that a family leaves out is looked up in the next one.
  static const PixelRowKernelFamily kFamilies[] = {
      {"avx512", &Avx512Kernels, &ProcessorHasAvx512},
      {"avx2", &Avx2Kernels, &ProcessorHasAvx2},
      {"sse2", &PixelRowKernelsSse2, [] { return true; }},
  };
  return kFamilies;
}

const PixelRowKernels* FindPixelRowKernels(D3DFORMAT format) {
  if (!PixelRowKernelsEnabled()) return nullptr;
  for (const PixelRowKernelFamily& family : PixelRowKernelFamilies()) {
    if (!family.available() || DisabledByEnvironment(family.name)) continue;
    for (const PixelRowKernels& kernels : family.kernels()) {
      if (kernels.format == format) return &kernels;
    }
  }
  return nullptr;
}
