#include "runtime_device.h"

#include "d3d9/runtime/runtime_config.h"

void RuntimeDeviceTest::SetUp() {
  d3d9rt::Reset();
  // The library's read-only locks get copies: a write through one never lands, and is counted.
  d3d9rt::SetReadOnlyLockGuard(true);
  ComPtr<IDirect3D9> d3d;
  d3d.Attach(Direct3DCreate9(D3D_SDK_VERSION));
  ASSERT_TRUE(d3d);
  // Windowed with no window: the back buffer is not needed by these tests.
  D3DPRESENT_PARAMETERS parameters = {};
  parameters.BackBufferWidth = 64;
  parameters.BackBufferHeight = 64;
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  parameters.BackBufferCount = 1;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.Windowed = TRUE;
  ASSERT_EQ(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                              D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                              device_.GetAddressOf()),
            D3D_OK);
}

void RuntimeDeviceTest::TearDown() {
  device_.Reset();
  EXPECT_EQ(d3d9rt::LiveObjectCount(), 0) << "a test or the library leaked a reference";
  EXPECT_EQ(d3d9rt::ReadOnlyLockWriteCount(), 0u) << "the library wrote through a read-only lock";
  d3d9rt::Reset();
}

void RuntimeDeviceTest::SetTextureLimits(DWORD textureCaps, DWORD maxWidth, DWORD maxHeight,
                                         DWORD maxVolumeExtent, DWORD maxAspectRatio) {
  D3DCAPS9 caps = d3d9rt::DefaultCaps();
  caps.TextureCaps = textureCaps;
  caps.MaxTextureWidth = maxWidth;
  caps.MaxTextureHeight = maxHeight;
  caps.MaxVolumeExtent = maxVolumeExtent;
  caps.MaxTextureAspectRatio = maxAspectRatio;
  d3d9rt::SetCaps(caps);
}
