// The IDirect3DBaseTexture9 methods, shared by 2D, cube and volume textures.
#pragma once

#include "d3d9/runtime/resource_impl.h"
#include "d3d9/runtime/texture_store.h"

namespace d3d9rt {

template <class Interface>
class BaseTextureImpl : public ResourceImpl<Interface>, public TextureStore {
 public:
  D3DRESOURCETYPE GetType() override { return shape_.type; }

  // Only managed textures have a level of detail; it is clamped to the last level.
  DWORD SetLOD(DWORD LODNew) override {
    if (shape_.pool != D3DPOOL_MANAGED) return 0;
    const DWORD previous = lod_;
    lod_ = LODNew < shape_.levels ? LODNew : shape_.levels - 1;
    return previous;
  }
  DWORD GetLOD() override { return shape_.pool == D3DPOOL_MANAGED ? lod_ : 0; }
  DWORD GetLevelCount() override { return shape_.levels; }
  HRESULT SetAutoGenFilterType(D3DTEXTUREFILTERTYPE FilterType) override {
    return SetAutoGenFilter(FilterType);
  }
  D3DTEXTUREFILTERTYPE GetAutoGenFilterType() override { return AutoGenFilter(); }
  void GenerateMipSubLevels() override { GenerateSubLevels(); }

  HRESULT QueryContainer(REFIID riid, void** out) override {
    return this->QueryInterface(riid, out);
  }
  ObjectLifetime& Lifetime() override { return *this; }

 protected:
  BaseTextureImpl(Device* device, const TextureShape& shape)
      : ResourceImpl<Interface>(device, 1, true), TextureStore(device, shape) {}

  // QueryInterface for the identifiers every texture answers, plus the kind's own.
  HRESULT QueryTexture(REFIID riid, REFIID own, void** ppvObject) {
    if (!ppvObject) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirect3DResource9 ||
        riid == IID_IDirect3DBaseTexture9 || riid == own) {
      this->AddRef();
      *ppvObject = static_cast<Interface*>(this);
      return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
  }

  // Level-0 rectangle of AddDirtyRect: null is the whole level.
  HRESULT AddDirtyRectOf(UINT face, const RECT* rect) {
    if (!rect) {
      AddDirty(face, {0, 0, 0, shape_.width, shape_.height, 1}, 0);
      return D3D_OK;
    }
    if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right ||
        rect->top >= rect->bottom || static_cast<UINT>(rect->right) > shape_.width ||
        static_cast<UINT>(rect->bottom) > shape_.height) {
      return DebugError(D3DERR_INVALIDCALL, "AddDirtyRect: rectangle outside the texture");
    }
    AddDirty(face,
             {static_cast<UINT>(rect->left), static_cast<UINT>(rect->top), 0,
              static_cast<UINT>(rect->right), static_cast<UINT>(rect->bottom), 1},
             0);
    return D3D_OK;
  }
};

}  // namespace d3d9rt
