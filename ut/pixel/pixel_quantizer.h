// Quantisation of one channel value to an integer field, shared by the encoders:
//   v = (c + carry) x M            (M the field's maximum code, single precision)
//   q = trunc(v + d)               (d the dither offset, 0.5 without dithering; the sum is
//                                   rounded to single precision, then truncated toward zero, so
//                                   negative sums move toward zero: -1.0 gives -126 in 8 bits)
//   with error diffusion: e = (v - q) / M is spread Floyd-Steinberg fashion, 7/16 to the next
//   pixel of the row (the carry), 3/16, 5/16 and 1/16 to the pixels behind, at and ahead of
//   this one in the next row;
//   q clamped to 0..M (unsigned) or -M..M (signed) last.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ut/pixel/pixel_kind.h"
#include "ut_math.h"

// The largest maximum code of any field is 65535, so every sum inside the int range truncates
// exactly as written; larger sums (and NaN) are pinned first, which only matters to sums whose
// truncation would not be representable at all.
inline int32_t TruncateTowardZero(float sum) {
  return static_cast<int32_t>(ClampChannel(sum, -2147483520.0f, 2147483520.0f));
}

inline int32_t ClampCode(int32_t q, int32_t lo, int32_t hi) {
  return q < lo ? lo : (q > hi ? hi : q);
}

// A field's quantisation constants.
struct FieldQuantizer {
  float maxCode;  // M
  int32_t lo;     // 0 or -M
  int32_t hi;     // M

  int32_t Quantize(float c, float dither) const {
    return ClampCode(TruncateTowardZero(c * maxCode + dither), lo, hi);
  }
};

inline float& ChannelOf(UtColor& c, unsigned channel) {
  switch (channel) {
    case 0: return c.r;
    case 1: return c.g;
    case 2: return c.b;
    default: return c.a;
  }
}

// Error diffusion over one row in serpentine order. `errors` is the codec's errorRow: entry
// x + 1 belongs to pixel x, entries 0 and width + 1 are guards that absorb the shares falling
// outside the row.
class RowErrorDiffuser {
 public:
  // step: +1 for a row written left to right, -1 for right to left.
  RowErrorDiffuser(UtColor* errors, ptrdiff_t step) : errors_(errors), step_(step) {}

  // Quantises channel `channel` of the pixel whose errorRow entry is `entry`.
  int32_t Quantize(const FieldQuantizer& field, unsigned channel, float c, float dither,
                   size_t entry) {
    float& carry = ChannelOf(carry_, channel);
    const float v = (c + carry) * field.maxCode;
    const int32_t q = TruncateTowardZero(v + dither);
    float e = (v - static_cast<float>(q)) / field.maxCode;
    // A NaN input must not poison every pixel that follows it.
    if (e != e) e = 0.0f;
    UtColor* const below = errors_ + entry;
    ChannelOf(below[-step_], channel) += e * (3.0f / 16.0f);
    ChannelOf(below[0], channel) += e * (5.0f / 16.0f);
    ChannelOf(below[step_], channel) += e * (1.0f / 16.0f);
    carry = e * (7.0f / 16.0f);
    return ClampCode(q, field.lo, field.hi);
  }

 private:
  UtColor* errors_;
  ptrdiff_t step_;
  UtColor carry_{0.0f, 0.0f, 0.0f, 0.0f};
};
