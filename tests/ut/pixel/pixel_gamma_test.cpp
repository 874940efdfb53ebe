// The gamma tables and curves, on their own and inside codecs.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/ut/pixel/codec_test_support.h"
#include "ut/pixel/pixel_gamma.h"

namespace {

TEST(PixelGamma, TablesFollowThePowerCurve) {
  const float* e = GammaEncodeTable();
  const float* d = GammaDecodeTable();
  for (int i = 0; i < 255; ++i) {
    // Entry i stands for the input (i/254)^2 when encoding and sqrt(i/254) when decoding.
    const double encoded = std::pow(i / 254.0, 2.0 / 2.2);
    const double decoded = std::pow(i / 254.0, 1.1);
    EXPECT_NEAR(e[i], encoded, 1.2e-7 * encoded + 1e-30) << "E[" << i << "]";
    EXPECT_NEAR(d[i], decoded, 1.2e-7 * decoded + 1e-30) << "D[" << i << "]";
    if (i > 0) {
      EXPECT_GT(e[i], e[i - 1]) << "E rises at " << i;
      EXPECT_GT(d[i], d[i - 1]) << "D rises at " << i;
    }
  }
  EXPECT_EQ(e[0], 0.0f);
  EXPECT_EQ(d[0], 0.0f);
  EXPECT_EQ(e[254], 1.0f);
  EXPECT_EQ(e[255], 1.0f);
  EXPECT_EQ(d[255], 1.0f);
}

TEST(PixelGamma, LookUpsHitTheTableEntries) {
  const float* e = GammaEncodeTable();
  const float* d = GammaDecodeTable();
  for (int k = 0; k <= 254; k += 17) {
    const float x = static_cast<float>((k / 254.0) * (k / 254.0));
    EXPECT_NEAR(GammaEncode(x), e[k], 2e-6) << "encode at entry " << k;
    const float y = static_cast<float>(std::sqrt(k / 254.0));
    EXPECT_NEAR(GammaDecode(y), d[k], 2e-6) << "decode at entry " << k;
  }
}

TEST(PixelGamma, CurvesAreInverseAndNearThePowerLaw) {
  for (int i = 5; i <= 100; ++i) {
    const float x = i / 100.0f;
    EXPECT_NEAR(GammaEncode(x), std::pow(x, 1 / 2.2f), 2e-3) << "encode " << x;
    EXPECT_NEAR(GammaDecode(x), std::pow(x, 2.2f), 2e-3) << "decode " << x;
    EXPECT_NEAR(GammaDecode(GammaEncode(x)), x, 4e-3) << "round trip " << x;
  }
}

TEST(PixelGamma, InputsOutsideTheTablesAreClamped) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct {
    float input;
    float expected;
  } cases[] = {{-0.5f, 0.0f}, {-inf, 0.0f}, {nan, 0.0f}, {1.0f, 1.0f},
               {1.0001f, 1.0f}, {2.0f, 1.0f}, {1e30f, 1.0f}, {inf, 1.0f}};
  for (const auto& c : cases) {
    EXPECT_EQ(GammaEncode(c.input), c.expected) << "encode " << c.input;
    EXPECT_EQ(GammaDecode(c.input), c.expected) << "decode " << c.input;
  }
}

TEST(PixelGamma, DecodeAppliesToColourChannelsOfUnsignedFormats) {
  BlockOptions options;
  options.gamma = TRUE;
  const UtColor got = DecodeOne(D3DFMT_A8R8G8B8, LittleEndian(0x80FF4000, 4), options);
  EXPECT_TRUE(SameBits(got, UtColor(GammaDecode(0xFF * 0.003921569f),
                                    GammaDecode(0x40 * 0.003921569f), 0.0f,
                                    0x80 * 0.003921569f)))
      << ColorText(got);
}

TEST(PixelGamma, EncodeAppliesBeforeQuantising) {
  BlockOptions options;
  options.gamma = TRUE;
  const std::vector<uint8_t> got =
      EncodeOne(D3DFMT_A8R8G8B8, UtColor(0.2f, 0.5f, 1.0f, 0.2f), 4, options);
  const auto code = [](float c) { return static_cast<uint8_t>(c * 255.0f + 0.5f); };
  const std::vector<uint8_t> want = {code(GammaEncode(1.0f)), code(GammaEncode(0.5f)),
                                     code(GammaEncode(0.2f)), code(0.2f)};
  EXPECT_EQ(got, want) << HexBytes(got.data(), 4);
  EXPECT_GT(want[1], 0x80);  // encoding brightens mid-tones
}

TEST(PixelGamma, FloatFormatsClampTheirGammaInput) {
  BlockOptions options;
  options.gamma = TRUE;
  const std::vector<uint8_t> got =
      EncodeOne(D3DFMT_A32B32G32R32F, UtColor(2.0f, -1.0f, 0.25f, 3.0f), 16, options);
  EXPECT_EQ(got, FloatBytes({1.0f, 0.0f, GammaEncode(0.25f), 3.0f}));
}

TEST(PixelGamma, SignedFormatsCarryNoGammaExceptTheLuminanceOfL6V5U5) {
  struct Case {
    D3DFORMAT format;
    BOOL gamma;
  };
  const Case cases[] = {{D3DFMT_V8U8, FALSE},        {D3DFMT_Q8W8V8U8, FALSE},
                        {D3DFMT_X8L8V8U8, FALSE},    {D3DFMT_CxV8U8, FALSE},
                        {D3DFMT_Q16W16V16U16, FALSE}, {D3DFMT_L6V5U5, TRUE},
                        {D3DFMT_L8, TRUE},           {D3DFMT_R32F, TRUE}};
  std::vector<uint8_t> bytes(16);
  BlockOptions options;
  options.gamma = TRUE;
  for (const Case& c : cases) {
    std::unique_ptr<PixelCodec> codec =
        CreatePixelCodec(MakeBlock(bytes.data(), c.format, 16, 1, 1, 1, 0, options));
    ASSERT_NE(codec, nullptr);
    EXPECT_EQ(codec->gamma, c.gamma) << "format " << c.format;
  }
  // L6V5U5: the luminance (alpha) is gamma-decoded, U and V are not.
  const UtColor got = DecodeOne(D3DFMT_L6V5U5, LittleEndian(0x800F, 2), options);
  EXPECT_TRUE(SameBits(got, UtColor(1.0f, 0.0f, 1.0f, GammaDecode(32 * 0.015873017f))))
      << ColorText(got);
}

TEST(PixelGamma, BothEndsGammaUseSquareAndSquareRoot) {
  std::vector<uint8_t> source = LittleEndian(0xFF804020, 4);
  std::vector<uint8_t> destination(4, 0xCD);
  BlockOptions options;
  options.gamma = TRUE;
  std::unique_ptr<PixelCodec> from =
      CreatePixelCodec(MakeBlock(source.data(), D3DFMT_A8R8G8B8, 4, 1, 1, 1, 0, options));
  std::unique_ptr<PixelCodec> to =
      CreatePixelCodec(MakeBlock(destination.data(), D3DFMT_A8R8G8B8, 4, 1, 1, 1, 0, options));
  ASSERT_TRUE(from && to);
  ASSERT_EQ(to->BindSource(*from), S_OK);
  EXPECT_TRUE(from->bothGamma);
  EXPECT_TRUE(to->bothGamma);
  UtColor c;
  from->DecodeRow(0, 0, &c);
  const float red = 0x80 * 0.003921569f;
  EXPECT_EQ(c.r, red * red);
  EXPECT_EQ(c.a, 1.0f);
  to->EncodeRow(0, 0, &c);
  EXPECT_EQ(destination, source) << HexBytes(destination.data(), 4);
}

TEST(PixelGamma, OneSidedGammaKeepsTheTables) {
  std::vector<uint8_t> source = LittleEndian(0xFF804020, 4);
  std::vector<uint8_t> destination(4);
  BlockOptions gamma;
  gamma.gamma = TRUE;
  std::unique_ptr<PixelCodec> from =
      CreatePixelCodec(MakeBlock(source.data(), D3DFMT_A8R8G8B8, 4, 1));
  std::unique_ptr<PixelCodec> to =
      CreatePixelCodec(MakeBlock(destination.data(), D3DFMT_A8R8G8B8, 4, 1, 1, 1, 0, gamma));
  ASSERT_TRUE(from && to);
  ASSERT_EQ(to->BindSource(*from), S_OK);
  EXPECT_FALSE(to->bothGamma);
  ASSERT_NE(to->conversionRow, nullptr);
  UtColor c;
  from->DecodeRow(0, 0, &c);
  const UtColor input = c;
  to->EncodeRow(0, 0, &c);
  EXPECT_TRUE(SameBits(c, input)) << "the input row is left alone when a conversion row exists";
  EXPECT_EQ(destination[2], static_cast<uint8_t>(GammaEncode(0x80 * 0.003921569f) * 255 + 0.5f));
}

}  // namespace
