#include "d3d9/runtime/volume.h"

#include <new>

#include "d3d9/runtime/debug_log.h"
#include "d3d9/runtime/device.h"
#include "d3d9/runtime/runtime_state.h"
#include "d3d9/runtime/texture_store.h"

namespace d3d9rt {

Volume::Volume(Device* device, TextureStore* container, UINT level, const D3DVOLUME_DESC& desc)
    : ObjectLifetime(nullptr, 0), device_(device), container_(container), level_(level),
      desc_(desc) {}

HRESULT Volume::Create(Device* device, TextureStore* container, UINT level,
                       const D3DVOLUME_DESC& desc, Volume** out) {
  const FormatLayout* layout = FindFormatLayout(desc.Format);
  if (!layout) return D3DERR_INVALIDCALL;
  Volume* volume = new (std::nothrow) Volume(device, container, level, desc);
  if (!volume) return E_OUTOFMEMORY;
  volume->Retain();
  const HRESULT hr = volume->plane_.Allocate(*layout, desc.Width, desc.Height, desc.Depth,
                                               PixelPlane::Contents::kUndefined);
  if (FAILED(hr)) {
    volume->Unretain();
    return hr;
  }
  *out = volume;
  return D3D_OK;
}

HRESULT Volume::QueryInterface(REFIID riid, void** ppvObject) {
  if (!ppvObject) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDirect3DVolume9) {
    AddRef();
    *ppvObject = static_cast<IDirect3DVolume9*>(this);
    return S_OK;
  }
  *ppvObject = nullptr;
  return E_NOINTERFACE;
}

ULONG Volume::AddRef() { return container_->Lifetime().AddExternal(); }
ULONG Volume::Release() { return container_->Lifetime().ReleaseExternal(); }

HRESULT Volume::GetDevice(IDirect3DDevice9** ppDevice) {
  if (!ppDevice) return DebugError(D3DERR_INVALIDCALL, "GetDevice: null output pointer");
  IDirect3DDevice9* device = AsInterface(device_);
  device->AddRef();
  *ppDevice = device;
  return D3D_OK;
}

HRESULT Volume::GetContainer(REFIID riid, void** ppContainer) {
  if (!ppContainer) return DebugError(D3DERR_INVALIDCALL, "GetContainer: null output pointer");
  return container_->QueryContainer(riid, ppContainer);
}

HRESULT Volume::GetDesc(D3DVOLUME_DESC* pDesc) {
  if (!pDesc) return DebugError(D3DERR_INVALIDCALL, "GetDesc: null output pointer");
  *pDesc = desc_;
  return D3D_OK;
}

HRESULT Volume::LockBox(D3DLOCKED_BOX* pLockedVolume, const D3DBOX* pBox, DWORD Flags) {
  const Area whole = plane_.Whole();
  LockRecord record = {kLockBox, desc_.Format, desc_.Pool, desc_.Usage, Flags, pBox == nullptr,
                       {}, D3D_OK};
  record.area = pBox ? *pBox : D3DBOX{0, 0, whole.right, whole.bottom, 0, whole.back};
  const Area area = pBox ? Area{pBox->Left, pBox->Top, pBox->Front, pBox->Right, pBox->Bottom,
                                pBox->Back}
                         : whole;
  const bool dynamic = desc_.Usage & D3DUSAGE_DYNAMIC;

  HRESULT hr = EnterCall(kLockBox);
  if (FAILED(hr)) {
    hr = DebugError(hr, "LockBox: injected failure");
  } else if (!pLockedVolume) {
    hr = DebugError(D3DERR_INVALIDCALL, "LockBox: null output pointer");
  } else if (desc_.Pool == D3DPOOL_DEFAULT && !dynamic) {
    hr = DebugError(D3DERR_INVALIDCALL,
                    "LockBox: a volume in D3DPOOL_DEFAULT without D3DUSAGE_DYNAMIC can't be "
                    "locked");
  } else if (!ValidLockFlags(Flags, dynamic, false)) {
    hr = DebugError(D3DERR_INVALIDCALL, "LockBox: invalid flags %#x", Flags);
  } else if (plane_.Locked()) {
    hr = DebugError(D3DERR_INVALIDCALL, "LockBox: the volume is already locked");
  } else if (!plane_.IsValidArea(area)) {
    hr = DebugError(D3DERR_INVALIDCALL,
                    "LockBox: box (%u, %u, %u)-(%u, %u, %u) is empty, outside the %ux%ux%u "
                    "volume or not aligned to the format's blocks",
                    area.left, area.top, area.front, area.right, area.bottom, area.back,
                    desc_.Width, desc_.Height, desc_.Depth);
  } else {
    pLockedVolume->pBits = plane_.Lock(area, Flags);
    pLockedVolume->RowPitch = static_cast<INT>(plane_.RowPitch());
    pLockedVolume->SlicePitch = static_cast<INT>(plane_.SlicePitch());
    if (!(Flags & D3DLOCK_READONLY)) {
      container_->LevelWritten(0, level_, area, !(Flags & D3DLOCK_NO_DIRTY_UPDATE));
    }
  }
  record.result = hr;
  RecordLock(record);
  return hr;
}

HRESULT Volume::UnlockBox() {
  if (!plane_.Unlock()) return DebugError(D3DERR_INVALIDCALL, "UnlockBox: not locked");
  return D3D_OK;
}

}  // namespace d3d9rt
