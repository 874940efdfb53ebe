// From vertices to triangles on the screen: each vertex of the stream is transformed by the
// world, view and projection matrices, triangles are assembled from lists, strips and fans,
// clipped, divided by w, mapped into the viewport and handed to the rasteriser.
#pragma once

#include "d3d9/runtime/draw_setup.h"

namespace d3d9rt {

// Draws `count` primitives of `type` (triangle lists, strips and fans) from the vertices at
// `vertices`, `stride` bytes apart (at least setup.vertexSize; the caller has checked that they
// all lie in memory it may read). Tells the render target which area it wrote.
void DrawTriangles(const DrawSetup& setup, D3DPRIMITIVETYPE type, const BYTE* vertices,
                   UINT stride, UINT count);

}  // namespace d3d9rt
