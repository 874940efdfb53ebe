// The Direct3D object: the one adapter, its capabilities and format support, and devices.
#pragma once

#include "d3d9/d3d9_interfaces.h"
#include "d3d9/runtime/object_lifetime.h"

namespace d3d9rt {

class Direct3D final : public IDirect3D9, public ObjectLifetime {
 public:
  Direct3D() : ObjectLifetime(nullptr, 1) {}

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override { return AddExternal(); }
  ULONG Release() override { return ReleaseExternal(); }

  UINT GetAdapterCount() override { return 1; }
  HRESULT GetAdapterIdentifier(UINT Adapter, DWORD Flags,
                               D3DADAPTER_IDENTIFIER9* pIdentifier) override;
  HRESULT GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) override;
  HRESULT CheckDeviceType(UINT Adapter, D3DDEVTYPE DevType, D3DFORMAT AdapterFormat,
                          D3DFORMAT BackBufferFormat, BOOL bWindowed) override;
  HRESULT CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                            DWORD Usage, D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) override;
  HRESULT CheckDeviceMultiSampleType(UINT Adapter, D3DDEVTYPE DeviceType,
                                     D3DFORMAT SurfaceFormat, BOOL Windowed,
                                     D3DMULTISAMPLE_TYPE MultiSampleType,
                                     DWORD* pQualityLevels) override;
  HRESULT CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                 D3DFORMAT RenderTargetFormat,
                                 D3DFORMAT DepthStencilFormat) override;
  HRESULT GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) override;
  HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                       DWORD BehaviorFlags, D3DPRESENT_PARAMETERS* pPresentationParameters,
                       IDirect3DDevice9** ppReturnedDeviceInterface) override;

 private:
  ~Direct3D() override = default;
};

// The checks every adapter query starts with: adapter 0 and the HAL device type
// (D3DERR_INVALIDCALL for another adapter or an unknown type, D3DERR_NOTAVAILABLE for the
// reference, software and null devices, which this runtime does not have).
HRESULT CheckAdapter(UINT adapter, D3DDEVTYPE type, const char* call);

}  // namespace d3d9rt
