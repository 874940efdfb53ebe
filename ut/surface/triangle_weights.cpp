#include "ut/surface/triangle_weights.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

namespace {

// Pairs whose summed weight is this small are dropped.
constexpr float kSmallestWeight = 0.00001f;

// Walks the tents of every source pixel and hands each (source, destination, weight) pair to
// `emit`, in record order. Run twice: once to count, once to fill.
template <class Emit>
void WalkTents(UINT source, UINT destination, bool wrap, Emit emit) {
  const float scale = static_cast<float>(destination) / static_cast<float>(source);
  const float half = 0.5f / scale;
  const float end = static_cast<float>(destination);
  const int64_t d = destination;
  for (UINT j = 0; j < source; ++j) {
    float sum = 0.0f;
    int64_t index = -1;
    for (int h = 0; h < 2; ++h) {
      // The half-tent over the source interval [e, e + 1): rising for h = 0, falling for h = 1.
      const float e = static_cast<float>(j) + static_cast<float>(h) - 0.5f;
      float lo = e * scale;
      float hi = lo + scale;
      if (!wrap) {
        lo = std::max(lo, 0.0f);
        hi = std::min(hi, end);
      }
      for (int64_t m = static_cast<int64_t>(std::floor(lo)); static_cast<float>(m) < hi; ++m) {
        const float start = std::max(static_cast<float>(m), lo);
        const float stop = std::min(static_cast<float>(m + 1), hi);
        // The tent's height at the overlap's midpoint, as a position within [e, e + 1).
        float height = (start + stop) * half - e;
        if (!wrap) {
          // Beyond the outer centres the edge pixel alone covers the footprint.
          if (e < 0.0f) height = 1.0f;
          if (e + 1.0f >= static_cast<float>(source)) height = 0.0f;
        }
        if (h == 1) height = 1.0f - height;
        const float weight = height * (stop - start);
        const int64_t target = m < 0 ? m + d : (m >= d ? m - d : m);
        if (target != index) {
          if (index >= 0 && sum > kSmallestWeight) emit(j, static_cast<UINT>(index), sum);
          sum = 0.0f;
          index = target;
        }
        sum += weight;
      }
    }
    if (index >= 0 && sum > kSmallestWeight) emit(j, static_cast<UINT>(index), sum);
  }
}

}  // namespace

bool BuildTriangleWeights(UINT source, UINT destination, bool wrap, TriangleWeights* table) {
  if (source == 0 || destination == 0 || table == nullptr) return false;
  uint64_t count = 0;
  WalkTents(source, destination, wrap, [&](UINT, UINT, float) { ++count; });
  if (count > UINT32_MAX) return false;

  std::unique_ptr<UINT[]> starts(new (std::nothrow) UINT[size_t{source} + 1]());
  std::unique_ptr<TriangleWeight[]> pairs(new (std::nothrow) TriangleWeight[count ? count : 1]);
  if (!starts || !pairs) return false;
  UINT filled = 0;
  WalkTents(source, destination, wrap, [&](UINT j, UINT target, float weight) {
    pairs[filled++] = TriangleWeight{target, weight};
    starts[j + 1] = filled;
  });
  // Records without a pair start where the previous one ended.
  for (UINT j = 1; j <= source; ++j) starts[j] = std::max(starts[j], starts[j - 1]);

  table->sources_ = source;
  table->starts_ = std::move(starts);
  table->pairs_ = std::move(pairs);
  return true;
}
