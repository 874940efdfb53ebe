#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "d3d9/runtime/runtime_config.h"
#include "runtime_device.h"
#include "ut_texture.h"

namespace {

class TextureCreationTest : public RuntimeDeviceTest {};

// The size, level count, format, pool and usage a texture was really created with.
struct Created {
  UINT width = 0, height = 0, depth = 1, levels = 0;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  D3DPOOL pool = D3DPOOL_FORCE_DWORD;
  DWORD usage = 0;
};

Created Describe(IDirect3DTexture9* texture) {
  D3DSURFACE_DESC desc = {};
  EXPECT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
  return {desc.Width, desc.Height, 1, texture->GetLevelCount(), desc.Format, desc.Pool, desc.Usage};
}

Created Describe(IDirect3DCubeTexture9* texture) {
  D3DSURFACE_DESC desc = {};
  EXPECT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
  return {desc.Width, desc.Height, 1, texture->GetLevelCount(), desc.Format, desc.Pool, desc.Usage};
}

Created Describe(IDirect3DVolumeTexture9* texture) {
  D3DVOLUME_DESC desc = {};
  EXPECT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
  return {desc.Width, desc.Height, desc.Depth, texture->GetLevelCount(), desc.Format, desc.Pool,
          desc.Usage};
}

void ExpectCreated(const Created& got, const Created& expected) {
  EXPECT_EQ(got.width, expected.width);
  EXPECT_EQ(got.height, expected.height);
  EXPECT_EQ(got.depth, expected.depth);
  EXPECT_EQ(got.levels, expected.levels);
  EXPECT_EQ(got.format, expected.format);
  EXPECT_EQ(got.pool, expected.pool);
  EXPECT_EQ(got.usage, expected.usage);
}

TEST_F(TextureCreationTest, TextureHasTheNegotiatedValues) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(UtCreateTexture(device(), 100, 60, UT_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                            &texture),
            S_OK);
  ASSERT_NE(texture, nullptr);
  ExpectCreated(Describe(texture), {128, 64, 1, 8, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, 0});
  // The caller owns the one reference there is.
  texture->AddRef();
  EXPECT_EQ(texture->Release(), 1u);
  EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(TextureCreationTest, CubeTextureHasTheNegotiatedValues) {
  IDirect3DCubeTexture9* texture = nullptr;
  // The default adapter has no R8G8B8 textures.
  ASSERT_EQ(UtCreateCubeTexture(device(), 100, 0, 0, D3DFMT_R8G8B8, D3DPOOL_MANAGED, &texture),
            S_OK);
  ASSERT_NE(texture, nullptr);
  ExpectCreated(Describe(texture), {128, 128, 1, 8, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, 0});
  EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(TextureCreationTest, VolumeTextureHasTheNegotiatedValues) {
  IDirect3DVolumeTexture9* texture = nullptr;
  ASSERT_EQ(UtCreateVolumeTexture(device(), 100, 60, 20, UT_DEFAULT, UT_DEFAULT, D3DFMT_A8R8G8B8,
                                  D3DPOOL_SYSTEMMEM, &texture),
            S_OK);
  ASSERT_NE(texture, nullptr);
  ExpectCreated(Describe(texture), {128, 64, 32, 8, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, 0});
  EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(TextureCreationTest, ScratchTexturesTakeFormatsTheDeviceLacks) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(UtCreateTexture(device(), 5, 3, 1, 0, D3DFMT_DXT1, D3DPOOL_SCRATCH, &texture), S_OK);
  ExpectCreated(Describe(texture), {8, 4, 1, 1, D3DFMT_DXT1, D3DPOOL_SCRATCH, 0});
  EXPECT_EQ(texture->Release(), 0u);
  ASSERT_EQ(UtCreateTexture(device(), 16, 16, 0, 0, D3DFMT_R8G8B8, D3DPOOL_SCRATCH, &texture),
            S_OK);
  ExpectCreated(Describe(texture), {16, 16, 1, 5, D3DFMT_R8G8B8, D3DPOOL_SCRATCH, 0});
  EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(TextureCreationTest, QueryBitsAreNotPassedToTheDevice) {
  constexpr DWORD kQueries = D3DUSAGE_QUERY_LEGACYBUMPMAP | D3DUSAGE_QUERY_SRGBREAD |
                             D3DUSAGE_QUERY_FILTER | D3DUSAGE_QUERY_SRGBWRITE |
                             D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING |
                             D3DUSAGE_QUERY_VERTEXTEXTURE;
  // Every format for every use, so the queries themselves don't narrow the choice.
  d3d9rt::SetFormatRule(d3d9rt::EveryFormatExcept({}));
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(UtCreateTexture(device(), 32, 32, 1, D3DUSAGE_DYNAMIC | kQueries, D3DFMT_A8R8G8B8,
                            D3DPOOL_DEFAULT, &texture),
            S_OK);
  EXPECT_EQ(Describe(texture).usage, static_cast<DWORD>(D3DUSAGE_DYNAMIC));
  EXPECT_EQ(texture->Release(), 0u);

  IDirect3DCubeTexture9* cube = nullptr;
  ASSERT_EQ(UtCreateCubeTexture(device(), 32, 1, D3DUSAGE_QUERY_FILTER, D3DFMT_A8R8G8B8,
                                D3DPOOL_MANAGED, &cube),
            S_OK);
  EXPECT_EQ(Describe(cube).usage, 0u);
  EXPECT_EQ(cube->Release(), 0u);

  IDirect3DVolumeTexture9* volume = nullptr;
  ASSERT_EQ(UtCreateVolumeTexture(device(), 8, 8, 8, 1, D3DUSAGE_QUERY_FILTER, D3DFMT_A8R8G8B8,
                                  D3DPOOL_MANAGED, &volume),
            S_OK);
  EXPECT_EQ(Describe(volume).usage, 0u);
  EXPECT_EQ(volume->Release(), 0u);
}

TEST_F(TextureCreationTest, AutogenMipmapTextureLeavesTheSublevelsToTheDevice) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(UtCreateTexture(device(), 64, 64, UT_DEFAULT, D3DUSAGE_AUTOGENMIPMAP, D3DFMT_A8R8G8B8,
                            D3DPOOL_MANAGED, &texture),
            S_OK);
  const Created got = Describe(texture);
  EXPECT_EQ(got.usage, static_cast<DWORD>(D3DUSAGE_AUTOGENMIPMAP));
  EXPECT_EQ(got.width, 64u);
  EXPECT_EQ(texture->Release(), 0u);
}

// A pointer value no call may write over or dereference.
template <class T>
T* Untouched() {
  return reinterpret_cast<T*>(uintptr_t{0x5A5A5A50});
}

TEST_F(TextureCreationTest, NullArgumentsAreInvalid) {
  const long live = d3d9rt::LiveObjectCount();
  IDirect3DTexture9* texture = Untouched<IDirect3DTexture9>();
  IDirect3DCubeTexture9* cube = Untouched<IDirect3DCubeTexture9>();
  IDirect3DVolumeTexture9* volume = Untouched<IDirect3DVolumeTexture9>();
  EXPECT_EQ(UtCreateTexture(nullptr, 8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(UtCreateTexture(device(), 8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(UtCreateCubeTexture(nullptr, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(UtCreateCubeTexture(device(), 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(UtCreateVolumeTexture(nullptr, 8, 8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                  &volume),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(UtCreateVolumeTexture(device(), 8, 8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                  nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(texture, Untouched<IDirect3DTexture9>());
  EXPECT_EQ(cube, Untouched<IDirect3DCubeTexture9>());
  EXPECT_EQ(volume, Untouched<IDirect3DVolumeTexture9>());
  EXPECT_EQ(d3d9rt::LiveObjectCount(), live);
}

// What a creator call did: its result, whether it wrote the out pointer, and what it wrote.
struct Creation {
  HRESULT result;
  bool written;
  IDirect3DBaseTexture9* texture;
};

template <class T>
Creation Record(HRESULT result, T* texture) {
  const bool written = texture != Untouched<T>();
  return {result, written, written ? texture : nullptr};
}

// One kind of texture, created through the library's creator with fixed sizes.
struct Kind {
  const char* name;
  d3d9rt::Call call;
  Creation (*create)(IDirect3DDevice9* device, DWORD usage, D3DFORMAT format, D3DPOOL pool);
};

const Kind kKinds[] = {
    {"2D", d3d9rt::kCreateTexture,
     [](IDirect3DDevice9* device, DWORD usage, D3DFORMAT format, D3DPOOL pool) {
       IDirect3DTexture9* texture = Untouched<IDirect3DTexture9>();
       const HRESULT result = UtCreateTexture(device, 16, 16, 0, usage, format, pool, &texture);
       return Record(result, texture);
     }},
    {"cube", d3d9rt::kCreateCubeTexture,
     [](IDirect3DDevice9* device, DWORD usage, D3DFORMAT format, D3DPOOL pool) {
       IDirect3DCubeTexture9* texture = Untouched<IDirect3DCubeTexture9>();
       const HRESULT result = UtCreateCubeTexture(device, 16, 0, usage, format, pool, &texture);
       return Record(result, texture);
     }},
    {"volume", d3d9rt::kCreateVolumeTexture,
     [](IDirect3DDevice9* device, DWORD usage, D3DFORMAT format, D3DPOOL pool) {
       IDirect3DVolumeTexture9* texture = Untouched<IDirect3DVolumeTexture9>();
       const HRESULT result =
           UtCreateVolumeTexture(device, 16, 16, 4, 0, usage, format, pool, &texture);
       return Record(result, texture);
     }},
};

TEST_F(TextureCreationTest, NegotiationFailuresReachNoDevice) {
  struct Failure {
    const char* name;
    DWORD usage;
    D3DPOOL pool;
    bool noFormats;
    HRESULT expected;
  } const failures[] = {
      {"usage WRITEONLY", D3DUSAGE_WRITEONLY, D3DPOOL_MANAGED, false, D3DERR_INVALIDCALL},
      {"pool 4", 0, static_cast<D3DPOOL>(4), false, D3DERR_INVALIDCALL},
      {"no supported format", 0, D3DPOOL_MANAGED, true, D3DERR_NOTAVAILABLE},
  };
  for (const Kind& kind : kKinds) {
    for (const Failure& f : failures) {
      SCOPED_TRACE(std::string(kind.name) + ", " + f.name);
      d3d9rt::SetFormatRule(f.noFormats ? d3d9rt::FormatRule([](const d3d9rt::FormatQuery&) {
                              return D3DERR_NOTAVAILABLE;
                            })
                                        : d3d9rt::FormatRule());
      const unsigned calls = d3d9rt::CallCount(kind.call);
      const long live = d3d9rt::LiveObjectCount();
      const Creation got = kind.create(device(), f.usage, D3DFMT_A8R8G8B8, f.pool);
      EXPECT_EQ(got.result, f.expected);
      EXPECT_FALSE(got.written);
      EXPECT_EQ(d3d9rt::CallCount(kind.call), calls);
      EXPECT_EQ(d3d9rt::LiveObjectCount(), live);
    }
  }
}

TEST_F(TextureCreationTest, CreationFailuresAreReturnedUnchanged) {
  // Errors the library has no reason to produce itself, so a rewritten one would show.
  const HRESULT errors[] = {D3DERR_OUTOFVIDEOMEMORY, E_OUTOFMEMORY, D3DERR_DRIVERINTERNALERROR};
  for (const Kind& kind : kKinds) {
    for (HRESULT error : errors) {
      SCOPED_TRACE(std::string(kind.name) + ", error " + std::to_string(error));
      d3d9rt::ClearInjectedFailures();
      d3d9rt::InjectFailure(kind.call, 1, error);
      const unsigned calls = d3d9rt::CallCount(kind.call);
      const long live = d3d9rt::LiveObjectCount();
      const long references = d3d9rt::LiveReferenceCount();
      const Creation got = kind.create(device(), 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
      EXPECT_EQ(got.result, error);
      EXPECT_FALSE(got.written);
      EXPECT_EQ(d3d9rt::CallCount(kind.call), calls + 1);
      EXPECT_EQ(d3d9rt::LiveObjectCount(), live);
      EXPECT_EQ(d3d9rt::LiveReferenceCount(), references);
    }
  }
}

TEST_F(TextureCreationTest, EachCreatedTextureIsReleasedWithItsOneReference) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    const long live = d3d9rt::LiveObjectCount();
    const Creation got = kind.create(device(), 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    ASSERT_EQ(got.result, S_OK);
    ASSERT_TRUE(got.written);
    ASSERT_NE(got.texture, nullptr);
    EXPECT_GT(d3d9rt::LiveObjectCount(), live);
    EXPECT_EQ(got.texture->Release(), 0u);
    EXPECT_EQ(d3d9rt::LiveObjectCount(), live);
  }
}

}  // namespace
