// The ways a caller reaches the pixels of a texture that can't be locked: write through a
// system-memory copy and UpdateSurface, read back through StretchRect into a lockable render
// target, and stage a whole chain with UpdateTexture.
#include <cstring>

#include "runtime_fixture.h"

namespace {

using d3d9rt_test::RuntimeTest;

TEST_F(RuntimeTest, ADefaultPoolLevelIsWrittenAndReadThroughCopies) {
  ComPtr<IDirect3DTexture9> target = MakeTexture(16, 16, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT);
  ComPtr<IDirect3DSurface9> level = Level(target.Get(), 1);  // 8 x 8
  D3DLOCKED_RECT r;
  ASSERT_EQ(level->LockRect(&r, nullptr, D3DLOCK_NOSYSLOCK), D3DERR_INVALIDCALL);

  // Write: a system-memory texture of the level's size, filled, then UpdateSurface.
  ComPtr<IDirect3DTexture9> copy = MakeTexture(8, 8, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM);
  ComPtr<IDirect3DSurface9> copyLevel = Level(copy.Get(), 0);
  ASSERT_EQ(copyLevel->LockRect(&r, nullptr, D3DLOCK_NOSYSLOCK), D3D_OK);
  for (UINT y = 0; y < 8; ++y) {
    DWORD* row = reinterpret_cast<DWORD*>(static_cast<BYTE*>(r.pBits) + y * r.Pitch);
    for (UINT x = 0; x < 8; ++x) row[x] = 0xff000000u | (y << 16) | (x << 8) | (x ^ y);
  }
  ASSERT_EQ(copyLevel->UnlockRect(), D3D_OK);
  ASSERT_EQ(device_->UpdateSurface(copyLevel.Get(), nullptr, level.Get(), nullptr), D3D_OK);

  // Read: StretchRect into a lockable render target of the same size and format.
  ComPtr<IDirect3DSurface9> readBack;
  ASSERT_EQ(device_->CreateRenderTarget(8, 8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                        readBack.GetAddressOf(), nullptr),
            D3D_OK);
  ASSERT_EQ(device_->StretchRect(level.Get(), nullptr, readBack.Get(), nullptr, D3DTEXF_NONE),
            D3D_OK);
  ASSERT_EQ(readBack->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
  for (UINT y = 0; y < 8; ++y) {
    const DWORD* row = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(r.pBits) + y * r.Pitch);
    for (UINT x = 0; x < 8; ++x) {
      ASSERT_EQ(row[x], 0xff000000u | (y << 16) | (x << 8) | (x ^ y)) << x << "," << y;
    }
  }
  ASSERT_EQ(readBack->UnlockRect(), D3D_OK);

  // A lost device still hands out the pixels; the caller learns of the loss by asking.
  d3d9rt::SetDeviceState(d3d9rt::DeviceState::kLost);
  EXPECT_EQ(device_->StretchRect(level.Get(), nullptr, readBack.Get(), nullptr, D3DTEXF_NONE),
            D3D_OK);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3DERR_DEVICELOST);
}

TEST_F(RuntimeTest, AWholeDynamicSingleLevelTextureMayBeDiscarded) {
  ComPtr<IDirect3DTexture9> t = MakeTexture(8, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8,
                                            D3DPOOL_DEFAULT);
  ComPtr<IDirect3DSurface9> level = Level(t.Get(), 0);
  D3DSURFACE_DESC desc;
  ASSERT_EQ(level->GetDesc(&desc), D3D_OK);
  ASSERT_TRUE(desc.Usage & D3DUSAGE_DYNAMIC);
  ComPtr<IDirect3DTexture9> container;
  ASSERT_EQ(level->GetContainer(IID_IDirect3DTexture9,
                                reinterpret_cast<void**>(container.GetAddressOf())),
            D3D_OK);
  EXPECT_EQ(container->GetLevelCount(), 1u);
  D3DLOCKED_RECT r;
  ASSERT_EQ(level->LockRect(&r, nullptr, D3DLOCK_NOSYSLOCK | D3DLOCK_DISCARD), D3D_OK);
  std::memset(r.pBits, 0x5a, 8 * r.Pitch);
  ASSERT_EQ(level->UnlockRect(), D3D_OK);
  ASSERT_EQ(level->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<const BYTE*>(r.pBits)[7 * r.Pitch + 31], 0x5a);
  ASSERT_EQ(level->UnlockRect(), D3D_OK);
}

}  // namespace
