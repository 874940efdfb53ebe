// Formats whose pixels are stored in units of more than one pixel: the 4x4 blocks of DXT1 to
// DXT5 and the two-pixel pairs of YUY2, UYVY, RGBG and GRGB. A lock of part of such a surface
// must begin and end on whole units, and a copy of its rows moves whole units.
#pragma once

#include <cstdint>

#include "d3d9/d3d9.h"

struct LockUnit {
  D3DFORMAT format;
  UINT width;   // pixels across one unit
  UINT height;  // rows in one unit
  UINT bytes;   // stored bytes of one unit
};

// The unit of `format`, or null for formats stored pixel by pixel.
const LockUnit* FindLockUnit(D3DFORMAT format);

// True for DXT1 to DXT5.
bool IsBlockCompressedFormat(D3DFORMAT format);

// An area [left, right) x [top, bottom) of a surface of width x height pixels, widened to whole
// units: left and top rounded down, right and bottom rounded up but not beyond the size.
struct LockArea {
  UINT left;
  UINT top;
  UINT right;
  UINT bottom;
};
LockArea WidenToUnits(const LockUnit* unit, const LockArea& area, UINT width, UINT height);

// Stored bytes of one row of `width` pixels (for block formats, one row of blocks), or 0 when
// the format's storage is not known to the library.
uint64_t StoredRowBytes(D3DFORMAT format, UINT width);

// Stored rows of `height` pixel rows: rows of blocks for block formats, else the rows themselves.
UINT StoredRows(D3DFORMAT format, UINT height);
