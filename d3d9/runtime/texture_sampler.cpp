#include "d3d9/runtime/texture_sampler.h"

#include <algorithm>
#include <bit>

#include "d3d9/runtime/debug_log.h"
#include "d3d9/runtime/texture_store.h"

namespace d3d9rt {
namespace {

// Min and mag filters as this sampler carries them out. NONE is no filter to the hardware,
// which reads the nearest texel; anisotropic filtering of an isotropic footprint is linear.
bool SettleFilter(DWORD filter, DWORD* out) {
  switch (filter) {
    case D3DTEXF_NONE:
    case D3DTEXF_POINT:
      *out = D3DTEXF_POINT;
      return true;
    case D3DTEXF_LINEAR:
    case D3DTEXF_ANISOTROPIC:
      *out = D3DTEXF_LINEAR;
      return true;
    default:
      return false;
  }
}

}  // namespace

HRESULT PrepareSampler(TextureStore* store, IDirect3DBaseTexture9* texture, const DWORD* states,
                       const char* call, SamplerSetup* out) {
  const TextureShape& shape = store->Shape();
  if (shape.type != D3DRTYPE_TEXTURE) {
    return DebugError(D3DERR_NOTAVAILABLE,
                      "%s: stage 0 holds a cube or volume texture; this rasteriser reads 2D "
                      "textures with two texture coordinates", call);
  }
  const FormatLayout* layout = FindFormatLayout(shape.format);
  SamplerSetup& s = *out;
  if (shape.format == D3DFMT_A8R8G8B8) {
    s.kind = TexelKind::kArgb;
  } else if (shape.format == D3DFMT_X8R8G8B8) {
    s.kind = TexelKind::kXrgb;
  } else {
    s.kind = TexelKind::kCodec;
  }
  if (!layout || !s.codec.Init(*layout)) {
    return DebugError(D3DERR_NOTAVAILABLE, "%s: textures of format %#x can't be sampled by this "
                                           "rasteriser", call, shape.format);
  }
  s.texelBytes = layout->bytes;

  if (!SettleFilter(states[D3DSAMP_MINFILTER], &s.minFilter) ||
      !SettleFilter(states[D3DSAMP_MAGFILTER], &s.magFilter)) {
    return DebugError(D3DERR_NOTAVAILABLE, "%s: min filter %u or mag filter %u is not supported",
                      call, states[D3DSAMP_MINFILTER], states[D3DSAMP_MAGFILTER]);
  }
  s.mipFilter = states[D3DSAMP_MIPFILTER];
  if (s.mipFilter != D3DTEXF_NONE && s.mipFilter != D3DTEXF_POINT &&
      s.mipFilter != D3DTEXF_LINEAR) {
    return DebugError(D3DERR_NOTAVAILABLE, "%s: mip filter %u is not supported", call,
                      s.mipFilter);
  }
  s.addressU = states[D3DSAMP_ADDRESSU];
  s.addressV = states[D3DSAMP_ADDRESSV];
  for (DWORD mode : {s.addressU, s.addressV}) {
    if (mode < D3DTADDRESS_WRAP || mode > D3DTADDRESS_MIRRORONCE) {
      return DebugError(D3DERR_NOTAVAILABLE, "%s: address mode %u is not supported", call, mode);
    }
  }
  if (states[D3DSAMP_SRGBTEXTURE]) {
    return DebugError(D3DERR_NOTAVAILABLE, "%s: sRGB texture reads are not supported", call);
  }
  s.border = states[D3DSAMP_BORDERCOLOR];
  s.lodBias = std::bit_cast<float>(states[D3DSAMP_MIPMAPLODBIAS]);
  if (!(s.lodBias == s.lodBias)) s.lodBias = 0.0f;

  // Levels the application can't see (automatic mipmaps) are sampled like the others, once
  // they are brought up to date with level 0.
  if (store->AutoGen() && store->SubLevelsStale()) store->GenerateSubLevels();
  const int levels = static_cast<int>(std::min<UINT>(shape.storedLevels, kMaxSamplerLevels));
  for (int l = 0; l < levels; ++l) {
    PixelPlane& plane = store->Plane(0, static_cast<UINT>(l));
    s.levels[l] = {plane.Bits(), plane.RowPitch(), static_cast<int>(plane.Width()),
                   static_cast<int>(plane.Height()), static_cast<float>(plane.Width()),
                   static_cast<float>(plane.Height())};
  }
  s.lastLevel = s.mipFilter == D3DTEXF_NONE ? 0 : levels - 1;
  // The most detailed level: D3DSAMP_MAXMIPLEVEL, or the texture's LOD if that is larger.
  const DWORD most = std::max<DWORD>(states[D3DSAMP_MAXMIPLEVEL], texture->GetLOD());
  s.baseLevel = static_cast<int>(std::min<DWORD>(most, static_cast<DWORD>(levels - 1)));
  s.lastLevel = std::max(s.lastLevel, s.baseLevel);
  s.needsLod = s.minFilter != s.magFilter || s.lastLevel > s.baseLevel;
  return D3D_OK;
}

}  // namespace d3d9rt
