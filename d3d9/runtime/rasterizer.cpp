#include "d3d9/runtime/rasterizer.h"

#include <algorithm>

#include "d3d9/runtime/span_shader.h"

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
  const SpanGradients g = {dzdx,
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
    const SpanStart start = {a.z + dzdx * dx + dzdy * dy,
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
  const SpanFunction span = ChooseSpanFunction(s);
  for (int k = 1; k + 1 < n; ++k) DrawTriangle(s, span, v[0], v[k], v[k + 1], orientation, touched);
}

}  // namespace d3d9rt
