#include "ut/texture/working_palette.h"

#include <cstring>

namespace {

// The 3-bit and 2-bit channel values of R3G3B2 widened to 8 bits.
constexpr BYTE kThreeBitLevels[8] = {0x00, 0x24, 0x49, 0x6D, 0x92, 0xB6, 0xDB, 0xFF};
constexpr BYTE kTwoBitLevels[4] = {0x00, 0x55, 0xAA, 0xFF};

bool SameEntry(const PALETTEENTRY& e, BYTE r, BYTE g, BYTE b, BYTE a) {
  return e.peRed == r && e.peGreen == g && e.peBlue == b && e.peFlags == a;
}

}  // namespace

WorkingPalette OpaqueWhitePalette() {
  WorkingPalette palette;
  palette.fill(PALETTEENTRY{0xFF, 0xFF, 0xFF, 0xFF});
  return palette;
}

WorkingPalette KeyedPalette(const PALETTEENTRY* filePalette, D3DCOLOR colorKey) {
  // Palette entries are red, green, blue, alpha in memory, so the key is compared as A8B8G8R8.
  const DWORD key =
      (colorKey & 0xFF00FF00u) | ((colorKey >> 16) & 0xFFu) | ((colorKey & 0xFFu) << 16);
  WorkingPalette palette;
  for (size_t i = 0; i < palette.size(); ++i) {
    DWORD entry;
    std::memcpy(&entry, &filePalette[i], sizeof entry);
    if (entry == key) entry = 0;
    std::memcpy(&palette[i], &entry, sizeof entry);
  }
  return palette;
}

bool IsGreyRamp(const WorkingPalette& palette) {
  for (size_t i = 0; i < palette.size(); ++i) {
    const BYTE v = static_cast<BYTE>(i);
    if (!SameEntry(palette[i], v, v, v, 0xFF)) return false;
  }
  return true;
}

bool IsR3G3B2Ramp(const WorkingPalette& palette) {
  for (size_t i = 0; i < palette.size(); ++i) {
    if (!SameEntry(palette[i], kThreeBitLevels[i >> 5], kThreeBitLevels[(i >> 2) & 7],
                   kTwoBitLevels[i & 3], 0xFF))
      return false;
  }
  return true;
}

bool HasTranslucentEntry(const WorkingPalette& palette) {
  for (const PALETTEENTRY& e : palette)
    if (e.peFlags != 0xFF) return true;
  return false;
}
