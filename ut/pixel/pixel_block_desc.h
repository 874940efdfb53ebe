// The description of a block of pixels in memory that a codec is bound to: a rectangle of a
// locked surface, a box of a locked volume, or a caller's buffer.
#pragma once

#include "d3d9/d3d9.h"

struct PixelBlockDesc {
  // The stored pixel at the origin of `extent` (column 0, row 0, slice 0).
  void* bits;
  // A D3DFORMAT or one of the private codes UT_FMT_A16L16, UT_FMT_R16G16B16.
  D3DFORMAT format;
  // Bytes from one row to the next (for block-compressed formats, one row of 4x4 blocks).
  UINT rowPitch;
  // Bytes from one slice to the next; 0 for a two-dimensional block.
  UINT slicePitch;
  // The bounds of the resource the block belongs to: a locked surface or volume's full size
  // whatever part is locked, or the source rectangle of a block in memory.
  D3DBOX extent;
  // The part of `extent` that is converted (right, bottom and back exclusive).
  D3DBOX region;
  BOOL orderedDither;   // add the ordered-dither offsets when encoding
  BOOL errorDiffusion;  // diffuse quantisation errors when encoding
  BOOL gamma;           // the stored values are gamma-encoded
  // Alpha, red, green, blue bytes from the most significant; for signed formats a byte b stands
  // for 2b/255 - 1. 0 means no colour key.
  D3DCOLOR colorKey;
  // 256 entries (red, green, blue, flags used as alpha), or null.
  const PALETTEENTRY* palette;
};
