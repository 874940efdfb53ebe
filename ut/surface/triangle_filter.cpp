// UT_FILTER_TRIANGLE (and every size change that no earlier strategy takes): each source row
// (slice) is decoded once and spread into the accumulators of the destination rows (slices)
// its tent reaches; a destination row (slice) is encoded as soon as its last contribution has
// arrived, so only the accumulators still open are held.
#include <new>

#include "ut/surface/codec_rows.h"
#include "ut/surface/color_rows.h"
#include "ut/surface/conversion_strategy.h"
#include "ut/surface/filter_flags.h"
#include "ut/surface/triangle_weights.h"

namespace {

// The accumulators of the destination rows or slices still open, each `size` colours, with the
// closed ones kept for reuse.
class AccumulatorPool {
 public:
  AccumulatorPool(UINT count, size_t size)
      : size_(size),
        open_(new (std::nothrow) ColorRow[count]),
        spare_(new (std::nothrow) ColorRow[count]),
        pending_(new (std::nothrow) UINT[count]()),
        reached_(new (std::nothrow) bool[count]()) {}
  bool Allocated() const { return open_ && spare_ && pending_ && reached_; }

  // Counts the contributions that each destination index will receive.
  void Count(const TriangleWeights& weights) {
    for (UINT j = 0; j < weights.SourceCount(); ++j) {
      for (const TriangleWeight* w = weights.begin(j); w != weights.end(j); ++w) {
        ++pending_[w->destination];
        reached_[w->destination] = true;
      }
    }
  }
  // The zero-filled accumulator of `index`, opened if needed; null when memory runs out.
  UtColor* Open(UINT index) {
    if (!open_[index]) {
      if (spareCount_ > 0) {
        open_[index] = std::move(spare_[--spareCount_]);
        ClearColors(open_[index].get(), size_);
      } else {
        open_[index] = NewColorRow(size_);
      }
    }
    return open_[index].get();
  }
  UtColor* At(UINT index) const { return open_[index].get(); }
  // One contribution of `index` has been added; true when it was the last one.
  bool Arrived(UINT index) { return --pending_[index] == 0; }
  void Close(UINT index) { spare_[spareCount_++] = std::move(open_[index]); }
  // Weights too small to keep can leave an index without any contribution; it is written as 0.
  bool NeverReached(UINT index) const { return !reached_[index]; }

 private:
  const size_t size_;
  std::unique_ptr<ColorRow[]> open_;
  std::unique_ptr<ColorRow[]> spare_;
  std::unique_ptr<UINT[]> pending_;
  std::unique_ptr<bool[]> reached_;
  UINT spareCount_ = 0;
};

struct OpenRow {
  UtColor* accumulator;
  float weight;
};

// Encodes rows [first, first + rows) of slice z from `colors` (rows of width colours), after
// clamping them to the source's value range.
HRESULT EncodeRows(PixelCodec& s, PixelCodec& d, UtColor* colors, UINT rows, UINT firstRow,
                   UINT z) {
  for (UINT r = 0; r < rows; ++r) {
    UtColor* row = colors + size_t{r} * d.width;
    ClampColorsToKind(row, d.width, s.kind);
    const HRESULT hr = d.EncodeRow(firstRow + r, z, row);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

}  // namespace

bool FilterTriangle2DApplies(const ConversionContext& context) {
  return context.source.depth == 1 && context.destination.depth == 1 && !RegionIsEmpty(context.source);
}

HRESULT FilterTriangle2D(ConversionContext& context) {
  PixelCodec& s = context.source;
  PixelCodec& d = context.destination;
  TriangleWeights xs, ys;
  if (!BuildTriangleWeights(s.width, d.width, !(context.filter & UT_FILTER_MIRROR_U), &xs) ||
      !BuildTriangleWeights(s.height, d.height, !(context.filter & UT_FILTER_MIRROR_V), &ys)) {
    return E_OUTOFMEMORY;
  }
  AccumulatorPool rows(d.height, d.width);
  ColorRow sourceRow = NewColorRow(s.width);
  std::unique_ptr<OpenRow[]> targets(new (std::nothrow) OpenRow[ys.PairCount() ? ys.PairCount() : 1]);
  if (!rows.Allocated() || !sourceRow || !targets) return E_OUTOFMEMORY;
  rows.Count(ys);

  for (UINT y = 0; y < s.height; ++y) {
    UINT targetCount = 0;
    for (const TriangleWeight* w = ys.begin(y); w != ys.end(y); ++w) {
      UtColor* accumulator = rows.Open(w->destination);
      if (!accumulator) return E_OUTOFMEMORY;
      targets[targetCount++] = OpenRow{accumulator, w->weight};
    }
    HRESULT hr = s.DecodeRow(y, 0, sourceRow.get());
    if (FAILED(hr)) return hr;
    for (UINT p = 0; p < s.width; ++p) {
      const UtColor c = sourceRow[p];
      for (const TriangleWeight* wx = xs.begin(p); wx != xs.end(p); ++wx) {
        for (UINT n = 0; n < targetCount; ++n) {
          AddScaledColor(targets[n].accumulator[wx->destination], c, wx->weight * targets[n].weight);
        }
      }
    }
    for (const TriangleWeight* w = ys.begin(y); w != ys.end(y); ++w) {
      if (!rows.Arrived(w->destination)) continue;
      hr = EncodeRows(s, d, rows.At(w->destination), 1, w->destination, 0);
      if (FAILED(hr)) return hr;
      rows.Close(w->destination);
    }
  }
  for (UINT r = 0; r < d.height; ++r) {
    if (!rows.NeverReached(r)) continue;
    UtColor* blank = rows.Open(r);
    if (!blank) return E_OUTOFMEMORY;
    const HRESULT hr = EncodeRows(s, d, blank, 1, r, 0);
    if (FAILED(hr)) return hr;
    rows.Close(r);
  }
  return S_OK;
}

bool FilterTriangle3DApplies(const ConversionContext& context) { return !RegionIsEmpty(context.source); }

HRESULT FilterTriangle3D(ConversionContext& context) {
  PixelCodec& s = context.source;
  PixelCodec& d = context.destination;
  TriangleWeights xs, ys, zs;
  if (!BuildTriangleWeights(s.width, d.width, !(context.filter & UT_FILTER_MIRROR_U), &xs) ||
      !BuildTriangleWeights(s.height, d.height, !(context.filter & UT_FILTER_MIRROR_V), &ys) ||
      !BuildTriangleWeights(s.depth, d.depth, !(context.filter & UT_FILTER_MIRROR_W), &zs)) {
    return E_OUTOFMEMORY;
  }
  const size_t sliceSize = size_t{d.width} * d.height;
  AccumulatorPool slices(d.depth, sliceSize);
  ColorRow sourceRow = NewColorRow(s.width);
  std::unique_ptr<OpenRow[]> targets(new (std::nothrow) OpenRow[zs.PairCount() ? zs.PairCount() : 1]);
  if (!slices.Allocated() || !sourceRow || !targets) return E_OUTOFMEMORY;
  slices.Count(zs);

  for (UINT z = 0; z < s.depth; ++z) {
    UINT targetCount = 0;
    for (const TriangleWeight* w = zs.begin(z); w != zs.end(z); ++w) {
      UtColor* accumulator = slices.Open(w->destination);
      if (!accumulator) return E_OUTOFMEMORY;
      targets[targetCount++] = OpenRow{accumulator, w->weight};
    }
    for (UINT y = 0; y < s.height; ++y) {
      const HRESULT hr = s.DecodeRow(y, z, sourceRow.get());
      if (FAILED(hr)) return hr;
      for (UINT p = 0; p < s.width; ++p) {
        const UtColor c = sourceRow[p];
        for (const TriangleWeight* wx = xs.begin(p); wx != xs.end(p); ++wx) {
          for (const TriangleWeight* wy = ys.begin(y); wy != ys.end(y); ++wy) {
            const float wxy = wx->weight * wy->weight;
            const size_t at = size_t{wy->destination} * d.width + wx->destination;
            for (UINT n = 0; n < targetCount; ++n) {
              AddScaledColor(targets[n].accumulator[at], c, wxy * targets[n].weight);
            }
          }
        }
      }
    }
    for (const TriangleWeight* w = zs.begin(z); w != zs.end(z); ++w) {
      if (!slices.Arrived(w->destination)) continue;
      const HRESULT hr = EncodeRows(s, d, slices.At(w->destination), d.height, 0, w->destination);
      if (FAILED(hr)) return hr;
      slices.Close(w->destination);
    }
  }
  for (UINT k = 0; k < d.depth; ++k) {
    if (!slices.NeverReached(k)) continue;
    UtColor* blank = slices.Open(k);
    if (!blank) return E_OUTOFMEMORY;
    const HRESULT hr = EncodeRows(s, d, blank, d.height, 0, k);
    if (FAILED(hr)) return hr;
    slices.Close(k);
  }
  return S_OK;
}
