// The depth test: every comparison, the values written (z / w mapped into the viewport's depth
// range), and the states that turn testing and writing off.
#include <bit>
#include <cmath>

#include "tests/d3d9/runtime/render_fixture.h"

namespace d3d9rt_test {
namespace {

constexpr D3DCOLOR kRed = 0xffff0000u;
constexpr D3DCOLOR kGreen = 0xff00ff00u;

class DepthTest : public RenderTest {
 protected:
  // Red at depth `first`, then green at depth `second`; returns what the pixel shows.
  uint32_t DrawPair(float first, float second) {
    UseColor(kRed);
    EXPECT_EQ(DrawRect(4, 4, 12, 12, first), D3D_OK);
    UseColor(kGreen);
    EXPECT_EQ(DrawRect(4, 4, 12, 12, second), D3D_OK);
    return PixelAt(Pixels(), 8, 8);
  }

  std::vector<uint16_t> Depth16() {
    ComPtr<IDirect3DSurface9> depth;
    EXPECT_EQ(device_->GetDepthStencilSurface(depth.GetAddressOf()), D3D_OK);
    std::vector<uint16_t> values(kSize * kSize);
    D3DLOCKED_RECT r;
    EXPECT_EQ(depth->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (int y = 0; y < kSize; ++y) {
      std::memcpy(&values[y * kSize], static_cast<const BYTE*>(r.pBits) + y * r.Pitch, kSize * 2);
    }
    EXPECT_EQ(depth->UnlockRect(), D3D_OK);
    return values;
  }
};

TEST_F(DepthTest, EveryComparisonDecidesTheSecondDraw) {
  struct Case {
    DWORD func;
    float second;  // the first draw is at 0.5
    bool secondWins;
  };
  const Case cases[] = {
      {D3DCMP_NEVER, 0.25f, false},       {D3DCMP_LESS, 0.25f, true},
      {D3DCMP_LESS, 0.5f, false},         {D3DCMP_EQUAL, 0.5f, true},
      {D3DCMP_EQUAL, 0.25f, false},       {D3DCMP_LESSEQUAL, 0.5f, true},
      {D3DCMP_LESSEQUAL, 0.75f, false},   {D3DCMP_GREATER, 0.75f, true},
      {D3DCMP_GREATER, 0.5f, false},      {D3DCMP_NOTEQUAL, 0.5f, false},
      {D3DCMP_NOTEQUAL, 0.75f, true},     {D3DCMP_GREATEREQUAL, 0.5f, true},
      {D3DCMP_GREATEREQUAL, 0.25f, false}, {D3DCMP_ALWAYS, 0.75f, true},
  };
  for (const Case& c : cases) {
    Clear(0xff000000u);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL), D3D_OK);
    ASSERT_NO_FATAL_FAILURE(UseColor(kRed));
    ASSERT_EQ(DrawRect(4, 4, 12, 12, 0.5f), D3D_OK);
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZFUNC, c.func), D3D_OK);
    ASSERT_NO_FATAL_FAILURE(UseColor(kGreen));
    ASSERT_EQ(DrawRect(4, 4, 12, 12, c.second), D3D_OK);
    EXPECT_EQ(PixelAt(Pixels(), 8, 8), c.secondWins ? kGreen : kRed)
        << "function " << c.func << ", second draw at " << c.second;
  }
}

TEST_F(DepthTest, UnormDepthIsRoundedAndMappedIntoTheViewportsRange) {
  ASSERT_NO_FATAL_FAILURE(MakeDevice(D3DFMT_A8R8G8B8, D3DFMT_D16_LOCKABLE));
  ASSERT_EQ(DrawRect(0, 0, 8, 8, 0.5f), D3D_OK);
  std::vector<uint16_t> depth = Depth16();
  EXPECT_EQ(depth[3 * kSize + 3], 32768u) << "round(0.5 * 65535)";
  EXPECT_EQ(depth[3 * kSize + 20], 65535u) << "the clear's 1.0 outside";

  // Depth interpolates linearly across the screen: from 0 at the left edge to 1 at the right.
  Clear(0xff000000u);
  ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, {{-1, 1, 0, 0, 0}, {1, 1, 1, 0, 0}, {-1, -1, 0, 0, 0},
                                       {1, -1, 1, 0, 0}}),
            D3D_OK);
  depth = Depth16();
  for (int x : {0, 1, 17, 32, 63}) {
    const double want = x / 64.0 * 65535.0;
    EXPECT_NEAR(depth[10 * kSize + x], want, 1.0) << "x " << x;
  }

  const D3DVIEWPORT9 viewport = {0, 0, kSize, kSize, 0.25f, 0.75f};
  ASSERT_EQ(device_->SetViewport(&viewport), D3D_OK);
  Clear(0xff000000u);
  ASSERT_EQ(DrawRect(0, 0, 8, 8, 1.0f), D3D_OK);
  ASSERT_EQ(DrawRect(10, 0, 18, 8, 0.0f), D3D_OK);
  depth = Depth16();
  EXPECT_EQ(depth[3 * kSize + 3], 49151u) << "round(0.75 * 65535)";
  EXPECT_EQ(depth[3 * kSize + 13], 16384u) << "round(0.25 * 65535)";
}

TEST_F(DepthTest, FloatDepthKeepsTheValue) {
  ASSERT_NO_FATAL_FAILURE(
      MakeDevice(D3DFMT_A8R8G8B8, D3DFMT_D32F_LOCKABLE, d3d9rt::EveryFormatExcept({})));
  ASSERT_EQ(DrawRect(0, 0, 8, 8, 0.3f), D3D_OK);
  ComPtr<IDirect3DSurface9> surface;
  ASSERT_EQ(device_->GetDepthStencilSurface(surface.GetAddressOf()), D3D_OK);
  D3DLOCKED_RECT r;
  ASSERT_EQ(surface->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
  float inside, outside;
  std::memcpy(&inside, static_cast<const BYTE*>(r.pBits) + 2 * r.Pitch + 8, 4);
  std::memcpy(&outside, static_cast<const BYTE*>(r.pBits) + 2 * r.Pitch + 40, 4);
  ASSERT_EQ(surface->UnlockRect(), D3D_OK);
  EXPECT_EQ(inside, 0.3f);
  EXPECT_EQ(outside, 1.0f);
  // Nearer passes, farther does not.
  EXPECT_EQ(DrawPair(0.25f, 0.2f), kGreen);
  Clear(0xff000000u);
  EXPECT_EQ(DrawPair(0.25f, 0.3f), kRed);
}

TEST_F(DepthTest, ClearedDepthIsTestedAgainst) {
  Clear(0xff000000u, 0.3f);
  ASSERT_NO_FATAL_FAILURE(UseColor(kRed));
  ASSERT_EQ(DrawRect(0, 0, 8, 8, 0.5f), D3D_OK);
  ASSERT_EQ(DrawRect(10, 0, 18, 8, 0.2f), D3D_OK);
  const std::vector<uint32_t> pixels = Pixels();
  EXPECT_EQ(PixelAt(pixels, 4, 4), 0xff000000u) << "behind the cleared depth";
  EXPECT_EQ(PixelAt(pixels, 14, 4), kRed) << "in front of it";
}

TEST_F(DepthTest, WritesAndTestsCanBeTurnedOff) {
  ASSERT_EQ(device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE), D3D_OK);
  EXPECT_EQ(DrawPair(0.25f, 0.75f), kGreen) << "the near draw left no depth behind";

  ASSERT_EQ(device_->SetRenderState(D3DRS_ZWRITEENABLE, TRUE), D3D_OK);
  ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE), D3D_OK);
  Clear(0xff000000u);
  EXPECT_EQ(DrawPair(0.25f, 0.75f), kGreen) << "no test";
  ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE), D3D_OK);
  UseColor(kRed);
  ASSERT_EQ(DrawRect(4, 4, 12, 12, 0.9f), D3D_OK);
  EXPECT_EQ(PixelAt(Pixels(), 8, 8), kRed) << "nothing was written while the test was off";

  // Without a depth-stencil surface there is nothing to test against.
  ASSERT_EQ(device_->SetDepthStencilSurface(nullptr), D3D_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000u, 1.0f, 0), D3D_OK);
  EXPECT_EQ(DrawPair(0.25f, 0.75f), kGreen);
}

}  // namespace
}  // namespace d3d9rt_test
