#include "d3d9/runtime/surface.h"

#include <new>

#include "d3d9/runtime/device.h"
#include "d3d9/runtime/runtime_state.h"
#include "d3d9/runtime/texture_store.h"

namespace d3d9rt {

Surface::Surface(Device* device, const SurfaceSpec& shape, TextureStore* container, UINT face,
                 UINT level, bool implicit)
    : ResourceImpl(device, container || implicit ? 0 : 1, container == nullptr),
      role_(shape.role),
      lockable_(shape.lockable),
      container_(container),
      face_(face),
      level_(level),
      countedInPool_(!container && !implicit && shape.pool == D3DPOOL_DEFAULT) {
  desc_.Format = shape.format;
  desc_.Type = D3DRTYPE_SURFACE;
  desc_.Usage = shape.usage;
  desc_.Pool = shape.pool;
  desc_.MultiSampleType = shape.multiSample;
  desc_.MultiSampleQuality = shape.multiSampleQuality;
  desc_.Width = shape.width;
  desc_.Height = shape.height;
  if (countedInPool_) device_->CountDefaultPoolResource(+1);
}

Surface::~Surface() {
  if (countedInPool_) device_->CountDefaultPoolResource(-1);
}

HRESULT Surface::CreateStandalone(Device* device, const SurfaceSpec& shape, bool implicit,
                                  Surface** out) {
  const FormatLayout* layout = FindFormatLayout(shape.format);
  if (!layout) return DebugError(D3DERR_INVALIDCALL, "unknown surface format %#x", shape.format);
  Surface* surface = new (std::nothrow) Surface(device, shape, nullptr, 0, 0, implicit);
  if (!surface) return E_OUTOFMEMORY;
  if (implicit) surface->Retain();
  const HRESULT hr = surface->plane_.Allocate(*layout, shape.width, shape.height, 1,
                                                PixelPlane::Contents::kZeroed);
  if (FAILED(hr)) {
    if (implicit) {
      surface->Unretain();
    } else {
      surface->Release();
    }
    return shape.pool == D3DPOOL_DEFAULT ? D3DERR_OUTOFVIDEOMEMORY : hr;
  }
  *out = surface;
  return D3D_OK;
}

HRESULT Surface::CreateLevel(Device* device, TextureStore* container, UINT face, UINT level,
                             const SurfaceSpec& shape, Surface** out) {
  const FormatLayout* layout = FindFormatLayout(shape.format);
  if (!layout) return D3DERR_INVALIDCALL;
  Surface* surface = new (std::nothrow) Surface(device, shape, container, face, level, false);
  if (!surface) return E_OUTOFMEMORY;
  surface->Retain();
  const HRESULT hr = surface->plane_.Allocate(*layout, shape.width, shape.height, 1,
                                                PixelPlane::Contents::kUndefined);
  if (FAILED(hr)) {
    surface->Unretain();
    return hr;
  }
  *out = surface;
  return D3D_OK;
}

HRESULT Surface::QueryInterface(REFIID riid, void** ppvObject) {
  if (!ppvObject) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDirect3DResource9 || riid == IID_IDirect3DSurface9) {
    AddRef();
    *ppvObject = static_cast<IDirect3DSurface9*>(this);
    return S_OK;
  }
  *ppvObject = nullptr;
  return E_NOINTERFACE;
}

ULONG Surface::AddRef() {
  return container_ ? container_->Lifetime().AddExternal() : AddExternal();
}

ULONG Surface::Release() {
  return container_ ? container_->Lifetime().ReleaseExternal() : ReleaseExternal();
}

HRESULT Surface::GetContainer(REFIID riid, void** ppContainer) {
  if (!ppContainer) return DebugError(D3DERR_INVALIDCALL, "GetContainer: null output pointer");
  if (container_) return container_->QueryContainer(riid, ppContainer);
  return AsInterface(device_)->QueryInterface(riid, ppContainer);
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* pDesc) {
  if (!pDesc) return DebugError(D3DERR_INVALIDCALL, "GetDesc: null output pointer");
  *pDesc = desc_;
  return D3D_OK;
}

bool Surface::IsLockable() const {
  if (desc_.Pool != D3DPOOL_DEFAULT) return true;
  if (desc_.Usage & D3DUSAGE_DYNAMIC) return true;
  switch (role_) {
    case SurfaceRole::kRenderTarget:
    case SurfaceRole::kDepthStencil:
      return lockable_;
    case SurfaceRole::kBackBuffer:
    case SurfaceRole::kOffscreenPlain:
      return true;
    case SurfaceRole::kTextureLevel:
      return false;
  }
  return false;
}

namespace {

// RECT edges are signed; anything negative is outside every surface.
bool ToArea(const RECT& r, Area* area) {
  if (r.left < 0 || r.top < 0 || r.right < 0 || r.bottom < 0) return false;
  *area = {static_cast<UINT>(r.left), static_cast<UINT>(r.top), 0,
           static_cast<UINT>(r.right), static_cast<UINT>(r.bottom), 1};
  return true;
}

}  // namespace

HRESULT Surface::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
  LockRecord record = {kLockRect, desc_.Format, desc_.Pool, desc_.Usage, Flags, pRect == nullptr,
                       {}, D3D_OK};
  Area area = plane_.Whole();
  const bool areaOk = !pRect || ToArea(*pRect, &area);
  if (pRect) {
    record.area = {static_cast<UINT>(pRect->left), static_cast<UINT>(pRect->top),
                   static_cast<UINT>(pRect->right), static_cast<UINT>(pRect->bottom), 0, 1};
  } else {
    record.area = {0, 0, desc_.Width, desc_.Height, 0, 1};
  }

  HRESULT hr = EnterCall(kLockRect);
  if (FAILED(hr)) {
    hr = DebugError(hr, "LockRect: injected failure");
  } else if (!pLockedRect) {
    hr = DebugError(D3DERR_INVALIDCALL, "LockRect: null output pointer");
  } else if (!IsLockable()) {
    hr = DebugError(D3DERR_INVALIDCALL,
                    "LockRect: a surface in D3DPOOL_DEFAULT without D3DUSAGE_DYNAMIC can't be "
                    "locked");
  } else if (!ValidLockFlags(Flags, desc_.Usage & D3DUSAGE_DYNAMIC, false)) {
    hr = DebugError(D3DERR_INVALIDCALL, "LockRect: invalid flags %#x", Flags);
  } else if (plane_.Locked()) {
    hr = DebugError(D3DERR_INVALIDCALL, "LockRect: the surface is already locked");
  } else if (!areaOk || !plane_.IsValidArea(area)) {
    hr = DebugError(D3DERR_INVALIDCALL,
                    "LockRect: rectangle (%d, %d, %d, %d) is empty, outside the %ux%u surface "
                    "or not aligned to the format's blocks",
                    pRect->left, pRect->top, pRect->right, pRect->bottom, desc_.Width,
                    desc_.Height);
  } else {
    pLockedRect->pBits = plane_.Lock(area, Flags);
    pLockedRect->Pitch = static_cast<INT>(plane_.RowPitch());
    if (!(Flags & D3DLOCK_READONLY)) NoteWritten(area, !(Flags & D3DLOCK_NO_DIRTY_UPDATE));
  }
  record.result = hr;
  RecordLock(record);
  return hr;
}

HRESULT Surface::UnlockRect() {
  if (!plane_.Unlock()) return DebugError(D3DERR_INVALIDCALL, "UnlockRect: not locked");
  return D3D_OK;
}

void Surface::NoteWritten(const Area& area, bool markDirty) {
  if (container_) container_->LevelWritten(face_, level_, area, markDirty);
}

Surface* AsSurface(IDirect3DSurface9* surface) { return dynamic_cast<Surface*>(surface); }

}  // namespace d3d9rt
