#include "ut/image/xrgb_row.h"

#include <bit>
#include <cstdlib>
#include <cstring>

#include "win32/win32.h"

// Four bytes loaded at a pixel read little-endian R | G << 8 | B << 16 | next << 24; reversed
// and shifted down by one byte they are the packed pixel. The last pixel has no fourth byte
// after it and is packed by hand.
void PackXrgbRowGeneric(const BYTE* rgb, uint32_t* xrgb, UINT width) {
  static_assert(std::endian::native == std::endian::little);
  UINT x = 0;
  for (; x + 1 < width; ++x) {
    uint32_t fourBytes;
    std::memcpy(&fourBytes, rgb + 3 * size_t{x}, 4);
    xrgb[x] = __builtin_bswap32(fourBytes) >> 8;
  }
  for (; x < width; ++x) {
    const BYTE* p = rgb + 3 * size_t{x};
    xrgb[x] = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | uint32_t{p[2]};
  }
}

namespace {

// As for the pixel row kernels, UT_PIXEL_DISABLE names instruction sets to leave out, so that
// the portable path can be run end to end ("ssse3").
bool Ssse3Usable() {
  const char* disabled = std::getenv("UT_PIXEL_DISABLE");
  if (disabled && std::strstr(disabled, "ssse3")) return false;
  return IsProcessorFeaturePresent(PF_SSSE3_INSTRUCTIONS_AVAILABLE);
}

}  // namespace

PackXrgbRowFn SelectedPackXrgbRow() {
  // A function-local static: chosen once, safely even if two threads decode at once.
  static const PackXrgbRowFn selected = Ssse3Usable() ? PackXrgbRowSsse3 : PackXrgbRowGeneric;
  return selected;
}
