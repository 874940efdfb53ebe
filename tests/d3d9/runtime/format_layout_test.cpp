// Storage of every format: row pitches, rows of blocks, level sizes, and the table's own
// consistency (fields inside the pixel, no two fields sharing a bit).
#include <gtest/gtest.h>

#include "d3d9/runtime/format_layout.h"

namespace {

using d3d9rt::ComputeFootprint;
using d3d9rt::FindFormatLayout;
using d3d9rt::LevelFootprint;

struct FootprintCase {
  D3DFORMAT format;
  UINT width, height;
  UINT rowPitch, rows;
};

TEST(FormatLayout, FootprintsFollowTheRuntimeLayout) {
  const FootprintCase cases[] = {
      {D3DFMT_A8R8G8B8, 5, 3, 20, 3},
      {D3DFMT_R5G6B5, 3, 2, 8, 2},        // 6 bytes rounded up to 4
      {D3DFMT_L8, 5, 1, 8, 1},
      {D3DFMT_R8G8B8, 3, 1, 12, 1},       // 9 bytes rounded up to 4
      {D3DFMT_A32B32G32R32F, 3, 1, 48, 1},
      {D3DFMT_DXT1, 6, 6, 16, 2},         // two 8-byte blocks across, two block rows
      {D3DFMT_DXT5, 1, 1, 16, 1},         // a level below a block still takes one
      {D3DFMT_DXT3, 12, 4, 48, 1},
      {D3DFMT_DXT2, 4, 9, 16, 3},
      {D3DFMT_YUY2, 5, 2, 12, 2},         // three pairs
      {D3DFMT_UYVY, 1, 1, 4, 1},
      {D3DFMT_G8R8_G8B8, 4, 1, 8, 1},
      {D3DFMT_D24S8, 2, 2, 8, 2},
      {D3DFMT_A16B16G16R16F, 1, 1, 8, 1},
  };
  for (const FootprintCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "format " << c.format << " " << c.width << "x" << c.height);
    const d3d9rt::FormatLayout* layout = FindFormatLayout(c.format);
    ASSERT_NE(layout, nullptr);
    LevelFootprint f;
    ASSERT_TRUE(ComputeFootprint(*layout, c.width, c.height, &f));
    EXPECT_EQ(f.rowPitch, c.rowPitch);
    EXPECT_EQ(f.rows, c.rows);
    EXPECT_EQ(f.slicePitch, c.rowPitch * c.rows);
  }
}

TEST(FormatLayout, SizesBeyondThirtyTwoBitsAreRefused) {
  LevelFootprint f;
  EXPECT_FALSE(ComputeFootprint(*FindFormatLayout(D3DFMT_A32B32G32R32F), 0x10000000u, 1, &f));
  EXPECT_FALSE(ComputeFootprint(*FindFormatLayout(D3DFMT_A8R8G8B8), 65536, 65536, &f));
}

TEST(FormatLayout, LevelSizesHalveDownToOne) {
  EXPECT_EQ(d3d9rt::LevelExtent(12, 1), 6u);
  EXPECT_EQ(d3d9rt::LevelExtent(12, 2), 3u);
  EXPECT_EQ(d3d9rt::LevelExtent(12, 3), 1u);
  EXPECT_EQ(d3d9rt::LevelExtent(12, 9), 1u);
  EXPECT_EQ(d3d9rt::LevelExtent(100, 40), 1u);
  EXPECT_EQ(d3d9rt::FullChainLength(256, 256, 1), 9u);
  EXPECT_EQ(d3d9rt::FullChainLength(100, 60, 1), 7u);
  EXPECT_EQ(d3d9rt::FullChainLength(1, 1, 1), 1u);
  EXPECT_EQ(d3d9rt::FullChainLength(8, 2, 1), 4u);
  EXPECT_EQ(d3d9rt::FullChainLength(4, 4, 16), 5u);
}

TEST(FormatLayout, BlockAndPairFormatsAreStoredAsUnits) {
  for (D3DFORMAT f : {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5}) {
    EXPECT_EQ(FindFormatLayout(f)->storage, d3d9rt::Storage::kBlock) << f;
    EXPECT_EQ(FindFormatLayout(f)->bytes, f == D3DFMT_DXT1 ? 8 : 16) << f;
  }
  for (D3DFORMAT f : {D3DFMT_YUY2, D3DFMT_UYVY, D3DFMT_R8G8_B8G8, D3DFMT_G8R8_G8B8}) {
    EXPECT_EQ(FindFormatLayout(f)->storage, d3d9rt::Storage::kPair) << f;
    EXPECT_EQ(FindFormatLayout(f)->bytes, 4) << f;
  }
}

TEST(FormatLayout, FieldsLieInsideThePixelAndDoNotOverlap) {
  // Walk every format value the table could hold.
  const D3DFORMAT candidates[] = {
      D3DFMT_R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
      D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_R3G3B2, D3DFMT_A8, D3DFMT_A8R3G3B2,
      D3DFMT_X4R4G4B4, D3DFMT_A2B10G10R10, D3DFMT_A8B8G8R8, D3DFMT_X8B8G8R8, D3DFMT_G16R16,
      D3DFMT_A2R10G10B10, D3DFMT_A16B16G16R16, D3DFMT_L8, D3DFMT_A8L8, D3DFMT_A4L4,
      D3DFMT_L16, D3DFMT_D16_LOCKABLE, D3DFMT_D32, D3DFMT_D15S1, D3DFMT_D24S8, D3DFMT_D24X8,
      D3DFMT_D24X4S4, D3DFMT_D16, D3DFMT_D32F_LOCKABLE, D3DFMT_D24FS8, D3DFMT_R16F,
      D3DFMT_G16R16F, D3DFMT_A16B16G16R16F, D3DFMT_R32F, D3DFMT_G32R32F,
      D3DFMT_A32B32G32R32F};
  for (D3DFORMAT format : candidates) {
    const d3d9rt::FormatLayout* layout = FindFormatLayout(format);
    ASSERT_NE(layout, nullptr) << format;
    unsigned used[128] = {};
    unsigned total = 0;
    for (const d3d9rt::Field& field : layout->fields) {
      if (field.channel == d3d9rt::Channel::kNone) break;
      ASSERT_LE(field.shift + field.bits, layout->bytes * 8u) << format;
      for (unsigned b = field.shift; b < field.shift + field.bits; ++b) {
        EXPECT_EQ(used[b]++, 0u) << "format " << format << " bit " << b;
      }
      total += field.bits;
    }
    // Every bit of the pixel belongs to a field (X bits included).
    EXPECT_EQ(total, layout->bytes * 8u) << format;
  }
}

TEST(FormatLayout, UnknownFormatsHaveNoLayout) {
  EXPECT_EQ(FindFormatLayout(D3DFMT_UNKNOWN), nullptr);
  EXPECT_EQ(FindFormatLayout(static_cast<D3DFORMAT>(0x36314C41)), nullptr);  // "AL16"
  EXPECT_EQ(FindFormatLayout(D3DFMT_VERTEXDATA), nullptr);
  EXPECT_TRUE(d3d9rt::IsDepthFormat(D3DFMT_D24S8));
  EXPECT_FALSE(d3d9rt::IsDepthFormat(D3DFMT_A8R8G8B8));
}

}  // namespace
