// UT_FILTER_BOX for exact halving: 2x2 averages of rows, 2x2x2 averages of slices. Other size
// changes under UT_FILTER_BOX fall through to the tent filter.
#include "ut/surface/box_halve_row.h"
#include "ut/surface/codec_rows.h"
#include "ut/surface/color_rows.h"
#include "ut/surface/conversion_strategy.h"
#include "ut/surface/filter_flags.h"

namespace {

// Exact 2:1 (an odd source loses its last pixel), or 1 into 1.
bool HalvesOrKeepsOne(UINT source, UINT destination) {
  return destination == source / 2 || (destination == 1 && source == 1);
}

bool HalvesWidthAndHeight(const ConversionContext& context) {
  return FilterType(context.filter) == UT_FILTER_BOX &&
         HalvesOrKeepsOne(context.source.width, context.destination.width) &&
         HalvesOrKeepsOne(context.source.height, context.destination.height);
}

// An odd size above 1 loses its last column (row); the converter restores the codec afterwards.
void DropOddWidthAndHeight(PixelCodec& s) {
  if (s.width > 1 && s.width % 2 != 0) {
    s.width -= 1;
    s.rowBytes = s.width * s.bytesPerPixel;
  }
  if (s.height > 1 && s.height % 2 != 0) s.height -= 1;
}

// Whether the stored pixels can be averaged directly: same format, no dithering, nothing that
// changes values on the way (gamma, colour key), and a square of 2x2 pixels to average.
const BoxHalveKernel* IntegerHalving(const ConversionContext& context) {
  const PixelCodec& s = context.source;
  const PixelCodec& d = context.destination;
  if ((context.filter & UT_FILTER_DITHER) || s.format != d.format) return nullptr;
  if (s.width < 2 || s.height < 2 || s.gamma || d.gamma || s.colorKey != 0) return nullptr;
  if (!s.byteAddressable || !d.byteAddressable) return nullptr;
  return FindBoxHalveKernel(s.format);
}

inline UtColor Sum(const UtColor& a, const UtColor& b) {
  return UtColor(a.r + b.r, a.g + b.g, a.b + b.b, a.a + b.a);
}

inline UtColor Scaled(const UtColor& c, float s) { return UtColor(c.r * s, c.g * s, c.b * s, c.a * s); }

}  // namespace

bool FilterBoxHalf2DApplies(const ConversionContext& context) {
  return HalvesWidthAndHeight(context) && context.source.depth == 1 &&
         context.destination.depth == 1;
}

HRESULT FilterBoxHalf2D(ConversionContext& context) {
  PixelCodec& s = context.source;
  PixelCodec& d = context.destination;
  DropOddWidthAndHeight(s);

  if (const BoxHalveKernel* kernel = IntegerHalving(context)) {
    for (UINT j = 0; j < d.height; ++j) {
      kernel->halve(CodecRow(s, 2 * j, 0), CodecRow(s, 2 * j + 1, 0), CodecRow(d, j, 0), d.width);
    }
    return S_OK;
  }

  ColorRow upper = NewColorRow(s.width);
  ColorRow lower = NewColorRow(s.width);
  ColorRow row = NewColorRow(d.width);
  if (!upper || !lower || !row) return E_OUTOFMEMORY;
  const bool oneRow = s.height == 1;
  const UINT step = s.width == 1 ? 0 : 1;  // a width of 1 uses pixel 0 twice
  for (UINT j = 0; j < d.height; ++j) {
    HRESULT hr = s.DecodeRow(oneRow ? 0 : 2 * j, 0, upper.get());
    if (SUCCEEDED(hr) && !oneRow) hr = s.DecodeRow(2 * j + 1, 0, lower.get());
    if (FAILED(hr)) return hr;
    const UtColor* second = oneRow ? upper.get() : lower.get();
    for (UINT i = 0; i < d.width; ++i) {
      const UINT x = (step + 1) * i;
      row[i] = Scaled(Sum(Sum(Sum(upper[x], upper[x + step]), second[x]), second[x + step]), 0.25f);
    }
    hr = d.EncodeRow(j, 0, row.get());
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

bool FilterBoxHalf3DApplies(const ConversionContext& context) {
  return HalvesWidthAndHeight(context) && context.destination.depth == context.source.depth / 2;
}

HRESULT FilterBoxHalf3D(ConversionContext& context) {
  PixelCodec& s = context.source;
  PixelCodec& d = context.destination;
  DropOddWidthAndHeight(s);
  if (s.depth % 2 != 0) s.depth -= 1;

  // Rows 2j and 2j + 1 of slices 2k and 2k + 1.
  ColorRow rows[4] = {NewColorRow(s.width), NewColorRow(s.width), NewColorRow(s.width),
                      NewColorRow(s.width)};
  ColorRow row = NewColorRow(d.width);
  for (const ColorRow& r : rows) {
    if (!r) return E_OUTOFMEMORY;
  }
  if (!row) return E_OUTOFMEMORY;
  const bool oneRow = s.height == 1;
  const UINT step = s.width == 1 ? 0 : 1;
  for (UINT k = 0; k < d.depth; ++k) {
    for (UINT j = 0; j < d.height; ++j) {
      const UtColor* samples[4];
      for (UINT n = 0; n < 4; ++n) {
        // A height of 1 reads row 0 once per slice and uses it for both rows.
        if (oneRow && n % 2 == 1) {
          samples[n] = samples[n - 1];
          continue;
        }
        const HRESULT hr = s.DecodeRow(oneRow ? 0 : 2 * j + n % 2, 2 * k + n / 2, rows[n].get());
        if (FAILED(hr)) return hr;
        samples[n] = rows[n].get();
      }
      for (UINT i = 0; i < d.width; ++i) {
        const UINT x = (step + 1) * i;
        UtColor sum = Sum(samples[0][x], samples[0][x + step]);
        for (UINT n = 1; n < 4; ++n) sum = Sum(Sum(sum, samples[n][x]), samples[n][x + step]);
        row[i] = Scaled(sum, 0.125f);
      }
      const HRESULT hr = d.EncodeRow(j, k, row.get());
      if (FAILED(hr)) return hr;
    }
  }
  return S_OK;
}
