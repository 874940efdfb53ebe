// What a draw accepts: vertex formats, strides and counts, primitive types, and the states the
// rasteriser can carry out. What it can't carry out fails with D3DERR_NOTAVAILABLE and draws
// nothing.
#include <bit>

#include "tests/d3d9/runtime/render_fixture.h"

namespace d3d9rt_test {
namespace {

TEST_F(RenderTest, SetFvfTakesPositionsWithAtMostOneCoordinateSet) {
  struct Case {
    DWORD fvf;
    HRESULT result;
  };
  const Case cases[] = {
      {0, D3D_OK},
      {D3DFVF_XYZ, D3D_OK},
      {D3DFVF_XYZ | D3DFVF_TEX1, D3D_OK},
      {D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(1), D3D_OK},  // describes a set it hasn't
      {D3DFVF_XYZRHW, D3DERR_INVALIDCALL},
      {D3DFVF_XYZ | D3DFVF_DIFFUSE, D3DERR_INVALIDCALL},
      {D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, D3DERR_INVALIDCALL},
      {D3DFVF_XYZ | D3DFVF_TEX2, D3DERR_INVALIDCALL},
      {D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0), D3DERR_INVALIDCALL},
      {D3DFVF_XYZB1, D3DERR_INVALIDCALL},
      {D3DFVF_TEX1, D3DERR_INVALIDCALL},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(device_->SetFVF(kVertexFvf), D3D_OK);
    EXPECT_EQ(device_->SetFVF(c.fvf), c.result) << std::hex << c.fvf;
    DWORD now = 0;
    ASSERT_EQ(device_->GetFVF(&now), D3D_OK);
    EXPECT_EQ(now, c.result == D3D_OK ? c.fvf : kVertexFvf) << "a refused format changes nothing";
  }
}

TEST_F(RenderTest, PositionsWithoutTextureCoordinatesDraw) {
  ASSERT_EQ(device_->SetFVF(D3DFVF_XYZ), D3D_OK);
  const float vertices[] = {-1, 1, 0.5f, 1, 1, 0.5f, -1, -1, 0.5f};
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, vertices, 12), D3D_OK);
  ASSERT_EQ(device_->EndScene(), D3D_OK);
  EXPECT_EQ(PixelAt(Pixels(), 2, 2), 0xffffffffu);
  // A texture read at (0, 0) everywhere.
  ASSERT_NO_FATAL_FAILURE(UseColor(0xff336699u));
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, vertices, 12), D3D_OK);
  ASSERT_EQ(device_->EndScene(), D3D_OK);
  EXPECT_EQ(PixelAt(Pixels(), 2, 2), 0xff336699u);
}

TEST_F(RenderTest, VertexBufferDrawsAreCheckedAgainstTheBuffer) {
  const std::vector<Vertex> quad = {At(0, 0), At(8, 0), At(0, 8), At(8, 8)};
  ComPtr<IDirect3DVertexBuffer9> vb;
  ASSERT_EQ(device_->CreateVertexBuffer(80, D3DUSAGE_WRITEONLY, kVertexFvf, D3DPOOL_DEFAULT,
                                        vb.GetAddressOf(), nullptr),
            D3D_OK);
  void* data = nullptr;
  ASSERT_EQ(vb->Lock(0, 80, &data, 0), D3D_OK);
  std::memcpy(data, quad.data(), 80);
  ASSERT_EQ(vb->Unlock(), D3D_OK);
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  ASSERT_EQ(device_->SetStreamSource(0, vb.Get(), 0, sizeof(Vertex)), D3D_OK);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2), D3DERR_INVALIDCALL) << "past the end";
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3DERR_INVALIDCALL) << "six vertices";
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 0x55555556u), D3DERR_INVALIDCALL)
      << "more primitives than the device draws at once";
  // A count whose vertex count wraps around 32 bits is still too many.
  D3DCAPS9 caps = d3d9rt::DefaultCaps();
  caps.MaxPrimitiveCount = 0xffffffffu;
  d3d9rt::SetCaps(caps);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 0x55555556u), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->SetStreamSource(0, vb.Get(), 0, 12), D3D_OK);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL)
      << "a stride shorter than a vertex";
  ASSERT_EQ(device_->EndScene(), D3D_OK);
  EXPECT_EQ(PixelAt(Pixels(), 2, 2), 0xffffffffu) << "the one valid draw";
}

TEST_F(RenderTest, DrawingFromMemoryUnbindsStreamZero) {
  ComPtr<IDirect3DVertexBuffer9> vb;
  ASSERT_EQ(device_->CreateVertexBuffer(80, 0, kVertexFvf, D3DPOOL_MANAGED, vb.GetAddressOf(), nullptr),
            D3D_OK);
  ASSERT_EQ(device_->SetStreamSource(0, vb.Get(), 0, sizeof(Vertex)), D3D_OK);
  ASSERT_EQ(DrawRect(0, 0, 4, 4), D3D_OK);
  ComPtr<IDirect3DVertexBuffer9> bound;
  UINT offset = 1, stride = 1;
  ASSERT_EQ(device_->GetStreamSource(0, bound.GetAddressOf(), &offset, &stride), D3D_OK);
  EXPECT_EQ(bound.Get(), nullptr);
  EXPECT_EQ(stride, 0u);
}

TEST_F(RenderTest, PointsAndLinesAreNotDrawn) {
  const std::vector<Vertex> v = {At(2, 2), At(10, 2), At(2, 10), At(10, 10)};
  EXPECT_EQ(Draw(D3DPT_POINTLIST, v, 4), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(Draw(D3DPT_LINELIST, v, 2), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(Draw(D3DPT_LINESTRIP, v, 3), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(PixelAt(Pixels(), 2, 2), 0xff000000u);
}

TEST_F(RenderTest, StatesTheRasteriserCannotCarryOutFailTheDraw) {
  struct Case {
    const char* what;
    D3DRENDERSTATETYPE state;  // 0: a stage or sampler state instead
    DWORD value;
  };
  const Case renderStates[] = {
      {"alpha blending", D3DRS_ALPHABLENDENABLE, TRUE},
      {"alpha test", D3DRS_ALPHATESTENABLE, TRUE},
      {"fog", D3DRS_FOGENABLE, TRUE},
      {"stencil", D3DRS_STENCILENABLE, TRUE},
      {"wireframe", D3DRS_FILLMODE, D3DFILL_WIREFRAME},
      {"colour write mask", D3DRS_COLORWRITEENABLE, 0x7},
      {"sRGB writes", D3DRS_SRGBWRITEENABLE, TRUE},
      {"w-buffer", D3DRS_ZENABLE, D3DZB_USEW},
      {"depth bias", D3DRS_DEPTHBIAS, std::bit_cast<DWORD>(0.001f)},
      {"cylindrical wrapping", D3DRS_WRAP0, D3DWRAP_U},
      {"no such cull mode", D3DRS_CULLMODE, 9},
      {"no such comparison", D3DRS_ZFUNC, 0},
  };
  for (const Case& c : renderStates) {
    DWORD previous;
    ASSERT_EQ(device_->GetRenderState(c.state, &previous), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(c.state, c.value), D3D_OK);
    EXPECT_EQ(DrawRect(2, 2, 10, 10), D3DERR_NOTAVAILABLE) << c.what;
    ASSERT_EQ(device_->SetRenderState(c.state, previous), D3D_OK);
  }
  EXPECT_EQ(PixelAt(Pixels(), 4, 4), 0xff000000u) << "nothing was drawn";

  struct StageCase {
    const char* what;
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE type;
    DWORD value;
  };
  const StageCase stageStates[] = {
      {"stage 0 adds", 0, D3DTSS_COLOROP, D3DTOP_ADD},
      {"stage 0 alpha modulates", 0, D3DTSS_ALPHAOP, D3DTOP_MODULATE},
      {"texture factor", 0, D3DTSS_COLORARG2, D3DTA_TFACTOR},
      {"stage 1 enabled", 1, D3DTSS_COLOROP, D3DTOP_MODULATE},
  };
  for (const StageCase& c : stageStates) {
    DWORD previous;
    ASSERT_EQ(device_->GetTextureStageState(c.stage, c.type, &previous), D3D_OK);
    ASSERT_EQ(device_->SetTextureStageState(c.stage, c.type, c.value), D3D_OK);
    EXPECT_EQ(DrawRect(2, 2, 10, 10), D3DERR_NOTAVAILABLE) << c.what;
    ASSERT_EQ(device_->SetTextureStageState(c.stage, c.type, previous), D3D_OK);
  }
  ASSERT_EQ(DrawRect(2, 2, 10, 10), D3D_OK) << "every state back at its default";
}

TEST_F(RenderTest, TexturesAndSamplersTheRasteriserCannotReadFailTheDraw) {
  ComPtr<IDirect3DCubeTexture9> cube;
  ASSERT_EQ(device_->CreateCubeTexture(4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                       cube.GetAddressOf(), nullptr),
            D3D_OK);
  ASSERT_EQ(device_->SetTexture(0, cube.Get()), D3D_OK);
  EXPECT_EQ(DrawRect(2, 2, 10, 10), D3DERR_NOTAVAILABLE) << "cube texture";

  ComPtr<IDirect3DTexture9> dxt;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, dxt.GetAddressOf(), nullptr),
            D3D_OK);
  ASSERT_EQ(device_->SetTexture(0, dxt.Get()), D3D_OK);
  EXPECT_EQ(DrawRect(2, 2, 10, 10), D3DERR_NOTAVAILABLE) << "block-compressed texture";

  ASSERT_NO_FATAL_FAILURE(UseColor(0xff123456u));
  struct Case {
    const char* what;
    D3DSAMPLERSTATETYPE type;
    DWORD value;
  };
  const Case cases[] = {
      {"Gaussian filter", D3DSAMP_MINFILTER, D3DTEXF_GAUSSIANQUAD},
      {"pyramidal filter", D3DSAMP_MAGFILTER, D3DTEXF_PYRAMIDALQUAD},
      {"anisotropic mip filter", D3DSAMP_MIPFILTER, D3DTEXF_ANISOTROPIC},
      {"no such address mode", D3DSAMP_ADDRESSV, 6},
      {"sRGB reads", D3DSAMP_SRGBTEXTURE, TRUE},
  };
  for (const Case& c : cases) {
    DWORD previous;
    ASSERT_EQ(device_->GetSamplerState(0, c.type, &previous), D3D_OK);
    ASSERT_EQ(device_->SetSamplerState(0, c.type, c.value), D3D_OK);
    EXPECT_EQ(DrawRect(2, 2, 10, 10), D3DERR_NOTAVAILABLE) << c.what;
    ASSERT_EQ(device_->SetSamplerState(0, c.type, previous), D3D_OK);
  }
  EXPECT_EQ(PixelAt(Pixels(), 4, 4), 0xff000000u) << "nothing was drawn";
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_ANISOTROPIC), D3D_OK);
  EXPECT_EQ(DrawRect(2, 2, 10, 10), D3D_OK) << "anisotropic minification reads as linear";
  EXPECT_EQ(PixelAt(Pixels(), 4, 4), 0xff123456u);
}

}  // namespace
}  // namespace d3d9rt_test
