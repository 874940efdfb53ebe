// The strategies that keep the size: the byte copy, its block form, decode-and-encode of equal
// sizes, and UT_FILTER_NONE (copy the overlap, clear the rest).
#include <algorithm>
#include <cstring>

#include "ut/surface/codec_rows.h"
#include "ut/surface/color_rows.h"
#include "ut/surface/conversion_strategy.h"
#include "ut/surface/filter_flags.h"

namespace {

bool SamePalettes(const PixelCodec& a, const PixelCodec& b) {
  if (!a.palette || !b.palette) return false;
  for (int i = 0; i < 256; ++i) {
    const UtColor& x = a.palette[i];
    const UtColor& y = b.palette[i];
    if (x.r != y.r || x.g != y.g || x.b != y.b || x.a != y.a) return false;
  }
  return true;
}

// Bytes of one 4x4 block of the block-compressed formats; 0 for every other format.
UINT BlockBytes(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_DXT1: return 8;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5: return 16;
    default: return 0;
  }
}

bool BlockAligned(const D3DBOX& r) {
  return r.Left % 4 == 0 && r.Top % 4 == 0 && r.Right % 4 == 0 && r.Bottom % 4 == 0;
}

// Address of block row `blockRow` of slice `slice` of the region of a codec that is not
// byte-addressable (its bits and region are still the description's).
BYTE* BlockRow(const PixelCodec& codec, UINT blockRow, UINT slice, UINT blockBytes) {
  return codec.bits + (static_cast<size_t>(codec.region.Top / 4) + blockRow) * codec.rowPitch +
         (static_cast<size_t>(codec.region.Front) + slice) * codec.slicePitch +
         static_cast<size_t>(codec.region.Left / 4) * blockBytes;
}

}  // namespace

bool CopyStraightApplies(const ConversionContext& context) {
  const PixelCodec& s = context.source;
  const PixelCodec& d = context.destination;
  if (s.format != d.format || s.colorKey != 0 || !SameRegionSize(s, d)) return false;
  if ((s.gamma != FALSE) != (d.gamma != FALSE)) return false;
  // The same indices mean the same colours only under the same palette.
  if (s.palettized && !SamePalettes(s, d)) return false;
  return true;
}

HRESULT CopyStraight(ConversionContext& context) {
  PixelCodec& s = context.source;
  PixelCodec& d = context.destination;
  if (!s.byteAddressable || !d.byteAddressable) return CopyBlocks(context);
  s.gamma = FALSE;
  d.gamma = FALSE;
  for (UINT z = 0; z < d.depth; ++z) {
    for (UINT y = 0; y < d.height; ++y) {
      // memmove: a caller's source may share memory with the destination.
      std::memmove(CodecRow(d, y, z), CodecRow(s, y, z), d.rowBytes);
    }
  }
  return S_OK;
}

HRESULT CopyBlocks(ConversionContext& context) {
  PixelCodec& s = context.source;
  PixelCodec& d = context.destination;
  const UINT blockBytes = BlockBytes(d.format);
  if (blockBytes == 0 || !BlockAligned(s.region) || !BlockAligned(d.region)) return E_FAIL;
  const UINT blockRows = d.height / 4;
  const size_t rowBytes = static_cast<size_t>(d.width / 4) * blockBytes;
  for (UINT z = 0; z < d.depth; ++z) {
    for (UINT row = 0; row < blockRows; ++row) {
      std::memmove(BlockRow(d, row, z, blockBytes),
                   BlockRow(s, row, z, blockBytes), rowBytes);
    }
  }
  return S_OK;
}

bool ConvertSameSizeApplies(const ConversionContext& context) {
  return SameRegionSize(context.source, context.destination);
}

HRESULT ConvertSameSize(ConversionContext& context) {
  PixelCodec& s = context.source;
  PixelCodec& d = context.destination;
  CancelMatchingGamma(context);
  ColorRow row = NewColorRow(d.width);
  if (!row) return E_OUTOFMEMORY;
  for (UINT z = 0; z < d.depth; ++z) {
    for (UINT y = 0; y < d.height; ++y) {
      HRESULT hr = s.DecodeRow(y, z, row.get());
      if (SUCCEEDED(hr)) hr = d.EncodeRow(y, z, row.get());
      if (FAILED(hr)) return hr;
    }
  }
  return S_OK;
}

bool FilterNoneApplies(const ConversionContext& context) {
  return FilterType(context.filter) == UT_FILTER_NONE;
}

HRESULT FilterNone(ConversionContext& context) {
  PixelCodec& s = context.source;
  PixelCodec& d = context.destination;
  CancelMatchingGamma(context);
  const UINT wide = std::max(s.width, d.width);
  ColorRow overlap = NewColorRow(wide);
  ColorRow blank = NewColorRow(d.width);
  if (!overlap || !blank) return E_OUTOFMEMORY;
  const UINT rows = std::min(s.height, d.height);
  const UINT slices = std::min(s.depth, d.depth);
  for (UINT z = 0; z < d.depth; ++z) {
    for (UINT y = 0; y < d.height; ++y) {
      HRESULT hr;
      // Encoding may work in place on its input, so both buffers are cleared again before use.
      if (z < slices && y < rows) {
        ClearColors(overlap.get() + s.width, wide - s.width);
        hr = s.DecodeRow(y, z, overlap.get());
        if (SUCCEEDED(hr)) hr = d.EncodeRow(y, z, overlap.get());
      } else {
        ClearColors(blank.get(), d.width);
        hr = d.EncodeRow(y, z, blank.get());
      }
      if (FAILED(hr)) return hr;
    }
  }
  return S_OK;
}
