// Fixed-function state and bindings. Bound resources are retained, not referenced: binding
// changes no reference count the application sees, and a resource released by the
// application stays alive while it is bound.
#include "d3d9/runtime/debug_log.h"
#include "d3d9/runtime/device.h"
#include "d3d9/runtime/surface.h"
#include "d3d9/runtime/texture_store.h"
#include "d3d9/runtime/vertex_buffer.h"

namespace d3d9rt {

HRESULT Device::SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) {
  if (RenderTargetIndex >= kRenderTargets || RenderTargetIndex >= Caps().NumSimultaneousRTs) {
    return DebugError(D3DERR_INVALIDCALL, "SetRenderTarget: index %u", RenderTargetIndex);
  }
  Surface* surface = nullptr;
  if (pRenderTarget) {
    surface = OwnSurface(pRenderTarget, "SetRenderTarget");
    if (!surface) return D3DERR_INVALIDCALL;
    if (!surface->IsRenderTarget()) {
      return DebugError(D3DERR_INVALIDCALL, "SetRenderTarget: not a render target");
    }
  } else if (RenderTargetIndex == 0) {
    return DebugError(D3DERR_INVALIDCALL, "SetRenderTarget: render target 0 can't be null");
  }
  if (surface) surface->Retain();
  Surface*& slot = state_.renderTargets[RenderTargetIndex];
  if (slot) slot->Unretain();
  slot = surface;
  if (RenderTargetIndex == 0) {
    state_.viewport = {0, 0, surface->Desc().Width, surface->Desc().Height, 0.0f, 1.0f};
  }
  return D3D_OK;
}

HRESULT Device::GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) {
  if (RenderTargetIndex >= kRenderTargets || !ppRenderTarget) {
    return DebugError(D3DERR_INVALIDCALL, "GetRenderTarget: index %u, or null output",
                      RenderTargetIndex);
  }
  Surface* surface = state_.renderTargets[RenderTargetIndex];
  if (!surface) return D3DERR_NOTFOUND;
  surface->AddRef();
  *ppRenderTarget = surface;
  return D3D_OK;
}

HRESULT Device::SetDepthStencilSurface(IDirect3DSurface9* pNewZStencil) {
  Surface* surface = nullptr;
  if (pNewZStencil) {
    surface = OwnSurface(pNewZStencil, "SetDepthStencilSurface");
    if (!surface) return D3DERR_INVALIDCALL;
    if (!surface->IsDepthStencil()) {
      return DebugError(D3DERR_INVALIDCALL, "SetDepthStencilSurface: not a depth-stencil surface");
    }
    surface->Retain();
  }
  if (state_.depthStencil) state_.depthStencil->Unretain();
  state_.depthStencil = surface;
  return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface9** ppZStencilSurface) {
  if (!ppZStencilSurface) {
    return DebugError(D3DERR_INVALIDCALL, "GetDepthStencilSurface: null output pointer");
  }
  if (!state_.depthStencil) return D3DERR_NOTFOUND;
  state_.depthStencil->AddRef();
  *ppZStencilSurface = state_.depthStencil;
  return D3D_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  if (!IsTransformState(State) || !pMatrix) {
    return DebugError(D3DERR_INVALIDCALL, "SetTransform: state %u, or null matrix", State);
  }
  state_.transforms[State] = *pMatrix;
  return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
  if (!IsTransformState(State) || !pMatrix) {
    return DebugError(D3DERR_INVALIDCALL, "GetTransform: state %u, or null output", State);
  }
  *pMatrix = state_.transforms[State];
  return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* pViewport) {
  if (!pViewport) return DebugError(D3DERR_INVALIDCALL, "SetViewport: null viewport");
  const Surface* target = state_.renderTargets[0];
  if (!target) return DebugError(D3DERR_INVALIDCALL, "SetViewport: no render target");
  const D3DVIEWPORT9& v = *pViewport;
  const uint64_t right = uint64_t{v.X} + v.Width;
  const uint64_t bottom = uint64_t{v.Y} + v.Height;
  if (!v.Width || !v.Height || right > target->Desc().Width || bottom > target->Desc().Height ||
      !(v.MinZ >= 0.0f && v.MinZ <= 1.0f) || !(v.MaxZ >= 0.0f && v.MaxZ <= 1.0f)) {
    return DebugError(D3DERR_INVALIDCALL,
                      "SetViewport: (%u, %u) %ux%u, depth %g..%g outside the render target",
                      v.X, v.Y, v.Width, v.Height, v.MinZ, v.MaxZ);
  }
  state_.viewport = v;
  return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* pViewport) {
  if (!pViewport) return DebugError(D3DERR_INVALIDCALL, "GetViewport: null output pointer");
  *pViewport = state_.viewport;
  return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  if (!IsRenderState(State)) {
    return DebugError(D3DERR_INVALIDCALL, "SetRenderState: unknown state %u", State);
  }
  state_.renderStates[State] = Value;
  return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
  if (!IsRenderState(State) || !pValue) {
    return DebugError(D3DERR_INVALIDCALL, "GetRenderState: state %u, or null output", State);
  }
  *pValue = state_.renderStates[State];
  return D3D_OK;
}

HRESULT Device::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) {
  const int slot = SamplerSlot(Stage);
  if (slot < 0) return DebugError(D3DERR_INVALIDCALL, "SetTexture: stage %u", Stage);
  TextureStore* store = nullptr;
  if (pTexture) {
    store = AsTextureStore(pTexture);
    if (!store || store->TextureDevice() != this) {
      return DebugError(D3DERR_INVALIDCALL, "SetTexture: a texture of another device");
    }
    store->Lifetime().Retain();
  }
  BoundTexture& bound = state_.textures[slot];
  if (bound.store) bound.store->Lifetime().Unretain();
  bound = {pTexture, store};
  return D3D_OK;
}

HRESULT Device::GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) {
  const int slot = SamplerSlot(Stage);
  if (slot < 0 || !ppTexture) {
    return DebugError(D3DERR_INVALIDCALL, "GetTexture: stage %u, or null output", Stage);
  }
  IDirect3DBaseTexture9* texture = state_.textures[slot].texture;
  if (texture) texture->AddRef();
  *ppTexture = texture;
  return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) {
  if (Stage >= kTextureStages || !IsStageState(Type) || !pValue) {
    return DebugError(D3DERR_INVALIDCALL, "GetTextureStageState: stage %u, state %u", Stage, Type);
  }
  *pValue = state_.stageStates[Stage][Type];
  return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
  if (Stage >= kTextureStages || !IsStageState(Type)) {
    return DebugError(D3DERR_INVALIDCALL, "SetTextureStageState: stage %u, state %u", Stage, Type);
  }
  state_.stageStates[Stage][Type] = Value;
  return D3D_OK;
}

HRESULT Device::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) {
  const int slot = SamplerSlot(Sampler);
  if (slot < 0 || !IsSamplerState(Type) || !pValue) {
    return DebugError(D3DERR_INVALIDCALL, "GetSamplerState: sampler %u, state %u", Sampler, Type);
  }
  *pValue = state_.samplerStates[slot][Type];
  return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
  const int slot = SamplerSlot(Sampler);
  if (slot < 0 || !IsSamplerState(Type)) {
    return DebugError(D3DERR_INVALIDCALL, "SetSamplerState: sampler %u, state %u", Sampler, Type);
  }
  state_.samplerStates[slot][Type] = Value;
  return D3D_OK;
}

namespace {

// The vertex formats the rasteriser draws: a position, and at most one set of two texture
// coordinates. The size bits of sets a vertex doesn't have say nothing and are ignored.
bool IsDrawableFvf(DWORD fvf) {
  const DWORD layout = fvf & 0xffffu;
  if (layout == D3DFVF_XYZ) return true;
  return layout == (D3DFVF_XYZ | D3DFVF_TEX1) && ((fvf >> 16) & 3u) == D3DFVF_TEXTUREFORMAT2;
}

}  // namespace

HRESULT Device::SetFVF(DWORD FVF) {
  if (FVF && !FvfVertexSize(FVF)) {
    return DebugError(D3DERR_INVALIDCALL, "SetFVF: invalid vertex format %#x", FVF);
  }
  if (FVF && !IsDrawableFvf(FVF)) {
    return DebugError(D3DERR_INVALIDCALL,
                      "SetFVF: vertex format %#x can't be drawn by this runtime, which takes "
                      "D3DFVF_XYZ with at most one set of two texture coordinates", FVF);
  }
  state_.fvf = FVF;
  return D3D_OK;
}

HRESULT Device::GetFVF(DWORD* pFVF) {
  if (!pFVF) return DebugError(D3DERR_INVALIDCALL, "GetFVF: null output pointer");
  *pFVF = state_.fvf;
  return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                                UINT OffsetInBytes, UINT Stride) {
  if (StreamNumber >= kStreams || StreamNumber >= Caps().MaxStreams) {
    return DebugError(D3DERR_INVALIDCALL, "SetStreamSource: stream %u", StreamNumber);
  }
  VertexBuffer* buffer = nullptr;
  if (pStreamData) {
    buffer = dynamic_cast<VertexBuffer*>(pStreamData);
    if (!buffer || buffer->OwnerDevice() != this) {
      return DebugError(D3DERR_INVALIDCALL, "SetStreamSource: a buffer of another device");
    }
    if (Stride > Caps().MaxStreamStride || OffsetInBytes % 4) {
      return DebugError(D3DERR_INVALIDCALL, "SetStreamSource: stride %u, offset %u", Stride,
                        OffsetInBytes);
    }
    buffer->Retain();
  }
  StreamSource& stream = state_.streams[StreamNumber];
  if (stream.buffer) stream.buffer->Unretain();
  stream = {buffer, buffer ? OffsetInBytes : 0, buffer ? Stride : 0};
  return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData,
                                UINT* pOffsetInBytes, UINT* pStride) {
  if (StreamNumber >= kStreams || !ppStreamData || !pOffsetInBytes || !pStride) {
    return DebugError(D3DERR_INVALIDCALL, "GetStreamSource: stream %u, or null output",
                      StreamNumber);
  }
  const StreamSource& stream = state_.streams[StreamNumber];
  if (stream.buffer) stream.buffer->AddRef();
  *ppStreamData = stream.buffer;
  *pOffsetInBytes = stream.offset;
  *pStride = stream.stride;
  return D3D_OK;
}

}  // namespace d3d9rt
