// A small stand-in for a Direct3D 9 device and its Direct3D object, for the closest-format search:
// CheckDeviceFormat answers from a rule and logs every probe, the device's queries answer from
// settings, and both count their references. Nothing else of the interfaces is implemented.
#pragma once

#include <functional>
#include <vector>

#include "d3d9/d3d9.h"

namespace pixel_test {

// One CheckDeviceFormat call as received, with whether the runtime was muted at the time.
struct FormatProbeCall {
  UINT adapter;
  D3DDEVTYPE deviceType;
  D3DFORMAT adapterFormat;
  DWORD usage;
  D3DRESOURCETYPE resourceType;
  D3DFORMAT format;
  bool muted;
};

// Whether the fake "d3d9.dll" has last been told to mute; installed once per process.
bool FakeRuntimeMuted();
// Every argument the fake "DebugSetMute" received, in order.
const std::vector<BOOL>& FakeRuntimeMuteCalls();
void InstallFakeRuntime();
void ClearFakeRuntimeMuteCalls();

class FakeDirect3D final : public IDirect3D9 {
 public:
  using SupportRule = std::function<bool(DWORD usage, D3DRESOURCETYPE type, D3DFORMAT format)>;

  SupportRule supports = [](DWORD, D3DRESOURCETYPE, D3DFORMAT) { return true; };
  std::vector<FormatProbeCall> probes;
  ULONG references = 1;

  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }

  HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                            DWORD usage, D3DRESOURCETYPE resourceType, D3DFORMAT format) override {
    probes.push_back(
        {adapter, deviceType, adapterFormat, usage, resourceType, format, FakeRuntimeMuted()});
    return supports(usage, resourceType, format) ? D3D_OK : D3DERR_NOTAVAILABLE;
  }

  // Not used by the search.
  UINT GetAdapterCount() override { return 0; }
  HRESULT GetAdapterIdentifier(UINT, DWORD, D3DADAPTER_IDENTIFIER9*) override { return E_NOTIMPL; }
  HRESULT GetAdapterDisplayMode(UINT, D3DDISPLAYMODE*) override { return E_NOTIMPL; }
  HRESULT CheckDeviceType(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, BOOL) override {
    return E_NOTIMPL;
  }
  HRESULT CheckDeviceMultiSampleType(UINT, D3DDEVTYPE, D3DFORMAT, BOOL, D3DMULTISAMPLE_TYPE,
                                     DWORD*) override {
    return E_NOTIMPL;
  }
  HRESULT CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override {
    return E_NOTIMPL;
  }
  HRESULT GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS9*) override { return E_NOTIMPL; }
  HRESULT CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*,
                       IDirect3DDevice9**) override {
    return E_NOTIMPL;
  }
};

class FakeDevice final : public IDirect3DDevice9 {
 public:
  explicit FakeDevice(FakeDirect3D* d3d) : d3d_(d3d) {
    caps.AdapterOrdinal = 0;
    caps.DeviceType = D3DDEVTYPE_HAL;
    displayMode = {640, 480, 60, D3DFMT_X8R8G8B8};
    creation = {0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING};
  }

  D3DCAPS9 caps{};
  D3DDISPLAYMODE displayMode{};
  D3DDEVICE_CREATION_PARAMETERS creation{};
  bool failGetDirect3D = false;
  bool failQueries = false;  // GetDeviceCaps, GetDisplayMode, GetCreationParameters
  int creationQueries = 0;
  ULONG references = 1;

  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }

  HRESULT GetDirect3D(IDirect3D9** out) override {
    if (failGetDirect3D) return D3DERR_INVALIDCALL;
    d3d_->AddRef();
    *out = d3d_;
    return D3D_OK;
  }
  HRESULT GetDeviceCaps(D3DCAPS9* out) override {
    if (failQueries) return D3DERR_INVALIDCALL;
    *out = caps;
    return D3D_OK;
  }
  HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* out) override {
    if (failQueries || swapChain != 0) return D3DERR_INVALIDCALL;
    *out = displayMode;
    return D3D_OK;
  }
  HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* out) override {
    ++creationQueries;
    if (failQueries) return D3DERR_INVALIDCALL;
    *out = creation;
    return D3D_OK;
  }

  // Not used by the search.
  HRESULT TestCooperativeLevel() override { return E_NOTIMPL; }
  UINT GetAvailableTextureMem() override { return 0; }
  HRESULT EvictManagedResources() override { return E_NOTIMPL; }
  HRESULT Reset(D3DPRESENT_PARAMETERS*) override { return E_NOTIMPL; }
  HRESULT Present(const RECT*, const RECT*, HWND, const RGNDATA*) override { return E_NOTIMPL; }
  HRESULT GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9**) override {
    return E_NOTIMPL;
  }
  HRESULT CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture9**,
                        HANDLE*) override {
    return E_NOTIMPL;
  }
  HRESULT CreateVolumeTexture(UINT, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                              IDirect3DVolumeTexture9**, HANDLE*) override {
    return E_NOTIMPL;
  }
  HRESULT CreateCubeTexture(UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture9**,
                            HANDLE*) override {
    return E_NOTIMPL;
  }
  HRESULT CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer9**,
                             HANDLE*) override {
    return E_NOTIMPL;
  }
  HRESULT CreateRenderTarget(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
                             IDirect3DSurface9**, HANDLE*) override {
    return E_NOTIMPL;
  }
  HRESULT CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, DWORD, BOOL,
                                    IDirect3DSurface9**, HANDLE*) override {
    return E_NOTIMPL;
  }
  HRESULT CreateOffscreenPlainSurface(UINT, UINT, D3DFORMAT, D3DPOOL, IDirect3DSurface9**,
                                      HANDLE*) override {
    return E_NOTIMPL;
  }
  HRESULT UpdateSurface(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*,
                        const POINT*) override {
    return E_NOTIMPL;
  }
  HRESULT UpdateTexture(IDirect3DBaseTexture9*, IDirect3DBaseTexture9*) override {
    return E_NOTIMPL;
  }
  HRESULT GetRenderTargetData(IDirect3DSurface9*, IDirect3DSurface9*) override { return E_NOTIMPL; }
  HRESULT StretchRect(IDirect3DSurface9*, const RECT*, IDirect3DSurface9*, const RECT*,
                      D3DTEXTUREFILTERTYPE) override {
    return E_NOTIMPL;
  }
  HRESULT ColorFill(IDirect3DSurface9*, const RECT*, D3DCOLOR) override { return E_NOTIMPL; }
  HRESULT SetRenderTarget(DWORD, IDirect3DSurface9*) override { return E_NOTIMPL; }
  HRESULT GetRenderTarget(DWORD, IDirect3DSurface9**) override { return E_NOTIMPL; }
  HRESULT SetDepthStencilSurface(IDirect3DSurface9*) override { return E_NOTIMPL; }
  HRESULT GetDepthStencilSurface(IDirect3DSurface9**) override { return E_NOTIMPL; }
  HRESULT BeginScene() override { return E_NOTIMPL; }
  HRESULT EndScene() override { return E_NOTIMPL; }
  HRESULT Clear(DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return E_NOTIMPL; }
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return E_NOTIMPL; }
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return E_NOTIMPL; }
  HRESULT SetViewport(const D3DVIEWPORT9*) override { return E_NOTIMPL; }
  HRESULT GetViewport(D3DVIEWPORT9*) override { return E_NOTIMPL; }
  HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return E_NOTIMPL; }
  HRESULT GetRenderState(D3DRENDERSTATETYPE, DWORD*) override { return E_NOTIMPL; }
  HRESULT GetTexture(DWORD, IDirect3DBaseTexture9**) override { return E_NOTIMPL; }
  HRESULT SetTexture(DWORD, IDirect3DBaseTexture9*) override { return E_NOTIMPL; }
  HRESULT GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD*) override {
    return E_NOTIMPL;
  }
  HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT GetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD*) override { return E_NOTIMPL; }
  HRESULT SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) override { return E_NOTIMPL; }
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override { return E_NOTIMPL; }
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void*, UINT) override { return E_NOTIMPL; }
  HRESULT SetFVF(DWORD) override { return E_NOTIMPL; }
  HRESULT GetFVF(DWORD*) override { return E_NOTIMPL; }
  HRESULT SetStreamSource(UINT, IDirect3DVertexBuffer9*, UINT, UINT) override { return E_NOTIMPL; }
  HRESULT GetStreamSource(UINT, IDirect3DVertexBuffer9**, UINT*, UINT*) override {
    return E_NOTIMPL;
  }

 private:
  FakeDirect3D* d3d_;
};

}  // namespace pixel_test
