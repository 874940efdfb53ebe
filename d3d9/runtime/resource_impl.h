// What every resource shares: reference counting, its device, its priority.
#pragma once

#include "d3d9/d3d9_interfaces.h"
#include "d3d9/runtime/debug_log.h"
#include "d3d9/runtime/object_lifetime.h"

namespace d3d9rt {

class Device;
IDirect3DDevice9* AsInterface(Device* device);

template <class Interface>
class ResourceImpl : public Interface, public ObjectLifetime {
 public:
  ULONG AddRef() override { return AddExternal(); }
  ULONG Release() override { return ReleaseExternal(); }

  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override {
    if (!ppDevice) return DebugError(D3DERR_INVALIDCALL, "GetDevice: null output pointer");
    IDirect3DDevice9* device = AsInterface(device_);
    device->AddRef();
    *ppDevice = device;
    return D3D_OK;
  }
  DWORD SetPriority(DWORD priority) override {
    const DWORD previous = priority_;
    priority_ = priority;
    return previous;
  }
  DWORD GetPriority() override { return priority_; }
  // Nothing to upload: every pool lives in the same memory.
  void PreLoad() override {}

  Device* OwnerDevice() const { return device_; }

 protected:
  // `holdDevice`: whether outside references hold the device (not for levels of a texture,
  // whose references are the texture's).
  ResourceImpl(Device* device, ULONG external, bool holdDevice)
      : ObjectLifetime(holdDevice ? AsInterface(device) : nullptr, external), device_(device) {}

  Device* device_;
  DWORD priority_ = 0;
};

}  // namespace d3d9rt
