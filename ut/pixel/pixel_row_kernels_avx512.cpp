// AVX-512 forms of the plain row loops of the 32-bit 8-bit-per-channel formats: four pixels per
// 512-bit register, so that a decoded row is written a cache line per store. The arithmetic is
// that of the AVX2 kernels (see pixel_row_kernels_avx2.cpp for why it equals the generic form):
// code x 1/255 to decode; trunc(min(1, c) x 255 + 0.5) and the saturations of the packs to
// encode. Built with -mavx512f -mavx512bw (no FMA is emitted from separate multiply and add
// intrinsics under -ffp-contract=off).
#include "ut/pixel/pixel_row_kernels_avx512.h"

#if defined(__AVX512F__) && defined(__AVX512BW__)

// GCC 12's unmasked AVX-512 intrinsics start from a deliberately undefined register (a variable
// initialised from itself), which its uninitialised-use warnings report wherever they inline.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include <cstdint>

#include "ut/pixel/field_reciprocals.h"

namespace {

constexpr float kScale = 255.0f;
constexpr float kReciprocal = ReciprocalOfMaxCode(255);

inline float* Floats(UtColor* c) { return &c->r; }
inline const float* Floats(const UtColor* c) { return &c->r; }

// Pixels to take as a partial group before a row of colours reaches a cache-line boundary; 0 when
// the row is not even aligned to a colour's 16 bytes (then no count of pixels would align it).
inline unsigned PixelsToLine(const UtColor* row, unsigned n) {
  const uintptr_t address = reinterpret_cast<uintptr_t>(row);
  if ((address & 15) != 0) return 0;
  const unsigned m = static_cast<unsigned>((-address & 63) / 16);
  return m < n ? m : n;
}

struct alignas(64) ByteShuffle {
  char bytes[64];
};

// Byte shuffle of four pixels, each 128-bit lane holding the same sixteen bytes: lane k spreads
// pixel k over its four 32-bit lanes in UtColor order; -1 clears (the X byte).
constexpr ByteShuffle SpreadShuffle(bool swapRB, bool opaqueX) {
  ByteShuffle s{};
  for (int k = 0; k < 4; ++k) {
    const int channelByte[4] = {swapRB ? 2 : 0, 1, swapRB ? 0 : 2, opaqueX ? -1 : 3};
    for (int c = 0; c < 4; ++c) {
      s.bytes[16 * k + 4 * c] = static_cast<char>(channelByte[c] < 0 ? -1 : 4 * k + channelByte[c]);
      for (int j = 1; j < 4; ++j) s.bytes[16 * k + 4 * c + j] = -1;
    }
  }
  return s;
}

// Byte shuffle of sixteen packed pixels into memory order (red and blue exchanged, X cleared).
constexpr ByteShuffle StoreShuffle(bool swapRB, bool zeroX) {
  ByteShuffle s{};
  for (int j = 0; j < 64; j += 4) {
    const int base = j & 15;
    s.bytes[j] = static_cast<char>(base + (swapRB ? 2 : 0));
    s.bytes[j + 1] = static_cast<char>(base + 1);
    s.bytes[j + 2] = static_cast<char>(base + (swapRB ? 0 : 2));
    s.bytes[j + 3] = static_cast<char>(zeroX ? -1 : base + 3);
  }
  return s;
}

template <bool SwapRB, bool OpaqueX>
inline constexpr ByteShuffle kSpread = SpreadShuffle(SwapRB, OpaqueX);
template <bool SwapRB, bool ZeroX>
inline constexpr ByteShuffle kStore = StoreShuffle(SwapRB, ZeroX);

template <bool SwapRB, bool OpaqueX>
inline __m512i SpreadMask() {
  return _mm512_load_si512(kSpread<SwapRB, OpaqueX>.bytes);
}

template <bool SwapRB, bool OpaqueX>
inline __m512 DecodeFour(__m512i sixteenBytesFourTimes, __m512i spread) {
  const __m512i codes = _mm512_shuffle_epi8(sixteenBytesFourTimes, spread);
  __m512 c = _mm512_mul_ps(_mm512_cvtepi32_ps(codes), _mm512_set1_ps(kReciprocal));
  if constexpr (OpaqueX) c = _mm512_mask_mov_ps(c, 0x8888, _mm512_set1_ps(1.0f));
  return c;
}

inline __m512i LoadFourTimes(const BYTE* src) {
  return _mm512_broadcast_i32x4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src)));
}

// Up to fifteen pixels, through a local copy of their bytes and masked stores.
template <bool SwapRB, bool OpaqueX>
void DecodeFew(const BYTE* src, UtColor* out, unsigned m, __m512i spread) {
  alignas(64) BYTE bytes[64] = {};
  __builtin_memcpy(bytes, src, 4 * m);
  for (unsigned g = 0; 4 * g < m; ++g) {
    const unsigned left = m - 4 * g < 4 ? m - 4 * g : 4;
    const __mmask16 keep = static_cast<__mmask16>((1u << (4 * left)) - 1);
    _mm512_mask_storeu_ps(Floats(out + 4 * g), keep,
                          DecodeFour<SwapRB, OpaqueX>(LoadFourTimes(bytes + 16 * g), spread));
  }
}

template <bool SwapRB, bool OpaqueX>
void Decode8888(const BYTE* src, UtColor* out, unsigned n) {
  const __m512i spread = SpreadMask<SwapRB, OpaqueX>();
  unsigned i = PixelsToLine(out, n);
  if (i > 0) DecodeFew<SwapRB, OpaqueX>(src, out, i, spread);
  for (; i + 16 <= n; i += 16) {
    const __m512 c0 = DecodeFour<SwapRB, OpaqueX>(LoadFourTimes(src + 4 * i), spread);
    const __m512 c1 = DecodeFour<SwapRB, OpaqueX>(LoadFourTimes(src + 4 * i + 16), spread);
    const __m512 c2 = DecodeFour<SwapRB, OpaqueX>(LoadFourTimes(src + 4 * i + 32), spread);
    const __m512 c3 = DecodeFour<SwapRB, OpaqueX>(LoadFourTimes(src + 4 * i + 48), spread);
    _mm512_storeu_ps(Floats(out + i), c0);
    _mm512_storeu_ps(Floats(out + i + 4), c1);
    _mm512_storeu_ps(Floats(out + i + 8), c2);
    _mm512_storeu_ps(Floats(out + i + 12), c3);
  }
  for (; i + 4 <= n; i += 4) {
    _mm512_storeu_ps(Floats(out + i), DecodeFour<SwapRB, OpaqueX>(LoadFourTimes(src + 4 * i), spread));
  }
  if (i < n) DecodeFew<SwapRB, OpaqueX>(src + 4 * i, out + i, n - i, spread);
}

// trunc(min(1, c) x 255 + 0.5) of each channel of four colours.
inline __m512i QuantizeFour(__m512 c) {
  const __m512 v = _mm512_mul_ps(_mm512_min_ps(_mm512_set1_ps(1.0f), c), _mm512_set1_ps(kScale));
  return _mm512_cvttps_epi32(_mm512_add_ps(v, _mm512_set1_ps(0.5f)));
}

template <bool SwapRB, bool ZeroX>
inline __m512i StoreMask() {
  return _mm512_load_si512(kStore<SwapRB, ZeroX>.bytes);
}

// Sixteen colours (four registers of four) into 64 bytes. The in-lane packs leave lane k holding
// pixels k, 4 + k, 8 + k, 12 + k; one permutation of 32-bit pixels restores the order.
template <bool SwapRB, bool ZeroX>
inline __m512i PackSixteen(__m512 c0, __m512 c1, __m512 c2, __m512 c3, __m512i order) {
  const __m512i w0 = _mm512_packs_epi32(QuantizeFour(c0), QuantizeFour(c1));
  const __m512i w1 = _mm512_packs_epi32(QuantizeFour(c2), QuantizeFour(c3));
  const __m512i pixels = _mm512_permutexvar_epi32(order, _mm512_packus_epi16(w0, w1));
  if constexpr (SwapRB || ZeroX) return _mm512_shuffle_epi8(pixels, StoreMask<SwapRB, ZeroX>());
  return pixels;
}

inline __m512i PackOrder() {
  return _mm512_setr_epi32(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
}

// Up to fifteen colours, through masked loads and a masked store.
template <bool SwapRB, bool ZeroX>
void EncodeFew(const UtColor* in, BYTE* dst, unsigned m) {
  __m512 c[4];
  for (unsigned g = 0; g < 4; ++g) {
    const unsigned left = m > 4 * g ? (m - 4 * g < 4 ? m - 4 * g : 4) : 0;
    const __mmask16 keep = static_cast<__mmask16>((1u << (4 * left)) - 1);
    c[g] = _mm512_maskz_loadu_ps(keep, left ? Floats(in + 4 * g) : Floats(in));
  }
  const __m512i pixels = PackSixteen<SwapRB, ZeroX>(c[0], c[1], c[2], c[3], PackOrder());
  _mm512_mask_storeu_epi32(dst, static_cast<__mmask16>((1u << m) - 1), pixels);
}

template <bool SwapRB, bool ZeroX>
void Encode8888(const UtColor* in, BYTE* dst, unsigned n) {
  const __m512i order = PackOrder();
  unsigned i = PixelsToLine(in, n);
  if (i > 0) EncodeFew<SwapRB, ZeroX>(in, dst, i);
  for (; i + 16 <= n; i += 16) {
    const float* p = Floats(in + i);
    _mm512_storeu_si512(dst + 4 * i,
                        PackSixteen<SwapRB, ZeroX>(_mm512_loadu_ps(p), _mm512_loadu_ps(p + 16),
                                                   _mm512_loadu_ps(p + 32),
                                                   _mm512_loadu_ps(p + 48), order));
  }
  if (i < n) EncodeFew<SwapRB, ZeroX>(in + i, dst + 4 * i, n - i);
}

}  // namespace

namespace {

// The other formats are left to the AVX2 and SSE2 families.
constexpr PixelRowKernels kKernels[] = {
    {D3DFMT_A8R8G8B8, "avx512", Decode8888<true, false>, Encode8888<true, false>},
    {D3DFMT_X8R8G8B8, "avx512", Decode8888<true, true>, Encode8888<true, true>},
    {D3DFMT_A8B8G8R8, "avx512", Decode8888<false, false>, Encode8888<false, false>},
    {D3DFMT_X8B8G8R8, "avx512", Decode8888<false, true>, Encode8888<false, true>},
};

}  // namespace

const PixelRowKernels* PixelRowKernelsAvx512(size_t* count) {
  *count = sizeof kKernels / sizeof kKernels[0];
  return kKernels;
}

#else

const PixelRowKernels* PixelRowKernelsAvx512(size_t* count) {
  *count = 0;
  return nullptr;
}

#endif
