#include "d3d9/runtime/device.h"

#include <algorithm>
#include <iterator>
#include <new>

#include "d3d9/runtime/debug_log.h"
#include "d3d9/runtime/direct3d.h"
#include "d3d9/runtime/format_support.h"
#include "d3d9/runtime/runtime_state.h"
#include "d3d9/runtime/surface.h"
#include "d3d9/runtime/texture_store.h"
#include "d3d9/runtime/vertex_buffer.h"
#include "win32/window.h"

namespace d3d9rt {

IDirect3DDevice9* AsInterface(Device* device) { return device; }

HRESULT SettlePresentParameters(D3DPRESENT_PARAMETERS* p, HWND focusWindow, const char* call) {
  if (!p->Windowed) {
    return DebugError(D3DERR_INVALIDCALL, "%s: only windowed devices are supported", call);
  }
  if (p->BackBufferCount > 1) {
    return DebugError(D3DERR_INVALIDCALL, "%s: %u back buffers; a windowed device has one", call,
                      p->BackBufferCount);
  }
  if (p->SwapEffect < D3DSWAPEFFECT_DISCARD || p->SwapEffect > D3DSWAPEFFECT_COPY) {
    return DebugError(D3DERR_INVALIDCALL, "%s: invalid swap effect %u", call, p->SwapEffect);
  }
  if (p->MultiSampleType != D3DMULTISAMPLE_NONE || p->MultiSampleQuality != 0) {
    return DebugError(D3DERR_INVALIDCALL, "%s: multisampling is not supported", call);
  }
  if (p->Flags & ~(D3DPRESENTFLAG_LOCKABLE_BACKBUFFER | D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL |
                   D3DPRESENTFLAG_DEVICECLIP | D3DPRESENTFLAG_VIDEO)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: invalid flags %#x", call, p->Flags);
  }
  if (p->FullScreen_RefreshRateInHz != 0) {
    return DebugError(D3DERR_INVALIDCALL, "%s: a windowed device has no refresh rate", call);
  }
  const UINT interval = p->PresentationInterval;
  if (interval != D3DPRESENT_INTERVAL_DEFAULT && interval != D3DPRESENT_INTERVAL_ONE &&
      interval != D3DPRESENT_INTERVAL_IMMEDIATE) {
    return DebugError(D3DERR_INVALIDCALL, "%s: invalid presentation interval %#x", call, interval);
  }
  D3DFORMAT format = p->BackBufferFormat;
  if (format == D3DFMT_UNKNOWN) format = CurrentDisplayMode().Format;
  if (!IsBackBufferFormat(format)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: %#x is not a back buffer format", call, format);
  }
  if (p->EnableAutoDepthStencil) {
    const HRESULT ds = QueryFormatSupport({CurrentDisplayMode().Format, D3DUSAGE_DEPTHSTENCIL,
                                           D3DRTYPE_SURFACE, D3DPOOL_DEFAULT,
                                           p->AutoDepthStencilFormat});
    if (FAILED(ds) || !FindFormatLayout(p->AutoDepthStencilFormat)) {
      return DebugError(D3DERR_INVALIDCALL, "%s: %#x is not a depth-stencil format", call,
                        p->AutoDepthStencilFormat);
    }
  }
  const HWND window = p->hDeviceWindow ? p->hDeviceWindow : focusWindow;
  if (window && !IsWindow(window)) {
    return DebugError(D3DERR_INVALIDCALL, "%s: invalid window", call);
  }
  if (p->BackBufferWidth == 0 || p->BackBufferHeight == 0) {
    // A size of 0 takes the window's client area.
    RECT client = {};
    if (!window || !GetClientRect(window, &client)) {
      return DebugError(D3DERR_INVALIDCALL, "%s: back buffer size %ux%u and no window", call,
                        p->BackBufferWidth, p->BackBufferHeight);
    }
    if (p->BackBufferWidth == 0) p->BackBufferWidth = static_cast<UINT>(client.right - client.left);
    if (p->BackBufferHeight == 0) {
      p->BackBufferHeight = static_cast<UINT>(client.bottom - client.top);
    }
    if (p->BackBufferWidth == 0 || p->BackBufferHeight == 0) {
      return DebugError(D3DERR_INVALIDCALL, "%s: the window's client area is empty", call);
    }
  }
  const D3DCAPS9 caps = CurrentCaps();
  if (p->BackBufferWidth > caps.MaxTextureWidth || p->BackBufferHeight > caps.MaxTextureHeight) {
    return DebugError(D3DERR_INVALIDCALL, "%s: back buffer %ux%u is too large", call,
                      p->BackBufferWidth, p->BackBufferHeight);
  }
  p->BackBufferFormat = format;
  p->BackBufferCount = 1;
  return D3D_OK;
}

Device::Device(Direct3D* direct3d, const D3DDEVICE_CREATION_PARAMETERS& creation,
               const D3DPRESENT_PARAMETERS& present)
    : ObjectLifetime(nullptr, 1), direct3d_(direct3d), creation_(creation), present_(present) {
  direct3d_->AddRef();
  std::fill(std::begin(state_.streams), std::end(state_.streams), StreamSource{});
  std::fill(std::begin(state_.textures), std::end(state_.textures), BoundTexture{});
  std::fill(std::begin(state_.renderTargets), std::end(state_.renderTargets), nullptr);
  state_.depthStencil = nullptr;
}

Device::~Device() {
  ReleaseBindings();
  ReleaseSwapChainSurfaces();
  direct3d_->Release();
}

HRESULT Device::Create(Direct3D* direct3d, HWND focusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS* parameters, Device** out) {
  const DWORD processing = behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                            D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                            D3DCREATE_MIXED_VERTEXPROCESSING);
  if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING &&
      processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
      processing != D3DCREATE_MIXED_VERTEXPROCESSING) {
    return DebugError(D3DERR_INVALIDCALL,
                      "CreateDevice: behaviour flags %#x need exactly one vertex processing kind",
                      behaviorFlags);
  }
  if ((behaviorFlags & D3DCREATE_PUREDEVICE) && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING) {
    return DebugError(D3DERR_INVALIDCALL,
                      "CreateDevice: a pure device needs hardware vertex processing");
  }
  D3DPRESENT_PARAMETERS settled = *parameters;
  HRESULT hr = SettlePresentParameters(&settled, focusWindow, "CreateDevice");
  if (FAILED(hr)) return hr;
  if (!settled.hDeviceWindow) settled.hDeviceWindow = focusWindow;

  const D3DDEVICE_CREATION_PARAMETERS creation = {D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL,
                                                  focusWindow, behaviorFlags};
  Device* device = new (std::nothrow) Device(direct3d, creation, settled);
  if (!device) return E_OUTOFMEMORY;
  hr = device->CreateSwapChainSurfaces();
  if (FAILED(hr)) {
    device->Release();
    return hr;
  }
  *parameters = settled;
  *out = device;
  return D3D_OK;
}

HRESULT Device::CreateSwapChainSurfaces() {
  const SurfaceSpec back = {SurfaceRole::kBackBuffer,
                            present_.BackBufferWidth,
                            present_.BackBufferHeight,
                            present_.BackBufferFormat,
                            D3DUSAGE_RENDERTARGET,
                            D3DPOOL_DEFAULT,
                            D3DMULTISAMPLE_NONE,
                            0,
                            true};
  HRESULT hr = Surface::CreateStandalone(this, back, true, &backBuffer_);
  if (FAILED(hr)) return hr;
  if (present_.EnableAutoDepthStencil) {
    const SurfaceSpec depth = {SurfaceRole::kDepthStencil,
                               present_.BackBufferWidth,
                               present_.BackBufferHeight,
                               present_.AutoDepthStencilFormat,
                               D3DUSAGE_DEPTHSTENCIL,
                               D3DPOOL_DEFAULT,
                               D3DMULTISAMPLE_NONE,
                               0,
                               IsLockableDepthFormat(present_.AutoDepthStencilFormat)};
    hr = Surface::CreateStandalone(this, depth, true, &autoDepthStencil_);
    if (FAILED(hr)) return hr;
  }
  const D3DVIEWPORT9 viewport = {0, 0, present_.BackBufferWidth, present_.BackBufferHeight,
                                 0.0f, 1.0f};
  SetDefaultStates(&state_, autoDepthStencil_ != nullptr, viewport);
  backBuffer_->Retain();
  state_.renderTargets[0] = backBuffer_;
  if (autoDepthStencil_) {
    autoDepthStencil_->Retain();
    state_.depthStencil = autoDepthStencil_;
  }
  return D3D_OK;
}

void Device::ReleaseBindings() {
  for (StreamSource& stream : state_.streams) {
    if (stream.buffer) stream.buffer->Unretain();
    stream = {};
  }
  for (BoundTexture& bound : state_.textures) {
    if (bound.store) bound.store->Lifetime().Unretain();
    bound = {};
  }
  for (Surface*& target : state_.renderTargets) {
    if (target) target->Unretain();
    target = nullptr;
  }
  if (state_.depthStencil) state_.depthStencil->Unretain();
  state_.depthStencil = nullptr;
}

void Device::ReleaseSwapChainSurfaces() {
  if (backBuffer_) backBuffer_->Unretain();
  if (autoDepthStencil_) autoDepthStencil_->Unretain();
  backBuffer_ = nullptr;
  autoDepthStencil_ = nullptr;
}

Surface* Device::OwnSurface(IDirect3DSurface9* surface, const char* call) {
  Surface* own = surface ? AsSurface(surface) : nullptr;
  if (!own || own->OwnerDevice() != this) {
    DebugError(D3DERR_INVALIDCALL, "%s: %s surface", call,
               surface ? "a foreign" : "a null");
    return nullptr;
  }
  return own;
}

HRESULT Device::QueryInterface(REFIID riid, void** ppvObject) {
  if (!ppvObject) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDirect3DDevice9) {
    AddRef();
    *ppvObject = static_cast<IDirect3DDevice9*>(this);
    return S_OK;
  }
  *ppvObject = nullptr;
  return E_NOINTERFACE;
}

D3DCAPS9 Device::Caps() const { return CurrentCaps(); }

HWND Device::PresentWindow() const {
  return present_.hDeviceWindow ? present_.hDeviceWindow : creation_.hFocusWindow;
}

HRESULT Device::TestCooperativeLevel() {
  switch (CurrentDeviceState()) {
    case DeviceState::kLost:
      return D3DERR_DEVICELOST;
    case DeviceState::kNotReset:
      return D3DERR_DEVICENOTRESET;
    default:
      return D3D_OK;
  }
}

UINT Device::GetAvailableTextureMem() { return 512u << 20; }

HRESULT Device::EvictManagedResources() { return D3D_OK; }

HRESULT Device::GetDirect3D(IDirect3D9** ppD3D9) {
  if (!ppD3D9) return DebugError(D3DERR_INVALIDCALL, "GetDirect3D: null output pointer");
  direct3d_->AddRef();
  *ppD3D9 = direct3d_;
  return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* pCaps) {
  if (!pCaps) return DebugError(D3DERR_INVALIDCALL, "GetDeviceCaps: null output pointer");
  *pCaps = Caps();
  return D3D_OK;
}

HRESULT Device::GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) {
  if (iSwapChain != 0 || !pMode) {
    return DebugError(D3DERR_INVALIDCALL, "GetDisplayMode: swap chain %u, or null output",
                      iSwapChain);
  }
  *pMode = CurrentDisplayMode();
  return D3D_OK;
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) {
  if (!pParameters) {
    return DebugError(D3DERR_INVALIDCALL, "GetCreationParameters: null output pointer");
  }
  *pParameters = creation_;
  return D3D_OK;
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* pPresentationParameters) {
  if (!pPresentationParameters) return DebugError(D3DERR_INVALIDCALL, "Reset: null parameters");
  if (CurrentDeviceState() == DeviceState::kLost) {
    return DebugError(D3DERR_DEVICELOST, "Reset: the device is lost and can't be reset yet");
  }
  if (defaultPoolResources_ > 0) {
    return DebugError(D3DERR_INVALIDCALL,
                      "Reset: %d resources in D3DPOOL_DEFAULT are still referenced",
                      defaultPoolResources_);
  }
  if ((backBuffer_ && backBuffer_->ExternalCount() > 0) ||
      (autoDepthStencil_ && autoDepthStencil_->ExternalCount() > 0)) {
    return DebugError(D3DERR_INVALIDCALL,
                      "Reset: the back buffer or depth-stencil surface is still referenced");
  }
  D3DPRESENT_PARAMETERS settled = *pPresentationParameters;
  HRESULT hr = SettlePresentParameters(&settled, creation_.hFocusWindow, "Reset");
  if (FAILED(hr)) return hr;
  if (!settled.hDeviceWindow) settled.hDeviceWindow = creation_.hFocusWindow;

  ReleaseBindings();
  ReleaseSwapChainSurfaces();
  present_ = settled;
  hr = CreateSwapChainSurfaces();
  if (FAILED(hr)) {
    // The device keeps no back buffer: it stays unusable until a Reset succeeds.
    SetDeviceState(DeviceState::kNotReset);
    return hr;
  }
  SetDeviceState(DeviceState::kOperational);
  *pPresentationParameters = settled;
  return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                              IDirect3DSurface9** ppBackBuffer) {
  if (iSwapChain != 0 || iBackBuffer != 0 || Type != D3DBACKBUFFER_TYPE_MONO || !ppBackBuffer ||
      !backBuffer_) {
    return DebugError(D3DERR_INVALIDCALL,
                      "GetBackBuffer: swap chain %u, back buffer %u, type %u, or null output",
                      iSwapChain, iBackBuffer, Type);
  }
  backBuffer_->AddRef();
  *ppBackBuffer = backBuffer_;
  return D3D_OK;
}

}  // namespace d3d9rt
