// Packing a row of R, G, B bytes (libjpeg's RGB output) into X8R8G8B8 pixels: 32-bit values
// (R << 16) | (G << 8) | B with the top byte 0. A portable routine and an SSSE3 one that must
// give the same bytes; PackXrgbRow uses the best one the processor runs.
#pragma once

#include <cstdint>

#include "win32/win32_types.h"

using PackXrgbRowFn = void (*)(const BYTE* rgb, uint32_t* xrgb, UINT width);

void PackXrgbRowGeneric(const BYTE* rgb, uint32_t* xrgb, UINT width);
void PackXrgbRowSsse3(const BYTE* rgb, uint32_t* xrgb, UINT width);

// The variant in use: chosen once, on first use, by the processor's features; the environment
// variable UT_PIXEL_DISABLE containing "ssse3" keeps the portable one.
PackXrgbRowFn SelectedPackXrgbRow();

inline void PackXrgbRow(const BYTE* rgb, uint32_t* xrgb, UINT width) { SelectedPackXrgbRow()(rgb, xrgb, width); }
