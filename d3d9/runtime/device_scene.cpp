// Scenes and clears.
#include <algorithm>

#include "d3d9/runtime/debug_log.h"
#include "d3d9/runtime/device.h"
#include "d3d9/runtime/pixel_filter.h"
#include "d3d9/runtime/runtime_state.h"
#include "d3d9/runtime/surface.h"

namespace d3d9rt {

HRESULT Device::BeginScene() {
  if (state_.inScene) return DebugError(D3DERR_INVALIDCALL, "BeginScene: already in a scene");
  state_.inScene = true;
  return D3D_OK;
}

HRESULT Device::EndScene() {
  if (!state_.inScene) return DebugError(D3DERR_INVALIDCALL, "EndScene: not in a scene");
  state_.inScene = false;
  return D3D_OK;
}

namespace {

// The part of `rect` (or of everything, when null) that lies inside the viewport and the
// surface; empty areas have right <= left.
Area ClearArea(const D3DVIEWPORT9& viewport, const D3DRECT* rect, UINT width, UINT height) {
  int64_t left = viewport.X, top = viewport.Y;
  int64_t right = int64_t{viewport.X} + viewport.Width;
  int64_t bottom = int64_t{viewport.Y} + viewport.Height;
  if (rect) {
    left = std::max<int64_t>(left, rect->x1);
    top = std::max<int64_t>(top, rect->y1);
    right = std::min<int64_t>(right, rect->x2);
    bottom = std::min<int64_t>(bottom, rect->y2);
  }
  right = std::min<int64_t>(right, width);
  bottom = std::min<int64_t>(bottom, height);
  if (right <= left || bottom <= top) return {0, 0, 0, 0, 0, 1};
  return {static_cast<UINT>(left), static_cast<UINT>(top), 0, static_cast<UINT>(right),
          static_cast<UINT>(bottom), 1};
}

}  // namespace

HRESULT Device::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                      DWORD Stencil) {
  const DWORD known = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
  if (!Flags || (Flags & ~known)) return DebugError(D3DERR_INVALIDCALL, "Clear: flags %#x", Flags);
  if (Count && !pRects) return DebugError(D3DERR_INVALIDCALL, "Clear: %u rectangles, none given", Count);
  if (!(Z >= 0.0f && Z <= 1.0f)) return DebugError(D3DERR_INVALIDCALL, "Clear: depth %g", Z);
  const bool depth = Flags & D3DCLEAR_ZBUFFER;
  const bool stencil = Flags & D3DCLEAR_STENCIL;
  BYTE depthPixel[16], depthMask[16];
  if (depth || stencil) {
    if (!state_.depthStencil) {
      return DebugError(D3DERR_INVALIDCALL, "Clear: no depth-stencil surface is set");
    }
    if (!PackDepthStencil(state_.depthStencil->Desc().Format, depth, Z, stencil, Stencil,
                          depthPixel, depthMask)) {
      return DebugError(D3DERR_INVALIDCALL, "Clear: the depth-stencil surface has no stencil");
    }
  }
  const UINT rects = pRects ? Count : 1;
  if (Flags & D3DCLEAR_TARGET) {
    for (Surface* target : state_.renderTargets) {
      if (!target) continue;
      BYTE pixel[16];
      // Formats a colour can't be packed into (luminance targets of custom rules) stay as
      // they are, as hardware without such targets would have refused them earlier.
      if (!PackColor(target->Desc().Format, Color, pixel)) continue;
      for (UINT i = 0; i < rects; ++i) {
        const Area area = ClearArea(state_.viewport, pRects ? &pRects[i] : nullptr,
                                    target->Desc().Width, target->Desc().Height);
        if (area.right <= area.left) continue;
        FillArea(target->Plane(), area, pixel);
        target->NoteWritten(area, true);
      }
    }
  }
  if (depth || stencil) {
    Surface* ds = state_.depthStencil;
    for (UINT i = 0; i < rects; ++i) {
      const Area area = ClearArea(state_.viewport, pRects ? &pRects[i] : nullptr,
                                  ds->Desc().Width, ds->Desc().Height);
      if (area.right > area.left) FillArea(ds->Plane(), area, depthPixel, depthMask);
    }
  }
  return D3D_OK;
}

}  // namespace d3d9rt
