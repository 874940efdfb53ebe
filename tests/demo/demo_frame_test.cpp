// The demo's set-up and one frame on the software runtime, read back from the back buffer and
// from the window: a white square centred on black, 0.604 of the picture's height.
#include <cmath>
#include <cstring>

#include "tests/demo/demo_fixture.h"
#include "ut.h"
#include "win32/com_ptr.h"

namespace demo_test {
namespace {

constexpr uint32_t kWhite = 0xffffffffu;
constexpr uint32_t kBlack = 0xff000000u;

struct Picture {
  std::vector<uint32_t> pixels;
  int width = 0, height = 0;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Picture BackBuffer() {
  Picture p;
  ComPtr<IDirect3DSurface9> back;
  EXPECT_EQ(g_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.GetAddressOf()), D3D_OK);
  if (!back) return p;
  D3DSURFACE_DESC desc;
  back->GetDesc(&desc);
  p.width = static_cast<int>(desc.Width);
  p.height = static_cast<int>(desc.Height);
  p.pixels.resize(static_cast<size_t>(p.width) * p.height);
  D3DLOCKED_RECT r;
  EXPECT_EQ(back->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
  for (int y = 0; y < p.height; ++y) {
    std::memcpy(&p.pixels[static_cast<size_t>(y) * p.width],
                static_cast<const BYTE*>(r.pBits) + y * r.Pitch, static_cast<size_t>(p.width) * 4);
  }
  back->UnlockRect();
  return p;
}

// The smallest box around the pixels of `color`, and how many there are.
struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive
  long count = 0;
};
Box BoxOf(const Picture& p, uint32_t color) {
  Box b;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      if (p.At(x, y) != color) continue;
      b.left = std::min(b.left, x);
      b.right = std::max(b.right, x);
      b.top = std::min(b.top, y);
      b.bottom = std::max(b.bottom, y);
      ++b.count;
    }
  }
  return b;
}

TEST_F(DemoTest, OneFrameShowsTheWhiteSquareCentredOnBlack) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  SetUpDeviceAndScene();
  ASSERT_NE(g_device, nullptr);
  EXPECT_EQ(g_texture, nullptr) << "no mud.jpg in the test's directory, so no texture";
  DrawFrame();

  const Picture picture = BackBuffer();
  ASSERT_EQ(picture.width, 640);
  ASSERT_EQ(picture.height, 480);
  const Box square = BoxOf(picture, kWhite);
  const long black = BoxOf(picture, kBlack).count;
  EXPECT_EQ(square.count + black, 640L * 480) << "only white and black";
  ASSERT_GT(square.count, 0);
  const int height = square.bottom - square.top + 1;
  const int width = square.right - square.left + 1;
  // 1 / (4 tan(pi / 8)) of the picture's height: the square's side of 2 at distance 4.
  const double expected = 480.0 / (4.0 * std::tan(M_PI / 8.0));
  EXPECT_NEAR(height, expected, 2.0) << "expected " << expected / 480.0 << " of the height";
  EXPECT_EQ(width, height) << "square: the projection's aspect is the picture's";
  EXPECT_EQ(square.count, static_cast<long>(width) * height) << "filled, no gap along the diagonal";
  // Pixel centres sit on integer coordinates: the picture's centre is pixel (320, 240).
  EXPECT_NEAR((square.left + square.right) / 2.0, 320.0, 1.0) << "centred across";
  EXPECT_NEAR((square.top + square.bottom) / 2.0, 240.0, 1.0) << "centred down";
  // Both triangles of the strip survive the default culling: the top-left one and the
  // bottom-right one.
  EXPECT_EQ(picture.At(square.left + 2, square.top + 2), kWhite);
  EXPECT_EQ(picture.At(square.right - 2, square.bottom - 2), kWhite);
  EXPECT_EQ(picture.At(0, 0), kBlack);
  EXPECT_EQ(picture.At(639, 479), kBlack);

  // The frame went to the window's client area, stretched.
  std::vector<uint32_t> shown;
  int clientWidth = 0, clientHeight = 0;
  ASSERT_TRUE(win32::ReadClientPixels(g_window, &shown, &clientWidth, &clientHeight));
  ASSERT_GT(clientWidth, 0);
  EXPECT_LT(clientWidth, 640) << "the frame takes part of the 640 x 480 outer size";
  EXPECT_LT(clientHeight, 480);
  EXPECT_EQ(shown[static_cast<size_t>(clientHeight / 2) * clientWidth + clientWidth / 2] & 0xffffffu,
            0xffffffu);
  EXPECT_EQ(shown[0] & 0xffffffu, 0u);

  ReleaseAll();
  EXPECT_EQ(d3d9rt::LiveObjectCount(), 0) << "ReleaseAll gives back every object";
  EXPECT_EQ(g_device, nullptr);
}

TEST_F(DemoTest, SetUpConfiguresTheDeviceAsTheProgramAsks) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  SetUpDeviceAndScene();
  ASSERT_NE(g_device, nullptr);
  ASSERT_NE(g_vertexBuffer, nullptr);

  DWORD value = 0;
  ASSERT_EQ(g_device->GetRenderState(D3DRS_LIGHTING, &value), D3D_OK);
  EXPECT_EQ(value, static_cast<DWORD>(FALSE));
  ASSERT_EQ(g_device->GetRenderState(D3DRS_ZENABLE, &value), D3D_OK);
  EXPECT_EQ(value, static_cast<DWORD>(D3DZB_TRUE));
  ASSERT_EQ(g_device->GetSamplerState(0, D3DSAMP_MINFILTER, &value), D3D_OK);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_LINEAR));
  ASSERT_EQ(g_device->GetSamplerState(0, D3DSAMP_MAGFILTER, &value), D3D_OK);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_LINEAR));
  ASSERT_EQ(g_device->GetSamplerState(0, D3DSAMP_MIPFILTER, &value), D3D_OK);
  EXPECT_EQ(value, static_cast<DWORD>(D3DTEXF_NONE)) << "left at the default";

  D3DMATRIX projection, view;
  ASSERT_EQ(g_device->GetTransform(D3DTS_PROJECTION, &projection), D3D_OK);
  UtMatrix want;
  UtMatrixPerspectiveFovLH(&want, 0.7853982f, 1.3333334f, 0.1f, 100.0f);
  EXPECT_EQ(std::memcmp(&projection, &want, sizeof(projection)), 0);
  ASSERT_EQ(g_device->GetTransform(D3DTS_VIEW, &view), D3D_OK);
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) EXPECT_EQ(view.m[r][c], r == c ? 1.0f : 0.0f) << "view stays identity";
  }

  D3DVERTEXBUFFER_DESC vb;
  ASSERT_EQ(g_vertexBuffer->GetDesc(&vb), D3D_OK);
  EXPECT_EQ(vb.Size, 80u);
  EXPECT_EQ(vb.FVF, 0x102u);
  EXPECT_EQ(vb.Usage, static_cast<DWORD>(D3DUSAGE_WRITEONLY));
  EXPECT_EQ(vb.Pool, D3DPOOL_DEFAULT);
  void* data = nullptr;
  ASSERT_EQ(g_vertexBuffer->Lock(0, 80, &data, 0), D3D_OK);
  EXPECT_EQ(std::memcmp(data, g_squareVertices, 80), 0);
  g_vertexBuffer->Unlock();

  ComPtr<IDirect3DSurface9> back, depth;
  ASSERT_EQ(g_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.GetAddressOf()), D3D_OK);
  ASSERT_EQ(g_device->GetDepthStencilSurface(depth.GetAddressOf()), D3D_OK);
  D3DSURFACE_DESC desc;
  back->GetDesc(&desc);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(desc.Width, 640u);
  EXPECT_EQ(desc.Height, 480u);
  depth->GetDesc(&desc);
  EXPECT_EQ(desc.Format, D3DFMT_D24S8);

  D3DDEVICE_CREATION_PARAMETERS creation;
  ASSERT_EQ(g_device->GetCreationParameters(&creation), D3D_OK);
  EXPECT_EQ(creation.hFocusWindow, g_window);
  EXPECT_EQ(creation.BehaviorFlags, static_cast<DWORD>(D3DCREATE_HARDWARE_VERTEXPROCESSING));
}

TEST_F(DemoTest, VertexProcessingFollowsTheTransformAndLightingCap) {
  D3DCAPS9 caps = d3d9rt::DefaultCaps();
  caps.DevCaps &= ~D3DDEVCAPS_HWTRANSFORMANDLIGHT;
  d3d9rt::SetCaps(caps);
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  SetUpDeviceAndScene();
  ASSERT_NE(g_device, nullptr);
  D3DDEVICE_CREATION_PARAMETERS creation;
  ASSERT_EQ(g_device->GetCreationParameters(&creation), D3D_OK);
  EXPECT_EQ(creation.BehaviorFlags, static_cast<DWORD>(D3DCREATE_SOFTWARE_VERTEXPROCESSING));
}

// Failed creations leave their objects null; the set-up and the frames pass over what is
// missing instead of calling through a null pointer.
TEST_F(DemoTest, MissingObjectsAreNotUsed) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  d3d9rt::InjectFailure(d3d9rt::kCreateVertexBuffer, 1, D3DERR_OUTOFVIDEOMEMORY);
  SetUpDeviceAndScene();
  ASSERT_NE(g_device, nullptr);
  EXPECT_EQ(g_vertexBuffer, nullptr);
  DrawFrame();  // draws nothing: no vertex buffer
  const Picture picture = BackBuffer();
  EXPECT_EQ(BoxOf(picture, kWhite).count, 0);
  ReleaseAll();
  d3d9rt::ClearInjectedFailures();

  d3d9rt::InjectFailure(d3d9rt::kLockVertexBuffer, 1, D3DERR_INVALIDCALL);
  SetUpDeviceAndScene();
  ASSERT_NE(g_vertexBuffer, nullptr);
  DrawFrame();
  ReleaseAll();
  d3d9rt::ClearInjectedFailures();

  d3d9rt::InjectFailure(d3d9rt::kCreateDevice, 1, D3DERR_NOTAVAILABLE);
  SetUpDeviceAndScene();
  EXPECT_NE(g_direct3d, nullptr);
  EXPECT_EQ(g_device, nullptr);
  DrawFrame();
  ReleaseAll();
  EXPECT_EQ(d3d9rt::LiveObjectCount(), 0);
}

}  // namespace
}  // namespace demo_test
