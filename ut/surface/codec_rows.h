// Small helpers over the codecs that the strategies share.
#pragma once

#include <algorithm>

#include "ut/pixel/pixel_codec.h"

// The stored row y of slice z of a byte-addressable codec's region.
inline BYTE* CodecRow(const PixelCodec& codec, UINT y, UINT z) {
  return codec.bits + static_cast<size_t>(y) * codec.rowPitch +
         static_cast<size_t>(z) * codec.slicePitch;
}

inline bool SameRegionSize(const PixelCodec& a, const PixelCodec& b) {
  return a.width == b.width && a.height == b.height && a.depth == b.depth;
}

inline bool RegionIsEmpty(const PixelCodec& codec) {
  return codec.width == 0 || codec.height == 0 || codec.depth == 0;
}
