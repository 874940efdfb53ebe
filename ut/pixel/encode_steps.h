// Colour steps that particular encoders take before quantising.
#pragma once

#include "ut_math.h"

// Luminance formats: red := 0.0721 blue + 0.7154 green + 0.2125 red for every pixel, in single
// precision; red then stands for the luminance.
void ReplaceRedByLuminance(UtColor* row, unsigned n);

// D3DFMT_CxV8U8: red, green and blue become the unit vector in their direction, by the
// library's vector normalisation rule: left alone when the squared length is within 2^-23 of 1,
// scaled by 1/sqrt(length^2) when that is above 2^-126, else zero.
void NormalizeColorVector(UtColor& c);
