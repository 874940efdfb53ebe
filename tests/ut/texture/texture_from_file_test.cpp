// The texture-from-file pipeline on the software runtime: sizes, format choices, where each
// level comes from, the staging texture, outputs written on failure, and clean failure paths.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../image/jpeg_test_files.h"
#include "d3d9/runtime/runtime_config.h"
#include "runtime_device.h"
#include "test_image_reader.h"
#include "ut.h"

namespace {

constexpr HRESULT kInjected = D3DERR_OUTOFVIDEOMEMORY;

class TextureFromFile : public RuntimeDeviceTest {
 protected:
  // Ex form with the defaults except the values the case sets.
  HRESULT Create2D(const std::vector<uint8_t>& file, UINT width, UINT height, UINT levels,
                   DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
                   D3DCOLOR key, IDirect3DTexture9** out, UtImageInfo* info = nullptr,
                   PALETTEENTRY* palette = nullptr) {
    return UtCreateTextureFromFileInMemoryEx(device(), file.data(), static_cast<UINT>(file.size()),
                                             width, height, levels, usage, format, pool, filter,
                                             mipFilter, key, info, palette, out);
  }
};

D3DSURFACE_DESC LevelDesc(IDirect3DTexture9* texture, UINT level) {
  D3DSURFACE_DESC desc = {};
  EXPECT_EQ(texture->GetLevelDesc(level, &desc), D3D_OK);
  return desc;
}

// The 32-bit texel at (x, y) of a lockable 32-bit level.
DWORD Texel(IDirect3DTexture9* texture, UINT level, UINT x, UINT y) {
  D3DLOCKED_RECT locked = {};
  if (texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) return 0xDEADBEEF;
  DWORD value;
  std::memcpy(&value, static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, 4);
  texture->UnlockRect(level);
  return value;
}

std::vector<uint8_t> Jpeg(int width, int height, int components = 3) {
  return EncodeJpeg({"test", width, height, components, 1, 1, false, 0});
}

TEST_F(TextureFromFile, DefaultSizeRoundsUpToPowersOfTwoAndNonPow2KeepsTheFileSize) {
  // A device without power-of-two limits, so that the sizes asked for are the sizes made.
  const D3DCAPS9 caps = d3d9rt::DefaultCaps();
  SetTextureLimits(caps.TextureCaps & ~(D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_NONPOW2CONDITIONAL),
                   caps.MaxTextureWidth, caps.MaxTextureHeight, caps.MaxVolumeExtent,
                   caps.MaxTextureAspectRatio);
  const std::vector<uint8_t> file = Jpeg(100, 60);
  struct Case {
    UINT width, height, wantWidth, wantHeight, wantLevels;
  } cases[] = {
      {UT_DEFAULT, UT_DEFAULT, 128, 64, 8},
      {0, 0, 128, 64, 8},
      {UT_DEFAULT_NONPOW2, UT_DEFAULT_NONPOW2, 100, 60, 7},
      {32, 16, 32, 16, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "asked " << c.width << " x " << c.height);
    ComPtr<IDirect3DTexture9> texture;
    ASSERT_EQ(Create2D(file, c.width, c.height, UT_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                       UT_DEFAULT, UT_DEFAULT, 0, texture.GetAddressOf()),
              S_OK);
    const D3DSURFACE_DESC top = LevelDesc(texture.Get(), 0);
    EXPECT_EQ(top.Width, c.wantWidth);
    EXPECT_EQ(top.Height, c.wantHeight);
    EXPECT_EQ(top.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(top.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(texture->GetLevelCount(), c.wantLevels);
  }
}

TEST_F(TextureFromFile, ShortFormGivesTheDemoTexture) {
  const std::vector<uint8_t> file = Jpeg(64, 32);
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(UtCreateTextureFromFileInMemory(device(), file.data(), static_cast<UINT>(file.size()),
                                            &texture),
            S_OK);
  ComPtr<IDirect3DTexture9> owned;
  owned.Attach(texture);
  EXPECT_EQ(texture->GetLevelCount(), 7u);
  const D3DSURFACE_DESC desc = LevelDesc(texture, 0);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
  // The picture arrived: the JPEG's test picture is not one flat colour.
  EXPECT_NE(Texel(texture, 0, 0, 0) & 0xFFFFFF, Texel(texture, 0, 63, 31) & 0xFFFFFF);
}

TEST_F(TextureFromFile, GreyJpegGivesALuminanceTexture) {
  const std::vector<uint8_t> file = Jpeg(16, 16, 1);
  ComPtr<IDirect3DTexture9> texture;
  ASSERT_EQ(Create2D(file, UT_DEFAULT, UT_DEFAULT, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                     UT_DEFAULT, UT_DEFAULT, 0, texture.GetAddressOf()),
            S_OK);
  EXPECT_EQ(LevelDesc(texture.Get(), 0).Format, D3DFMT_L8);
}

// Format choices from the file's format, the colour key, the pool and the palette.
struct FormatCase {
  const char* name;
  D3DFORMAT fileFormat;
  int palette;  // 0 none, 1 grey ramp, 2 R3G3B2 ramp, 3 colours, 4 colours with a translucent one
  D3DCOLOR key;
  D3DPOOL pool;
  bool paletteOut;
  D3DFORMAT want;
};

std::array<PALETTEENTRY, 256> MakePalette(int kind) {
  static const BYTE three[8] = {0, 0x24, 0x49, 0x6D, 0x92, 0xB6, 0xDB, 0xFF};
  static const BYTE two[4] = {0, 0x55, 0xAA, 0xFF};
  std::array<PALETTEENTRY, 256> p{};
  for (int i = 0; i < 256; ++i) {
    const BYTE v = static_cast<BYTE>(i);
    if (kind == 1) p[i] = {v, v, v, 0xFF};
    if (kind == 2) p[i] = {three[i >> 5], three[(i >> 2) & 7], two[i & 3], 0xFF};
    if (kind >= 3) p[i] = {v, static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 7), 0xFF};
  }
  if (kind == 4) p[9].peFlags = 0x80;
  return p;
}

TEST_F(TextureFromFile, FormatChoices) {
  const FormatCase cases[] = {
      {"24-bit", D3DFMT_R8G8B8, 0, 0, D3DPOOL_MANAGED, false, D3DFMT_X8R8G8B8},
      {"24-bit keyed", D3DFMT_R8G8B8, 0, 0xFF102030, D3DPOOL_MANAGED, false, D3DFMT_A8R8G8B8},
      {"24-bit scratch", D3DFMT_R8G8B8, 0, 0, D3DPOOL_SCRATCH, false, D3DFMT_R8G8B8},
      {"32-bit keyed", D3DFMT_X8R8G8B8, 0, 0xFF102030, D3DPOOL_MANAGED, false, D3DFMT_A8R8G8B8},
      {"grey ramp", D3DFMT_P8, 1, 0, D3DPOOL_MANAGED, false, D3DFMT_L8},
      {"R3G3B2 ramp", D3DFMT_P8, 2, 0, D3DPOOL_MANAGED, false, D3DFMT_R3G3B2},
      {"opaque palette", D3DFMT_P8, 3, 0, D3DPOOL_MANAGED, false, D3DFMT_X8R8G8B8},
      {"translucent entry", D3DFMT_P8, 4, 0, D3DPOOL_MANAGED, false, D3DFMT_A8R8G8B8},
      // Entry 5 is {5, 250, 35, 255}, the key 0xFF05FA23 in A8R8G8B8.
      {"keyed entry", D3DFMT_P8, 3, 0xFF05FA23, D3DPOOL_MANAGED, false, D3DFMT_A8R8G8B8},
      {"key matching no entry", D3DFMT_P8, 3, 0xFF010203, D3DPOOL_MANAGED, false, D3DFMT_X8R8G8B8},
      {"palette wanted back", D3DFMT_P8, 3, 0, D3DPOOL_SCRATCH, true, D3DFMT_P8},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.name);
    SyntheticImage image;
    image.format = c.fileFormat;
    image.levelPixel = {c.fileFormat == D3DFMT_P8 ? std::vector<uint8_t>{7}
                        : c.fileFormat == D3DFMT_R8G8B8
                            ? std::vector<uint8_t>{0x30, 0x20, 0x10}
                            : std::vector<uint8_t>{0x30, 0x20, 0x10, 0xFF}};
    image.hasPalette = c.palette != 0;
    image.palette = MakePalette(c.palette);
    const ScopedSyntheticReader reader(image);
    PALETTEENTRY palette[256];
    ComPtr<IDirect3DTexture9> texture;
    ASSERT_EQ(Create2D(SyntheticFile(), UT_DEFAULT, UT_DEFAULT, 1, 0, D3DFMT_UNKNOWN, c.pool,
                       UT_DEFAULT, UT_DEFAULT, c.key, texture.GetAddressOf(), nullptr,
                       c.paletteOut ? palette : nullptr),
              S_OK);
    EXPECT_EQ(LevelDesc(texture.Get(), 0).Format, c.want);
  }
}

TEST_F(TextureFromFile, PaletteOutputHasTheKeyedEntryTransparentBlack) {
  SyntheticImage image;
  image.format = D3DFMT_P8;
  image.levelPixel = {{5}};
  image.hasPalette = true;
  image.palette = MakePalette(3);
  const ScopedSyntheticReader reader(image);
  PALETTEENTRY palette[256];
  ComPtr<IDirect3DTexture9> texture;
  ASSERT_EQ(Create2D(SyntheticFile(), UT_DEFAULT, UT_DEFAULT, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                     UT_DEFAULT, UT_DEFAULT, 0xFF05FA23, texture.GetAddressOf(), nullptr, palette),
            S_OK);
  for (int i = 0; i < 256; ++i) {
    SCOPED_TRACE(i);
    PALETTEENTRY want = image.palette[i];
    if (i == 5) want = {0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(&palette[i], &want, sizeof want), 0);
  }
  // Every texel is index 5, now transparent black, in whatever the device took instead of P8.
  const D3DSURFACE_DESC desc = LevelDesc(texture.Get(), 0);
  if (desc.Format == D3DFMT_A8R8G8B8) {
    EXPECT_EQ(Texel(texture.Get(), 0, 3, 3), 0u);
  }
}

// Levels from the file keep the file's pixels; the levels below either come from the mip
// filter (which reads texture levels back: read-only locks) or straight from the file's last
// level (no level of the texture is read).
TEST_F(TextureFromFile, FileLevelsThenMipFilterOrDirectResampling) {
  SyntheticImage image;
  image.width = image.height = 16;
  image.levels = 2;
  image.levelPixel = {{0x10, 0x20, 0x30, 0xFF}, {0x50, 0x60, 0x70, 0xFF}};
  const ScopedSyntheticReader reader(image);
  struct Case {
    DWORD filter, mipFilter;
    bool readsLevels;
  } cases[] = {
      {UT_DEFAULT, UT_DEFAULT, true},
      {UT_FILTER_LINEAR, UT_FILTER_LINEAR, false},
      {UT_FILTER_NONE, UT_FILTER_LINEAR, true},
      {UT_FILTER_TRIANGLE, UT_FILTER_POINT, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "filter " << c.filter << " mip filter " << c.mipFilter);
    d3d9rt::Reset();
    d3d9rt::SetReadOnlyLockGuard(true);
    ComPtr<IDirect3DTexture9> texture;
    ASSERT_EQ(Create2D(SyntheticFile(), UT_DEFAULT, UT_DEFAULT, UT_DEFAULT, 0, D3DFMT_UNKNOWN,
                       D3DPOOL_MANAGED, c.filter, c.mipFilter, 0, texture.GetAddressOf()),
              S_OK);
    ASSERT_EQ(texture->GetLevelCount(), 5u);
    bool readOnlyLock = false;
    for (const d3d9rt::LockRecord& r : d3d9rt::LockLog())
      if (r.flags & D3DLOCK_READONLY) readOnlyLock = true;
    EXPECT_EQ(readOnlyLock, c.readsLevels);
    EXPECT_EQ(Texel(texture.Get(), 0, 5, 5) & 0xFFFFFF, 0x302010u);
    EXPECT_EQ(Texel(texture.Get(), 1, 5, 5) & 0xFFFFFF, 0x706050u);
    // A flat level stays flat whichever way it is carried down.
    for (UINT level = 2; level < 5; ++level)
      EXPECT_EQ(Texel(texture.Get(), level, 0, 0) & 0xFFFFFF, 0x706050u) << "level " << level;
  }
}

TEST_F(TextureFromFile, DefaultPoolIsFilledThroughASystemMemoryStagingTexture) {
  const std::vector<uint8_t> file = Jpeg(32, 32);
  struct Case {
    D3DPOOL pool;
    DWORD usage;
    unsigned updates;
  } cases[] = {
      {D3DPOOL_DEFAULT, 0, 1},
      {D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC, 0},
      {D3DPOOL_MANAGED, 0, 0},
      {D3DPOOL_SYSTEMMEM, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "pool " << c.pool << " usage " << c.usage);
    d3d9rt::Reset();
    d3d9rt::SetReadOnlyLockGuard(true);
    ComPtr<IDirect3DTexture9> texture;
    ASSERT_EQ(Create2D(file, UT_DEFAULT, UT_DEFAULT, UT_DEFAULT, c.usage, D3DFMT_UNKNOWN, c.pool,
                       UT_DEFAULT, UT_DEFAULT, 0, texture.GetAddressOf()),
              S_OK);
    EXPECT_EQ(LevelDesc(texture.Get(), 0).Pool, c.pool);
    EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kUpdateTexture), c.updates);
    EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kCreateTexture), 1 + c.updates);
    for (const d3d9rt::LockRecord& r : d3d9rt::LockLog())
      EXPECT_EQ(r.pool, c.updates ? D3DPOOL_SYSTEMMEM : c.pool);
  }
}

// With D3DUSAGE_AUTOGENMIPMAP the device builds the sublevels; the file fills the top level.
TEST_F(TextureFromFile, AutoGeneratedMipmapsGetTheTopLevelFromTheFile) {
  SyntheticImage image;
  image.levelPixel = {{0x10, 0x20, 0x30, 0xFF}};
  const ScopedSyntheticReader reader(image);
  for (D3DPOOL pool : {D3DPOOL_MANAGED, D3DPOOL_DEFAULT}) {
    SCOPED_TRACE(testing::Message() << "pool " << pool);
    d3d9rt::Reset();
    d3d9rt::SetReadOnlyLockGuard(true);
    ComPtr<IDirect3DTexture9> texture;
    ASSERT_EQ(Create2D(SyntheticFile(), UT_DEFAULT, UT_DEFAULT, UT_DEFAULT, D3DUSAGE_AUTOGENMIPMAP,
                       D3DFMT_UNKNOWN, pool, UT_DEFAULT, UT_DEFAULT, 0, texture.GetAddressOf()),
              S_OK);
    EXPECT_EQ(LevelDesc(texture.Get(), 0).Usage & D3DUSAGE_AUTOGENMIPMAP, D3DUSAGE_AUTOGENMIPMAP);
    EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kUpdateTexture), pool == D3DPOOL_DEFAULT ? 1u : 0u);
    bool wroteTop = false;
    for (const d3d9rt::LockRecord& r : d3d9rt::LockLog())
      if (!(r.flags & D3DLOCK_READONLY) && r.area.Right == 8 && r.area.Bottom == 8) wroteTop = true;
    EXPECT_TRUE(wroteTop);
    if (pool == D3DPOOL_MANAGED) {
      EXPECT_EQ(Texel(texture.Get(), 0, 4, 4) & 0xFFFFFF, 0x302010u);
    }
  }
}

TEST_F(TextureFromFile, SourceInfoAndPaletteAreWrittenEvenWhenCreationFails) {
  SyntheticImage image;
  image.format = D3DFMT_P8;
  image.width = 12;
  image.height = 6;
  image.levelPixel = {{1}};
  image.hasPalette = true;
  image.palette = MakePalette(3);
  const ScopedSyntheticReader reader(image);
  d3d9rt::InjectFailure(d3d9rt::kCreateTexture, 1, kInjected);
  UtImageInfo info = {};
  PALETTEENTRY palette[256] = {};
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(Create2D(SyntheticFile(), UT_DEFAULT, UT_DEFAULT, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                     UT_DEFAULT, UT_DEFAULT, 0, &texture, &info, palette),
            kInjected);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(info.Width, 12u);
  EXPECT_EQ(info.Height, 6u);
  EXPECT_EQ(info.Format, D3DFMT_P8);
  EXPECT_EQ(std::memcmp(palette, image.palette.data(), sizeof palette), 0);
}

TEST_F(TextureFromFile, JpegWithoutPaletteGivesAnOpaqueWhitePalette) {
  const std::vector<uint8_t> file = Jpeg(8, 8);
  PALETTEENTRY palette[256] = {};
  ComPtr<IDirect3DTexture9> texture;
  ASSERT_EQ(Create2D(file, UT_DEFAULT, UT_DEFAULT, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                     UT_DEFAULT, UT_DEFAULT, 0, texture.GetAddressOf(), nullptr, palette),
            S_OK);
  for (const PALETTEENTRY& e : palette) {
    EXPECT_EQ(e.peRed & e.peGreen & e.peBlue & e.peFlags, 0xFF);
  }
}

TEST_F(TextureFromFile, NullAndEmptyInputsAndUnreadableSources) {
  const std::vector<uint8_t> file = Jpeg(8, 8);
  const UINT size = static_cast<UINT>(file.size());
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(UtCreateTextureFromFileInMemory(nullptr, file.data(), size, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(UtCreateTextureFromFileInMemory(device(), nullptr, size, &texture), D3DERR_INVALIDCALL);
  EXPECT_EQ(UtCreateTextureFromFileInMemory(device(), file.data(), 0, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(UtCreateTextureFromFileInMemory(device(), file.data(), size, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(UtCreateTextureFromFileA(device(), nullptr, &texture), D3DERR_INVALIDCALL);
  EXPECT_EQ(UtCreateTextureFromFileW(device(), nullptr, &texture), D3DERR_INVALIDCALL);
  EXPECT_EQ(UtCreateTextureFromFileA(device(), "/nonexistent/mud.jpg", &texture),
            UTERR_INVALIDDATA);
  EXPECT_EQ(UtCreateTextureFromResourceA(device(), nullptr, "NO_SUCH_RESOURCE", &texture),
            UTERR_INVALIDDATA);
  const BYTE garbage[16] = {1, 2, 3, 4, 5};
  EXPECT_EQ(UtCreateTextureFromFileInMemory(device(), garbage, sizeof garbage, &texture),
            UTERR_INVALIDDATA);
  IDirect3DCubeTexture9* cube = nullptr;
  EXPECT_EQ(UtCreateCubeTextureFromFileInMemory(device(), file.data(), size, &cube), E_FAIL);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(cube, nullptr);
  EXPECT_EQ(d3d9rt::CallCount(d3d9rt::kCreateTexture), 0u);
}

TEST_F(TextureFromFile, FileFormsReadTheFileNarrowAndWide) {
  const std::vector<uint8_t> file = Jpeg(20, 10);
  char path[] = "/tmp/ut_texture_file_XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, file.data(), file.size()), static_cast<ssize_t>(file.size()));
  close(fd);
  const std::wstring widePath(path, path + std::strlen(path));
  ComPtr<IDirect3DTexture9> narrow, wide;
  EXPECT_EQ(UtCreateTextureFromFileA(device(), path, narrow.GetAddressOf()), S_OK);
  EXPECT_EQ(
      UtCreateTextureFromFileExW(device(), widePath.c_str(), UT_DEFAULT_NONPOW2, UT_DEFAULT_NONPOW2,
                                 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, UT_DEFAULT, UT_DEFAULT, 0,
                                 nullptr, nullptr, wide.GetAddressOf()),
      S_OK);
  std::remove(path);
  ASSERT_TRUE(narrow && wide);
  EXPECT_EQ(LevelDesc(narrow.Get(), 0).Width, 32u);
  EXPECT_EQ(LevelDesc(wide.Get(), 0).Width, 20u);
  EXPECT_EQ(wide->GetLevelCount(), 1u);
}

TEST_F(TextureFromFile, CubeAndVolumeKinds) {
  SyntheticImage image;
  image.faces = 6;
  image.resourceType = D3DRTYPE_CUBETEXTURE;
  image.levelPixel = {{0x11, 0x22, 0x33, 0xFF}};
  {
    const ScopedSyntheticReader reader(image);
    ComPtr<IDirect3DCubeTexture9> cube;
    ASSERT_EQ(UtCreateCubeTextureFromFileInMemory(device(), SyntheticFile().data(),
                                                  static_cast<UINT>(SyntheticFile().size()),
                                                  cube.GetAddressOf()),
              S_OK);
    EXPECT_EQ(cube->GetLevelCount(), 4u);
    // A cube file loaded as a 2D texture uses its first face.
    ComPtr<IDirect3DTexture9> flat;
    EXPECT_EQ(UtCreateTextureFromFileInMemory(device(), SyntheticFile().data(),
                                              static_cast<UINT>(SyntheticFile().size()),
                                              flat.GetAddressOf()),
              S_OK);
  }
  image.faces = 5;
  {
    const ScopedSyntheticReader reader(image);
    IDirect3DCubeTexture9* cube = nullptr;
    EXPECT_EQ(UtCreateCubeTextureFromFileInMemory(device(), SyntheticFile().data(),
                                                  static_cast<UINT>(SyntheticFile().size()), &cube),
              E_FAIL);
    EXPECT_EQ(cube, nullptr);
  }
  image.faces = 1;
  image.depth = 4;
  image.resourceType = D3DRTYPE_VOLUMETEXTURE;
  {
    const ScopedSyntheticReader reader(image);
    ComPtr<IDirect3DVolumeTexture9> volume;
    ASSERT_EQ(UtCreateVolumeTextureFromFileInMemory(device(), SyntheticFile().data(),
                                                    static_cast<UINT>(SyntheticFile().size()),
                                                    volume.GetAddressOf()),
              S_OK);
    D3DVOLUME_DESC desc = {};
    ASSERT_EQ(volume->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 8u);
    EXPECT_EQ(desc.Depth, 4u);
    EXPECT_EQ(volume->GetLevelCount(), 4u);
  }
}

// Creates a texture of `kind` from the synthetic file with the defaults and `pool`.
HRESULT CreateKind(IDirect3DDevice9* device, D3DRESOURCETYPE kind, D3DPOOL pool,
                   IDirect3DBaseTexture9** texture) {
  const void* data = SyntheticFile().data();
  const UINT size = static_cast<UINT>(SyntheticFile().size());
  if (kind == D3DRTYPE_TEXTURE)
    return UtCreateTextureFromFileInMemoryEx(
        device, data, size, UT_DEFAULT, UT_DEFAULT, UT_DEFAULT, 0, D3DFMT_UNKNOWN, pool, UT_DEFAULT,
        UT_DEFAULT, 0, nullptr, nullptr, reinterpret_cast<IDirect3DTexture9**>(texture));
  if (kind == D3DRTYPE_CUBETEXTURE)
    return UtCreateCubeTextureFromFileInMemoryEx(
        device, data, size, UT_DEFAULT, UT_DEFAULT, 0, D3DFMT_UNKNOWN, pool, UT_DEFAULT, UT_DEFAULT,
        0, nullptr, nullptr, reinterpret_cast<IDirect3DCubeTexture9**>(texture));
  return UtCreateVolumeTextureFromFileInMemoryEx(
      device, data, size, UT_DEFAULT, UT_DEFAULT, UT_DEFAULT, UT_DEFAULT, 0, D3DFMT_UNKNOWN, pool,
      UT_DEFAULT, UT_DEFAULT, 0, nullptr, nullptr,
      reinterpret_cast<IDirect3DVolumeTexture9**>(texture));
}

constexpr uint32_t kInjectedCalls = d3d9rt::kAnyCreation | d3d9rt::kAnyLock | d3d9rt::kAnyCopy;

// How many calls of kInjectedCalls the runtime counted since Reset.
unsigned InjectableCallCount() {
  unsigned count = 0;
  for (uint32_t bit = 1; bit != 0 && bit <= kInjectedCalls; bit <<= 1)
    if (kInjectedCalls & bit) count += d3d9rt::CallCount(static_cast<d3d9rt::Call>(bit));
  return count;
}

// Every creation, lock and copy the call makes is made to fail in turn. The call returns that
// failure and stores nothing, unless the library has a way around it (a level that can't be
// locked is reached through a copy); either way no runtime object is left behind.
TEST_F(TextureFromFile, EveryInjectedFailureIsReturnedAndLeavesNothingAlive) {
  struct Kind {
    const char* name;
    D3DRESOURCETYPE type;
    D3DPOOL pool;
  } kinds[] = {
      {"2D managed", D3DRTYPE_TEXTURE, D3DPOOL_MANAGED},
      {"2D default (staged)", D3DRTYPE_TEXTURE, D3DPOOL_DEFAULT},
      {"cube", D3DRTYPE_CUBETEXTURE, D3DPOOL_MANAGED},
      {"volume", D3DRTYPE_VOLUMETEXTURE, D3DPOOL_DEFAULT},
  };
  for (const Kind& k : kinds) {
    SyntheticImage image;
    image.resourceType = k.type;
    image.faces = k.type == D3DRTYPE_CUBETEXTURE ? 6 : 1;
    image.depth = k.type == D3DRTYPE_VOLUMETEXTURE ? 4 : 1;
    image.levels = 2;
    const ScopedSyntheticReader reader(image);
    const long baseline = d3d9rt::LiveObjectCount();

    // A clean run counts the calls that can be made to fail.
    d3d9rt::Reset();
    d3d9rt::SetReadOnlyLockGuard(true);
    IDirect3DBaseTexture9* texture = nullptr;
    ASSERT_EQ(CreateKind(device(), k.type, k.pool, &texture), S_OK) << k.name;
    texture->Release();
    const unsigned calls = InjectableCallCount();
    ASSERT_GT(calls, 2u) << k.name;

    unsigned failures = 0;
    for (unsigned nth = 1; nth <= calls; ++nth) {
      SCOPED_TRACE(testing::Message() << k.name << ", failing call " << nth << " of " << calls);
      d3d9rt::Reset();
      d3d9rt::SetReadOnlyLockGuard(true);
      d3d9rt::InjectFailure(kInjectedCalls, nth, kInjected);
      texture = nullptr;
      const HRESULT hr = CreateKind(device(), k.type, k.pool, &texture);
      if (hr == S_OK) {
        ASSERT_NE(texture, nullptr);
        texture->Release();
      } else {
        ++failures;
        EXPECT_EQ(hr, kInjected);
        EXPECT_EQ(texture, nullptr);
      }
      EXPECT_EQ(d3d9rt::LiveObjectCount(), baseline);
    }
    // Creation at least can't be worked around.
    EXPECT_GT(failures, 0u) << k.name;
  }
}

}  // namespace
