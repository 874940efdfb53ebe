// SSE2 forms of the plain row loops of the 8-bit formats. They reproduce the generic arithmetic
// operation for operation: a decoded channel is its code converted to float times the stored
// reciprocal 1/255; an encoded channel is trunc(clamp(c x 255 + 0.5)) clamped to 0..255, where
// the float clamp is MAXPS/MINPS against the same bounds as the scalar code (NaN becomes the lower
// bound in both) and the integer clamp is the saturation of PACKSSDW followed by PACKUSWB.
#include "ut/pixel/pixel_row_kernels_sse2.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include "ut/pixel/field_reciprocals.h"

namespace {

constexpr float kScale = 255.0f;
constexpr float kReciprocal = ReciprocalOfMaxCode(255);
constexpr float kSumLow = -2147483520.0f;  // the bounds of TruncateTowardZero
constexpr float kSumHigh = 2147483520.0f;

// Word order of one pixel between memory (B, G, R, A) and UtColor (R, G, B, A); the same
// exchange of words 0 and 2 converts both ways.
constexpr int kSwapRedBlue = _MM_SHUFFLE(3, 0, 1, 2);

inline float* Floats(UtColor* c) { return &c->r; }
inline const float* Floats(const UtColor* c) { return &c->r; }

// ---- 32-bit formats: A8R8G8B8, X8R8G8B8 (SwapRB) and A8B8G8R8, X8B8G8R8.

template <bool SwapRB, bool OpaqueX>
inline void DecodeWords(__m128i words, UtColor* out) {
  // words: eight 16-bit codes, two pixels.
  if constexpr (SwapRB) {
    words = _mm_shufflehi_epi16(_mm_shufflelo_epi16(words, kSwapRedBlue), kSwapRedBlue);
  }
  const __m128i zero = _mm_setzero_si128();
  const __m128 scale = _mm_set1_ps(kReciprocal);
  __m128 p0 = _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(words, zero)), scale);
  __m128 p1 = _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(words, zero)), scale);
  if constexpr (OpaqueX) {
    const __m128 colorMask = _mm_castsi128_ps(_mm_set_epi32(0, -1, -1, -1));
    const __m128 opaque = _mm_set_ps(1.0f, 0.0f, 0.0f, 0.0f);
    p0 = _mm_or_ps(_mm_and_ps(p0, colorMask), opaque);
    p1 = _mm_or_ps(_mm_and_ps(p1, colorMask), opaque);
  }
  _mm_storeu_ps(Floats(out), p0);
  _mm_storeu_ps(Floats(out + 1), p1);
}

template <bool SwapRB, bool OpaqueX>
void Decode8888(const BYTE* src, UtColor* out, unsigned n) {
  const __m128i zero = _mm_setzero_si128();
  unsigned i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * i));
    DecodeWords<SwapRB, OpaqueX>(_mm_unpacklo_epi8(px, zero), out + i);
    DecodeWords<SwapRB, OpaqueX>(_mm_unpackhi_epi8(px, zero), out + i + 2);
  }
  for (; i < n; ++i) {
    int word;
    __builtin_memcpy(&word, src + 4 * i, 4);
    UtColor pair[2];
    DecodeWords<SwapRB, OpaqueX>(_mm_unpacklo_epi8(_mm_cvtsi32_si128(word), zero), pair);
    out[i] = pair[0];
  }
}

// Four colours to four 32-bit codes each: trunc(clamp(c x 255 + 0.5)).
inline __m128i QuantizeColor(const UtColor* c) {
  const __m128 v = _mm_mul_ps(_mm_loadu_ps(Floats(c)), _mm_set1_ps(kScale));
  __m128 s = _mm_add_ps(v, _mm_set1_ps(0.5f));
  s = _mm_min_ps(_mm_max_ps(s, _mm_set1_ps(kSumLow)), _mm_set1_ps(kSumHigh));
  return _mm_cvttps_epi32(s);
}

template <bool SwapRB>
inline __m128i PackTwo(const UtColor* in) {
  __m128i words = _mm_packs_epi32(QuantizeColor(in), QuantizeColor(in + 1));
  if constexpr (SwapRB) {
    words = _mm_shufflehi_epi16(_mm_shufflelo_epi16(words, kSwapRedBlue), kSwapRedBlue);
  }
  return words;
}

template <bool SwapRB, bool ZeroX>
void Encode8888(const UtColor* in, BYTE* dst, unsigned n) {
  const __m128i keep = ZeroX ? _mm_set1_epi32(0x00FFFFFF) : _mm_set1_epi32(-1);
  unsigned i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i lo = PackTwo<SwapRB>(in + i);
    const __m128i hi = PackTwo<SwapRB>(in + i + 2);
    const __m128i bytes = _mm_and_si128(_mm_packus_epi16(lo, hi), keep);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * i), bytes);
  }
  for (; i < n; ++i) {
    __m128i words = _mm_packs_epi32(QuantizeColor(in + i), _mm_setzero_si128());
    if constexpr (SwapRB) words = _mm_shufflelo_epi16(words, kSwapRedBlue);
    const int word = _mm_cvtsi128_si32(_mm_and_si128(_mm_packus_epi16(words, words), keep));
    __builtin_memcpy(dst + 4 * i, &word, 4);
  }
}

// ---- D3DFMT_L8: one code per pixel, decoded into red, green and blue with alpha 1.

inline void DecodeFourLuminances(__m128i codes, UtColor* out) {
  const __m128 l = _mm_mul_ps(_mm_cvtepi32_ps(codes), _mm_set1_ps(kReciprocal));
  const __m128 colorMask = _mm_castsi128_ps(_mm_set_epi32(0, -1, -1, -1));
  const __m128 opaque = _mm_set_ps(1.0f, 0.0f, 0.0f, 0.0f);
  _mm_storeu_ps(Floats(out + 0),
                _mm_or_ps(_mm_and_ps(_mm_shuffle_ps(l, l, _MM_SHUFFLE(0, 0, 0, 0)), colorMask),
                          opaque));
  _mm_storeu_ps(Floats(out + 1),
                _mm_or_ps(_mm_and_ps(_mm_shuffle_ps(l, l, _MM_SHUFFLE(1, 1, 1, 1)), colorMask),
                          opaque));
  _mm_storeu_ps(Floats(out + 2),
                _mm_or_ps(_mm_and_ps(_mm_shuffle_ps(l, l, _MM_SHUFFLE(2, 2, 2, 2)), colorMask),
                          opaque));
  _mm_storeu_ps(Floats(out + 3),
                _mm_or_ps(_mm_and_ps(_mm_shuffle_ps(l, l, _MM_SHUFFLE(3, 3, 3, 3)), colorMask),
                          opaque));
}

void DecodeL8(const BYTE* src, UtColor* out, unsigned n) {
  const __m128i zero = _mm_setzero_si128();
  unsigned i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m128i px = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i lo = _mm_unpacklo_epi8(px, zero);
    const __m128i hi = _mm_unpackhi_epi8(px, zero);
    DecodeFourLuminances(_mm_unpacklo_epi16(lo, zero), out + i);
    DecodeFourLuminances(_mm_unpackhi_epi16(lo, zero), out + i + 4);
    DecodeFourLuminances(_mm_unpacklo_epi16(hi, zero), out + i + 8);
    DecodeFourLuminances(_mm_unpackhi_epi16(hi, zero), out + i + 12);
  }
  for (; i < n; ++i) {
    UtColor four[4];
    DecodeFourLuminances(_mm_cvtsi32_si128(src[i]), four);
    out[i] = four[0];
  }
}

// The red channels of four colours, quantised to four 32-bit codes.
inline __m128i QuantizeFourReds(const UtColor* c) {
  const __m128 c01 = _mm_unpacklo_ps(_mm_loadu_ps(Floats(c)), _mm_loadu_ps(Floats(c + 1)));
  const __m128 c23 = _mm_unpacklo_ps(_mm_loadu_ps(Floats(c + 2)), _mm_loadu_ps(Floats(c + 3)));
  const __m128 v = _mm_mul_ps(_mm_movelh_ps(c01, c23), _mm_set1_ps(kScale));
  __m128 s = _mm_add_ps(v, _mm_set1_ps(0.5f));
  s = _mm_min_ps(_mm_max_ps(s, _mm_set1_ps(kSumLow)), _mm_set1_ps(kSumHigh));
  return _mm_cvttps_epi32(s);
}

void EncodeL8(const UtColor* in, BYTE* dst, unsigned n) {
  unsigned i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m128i w0 = _mm_packs_epi32(QuantizeFourReds(in + i), QuantizeFourReds(in + i + 4));
    const __m128i w1 =
        _mm_packs_epi32(QuantizeFourReds(in + i + 8), QuantizeFourReds(in + i + 12));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(w0, w1));
  }
  for (; i < n; ++i) {
    UtColor four[4] = {in[i], in[i], in[i], in[i]};
    const __m128i w = _mm_packs_epi32(QuantizeFourReds(four), _mm_setzero_si128());
    dst[i] = static_cast<BYTE>(_mm_cvtsi128_si32(_mm_packus_epi16(w, w)) & 0xFF);
  }
}

constexpr PixelRowKernels kKernels[] = {
    {D3DFMT_A8R8G8B8, "sse2", Decode8888<true, false>, Encode8888<true, false>},
    {D3DFMT_X8R8G8B8, "sse2", Decode8888<true, true>, Encode8888<true, true>},
    {D3DFMT_A8B8G8R8, "sse2", Decode8888<false, false>, Encode8888<false, false>},
    {D3DFMT_X8B8G8R8, "sse2", Decode8888<false, true>, Encode8888<false, true>},
    {D3DFMT_L8, "sse2", DecodeL8, EncodeL8},
};

}  // namespace

std::span<const PixelRowKernels> PixelRowKernelsSse2() { return kKernels; }

#else

std::span<const PixelRowKernels> PixelRowKernelsSse2() { return {}; }

#endif
