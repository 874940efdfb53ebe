// Texture creation: the runtime's rules on sizes, levels, usage, pools, caps and formats.
#include "d3d9/runtime/texture.h"

#include <cstring>

#include "runtime_fixture.h"

namespace {

using d3d9rt_test::RuntimeTest;

struct CreateCase {
  const char* what;
  D3DRESOURCETYPE type;
  UINT width, height, depth, levels;
  DWORD usage;
  D3DFORMAT format;
  D3DPOOL pool;
  HRESULT expected;
  UINT expectedLevels;  // when created
};

constexpr D3DRESOURCETYPE T2 = D3DRTYPE_TEXTURE;
constexpr D3DRESOURCETYPE TC = D3DRTYPE_CUBETEXTURE;
constexpr D3DRESOURCETYPE TV = D3DRTYPE_VOLUMETEXTURE;
constexpr D3DFORMAT ARGB = D3DFMT_A8R8G8B8;
constexpr HRESULT OK = D3D_OK;
constexpr HRESULT BAD = D3DERR_INVALIDCALL;

const CreateCase kCases[] = {
    {"full chain of 256x256", T2, 256, 256, 1, 0, 0, ARGB, D3DPOOL_MANAGED, OK, 9},
    {"full chain of 256x32", T2, 256, 32, 1, 0, 0, ARGB, D3DPOOL_MANAGED, OK, 9},
    {"three levels", T2, 64, 64, 1, 3, 0, ARGB, D3DPOOL_SYSTEMMEM, OK, 3},
    {"more levels than the chain", T2, 64, 64, 1, 8, 0, ARGB, D3DPOOL_MANAGED, BAD, 0},
    {"non-power-of-two, one level", T2, 100, 60, 1, 1, 0, ARGB, D3DPOOL_MANAGED, OK, 1},
    {"non-power-of-two, full chain", T2, 100, 60, 1, 0, 0, ARGB, D3DPOOL_MANAGED, BAD, 0},
    {"non-power-of-two, two levels", T2, 100, 60, 1, 2, 0, ARGB, D3DPOOL_DEFAULT, BAD, 0},
    {"scratch ignores the caps", T2, 100, 60, 1, 0, 0, ARGB, D3DPOOL_SCRATCH, OK, 7},
    {"scratch beyond the largest size", T2, 8192, 1, 1, 1, 0, D3DFMT_L8, D3DPOOL_SCRATCH, OK, 1},
    {"largest size", T2, 4096, 1, 1, 1, 0, D3DFMT_L8, D3DPOOL_MANAGED, OK, 1},
    {"beyond the largest size", T2, 4097, 1, 1, 1, 0, D3DFMT_L8, D3DPOOL_MANAGED, BAD, 0},
    {"zero width", T2, 0, 4, 1, 1, 0, ARGB, D3DPOOL_MANAGED, BAD, 0},
    {"DXT1 12x12 in scratch, two levels", T2, 12, 12, 1, 2, 0, D3DFMT_DXT1, D3DPOOL_SCRATCH, OK, 2},
    {"DXT1 8x8 down to 1x1", T2, 8, 8, 1, 0, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, OK, 4},
    {"DXT1 not a multiple of 4", T2, 6, 6, 1, 1, 0, D3DFMT_DXT1, D3DPOOL_SYSTEMMEM, BAD, 0},
    {"DXT5 1x1 in scratch", T2, 1, 1, 1, 1, 0, D3DFMT_DXT5, D3DPOOL_SCRATCH, OK, 1},
    {"DXT3 non-power-of-two, one level", T2, 12, 12, 1, 1, 0, D3DFMT_DXT3, D3DPOOL_MANAGED, BAD, 0},
    {"render target", T2, 64, 32, 1, 1, D3DUSAGE_RENDERTARGET, ARGB, D3DPOOL_DEFAULT, OK, 1},
    {"managed render target", T2, 64, 32, 1, 1, D3DUSAGE_RENDERTARGET, ARGB, D3DPOOL_MANAGED, BAD, 0},
    {"luminance render target", T2, 64, 32, 1, 1, D3DUSAGE_RENDERTARGET, D3DFMT_L8,
     D3DPOOL_DEFAULT, BAD, 0},
    {"dynamic default", T2, 16, 16, 0, 0, D3DUSAGE_DYNAMIC, ARGB, D3DPOOL_DEFAULT, OK, 5},
    {"dynamic managed", T2, 16, 16, 1, 0, D3DUSAGE_DYNAMIC, ARGB, D3DPOOL_MANAGED, BAD, 0},
    {"dynamic system memory", T2, 16, 16, 1, 1, D3DUSAGE_DYNAMIC, ARGB, D3DPOOL_SYSTEMMEM, OK, 1},
    {"write-only usage", T2, 16, 16, 1, 1, D3DUSAGE_WRITEONLY, ARGB, D3DPOOL_MANAGED, BAD, 0},
    {"query usage", T2, 16, 16, 1, 1, D3DUSAGE_QUERY_FILTER, ARGB, D3DPOOL_MANAGED, BAD, 0},
    {"automatic mipmaps", T2, 16, 16, 1, 0, D3DUSAGE_AUTOGENMIPMAP, ARGB, D3DPOOL_MANAGED, OK, 1},
    {"automatic mipmaps, one level", T2, 16, 16, 1, 1, D3DUSAGE_AUTOGENMIPMAP, ARGB,
     D3DPOOL_DEFAULT, OK, 1},
    {"automatic mipmaps, two levels", T2, 16, 16, 1, 2, D3DUSAGE_AUTOGENMIPMAP, ARGB,
     D3DPOOL_MANAGED, BAD, 0},
    {"automatic mipmaps in system memory", T2, 16, 16, 1, 0, D3DUSAGE_AUTOGENMIPMAP, ARGB,
     D3DPOOL_SYSTEMMEM, BAD, 0},
    {"automatic mipmaps without filtering", T2, 16, 16, 1, 0, D3DUSAGE_AUTOGENMIPMAP, D3DFMT_L8,
     D3DPOOL_MANAGED, OK, 1},
    {"invalid pool", T2, 16, 16, 1, 1, 0, ARGB, static_cast<D3DPOOL>(4), BAD, 0},
    {"unsupported R8G8B8", T2, 16, 16, 1, 1, 0, D3DFMT_R8G8B8, D3DPOOL_MANAGED, BAD, 0},
    {"R8G8B8 in scratch", T2, 16, 16, 1, 1, 0, D3DFMT_R8G8B8, D3DPOOL_SCRATCH, OK, 1},
    {"P8 in scratch", T2, 16, 16, 1, 0, 0, D3DFMT_P8, D3DPOOL_SCRATCH, OK, 5},
    {"D24S8 in scratch", T2, 16, 16, 1, 1, 0, D3DFMT_D24S8, D3DPOOL_SCRATCH, OK, 1},
    {"YUY2 in scratch", T2, 6, 3, 1, 1, 0, D3DFMT_YUY2, D3DPOOL_SCRATCH, OK, 1},
    {"format of unknown size", T2, 16, 16, 1, 1, 0, static_cast<D3DFORMAT>(0x36314C41),
     D3DPOOL_SCRATCH, BAD, 0},
    {"cube", TC, 64, 64, 1, 0, 0, ARGB, D3DPOOL_MANAGED, OK, 7},
    {"non-power-of-two cube", TC, 48, 48, 1, 1, 0, ARGB, D3DPOOL_MANAGED, BAD, 0},
    {"non-power-of-two cube in scratch", TC, 48, 48, 1, 1, 0, ARGB, D3DPOOL_SCRATCH, OK, 1},
    {"DXT1 cube", TC, 16, 16, 1, 0, 0, D3DFMT_DXT1, D3DPOOL_SYSTEMMEM, OK, 5},
    {"volume", TV, 16, 8, 4, 0, 0, ARGB, D3DPOOL_MANAGED, OK, 5},
    {"volume beyond the largest extent", TV, 1024, 4, 4, 1, 0, D3DFMT_L8, D3DPOOL_MANAGED, BAD, 0},
    {"non-power-of-two volume", TV, 6, 4, 4, 1, 0, ARGB, D3DPOOL_MANAGED, BAD, 0},
    {"volume render target", TV, 8, 8, 8, 1, D3DUSAGE_RENDERTARGET, ARGB, D3DPOOL_DEFAULT, BAD, 0},
    {"DXT5 volume", TV, 8, 8, 8, 0, 0, D3DFMT_DXT5, D3DPOOL_MANAGED, OK, 4},
    {"zero depth", TV, 8, 8, 0, 1, 0, ARGB, D3DPOOL_MANAGED, BAD, 0},
};

TEST_F(RuntimeTest, CreationRulesTable) {
  for (const CreateCase& c : kCases) {
    SCOPED_TRACE(c.what);
    const long live = d3d9rt::LiveObjectCount();
    ComPtr<IDirect3DBaseTexture9> texture;
    HRESULT hr = E_FAIL;
    switch (c.type) {
      case D3DRTYPE_TEXTURE: {
        IDirect3DTexture9* t = nullptr;
        hr = device_->CreateTexture(c.width, c.height, c.levels, c.usage, c.format, c.pool, &t,
                                    nullptr);
        texture.Attach(t);
        break;
      }
      case D3DRTYPE_CUBETEXTURE: {
        IDirect3DCubeTexture9* t = nullptr;
        hr = device_->CreateCubeTexture(c.width, c.levels, c.usage, c.format, c.pool, &t,
                                        nullptr);
        texture.Attach(t);
        break;
      }
      default: {
        IDirect3DVolumeTexture9* t = nullptr;
        hr = device_->CreateVolumeTexture(c.width, c.height, c.depth, c.levels, c.usage,
                                          c.format, c.pool, &t, nullptr);
        texture.Attach(t);
        break;
      }
    }
    EXPECT_EQ(hr, c.expected);
    if (FAILED(hr)) {
      EXPECT_EQ(texture, nullptr);
      EXPECT_EQ(d3d9rt::LiveObjectCount(), live);
      continue;
    }
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->GetType(), c.type);
    EXPECT_EQ(texture->GetLevelCount(), c.expectedLevels);
  }
}

TEST_F(RuntimeTest, LevelDescriptionsHalveEachLevel) {
  ComPtr<IDirect3DTexture9> t = MakeTexture(16, 4, 0, D3DUSAGE_DYNAMIC, D3DFMT_R5G6B5,
                                            D3DPOOL_DEFAULT);
  ASSERT_EQ(t->GetLevelCount(), 5u);
  const UINT widths[] = {16, 8, 4, 2, 1};
  const UINT heights[] = {4, 2, 1, 1, 1};
  for (UINT level = 0; level < 5; ++level) {
    D3DSURFACE_DESC desc;
    ASSERT_EQ(t->GetLevelDesc(level, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, widths[level]) << level;
    EXPECT_EQ(desc.Height, heights[level]) << level;
    EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
    EXPECT_EQ(desc.Type, D3DRTYPE_SURFACE);
    EXPECT_EQ(desc.Usage, D3DUSAGE_DYNAMIC);
    EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
    EXPECT_EQ(desc.MultiSampleType, D3DMULTISAMPLE_NONE);
    D3DSURFACE_DESC fromSurface;
    ASSERT_EQ(Level(t.Get(), level)->GetDesc(&fromSurface), D3D_OK);
    EXPECT_EQ(std::memcmp(&desc, &fromSurface, sizeof(desc)), 0) << level;
  }
  D3DSURFACE_DESC desc;
  EXPECT_EQ(t->GetLevelDesc(5, &desc), D3DERR_INVALIDCALL);
  ComPtr<IDirect3DSurface9> none;
  EXPECT_EQ(t->GetSurfaceLevel(5, none.GetAddressOf()), D3DERR_INVALIDCALL);
  EXPECT_EQ(none, nullptr);
}

TEST_F(RuntimeTest, VolumeAndCubeLevelDescriptions) {
  ComPtr<IDirect3DVolumeTexture9> v;
  ASSERT_EQ(device_->CreateVolumeTexture(8, 4, 2, 0, 0, D3DFMT_A8L8, D3DPOOL_SYSTEMMEM,
                                         v.GetAddressOf(), nullptr),
            D3D_OK);
  ASSERT_EQ(v->GetLevelCount(), 4u);
  const UINT sizes[4][3] = {{8, 4, 2}, {4, 2, 1}, {2, 1, 1}, {1, 1, 1}};
  for (UINT level = 0; level < 4; ++level) {
    D3DVOLUME_DESC desc;
    ASSERT_EQ(v->GetLevelDesc(level, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, sizes[level][0]);
    EXPECT_EQ(desc.Height, sizes[level][1]);
    EXPECT_EQ(desc.Depth, sizes[level][2]);
    EXPECT_EQ(desc.Type, D3DRTYPE_VOLUME);
    EXPECT_EQ(desc.Format, D3DFMT_A8L8);
    EXPECT_EQ(desc.Pool, D3DPOOL_SYSTEMMEM);
  }

  ComPtr<IDirect3DCubeTexture9> c;
  ASSERT_EQ(device_->CreateCubeTexture(8, 0, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, c.GetAddressOf(),
                                       nullptr),
            D3D_OK);
  ComPtr<IDirect3DSurface9> face;
  ASSERT_EQ(c->GetCubeMapSurface(D3DCUBEMAP_FACE_NEGATIVE_Z, 3, face.GetAddressOf()), D3D_OK);
  D3DSURFACE_DESC desc;
  ASSERT_EQ(face->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Width, 1u);
  EXPECT_EQ(desc.Format, D3DFMT_DXT1);
  EXPECT_EQ(c->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(6), 0,
                                 face.ReleaseAndGetAddressOf()),
            D3DERR_INVALIDCALL);
}

TEST_F(RuntimeTest, CreationArgumentsThatCanNeverWork) {
  IDirect3DTexture9* t = nullptr;
  HANDLE shared = nullptr;
  EXPECT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &t, &shared),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(t, nullptr);
  IDirect3DVertexBuffer9* vb = nullptr;
  EXPECT_EQ(device_->CreateVertexBuffer(0, 0, 0, D3DPOOL_DEFAULT, &vb, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateVertexBuffer(8, 0, D3DFVF_XYZ, D3DPOOL_DEFAULT, &vb, nullptr),
            D3DERR_INVALIDCALL);  // shorter than one vertex
  EXPECT_EQ(device_->CreateVertexBuffer(80, 0, 0, D3DPOOL_SCRATCH, &vb, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(vb, nullptr);
}

TEST_F(RuntimeTest, InjectedCreationFailuresCountTheirCalls) {
  const long live = d3d9rt::LiveObjectCount();
  d3d9rt::InjectFailure(d3d9rt::kCreateTexture, 2, D3DERR_OUTOFVIDEOMEMORY);
  ComPtr<IDirect3DTexture9> first, second, third;
  EXPECT_EQ(device_->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                   first.GetAddressOf(), nullptr),
            D3D_OK);
  IDirect3DTexture9* untouched = reinterpret_cast<IDirect3DTexture9*>(0x1234);
  EXPECT_EQ(device_->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &untouched,
                                   nullptr),
            D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(untouched, reinterpret_cast<IDirect3DTexture9*>(0x1234));
  EXPECT_EQ(device_->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                   third.GetAddressOf(), nullptr),
            D3D_OK);
  first.Reset();
  third.Reset();
  EXPECT_EQ(d3d9rt::LiveObjectCount(), live);

  // Every creation of any kind, until cleared; other calls are not affected.
  d3d9rt::InjectFailure(d3d9rt::kAnyCreation, 0, E_OUTOFMEMORY);
  ComPtr<IDirect3DVertexBuffer9> vb;
  ComPtr<IDirect3DSurface9> rt;
  EXPECT_EQ(device_->CreateVertexBuffer(80, 0, 0, D3DPOOL_DEFAULT, vb.GetAddressOf(), nullptr),
            E_OUTOFMEMORY);
  EXPECT_EQ(device_->CreateRenderTarget(8, 8, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                        rt.GetAddressOf(), nullptr),
            E_OUTOFMEMORY);
  EXPECT_EQ(device_->CreateTexture(8, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                   second.GetAddressOf(), nullptr),
            E_OUTOFMEMORY);
  EXPECT_EQ(device_->TestCooperativeLevel(), D3D_OK);
  d3d9rt::ClearInjectedFailures();
  EXPECT_EQ(device_->CreateVertexBuffer(80, 0, 0, D3DPOOL_DEFAULT, vb.GetAddressOf(), nullptr),
            D3D_OK);
  EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kCreateTexture), 4u);
  EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kCreateVertexBuffer), 2u);
}

TEST_F(RuntimeTest, AutomaticMipmapsRefilterHiddenLevels) {
  ComPtr<IDirect3DTexture9> t = MakeTexture(4, 2, 0, D3DUSAGE_AUTOGENMIPMAP, D3DFMT_A8R8G8B8,
                                            D3DPOOL_MANAGED);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->GetLevelCount(), 1u);
  ComPtr<IDirect3DSurface9> hidden;
  EXPECT_EQ(t->GetSurfaceLevel(1, hidden.GetAddressOf()), D3DERR_INVALIDCALL);
  EXPECT_EQ(t->GetAutoGenFilterType(), D3DTEXF_LINEAR);
  EXPECT_EQ(t->SetAutoGenFilterType(D3DTEXF_NONE), D3DERR_INVALIDCALL);

  D3DLOCKED_RECT r;
  ASSERT_EQ(t->LockRect(0, &r, nullptr, 0), D3D_OK);
  const DWORD top[2][4] = {{0xff000000, 0xff0000ff, 0x80ff0000, 0x00ff0000},
                           {0xff000001, 0xff0000ff, 0x80ff0000, 0x00000000}};
  for (int y = 0; y < 2; ++y) {
    std::memcpy(static_cast<BYTE*>(r.pBits) + y * r.Pitch, top[y], sizeof(top[y]));
  }
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  auto* texture = dynamic_cast<d3d9rt::Texture*>(t.Get());
  ASSERT_NE(texture, nullptr);
  EXPECT_TRUE(texture->SubLevelsStale());
  t->GenerateMipSubLevels();
  EXPECT_FALSE(texture->SubLevelsStale());
  const DWORD* level1 = reinterpret_cast<const DWORD*>(texture->LevelSurface(1)->Plane().Bits());
  // Each byte is (sum of four + 2) / 4: blue (0 + 0xff + 1 + 0xff + 2) / 4 is 0x80, where
  // truncation would give 0x7f.
  EXPECT_EQ(level1[0], 0xff000080u);
  EXPECT_EQ(level1[1], 0x40bf0000u);
  const DWORD* level2 = reinterpret_cast<const DWORD*>(texture->LevelSurface(2)->Plane().Bits());
  EXPECT_EQ(level2[0], 0xa0600040u);  // a 2x1 level: each texel counts twice

  ASSERT_EQ(t->SetAutoGenFilterType(D3DTEXF_POINT), D3D_OK);
  t->GenerateMipSubLevels();
  EXPECT_EQ(level1[0], 0xff000000u);
  EXPECT_EQ(level1[1], 0x80ff0000u);

  // A format the runtime can't filter keeps one level and nothing hidden.
  ComPtr<IDirect3DTexture9> l8 = MakeTexture(4, 4, 0, D3DUSAGE_AUTOGENMIPMAP, D3DFMT_L8,
                                             D3DPOOL_MANAGED);
  auto* plain = dynamic_cast<d3d9rt::Texture*>(l8.Get());
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->Shape().storedLevels, 1u);
}

}  // namespace
