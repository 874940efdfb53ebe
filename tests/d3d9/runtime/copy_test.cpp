// Device copies, byte for byte: UpdateSurface, UpdateTexture (levels and dirty regions),
// GetRenderTargetData, StretchRect and ColorFill, with their rules on pools and formats.
#include <cstring>
#include <vector>

#include "runtime_fixture.h"

namespace {

using d3d9rt_test::RuntimeTest;

// Fills a lockable surface with bytes that name their position: byte i of row y is
// (seed + 31 * y + i) & 0xff.
void Fill(IDirect3DSurface9* surface, BYTE seed, UINT rows, UINT rowBytes) {
  D3DLOCKED_RECT r;
  ASSERT_EQ(surface->LockRect(&r, nullptr, 0), D3D_OK);
  for (UINT y = 0; y < rows; ++y) {
    BYTE* row = static_cast<BYTE*>(r.pBits) + y * r.Pitch;
    for (UINT i = 0; i < rowBytes; ++i) row[i] = static_cast<BYTE>(seed + 31 * y + i);
  }
  ASSERT_EQ(surface->UnlockRect(), D3D_OK);
}

// Zeroes the rows of a lockable surface: a new texture's contents are undefined.
void Zero(IDirect3DSurface9* surface, UINT rows, UINT rowBytes) {
  D3DLOCKED_RECT r;
  ASSERT_EQ(surface->LockRect(&r, nullptr, 0), D3D_OK);
  for (UINT y = 0; y < rows; ++y) std::memset(static_cast<BYTE*>(r.pBits) + y * r.Pitch, 0, rowBytes);
  ASSERT_EQ(surface->UnlockRect(), D3D_OK);
}

// The stored rows of a lockable surface.
std::vector<std::vector<BYTE>> Read(IDirect3DSurface9* surface, UINT rows, UINT rowBytes) {
  std::vector<std::vector<BYTE>> out;
  D3DLOCKED_RECT r;
  EXPECT_EQ(surface->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
  for (UINT y = 0; y < rows; ++y) {
    const BYTE* row = static_cast<const BYTE*>(r.pBits) + y * r.Pitch;
    out.emplace_back(row, row + rowBytes);
  }
  EXPECT_EQ(surface->UnlockRect(), D3D_OK);
  return out;
}

BYTE Expected(BYTE seed, UINT y, UINT i) { return static_cast<BYTE>(seed + 31 * y + i); }

TEST_F(RuntimeTest, UpdateSurfaceCopiesTheRectangleToThePoint) {
  ComPtr<IDirect3DTexture9> src = MakeTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
  ComPtr<IDirect3DTexture9> dst =
      MakeTexture(8, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  ComPtr<IDirect3DSurface9> s = Level(src.Get(), 0), d = Level(dst.Get(), 0);
  Fill(s.Get(), 7, 8, 32);
  Zero(d.Get(), 8, 32);
  const RECT rect = {2, 1, 6, 5};
  const POINT at = {1, 2};
  ASSERT_EQ(device_->UpdateSurface(s.Get(), &rect, d.Get(), &at), D3D_OK);
  const auto rows = Read(d.Get(), 8, 32);
  for (UINT y = 0; y < 8; ++y) {
    for (UINT x = 0; x < 8; ++x) {
      const bool inside = x >= 1 && x < 5 && y >= 2 && y < 6;
      for (UINT b = 0; b < 4; ++b) {
        const BYTE want = inside ? Expected(7, y - 1, (x + 1) * 4 + b) : 0;
        ASSERT_EQ(rows[y][x * 4 + b], want) << "pixel " << x << "," << y << " byte " << b;
      }
    }
  }
  // Null rectangle and point: the whole surface at (0, 0).
  ASSERT_EQ(device_->UpdateSurface(s.Get(), nullptr, d.Get(), nullptr), D3D_OK);
  EXPECT_EQ(Read(d.Get(), 8, 32), Read(s.Get(), 8, 32));
}

TEST_F(RuntimeTest, UpdateSurfaceMovesWholeBlocks) {
  ComPtr<IDirect3DTexture9> src = MakeTexture(16, 16, 1, 0, D3DFMT_DXT1, D3DPOOL_SYSTEMMEM);
  ComPtr<IDirect3DTexture9> dst = MakeTexture(16, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_DXT1,
                                              D3DPOOL_DEFAULT);
  ComPtr<IDirect3DSurface9> s = Level(src.Get(), 0), d = Level(dst.Get(), 0);
  Fill(s.Get(), 1, 4, 32);  // four block rows of four 8-byte blocks
  Zero(d.Get(), 2, 32);
  const RECT rect = {4, 4, 12, 8};  // blocks 1 and 2 of block row 1
  const POINT at = {8, 4};          // to blocks 2 and 3 of block row 1
  ASSERT_EQ(device_->UpdateSurface(s.Get(), &rect, d.Get(), &at), D3D_OK);
  const auto rows = Read(d.Get(), 2, 32);
  for (UINT i = 0; i < 32; ++i) {
    EXPECT_EQ(rows[0][i], 0) << i;
    EXPECT_EQ(rows[1][i], i < 16 ? 0 : Expected(1, 1, i - 8)) << i;
  }
  const RECT misaligned = {2, 0, 6, 4};
  const POINT offBlock = {2, 0};
  EXPECT_EQ(device_->UpdateSurface(s.Get(), &misaligned, d.Get(), nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->UpdateSurface(s.Get(), &rect, d.Get(), &offBlock), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->UpdateSurface(s.Get(), nullptr, d.Get(), nullptr), D3DERR_INVALIDCALL)
      << "16x16 does not fit 16x8";
}

TEST_F(RuntimeTest, UpdateSurfaceRules) {
  ComPtr<IDirect3DTexture9> sys = MakeTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
  ComPtr<IDirect3DTexture9> managed = MakeTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  ComPtr<IDirect3DTexture9> def = MakeTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  ComPtr<IDirect3DTexture9> other = MakeTexture(8, 8, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT);
  ComPtr<IDirect3DSurface9> depth;
  ASSERT_EQ(device_->GetDepthStencilSurface(depth.GetAddressOf()), D3D_OK);
  ComPtr<IDirect3DSurface9> s = Level(sys.Get(), 0), m = Level(managed.Get(), 0);
  ComPtr<IDirect3DSurface9> d = Level(def.Get(), 0), o = Level(other.Get(), 0);
  EXPECT_EQ(device_->UpdateSurface(s.Get(), nullptr, d.Get(), nullptr), D3D_OK);
  EXPECT_EQ(device_->UpdateSurface(m.Get(), nullptr, d.Get(), nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->UpdateSurface(s.Get(), nullptr, m.Get(), nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->UpdateSurface(d.Get(), nullptr, s.Get(), nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->UpdateSurface(s.Get(), nullptr, o.Get(), nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->UpdateSurface(s.Get(), nullptr, depth.Get(), nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->UpdateSurface(nullptr, nullptr, d.Get(), nullptr), D3DERR_INVALIDCALL);
  const POINT outside = {1, 0};
  EXPECT_EQ(device_->UpdateSurface(s.Get(), nullptr, d.Get(), &outside), D3DERR_INVALIDCALL);
  D3DLOCKED_RECT r;
  ASSERT_EQ(s->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(device_->UpdateSurface(s.Get(), nullptr, d.Get(), nullptr), D3DERR_INVALIDCALL);
  ASSERT_EQ(s->UnlockRect(), D3D_OK);

  d3d9rt::InjectFailure(d3d9rt::kAnyCopy, 1, D3DERR_DRIVERINTERNALERROR);
  EXPECT_EQ(device_->UpdateSurface(s.Get(), nullptr, d.Get(), nullptr),
            D3DERR_DRIVERINTERNALERROR);
  EXPECT_EQ(device_->UpdateSurface(s.Get(), nullptr, d.Get(), nullptr), D3D_OK);
  EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kUpdateSurface), 11u);  // failed calls count too
}

TEST_F(RuntimeTest, UpdateTextureMatchesLevelsFromTheTop) {
  ComPtr<IDirect3DTexture9> src = MakeTexture(16, 16, 5, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
  for (UINT level = 0; level < 5; ++level) {
    const UINT w = 16 >> level;
    Fill(Level(src.Get(), level).Get(), static_cast<BYTE>(level * 50), w, w * 4);
  }
  // Same chain.
  ComPtr<IDirect3DTexture9> same =
      MakeTexture(16, 16, 5, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  ASSERT_EQ(device_->UpdateTexture(src.Get(), same.Get()), D3D_OK);
  for (UINT level = 0; level < 5; ++level) {
    const UINT w = 16 >> level;
    EXPECT_EQ(Read(Level(same.Get(), level).Get(), w, w * 4),
              Read(Level(src.Get(), level).Get(), w, w * 4))
        << level;
  }
  // A smaller destination takes the source's lower levels: 4x4 is the source's level 2.
  ASSERT_EQ(src->AddDirtyRect(nullptr), D3D_OK);
  ComPtr<IDirect3DTexture9> small =
      MakeTexture(4, 4, 3, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  ASSERT_EQ(device_->UpdateTexture(src.Get(), small.Get()), D3D_OK);
  for (UINT level = 0; level < 3; ++level) {
    const UINT w = 4 >> level;
    EXPECT_EQ(Read(Level(small.Get(), level).Get(), w, w * 4),
              Read(Level(src.Get(), level + 2).Get(), w, w * 4))
        << level;
  }
  // Mismatches.
  ComPtr<IDirect3DTexture9> fewer = MakeTexture(16, 16, 3, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
  ComPtr<IDirect3DTexture9> offSize = MakeTexture(8, 4, 4, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  ComPtr<IDirect3DTexture9> format = MakeTexture(16, 16, 5, 0, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT);
  ComPtr<IDirect3DTexture9> managed = MakeTexture(16, 16, 5, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  ComPtr<IDirect3DCubeTexture9> cube;
  ASSERT_EQ(device_->CreateCubeTexture(16, 5, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                       cube.GetAddressOf(), nullptr),
            D3D_OK);
  EXPECT_EQ(device_->UpdateTexture(fewer.Get(), same.Get()), D3DERR_INVALIDCALL);  // 3 < 5 levels
  EXPECT_EQ(device_->UpdateTexture(src.Get(), offSize.Get()), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->UpdateTexture(src.Get(), format.Get()), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->UpdateTexture(src.Get(), managed.Get()), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->UpdateTexture(src.Get(), cube.Get()), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->UpdateTexture(same.Get(), src.Get()), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->UpdateTexture(nullptr, same.Get()), D3DERR_INVALIDCALL);
}

TEST_F(RuntimeTest, UpdateTextureCopiesOnlyWhatChanged) {
  ComPtr<IDirect3DTexture9> src = MakeTexture(16, 16, 1, 0, D3DFMT_L8, D3DPOOL_SYSTEMMEM);
  ComPtr<IDirect3DTexture9> dst = MakeTexture(16, 16, 1, D3DUSAGE_DYNAMIC, D3DFMT_L8,
                                              D3DPOOL_DEFAULT);
  ComPtr<IDirect3DSurface9> s = Level(src.Get(), 0), d = Level(dst.Get(), 0);
  Zero(s.Get(), 16, 16);
  ASSERT_EQ(device_->UpdateTexture(src.Get(), dst.Get()), D3D_OK);  // all dirty: all zero

  auto paint = [&](const RECT& rect, BYTE value, DWORD flags) {
    D3DLOCKED_RECT r;
    ASSERT_EQ(s->LockRect(&r, &rect, flags), D3D_OK);
    for (LONG y = 0; y < rect.bottom - rect.top; ++y) {
      std::memset(static_cast<BYTE*>(r.pBits) + y * r.Pitch, value, rect.right - rect.left);
    }
    ASSERT_EQ(s->UnlockRect(), D3D_OK);
  };
  paint({0, 0, 4, 4}, 0x11, 0);
  paint({8, 8, 12, 12}, 0x22, D3DLOCK_NO_DIRTY_UPDATE);
  ASSERT_EQ(device_->UpdateTexture(src.Get(), dst.Get()), D3D_OK);
  auto rows = Read(d.Get(), 16, 16);
  EXPECT_EQ(rows[0][0], 0x11);
  EXPECT_EQ(rows[3][3], 0x11);
  EXPECT_EQ(rows[8][8], 0x00) << "a lock with D3DLOCK_NO_DIRTY_UPDATE marks nothing";

  ASSERT_EQ(device_->UpdateTexture(src.Get(), dst.Get()), D3D_OK);  // nothing dirty
  EXPECT_EQ(Read(d.Get(), 16, 16)[8][8], 0x00);
  const RECT region = {8, 8, 9, 9};
  ASSERT_EQ(src->AddDirtyRect(&region), D3D_OK);
  ASSERT_EQ(device_->UpdateTexture(src.Get(), dst.Get()), D3D_OK);
  rows = Read(d.Get(), 16, 16);
  EXPECT_EQ(rows[8][8], 0x22);
  EXPECT_EQ(rows[9][9], 0x00) << "only the dirty rectangle was copied";
  const RECT outside = {8, 8, 17, 9};
  EXPECT_EQ(src->AddDirtyRect(&outside), D3DERR_INVALIDCALL);
}

TEST_F(RuntimeTest, UpdateTextureOfCubesVolumesAndAutomaticMipmaps) {
  ComPtr<IDirect3DCubeTexture9> srcCube, dstCube;
  ASSERT_EQ(device_->CreateCubeTexture(4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                       srcCube.GetAddressOf(), nullptr),
            D3D_OK);
  ASSERT_EQ(device_->CreateCubeTexture(4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                       dstCube.GetAddressOf(), nullptr),
            D3D_OK);
  for (DWORD face = 0; face < 6; ++face) {
    ComPtr<IDirect3DSurface9> f;
    ASSERT_EQ(srcCube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), 0,
                                         f.GetAddressOf()),
              D3D_OK);
    Fill(f.Get(), static_cast<BYTE>(40 * face), 4, 16);
  }
  ASSERT_EQ(device_->UpdateTexture(srcCube.Get(), dstCube.Get()), D3D_OK);
  for (DWORD face = 0; face < 6; ++face) {
    ComPtr<IDirect3DSurface9> f;
    ASSERT_EQ(dstCube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), 0,
                                         f.GetAddressOf()),
              D3D_OK);
    EXPECT_EQ(Read(f.Get(), 4, 16)[3][15], Expected(static_cast<BYTE>(40 * face), 3, 15)) << face;
  }

  ComPtr<IDirect3DVolumeTexture9> srcVolume, dstVolume;
  ASSERT_EQ(device_->CreateVolumeTexture(4, 4, 2, 1, 0, D3DFMT_L8, D3DPOOL_SYSTEMMEM,
                                         srcVolume.GetAddressOf(), nullptr),
            D3D_OK);
  ASSERT_EQ(device_->CreateVolumeTexture(4, 4, 2, 1, D3DUSAGE_DYNAMIC, D3DFMT_L8, D3DPOOL_DEFAULT,
                                         dstVolume.GetAddressOf(), nullptr),
            D3D_OK);
  D3DLOCKED_BOX box;
  ASSERT_EQ(srcVolume->LockBox(0, &box, nullptr, 0), D3D_OK);
  static_cast<BYTE*>(box.pBits)[box.SlicePitch + 3 * box.RowPitch + 3] = 0x5a;
  ASSERT_EQ(srcVolume->UnlockBox(0), D3D_OK);
  ASSERT_EQ(device_->UpdateTexture(srcVolume.Get(), dstVolume.Get()), D3D_OK);
  ASSERT_EQ(dstVolume->LockBox(0, &box, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<const BYTE*>(box.pBits)[box.SlicePitch + 3 * box.RowPitch + 3], 0x5a);
  ASSERT_EQ(dstVolume->UnlockBox(0), D3D_OK);

  // The staging pattern of texture loading: a full chain in system memory into a texture
  // that makes its own mipmaps.
  ComPtr<IDirect3DTexture9> staging = MakeTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM);
  ComPtr<IDirect3DTexture9> autoGen = MakeTexture(8, 8, 0, D3DUSAGE_AUTOGENMIPMAP,
                                                  D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  EXPECT_EQ(device_->UpdateTexture(staging.Get(), autoGen.Get()), D3D_OK);
}

TEST_F(RuntimeTest, GetRenderTargetDataReadsWholeTargets) {
  ComPtr<IDirect3DSurface9> rt, copy, small;
  ASSERT_EQ(device_->CreateRenderTarget(4, 4, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE,
                                        rt.GetAddressOf(), nullptr),
            D3D_OK);
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                 copy.GetAddressOf(), nullptr),
            D3D_OK);
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(2, 2, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                 small.GetAddressOf(), nullptr),
            D3D_OK);
  const RECT corner = {2, 2, 4, 4};
  ASSERT_EQ(device_->ColorFill(rt.Get(), nullptr, 0x80402010), D3D_OK);
  ASSERT_EQ(device_->ColorFill(rt.Get(), &corner, 0xff00ff00), D3D_OK);
  ASSERT_EQ(device_->GetRenderTargetData(rt.Get(), copy.Get()), D3D_OK);
  D3DLOCKED_RECT r;
  ASSERT_EQ(copy->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
  const DWORD* row0 = static_cast<const DWORD*>(r.pBits);
  const DWORD* row3 = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(r.pBits) + 3 * r.Pitch);
  EXPECT_EQ(row0[0], 0x80402010u);
  EXPECT_EQ(row3[1], 0x80402010u);
  EXPECT_EQ(row3[3], 0xff00ff00u);
  ASSERT_EQ(copy->UnlockRect(), D3D_OK);
  EXPECT_EQ(device_->GetRenderTargetData(rt.Get(), small.Get()), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->GetRenderTargetData(copy.Get(), rt.Get()), D3DERR_INVALIDCALL);
  ComPtr<IDirect3DSurface9> back;
  ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, back.GetAddressOf()), D3D_OK);
  EXPECT_EQ(device_->GetRenderTargetData(back.Get(), copy.Get()), D3DERR_INVALIDCALL) << "64x48";
}

TEST_F(RuntimeTest, StretchRectResamples) {
  ComPtr<IDirect3DSurface9> src, point, linear;
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(2, 2, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                                 src.GetAddressOf(), nullptr),
            D3D_OK);
  for (auto* out : {point.GetAddressOf(), linear.GetAddressOf()}) {
    ASSERT_EQ(device_->CreateRenderTarget(4, 4, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                          out, nullptr),
              D3D_OK);
  }
  D3DLOCKED_RECT r;
  ASSERT_EQ(src->LockRect(&r, nullptr, 0), D3D_OK);
  DWORD* texels = static_cast<DWORD*>(r.pBits);
  texels[0] = 0xff000000;
  texels[1] = 0xff0000ff;
  DWORD* second = reinterpret_cast<DWORD*>(static_cast<BYTE*>(r.pBits) + r.Pitch);
  second[0] = 0xff000000;
  second[1] = 0xff0000ff;
  ASSERT_EQ(src->UnlockRect(), D3D_OK);

  ASSERT_EQ(device_->StretchRect(src.Get(), nullptr, point.Get(), nullptr, D3DTEXF_POINT), D3D_OK);
  ASSERT_EQ(device_->StretchRect(src.Get(), nullptr, linear.Get(), nullptr, D3DTEXF_LINEAR),
            D3D_OK);
  // Texel centres: destination texel i samples source x = (i + 0.5) / 2 - 0.5, clamped.
  const DWORD wantPoint[4] = {0xff000000, 0xff000000, 0xff0000ff, 0xff0000ff};
  const DWORD wantLinear[4] = {0xff000000, 0xff000040, 0xff0000bf, 0xff0000ff};
  for (auto [surface, want] : {std::pair{point.Get(), wantPoint}, std::pair{linear.Get(), wantLinear}}) {
    ASSERT_EQ(surface->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (UINT y = 0; y < 4; ++y) {
      const DWORD* row = reinterpret_cast<const DWORD*>(static_cast<const BYTE*>(r.pBits) + y * r.Pitch);
      for (UINT x = 0; x < 4; ++x) EXPECT_EQ(row[x], want[x]) << x << "," << y;
    }
    ASSERT_EQ(surface->UnlockRect(), D3D_OK);
  }

  // A part onto a part, same size: a plain copy.
  const RECT from = {1, 0, 2, 2};
  const RECT to = {3, 2, 4, 4};
  ASSERT_EQ(device_->StretchRect(src.Get(), &from, point.Get(), &to, D3DTEXF_NONE), D3D_OK);
}

TEST_F(RuntimeTest, StretchRectRules) {
  auto target = [&](D3DFORMAT format) {
    ComPtr<IDirect3DSurface9> s;
    EXPECT_EQ(device_->CreateRenderTarget(8, 8, format, D3DMULTISAMPLE_NONE, 0, TRUE,
                                          s.GetAddressOf(), nullptr),
              D3D_OK);
    return s;
  };
  auto plain = [&](UINT size) {
    ComPtr<IDirect3DSurface9> s;
    EXPECT_EQ(device_->CreateOffscreenPlainSurface(size, size, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                                   s.GetAddressOf(), nullptr),
              D3D_OK);
    return s;
  };
  ComPtr<IDirect3DSurface9> rt = target(D3DFMT_A8R8G8B8), rt2 = target(D3DFMT_A8R8G8B8);
  ComPtr<IDirect3DSurface9> xrgb = target(D3DFMT_X8R8G8B8);
  ComPtr<IDirect3DSurface9> plain8 = plain(8), plain8b = plain(8), plain4 = plain(4);
  ComPtr<IDirect3DTexture9> tex = MakeTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  ComPtr<IDirect3DTexture9> rtTex = MakeTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                                D3DPOOL_DEFAULT);
  ComPtr<IDirect3DTexture9> managed = MakeTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  ComPtr<IDirect3DTexture9> dxt = MakeTexture(8, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_DXT1,
                                              D3DPOOL_DEFAULT);
  ComPtr<IDirect3DSurface9> texLevel = Level(tex.Get(), 0), rtLevel = Level(rtTex.Get(), 0);
  ComPtr<IDirect3DSurface9> managedLevel = Level(managed.Get(), 0), dxtLevel = Level(dxt.Get(), 0);
  ComPtr<IDirect3DSurface9> depth;
  ASSERT_EQ(device_->GetDepthStencilSurface(depth.GetAddressOf()), D3D_OK);

  struct Case {
    const char* what;
    IDirect3DSurface9* src;
    IDirect3DSurface9* dst;
    D3DTEXTUREFILTERTYPE filter;
    HRESULT expected;
  };
  const Case cases[] = {
      {"target to target", rt.Get(), rt2.Get(), D3DTEXF_NONE, D3D_OK},
      {"target to render-target texture", rt.Get(), rtLevel.Get(), D3DTEXF_LINEAR, D3D_OK},
      {"texture to target", texLevel.Get(), rt.Get(), D3DTEXF_POINT, D3D_OK},
      {"plain to target, stretched", plain4.Get(), rt.Get(), D3DTEXF_LINEAR, D3D_OK},
      {"plain to plain", plain8.Get(), plain8b.Get(), D3DTEXF_NONE, D3D_OK},
      {"plain to plain, stretched", plain4.Get(), plain8.Get(), D3DTEXF_NONE, D3DERR_INVALIDCALL},
      {"target to plain", rt.Get(), plain8.Get(), D3DTEXF_NONE, D3DERR_INVALIDCALL},
      {"to a texture", rt.Get(), texLevel.Get(), D3DTEXF_NONE, D3DERR_INVALIDCALL},
      {"onto itself", rt.Get(), rt.Get(), D3DTEXF_NONE, D3DERR_INVALIDCALL},
      {"formats differ", rt.Get(), xrgb.Get(), D3DTEXF_NONE, D3DERR_INVALIDCALL},
      {"managed source", managedLevel.Get(), rt.Get(), D3DTEXF_NONE, D3DERR_INVALIDCALL},
      {"compressed", dxtLevel.Get(), dxtLevel.Get(), D3DTEXF_NONE, D3DERR_INVALIDCALL},
      {"anisotropic", rt.Get(), rt2.Get(), D3DTEXF_ANISOTROPIC, D3DERR_INVALIDCALL},
      {"colour to depth", rt.Get(), depth.Get(), D3DTEXF_NONE, D3DERR_INVALIDCALL},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(device_->StretchRect(c.src, nullptr, c.dst, nullptr, c.filter), c.expected) << c.what;
  }
  const RECT outside = {0, 0, 9, 8};
  EXPECT_EQ(device_->StretchRect(rt.Get(), &outside, rt2.Get(), nullptr, D3DTEXF_NONE),
            D3DERR_INVALIDCALL);

  D3DCAPS9 caps = d3d9rt::DefaultCaps();
  caps.DevCaps2 &= ~D3DDEVCAPS2_CAN_STRETCHRECT_FROM_TEXTURES;
  d3d9rt::SetCaps(caps);
  EXPECT_EQ(device_->StretchRect(texLevel.Get(), nullptr, rt.Get(), nullptr, D3DTEXF_NONE),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->StretchRect(rtLevel.Get(), nullptr, rt.Get(), nullptr, D3DTEXF_NONE), D3D_OK);
}

TEST_F(RuntimeTest, ColorFillPacksTheColour) {
  struct Case {
    D3DFORMAT format;
    D3DCOLOR color;
    std::vector<BYTE> pixel;
  };
  const Case cases[] = {
      {D3DFMT_A8R8G8B8, 0x80102030, {0x30, 0x20, 0x10, 0x80}},
      {D3DFMT_X8R8G8B8, 0x80102030, {0x30, 0x20, 0x10, 0x00}},
      {D3DFMT_R5G6B5, 0xff102030, {0x06, 0x11}},  // (2 << 11) | (8 << 5) | 6, top bits kept
      {D3DFMT_A1R5G5B5, 0x80ffffff, {0xff, 0xff}},
      {D3DFMT_A1R5G5B5, 0x7fffffff, {0xff, 0x7f}},
      {D3DFMT_A4R4G4B4, 0xf0a05010, {0x51, 0xfa}},
      {D3DFMT_A2R10G10B10, 0xffff0000, {0x00, 0x00, 0xf0, 0xff}},
      {D3DFMT_R16F, 0xffff0000, {0x00, 0x3c}},  // 1.0 in half precision
      {D3DFMT_A32B32G32R32F, 0x00000000, std::vector<BYTE>(16, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "format " << c.format);
    ComPtr<IDirect3DSurface9> s;
    ASSERT_EQ(device_->CreateOffscreenPlainSurface(2, 2, c.format, D3DPOOL_DEFAULT,
                                                   s.GetAddressOf(), nullptr),
              D3D_OK);
    const RECT one = {1, 1, 2, 2};
    ASSERT_EQ(device_->ColorFill(s.Get(), &one, c.color), D3D_OK);
    D3DLOCKED_RECT r;
    ASSERT_EQ(s->LockRect(&r, nullptr, D3DLOCK_READONLY), D3D_OK);
    const BYTE* filled = static_cast<const BYTE*>(r.pBits) + r.Pitch + c.pixel.size();
    EXPECT_EQ(std::vector<BYTE>(filled, filled + c.pixel.size()), c.pixel);
    const BYTE* untouched = static_cast<const BYTE*>(r.pBits);
    EXPECT_EQ(std::vector<BYTE>(untouched, untouched + c.pixel.size()),
              std::vector<BYTE>(c.pixel.size(), 0));
    ASSERT_EQ(s->UnlockRect(), D3D_OK);
  }

  ComPtr<IDirect3DTexture9> tex = MakeTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
  EXPECT_EQ(device_->ColorFill(Level(tex.Get(), 0).Get(), nullptr, 0), D3DERR_INVALIDCALL);
  ComPtr<IDirect3DSurface9> sys, lum;
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                                 sys.GetAddressOf(), nullptr),
            D3D_OK);
  EXPECT_EQ(device_->ColorFill(sys.Get(), nullptr, 0), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->CreateOffscreenPlainSurface(4, 4, D3DFMT_L8, D3DPOOL_DEFAULT,
                                                 lum.GetAddressOf(), nullptr),
            D3D_OK);
  EXPECT_EQ(device_->ColorFill(lum.Get(), nullptr, 0), D3DERR_INVALIDCALL);
}

}  // namespace
