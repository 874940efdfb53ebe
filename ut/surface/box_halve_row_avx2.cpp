// AVX2 halving of the 32-bit formats with four 8-bit fields: sixteen source pixels of each row
// make eight destination pixels, with the arithmetic of the SSE2 routine in 256-bit registers.
// Built with -mavx2; chosen only on processors that have AVX2.
#include <cstdint>
#include <cstring>

#include "ut/surface/box_halve_row.h"

#if defined(__AVX2__)
#include <immintrin.h>

namespace {

inline uint32_t HalvePixel(const BYTE* upper, const BYTE* lower, uint32_t keep) {
  uint32_t p[4];
  std::memcpy(&p[0], upper, 4);
  std::memcpy(&p[1], upper + 4, 4);
  std::memcpy(&p[2], lower, 4);
  std::memcpy(&p[3], lower + 4, 4);
  uint32_t result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const uint32_t sum = ((p[0] >> shift) & 0xFF) + ((p[1] >> shift) & 0xFF) +
                         ((p[2] >> shift) & 0xFF) + ((p[3] >> shift) & 0xFF);
    result |= ((sum + 2) >> 2) << shift;
  }
  return result & keep;
}

// Sixteen pixels as the sums of their horizontal pairs, widened to 16 bits. The shuffles work
// within 128-bit lanes, so the pairs come out in the order 0, 1, 4, 5 | 2, 3, 6, 7.
inline void PairSums(const BYTE* p, __m256i* low, __m256i* high) {
  const __m256 first = _mm256_castsi256_ps(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
  const __m256 second = _mm256_castsi256_ps(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32)));
  const __m256i even = _mm256_castps_si256(_mm256_shuffle_ps(first, second, _MM_SHUFFLE(2, 0, 2, 0)));
  const __m256i odd = _mm256_castps_si256(_mm256_shuffle_ps(first, second, _MM_SHUFFLE(3, 1, 3, 1)));
  const __m256i zero = _mm256_setzero_si256();
  *low = _mm256_add_epi16(_mm256_unpacklo_epi8(even, zero), _mm256_unpacklo_epi8(odd, zero));
  *high = _mm256_add_epi16(_mm256_unpackhi_epi8(even, zero), _mm256_unpackhi_epi8(odd, zero));
}

template <uint32_t Keep>
void HalveRowAvx2(const BYTE* upper, const BYTE* lower, BYTE* out, UINT width) {
  const __m256i two = _mm256_set1_epi16(2);
  const __m256i keep = _mm256_set1_epi32(static_cast<int>(Keep));
  UINT i = 0;
  for (; i + 8 <= width; i += 8) {
    // Two rows stream in at once; asking for them a few lines ahead keeps the loads waiting less.
    _mm_prefetch(reinterpret_cast<const char*>(upper + size_t{8} * i + 512), _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(lower + size_t{8} * i + 512), _MM_HINT_T0);
    __m256i upperLow, upperHigh, lowerLow, lowerHigh;
    PairSums(upper + size_t{8} * i, &upperLow, &upperHigh);
    PairSums(lower + size_t{8} * i, &lowerLow, &lowerHigh);
    const __m256i low = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(upperLow, lowerLow), two), 2);
    const __m256i high = _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(upperHigh, lowerHigh), two), 2);
    // Packing per lane gives pixels 0, 1, 4, 5 | 2, 3, 6, 7; the permutation puts them in order.
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(low, high), _MM_SHUFFLE(3, 1, 2, 0));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + size_t{4} * i), _mm256_and_si256(packed, keep));
  }
  for (; i < width; ++i) {
    const uint32_t v = HalvePixel(upper + size_t{8} * i, lower + size_t{8} * i, Keep);
    std::memcpy(out + size_t{4} * i, &v, 4);
  }
}

constexpr BoxHalveKernel kAvx2Kernels[] = {
    {D3DFMT_A8R8G8B8, "avx2", &HalveRowAvx2<0xFFFFFFFFu>},
    {D3DFMT_A8B8G8R8, "avx2", &HalveRowAvx2<0xFFFFFFFFu>},
    {D3DFMT_X8R8G8B8, "avx2", &HalveRowAvx2<0x00FFFFFFu>},
    {D3DFMT_X8B8G8R8, "avx2", &HalveRowAvx2<0x00FFFFFFu>},
};

}  // namespace

std::span<const BoxHalveKernel> BoxHalveKernelsAvx2() { return kAvx2Kernels; }

#else

std::span<const BoxHalveKernel> BoxHalveKernelsAvx2() { return {}; }

#endif
