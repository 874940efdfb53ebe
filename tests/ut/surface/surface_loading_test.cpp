// UtLoadSurfaceFromMemory, UtLoadSurfaceFromSurface and the volume forms on the software
// runtime: argument checks, what reaches the destination, device copies, copies of a surface
// onto itself, the device-lost check and lock failures.
#include <gtest/gtest.h>

#include "tests/ut/surface/surface_test_support.h"
#include "ut_surface.h"

namespace {

using d3d9rt_test::RuntimeTest;

class SurfaceLoading : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    // The library's read-only locks get copies: a write through one never lands, and is counted.
    d3d9rt::SetReadOnlyLockGuard(true);
  }
  void TearDown() override {
    EXPECT_EQ(d3d9rt::ReadOnlyLockWriteCount(), 0u) << "the library wrote through a read-only lock";
    RuntimeTest::TearDown();
  }
  ComPtr<IDirect3DSurface9> Surface(UINT w, UINT h, D3DFORMAT f = D3DFMT_A8R8G8B8, D3DPOOL pool = D3DPOOL_MANAGED,
                                    DWORD usage = 0) {
    ComPtr<IDirect3DTexture9> t = MakeTexture(w, h, 1, usage, f, pool);
    return t ? Level(t.Get(), 0) : nullptr;
  }
  ComPtr<IDirect3DVolume9> Volume(UINT w, UINT h, UINT d, D3DFORMAT f = D3DFMT_A8R8G8B8) {
    ComPtr<IDirect3DVolumeTexture9> t;
    EXPECT_EQ(device_->CreateVolumeTexture(w, h, d, 1, 0, f, D3DPOOL_MANAGED, t.GetAddressOf(), nullptr), D3D_OK);
    ComPtr<IDirect3DVolume9> v;
    if (t) {
      EXPECT_EQ(t->GetVolumeLevel(0, v.GetAddressOf()), D3D_OK);
    }
    return v;
  }
};

TEST_F(SurfaceLoading, ArgumentsAreCheckedBeforeAnyLock) {
  ComPtr<IDirect3DSurface9> surface = Surface(4, 4);
  const std::vector<uint8_t> pixels = PatternBytes(64, 1);
  const RECT rect{0, 0, 4, 4};
  const RECT reversed{3, 0, 1, 4}, negative{-1, 0, 3, 4};
  d3d9rt::Reset();
  d3d9rt::SetReadOnlyLockGuard(true);
  struct Case {
    const char* what;
    HRESULT hr;
  } cases[] = {
      {"no surface", UtLoadSurfaceFromMemory(nullptr, nullptr, nullptr, pixels.data(), D3DFMT_A8R8G8B8, 16, nullptr, &rect, UT_DEFAULT, 0)},
      {"no memory", UtLoadSurfaceFromMemory(surface.Get(), nullptr, nullptr, nullptr, D3DFMT_A8R8G8B8, 16, nullptr, &rect, UT_DEFAULT, 0)},
      {"no source rectangle", UtLoadSurfaceFromMemory(surface.Get(), nullptr, nullptr, pixels.data(), D3DFMT_A8R8G8B8, 16, nullptr, nullptr, UT_DEFAULT, 0)},
      {"reversed source rectangle", UtLoadSurfaceFromMemory(surface.Get(), nullptr, nullptr, pixels.data(), D3DFMT_A8R8G8B8, 16, nullptr, &reversed, UT_DEFAULT, 0)},
      {"negative source rectangle", UtLoadSurfaceFromMemory(surface.Get(), nullptr, nullptr, pixels.data(), D3DFMT_A8R8G8B8, 16, nullptr, &negative, UT_DEFAULT, 0)},
      {"filter 6", UtLoadSurfaceFromMemory(surface.Get(), nullptr, nullptr, pixels.data(), D3DFMT_A8R8G8B8, 16, nullptr, &rect, 6, 0)},
      {"filter bit 23", UtLoadSurfaceFromSurface(surface.Get(), nullptr, nullptr, surface.Get(), nullptr, nullptr, 0x800001, 0)},
      {"no source surface", UtLoadSurfaceFromSurface(surface.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, UT_DEFAULT, 0)},
      {"no destination surface", UtLoadSurfaceFromSurface(nullptr, nullptr, nullptr, surface.Get(), nullptr, nullptr, UT_DEFAULT, 0)},
      {"no volume", UtLoadVolumeFromMemory(nullptr, nullptr, nullptr, pixels.data(), D3DFMT_A8R8G8B8, 16, 64, nullptr, nullptr, UT_DEFAULT, 0)},
      {"no volumes", UtLoadVolumeFromVolume(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, UT_DEFAULT, 0)},
  };
  for (const Case& c : cases) EXPECT_EQ(c.hr, D3DERR_INVALIDCALL) << c.what;
  EXPECT_TRUE(d3d9rt::LockLog().empty()) << "a lock was taken before the arguments were checked";
}

// The destination rectangle receives what the engine makes of the source in memory; the rest
// of the surface keeps its bytes. UT_DEFAULT is the tent filter with dithering.
TEST_F(SurfaceLoading, MemoryIntoARectangle) {
  ComPtr<IDirect3DSurface9> surface = Surface(8, 6, D3DFMT_R5G6B5);
  const std::vector<uint8_t> before = PatternBytes(8 * 6 * 2, 2);
  WriteSurface(surface.Get(), before, 2);
  const std::vector<uint8_t> pixels = PatternBytes(7 * 5 * 4, 3);
  const RECT source{0, 0, 7, 5};
  const RECT destination{2, 1, 7, 4};  // 5 x 3
  ASSERT_EQ(UtLoadSurfaceFromMemory(surface.Get(), nullptr, &destination, pixels.data(), D3DFMT_A8R8G8B8, 7 * 4,
                                    nullptr, &source, UT_DEFAULT, 0),
            S_OK);
  const std::vector<uint8_t> expected = ConvertInMemory(pixels, D3DFMT_A8R8G8B8, 4, 7, 5, D3DFMT_R5G6B5, 2, 5, 3,
                                                        UT_FILTER_TRIANGLE | UT_FILTER_DITHER);
  const std::vector<uint8_t> after = ReadSurface(surface.Get(), 2);
  for (UINT y = 0; y < 6; ++y)
    for (UINT x = 0; x < 8; ++x) {
      const bool inside = x >= 2 && x < 7 && y >= 1 && y < 4;
      for (UINT b = 0; b < 2; ++b) {
        const uint8_t want = inside ? expected[((y - 1) * 5 + (x - 2)) * 2 + b] : before[(y * 8 + x) * 2 + b];
        ASSERT_EQ(after[(y * 8 + x) * 2 + b], want) << x << "," << y;
      }
    }
}

// The source rectangle selects pixels of memory whose address is that of pixel (0, 0).
TEST_F(SurfaceLoading, SourceRectangleIsInMemoryCoordinates) {
  ComPtr<IDirect3DSurface9> surface = Surface(2, 2);
  std::vector<uint8_t> pixels(6 * 4 * 4);
  for (UINT i = 0; i < 24; ++i) std::memcpy(&pixels[i * 4], &i, 4);
  const RECT source{3, 1, 5, 3};
  ASSERT_EQ(UtLoadSurfaceFromMemory(surface.Get(), nullptr, nullptr, pixels.data(), D3DFMT_A8R8G8B8, 6 * 4, nullptr,
                                    &source, UT_FILTER_NONE, 0),
            S_OK);
  const std::vector<uint8_t> after = ReadSurface(surface.Get(), 4);
  const uint32_t expected[] = {1 * 6 + 3, 1 * 6 + 4, 2 * 6 + 3, 2 * 6 + 4};
  for (UINT i = 0; i < 4; ++i) {
    uint32_t v;
    std::memcpy(&v, &after[i * 4], 4);
    EXPECT_EQ(v, expected[i]) << i;
  }
}

TEST_F(SurfaceLoading, LockFailureIsReturnedUnchanged) {
  ComPtr<IDirect3DSurface9> surface = Surface(4, 4);
  const std::vector<uint8_t> pixels = PatternBytes(64, 4);
  const RECT rect{0, 0, 4, 4};
  d3d9rt::InjectFailure(d3d9rt::kLockRect, 0, E_OUTOFMEMORY);
  d3d9rt::InjectFailure(d3d9rt::kCreateTexture, 0, E_OUTOFMEMORY);
  EXPECT_EQ(UtLoadSurfaceFromMemory(surface.Get(), nullptr, nullptr, pixels.data(), D3DFMT_A8R8G8B8, 16, nullptr, &rect,
                                    UT_FILTER_NONE, 0),
            E_OUTOFMEMORY);
  d3d9rt::ClearInjectedFailures();
  const RECT outside{0, 0, 5, 4};
  EXPECT_EQ(UtLoadSurfaceFromMemory(surface.Get(), nullptr, &outside, pixels.data(), D3DFMT_A8R8G8B8, 16, nullptr, &rect,
                                    UT_FILTER_NONE, 0),
            D3DERR_INVALIDCALL);
  // A format without a codec: the engine's E_FAIL, after the lock was released.
  EXPECT_EQ(UtLoadSurfaceFromMemory(surface.Get(), nullptr, nullptr, pixels.data(), D3DFMT_D24S8, 16, nullptr, &rect,
                                    UT_FILTER_NONE, 0),
            E_FAIL);
  EXPECT_EQ(ReadSurface(surface.Get(), 4).size(), 64u) << "the surface is still locked";
}

struct DeviceCopyCase {
  const char* what;
  D3DPOOL sourcePool;
  DWORD filter;
  D3DCOLOR key;
  bool differentPalettes;
  d3d9rt::Call copy;  // the device call expected, or 0 for the locks
};

// Equal sizes, no colour key, same palettes and a filter other than UT_FILTER_BOX: the device
// copies into a D3DPOOL_DEFAULT destination, and no lock is taken.
TEST_F(SurfaceLoading, DeviceCopiesEqualRectangles) {
  const DeviceCopyCase cases[] = {
      {"default to default", D3DPOOL_DEFAULT, UT_FILTER_TRIANGLE, 0, false, d3d9rt::kStretchRect},
      {"system memory to default", D3DPOOL_SYSTEMMEM, UT_FILTER_POINT, 0, false, d3d9rt::kUpdateSurface},
      {"box filter", D3DPOOL_DEFAULT, UT_FILTER_BOX, 0, false, d3d9rt::Call(0)},
      {"colour key", D3DPOOL_SYSTEMMEM, UT_FILTER_NONE, 0xFF000000, false, d3d9rt::Call(0)},
      {"palettes differ", D3DPOOL_SYSTEMMEM, UT_FILTER_NONE, 0, true, d3d9rt::Call(0)},
  };
  std::vector<PALETTEENTRY> a(256, PALETTEENTRY{1, 2, 3, 4}), b = a;
  b[200].peRed = 9;
  for (const DeviceCopyCase& c : cases) {
    ComPtr<IDirect3DSurface9> source = Surface(8, 8, D3DFMT_A8R8G8B8, c.sourcePool,
                                               c.sourcePool == D3DPOOL_DEFAULT ? D3DUSAGE_RENDERTARGET : 0);
    ComPtr<IDirect3DSurface9> destination = Surface(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET);
    ASSERT_TRUE(source && destination) << c.what;
    d3d9rt::Reset();
    d3d9rt::SetReadOnlyLockGuard(true);
    const RECT from{1, 1, 5, 5}, to{4, 4, 8, 8};
    const HRESULT hr = UtLoadSurfaceFromSurface(destination.Get(), a.data(), &to, source.Get(),
                                                c.differentPalettes ? b.data() : a.data(), &from, c.filter, c.key);
    EXPECT_EQ(hr, S_OK) << c.what;
    if (c.copy != 0) {
      EXPECT_EQ(d3d9rt::CallCount(c.copy), 1u) << c.what;
      EXPECT_TRUE(d3d9rt::LockLog().empty()) << c.what << ": no lock should be taken";
    } else {
      // The locks' own copies of video memory may still use the device; what shows that the
      // engine did the work is that the surfaces were locked.
      EXPECT_FALSE(d3d9rt::LockLog().empty()) << c.what << ": the locks should do it";
    }
  }
}

// A surface onto itself with overlapping rectangles reads a copy: the result is that of
// reading everything before writing anything.
TEST_F(SurfaceLoading, SameSurfaceWithOverlappingRectanglesReadsACopy) {
  for (DWORD filter : {UT_FILTER_NONE, UT_FILTER_POINT, UT_FILTER_TRIANGLE}) {
    ComPtr<IDirect3DSurface9> surface = Surface(8, 8);
    const std::vector<uint8_t> before = PatternBytes(8 * 8 * 4, 5);
    WriteSurface(surface.Get(), before, 4);
    const RECT from{0, 0, 6, 6}, to{2, 2, 8, 8};
    ASSERT_EQ(UtLoadSurfaceFromSurface(surface.Get(), nullptr, &to, surface.Get(), nullptr, &from, filter, 0), S_OK);
    // The reference: the 6 x 6 square cut out first, then converted.
    std::vector<uint8_t> square;
    for (UINT y = 0; y < 6; ++y) square.insert(square.end(), &before[y * 32], &before[y * 32 + 24]);
    const std::vector<uint8_t> expected =
        ConvertInMemory(square, D3DFMT_A8R8G8B8, 4, 6, 6, D3DFMT_A8R8G8B8, 4, 6, 6, filter);
    const std::vector<uint8_t> after = ReadSurface(surface.Get(), 4);
    for (UINT y = 0; y < 8; ++y)
      for (UINT x = 0; x < 8; ++x)
        for (UINT b = 0; b < 4; ++b) {
          const bool inside = x >= 2 && y >= 2;
          const uint8_t want = inside ? expected[((y - 2) * 6 + x - 2) * 4 + b] : before[(y * 8 + x) * 4 + b];
          ASSERT_EQ(after[(y * 8 + x) * 4 + b], want) << "filter " << filter << " at " << x << "," << y;
        }
  }
}

// Reading video memory of a lost device into another pool gives no picture.
TEST_F(SurfaceLoading, SourceOfALostDeviceIsReported) {
  ComPtr<IDirect3DSurface9> source = Surface(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET);
  ComPtr<IDirect3DSurface9> managed = Surface(4, 4);
  ComPtr<IDirect3DSurface9> video = Surface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC);
  EXPECT_EQ(UtLoadSurfaceFromSurface(managed.Get(), nullptr, nullptr, source.Get(), nullptr, nullptr, UT_FILTER_BOX, 0),
            S_OK);
  d3d9rt::SetDeviceState(d3d9rt::DeviceState::kLost);
  EXPECT_EQ(UtLoadSurfaceFromSurface(managed.Get(), nullptr, nullptr, source.Get(), nullptr, nullptr, UT_FILTER_BOX, 0),
            D3DERR_DEVICELOST);
  // Into video memory there is nothing to check.
  EXPECT_EQ(UtLoadSurfaceFromSurface(video.Get(), nullptr, nullptr, source.Get(), nullptr, nullptr, UT_FILTER_BOX, 0),
            S_OK);
  d3d9rt::SetDeviceState(d3d9rt::DeviceState::kOperational);
}

TEST_F(SurfaceLoading, VolumesFromMemoryAndFromVolumes) {
  ComPtr<IDirect3DVolume9> volume = Volume(4, 4, 4);
  const std::vector<uint8_t> pixels = PatternBytes(4 * 4 * 4 * 4, 6);
  const D3DBOX whole{0, 0, 4, 4, 0, 4};
  ASSERT_EQ(UtLoadVolumeFromMemory(volume.Get(), nullptr, nullptr, pixels.data(), D3DFMT_A8R8G8B8, 16, 64, nullptr,
                                   &whole, UT_FILTER_NONE, 0),
            S_OK);
  EXPECT_EQ(ReadVolume(volume.Get(), 4), pixels);
  const D3DBOX reversed{2, 0, 1, 4, 0, 4};
  EXPECT_EQ(UtLoadVolumeFromMemory(volume.Get(), nullptr, nullptr, pixels.data(), D3DFMT_A8R8G8B8, 16, 64, nullptr,
                                   &reversed, UT_FILTER_NONE, 0),
            D3DERR_INVALIDCALL);

  // Into another volume, halved.
  ComPtr<IDirect3DVolume9> half = Volume(2, 2, 2);
  ASSERT_EQ(UtLoadVolumeFromVolume(half.Get(), nullptr, nullptr, volume.Get(), nullptr, nullptr, UT_FILTER_BOX, 0), S_OK);
  const std::vector<uint8_t> halved = ReadVolume(half.Get(), 4);
  for (UINT i = 0; i < 8; ++i) {
    const UINT x = i % 2, y = (i / 2) % 2, z = i / 4;
    for (UINT c = 0; c < 4; ++c) {
      int sum = 0;
      for (UINT n = 0; n < 8; ++n) sum += pixels[(((2 * z + n / 4) * 4 + 2 * y + (n / 2) % 2) * 4 + 2 * x + n % 2) * 4 + c];
      EXPECT_NEAR(halved[i * 4 + c], sum / 8.0, 0.5 + 1e-9) << i << " channel " << c;
    }
  }
}

// A volume onto itself with overlapping boxes reads a copy, as surfaces do.
TEST_F(SurfaceLoading, SameVolumeWithOverlappingBoxesReadsACopy) {
  ComPtr<IDirect3DVolume9> volume = Volume(4, 4, 2);
  const std::vector<uint8_t> before = PatternBytes(4 * 4 * 2 * 4, 7);
  WriteVolume(volume.Get(), before, 4);
  const D3DBOX from{0, 0, 3, 3, 0, 2}, to{1, 1, 4, 4, 0, 2};
  ASSERT_EQ(UtLoadVolumeFromVolume(volume.Get(), nullptr, &to, volume.Get(), nullptr, &from, UT_FILTER_NONE, 0), S_OK);
  const std::vector<uint8_t> after = ReadVolume(volume.Get(), 4);
  for (UINT z = 0; z < 2; ++z)
    for (UINT y = 0; y < 4; ++y)
      for (UINT x = 0; x < 4; ++x)
        for (UINT c = 0; c < 4; ++c) {
          const bool inside = x >= 1 && y >= 1;
          const size_t at = ((z * 4 + y) * 4 + x) * 4 + c;
          const uint8_t want = inside ? before[((z * 4 + y - 1) * 4 + x - 1) * 4 + c] : before[at];
          ASSERT_EQ(after[at], want) << x << "," << y << "," << z;
        }
}

}  // namespace
