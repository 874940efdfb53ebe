// The pixel codec factory.
#pragma once

#include <memory>

#include "ut/pixel/pixel_block_desc.h"
#include "ut/pixel/pixel_codec.h"

// A new codec bound to the block `desc` describes, owned by the caller; null when the format
// has no codec (for example the depth formats other than the two lockable ones) or when memory
// runs out.
std::unique_ptr<PixelCodec> CreatePixelCodec(const PixelBlockDesc& desc);
