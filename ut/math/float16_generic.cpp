// Generic conversions between floats and UtFloat16, on the bit patterns.
#include "float16_generic.h"

#include <cstring>

namespace {

inline uint32_t FloatBits(float f) {
  uint32_t b;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

inline float BitsFloat(uint32_t b) {
  float f;
  std::memcpy(&f, &b, sizeof f);
  return f;
}

// Drops the low 13 bits of a float significand, rounding to nearest with ties to even: adding
// 0xFFF plus the lowest kept bit carries into the kept bits exactly when the discarded part is
// above half, or exactly half with an odd kept part. A carry out of the mantissa raises the
// exponent, which is the right result.
inline uint32_t RoundShift13(uint32_t v) { return (v + 0xFFFu + ((v >> 13) & 1u)) >> 13; }

inline UtFloat16 Encode(float f) {
  const uint32_t b = FloatBits(f);
  const uint32_t sign = (b >> 16) & 0x8000u;
  const uint32_t a = b & 0x7FFFFFFFu;
  if (a > 0x47FFEFFFu) {
    // 131040 and up, infinities and NaNs: saturate to +-131008 (there is no infinity).
    return static_cast<UtFloat16>(sign | 0x7FFFu);
  }
  if (a >= 0x38800000u) {
    // 2^-14 and up: re-bias the exponent from 127 to 15 and round away 13 mantissa bits.
    return static_cast<UtFloat16>(sign | RoundShift13(a - 0x38000000u));
  }
  // Denormal result: line the significand (with its leading 1) up with 2^-24 units plus 13
  // guard bits. Bits shifted past the guard bits are lost, not kept as a sticky bit, so a value
  // just above a midpoint can round down.
  const uint32_t shift = 113u - (a >> 23);
  const uint32_t m = shift < 24u ? ((a & 0x7FFFFFu) | 0x800000u) >> shift : 0u;
  return static_cast<UtFloat16>(sign | RoundShift13(m));
}

inline float Decode(UtFloat16 h) {
  const uint32_t sign = static_cast<uint32_t>(h & 0x8000u) << 16;
  const uint32_t e = (h >> 10) & 0x1Fu;
  uint32_t m = h & 0x3FFu;
  if (e != 0) return BitsFloat(sign | ((e + 112u) << 23) | (m << 13));
  if (m == 0) return BitsFloat(sign);
  // A denormal half is a normal float: shift the leading 1 up to bit 10 and drop it.
  int exponent = -14;
  while ((m & 0x400u) == 0) {
    m <<= 1;
    --exponent;
  }
  return BitsFloat(sign | (static_cast<uint32_t>(exponent + 127) << 23) | ((m & 0x3FFu) << 13));
}

}  // namespace

UtFloat16* GenericFloat32To16Array(UtFloat16* out, const float* in, unsigned n) {
  for (unsigned i = 0; i < n; ++i) out[i] = Encode(in[i]);
  return out;
}

float* GenericFloat16To32Array(float* out, const UtFloat16* in, unsigned n) {
  for (unsigned i = 0; i < n; ++i) out[i] = Decode(in[i]);
  return out;
}
