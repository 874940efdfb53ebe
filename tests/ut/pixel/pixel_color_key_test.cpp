// Colour keying: a decoded pixel equal to the quantised key in all four channels becomes
// (0, 0, 0, 0); anything else, even one step away in one channel, is left alone.
#include <gtest/gtest.h>

#include "tests/ut/pixel/codec_test_support.h"

namespace {

struct KeyCase {
  const char* what;
  D3DFORMAT format;
  D3DCOLOR key;
  std::vector<uint8_t> packed;
  bool keyed;
};

const UtColor kTransparent(0, 0, 0, 0);

TEST(PixelColorKey, ExactMatchesOnly) {
  const KeyCase cases[] = {
      {"A8R8G8B8 equal", D3DFMT_A8R8G8B8, 0xFF00FF00, LittleEndian(0xFF00FF00, 4), true},
      {"A8R8G8B8 alpha differs", D3DFMT_A8R8G8B8, 0xFF00FF00, LittleEndian(0xFE00FF00, 4), false},
      {"A8R8G8B8 green differs", D3DFMT_A8R8G8B8, 0xFF00FF00, LittleEndian(0xFF00FE00, 4), false},
      {"A8R8G8B8 blue differs", D3DFMT_A8R8G8B8, 0xFF00FF00, LittleEndian(0xFF00FF01, 4), false},
      // Without stored alpha the key's alpha quantises to 1 like every pixel's.
      {"X8R8G8B8 any X", D3DFMT_X8R8G8B8, 0x00FF00FF, LittleEndian(0x12FF00FF, 4), true},
      {"X8R8G8B8 red differs", D3DFMT_X8R8G8B8, 0x00FF00FF, LittleEndian(0x12FE00FF, 4), false},
      // 0x80 / 255 quantises to 16 of 31 and 32 of 63.
      {"R5G6B5 quantised key", D3DFMT_R5G6B5, 0xFF808080, LittleEndian(0x8410, 2), true},
      {"R5G6B5 one step off", D3DFMT_R5G6B5, 0xFF808080, LittleEndian(0x8411, 2), false},
      {"A1R5G5B5 transparent key", D3DFMT_A1R5G5B5, 0x00FF0000, LittleEndian(0x7C00, 2), true},
      {"A1R5G5B5 opaque pixel", D3DFMT_A1R5G5B5, 0x00FF0000, LittleEndian(0xFC00, 2), false},
      // The luminance of grey 0x80 is 128.
      {"L8 grey", D3DFMT_L8, 0xFF808080, LittleEndian(0x80, 1), true},
      {"L8 grey off by one", D3DFMT_L8, 0xFF808080, LittleEndian(0x7F, 1), false},
      // A signed channel of the key is 2b/255 - 1: red 0xFF is 1 (U = 127), green 0x00 is -1,
      // which quantises toward zero to V = -126.
      {"V8U8 quantised key", D3DFMT_V8U8, 0xFFFF0000, LittleEndian(0x827F, 2), true},
      {"V8U8 most negative", D3DFMT_V8U8, 0xFFFF0000, LittleEndian(0x817F, 2), false},
      // 0x80 / 255 as a half is 0x3804.
      {"A16B16G16R16F quantised key", D3DFMT_A16B16G16R16F, 0x80FF0000,
       LittleEndian(0x3804000000003C00, 8), true},
      {"A16B16G16R16F alpha one step off", D3DFMT_A16B16G16R16F, 0x80FF0000,
       LittleEndian(0x3805000000003C00, 8), false},
  };
  for (const KeyCase& c : cases) {
    BlockOptions options;
    options.colorKey = c.key;
    const UtColor unkeyed = DecodeOne(c.format, c.packed);
    const UtColor got = DecodeOne(c.format, c.packed, options);
    if (c.keyed) {
      EXPECT_TRUE(SameBits(got, kTransparent)) << c.what << ": " << ColorText(got);
    } else {
      EXPECT_TRUE(SameBits(got, unkeyed)) << c.what << ": " << ColorText(got);
    }
  }
}

TEST(PixelColorKey, KeyColorIsTheDecodedFormOfTheKey) {
  const UtColor fromBytes(0xFF * 0.003921569f, 0x40 * 0.003921569f, 0x20 * 0.003921569f,
                          0x80 * 0.003921569f);
  std::vector<uint8_t> bytes(16);
  BlockOptions options;
  options.colorKey = 0x80FF4020;
  std::unique_ptr<PixelCodec> codec =
      CreatePixelCodec(MakeBlock(bytes.data(), D3DFMT_A8R8G8B8, 16, 1, 1, 1, 0, options));
  ASSERT_NE(codec, nullptr);
  EXPECT_TRUE(SameBits(codec->keyColor, fromBytes)) << ColorText(codec->keyColor);

  // R5G6B5: the key becomes what the stored pixel 0x8410 decodes to.
  options.colorKey = 0xFF808080;
  codec = CreatePixelCodec(MakeBlock(bytes.data(), D3DFMT_R5G6B5, 16, 1, 1, 1, 0, options));
  ASSERT_NE(codec, nullptr);
  const UtColor stored = DecodeOne(D3DFMT_R5G6B5, LittleEndian(0x8410, 2));
  EXPECT_TRUE(SameBits(codec->keyColor, stored)) << ColorText(codec->keyColor);
}

TEST(PixelColorKey, KeyIsComparedBeforeGamma) {
  BlockOptions options;
  options.colorKey = 0xFF808080;
  options.gamma = TRUE;
  const UtColor keyed = DecodeOne(D3DFMT_X8R8G8B8, LittleEndian(0x00808080, 4), options);
  EXPECT_TRUE(SameBits(keyed, kTransparent)) << ColorText(keyed);
  const UtColor other = DecodeOne(D3DFMT_X8R8G8B8, LittleEndian(0x00818181, 4), options);
  EXPECT_LT(other.r, 0x81 * 0.003921569f);  // gamma-decoded: darker than the stored value
}

TEST(PixelColorKey, KeyedRowKeepsOtherPixels) {
  const uint32_t pixels[4] = {0xFF00FF00, 0xFF102030, 0xFF00FF00, 0x0000FF00};
  BlockOptions options;
  options.colorKey = 0xFF00FF00;
  std::unique_ptr<PixelCodec> codec =
      CreatePixelCodec(MakeBlock(const_cast<uint32_t*>(pixels), D3DFMT_A8R8G8B8, 16, 4, 1, 1, 0,
                                 options));
  ASSERT_NE(codec, nullptr);
  UtColor row[4];
  codec->DecodeRow(0, 0, row);
  EXPECT_TRUE(SameBits(row[0], kTransparent));
  EXPECT_TRUE(SameBits(row[2], kTransparent));
  EXPECT_FALSE(SameBits(row[1], kTransparent));
  EXPECT_TRUE(SameBits(row[3], UtColor(0, 1, 0, 0))) << ColorText(row[3]);
}

// Quantising the key encodes one pixel; with error diffusion its error must not leak into the
// first row that is really encoded.
TEST(PixelColorKey, KeyQuantisationLeavesNoErrorsBehind) {
  std::vector<UtColor> row(6, UtColor(10.51f / 31.0f, 20.51f / 63.0f, 5.51f / 31.0f, 1));
  std::vector<uint8_t> keyed(12), plain(12);
  BlockOptions options;
  options.errorDiffusion = TRUE;
  std::unique_ptr<PixelCodec> a =
      CreatePixelCodec(MakeBlock(plain.data(), D3DFMT_R5G6B5, 12, 6, 1, 1, 0, options));
  options.colorKey = 0xFF808080;
  std::unique_ptr<PixelCodec> b =
      CreatePixelCodec(MakeBlock(keyed.data(), D3DFMT_R5G6B5, 12, 6, 1, 1, 0, options));
  ASSERT_TRUE(a && b);
  std::vector<UtColor> copy = row;
  a->EncodeRow(0, 0, row.data());
  b->EncodeRow(0, 0, copy.data());
  EXPECT_EQ(HexBytes(keyed.data(), 12), HexBytes(plain.data(), 12));
}

}  // namespace
