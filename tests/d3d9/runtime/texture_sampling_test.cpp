// Stage 0's texture: texel-to-pixel mapping, point and linear filtering, the address modes,
// perspective-correct coordinates, mip levels chosen per pixel, and the formats read.
#include <algorithm>
#include <bit>
#include <cmath>

#include "tests/d3d9/runtime/render_fixture.h"

namespace d3d9rt_test {
namespace {

uint32_t Channel(uint32_t color, int shift) { return (color >> shift) & 0xffu; }

// A distinct opaque colour per texel.
uint32_t Pattern(UINT x, UINT y) { return 0xff000000u | (x * 37u + 11u) << 16 | (y * 53u + 7u) << 8 | ((x ^ y) * 29u); }

TEST_F(RenderTest, TexelsLandOnPixelsWithTheHalfPixelOffset) {
  ComPtr<IDirect3DTexture9> t = MakeTexture(8, 8, 1, [](UINT, UINT x, UINT y) { return Pattern(x, y); });
  ASSERT_EQ(device_->SetTexture(0, t.Get()), D3D_OK);
  for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR}) {
    ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MINFILTER, filter), D3D_OK);
    ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MAGFILTER, filter), D3D_OK);
    Clear(0xff000000u);
    // Direct3D 9 samples at pixel centres, which sit on integer coordinates: a quad moved up and
    // left by half a pixel puts each texel centre on a pixel centre.
    ASSERT_EQ(DrawRect(-0.5f, -0.5f, 7.5f, 7.5f), D3D_OK);
    const std::vector<uint32_t> pixels = Pixels();
    for (UINT y = 0; y < 8; ++y) {
      for (UINT x = 0; x < 8; ++x) {
        EXPECT_EQ(PixelAt(pixels, x, y), Pattern(x, y)) << "filter " << filter << ", texel " << x << "," << y;
      }
    }
  }
}

TEST_F(RenderTest, LinearFilteringWeighsNeighbouringTexels) {
  // Black and white; sampled at a quarter and three quarters of the way between their centres.
  ComPtr<IDirect3DTexture9> t =
      MakeTexture(2, 1, 1, [](UINT, UINT x, UINT) { return x ? 0xffffffffu : 0xff000000u; });
  ASSERT_EQ(device_->SetTexture(0, t.Get()), D3D_OK);
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR), D3D_OK);
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP), D3D_OK);
  ASSERT_EQ(DrawRect(-0.5f, -0.5f, 3.5f, 0.5f), D3D_OK);
  const std::vector<uint32_t> pixels = Pixels();
  // Pixel i samples u = (i + 0.5) / 4, that is (i + 0.5) / 2 - 0.5 texels past texel 0's centre.
  const double want[4] = {0, 0.25 * 255, 0.75 * 255, 255};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(Channel(PixelAt(pixels, i, 0), 8), want[i], 1.0) << "pixel " << i;
  }
}

// Linear filtering of a wrapped power-of-two texture takes a shorter road for the demo's case;
// it must read what the general sampler reads. (A point min filter sends the same magnified
// draw down the general road.)
TEST_F(RenderTest, ShortRoadForLinearWrappedTexturesMatchesTheGeneralSampler) {
  ComPtr<IDirect3DTexture9> t = MakeTexture(8, 8, 1, [](UINT, UINT x, UINT y) { return Pattern(x, y); });
  ASSERT_EQ(device_->SetTexture(0, t.Get()), D3D_OK);
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR), D3D_OK);
  const D3DMATRIX projection = Perspective(0.5f, 10.0f);
  ASSERT_EQ(device_->SetTransform(D3DTS_PROJECTION, &projection), D3D_OK);
  struct Quad {
    const char* what;
    std::vector<Vertex> vertices;
  };
  const Quad quads[] = {
      {"facing the camera", {{-1, 1, 2, -0.3f, 0.1f}, {1, 1, 2, 1.7f, 0.1f}, {-1, -1, 2, -0.3f, 1.6f}, {1, -1, 2, 1.7f, 1.6f}}},
      {"receding", {{-1, 1, 1.2f, 0, 0}, {1, 2, 2.5f, 1.2f, 0}, {-1, -1, 1.2f, 0, 1.1f}, {1, -2, 2.5f, 1.2f, 1.1f}}},
  };
  for (const Quad& quad : quads) {
    std::vector<uint32_t> pictures[2];
    for (DWORD minFilter : {D3DTEXF_LINEAR, D3DTEXF_POINT}) {
      ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MINFILTER, minFilter), D3D_OK);
      Clear(0xff000000u);
      ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, quad.vertices), D3D_OK);
      pictures[minFilter == D3DTEXF_POINT] = Pixels();
    }
    int differing = 0, drawn = 0;
    for (size_t i = 0; i < pictures[0].size(); ++i) {
      drawn += pictures[0][i] != 0xff000000u;
      for (int shift = 0; shift < 32; shift += 8) {
        const int a = Channel(pictures[0][i], shift), b = Channel(pictures[1][i], shift);
        if (std::abs(a - b) > 1) {
          ++differing;
          break;
        }
      }
    }
    EXPECT_GT(drawn, 1000) << quad.what;
    EXPECT_EQ(differing, 0) << quad.what << ": pixels more than 1 apart between the two roads";
  }
}

TEST_F(RenderTest, AddressModesPlaceTexelsOutsideTheTexture) {
  // Four texels 0..3; twelve pixels cover u from -1 to 2, three per texel's width.
  const uint32_t colors[4] = {0xff100000u, 0xff200000u, 0xff300000u, 0xff400000u};
  const uint32_t border = 0xff0000ffu;
  ComPtr<IDirect3DTexture9> t = MakeTexture(4, 1, 1, [&](UINT, UINT x, UINT) { return colors[x]; });
  ASSERT_EQ(device_->SetTexture(0, t.Get()), D3D_OK);
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_BORDERCOLOR, border), D3D_OK);
  struct Case {
    DWORD mode;
    int texel[12];  // -1: the border colour
  };
  const Case cases[] = {
      {D3DTADDRESS_WRAP, {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3}},
      {D3DTADDRESS_MIRROR, {3, 2, 1, 0, 0, 1, 2, 3, 3, 2, 1, 0}},
      {D3DTADDRESS_CLAMP, {0, 0, 0, 0, 0, 1, 2, 3, 3, 3, 3, 3}},
      {D3DTADDRESS_BORDER, {-1, -1, -1, -1, 0, 1, 2, 3, -1, -1, -1, -1}},
      {D3DTADDRESS_MIRRORONCE, {3, 2, 1, 0, 0, 1, 2, 3, 3, 3, 3, 3}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_ADDRESSU, c.mode), D3D_OK);
    Clear(0xff000000u);
    // Pixel centres at u = -1 + (i + 0.5) / 4: each in the middle of a texel.
    ASSERT_EQ(DrawRect(0, 0, 12, 1, 0.5f, -1.0f, 0.0f, 2.0f, 1.0f), D3D_OK);
    const std::vector<uint32_t> pixels = Pixels();
    for (int i = 0; i < 12; ++i) {
      const uint32_t want = c.texel[i] < 0 ? border : colors[c.texel[i]];
      EXPECT_EQ(PixelAt(pixels, i, 0), want) << "mode " << c.mode << ", pixel " << i;
    }
  }
}

// A quad that recedes from z = 1 at its left edge to z = 3 at its right: its texture's
// halfway line lies where the quad's middle (x = 0, z = 2) projects, the screen's centre, not
// halfway between the projected edges, where interpolating on the screen would put it.
TEST_F(RenderTest, TextureCoordinatesArePerspectiveCorrect) {
  const D3DMATRIX projection = Perspective(0.5f, 10.0f);
  ASSERT_EQ(device_->SetTransform(D3DTS_PROJECTION, &projection), D3D_OK);
  ComPtr<IDirect3DTexture9> t =
      MakeTexture(2, 1, 1, [](UINT, UINT x, UINT) { return x ? 0xff00ff00u : 0xffff0000u; });
  ASSERT_EQ(device_->SetTexture(0, t.Get()), D3D_OK);
  ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, {{-1, 1, 1, 0, 0}, {1, 3, 3, 1, 0}, {-1, -1, 1, 0, 1},
                                       {1, -3, 3, 1, 1}}),
            D3D_OK);
  // Left edge at x = -1 / 1 (screen 0), right edge at 1 / 3 (screen 42.7); the screen's
  // halfway point would be 21.3.
  const std::vector<uint32_t> pixels = Pixels();
  EXPECT_EQ(PixelAt(pixels, 20, 32), 0xffff0000u);
  EXPECT_EQ(PixelAt(pixels, 25, 32), 0xffff0000u) << "interpolated on the screen, this is green";
  EXPECT_EQ(PixelAt(pixels, 31, 32), 0xffff0000u);
  EXPECT_EQ(PixelAt(pixels, 33, 32), 0xff00ff00u);
  EXPECT_EQ(PixelAt(pixels, 40, 32), 0xff00ff00u);
}

class MipTest : public RenderTest {
 protected:
  static constexpr uint32_t kLevelColors[6] = {0xff0000ffu, 0xff00ff00u, 0xffff0000u,
                                               0xff00ffffu, 0xffff00ffu, 0xffffff00u};
  void SetUp() override {
    RenderTest::SetUp();
    texture_ = MakeTexture(32, 32, 0, [](UINT level, UINT, UINT) { return kLevelColors[level]; });
    ASSERT_TRUE(texture_);
    ASSERT_EQ(texture_->GetLevelCount(), 6u);
    ASSERT_EQ(device_->SetTexture(0, texture_.Get()), D3D_OK);
    ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT), D3D_OK);
  }
  void TearDown() override {
    texture_.Reset();
    RenderTest::TearDown();
  }
  // The colour of a screen-aligned square of `size` pixels showing the whole texture.
  uint32_t SquareColor(float size) {
    Clear(0xff000000u);
    EXPECT_EQ(DrawRect(0, 0, size, size), D3D_OK);
    return PixelAt(Pixels(), 0, 0);
  }
  ComPtr<IDirect3DTexture9> texture_;
};

TEST_F(MipTest, LevelFollowsTheFootprintOfAPixel) {
  // 32 texels over 32, 16, 8... pixels: a level of detail of 0, 1, 2...
  EXPECT_EQ(SquareColor(64), kLevelColors[0]) << "magnified";
  EXPECT_EQ(SquareColor(32), kLevelColors[0]);
  EXPECT_EQ(SquareColor(16), kLevelColors[1]);
  EXPECT_EQ(SquareColor(8), kLevelColors[2]);
  EXPECT_EQ(SquareColor(4), kLevelColors[3]);
  EXPECT_EQ(SquareColor(1), kLevelColors[5]) << "clamped to the last level";
  // The nearest level: log2(32 / 12) = 1.415 picks level 1, log2(32 / 10) = 1.68 level 2.
  EXPECT_EQ(SquareColor(12), kLevelColors[1]);
  EXPECT_EQ(SquareColor(10), kLevelColors[2]);

  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE), D3D_OK);
  EXPECT_EQ(SquareColor(4), kLevelColors[0]) << "no mipmapping";

  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT), D3D_OK);
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 2), D3D_OK);
  EXPECT_EQ(SquareColor(32), kLevelColors[2]) << "most detailed level 2";
  EXPECT_EQ(SquareColor(4), kLevelColors[3]);
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 0), D3D_OK);
  texture_->SetLOD(1);
  EXPECT_EQ(SquareColor(32), kLevelColors[1]) << "the managed texture's LOD";
  texture_->SetLOD(0);

  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MIPMAPLODBIAS, std::bit_cast<DWORD>(1.0f)), D3D_OK);
  EXPECT_EQ(SquareColor(16), kLevelColors[2]) << "bias 1";
}

TEST_F(MipTest, LinearMipFilteringBlendsTwoLevels) {
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR), D3D_OK);
  EXPECT_EQ(SquareColor(16), kLevelColors[1]);
  // Level of detail 1.5: halfway between level 1 (green) and level 2 (red).
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MIPMAPLODBIAS, std::bit_cast<DWORD>(0.5f)), D3D_OK);
  const uint32_t c = SquareColor(16);
  EXPECT_NEAR(Channel(c, 16), 127.5, 1.0);
  EXPECT_NEAR(Channel(c, 8), 127.5, 1.0);
  EXPECT_EQ(Channel(c, 0), 0u);
}

// A floor receding into the distance: each row's pixels cover more texels than the row below,
// so the level rises from the bottom of the picture to the horizon, pixel by pixel.
TEST_F(MipTest, LevelsAreChosenPerPixel) {
  const D3DMATRIX projection = Perspective(0.5f, 100.0f);
  ASSERT_EQ(device_->SetTransform(D3DTS_PROJECTION, &projection), D3D_OK);
  ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, {{-4, -1, 40, 0, 0}, {4, -1, 40, 4, 0}, {-4, -1, 1, 0, 40},
                                       {4, -1, 1, 4, 40}}),
            D3D_OK);
  const std::vector<uint32_t> pixels = Pixels();
  int previous = 0;
  std::vector<int> seen;
  for (int y = 63; y > 32; --y) {
    const uint32_t c = PixelAt(pixels, 32, y);
    const int level = static_cast<int>(std::find(std::begin(kLevelColors), std::end(kLevelColors), c) -
                                       std::begin(kLevelColors));
    if (c == 0xff000000u) break;  // above the floor's far edge
    ASSERT_LT(level, 6) << "row " << y << " shows no level's colour: " << std::hex << c;
    EXPECT_GE(level, previous) << "row " << y;
    previous = level;
    if (seen.empty() || seen.back() != level) seen.push_back(level);
  }
  EXPECT_GE(seen.size(), 3u) << "levels from the bottom to the horizon";
}

TEST_F(RenderTest, MagnificationAndMinificationUseTheirOwnFilters) {
  ComPtr<IDirect3DTexture9> t =
      MakeTexture(2, 2, 1, [](UINT, UINT x, UINT y) { return (x + y) % 2 ? 0xffffffffu : 0xff000000u; });
  ASSERT_EQ(device_->SetTexture(0, t.Get()), D3D_OK);
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT), D3D_OK);
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR), D3D_OK);
  auto grey = [](const std::vector<uint32_t>& pixels, int size) {
    int n = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const uint32_t c = PixelAt(pixels, x, y);
        n += c != 0xffffffffu && c != 0xff000000u;
      }
    }
    return n;
  };
  ASSERT_EQ(DrawRect(0, 0, 16, 16), D3D_OK);
  EXPECT_EQ(grey(Pixels(), 16), 0) << "magnified with the point filter";
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR), D3D_OK);
  ASSERT_EQ(DrawRect(0, 0, 16, 16), D3D_OK);
  EXPECT_GT(grey(Pixels(), 16), 0) << "magnified with the linear filter";
}

TEST_F(RenderTest, TextureFormatsReadAsColours) {
  struct Case {
    D3DFORMAT format;
    uint32_t stored;  // little-endian texel bytes
    uint32_t color;   // as read
  };
  const Case cases[] = {
      {D3DFMT_X8R8G8B8, 0x00123456u, 0xff123456u},  // no alpha: 1
      {D3DFMT_A8R8G8B8, 0x80123456u, 0x80123456u},
      {D3DFMT_R5G6B5, 0xf800u, 0xffff0000u},
      {D3DFMT_A1R5G5B5, 0x001fu, 0x000000ffu},
      {D3DFMT_L8, 0x40u, 0xff404040u},  // luminance into red, green and blue
      {D3DFMT_A8, 0x80u, 0x80000000u},  // alpha only: black
      {D3DFMT_A8L8, 0x8020u, 0x80202020u},
  };
  for (const Case& c : cases) {
    ComPtr<IDirect3DTexture9> t;
    ASSERT_EQ(device_->CreateTexture(1, 1, 1, 0, c.format, D3DPOOL_MANAGED, t.GetAddressOf(), nullptr),
              D3D_OK)
        << c.format;
    D3DLOCKED_RECT r;
    ASSERT_EQ(t->LockRect(0, &r, nullptr, 0), D3D_OK);
    D3DSURFACE_DESC desc;
    t->GetLevelDesc(0, &desc);
    const UINT bytes = c.format == D3DFMT_L8 || c.format == D3DFMT_A8 ? 1 : c.format == D3DFMT_R5G6B5 || c.format == D3DFMT_A1R5G5B5 || c.format == D3DFMT_A8L8 ? 2 : 4;
    std::memcpy(r.pBits, &c.stored, bytes);
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
    ASSERT_EQ(device_->SetTexture(0, t.Get()), D3D_OK);
    ASSERT_EQ(DrawRect(0, 0, 4, 4), D3D_OK);
    EXPECT_EQ(PixelAt(Pixels(), 1, 1), c.color) << "format " << c.format;
  }
}

TEST_F(RenderTest, AutomaticMipLevelsAreBroughtUpToDateBeforeSampling) {
  ComPtr<IDirect3DTexture9> t;
  ASSERT_EQ(device_->CreateTexture(16, 16, 0, D3DUSAGE_AUTOGENMIPMAP, D3DFMT_A8R8G8B8,
                                   D3DPOOL_MANAGED, t.GetAddressOf(), nullptr),
            D3D_OK);
  D3DLOCKED_RECT r;
  ASSERT_EQ(t->LockRect(0, &r, nullptr, 0), D3D_OK);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const uint32_t red = 0xffff0000u;
      std::memcpy(static_cast<BYTE*>(r.pBits) + y * r.Pitch + x * 4, &red, 4);
    }
  }
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  ASSERT_EQ(device_->SetTexture(0, t.Get()), D3D_OK);
  ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT), D3D_OK);
  ASSERT_EQ(DrawRect(0, 0, 2, 2), D3D_OK);  // level 3
  EXPECT_EQ(PixelAt(Pixels(), 0, 0), 0xffff0000u);
}

TEST_F(RenderTest, LitTexturedPixelsKeepTheTexturesAlpha) {
  ASSERT_NO_FATAL_FAILURE(UseColor(0x80ffffffu));
  ASSERT_EQ(device_->SetRenderState(D3DRS_LIGHTING, TRUE), D3D_OK);
  ASSERT_EQ(DrawRect(0, 0, 4, 4), D3D_OK);
  EXPECT_EQ(PixelAt(Pixels(), 1, 1), 0x80000000u);
}

}  // namespace
}  // namespace d3d9rt_test
