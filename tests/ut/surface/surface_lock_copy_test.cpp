// SurfaceLock through a system-memory copy: the copy's texture, filling it from the surface
// (directly or through a render target), writing it back on unlock, and read-only copies that
// are not written back.
#include <cstring>

#include "lock_fixture.h"
#include "ut/surface/surface_lock.h"

namespace lock_test {
namespace {

// The texture that holds the copy of a surface of a given size.
struct CopyShapeCase {
  const char* name;
  D3DFORMAT format;
  UINT textureWidth, textureHeight, levels, level;  // the surface: this level of that texture
  UINT copyWidth, copyHeight, copyLevels, copyLevel;
};

std::ostream& operator<<(std::ostream& out, const CopyShapeCase& c) { return out << c.name; }

class CopyShape : public LockTest, public ::testing::WithParamInterface<CopyShapeCase> {};

const CopyShapeCase kCopyShapes[] = {
    // A DXT texture's top level must be a multiple of 4 across and down, so the copy of a
    // smaller level is a level of a larger texture.
    {"dxt1 6x6", D3DFMT_DXT1, 12, 12, 2, 1, 12, 12, 2, 1},
    {"dxt1 3x3", D3DFMT_DXT1, 12, 12, 3, 2, 12, 12, 3, 2},
    {"dxt5 5x3", D3DFMT_DXT5, 20, 12, 3, 2, 20, 12, 3, 2},
    {"dxt1 2x2", D3DFMT_DXT1, 8, 8, 3, 2, 4, 4, 2, 1},
    {"dxt1 1x1", D3DFMT_DXT1, 8, 8, 4, 3, 4, 4, 3, 2},
    {"dxt3 12x4 needs no shift", D3DFMT_DXT3, 24, 8, 2, 1, 12, 4, 1, 0},
    {"dxt1 2x6", D3DFMT_DXT1, 4, 12, 2, 1, 4, 12, 2, 1},
    {"argb 6x6 is never shifted", D3DFMT_A8R8G8B8, 12, 12, 2, 1, 6, 6, 1, 0},
};

INSTANTIATE_TEST_SUITE_P(Sizes, CopyShape, ::testing::ValuesIn(kCopyShapes));

TEST_P(CopyShape, TheCopyIsALevelOfTheSurfacesSizeFilledFromTheSurface) {
  const CopyShapeCase& c = GetParam();
  AllowAnyTextureSize();
  ComPtr<IDirect3DSurface9> surface = MakeLevel(c.textureWidth, c.textureHeight, c.levels,
                                                c.level, 0, c.format, D3DPOOL_MANAGED);
  ASSERT_TRUE(surface);
  WritePattern(surface.Get(), 21);
  D3DSURFACE_DESC info;
  ASSERT_EQ(surface->GetDesc(&info), D3D_OK);
  const long objects = d3d9rt::LiveObjectCount();
  const long references = d3d9rt::LiveReferenceCount();
  const CallCounts before = CallCounts::Now();

  PixelBlockDesc desc;
  SurfaceLock lock;
  ASSERT_EQ(lock.Lock(&desc, surface.Get(), nullptr, nullptr, 0,
                      SURFACE_LOCK_VIA_COPY | SURFACE_LOCK_READONLY),
            S_OK);
  EXPECT_EQ(CallCounts::Now().Since(before).createTexture, 1u);
  IDirect3DSurface9* copy = lock.LockedSurface();
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy, surface.Get());
  D3DSURFACE_DESC copyInfo;
  ASSERT_EQ(copy->GetDesc(&copyInfo), D3D_OK);
  EXPECT_EQ(copyInfo.Pool, D3DPOOL_SYSTEMMEM);
  EXPECT_EQ(copyInfo.Format, c.format);
  EXPECT_EQ(copyInfo.Usage, 0u);
  EXPECT_EQ(copyInfo.Width, info.Width);
  EXPECT_EQ(copyInfo.Height, info.Height);

  ComPtr<IDirect3DTexture9> texture;
  ASSERT_EQ(copy->GetContainer(IID_IDirect3DTexture9,
                               reinterpret_cast<void**>(texture.GetAddressOf())),
            D3D_OK);
  EXPECT_EQ(texture->GetLevelCount(), c.copyLevels);
  D3DSURFACE_DESC top;
  ASSERT_EQ(texture->GetLevelDesc(0, &top), D3D_OK);
  EXPECT_EQ(top.Width, c.copyWidth);
  EXPECT_EQ(top.Height, c.copyHeight);
  ComPtr<IDirect3DSurface9> expectedLevel;
  ASSERT_EQ(texture->GetSurfaceLevel(c.copyLevel, expectedLevel.GetAddressOf()), D3D_OK);
  EXPECT_EQ(expectedLevel.Get(), copy);
  expectedLevel = nullptr;
  texture = nullptr;

  // Filled from the surface: the description shows the surface's units.
  const Unit unit = UnitOf(c.format);
  const UINT across = (info.Width + unit.width - 1) / unit.width;
  const UINT down = (info.Height + unit.height - 1) / unit.height;
  for (UINT uy = 0; uy < down; ++uy) {
    const BYTE* row = static_cast<const BYTE*>(desc.bits) + static_cast<size_t>(uy) * desc.rowPitch;
    for (UINT ux = 0; ux < across; ++ux) {
      for (UINT k = 0; k < unit.bytes; ++k) {
        ASSERT_EQ(row[ux * unit.bytes + k], PatternByte(ux, uy, k, 21))
            << "unit (" << ux << ", " << uy << ") byte " << k;
      }
    }
  }

  lock.Unlock();
  EXPECT_EQ(d3d9rt::LiveObjectCount(), objects) << "the copy was released";
  EXPECT_EQ(d3d9rt::LiveReferenceCount(), references);
}

TEST_F(LockTest, TheCopyOfAScratchSurfaceIsInTheScratchPool) {
  ComPtr<IDirect3DSurface9> surface = MakeLevel(8, 8, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH);
  PixelBlockDesc desc;
  SurfaceLock lock;
  ASSERT_EQ(lock.Lock(&desc, surface.Get(), nullptr, nullptr, 0, SURFACE_LOCK_VIA_COPY), S_OK);
  D3DSURFACE_DESC copyInfo;
  ASSERT_EQ(lock.LockedSurface()->GetDesc(&copyInfo), D3D_OK);
  EXPECT_EQ(copyInfo.Pool, D3DPOOL_SCRATCH);
}

TEST_F(LockTest, AnOddDxtScratchSurfaceIsCopiedIntoALevelOfALargerScratchTexture) {
  // With the default adapter's caps, D3DPOOL_SCRATCH is where a 6x6 DXT texture can exist.
  ComPtr<IDirect3DSurface9> surface = MakeLevel(6, 6, 1, 0, 0, D3DFMT_DXT1, D3DPOOL_SCRATCH);
  ASSERT_TRUE(surface);
  WritePattern(surface.Get(), 12);
  const RECT rect = {1, 1, 3, 3};
  PixelBlockDesc desc;
  SurfaceLock lock;
  ASSERT_EQ(lock.Lock(&desc, surface.Get(), nullptr, &rect, 0, SURFACE_LOCK_VIA_COPY), S_OK);
  ComPtr<IDirect3DTexture9> texture;
  ASSERT_EQ(lock.LockedSurface()->GetContainer(IID_IDirect3DTexture9,
                                               reinterpret_cast<void**>(texture.GetAddressOf())),
            D3D_OK);
  EXPECT_EQ(texture->GetLevelCount(), 2u);
  D3DSURFACE_DESC top;
  ASSERT_EQ(texture->GetLevelDesc(0, &top), D3D_OK);
  EXPECT_EQ(top.Pool, D3DPOOL_SCRATCH);
  EXPECT_EQ(top.Width, 12u);
  EXPECT_EQ(top.Height, 12u);
  texture = nullptr;
  EXPECT_EQ(desc.region, (D3DBOX{1, 1, 3, 3, 0, 1}));
  EXPECT_EQ(static_cast<const BYTE*>(desc.bits)[0], PatternByte(0, 0, 0, 12));
  static_cast<BYTE*>(desc.bits)[7] = 0xf0;  // the last byte of block (0, 0)
  lock.Unlock();
  // UpdateSurface writes only into D3DPOOL_DEFAULT, so the bytes came back by locking.
  const StoredImage image = ReadStored(surface.Get());
  EXPECT_EQ(image.At(0, 0)[7], 0xf0);
  EXPECT_EQ(image.At(1, 0)[7], PatternByte(1, 0, 7, 12));
}

// A texture in D3DPOOL_DEFAULT, neither dynamic nor a render target: not lockable.
class DefaultPoolLock : public LockTest {
 protected:
  void SetUp() override {
    LockTest::SetUp();
    surface_ = MakeLevel(16, 16, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    ASSERT_TRUE(surface_);
    WritePattern(surface_.Get(), 1);
    objects_ = d3d9rt::LiveObjectCount();
    references_ = d3d9rt::LiveReferenceCount();
    firstLock_ = d3d9rt::LockLog().size();
    before_ = CallCounts::Now();
    debugLines_.clear();
  }
  void TearDown() override {
    surface_ = nullptr;
    LockTest::TearDown();
  }
  void ExpectNothingHeld() {
    EXPECT_EQ(d3d9rt::LiveObjectCount(), objects_);
    EXPECT_EQ(d3d9rt::LiveReferenceCount(), references_);
  }

  ComPtr<IDirect3DSurface9> surface_;
  long objects_ = 0;
  long references_ = 0;
  size_t firstLock_ = 0;
  CallCounts before_ = {};
};

TEST_F(DefaultPoolLock, PartOfTheSurfaceIsReadThroughARenderTargetAndWrittenBack) {
  const unsigned messagesBefore = d3d9rt::DebugMessageCount();
  const RECT rect = {4, 2, 12, 10};
  PixelBlockDesc desc;
  SurfaceLock lock;
  ASSERT_EQ(lock.Lock(&desc, surface_.Get(), nullptr, &rect, 0, 0), S_OK);

  // The direct lock failed and the copy was filled through a render target.
  const CallCounts calls = CallCounts::Now().Since(before_);
  EXPECT_EQ(calls.createTexture, 1u);
  EXPECT_EQ(calls.createRenderTarget, 1u);
  EXPECT_EQ(calls.stretchRect, 1u);
  EXPECT_EQ(calls.updateSurface, 0u);
  const std::vector<d3d9rt::LockRecord> locks = LocksSince(firstLock_);
  ASSERT_GE(locks.size(), 2u);
  EXPECT_EQ(locks.front().pool, D3DPOOL_DEFAULT);
  EXPECT_EQ(locks.front().result, D3DERR_INVALIDCALL);
  EXPECT_EQ(locks.back().pool, D3DPOOL_SYSTEMMEM);
  EXPECT_EQ(locks.back().result, D3D_OK);
  EXPECT_EQ(locks.back().area, (D3DBOX{4, 2, 12, 10, 0, 1}));
  EXPECT_EQ(locks.back().flags, D3DLOCK_NOSYSLOCK);
  EXPECT_EQ(desc.region, (D3DBOX{0, 0, 8, 8, 0, 1}));
  EXPECT_EQ(desc.extent, (D3DBOX{0, 0, 16, 16, 0, 1}));

  // The expected failures were muted, and muting ended with the lock.
  EXPECT_GT(d3d9rt::DebugMessageCount(), messagesBefore);
  EXPECT_TRUE(debugLines_.empty()) << debugLines_.front();
  EXPECT_FALSE(d3d9rt::IsDebugMuted());

  // The copy holds the surface's pixels; overwrite the rectangle.
  for (UINT y = 0; y < 8; ++y) {
    DWORD* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(desc.bits) + y * desc.rowPitch);
    for (UINT x = 0; x < 8; ++x) {
      const BYTE* unit = reinterpret_cast<const BYTE*>(&row[x]);
      ASSERT_EQ(unit[0], PatternByte(4 + x, 2 + y, 0, 1));
      ASSERT_EQ(unit[1], PatternByte(4 + x, 2 + y, 1, 1));
      row[x] = 0xc0de0000u | (y << 8) | x;
    }
  }
  lock.Unlock();
  EXPECT_EQ(CallCounts::Now().Since(before_).updateSurface, 1u);
  ExpectNothingHeld();
  EXPECT_TRUE(debugLines_.empty()) << debugLines_.front();

  const StoredImage image = ReadStored(surface_.Get());
  for (UINT y = 0; y < 16; ++y) {
    for (UINT x = 0; x < 16; ++x) {
      DWORD stored;
      std::memcpy(&stored, image.At(x, y), 4);
      const bool inside = x >= 4 && x < 12 && y >= 2 && y < 10;
      DWORD expected;
      if (inside) {
        expected = 0xc0de0000u | ((y - 2) << 8) | (x - 4);
      } else {
        const BYTE bytes[4] = {PatternByte(x, y, 0, 1), PatternByte(x, y, 1, 1),
                               PatternByte(x, y, 2, 1), PatternByte(x, y, 3, 1)};
        std::memcpy(&expected, bytes, 4);
      }
      ASSERT_EQ(stored, expected) << "pixel (" << x << ", " << y << ")";
    }
  }
}

TEST_F(DefaultPoolLock, AWholeWriteNeedsNoFilling) {
  PixelBlockDesc desc;
  SurfaceLock lock;
  ASSERT_EQ(lock.Lock(&desc, surface_.Get(), nullptr, nullptr, 0, 0), S_OK);
  const CallCounts calls = CallCounts::Now().Since(before_);
  EXPECT_EQ(calls.createTexture, 1u);
  EXPECT_EQ(calls.createRenderTarget, 0u);
  EXPECT_EQ(calls.stretchRect, 0u);
  const std::vector<d3d9rt::LockRecord> locks = LocksSince(firstLock_);
  ASSERT_EQ(locks.size(), 2u) << "the direct attempt, then the copy";
  EXPECT_TRUE(locks[1].whole);
  EXPECT_EQ(locks[1].flags, D3DLOCK_NOSYSLOCK) << "no D3DLOCK_DISCARD on a copy";

  for (UINT y = 0; y < 16; ++y) {
    std::memset(static_cast<BYTE*>(desc.bits) + y * desc.rowPitch, 0x40 + y, 16 * 4);
  }
  lock.Unlock();
  ExpectNothingHeld();
  const StoredImage image = ReadStored(surface_.Get());
  for (UINT y = 0; y < 16; ++y) {
    for (UINT x = 0; x < 16; ++x) ASSERT_EQ(image.At(x, y)[3], 0x40 + y) << x << ", " << y;
  }
}

TEST_F(DefaultPoolLock, AReadOnlyCopyIsNotWrittenBack) {
  const RECT rect = {0, 0, 8, 8};
  PixelBlockDesc desc;
  SurfaceLock lock;
  ASSERT_EQ(lock.Lock(&desc, surface_.Get(), nullptr, &rect, 0, SURFACE_LOCK_READONLY), S_OK);
  EXPECT_EQ(LocksSince(firstLock_).back().flags, D3DLOCK_NOSYSLOCK | D3DLOCK_READONLY);
  readOnlyWritesByTheTest_ = 1;
  for (UINT y = 0; y < 8; ++y) {
    std::memset(static_cast<BYTE*>(desc.bits) + y * desc.rowPitch, 0, 32);
  }
  const size_t locksBeforeUnlock = d3d9rt::LockLog().size();
  lock.Unlock();
  EXPECT_EQ(CallCounts::Now().Since(before_).updateSurface, 0u);
  EXPECT_EQ(d3d9rt::LockLog().size(), locksBeforeUnlock) << "nothing was copied back by locking";
  ExpectNothingHeld();
  ExpectPattern(surface_.Get(), 1);
}

TEST_F(LockTest, AReadOnlyCopyOfALockableSurfaceIsNotWrittenBackEither) {
  ComPtr<IDirect3DSurface9> surface = MakeLevel(8, 8, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  WritePattern(surface.Get(), 4);
  PixelBlockDesc desc;
  SurfaceLock lock;
  ASSERT_EQ(lock.Lock(&desc, surface.Get(), nullptr, nullptr, 0,
                      SURFACE_LOCK_READONLY | SURFACE_LOCK_VIA_COPY),
            S_OK);
  readOnlyWritesByTheTest_ = 1;
  std::memset(desc.bits, 0, desc.rowPitch);
  const CallCounts before = CallCounts::Now();
  const size_t locksBeforeUnlock = d3d9rt::LockLog().size();
  lock.Unlock();
  EXPECT_EQ(CallCounts::Now().Since(before).updateSurface, 0u);
  EXPECT_EQ(d3d9rt::LockLog().size(), locksBeforeUnlock);
  ExpectPattern(surface.Get(), 4);
}

TEST_F(LockTest, ACopyIsWrittenBackByLockingWhenUpdateSurfaceRefuses) {
  // UpdateSurface only writes into D3DPOOL_DEFAULT; a managed surface gets the bytes by lock.
  ComPtr<IDirect3DSurface9> surface = MakeLevel(8, 8, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  WritePattern(surface.Get(), 5);
  const RECT rect = {2, 2, 4, 4};
  PixelBlockDesc desc;
  SurfaceLock lock;
  ASSERT_EQ(lock.Lock(&desc, surface.Get(), nullptr, &rect, 0, SURFACE_LOCK_VIA_COPY), S_OK);
  ASSERT_NE(lock.LockedSurface(), surface.Get());
  for (UINT y = 0; y < 2; ++y) {
    std::memset(static_cast<BYTE*>(desc.bits) + y * desc.rowPitch, 0x99, 8);
  }
  const CallCounts before = CallCounts::Now();
  const size_t firstLock = d3d9rt::LockLog().size();
  debugLines_.clear();
  lock.Unlock();
  EXPECT_EQ(CallCounts::Now().Since(before).updateSurface, 1u);
  const std::vector<d3d9rt::LockRecord> locks = LocksSince(firstLock);
  ASSERT_EQ(locks.size(), 2u) << "the copy, then the surface";
  EXPECT_EQ(locks[0].pool, D3DPOOL_SYSTEMMEM);
  EXPECT_EQ(locks[1].pool, D3DPOOL_MANAGED);
  EXPECT_TRUE(debugLines_.empty()) << debugLines_.front();

  const StoredImage image = ReadStored(surface.Get());
  for (UINT y = 0; y < 8; ++y) {
    for (UINT x = 0; x < 8; ++x) {
      const bool inside = x >= 2 && x < 4 && y >= 2 && y < 4;
      ASSERT_EQ(image.At(x, y)[0], inside ? 0x99 : PatternByte(x, y, 0, 5)) << x << ", " << y;
    }
  }
}

TEST_F(LockTest, ADynamicDxtLevelRoundTripsThroughAShiftedCopy) {
  AllowAnyTextureSize();
  ComPtr<IDirect3DSurface9> surface =
      MakeLevel(12, 12, 2, 1, D3DUSAGE_DYNAMIC, D3DFMT_DXT1, D3DPOOL_DEFAULT);  // 6 x 6
  ASSERT_TRUE(surface);
  WritePattern(surface.Get(), 8);
  const RECT rect = {4, 0, 6, 3};  // the right column of blocks, not all of it
  PixelBlockDesc desc;
  SurfaceLock lock;
  ASSERT_EQ(lock.Lock(&desc, surface.Get(), nullptr, &rect, 0, SURFACE_LOCK_VIA_COPY), S_OK);
  EXPECT_EQ(desc.region, (D3DBOX{0, 0, 2, 3, 0, 1}));
  BYTE* block = static_cast<BYTE*>(desc.bits);
  ASSERT_EQ(block[0], PatternByte(1, 0, 0, 8));
  std::memset(block, 0x3c, 8);
  const CallCounts before = CallCounts::Now();
  lock.Unlock();
  EXPECT_EQ(CallCounts::Now().Since(before).updateSurface, 1u);

  const StoredImage image = ReadStored(surface.Get());
  for (UINT by = 0; by < 2; ++by) {
    for (UINT bx = 0; bx < 2; ++bx) {
      for (UINT k = 0; k < 8; ++k) {
        const BYTE expected = bx == 1 && by == 0 ? 0x3c : PatternByte(bx, by, k, 8);
        ASSERT_EQ(image.At(bx, by)[k], expected) << "block (" << bx << ", " << by << ") byte " << k;
      }
    }
  }
}

TEST_F(LockTest, AShiftedDxtCopyOfAnUnlockableLevelCannotBeFilled) {
  AllowAnyTextureSize();
  // No render target holds DXT pixels, so a copy that the surface can't fill fails the lock.
  ComPtr<IDirect3DSurface9> surface =
      MakeLevel(12, 12, 2, 1, 0, D3DFMT_DXT1, D3DPOOL_DEFAULT);  // 6 x 6
  ASSERT_TRUE(surface);
  const long objects = d3d9rt::LiveObjectCount();
  const long references = d3d9rt::LiveReferenceCount();
  const CallCounts before = CallCounts::Now();
  const RECT rect = {0, 0, 4, 4};
  PixelBlockDesc desc;
  SurfaceLock lock;
  EXPECT_EQ(lock.Lock(&desc, surface.Get(), nullptr, &rect, 0, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(CallCounts::Now().Since(before).createRenderTarget, 0u);
  EXPECT_EQ(lock.LockedSurface(), nullptr);
  EXPECT_EQ(d3d9rt::LiveObjectCount(), objects);
  EXPECT_EQ(d3d9rt::LiveReferenceCount(), references);

  // Writing all of it needs no filling, and the copy goes back with UpdateSurface.
  ASSERT_EQ(lock.Lock(&desc, surface.Get(), nullptr, nullptr, 0, 0), S_OK);
  std::memset(desc.bits, 0x12, 2 * desc.rowPitch);
  const CallCounts beforeUnlock = CallCounts::Now();
  const size_t firstLock = d3d9rt::LockLog().size();
  lock.Unlock();
  EXPECT_EQ(CallCounts::Now().Since(beforeUnlock).updateSurface, 1u);
  EXPECT_TRUE(LocksSince(firstLock).empty()) << "UpdateSurface took the copy";
  EXPECT_EQ(d3d9rt::LiveObjectCount(), objects);
}

}  // namespace
}  // namespace lock_test
