// The closest-format search against the software runtime, with its format support replaced by
// "everything except ..." rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "d3d9/d3d9.h"
#include "d3d9/runtime/runtime_config.h"
#include "ut/pixel/format_match.h"
#include "ut/pixel/private_formats.h"
#include "win32/com_ptr.h"

namespace {

const PixelFormatInfo& Info(D3DFORMAT format) { return *GetPixelFormatInfo(format); }

d3d9rt::FormatRule AllOfFamilyExcept(FormatFamily family) {
  const d3d9rt::FormatRule everything = d3d9rt::EveryFormatExcept({});
  return [family, everything](const d3d9rt::FormatQuery& q) -> HRESULT {
    if (GetPixelFormatInfo(q.format)->family == family) return D3DERR_NOTAVAILABLE;
    return everything(q);
  };
}

d3d9rt::FormatRule Only(std::vector<D3DFORMAT> supported) {
  return [supported](const d3d9rt::FormatQuery& q) -> HRESULT {
    return std::find(supported.begin(), supported.end(), q.format) != supported.end()
               ? D3D_OK
               : D3DERR_NOTAVAILABLE;
  };
}

class RuntimeFormatSearchTest : public testing::Test {
 protected:
  void SetUp() override {
    d3d9rt::Reset();
    d3d9_.Attach(Direct3DCreate9(D3D_SDK_VERSION));
    ASSERT_TRUE(d3d9_);
    CreateDevice(D3DCREATE_HARDWARE_VERTEXPROCESSING, device_);
  }
  void TearDown() override {
    device_.Reset();
    d3d9_.Reset();
    EXPECT_EQ(d3d9rt::LiveObjectCount(), 0) << "the search left runtime objects alive";
    EXPECT_EQ(d3d9rt::LiveReferenceCount(), 0);
    d3d9rt::Reset();
  }
  void CreateDevice(DWORD behaviour, ComPtr<IDirect3DDevice9>& device) {
    D3DPRESENT_PARAMETERS p = {};
    p.BackBufferWidth = 64;
    p.BackBufferHeight = 48;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.BackBufferCount = 1;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.Windowed = TRUE;
    ASSERT_EQ(d3d9_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, behaviour, &p,
                                  device.ReleaseAndGetAddressOf()),
              D3D_OK);
  }
  D3DFORMAT Search(D3DFORMAT desired) {
    return FindClosestDeviceFormat(device_.Get(), 0, D3DRTYPE_TEXTURE, Info(desired));
  }

  ComPtr<IDirect3D9> d3d9_;
  ComPtr<IDirect3DDevice9> device_;
};

struct SearchCase {
  const char* name;
  d3d9rt::FormatRule rule;
  D3DFORMAT desired;
  D3DFORMAT expected;
};

TEST_F(RuntimeFormatSearchTest, ChoosesTheDocumentedSubstitutes) {
  using d3d9rt::EveryFormatExcept;
  const SearchCase cases[] = {
      {"R8G8B8 -> X8R8G8B8 (X8B8G8R8 ties and comes later)", EveryFormatExcept({D3DFMT_R8G8B8}),
       D3DFMT_R8G8B8, D3DFMT_X8R8G8B8},
      {"L8 -> X8R8G8B8", EveryFormatExcept({D3DFMT_L8}), D3DFMT_L8, D3DFMT_X8R8G8B8},
      {"A8 -> A8R3G3B2 (0x300 and fewer bits)", EveryFormatExcept({D3DFMT_A8}), D3DFMT_A8,
       D3DFMT_A8R3G3B2},
      {"A8 without A8R3G3B2 -> A8R8G8B8", EveryFormatExcept({D3DFMT_A8, D3DFMT_A8R3G3B2}),
       D3DFMT_A8, D3DFMT_A8R8G8B8},
      {"P8 -> A8P8", EveryFormatExcept({D3DFMT_P8}), D3DFMT_P8, D3DFMT_A8P8},
      {"DXT1 -> A8R8G8B8", EveryFormatExcept({D3DFMT_DXT1}), D3DFMT_DXT1, D3DFMT_A8R8G8B8},
      {"R16F -> G16R16", EveryFormatExcept({D3DFMT_R16F}), D3DFMT_R16F, D3DFMT_G16R16},
      {"A32B32G32R32F -> A16B16G16R16", EveryFormatExcept({D3DFMT_A32B32G32R32F}),
       D3DFMT_A32B32G32R32F, D3DFMT_A16B16G16R16},
      {"A16B16G16R16F -> A16B16G16R16", EveryFormatExcept({D3DFMT_A16B16G16R16F}),
       D3DFMT_A16B16G16R16F, D3DFMT_A16B16G16R16},
      {"D24S8 -> D24X4S4", EveryFormatExcept({D3DFMT_D24S8}), D3DFMT_D24S8, D3DFMT_D24X4S4},
      {"V8U8 -> V16U16", EveryFormatExcept({D3DFMT_V8U8}), D3DFMT_V8U8, D3DFMT_V16U16},
      {"uncatalogued desired -> A8R8G8B8", EveryFormatExcept({}), D3DFMT_UNKNOWN,
       D3DFMT_A8R8G8B8},
      {"non-substitutable formats are never substitutes (UYVY, YUY2 score 0)",
       EveryFormatExcept({D3DFMT_R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_X8B8G8R8}), D3DFMT_R8G8B8,
       D3DFMT_A8R8G8B8},
      {"A16B16G16R16F is not a substitute for A16B16G16R16",
       EveryFormatExcept({D3DFMT_A16B16G16R16}), D3DFMT_A16B16G16R16, D3DFMT_A8R8G8B8},
      {"a supported non-substitutable format stays as asked: DXT1", EveryFormatExcept({}),
       D3DFMT_DXT1, D3DFMT_DXT1},
      {"a supported non-substitutable format stays as asked: YUY2", EveryFormatExcept({}),
       D3DFMT_YUY2, D3DFMT_YUY2},
      {"a supported non-substitutable format stays as asked: R8G8B8", EveryFormatExcept({}),
       D3DFMT_R8G8B8, D3DFMT_R8G8B8},
      {"a supported non-substitutable format stays as asked: A32B32G32R32F",
       EveryFormatExcept({}), D3DFMT_A32B32G32R32F, D3DFMT_A32B32G32R32F},
      {"signed never served by colour", AllOfFamilyExcept(FAMILY_SIGNED), D3DFMT_V8U8,
       D3DFMT_UNKNOWN},
      {"depth never served by anything but depth", AllOfFamilyExcept(FAMILY_DEPTH_STENCIL),
       D3DFMT_D24S8, D3DFMT_UNKNOWN},
      {"A8 never gets X8R8G8B8", Only({D3DFMT_X8R8G8B8}), D3DFMT_A8, D3DFMT_UNKNOWN},
      {"nothing supported", Only({}), D3DFMT_A8R8G8B8, D3DFMT_UNKNOWN},
      {"private A16L16 is not supported by the runtime -> A16B16G16R16", EveryFormatExcept({}),
       UT_FMT_A16L16, D3DFMT_A16B16G16R16},
      {"private R16G16B16 is not supported by the runtime -> A16B16G16R16",
       EveryFormatExcept({}), UT_FMT_R16G16B16, D3DFMT_A16B16G16R16},
      {"a private code comes back when the device reports it supported",
       Only({UT_FMT_R16G16B16, D3DFMT_A16B16G16R16}), UT_FMT_R16G16B16, UT_FMT_R16G16B16},
  };
  for (const SearchCase& c : cases) {
    SCOPED_TRACE(c.name);
    d3d9rt::SetFormatRule(c.rule);
    const D3DFORMAT got = Search(c.desired);
    EXPECT_EQ(got, c.expected) << std::hex << "got 0x" << got << ", expected 0x" << c.expected;
  }
}

// Every public catalogued format that the runtime stores is one it reports supported, so each
// comes back as asked from the device.
TEST_F(RuntimeFormatSearchTest, EverySupportedFormatComesBackAsAsked) {
  d3d9rt::SetFormatRule(d3d9rt::EveryFormatExcept({}));
  for (const PixelFormatInfo& info : PixelFormatCatalogue()) {
    if (info.format == UT_FMT_A16L16 || info.format == UT_FMT_R16G16B16) continue;
    SCOPED_TRACE(testing::Message() << "format 0x" << std::hex << info.format);
    EXPECT_EQ(Search(info.format), info.format);
  }
}

TEST_F(RuntimeFormatSearchTest, MutesTheRuntimeAroundTheProbesAndGivesBackItsReferences) {
  d3d9rt::SetFormatRule(d3d9rt::EveryFormatExcept({D3DFMT_DXT1}));
  const long objects = d3d9rt::LiveObjectCount();
  const long references = d3d9rt::LiveReferenceCount();
  EXPECT_EQ(Search(D3DFMT_DXT1), D3DFMT_A8R8G8B8);
  EXPECT_EQ(d3d9rt::DebugSetMuteCallCount(), 2u);  // TRUE before the probes, FALSE after
  EXPECT_FALSE(d3d9rt::IsDebugMuted());
  EXPECT_EQ(d3d9rt::LiveObjectCount(), objects);
  EXPECT_EQ(d3d9rt::LiveReferenceCount(), references);
}

TEST_F(RuntimeFormatSearchTest, VertexTextureQueryOfASoftwareDeviceAsksForSoftwareUse) {
  // R32F exists only as a software-processed vertex texture; otherwise G16R16 is the closest.
  const d3d9rt::FormatRule everything = d3d9rt::EveryFormatExcept({});
  d3d9rt::SetFormatRule([everything](const d3d9rt::FormatQuery& q) -> HRESULT {
    if (q.format == D3DFMT_R32F && !(q.usage & D3DUSAGE_SOFTWAREPROCESSING)) {
      return D3DERR_NOTAVAILABLE;
    }
    return everything(q);
  });
  const PixelFormatInfo& r32f = Info(D3DFMT_R32F);
  EXPECT_EQ(FindClosestDeviceFormat(device_.Get(), D3DUSAGE_QUERY_VERTEXTEXTURE, D3DRTYPE_TEXTURE,
                                    r32f),
            D3DFMT_G16R16)
      << "hardware vertex processing";

  ComPtr<IDirect3DDevice9> software;
  CreateDevice(D3DCREATE_SOFTWARE_VERTEXPROCESSING, software);
  EXPECT_EQ(FindClosestDeviceFormat(software.Get(), D3DUSAGE_QUERY_VERTEXTEXTURE,
                                    D3DRTYPE_TEXTURE, r32f),
            D3DFMT_R32F);
  EXPECT_EQ(FindClosestDeviceFormat(software.Get(), 0, D3DRTYPE_TEXTURE, r32f), D3DFMT_G16R16)
      << "not a vertex texture query";
}

TEST_F(RuntimeFormatSearchTest, ProbesForTheResourceTypeAsked) {
  d3d9rt::SetFormatRule([](const d3d9rt::FormatQuery& q) -> HRESULT {
    if (q.format == D3DFMT_A8R8G8B8) return D3D_OK;
    return q.format == D3DFMT_DXT5 && q.type == D3DRTYPE_VOLUMETEXTURE ? D3D_OK
                                                                       : D3DERR_NOTAVAILABLE;
  });
  const PixelFormatInfo& dxt5 = Info(D3DFMT_DXT5);
  EXPECT_EQ(FindClosestDeviceFormat(device_.Get(), 0, D3DRTYPE_VOLUMETEXTURE, dxt5), D3DFMT_DXT5);
  EXPECT_EQ(FindClosestDeviceFormat(device_.Get(), 0, D3DRTYPE_TEXTURE, dxt5), D3DFMT_A8R8G8B8);
}

}  // namespace
