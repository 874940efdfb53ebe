// Locking: which resources lock, rectangle and box rules, pitches and addresses, flags,
// double locks, the lock log and injected lock failures.
#include <cstring>
#include <vector>

#include "runtime_fixture.h"

namespace {

using d3d9rt_test::RuntimeTest;

TEST_F(RuntimeTest, WhichSurfacesLock) {
  struct Case {
    const char* what;
    ComPtr<IDirect3DSurface9> surface;
    HRESULT expected;
  };
  std::vector<Case> cases;
  auto textureLevel = [&](DWORD usage, D3DPOOL pool) {
    return Level(MakeTexture(8, 8, 1, usage, D3DFMT_A8R8G8B8, pool).Get(), 0);
  };
  cases.push_back({"managed texture", textureLevel(0, D3DPOOL_MANAGED), D3D_OK});
  cases.push_back({"system-memory texture", textureLevel(0, D3DPOOL_SYSTEMMEM), D3D_OK});
  cases.push_back({"scratch texture", textureLevel(0, D3DPOOL_SCRATCH), D3D_OK});
  cases.push_back({"default texture", textureLevel(0, D3DPOOL_DEFAULT), D3DERR_INVALIDCALL});
  cases.push_back({"dynamic default texture", textureLevel(D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT),
                   D3D_OK});
  cases.push_back({"render-target texture", textureLevel(D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT),
                   D3DERR_INVALIDCALL});
  for (BOOL lockable : {TRUE, FALSE}) {
    ComPtr<IDirect3DSurface9> rt;
    EXPECT_EQ(device_->CreateRenderTarget(8, 8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, lockable,
                                          rt.GetAddressOf(), nullptr),
              D3D_OK);
    cases.push_back({lockable ? "lockable render target" : "render target", rt,
                     lockable ? D3D_OK : D3DERR_INVALIDCALL});
  }
  ComPtr<IDirect3DSurface9> back, depth, lockableDepth, plain;
  EXPECT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.GetAddressOf()), D3D_OK);
  cases.push_back({"back buffer", back, D3D_OK});
  EXPECT_EQ(device_->GetDepthStencilSurface(depth.GetAddressOf()), D3D_OK);
  cases.push_back({"D24S8 depth buffer", depth, D3DERR_INVALIDCALL});
  EXPECT_EQ(device_->CreateDepthStencilSurface(8, 8, D3DFMT_D16_LOCKABLE, D3DMULTISAMPLE_NONE, 0,
                                               FALSE, lockableDepth.GetAddressOf(), nullptr),
            D3D_OK);
  cases.push_back({"D16_LOCKABLE depth buffer", lockableDepth, D3D_OK});
  EXPECT_EQ(device_->CreateOffscreenPlainSurface(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                                 plain.GetAddressOf(), nullptr),
            D3D_OK);
  cases.push_back({"plain surface in D3DPOOL_DEFAULT", plain, D3D_OK});

  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(c.surface);
    D3DLOCKED_RECT r = {};
    EXPECT_EQ(c.surface->LockRect(&r, nullptr, 0), c.expected);
    if (SUCCEEDED(c.expected)) {
      EXPECT_NE(r.pBits, nullptr);
      EXPECT_EQ(c.surface->UnlockRect(), D3D_OK);
    } else {
      EXPECT_EQ(c.surface->UnlockRect(), D3DERR_INVALIDCALL);  // nothing was locked
    }
  }
}

TEST_F(RuntimeTest, VolumesInTheDefaultPoolLockOnlyWhenDynamic) {
  for (DWORD usage : {0u, static_cast<unsigned>(D3DUSAGE_DYNAMIC)}) {
    ComPtr<IDirect3DVolumeTexture9> v;
    ASSERT_EQ(device_->CreateVolumeTexture(4, 4, 4, 1, usage, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                           v.GetAddressOf(), nullptr),
              D3D_OK);
    D3DLOCKED_BOX box;
    EXPECT_EQ(v->LockBox(0, &box, nullptr, 0), usage ? D3D_OK : D3DERR_INVALIDCALL) << usage;
    if (usage) {
      EXPECT_EQ(v->UnlockBox(0), D3D_OK);
    }
  }
}

struct RectCase {
  RECT rect;
  HRESULT expected;
  ptrdiff_t offset;  // of pBits from the whole lock's pBits, when it succeeds
};

void CheckRects(IDirect3DSurface9* surface, const RectCase* cases, size_t count, INT pitch) {
  D3DLOCKED_RECT whole;
  ASSERT_EQ(surface->LockRect(&whole, nullptr, D3DLOCK_READONLY), D3D_OK);
  ASSERT_EQ(surface->UnlockRect(), D3D_OK);
  ASSERT_EQ(whole.Pitch, pitch);
  D3DLOCKED_RECT base;
  ASSERT_EQ(surface->LockRect(&base, nullptr, 0), D3D_OK);
  ASSERT_EQ(surface->UnlockRect(), D3D_OK);
  for (size_t i = 0; i < count; ++i) {
    const RectCase& c = cases[i];
    SCOPED_TRACE(testing::Message() << "rect (" << c.rect.left << ", " << c.rect.top << ", "
                                    << c.rect.right << ", " << c.rect.bottom << ")");
    D3DLOCKED_RECT r = {};
    EXPECT_EQ(surface->LockRect(&r, &c.rect, 0), c.expected);
    if (FAILED(c.expected)) continue;
    EXPECT_EQ(r.Pitch, pitch);
    EXPECT_EQ(static_cast<BYTE*>(r.pBits) - static_cast<BYTE*>(base.pBits), c.offset);
    EXPECT_EQ(surface->UnlockRect(), D3D_OK);
  }
}

TEST_F(RuntimeTest, RectanglesAreValidated) {
  ComPtr<IDirect3DTexture9> t = MakeTexture(16, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
  const RectCase cases[] = {
      {{0, 0, 16, 8}, D3D_OK, 0},
      {{3, 2, 4, 3}, D3D_OK, 2 * 64 + 3 * 4},
      {{15, 7, 16, 8}, D3D_OK, 7 * 64 + 15 * 4},
      {{-1, 0, 4, 4}, D3DERR_INVALIDCALL, 0},
      {{0, -1, 4, 4}, D3DERR_INVALIDCALL, 0},
      {{0, 0, 17, 8}, D3DERR_INVALIDCALL, 0},
      {{0, 0, 16, 9}, D3DERR_INVALIDCALL, 0},
      {{4, 0, 4, 4}, D3DERR_INVALIDCALL, 0},  // empty
      {{5, 0, 4, 4}, D3DERR_INVALIDCALL, 0},  // inverted
      {{0, 5, 4, 4}, D3DERR_INVALIDCALL, 0},
  };
  CheckRects(Level(t.Get(), 0).Get(), cases, std::size(cases), 64);
}

TEST_F(RuntimeTest, PitchesRoundRowsToFourBytes) {
  ComPtr<IDirect3DTexture9> t = MakeTexture(4, 4, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED);
  const INT pitches[] = {8, 4, 4};  // 4 x 2 bytes, 2 x 2, 1 x 2 rounded up
  for (UINT level = 0; level < 3; ++level) {
    D3DLOCKED_RECT r;
    ASSERT_EQ(t->LockRect(level, &r, nullptr, 0), D3D_OK);
    EXPECT_EQ(r.Pitch, pitches[level]) << level;
    ASSERT_EQ(t->UnlockRect(level), D3D_OK);
  }
  ComPtr<IDirect3DTexture9> rgb = MakeTexture(5, 3, 1, 0, D3DFMT_R8G8B8, D3DPOOL_SCRATCH);
  D3DLOCKED_RECT r;
  ASSERT_EQ(rgb->LockRect(0, &r, nullptr, 0), D3D_OK);
  EXPECT_EQ(r.Pitch, 16);
  EXPECT_EQ(rgb->UnlockRect(0), D3D_OK);
}

TEST_F(RuntimeTest, BlockFormatsLockWholeBlocks) {
  ComPtr<IDirect3DTexture9> t = MakeTexture(16, 16, 1, 0, D3DFMT_DXT1, D3DPOOL_SYSTEMMEM);
  // Pitch counts block rows: four 8-byte blocks across.
  const RectCase dxt1[] = {
      {{0, 0, 8, 8}, D3D_OK, 0},
      {{4, 4, 16, 16}, D3D_OK, 32 + 8},
      {{12, 8, 16, 12}, D3D_OK, 2 * 32 + 3 * 8},
      {{2, 2, 6, 6}, D3DERR_INVALIDCALL, 0},
      {{4, 4, 14, 16}, D3DERR_INVALIDCALL, 0},
      {{4, 4, 16, 15}, D3DERR_INVALIDCALL, 0},
      {{0, 1, 4, 4}, D3DERR_INVALIDCALL, 0},
  };
  CheckRects(Level(t.Get(), 0).Get(), dxt1, std::size(dxt1), 32);

  // A 6x6 level under a 12x12 top: blocks at the edge are partial, and still whole in memory.
  ComPtr<IDirect3DTexture9> odd = MakeTexture(12, 12, 2, 0, D3DFMT_DXT5, D3DPOOL_SCRATCH);
  const RectCase dxt5[] = {
      {{0, 0, 6, 6}, D3D_OK, 0},
      {{4, 4, 6, 6}, D3D_OK, 32 + 16},
      {{4, 0, 6, 4}, D3D_OK, 16},
      {{0, 0, 5, 6}, D3DERR_INVALIDCALL, 0},
      {{0, 0, 8, 8}, D3DERR_INVALIDCALL, 0},
  };
  CheckRects(Level(odd.Get(), 1).Get(), dxt5, std::size(dxt5), 32);

  // The 1x1 level of a DXT3 chain still holds one 16-byte block.
  ComPtr<IDirect3DTexture9> chain = MakeTexture(4, 4, 0, 0, D3DFMT_DXT3, D3DPOOL_MANAGED);
  ASSERT_EQ(chain->GetLevelCount(), 3u);
  D3DLOCKED_RECT r;
  ASSERT_EQ(chain->LockRect(2, &r, nullptr, 0), D3D_OK);
  EXPECT_EQ(r.Pitch, 16);
  std::memset(r.pBits, 0xab, 16);  // the whole block is ours to write
  ASSERT_EQ(chain->UnlockRect(2), D3D_OK);
}

TEST_F(RuntimeTest, PairFormatsLockWholePairs) {
  ComPtr<IDirect3DSurface9> yuy2, odd;
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(8, 8, D3DFMT_YUY2, D3DPOOL_SYSTEMMEM,
                                                 yuy2.GetAddressOf(), nullptr),
            D3D_OK);
  const RectCase even[] = {
      {{2, 0, 4, 1}, D3D_OK, 4},
      {{0, 3, 8, 4}, D3D_OK, 3 * 16},
      {{1, 0, 4, 1}, D3DERR_INVALIDCALL, 0},
      {{2, 0, 3, 1}, D3DERR_INVALIDCALL, 0},
  };
  CheckRects(yuy2.Get(), even, std::size(even), 16);
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(7, 2, D3DFMT_UYVY, D3DPOOL_SCRATCH,
                                                 odd.GetAddressOf(), nullptr),
            D3D_OK);
  const RectCase edge[] = {
      {{6, 0, 7, 1}, D3D_OK, 12},  // the last, lone pixel ends at the edge
      {{4, 1, 7, 2}, D3D_OK, 16 + 8},
  };
  CheckRects(odd.Get(), edge, std::size(edge), 16);
}

TEST_F(RuntimeTest, DoubleLocksFailAndLevelsLockApart) {
  ComPtr<IDirect3DTexture9> t = MakeTexture(8, 8, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  D3DLOCKED_RECT a, b;
  ASSERT_EQ(t->LockRect(0, &a, nullptr, 0), D3D_OK);
  EXPECT_EQ(t->LockRect(0, &b, nullptr, D3DLOCK_READONLY), D3DERR_INVALIDCALL);
  EXPECT_EQ(Level(t.Get(), 0)->LockRect(&b, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(t->LockRect(1, &b, nullptr, 0), D3D_OK);
  EXPECT_EQ(t->UnlockRect(1), D3D_OK);
  EXPECT_EQ(t->UnlockRect(0), D3D_OK);
  EXPECT_EQ(t->UnlockRect(0), D3DERR_INVALIDCALL);
  EXPECT_EQ(t->LockRect(2, &b, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(t->LockRect(0, nullptr, nullptr, 0), D3DERR_INVALIDCALL);
}

TEST_F(RuntimeTest, ReadOnlyLocksHandOutTheStoredPixels) {
  ComPtr<IDirect3DTexture9> t = MakeTexture(4, 4, 1, 0, D3DFMT_L8, D3DPOOL_SYSTEMMEM);
  D3DLOCKED_RECT written;
  ASSERT_EQ(t->LockRect(0, &written, nullptr, 0), D3D_OK);
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  const RECT part = {1, 1, 3, 3};
  for (const DWORD flags : {DWORD{D3DLOCK_READONLY}, DWORD{D3DLOCK_READONLY | D3DLOCK_NOSYSLOCK}}) {
    D3DLOCKED_RECT r;
    ASSERT_EQ(t->LockRect(0, &r, &part, flags), D3D_OK);
    EXPECT_EQ(r.pBits, static_cast<BYTE*>(written.pBits) + written.Pitch + 1) << "flags " << flags;
    EXPECT_EQ(r.Pitch, written.Pitch);
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  }
  EXPECT_EQ(d3d9rt::ReadOnlyLockWriteCount(), 0u);
}

TEST_F(RuntimeTest, TheReadOnlyGuardKeepsWritesFromLandingAndCountsThem) {
  d3d9rt::SetReadOnlyLockGuard(true);
  ComPtr<IDirect3DTexture9> t = MakeTexture(4, 4, 1, 0, D3DFMT_L8, D3DPOOL_SYSTEMMEM);
  D3DLOCKED_RECT r;
  ASSERT_EQ(t->LockRect(0, &r, nullptr, 0), D3D_OK);
  for (int y = 0; y < 4; ++y) std::memset(static_cast<BYTE*>(r.pBits) + y * r.Pitch, 0x11 * (y + 1), 4);
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);

  const RECT part = {1, 1, 3, 3};
  ASSERT_EQ(t->LockRect(0, &r, &part, D3DLOCK_READONLY), D3D_OK);
  const BYTE* row1 = static_cast<const BYTE*>(r.pBits);
  EXPECT_EQ(row1[0], 0x22);
  EXPECT_EQ(row1[r.Pitch + 1], 0x33);
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  EXPECT_EQ(d3d9rt::ReadOnlyLockWriteCount(), 0u) << "reading is not writing";

  ASSERT_EQ(t->LockRect(0, &r, &part, D3DLOCK_READONLY), D3D_OK);
  std::memset(static_cast<BYTE*>(r.pBits), 0xee, 2);  // a careless caller
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  EXPECT_EQ(d3d9rt::ReadOnlyLockWriteCount(), 1u);

  ASSERT_EQ(t->LockRect(0, &r, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<const BYTE*>(r.pBits)[r.Pitch + 1], 0x22);
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);

  // Reset turns the guard off: the same careless write now lands, as on a real runtime.
  d3d9rt::Reset();
  EXPECT_EQ(d3d9rt::ReadOnlyLockWriteCount(), 0u);
  ASSERT_EQ(t->LockRect(0, &r, &part, D3DLOCK_READONLY), D3D_OK);
  std::memset(static_cast<BYTE*>(r.pBits), 0xee, 2);
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  ASSERT_EQ(t->LockRect(0, &r, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<const BYTE*>(r.pBits)[r.Pitch + 1], 0xee);
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  EXPECT_EQ(d3d9rt::ReadOnlyLockWriteCount(), 0u);
}

TEST_F(RuntimeTest, LockFlags) {
  ComPtr<IDirect3DTexture9> fixed = MakeTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
  ComPtr<IDirect3DTexture9> dynamic =
      MakeTexture(4, 4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  struct Case {
    IDirect3DTexture9* texture;
    DWORD flags;
    HRESULT expected;
  };
  const Case cases[] = {
      {fixed.Get(), D3DLOCK_NOSYSLOCK, D3D_OK},
      {fixed.Get(), D3DLOCK_READONLY | D3DLOCK_NOSYSLOCK, D3D_OK},
      {fixed.Get(), D3DLOCK_NO_DIRTY_UPDATE | D3DLOCK_DONOTWAIT, D3D_OK},
      {fixed.Get(), D3DLOCK_DISCARD, D3DERR_INVALIDCALL},  // not dynamic
      {fixed.Get(), D3DLOCK_NOOVERWRITE, D3DERR_INVALIDCALL},  // buffers only
      {fixed.Get(), 0x1, D3DERR_INVALIDCALL},
      {dynamic.Get(), D3DLOCK_DISCARD, D3D_OK},
      {dynamic.Get(), D3DLOCK_DISCARD | D3DLOCK_READONLY, D3DERR_INVALIDCALL},
  };
  for (const Case& c : cases) {
    D3DLOCKED_RECT r;
    EXPECT_EQ(c.texture->LockRect(0, &r, nullptr, c.flags), c.expected) << std::hex << c.flags;
    if (SUCCEEDED(c.expected)) {
      EXPECT_EQ(c.texture->UnlockRect(0), D3D_OK);
    }
  }

  // DISCARD leaves undefined contents behind, even outside the rectangle locked.
  D3DLOCKED_RECT r;
  ASSERT_EQ(dynamic->LockRect(0, &r, nullptr, 0), D3D_OK);
  std::memset(r.pBits, 0, 4 * r.Pitch);
  ASSERT_EQ(dynamic->UnlockRect(0), D3D_OK);
  const RECT first = {0, 0, 1, 1};
  ASSERT_EQ(dynamic->LockRect(0, &r, &first, D3DLOCK_DISCARD), D3D_OK);
  ASSERT_EQ(dynamic->UnlockRect(0), D3D_OK);
  ASSERT_EQ(dynamic->LockRect(0, &r, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<const BYTE*>(r.pBits)[3 * r.Pitch + 15], 0xcd);
  ASSERT_EQ(dynamic->UnlockRect(0), D3D_OK);
}

TEST_F(RuntimeTest, VolumeBoxesAndPitches) {
  ComPtr<IDirect3DVolumeTexture9> v;
  ASSERT_EQ(device_->CreateVolumeTexture(8, 8, 4, 1, 0, D3DFMT_DXT1, D3DPOOL_SYSTEMMEM,
                                         v.GetAddressOf(), nullptr),
            D3D_OK);
  D3DLOCKED_BOX whole;
  ASSERT_EQ(v->LockBox(0, &whole, nullptr, 0), D3D_OK);
  EXPECT_EQ(whole.RowPitch, 16);    // two blocks across
  EXPECT_EQ(whole.SlicePitch, 32);  // two block rows per slice
  ASSERT_EQ(v->UnlockBox(0), D3D_OK);
  struct Case {
    D3DBOX box;
    HRESULT expected;
    ptrdiff_t offset;
  };
  const Case cases[] = {
      {{4, 4, 8, 8, 1, 3}, D3D_OK, 32 + 16 + 8},
      {{0, 0, 8, 8, 3, 4}, D3D_OK, 3 * 32},
      {{2, 0, 8, 8, 0, 1}, D3DERR_INVALIDCALL, 0},
      {{0, 0, 8, 8, 2, 2}, D3DERR_INVALIDCALL, 0},
      {{0, 0, 8, 8, 0, 5}, D3DERR_INVALIDCALL, 0},
      {{0, 0, 9, 8, 0, 1}, D3DERR_INVALIDCALL, 0},
  };
  for (const Case& c : cases) {
    D3DLOCKED_BOX b;
    EXPECT_EQ(v->LockBox(0, &b, &c.box, 0), c.expected)
        << c.box.Left << "," << c.box.Top << "," << c.box.Front;
    if (FAILED(c.expected)) continue;
    EXPECT_EQ(static_cast<BYTE*>(b.pBits) - static_cast<BYTE*>(whole.pBits), c.offset);
    EXPECT_EQ(v->UnlockBox(0), D3D_OK);
  }
  ComPtr<IDirect3DVolume9> level;
  ASSERT_EQ(v->GetVolumeLevel(0, level.GetAddressOf()), D3D_OK);
  D3DLOCKED_BOX b;
  ASSERT_EQ(level->LockBox(&b, nullptr, 0), D3D_OK);
  EXPECT_EQ(v->LockBox(0, &b, nullptr, 0), D3DERR_INVALIDCALL);  // one lock at a time
  EXPECT_EQ(level->UnlockBox(), D3D_OK);
}

TEST_F(RuntimeTest, TheLockLogRecordsWhatWasAsked) {
  ComPtr<IDirect3DTexture9> t = MakeTexture(16, 16, 1, D3DUSAGE_DYNAMIC, D3DFMT_DXT1,
                                            D3DPOOL_DEFAULT);
  D3DLOCKED_RECT r;
  const RECT widened = {0, 0, 8, 8};
  const RECT misaligned = {2, 2, 6, 6};
  ASSERT_EQ(t->LockRect(0, &r, &widened, D3DLOCK_NOSYSLOCK), D3D_OK);
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  EXPECT_EQ(t->LockRect(0, &r, &misaligned, 0), D3DERR_INVALIDCALL);
  ASSERT_EQ(t->LockRect(0, &r, nullptr, D3DLOCK_DISCARD | D3DLOCK_NOSYSLOCK), D3D_OK);
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);

  const std::vector<d3d9rt::LockRecord> log = d3d9rt::LockLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].call, d3d9rt::kLockRect);
  EXPECT_EQ(log[0].format, D3DFMT_DXT1);
  EXPECT_EQ(log[0].pool, D3DPOOL_DEFAULT);
  EXPECT_EQ(log[0].usage, D3DUSAGE_DYNAMIC);
  EXPECT_EQ(log[0].flags, D3DLOCK_NOSYSLOCK);
  EXPECT_FALSE(log[0].whole);
  EXPECT_EQ(log[0].area.Right, 8u);
  EXPECT_EQ(log[0].area.Bottom, 8u);
  EXPECT_EQ(log[0].result, D3D_OK);
  EXPECT_EQ(log[1].area.Left, 2u);
  EXPECT_EQ(log[1].result, D3DERR_INVALIDCALL);
  EXPECT_TRUE(log[2].whole);
  EXPECT_EQ(log[2].area.Right, 16u);
  EXPECT_EQ(log[2].flags, D3DLOCK_DISCARD | D3DLOCK_NOSYSLOCK);
  EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kLockRect), 3u);
}

TEST_F(RuntimeTest, InjectedLockFailures) {
  ComPtr<IDirect3DTexture9> t = MakeTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  d3d9rt::InjectFailure(d3d9rt::kLockRect, 1, D3DERR_WASSTILLDRAWING);
  D3DLOCKED_RECT r = {};
  EXPECT_EQ(t->LockRect(0, &r, nullptr, 0), D3DERR_WASSTILLDRAWING);
  EXPECT_EQ(r.pBits, nullptr);
  EXPECT_EQ(t->UnlockRect(0), D3DERR_INVALIDCALL);  // the failed lock holds nothing
  EXPECT_EQ(t->LockRect(0, &r, nullptr, 0), D3D_OK);
  EXPECT_EQ(t->UnlockRect(0), D3D_OK);

  d3d9rt::InjectFailure(d3d9rt::kAnyLock, 0, E_FAIL);
  ComPtr<IDirect3DVertexBuffer9> vb;
  ASSERT_EQ(device_->CreateVertexBuffer(16, 0, 0, D3DPOOL_MANAGED, vb.GetAddressOf(), nullptr),
            D3D_OK);
  void* data = nullptr;
  EXPECT_EQ(vb->Lock(0, 0, &data, 0), E_FAIL);
  EXPECT_EQ(t->LockRect(0, &r, nullptr, 0), E_FAIL);
  EXPECT_EQ(d3d9rt::LockLog().back().result, E_FAIL);
}

TEST_F(RuntimeTest, VertexBufferLocks) {
  ComPtr<IDirect3DVertexBuffer9> vb;
  ASSERT_EQ(device_->CreateVertexBuffer(80, D3DUSAGE_WRITEONLY, D3DFVF_XYZ | D3DFVF_TEX1,
                                        D3DPOOL_DEFAULT, vb.GetAddressOf(), nullptr),
            D3D_OK);
  D3DVERTEXBUFFER_DESC desc;
  ASSERT_EQ(vb->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Format, D3DFMT_VERTEXDATA);
  EXPECT_EQ(desc.Type, D3DRTYPE_VERTEXBUFFER);
  EXPECT_EQ(desc.Size, 80u);
  EXPECT_EQ(desc.FVF, static_cast<DWORD>(D3DFVF_XYZ | D3DFVF_TEX1));
  void* whole = nullptr;
  void* part = nullptr;
  ASSERT_EQ(vb->Lock(0, 80, &whole, 0), D3D_OK);
  ASSERT_EQ(vb->Lock(20, 0, &part, 0), D3D_OK);  // buffers nest; size 0 runs to the end
  EXPECT_EQ(static_cast<BYTE*>(part) - static_cast<BYTE*>(whole), 20);
  EXPECT_EQ(vb->Unlock(), D3D_OK);
  EXPECT_EQ(vb->Unlock(), D3D_OK);
  EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
  void* p = nullptr;
  EXPECT_EQ(vb->Lock(60, 24, &p, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(vb->Lock(81, 0, &p, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(vb->Lock(0, 0, &p, D3DLOCK_READONLY), D3DERR_INVALIDCALL);  // write-only
  EXPECT_EQ(vb->Lock(0, 0, &p, D3DLOCK_DISCARD), D3DERR_INVALIDCALL);   // not dynamic
  EXPECT_EQ(vb->Lock(0, 0, &p, D3DLOCK_NOOVERWRITE), D3D_OK);
  EXPECT_EQ(vb->Unlock(), D3D_OK);
}

}  // namespace
