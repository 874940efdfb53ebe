// Volume textures: chains of volumes.
#pragma once

#include <vector>

#include "d3d9/runtime/base_texture.h"
#include "d3d9/runtime/volume.h"

namespace d3d9rt {

class VolumeTexture final : public BaseTextureImpl<IDirect3DVolumeTexture9> {
 public:
  // `shape` has passed ValidateTextureRequest.
  static HRESULT Create(Device* device, const TextureShape& shape, VolumeTexture** out);

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override {
    return QueryTexture(riid, IID_IDirect3DVolumeTexture9, ppvObject);
  }
  HRESULT GetLevelDesc(UINT Level, D3DVOLUME_DESC* pDesc) override;
  HRESULT GetVolumeLevel(UINT Level, IDirect3DVolume9** ppVolumeLevel) override;
  HRESULT LockBox(UINT Level, D3DLOCKED_BOX* pLockedVolume, const D3DBOX* pBox,
                  DWORD Flags) override;
  HRESULT UnlockBox(UINT Level) override;
  HRESULT AddDirtyBox(const D3DBOX* pDirtyBox) override;

  Volume* LevelVolume(UINT level) const { return levels_[level]; }

 private:
  VolumeTexture(Device* device, const TextureShape& shape) : BaseTextureImpl(device, shape) {}
  ~VolumeTexture() override;

  std::vector<Volume*> levels_;
};

}  // namespace d3d9rt
