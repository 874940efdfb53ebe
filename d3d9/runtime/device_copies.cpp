// Copies between resources and pools, with the runtime's rules:
// - UpdateSurface and UpdateTexture copy from D3DPOOL_SYSTEMMEM into D3DPOOL_DEFAULT, same
//   format, no depth-stencil surfaces;
// - GetRenderTargetData copies a whole render target into a D3DPOOL_SYSTEMMEM surface of the
//   same format and size;
// - StretchRect and ColorFill work within D3DPOOL_DEFAULT. This adapter converts no formats in
//   StretchRect, and neither stretches nor copies block-compressed or pair formats with it.
// No copy touches a locked resource.
#include <algorithm>

#include "d3d9/runtime/debug_log.h"
#include "d3d9/runtime/device.h"
#include "d3d9/runtime/pixel_filter.h"
#include "d3d9/runtime/runtime_state.h"
#include "d3d9/runtime/surface.h"
#include "d3d9/runtime/texture_store.h"

namespace d3d9rt {
namespace {

// A RECT of a surface (null: the whole surface) as a valid, unit-aligned area.
bool RectArea(const RECT* rect, const PixelPlane& plane, Area* area) {
  if (!rect) {
    *area = plane.Whole();
    return true;
  }
  if (rect->left < 0 || rect->top < 0 || rect->right < 0 || rect->bottom < 0) return false;
  *area = {static_cast<UINT>(rect->left), static_cast<UINT>(rect->top), 0,
           static_cast<UINT>(rect->right), static_cast<UINT>(rect->bottom), 1};
  return plane.IsValidArea(*area);
}

// For the destination of a copy: inside the plane, starting on a unit, and ending on a unit
// or at the plane's edge (a block copy must not spill past what the caller asked for).
bool DestinationOk(const PixelPlane& plane, const Area& area) { return plane.IsValidArea(area); }

}  // namespace

HRESULT Device::UpdateSurface(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                              IDirect3DSurface9* pDestinationSurface, const POINT* pDestPoint) {
  const char* name = "UpdateSurface";
  HRESULT hr = EnterCall(kUpdateSurface);
  if (FAILED(hr)) return DebugError(hr, "%s: injected failure", name);
  Surface* src = OwnSurface(pSourceSurface, name);
  Surface* dst = OwnSurface(pDestinationSurface, name);
  if (!src || !dst) return D3DERR_INVALIDCALL;
  const D3DSURFACE_DESC& s = src->Desc();
  const D3DSURFACE_DESC& d = dst->Desc();
  if (s.Pool != D3DPOOL_SYSTEMMEM || d.Pool != D3DPOOL_DEFAULT) {
    return DebugError(D3DERR_INVALIDCALL, "%s: needs a D3DPOOL_SYSTEMMEM source (pool %u) and a "
                                          "D3DPOOL_DEFAULT destination (pool %u)", name, s.Pool,
                      d.Pool);
  }
  if (src->Plane().Locked() || dst->Plane().Locked()) {
    return DebugError(D3DERR_INVALIDCALL, "%s: a surface is locked", name);
  }
  if (s.Format != d.Format) {
    return DebugError(D3DERR_INVALIDCALL, "%s: formats %#x and %#x differ", name, s.Format,
                      d.Format);
  }
  if (src->IsDepthStencil() || dst->IsDepthStencil() || IsDepthFormat(s.Format)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: depth-stencil surfaces can't be updated", name);
  }
  if (s.MultiSampleType != D3DMULTISAMPLE_NONE || d.MultiSampleType != D3DMULTISAMPLE_NONE) {
    return DebugError(D3DERR_INVALIDCALL, "%s: multisampled surface", name);
  }
  Area from;
  if (!RectArea(pSourceRect, src->Plane(), &from)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: source rectangle outside the surface or not "
                                          "aligned to the format's blocks", name);
  }
  const LONG x = pDestPoint ? pDestPoint->x : 0;
  const LONG y = pDestPoint ? pDestPoint->y : 0;
  const Area to = {static_cast<UINT>(x), static_cast<UINT>(y), 0,
                   static_cast<UINT>(x) + from.Width(), static_cast<UINT>(y) + from.Height(), 1};
  if (x < 0 || y < 0 || to.right < to.left || to.bottom < to.top ||
      !DestinationOk(dst->Plane(), to)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: %ux%u at (%d, %d) does not fit the %ux%u "
                                          "destination or its blocks", name, from.Width(),
                      from.Height(), x, y, d.Width, d.Height);
  }
  CopyArea(src->Plane(), from, dst->Plane(), to.left, to.top, 0);
  dst->NoteWritten(to, true);
  return D3D_OK;
}

HRESULT Device::UpdateTexture(IDirect3DBaseTexture9* pSourceTexture,
                              IDirect3DBaseTexture9* pDestinationTexture) {
  const char* name = "UpdateTexture";
  HRESULT hr = EnterCall(kUpdateTexture);
  if (FAILED(hr)) return DebugError(hr, "%s: injected failure", name);
  TextureStore* src = pSourceTexture ? AsTextureStore(pSourceTexture) : nullptr;
  TextureStore* dst = pDestinationTexture ? AsTextureStore(pDestinationTexture) : nullptr;
  if (!src || !dst || src->TextureDevice() != this || dst->TextureDevice() != this) {
    return DebugError(D3DERR_INVALIDCALL, "%s: null or foreign texture", name);
  }
  const TextureShape& s = src->Shape();
  const TextureShape& d = dst->Shape();
  if (s.type != d.type) return DebugError(D3DERR_INVALIDCALL, "%s: texture types differ", name);
  if (s.pool != D3DPOOL_SYSTEMMEM || d.pool != D3DPOOL_DEFAULT) {
    return DebugError(D3DERR_INVALIDCALL, "%s: needs a D3DPOOL_SYSTEMMEM source (pool %u) and a "
                                          "D3DPOOL_DEFAULT destination (pool %u)", name, s.pool,
                      d.pool);
  }
  if (s.format != d.format) {
    return DebugError(D3DERR_INVALIDCALL, "%s: formats %#x and %#x differ", name, s.format,
                      d.format);
  }
  if (src->AnyLevelLocked() || dst->AnyLevelLocked()) {
    return DebugError(D3DERR_INVALIDCALL, "%s: a level is locked", name);
  }
  // Levels match from the destination's top: surplus top levels of the source are skipped.
  // An automatic-mipmap destination takes the source's top level and refilters the rest.
  const UINT copies = dst->AutoGen() ? 1 : d.levels;
  if (s.levels < copies) {
    return DebugError(D3DERR_INVALIDCALL, "%s: the source has %u levels, the destination %u",
                      name, s.levels, copies);
  }
  const UINT skip = dst->AutoGen() ? 0 : s.levels - d.levels;
  const PixelPlane& first = src->Plane(0, skip);
  const PixelPlane& top = dst->Plane(0, 0);
  if (first.Width() != top.Width() || first.Height() != top.Height() ||
      first.Depth() != top.Depth()) {
    return DebugError(D3DERR_INVALIDCALL, "%s: source level %u is %ux%ux%u, the destination "
                                          "%ux%ux%u", name, skip, first.Width(), first.Height(),
                      first.Depth(), top.Width(), top.Height(), top.Depth());
  }

  for (UINT face = 0; face < src->Faces(); ++face) {
    Area dirty;
    if (!src->DirtyArea(face, &dirty)) continue;
    for (UINT level = 0; level < copies; ++level) {
      const PixelPlane& from = src->Plane(face, skip + level);
      PixelPlane& to = dst->Plane(face, level);
      // The dirty region is kept in the source's level-0 texels; widen it to whole units.
      const UINT shift = skip + level;
      const UINT uw = UnitWidth(from.Layout()), uh = UnitHeight(from.Layout());
      Area area = {dirty.left >> shift, dirty.top >> shift, dirty.front >> shift,
                   std::min((dirty.right + (1u << shift) - 1) >> shift, from.Width()),
                   std::min((dirty.bottom + (1u << shift) - 1) >> shift, from.Height()),
                   std::min((dirty.back + (1u << shift) - 1) >> shift, from.Depth())};
      area.left -= area.left % uw;
      area.top -= area.top % uh;
      area.right = std::min((area.right + uw - 1) / uw * uw, from.Width());
      area.bottom = std::min((area.bottom + uh - 1) / uh * uh, from.Height());
      if (area.back <= area.front) area.back = area.front + 1;
      CopyArea(from, area, to, area.left, area.top, area.front);
      dst->LevelWritten(face, level, area, true);
    }
  }
  src->ClearDirty();
  return D3D_OK;
}

HRESULT Device::GetRenderTargetData(IDirect3DSurface9* pRenderTarget,
                                    IDirect3DSurface9* pDestSurface) {
  const char* name = "GetRenderTargetData";
  HRESULT hr = EnterCall(kGetRenderTargetData);
  if (FAILED(hr)) return DebugError(hr, "%s: injected failure", name);
  Surface* src = OwnSurface(pRenderTarget, name);
  Surface* dst = OwnSurface(pDestSurface, name);
  if (!src || !dst) return D3DERR_INVALIDCALL;
  const D3DSURFACE_DESC& s = src->Desc();
  const D3DSURFACE_DESC& d = dst->Desc();
  if (!src->IsRenderTarget() || s.Pool != D3DPOOL_DEFAULT ||
      s.MultiSampleType != D3DMULTISAMPLE_NONE) {
    return DebugError(D3DERR_INVALIDCALL, "%s: the source is not a single-sampled render target",
                      name);
  }
  if (d.Pool != D3DPOOL_SYSTEMMEM) {
    return DebugError(D3DERR_INVALIDCALL, "%s: the destination is not in D3DPOOL_SYSTEMMEM", name);
  }
  if (s.Format != d.Format || s.Width != d.Width || s.Height != d.Height) {
    return DebugError(D3DERR_INVALIDCALL, "%s: %ux%u %#x into %ux%u %#x", name, s.Width, s.Height,
                      s.Format, d.Width, d.Height, d.Format);
  }
  if (src->Plane().Locked() || dst->Plane().Locked()) {
    return DebugError(D3DERR_INVALIDCALL, "%s: a surface is locked", name);
  }
  CopyArea(src->Plane(), src->Plane().Whole(), dst->Plane(), 0, 0, 0);
  dst->NoteWritten(dst->Plane().Whole(), true);
  return D3D_OK;
}

namespace {

// Which surfaces StretchRect may read and write (the Direct3D 9 table, for a driver with
// D3DDEVCAPS2_CAN_STRETCHRECT_FROM_TEXTURES as a condition on plain texture sources).
enum class StretchKind { kTexture, kTargetTexture, kTarget, kPlain, kDepthStencil };

StretchKind KindOf(const Surface& surface) {
  if (surface.IsDepthStencil()) return StretchKind::kDepthStencil;
  switch (surface.Role()) {
    case SurfaceRole::kTextureLevel:
      return surface.IsRenderTarget() ? StretchKind::kTargetTexture : StretchKind::kTexture;
    case SurfaceRole::kOffscreenPlain:
      return StretchKind::kPlain;
    default:
      return StretchKind::kTarget;
  }
}

const char* StretchPairProblem(StretchKind from, StretchKind to, bool fromTextures,
                               bool stretching) {
  if (from == StretchKind::kDepthStencil || to == StretchKind::kDepthStencil) {
    if (from != to) return "depth-stencil surfaces copy only to depth-stencil surfaces";
    return stretching ? "depth-stencil surfaces can't be stretched" : nullptr;
  }
  if (to == StretchKind::kTexture) return "the destination is a texture that is no render target";
  switch (from) {
    case StretchKind::kTexture:
      if (!fromTextures) return "the device can't stretch from textures";
      return to == StretchKind::kPlain ? "a texture can't be copied to a plain surface" : nullptr;
    case StretchKind::kTargetTexture:
    case StretchKind::kTarget:
      return to == StretchKind::kPlain ? "a render target can't be copied to a plain surface"
                                       : nullptr;
    case StretchKind::kPlain:
      return to == StretchKind::kPlain && stretching ? "plain surfaces can't be stretched"
                                                     : nullptr;
    default:
      return nullptr;
  }
}

}  // namespace

HRESULT Device::StretchRect(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                            IDirect3DSurface9* pDestSurface, const RECT* pDestRect,
                            D3DTEXTUREFILTERTYPE Filter) {
  const char* name = "StretchRect";
  HRESULT hr = EnterCall(kStretchRect);
  if (FAILED(hr)) return DebugError(hr, "%s: injected failure", name);
  Surface* src = OwnSurface(pSourceSurface, name);
  Surface* dst = OwnSurface(pDestSurface, name);
  if (!src || !dst) return D3DERR_INVALIDCALL;
  if (src == dst) return DebugError(D3DERR_INVALIDCALL, "%s: source and destination are one", name);
  const D3DSURFACE_DESC& s = src->Desc();
  const D3DSURFACE_DESC& d = dst->Desc();
  if (s.Pool != D3DPOOL_DEFAULT || d.Pool != D3DPOOL_DEFAULT) {
    return DebugError(D3DERR_INVALIDCALL, "%s: both surfaces must be in D3DPOOL_DEFAULT", name);
  }
  if (Filter != D3DTEXF_NONE && Filter != D3DTEXF_POINT && Filter != D3DTEXF_LINEAR) {
    return DebugError(D3DERR_INVALIDCALL, "%s: filter %u", name, Filter);
  }
  if (src->Plane().Locked() || dst->Plane().Locked()) {
    return DebugError(D3DERR_INVALIDCALL, "%s: a surface is locked", name);
  }
  if (s.Format != d.Format) {
    return DebugError(D3DERR_INVALIDCALL, "%s: the device converts no formats (%#x to %#x)", name,
                      s.Format, d.Format);
  }
  if (!CanResample(s.Format)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: format %#x can't be copied by the device", name,
                      s.Format);
  }
  Area from, to;
  if (!RectArea(pSourceRect, src->Plane(), &from) || !RectArea(pDestRect, dst->Plane(), &to)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: a rectangle lies outside its surface", name);
  }
  const bool stretching = from.Width() != to.Width() || from.Height() != to.Height();
  const bool fromTextures = Caps().DevCaps2 & D3DDEVCAPS2_CAN_STRETCHRECT_FROM_TEXTURES;
  if (const char* problem = StretchPairProblem(KindOf(*src), KindOf(*dst), fromTextures,
                                               stretching)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: %s", name, problem);
  }
  if (src->IsDepthStencil() && (pSourceRect || pDestRect || state_.inScene)) {
    return DebugError(D3DERR_INVALIDCALL,
                      "%s: depth-stencil copies take whole surfaces, outside a scene", name);
  }
  StretchArea(src->Plane(), from, dst->Plane(), to, Filter);
  dst->NoteWritten(to, true);
  return D3D_OK;
}

HRESULT Device::ColorFill(IDirect3DSurface9* pSurface, const RECT* pRect, D3DCOLOR color) {
  const char* name = "ColorFill";
  HRESULT hr = EnterCall(kColorFill);
  if (FAILED(hr)) return DebugError(hr, "%s: injected failure", name);
  Surface* surface = OwnSurface(pSurface, name);
  if (!surface) return D3DERR_INVALIDCALL;
  const D3DSURFACE_DESC& desc = surface->Desc();
  const bool fillable = desc.Pool == D3DPOOL_DEFAULT && !surface->IsDepthStencil() &&
                        (surface->IsRenderTarget() ||
                         surface->Role() == SurfaceRole::kOffscreenPlain);
  if (!fillable) {
    return DebugError(D3DERR_INVALIDCALL, "%s: only render targets and plain surfaces in "
                                          "D3DPOOL_DEFAULT can be filled", name);
  }
  if (surface->Plane().Locked()) return DebugError(D3DERR_INVALIDCALL, "%s: locked", name);
  Area area;
  if (!RectArea(pRect, surface->Plane(), &area)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: rectangle outside the surface", name);
  }
  BYTE pixel[16];
  if (!PackColor(desc.Format, color, pixel)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: format %#x can't be filled", name, desc.Format);
  }
  FillArea(surface->Plane(), area, pixel);
  surface->NoteWritten(area, true);
  return D3D_OK;
}

}  // namespace d3d9rt
