// SurfaceLock on surfaces that can be locked directly: which rectangles it accepts, how it
// widens them to blocks and pairs, and what it writes into the block description.
#include <climits>
#include <cstring>

#include "lock_fixture.h"
#include "ut/surface/surface_lock.h"

namespace lock_test {
namespace {

using d3d9rt_test::RefCount;

TEST_F(LockTest, RectanglesOutsideTheSurfaceAreRefusedBeforeAnyDeviceCall) {
  // 16 wide, 12 high, so that a mix-up of width and height shows.
  ComPtr<IDirect3DSurface9> surface =
      MakeLevel(16, 12, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  const ULONG references = RefCount(surface.Get());
  const RECT outside[] = {
      {-1, 0, 4, 4},         // left negative
      {0, -1, 4, 4},         // top negative
      {INT_MIN, 0, 4, 4},    //
      {0, 0, 17, 4},         // right beyond the width
      {0, 0, 4, 13},         // bottom beyond the height
      {0, 0, 16, 13},        //
      {5, 0, 4, 4},          // left > right
      {0, 5, 4, 4},          // top > bottom
      {0, 0, -1, 4},         // a negative right is a huge unsigned one
      {0, 0, 4, -2},         // and so is a negative bottom
      {17, 0, 17, 4},        // empty, but starting outside
      {0, 13, 4, 13},        //
  };
  for (const RECT& rect : outside) {
    SCOPED_TRACE(::testing::Message() << "RECT (" << rect.left << ", " << rect.top << ", "
                                      << rect.right << ", " << rect.bottom << ")");
    const CallCounts before = CallCounts::Now();
    PixelBlockDesc desc;
    std::memset(&desc, 0xee, sizeof(desc));
    SurfaceLock lock;
    EXPECT_EQ(lock.Lock(&desc, surface.Get(), nullptr, &rect, 0, 0), D3DERR_INVALIDCALL);
    const CallCounts calls = CallCounts::Now().Since(before);
    EXPECT_EQ(calls.lockRect, 0u);
    EXPECT_EQ(calls.createTexture, 0u);
    EXPECT_EQ(lock.LockedSurface(), nullptr);
    EXPECT_EQ(RefCount(surface.Get()), references);
    const BYTE* raw = reinterpret_cast<const BYTE*>(&desc);
    for (size_t i = 0; i < sizeof(desc); ++i) ASSERT_EQ(raw[i], 0xee) << "description byte " << i;
  }
}

TEST_F(LockTest, NullArgumentsAreRefused) {
  ComPtr<IDirect3DSurface9> surface = MakeLevel(8, 8, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  PixelBlockDesc desc;
  SurfaceLock lock;
  EXPECT_EQ(lock.Lock(nullptr, surface.Get(), nullptr, nullptr, 0, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(lock.Lock(&desc, nullptr, nullptr, nullptr, 0, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kLockRect), 0u);
}

// One lock of a rectangle: the surface, the rectangle asked for, the rectangle the device is
// asked to lock, and the region the description must give inside it.
struct WideningCase {
  const char* name;
  D3DFORMAT format;
  UINT width, height;  // of the surface
  UINT textureLevel;   // the surface is this level of a texture of (width << level) pixels
  bool hasRect;
  RECT rect;
  bool lockWhole;      // the device locks the whole surface (null rectangle)
  D3DBOX lockedArea;   // what the device is asked to lock
  D3DBOX region;       // the region in the description, relative to the locked area
};

std::ostream& operator<<(std::ostream& out, const WideningCase& c) { return out << c.name; }

class SurfaceLockWidening : public LockTest,
                            public ::testing::WithParamInterface<WideningCase> {};

const WideningCase kWideningCases[] = {
    {"dxt1 inside one 8x8 square", D3DFMT_DXT1, 16, 16, 0, true, {2, 2, 6, 6}, false,
     {0, 0, 8, 8, 0, 1}, {2, 2, 6, 6, 0, 1}},
    {"dxt1 widened to the whole surface", D3DFMT_DXT1, 16, 16, 0, true, {1, 1, 15, 15}, true,
     {0, 0, 16, 16, 0, 1}, {1, 1, 15, 15, 0, 1}},
    {"dxt1 without a rectangle", D3DFMT_DXT1, 16, 16, 0, false, {}, true, {0, 0, 16, 16, 0, 1},
     {0, 0, 16, 16, 0, 1}},
    {"dxt5 off the origin", D3DFMT_DXT5, 16, 8, 0, true, {5, 1, 9, 3}, false,
     {4, 0, 12, 4, 0, 1}, {1, 1, 5, 3, 0, 1}},
    {"dxt3 already on blocks", D3DFMT_DXT3, 16, 16, 0, true, {4, 8, 12, 12}, false,
     {4, 8, 12, 12, 0, 1}, {0, 0, 8, 4, 0, 1}},
    {"dxt1 6x6 level, not widened past its size", D3DFMT_DXT1, 6, 6, 1, true, {5, 1, 6, 2},
     false, {4, 0, 6, 4, 0, 1}, {1, 1, 2, 2, 0, 1}},
    {"dxt1 6x6 level, widened to all of it", D3DFMT_DXT1, 6, 6, 1, true, {1, 1, 5, 5}, true,
     {0, 0, 6, 6, 0, 1}, {1, 1, 5, 5, 0, 1}},
    {"yuy2 left rounded down to a pair", D3DFMT_YUY2, 8, 8, 0, true, {1, 0, 4, 1}, false,
     {0, 0, 4, 1, 0, 1}, {1, 0, 4, 1, 0, 1}},
    {"yuy2 both edges rounded, rows kept", D3DFMT_YUY2, 8, 8, 0, true, {3, 2, 5, 6}, false,
     {2, 2, 6, 6, 0, 1}, {1, 0, 3, 4, 0, 1}},
    {"yuy2 odd width, right kept at the edge", D3DFMT_YUY2, 7, 4, 0, true, {5, 1, 7, 3}, false,
     {4, 1, 7, 3, 0, 1}, {1, 0, 3, 2, 0, 1}},
    {"uyvy", D3DFMT_UYVY, 8, 2, 0, true, {3, 1, 4, 2}, false, {2, 1, 4, 2, 0, 1},
     {1, 0, 2, 1, 0, 1}},
    {"rgbg", D3DFMT_R8G8_B8G8, 8, 2, 0, true, {5, 0, 6, 2}, false, {4, 0, 6, 2, 0, 1},
     {1, 0, 2, 2, 0, 1}},
    {"grgb widened to the whole surface", D3DFMT_G8R8_G8B8, 8, 2, 0, true, {1, 0, 7, 2}, true,
     {0, 0, 8, 2, 0, 1}, {1, 0, 7, 2, 0, 1}},
    {"argb locks the rectangle itself", D3DFMT_A8R8G8B8, 16, 12, 0, true, {3, 5, 7, 9}, false,
     {3, 5, 7, 9, 0, 1}, {0, 0, 4, 4, 0, 1}},
    {"argb odd columns stay", D3DFMT_A8R8G8B8, 16, 12, 0, true, {1, 0, 16, 12}, false,
     {1, 0, 16, 12, 0, 1}, {0, 0, 15, 12, 0, 1}},
    {"argb rectangle of the whole surface", D3DFMT_A8R8G8B8, 16, 12, 0, true, {0, 0, 16, 12},
     true, {0, 0, 16, 12, 0, 1}, {0, 0, 16, 12, 0, 1}},
    {"argb without a rectangle", D3DFMT_A8R8G8B8, 16, 12, 0, false, {}, true,
     {0, 0, 16, 12, 0, 1}, {0, 0, 16, 12, 0, 1}},
    {"r5g6b5 last pixel", D3DFMT_R5G6B5, 5, 3, 0, true, {4, 2, 5, 3}, false, {4, 2, 5, 3, 0, 1},
     {0, 0, 1, 1, 0, 1}},
};

INSTANTIATE_TEST_SUITE_P(Rectangles, SurfaceLockWidening, ::testing::ValuesIn(kWideningCases));

TEST_P(SurfaceLockWidening, LocksWholeUnitsAndDescribesTheRectangleInsideThem) {
  const WideningCase& c = GetParam();
  AllowAnyTextureSize();
  // Pair formats exist on this adapter only as plain surfaces; the others as texture levels.
  const bool pair = UnitOf(c.format).height == 1 && UnitOf(c.format).width == 2;
  ComPtr<IDirect3DSurface9> surface =
      pair ? MakePlain(c.width, c.height, c.format, D3DPOOL_SYSTEMMEM)
           : MakeLevel(c.width << c.textureLevel, c.height << c.textureLevel,
                       c.textureLevel + 1, c.textureLevel, 0, c.format, D3DPOOL_MANAGED);
  ASSERT_TRUE(surface);
  WritePattern(surface.Get(), 7);
  const ULONG references = RefCount(surface.Get());
  PALETTEENTRY palette[256] = {};
  const size_t firstLock = d3d9rt::LockLog().size();

  PixelBlockDesc desc;
  SurfaceLock lock;
  ASSERT_EQ(lock.Lock(&desc, surface.Get(), palette, c.hasRect ? &c.rect : nullptr, 0xff00ff00u,
                      0),
            S_OK);
  const std::vector<d3d9rt::LockRecord> locks = LocksSince(firstLock);
  ASSERT_EQ(locks.size(), 1u) << "a surface that can be locked is locked once, directly";
  EXPECT_EQ(locks[0].result, D3D_OK);
  EXPECT_EQ(locks[0].whole, c.lockWhole);
  EXPECT_EQ(locks[0].area, c.lockedArea);
  EXPECT_EQ(locks[0].flags, D3DLOCK_NOSYSLOCK);
  EXPECT_EQ(lock.LockedSurface(), surface.Get());
  EXPECT_EQ(RefCount(surface.Get()), references + 1) << "the lock holds a reference";

  EXPECT_EQ(desc.format, c.format);
  EXPECT_EQ(desc.slicePitch, 0u);
  EXPECT_EQ(desc.extent, (D3DBOX{0, 0, c.width, c.height, 0, 1}));
  EXPECT_EQ(desc.region, c.region);
  EXPECT_TRUE(desc.orderedDither);
  EXPECT_FALSE(desc.errorDiffusion);
  EXPECT_FALSE(desc.gamma);
  EXPECT_EQ(desc.colorKey, 0xff00ff00u);
  EXPECT_EQ(desc.palette, palette);

  // The first and last unit of the region, addressed from `bits`, are the surface's units at
  // the rectangle's corners.
  const Unit unit = UnitOf(c.format);
  const RECT asked = c.hasRect ? c.rect : RECT{0, 0, LONG(c.width), LONG(c.height)};
  const UINT corners[2][4] = {
      {desc.region.Left, desc.region.Top, UINT(asked.left), UINT(asked.top)},
      {desc.region.Right - 1, desc.region.Bottom - 1, UINT(asked.right - 1),
       UINT(asked.bottom - 1)}};
  for (const auto& corner : corners) {
    const BYTE* at = static_cast<const BYTE*>(desc.bits) +
                     static_cast<size_t>(corner[1] / unit.height) * desc.rowPitch +
                     (corner[0] / unit.width) * unit.bytes;
    for (UINT k = 0; k < unit.bytes; ++k) {
      ASSERT_EQ(at[k], PatternByte(corner[2] / unit.width, corner[3] / unit.height, k, 7))
          << "pixel (" << corner[2] << ", " << corner[3] << ") byte " << k;
    }
  }

  lock.Unlock();
  EXPECT_EQ(lock.LockedSurface(), nullptr);
  EXPECT_EQ(RefCount(surface.Get()), references);
  // Unlocked: the surface can be locked again.
  D3DLOCKED_RECT again;
  ASSERT_EQ(surface->LockRect(&again, nullptr, D3DLOCK_READONLY), D3D_OK);
  surface->UnlockRect();
}

TEST_F(LockTest, ReadOnlyAsksTheDeviceForAReadOnlyLock) {
  ComPtr<IDirect3DSurface9> surface = MakeLevel(8, 8, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  PixelBlockDesc desc;
  SurfaceLock lock;
  ASSERT_EQ(lock.Lock(&desc, surface.Get(), nullptr, nullptr, 0, SURFACE_LOCK_READONLY), S_OK);
  const std::vector<d3d9rt::LockRecord> locks = d3d9rt::LockLog();
  ASSERT_EQ(locks.size(), 1u);
  EXPECT_EQ(locks[0].flags, D3DLOCK_NOSYSLOCK | D3DLOCK_READONLY);
}

TEST_F(LockTest, UnlockWithNothingLockedDoesNothing) {
  SurfaceLock lock;
  lock.Unlock();
  lock.Unlock();
  EXPECT_EQ(lock.LockedSurface(), nullptr);
  EXPECT_TRUE(d3d9rt::LockLog().empty());
  EXPECT_TRUE(debugLines_.empty()) << debugLines_.front();
}

TEST_F(LockTest, LockReleasesThePreviousLockAndTheDestructorTheLast) {
  ComPtr<IDirect3DSurface9> first = MakeLevel(8, 8, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  ComPtr<IDirect3DSurface9> second = MakeLevel(4, 4, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  const ULONG firstReferences = RefCount(first.Get());
  const ULONG secondReferences = RefCount(second.Get());
  D3DLOCKED_RECT direct;
  {
    PixelBlockDesc desc;
    SurfaceLock lock;
    ASSERT_EQ(lock.Lock(&desc, first.Get(), nullptr, nullptr, 0, 0), S_OK);
    ASSERT_EQ(lock.Lock(&desc, second.Get(), nullptr, nullptr, 0, 0), S_OK);
    EXPECT_EQ(RefCount(first.Get()), firstReferences);
    ASSERT_EQ(first->LockRect(&direct, nullptr, 0), D3D_OK) << "the first lock was released";
    first->UnlockRect();
    EXPECT_EQ(RefCount(second.Get()), secondReferences + 1);
  }
  EXPECT_EQ(RefCount(second.Get()), secondReferences);
  ASSERT_EQ(second->LockRect(&direct, nullptr, 0), D3D_OK) << "the destructor unlocked";
  second->UnlockRect();
}

TEST_F(LockTest, AnEmptyRectangleInsideTheSurfaceFailsAtTheDeviceAndHoldsNothing) {
  // Accepted by the rectangle checks, but no device locks an empty area; whatever the path
  // tried, nothing may stay behind.
  ComPtr<IDirect3DSurface9> surface = MakeLevel(8, 8, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  const long objects = d3d9rt::LiveObjectCount();
  const long references = d3d9rt::LiveReferenceCount();
  const RECT empty = {3, 3, 3, 5};
  PixelBlockDesc desc;
  SurfaceLock lock;
  EXPECT_EQ(lock.Lock(&desc, surface.Get(), nullptr, &empty, 0, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(lock.LockedSurface(), nullptr);
  EXPECT_EQ(d3d9rt::LiveObjectCount(), objects);
  EXPECT_EQ(d3d9rt::LiveReferenceCount(), references);
}

}  // namespace
}  // namespace lock_test
