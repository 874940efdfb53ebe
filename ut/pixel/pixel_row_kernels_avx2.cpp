// AVX2 forms of the plain row loops of the 8-bit formats: two pixels per 256-bit register, with
// the results of the generic arithmetic (see pixel_row_kernels_sse2.cpp): code x 1/255 to
// decode; trunc(c x 255 + 0.5) clamped to 0..255 to encode. Built with -mavx2 (no FMA, so no
// product is fused into a sum).
#include "ut/pixel/pixel_row_kernels_avx2.h"

#if defined(__AVX2__)

#include <immintrin.h>

#include <cstdint>

#include "ut/pixel/field_reciprocals.h"

namespace {

constexpr float kScale = 255.0f;
constexpr float kReciprocal = ReciprocalOfMaxCode(255);
constexpr float kSumLow = -2147483520.0f;  // the bounds of TruncateTowardZero
constexpr float kSumHigh = 2147483520.0f;
constexpr int kSwapRedBlue = _MM_SHUFFLE(3, 0, 1, 2);

inline float* Floats(UtColor* c) { return &c->r; }
inline const float* Floats(const UtColor* c) { return &c->r; }

// ---- 32-bit formats: A8R8G8B8, X8R8G8B8 (SwapRB) and A8B8G8R8, X8B8G8R8.
//
// Decoding spreads each pixel's bytes over its four 32-bit lanes with one byte shuffle (which
// also exchanges red and blue), converts and multiplies by 1/255. Encoding clamps each channel to
// at most 1 first and leaves everything below to the truncation and the packs: for c <= 1 the
// sum c x 255 + 0.5 stays under 2^31, so the scalar bounds of TruncateTowardZero change nothing;
// above 1 both forms give 255 (multiplication and addition never decrease); a sum at or below
// -2^31, infinity or NaN converts to the integer 0x80000000, which the signed pack saturates
// and the unsigned pack turns into 0, as the scalar clamp does. MINPS returns its second operand
// when either is NaN, so min(1, c) keeps a NaN for the conversion.

// Byte shuffle of two pixels, the first in the low lane and the second in the high lane of a
// register holding the same eight bytes in both lanes: each byte into its own 32-bit lane, in
// UtColor order; -1 clears (the X byte of the X formats becomes 0 there).
template <bool SwapRB, bool OpaqueX>
inline __m256i SpreadMask() {
  constexpr char r = SwapRB ? 2 : 0, g = 1, b = SwapRB ? 0 : 2, a = OpaqueX ? -1 : 3;
  constexpr char z = -1;
  return _mm256_setr_epi8(r, z, z, z, g, z, z, z, b, z, z, z, a, z, z, z,  //
                          r + 4, z, z, z, g + 4, z, z, z, b + 4, z, z, z,
                          OpaqueX ? z : a + 4, z, z, z);
}

template <bool SwapRB, bool OpaqueX>
inline __m256 DecodeTwo(__m256i eightBytesTwice) {
  const __m256i codes = _mm256_shuffle_epi8(eightBytesTwice, SpreadMask<SwapRB, OpaqueX>());
  __m256 c = _mm256_mul_ps(_mm256_cvtepi32_ps(codes), _mm256_set1_ps(kReciprocal));
  if constexpr (OpaqueX) c = _mm256_blend_ps(c, _mm256_set1_ps(1.0f), 0x88);
  return c;
}

inline __m256i LoadPairTwice(const BYTE* src) {
  long long eight;
  __builtin_memcpy(&eight, src, 8);
  return _mm256_set1_epi64x(eight);
}

// One pixel, in the low lane.
template <bool SwapRB, bool OpaqueX>
inline void DecodeOne(const BYTE* src, UtColor* out) {
  int four;
  __builtin_memcpy(&four, src, 4);
  const __m128i codes =
      _mm_shuffle_epi8(_mm_cvtsi32_si128(four), _mm256_castsi256_si128(SpreadMask<SwapRB, OpaqueX>()));
  __m128 c = _mm_mul_ps(_mm_cvtepi32_ps(codes), _mm_set1_ps(kReciprocal));
  if constexpr (OpaqueX) c = _mm_blend_ps(c, _mm_set1_ps(1.0f), 0x8);
  _mm_storeu_ps(Floats(out), c);
}

template <bool SwapRB, bool OpaqueX>
void Decode8888(const BYTE* src, UtColor* out, unsigned n) {
  unsigned i = 0;
  // Whole-line stores: a row of colours that starts half way into 32 bytes gets one pixel first.
  if (n > 0 && (reinterpret_cast<uintptr_t>(out) & 31) != 0) {
    DecodeOne<SwapRB, OpaqueX>(src, out);
    i = 1;
  }
  for (; i + 8 <= n; i += 8) {
    const __m256 c01 = DecodeTwo<SwapRB, OpaqueX>(LoadPairTwice(src + 4 * i));
    const __m256 c23 = DecodeTwo<SwapRB, OpaqueX>(LoadPairTwice(src + 4 * i + 8));
    const __m256 c45 = DecodeTwo<SwapRB, OpaqueX>(LoadPairTwice(src + 4 * i + 16));
    const __m256 c67 = DecodeTwo<SwapRB, OpaqueX>(LoadPairTwice(src + 4 * i + 24));
    _mm256_storeu_ps(Floats(out + i), c01);
    _mm256_storeu_ps(Floats(out + i + 2), c23);
    _mm256_storeu_ps(Floats(out + i + 4), c45);
    _mm256_storeu_ps(Floats(out + i + 6), c67);
  }
  for (; i + 2 <= n; i += 2) {
    _mm256_storeu_ps(Floats(out + i), DecodeTwo<SwapRB, OpaqueX>(LoadPairTwice(src + 4 * i)));
  }
  if (i < n) DecodeOne<SwapRB, OpaqueX>(src + 4 * i, out + i);
}

// trunc(min(1, c) x 255 + 0.5) of each channel of two colours.
inline __m256i QuantizeTwo(__m256 c) {
  const __m256 v = _mm256_mul_ps(_mm256_min_ps(_mm256_set1_ps(1.0f), c), _mm256_set1_ps(kScale));
  return _mm256_cvttps_epi32(_mm256_add_ps(v, _mm256_set1_ps(0.5f)));
}

// The bytes of one pixel in memory order, from its codes in UtColor order.
template <bool SwapRB, bool ZeroX>
inline __m256i StoreOrder(__m256i bytes) {
  if constexpr (SwapRB) {
    constexpr char r = 2, g = 1, b = 0, a = ZeroX ? -1 : 3;
    bytes = _mm256_shuffle_epi8(
        bytes, _mm256_setr_epi8(r, g, b, a, r + 4, g + 4, b + 4, ZeroX ? -1 : a + 4, r + 8, g + 8,
                                b + 8, ZeroX ? -1 : a + 8, r + 12, g + 12, b + 12,
                                ZeroX ? -1 : a + 12, r, g, b, a, r + 4, g + 4, b + 4,
                                ZeroX ? -1 : a + 4, r + 8, g + 8, b + 8, ZeroX ? -1 : a + 8,
                                r + 12, g + 12, b + 12, ZeroX ? -1 : a + 12));
  } else if constexpr (ZeroX) {
    bytes = _mm256_and_si256(bytes, _mm256_set1_epi32(0x00FFFFFF));
  }
  return bytes;
}

// Eight colours into 32 bytes. The in-lane packs leave the pixels in the order
// 0, 2, 4, 6 | 1, 3, 5, 7; one permutation restores it.
template <bool SwapRB, bool ZeroX>
inline __m256i PackEight(const UtColor* in) {
  const __m256i w0 = _mm256_packs_epi32(QuantizeTwo(_mm256_loadu_ps(Floats(in))),
                                        QuantizeTwo(_mm256_loadu_ps(Floats(in + 2))));
  const __m256i w1 = _mm256_packs_epi32(QuantizeTwo(_mm256_loadu_ps(Floats(in + 4))),
                                        QuantizeTwo(_mm256_loadu_ps(Floats(in + 6))));
  const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(w0, w1),
                                                    _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
  return StoreOrder<SwapRB, ZeroX>(bytes);
}

// One colour into its four bytes.
template <bool SwapRB, bool ZeroX>
inline void EncodeOne(const UtColor* in, BYTE* dst) {
  const __m128 v = _mm_mul_ps(_mm_min_ps(_mm_set1_ps(1.0f), _mm_loadu_ps(Floats(in))),
                              _mm_set1_ps(kScale));
  const __m128i q = _mm_cvttps_epi32(_mm_add_ps(v, _mm_set1_ps(0.5f)));
  const __m128i words = _mm_packs_epi32(q, q);
  const __m128i bytes =
      _mm256_castsi256_si128(StoreOrder<SwapRB, ZeroX>(_mm256_castsi128_si256(_mm_packus_epi16(words, words))));
  const int four = _mm_cvtsi128_si32(bytes);
  __builtin_memcpy(dst, &four, 4);
}

template <bool SwapRB, bool ZeroX>
void Encode8888(const UtColor* in, BYTE* dst, unsigned n) {
  unsigned i = 0;
  // Whole-line loads: a row of colours that starts half way into 32 bytes gives one pixel first.
  if (n > 0 && (reinterpret_cast<uintptr_t>(in) & 31) != 0) {
    EncodeOne<SwapRB, ZeroX>(in, dst);
    i = 1;
  }
  for (; i + 16 <= n; i += 16) {
    const __m256i p0 = PackEight<SwapRB, ZeroX>(in + i);
    const __m256i p1 = PackEight<SwapRB, ZeroX>(in + i + 8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 4 * i), p0);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 4 * i + 32), p1);
  }
  for (; i + 8 <= n; i += 8) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 4 * i), PackEight<SwapRB, ZeroX>(in + i));
  }
  for (; i < n; ++i) EncodeOne<SwapRB, ZeroX>(in + i, dst + 4 * i);
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
