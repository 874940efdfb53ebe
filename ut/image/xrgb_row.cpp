#include "ut/image/xrgb_row.h"

#include <bit>
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

PackXrgbRowFn SelectedPackXrgbRow() {
  static const PackXrgbRowFn selected =
      IsProcessorFeaturePresent(PF_SSSE3_INSTRUCTIONS_AVAILABLE) ? PackXrgbRowSsse3 : PackXrgbRowGeneric;
  return selected;
}
