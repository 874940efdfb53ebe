// UT_FILTER_LINEAR: bilinear interpolation of rows (2D), trilinear of slices (3D), through the
// weight tables of linear_weights.h.
#include "ut/surface/codec_rows.h"
#include "ut/surface/color_rows.h"
#include "ut/surface/conversion_strategy.h"
#include "ut/surface/filter_flags.h"
#include "ut/surface/linear_weights.h"

namespace {

// Decoded source rows, tagged by row and slice. A destination row needs up to four of them
// (two in 2D); a row already held is not decoded again, so the second row of one destination
// row serves as the first of the next.
class SourceRowCache {
 public:
  static constexpr UINT kMaxRows = 4;

  SourceRowCache(PixelCodec& source, UINT count) : source_(source), count_(count) {
    for (UINT n = 0; n < count_; ++n) rows_[n].colors = NewColorRow(source.width);
  }
  bool Allocated() const {
    for (UINT n = 0; n < count_; ++n) {
      if (!rows_[n].colors) return false;
    }
    return true;
  }

  // Points out[n] at the decoded row (y[n], z[n]) for each of the `count` rows asked for.
  HRESULT Fetch(const UINT* y, const UINT* z, const UtColor** out) {
    bool used[kMaxRows] = {};
    bool found[kMaxRows] = {};
    for (UINT n = 0; n < count_; ++n) {
      for (UINT b = 0; b < count_; ++b) {
        if (rows_[b].valid && rows_[b].y == y[n] && rows_[b].z == z[n]) {
          out[n] = rows_[b].colors.get();
          used[b] = found[n] = true;
          break;
        }
      }
    }
    for (UINT n = 0; n < count_; ++n) {
      if (found[n]) continue;
      // At most `count_` different rows are asked for, so a free buffer is always left.
      UINT b = 0;
      while (used[b]) ++b;
      Row& row = rows_[b];
      row.valid = false;
      const HRESULT hr = source_.DecodeRow(y[n], z[n], row.colors.get());
      if (FAILED(hr)) return hr;
      row.y = y[n];
      row.z = z[n];
      row.valid = true;
      used[b] = true;
      out[n] = row.colors.get();
      // Later requests for the same row take this one.
      for (UINT m = n + 1; m < count_; ++m) {
        if (!found[m] && y[m] == y[n] && z[m] == z[n]) {
          out[m] = out[n];
          found[m] = true;
        }
      }
    }
    return S_OK;
  }

 private:
  struct Row {
    UINT y = 0;
    UINT z = 0;
    bool valid = false;
    ColorRow colors;
  };
  PixelCodec& source_;
  const UINT count_;
  Row rows_[kMaxRows];
};

// (wxa x a[xa] + wxb x a[xb]) of one channel, for one source row.
inline UtColor BlendX(const UtColor* row, const LinearWeight& x) {
  const UtColor& p = row[x.first];
  const UtColor& q = row[x.second];
  return UtColor(x.firstWeight * p.r + x.secondWeight * q.r, x.firstWeight * p.g + x.secondWeight * q.g,
                 x.firstWeight * p.b + x.secondWeight * q.b, x.firstWeight * p.a + x.secondWeight * q.a);
}

inline UtColor Blend(float wa, const UtColor& a, float wb, const UtColor& b) {
  return UtColor(wa * a.r + wb * b.r, wa * a.g + wb * b.g, wa * a.b + wb * b.b, wa * a.a + wb * b.a);
}

bool LinearApplies(const ConversionContext& context) {
  return FilterType(context.filter) == UT_FILTER_LINEAR && !RegionIsEmpty(context.source);
}

}  // namespace

bool FilterLinear2DApplies(const ConversionContext& context) {
  return LinearApplies(context) && context.source.depth == 1 && context.destination.depth == 1;
}

HRESULT FilterLinear2D(ConversionContext& context) {
  PixelCodec& s = context.source;
  PixelCodec& d = context.destination;
  const auto xs = BuildLinearWeights(s.width, d.width, !(context.filter & UT_FILTER_MIRROR_U));
  const auto ys = BuildLinearWeights(s.height, d.height, !(context.filter & UT_FILTER_MIRROR_V));
  SourceRowCache cache(s, 2);
  ColorRow row = NewColorRow(d.width);
  if (!xs || !ys || !cache.Allocated() || !row) return E_OUTOFMEMORY;
  for (UINT j = 0; j < d.height; ++j) {
    const LinearWeight& y = ys[j];
    const UINT rowsWanted[2] = {y.first, y.second};
    const UINT slices[2] = {0, 0};
    const UtColor* rows[2];
    HRESULT hr = cache.Fetch(rowsWanted, slices, rows);
    if (FAILED(hr)) return hr;
    for (UINT i = 0; i < d.width; ++i) {
      row[i] = Blend(y.firstWeight, BlendX(rows[0], xs[i]), y.secondWeight, BlendX(rows[1], xs[i]));
    }
    hr = d.EncodeRow(j, 0, row.get());
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

bool FilterLinear3DApplies(const ConversionContext& context) { return LinearApplies(context); }

HRESULT FilterLinear3D(ConversionContext& context) {
  PixelCodec& s = context.source;
  PixelCodec& d = context.destination;
  const auto xs = BuildLinearWeights(s.width, d.width, !(context.filter & UT_FILTER_MIRROR_U));
  const auto ys = BuildLinearWeights(s.height, d.height, !(context.filter & UT_FILTER_MIRROR_V));
  const auto zs = BuildLinearWeights(s.depth, d.depth, !(context.filter & UT_FILTER_MIRROR_W));
  SourceRowCache cache(s, 4);
  ColorRow row = NewColorRow(d.width);
  if (!xs || !ys || !zs || !cache.Allocated() || !row) return E_OUTOFMEMORY;
  for (UINT k = 0; k < d.depth; ++k) {
    const LinearWeight& z = zs[k];
    for (UINT j = 0; j < d.height; ++j) {
      const LinearWeight& y = ys[j];
      // (ya, za), (yb, za), (ya, zb), (yb, zb)
      const UINT rowsWanted[4] = {y.first, y.second, y.first, y.second};
      const UINT slices[4] = {z.first, z.first, z.second, z.second};
      const UtColor* rows[4];
      HRESULT hr = cache.Fetch(rowsWanted, slices, rows);
      if (FAILED(hr)) return hr;
      for (UINT i = 0; i < d.width; ++i) {
        const LinearWeight& x = xs[i];
        const UtColor nearSlice = Blend(y.firstWeight, BlendX(rows[0], x), y.secondWeight, BlendX(rows[1], x));
        const UtColor farSlice = Blend(y.firstWeight, BlendX(rows[2], x), y.secondWeight, BlendX(rows[3], x));
        row[i] = Blend(z.firstWeight, nearSlice, z.secondWeight, farSlice);
      }
      hr = d.EncodeRow(j, k, row.get());
      if (FAILED(hr)) return hr;
    }
  }
  return S_OK;
}
