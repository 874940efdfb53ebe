// The device: resource creation (device_resources.cpp), copies between resources and pools
// (device_copies.cpp), fixed-function state (device_states.cpp), scenes and clears
// (device_scene.cpp), drawing (device_draw.cpp) and presentation (present.cpp).
#pragma once

#include <cstdint>
#include <vector>

#include "d3d9/d3d9_interfaces.h"
#include "d3d9/runtime/device_state.h"
#include "d3d9/runtime/object_lifetime.h"

namespace d3d9rt {

class Direct3D;
class Surface;

class Device final : public IDirect3DDevice9, public ObjectLifetime {
 public:
  // Validates the creation parameters (writing back the values the runtime settles, as the
  // hardware runtime does) and creates the device with its back buffer and automatic
  // depth-stencil surface.
  static HRESULT Create(Direct3D* direct3d, HWND focusWindow, DWORD behaviorFlags,
                        D3DPRESENT_PARAMETERS* parameters, Device** out);

  // IUnknown
  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override { return AddExternal(); }
  ULONG Release() override { return ReleaseExternal(); }

  // Device state
  HRESULT TestCooperativeLevel() override;
  UINT GetAvailableTextureMem() override;
  HRESULT EvictManagedResources() override;
  HRESULT GetDirect3D(IDirect3D9** ppD3D9) override;
  HRESULT GetDeviceCaps(D3DCAPS9* pCaps) override;
  HRESULT GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) override;
  HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) override;
  HRESULT Reset(D3DPRESENT_PARAMETERS* pPresentationParameters) override;
  HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                  const RGNDATA* pDirtyRegion) override;
  HRESULT GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                        IDirect3DSurface9** ppBackBuffer) override;

  // Resource creation
  HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                        D3DPOOL Pool, IDirect3DTexture9** ppTexture,
                        HANDLE* pSharedHandle) override;
  HRESULT CreateVolumeTexture(UINT Width, UINT Height, UINT Depth, UINT Levels, DWORD Usage,
                              D3DFORMAT Format, D3DPOOL Pool,
                              IDirect3DVolumeTexture9** ppVolumeTexture,
                              HANDLE* pSharedHandle) override;
  HRESULT CreateCubeTexture(UINT EdgeLength, UINT Levels, DWORD Usage, D3DFORMAT Format,
                            D3DPOOL Pool, IDirect3DCubeTexture9** ppCubeTexture,
                            HANDLE* pSharedHandle) override;
  HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                             IDirect3DVertexBuffer9** ppVertexBuffer,
                             HANDLE* pSharedHandle) override;
  HRESULT CreateRenderTarget(UINT Width, UINT Height, D3DFORMAT Format,
                             D3DMULTISAMPLE_TYPE MultiSample, DWORD MultisampleQuality,
                             BOOL Lockable, IDirect3DSurface9** ppSurface,
                             HANDLE* pSharedHandle) override;
  HRESULT CreateDepthStencilSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                    D3DMULTISAMPLE_TYPE MultiSample, DWORD MultisampleQuality,
                                    BOOL Discard, IDirect3DSurface9** ppSurface,
                                    HANDLE* pSharedHandle) override;
  HRESULT CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                      IDirect3DSurface9** ppSurface,
                                      HANDLE* pSharedHandle) override;

  // Copies
  HRESULT UpdateSurface(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                        IDirect3DSurface9* pDestinationSurface,
                        const POINT* pDestPoint) override;
  HRESULT UpdateTexture(IDirect3DBaseTexture9* pSourceTexture,
                        IDirect3DBaseTexture9* pDestinationTexture) override;
  HRESULT GetRenderTargetData(IDirect3DSurface9* pRenderTarget,
                              IDirect3DSurface9* pDestSurface) override;
  HRESULT StretchRect(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                      IDirect3DSurface9* pDestSurface, const RECT* pDestRect,
                      D3DTEXTUREFILTERTYPE Filter) override;
  HRESULT ColorFill(IDirect3DSurface9* pSurface, const RECT* pRect, D3DCOLOR color) override;

  // Render targets
  HRESULT SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) override;
  HRESULT GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) override;
  HRESULT SetDepthStencilSurface(IDirect3DSurface9* pNewZStencil) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface9** ppZStencilSurface) override;

  // Scenes and drawing
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                DWORD Stencil) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override;
  HRESULT SetViewport(const D3DVIEWPORT9* pViewport) override;
  HRESULT GetViewport(D3DVIEWPORT9* pViewport) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override;
  HRESULT GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) override;
  HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
  HRESULT GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                               DWORD* pValue) override;
  HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
  HRESULT GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) override;
  HRESULT SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override;
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                        UINT PrimitiveCount) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                          const void* pVertexStreamZeroData,
                          UINT VertexStreamZeroStride) override;
  HRESULT SetFVF(DWORD FVF) override;
  HRESULT GetFVF(DWORD* pFVF) override;
  HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                          UINT OffsetInBytes, UINT Stride) override;
  HRESULT GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData,
                          UINT* pOffsetInBytes, UINT* pStride) override;

  // The runtime's own view, for resources and for rendering.
  D3DCAPS9 Caps() const;
  const PipelineState& State() const { return state_; }
  const D3DPRESENT_PARAMETERS& PresentParameters() const { return present_; }
  Surface* BackBuffer() const { return backBuffer_; }
  Surface* AutoDepthStencil() const { return autoDepthStencil_; }
  HWND PresentWindow() const;
  // Resources in D3DPOOL_DEFAULT that the application created and still has: Reset needs none.
  void CountDefaultPoolResource(int delta) { defaultPoolResources_ += delta; }
  UINT PresentCount() const { return presentCount_; }

 private:
  Device(Direct3D* direct3d, const D3DDEVICE_CREATION_PARAMETERS& creation,
         const D3DPRESENT_PARAMETERS& present);
  ~Device() override;

  // Creates the back buffer and the automatic depth-stencil surface of present_, and resets
  // the state to its defaults with them bound.
  HRESULT CreateSwapChainSurfaces();
  void ReleaseBindings();
  void ReleaseSwapChainSurfaces();
  // Whether `surface` is ours and of this device; else a debug message names `call`.
  Surface* OwnSurface(IDirect3DSurface9* surface, const char* call);

  Direct3D* direct3d_;
  D3DDEVICE_CREATION_PARAMETERS creation_;
  D3DPRESENT_PARAMETERS present_;
  Surface* backBuffer_ = nullptr;
  Surface* autoDepthStencil_ = nullptr;
  PipelineState state_;
  int defaultPoolResources_ = 0;
  UINT presentCount_ = 0;
  // Present's 32-bit copy of back buffers of other formats, kept from frame to frame.
  std::vector<uint32_t> presentPixels_;
};

IDirect3DDevice9* AsInterface(Device* device);

// Checks D3DPRESENT_PARAMETERS for a windowed device (one back buffer, no multisampling) and
// fills in the defaults (size from the window, format from the display mode, one back buffer).
HRESULT SettlePresentParameters(D3DPRESENT_PARAMETERS* parameters, HWND focusWindow,
                                const char* call);

}  // namespace d3d9rt
