// The stored single-precision reciprocals of the maximum codes of integer fields: decoders
// multiply by them instead of dividing. 1/M for M = 2^n - 1 (unsigned fields of n bits) and
// M = 2^(n-1) - 1 (signed fields), each the nearest single-precision value.
#pragma once

#include <cstdint>

constexpr float ReciprocalOfMaxCode(uint32_t maxCode) {
  switch (maxCode) {
    case 1: return 1.0f;
    case 3: return 0.33333334f;
    case 7: return 0.14285715f;
    case 15: return 0.06666667f;
    case 31: return 0.032258064f;
    case 63: return 0.015873017f;
    case 127: return 0.007874016f;
    case 255: return 0.003921569f;
    case 511: return 0.0019569471f;
    case 1023: return 0.0009775171f;
    case 32767: return 0.00003051851f;
    case 65535: return 0.000015259022f;
    default: return 0.0f;  // no field of that width exists
  }
}

// M of a field of `width` bits.
constexpr uint32_t MaxCodeOf(uint32_t width, bool isSigned) {
  return isSigned ? (1u << (width - 1)) - 1 : (1u << width) - 1;
}
