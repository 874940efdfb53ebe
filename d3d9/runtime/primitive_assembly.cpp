#include "d3d9/runtime/primitive_assembly.h"

#include <cmath>
#include <cstring>

#include "d3d9/runtime/clipper.h"
#include "d3d9/runtime/rasterizer.h"
#include "d3d9/runtime/surface.h"

namespace d3d9rt {
namespace {

class Assembler {
 public:
  Assembler(const DrawSetup& s, const BYTE* vertices, UINT stride)
      : s_(s), vertices_(vertices), stride_(stride) {}

  ClipVertex Fetch(UINT index) const {
    const BYTE* p = vertices_ + static_cast<size_t>(index) * stride_;
    float in[5] = {0, 0, 0, 0, 0};
    std::memcpy(in, p, s_.vertexSize);
    const auto& m = s_.transform;
    ClipVertex v;
    v.x = in[0] * m[0][0] + in[1] * m[1][0] + in[2] * m[2][0] + m[3][0];
    v.y = in[0] * m[0][1] + in[1] * m[1][1] + in[2] * m[2][1] + m[3][1];
    v.z = in[0] * m[0][2] + in[1] * m[1][2] + in[2] * m[2][2] + m[3][2];
    v.w = in[0] * m[0][3] + in[1] * m[1][3] + in[2] * m[2][3] + m[3][3];
    v.u = in[3];
    v.v = in[4];
    return v;
  }

  void Triangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c) {
    const ClipVertex tri[3] = {a, b, c};
    const unsigned codes[3] = {OutCode(a, s_.guardX, s_.guardY), OutCode(b, s_.guardX, s_.guardY),
                               OutCode(c, s_.guardX, s_.guardY)};
    if (codes[0] & codes[1] & codes[2]) return;  // wholly outside one plane
    ClipVertex clipped[kMaxClipVertices];
    const ClipVertex* poly = tri;
    int n = 3;
    const unsigned planes = codes[0] | codes[1] | codes[2];
    if (planes) {
      for (const ClipVertex& v : tri) {
        // A position that is not a number has no place on the screen.
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z) ||
            !std::isfinite(v.w)) {
          return;
        }
      }
      n = ClipTriangle(tri, planes, s_.guardX, s_.guardY, clipped);
      poly = clipped;
    }
    if (n < 3) return;
    ScreenVertex screen[kMaxClipVertices];
    for (int i = 0; i < n; ++i) {
      const ClipVertex& v = poly[i];
      if (!(v.w > 0.0f)) return;  // only where z and w both vanish
      const float invW = 1.0f / v.w;
      const float x = s_.offsetX + v.x * invW * s_.scaleX;
      const float y = s_.offsetY - v.y * invW * s_.scaleY;
      screen[i].x = static_cast<int32_t>(std::lrint(static_cast<double>(x) * 256.0));
      screen[i].y = static_cast<int32_t>(std::lrint(static_cast<double>(y) * 256.0));
      screen[i].z = static_cast<double>(s_.minZ) +
                    static_cast<double>(v.z) / static_cast<double>(v.w) * s_.scaleZ;
      screen[i].invW = invW;
      screen[i].uw = v.u * invW;
      screen[i].vw = v.v * invW;
    }
    RasterizePolygon(s_, screen, n, &touched_);
  }

  const TouchedArea& Touched() const { return touched_; }

 private:
  const DrawSetup& s_;
  const BYTE* vertices_;
  UINT stride_;
  TouchedArea touched_;
};

}  // namespace

void DrawTriangles(const DrawSetup& setup, D3DPRIMITIVETYPE type, const BYTE* vertices,
                   UINT stride, UINT count) {
  Assembler assembler(setup, vertices, stride);
  switch (type) {
    case D3DPT_TRIANGLELIST:
      for (UINT p = 0; p < count; ++p) {
        assembler.Triangle(assembler.Fetch(3 * p), assembler.Fetch(3 * p + 1),
                           assembler.Fetch(3 * p + 2));
      }
      break;
    case D3DPT_TRIANGLESTRIP: {
      // Every other triangle runs the other way round; swapping its first two vertices gives
      // all of them the winding of the first.
      ClipVertex a = assembler.Fetch(0), b = assembler.Fetch(1);
      for (UINT p = 0; p < count; ++p) {
        const ClipVertex c = assembler.Fetch(p + 2);
        if (p % 2 == 0) {
          assembler.Triangle(a, b, c);
        } else {
          assembler.Triangle(b, a, c);
        }
        a = b;
        b = c;
      }
      break;
    }
    case D3DPT_TRIANGLEFAN: {
      const ClipVertex centre = assembler.Fetch(0);
      ClipVertex b = assembler.Fetch(1);
      for (UINT p = 0; p < count; ++p) {
        const ClipVertex c = assembler.Fetch(p + 2);
        assembler.Triangle(centre, b, c);
        b = c;
      }
      break;
    }
    default:
      return;
  }
  const TouchedArea& t = assembler.Touched();
  if (t.right > t.left) {
    setup.color.surface->NoteWritten({static_cast<UINT>(t.left), static_cast<UINT>(t.top), 0,
                                      static_cast<UINT>(t.right), static_cast<UINT>(t.bottom), 1},
                                     true);
  }
}

}  // namespace d3d9rt
