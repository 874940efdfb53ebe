// SSE2 halving of the 32-bit formats with four 8-bit fields: eight source pixels of each row
// make four destination pixels. The bytes are widened to 16 bits, so the sums of four bytes
// plus 2 never overflow, and (sum + 2) >> 2 is computed exactly as the portable routine does.
#include <cstdint>
#include <cstring>

#include "ut/surface/box_halve_row.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace {

// One pixel the portable way, for the columns that don't fill a group of four.
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

// Even and odd pixels of eight, widened: lanes of pixels (0, 2) and (4, 6), or (1, 3), (5, 7).
inline void SplitPairs(const BYTE* p, __m128i* evenLow, __m128i* evenHigh, __m128i* oddLow,
                       __m128i* oddHigh) {
  const __m128 first = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
  const __m128 second = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
  // Shuffles of the single-precision unit move bits unchanged.
  const __m128i even = _mm_castps_si128(_mm_shuffle_ps(first, second, _MM_SHUFFLE(2, 0, 2, 0)));
  const __m128i odd = _mm_castps_si128(_mm_shuffle_ps(first, second, _MM_SHUFFLE(3, 1, 3, 1)));
  const __m128i zero = _mm_setzero_si128();
  *evenLow = _mm_unpacklo_epi8(even, zero);
  *evenHigh = _mm_unpackhi_epi8(even, zero);
  *oddLow = _mm_unpacklo_epi8(odd, zero);
  *oddHigh = _mm_unpackhi_epi8(odd, zero);
}

template <uint32_t Keep>
void HalveRowSse2(const BYTE* upper, const BYTE* lower, BYTE* out, UINT width) {
  const __m128i two = _mm_set1_epi16(2);
  const __m128i keep = _mm_set1_epi32(static_cast<int>(Keep));
  UINT i = 0;
  for (; i + 4 <= width; i += 4) {
    // Two rows stream in at once; asking for them a few lines ahead keeps the loads waiting less.
    // (A prefetch past the end of the rows is only a hint and never faults.)
    _mm_prefetch(reinterpret_cast<const char*>(upper + size_t{8} * i + 512), _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(lower + size_t{8} * i + 512), _MM_HINT_T0);
    __m128i ue0, ue1, uo0, uo1, le0, le1, lo0, lo1;
    SplitPairs(upper + size_t{8} * i, &ue0, &ue1, &uo0, &uo1);
    SplitPairs(lower + size_t{8} * i, &le0, &le1, &lo0, &lo1);
    __m128i sumLow = _mm_add_epi16(_mm_add_epi16(ue0, uo0), _mm_add_epi16(le0, lo0));
    __m128i sumHigh = _mm_add_epi16(_mm_add_epi16(ue1, uo1), _mm_add_epi16(le1, lo1));
    sumLow = _mm_srli_epi16(_mm_add_epi16(sumLow, two), 2);
    sumHigh = _mm_srli_epi16(_mm_add_epi16(sumHigh, two), 2);
    const __m128i packed = _mm_and_si128(_mm_packus_epi16(sumLow, sumHigh), keep);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + size_t{4} * i), packed);
  }
  for (; i < width; ++i) {
    const uint32_t v = HalvePixel(upper + size_t{8} * i, lower + size_t{8} * i, Keep);
    std::memcpy(out + size_t{4} * i, &v, 4);
  }
}

// X fields are written as 0, as the portable routines and the codecs do.
constexpr BoxHalveKernel kSse2Kernels[] = {
    {D3DFMT_A8R8G8B8, "sse2", &HalveRowSse2<0xFFFFFFFFu>},
    {D3DFMT_A8B8G8R8, "sse2", &HalveRowSse2<0xFFFFFFFFu>},
    {D3DFMT_X8R8G8B8, "sse2", &HalveRowSse2<0x00FFFFFFu>},
    {D3DFMT_X8B8G8R8, "sse2", &HalveRowSse2<0x00FFFFFFu>},
};

}  // namespace

std::span<const BoxHalveKernel> BoxHalveKernelsSse2() { return kSse2Kernels; }

#else

std::span<const BoxHalveKernel> BoxHalveKernelsSse2() { return {}; }

#endif
