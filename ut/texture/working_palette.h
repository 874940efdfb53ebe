// The palette a texture-from-file call converts with, and the format choices that depend on it.
#pragma once

#include <array>

#include "d3d9/d3d9.h"

using WorkingPalette = std::array<PALETTEENTRY, 256>;

// Opaque white everywhere: what files without a palette convert with.
WorkingPalette OpaqueWhitePalette();

// The file's palette with every entry equal to `colorKey` (A8R8G8B8) made transparent black.
WorkingPalette KeyedPalette(const PALETTEENTRY* filePalette, D3DCOLOR colorKey);

// Entry i is opaque grey i: the indices are grey levels.
bool IsGreyRamp(const WorkingPalette& palette);
// Entry i is the opaque R3G3B2 colour i: the indices are R3G3B2 pixels.
bool IsR3G3B2Ramp(const WorkingPalette& palette);
// Some entry has an alpha other than 255.
bool HasTranslucentEntry(const WorkingPalette& palette);
