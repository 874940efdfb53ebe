// VolumeLock: the boxes it accepts, widening across and down, the block description, volumes
// that can't be locked, D3DLOCK_DISCARD, and failures of LockBox.
#include <cstring>

#include "lock_fixture.h"
#include "ut/surface/volume_lock.h"

namespace lock_test {
namespace {

using d3d9rt_test::RefCount;

// The pattern byte k of unit (ux, uy) of slice z.
BYTE VolumeByte(UINT ux, UINT uy, UINT z, UINT k) {
  if (k == 0) return static_cast<BYTE>(ux);
  if (k == 1) return static_cast<BYTE>(uy);
  if (k == 2) return static_cast<BYTE>(z);
  return static_cast<BYTE>(0x50 + k);
}

class VolumeLockTest : public LockTest {
 protected:
  ComPtr<IDirect3DVolume9> MakeVolume(UINT w, UINT h, UINT d, UINT levels, DWORD usage,
                                      D3DFORMAT format, D3DPOOL pool) {
    ComPtr<IDirect3DVolumeTexture9> texture;
    EXPECT_EQ(device_->CreateVolumeTexture(w, h, d, levels, usage, format, pool,
                                           texture.GetAddressOf(), nullptr),
              D3D_OK)
        << w << "x" << h << "x" << d << " format " << format << " pool " << pool;
    if (!texture) return nullptr;
    ComPtr<IDirect3DVolume9> volume;
    EXPECT_EQ(texture->GetVolumeLevel(0, volume.GetAddressOf()), D3D_OK);
    return volume;
  }

  void WriteVolumePattern(IDirect3DVolume9* volume) {
    D3DVOLUME_DESC info;
    ASSERT_EQ(volume->GetDesc(&info), D3D_OK);
    const Unit unit = UnitOf(info.Format);
    D3DLOCKED_BOX locked;
    ASSERT_EQ(volume->LockBox(&locked, nullptr, 0), D3D_OK);
    for (UINT z = 0; z < info.Depth; ++z) {
      for (UINT uy = 0; uy < (info.Height + unit.height - 1) / unit.height; ++uy) {
        BYTE* row = static_cast<BYTE*>(locked.pBits) + static_cast<size_t>(z) * locked.SlicePitch +
                    static_cast<size_t>(uy) * locked.RowPitch;
        for (UINT ux = 0; ux < (info.Width + unit.width - 1) / unit.width; ++ux) {
          for (UINT k = 0; k < unit.bytes; ++k) row[ux * unit.bytes + k] = VolumeByte(ux, uy, z, k);
        }
      }
    }
    ASSERT_EQ(volume->UnlockBox(), D3D_OK);
  }
};

TEST_F(VolumeLockTest, BoxesOutsideTheVolumeAreRefusedBeforeAnyDeviceCall) {
  ComPtr<IDirect3DVolume9> volume = MakeVolume(8, 4, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  const ULONG references = RefCount(volume.Get());
  const D3DBOX outside[] = {
      {0, 0, 9, 4, 0, 8},  // right beyond the width
      {5, 0, 4, 4, 0, 8},  // left > right
      {0, 0, 8, 5, 0, 8},  // bottom beyond the height
      {0, 3, 8, 2, 0, 8},  // top > bottom
      {0, 0, 8, 4, 0, 9},  // back beyond the depth
      {0, 0, 8, 4, 4, 3},  // front > back
      {0, 0, 4, 8, 0, 8},  // width and height swapped
      {0, 0, 0xffffffffu, 4, 0, 8},
  };
  for (const D3DBOX& box : outside) {
    SCOPED_TRACE(::testing::Message() << "box " << box);
    PixelBlockDesc desc;
    std::memset(&desc, 0xee, sizeof(desc));
    VolumeLock lock;
    EXPECT_EQ(lock.Lock(&desc, volume.Get(), nullptr, &box, 0, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(lock.LockedVolume(), nullptr);
    EXPECT_EQ(RefCount(volume.Get()), references);
    const BYTE* raw = reinterpret_cast<const BYTE*>(&desc);
    for (size_t i = 0; i < sizeof(desc); ++i) ASSERT_EQ(raw[i], 0xee) << "description byte " << i;
  }
  EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kLockBox), 0u);
}

struct VolumeBoxCase {
  const char* name;
  D3DFORMAT format;
  UINT width, height, depth;
  bool hasBox;
  D3DBOX box;
  bool lockWhole;
  D3DBOX lockedArea;
  D3DBOX region;
};

std::ostream& operator<<(std::ostream& out, const VolumeBoxCase& c) { return out << c.name; }

class VolumeWidening : public VolumeLockTest,
                       public ::testing::WithParamInterface<VolumeBoxCase> {};

const VolumeBoxCase kVolumeBoxes[] = {
    {"dxt1 blocks across and down, slices kept", D3DFMT_DXT1, 16, 8, 4, true,
     {2, 2, 6, 6, 1, 3}, false, {0, 0, 8, 8, 1, 3}, {2, 2, 6, 6, 0, 2}},
    {"dxt1 widened to the whole volume", D3DFMT_DXT1, 16, 8, 4, true, {1, 1, 15, 7, 0, 4}, true,
     {0, 0, 16, 8, 0, 4}, {1, 1, 15, 7, 0, 4}},
    {"dxt5 whole across and down, some slices", D3DFMT_DXT5, 8, 8, 4, true, {1, 1, 7, 7, 1, 4},
     false, {0, 0, 8, 8, 1, 4}, {1, 1, 7, 7, 0, 3}},
    {"yuy2 pairs", D3DFMT_YUY2, 8, 4, 2, true, {3, 1, 5, 3, 1, 2}, false, {2, 1, 6, 3, 1, 2},
     {1, 0, 3, 2, 0, 1}},
    {"argb box itself", D3DFMT_A8R8G8B8, 8, 4, 8, true, {1, 2, 3, 4, 2, 5}, false,
     {1, 2, 3, 4, 2, 5}, {0, 0, 2, 2, 0, 3}},
    {"argb box of the whole volume", D3DFMT_A8R8G8B8, 8, 4, 8, true, {0, 0, 8, 4, 0, 8}, true,
     {0, 0, 8, 4, 0, 8}, {0, 0, 8, 4, 0, 8}},
    {"argb without a box", D3DFMT_A8R8G8B8, 8, 4, 8, false, {}, true, {0, 0, 8, 4, 0, 8},
     {0, 0, 8, 4, 0, 8}},
};

INSTANTIATE_TEST_SUITE_P(Boxes, VolumeWidening, ::testing::ValuesIn(kVolumeBoxes));

TEST_P(VolumeWidening, LocksWholeUnitsAndDescribesTheBoxInsideThem) {
  const VolumeBoxCase& c = GetParam();
  // Pair formats make no volumes on the default adapter; this one takes every format.
  d3d9rt::SetFormatRule(d3d9rt::EveryFormatExcept({}));
  ComPtr<IDirect3DVolume9> volume =
      MakeVolume(c.width, c.height, c.depth, 1, 0, c.format, D3DPOOL_MANAGED);
  ASSERT_TRUE(volume);
  WriteVolumePattern(volume.Get());
  const ULONG references = RefCount(volume.Get());
  const size_t firstLock = d3d9rt::LockLog().size();

  PixelBlockDesc desc;
  VolumeLock lock;
  ASSERT_EQ(lock.Lock(&desc, volume.Get(), nullptr, c.hasBox ? &c.box : nullptr, 0xff123456u,
                      SURFACE_LOCK_READONLY),
            S_OK);
  const std::vector<d3d9rt::LockRecord> locks = LocksSince(firstLock);
  ASSERT_EQ(locks.size(), 1u);
  EXPECT_EQ(locks[0].call, d3d9rt::kLockBox);
  EXPECT_EQ(locks[0].whole, c.lockWhole);
  EXPECT_EQ(locks[0].area, c.lockedArea);
  EXPECT_EQ(locks[0].flags, D3DLOCK_NOSYSLOCK | D3DLOCK_READONLY);
  EXPECT_EQ(RefCount(volume.Get()), references + 1);

  EXPECT_EQ(desc.format, c.format);
  EXPECT_EQ(desc.extent, (D3DBOX{0, 0, c.width, c.height, 0, c.depth}));
  EXPECT_EQ(desc.region, c.region);
  EXPECT_NE(desc.slicePitch, 0u);
  EXPECT_TRUE(desc.orderedDither);
  EXPECT_FALSE(desc.errorDiffusion);
  EXPECT_FALSE(desc.gamma);
  EXPECT_EQ(desc.colorKey, 0xff123456u);
  EXPECT_EQ(desc.palette, nullptr);

  const Unit unit = UnitOf(c.format);
  const D3DBOX asked = c.hasBox ? c.box : D3DBOX{0, 0, c.width, c.height, 0, c.depth};
  const UINT corners[2][6] = {
      {desc.region.Left, desc.region.Top, desc.region.Front, asked.Left, asked.Top, asked.Front},
      {desc.region.Right - 1, desc.region.Bottom - 1, desc.region.Back - 1, asked.Right - 1,
       asked.Bottom - 1, asked.Back - 1}};
  for (const auto& corner : corners) {
    const BYTE* at = static_cast<const BYTE*>(desc.bits) +
                     static_cast<size_t>(corner[2]) * desc.slicePitch +
                     static_cast<size_t>(corner[1] / unit.height) * desc.rowPitch +
                     (corner[0] / unit.width) * unit.bytes;
    for (UINT k = 0; k < unit.bytes; ++k) {
      ASSERT_EQ(at[k], VolumeByte(corner[3] / unit.width, corner[4] / unit.height, corner[5], k))
          << "voxel (" << corner[3] << ", " << corner[4] << ", " << corner[5] << ") byte " << k;
    }
  }
  lock.Unlock();
  EXPECT_EQ(lock.LockedVolume(), nullptr);
  EXPECT_EQ(RefCount(volume.Get()), references);
}

TEST_F(VolumeLockTest, AVolumeInTheDefaultPoolMustBeDynamic) {
  ComPtr<IDirect3DVolume9> fixed = MakeVolume(4, 4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  ComPtr<IDirect3DVolume9> dynamic =
      MakeVolume(4, 4, 4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  const long objects = d3d9rt::LiveObjectCount();
  PixelBlockDesc desc;
  VolumeLock lock;
  for (DWORD flags : {DWORD{0}, SURFACE_LOCK_READONLY, SURFACE_LOCK_VIA_COPY}) {
    EXPECT_EQ(lock.Lock(&desc, fixed.Get(), nullptr, nullptr, 0, flags), D3DERR_INVALIDCALL)
        << "flags " << flags;
  }
  EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kLockBox), 0u) << "refused without asking the device";
  EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kCreateVolumeTexture), 2u) << "no copy of a volume";
  EXPECT_EQ(d3d9rt::LiveObjectCount(), objects);
  EXPECT_EQ(lock.Lock(&desc, dynamic.Get(), nullptr, nullptr, 0, SURFACE_LOCK_READONLY), S_OK);
}

TEST_F(VolumeLockTest, ACopyIsNeverMadeForAVolume) {
  ComPtr<IDirect3DVolume9> volume = MakeVolume(4, 4, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  const CallCounts before = CallCounts::Now();
  PixelBlockDesc desc;
  VolumeLock lock;
  ASSERT_EQ(lock.Lock(&desc, volume.Get(), nullptr, nullptr, 0, SURFACE_LOCK_VIA_COPY), S_OK);
  EXPECT_EQ(lock.LockedVolume(), volume.Get());
  EXPECT_EQ(CallCounts::Now().Since(before).lockBox, 1u);
  EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kCreateVolumeTexture), 1u);
}

struct VolumeDiscardCase {
  const char* name;
  DWORD usage;
  D3DPOOL pool;
  UINT levels;
  bool hasBox;
  D3DBOX box;
  DWORD flags;
  bool expectDiscard;
};

std::ostream& operator<<(std::ostream& out, const VolumeDiscardCase& c) { return out << c.name; }

class VolumeDiscard : public VolumeLockTest,
                      public ::testing::WithParamInterface<VolumeDiscardCase> {};

const VolumeDiscardCase kVolumeDiscards[] = {
    {"whole dynamic single-level volume", D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, 1, false, {}, 0,
     true},
    {"part of it", D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, 1, true, {0, 0, 8, 8, 0, 2}, 0, false},
    {"read-only", D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, 1, false, {}, SURFACE_LOCK_READONLY, false},
    {"a level of a chain", D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, 2, false, {}, 0, false},
    {"a level of a chain, all written", D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT, 2, false, {},
     SURFACE_LOCK_DISCARD_OK, true},
    {"not dynamic", 0, D3DPOOL_MANAGED, 1, false, {}, SURFACE_LOCK_DISCARD_OK, false},
};

INSTANTIATE_TEST_SUITE_P(Locks, VolumeDiscard, ::testing::ValuesIn(kVolumeDiscards));

TEST_P(VolumeDiscard, IsAddedOnlyWhereNothingElseCanBeLost) {
  const VolumeDiscardCase& c = GetParam();
  ComPtr<IDirect3DVolume9> volume =
      MakeVolume(8, 8, 4, c.levels, c.usage, D3DFMT_A8R8G8B8, c.pool);
  ASSERT_TRUE(volume);
  PixelBlockDesc desc;
  VolumeLock lock;
  ASSERT_EQ(lock.Lock(&desc, volume.Get(), nullptr, c.hasBox ? &c.box : nullptr, 0, c.flags),
            S_OK);
  const std::vector<d3d9rt::LockRecord> locks = d3d9rt::LockLog();
  ASSERT_EQ(locks.size(), 1u);
  EXPECT_EQ((locks[0].flags & D3DLOCK_DISCARD) != 0, c.expectDiscard)
      << "flags " << std::hex << locks[0].flags;
  EXPECT_TRUE(locks[0].flags & D3DLOCK_NOSYSLOCK);
  EXPECT_TRUE(debugLines_.empty()) << debugLines_.front();
}

TEST_F(VolumeLockTest, AFailedLockBoxIsReturnedWithNothingHeld) {
  ComPtr<IDirect3DVolume9> volume = MakeVolume(4, 4, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  const ULONG references = RefCount(volume.Get());
  d3d9rt::InjectFailure(d3d9rt::kLockBox, 1, D3DERR_DRIVERINTERNALERROR);
  PixelBlockDesc desc;
  VolumeLock lock;
  EXPECT_EQ(lock.Lock(&desc, volume.Get(), nullptr, nullptr, 0, 0), D3DERR_DRIVERINTERNALERROR);
  EXPECT_EQ(lock.LockedVolume(), nullptr);
  EXPECT_EQ(RefCount(volume.Get()), references);
  lock.Unlock();
  EXPECT_EQ(lock.Lock(&desc, volume.Get(), nullptr, nullptr, 0, 0), S_OK);
}

TEST_F(VolumeLockTest, UnlockIsSafeAndLockReleasesThePreviousVolume) {
  ComPtr<IDirect3DVolume9> first = MakeVolume(4, 4, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  ComPtr<IDirect3DVolume9> second = MakeVolume(2, 2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  const ULONG firstReferences = RefCount(first.Get());
  PixelBlockDesc desc;
  D3DLOCKED_BOX direct;
  {
    VolumeLock lock;
    lock.Unlock();
    EXPECT_TRUE(d3d9rt::LockLog().empty());
    EXPECT_EQ(lock.Lock(nullptr, first.Get(), nullptr, nullptr, 0, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(lock.Lock(&desc, nullptr, nullptr, nullptr, 0, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(lock.Lock(&desc, first.Get(), nullptr, nullptr, 0, 0), S_OK);
    ASSERT_EQ(lock.Lock(&desc, second.Get(), nullptr, nullptr, 0, 0), S_OK);
    EXPECT_EQ(RefCount(first.Get()), firstReferences);
    ASSERT_EQ(first->LockBox(&direct, nullptr, 0), D3D_OK);
    first->UnlockBox();
  }
  ASSERT_EQ(second->LockBox(&direct, nullptr, 0), D3D_OK) << "the destructor unlocked";
  second->UnlockBox();
}

}  // namespace
}  // namespace lock_test
