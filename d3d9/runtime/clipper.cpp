#include "d3d9/runtime/clipper.h"

namespace d3d9rt {
namespace {

constexpr int kPlanes = 6;

// Signed distance to plane `p`; inside where it is >= 0.
float Distance(const ClipVertex& v, int p, float gx, float gy) {
  switch (p) {
    case 0: return v.z;
    case 1: return v.w - v.z;
    case 2: return gx * v.w + v.x;
    case 3: return gx * v.w - v.x;
    case 4: return gy * v.w + v.y;
    default: return gy * v.w - v.y;
  }
}

ClipVertex Lerp(const ClipVertex& a, const ClipVertex& b, float t) {
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t,
          a.w + (b.w - a.w) * t, a.u + (b.u - a.u) * t, a.v + (b.v - a.v) * t};
}

}  // namespace

unsigned OutCode(const ClipVertex& v, float gx, float gy) {
  unsigned code = 0;
  for (int p = 0; p < kPlanes; ++p) {
    if (!(Distance(v, p, gx, gy) >= 0.0f)) code |= 1u << p;
  }
  return code;
}

int ClipTriangle(const ClipVertex in[3], unsigned planes, float gx, float gy,
                 ClipVertex out[kMaxClipVertices]) {
  ClipVertex buffers[2][kMaxClipVertices];
  const ClipVertex* from = in;
  int count = 3;
  int target = 0;
  for (int p = 0; p < kPlanes && count >= 3; ++p) {
    if (!(planes & (1u << p))) continue;
    ClipVertex* to = buffers[target];
    int kept = 0;
    for (int i = 0; i < count; ++i) {
      const ClipVertex& a = from[i];
      const ClipVertex& b = from[(i + 1) % count];
      const float da = Distance(a, p, gx, gy);
      const float db = Distance(b, p, gx, gy);
      const bool aIn = da >= 0.0f, bIn = db >= 0.0f;
      if (aIn) to[kept++] = a;
      if (aIn != bIn) {
        // Always from the inside end, so both triangles of a shared edge get the same point.
        to[kept++] = aIn ? Lerp(a, b, da / (da - db)) : Lerp(b, a, db / (db - da));
      }
    }
    from = to;
    count = kept;
    target ^= 1;
  }
  if (count < 3) return 0;
  for (int i = 0; i < count; ++i) out[i] = from[i];
  return count;
}

}  // namespace d3d9rt
