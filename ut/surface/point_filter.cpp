// UT_FILTER_POINT: every destination pixel takes the source pixel under it, found with steps in
// 16.16 fixed point.
#include <cstdint>

#include "ut/surface/codec_rows.h"
#include "ut/surface/color_rows.h"
#include "ut/surface/conversion_strategy.h"
#include "ut/surface/filter_flags.h"

namespace {

// Source pixels per destination pixel in 16.16. Kept in 64 bits so that sources of 65536 pixels
// or more neither overflow the step nor its running sum.
uint64_t PointStep(UINT source, UINT destination) {
  return (uint64_t{source} << 16) / destination;
}

}  // namespace

bool FilterPointApplies(const ConversionContext& context) {
  // A pixel can only be taken from a source that has one.
  return FilterType(context.filter) == UT_FILTER_POINT && !RegionIsEmpty(context.source);
}

HRESULT FilterPoint(ConversionContext& context) {
  PixelCodec& s = context.source;
  PixelCodec& d = context.destination;
  CancelMatchingGamma(context);
  ColorRow sourceRow = NewColorRow(s.width);
  ColorRow row = NewColorRow(d.width);
  if (!sourceRow || !row) return E_OUTOFMEMORY;

  const uint64_t sx = PointStep(s.width, d.width);
  const uint64_t sy = PointStep(s.height, d.height);
  const uint64_t sz = PointStep(s.depth, d.depth);
  uint64_t zz = 0;
  for (UINT k = 0; k < d.depth; ++k, zz += sz) {
    const UINT z = static_cast<UINT>(zz >> 16);
    UINT decoded = UINT(-1);  // the source row held in sourceRow, in this slice
    uint64_t yy = 0;
    for (UINT j = 0; j < d.height; ++j, yy += sy) {
      const UINT y = static_cast<UINT>(yy >> 16);
      if (y != decoded) {
        const HRESULT hr = s.DecodeRow(y, z, sourceRow.get());
        if (FAILED(hr)) return hr;
        decoded = y;
      }
      uint64_t xx = 0;
      for (UINT i = 0; i < d.width; ++i, xx += sx) row[i] = sourceRow[xx >> 16];
      const HRESULT hr = d.EncodeRow(j, k, row.get());
      if (FAILED(hr)) return hr;
    }
  }
  return S_OK;
}
