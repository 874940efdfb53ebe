// PixelCodec: the translator between one block of stored pixels and rows of UtColor values, the
// common intermediate of every conversion. One class per stored format derives from it (the
// per-pixel formats here, the block-compressed and the pair formats in their own files);
// CreatePixelCodec (create_pixel_codec.h) picks the class from the block's format.
//
// The codec also carries the per-block options: colour keying on decode, gamma decoding and
// encoding, kind conversion, ordered dithering and error diffusion on encode, and the palette of
// palettized formats. A codec lives for one conversion and is used by one thread at a time.
#pragma once

#include <memory>

#include "d3d9/d3d9.h"
#include "ut/pixel/pixel_block_desc.h"
#include "ut/pixel/pixel_dither.h"
#include "ut/pixel/pixel_kind.h"
#include "ut_math.h"

class PixelCodec {
 public:
  virtual ~PixelCodec();

  // Decodes row y of slice z of the region (both 0-based from the region's first row and slice)
  // into `width` colours.
  virtual HRESULT DecodeRow(UINT y, UINT z, UtColor* out) = 0;
  // Encodes `width` colours of kind convertFromKind (or kind when that is 0) into row y of slice
  // z. May overwrite the colours of `in`. The serpentine order and the dither row follow y, and
  // the errors carried by error diffusion go to whichever row is encoded next.
  virtual HRESULT EncodeRow(UINT y, UINT z, UtColor* in) = 0;
  // Replaces keyColor by the colour that a stored pixel equal to the key decodes to.
  virtual void QuantizeColorKey();

  // Prepares this destination codec for values decoded by `source`; called once, before the
  // first EncodeRow. Marks both codecs when both are gamma-encoded. S_OK or E_OUTOFMEMORY.
  HRESULT BindSource(PixelCodec& source);

  // Builds the float palette of a palettized codec: the description's entries times 1/255, or
  // opaque white throughout when there is none. False when memory runs out.
  bool BuildPalette(const PALETTEENTRY* entries);

  PixelCodec(const PixelCodec&) = delete;
  PixelCodec& operator=(const PixelCodec&) = delete;

  D3DFORMAT format;
  PixelKind kind;
  BOOL byteAddressable;  // a fixed number of bits per pixel
  BOOL gamma;            // never set for the signed kinds, except for D3DFMT_L6V5U5
  BOOL bothGamma;        // source and destination both gamma-encoded (set by BindSource)
  D3DCOLOR colorKey;
  BOOL palettized;
  // Byte-addressable codecs: the first pixel of the region; others: the description's bits.
  BYTE* bits;
  UtColor keyColor;
  const float (*ditherTable)[8];
  std::unique_ptr<UtColor[]> palette;  // 256 entries, palettized formats only
  // Byte-addressable codecs: rebased to (0, 0, width, height, 0, depth).
  D3DBOX region;
  PixelKind convertFromKind;                 // PIXEL_KIND_NONE: no conversion
  std::unique_ptr<UtColor[]> conversionRow;  // width colours, from BindSource
  std::unique_ptr<UtColor[]> errorRow;       // width + 2 colours, with error diffusion only
  UINT rowPitch;
  UINT slicePitch;
  UINT width;
  UINT height;
  UINT depth;
  UINT rowBytes;
  UINT bytesPerPixel;  // 0 for codecs that are not byte-addressable

 protected:
  PixelCodec(const PixelBlockDesc& desc, UINT bitsPerPixel, PixelKind kind, bool palettized);

  BYTE* RowAddress(UINT y, UINT z) const {
    return bits + static_cast<size_t>(y) * rowPitch + static_cast<size_t>(z) * slicePitch;
  }
  // Gamma applies to red, green and blue of unsigned and floating-point formats, else to alpha.
  bool GammaOnColorChannels() const {
    return kind == PIXEL_KIND_UNORM || kind == PIXEL_KIND_FLOAT;
  }
  bool Dithered() const { return ditherTable != kNoDitherTable; }

  // The first two steps of every encoder: kind conversion, then gamma encoding. Returns the row
  // to continue with: conversionRow when one of them ran, else `in`. Without a conversion row
  // (BindSource not called, or its allocation failed) they work in place.
  UtColor* PrepareEncodeRow(UtColor* in);
  // The last two steps of every decoder: colour keying, then gamma decoding. Codecs that
  // compare the key their own way (block compression) call the gamma step alone.
  void FinishDecodeRow(UtColor* out) const {
    ApplyColorKey(out);
    ApplyGammaDecode(out);
  }
  // Pixels equal to keyColor in all four channels become (0, 0, 0, 0); when colorKey is set.
  void ApplyColorKey(UtColor* out) const;
  // The gamma decode of the row; when gamma is set.
  void ApplyGammaDecode(UtColor* out) const;
  // Adds the errors that the previous row left for this one and clears errorRow for this row's
  // own errors. Only when errorRow exists.
  void AddCarriedErrors(UtColor* row);
};
