// The codec classes of the palettized formats. Decoding looks indices up in the float palette;
// encoding picks, for each pixel, the entry nearest in squared distance, the lowest index on
// ties. D3DFMT_P8 compares all four channels and writes its row left to right without dithering;
// D3DFMT_A8P8 compares red, green and blue and quantises its alpha field like any channel
// (ordered dither and error diffusion in serpentine order apply to alpha alone).
#pragma once

#include "ut/pixel/pixel_codec.h"

// The index of the entry nearest to c over red, green, blue, and alpha when `withAlpha`.
unsigned NearestPaletteEntry(const UtColor* palette, const UtColor& c, bool withAlpha);

class P8PixelCodec final : public PixelCodec {
 public:
  explicit P8PixelCodec(const PixelBlockDesc& desc);
  HRESULT DecodeRow(UINT y, UINT z, UtColor* out) override;
  HRESULT EncodeRow(UINT y, UINT z, UtColor* in) override;
};

class A8P8PixelCodec final : public PixelCodec {
 public:
  explicit A8P8PixelCodec(const PixelBlockDesc& desc);
  HRESULT DecodeRow(UINT y, UINT z, UtColor* out) override;
  HRESULT EncodeRow(UINT y, UINT z, UtColor* in) override;
};
