// Scan conversion by Direct3D 9's rules. Pixel centres sit at integer screen coordinates;
// positions are snapped to 1/256 of a pixel; a pixel is drawn when its centre lies inside the
// triangle, or on an edge that is a top edge (exactly horizontal, with the triangle below it)
// or a left edge, so that triangles sharing an edge draw each pixel along it exactly once.
// Depth (z / w) is interpolated linearly on the screen, texture coordinates with perspective
// (u / w, v / w and 1 / w linearly, divided per pixel).
#pragma once

#include <cstdint>

#include "d3d9/runtime/draw_setup.h"

namespace d3d9rt {

struct ScreenVertex {
  int32_t x, y;  // 24.8 fixed point, pixels
  double z;      // depth after the viewport's mapping
  float invW;    // 1 / w
  float uw, vw;  // u / w, v / w
};

// The pixels a draw wrote to, as a box (right and bottom exclusive); empty while right <= left.
struct TouchedArea {
  int left = 0, top = 0, right = 0, bottom = 0;
  void Add(int x0, int y, int x1);  // pixels x0..x1 of row y
};

// Draws the convex polygon v[0..n-1] (n >= 3, as the clipper leaves it) as a fan, unless its
// winding on the screen is the one D3DRS_CULLMODE culls: D3DCULL_CCW culls polygons wound
// counter-clockwise as seen on the screen, D3DCULL_CW clockwise ones.
void RasterizePolygon(const DrawSetup& setup, const ScreenVertex* v, int n, TouchedArea* touched);

}  // namespace d3d9rt
