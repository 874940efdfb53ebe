// CopySurfaceBits: the stored bytes of whole surfaces, rows of blocks for DXT formats, and
// failures that leave nothing locked.
#include "lock_fixture.h"
#include "ut/surface/copy_surface_bits.h"

namespace lock_test {
namespace {

struct CopyCase {
  const char* name;
  D3DFORMAT format;
  UINT textureWidth, textureHeight, levels, level;  // plain surfaces when levels is 0
  UINT width, height;
};

std::ostream& operator<<(std::ostream& out, const CopyCase& c) { return out << c.name; }

const CopyCase kCopies[] = {
    {"argb", D3DFMT_A8R8G8B8, 16, 12, 1, 0, 16, 12},
    {"r5g6b5 with padded rows", D3DFMT_R5G6B5, 5, 3, 1, 0, 5, 3},
    {"l8 one pixel", D3DFMT_L8, 1, 1, 1, 0, 1, 1},
    {"dxt1 two rows of blocks", D3DFMT_DXT1, 8, 8, 1, 0, 8, 8},
    {"dxt5 one row of blocks", D3DFMT_DXT5, 12, 4, 1, 0, 12, 4},
    {"dxt1 6x6: partial blocks count", D3DFMT_DXT1, 12, 12, 2, 1, 6, 6},
    {"dxt3 1x1", D3DFMT_DXT3, 4, 4, 3, 2, 1, 1},
    {"yuy2 odd width", D3DFMT_YUY2, 7, 3, 0, 0, 7, 3},
    {"float rgba", D3DFMT_A16B16G16R16F, 3, 2, 1, 0, 3, 2},
};

class CopyBits : public LockTest, public ::testing::WithParamInterface<CopyCase> {
 protected:
  ComPtr<IDirect3DSurface9> Make(D3DPOOL pool) {
    const CopyCase& c = GetParam();
    if (c.levels == 0) return MakePlain(c.width, c.height, c.format, pool);
    return MakeLevel(c.textureWidth, c.textureHeight, c.levels, c.level, 0, c.format, pool);
  }
};

INSTANTIATE_TEST_SUITE_P(Formats, CopyBits, ::testing::ValuesIn(kCopies));

TEST_P(CopyBits, CopiesEveryStoredByteAndLocksSourceThenDestination) {
  AllowAnyTextureSize();
  ComPtr<IDirect3DSurface9> source = Make(D3DPOOL_SYSTEMMEM);
  ComPtr<IDirect3DSurface9> destination = GetParam().levels == 0 ? Make(D3DPOOL_SYSTEMMEM)
                                                                 : Make(D3DPOOL_MANAGED);
  ASSERT_TRUE(source && destination);
  WritePattern(source.Get(), 31);
  WritePattern(destination.Get(), 90);
  const size_t firstLock = d3d9rt::LockLog().size();

  ASSERT_EQ(CopySurfaceBits(source.Get(), destination.Get()), S_OK);
  const std::vector<d3d9rt::LockRecord> locks = LocksSince(firstLock);
  ASSERT_EQ(locks.size(), 2u);
  EXPECT_EQ(locks[0].pool, D3DPOOL_SYSTEMMEM);
  for (const d3d9rt::LockRecord& record : locks) {
    EXPECT_TRUE(record.whole);
    EXPECT_EQ(record.flags, 0u);
  }
  EXPECT_EQ(locks[1].pool, GetParam().levels == 0 ? D3DPOOL_SYSTEMMEM : D3DPOOL_MANAGED);
  ExpectPattern(destination.Get(), 31);
  ExpectPattern(source.Get(), 31);
  // Both were unlocked.
  D3DLOCKED_RECT r;
  ASSERT_EQ(source->LockRect(&r, nullptr, 0), D3D_OK);
  source->UnlockRect();
  ASSERT_EQ(destination->LockRect(&r, nullptr, 0), D3D_OK);
  destination->UnlockRect();
}

TEST_F(LockTest, SurfacesOfDifferentFormatsOrSizesAreNotCopied) {
  ComPtr<IDirect3DSurface9> base = MakeLevel(8, 8, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  ComPtr<IDirect3DSurface9> others[] = {
      MakeLevel(8, 8, 1, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED),
      MakeLevel(8, 4, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED),
      MakeLevel(4, 8, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED),
      MakeLevel(16, 8, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED),
  };
  for (const ComPtr<IDirect3DSurface9>& other : others) {
    EXPECT_EQ(CopySurfaceBits(base.Get(), other.Get()), D3DERR_INVALIDCALL);
    EXPECT_EQ(CopySurfaceBits(other.Get(), base.Get()), D3DERR_INVALIDCALL);
  }
  EXPECT_EQ(CopySurfaceBits(nullptr, base.Get()), D3DERR_INVALIDCALL);
  EXPECT_EQ(CopySurfaceBits(base.Get(), nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kLockRect), 0u);
}

TEST_F(LockTest, AFailedLockIsReturnedAndNothingStaysLocked) {
  ComPtr<IDirect3DSurface9> source = MakeLevel(4, 4, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  ComPtr<IDirect3DSurface9> destination =
      MakeLevel(4, 4, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
  WritePattern(source.Get(), 1);
  WritePattern(destination.Get(), 2);
  for (unsigned nth : {1u, 2u}) {
    SCOPED_TRACE(nth == 1 ? "the source's lock fails" : "the destination's lock fails");
    const size_t firstLock = d3d9rt::LockLog().size();
    d3d9rt::InjectFailure(d3d9rt::kLockRect, nth, D3DERR_DRIVERINTERNALERROR);
    EXPECT_EQ(CopySurfaceBits(source.Get(), destination.Get()), D3DERR_DRIVERINTERNALERROR);
    d3d9rt::ClearInjectedFailures();
    EXPECT_EQ(LocksSince(firstLock).size(), nth) << "no lock after the one that failed";
    D3DLOCKED_RECT r;
    ASSERT_EQ(source->LockRect(&r, nullptr, 0), D3D_OK);
    source->UnlockRect();
    ASSERT_EQ(destination->LockRect(&r, nullptr, 0), D3D_OK);
    destination->UnlockRect();
    ExpectPattern(destination.Get(), 2);
  }
  // A destination that can't be locked at all.
  ComPtr<IDirect3DSurface9> unlockable =
      MakeLevel(4, 4, 1, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  EXPECT_EQ(CopySurfaceBits(source.Get(), unlockable.Get()), D3DERR_INVALIDCALL);
  D3DLOCKED_RECT r;
  ASSERT_EQ(source->LockRect(&r, nullptr, 0), D3D_OK) << "the source was unlocked";
  source->UnlockRect();
}

}  // namespace
}  // namespace lock_test
