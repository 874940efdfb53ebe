#include "ut/surface/box_halve_row.h"

#include <array>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "ut/math/mmx_test.h"

static_assert(std::endian::native == std::endian::little, "stored pixels are read as little-endian words");

namespace {

struct HalveField {
  UINT shift;
  UINT bits;
};

// The stored fields of each format that the integer path halves (bit 0 = least significant
// bit of the little-endian pixel). X fields are not listed, so they come out 0.
struct HalveLayout {
  D3DFORMAT format;
  UINT bytes;
  UINT fieldCount;
  HalveField fields[4];
};

constexpr HalveLayout kLayouts[] = {
    {D3DFMT_A8R8G8B8, 4, 4, {{0, 8}, {8, 8}, {16, 8}, {24, 8}}},
    {D3DFMT_A8B8G8R8, 4, 4, {{0, 8}, {8, 8}, {16, 8}, {24, 8}}},
    {D3DFMT_X8R8G8B8, 4, 3, {{0, 8}, {8, 8}, {16, 8}}},
    {D3DFMT_X8B8G8R8, 4, 3, {{0, 8}, {8, 8}, {16, 8}}},
    {D3DFMT_R5G6B5, 2, 3, {{0, 5}, {5, 6}, {11, 5}}},
    {D3DFMT_X1R5G5B5, 2, 3, {{0, 5}, {5, 5}, {10, 5}}},
    {D3DFMT_A1R5G5B5, 2, 4, {{0, 5}, {5, 5}, {10, 5}, {15, 1}}},
    {D3DFMT_A4R4G4B4, 2, 4, {{0, 4}, {4, 4}, {8, 4}, {12, 4}}},
    {D3DFMT_R3G3B2, 1, 3, {{0, 2}, {2, 3}, {5, 3}}},
    {D3DFMT_A8, 1, 1, {{0, 8}}},
    {D3DFMT_L8, 1, 1, {{0, 8}}},
    {D3DFMT_A8R3G3B2, 2, 4, {{0, 2}, {2, 3}, {5, 3}, {8, 8}}},
    {D3DFMT_X4R4G4B4, 2, 3, {{0, 4}, {4, 4}, {8, 4}}},
    {D3DFMT_A8L8, 2, 2, {{0, 8}, {8, 8}}},
    {D3DFMT_A4L4, 1, 2, {{0, 4}, {4, 4}}},
};

inline uint32_t LoadPixel(const BYTE* p, UINT bytes) {
  uint32_t v = 0;
  std::memcpy(&v, p, bytes);
  return v;
}

template <size_t Index>
void HalveRowPortable(const BYTE* upper, const BYTE* lower, BYTE* out, UINT width) {
  constexpr HalveLayout layout = kLayouts[Index];
  constexpr UINT bytes = layout.bytes;
  for (UINT i = 0; i < width; ++i) {
    const size_t at = size_t{2} * i * bytes;
    const uint32_t a = LoadPixel(upper + at, bytes);
    const uint32_t b = LoadPixel(upper + at + bytes, bytes);
    const uint32_t c = LoadPixel(lower + at, bytes);
    const uint32_t d = LoadPixel(lower + at + bytes, bytes);
    uint32_t result = 0;
    for (UINT f = 0; f < layout.fieldCount; ++f) {
      const UINT shift = layout.fields[f].shift;
      const uint32_t mask = (uint32_t{1} << layout.fields[f].bits) - 1;
      const uint32_t sum = ((a >> shift) & mask) + ((b >> shift) & mask) + ((c >> shift) & mask) +
                           ((d >> shift) & mask);
      result |= ((sum + 2) >> 2) << shift;
    }
    std::memcpy(out + size_t{i} * bytes, &result, bytes);
  }
}

template <size_t... Index>
constexpr auto MakePortableKernels(std::index_sequence<Index...>) {
  return std::array<BoxHalveKernel, sizeof...(Index)>{
      BoxHalveKernel{kLayouts[Index].format, "portable", &HalveRowPortable<Index>}...};
}

constexpr auto kPortableKernels = MakePortableKernels(std::make_index_sequence<std::size(kLayouts)>());

// -1 until first asked, then the processor's answer unless a test has chosen.
std::atomic<int> g_boxHalveSimd{-1};

const BoxHalveKernel* FindIn(std::span<const BoxHalveKernel> kernels, D3DFORMAT format) {
  for (const BoxHalveKernel& kernel : kernels) {
    if (kernel.format == format) return &kernel;
  }
  return nullptr;
}

}  // namespace

std::span<const BoxHalveKernel> BoxHalveKernelsPortable() { return kPortableKernels; }

void SetBoxHalveSimdEnabled(bool enabled) { g_boxHalveSimd.store(enabled ? 1 : 0); }

bool BoxHalveSimdEnabled() {
  int enabled = g_boxHalveSimd.load();
  if (enabled < 0) {
    const int chosen = IsMmxAvailable() ? 1 : 0;
    g_boxHalveSimd.compare_exchange_strong(enabled, chosen);
    enabled = g_boxHalveSimd.load();
  }
  return enabled != 0;
}

bool BoxHalveAvx2Available() {
#if defined(__x86_64__) || defined(__i386__)
  // The compiler's processor model checks the CPUID bits and that the system saves the AVX state.
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

const BoxHalveKernel* FindBoxHalveKernel(D3DFORMAT format) {
  if (BoxHalveSimdEnabled()) {
    if (BoxHalveAvx2Available()) {
      if (const BoxHalveKernel* kernel = FindIn(BoxHalveKernelsAvx2(), format)) return kernel;
    }
    if (const BoxHalveKernel* kernel = FindIn(BoxHalveKernelsSse2(), format)) return kernel;
  }
  return FindIn(BoxHalveKernelsPortable(), format);
}
