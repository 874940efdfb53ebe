#include "d3d9/runtime/draw_setup.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "d3d9/runtime/debug_log.h"
#include "d3d9/runtime/surface.h"
#include "d3d9/runtime/texture_store.h"

namespace d3d9rt {
namespace {

// Render states whose other values this rasteriser can't carry out.
struct FixedState {
  D3DRENDERSTATETYPE state;
  DWORD value;
  const char* name;
};

constexpr FixedState kFixedStates[] = {
    {D3DRS_FILLMODE, D3DFILL_SOLID, "D3DRS_FILLMODE"},
    {D3DRS_ALPHATESTENABLE, FALSE, "D3DRS_ALPHATESTENABLE"},
    {D3DRS_ALPHABLENDENABLE, FALSE, "D3DRS_ALPHABLENDENABLE"},
    {D3DRS_FOGENABLE, FALSE, "D3DRS_FOGENABLE"},
    {D3DRS_STENCILENABLE, FALSE, "D3DRS_STENCILENABLE"},
    {D3DRS_COLORWRITEENABLE, 0xf, "D3DRS_COLORWRITEENABLE"},
    {D3DRS_SRGBWRITEENABLE, FALSE, "D3DRS_SRGBWRITEENABLE"},
    {D3DRS_VERTEXBLEND, 0, "D3DRS_VERTEXBLEND"},
    {D3DRS_WRAP0, 0, "D3DRS_WRAP0"},
};

// Float states that must be 0 (either sign).
constexpr FixedState kZeroFloatStates[] = {
    {D3DRS_DEPTHBIAS, 0, "D3DRS_DEPTHBIAS"},
    {D3DRS_SLOPESCALEDEPTHBIAS, 0, "D3DRS_SLOPESCALEDEPTHBIAS"},
};

// The screen may hold this many pixels beyond the viewport on each side before clipping cuts
// a triangle at the sides; with 8 fractional bits, positions stay well inside 32 bits.
constexpr float kGuardBandPixels = 32768.0f;

void Multiply(const D3DMATRIX& a, const D3DMATRIX& b, D3DMATRIX* out) {
  D3DMATRIX r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
      r.m[i][j] = sum;
    }
  }
  *out = r;
}

HRESULT CheckRenderStates(const DWORD* rs, const char* call) {
  for (const FixedState& f : kFixedStates) {
    if (rs[f.state] != f.value) {
      return DebugError(D3DERR_NOTAVAILABLE, "%s: %s = %#x can't be carried out by this "
                                             "rasteriser", call, f.name, rs[f.state]);
    }
  }
  for (const FixedState& f : kZeroFloatStates) {
    if (std::bit_cast<float>(rs[f.state]) != 0.0f) {
      return DebugError(D3DERR_NOTAVAILABLE, "%s: %s = %g can't be carried out by this "
                                             "rasteriser", call, f.name,
                        std::bit_cast<float>(rs[f.state]));
    }
  }
  const DWORD cull = rs[D3DRS_CULLMODE];
  if (cull < D3DCULL_NONE || cull > D3DCULL_CCW) {
    return DebugError(D3DERR_NOTAVAILABLE, "%s: D3DRS_CULLMODE = %u is not a cull mode", call, cull);
  }
  return D3D_OK;
}

HRESULT SettleColorTarget(Surface* target, const char* call, ColorTarget* out) {
  const D3DFORMAT format = target->Desc().Format;
  PixelPlane& plane = target->Plane();
  out->surface = target;
  out->bits = plane.Bits();
  out->pitch = plane.RowPitch();
  out->keep = 0xffffffffu;
  if (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) {
    out->kind = ColorWrite::kBgra32;
    if (format == D3DFMT_X8R8G8B8) out->keep = 0x00ffffffu;  // the X byte stays 0, as Clear leaves it
    return D3D_OK;
  }
  out->kind = ColorWrite::kCodec;
  if (!out->codec.Init(plane.Layout())) {
    return DebugError(D3DERR_NOTAVAILABLE, "%s: render targets of format %#x can't be drawn "
                                           "into by this rasteriser", call, format);
  }
  return D3D_OK;
}

// Whether the draw tests depth, and against what.
HRESULT SettleDepth(const PipelineState& state, const char* call, bool* test, DepthTarget* out) {
  const DWORD* rs = state.renderStates;
  *test = false;
  switch (rs[D3DRS_ZENABLE]) {
    case D3DZB_FALSE:
      return D3D_OK;
    case D3DZB_TRUE:
      break;
    default:
      return DebugError(D3DERR_NOTAVAILABLE, "%s: D3DRS_ZENABLE = %u (w-buffering) is not "
                                             "supported", call, rs[D3DRS_ZENABLE]);
  }
  // Without a depth-stencil surface there is nothing to test against.
  if (!state.depthStencil) return D3D_OK;
  const DWORD func = rs[D3DRS_ZFUNC];
  if (func < D3DCMP_NEVER || func > D3DCMP_ALWAYS) {
    return DebugError(D3DERR_NOTAVAILABLE, "%s: D3DRS_ZFUNC = %u is not a comparison", call, func);
  }
  PixelPlane& plane = state.depthStencil->Plane();
  const FormatLayout& layout = plane.Layout();
  const Field* depth = nullptr;
  for (const Field& f : layout.fields) {
    if (f.channel == Channel::kDepth) depth = &f;
  }
  const bool numeric = layout.numeric == Numeric::kUnorm || layout.numeric == Numeric::kFloat32;
  if (!depth || !numeric || (layout.bytes != 2 && layout.bytes != 4)) {
    return DebugError(D3DERR_NOTAVAILABLE, "%s: depth format %#x can't be tested by this "
                                           "rasteriser", call, layout.format);
  }
  out->bits = plane.Bits();
  out->pitch = plane.RowPitch();
  out->bytes = layout.bytes;
  out->shift = depth->shift;
  out->mask = depth->bits >= 32 ? 0xffffffffu : (1u << depth->bits) - 1u;
  out->isFloat = layout.numeric == Numeric::kFloat32;
  out->scale = static_cast<double>(out->mask);
  // D3DCMPFUNC counts NEVER 1 to ALWAYS 8 so that value - 1 has a bit for each outcome:
  // LESS 1, EQUAL 2, GREATER 4.
  out->passMask = func - 1;
  out->write = rs[D3DRS_ZWRITEENABLE] != FALSE;
  *test = true;
  return D3D_OK;
}

// (a * b) / 255 per channel, rounded, for colours whose channels are both 8-bit.
D3DCOLOR ModulateColor(D3DCOLOR a, D3DCOLOR b) {
  D3DCOLOR out = 0;
  for (unsigned shift = 0; shift < 32; shift += 8) {
    const uint32_t t = ((a >> shift) & 0xffu) * ((b >> shift) & 0xffu) + 128;
    out |= ((t + (t >> 8)) >> 8) << shift;
  }
  return out;
}

// Stage 0 as this rasteriser blends it: disabled (the diffuse colour), or the fixed-function
// default, the texture's colour modulated by the diffuse colour with the texture's alpha.
HRESULT SettleShading(const PipelineState& state, const char* call, DrawSetup* s) {
  const DWORD* t0 = state.stageStates[0];
  const DWORD* t1 = state.stageStates[1];
  // Vertices carry no colour and no normal. Unlit, their diffuse colour is opaque white; lit,
  // it is what the default material (all black) and no lights give: black with alpha 0.
  const D3DCOLOR diffuse = state.renderStates[D3DRS_LIGHTING] ? 0x00000000u : 0xffffffffu;
  if (t0[D3DTSS_COLOROP] == D3DTOP_DISABLE) {
    s->shading = Shading::kConstant;
    s->constant = diffuse;
    return D3D_OK;
  }
  const bool defaultStage =
      t0[D3DTSS_COLOROP] == D3DTOP_MODULATE && t0[D3DTSS_COLORARG1] == D3DTA_TEXTURE &&
      (t0[D3DTSS_COLORARG2] == D3DTA_CURRENT || t0[D3DTSS_COLORARG2] == D3DTA_DIFFUSE) &&
      t0[D3DTSS_ALPHAOP] == D3DTOP_SELECTARG1 && t0[D3DTSS_ALPHAARG1] == D3DTA_TEXTURE &&
      t0[D3DTSS_RESULTARG] == D3DTA_CURRENT && t1[D3DTSS_COLOROP] == D3DTOP_DISABLE;
  if (!defaultStage) {
    return DebugError(D3DERR_NOTAVAILABLE,
                      "%s: texture stages other than stage 0's default (colour MODULATE of "
                      "TEXTURE and CURRENT, alpha SELECTARG1 of TEXTURE, stage 1 disabled) or "
                      "stage 0 disabled are not supported", call);
  }
  const BoundTexture& bound = state.textures[0];
  if (!bound.store) {
    // With no texture, the texture argument reads as opaque white.
    s->shading = Shading::kConstant;
    s->constant = ModulateColor(0xffffffffu, diffuse | 0xff000000u);
    return D3D_OK;
  }
  if (t0[D3DTSS_TEXCOORDINDEX] != 0 || t0[D3DTSS_TEXTURETRANSFORMFLAGS] != D3DTTFF_DISABLE) {
    return DebugError(D3DERR_NOTAVAILABLE, "%s: stage 0 reads coordinate set %#x with "
                                           "transform flags %#x; only set 0, untransformed, is "
                                           "supported", call, t0[D3DTSS_TEXCOORDINDEX],
                      t0[D3DTSS_TEXTURETRANSFORMFLAGS]);
  }
  HRESULT hr = PrepareSampler(bound.store, bound.texture, state.samplerStates[0], call,
                              &s->sampler);
  if (FAILED(hr)) return hr;
  s->diffuse = diffuse;
  s->modulate = (diffuse & 0x00ffffffu) != 0x00ffffffu;
  s->shading = Shading::kTextured;
  if (!s->texCoords) {
    // Vertices without texture coordinates read the texture at (0, 0) everywhere.
    const D3DCOLOR texel = SampleTexture(s->sampler, 0.0f, 0.0f, 0.0f);
    s->shading = Shading::kConstant;
    s->constant = (ModulateColor(texel, diffuse) & 0x00ffffffu) | (texel & 0xff000000u);
  }
  return D3D_OK;
}

}  // namespace

HRESULT PrepareDraw(const PipelineState& state, const char* call, DrawSetup* s) {
  Surface* target = state.renderTargets[0];
  if (!target) return DebugError(D3DERR_INVALIDCALL, "%s: no render target", call);
  const DWORD fvf = state.fvf & 0xffffu;
  if (fvf != D3DFVF_XYZ && fvf != (D3DFVF_XYZ | D3DFVF_TEX1)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: vertex format %#x can't be drawn", call, state.fvf);
  }
  HRESULT hr = CheckRenderStates(state.renderStates, call);
  if (FAILED(hr)) return hr;
  s->texCoords = (fvf & D3DFVF_TEX1) != 0;
  s->vertexSize = s->texCoords ? 20 : 12;
  s->cullMode = state.renderStates[D3DRS_CULLMODE];

  D3DMATRIX worldView, all;
  Multiply(state.transforms[256], state.transforms[D3DTS_VIEW], &worldView);
  Multiply(worldView, state.transforms[D3DTS_PROJECTION], &all);
  std::memcpy(s->transform, all.m, sizeof(s->transform));

  const D3DVIEWPORT9& vp = state.viewport;
  s->scaleX = static_cast<float>(vp.Width) * 0.5f;
  s->scaleY = static_cast<float>(vp.Height) * 0.5f;
  s->offsetX = static_cast<float>(vp.X) + s->scaleX;
  s->offsetY = static_cast<float>(vp.Y) + s->scaleY;
  s->minZ = vp.MinZ;
  s->scaleZ = vp.MaxZ - vp.MinZ;
  s->guardX = kGuardBandPixels / s->scaleX;
  s->guardY = kGuardBandPixels / s->scaleY;

  hr = SettleColorTarget(target, call, &s->color);
  if (FAILED(hr)) return hr;
  hr = SettleDepth(state, call, &s->depthTest, &s->depth);
  if (FAILED(hr)) return hr;
  s->left = static_cast<int>(vp.X);
  s->top = static_cast<int>(vp.Y);
  UINT right = std::min<UINT>(vp.X + vp.Width, target->Desc().Width);
  UINT bottom = std::min<UINT>(vp.Y + vp.Height, target->Desc().Height);
  if (s->depthTest) {
    right = std::min(right, state.depthStencil->Desc().Width);
    bottom = std::min(bottom, state.depthStencil->Desc().Height);
  }
  s->right = static_cast<int>(right);
  s->bottom = static_cast<int>(bottom);
  return SettleShading(state, call, s);
}

}  // namespace d3d9rt
