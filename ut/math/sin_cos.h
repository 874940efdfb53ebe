// Sine and cosine of one argument, each rounded once to single precision.
#pragma once

#include <cmath>

// Evaluated in double, so each result is the float nearest the true value, as an x87 fsincos
// followed by a single-precision store gives.
inline void SinCos(float angle, float* s, float* c) {
  const double a = angle;
  *s = static_cast<float>(std::sin(a));
  *c = static_cast<float>(std::cos(a));
}
