// The gamma curve of stored pixel values: a pure power of 2.2 with no linear segment near black,
// taken from two 256-entry tables with linear interpolation.
#pragma once

#include "ut_math.h"

// E[i] = ((i / 254)^2)^(1 / 2.2) for i = 0..254, E[255] = 1; indexed by 254 sqrt(x).
const float* GammaEncodeTable();
// D[i] = (sqrt(i / 254))^2.2 for i = 0..254, D[255] = 1; indexed by 254 x^2.
const float* GammaDecodeTable();

// One value through the tables. Inputs outside 0..1 are clamped first (NaN counts as 0), so a
// look-up never leaves the tables.
float GammaEncode(float x);
float GammaDecode(float x);

// The curves applied to a row: to red, green and blue when `colorChannels`, else to alpha only
// (the luminance of D3DFMT_L6V5U5). `approximate` replaces the tables by x^2 and sqrt(x): the
// cheap curve used when both ends of a conversion are gamma-encoded.
void GammaDecodeRow(UtColor* row, unsigned n, bool colorChannels, bool approximate);
// out may equal in; channels that are not encoded are copied.
void GammaEncodeRow(UtColor* out, const UtColor* in, unsigned n, bool colorChannels,
                    bool approximate);
