#include "ut/pixel/palette_pixel_codec.h"

#include <cfloat>

#include "ut/pixel/field_reciprocals.h"
#include "ut/pixel/pixel_quantizer.h"

namespace {

constexpr FieldQuantizer kAlphaQuantizer = {255.0f, 0, 255};
constexpr float kOneOver255 = ReciprocalOfMaxCode(255);

}  // namespace

unsigned NearestPaletteEntry(const UtColor* palette, const UtColor& c, bool withAlpha) {
  unsigned best = 0;
  float bestDistance = FLT_MAX;
  for (unsigned i = 0; i < 256; ++i) {
    const UtColor& p = palette[i];
    const float dr = p.r - c.r;
    const float dg = p.g - c.g;
    const float db = p.b - c.b;
    float distance = dr * dr + dg * dg + db * db;
    if (withAlpha) {
      const float da = p.a - c.a;
      distance += da * da;
    }
    // Strictly smaller: ties keep the lower index.
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

P8PixelCodec::P8PixelCodec(const PixelBlockDesc& desc)
    : PixelCodec(desc, 8, PIXEL_KIND_UNORM, true) {}

HRESULT P8PixelCodec::DecodeRow(UINT y, UINT z, UtColor* out) {
  const BYTE* src = RowAddress(y, z);
  for (UINT x = 0; x < width; ++x) out[x] = palette[src[x]];
  FinishDecodeRow(out);
  return S_OK;
}

HRESULT P8PixelCodec::EncodeRow(UINT y, UINT z, UtColor* in) {
  const UtColor* row = PrepareEncodeRow(in);
  BYTE* dst = RowAddress(y, z);
  for (UINT x = 0; x < width; ++x) {
    dst[x] = static_cast<BYTE>(NearestPaletteEntry(palette.get(), row[x], true));
  }
  return S_OK;
}

A8P8PixelCodec::A8P8PixelCodec(const PixelBlockDesc& desc)
    : PixelCodec(desc, 16, PIXEL_KIND_UNORM, true) {}

HRESULT A8P8PixelCodec::DecodeRow(UINT y, UINT z, UtColor* out) {
  const BYTE* src = RowAddress(y, z);
  for (UINT x = 0; x < width; ++x) {
    const UtColor& entry = palette[src[2 * x]];
    out[x] = UtColor(entry.r, entry.g, entry.b,
                     static_cast<float>(src[2 * x + 1]) * kOneOver255);
  }
  FinishDecodeRow(out);
  return S_OK;
}

HRESULT A8P8PixelCodec::EncodeRow(UINT y, UINT z, UtColor* in) {
  UtColor* row = PrepareEncodeRow(in);
  if (errorRow) AddCarriedErrors(row);
  BYTE* dst = RowAddress(y, z);
  const float* dither = ditherTable[y & 3] + (z & 3);
  const bool reversed = (y & 1) != 0;
  RowErrorDiffuser diffuser(errorRow.get(), reversed ? -1 : 1);
  for (UINT i = 0; i < width; ++i) {
    const UINT x = reversed ? width - 1 - i : i;
    const float d = dither[i & 3];
    const unsigned index = NearestPaletteEntry(palette.get(), row[x], false);
    const int32_t alpha = errorRow ? diffuser.Quantize(kAlphaQuantizer, 3, row[x].a, d, x + 1)
                                   : kAlphaQuantizer.Quantize(row[x].a, d);
    dst[2 * x] = static_cast<BYTE>(index);
    dst[2 * x + 1] = static_cast<BYTE>(alpha);
  }
  return S_OK;
}
