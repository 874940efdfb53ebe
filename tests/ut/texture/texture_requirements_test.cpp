#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "d3d9/runtime/runtime_config.h"
#include "runtime_device.h"
#include "ut/texture/texture_requirements.h"
#include "ut_texture.h"

namespace {

constexpr DWORD kMipmapAll =
    D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_MIPCUBEMAP | D3DPTEXTURECAPS_MIPVOLUMEMAP;
constexpr DWORD kPowerOfTwoAll =
    D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_CUBEMAP_POW2 | D3DPTEXTURECAPS_VOLUMEMAP_POW2;
constexpr DWORD kPow2 = kMipmapAll | kPowerOfTwoAll;
constexpr DWORD kConditional = kPow2 | D3DPTEXTURECAPS_NONPOW2CONDITIONAL;
constexpr DWORD kAnySize = kMipmapAll;  // no power-of-two rule at all
constexpr UINT D = UT_DEFAULT;

struct Limits {
  DWORD textureCaps;
  DWORD maxWidth = 4096;
  DWORD maxHeight = 4096;
  DWORD maxVolumeExtent = 512;
  DWORD maxAspectRatio = 4096;
};

// For cube textures `width` is the size and `height` is not used.
struct Request {
  UINT width, height, depth, levels;
  DWORD usage = 0;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  D3DPOOL pool = D3DPOOL_MANAGED;
};

// Sizes and levels are compared only on success; depth only for volume textures.
struct Outcome {
  HRESULT result;
  UINT width = 0, height = 0, depth = 0, levels = 0;
  D3DFORMAT format = D3DFMT_UNKNOWN;
};

struct RequirementCase {
  const char* name;
  D3DRESOURCETYPE type;
  Limits limits;
  Request request;
  Outcome expected;
};

constexpr HRESULT kInvalid = D3DERR_INVALIDCALL;
constexpr D3DFORMAT kArgb = D3DFMT_A8R8G8B8;
constexpr D3DFORMAT kXrgb = D3DFMT_X8R8G8B8;
constexpr D3DRESOURCETYPE k2D = D3DRTYPE_TEXTURE;
constexpr D3DRESOURCETYPE kCube = D3DRTYPE_CUBETEXTURE;
constexpr D3DRESOURCETYPE kVolume = D3DRTYPE_VOLUMETEXTURE;

// clang-format off
const RequirementCase kCases[] = {
  // 2D textures.
  {"all defaults", k2D, {kPow2}, {D, D, D, D}, {S_OK, 256, 256, 1, 9, kArgb}},
  {"100 x 60 under POW2", k2D, {kPow2}, {100, 60, D, D, 0, kXrgb}, {S_OK, 128, 64, 1, 8, kXrgb}},
  {"100 x 60, one level, NONPOW2CONDITIONAL", k2D, {kConditional}, {100, 60, D, 1},
   {S_OK, 100, 60, 1, 1, kArgb}},
  {"100 x 60, 0 levels, NONPOW2CONDITIONAL", k2D, {kConditional}, {100, 60, D, 0},
   {S_OK, 128, 64, 1, 8, kArgb}},
  {"100 x 60 without a power-of-two rule", k2D, {kAnySize}, {100, 60, D, D},
   {S_OK, 100, 60, 1, 7, kArgb}},
  {"NONPOW2CONDITIONAL alone: odd sizes get one level", k2D,
   {kAnySize | D3DPTEXTURECAPS_NONPOW2CONDITIONAL}, {100, 60, D, D}, {S_OK, 100, 60, 1, 1, kArgb}},
  {"DXT1 at 1 x 1", k2D, {kPow2}, {1, 1, D, D, 0, D3DFMT_DXT1}, {S_OK, 4, 4, 1, 3, D3DFMT_DXT1}},
  {"DXT1 at 6 x 6 without a power-of-two rule", k2D, {kAnySize}, {6, 6, D, D, 0, D3DFMT_DXT1},
   {S_OK, 8, 8, 1, 4, D3DFMT_DXT1}},
  {"DXT5 gets no NONPOW2CONDITIONAL waiver", k2D, {kConditional}, {100, 60, D, 1, 0, D3DFMT_DXT5},
   {S_OK, 128, 64, 1, 1, D3DFMT_DXT5}},
  {"width default, height 0", k2D, {kPow2}, {D, 0, D, D}, {S_OK, 1, 1, 1, 1, kArgb}},
  {"width 0, height default", k2D, {kPow2}, {0, D, D, D}, {S_OK, 1, 1, 1, 1, kArgb}},
  {"width default takes the height", k2D, {kPow2}, {D, 32, D, D}, {S_OK, 32, 32, 1, 6, kArgb}},
  {"0 x 0 is one texel", k2D, {kPow2}, {0, 0, D, D}, {S_OK, 1, 1, 1, 1, kArgb}},
  {"aspect 8 narrows the width", k2D, {kAnySize, 4096, 4096, 512, 8}, {2048, 16, D, D},
   {S_OK, 128, 16, 1, 8, kArgb}},
  {"aspect 8 narrows the height", k2D, {kAnySize, 4096, 4096, 512, 8}, {16, 2048, D, D},
   {S_OK, 16, 128, 1, 8, kArgb}},
  {"aspect 0 is no limit", k2D, {kAnySize, 4096, 4096, 512, 0}, {4096, 1, D, D},
   {S_OK, 4096, 1, 1, 13, kArgb}},
  {"SQUAREONLY", k2D, {kPow2 | D3DPTEXTURECAPS_SQUAREONLY}, {64, 16, D, D},
   {S_OK, 16, 16, 1, 5, kArgb}},
  {"width limit", k2D, {kPow2, 1024}, {3000, 10, D, D}, {S_OK, 1024, 16, 1, 11, kArgb}},
  {"height limit", k2D, {kPow2, 4096, 256}, {10, 3000, D, D}, {S_OK, 16, 256, 1, 9, kArgb}},
  {"20 levels on 64 x 64", k2D, {kPow2}, {64, 64, D, 20}, {S_OK, 64, 64, 1, 7, kArgb}},
  {"3 levels on 64 x 64", k2D, {kPow2}, {64, 64, D, 3}, {S_OK, 64, 64, 1, 3, kArgb}},
  {"AUTOGENMIPMAP, default levels", k2D, {kPow2}, {64, 64, D, D, D3DUSAGE_AUTOGENMIPMAP},
   {S_OK, 64, 64, 1, 0, kArgb}},
  {"AUTOGENMIPMAP, one level", k2D, {kPow2}, {64, 64, D, 1, D3DUSAGE_AUTOGENMIPMAP},
   {S_OK, 64, 64, 1, 1, kArgb}},
  {"AUTOGENMIPMAP without MIPMAP", k2D, {D3DPTEXTURECAPS_POW2},
   {64, 64, D, D, D3DUSAGE_AUTOGENMIPMAP}, {S_OK, 64, 64, 1, 1, kArgb}},
  {"usage UT_DEFAULT is no usage, not AUTOGENMIPMAP", k2D, {kPow2}, {64, 64, D, D, UT_DEFAULT},
   {S_OK, 64, 64, 1, 7, kArgb}},
  {"no MIPMAP", k2D, {D3DPTEXTURECAPS_POW2}, {64, 64, D, D}, {S_OK, 64, 64, 1, 1, kArgb}},
  {"SCRATCH ignores every cap", k2D, {D3DPTEXTURECAPS_POW2, 16, 16, 16, 1},
   {100, 60, D, D, 0, D3DFMT_UNKNOWN, D3DPOOL_SCRATCH}, {S_OK, 100, 60, 1, 7, kArgb}},
  {"SCRATCH keeps a format the device lacks", k2D, {kPow2},
   {64, 64, D, D, 0, D3DFMT_R8G8B8, D3DPOOL_SCRATCH}, {S_OK, 64, 64, 1, 7, D3DFMT_R8G8B8}},
  {"SCRATCH DXT1 still holds whole blocks", k2D, {kPow2},
   {5, 3, D, D, 0, D3DFMT_DXT1, D3DPOOL_SCRATCH}, {S_OK, 8, 4, 1, 4, D3DFMT_DXT1}},
  {"R8G8B8 unsupported becomes X8R8G8B8", k2D, {kPow2}, {64, 64, D, D, 0, D3DFMT_R8G8B8},
   {S_OK, 64, 64, 1, 7, kXrgb}},
  {"a format outside the catalogue becomes A8R8G8B8", k2D, {kPow2},
   {64, 64, D, D, 0, static_cast<D3DFORMAT>(0x12345678)}, {S_OK, 64, 64, 1, 7, kArgb}},
  {"usage WRITEONLY", k2D, {kPow2}, {64, 64, D, D, D3DUSAGE_WRITEONLY}, {kInvalid}},
  {"usage QUERY_WRAPANDMIP", k2D, {kPow2}, {64, 64, D, D, D3DUSAGE_QUERY_WRAPANDMIP}, {kInvalid}},
  {"usage top bit", k2D, {kPow2}, {64, 64, D, D, 0x80000000u}, {kInvalid}},
  {"pool 4", k2D, {kPow2}, {64, 64, D, D, 0, kArgb, static_cast<D3DPOOL>(4)}, {kInvalid}},
  {"pool FORCE_DWORD", k2D, {kPow2}, {64, 64, D, D, 0, kArgb, D3DPOOL_FORCE_DWORD}, {kInvalid}},
  // Sizes that can't be rounded in 32 bits fail instead of wrapping to 0.
  {"power of two above 2^31", k2D, {kPow2, 0xFFFFFFFF, 0xFFFFFFFF, 512, 0},
   {0x80000001u, 1, D, D}, {kInvalid}},
  {"whole blocks above 2^32 - 4", k2D, {kPow2},
   {0xFFFFFFFEu, 4, D, 1, 0, D3DFMT_DXT1, D3DPOOL_SCRATCH}, {kInvalid}},
  {"aspect limit times height does not wrap", k2D, {kAnySize, 0xFFFFFFFF, 0xFFFFFFFF, 512, 0x10000},
   {0x40000000u, 0x10000u, D, 1}, {S_OK, 0x40000000u, 0x10000u, 1, 1, kArgb}},

  // Cube textures.
  {"cube, all defaults", kCube, {kPow2}, {D, 0, D, D}, {S_OK, 256, 256, 1, 9, kArgb}},
  {"cube 100 under CUBEMAP_POW2", kCube, {kPow2}, {100, 0, D, D}, {S_OK, 128, 128, 1, 8, kArgb}},
  {"cube 100 with only the 2D POW2 bit", kCube, {kMipmapAll | D3DPTEXTURECAPS_POW2},
   {100, 0, D, D}, {S_OK, 100, 100, 1, 7, kArgb}},
  {"cube 100, one level, NONPOW2CONDITIONAL", kCube, {kConditional}, {100, 0, D, 1},
   {S_OK, 100, 100, 1, 1, kArgb}},
  {"cube without MIPCUBEMAP", kCube, {kPowerOfTwoAll | D3DPTEXTURECAPS_MIPMAP}, {64, 0, D, D},
   {S_OK, 64, 64, 1, 1, kArgb}},
  {"cube AUTOGENMIPMAP", kCube, {kPow2}, {64, 0, D, D, D3DUSAGE_AUTOGENMIPMAP},
   {S_OK, 64, 64, 1, 0, kArgb}},
  {"cube under the tighter of unequal limits", kCube, {kPow2, 1024, 512}, {2048, 0, D, D},
   {S_OK, 512, 512, 1, 10, kArgb}},
  {"cube SCRATCH ignores every cap", kCube, {0, 16, 16, 16, 1},
   {100, 0, D, D, 0, D3DFMT_UNKNOWN, D3DPOOL_SCRATCH}, {S_OK, 100, 100, 1, 7, kArgb}},
  {"cube DXT3 at 2", kCube, {kPow2}, {2, 0, D, D, 0, D3DFMT_DXT3}, {S_OK, 4, 4, 1, 3, D3DFMT_DXT3}},
  {"cube usage WRITEONLY", kCube, {kPow2}, {64, 0, D, D, D3DUSAGE_WRITEONLY}, {kInvalid}},

  // Volume textures.
  {"volume, all defaults", kVolume, {kPow2}, {D, D, D, D}, {S_OK, 256, 256, 1, 9, kArgb}},
  {"volume 100 x 60 x 20 under VOLUMEMAP_POW2", kVolume, {kPow2}, {100, 60, 20, D},
   {S_OK, 128, 64, 32, 8, kArgb}},
  {"volume depth counts in the chain", kVolume, {kPow2}, {4, 4, 64, D}, {S_OK, 4, 4, 64, 7, kArgb}},
  {"volume depth 0", kVolume, {kPow2}, {8, 8, 0, D}, {S_OK, 8, 8, 1, 4, kArgb}},
  {"volume default depth with a size", kVolume, {kPow2}, {D, 8, D, D}, {S_OK, 8, 8, 1, 4, kArgb}},
  {"volume extent limit", kVolume, {kPow2}, {1000, 1000, 1000, D},
   {S_OK, 512, 512, 512, 10, kArgb}},
  {"volume ignores the 2D limits", kVolume, {kPow2, 64, 64, 512, 1}, {256, 16, 2, D},
   {S_OK, 256, 16, 2, 9, kArgb}},
  {"volume without MIPVOLUMEMAP", kVolume, {kPowerOfTwoAll | D3DPTEXTURECAPS_MIPMAP}, {8, 8, 8, D},
   {S_OK, 8, 8, 8, 1, kArgb}},
  {"volume, one level, NONPOW2CONDITIONAL", kVolume, {kConditional}, {100, 60, 20, 1},
   {S_OK, 100, 60, 20, 1, kArgb}},
  {"volume with only the 2D POW2 bit", kVolume, {kMipmapAll | D3DPTEXTURECAPS_POW2},
   {100, 60, 20, D}, {S_OK, 100, 60, 20, 7, kArgb}},
  {"volume NONPOW2CONDITIONAL with an odd depth", kVolume,
   {kAnySize | D3DPTEXTURECAPS_NONPOW2CONDITIONAL}, {64, 64, 3, D}, {S_OK, 64, 64, 3, 1, kArgb}},
  {"volume DXT1 rounds width and height only", kVolume, {kAnySize},
   {1, 1, 3, D, 0, D3DFMT_DXT1}, {S_OK, 4, 4, 3, 3, D3DFMT_DXT1}},
  {"volume AUTOGENMIPMAP", kVolume, {kPow2}, {8, 8, 8, D, D3DUSAGE_AUTOGENMIPMAP},
   {S_OK, 8, 8, 8, 0, kArgb}},
  {"volume SCRATCH ignores every cap", kVolume, {0, 16, 16, 16, 1},
   {100, 60, 1000, D, 0, D3DFMT_UNKNOWN, D3DPOOL_SCRATCH}, {S_OK, 100, 60, 1000, 10, kArgb}},
  {"volume pool 4", kVolume, {kPow2}, {8, 8, 8, D, 0, kArgb, static_cast<D3DPOOL>(4)}, {kInvalid}},
};
// clang-format on

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

// Runs the public check of the case's kind; `out` holds the values the check wrote back.
HRESULT RunCheck(IDirect3DDevice9* device, const RequirementCase& c, Outcome& out) {
  const Request& r = c.request;
  out.width = r.width;
  out.height = r.height;
  out.depth = r.depth;
  out.levels = r.levels;
  out.format = r.format;
  switch (c.type) {
    case D3DRTYPE_TEXTURE:
      return UtCheckTextureRequirements(device, &out.width, &out.height, &out.levels, r.usage,
                                        &out.format, r.pool);
    case D3DRTYPE_CUBETEXTURE: {
      const HRESULT hr = UtCheckCubeTextureRequirements(device, &out.width, &out.levels, r.usage,
                                                        &out.format, r.pool);
      if (SUCCEEDED(hr)) out.height = out.width;
      return hr;
    }
    default:
      return UtCheckVolumeTextureRequirements(device, &out.width, &out.height, &out.depth,
                                              &out.levels, r.usage, &out.format, r.pool);
  }
}

class TextureRequirementsTest : public RuntimeDeviceTest {};

TEST_F(TextureRequirementsTest, NegotiatesEachCase) {
  // Everything but R8G8B8, so that formats for each kind and use are the table's own business.
  d3d9rt::SetFormatRule(d3d9rt::EveryFormatExcept({D3DFMT_R8G8B8}));
  for (const RequirementCase& c : kCases) {
    SCOPED_TRACE(c.name);
    SetTextureLimits(c.limits.textureCaps, c.limits.maxWidth, c.limits.maxHeight,
                     c.limits.maxVolumeExtent, c.limits.maxAspectRatio);
    Outcome got;
    got.result = RunCheck(device(), c, got);
    ASSERT_EQ(Hex(got.result), Hex(c.expected.result));
    if (FAILED(got.result)) {
      // Nothing is written back when the check fails.
      EXPECT_EQ(got.width, c.request.width);
      EXPECT_EQ(got.height, c.request.height);
      EXPECT_EQ(got.levels, c.request.levels);
      EXPECT_EQ(Hex(got.format), Hex(c.request.format));
      continue;
    }
    EXPECT_EQ(got.width, c.expected.width);
    EXPECT_EQ(got.height, c.expected.height);
    if (c.type == D3DRTYPE_VOLUMETEXTURE) {
      EXPECT_EQ(got.depth, c.expected.depth);
    }
    EXPECT_EQ(got.levels, c.expected.levels);
    EXPECT_EQ(Hex(got.format), Hex(c.expected.format));
  }
}

TEST_F(TextureRequirementsTest, NullDeviceIsInvalid) {
  UINT width = 64, height = 64, depth = 4, levels = 0;
  D3DFORMAT format = D3DFMT_A8R8G8B8;
  EXPECT_EQ(UtCheckTextureRequirements(nullptr, &width, &height, &levels, 0, &format,
                                       D3DPOOL_MANAGED),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(UtCheckCubeTextureRequirements(nullptr, &width, &levels, 0, &format, D3DPOOL_SCRATCH),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(UtCheckVolumeTextureRequirements(nullptr, &width, &height, &depth, &levels, 0,
                                             &format, D3DPOOL_MANAGED),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(width, 64u);
  EXPECT_EQ(levels, 0u);
}

TEST_F(TextureRequirementsTest, NullPointersAskForDefaultsAndReceiveNothing) {
  EXPECT_EQ(UtCheckTextureRequirements(device(), nullptr, nullptr, nullptr, 0, nullptr,
                                       D3DPOOL_MANAGED),
            S_OK);
  UINT levels = UT_DEFAULT;
  EXPECT_EQ(UtCheckVolumeTextureRequirements(device(), nullptr, nullptr, nullptr, &levels, 0,
                                             nullptr, D3DPOOL_MANAGED),
            S_OK);
  EXPECT_EQ(levels, 9u);  // 256 x 256 x 1
  UINT height = 100;
  D3DFORMAT format = D3DFMT_R8G8B8;
  EXPECT_EQ(UtCheckTextureRequirements(device(), nullptr, &height, nullptr, 0, &format,
                                       D3DPOOL_MANAGED),
            S_OK);
  EXPECT_EQ(height, 128u);
  EXPECT_EQ(format, D3DFMT_X8R8G8B8);
}

TEST_F(TextureRequirementsTest, NoSupportedFormatIsNotAvailableExceptForScratch) {
  d3d9rt::SetFormatRule([](const d3d9rt::FormatQuery&) { return D3DERR_NOTAVAILABLE; });
  for (D3DRESOURCETYPE type : {k2D, kCube, kVolume}) {
    SCOPED_TRACE(type);
    UINT width = 100, height = 60, depth = 3, levels = 0;
    D3DFORMAT format = D3DFMT_A8R8G8B8;
    EXPECT_EQ(NegotiateTextureRequirements(device(), &width, &height, &depth, &levels, 0, &format,
                                           D3DPOOL_MANAGED, type),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(width, 100u);
    EXPECT_EQ(height, 60u);
    EXPECT_EQ(depth, 3u);
    EXPECT_EQ(levels, 0u);
    EXPECT_EQ(format, D3DFMT_A8R8G8B8);
    // A scratch texture is plain memory: the device is not asked.
    EXPECT_EQ(NegotiateTextureRequirements(device(), &width, &height, &depth, &levels, 0, &format,
                                           D3DPOOL_SCRATCH, type),
              S_OK);
    EXPECT_EQ(format, D3DFMT_A8R8G8B8);
  }
}

TEST_F(TextureRequirementsTest, FormatSearchSeesUsageAndResourceType) {
  // Render targets only in X8R8G8B8, sRGB reads only from A8R8G8B8, cube maps never A8R8G8B8.
  d3d9rt::SetFormatRule([](const d3d9rt::FormatQuery& q) -> HRESULT {
    const bool supported =
        (!(q.usage & D3DUSAGE_RENDERTARGET) || q.format == D3DFMT_X8R8G8B8) &&
        (!(q.usage & D3DUSAGE_QUERY_SRGBREAD) || q.format == D3DFMT_A8R8G8B8) &&
        !(q.type == D3DRTYPE_CUBETEXTURE && q.format == D3DFMT_A8R8G8B8);
    return supported ? D3D_OK : D3DERR_NOTAVAILABLE;
  });
  struct FormatCase {
    const char* name;
    D3DRESOURCETYPE type;
    DWORD usage;
    D3DFORMAT asked;
    D3DFORMAT expected;
  } const cases[] = {
      {"plain 2D keeps its format", k2D, 0, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8},
      {"render target loses alpha", k2D, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8},
      {"query bit steers the search", k2D, D3DUSAGE_QUERY_SRGBREAD, D3DFMT_X8R8G8B8,
       D3DFMT_A8R8G8B8},
      {"cube takes the same widths in another order", kCube, 0, D3DFMT_A8R8G8B8, D3DFMT_A8B8G8R8},
      {"volume keeps its format", kVolume, 0, D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.name);
    D3DFORMAT format = c.asked;
    ASSERT_EQ(NegotiateTextureRequirements(device(), nullptr, nullptr, nullptr, nullptr, c.usage,
                                           &format, D3DPOOL_DEFAULT, c.type),
              S_OK);
    EXPECT_EQ(Hex(format), Hex(c.expected));
  }
}

TEST_F(TextureRequirementsTest, CubeFacesAreSquare) {
  UINT width = 100, height = 60, levels = UT_DEFAULT;
  ASSERT_EQ(NegotiateTextureRequirements(device(), &width, &height, nullptr, &levels, 0, nullptr,
                                         D3DPOOL_MANAGED, kCube),
            S_OK);
  EXPECT_EQ(width, 128u);
  EXPECT_EQ(height, 128u);
  EXPECT_EQ(levels, 8u);
}

TEST_F(TextureRequirementsTest, OtherResourceTypesAreInvalid) {
  UINT width = 8;
  EXPECT_EQ(NegotiateTextureRequirements(device(), &width, nullptr, nullptr, nullptr, 0, nullptr,
                                         D3DPOOL_MANAGED, D3DRTYPE_SURFACE),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(width, 8u);
}

}  // namespace
