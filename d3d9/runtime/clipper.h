// Clipping of triangles in homogeneous clip space, before the divide by w. The near (z >= 0)
// and far (z <= w) planes are clipped exactly; the sides are clipped only at a guard band far
// outside the viewport, and the rasteriser's pixel rectangle does the rest. The picture is the
// one clipping at the sides of the view volume gives, but no side clipping lands a vertex a
// rounding error inside the viewport's edge, where the fill rule would then miss a row.
#pragma once

#include <cstdint>

namespace d3d9rt {

struct ClipVertex {
  float x, y, z, w;  // clip space
  float u, v;        // texture coordinates
};

// A triangle gains at most one vertex per plane.
constexpr int kMaxClipVertices = 3 + 6;

// Bits of the planes a vertex lies outside of: near, far, then the guard band's left, right,
// bottom and top. A vertex with a coordinate that is not a number is outside all of them.
unsigned OutCode(const ClipVertex& v, float guardX, float guardY);

// Clips the triangle against the planes in `planes` (the OR of its vertices' outcodes) and
// returns the vertices of the convex polygon that is left, in the same winding: 0 when nothing
// is, else 3 to kMaxClipVertices. An edge shared by two triangles is cut at the same point in
// both, whichever way round they run along it.
int ClipTriangle(const ClipVertex in[3], unsigned planes, float guardX, float guardY,
                 ClipVertex out[kMaxClipVertices]);

}  // namespace d3d9rt
