// The reference-counted Direct3D 9 interfaces. Every Create or Get that hands out an object
// hands out one reference, which the receiver gives back with Release.
#pragma once

#include "d3d9/d3d9_types.h"
#include "win32/win32_types.h"

struct IDirect3D9;
struct IDirect3DDevice9;
struct IDirect3DResource9;
struct IDirect3DBaseTexture9;
struct IDirect3DTexture9;
struct IDirect3DCubeTexture9;
struct IDirect3DVolumeTexture9;
struct IDirect3DSurface9;
struct IDirect3DVolume9;
struct IDirect3DVertexBuffer9;

extern const IID IID_IDirect3D9;
extern const IID IID_IDirect3DDevice9;
extern const IID IID_IDirect3DResource9;
extern const IID IID_IDirect3DBaseTexture9;
extern const IID IID_IDirect3DTexture9;
extern const IID IID_IDirect3DCubeTexture9;
extern const IID IID_IDirect3DVolumeTexture9;
extern const IID IID_IDirect3DSurface9;
extern const IID IID_IDirect3DVolume9;
extern const IID IID_IDirect3DVertexBuffer9;

// The Direct3D object: adapters, their capabilities and format support, device creation.
struct IDirect3D9 : IUnknown {
  virtual UINT GetAdapterCount() = 0;
  virtual HRESULT GetAdapterIdentifier(UINT Adapter, DWORD Flags,
                                       D3DADAPTER_IDENTIFIER9* pIdentifier) = 0;
  virtual HRESULT GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) = 0;
  virtual HRESULT CheckDeviceType(UINT Adapter, D3DDEVTYPE DevType, D3DFORMAT AdapterFormat,
                                  D3DFORMAT BackBufferFormat, BOOL bWindowed) = 0;
  // S_OK when CheckFormat can be used as RType with Usage; D3DERR_NOTAVAILABLE when not.
  virtual HRESULT CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                    DWORD Usage, D3DRESOURCETYPE RType,
                                    D3DFORMAT CheckFormat) = 0;
  virtual HRESULT CheckDeviceMultiSampleType(UINT Adapter, D3DDEVTYPE DeviceType,
                                             D3DFORMAT SurfaceFormat, BOOL Windowed,
                                             D3DMULTISAMPLE_TYPE MultiSampleType,
                                             DWORD* pQualityLevels) = 0;
  virtual HRESULT CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType,
                                         D3DFORMAT AdapterFormat, D3DFORMAT RenderTargetFormat,
                                         D3DFORMAT DepthStencilFormat) = 0;
  virtual HRESULT GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) = 0;
  virtual HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                               DWORD BehaviorFlags,
                               D3DPRESENT_PARAMETERS* pPresentationParameters,
                               IDirect3DDevice9** ppReturnedDeviceInterface) = 0;

 protected:
  ~IDirect3D9() = default;
};

// A rendering device: resource creation, copies between resources and pools, and the
// fixed-function pipeline.
struct IDirect3DDevice9 : IUnknown {
  // Device state.
  // D3D_OK, D3DERR_DEVICELOST while the device is lost, D3DERR_DEVICENOTRESET once it can be reset.
  virtual HRESULT TestCooperativeLevel() = 0;
  virtual UINT GetAvailableTextureMem() = 0;
  virtual HRESULT EvictManagedResources() = 0;
  virtual HRESULT GetDirect3D(IDirect3D9** ppD3D9) = 0;
  virtual HRESULT GetDeviceCaps(D3DCAPS9* pCaps) = 0;
  virtual HRESULT GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) = 0;
  virtual HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) = 0;
  virtual HRESULT Reset(D3DPRESENT_PARAMETERS* pPresentationParameters) = 0;
  virtual HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect,
                          HWND hDestWindowOverride, const RGNDATA* pDirtyRegion) = 0;
  virtual HRESULT GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                IDirect3DSurface9** ppBackBuffer) = 0;

  // Resource creation. pSharedHandle must be null.
  virtual HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage,
                                D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture9** ppTexture,
                                HANDLE* pSharedHandle) = 0;
  virtual HRESULT CreateVolumeTexture(UINT Width, UINT Height, UINT Depth, UINT Levels,
                                      DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                      IDirect3DVolumeTexture9** ppVolumeTexture,
                                      HANDLE* pSharedHandle) = 0;
  virtual HRESULT CreateCubeTexture(UINT EdgeLength, UINT Levels, DWORD Usage, D3DFORMAT Format,
                                    D3DPOOL Pool, IDirect3DCubeTexture9** ppCubeTexture,
                                    HANDLE* pSharedHandle) = 0;
  virtual HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                     IDirect3DVertexBuffer9** ppVertexBuffer,
                                     HANDLE* pSharedHandle) = 0;
  virtual HRESULT CreateRenderTarget(UINT Width, UINT Height, D3DFORMAT Format,
                                     D3DMULTISAMPLE_TYPE MultiSample, DWORD MultisampleQuality,
                                     BOOL Lockable, IDirect3DSurface9** ppSurface,
                                     HANDLE* pSharedHandle) = 0;
  virtual HRESULT CreateDepthStencilSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                            D3DMULTISAMPLE_TYPE MultiSample,
                                            DWORD MultisampleQuality, BOOL Discard,
                                            IDirect3DSurface9** ppSurface,
                                            HANDLE* pSharedHandle) = 0;
  virtual HRESULT CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format,
                                              D3DPOOL Pool, IDirect3DSurface9** ppSurface,
                                              HANDLE* pSharedHandle) = 0;

  // Copies. UpdateSurface and UpdateTexture go from D3DPOOL_SYSTEMMEM to D3DPOOL_DEFAULT;
  // GetRenderTargetData the other way; StretchRect and ColorFill work within D3DPOOL_DEFAULT.
  virtual HRESULT UpdateSurface(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                                IDirect3DSurface9* pDestinationSurface,
                                const POINT* pDestPoint) = 0;
  virtual HRESULT UpdateTexture(IDirect3DBaseTexture9* pSourceTexture,
                                IDirect3DBaseTexture9* pDestinationTexture) = 0;
  virtual HRESULT GetRenderTargetData(IDirect3DSurface9* pRenderTarget,
                                      IDirect3DSurface9* pDestSurface) = 0;
  virtual HRESULT StretchRect(IDirect3DSurface9* pSourceSurface, const RECT* pSourceRect,
                              IDirect3DSurface9* pDestSurface, const RECT* pDestRect,
                              D3DTEXTUREFILTERTYPE Filter) = 0;
  virtual HRESULT ColorFill(IDirect3DSurface9* pSurface, const RECT* pRect, D3DCOLOR color) = 0;

  // Render targets.
  virtual HRESULT SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) = 0;
  virtual HRESULT GetRenderTarget(DWORD RenderTargetIndex,
                                  IDirect3DSurface9** ppRenderTarget) = 0;
  virtual HRESULT SetDepthStencilSurface(IDirect3DSurface9* pNewZStencil) = 0;
  virtual HRESULT GetDepthStencilSurface(IDirect3DSurface9** ppZStencilSurface) = 0;

  // Scenes and drawing.
  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  virtual HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                        DWORD Stencil) = 0;
  virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) = 0;
  virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) = 0;
  virtual HRESULT SetViewport(const D3DVIEWPORT9* pViewport) = 0;
  virtual HRESULT GetViewport(D3DVIEWPORT9* pViewport) = 0;
  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) = 0;
  virtual HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) = 0;
  virtual HRESULT GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) = 0;
  virtual HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) = 0;
  virtual HRESULT GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                       DWORD* pValue) = 0;
  virtual HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                       DWORD Value) = 0;
  virtual HRESULT GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) = 0;
  virtual HRESULT SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) = 0;
  virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex,
                                UINT PrimitiveCount) = 0;
  virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                  const void* pVertexStreamZeroData,
                                  UINT VertexStreamZeroStride) = 0;
  virtual HRESULT SetFVF(DWORD FVF) = 0;
  virtual HRESULT GetFVF(DWORD* pFVF) = 0;
  virtual HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                                  UINT OffsetInBytes, UINT Stride) = 0;
  virtual HRESULT GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData,
                                  UINT* pOffsetInBytes, UINT* pStride) = 0;

 protected:
  ~IDirect3DDevice9() = default;
};

// What every resource owned by a device has.
struct IDirect3DResource9 : IUnknown {
  virtual HRESULT GetDevice(IDirect3DDevice9** ppDevice) = 0;
  // Returns the previous priority.
  virtual DWORD SetPriority(DWORD PriorityNew) = 0;
  virtual DWORD GetPriority() = 0;
  virtual void PreLoad() = 0;
  virtual D3DRESOURCETYPE GetType() = 0;

 protected:
  ~IDirect3DResource9() = default;
};

// What 2D, cube and volume textures share: the level chain.
struct IDirect3DBaseTexture9 : IDirect3DResource9 {
  // Returns the previous most detailed level.
  virtual DWORD SetLOD(DWORD LODNew) = 0;
  virtual DWORD GetLOD() = 0;
  virtual DWORD GetLevelCount() = 0;
  virtual HRESULT SetAutoGenFilterType(D3DTEXTUREFILTERTYPE FilterType) = 0;
  virtual D3DTEXTUREFILTERTYPE GetAutoGenFilterType() = 0;
  virtual void GenerateMipSubLevels() = 0;

 protected:
  ~IDirect3DBaseTexture9() = default;
};

struct IDirect3DTexture9 : IDirect3DBaseTexture9 {
  virtual HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) = 0;
  virtual HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) = 0;
  // A null pRect locks the whole level.
  virtual HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                           DWORD Flags) = 0;
  virtual HRESULT UnlockRect(UINT Level) = 0;
  virtual HRESULT AddDirtyRect(const RECT* pDirtyRect) = 0;

 protected:
  ~IDirect3DTexture9() = default;
};

struct IDirect3DCubeTexture9 : IDirect3DBaseTexture9 {
  virtual HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) = 0;
  virtual HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES FaceType, UINT Level,
                                    IDirect3DSurface9** ppCubeMapSurface) = 0;
  virtual HRESULT LockRect(D3DCUBEMAP_FACES FaceType, UINT Level, D3DLOCKED_RECT* pLockedRect,
                           const RECT* pRect, DWORD Flags) = 0;
  virtual HRESULT UnlockRect(D3DCUBEMAP_FACES FaceType, UINT Level) = 0;
  virtual HRESULT AddDirtyRect(D3DCUBEMAP_FACES FaceType, const RECT* pDirtyRect) = 0;

 protected:
  ~IDirect3DCubeTexture9() = default;
};

struct IDirect3DVolumeTexture9 : IDirect3DBaseTexture9 {
  virtual HRESULT GetLevelDesc(UINT Level, D3DVOLUME_DESC* pDesc) = 0;
  virtual HRESULT GetVolumeLevel(UINT Level, IDirect3DVolume9** ppVolumeLevel) = 0;
  // A null pBox locks the whole level.
  virtual HRESULT LockBox(UINT Level, D3DLOCKED_BOX* pLockedVolume, const D3DBOX* pBox,
                          DWORD Flags) = 0;
  virtual HRESULT UnlockBox(UINT Level) = 0;
  virtual HRESULT AddDirtyBox(const D3DBOX* pDirtyBox) = 0;

 protected:
  ~IDirect3DVolumeTexture9() = default;
};

// A surface: a texture level, a cube face level, a render target, a depth-stencil or an
// offscreen plain surface.
struct IDirect3DSurface9 : IDirect3DResource9 {
  // The object owning this surface (a texture; the device for a standalone surface), as the
  // interface riid asks for, with a reference; E_NOINTERFACE when it has no such interface.
  virtual HRESULT GetContainer(REFIID riid, void** ppContainer) = 0;
  virtual HRESULT GetDesc(D3DSURFACE_DESC* pDesc) = 0;
  virtual HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) = 0;
  virtual HRESULT UnlockRect() = 0;

 protected:
  ~IDirect3DSurface9() = default;
};

// A level of a volume texture. Not a resource of its own, but it knows its device.
struct IDirect3DVolume9 : IUnknown {
  virtual HRESULT GetDevice(IDirect3DDevice9** ppDevice) = 0;
  virtual HRESULT GetContainer(REFIID riid, void** ppContainer) = 0;
  virtual HRESULT GetDesc(D3DVOLUME_DESC* pDesc) = 0;
  virtual HRESULT LockBox(D3DLOCKED_BOX* pLockedVolume, const D3DBOX* pBox, DWORD Flags) = 0;
  virtual HRESULT UnlockBox() = 0;

 protected:
  ~IDirect3DVolume9() = default;
};

struct IDirect3DVertexBuffer9 : IDirect3DResource9 {
  // SizeToLock 0 with OffsetToLock 0 locks the whole buffer.
  virtual HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) = 0;
  virtual HRESULT Unlock() = 0;
  virtual HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) = 0;

 protected:
  ~IDirect3DVertexBuffer9() = default;
};

typedef IDirect3D9* LPDIRECT3D9;
typedef IDirect3DDevice9* LPDIRECT3DDEVICE9;
typedef IDirect3DResource9* LPDIRECT3DRESOURCE9;
typedef IDirect3DBaseTexture9* LPDIRECT3DBASETEXTURE9;
typedef IDirect3DTexture9* LPDIRECT3DTEXTURE9;
typedef IDirect3DCubeTexture9* LPDIRECT3DCUBETEXTURE9;
typedef IDirect3DVolumeTexture9* LPDIRECT3DVOLUMETEXTURE9;
typedef IDirect3DSurface9* LPDIRECT3DSURFACE9;
typedef IDirect3DVolume9* LPDIRECT3DVOLUME9;
typedef IDirect3DVertexBuffer9* LPDIRECT3DVERTEXBUFFER9;
