// Resource creation.
#include "d3d9/runtime/debug_log.h"
#include "d3d9/runtime/device.h"
#include "d3d9/runtime/runtime_state.h"
#include "d3d9/runtime/surface.h"
#include "d3d9/runtime/texture.h"
#include "d3d9/runtime/vertex_buffer.h"
#include "d3d9/runtime/volume_texture.h"

namespace d3d9rt {
namespace {

// What every creation checks first: the injected failure, the output pointer, no sharing.
HRESULT BeginCreation(Call call, const char* name, const void* out, const HANDLE* shared) {
  HRESULT hr = EnterCall(call);
  if (FAILED(hr)) return DebugError(hr, "%s: injected failure", name);
  if (!out) return DebugError(D3DERR_INVALIDCALL, "%s: null output pointer", name);
  if (shared) return DebugError(D3DERR_INVALIDCALL, "%s: shared resources are not supported", name);
  return D3D_OK;
}

template <class Kind, class Interface>
HRESULT CreateTextureOf(Device* device, const char* name, TextureShape shape, Interface** out) {
  HRESULT hr = ValidateTextureRequest(device, name, &shape);
  if (FAILED(hr)) return hr;
  Kind* texture = nullptr;
  hr = Kind::Create(device, shape, &texture);
  if (FAILED(hr)) return DebugError(hr, "%s: out of memory", name);
  *out = texture;
  return D3D_OK;
}

}  // namespace

HRESULT Device::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage,
                              D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture9** ppTexture,
                              HANDLE* pSharedHandle) {
  HRESULT hr = BeginCreation(kCreateTexture, "CreateTexture", ppTexture, pSharedHandle);
  if (FAILED(hr)) return hr;
  const TextureShape shape = {D3DRTYPE_TEXTURE, Width, Height, 1, Levels, 0, Usage, Format, Pool};
  return CreateTextureOf<Texture>(this, "CreateTexture", shape, ppTexture);
}

HRESULT Device::CreateCubeTexture(UINT EdgeLength, UINT Levels, DWORD Usage, D3DFORMAT Format,
                                  D3DPOOL Pool, IDirect3DCubeTexture9** ppCubeTexture,
                                  HANDLE* pSharedHandle) {
  HRESULT hr = BeginCreation(kCreateCubeTexture, "CreateCubeTexture", ppCubeTexture,
                             pSharedHandle);
  if (FAILED(hr)) return hr;
  const TextureShape shape = {D3DRTYPE_CUBETEXTURE, EdgeLength, EdgeLength, 1, Levels, 0, Usage,
                            Format, Pool};
  return CreateTextureOf<CubeTexture>(this, "CreateCubeTexture", shape, ppCubeTexture);
}

HRESULT Device::CreateVolumeTexture(UINT Width, UINT Height, UINT Depth, UINT Levels,
                                    DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                    IDirect3DVolumeTexture9** ppVolumeTexture,
                                    HANDLE* pSharedHandle) {
  HRESULT hr = BeginCreation(kCreateVolumeTexture, "CreateVolumeTexture", ppVolumeTexture,
                             pSharedHandle);
  if (FAILED(hr)) return hr;
  const TextureShape shape = {D3DRTYPE_VOLUMETEXTURE, Width, Height, Depth, Levels, 0, Usage,
                            Format, Pool};
  return CreateTextureOf<VolumeTexture>(this, "CreateVolumeTexture", shape, ppVolumeTexture);
}

HRESULT Device::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                   IDirect3DVertexBuffer9** ppVertexBuffer,
                                   HANDLE* pSharedHandle) {
  HRESULT hr = BeginCreation(kCreateVertexBuffer, "CreateVertexBuffer", ppVertexBuffer,
                             pSharedHandle);
  if (FAILED(hr)) return hr;
  VertexBuffer* buffer = nullptr;
  hr = VertexBuffer::Create(this, Length, Usage, FVF, Pool, &buffer);
  if (FAILED(hr)) return hr;
  *ppVertexBuffer = buffer;
  return D3D_OK;
}

namespace {

// Size and format checks of standalone surfaces.
HRESULT CheckSurface(const char* name, UINT width, UINT height, const D3DCAPS9& caps,
                     DWORD usage, D3DPOOL pool, D3DFORMAT format, bool limitSize) {
  if (!width || !height) return DebugError(D3DERR_INVALIDCALL, "%s: zero size", name);
  if (limitSize && (width > caps.MaxTextureWidth || height > caps.MaxTextureHeight)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: %ux%u is larger than the device allows", name,
                      width, height);
  }
  if (!FindFormatLayout(format)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: format %#x has no known storage", name, format);
  }
  const HRESULT support = QueryFormatSupport(
      {CurrentDisplayMode().Format, usage, D3DRTYPE_SURFACE, pool, format});
  if (FAILED(support)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: format %#x is not supported", name, format);
  }
  if (IsBlockFormat(format) && pool != D3DPOOL_SCRATCH && (width % 4 || height % 4)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: DXT surfaces need sizes that are multiples of 4",
                      name);
  }
  return D3D_OK;
}

HRESULT CheckMultiSample(const char* name, D3DMULTISAMPLE_TYPE type, DWORD quality) {
  if (type != D3DMULTISAMPLE_NONE || quality != 0) {
    return DebugError(D3DERR_INVALIDCALL, "%s: multisampling is not supported", name);
  }
  return D3D_OK;
}

}  // namespace

HRESULT Device::CreateRenderTarget(UINT Width, UINT Height, D3DFORMAT Format,
                                   D3DMULTISAMPLE_TYPE MultiSample, DWORD MultisampleQuality,
                                   BOOL Lockable, IDirect3DSurface9** ppSurface,
                                   HANDLE* pSharedHandle) {
  const char* name = "CreateRenderTarget";
  HRESULT hr = BeginCreation(kCreateRenderTarget, name, ppSurface, pSharedHandle);
  if (FAILED(hr)) return hr;
  hr = CheckMultiSample(name, MultiSample, MultisampleQuality);
  if (FAILED(hr)) return hr;
  hr = CheckSurface(name, Width, Height, Caps(), D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, Format,
                    true);
  if (FAILED(hr)) return hr;
  const SurfaceSpec shape = {SurfaceRole::kRenderTarget, Width, Height, Format,
                            D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, MultiSample,
                            MultisampleQuality, Lockable != FALSE};
  Surface* surface = nullptr;
  hr = Surface::CreateStandalone(this, shape, false, &surface);
  if (FAILED(hr)) return DebugError(hr, "%s: out of memory", name);
  *ppSurface = surface;
  return D3D_OK;
}

HRESULT Device::CreateDepthStencilSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                          D3DMULTISAMPLE_TYPE MultiSample,
                                          DWORD MultisampleQuality, BOOL,
                                          IDirect3DSurface9** ppSurface, HANDLE* pSharedHandle) {
  const char* name = "CreateDepthStencilSurface";
  HRESULT hr = BeginCreation(kCreateDepthStencilSurface, name, ppSurface, pSharedHandle);
  if (FAILED(hr)) return hr;
  hr = CheckMultiSample(name, MultiSample, MultisampleQuality);
  if (FAILED(hr)) return hr;
  hr = CheckSurface(name, Width, Height, Caps(), D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, Format,
                    true);
  if (FAILED(hr)) return hr;
  const SurfaceSpec shape = {SurfaceRole::kDepthStencil, Width, Height, Format,
                            D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, MultiSample,
                            MultisampleQuality, IsLockableDepthFormat(Format)};
  Surface* surface = nullptr;
  hr = Surface::CreateStandalone(this, shape, false, &surface);
  if (FAILED(hr)) return DebugError(hr, "%s: out of memory", name);
  *ppSurface = surface;
  return D3D_OK;
}

HRESULT Device::CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                            D3DPOOL Pool, IDirect3DSurface9** ppSurface,
                                            HANDLE* pSharedHandle) {
  const char* name = "CreateOffscreenPlainSurface";
  HRESULT hr = BeginCreation(kCreateOffscreenPlainSurface, name, ppSurface, pSharedHandle);
  if (FAILED(hr)) return hr;
  if (Pool != D3DPOOL_DEFAULT && Pool != D3DPOOL_SYSTEMMEM && Pool != D3DPOOL_SCRATCH) {
    return DebugError(D3DERR_INVALIDCALL, "%s: invalid pool %u", name, Pool);
  }
  hr = CheckSurface(name, Width, Height, Caps(), 0, Pool, Format, Pool != D3DPOOL_SCRATCH);
  if (FAILED(hr)) return hr;
  const SurfaceSpec shape = {SurfaceRole::kOffscreenPlain, Width, Height, Format, 0, Pool,
                            D3DMULTISAMPLE_NONE, 0, true};
  Surface* surface = nullptr;
  hr = Surface::CreateStandalone(this, shape, false, &surface);
  if (FAILED(hr)) return DebugError(hr, "%s: out of memory", name);
  *ppSurface = surface;
  return D3D_OK;
}

}  // namespace d3d9rt
