#include "ut/surface/color_rows.h"

void ClampColorsToKind(UtColor* row, size_t n, PixelKind kind) {
  if (kind == PIXEL_KIND_FLOAT) return;
  const float colorLow = kind == PIXEL_KIND_UNORM ? 0.0f : -1.0f;
  const float alphaLow = kind == PIXEL_KIND_SNORM ? -1.0f : 0.0f;
  for (size_t i = 0; i < n; ++i) {
    UtColor& c = row[i];
    c.r = ClampChannel(c.r, colorLow, 1.0f);
    c.g = ClampChannel(c.g, colorLow, 1.0f);
    c.b = ClampChannel(c.b, colorLow, 1.0f);
    c.a = ClampChannel(c.a, alphaLow, 1.0f);
  }
}
