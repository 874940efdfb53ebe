// SurfaceLock gives the conversion engine the memory of a rectangle of a surface: it locks the
// rectangle with the right Direct3D flags, widens it to whole blocks or pairs where the format
// needs that, and describes the result as a PixelBlockDesc. A surface that can't be locked
// directly (one in D3DPOOL_DEFAULT, say) is locked through a system-memory copy, which is
// filled from the surface first unless the whole surface is about to be written, and written
// back on unlock unless the lock was read-only.
#pragma once

#include "d3d9/d3d9.h"
#include "ut/pixel/pixel_block_desc.h"
#include "ut/surface/lock_flags.h"
#include "win32/com_ptr.h"

class SurfaceLock {
 public:
  SurfaceLock() = default;
  ~SurfaceLock() { Unlock(); }
  SurfaceLock(const SurfaceLock&) = delete;
  SurfaceLock& operator=(const SurfaceLock&) = delete;

  // Locks `rect` of `surface` (null: the whole surface) with SURFACE_LOCK_* `flags` and fills
  // `desc`; `palette` (256 entries or null) and `colorKey` go into the description. Releases a
  // previous lock first. Returns S_OK, D3DERR_INVALIDCALL for a null argument or a rectangle
  // outside the surface, or the error of the device call that failed; after a failure nothing
  // is held. `desc` stays valid until Unlock.
  HRESULT Lock(PixelBlockDesc* desc, IDirect3DSurface9* surface, const PALETTEENTRY* palette,
               const RECT* rect, D3DCOLOR colorKey, DWORD flags);

  // Unlocks, writes a copy back (unless read-only) and releases every reference. Never fails;
  // does nothing when nothing is locked.
  void Unlock();

  // The surface that is locked now: the temporary copy's level or the caller's surface; null
  // when nothing is locked.
  IDirect3DSurface9* LockedSurface() const {
    return tempSurface ? tempSurface.Get() : surface.Get();
  }

 private:
  struct Request;

  // One attempt of the lock. Sets `*retryThroughCopy` when a direct lock of the surface failed.
  HRESULT LockOnce(const Request& request, DWORD flags, bool* retryThroughCopy);
  // Creates the temporary copy and, unless `wholeWrite`, fills it from the surface.
  HRESULT MakeCopy(IDirect3DSurface9* source, const D3DSURFACE_DESC& desc, bool wholeWrite);
  // Fills the copy from a surface that can't be locked, through a lockable render target.
  HRESULT FillThroughRenderTarget(IDirect3DSurface9* source, const D3DSURFACE_DESC& desc);
  void ReleaseAll();

  DWORD lockFlags = 0;                      // SURFACE_LOCK_* of the current lock
  ComPtr<IDirect3DSurface9> surface;        // the caller's surface, while locked
  ComPtr<IDirect3DSurface9> tempSurface;    // the copy's level that is locked instead, or null
  ComPtr<IDirect3DTexture9> tempTexture;    // the copy, or null
  ComPtr<IDirect3DDevice9> device;          // held only while a copy exists
};
