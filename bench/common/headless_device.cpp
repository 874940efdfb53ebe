#include "bench/common/headless_device.h"

ComPtr<IDirect3DDevice9> MakeHeadlessDevice(D3DFORMAT backBuffer) {
  ComPtr<IDirect3D9> d3d;
  d3d.Attach(Direct3DCreate9(D3D_SDK_VERSION));
  ComPtr<IDirect3DDevice9> device;
  if (!d3d) return device;
  D3DPRESENT_PARAMETERS parameters = {};
  parameters.BackBufferWidth = 64;
  parameters.BackBufferHeight = 64;
  parameters.BackBufferFormat = backBuffer;
  parameters.BackBufferCount = 1;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.Windowed = TRUE;
  if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                               D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                               device.GetAddressOf()))) {
    device.Reset();
  }
  return device;
}
