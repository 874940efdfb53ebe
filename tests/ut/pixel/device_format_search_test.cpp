// The closest-format search against a fake device, for what the software runtime cannot show:
// the exact probes, the muting during each of them, and devices whose queries fail. The
// documented substitutes are checked on the runtime (device_format_runtime_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake_device.h"
#include "ut/pixel/format_match.h"
#include "ut/pixel/private_formats.h"

namespace {

using pixel_test::FakeDevice;
using pixel_test::FakeDirect3D;

const PixelFormatInfo& Info(D3DFORMAT format) { return *GetPixelFormatInfo(format); }

bool IsPrivate(D3DFORMAT format) { return format == UT_FMT_A16L16 || format == UT_FMT_R16G16B16; }

// Like a real device: every catalogued format except the named ones, and never a private code.
FakeDirect3D::SupportRule AllExcept(std::vector<D3DFORMAT> unsupported) {
  return [unsupported](DWORD, D3DRESOURCETYPE, D3DFORMAT format) {
    return !IsPrivate(format) &&
           std::find(unsupported.begin(), unsupported.end(), format) == unsupported.end();
  };
}

FakeDirect3D::SupportRule Only(std::vector<D3DFORMAT> supported) {
  return [supported](DWORD, D3DRESOURCETYPE, D3DFORMAT format) {
    return std::find(supported.begin(), supported.end(), format) != supported.end();
  };
}

class FindClosestDeviceFormatTest : public testing::Test {
 protected:
  void SetUp() override {
    pixel_test::InstallFakeRuntime();
    pixel_test::ClearFakeRuntimeMuteCalls();
  }
  D3DFORMAT Search(D3DFORMAT desired, DWORD usage = 0,
                   D3DRESOURCETYPE type = D3DRTYPE_TEXTURE) {
    return FindClosestDeviceFormat(&device_, usage, type, Info(desired));
  }

  FakeDirect3D d3d_;
  FakeDevice device_{&d3d_};
};

TEST_F(FindClosestDeviceFormatTest, ProbesWithTheDeviceAdapterAndDisplayFormat) {
  device_.caps.AdapterOrdinal = 3;
  device_.caps.DeviceType = D3DDEVTYPE_REF;
  device_.displayMode.Format = D3DFMT_R5G6B5;
  EXPECT_EQ(Search(D3DFMT_X8R8G8B8, D3DUSAGE_RENDERTARGET, D3DRTYPE_CUBETEXTURE),
            D3DFMT_X8R8G8B8);

  // Catalogue order up to the exact match, which ends the search.
  const D3DFORMAT expectedOrder[] = {D3DFMT_R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8};
  ASSERT_EQ(d3d_.probes.size(), std::size(expectedOrder));
  for (size_t i = 0; i < d3d_.probes.size(); ++i) {
    const pixel_test::FormatProbeCall& probe = d3d_.probes[i];
    SCOPED_TRACE(testing::Message() << "probe " << i);
    EXPECT_EQ(probe.format, expectedOrder[i]);
    EXPECT_EQ(probe.adapter, 3u);
    EXPECT_EQ(probe.deviceType, D3DDEVTYPE_REF);
    EXPECT_EQ(probe.adapterFormat, D3DFMT_R5G6B5);
    EXPECT_EQ(probe.usage, DWORD{D3DUSAGE_RENDERTARGET});
    EXPECT_EQ(probe.resourceType, D3DRTYPE_CUBETEXTURE);
  }
}

TEST_F(FindClosestDeviceFormatTest, WithoutAnExactMatchEveryFormatIsProbedOnceInOrder) {
  d3d_.supports = AllExcept({D3DFMT_DXT1});
  EXPECT_EQ(Search(D3DFMT_DXT1), D3DFMT_A8R8G8B8);
  const auto catalogue = PixelFormatCatalogue();
  ASSERT_EQ(d3d_.probes.size(), catalogue.size());
  for (size_t i = 0; i < catalogue.size(); ++i) {
    EXPECT_EQ(d3d_.probes[i].format, catalogue[i].format) << "probe " << i;
  }
}

TEST_F(FindClosestDeviceFormatTest, RuntimeIsMutedWhileProbingAndUnmutedAfter) {
  d3d_.supports = AllExcept({D3DFMT_A8});
  EXPECT_EQ(Search(D3DFMT_A8), D3DFMT_A8R3G3B2);
  ASSERT_FALSE(d3d_.probes.empty());
  for (const pixel_test::FormatProbeCall& probe : d3d_.probes) {
    EXPECT_TRUE(probe.muted) << "format 0x" << std::hex << probe.format << " probed unmuted";
  }
  EXPECT_EQ(pixel_test::FakeRuntimeMuteCalls(), (std::vector<BOOL>{TRUE, FALSE}));
  EXPECT_FALSE(pixel_test::FakeRuntimeMuted());
}

TEST_F(FindClosestDeviceFormatTest, ReleasesTheDirect3DObjectItTook) {
  d3d_.supports = AllExcept({D3DFMT_DXT1});
  Search(D3DFMT_DXT1);
  Search(D3DFMT_X8R8G8B8);
  EXPECT_EQ(d3d_.references, 1u);
  EXPECT_EQ(device_.references, 1u);
}

TEST_F(FindClosestDeviceFormatTest, VertexTextureQueryOfASoftwareDeviceAsksForSoftwareUse) {
  struct Case {
    const char* name;
    DWORD usage;
    DWORD behaviour;
    DWORD probedUsage;
    int creationQueries;
  };
  const Case cases[] = {
      {"software vertex processing", D3DUSAGE_QUERY_VERTEXTEXTURE,
       D3DCREATE_SOFTWARE_VERTEXPROCESSING,
       D3DUSAGE_QUERY_VERTEXTEXTURE | D3DUSAGE_SOFTWAREPROCESSING, 1},
      {"hardware vertex processing", D3DUSAGE_QUERY_VERTEXTEXTURE,
       D3DCREATE_HARDWARE_VERTEXPROCESSING, D3DUSAGE_QUERY_VERTEXTEXTURE, 1},
      {"not a vertex texture query", D3DUSAGE_RENDERTARGET, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
       D3DUSAGE_RENDERTARGET, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDirect3D d3d;
    FakeDevice device(&d3d);
    device.creation.BehaviorFlags = c.behaviour;
    // R32F only as a software-processed vertex texture; otherwise G16R16 is the closest.
    d3d.supports = [](DWORD usage, D3DRESOURCETYPE, D3DFORMAT format) {
      return format != D3DFMT_R32F || (usage & D3DUSAGE_SOFTWAREPROCESSING) != 0;
    };
    const D3DFORMAT got = FindClosestDeviceFormat(&device, c.usage, D3DRTYPE_TEXTURE,
                                                  Info(D3DFMT_R32F));
    EXPECT_EQ(got, (c.probedUsage & D3DUSAGE_SOFTWAREPROCESSING) ? D3DFMT_R32F : D3DFMT_G16R16)
        << std::hex << "got 0x" << got;
    ASSERT_FALSE(d3d.probes.empty());
    for (const pixel_test::FormatProbeCall& probe : d3d.probes) {
      EXPECT_EQ(probe.usage, c.probedUsage) << "format 0x" << std::hex << probe.format;
    }
    EXPECT_EQ(device.creationQueries, c.creationQueries);
  }
}

TEST_F(FindClosestDeviceFormatTest, WithoutItsDirect3DObjectTheWholeCatalogueCounts) {
  device_.failGetDirect3D = true;
  d3d_.supports = Only({});
  EXPECT_EQ(Search(D3DFMT_DXT1), D3DFMT_DXT1);
  EXPECT_EQ(Search(UT_FMT_A16L16), UT_FMT_A16L16);
  EXPECT_TRUE(d3d_.probes.empty());
  EXPECT_EQ(pixel_test::FakeRuntimeMuteCalls(), (std::vector<BOOL>{TRUE, FALSE, TRUE, FALSE}));
}

// A device that cannot answer its queries is probed with zeroed values, never with garbage.
TEST_F(FindClosestDeviceFormatTest, FailedDeviceQueriesProbeWithZeroedValues) {
  device_.failQueries = true;
  device_.caps.AdapterOrdinal = 7;
  EXPECT_EQ(Search(D3DFMT_A8R8G8B8, D3DUSAGE_QUERY_VERTEXTEXTURE), D3DFMT_A8R8G8B8);
  ASSERT_EQ(d3d_.probes.size(), 2u);
  for (const pixel_test::FormatProbeCall& probe : d3d_.probes) {
    EXPECT_EQ(probe.adapter, 0u);
    EXPECT_EQ(probe.deviceType, D3DDEVTYPE{});
    EXPECT_EQ(probe.adapterFormat, D3DFMT_UNKNOWN);
    EXPECT_EQ(probe.usage, DWORD{D3DUSAGE_QUERY_VERTEXTEXTURE});
  }
}

// Without a device every catalogued format counts as supported.
TEST(FindClosestDeviceFormatWithoutDevice, EveryCataloguedFormatComesBackAsAsked) {
  for (const PixelFormatInfo& info : PixelFormatCatalogue()) {
    SCOPED_TRACE(testing::Message() << "format 0x" << std::hex << info.format);
    EXPECT_EQ(FindClosestDeviceFormat(nullptr, 0, D3DRTYPE_TEXTURE, info), info.format);
  }
}

TEST(FindClosestDeviceFormatWithoutDevice, PrivateCodesComeBackUnchanged) {
  EXPECT_EQ(FindClosestDeviceFormat(nullptr, 0, D3DRTYPE_TEXTURE, Info(UT_FMT_A16L16)),
            UT_FMT_A16L16);
  EXPECT_EQ(FindClosestDeviceFormat(nullptr, 0, D3DRTYPE_TEXTURE, Info(UT_FMT_R16G16B16)),
            UT_FMT_R16G16B16);
}

TEST(FindClosestDeviceFormatWithoutDevice, UnknownFormatGetsEightBitArgb) {
  EXPECT_EQ(FindClosestDeviceFormat(nullptr, 0, D3DRTYPE_TEXTURE, g_unknownFormatInfo),
            D3DFMT_A8R8G8B8);
}

}  // namespace
