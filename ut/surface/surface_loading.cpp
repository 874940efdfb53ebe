// UtLoadSurfaceFromMemory and UtLoadSurfaceFromSurface: lock, describe, convert, unlock.
#include <cstring>

#include "ut/surface/filter_flags.h"
#include "ut/surface/muted_debug_output.h"
#include "ut/surface/pixel_converter.h"
#include "ut/surface/surface_lock.h"
#include "ut_surface.h"
#include "win32/com_ptr.h"

namespace {

// A source rectangle in memory: its corners may not be negative or reversed, since the engine
// would read outside the caller's pixels otherwise.
bool ValidMemoryRect(const RECT& r) { return r.left >= 0 && r.top >= 0 && r.right >= r.left && r.bottom >= r.top; }

RECT WholeSurface(const D3DSURFACE_DESC& desc) {
  return RECT{0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
}

bool SamePalettes(const PALETTEENTRY* a, const PALETTEENTRY* b) {
  if (a == b) return true;
  return a != nullptr && b != nullptr && std::memcmp(a, b, 256 * sizeof(PALETTEENTRY)) == 0;
}

// The copy by the device of equal-sized rectangles: UpdateSurface from system memory and
// StretchRect between D3DPOOL_DEFAULT surfaces. False when it doesn't apply or fails; the
// runtime's complaints about a failing attempt are muted, since the locks take over then.
bool DeviceCopy(IDirect3DSurface9* destination, const D3DSURFACE_DESC& destinationDesc, const RECT& destinationRect,
                IDirect3DSurface9* source, const D3DSURFACE_DESC& sourceDesc, const RECT& sourceRect) {
  if (destinationRect.right - destinationRect.left != sourceRect.right - sourceRect.left ||
      destinationRect.bottom - destinationRect.top != sourceRect.bottom - sourceRect.top) {
    return false;
  }
  if (destinationDesc.Pool != D3DPOOL_DEFAULT) return false;
  ComPtr<IDirect3DDevice9> device;
  if (FAILED(source->GetDevice(device.GetAddressOf())) || !device) return false;
  MutedDebugOutput muted;
  HRESULT hr = E_FAIL;
  if (sourceDesc.Pool == D3DPOOL_SYSTEMMEM) {
    const POINT at{destinationRect.left, destinationRect.top};
    hr = device->UpdateSurface(source, &sourceRect, destination, &at);
  } else if (sourceDesc.Pool == D3DPOOL_DEFAULT) {
    hr = device->StretchRect(source, &sourceRect, destination, &destinationRect, D3DTEXF_NONE);
  }
  return SUCCEEDED(hr);
}

}  // namespace

HRESULT UtLoadSurfaceFromMemory(IDirect3DSurface9* pDestSurface, const PALETTEENTRY* pDestPalette,
                                const RECT* pDestRect, const void* pSrcMemory, D3DFORMAT SrcFormat,
                                UINT SrcPitch, const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect,
                                DWORD Filter, D3DCOLOR ColorKey) {
  if (pDestSurface == nullptr || pSrcMemory == nullptr || pSrcRect == nullptr) return D3DERR_INVALIDCALL;
  const DWORD filter = ResolveDefaultFilter(Filter);
  if (!IsValidFilter(filter) || !ValidMemoryRect(*pSrcRect)) return D3DERR_INVALIDCALL;

  PixelBlockDesc destination{};
  SurfaceLock lock;
  HRESULT hr = lock.Lock(&destination, pDestSurface, pDestPalette, pDestRect, 0, 0);
  if (FAILED(hr)) return hr;

  PixelBlockDesc source{};
  source.bits = const_cast<void*>(pSrcMemory);  // only read
  source.format = SrcFormat;
  source.rowPitch = SrcPitch;
  source.slicePitch = 0;
  source.extent = D3DBOX{static_cast<UINT>(pSrcRect->left), static_cast<UINT>(pSrcRect->top),
                         static_cast<UINT>(pSrcRect->right), static_cast<UINT>(pSrcRect->bottom), 0, 1};
  source.region = source.extent;
  source.colorKey = ColorKey;
  source.palette = pSrcPalette;

  PixelConverter converter;
  hr = converter.Convert(&destination, &source, filter);
  lock.Unlock();  // writes back a temporary copy
  return SUCCEEDED(hr) ? S_OK : hr;
}

HRESULT UtLoadSurfaceFromSurface(IDirect3DSurface9* pDestSurface, const PALETTEENTRY* pDestPalette,
                                 const RECT* pDestRect, IDirect3DSurface9* pSrcSurface,
                                 const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect, DWORD Filter,
                                 D3DCOLOR ColorKey) {
  if (pDestSurface == nullptr || pSrcSurface == nullptr) return D3DERR_INVALIDCALL;
  const DWORD filter = ResolveDefaultFilter(Filter);
  // Checked before the device copy, which would otherwise accept any flags.
  if (!IsValidFilter(filter)) return D3DERR_INVALIDCALL;
  D3DSURFACE_DESC destinationDesc{}, sourceDesc{};
  HRESULT hr = pDestSurface->GetDesc(&destinationDesc);
  if (SUCCEEDED(hr)) hr = pSrcSurface->GetDesc(&sourceDesc);
  if (FAILED(hr)) return hr;

  if (FilterType(filter) != UT_FILTER_BOX && ColorKey == 0 && SamePalettes(pDestPalette, pSrcPalette)) {
    const RECT destinationRect = pDestRect ? *pDestRect : WholeSurface(destinationDesc);
    const RECT sourceRect = pSrcRect ? *pSrcRect : WholeSurface(sourceDesc);
    if (DeviceCopy(pDestSurface, destinationDesc, destinationRect, pSrcSurface, sourceDesc, sourceRect)) return S_OK;
  }

  // A surface loaded into itself is read from a copy, so that overlapping rectangles see the
  // source as it was.
  DWORD flags = SURFACE_LOCK_READONLY;
  if (pSrcSurface == pDestSurface) flags |= SURFACE_LOCK_VIA_COPY;
  PixelBlockDesc source{};
  SurfaceLock lock;
  hr = lock.Lock(&source, pSrcSurface, pSrcPalette, pSrcRect, 0, flags);
  if (FAILED(hr)) return hr;

  const RECT lockedRect{static_cast<LONG>(source.region.Left), static_cast<LONG>(source.region.Top),
                        static_cast<LONG>(source.region.Right), static_cast<LONG>(source.region.Bottom)};
  hr = UtLoadSurfaceFromMemory(pDestSurface, pDestPalette, pDestRect, source.bits, source.format, source.rowPitch,
                               pSrcPalette, &lockedRect, filter, ColorKey);
  // What was read from a lost device's video memory is not the picture.
  if (SUCCEEDED(hr) && sourceDesc.Pool == D3DPOOL_DEFAULT && destinationDesc.Pool != D3DPOOL_DEFAULT) {
    ComPtr<IDirect3DDevice9> device;
    if (SUCCEEDED(pSrcSurface->GetDevice(device.GetAddressOf())) && device &&
        device->TestCooperativeLevel() != D3D_OK) {
      hr = D3DERR_DEVICELOST;
    }
  }
  lock.Unlock();
  return SUCCEEDED(hr) ? S_OK : hr;
}
