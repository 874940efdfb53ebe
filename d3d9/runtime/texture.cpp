#include "d3d9/runtime/texture.h"

#include <new>

#include "d3d9/runtime/device.h"

namespace d3d9rt {

HRESULT CreateTextureLevels(Device* device, TextureStore* container, const TextureShape& shape,
                            std::vector<Surface*>* levels, std::vector<PixelPlane*>* planes) {
  const UINT faces = shape.type == D3DRTYPE_CUBETEXTURE ? 6 : 1;
  levels->reserve(faces * shape.storedLevels);
  planes->reserve(faces * shape.storedLevels);
  for (UINT face = 0; face < faces; ++face) {
    for (UINT level = 0; level < shape.storedLevels; ++level) {
      const SurfaceSpec s = {SurfaceRole::kTextureLevel,
                             LevelExtent(shape.width, level),
                             LevelExtent(shape.height, level),
                             shape.format,
                             shape.usage,
                             shape.pool,
                             D3DMULTISAMPLE_NONE,
                             0,
                             false};
      Surface* surface = nullptr;
      const HRESULT hr = Surface::CreateLevel(device, container, face, level, s, &surface);
      if (FAILED(hr)) {
        return shape.pool == D3DPOOL_DEFAULT && hr == E_OUTOFMEMORY ? D3DERR_OUTOFVIDEOMEMORY : hr;
      }
      levels->push_back(surface);
      planes->push_back(&surface->Plane());
    }
  }
  return D3D_OK;
}

// 2D textures.

HRESULT Texture::Create(Device* device, const TextureShape& shape, Texture** out) {
  Texture* texture = new (std::nothrow) Texture(device, shape);
  if (!texture) return E_OUTOFMEMORY;
  const HRESULT hr = CreateTextureLevels(device, texture, shape, &texture->levels_,
                                         &texture->planes_);
  if (FAILED(hr)) {
    texture->Release();
    return hr;
  }
  *out = texture;
  return D3D_OK;
}

Texture::~Texture() {
  for (Surface* level : levels_) level->Unretain();
}

HRESULT Texture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
  if (Level >= shape_.levels || !pDesc) {
    return DebugError(D3DERR_INVALIDCALL, "GetLevelDesc: level %u of %u, or null output", Level,
                      shape_.levels);
  }
  return levels_[Level]->GetDesc(pDesc);
}

HRESULT Texture::GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) {
  if (Level >= shape_.levels || !ppSurfaceLevel) {
    return DebugError(D3DERR_INVALIDCALL, "GetSurfaceLevel: level %u of %u, or null output",
                      Level, shape_.levels);
  }
  levels_[Level]->AddRef();
  *ppSurfaceLevel = levels_[Level];
  return D3D_OK;
}

HRESULT Texture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                          DWORD Flags) {
  if (Level >= shape_.levels) {
    return DebugError(D3DERR_INVALIDCALL, "LockRect: level %u of %u", Level, shape_.levels);
  }
  return levels_[Level]->LockRect(pLockedRect, pRect, Flags);
}

HRESULT Texture::UnlockRect(UINT Level) {
  if (Level >= shape_.levels) {
    return DebugError(D3DERR_INVALIDCALL, "UnlockRect: level %u of %u", Level, shape_.levels);
  }
  return levels_[Level]->UnlockRect();
}

// Cube textures.

HRESULT CubeTexture::Create(Device* device, const TextureShape& shape, CubeTexture** out) {
  CubeTexture* texture = new (std::nothrow) CubeTexture(device, shape);
  if (!texture) return E_OUTOFMEMORY;
  const HRESULT hr = CreateTextureLevels(device, texture, shape, &texture->levels_,
                                         &texture->planes_);
  if (FAILED(hr)) {
    texture->Release();
    return hr;
  }
  *out = texture;
  return D3D_OK;
}

CubeTexture::~CubeTexture() {
  for (Surface* level : levels_) level->Unretain();
}

Surface* CubeTexture::Find(const char* call, D3DCUBEMAP_FACES face, UINT level) {
  if (face > D3DCUBEMAP_FACE_NEGATIVE_Z || level >= shape_.levels) {
    DebugError(D3DERR_INVALIDCALL, "%s: face %u level %u of a cube with %u levels", call, face,
               level, shape_.levels);
    return nullptr;
  }
  return LevelSurface(face, level);
}

HRESULT CubeTexture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
  if (Level >= shape_.levels || !pDesc) {
    return DebugError(D3DERR_INVALIDCALL, "GetLevelDesc: level %u of %u, or null output", Level,
                      shape_.levels);
  }
  return LevelSurface(0, Level)->GetDesc(pDesc);
}

HRESULT CubeTexture::GetCubeMapSurface(D3DCUBEMAP_FACES FaceType, UINT Level,
                                       IDirect3DSurface9** ppCubeMapSurface) {
  Surface* surface = Find("GetCubeMapSurface", FaceType, Level);
  if (!surface) return D3DERR_INVALIDCALL;
  if (!ppCubeMapSurface) return DebugError(D3DERR_INVALIDCALL, "GetCubeMapSurface: null output");
  surface->AddRef();
  *ppCubeMapSurface = surface;
  return D3D_OK;
}

HRESULT CubeTexture::LockRect(D3DCUBEMAP_FACES FaceType, UINT Level,
                              D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
  Surface* surface = Find("LockRect", FaceType, Level);
  return surface ? surface->LockRect(pLockedRect, pRect, Flags) : D3DERR_INVALIDCALL;
}

HRESULT CubeTexture::UnlockRect(D3DCUBEMAP_FACES FaceType, UINT Level) {
  Surface* surface = Find("UnlockRect", FaceType, Level);
  return surface ? surface->UnlockRect() : D3DERR_INVALIDCALL;
}

HRESULT CubeTexture::AddDirtyRect(D3DCUBEMAP_FACES FaceType, const RECT* pDirtyRect) {
  if (FaceType > D3DCUBEMAP_FACE_NEGATIVE_Z) {
    return DebugError(D3DERR_INVALIDCALL, "AddDirtyRect: face %u", FaceType);
  }
  return AddDirtyRectOf(FaceType, pDirtyRect);
}

}  // namespace d3d9rt
