// The demo's set-up and one frame on the software runtime, read back from the back buffer and
// from the window: a square centred on black, 0.604 of the picture's height, white without
// "mud.jpg" and showing that texture with it.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>

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
  const DemoWorkingDirectory folder(DemoWorkingDirectory::kEmpty);
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  SetUpDeviceAndScene();
  ASSERT_NE(g_device, nullptr);
  EXPECT_EQ(g_texture, nullptr) << "no mud.jpg in the working directory, so no texture";
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

// Level 0 of a texture of 32-bit texels, and what linear filtering reads from it: texel (i, j)
// is centred on ((i + 0.5) / width, (j + 0.5) / height), the four around the point are weighed
// by their distances, coordinates wrap.
struct Texels {
  std::vector<uint32_t> texels;
  int width = 0, height = 0;
  bool opaque = false;  // X8R8G8B8: alpha reads as 1

  double Channel(int x, int y, int shift) const {
    x = ((x % width) + width) % width;
    y = ((y % height) + height) % height;
    return static_cast<double>((texels[static_cast<size_t>(y) * width + x] >> shift) & 0xffu);
  }
  double Bilinear(double u, double v, int shift) const {
    const double tx = u * width - 0.5, ty = v * height - 0.5;
    const double x0 = std::floor(tx), y0 = std::floor(ty);
    const double fx = tx - x0, fy = ty - y0;
    const int x = static_cast<int>(x0), y = static_cast<int>(y0);
    const double top = (1 - fx) * Channel(x, y, shift) + fx * Channel(x + 1, y, shift);
    const double bottom = (1 - fx) * Channel(x, y + 1, shift) + fx * Channel(x + 1, y + 1, shift);
    return (1 - fy) * top + fy * bottom;
  }
};

Texels Level0(IDirect3DTexture9* texture) {
  Texels t;
  D3DSURFACE_DESC desc;
  EXPECT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
  if (desc.Format != D3DFMT_X8R8G8B8 && desc.Format != D3DFMT_A8R8G8B8) {
    ADD_FAILURE() << "level 0 has format " << desc.Format << ", not 32-bit ARGB";
    return t;
  }
  t.opaque = desc.Format == D3DFMT_X8R8G8B8;
  D3DLOCKED_RECT r;
  EXPECT_EQ(texture->LockRect(0, &r, nullptr, D3DLOCK_READONLY), D3D_OK);
  if (!r.pBits) return t;
  t.width = static_cast<int>(desc.Width);
  t.height = static_cast<int>(desc.Height);
  t.texels.resize(static_cast<size_t>(t.width) * t.height);
  for (int y = 0; y < t.height; ++y) {
    std::memcpy(&t.texels[static_cast<size_t>(y) * t.width], static_cast<const BYTE*>(r.pBits) + y * r.Pitch,
                static_cast<size_t>(t.width) * 4);
  }
  texture->UnlockRect(0);
  return t;
}

// Where the device puts a point of the model: world, view and projection as the device holds
// them, the division by w and the viewport's mapping. Pixel centres have integer coordinates.
struct ScreenPoint {
  double x, y, w;
};
ScreenPoint Project(const TexturedVertex& vertex) {
  D3DMATRIX world, view, projection;
  EXPECT_EQ(g_device->GetTransform(D3DTS_WORLD, &world), D3D_OK);
  EXPECT_EQ(g_device->GetTransform(D3DTS_VIEW, &view), D3D_OK);
  EXPECT_EQ(g_device->GetTransform(D3DTS_PROJECTION, &projection), D3D_OK);
  double p[4] = {vertex.x, vertex.y, vertex.z, 1.0};
  for (const D3DMATRIX* m : {&world, &view, &projection}) {
    double q[4] = {};
    for (int c = 0; c < 4; ++c) {
      for (int r = 0; r < 4; ++r) q[c] += p[r] * m->m[r][c];
    }
    std::copy(q, q + 4, p);
  }
  D3DVIEWPORT9 vp;
  EXPECT_EQ(g_device->GetViewport(&vp), D3D_OK);
  return {vp.X + (p[0] / p[3] + 1.0) * vp.Width / 2.0, vp.Y + (1.0 - p[1] / p[3]) * vp.Height / 2.0, p[3]};
}

TEST_F(DemoTest, WithMudJpegTheSquareShowsTheTextureSampledLinearly) {
  const DemoWorkingDirectory folder(DemoWorkingDirectory::kWithMud);
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  SetUpDeviceAndScene();
  ASSERT_NE(g_device, nullptr);
  ASSERT_NE(g_texture, nullptr) << "mud.jpg is in the working directory";
  const Texels texels = Level0(g_texture);
  ASSERT_EQ(texels.width, 512);
  ASSERT_EQ(texels.height, 512);
  DrawFrame();
  const Picture picture = BackBuffer();
  ASSERT_EQ(picture.width, 640);

  // The strip's corners: top left, top right, bottom left. The square faces the camera, so
  // w is the same at every corner and the texture coordinates run linearly across the screen.
  const ScreenPoint topLeft = Project(g_squareVertices[0]);
  const ScreenPoint topRight = Project(g_squareVertices[1]);
  const ScreenPoint bottomLeft = Project(g_squareVertices[2]);
  ASSERT_EQ(topLeft.w, topRight.w);
  ASSERT_EQ(topLeft.w, bottomLeft.w);
  const TexturedVertex& uv0 = g_squareVertices[0];
  const double dudx = (g_squareVertices[1].u - uv0.u) / (topRight.x - topLeft.x);
  const double dvdy = (g_squareVertices[2].v - uv0.v) / (bottomLeft.y - topLeft.y);

  // Linear filtering with 8-bit weights and coordinates in 1/256 of a texel: within 2 of the
  // exact weighting in each channel.
  constexpr double kTolerance = 2.0;
  int checked = 0, mirrored = 0;
  double lowest = 255, highest = 0, worst = 0;
  std::ostringstream failures;
  for (int j = 1; j <= 9; ++j) {
    for (int i = 1; i <= 9; ++i) {
      // From a tenth to nine tenths of the way across and down; (5, 5) is the centre.
      const int x = static_cast<int>(std::lround(topLeft.x + (topRight.x - topLeft.x) * i / 10.0));
      const int y = static_cast<int>(std::lround(topLeft.y + (bottomLeft.y - topLeft.y) * j / 10.0));
      const double u = uv0.u + (x - topLeft.x) * dudx, v = uv0.v + (y - topLeft.y) * dvdy;
      const uint32_t got = picture.At(x, y);
      bool mirroredDiffers = false;
      for (int shift : {0, 8, 16}) {
        const double want = texels.Bilinear(u, v, shift);
        const double have = static_cast<double>((got >> shift) & 0xffu);
        lowest = std::min(lowest, want);
        highest = std::max(highest, want);
        worst = std::max(worst, std::fabs(have - want));
        if (std::fabs(have - want) > kTolerance) {
          failures << "  pixel (" << x << ", " << y << ") at u " << u << ", v " << v << ": channel at bit "
                   << shift << " is " << have << ", the texture gives " << want << "\n";
        }
        if (std::fabs(have - texels.Bilinear(u, 1.0 - v, shift)) > kTolerance) mirroredDiffers = true;
      }
      if (texels.opaque) {
        EXPECT_EQ(got >> 24, 0xffu) << "pixel (" << x << ", " << y << ")";
      }
      mirrored += mirroredDiffers ? 1 : 0;
      ++checked;
    }
  }
  EXPECT_TRUE(failures.str().empty()) << "largest difference " << worst << "\n" << failures.str();
  // The points tell the texture from a flat colour and from its mirror image.
  EXPECT_GT(highest - lowest, 40.0) << "the points sample too little of the texture's variation";
  EXPECT_GT(mirrored, checked * 3 / 4) << "the points can't tell the texture from its mirror image";

  // Around the square the picture stays black.
  EXPECT_EQ(picture.At(0, 0), kBlack);
  EXPECT_EQ(picture.At(static_cast<int>(topLeft.x) - 3, static_cast<int>(topLeft.y) - 3), kBlack);
  EXPECT_EQ(picture.At(static_cast<int>(topRight.x) + 3, static_cast<int>(bottomLeft.y) + 3), kBlack);
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
