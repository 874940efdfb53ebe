// SurfaceLock when device calls fail: every call of the copy path made to fail in turn, the
// retry of a failed direct lock, and write-backs that fail. Whatever fails, the error comes
// back unchanged and nothing stays locked or referenced.
#include <cstring>

#include "lock_fixture.h"
#include "ut/surface/surface_lock.h"

namespace lock_test {
namespace {

constexpr HRESULT kInjected = D3DERR_DRIVERINTERNALERROR;

// A partial write of a texture in D3DPOOL_DEFAULT makes these calls, in this order:
//   LockRect 1      the direct lock (fails: the surface is not lockable)
//   CreateTexture 1 the system-memory copy
//   LockRect 2      CopySurfaceBits locks the surface (fails likewise)
//   CreateRenderTarget 1, StretchRect 1
//   LockRect 3, 4   CopySurfaceBits from the render target into the copy
//   LockRect 5      the copy, for the caller
struct InjectionCase {
  const char* name;
  uint32_t call;
  unsigned nth;
};

std::ostream& operator<<(std::ostream& out, const InjectionCase& c) { return out << c.name; }

const InjectionCase kInjections[] = {
    {"creating the copy", d3d9rt::kCreateTexture, 1},
    {"creating the render target", d3d9rt::kCreateRenderTarget, 1},
    {"StretchRect onto the render target", d3d9rt::kStretchRect, 1},
    {"locking the render target", d3d9rt::kLockRect, 3},
    {"locking the copy to fill it", d3d9rt::kLockRect, 4},
    {"locking the copy for the caller", d3d9rt::kLockRect, 5},
};

class CopyPathFailure : public LockTest, public ::testing::WithParamInterface<InjectionCase> {};

INSTANTIATE_TEST_SUITE_P(Calls, CopyPathFailure, ::testing::ValuesIn(kInjections));

TEST_P(CopyPathFailure, ReturnsTheErrorAndHoldsNothing) {
  const InjectionCase& c = GetParam();
  ComPtr<IDirect3DSurface9> surface =
      MakeLevel(16, 16, 1, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT);
  ASSERT_TRUE(surface);
  WritePattern(surface.Get(), 2);
  const long objects = d3d9rt::LiveObjectCount();
  const long references = d3d9rt::LiveReferenceCount();
  const RECT rect = {1, 1, 9, 9};

  d3d9rt::InjectFailure(c.call, c.nth, kInjected);
  PixelBlockDesc desc;
  SurfaceLock lock;
  EXPECT_EQ(lock.Lock(&desc, surface.Get(), nullptr, &rect, 0, 0), kInjected);
  EXPECT_EQ(lock.LockedSurface(), nullptr);
  EXPECT_EQ(d3d9rt::LiveObjectCount(), objects) << "the copy and the render target are gone";
  EXPECT_EQ(d3d9rt::LiveReferenceCount(), references);
  lock.Unlock();
  EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kUpdateSurface), 1u) << "only the fixture's own";
  d3d9rt::ClearInjectedFailures();

  // Nothing was left locked: the same lock now succeeds, and the surface is as it was.
  ASSERT_EQ(lock.Lock(&desc, surface.Get(), nullptr, &rect, 0, SURFACE_LOCK_READONLY), S_OK);
  lock.Unlock();
  ExpectPattern(surface.Get(), 2);
}

TEST_F(LockTest, TheCopyPathCallsAreTheOnesTheFailureTableNames) {
  // Keeps the table above honest: the order of the calls of a successful lock.
  ComPtr<IDirect3DSurface9> surface =
      MakeLevel(16, 16, 1, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT);
  const size_t firstLock = d3d9rt::LockLog().size();
  const RECT rect = {1, 1, 9, 9};
  PixelBlockDesc desc;
  SurfaceLock lock;
  ASSERT_EQ(lock.Lock(&desc, surface.Get(), nullptr, &rect, 0, 0), S_OK);
  const std::vector<d3d9rt::LockRecord> locks = LocksSince(firstLock);
  ASSERT_EQ(locks.size(), 5u);
  const struct {
    D3DPOOL pool;
    bool ok;
  } expected[] = {{D3DPOOL_DEFAULT, false},   // direct
                  {D3DPOOL_DEFAULT, false},   // CopySurfaceBits from the surface
                  {D3DPOOL_DEFAULT, true},    // the render target
                  {D3DPOOL_SYSTEMMEM, true},  // the copy, being filled
                  {D3DPOOL_SYSTEMMEM, true}}; // the copy, for the caller
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(locks[i].pool, expected[i].pool) << "lock " << i + 1;
    EXPECT_EQ(SUCCEEDED(locks[i].result), expected[i].ok) << "lock " << i + 1;
  }
  EXPECT_EQ(locks[2].usage, DWORD{D3DUSAGE_RENDERTARGET});
  EXPECT_FALSE(locks[4].whole);
}

TEST_F(LockTest, AFailedDirectLockIsRetriedThroughACopy) {
  ComPtr<IDirect3DSurface9> surface = MakeLevel(8, 8, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  WritePattern(surface.Get(), 3);
  debugLines_.clear();
  const RECT rect = {0, 4, 8, 8};
  d3d9rt::InjectFailure(d3d9rt::kLockRect, 1, kInjected);
  PixelBlockDesc desc;
  SurfaceLock lock;
  ASSERT_EQ(lock.Lock(&desc, surface.Get(), nullptr, &rect, 0, 0), S_OK);
  ASSERT_NE(lock.LockedSurface(), surface.Get());
  EXPECT_TRUE(debugLines_.empty()) << "the direct attempt was muted: " << debugLines_.front();
  const BYTE* row = static_cast<const BYTE*>(desc.bits);
  EXPECT_EQ(row[0], PatternByte(0, 4, 0, 3)) << "the copy was filled from the surface";
  std::memset(static_cast<BYTE*>(desc.bits) + desc.rowPitch, 0x77, 32);  // row 5
  lock.Unlock();
  const StoredImage image = ReadStored(surface.Get());
  EXPECT_EQ(image.At(3, 5)[0], 0x77);
  EXPECT_EQ(image.At(3, 4)[0], PatternByte(3, 4, 0, 3));
}

TEST_F(LockTest, ALockThroughACopyThatFailsIsFinal) {
  ComPtr<IDirect3DSurface9> surface = MakeLevel(8, 8, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  const long objects = d3d9rt::LiveObjectCount();
  d3d9rt::InjectFailure(d3d9rt::kCreateTexture, 0, kInjected);
  PixelBlockDesc desc;
  SurfaceLock lock;
  EXPECT_EQ(lock.Lock(&desc, surface.Get(), nullptr, nullptr, 0, SURFACE_LOCK_VIA_COPY),
            kInjected);
  EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kCreateTexture), 2u) << "the fixture's texture and one try";
  EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kLockRect), 0u) << "no direct lock after all";
  EXPECT_EQ(d3d9rt::LiveObjectCount(), objects);
}

TEST_F(LockTest, EveryLockFailingEndsInAnErrorWithNothingHeld) {
  ComPtr<IDirect3DSurface9> surface = MakeLevel(8, 8, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  const long objects = d3d9rt::LiveObjectCount();
  const long references = d3d9rt::LiveReferenceCount();
  d3d9rt::InjectFailure(d3d9rt::kLockRect, 0, kInjected);
  const RECT rect = {1, 1, 2, 2};
  PixelBlockDesc desc;
  SurfaceLock lock;
  // The copy can be filled neither by locking nor through a render target (StretchRect reads
  // only D3DPOOL_DEFAULT), so the render target's refusal is what comes back.
  EXPECT_TRUE(FAILED(lock.Lock(&desc, surface.Get(), nullptr, &rect, 0, 0)));
  EXPECT_EQ(lock.LockedSurface(), nullptr);
  EXPECT_EQ(d3d9rt::LiveObjectCount(), objects);
  EXPECT_EQ(d3d9rt::LiveReferenceCount(), references);
  // A whole write needs no filling; then only the lock of the copy can fail.
  EXPECT_EQ(lock.Lock(&desc, surface.Get(), nullptr, nullptr, 0, 0), kInjected);
  EXPECT_EQ(d3d9rt::LiveObjectCount(), objects);
  EXPECT_EQ(d3d9rt::LiveReferenceCount(), references);
}

// Write-back failures: the unlock completes, releases everything, and says nothing.
class WriteBackFailure : public LockTest {
 protected:
  // Locks part of `surface` through a copy, overwrites the part and unlocks with `calls`
  // failing from their first use after the lock.
  void WriteThroughCopy(IDirect3DSurface9* surface, std::initializer_list<uint32_t> calls) {
    const long objects = d3d9rt::LiveObjectCount();
    const long references = d3d9rt::LiveReferenceCount();
    const RECT rect = {0, 0, 4, 4};
    PixelBlockDesc desc;
    SurfaceLock lock;
    ASSERT_EQ(lock.Lock(&desc, surface, nullptr, &rect, 0, SURFACE_LOCK_VIA_COPY), S_OK);
    for (UINT y = 0; y < 4; ++y) {
      std::memset(static_cast<BYTE*>(desc.bits) + y * desc.rowPitch, 0xab, 16);
    }
    for (uint32_t call : calls) d3d9rt::InjectFailure(call, 0, kInjected);
    debugLines_.clear();
    lock.Unlock();
    d3d9rt::ClearInjectedFailures();
    EXPECT_EQ(lock.LockedSurface(), nullptr);
    EXPECT_TRUE(debugLines_.empty()) << "the write-back is muted: " << debugLines_.front();
    EXPECT_EQ(d3d9rt::LiveObjectCount(), objects);
    EXPECT_EQ(d3d9rt::LiveReferenceCount(), references);
    D3DLOCKED_RECT direct;
    ASSERT_EQ(surface->LockRect(&direct, nullptr, D3DLOCK_READONLY), D3D_OK)
        << "the surface is not left locked";
    surface->UnlockRect();
  }
};

TEST_F(WriteBackFailure, UpdateSurfaceFailingFallsBackToCopyingByLock) {
  ComPtr<IDirect3DSurface9> surface =
      MakeLevel(8, 8, 1, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  WritePattern(surface.Get(), 6);
  const unsigned updatesBefore = d3d9rt::CallCount(d3d9rt::kUpdateSurface);
  WriteThroughCopy(surface.Get(), {d3d9rt::kUpdateSurface});
  EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kUpdateSurface), updatesBefore + 1);
  const StoredImage image = ReadStored(surface.Get());
  EXPECT_EQ(image.At(3, 3)[0], 0xab) << "the bytes arrived by CopySurfaceBits";
  EXPECT_EQ(image.At(4, 3)[0], PatternByte(4, 3, 0, 6));
}

TEST_F(WriteBackFailure, BothWriteBacksFailingLosesTheWriteQuietly) {
  ComPtr<IDirect3DSurface9> surface =
      MakeLevel(8, 8, 1, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  WritePattern(surface.Get(), 6);
  WriteThroughCopy(surface.Get(), {d3d9rt::kUpdateSurface, d3d9rt::kLockRect});
  ExpectPattern(surface.Get(), 6);
}

TEST_F(WriteBackFailure, ALockOfTheSurfaceFailingAfterUpdateSurfaceRefusedIsQuiet) {
  // A managed surface: UpdateSurface refuses it, and the lock that would copy the bytes fails.
  ComPtr<IDirect3DSurface9> surface = MakeLevel(8, 8, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  WritePattern(surface.Get(), 9);
  WriteThroughCopy(surface.Get(), {d3d9rt::kLockRect});
  ExpectPattern(surface.Get(), 9);
}

TEST_F(WriteBackFailure, AnUnlockableSurfaceWhoseUpdateFailsKeepsItsPixels) {
  ComPtr<IDirect3DSurface9> surface =
      MakeLevel(8, 8, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  WritePattern(surface.Get(), 10);
  const long objects = d3d9rt::LiveObjectCount();
  const RECT rect = {0, 0, 4, 4};
  PixelBlockDesc desc;
  SurfaceLock lock;
  ASSERT_EQ(lock.Lock(&desc, surface.Get(), nullptr, &rect, 0, 0), S_OK);
  std::memset(desc.bits, 0xab, 16);
  d3d9rt::InjectFailure(d3d9rt::kUpdateSurface, 1, kInjected);
  debugLines_.clear();
  lock.Unlock();
  EXPECT_TRUE(debugLines_.empty()) << debugLines_.front();
  EXPECT_EQ(d3d9rt::LiveObjectCount(), objects);
  ExpectPattern(surface.Get(), 10);
}

}  // namespace
}  // namespace lock_test
