// The value range of a format's channels, and the conversion of colour rows between ranges.
#pragma once

#include "ut_math.h"

enum PixelKind : unsigned {
  PIXEL_KIND_NONE = 0,      // "no conversion" where a kind is optional
  PIXEL_KIND_UNORM = 1,     // all four channels 0..1
  PIXEL_KIND_SNORM_RGB = 2, // red, green, blue -1..1; alpha 0..1
  PIXEL_KIND_SNORM = 3,     // all four channels -1..1
  PIXEL_KIND_FLOAT = 4,     // unbounded
};

// Converts n colours of kind `from` into kind `to` (out may equal in). Channels the conversion
// does not name are copied. Clamping sends NaN to the lower bound, so no NaN reaches a quantiser
// from a floating-point source.
void ConvertPixelKind(UtColor* out, const UtColor* in, unsigned n, PixelKind from, PixelKind to);

// Clamps to lo..hi; NaN becomes lo.
inline float ClampChannel(float x, float lo, float hi) {
  x = x > lo ? x : lo;
  return x < hi ? x : hi;
}
