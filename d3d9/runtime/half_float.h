// IEEE half-precision conversions for the runtime's float16 formats (filters, fills, the
// rasteriser's colour codec).
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

namespace d3d9rt {

// IEEE half precision, rounding to nearest even.
inline uint16_t FloatToHalf(float value) {
  const uint32_t f = std::bit_cast<uint32_t>(value);
  const uint32_t sign = (f >> 16) & 0x8000u;
  const uint32_t exponent = (f >> 23) & 0xffu;
  uint32_t mantissa = f & 0x7fffffu;
  if (exponent == 0xff) return static_cast<uint16_t>(sign | 0x7c00u | (mantissa ? 0x200u : 0));
  const int e = static_cast<int>(exponent) - 127 + 15;
  if (e >= 31) return static_cast<uint16_t>(sign | 0x7c00u);
  if (e <= 0) {
    if (e < -10) return static_cast<uint16_t>(sign);
    mantissa |= 0x800000u;
    const unsigned shift = static_cast<unsigned>(14 - e);
    uint32_t half = mantissa >> shift;
    const uint32_t rest = mantissa & ((1u << shift) - 1);
    const uint32_t halfway = 1u << (shift - 1);
    if (rest > halfway || (rest == halfway && (half & 1))) ++half;
    return static_cast<uint16_t>(sign | half);
  }
  uint32_t half = (static_cast<uint32_t>(e) << 10) | (mantissa >> 13);
  const uint32_t rest = mantissa & 0x1fffu;
  if (rest > 0x1000u || (rest == 0x1000u && (half & 1))) ++half;  // may carry into infinity
  return static_cast<uint16_t>(sign | half);
}

inline float HalfToFloat(uint16_t h) {
  const uint32_t sign = static_cast<uint32_t>(h & 0x8000u) << 16;
  const uint32_t exponent = (h >> 10) & 0x1fu;
  const uint32_t mantissa = h & 0x3ffu;
  if (exponent == 0) {
    const float magnitude = std::ldexp(static_cast<float>(mantissa), -24);
    return sign ? -magnitude : magnitude;
  }
  if (exponent == 31) return std::bit_cast<float>(sign | 0x7f800000u | (mantissa << 13));
  return std::bit_cast<float>(sign | ((exponent + 112) << 23) | (mantissa << 13));
}

}  // namespace d3d9rt
