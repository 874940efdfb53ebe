// The capabilities of the default adapter.
#pragma once

#include "d3d9/d3d9_types.h"

namespace d3d9rt {

// A typical Shader Model 3 card with hardware transform and lighting, power-of-two textures
// with conditional non-power-of-two support, mipmapped 2D, cube and volume textures, 4096 x 4096
// textures and 512^3 volumes.
D3DCAPS9 DefaultAdapterCaps();

}  // namespace d3d9rt
