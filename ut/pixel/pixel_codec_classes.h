// The codec classes the factory chooses from: each family of classes lists the formats it
// serves and how to construct a codec for one of them.
#pragma once

#include <memory>
#include <span>

#include "ut/pixel/pixel_codec.h"

struct PixelCodecClass {
  D3DFORMAT format;
  // Base construction and the class's own set-up; null when memory runs out. The factory then
  // builds the palette and quantises the colour key.
  std::unique_ptr<PixelCodec> (*create)(const PixelBlockDesc& desc);
};

// The classes of the per-pixel formats, one per row of the layout table, in its order.
std::span<const PixelCodecClass> LayoutPixelCodecClasses();
