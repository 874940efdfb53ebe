// The generic forms of the half-precision array conversions (see UtFloat16 in ut_math.h).
#pragma once

#include "ut_math.h"

UtFloat16* GenericFloat32To16Array(UtFloat16* out, const float* in, unsigned n);
float* GenericFloat16To32Array(float* out, const UtFloat16* in, unsigned n);
