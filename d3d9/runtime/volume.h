// A level of a volume texture.
#pragma once

#include "d3d9/d3d9_interfaces.h"
#include "d3d9/runtime/object_lifetime.h"
#include "d3d9/runtime/pixel_plane.h"

namespace d3d9rt {

class Device;
class TextureStore;

class Volume final : public IDirect3DVolume9, public ObjectLifetime {
 public:
  // Its references are the container's.
  static HRESULT Create(Device* device, TextureStore* container, UINT level,
                        const D3DVOLUME_DESC& desc, Volume** out);

  // IUnknown
  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override;
  ULONG Release() override;
  // IDirect3DVolume9
  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override;
  HRESULT GetContainer(REFIID riid, void** ppContainer) override;
  HRESULT GetDesc(D3DVOLUME_DESC* pDesc) override;
  HRESULT LockBox(D3DLOCKED_BOX* pLockedVolume, const D3DBOX* pBox, DWORD Flags) override;
  HRESULT UnlockBox() override;

  const D3DVOLUME_DESC& Desc() const { return desc_; }
  PixelPlane& Plane() { return plane_; }

 private:
  Volume(Device* device, TextureStore* container, UINT level, const D3DVOLUME_DESC& desc);
  ~Volume() override = default;

  Device* device_;
  TextureStore* container_;
  UINT level_;
  D3DVOLUME_DESC desc_;
  PixelPlane plane_;
};

}  // namespace d3d9rt
