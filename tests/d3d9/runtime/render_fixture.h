// Drawing on the software runtime: a 64 x 64 device whose transforms stay the identity, so
// that vertex positions are clip-space positions, and helpers that place vertices by screen
// pixel, bind a one-colour texture and read the back buffer and the depth buffer back.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "d3d9/d3d9.h"
#include "d3d9/runtime/runtime_config.h"
#include "win32/com_ptr.h"

namespace d3d9rt_test {

constexpr int kSize = 64;

struct Vertex {
  float x, y, z;
  float u, v;
};
constexpr DWORD kVertexFvf = D3DFVF_XYZ | D3DFVF_TEX1;

// A vertex at screen position (sx, sy) in pixels of the 64 x 64 back buffer, depth z.
inline Vertex At(float sx, float sy, float z = 0.5f, float u = 0.0f, float v = 0.0f) {
  return {sx / (kSize / 2.0f) - 1.0f, 1.0f - sy / (kSize / 2.0f), z, u, v};
}

// A left-handed perspective projection of 90 degrees, square, with near and far planes zn, zf.
inline D3DMATRIX Perspective(float zn, float zf) {
  const float q = zf / (zf - zn);
  D3DMATRIX projection = {};
  projection._11 = 1;
  projection._22 = 1;
  projection._33 = q;
  projection._34 = 1;
  projection._43 = -zn * q;
  return projection;
}

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(MakeDevice(D3DFMT_A8R8G8B8, D3DFMT_D24S8)); }
  void TearDown() override {
    device_.Reset();
    d3d9_.Reset();
    EXPECT_EQ(d3d9rt::LiveObjectCount(), 0) << "the test left runtime objects alive";
    d3d9rt::Reset();
  }

  // A new device; `rule` replaces the default adapter's format support.
  void MakeDevice(D3DFORMAT backBuffer, D3DFORMAT depth, d3d9rt::FormatRule rule = {}) {
    device_.Reset();
    d3d9_.Reset();
    d3d9rt::Reset();
    ASSERT_EQ(d3d9rt::LiveObjectCount(), 0) << "an earlier test leaked";
    if (rule) d3d9rt::SetFormatRule(rule);
    d3d9_.Attach(Direct3DCreate9(D3D_SDK_VERSION));
    ASSERT_TRUE(d3d9_);
    D3DPRESENT_PARAMETERS p = {};
    p.BackBufferWidth = kSize;
    p.BackBufferHeight = kSize;
    p.BackBufferFormat = backBuffer;
    p.BackBufferCount = 1;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.Windowed = TRUE;
    p.EnableAutoDepthStencil = TRUE;
    p.AutoDepthStencilFormat = depth;
    p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    ASSERT_EQ(d3d9_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                  &p, device_.GetAddressOf()),
              D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
    ASSERT_EQ(device_->SetFVF(kVertexFvf), D3D_OK);
    Clear(0xff000000u);
  }

  void Clear(D3DCOLOR color, float z = 1.0f) {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, z, 0), D3D_OK);
  }

  // Draws from memory inside a scene and returns the draw's result.
  HRESULT Draw(D3DPRIMITIVETYPE type, const std::vector<Vertex>& vertices, UINT primitives = 0) {
    if (primitives == 0) {
      const UINT n = static_cast<UINT>(vertices.size());
      primitives = type == D3DPT_TRIANGLELIST ? n / 3 : n - 2;
    }
    EXPECT_EQ(device_->BeginScene(), D3D_OK);
    const HRESULT hr = device_->DrawPrimitiveUP(type, primitives, vertices.data(), sizeof(Vertex));
    EXPECT_EQ(device_->EndScene(), D3D_OK);
    return hr;
  }

  // An axis-aligned rectangle of the screen as a strip (two clockwise triangles), with texture
  // coordinates running from (u0, v0) at the top left to (u1, v1) at the bottom right.
  HRESULT DrawRect(float x0, float y0, float x1, float y1, float z = 0.5f, float u0 = 0.0f,
                   float v0 = 0.0f, float u1 = 1.0f, float v1 = 1.0f) {
    return Draw(D3DPT_TRIANGLESTRIP, {At(x0, y0, z, u0, v0), At(x1, y0, z, u1, v0),
                                      At(x0, y1, z, u0, v1), At(x1, y1, z, u1, v1)});
  }

  // The back buffer (or another 32-bit render target) as D3DCOLOR values, row after row.
  std::vector<uint32_t> Pixels(IDirect3DSurface9* surface = nullptr) {
    ComPtr<IDirect3DSurface9> back;
    if (!surface) {
      EXPECT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.GetAddressOf()), D3D_OK);
      surface = back.Get();
    }
    D3DSURFACE_DESC desc;
    EXPECT_EQ(surface->GetDesc(&desc), D3D_OK);
    std::vector<uint32_t> pixels(static_cast<size_t>(desc.Width) * desc.Height);
    D3DLOCKED_RECT r;
    EXPECT_EQ(surface->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (UINT y = 0; y < desc.Height; ++y) {
      std::memcpy(&pixels[y * desc.Width], static_cast<const BYTE*>(r.pBits) + y * r.Pitch,
                  desc.Width * 4);
    }
    EXPECT_EQ(surface->UnlockRect(), D3D_OK);
    return pixels;
  }

  // A texture of `width` x `height` A8R8G8B8 texels in D3DPOOL_MANAGED with `levels` levels,
  // each texel given by texel(level, x, y).
  template <class TexelOf>
  ComPtr<IDirect3DTexture9> MakeTexture(UINT width, UINT height, UINT levels, TexelOf texel,
                                        D3DFORMAT format = D3DFMT_A8R8G8B8) {
    ComPtr<IDirect3DTexture9> t;
    EXPECT_EQ(device_->CreateTexture(width, height, levels, 0, format, D3DPOOL_MANAGED,
                                     t.GetAddressOf(), nullptr),
              D3D_OK);
    if (!t) return t;
    for (UINT level = 0; level < t->GetLevelCount(); ++level) {
      D3DSURFACE_DESC desc;
      t->GetLevelDesc(level, &desc);
      D3DLOCKED_RECT r;
      EXPECT_EQ(t->LockRect(level, &r, nullptr, 0), D3D_OK);
      for (UINT y = 0; y < desc.Height; ++y) {
        for (UINT x = 0; x < desc.Width; ++x) {
          const uint32_t value = texel(level, x, y);
          std::memcpy(static_cast<BYTE*>(r.pBits) + y * r.Pitch + x * 4, &value, 4);
        }
      }
      EXPECT_EQ(t->UnlockRect(level), D3D_OK);
    }
    return t;
  }

  // Binds a 1 x 1 texture of one colour to stage 0: every pixel drawn takes that colour.
  void UseColor(D3DCOLOR color) {
    ComPtr<IDirect3DTexture9> t = MakeTexture(1, 1, 1, [color](UINT, UINT, UINT) { return color; });
    ASSERT_TRUE(t);
    ASSERT_EQ(device_->SetTexture(0, t.Get()), D3D_OK);
  }

  ComPtr<IDirect3D9> d3d9_;
  ComPtr<IDirect3DDevice9> device_;
};

inline uint32_t PixelAt(const std::vector<uint32_t>& pixels, int x, int y, int width = kSize) {
  return pixels[static_cast<size_t>(y) * width + x];
}

// The pixels of `pixels` equal to `color`, as a 0/1 mask.
inline std::vector<int> Coverage(const std::vector<uint32_t>& pixels, uint32_t color) {
  std::vector<int> mask(pixels.size());
  for (size_t i = 0; i < pixels.size(); ++i) mask[i] = pixels[i] == color;
  return mask;
}

}  // namespace d3d9rt_test
