#include "ut/surface/surface_lock.h"

#include "ut/surface/copy_surface_bits.h"
#include "ut/surface/lock_units.h"
#include "ut/surface/muted_debug_output.h"

struct SurfaceLock::Request {
  PixelBlockDesc* desc;
  IDirect3DSurface9* surface;
  const PALETTEENTRY* palette;
  D3DCOLOR colorKey;
  D3DSURFACE_DESC info;
  LockArea area;  // the caller's rectangle, or the whole surface
  bool partial;   // the rectangle is not the whole surface
};

namespace {

// Left and top are compared as signed values, right and bottom as unsigned ones, so a negative
// edge anywhere is outside every surface.
bool InsideSurface(const RECT& rect, const D3DSURFACE_DESC& info) {
  if (rect.left < 0 || rect.top < 0) return false;
  const UINT left = static_cast<UINT>(rect.left);
  const UINT top = static_cast<UINT>(rect.top);
  const UINT right = static_cast<UINT>(rect.right);
  const UINT bottom = static_cast<UINT>(rect.bottom);
  return right <= info.Width && left <= right && bottom <= info.Height && top <= bottom;
}

bool IsWhole(const LockArea& area, const D3DSURFACE_DESC& info) {
  return area.left == 0 && area.top == 0 && area.right == info.Width &&
         area.bottom == info.Height;
}

// D3DLOCK_DISCARD throws away every level of a dynamic texture, so without the caller's word
// that it writes them all it is used only on a texture that has no other level.
bool MayDiscard(IDirect3DSurface9* surface, DWORD flags) {
  if (flags & SURFACE_LOCK_DISCARD_OK) return true;
  MutedDebugOutput muted;
  ComPtr<IDirect3DTexture9> texture;
  if (FAILED(surface->GetContainer(IID_IDirect3DTexture9,
                                   reinterpret_cast<void**>(texture.GetAddressOf()))) ||
      !texture) {
    return false;
  }
  return texture->GetLevelCount() == 1;
}

// The smallest shift s (0, 1 or 2) that makes both sizes multiples of 4 for DXT formats: the
// top level of a DXT texture must be, so a copy of a smaller level is that level of a larger
// texture.
UINT CopyLevelShift(const D3DSURFACE_DESC& info) {
  if (!IsBlockCompressedFormat(info.Format)) return 0;
  for (UINT shift = 0; shift < 2; ++shift) {
    if (((info.Width << shift) % 4) == 0 && ((info.Height << shift) % 4) == 0) return shift;
  }
  return 2;
}

}  // namespace

HRESULT SurfaceLock::Lock(PixelBlockDesc* desc, IDirect3DSurface9* surfaceToLock,
                          const PALETTEENTRY* palette, const RECT* rect, D3DCOLOR colorKey,
                          DWORD flags) {
  Unlock();
  if (!desc || !surfaceToLock) return D3DERR_INVALIDCALL;
  Request request = {desc, surfaceToLock, palette, colorKey, {}, {}, false};
  HRESULT hr = surfaceToLock->GetDesc(&request.info);
  if (FAILED(hr)) return hr;
  if (rect) {
    if (!InsideSurface(*rect, request.info)) return D3DERR_INVALIDCALL;
    request.area = {static_cast<UINT>(rect->left), static_cast<UINT>(rect->top),
                    static_cast<UINT>(rect->right), static_cast<UINT>(rect->bottom)};
    request.partial = !IsWhole(request.area, request.info);
  } else {
    request.area = {0, 0, request.info.Width, request.info.Height};
  }

  bool retryThroughCopy = false;
  hr = LockOnce(request, flags, &retryThroughCopy);
  if (retryThroughCopy) hr = LockOnce(request, flags | SURFACE_LOCK_VIA_COPY, &retryThroughCopy);
  return hr;
}

HRESULT SurfaceLock::LockOnce(const Request& request, DWORD flags, bool* retryThroughCopy) {
  const D3DSURFACE_DESC& info = request.info;
  const bool readOnly = flags & SURFACE_LOCK_READONLY;
  const bool wholeWrite = !readOnly && !request.partial;
  if (flags & SURFACE_LOCK_VIA_COPY) {
    const HRESULT hr = MakeCopy(request.surface, info, wholeWrite);
    if (FAILED(hr)) return hr;
  }

  DWORD d3dFlags = D3DLOCK_NOSYSLOCK | (readOnly ? D3DLOCK_READONLY : 0);
  if (wholeWrite && !tempSurface && (info.Usage & D3DUSAGE_DYNAMIC) &&
      MayDiscard(request.surface, flags)) {
    d3dFlags |= D3DLOCK_DISCARD;
  }

  // Blocks and pairs can only be locked whole; a widened rectangle may become the whole surface
  // (it is still not whole-write: the caller writes only its own rectangle).
  bool partial = request.partial;
  LockArea locked = request.area;
  if (partial) {
    locked = WidenToUnits(FindLockUnit(info.Format), request.area, info.Width, info.Height);
    partial = !IsWhole(locked, info);
  }
  const RECT lockRect = {static_cast<LONG>(locked.left), static_cast<LONG>(locked.top),
                         static_cast<LONG>(locked.right), static_cast<LONG>(locked.bottom)};

  D3DLOCKED_RECT lockedRect = {};
  HRESULT hr;
  if (tempSurface) {
    hr = tempSurface->LockRect(&lockedRect, partial ? &lockRect : nullptr, d3dFlags);
    if (FAILED(hr)) {
      ReleaseAll();
      return hr;
    }
  } else {
    {
      // Surfaces in D3DPOOL_DEFAULT are often not lockable; that failure is handled by a copy.
      MutedDebugOutput muted;
      hr = request.surface->LockRect(&lockedRect, partial ? &lockRect : nullptr, d3dFlags);
    }
    if (FAILED(hr)) {
      *retryThroughCopy = true;
      return hr;
    }
  }

  LockArea region = request.area;
  if (partial) {
    region.left -= locked.left;
    region.right -= locked.left;
    region.top -= locked.top;
    region.bottom -= locked.top;
  }
  PixelBlockDesc& desc = *request.desc;
  desc.bits = lockedRect.pBits;
  desc.format = info.Format;
  desc.rowPitch = static_cast<UINT>(lockedRect.Pitch);
  desc.slicePitch = 0;
  desc.extent = {0, 0, info.Width, info.Height, 0, 1};
  desc.region = {region.left, region.top, region.right, region.bottom, 0, 1};
  desc.orderedDither = TRUE;
  desc.errorDiffusion = FALSE;
  desc.gamma = FALSE;
  desc.colorKey = request.colorKey;
  desc.palette = request.palette;

  lockFlags = flags;
  surface = request.surface;
  return S_OK;
}

HRESULT SurfaceLock::MakeCopy(IDirect3DSurface9* source, const D3DSURFACE_DESC& info,
                              bool wholeWrite) {
  const UINT shift = CopyLevelShift(info);
  if ((info.Width << shift >> shift) != info.Width ||
      (info.Height << shift >> shift) != info.Height) {
    return D3DERR_INVALIDCALL;
  }
  HRESULT hr = source->GetDevice(device.ReleaseAndGetAddressOf());
  if (SUCCEEDED(hr)) {
    const D3DPOOL pool = info.Pool == D3DPOOL_SCRATCH ? D3DPOOL_SCRATCH : D3DPOOL_SYSTEMMEM;
    hr = device->CreateTexture(info.Width << shift, info.Height << shift, shift + 1, 0,
                               info.Format, pool, tempTexture.ReleaseAndGetAddressOf(), nullptr);
  }
  if (SUCCEEDED(hr)) hr = tempTexture->GetSurfaceLevel(shift, tempSurface.ReleaseAndGetAddressOf());
  if (SUCCEEDED(hr) && !wholeWrite) {
    {
      MutedDebugOutput muted;
      hr = CopySurfaceBits(source, tempSurface.Get());
    }
    // A render target of a block format can't exist, so only unshifted copies try one.
    if (FAILED(hr) && shift == 0) hr = FillThroughRenderTarget(source, info);
  }
  if (FAILED(hr)) ReleaseAll();
  return hr;
}

HRESULT SurfaceLock::FillThroughRenderTarget(IDirect3DSurface9* source,
                                             const D3DSURFACE_DESC& info) {
  ComPtr<IDirect3DSurface9> target;
  HRESULT hr = device->CreateRenderTarget(info.Width, info.Height, info.Format,
                                          D3DMULTISAMPLE_NONE, 0, TRUE, target.GetAddressOf(),
                                          nullptr);
  if (FAILED(hr)) return hr;
  hr = device->StretchRect(source, nullptr, target.Get(), nullptr, D3DTEXF_NONE);
  if (FAILED(hr)) return hr;
  return CopySurfaceBits(target.Get(), tempSurface.Get());
}

void SurfaceLock::Unlock() {
  if (surface) {
    LockedSurface()->UnlockRect();
    if (tempSurface && device && !(lockFlags & SURFACE_LOCK_READONLY)) {
      // The write-back can't fail visibly: when the device won't copy, the bytes are copied by
      // locking, and a failure of that is ignored.
      MutedDebugOutput muted;
      const POINT origin = {0, 0};
      if (FAILED(device->UpdateSurface(tempSurface.Get(), nullptr, surface.Get(), &origin))) {
        CopySurfaceBits(tempSurface.Get(), surface.Get());
      }
    }
  }
  ReleaseAll();
}

void SurfaceLock::ReleaseAll() {
  tempSurface = nullptr;
  tempTexture = nullptr;
  device = nullptr;
  surface = nullptr;
  lockFlags = 0;
}
