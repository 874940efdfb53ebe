// The weighing of four texels for linear filtering in 8-bit fractions, rounded as
// sampler_detail::Lerp rounds: per channel top = (a * (256 - fx) + b * fx + 128) >> 8, the
// same for the row below, then the two rows with fy.
#pragma once

#include <cstdint>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "d3d9/runtime/texture_sampler.h"

namespace d3d9rt {

#ifdef __SSE2__
namespace bilinear_detail {

// The weights of each fraction f as eight 16-bit lanes, 256 - f four times and then f four
// times: one load per pixel instead of building them.
struct WeightTable {
  alignas(16) uint16_t lanes[256][8];
  constexpr WeightTable() : lanes{} {
    for (unsigned f = 0; f < 256; ++f) {
      for (unsigned k = 0; k < 4; ++k) {
        lanes[f][k] = static_cast<uint16_t>(256 - f);
        lanes[f][k + 4] = static_cast<uint16_t>(f);
      }
    }
  }
};
inline constexpr WeightTable kWeightTable{};

inline __m128i Weights(unsigned f) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(kWeightTable.lanes[f & 255u]));
}

}  // namespace bilinear_detail
#endif

// Texels a, b (the row above the sample point) and c, d (the row below) weighed with fractions
// fx across and fy down (0..255).
inline uint32_t Bilinear(uint32_t a, uint32_t b, uint32_t c, uint32_t d, unsigned fx, unsigned fy) {
#ifdef __SSE2__
  // Channels as 16-bit lanes, two texels to a register: no product exceeds 255 * 256.
  const __m128i zero = _mm_setzero_si128();
  const __m128i ab = _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(a)),
                                                          _mm_cvtsi32_si128(static_cast<int>(b))), zero);
  const __m128i cd = _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(c)),
                                                          _mm_cvtsi32_si128(static_cast<int>(d))), zero);
  const __m128i across = bilinear_detail::Weights(fx);
  const __m128i down = bilinear_detail::Weights(fy);
  const __m128i half = _mm_set1_epi16(128);
  const __m128i abw = _mm_mullo_epi16(ab, across), cdw = _mm_mullo_epi16(cd, across);
  const __m128i top = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(abw, _mm_srli_si128(abw, 8)), half), 8);
  const __m128i bottom = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(cdw, _mm_srli_si128(cdw, 8)), half), 8);
  const __m128i tb = _mm_mullo_epi16(_mm_unpacklo_epi64(top, bottom), down);
  const __m128i mixed = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(tb, _mm_srli_si128(tb, 8)), half), 8);
  return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(mixed, zero)));
#else
  using sampler_detail::Lerp;
  return Lerp(Lerp(a, b, fx), Lerp(c, d, fx), fy);
#endif
}

}  // namespace d3d9rt
