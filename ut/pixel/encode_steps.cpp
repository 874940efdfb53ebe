#include "ut/pixel/encode_steps.h"

#include <cmath>

void ReplaceRedByLuminance(UtColor* row, unsigned n) {
  for (unsigned i = 0; i < n; ++i) {
    UtColor& c = row[i];
    c.r = 0.0721f * c.b + 0.7154f * c.g + 0.2125f * c.r;
  }
}

void NormalizeColorVector(UtColor& c) {
  const float length2 = c.r * c.r + c.g * c.g + c.b * c.b;
  const float offset = length2 - 1.0f;
  if (offset >= -1.1920929e-7f && offset <= 1.1920929e-7f) return;
  if (length2 > 1.1754944e-38f) {
    const float scale = 1.0f / std::sqrt(length2);
    c.r *= scale;
    c.g *= scale;
    c.b *= scale;
  } else {
    c.r = c.g = c.b = 0.0f;
  }
}
