// Device state: defaults, set and get, render targets, scenes, clears, lost devices and Reset.
#include <bit>
#include <cstring>

#include "runtime_fixture.h"

namespace {

using d3d9rt_test::RuntimeTest;
using d3d9rt_test::WindowedParameters;

TEST_F(RuntimeTest, StatesStartAtTheirDefaults) {
  struct RenderCase {
    D3DRENDERSTATETYPE state;
    DWORD value;
  };
  const RenderCase render[] = {
      {D3DRS_ZENABLE, D3DZB_TRUE},  // the device has an automatic depth buffer
      {D3DRS_CULLMODE, D3DCULL_CCW},
      {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
      {D3DRS_LIGHTING, TRUE},
      {D3DRS_ZWRITEENABLE, TRUE},
      {D3DRS_FILLMODE, D3DFILL_SOLID},
      {D3DRS_SRCBLEND, D3DBLEND_ONE},
      {D3DRS_DESTBLEND, D3DBLEND_ZERO},
      {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
      {D3DRS_COLORWRITEENABLE, 0xf},
      {D3DRS_FOGEND, std::bit_cast<DWORD>(1.0f)},
      {D3DRS_POINTSIZE_MAX, std::bit_cast<DWORD>(64.0f)},
      {D3DRS_TEXTUREFACTOR, 0xffffffff},
  };
  for (const RenderCase& c : render) {
    DWORD value = 0x12345678;
    ASSERT_EQ(device_->GetRenderState(c.state, &value), D3D_OK) << c.state;
    EXPECT_EQ(value, c.value) << "render state " << c.state;
  }
  DWORD v;
  ASSERT_EQ(device_->GetSamplerState(0, D3DSAMP_MINFILTER, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(D3DTEXF_POINT));
  ASSERT_EQ(device_->GetSamplerState(3, D3DSAMP_MIPFILTER, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(D3DTEXF_NONE));
  ASSERT_EQ(device_->GetSamplerState(D3DDMAPSAMPLER, D3DSAMP_ADDRESSV, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(D3DTADDRESS_WRAP));
  ASSERT_EQ(device_->GetSamplerState(0, D3DSAMP_MAXANISOTROPY, &v), D3D_OK);
  EXPECT_EQ(v, 1u);
  ASSERT_EQ(device_->GetTextureStageState(0, D3DTSS_COLOROP, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(D3DTOP_MODULATE));
  ASSERT_EQ(device_->GetTextureStageState(0, D3DTSS_ALPHAOP, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(D3DTOP_SELECTARG1));
  ASSERT_EQ(device_->GetTextureStageState(1, D3DTSS_COLOROP, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(D3DTOP_DISABLE));
  ASSERT_EQ(device_->GetTextureStageState(5, D3DTSS_TEXCOORDINDEX, &v), D3D_OK);
  EXPECT_EQ(v, 5u);
  ASSERT_EQ(device_->GetTextureStageState(2, D3DTSS_COLORARG1, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(D3DTA_TEXTURE));

  for (D3DTRANSFORMSTATETYPE t : {D3DTS_VIEW, D3DTS_PROJECTION, D3DTS_TEXTURE3, D3DTS_WORLD,
                                  D3DTS_WORLDMATRIX(255)}) {
    D3DMATRIX m;
    ASSERT_EQ(device_->GetTransform(t, &m), D3D_OK);
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 4; ++c) EXPECT_EQ(m.m[r][c], r == c ? 1.0f : 0.0f) << t;
    }
  }
  D3DVIEWPORT9 viewport;
  ASSERT_EQ(device_->GetViewport(&viewport), D3D_OK);
  EXPECT_EQ(viewport.Width, 64u);
  EXPECT_EQ(viewport.Height, 48u);
  EXPECT_EQ(viewport.MinZ, 0.0f);
  EXPECT_EQ(viewport.MaxZ, 1.0f);
  DWORD fvf = 1;
  ASSERT_EQ(device_->GetFVF(&fvf), D3D_OK);
  EXPECT_EQ(fvf, 0u);
}

TEST_F(RuntimeTest, StatesRoundTripAndUnknownOnesFail) {
  ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR), D3D_OK);
  ASSERT_EQ(device_->SetTextureStageState(7, D3DTSS_CONSTANT, 0xabcdef), D3D_OK);
  D3DMATRIX m = {};
  m._41 = 5.0f;
  ASSERT_EQ(device_->SetTransform(D3DTS_WORLD, &m), D3D_OK);
  ASSERT_EQ(device_->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1), D3D_OK);
  DWORD v;
  ASSERT_EQ(device_->GetRenderState(D3DRS_LIGHTING, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(FALSE));
  ASSERT_EQ(device_->GetSamplerState(0, D3DSAMP_MAGFILTER, &v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(D3DTEXF_LINEAR));
  ASSERT_EQ(device_->GetTextureStageState(7, D3DTSS_CONSTANT, &v), D3D_OK);
  EXPECT_EQ(v, 0xabcdefu);
  D3DMATRIX back;
  ASSERT_EQ(device_->GetTransform(D3DTS_WORLD, &back), D3D_OK);
  EXPECT_EQ(std::memcmp(&back, &m, sizeof(m)), 0);
  ASSERT_EQ(device_->GetFVF(&v), D3D_OK);
  EXPECT_EQ(v, static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_TEX1));

  EXPECT_EQ(device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(0), 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(13), 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(D3DRS_MAX_STATE), 1),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetSamplerState(16, D3DSAMP_MINFILTER, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetSamplerState(0, static_cast<D3DSAMPLERSTATETYPE>(14), 1),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetTextureStageState(8, D3DTSS_COLOROP, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(12), 1),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(1), &m), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetTransform(D3DTS_VIEW, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetFVF(D3DFVF_XYZ | 0x900u), D3DERR_INVALIDCALL);  // nine sets
  EXPECT_EQ(device_->GetRenderState(D3DRS_ZENABLE, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(RuntimeTest, RenderTargetsAndViewports) {
  ComPtr<IDirect3DSurface9> rt, plain, original;
  ASSERT_EQ(device_->CreateRenderTarget(16, 8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                        rt.GetAddressOf(), nullptr),
            D3D_OK);
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(16, 8, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                                 plain.GetAddressOf(), nullptr),
            D3D_OK);
  ASSERT_EQ(device_->GetRenderTarget(0, original.GetAddressOf()), D3D_OK);
  ComPtr<IDirect3DSurface9> back;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.GetAddressOf()), D3D_OK);
  EXPECT_EQ(original.Get(), back.Get());

  const D3DVIEWPORT9 small = {2, 2, 10, 10, 0.25f, 0.75f};
  ASSERT_EQ(device_->SetViewport(&small), D3D_OK);
  ASSERT_EQ(device_->SetRenderTarget(0, rt.Get()), D3D_OK);
  D3DVIEWPORT9 viewport;
  ASSERT_EQ(device_->GetViewport(&viewport), D3D_OK);
  EXPECT_EQ(viewport.Width, 16u);  // a new render target 0 resets the viewport to its size
  EXPECT_EQ(viewport.Height, 8u);
  const D3DVIEWPORT9 tooTall = {0, 0, 16, 9, 0.0f, 1.0f};
  EXPECT_EQ(device_->SetViewport(&tooTall), D3DERR_INVALIDCALL);
  const D3DVIEWPORT9 badDepth = {0, 0, 16, 8, 0.0f, 1.5f};
  EXPECT_EQ(device_->SetViewport(&badDepth), D3DERR_INVALIDCALL);

  EXPECT_EQ(device_->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetRenderTarget(1, plain.Get()), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetRenderTarget(4, rt.Get()), D3DERR_INVALIDCALL);
  ComPtr<IDirect3DSurface9> none;
  EXPECT_EQ(device_->GetRenderTarget(1, none.GetAddressOf()), D3DERR_NOTFOUND);
  ASSERT_EQ(device_->SetRenderTarget(0, original.Get()), D3D_OK);

  ComPtr<IDirect3DSurface9> depth;
  ASSERT_EQ(device_->GetDepthStencilSurface(depth.GetAddressOf()), D3D_OK);
  ASSERT_EQ(device_->SetDepthStencilSurface(nullptr), D3D_OK);
  EXPECT_EQ(device_->GetDepthStencilSurface(none.GetAddressOf()), D3DERR_NOTFOUND);
  EXPECT_EQ(device_->SetDepthStencilSurface(rt.Get()), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->SetDepthStencilSurface(depth.Get()), D3D_OK);
}

TEST_F(RuntimeTest, ScenesPairUp) {
  EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->EndScene(), D3D_OK);
  // A draw outside a scene, or without vertices, fails before anything is drawn.
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  ASSERT_EQ(device_->SetFVF(D3DFVF_XYZ), D3D_OK);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
  ComPtr<IDirect3DVertexBuffer9> vb;
  ASSERT_EQ(device_->CreateVertexBuffer(36, 0, D3DFVF_XYZ, D3DPOOL_DEFAULT, vb.GetAddressOf(),
                                        nullptr),
            D3D_OK);
  ASSERT_EQ(device_->SetStreamSource(0, vb.Get(), 0, 12), D3D_OK);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL)
      << "four vertices in a buffer of three";
  EXPECT_EQ(device_->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(7), 0, 1), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->EndScene(), D3D_OK);
}

TEST_F(RuntimeTest, ClearFillsTheViewportPartOfEachRectangle) {
  ComPtr<IDirect3DSurface9> back;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.GetAddressOf()), D3D_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.0f, 0), D3D_OK);
  const D3DVIEWPORT9 viewport = {8, 8, 16, 16, 0.0f, 1.0f};
  ASSERT_EQ(device_->SetViewport(&viewport), D3D_OK);
  const D3DRECT rects[] = {{0, 0, 12, 12}, {20, 20, 40, 40}};
  ASSERT_EQ(device_->Clear(2, rects, D3DCLEAR_TARGET, 0xff336699, 1.0f, 0), D3D_OK);
  D3DLOCKED_RECT r;
  ASSERT_EQ(back->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
  auto at = [&](int x, int y) {
    return reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(r.pBits) + y * r.Pitch)[x];
  };
  EXPECT_EQ(at(7, 7), 0xff000000u);   // outside the viewport
  EXPECT_EQ(at(8, 8), 0xff336699u);   // first rectangle within the viewport
  EXPECT_EQ(at(11, 11), 0xff336699u);
  EXPECT_EQ(at(12, 11), 0xff000000u);
  EXPECT_EQ(at(20, 20), 0xff336699u);  // second rectangle, cut at the viewport's edge
  EXPECT_EQ(at(23, 23), 0xff336699u);
  EXPECT_EQ(at(24, 23), 0xff000000u);
  ASSERT_EQ(back->UnlockRect(), D3D_OK);

  EXPECT_EQ(device_->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->Clear(0, nullptr, 0, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.5f, 0), D3DERR_INVALIDCALL);
}

TEST_F(RuntimeTest, ClearWritesDepthAndKeepsWhatItWasNotAskedFor) {
  ComPtr<IDirect3DSurface9> depth;
  ASSERT_EQ(device_->CreateDepthStencilSurface(64, 48, D3DFMT_D16_LOCKABLE, D3DMULTISAMPLE_NONE, 0,
                                               FALSE, depth.GetAddressOf(), nullptr),
            D3D_OK);
  ASSERT_EQ(device_->SetDepthStencilSurface(depth.Get()), D3D_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.5f, 0), D3D_OK);
  D3DLOCKED_RECT r;
  ASSERT_EQ(depth->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<const WORD*>(r.pBits)[5], 0x8000);  // 0.5 * 65535, rounded
  ASSERT_EQ(depth->UnlockRect(), D3D_OK);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 1), D3DERR_INVALIDCALL)
      << "D16 has no stencil";
  ASSERT_EQ(device_->SetDepthStencilSurface(nullptr), D3D_OK);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
}

TEST_F(RuntimeTest, LostDevicesAndReset) {
  EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  d3d9rt::SetDeviceState(d3d9rt::DeviceState::kLost);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  D3DPRESENT_PARAMETERS p = WindowedParameters(32, 32);
  EXPECT_EQ(device_->Reset(&p), D3DERR_DEVICELOST);

  d3d9rt::SetDeviceState(d3d9rt::DeviceState::kNotReset);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  {
    ComPtr<IDirect3DTexture9> held = MakeTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    EXPECT_EQ(device_->Reset(&p), D3DERR_INVALIDCALL) << "a D3DPOOL_DEFAULT texture is alive";
    ComPtr<IDirect3DTexture9> managed = MakeTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    held.Reset();
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    ASSERT_EQ(device_->SetTexture(0, managed.Get()), D3D_OK);
    EXPECT_EQ(device_->Reset(&p), D3D_OK) << "managed textures survive a reset";
  }
  EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
  DWORD lighting = FALSE;
  ASSERT_EQ(device_->GetRenderState(D3DRS_LIGHTING, &lighting), D3D_OK);
  EXPECT_EQ(lighting, static_cast<DWORD>(TRUE));
  ComPtr<IDirect3DBaseTexture9> bound;
  ASSERT_EQ(device_->GetTexture(0, bound.GetAddressOf()), D3D_OK);
  EXPECT_EQ(bound, nullptr);
  ComPtr<IDirect3DSurface9> back;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.GetAddressOf()), D3D_OK);
  D3DSURFACE_DESC desc;
  ASSERT_EQ(back->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Width, 32u);
  EXPECT_EQ(device_->Reset(&p), D3DERR_INVALIDCALL) << "the back buffer is held";
}

}  // namespace
