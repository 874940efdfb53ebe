// UtLoadVolumeFromMemory and UtLoadVolumeFromVolume: lock, describe, convert, unlock.
#include "ut/surface/filter_flags.h"
#include "ut/surface/locked_block_copy.h"
#include "ut/surface/pixel_converter.h"
#include "ut/surface/volume_lock.h"
#include "ut_surface.h"

namespace {

bool ValidMemoryBox(const D3DBOX& b) { return b.Right >= b.Left && b.Bottom >= b.Top && b.Back >= b.Front; }

}  // namespace

HRESULT UtLoadVolumeFromMemory(IDirect3DVolume9* pDestVolume, const PALETTEENTRY* pDestPalette,
                               const D3DBOX* pDestBox, const void* pSrcMemory, D3DFORMAT SrcFormat,
                               UINT SrcRowPitch, UINT SrcSlicePitch, const PALETTEENTRY* pSrcPalette,
                               const D3DBOX* pSrcBox, DWORD Filter, D3DCOLOR ColorKey) {
  if (pDestVolume == nullptr || pSrcMemory == nullptr || pSrcBox == nullptr) return D3DERR_INVALIDCALL;
  const DWORD filter = ResolveDefaultFilter(Filter);
  if (!IsValidFilter(filter) || !ValidMemoryBox(*pSrcBox)) return D3DERR_INVALIDCALL;

  PixelBlockDesc destination{};
  VolumeLock lock;
  HRESULT hr = lock.Lock(&destination, pDestVolume, pDestPalette, pDestBox, 0, 0);
  if (FAILED(hr)) return hr;

  PixelBlockDesc source{};
  source.bits = const_cast<void*>(pSrcMemory);  // only read
  source.format = SrcFormat;
  source.rowPitch = SrcRowPitch;
  source.slicePitch = SrcSlicePitch;
  source.extent = *pSrcBox;
  source.region = *pSrcBox;
  source.colorKey = ColorKey;
  source.palette = pSrcPalette;

  PixelConverter converter;
  hr = converter.Convert(&destination, &source, filter);
  lock.Unlock();
  return SUCCEEDED(hr) ? S_OK : hr;
}

HRESULT UtLoadVolumeFromVolume(IDirect3DVolume9* pDestVolume, const PALETTEENTRY* pDestPalette,
                               const D3DBOX* pDestBox, IDirect3DVolume9* pSrcVolume,
                               const PALETTEENTRY* pSrcPalette, const D3DBOX* pSrcBox, DWORD Filter,
                               D3DCOLOR ColorKey) {
  if (pDestVolume == nullptr || pSrcVolume == nullptr) return D3DERR_INVALIDCALL;
  PixelBlockDesc source{};
  VolumeLock lock;
  HRESULT hr = lock.Lock(&source, pSrcVolume, pSrcPalette, pSrcBox, 0, SURFACE_LOCK_READONLY);
  if (FAILED(hr)) return hr;

  // A volume loaded into itself is read from a copy of its bytes, taken before the write lock
  // (one volume can't be locked twice, and overlapping boxes must see the source as it was).
  LockedBlockCopy copy;
  if (pSrcVolume == pDestVolume) {
    PixelBlockDesc copied{};
    hr = copy.Take(source, &copied);
    lock.Unlock();
    if (FAILED(hr)) return hr;
    source = copied;
  }
  hr = UtLoadVolumeFromMemory(pDestVolume, pDestPalette, pDestBox, source.bits, source.format, source.rowPitch,
                              source.slicePitch, pSrcPalette, &source.region, Filter, ColorKey);
  lock.Unlock();
  return SUCCEEDED(hr) ? S_OK : hr;
}
