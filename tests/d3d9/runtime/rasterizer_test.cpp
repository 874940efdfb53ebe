// Scan conversion: which pixels a triangle covers (pixel centres at integer coordinates, the
// top-left fill rule), culling by winding, and clipping at the view volume and the viewport.
#include <cmath>
#include <limits>
#include <sstream>

#include "tests/d3d9/runtime/render_fixture.h"

namespace d3d9rt_test {
namespace {

constexpr uint32_t kWhite = 0xffffffffu;
constexpr uint32_t kBlack = 0xff000000u;

// Pixels whose centre (x, y) satisfies x0 <= x < x1 and y0 <= y < y1: what a rectangle from
// (x0, y0) to (x1, y1) covers under the top-left rule.
std::vector<int> RectMask(float x0, float y0, float x1, float y1) {
  std::vector<int> mask(kSize * kSize);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) mask[y * kSize + x] = x >= x0 && x < x1 && y >= y0 && y < y1;
  }
  return mask;
}

// The first pixel where two masks differ, for the failure message.
std::string FirstDifference(const std::vector<int>& got, const std::vector<int>& want) {
  for (size_t i = 0; i < got.size(); ++i) {
    if (got[i] != want[i]) {
      std::ostringstream s;
      s << "pixel (" << i % kSize << ", " << i / kSize << ") is " << (got[i] ? "" : "not ")
        << "covered";
      return s.str();
    }
  }
  return "none";
}

TEST_F(RenderTest, FullViewportQuadCoversEveryPixel) {
  ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, {{-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 0, 0},
                                       {-1, -1, 0.5f, 0, 0}, {1, -1, 0.5f, 0, 0}}),
            D3D_OK);
  const std::vector<int> covered = Coverage(Pixels(), kWhite);
  EXPECT_EQ(covered, RectMask(0, 0, kSize, kSize)) << FirstDifference(covered, RectMask(0, 0, kSize, kSize));
}

TEST_F(RenderTest, RectanglesFollowTheTopLeftRule) {
  struct Case {
    float x0, y0, x1, y1;
  };
  const Case cases[] = {
      {2, 2, 6, 6},              // edges through pixel centres: left and top in, right and bottom out
      {2.5f, 2.5f, 6.5f, 6.5f},  // edges between centres
      {2.25f, 3.75f, 9.0f, 5.0f},  // one row, quarter-pixel edges
      {10, 10, 11, 11},          // one pixel
      {10, 10, 10.5f, 10.5f},    // a centre on the top-left corner only
      {10.25f, 10, 10.75f, 20},  // narrower than a pixel, between centres: nothing
      {0, 0, 64, 1},             // the first row
      {-3.5f, 60.5f, 70, 70},    // running off the buffer
  };
  for (const Case& c : cases) {
    Clear(kBlack);
    ASSERT_EQ(DrawRect(c.x0, c.y0, c.x1, c.y1), D3D_OK);
    const std::vector<int> covered = Coverage(Pixels(), kWhite);
    const std::vector<int> want = RectMask(c.x0, c.y0, c.x1, c.y1);
    EXPECT_EQ(covered, want) << "rectangle (" << c.x0 << ", " << c.y0 << ") - (" << c.x1 << ", "
                             << c.y1 << "): " << FirstDifference(covered, want);
  }
}

// A mesh of triangles over the whole buffer, with inner vertices off the pixel grid and on it:
// every pixel is drawn by exactly one triangle.
TEST_F(RenderTest, TrianglesSharingEdgesDrawEachPixelOnce) {
  constexpr int kCells = 4;
  float xs[kCells + 1][kCells + 1], ys[kCells + 1][kCells + 1];
  for (int j = 0; j <= kCells; ++j) {
    for (int i = 0; i <= kCells; ++i) {
      const bool inner = i > 0 && i < kCells && j > 0 && j < kCells;
      // Inner vertices: some on pixel centres, some at quarter pixels, some at odd sixteenths.
      const float jitterX = inner ? static_cast<float>((i * 7 + j * 3) % 5) * 0.8125f - 1.5f : 0.0f;
      const float jitterY = inner ? static_cast<float>((i * 5 + j * 11) % 4) * 0.25f : 0.0f;
      xs[j][i] = static_cast<float>(i * kSize / kCells) + jitterX;
      ys[j][i] = static_cast<float>(j * kSize / kCells) + jitterY;
    }
  }
  std::vector<int> count(kSize * kSize, 0);
  int triangles = 0;
  for (int j = 0; j < kCells; ++j) {
    for (int i = 0; i < kCells; ++i) {
      const Vertex tl = At(xs[j][i], ys[j][i]), tr = At(xs[j][i + 1], ys[j][i + 1]);
      const Vertex bl = At(xs[j + 1][i], ys[j + 1][i]), br = At(xs[j + 1][i + 1], ys[j + 1][i + 1]);
      // Alternate diagonals, both triangles clockwise.
      const std::vector<std::vector<Vertex>> halves =
          (i + j) % 2 ? std::vector<std::vector<Vertex>>{{tl, tr, bl}, {tr, br, bl}}
                      : std::vector<std::vector<Vertex>>{{tl, tr, br}, {tl, br, bl}};
      for (const std::vector<Vertex>& tri : halves) {
        Clear(kBlack);
        ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, tri), D3D_OK);
        const std::vector<int> covered = Coverage(Pixels(), kWhite);
        for (size_t p = 0; p < covered.size(); ++p) count[p] += covered[p];
        ++triangles;
      }
    }
  }
  EXPECT_EQ(triangles, 2 * kCells * kCells);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      EXPECT_EQ(count[y * kSize + x], 1) << "pixel (" << x << ", " << y << ")";
    }
  }
}

// Triangles meeting at one pixel centre: that pixel belongs to exactly one of them.
TEST_F(RenderTest, FanAroundAPixelCentreDrawsItOnce) {
  const float cx = 20, cy = 30;
  const float ring[][2] = {{20, 10}, {40, 12}, {45, 30}, {38, 50}, {20, 55}, {2, 48}, {0, 30}, {5, 12}};
  int drawn = 0;
  for (size_t k = 0; k < std::size(ring); ++k) {
    const auto& a = ring[k];
    const auto& b = ring[(k + 1) % std::size(ring)];
    Clear(kBlack);
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, {At(cx, cy), At(a[0], a[1]), At(b[0], b[1])}), D3D_OK);
    drawn += PixelAt(Pixels(), 20, 30) == kWhite;
  }
  EXPECT_EQ(drawn, 1);
}

TEST_F(RenderTest, CullModeDropsTheNamedWinding) {
  struct Case {
    DWORD cull;
    bool clockwise;
    bool drawn;
  };
  const Case cases[] = {
      {D3DCULL_CCW, true, true},  {D3DCULL_CCW, false, false}, {D3DCULL_CW, true, false},
      {D3DCULL_CW, false, true},  {D3DCULL_NONE, true, true},  {D3DCULL_NONE, false, true},
  };
  for (const Case& c : cases) {
    Clear(kBlack);
    ASSERT_EQ(device_->SetRenderState(D3DRS_CULLMODE, c.cull), D3D_OK);
    const Vertex a = At(10, 10), b = At(50, 10), d = At(10, 50);
    ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, c.clockwise ? std::vector<Vertex>{a, b, d}
                                                   : std::vector<Vertex>{a, d, b}),
              D3D_OK);
    EXPECT_EQ(PixelAt(Pixels(), 15, 15) == kWhite, c.drawn)
        << "cull mode " << c.cull << (c.clockwise ? ", clockwise" : ", counter-clockwise");
  }
}

// A strip's second triangle runs the other way in vertex order; the strip keeps the winding of
// the first, so the default culling keeps both. As a list, the same order loses the second.
TEST_F(RenderTest, StripsKeepTheFirstTrianglesWinding) {
  const std::vector<Vertex> quad = {At(8, 8), At(56, 8), At(8, 56), At(56, 56)};
  ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, quad), D3D_OK);
  std::vector<uint32_t> pixels = Pixels();
  EXPECT_EQ(PixelAt(pixels, 12, 12), kWhite) << "first triangle";
  EXPECT_EQ(PixelAt(pixels, 52, 52), kWhite) << "second triangle";

  Clear(kBlack);
  ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, {quad[0], quad[1], quad[2], quad[1], quad[2], quad[3]}), D3D_OK);
  pixels = Pixels();
  EXPECT_EQ(PixelAt(pixels, 12, 12), kWhite);
  EXPECT_EQ(PixelAt(pixels, 52, 52), kBlack) << "counter-clockwise as a list, culled";

  Clear(kBlack);
  ASSERT_EQ(Draw(D3DPT_TRIANGLEFAN, {quad[0], quad[1], quad[3], quad[2]}), D3D_OK);
  pixels = Pixels();
  EXPECT_EQ(PixelAt(pixels, 12, 12), kWhite) << "fan";
  EXPECT_EQ(PixelAt(pixels, 52, 52), kWhite) << "fan";
}

TEST_F(RenderTest, NearAndFarPlanesCutAtTheirDepth) {
  // z runs from -1 at the left edge to +1 at the right: only the right half is in front of
  // the near plane (z >= 0).
  ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, {{-1, 1, -1, 0, 0}, {1, 1, 1, 0, 0}, {-1, -1, -1, 0, 0},
                                       {1, -1, 1, 0, 0}}),
            D3D_OK);
  std::vector<int> covered = Coverage(Pixels(), kWhite);
  EXPECT_EQ(covered, RectMask(32, 0, 64, 64)) << FirstDifference(covered, RectMask(32, 0, 64, 64));

  // z runs from 0 to 2: only the left half is short of the far plane (z <= w).
  Clear(kBlack);
  ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, {{-1, 1, 0, 0, 0}, {1, 1, 2, 0, 0}, {-1, -1, 0, 0, 0},
                                       {1, -1, 2, 0, 0}}),
            D3D_OK);
  covered = Coverage(Pixels(), kWhite);
  EXPECT_EQ(covered, RectMask(0, 0, 32, 64)) << FirstDifference(covered, RectMask(0, 0, 32, 64));
}

TEST_F(RenderTest, HugeAndOutsideTrianglesAreClippedToTheViewport) {
  // Far beyond the guard band on every side, covering the whole view.
  ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, {{-1e6f, 1e6f, 0.5f, 0, 0}, {1e6f, 1e6f, 0.5f, 0, 0},
                                      {0, -1e6f, 0.5f, 0, 0}}),
            D3D_OK);
  std::vector<int> covered = Coverage(Pixels(), kWhite);
  EXPECT_EQ(covered, RectMask(0, 0, kSize, kSize)) << FirstDifference(covered, RectMask(0, 0, kSize, kSize));

  Clear(kBlack);
  ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, {{1.5f, 1, 0.5f, 0, 0}, {3, 1, 0.5f, 0, 0}, {1.5f, -1, 0.5f, 0, 0}}),
            D3D_OK);
  EXPECT_EQ(Coverage(Pixels(), kWhite), std::vector<int>(kSize * kSize, 0)) << "right of the view";

  Clear(kBlack);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, {{-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 0, 0}, {nan, -1, 0.5f, 0, 0}}),
            D3D_OK);
  EXPECT_EQ(Coverage(Pixels(), kWhite), std::vector<int>(kSize * kSize, 0)) << "not a number";
}

// A floor that runs from behind the camera to the far distance: the part behind the camera
// (w <= 0) is clipped away instead of folding over the picture.
TEST_F(RenderTest, GeometryBehindTheCameraIsClippedAway) {
  const D3DMATRIX projection = Perspective(0.5f, 20.0f);
  ASSERT_EQ(device_->SetTransform(D3DTS_PROJECTION, &projection), D3D_OK);
  // The floor y = -1, from z = -5 (behind) to z = 10, x from -10 to 10; clockwise from above
  // the camera's view.
  ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, {{-10, -1, 10, 0, 0}, {10, -1, 10, 0, 0}, {-10, -1, -5, 0, 0},
                                       {10, -1, -5, 0, 0}}),
            D3D_OK);
  const std::vector<uint32_t> pixels = Pixels();
  // The far edge at z = 10 projects to y = -0.1, on row 35.2: rows from 36 down are floor,
  // the rows above stay clear.
  for (int x = 0; x < kSize; x += 7) {
    EXPECT_EQ(PixelAt(pixels, x, 63), kWhite) << "bottom row, x " << x;
    EXPECT_EQ(PixelAt(pixels, x, 36), kWhite) << "row 36, x " << x;
    EXPECT_EQ(PixelAt(pixels, x, 35), kBlack) << "row 35, x " << x;
    EXPECT_EQ(PixelAt(pixels, x, 0), kBlack) << "top row, x " << x;
  }
}

TEST_F(RenderTest, ViewportLimitsAndMapsTheDraw) {
  const D3DVIEWPORT9 viewport = {8, 16, 32, 24, 0.0f, 1.0f};
  ASSERT_EQ(device_->SetViewport(&viewport), D3D_OK);
  ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, {{-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 0, 0},
                                       {-1, -1, 0.5f, 0, 0}, {1, -1, 0.5f, 0, 0}}),
            D3D_OK);
  std::vector<int> covered = Coverage(Pixels(), kWhite);
  EXPECT_EQ(covered, RectMask(8, 16, 40, 40)) << FirstDifference(covered, RectMask(8, 16, 40, 40));

  // A triangle around the whole viewport is cut at the viewport, not at the buffer.
  const D3DVIEWPORT9 full = {0, 0, kSize, kSize, 0.0f, 1.0f};
  ASSERT_EQ(device_->SetViewport(&full), D3D_OK);
  Clear(kBlack);
  ASSERT_EQ(device_->SetViewport(&viewport), D3D_OK);
  ASSERT_EQ(Draw(D3DPT_TRIANGLELIST, {{-3, 3, 0.5f, 0, 0}, {9, 3, 0.5f, 0, 0}, {-3, -9, 0.5f, 0, 0}}),
            D3D_OK);
  covered = Coverage(Pixels(), kWhite);
  std::vector<int> want = RectMask(8, 16, 40, 40);
  EXPECT_EQ(covered, want) << FirstDifference(covered, want);
}

TEST_F(RenderTest, LightingWithoutNormalsDrawsBlack) {
  ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, TRUE), D3D_OK);
  Clear(0xff808080u);
  ASSERT_EQ(DrawRect(8, 8, 24, 24), D3D_OK);
  const std::vector<uint32_t> pixels = Pixels();
  // The default material is black and no light can shine: black, alpha from the stage's
  // texture argument, which without a texture is 1.
  EXPECT_EQ(PixelAt(pixels, 10, 10), 0xff000000u);
  EXPECT_EQ(PixelAt(pixels, 30, 30), 0xff808080u);

  // Stage 0 disabled passes the diffuse colour itself on, alpha 0 included.
  ASSERT_EQ(device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE), D3D_OK);
  ASSERT_EQ(DrawRect(30, 30, 40, 40), D3D_OK);
  EXPECT_EQ(PixelAt(Pixels(), 32, 32), 0x00000000u);
  ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
  ASSERT_EQ(DrawRect(50, 50, 60, 60), D3D_OK);
  EXPECT_EQ(PixelAt(Pixels(), 52, 52), kWhite);
}

TEST_F(RenderTest, XrgbTargetsKeepTheirUnusedByteClear) {
  ASSERT_NO_FATAL_FAILURE(MakeDevice(D3DFMT_X8R8G8B8, D3DFMT_D24S8));
  ASSERT_NO_FATAL_FAILURE(UseColor(0x80112233u));
  ASSERT_EQ(DrawRect(0, 0, 8, 8), D3D_OK);
  const std::vector<uint32_t> pixels = Pixels();
  EXPECT_EQ(PixelAt(pixels, 1, 1), 0x00112233u);
  EXPECT_EQ(PixelAt(pixels, 9, 9), 0x00000000u) << "as Clear leaves it";
}

TEST_F(RenderTest, OtherRenderTargetFormatsArePacked) {
  ComPtr<IDirect3DSurface9> target;
  ASSERT_EQ(device_->CreateRenderTarget(kSize, kSize, D3DFMT_R5G6B5, D3DMULTISAMPLE_NONE, 0, TRUE,
                                        target.GetAddressOf(), nullptr),
            D3D_OK);
  ASSERT_EQ(device_->SetRenderTarget(0, target.Get()), D3D_OK);
  ASSERT_NO_FATAL_FAILURE(UseColor(0xffff8040u));
  ASSERT_EQ(DrawRect(0, 0, 4, 4), D3D_OK);
  D3DLOCKED_RECT r;
  ASSERT_EQ(target->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
  uint16_t inside, outside;
  std::memcpy(&inside, r.pBits, 2);
  std::memcpy(&outside, static_cast<const BYTE*>(r.pBits) + 5 * r.Pitch, 2);
  ASSERT_EQ(target->UnlockRect(), D3D_OK);
  EXPECT_EQ(inside, (0x1f << 11) | (0x20 << 5) | 0x08) << "top bits of each channel";
  EXPECT_EQ(outside, 0u);
}

}  // namespace
}  // namespace d3d9rt_test
