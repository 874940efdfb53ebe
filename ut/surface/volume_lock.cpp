#include "ut/surface/volume_lock.h"

#include "ut/surface/lock_units.h"
#include "ut/surface/muted_debug_output.h"

namespace {

bool InsideVolume(const D3DBOX& box, const D3DVOLUME_DESC& info) {
  return box.Right <= info.Width && box.Left <= box.Right && box.Bottom <= info.Height &&
         box.Top <= box.Bottom && box.Back <= info.Depth && box.Front <= box.Back;
}

bool IsWhole(const D3DBOX& box, const D3DVOLUME_DESC& info) {
  return box.Left == 0 && box.Top == 0 && box.Front == 0 && box.Right == info.Width &&
         box.Bottom == info.Height && box.Back == info.Depth;
}

// As for surfaces: D3DLOCK_DISCARD throws away every level, so without the caller's word it is
// used only on a volume texture that has no other level.
bool MayDiscard(IDirect3DVolume9* volume, DWORD flags) {
  if (flags & SURFACE_LOCK_DISCARD_OK) return true;
  MutedDebugOutput muted;
  ComPtr<IDirect3DVolumeTexture9> texture;
  if (FAILED(volume->GetContainer(IID_IDirect3DVolumeTexture9,
                                  reinterpret_cast<void**>(texture.GetAddressOf()))) ||
      !texture) {
    return false;
  }
  return texture->GetLevelCount() == 1;
}

}  // namespace

HRESULT VolumeLock::Lock(PixelBlockDesc* desc, IDirect3DVolume9* volumeToLock,
                         const PALETTEENTRY* palette, const D3DBOX* box, D3DCOLOR colorKey,
                         DWORD flags) {
  Unlock();
  if (!desc || !volumeToLock) return D3DERR_INVALIDCALL;
  D3DVOLUME_DESC info;
  HRESULT hr = volumeToLock->GetDesc(&info);
  if (FAILED(hr)) return hr;

  D3DBOX area = {0, 0, info.Width, info.Height, 0, info.Depth};
  bool partial = false;
  if (box) {
    if (!InsideVolume(*box, info)) return D3DERR_INVALIDCALL;
    area = *box;
    partial = !IsWhole(area, info);
  }
  const bool readOnly = flags & SURFACE_LOCK_READONLY;
  const bool wholeWrite = !readOnly && !partial;
  const bool dynamic = info.Usage & D3DUSAGE_DYNAMIC;
  if (info.Pool == D3DPOOL_DEFAULT && !dynamic) return D3DERR_INVALIDCALL;

  DWORD d3dFlags = D3DLOCK_NOSYSLOCK | (readOnly ? D3DLOCK_READONLY : 0);
  if (wholeWrite && dynamic && MayDiscard(volumeToLock, flags)) d3dFlags |= D3DLOCK_DISCARD;

  // Blocks and pairs are locked whole, across and down; front and back stay as asked.
  D3DBOX locked = area;
  if (partial) {
    const LockArea widened = WidenToUnits(FindLockUnit(info.Format),
                                          {area.Left, area.Top, area.Right, area.Bottom},
                                          info.Width, info.Height);
    locked = {widened.left, widened.top, widened.right, widened.bottom, area.Front, area.Back};
    partial = !IsWhole(locked, info);
  }

  D3DLOCKED_BOX lockedBox = {};
  hr = volumeToLock->LockBox(&lockedBox, partial ? &locked : nullptr, d3dFlags);
  if (FAILED(hr)) return hr;

  if (partial) {
    area.Left -= locked.Left;
    area.Right -= locked.Left;
    area.Top -= locked.Top;
    area.Bottom -= locked.Top;
    area.Front -= locked.Front;
    area.Back -= locked.Front;
  }
  desc->bits = lockedBox.pBits;
  desc->format = info.Format;
  desc->rowPitch = static_cast<UINT>(lockedBox.RowPitch);
  desc->slicePitch = static_cast<UINT>(lockedBox.SlicePitch);
  desc->extent = {0, 0, info.Width, info.Height, 0, info.Depth};
  desc->region = area;
  desc->orderedDither = TRUE;
  desc->errorDiffusion = FALSE;
  desc->gamma = FALSE;
  desc->colorKey = colorKey;
  desc->palette = palette;

  volume = volumeToLock;
  return S_OK;
}

void VolumeLock::Unlock() {
  if (volume) volume->UnlockBox();
  volume = nullptr;
}
