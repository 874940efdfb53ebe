// Rows of UtColor values for the conversion strategies: allocation that reports failure instead
// of throwing, and the per-channel arithmetic of the filters.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "ut/pixel/pixel_kind.h"
#include "ut_math.h"

using ColorRow = std::unique_ptr<UtColor[]>;

// n colours, all (0, 0, 0, 0); null when memory runs out. A request for 0 colours still gives
// a valid (one-element) allocation, so a null result always means failure.
inline ColorRow NewColorRow(size_t n) {
  return ColorRow(new (std::nothrow) UtColor[n ? n : 1]());
}

inline void ClearColors(UtColor* row, size_t n) {
  for (size_t i = 0; i < n; ++i) row[i] = UtColor(0.0f, 0.0f, 0.0f, 0.0f);
}

// acc += c x w, channel by channel: one multiply and one add per channel, each rounded to
// single precision, so the vector form gives the same bits as the scalar one.
inline void AddScaledColor(UtColor& acc, const UtColor& c, float w) {
#if defined(__SSE2__)
  const __m128 sum = _mm_add_ps(_mm_loadu_ps(&acc.r), _mm_mul_ps(_mm_loadu_ps(&c.r), _mm_set1_ps(w)));
  _mm_storeu_ps(&acc.r, sum);
#else
  acc.r += c.r * w;
  acc.g += c.g * w;
  acc.b += c.b * w;
  acc.a += c.a * w;
#endif
}

// Clamps n accumulated colours to the value range of `kind` (no clamping for floating point).
void ClampColorsToKind(UtColor* row, size_t n, PixelKind kind);
