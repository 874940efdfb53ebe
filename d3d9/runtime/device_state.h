// The fixed-function state a device keeps: render, sampler and texture-stage states,
// transforms, the viewport, the vertex format, stream sources and bound resources.
#pragma once

#include "d3d9/d3d9_interfaces.h"

namespace d3d9rt {

class Surface;
class TextureStore;
class VertexBuffer;

// Pixel samplers 0 to 15, then the displacement-map sampler and the four vertex samplers.
constexpr UINT kSamplerSlots = 21;
constexpr UINT kSamplerStates = D3DSAMP_DMAPOFFSET + 1;
constexpr UINT kTextureStages = 8;
constexpr UINT kStageStates = D3DTSS_CONSTANT + 1;
constexpr UINT kStreams = 16;
constexpr UINT kRenderTargets = 4;
// Transform states: view, projection, eight texture transforms and 256 world matrices.
constexpr UINT kTransformSlots = 512;

struct StreamSource {
  VertexBuffer* buffer;  // retained by the device while bound
  UINT offset;
  UINT stride;
};

struct BoundTexture {
  IDirect3DBaseTexture9* texture;  // retained by the device while bound
  TextureStore* store;
};

struct PipelineState {
  DWORD renderStates[D3DRS_MAX_STATE];
  DWORD samplerStates[kSamplerSlots][kSamplerStates];
  DWORD stageStates[kTextureStages][kStageStates];
  D3DMATRIX transforms[kTransformSlots];
  D3DVIEWPORT9 viewport;
  DWORD fvf;
  StreamSource streams[kStreams];
  BoundTexture textures[kSamplerSlots];
  Surface* renderTargets[kRenderTargets];  // retained while bound
  Surface* depthStencil;                   // retained while bound
  bool inScene;
};

// The defaults of a new (or reset) device; bindings are left to the caller.
// `depthBuffer`: whether the device has an automatic depth-stencil surface (D3DRS_ZENABLE).
void SetDefaultStates(PipelineState* state, bool depthBuffer, const D3DVIEWPORT9& viewport);

bool IsRenderState(DWORD state);
bool IsSamplerState(DWORD type);
bool IsStageState(DWORD type);
bool IsTransformState(DWORD state);
// The slot of a sampler number (0..15, D3DDMAPSAMPLER, D3DVERTEXTEXTURESAMPLER0..3), or -1.
int SamplerSlot(DWORD sampler);

}  // namespace d3d9rt
