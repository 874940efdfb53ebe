// A headless device on the software runtime, with the configuration reset around each test and
// a check that the test gave back every object it made.
#pragma once

#include <gtest/gtest.h>

#include "d3d9/d3d9.h"
#include "d3d9/runtime/runtime_config.h"
#include "win32/com_ptr.h"

namespace d3d9rt_test {

inline D3DPRESENT_PARAMETERS WindowedParameters(UINT width = 64, UINT height = 48) {
  D3DPRESENT_PARAMETERS p = {};
  p.BackBufferWidth = width;
  p.BackBufferHeight = height;
  p.BackBufferFormat = D3DFMT_A8R8G8B8;
  p.BackBufferCount = 1;
  p.SwapEffect = D3DSWAPEFFECT_DISCARD;
  p.Windowed = TRUE;
  p.EnableAutoDepthStencil = TRUE;
  p.AutoDepthStencilFormat = D3DFMT_D24S8;
  p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  return p;
}

class RuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d3d9rt::Reset();
    ASSERT_EQ(d3d9rt::LiveObjectCount(), 0) << "an earlier test leaked";
    d3d9_.Attach(Direct3DCreate9(D3D_SDK_VERSION));
    ASSERT_TRUE(d3d9_);
    D3DPRESENT_PARAMETERS p = WindowedParameters();
    ASSERT_EQ(d3d9_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                  &p, device_.GetAddressOf()),
              D3D_OK);
  }
  void TearDown() override {
    device_.Reset();
    d3d9_.Reset();
    EXPECT_EQ(d3d9rt::LiveObjectCount(), 0) << "the test left runtime objects alive";
    EXPECT_EQ(d3d9rt::LiveReferenceCount(), 0);
    d3d9rt::Reset();
  }

  ComPtr<IDirect3DTexture9> MakeTexture(UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT f,
                                        D3DPOOL pool) {
    ComPtr<IDirect3DTexture9> t;
    EXPECT_EQ(device_->CreateTexture(w, h, levels, usage, f, pool, t.GetAddressOf(), nullptr),
              D3D_OK)
        << w << "x" << h << " levels " << levels << " usage " << usage << " format " << f
        << " pool " << pool;
    return t;
  }
  ComPtr<IDirect3DSurface9> Level(IDirect3DTexture9* t, UINT level) {
    ComPtr<IDirect3DSurface9> s;
    EXPECT_EQ(t->GetSurfaceLevel(level, s.GetAddressOf()), D3D_OK);
    return s;
  }

  ComPtr<IDirect3D9> d3d9_;
  ComPtr<IDirect3DDevice9> device_;
};

// Reference count without changing it.
inline ULONG RefCount(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

}  // namespace d3d9rt_test
