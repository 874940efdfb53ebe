#include "d3d9/runtime/rasterizer.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

namespace d3d9rt {
namespace {

constexpr int kSubpixelBits = 8;
constexpr int64_t kOne = int64_t{1} << kSubpixelBits;

int64_t FloorDiv(int64_t a, int64_t b) {  // b > 0
  const int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}
int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

// Twice the signed area in 1/256ths of a pixel squared; positive when a, b, c run clockwise
// on the screen (y grows downwards).
int64_t DoubleArea(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
  return int64_t{b.x - a.x} * (c.y - a.y) - int64_t{c.x - a.x} * (b.y - a.y);
}

// Row-start values of the interpolated attributes, and their steps.
struct Interpolants {
  double z;
  float invW, uw, vw;
};
struct Gradients {
  double dzdx;
  float dInvWdx, dUwdx, dVwdx;
  float dInvWdy, dUwdy, dVwdy;
};

D3DCOLOR ModulateRgb(D3DCOLOR texel, D3DCOLOR diffuse) {
  D3DCOLOR out = texel & 0xff000000u;
  for (unsigned shift = 0; shift < 24; shift += 8) {
    const uint32_t t = ((texel >> shift) & 0xffu) * ((diffuse >> shift) & 0xffu) + 128;
    out |= ((t + (t >> 8)) >> 8) << shift;
  }
  return out;
}

inline float Square(float v) { return v * v; }

// Stage 0's colour at one pixel of a textured span.
inline D3DCOLOR ShadeTexel(const DrawSetup& s, const Gradients& g, float invW, float uw, float vw) {
  const float w = 1.0f / invW;
  const float u = uw * w, v = vw * w;
  float lod = 0.0f;
  const SamplerSetup& sampler = s.sampler;
  if (sampler.needsLod) {
    // d(u)/dx = (d(u/w)/dx - u * d(1/w)/dx) * w, in texels of level 0.
    const float width = sampler.levels[0].fwidth, height = sampler.levels[0].fheight;
    const float dudx = (g.dUwdx - u * g.dInvWdx) * w * width;
    const float dvdx = (g.dVwdx - v * g.dInvWdx) * w * height;
    const float dudy = (g.dUwdy - u * g.dInvWdy) * w * width;
    const float dvdy = (g.dVwdy - v * g.dInvWdy) * w * height;
    const float rho2 = std::max(Square(dudx) + Square(dvdx), Square(dudy) + Square(dvdy));
    lod = 0.5f * FastLog2(rho2);
  }
  const D3DCOLOR texel = SampleTexture(sampler, u, v, lod);
  return s.modulate ? ModulateRgb(texel, s.diffuse) : texel;
}

template <class Word>
inline Word LoadWord(const BYTE* p) {
  Word w;
  std::memcpy(&w, p, sizeof(Word));
  return w;
}
template <class Word>
inline void StoreWord(BYTE* p, Word w) {
  std::memcpy(p, &w, sizeof(Word));
}

// One row of pixels x0..x1 of row y. DepthWord is void without a depth test.
template <class DepthWord, Shading kShading, ColorWrite kColor>
void ShadeSpan(const DrawSetup& s, const Interpolants& start, const Gradients& g, int y, int x0,
               int x1) {
  BYTE* colorRow = s.color.bits + static_cast<size_t>(y) * s.color.pitch;
  BYTE* depthRow = nullptr;
  constexpr bool kDepth = !std::is_void_v<DepthWord>;
  if constexpr (kDepth) depthRow = s.depth.bits + static_cast<size_t>(y) * s.depth.pitch;
  double z = start.z;
  float invW = start.invW, uw = start.uw, vw = start.vw;
  for (int x = x0; x <= x1; ++x, z += g.dzdx, invW += g.dInvWdx, uw += g.dUwdx, vw += g.dVwdx) {
    if constexpr (kDepth) {
      const DepthTarget& d = s.depth;
      const double clamped = z < 0.0 ? 0.0 : z > 1.0 ? 1.0 : z;
      const uint32_t key = d.isFloat ? std::bit_cast<uint32_t>(static_cast<float>(clamped))
                                     : static_cast<uint32_t>(clamped * d.scale + 0.5);
      BYTE* at = depthRow + static_cast<size_t>(x) * sizeof(DepthWord);
      const DepthWord word = LoadWord<DepthWord>(at);
      const uint32_t stored = (static_cast<uint32_t>(word) >> d.shift) & d.mask;
      const unsigned outcome = key < stored ? 0 : key == stored ? 1 : 2;
      if (!((d.passMask >> outcome) & 1u)) continue;
      if (d.write) {
        const uint32_t field = d.mask << d.shift;
        StoreWord<DepthWord>(at, static_cast<DepthWord>((word & ~field) | ((key << d.shift) & field)));
      }
    }
    D3DCOLOR color;
    if constexpr (kShading == Shading::kConstant) {
      color = s.constant;
    } else {
      color = ShadeTexel(s, g, invW, uw, vw);
    }
    if constexpr (kColor == ColorWrite::kBgra32) {
      StoreWord<uint32_t>(colorRow + static_cast<size_t>(x) * 4, color & s.color.keep);
    } else {
      s.color.codec.Encode(color, colorRow + static_cast<size_t>(x) * s.color.codec.Bytes());
    }
  }
}

using SpanFunction = void (*)(const DrawSetup&, const Interpolants&, const Gradients&, int, int, int);

template <class DepthWord>
constexpr SpanFunction kSpansFor[2][2] = {
    {ShadeSpan<DepthWord, Shading::kConstant, ColorWrite::kBgra32>,
     ShadeSpan<DepthWord, Shading::kConstant, ColorWrite::kCodec>},
    {ShadeSpan<DepthWord, Shading::kTextured, ColorWrite::kBgra32>,
     ShadeSpan<DepthWord, Shading::kTextured, ColorWrite::kCodec>},
};

SpanFunction ChooseSpan(const DrawSetup& s) {
  const int shading = s.shading == Shading::kTextured ? 1 : 0;
  const int color = s.color.kind == ColorWrite::kCodec ? 1 : 0;
  if (!s.depthTest) return kSpansFor<void>[shading][color];
  if (s.depth.bytes == 2) return kSpansFor<uint16_t>[shading][color];
  return kSpansFor<uint32_t>[shading][color];
}

struct Edge {
  int64_t dx, dy;  // along the edge, fixed point
  int64_t ax, ay;  // its first vertex
  int64_t bias;    // 0 for top and left edges, whose pixels are drawn; -1 for the others
};

// Edge a -> b of a clockwise triangle: E(p) = dx * (py - ay) - dy * (px - ax) >= 0 inside.
Edge MakeEdge(const ScreenVertex& a, const ScreenVertex& b) {
  Edge e;
  e.dx = int64_t{b.x} - a.x;
  e.dy = int64_t{b.y} - a.y;
  e.ax = a.x;
  e.ay = a.y;
  // Clockwise on a y-down screen, left edges run upwards and top edges run to the right.
  const bool topLeft = e.dy < 0 || (e.dy == 0 && e.dx > 0);
  e.bias = topLeft ? 0 : -1;
  return e;
}

void DrawTriangle(const DrawSetup& s, SpanFunction span, ScreenVertex a, ScreenVertex b,
                  ScreenVertex c, int orientation, TouchedArea* touched) {
  int64_t area = DoubleArea(a, b, c);
  if (area == 0 || (area > 0) != (orientation > 0)) return;  // degenerate after snapping
  if (area < 0) {
    std::swap(b, c);
    area = -area;
  }
  const int64_t minX = std::max<int64_t>(s.left, CeilDiv(std::min({a.x, b.x, c.x}), kOne));
  const int64_t maxX = std::min<int64_t>(s.right - 1, FloorDiv(std::max({a.x, b.x, c.x}), kOne));
  const int64_t minY = std::max<int64_t>(s.top, CeilDiv(std::min({a.y, b.y, c.y}), kOne));
  const int64_t maxY = std::min<int64_t>(s.bottom - 1, FloorDiv(std::max({a.y, b.y, c.y}), kOne));
  if (minX > maxX || minY > maxY) return;

  // Plane equations of the attributes over the snapped positions, in pixels.
  const double x0 = static_cast<double>(a.x) / kOne, y0 = static_cast<double>(a.y) / kOne;
  const double x1 = static_cast<double>(b.x) / kOne - x0, y1 = static_cast<double>(b.y) / kOne - y0;
  const double x2 = static_cast<double>(c.x) / kOne - x0, y2 = static_cast<double>(c.y) / kOne - y0;
  const double inverseArea = 1.0 / (x1 * y2 - x2 * y1);
  auto gradX = [&](double va, double vb, double vc) {
    return ((vb - va) * y2 - (vc - va) * y1) * inverseArea;
  };
  auto gradY = [&](double va, double vb, double vc) {
    return ((vc - va) * x1 - (vb - va) * x2) * inverseArea;
  };
  const double dzdx = gradX(a.z, b.z, c.z), dzdy = gradY(a.z, b.z, c.z);
  const double diwdx = gradX(a.invW, b.invW, c.invW), diwdy = gradY(a.invW, b.invW, c.invW);
  const double dudx = gradX(a.uw, b.uw, c.uw), dudy = gradY(a.uw, b.uw, c.uw);
  const double dvdx = gradX(a.vw, b.vw, c.vw), dvdy = gradY(a.vw, b.vw, c.vw);
  const Gradients g = {dzdx,
                       static_cast<float>(diwdx),
                       static_cast<float>(dudx),
                       static_cast<float>(dvdx),
                       static_cast<float>(diwdy),
                       static_cast<float>(dudy),
                       static_cast<float>(dvdy)};

  const Edge edges[3] = {MakeEdge(a, b), MakeEdge(b, c), MakeEdge(c, a)};
  for (int64_t y = minY; y <= maxY; ++y) {
    int64_t lo = minX, hi = maxX;
    const int64_t py = y * kOne;
    for (const Edge& e : edges) {
      // E at (lo, y), and its step per pixel to the right: -dy * one.
      const int64_t value = e.dx * (py - e.ay) - e.dy * (minX * kOne - e.ax) + e.bias;
      const int64_t step = -e.dy * kOne;
      if (step > 0) {
        if (value < 0) lo = std::max(lo, minX + CeilDiv(-value, step));
      } else if (step < 0) {
        if (value < 0) {
          hi = minX - 1;
        } else {
          hi = std::min(hi, minX + FloorDiv(value, -step));
        }
      } else if (value < 0) {
        hi = minX - 1;
      }
    }
    if (lo > hi) continue;
    const double dx = static_cast<double>(lo) - x0, dy = static_cast<double>(y) - y0;
    const Interpolants start = {a.z + dzdx * dx + dzdy * dy,
                                static_cast<float>(a.invW + diwdx * dx + diwdy * dy),
                                static_cast<float>(a.uw + dudx * dx + dudy * dy),
                                static_cast<float>(a.vw + dvdx * dx + dvdy * dy)};
    span(s, start, g, static_cast<int>(y), static_cast<int>(lo), static_cast<int>(hi));
    touched->Add(static_cast<int>(lo), static_cast<int>(y), static_cast<int>(hi));
  }
}

}  // namespace

void TouchedArea::Add(int x0, int y, int x1) {
  if (right <= left) {
    left = x0;
    right = x1 + 1;
    top = y;
    bottom = y + 1;
    return;
  }
  left = std::min(left, x0);
  right = std::max(right, x1 + 1);
  top = std::min(top, y);
  bottom = std::max(bottom, y + 1);
}

void RasterizePolygon(const DrawSetup& s, const ScreenVertex* v, int n, TouchedArea* touched) {
  int64_t area = 0;
  for (int k = 1; k + 1 < n; ++k) area += DoubleArea(v[0], v[k], v[k + 1]);
  if (area == 0) return;
  const int orientation = area > 0 ? 1 : -1;  // 1: clockwise on the screen
  if ((s.cullMode == D3DCULL_CCW && orientation < 0) || (s.cullMode == D3DCULL_CW && orientation > 0)) {
    return;
  }
  const SpanFunction span = ChooseSpan(s);
  for (int k = 1; k + 1 < n; ++k) DrawTriangle(s, span, v[0], v[k], v[k + 1], orientation, touched);
}

}  // namespace d3d9rt
