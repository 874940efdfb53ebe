#include "ut/pixel/pixel_codec.h"

#include <new>

#include "ut/pixel/pixel_gamma.h"

namespace {

// The colour key's bytes become channels through this single-precision constant.
constexpr float kOneOver255 = 0.003921569f;

UINT Span(UINT low, UINT high) { return high > low ? high - low : 0; }

}  // namespace

PixelCodec::PixelCodec(const PixelBlockDesc& desc, UINT bitsPerPixel, PixelKind codecKind,
                       bool isPalettized)
    : format(desc.format),
      kind(codecKind),
      byteAddressable(bitsPerPixel != 0),
      gamma(desc.gamma ? TRUE : FALSE),
      bothGamma(FALSE),
      colorKey(desc.colorKey),
      palettized(isPalettized ? TRUE : FALSE),
      bits(static_cast<BYTE*>(desc.bits)),
      keyColor(0.0f, 0.0f, 0.0f, 0.0f),
      ditherTable(desc.orderedDither ? kOrderedDitherTable : kNoDitherTable),
      region(desc.region),
      convertFromKind(PIXEL_KIND_NONE),
      rowPitch(desc.rowPitch),
      slicePitch(desc.slicePitch),
      width(Span(desc.region.Left, desc.region.Right)),
      height(Span(desc.region.Top, desc.region.Bottom)),
      depth(Span(desc.region.Front, desc.region.Back)),
      rowBytes(0),
      bytesPerPixel(bitsPerPixel / 8) {
  // Signed values have no gamma; the unsigned luminance of L6V5U5 is the one exception.
  if (kind == PIXEL_KIND_SNORM || (kind == PIXEL_KIND_SNORM_RGB && format != D3DFMT_L6V5U5)) {
    gamma = FALSE;
  }
  if (colorKey != 0) {
    keyColor = UtColor(static_cast<float>((colorKey >> 16) & 0xFF) * kOneOver255,
                       static_cast<float>((colorKey >> 8) & 0xFF) * kOneOver255,
                       static_cast<float>(colorKey & 0xFF) * kOneOver255,
                       static_cast<float>(colorKey >> 24) * kOneOver255);
  }
  rowBytes = width * bytesPerPixel;
  if (byteAddressable) {
    bits += static_cast<size_t>(desc.region.Left) * bytesPerPixel +
            static_cast<size_t>(desc.region.Top) * rowPitch +
            static_cast<size_t>(desc.region.Front) * slicePitch;
    region = D3DBOX{0, 0, width, height, 0, depth};
  }
  // Without the row the encoders simply do not diffuse.
  if (desc.errorDiffusion) errorRow.reset(new (std::nothrow) UtColor[size_t{width} + 2]());
}

PixelCodec::~PixelCodec() = default;

bool PixelCodec::BuildPalette(const PALETTEENTRY* entries) {
  palette.reset(new (std::nothrow) UtColor[256]);
  if (!palette) return false;
  for (int i = 0; i < 256; ++i) {
    palette[i] = entries ? UtColor(static_cast<float>(entries[i].peRed) * kOneOver255,
                                   static_cast<float>(entries[i].peGreen) * kOneOver255,
                                   static_cast<float>(entries[i].peBlue) * kOneOver255,
                                   static_cast<float>(entries[i].peFlags) * kOneOver255)
                         : UtColor(1.0f, 1.0f, 1.0f, 1.0f);
  }
  return true;
}

HRESULT PixelCodec::BindSource(PixelCodec& source) {
  if (source.kind != kind && kind != PIXEL_KIND_FLOAT) convertFromKind = source.kind;
  if (convertFromKind == PIXEL_KIND_NONE && !gamma) return S_OK;
  conversionRow.reset(new (std::nothrow) UtColor[width]);
  if (!conversionRow) return E_OUTOFMEMORY;
  if (gamma && source.gamma) {
    // Both ends then use the cheap curve pair x^2 / sqrt(x), which cancel each other.
    bothGamma = TRUE;
    source.bothGamma = TRUE;
  }
  return S_OK;
}

void PixelCodec::QuantizeColorKey() {
  BYTE* const savedBits = bits;
  const float (*const savedDither)[8] = ditherTable;
  const D3DCOLOR savedKey = colorKey;
  const BOOL savedGamma = gamma;
  const UINT savedRowBytes = rowBytes;
  const UINT savedWidth = width;
  const PixelKind savedConvert = convertFromKind;
  // The key's own quantisation error must not reach the first real row.
  std::unique_ptr<UtColor[]> savedErrors = std::move(errorRow);

  alignas(16) BYTE scratch[16] = {};
  bits = scratch;
  width = 1;
  rowBytes = bytesPerPixel;
  colorKey = 0;
  gamma = FALSE;
  ditherTable = kNoDitherTable;
  convertFromKind = PIXEL_KIND_NONE;

  // The key is given in unsigned terms whatever the format.
  if (kind == PIXEL_KIND_SNORM_RGB || kind == PIXEL_KIND_SNORM) {
    ConvertPixelKind(&keyColor, &keyColor, 1, PIXEL_KIND_UNORM, kind);
  }
  UtColor key = keyColor;
  EncodeRow(0, 0, &key);
  DecodeRow(0, 0, &keyColor);

  bits = savedBits;
  ditherTable = savedDither;
  colorKey = savedKey;
  gamma = savedGamma;
  rowBytes = savedRowBytes;
  width = savedWidth;
  convertFromKind = savedConvert;
  errorRow = std::move(savedErrors);
}

UtColor* PixelCodec::PrepareEncodeRow(UtColor* in) {
  UtColor* row = in;
  UtColor* const scratch = conversionRow ? conversionRow.get() : in;
  if (convertFromKind != PIXEL_KIND_NONE) {
    ConvertPixelKind(scratch, row, width, convertFromKind, kind);
    row = scratch;
  }
  if (gamma) {
    GammaEncodeRow(scratch, row, width, GammaOnColorChannels(), bothGamma != FALSE);
    row = scratch;
  }
  return row;
}

void PixelCodec::ApplyColorKey(UtColor* out) const {
  if (colorKey == 0) return;
  const UtColor key = keyColor;
  for (UINT i = 0; i < width; ++i) {
    const UtColor c = out[i];
    if (c.r == key.r && c.g == key.g && c.b == key.b && c.a == key.a) {
      out[i] = UtColor(0.0f, 0.0f, 0.0f, 0.0f);
    }
  }
}

void PixelCodec::ApplyGammaDecode(UtColor* out) const {
  if (gamma) GammaDecodeRow(out, width, GammaOnColorChannels(), bothGamma != FALSE);
}

void PixelCodec::AddCarriedErrors(UtColor* row) {
  UtColor* const errors = errorRow.get();
  for (UINT i = 0; i < width; ++i) {
    row[i].r += errors[i + 1].r;
    row[i].g += errors[i + 1].g;
    row[i].b += errors[i + 1].b;
    row[i].a += errors[i + 1].a;
  }
  for (UINT i = 0; i < width + 2; ++i) errors[i] = UtColor(0.0f, 0.0f, 0.0f, 0.0f);
}
