// UtFilterTexture on the software runtime: default filter choice, cascading against
// resampling from the source level, cube mirroring, gamma options, and the release of every
// level reference on success and on failure.
#include <gtest/gtest.h>

#include "tests/ut/surface/surface_test_support.h"
#include "ut_surface.h"

namespace {

using d3d9rt_test::RuntimeTest;

// 2x2 averages of packed 8-bit-per-channel pixels, (sum + 2) >> 2 per byte; a side of 1 uses
// its pixel twice.
std::vector<uint8_t> HalveBytes(const std::vector<uint8_t>& pixels, UINT width, UINT height) {
  const UINT w = std::max(width / 2, 1u), h = std::max(height / 2, 1u);
  std::vector<uint8_t> out(w * h * 4);
  for (UINT y = 0; y < h; ++y)
    for (UINT x = 0; x < w; ++x)
      for (UINT c = 0; c < 4; ++c) {
        const UINT x0 = width == 1 ? 0 : 2 * x, x1 = width == 1 ? 0 : 2 * x + 1;
        const UINT y0 = height == 1 ? 0 : 2 * y, y1 = height == 1 ? 0 : 2 * y + 1;
        const int sum = pixels[(y0 * width + x0) * 4 + c] + pixels[(y0 * width + x1) * 4 + c] +
                        pixels[(y1 * width + x0) * 4 + c] + pixels[(y1 * width + x1) * 4 + c];
        out[(y * w + x) * 4 + c] = uint8_t((sum + 2) >> 2);
      }
  return out;
}

class TextureFiltering : public RuntimeTest {
 protected:
  // Levels of sizes other than powers of two.
  void SetUp() override {
    RuntimeTest::SetUp();
    // The library's read-only locks get copies: a write through one never lands, and is counted.
    d3d9rt::SetReadOnlyLockGuard(true);
    D3DCAPS9 caps = d3d9rt::DefaultCaps();
    caps.TextureCaps &= ~(D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_NONPOW2CONDITIONAL);
    d3d9rt::SetCaps(caps);
  }
  void TearDown() override {
    EXPECT_EQ(d3d9rt::ReadOnlyLockWriteCount(), 0u) << "the library wrote through a read-only lock";
    RuntimeTest::TearDown();
  }
  std::vector<uint8_t> LevelBytes(IDirect3DTexture9* texture, UINT level) {
    return ReadSurface(Level(texture, level).Get(), 4);
  }
  D3DSURFACE_DESC Desc(IDirect3DTexture9* texture, UINT level) {
    D3DSURFACE_DESC d{};
    texture->GetLevelDesc(level, &d);
    return d;
  }
};

TEST_F(TextureFiltering, RefusesWhatIsNotATextureAndLevelsOutOfRange) {
  EXPECT_EQ(UtFilterTexture(nullptr, nullptr, 0, UT_DEFAULT), D3DERR_INVALIDCALL);
  ComPtr<IDirect3DVertexBuffer9> buffer;
  ASSERT_EQ(device_->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, buffer.GetAddressOf(), nullptr), D3D_OK);
  // A resource of another type, seen through the base texture's interface.
  EXPECT_EQ(UtFilterTexture(reinterpret_cast<IDirect3DBaseTexture9*>(buffer.Get()), nullptr, 0, UT_DEFAULT),
            D3DERR_INVALIDCALL);
  ComPtr<IDirect3DTexture9> texture = MakeTexture(8, 8, 4, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  EXPECT_EQ(UtFilterTexture(texture.Get(), nullptr, 4, UT_DEFAULT), D3DERR_INVALIDCALL);
  EXPECT_EQ(UtFilterTexture(texture.Get(), nullptr, 0, 6), D3DERR_INVALIDCALL);
  // The last level as the source: nothing to do.
  d3d9rt::Reset();
  d3d9rt::SetReadOnlyLockGuard(true);
  EXPECT_EQ(UtFilterTexture(texture.Get(), nullptr, 3, UT_DEFAULT), S_OK);
  EXPECT_TRUE(d3d9rt::LockLog().empty());
}

struct CascadeCase {
  UINT width, height, levels;
};

// Powers of two with the default filter: box halvings, each level from the one above.
TEST_F(TextureFiltering, DefaultFilterOnPowersOfTwoCascadesBoxHalvings) {
  const CascadeCase cases[] = {{256, 256, 9}, {8, 2, 4}, {1, 16, 5}};
  for (const CascadeCase& c : cases) {
    ComPtr<IDirect3DTexture9> texture = MakeTexture(c.width, c.height, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    ASSERT_EQ(texture->GetLevelCount(), c.levels);
    WriteSurface(Level(texture.Get(), 0).Get(), PatternBytes(c.width * c.height * 4, c.width), 4);
    ASSERT_EQ(UtFilterTexture(texture.Get(), nullptr, UT_DEFAULT, UT_DEFAULT), S_OK);
    EXPECT_EQ(LastStrategy(), "FilterBoxHalf2D");
    for (UINT level = 1; level < c.levels; ++level) {
      const D3DSURFACE_DESC above = Desc(texture.Get(), level - 1);
      EXPECT_EQ(LevelBytes(texture.Get(), level), HalveBytes(LevelBytes(texture.Get(), level - 1), above.Width, above.Height))
          << c.width << "x" << c.height << " level " << level;
    }
  }
}

// Other sizes: the tent filter with dithering, every level resampled from the source level.
TEST_F(TextureFiltering, DefaultFilterOnOtherSizesResamplesFromTheSourceLevel) {
  ComPtr<IDirect3DTexture9> texture = MakeTexture(100, 60, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  ASSERT_EQ(texture->GetLevelCount(), 7u);
  const std::vector<uint8_t> top = PatternBytes(100 * 60 * 4, 9);
  WriteSurface(Level(texture.Get(), 0).Get(), top, 4);
  ASSERT_EQ(UtFilterTexture(texture.Get(), nullptr, 0, UT_DEFAULT), S_OK);
  for (UINT level = 1; level < 7; ++level) {
    const D3DSURFACE_DESC d = Desc(texture.Get(), level);
    EXPECT_EQ(LevelBytes(texture.Get(), level),
              ConvertInMemory(top, D3DFMT_A8R8G8B8, 4, 100, 60, D3DFMT_A8R8G8B8, 4, d.Width, d.Height,
                              UT_FILTER_TRIANGLE | UT_FILTER_DITHER))
        << "level " << level;
  }
  // Not a cascade: level 2 made from level 1 would differ.
  const D3DSURFACE_DESC one = Desc(texture.Get(), 1), two = Desc(texture.Get(), 2);
  EXPECT_NE(LevelBytes(texture.Get(), 2), ConvertInMemory(LevelBytes(texture.Get(), 1), D3DFMT_A8R8G8B8, 4, one.Width,
                                                          one.Height, D3DFMT_A8R8G8B8, 4, two.Width, two.Height,
                                                          UT_FILTER_TRIANGLE | UT_FILTER_DITHER));
}

// A lone UT_FILTER_SRGB_IN is dropped; UT_FILTER_SRGB_OUT brings UT_FILTER_SRGB_IN along.
TEST_F(TextureFiltering, GammaAppliesToBothEndsOrNeither) {
  struct Case {
    DWORD filter, same;
  } cases[] = {{UT_FILTER_BOX | UT_FILTER_SRGB_IN, UT_FILTER_BOX},
               {UT_FILTER_BOX | UT_FILTER_SRGB_OUT, UT_FILTER_BOX | UT_FILTER_SRGB},
               {UT_FILTER_TRIANGLE | UT_FILTER_SRGB_OUT, UT_FILTER_TRIANGLE | UT_FILTER_SRGB}};
  for (const Case& c : cases) {
    ComPtr<IDirect3DTexture9> texture = MakeTexture(8, 8, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    const std::vector<uint8_t> top = PatternBytes(8 * 8 * 4, 10);
    WriteSurface(Level(texture.Get(), 0).Get(), top, 4);
    ASSERT_EQ(UtFilterTexture(texture.Get(), nullptr, 0, c.filter), S_OK);
    EXPECT_EQ(LevelBytes(texture.Get(), 1), ConvertInMemory(top, D3DFMT_A8R8G8B8, 4, 8, 8, D3DFMT_A8R8G8B8, 4, 4, 4, c.same))
        << std::hex << c.filter;
  }
}

// A cube's faces mirror at their edges whatever the filter: UT_FILTER_LINEAR becomes
// UT_FILTER_LINEAR | UT_FILTER_MIRROR. (An exact halving never samples past an edge under the
// linear filter, so the tent filter, which does, shows the difference from wrapping.)
TEST_F(TextureFiltering, CubeFacesMirrorAtTheirEdges) {
  for (DWORD type : {UT_FILTER_LINEAR, UT_FILTER_TRIANGLE}) {
    ComPtr<IDirect3DCubeTexture9> cube;
    ASSERT_EQ(device_->CreateCubeTexture(4, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, cube.GetAddressOf(), nullptr),
              D3D_OK);
    std::vector<std::vector<uint8_t>> faces;
    for (UINT f = 0; f < 6; ++f) {
      ComPtr<IDirect3DSurface9> s;
      ASSERT_EQ(cube->GetCubeMapSurface(D3DCUBEMAP_FACES(f), 0, s.GetAddressOf()), D3D_OK);
      faces.push_back(PatternBytes(4 * 4 * 4, 20 + f));
      WriteSurface(s.Get(), faces.back(), 4);
    }
    ASSERT_EQ(UtFilterTexture(cube.Get(), nullptr, 0, type), S_OK);
    for (UINT f = 0; f < 6; ++f) {
      ComPtr<IDirect3DSurface9> s;
      ASSERT_EQ(cube->GetCubeMapSurface(D3DCUBEMAP_FACES(f), 1, s.GetAddressOf()), D3D_OK);
      const std::vector<uint8_t> got = ReadSurface(s.Get(), 4);
      EXPECT_EQ(got, ConvertInMemory(faces[f], D3DFMT_A8R8G8B8, 4, 4, 4, D3DFMT_A8R8G8B8, 4, 2, 2, type | UT_FILTER_MIRROR))
          << "filter " << type << " face " << f;
      if (type == UT_FILTER_TRIANGLE) {
        EXPECT_NE(got, ConvertInMemory(faces[f], D3DFMT_A8R8G8B8, 4, 4, 4, D3DFMT_A8R8G8B8, 4, 2, 2, type))
            << "face " << f << ": wrapping would look the same, the test shows nothing";
      }
    }
  }
}

TEST_F(TextureFiltering, VolumeLevelsAreBoxHalvings) {
  ComPtr<IDirect3DVolumeTexture9> texture;
  ASSERT_EQ(device_->CreateVolumeTexture(4, 4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.GetAddressOf(), nullptr),
            D3D_OK);
  ComPtr<IDirect3DVolume9> top, next;
  ASSERT_EQ(texture->GetVolumeLevel(0, top.GetAddressOf()), D3D_OK);
  ASSERT_EQ(texture->GetVolumeLevel(1, next.GetAddressOf()), D3D_OK);
  const std::vector<uint8_t> pixels = PatternBytes(4 * 4 * 4 * 4, 30);
  WriteVolume(top.Get(), pixels, 4);
  ASSERT_EQ(UtFilterTexture(texture.Get(), nullptr, 0, UT_DEFAULT), S_OK);
  EXPECT_EQ(LastStrategy(), "FilterBoxHalf3D");
  const std::vector<uint8_t> halved = ReadVolume(next.Get(), 4);
  ASSERT_EQ(halved.size(), 32u);
  for (UINT i = 0; i < 8; ++i)
    for (UINT c = 0; c < 4; ++c) {
      const UINT x = i % 2, y = (i / 2) % 2, z = i / 4;
      float sum = 0;
      for (UINT n = 0; n < 8; ++n) sum += pixels[(((2 * z + n / 4) * 4 + 2 * y + (n / 2) % 2) * 4 + 2 * x + n % 2) * 4 + c];
      EXPECT_NEAR(halved[i * 4 + c], sum / 8, 0.5 + 1e-6) << i << " channel " << c;
    }
}

// Every level interface obtained is released, whether the call succeeds or a device call
// fails part-way; levels converted before a failure keep their new contents.
TEST_F(TextureFiltering, EveryLevelReferenceIsReleasedOnSuccessAndOnFailure) {
  ComPtr<IDirect3DTexture9> texture = MakeTexture(32, 32, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  ComPtr<IDirect3DCubeTexture9> cube;
  ASSERT_EQ(device_->CreateCubeTexture(8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, cube.GetAddressOf(), nullptr), D3D_OK);
  IDirect3DBaseTexture9* textures[] = {texture.Get(), cube.Get()};
  for (IDirect3DBaseTexture9* t : textures) {
    const long objects = d3d9rt::LiveObjectCount(), references = d3d9rt::LiveReferenceCount();
    ASSERT_EQ(UtFilterTexture(t, nullptr, 0, UT_FILTER_BOX), S_OK);
    EXPECT_EQ(d3d9rt::LiveObjectCount(), objects);
    EXPECT_EQ(d3d9rt::LiveReferenceCount(), references);
    int failures = 0;
    for (unsigned n = 1; n <= 40; ++n) {
      // The nth lock fails, and so does every creation, so that no temporary copy can stand in.
      d3d9rt::InjectFailure(d3d9rt::kAnyLock, n, E_OUTOFMEMORY);
      d3d9rt::InjectFailure(d3d9rt::kAnyCreation, 0, E_OUTOFMEMORY);
      const HRESULT hr = UtFilterTexture(t, nullptr, 0, UT_FILTER_TRIANGLE);
      d3d9rt::ClearInjectedFailures();
      EXPECT_TRUE(hr == S_OK || hr == E_OUTOFMEMORY) << "failure " << n << ": " << std::hex << hr;
      failures += hr != S_OK;
      EXPECT_EQ(d3d9rt::LiveObjectCount(), objects) << "failure " << n;
      EXPECT_EQ(d3d9rt::LiveReferenceCount(), references) << "failure " << n;
    }
    EXPECT_GT(failures, 0) << "no injected failure reached the call";
  }
}

// A failure part-way stops the call with its error; the levels made before it keep them.
TEST_F(TextureFiltering, LevelsMadeBeforeAFailureKeepTheirContents) {
  ComPtr<IDirect3DTexture9> texture = MakeTexture(16, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  WriteSurface(Level(texture.Get(), 0).Get(), PatternBytes(16 * 16 * 4, 40), 4);
  const std::vector<uint8_t> old3 = LevelBytes(texture.Get(), 3);
  // Locks: level 0 (read), level 1, level 2, then level 3 fails, with no copy to fall back on.
  d3d9rt::Reset();
  d3d9rt::SetReadOnlyLockGuard(true);
  d3d9rt::InjectFailure(d3d9rt::kLockRect, 4, D3DERR_INVALIDCALL);
  d3d9rt::InjectFailure(d3d9rt::kAnyCreation, 0, E_OUTOFMEMORY);
  EXPECT_EQ(UtFilterTexture(texture.Get(), nullptr, 0, UT_FILTER_BOX), E_OUTOFMEMORY);
  d3d9rt::ClearInjectedFailures();
  EXPECT_EQ(LevelBytes(texture.Get(), 1), HalveBytes(LevelBytes(texture.Get(), 0), 16, 16));
  EXPECT_EQ(LevelBytes(texture.Get(), 2), HalveBytes(LevelBytes(texture.Get(), 1), 8, 8));
  EXPECT_EQ(LevelBytes(texture.Get(), 3), old3) << "the level whose lock failed was written";
}

}  // namespace
