#include <gtest/gtest.h>

#include "ut/pixel/format_match.h"
#include "ut/pixel/private_formats.h"

namespace {

const PixelFormatInfo& Info(D3DFORMAT format) { return *GetPixelFormatInfo(format); }

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
