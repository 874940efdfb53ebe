// D3DLOCK_DISCARD: only on a write of the whole of a dynamic surface, locked directly, and
// only where no other level can lose its contents (or the caller says it writes them all).
#include "lock_fixture.h"
#include "ut/surface/surface_lock.h"

namespace lock_test {
namespace {

enum class Subject { kTexture, kCube, kPlain };

struct DiscardCase {
  const char* name;
  Subject subject;
  DWORD usage;
  D3DPOOL pool;
  D3DFORMAT format;
  UINT levels;
  bool hasRect;
  RECT rect;
  DWORD flags;
  bool expectDiscard;
};

std::ostream& operator<<(std::ostream& out, const DiscardCase& c) { return out << c.name; }

constexpr DWORD kDynamic = D3DUSAGE_DYNAMIC;

const DiscardCase kDiscardCases[] = {
    {"whole dynamic single-level texture", Subject::kTexture, kDynamic, D3DPOOL_DEFAULT,
     D3DFMT_A8R8G8B8, 1, false, {}, 0, true},
    {"a rectangle of the whole size is the whole", Subject::kTexture, kDynamic, D3DPOOL_DEFAULT,
     D3DFMT_A8R8G8B8, 1, true, {0, 0, 16, 16}, 0, true},
    {"dynamic in system memory", Subject::kTexture, kDynamic, D3DPOOL_SYSTEMMEM,
     D3DFMT_A8R8G8B8, 1, false, {}, 0, true},
    {"part of a dynamic single-level texture", Subject::kTexture, kDynamic, D3DPOOL_DEFAULT,
     D3DFMT_A8R8G8B8, 1, true, {0, 0, 16, 8}, 0, false},
    {"dxt part widened to the whole is still a part", Subject::kTexture, kDynamic,
     D3DPOOL_DEFAULT, D3DFMT_DXT1, 1, true, {1, 1, 15, 15}, 0, false},
    {"read-only", Subject::kTexture, kDynamic, D3DPOOL_DEFAULT, D3DFMT_A8R8G8B8, 1, false, {},
     SURFACE_LOCK_READONLY, false},
    {"a level of a dynamic mip chain", Subject::kTexture, kDynamic, D3DPOOL_DEFAULT,
     D3DFMT_A8R8G8B8, 3, false, {}, 0, false},
    {"a level of a dynamic mip chain, the caller writes them all", Subject::kTexture, kDynamic,
     D3DPOOL_DEFAULT, D3DFMT_A8R8G8B8, 3, false, {}, SURFACE_LOCK_DISCARD_OK, true},
    {"discard allowed but only part written", Subject::kTexture, kDynamic, D3DPOOL_DEFAULT,
     D3DFMT_A8R8G8B8, 1, true, {0, 0, 4, 4}, SURFACE_LOCK_DISCARD_OK, false},
    {"not dynamic, even when allowed", Subject::kTexture, 0, D3DPOOL_MANAGED, D3DFMT_A8R8G8B8, 1,
     false, {}, SURFACE_LOCK_DISCARD_OK, false},
    {"not dynamic", Subject::kTexture, 0, D3DPOOL_SYSTEMMEM, D3DFMT_A8R8G8B8, 1, false, {}, 0,
     false},
    {"a cube face is not a level of a 2D texture", Subject::kCube, kDynamic, D3DPOOL_DEFAULT,
     D3DFMT_A8R8G8B8, 1, false, {}, 0, false},
    {"a cube face, the caller writes every level", Subject::kCube, kDynamic, D3DPOOL_DEFAULT,
     D3DFMT_A8R8G8B8, 1, false, {}, SURFACE_LOCK_DISCARD_OK, true},
    {"a plain surface has no texture", Subject::kPlain, 0, D3DPOOL_SYSTEMMEM, D3DFMT_A8R8G8B8,
     1, false, {}, 0, false},
    {"never through a copy", Subject::kTexture, kDynamic, D3DPOOL_DEFAULT, D3DFMT_A8R8G8B8, 1,
     false, {}, SURFACE_LOCK_VIA_COPY, false},
};

class DiscardFlag : public LockTest, public ::testing::WithParamInterface<DiscardCase> {};

INSTANTIATE_TEST_SUITE_P(Locks, DiscardFlag, ::testing::ValuesIn(kDiscardCases));

TEST_P(DiscardFlag, IsAddedOnlyWhereNothingElseCanBeLost) {
  const DiscardCase& c = GetParam();
  ComPtr<IDirect3DSurface9> surface;
  ComPtr<IDirect3DCubeTexture9> cube;
  switch (c.subject) {
    case Subject::kTexture:
      surface = MakeLevel(16, 16, c.levels, 0, c.usage, c.format, c.pool);
      break;
    case Subject::kCube:
      ASSERT_EQ(device_->CreateCubeTexture(16, c.levels, c.usage, c.format, c.pool,
                                           cube.GetAddressOf(), nullptr),
                D3D_OK);
      ASSERT_EQ(cube->GetCubeMapSurface(D3DCUBEMAP_FACE_POSITIVE_Y, 0, surface.GetAddressOf()),
                D3D_OK);
      break;
    case Subject::kPlain:
      surface = MakePlain(16, 16, c.format, c.pool);
      break;
  }
  ASSERT_TRUE(surface);
  const size_t firstLock = d3d9rt::LockLog().size();
  PixelBlockDesc desc;
  SurfaceLock lock;
  ASSERT_EQ(lock.Lock(&desc, surface.Get(), nullptr, c.hasRect ? &c.rect : nullptr, 0, c.flags),
            S_OK);
  const std::vector<d3d9rt::LockRecord> locks = LocksSince(firstLock);
  ASSERT_FALSE(locks.empty());
  const DWORD flags = locks.back().flags;
  EXPECT_EQ((flags & D3DLOCK_DISCARD) != 0, c.expectDiscard) << "flags " << std::hex << flags;
  EXPECT_TRUE(flags & D3DLOCK_NOSYSLOCK);
  EXPECT_EQ((flags & D3DLOCK_READONLY) != 0, (c.flags & SURFACE_LOCK_READONLY) != 0);
  for (const d3d9rt::LockRecord& record : locks) {
    EXPECT_EQ(record.result, D3D_OK) << "no lock of this path is expected to fail";
  }
  EXPECT_TRUE(debugLines_.empty()) << debugLines_.front();
}

}  // namespace
}  // namespace lock_test
