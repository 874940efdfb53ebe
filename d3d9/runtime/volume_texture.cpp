#include "d3d9/runtime/volume_texture.h"

#include <new>

#include "d3d9/runtime/device.h"

namespace d3d9rt {

HRESULT VolumeTexture::Create(Device* device, const TextureSpec& spec, VolumeTexture** out) {
  VolumeTexture* texture = new (std::nothrow) VolumeTexture(device, spec);
  if (!texture) return E_OUTOFMEMORY;
  texture->levels_.reserve(spec.storedLevels);
  texture->planes_.reserve(spec.storedLevels);
  for (UINT level = 0; level < spec.storedLevels; ++level) {
    const D3DVOLUME_DESC desc = {spec.format,
                                 D3DRTYPE_VOLUME,
                                 spec.usage,
                                 spec.pool,
                                 LevelExtent(spec.width, level),
                                 LevelExtent(spec.height, level),
                                 LevelExtent(spec.depth, level)};
    Volume* volume = nullptr;
    HRESULT hr = Volume::Create(device, texture, level, desc, &volume);
    if (FAILED(hr)) {
      texture->Release();
      return spec.pool == D3DPOOL_DEFAULT && hr == E_OUTOFMEMORY ? D3DERR_OUTOFVIDEOMEMORY : hr;
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
  if (Level >= spec_.levels || !pDesc) {
    return DebugError(D3DERR_INVALIDCALL, "GetLevelDesc: level %u of %u, or null output", Level,
                      spec_.levels);
  }
  return levels_[Level]->GetDesc(pDesc);
}

HRESULT VolumeTexture::GetVolumeLevel(UINT Level, IDirect3DVolume9** ppVolumeLevel) {
  if (Level >= spec_.levels || !ppVolumeLevel) {
    return DebugError(D3DERR_INVALIDCALL, "GetVolumeLevel: level %u of %u, or null output",
                      Level, spec_.levels);
  }
  levels_[Level]->AddRef();
  *ppVolumeLevel = levels_[Level];
  return D3D_OK;
}

HRESULT VolumeTexture::LockBox(UINT Level, D3DLOCKED_BOX* pLockedVolume, const D3DBOX* pBox,
                               DWORD Flags) {
  if (Level >= spec_.levels) {
    return DebugError(D3DERR_INVALIDCALL, "LockBox: level %u of %u", Level, spec_.levels);
  }
  return levels_[Level]->LockBox(pLockedVolume, pBox, Flags);
}

HRESULT VolumeTexture::UnlockBox(UINT Level) {
  if (Level >= spec_.levels) {
    return DebugError(D3DERR_INVALIDCALL, "UnlockBox: level %u of %u", Level, spec_.levels);
  }
  return levels_[Level]->UnlockBox();
}

HRESULT VolumeTexture::AddDirtyBox(const D3DBOX* pDirtyBox) {
  if (!pDirtyBox) {
    AddDirty(0, {0, 0, 0, spec_.width, spec_.height, spec_.depth}, 0);
    return D3D_OK;
  }
  const Area area = {pDirtyBox->Left, pDirtyBox->Top, pDirtyBox->Front,
                     pDirtyBox->Right, pDirtyBox->Bottom, pDirtyBox->Back};
  if (area.left >= area.right || area.top >= area.bottom || area.front >= area.back ||
      area.right > spec_.width || area.bottom > spec_.height || area.back > spec_.depth) {
    return DebugError(D3DERR_INVALIDCALL, "AddDirtyBox: box outside the texture");
  }
  AddDirty(0, area, 0);
  return D3D_OK;
}

}  // namespace d3d9rt
