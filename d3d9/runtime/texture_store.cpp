#include "d3d9/runtime/texture_store.h"

#include <algorithm>

#include "d3d9/runtime/debug_log.h"
#include "d3d9/runtime/device.h"
#include "d3d9/runtime/format_support.h"
#include "d3d9/runtime/pixel_filter.h"
#include "d3d9/runtime/runtime_state.h"

namespace d3d9rt {

TextureStore::TextureStore(Device* device, const TextureShape& shape)
    : textureDevice_(device), shape_(shape), dirty_(Faces(), Dirty{false, {}}) {
  if (shape_.pool == D3DPOOL_DEFAULT) textureDevice_->CountDefaultPoolResource(+1);
  // A new texture counts as changed everywhere, so its first UpdateTexture copies it all.
  AddDirtyWhole();
}

TextureStore::~TextureStore() {
  if (shape_.pool == D3DPOOL_DEFAULT) textureDevice_->CountDefaultPoolResource(-1);
}

bool TextureStore::AnyLevelLocked() const {
  return std::any_of(planes_.begin(), planes_.end(),
                     [](const PixelPlane* plane) { return plane->Locked(); });
}

bool TextureStore::DirtyArea(UINT face, Area* area) const {
  if (!dirty_[face].any) return false;
  *area = dirty_[face].area;
  return true;
}

void TextureStore::AddDirty(UINT face, const Area& a, UINT level) {
  // Level-0 coordinates: a texel of level L covers 2^L texels of level 0 on each axis.
  const bool volume = shape_.type == D3DRTYPE_VOLUMETEXTURE;
  const Area top = {
      a.left << level,
      a.top << level,
      volume ? a.front << level : 0,
      std::min(a.right << level, shape_.width),
      std::min(a.bottom << level, shape_.height),
      volume ? std::min(a.back << level, shape_.depth) : 1,
  };
  Dirty& d = dirty_[face];
  if (!d.any) {
    d = {true, top};
    return;
  }
  d.area.left = std::min(d.area.left, top.left);
  d.area.top = std::min(d.area.top, top.top);
  d.area.front = std::min(d.area.front, top.front);
  d.area.right = std::max(d.area.right, top.right);
  d.area.bottom = std::max(d.area.bottom, top.bottom);
  d.area.back = std::max(d.area.back, top.back);
}

void TextureStore::AddDirtyWhole() {
  for (Dirty& d : dirty_) d = {true, {0, 0, 0, shape_.width, shape_.height, shape_.depth}};
}

void TextureStore::ClearDirty() {
  for (Dirty& d : dirty_) d.any = false;
}

void TextureStore::LevelWritten(UINT face, UINT level, const Area& area, bool markDirty) {
  if (markDirty) AddDirty(face, area, level);
  if (AutoGen() && level == 0) subLevelsStale_ = true;
}

HRESULT TextureStore::SetAutoGenFilter(D3DTEXTUREFILTERTYPE filter) {
  if (filter != D3DTEXF_POINT && filter != D3DTEXF_LINEAR) {
    return DebugError(D3DERR_INVALIDCALL, "SetAutoGenFilterType: filter %u is not supported",
                      filter);
  }
  autoGenFilter_ = filter;
  return D3D_OK;
}

void TextureStore::GenerateSubLevels() {
  subLevelsStale_ = false;
  if (!AutoGen()) return;
  for (UINT face = 0; face < Faces(); ++face) {
    for (UINT level = 1; level < shape_.storedLevels; ++level) {
      HalvePlane(Plane(face, level - 1), Plane(face, level), autoGenFilter_);
    }
  }
}

TextureStore* AsTextureStore(IDirect3DBaseTexture9* texture) {
  return dynamic_cast<TextureStore*>(texture);
}

namespace {

bool IsPow2(UINT v) { return v && !(v & (v - 1)); }

struct KindRules {
  DWORD kindCap;  // 0 for 2D textures, which every device has
  DWORD pow2Cap;
  DWORD mipCap;
};

KindRules RulesFor(D3DRESOURCETYPE type) {
  switch (type) {
    case D3DRTYPE_CUBETEXTURE:
      return {D3DPTEXTURECAPS_CUBEMAP, D3DPTEXTURECAPS_CUBEMAP_POW2, D3DPTEXTURECAPS_MIPCUBEMAP};
    case D3DRTYPE_VOLUMETEXTURE:
      return {D3DPTEXTURECAPS_VOLUMEMAP, D3DPTEXTURECAPS_VOLUMEMAP_POW2,
              D3DPTEXTURECAPS_MIPVOLUMEMAP};
    default:
      return {0, D3DPTEXTURECAPS_POW2, D3DPTEXTURECAPS_MIPMAP};
  }
}

HRESULT CheckCaps(const D3DCAPS9& caps, const char* call, const TextureShape& s, UINT levels) {
  const KindRules rules = RulesFor(s.type);
  if (rules.kindCap && !(caps.TextureCaps & rules.kindCap)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: the device has no such textures", call);
  }
  if (s.type == D3DRTYPE_VOLUMETEXTURE) {
    if (s.width > caps.MaxVolumeExtent || s.height > caps.MaxVolumeExtent ||
        s.depth > caps.MaxVolumeExtent) {
      return DebugError(D3DERR_INVALIDCALL, "%s: %ux%ux%u exceeds MaxVolumeExtent %u", call,
                        s.width, s.height, s.depth, caps.MaxVolumeExtent);
    }
  } else {
    if (s.width > caps.MaxTextureWidth || s.height > caps.MaxTextureHeight) {
      return DebugError(D3DERR_INVALIDCALL, "%s: %ux%u exceeds the maximum texture size %ux%u",
                        call, s.width, s.height, caps.MaxTextureWidth, caps.MaxTextureHeight);
    }
  }
  if (s.type == D3DRTYPE_TEXTURE) {
    if ((caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) && s.width != s.height) {
      return DebugError(D3DERR_INVALIDCALL, "%s: the device takes square textures only", call);
    }
    const uint64_t ratio = caps.MaxTextureAspectRatio;
    if (ratio && (s.width > ratio * s.height || s.height > ratio * s.width)) {
      return DebugError(D3DERR_INVALIDCALL, "%s: %ux%u exceeds MaxTextureAspectRatio %u", call,
                        s.width, s.height, caps.MaxTextureAspectRatio);
    }
  }
  const bool pow2 = IsPow2(s.width) && IsPow2(s.height) && IsPow2(s.depth);
  if (!pow2 && (caps.TextureCaps & rules.pow2Cap)) {
    // Conditional support covers single-level, uncompressed 2D textures only.
    const bool conditional = s.type == D3DRTYPE_TEXTURE &&
                             (caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) &&
                             levels == 1 && !IsBlockFormat(s.format);
    if (!conditional) {
      return DebugError(D3DERR_INVALIDCALL,
                        "%s: %ux%ux%u with %u levels needs power-of-two sizes on this device",
                        call, s.width, s.height, s.depth, levels);
    }
  }
  if (levels > 1 && !(caps.TextureCaps & rules.mipCap)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: the device has no mipmaps for such textures", call);
  }
  return D3D_OK;
}

}  // namespace

HRESULT ValidateTextureRequest(Device* device, const char* call, TextureShape* s) {
  if (!s->width || !s->height || !s->depth) {
    return DebugError(D3DERR_INVALIDCALL, "%s: zero size", call);
  }
  if (s->pool > D3DPOOL_SCRATCH) {
    return DebugError(D3DERR_INVALIDCALL, "%s: invalid pool %u", call, s->pool);
  }
  const DWORD allowed = D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_DYNAMIC |
                        D3DUSAGE_AUTOGENMIPMAP | D3DUSAGE_DMAP | D3DUSAGE_SOFTWAREPROCESSING;
  const DWORD usage = s->usage;
  if (usage & ~allowed) {
    return DebugError(D3DERR_INVALIDCALL, "%s: invalid usage %#x", call, usage);
  }
  const bool target = usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL);
  if ((usage & D3DUSAGE_RENDERTARGET) && (usage & D3DUSAGE_DEPTHSTENCIL)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: both render target and depth stencil", call);
  }
  if (target && s->pool != D3DPOOL_DEFAULT) {
    return DebugError(D3DERR_INVALIDCALL, "%s: render targets and depth stencils must be in "
                                          "D3DPOOL_DEFAULT", call);
  }
  if ((usage & D3DUSAGE_DYNAMIC) && s->pool == D3DPOOL_MANAGED) {
    return DebugError(D3DERR_INVALIDCALL, "%s: D3DUSAGE_DYNAMIC can't be D3DPOOL_MANAGED", call);
  }
  const bool autoGen = usage & D3DUSAGE_AUTOGENMIPMAP;
  if (autoGen && (s->pool == D3DPOOL_SYSTEMMEM || s->pool == D3DPOOL_SCRATCH)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: D3DUSAGE_AUTOGENMIPMAP needs D3DPOOL_DEFAULT or "
                                          "D3DPOOL_MANAGED", call);
  }
  if (s->type == D3DRTYPE_VOLUMETEXTURE && (target || autoGen)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: invalid usage %#x for a volume texture", call,
                      usage);
  }
  const FormatLayout* layout = FindFormatLayout(s->format);
  if (!layout) {
    return DebugError(D3DERR_INVALIDCALL, "%s: format %#x has no known storage", call,
                      s->format);
  }
  const HRESULT support = QueryFormatSupport(
      {CurrentDisplayMode().Format, usage, s->type, s->pool, s->format});
  if (FAILED(support)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: format %#x is not supported for usage %#x in "
                                          "pool %u", call, s->format, usage, s->pool);
  }
  if (IsBlockFormat(s->format) && s->pool != D3DPOOL_SCRATCH &&
      (s->width % 4 || s->height % 4)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: DXT textures need sizes that are multiples of 4, "
                                          "not %ux%u", call, s->width, s->height);
  }

  const UINT depth = s->type == D3DRTYPE_VOLUMETEXTURE ? s->depth : 1;
  const UINT full = FullChainLength(s->width, s->height, depth);
  const D3DCAPS9 caps = device->Caps();
  const bool mipmaps = s->pool == D3DPOOL_SCRATCH || (caps.TextureCaps & RulesFor(s->type).mipCap);
  UINT levels = s->levels;
  if (autoGen) {
    if (levels > 1) {
      return DebugError(D3DERR_INVALIDCALL, "%s: D3DUSAGE_AUTOGENMIPMAP takes 0 or 1 levels, "
                                            "not %u", call, levels);
    }
    levels = 1;
  } else if (levels == 0) {
    levels = mipmaps ? full : 1;
  } else if (levels > full) {
    return DebugError(D3DERR_INVALIDCALL, "%s: %u levels, but %ux%ux%u has at most %u", call,
                      levels, s->width, s->height, depth, full);
  }
  if (s->pool != D3DPOOL_SCRATCH) {
    // Automatic mipmaps count as a chain against the caps.
    const HRESULT hr = CheckCaps(caps, call, *s, autoGen ? full : levels);
    if (FAILED(hr)) return hr;
  }
  s->levels = levels;
  s->storedLevels =
      autoGen && support != D3DOK_NOAUTOGEN && CanGenerateMips(s->format) ? full : levels;
  return D3D_OK;
}

}  // namespace d3d9rt
