// The factory and the base construction: which formats have codecs, how the block is bound,
// and that the codec table agrees with the format catalogue.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/ut/pixel/codec_test_support.h"
#include "ut/pixel/field_reciprocals.h"
#include "ut/pixel/pixel_codec_layouts.h"
#include "ut/pixel/pixel_format.h"
#include "ut/pixel/private_formats.h"

namespace {

bool IsBlockOrPairFormat(D3DFORMAT f) {
  return f == D3DFMT_DXT1 || f == D3DFMT_DXT2 || f == D3DFMT_DXT3 || f == D3DFMT_DXT4 ||
         f == D3DFMT_DXT5 || f == D3DFMT_YUY2 || f == D3DFMT_UYVY || f == D3DFMT_R8G8_B8G8 ||
         f == D3DFMT_G8R8_G8B8;
}

TEST(PixelCodecFactory, FormatsWithoutCodec) {
  const D3DFORMAT formats[] = {D3DFMT_UNKNOWN, D3DFMT_D32,     D3DFMT_D15S1,
                               D3DFMT_D24S8,   D3DFMT_D16,     D3DFMT_D24X8,
                               D3DFMT_D24X4S4, D3DFMT_D24FS8,  D3DFMT_INDEX16,
                               D3DFMT_VERTEXDATA, static_cast<D3DFORMAT>(0x12345678)};
  std::vector<uint8_t> bytes(64);
  for (D3DFORMAT f : formats) {
    EXPECT_EQ(CreatePixelCodec(MakeBlock(bytes.data(), f, 16, 2)), nullptr) << "format " << f;
  }
}

TEST(PixelCodecFactory, EveryLayoutRowMakesItsCodec) {
  std::vector<uint8_t> bytes(64);
  for (const PixelCodecLayout& layout : kPixelCodecLayouts) {
    std::unique_ptr<PixelCodec> codec =
        CreatePixelCodec(MakeBlock(bytes.data(), layout.format, 32, 2));
    ASSERT_NE(codec, nullptr) << "format " << layout.format;
    EXPECT_EQ(codec->format, layout.format);
    EXPECT_EQ(codec->kind, layout.kind) << "format " << layout.format;
    EXPECT_TRUE(codec->byteAddressable);
    EXPECT_EQ(codec->bytesPerPixel, layout.bitsPerPixel / 8u) << "format " << layout.format;
    EXPECT_EQ(codec->rowBytes, 2 * layout.bitsPerPixel / 8u);
    const bool palettized = layout.format == D3DFMT_P8 || layout.format == D3DFMT_A8P8;
    EXPECT_EQ(codec->palettized != FALSE, palettized) << "format " << layout.format;
    EXPECT_EQ(codec->palette != nullptr, palettized) << "format " << layout.format;
  }
}

// Every catalogued format has a codec here unless it belongs to the block-compressed or pair
// codecs or is a depth format that cannot be locked; the bits per pixel agree.
TEST(PixelCodecFactory, AgreesWithTheCatalogue) {
  for (const PixelFormatInfo& info : PixelFormatCatalogue()) {
    if (IsBlockOrPairFormat(info.format)) continue;
    const PixelCodecLayout* layout = FindPixelCodecLayout(info.format);
    const bool lockableOrNotDepth =
        info.family != FAMILY_DEPTH_STENCIL || info.otherBits == 1;  // 1 marks lockable depth
    EXPECT_EQ(layout != nullptr, lockableOrNotDepth) << "format " << info.format;
    if (layout) {
      EXPECT_EQ(layout->bitsPerPixel, info.bitsPerPixel) << "format " << info.format;
    }
  }
  for (const PixelCodecLayout& layout : kPixelCodecLayouts) {
    EXPECT_EQ(GetPixelFormatInfo(layout.format)->format, layout.format)
        << "not catalogued: " << layout.format;
  }
}

TEST(PixelCodecFactory, StoredReciprocalsAreTheNearestFloats) {
  const uint32_t maxCodes[] = {1, 3, 7, 15, 31, 63, 127, 255, 511, 1023, 32767, 65535};
  for (uint32_t m : maxCodes) {
    EXPECT_EQ(ReciprocalOfMaxCode(m), static_cast<float>(1.0 / m)) << "1/" << m;
  }
  EXPECT_EQ(ReciprocalOfMaxCode(255), 0.003921569f);
  EXPECT_EQ(ReciprocalOfMaxCode(32767), 0.00003051851f);
}

TEST(PixelCodecFactory, RegionIsRebasedOntoItsFirstPixel) {
  // A 4 x 3 x 2 volume of A8 pixels whose value is 100 z + 10 y + x.
  uint8_t volume[2][3][4];
  for (int z = 0; z < 2; ++z)
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) volume[z][y][x] = static_cast<uint8_t>(100 * z + 10 * y + x);
  PixelBlockDesc desc = MakeBlock(volume, D3DFMT_A8, 4, 4, 3, 2, 12);
  desc.region = D3DBOX{1, 1, 3, 3, 1, 2};
  std::unique_ptr<PixelCodec> codec = CreatePixelCodec(desc);
  ASSERT_NE(codec, nullptr);
  EXPECT_EQ(codec->width, 2u);
  EXPECT_EQ(codec->height, 2u);
  EXPECT_EQ(codec->depth, 1u);
  EXPECT_EQ(codec->bits, &volume[1][1][1]);
  EXPECT_EQ(codec->region.Left, 0u);
  EXPECT_EQ(codec->region.Right, 2u);
  EXPECT_EQ(codec->region.Bottom, 2u);
  EXPECT_EQ(codec->region.Front, 0u);
  EXPECT_EQ(codec->region.Back, 1u);
  UtColor row[2];
  codec->DecodeRow(1, 0, row);
  EXPECT_EQ(row[0].a, 121 * 0.003921569f);
  EXPECT_EQ(row[1].a, 122 * 0.003921569f);
  // Encoding writes inside the region only.
  row[0].a = row[1].a = 0.0f;
  codec->EncodeRow(0, 0, row);
  EXPECT_EQ(volume[1][1][0], 110);
  EXPECT_EQ(volume[1][1][1], 0);
  EXPECT_EQ(volume[1][1][2], 0);
  EXPECT_EQ(volume[1][1][3], 113);
  EXPECT_EQ(volume[0][1][1], 11);
}

TEST(PixelCodecFactory, InvertedRegionIsEmpty) {
  std::vector<uint8_t> bytes(64);
  PixelBlockDesc desc = MakeBlock(bytes.data(), D3DFMT_A8R8G8B8, 16, 4, 4);
  desc.region = D3DBOX{3, 3, 1, 1, 0, 1};
  std::unique_ptr<PixelCodec> codec = CreatePixelCodec(desc);
  ASSERT_NE(codec, nullptr);
  EXPECT_EQ(codec->width, 0u);
  EXPECT_EQ(codec->height, 0u);
  EXPECT_EQ(codec->rowBytes, 0u);
}

TEST(PixelCodecFactory, OptionsSelectTablesAndRows) {
  std::vector<uint8_t> bytes(64);
  BlockOptions options;
  std::unique_ptr<PixelCodec> plain =
      CreatePixelCodec(MakeBlock(bytes.data(), D3DFMT_R5G6B5, 8, 4, 1, 1, 0, options));
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->ditherTable, kNoDitherTable);
  EXPECT_EQ(plain->errorRow, nullptr);
  EXPECT_EQ(plain->conversionRow, nullptr);
  EXPECT_EQ(plain->convertFromKind, PIXEL_KIND_NONE);
  EXPECT_FALSE(plain->bothGamma);

  options.orderedDither = TRUE;
  options.errorDiffusion = TRUE;
  std::unique_ptr<PixelCodec> dithered =
      CreatePixelCodec(MakeBlock(bytes.data(), D3DFMT_R5G6B5, 8, 4, 1, 1, 0, options));
  ASSERT_NE(dithered, nullptr);
  EXPECT_EQ(dithered->ditherTable, kOrderedDitherTable);
  ASSERT_NE(dithered->errorRow, nullptr);
  for (int i = 0; i < 6; ++i) {
    EXPECT_TRUE(SameBits(dithered->errorRow[i], UtColor(0, 0, 0, 0))) << "entry " << i;
  }
}

}  // namespace
