// 2D and cube textures: chains of surfaces.
#pragma once

#include <vector>

#include "d3d9/runtime/base_texture.h"
#include "d3d9/runtime/surface.h"

namespace d3d9rt {

class Texture final : public BaseTextureImpl<IDirect3DTexture9> {
 public:
  // `shape` has passed ValidateTextureRequest.
  static HRESULT Create(Device* device, const TextureShape& shape, Texture** out);

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override {
    return QueryTexture(riid, IID_IDirect3DTexture9, ppvObject);
  }
  HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
  HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) override;
  HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                   DWORD Flags) override;
  HRESULT UnlockRect(UINT Level) override;
  HRESULT AddDirtyRect(const RECT* pDirtyRect) override { return AddDirtyRectOf(0, pDirtyRect); }

  // Every stored level, the hidden sublevels of automatic mipmaps included.
  Surface* LevelSurface(UINT level) const { return levels_[level]; }

 private:
  Texture(Device* device, const TextureShape& shape) : BaseTextureImpl(device, shape) {}
  ~Texture() override;

  std::vector<Surface*> levels_;
};

class CubeTexture final : public BaseTextureImpl<IDirect3DCubeTexture9> {
 public:
  static HRESULT Create(Device* device, const TextureShape& shape, CubeTexture** out);

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override {
    return QueryTexture(riid, IID_IDirect3DCubeTexture9, ppvObject);
  }
  HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
  HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES FaceType, UINT Level,
                            IDirect3DSurface9** ppCubeMapSurface) override;
  HRESULT LockRect(D3DCUBEMAP_FACES FaceType, UINT Level, D3DLOCKED_RECT* pLockedRect,
                   const RECT* pRect, DWORD Flags) override;
  HRESULT UnlockRect(D3DCUBEMAP_FACES FaceType, UINT Level) override;
  HRESULT AddDirtyRect(D3DCUBEMAP_FACES FaceType, const RECT* pDirtyRect) override;

  Surface* LevelSurface(UINT face, UINT level) const {
    return levels_[face * shape_.storedLevels + level];
  }

 private:
  CubeTexture(Device* device, const TextureShape& shape) : BaseTextureImpl(device, shape) {}
  ~CubeTexture() override;
  // Null, with a debug message, for a face or level out of range.
  Surface* Find(const char* call, D3DCUBEMAP_FACES face, UINT level);

  std::vector<Surface*> levels_;  // face-major
};

// The surfaces of a texture being built, created in face-major order; on failure the caller
// releases the half-built texture, which unretains what was made.
HRESULT CreateTextureLevels(Device* device, TextureStore* container, const TextureShape& shape,
                            std::vector<Surface*>* levels, std::vector<PixelPlane*>* planes);

}  // namespace d3d9rt
