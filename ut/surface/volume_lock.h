// VolumeLock gives the conversion engine the memory of a box of a volume: it locks the box
// with the right Direct3D flags, widens it to whole blocks or pairs where the format needs
// that, and describes the result as a PixelBlockDesc. Volumes have no temporary copy, so a
// volume in D3DPOOL_DEFAULT must be dynamic to be locked.
#pragma once

#include "d3d9/d3d9.h"
#include "ut/pixel/pixel_block_desc.h"
#include "ut/surface/lock_flags.h"
#include "win32/com_ptr.h"

class VolumeLock {
 public:
  VolumeLock() = default;
  ~VolumeLock() { Unlock(); }
  VolumeLock(const VolumeLock&) = delete;
  VolumeLock& operator=(const VolumeLock&) = delete;

  // Locks `box` of `volume` (null: the whole volume) with SURFACE_LOCK_* `flags` (
  // SURFACE_LOCK_VIA_COPY is ignored) and fills `desc`; `palette` and `colorKey` go into the
  // description. Releases a previous lock first. Returns S_OK, D3DERR_INVALIDCALL for a null
  // argument, a box outside the volume or a volume that can't be locked, or the error of the
  // failed lock; after a failure nothing is held. `desc` stays valid until Unlock.
  HRESULT Lock(PixelBlockDesc* desc, IDirect3DVolume9* volume, const PALETTEENTRY* palette,
               const D3DBOX* box, D3DCOLOR colorKey, DWORD flags);

  // Unlocks and releases the volume. Never fails; does nothing when nothing is locked.
  void Unlock();

  IDirect3DVolume9* LockedVolume() const { return volume.Get(); }

 private:
  ComPtr<IDirect3DVolume9> volume;  // the locked volume, referenced while locked
};
