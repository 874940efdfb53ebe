#include "d3d9/runtime/volume_texture.h"

#include <new>

#include "d3d9/runtime/device.h"

namespace d3d9rt {

HRESULT VolumeTexture::Create(Device* device, const TextureShape& shape, VolumeTexture** out) {
  VolumeTexture* texture = new (std::nothrow) VolumeTexture(device, shape);
  if (!texture) return E_OUTOFMEMORY;
  texture->levels_.reserve(shape.storedLevels);
  texture->planes_.reserve(shape.storedLevels);
  for (UINT level = 0; level < shape.storedLevels; ++level) {
    const D3DVOLUME_DESC desc = {shape.format,
                                 D3DRTYPE_VOLUME,
                                 shape.usage,
                                 shape.pool,
                                 LevelExtent(shape.width, level),
                                 LevelExtent(shape.height, level),
                                 LevelExtent(shape.depth, level)};
    Volume* volume = nullptr;
    HRESULT hr = Volume::Create(device, texture, level, desc, &volume);
    if (FAILED(hr)) {
      texture->Release();
      return shape.pool == D3DPOOL_DEFAULT && hr == E_OUTOFMEMORY ? D3DERR_OUTOFVIDEOMEMORY : hr;
    }
    texture->levels_.push_back(volume);
    texture->planes_.push_back(&volume->Plane());
  }
  *out = texture;
  return D3D_OK;
}

VolumeTexture::~VolumeTexture() {
  for (Volume* level : levels_) level->Unretain();
}

HRESULT VolumeTexture::GetLevelDesc(UINT Level, D3DVOLUME_DESC* pDesc) {
  if (Level >= shape_.levels || !pDesc) {
    return DebugError(D3DERR_INVALIDCALL, "GetLevelDesc: level %u of %u, or null output", Level,
                      shape_.levels);
  }
  return levels_[Level]->GetDesc(pDesc);
}

HRESULT VolumeTexture::GetVolumeLevel(UINT Level, IDirect3DVolume9** ppVolumeLevel) {
  if (Level >= shape_.levels || !ppVolumeLevel) {
    return DebugError(D3DERR_INVALIDCALL, "GetVolumeLevel: level %u of %u, or null output",
                      Level, shape_.levels);
  }
  levels_[Level]->AddRef();
  *ppVolumeLevel = levels_[Level];
  return D3D_OK;
}

HRESULT VolumeTexture::LockBox(UINT Level, D3DLOCKED_BOX* pLockedVolume, const D3DBOX* pBox,
                               DWORD Flags) {
  if (Level >= shape_.levels) {
    return DebugError(D3DERR_INVALIDCALL, "LockBox: level %u of %u", Level, shape_.levels);
  }
  return levels_[Level]->LockBox(pLockedVolume, pBox, Flags);
}

HRESULT VolumeTexture::UnlockBox(UINT Level) {
  if (Level >= shape_.levels) {
    return DebugError(D3DERR_INVALIDCALL, "UnlockBox: level %u of %u", Level, shape_.levels);
  }
  return levels_[Level]->UnlockBox();
}

HRESULT VolumeTexture::AddDirtyBox(const D3DBOX* pDirtyBox) {
  if (!pDirtyBox) {
    AddDirty(0, {0, 0, 0, shape_.width, shape_.height, shape_.depth}, 0);
    return D3D_OK;
  }
  const Area area = {pDirtyBox->Left, pDirtyBox->Top, pDirtyBox->Front,
                     pDirtyBox->Right, pDirtyBox->Bottom, pDirtyBox->Back};
  if (area.left >= area.right || area.top >= area.bottom || area.front >= area.back ||
      area.right > shape_.width || area.bottom > shape_.height || area.back > shape_.depth) {
    return DebugError(D3DERR_INVALIDCALL, "AddDirtyBox: box outside the texture");
  }
  AddDirty(0, area, 0);
  return D3D_OK;
}

}  // namespace d3d9rt
