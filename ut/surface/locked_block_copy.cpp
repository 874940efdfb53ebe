#include "ut/surface/locked_block_copy.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "ut/pixel/pixel_format.h"

namespace {

// Bytes of one 4x4 block, or 0 for a format stored pixel by pixel.
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

}  // namespace

HRESULT LockedBlockCopy::Take(const PixelBlockDesc& locked, PixelBlockDesc* copy) {
  const D3DBOX& r = locked.region;
  // The locked memory starts at the locked box; the region lies inside it and ends at
  // (Right, Bottom, Back) counted from there. Rows and bytes per row from the origin up to it:
  size_t rows = r.Bottom, rowBytes = 0;
  if (const UINT block = BlockBytes(locked.format)) {
    rows = (size_t{r.Bottom} + 3) / 4;
    rowBytes = (size_t{r.Right} + 3) / 4 * block;
  } else {
    const PixelFormatInfo* info = GetPixelFormatInfo(locked.format);
    if (info == nullptr || info->bitsPerPixel == 0) return E_FAIL;
    // Pairs of pixels share their bytes; a right edge inside a pair takes the whole pair.
    const size_t right = info->bitsPerPixel == 16 ? (size_t{r.Right} + 1) & ~size_t{1} : r.Right;
    rowBytes = (right * info->bitsPerPixel + 7) / 8;
  }
  const size_t slices = r.Back;
  const size_t slicePitch = rows * rowBytes;
  const size_t total = slicePitch * slices;
  bytes_.reset(new (std::nothrow) BYTE[total ? total : 1]);
  if (!bytes_) return E_OUTOFMEMORY;
  const BYTE* from = static_cast<const BYTE*>(locked.bits);
  for (size_t z = 0; z < slices; ++z)
    for (size_t y = 0; y < rows; ++y) {
      std::memcpy(bytes_.get() + z * slicePitch + y * rowBytes, from + z * locked.slicePitch + y * locked.rowPitch,
                  rowBytes);
    }
  *copy = locked;
  copy->bits = bytes_.get();
  copy->rowPitch = static_cast<UINT>(rowBytes);
  copy->slicePitch = static_cast<UINT>(slicePitch);
  return S_OK;
}
