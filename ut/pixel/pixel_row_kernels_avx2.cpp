// AVX2 forms of the plain row loops of the 8-bit formats: two pixels per 256-bit register, with
// the same operations as the generic arithmetic (see pixel_row_kernels_sse2.cpp): code x 1/255
// to decode; trunc(clamp(c x 255 + 0.5)) and the saturations of the packs to encode. Built with
// -mavx2 (no FMA, so no product is fused into a sum).
#include "ut/pixel/pixel_row_kernels_avx2.h"

#if defined(__AVX2__)

#include <immintrin.h>

#include "ut/pixel/field_reciprocals.h"

namespace {

constexpr float kScale = 255.0f;
constexpr float kReciprocal = ReciprocalOfMaxCode(255);
constexpr float kSumLow = -2147483520.0f;  // the bounds of TruncateTowardZero
constexpr float kSumHigh = 2147483520.0f;
constexpr int kSwapRedBlue = _MM_SHUFFLE(3, 0, 1, 2);

inline float* Floats(UtColor* c) { return &c->r; }
inline const float* Floats(const UtColor* c) { return &c->r; }

// Two pixels' 8-bit codes (in memory order) into two colours.
template <bool SwapRB, bool OpaqueX>
inline void DecodeTwo(__m128i eightBytes, UtColor* out) {
  __m256i codes = _mm256_cvtepu8_epi32(eightBytes);
  if constexpr (SwapRB) codes = _mm256_shuffle_epi32(codes, kSwapRedBlue);
  __m256 c = _mm256_mul_ps(_mm256_cvtepi32_ps(codes), _mm256_set1_ps(kReciprocal));
  if constexpr (OpaqueX) c = _mm256_blend_ps(c, _mm256_set1_ps(1.0f), 0x88);
  _mm256_storeu_ps(Floats(out), c);
}

template <bool SwapRB, bool OpaqueX>
void Decode8888(const BYTE* src, UtColor* out, unsigned n) {
  unsigned i = 0;
  for (; i + 2 <= n; i += 2) {
    DecodeTwo<SwapRB, OpaqueX>(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + 4 * i)),
                               out + i);
  }
  if (i < n) {
    int word;
    __builtin_memcpy(&word, src + 4 * i, 4);
    alignas(32) UtColor pair[2];
    DecodeTwo<SwapRB, OpaqueX>(_mm_cvtsi32_si128(word), pair);
    out[i] = pair[0];
  }
}

inline __m256i QuantizeTwo(const UtColor* c) {
  const __m256 v = _mm256_mul_ps(_mm256_loadu_ps(Floats(c)), _mm256_set1_ps(kScale));
  __m256 s = _mm256_add_ps(v, _mm256_set1_ps(0.5f));
  s = _mm256_min_ps(_mm256_max_ps(s, _mm256_set1_ps(kSumLow)), _mm256_set1_ps(kSumHigh));
  return _mm256_cvttps_epi32(s);
}

// Eight colours into 32 bytes. The in-lane packs leave the pixels in the order
// 0, 2, 4, 6 | 1, 3, 5, 7; one permutation restores it.
template <bool SwapRB, bool ZeroX>
inline __m256i PackEight(const UtColor* in) {
  const __m256i w0 = _mm256_packs_epi32(QuantizeTwo(in), QuantizeTwo(in + 2));
  const __m256i w1 = _mm256_packs_epi32(QuantizeTwo(in + 4), QuantizeTwo(in + 6));
  __m256i bytes = _mm256_packus_epi16(w0, w1);
  bytes = _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
  if constexpr (SwapRB) {
    bytes = _mm256_shuffle_epi8(
        bytes, _mm256_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15, 2, 1, 0, 3,
                                6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15));
  }
  if constexpr (ZeroX) bytes = _mm256_and_si256(bytes, _mm256_set1_epi32(0x00FFFFFF));
  return bytes;
}

template <bool SwapRB, bool ZeroX>
void Encode8888(const UtColor* in, BYTE* dst, unsigned n) {
  unsigned i = 0;
  for (; i + 8 <= n; i += 8) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 4 * i), PackEight<SwapRB, ZeroX>(in + i));
  }
  if (i < n) {
    // The last one to seven pixels go through a full group of copies.
    alignas(32) UtColor tail[8];
    alignas(32) BYTE bytes[32];
    for (unsigned k = 0; k < 8; ++k) tail[k] = in[i + (i + k < n ? k : 0)];
    _mm256_store_si256(reinterpret_cast<__m256i*>(bytes), PackEight<SwapRB, ZeroX>(tail));
    __builtin_memcpy(dst + 4 * i, bytes, 4 * (n - i));
  }
}

// ---- D3DFMT_L8.

inline void DecodeEightLuminances(__m128i eightBytes, UtColor* out) {
  const __m256 l = _mm256_mul_ps(_mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(eightBytes)),
                                 _mm256_set1_ps(kReciprocal));
  const __m256 one = _mm256_set1_ps(1.0f);
  for (int pair = 0; pair < 4; ++pair) {
    const __m256i spread = _mm256_setr_epi32(2 * pair, 2 * pair, 2 * pair, 2 * pair,
                                             2 * pair + 1, 2 * pair + 1, 2 * pair + 1,
                                             2 * pair + 1);
    _mm256_storeu_ps(Floats(out + 2 * pair),
                     _mm256_blend_ps(_mm256_permutevar8x32_ps(l, spread), one, 0x88));
  }
}

void DecodeL8(const BYTE* src, UtColor* out, unsigned n) {
  unsigned i = 0;
  for (; i + 8 <= n; i += 8) {
    DecodeEightLuminances(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + i)), out + i);
  }
  if (i < n) {
    BYTE codes[8] = {};
    __builtin_memcpy(codes, src + i, n - i);
    alignas(32) UtColor colors[8];
    DecodeEightLuminances(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(codes)), colors);
    for (unsigned k = 0; i + k < n; ++k) out[i + k] = colors[k];
  }
}

// The red channels of eight colours, quantised, in the order 0, 2, 4, 6 | 1, 3, 5, 7.
inline __m256i QuantizeEightReds(const UtColor* c) {
  const __m256 c01 = _mm256_loadu_ps(Floats(c));
  const __m256 c23 = _mm256_loadu_ps(Floats(c + 2));
  const __m256 c45 = _mm256_loadu_ps(Floats(c + 4));
  const __m256 c67 = _mm256_loadu_ps(Floats(c + 6));
  const __m256 reds = _mm256_shuffle_ps(_mm256_unpacklo_ps(c01, c23),
                                        _mm256_unpacklo_ps(c45, c67), _MM_SHUFFLE(1, 0, 1, 0));
  const __m256 v = _mm256_mul_ps(reds, _mm256_set1_ps(kScale));
  __m256 s = _mm256_add_ps(v, _mm256_set1_ps(0.5f));
  s = _mm256_min_ps(_mm256_max_ps(s, _mm256_set1_ps(kSumLow)), _mm256_set1_ps(kSumHigh));
  return _mm256_cvttps_epi32(s);
}

inline __m128i PackSixteenReds(const UtColor* in) {
  const __m256i words = _mm256_packs_epi32(QuantizeEightReds(in), QuantizeEightReds(in + 8));
  const __m256i bytes = _mm256_packus_epi16(words, words);
  // Lane 0 holds the even pixels, lane 1 the odd ones.
  return _mm_unpacklo_epi8(_mm256_castsi256_si128(bytes), _mm256_extracti128_si256(bytes, 1));
}

void EncodeL8(const UtColor* in, BYTE* dst, unsigned n) {
  unsigned i = 0;
  for (; i + 16 <= n; i += 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), PackSixteenReds(in + i));
  }
  if (i < n) {
    alignas(32) UtColor tail[16];
    alignas(16) BYTE bytes[16];
    for (unsigned k = 0; k < 16; ++k) tail[k] = in[i + (i + k < n ? k : 0)];
    _mm_store_si128(reinterpret_cast<__m128i*>(bytes), PackSixteenReds(tail));
    __builtin_memcpy(dst + i, bytes, n - i);
  }
}

constexpr PixelRowKernels kKernels[] = {
    {D3DFMT_A8R8G8B8, "avx2", Decode8888<true, false>, Encode8888<true, false>},
    {D3DFMT_X8R8G8B8, "avx2", Decode8888<true, true>, Encode8888<true, true>},
    {D3DFMT_A8B8G8R8, "avx2", Decode8888<false, false>, Encode8888<false, false>},
    {D3DFMT_X8B8G8R8, "avx2", Decode8888<false, true>, Encode8888<false, true>},
    {D3DFMT_L8, "avx2", DecodeL8, EncodeL8},
};

}  // namespace

const PixelRowKernels* PixelRowKernelsAvx2(size_t* count) {
  *count = sizeof kKernels / sizeof kKernels[0];
  return kKernels;
}

#else

const PixelRowKernels* PixelRowKernelsAvx2(size_t* count) {
  *count = 0;
  return nullptr;
}

#endif
