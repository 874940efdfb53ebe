// How each pixel format is stored in memory: bytes per pixel, per 4x4 block or per pixel pair,
// and where its channels sit. One table serves pitches, level sizes, copies, fills and filters.
#pragma once

#include <cstddef>
#include <cstdint>

#include "d3d9/d3d9_types.h"

namespace d3d9rt {

enum class Storage : uint8_t {
  kPixel,  // a whole number of bytes per pixel
  kBlock,  // 4x4 blocks (DXT1 8 bytes, DXT2 to DXT5 16 bytes)
  kPair,   // two pixels share 4 bytes (YUY2, UYVY, RGBG, GRGB)
};

// What the channel fields of a pixel hold, for the operations that compute with them
// (filtering, colour fill). kOpaque formats can be copied but not computed with.
enum class Numeric : uint8_t { kOpaque, kUnorm, kFloat16, kFloat32 };

// What a channel means, for colour fills.
enum class Channel : uint8_t {
  kNone,
  kRed,
  kGreen,
  kBlue,
  kAlpha,
  kLuminance,
  kDepth,
  kStencil,
  kUnused,  // an X field
};

// A field of a pixel: bits [shift, shift + bits) of the little-endian pixel value.
struct Field {
  Channel channel;
  uint8_t shift;
  uint8_t bits;
};

struct FormatLayout {
  D3DFORMAT format;
  Storage storage;
  uint8_t bytes;  // per pixel, per block or per pair
  Numeric numeric;
  Field fields[4];  // channel kNone ends the list early
};

// The layout of a format, or null for a format whose storage the runtime does not know.
const FormatLayout* FindFormatLayout(D3DFORMAT format);

// Footprint of one level of a format: the memory the runtime allocates and hands out in locks.
struct LevelFootprint {
  UINT rowPitch;    // bytes from one row (block row for kBlock) to the next
  UINT rows;        // rows of pixels, or of blocks for kBlock
  UINT slicePitch;  // rowPitch * rows
};

// Row pitch: pixel formats round width * bytes up to 4; block formats count whole blocks; pair
// formats count whole pairs. Returns false when the size does not fit in 32 bits.
bool ComputeFootprint(const FormatLayout& layout, UINT width, UINT height, LevelFootprint* out);

// Level `level` of a chain whose top level measures `top` in one dimension: max(1, top >> level).
inline UINT LevelExtent(UINT top, UINT level) {
  const UINT v = level >= 32 ? 0 : top >> level;
  return v ? v : 1;
}

// Levels of a full chain down to 1x1x1.
UINT FullChainLength(UINT width, UINT height, UINT depth);

// The horizontal and vertical granularity of addressing inside a level: 4x4 for blocks, 2x1 for
// pairs, 1x1 for pixels.
inline UINT UnitWidth(const FormatLayout& layout) {
  return layout.storage == Storage::kBlock ? 4u : layout.storage == Storage::kPair ? 2u : 1u;
}
inline UINT UnitHeight(const FormatLayout& layout) {
  return layout.storage == Storage::kBlock ? 4u : 1u;
}

// Byte offset of pixel (x, y) in a level with the given pitch; x and y must be unit-aligned.
inline size_t UnitOffset(const FormatLayout& layout, UINT x, UINT y, UINT rowPitch) {
  return static_cast<size_t>(y / UnitHeight(layout)) * rowPitch +
         static_cast<size_t>(x / UnitWidth(layout)) * layout.bytes;
}

// Bytes that cover `width` pixels of a row starting at a unit-aligned column.
inline size_t RowBytes(const FormatLayout& layout, UINT width) {
  const UINT unit = UnitWidth(layout);
  return static_cast<size_t>((width + unit - 1) / unit) * layout.bytes;
}

inline bool IsBlockFormat(D3DFORMAT f) {
  return f == D3DFMT_DXT1 || f == D3DFMT_DXT2 || f == D3DFMT_DXT3 || f == D3DFMT_DXT4 ||
         f == D3DFMT_DXT5;
}

bool IsDepthFormat(D3DFORMAT f);
// Depth formats whose surfaces can be locked.
bool IsLockableDepthFormat(D3DFORMAT f);

}  // namespace d3d9rt
