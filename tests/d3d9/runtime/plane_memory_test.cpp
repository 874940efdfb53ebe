// The memory of pixel planes: released blocks are handed out again to planes of their size,
// zeroed where the plane needs it, within the bounds of what is kept.
#include <algorithm>
#include <cstring>
#include <vector>

#include "d3d9/runtime/plane_memory.h"
#include "runtime_fixture.h"

namespace {

using d3d9rt::PlaneMemory;
using d3d9rt_test::RuntimeTest;

// Sizes no texture of the other tests has, so that their blocks never answer these requests.
constexpr size_t kBlock = 300'007;

bool AllZero(const PlaneMemory& m) {
  return std::all_of(m.get(), m.get() + m.size(), [](BYTE b) { return b == 0; });
}

TEST(PlaneMemory, AReleasedBlockIsHandedOutAgainForItsSize) {
  struct Case {
    const char* name;
    bool zeroed;
  };
  for (const Case c : {Case{"zeroed", true}, Case{"undefined", false}}) {
    SCOPED_TRACE(c.name);
    PlaneMemory first = PlaneMemory::Zeroed(kBlock);
    ASSERT_TRUE(first);
    EXPECT_TRUE(AllZero(first));
    const size_t kept = d3d9rt::KeptPlaneBlocks();
    std::memset(first.get(), 0xAB, first.size());
    BYTE* const address = first.get();
    first = PlaneMemory();
    EXPECT_EQ(d3d9rt::KeptPlaneBlocks(), kept + 1);

    PlaneMemory other = PlaneMemory::Undefined(kBlock + 8);  // another size: not that block
    EXPECT_NE(other.get(), address);
    PlaneMemory again = c.zeroed ? PlaneMemory::Zeroed(kBlock) : PlaneMemory::Undefined(kBlock);
    ASSERT_EQ(again.get(), address);
    EXPECT_EQ(again.size(), kBlock);
    if (c.zeroed) {
      EXPECT_TRUE(AllZero(again)) << "a kept block is zeroed before it is handed out";
    } else {
      EXPECT_EQ(again.get()[kBlock - 1], 0xAB) << "undefined contents are the last plane's";
    }
  }
}

TEST(PlaneMemory, SmallBlocksGoBackToTheHeap) {
  const size_t kept = d3d9rt::KeptPlaneBlocks();
  { PlaneMemory small = PlaneMemory::Zeroed(4096); ASSERT_TRUE(small); }
  EXPECT_EQ(d3d9rt::KeptPlaneBlocks(), kept);
}

TEST(PlaneMemory, WhatIsKeptStaysWithinItsBounds) {
  struct Case {
    size_t size;
    int count;
  };
  for (const Case c : {Case{(size_t{1} << 20) + 13, 40}, Case{(size_t{12} << 20) + 13, 6}}) {
    std::vector<PlaneMemory> blocks;
    for (int i = 0; i < c.count; ++i) blocks.push_back(PlaneMemory::Undefined(c.size));
    blocks.clear();
    EXPECT_LE(d3d9rt::KeptPlaneBlocks(), 16u) << c.size;
    EXPECT_LE(d3d9rt::KeptPlaneBytes(), size_t{32} << 20) << c.size;
    EXPECT_GT(d3d9rt::KeptPlaneBytes(), size_t{16} << 20) << "the newest are kept, " << c.size;
  }
}

#if defined(__SANITIZE_ADDRESS__)
#define UT_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UT_TEST_ASAN 1
#endif
#endif

#ifdef UT_TEST_ASAN
// A kept block stays out of reach until it is handed out again: a plane used after its release
// is reported as it would be after free().
TEST(PlaneMemoryDeathTest, AKeptBlockCannotBeTouched) {
  PlaneMemory memory = PlaneMemory::Undefined(kBlock + 64);
  ASSERT_TRUE(memory);
  volatile BYTE* const bits = memory.get();
  bits[0] = 1;
  memory = PlaneMemory();
  ASSERT_GT(d3d9rt::KeptPlaneBlocks(), 0u);
  EXPECT_DEATH(bits[100] = 2, "use-after-poison");
  PlaneMemory again = PlaneMemory::Undefined(kBlock + 64);
  ASSERT_EQ(again.get(), bits);
  bits[100] = 3;  // handed out again: usable
  EXPECT_EQ(again.get()[100], 3);
}
#endif

// Render targets, depth buffers and plain surfaces start zeroed even in memory that a texture
// level held before.
TEST_F(RuntimeTest, SurfacesOutsideTexturesStartZeroed) {
  constexpr UINT kSide = 256;
  BYTE* levelBits = nullptr;
  {
    ComPtr<IDirect3DTexture9> texture = MakeTexture(kSide, kSide, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
    D3DLOCKED_RECT r;
    ASSERT_EQ(texture->LockRect(0, &r, nullptr, 0), D3D_OK);
    std::memset(r.pBits, 0x5A, size_t(r.Pitch) * kSide);
    levelBits = static_cast<BYTE*>(r.pBits);
    ASSERT_EQ(texture->UnlockRect(0), D3D_OK);
  }
  ComPtr<IDirect3DSurface9> plain;
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(kSide, kSide, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                 plain.GetAddressOf(), nullptr),
            D3D_OK);
  D3DLOCKED_RECT r;
  ASSERT_EQ(plain->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(r.pBits, levelBits) << "the level's memory was not reused; the check below shows nothing";
  const BYTE* bits = static_cast<const BYTE*>(r.pBits);
  EXPECT_TRUE(std::all_of(bits, bits + size_t(r.Pitch) * kSide, [](BYTE b) { return b == 0; }));
  ASSERT_EQ(plain->UnlockRect(), D3D_OK);
}

}  // namespace
