// Surfaces: levels of 2D textures and cube faces, render targets, depth-stencil surfaces,
// offscreen plain surfaces and the back buffer.
#pragma once

#include "d3d9/runtime/pixel_plane.h"
#include "d3d9/runtime/resource_impl.h"

namespace d3d9rt {

class TextureStore;

enum class SurfaceRole {
  kTextureLevel,    // a level of a 2D texture or of a cube face; its container is the texture
  kRenderTarget,    // CreateRenderTarget
  kDepthStencil,    // CreateDepthStencilSurface and the automatic depth-stencil surface
  kOffscreenPlain,  // CreateOffscreenPlainSurface
  kBackBuffer,      // the device's back buffer
};

struct SurfaceSpec {
  SurfaceRole role;
  UINT width;
  UINT height;
  D3DFORMAT format;
  DWORD usage;
  D3DPOOL pool;
  D3DMULTISAMPLE_TYPE multiSample;
  DWORD multiSampleQuality;
  bool lockable;  // render targets and depth-stencil surfaces only; others follow the pool rule
};

class Surface final : public ResourceImpl<IDirect3DSurface9> {
 public:
  // A standalone surface, handed out with one reference (`implicit`: held by the device
  // instead, with no outside reference). The format's storage must be known.
  static HRESULT CreateStandalone(Device* device, const SurfaceSpec& shape, bool implicit,
                                  Surface** out);
  // A level of a texture: its references are the container's.
  static HRESULT CreateLevel(Device* device, TextureStore* container, UINT face, UINT level,
                             const SurfaceSpec& shape, Surface** out);

  // IUnknown
  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override;
  ULONG Release() override;
  // IDirect3DResource9
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  // IDirect3DSurface9
  HRESULT GetContainer(REFIID riid, void** ppContainer) override;
  HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override;
  HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
  HRESULT UnlockRect() override;

  // The runtime's own view.
  const D3DSURFACE_DESC& Desc() const { return desc_; }
  SurfaceRole Role() const { return role_; }
  bool IsLockable() const;
  bool IsRenderTarget() const { return desc_.Usage & D3DUSAGE_RENDERTARGET; }
  bool IsDepthStencil() const { return desc_.Usage & D3DUSAGE_DEPTHSTENCIL; }
  TextureStore* Container() const { return container_; }
  PixelPlane& Plane() { return plane_; }
  // Tells the container that the runtime wrote `area` (copies, fills, rendering).
  void NoteWritten(const Area& area, bool markDirty);

 private:
  Surface(Device* device, const SurfaceSpec& shape, TextureStore* container, UINT face,
          UINT level, bool implicit);
  ~Surface() override;

  D3DSURFACE_DESC desc_;
  SurfaceRole role_;
  bool lockable_;
  TextureStore* container_;
  UINT face_;
  UINT level_;
  bool countedInPool_;
  PixelPlane plane_;
};

// Our surface behind an interface pointer, or null for an object of another implementation.
Surface* AsSurface(IDirect3DSurface9* surface);

}  // namespace d3d9rt
