#include "ut/surface/lock_units.h"

#include <algorithm>
#include <array>

#include "ut/pixel/pixel_format.h"

namespace {

// clang-format off
constexpr std::array<LockUnit, 9> kLockUnits = {{
  //  format               width height bytes
  { D3DFMT_DXT1,           4,    4,      8 },
  { D3DFMT_DXT2,           4,    4,     16 },
  { D3DFMT_DXT3,           4,    4,     16 },
  { D3DFMT_DXT4,           4,    4,     16 },
  { D3DFMT_DXT5,           4,    4,     16 },
  { D3DFMT_YUY2,           2,    1,      4 },
  { D3DFMT_UYVY,           2,    1,      4 },
  { D3DFMT_R8G8_B8G8,      2,    1,      4 },  // "RGBG"
  { D3DFMT_G8R8_G8B8,      2,    1,      4 },  // "GRGB"
}};
// clang-format on

UINT RoundDown(UINT value, UINT unit) { return value - value % unit; }

// Rounded up to a whole unit but never past `limit` (which may itself end inside a unit).
UINT RoundUpWithin(UINT value, UINT unit, UINT limit) {
  const UINT rest = value % unit;
  if (rest == 0) return value;
  const uint64_t up = static_cast<uint64_t>(value) + (unit - rest);
  return static_cast<UINT>(std::min<uint64_t>(up, limit));
}

}  // namespace

const LockUnit* FindLockUnit(D3DFORMAT format) {
  for (const LockUnit& unit : kLockUnits) {
    if (unit.format == format) return &unit;
  }
  return nullptr;
}

bool IsBlockCompressedFormat(D3DFORMAT format) {
  const LockUnit* unit = FindLockUnit(format);
  return unit && unit->height == 4;
}

LockArea WidenToUnits(const LockUnit* unit, const LockArea& area, UINT width, UINT height) {
  if (!unit) return area;
  return {RoundDown(area.left, unit->width), RoundDown(area.top, unit->height),
          RoundUpWithin(area.right, unit->width, width),
          RoundUpWithin(area.bottom, unit->height, height)};
}

uint64_t StoredRowBytes(D3DFORMAT format, UINT width) {
  if (const LockUnit* unit = FindLockUnit(format)) {
    const uint64_t units = (static_cast<uint64_t>(width) + unit->width - 1) / unit->width;
    return units * unit->bytes;
  }
  const PixelFormatInfo* info = GetPixelFormatInfo(format);
  if (info->format == D3DFMT_UNKNOWN) return 0;
  return static_cast<uint64_t>(width) * (info->bitsPerPixel / 8);
}

UINT StoredRows(D3DFORMAT format, UINT height) {
  const LockUnit* unit = FindLockUnit(format);
  if (!unit || unit->height == 1) return height;
  return static_cast<UINT>((static_cast<uint64_t>(height) + unit->height - 1) / unit->height);
}
