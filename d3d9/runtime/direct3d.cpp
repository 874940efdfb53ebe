#include "d3d9/runtime/direct3d.h"

#include <cstdio>
#include <cstring>

#include "d3d9/runtime/debug_log.h"
#include "d3d9/runtime/device.h"
#include "d3d9/runtime/format_support.h"
#include "d3d9/runtime/runtime_state.h"

namespace d3d9rt {
namespace {

// Usage bits CheckDeviceFormat understands for each kind of resource.
constexpr DWORD kQueryUsages = D3DUSAGE_QUERY_LEGACYBUMPMAP | D3DUSAGE_QUERY_SRGBREAD |
                               D3DUSAGE_QUERY_FILTER | D3DUSAGE_QUERY_SRGBWRITE |
                               D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING |
                               D3DUSAGE_QUERY_VERTEXTEXTURE | D3DUSAGE_QUERY_WRAPANDMIP;
constexpr DWORD kImageUsages = D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_DYNAMIC |
                               D3DUSAGE_AUTOGENMIPMAP | D3DUSAGE_DMAP |
                               D3DUSAGE_SOFTWAREPROCESSING | kQueryUsages;
constexpr DWORD kBufferUsages = D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING |
                                D3DUSAGE_DONOTCLIP | D3DUSAGE_POINTS | D3DUSAGE_RTPATCHES |
                                D3DUSAGE_NPATCHES | D3DUSAGE_DYNAMIC;

D3DFORMAT ResolveAdapterFormat(D3DFORMAT format) {
  return format == static_cast<D3DFORMAT>(D3DCURRENT_DISPLAY_MODE) ? CurrentDisplayMode().Format
                                                                   : format;
}

}  // namespace

HRESULT CheckAdapter(UINT adapter, D3DDEVTYPE type, const char* call) {
  if (adapter != D3DADAPTER_DEFAULT) {
    return DebugError(D3DERR_INVALIDCALL, "%s: adapter %u does not exist", call, adapter);
  }
  switch (type) {
    case D3DDEVTYPE_HAL:
      return D3D_OK;
    case D3DDEVTYPE_REF:
    case D3DDEVTYPE_SW:
    case D3DDEVTYPE_NULLREF:
      return DebugError(D3DERR_NOTAVAILABLE, "%s: device type %u is not available", call, type);
    default:
      return DebugError(D3DERR_INVALIDCALL, "%s: invalid device type %u", call, type);
  }
}

HRESULT Direct3D::QueryInterface(REFIID riid, void** ppvObject) {
  if (!ppvObject) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDirect3D9) {
    AddRef();
    *ppvObject = static_cast<IDirect3D9*>(this);
    return S_OK;
  }
  *ppvObject = nullptr;
  return E_NOINTERFACE;
}

HRESULT Direct3D::GetAdapterIdentifier(UINT Adapter, DWORD, D3DADAPTER_IDENTIFIER9* pIdentifier) {
  if (Adapter != D3DADAPTER_DEFAULT || !pIdentifier) {
    return DebugError(D3DERR_INVALIDCALL, "GetAdapterIdentifier: adapter %u, or null output",
                      Adapter);
  }
  std::memset(pIdentifier, 0, sizeof(*pIdentifier));
  std::snprintf(pIdentifier->Driver, sizeof(pIdentifier->Driver), "d3d9.dll");
  std::snprintf(pIdentifier->Description, sizeof(pIdentifier->Description),
                "Software Direct3D 9 adapter");
  std::snprintf(pIdentifier->DeviceName, sizeof(pIdentifier->DeviceName), "\\\\.\\DISPLAY1");
  pIdentifier->DriverVersion.QuadPart = (LONGLONG{9} << 48) | 1;
  pIdentifier->DeviceIdentifier = {0x5f2d9a41, 0x33c1, 0x4e7b,
                                   {0x9d, 0x2e, 0x61, 0x0a, 0x44, 0x8b, 0x7c, 0x15}};
  pIdentifier->WHQLLevel = 0;
  return D3D_OK;
}

HRESULT Direct3D::GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) {
  if (Adapter != D3DADAPTER_DEFAULT || !pMode) {
    return DebugError(D3DERR_INVALIDCALL, "GetAdapterDisplayMode: adapter %u, or null output",
                      Adapter);
  }
  *pMode = CurrentDisplayMode();
  return D3D_OK;
}

HRESULT Direct3D::CheckDeviceType(UINT Adapter, D3DDEVTYPE DevType, D3DFORMAT AdapterFormat,
                                  D3DFORMAT BackBufferFormat, BOOL bWindowed) {
  HRESULT hr = CheckAdapter(Adapter, DevType, "CheckDeviceType");
  if (FAILED(hr)) return hr;
  if (!IsDisplayFormat(AdapterFormat)) {
    return DebugError(D3DERR_NOTAVAILABLE, "CheckDeviceType: %#x is not a display format",
                      AdapterFormat);
  }
  if (BackBufferFormat == D3DFMT_UNKNOWN && bWindowed) return D3D_OK;
  if (!IsBackBufferFormat(BackBufferFormat)) {
    return DebugError(D3DERR_NOTAVAILABLE, "CheckDeviceType: %#x is not a back buffer format",
                      BackBufferFormat);
  }
  return D3D_OK;
}

HRESULT Direct3D::CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                    DWORD Usage, D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) {
  HRESULT hr = CheckAdapter(Adapter, DeviceType, "CheckDeviceFormat");
  if (FAILED(hr)) return hr;
  const D3DFORMAT adapterFormat = ResolveAdapterFormat(AdapterFormat);
  if (!IsDisplayFormat(adapterFormat)) {
    return DebugError(D3DERR_NOTAVAILABLE, "CheckDeviceFormat: %#x is not a display format",
                      AdapterFormat);
  }
  if (RType < D3DRTYPE_SURFACE || RType > D3DRTYPE_INDEXBUFFER) {
    return DebugError(D3DERR_INVALIDCALL, "CheckDeviceFormat: invalid resource type %u", RType);
  }
  const bool buffer = RType == D3DRTYPE_VERTEXBUFFER || RType == D3DRTYPE_INDEXBUFFER;
  if (Usage & ~(buffer ? kBufferUsages : kImageUsages)) {
    return DebugError(D3DERR_INVALIDCALL, "CheckDeviceFormat: invalid usage %#x", Usage);
  }
  hr = QueryFormatSupport({adapterFormat, Usage, RType, D3DPOOL_DEFAULT, CheckFormat});
  if (FAILED(hr)) {
    return DebugError(hr, "CheckDeviceFormat: format %#x not supported for usage %#x, type %u",
                      CheckFormat, Usage, RType);
  }
  return hr;
}

HRESULT Direct3D::CheckDeviceMultiSampleType(UINT Adapter, D3DDEVTYPE DeviceType,
                                             D3DFORMAT SurfaceFormat, BOOL,
                                             D3DMULTISAMPLE_TYPE MultiSampleType,
                                             DWORD* pQualityLevels) {
  HRESULT hr = CheckAdapter(Adapter, DeviceType, "CheckDeviceMultiSampleType");
  if (FAILED(hr)) return hr;
  if (MultiSampleType > D3DMULTISAMPLE_16_SAMPLES) {
    return DebugError(D3DERR_INVALIDCALL, "CheckDeviceMultiSampleType: invalid type %u",
                      MultiSampleType);
  }
  // The rasteriser takes one sample per pixel.
  if (MultiSampleType != D3DMULTISAMPLE_NONE) {
    return DebugError(D3DERR_NOTAVAILABLE, "CheckDeviceMultiSampleType: no multisampling");
  }
  const HRESULT rt = QueryFormatSupport({CurrentDisplayMode().Format, D3DUSAGE_RENDERTARGET,
                                         D3DRTYPE_SURFACE, D3DPOOL_DEFAULT, SurfaceFormat});
  const HRESULT ds = QueryFormatSupport({CurrentDisplayMode().Format, D3DUSAGE_DEPTHSTENCIL,
                                         D3DRTYPE_SURFACE, D3DPOOL_DEFAULT, SurfaceFormat});
  if (FAILED(rt) && FAILED(ds)) {
    return DebugError(D3DERR_NOTAVAILABLE, "CheckDeviceMultiSampleType: format %#x",
                      SurfaceFormat);
  }
  if (pQualityLevels) *pQualityLevels = 1;
  return D3D_OK;
}

HRESULT Direct3D::CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType,
                                         D3DFORMAT AdapterFormat, D3DFORMAT RenderTargetFormat,
                                         D3DFORMAT DepthStencilFormat) {
  HRESULT hr = CheckAdapter(Adapter, DeviceType, "CheckDepthStencilMatch");
  if (FAILED(hr)) return hr;
  const D3DFORMAT adapterFormat = ResolveAdapterFormat(AdapterFormat);
  const HRESULT rt = QueryFormatSupport({adapterFormat, D3DUSAGE_RENDERTARGET, D3DRTYPE_SURFACE,
                                         D3DPOOL_DEFAULT, RenderTargetFormat});
  const HRESULT ds = QueryFormatSupport({adapterFormat, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                                         D3DPOOL_DEFAULT, DepthStencilFormat});
  if (FAILED(rt) || FAILED(ds)) {
    return DebugError(D3DERR_NOTAVAILABLE, "CheckDepthStencilMatch: %#x with %#x",
                      RenderTargetFormat, DepthStencilFormat);
  }
  return D3D_OK;
}

HRESULT Direct3D::GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) {
  HRESULT hr = CheckAdapter(Adapter, DeviceType, "GetDeviceCaps");
  if (FAILED(hr)) return hr;
  if (!pCaps) return DebugError(D3DERR_INVALIDCALL, "GetDeviceCaps: null output pointer");
  *pCaps = CurrentCaps();
  return D3D_OK;
}

HRESULT Direct3D::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                               DWORD BehaviorFlags,
                               D3DPRESENT_PARAMETERS* pPresentationParameters,
                               IDirect3DDevice9** ppReturnedDeviceInterface) {
  HRESULT hr = EnterCall(kCreateDevice);
  if (FAILED(hr)) return DebugError(hr, "CreateDevice: injected failure");
  hr = CheckAdapter(Adapter, DeviceType, "CreateDevice");
  if (FAILED(hr)) return hr;
  if (!ppReturnedDeviceInterface || !pPresentationParameters) {
    return DebugError(D3DERR_INVALIDCALL, "CreateDevice: null pointer argument");
  }
  Device* device = nullptr;
  hr = Device::Create(this, hFocusWindow, BehaviorFlags, pPresentationParameters, &device);
  if (FAILED(hr)) return hr;
  *ppReturnedDeviceInterface = device;
  return D3D_OK;
}

}  // namespace d3d9rt
