// Kind conversion between unsigned, signed and floating-point values, alone and as BindSource
// sets it up between two codecs.
#include <gtest/gtest.h>

#include <limits>

#include "tests/ut/pixel/codec_test_support.h"
#include "ut/pixel/pixel_kind.h"

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(PixelKind, ConversionTable) {
  struct Case {
    PixelKind from;
    PixelKind to;
    UtColor in;
    UtColor out;
  };
  const Case cases[] = {
      {PIXEL_KIND_UNORM, PIXEL_KIND_SNORM_RGB, {0, 0.5f, 1, 0.25f}, {-1, 0, 1, 0.25f}},
      {PIXEL_KIND_UNORM, PIXEL_KIND_SNORM, {0, 0.5f, 1, 0.25f}, {-1, 0, 1, -0.5f}},
      {PIXEL_KIND_SNORM_RGB, PIXEL_KIND_UNORM, {-1, 0, 1, 0.25f}, {0, 0.5f, 1, 0.25f}},
      {PIXEL_KIND_SNORM, PIXEL_KIND_UNORM, {-1, 0, 1, -0.5f}, {0, 0.5f, 1, 0.25f}},
      {PIXEL_KIND_SNORM_RGB, PIXEL_KIND_SNORM, {-1, 0, 1, 0.25f}, {-1, 0, 1, -0.5f}},
      {PIXEL_KIND_SNORM, PIXEL_KIND_SNORM_RGB, {-1, 0, 1, -0.5f}, {-1, 0, 1, 0.25f}},
      {PIXEL_KIND_FLOAT, PIXEL_KIND_UNORM, {-2, 0.5f, 3, kNaN}, {0, 0.5f, 1, 0}},
      {PIXEL_KIND_FLOAT, PIXEL_KIND_SNORM_RGB, {-2, 0.5f, 3, -1}, {-1, 0.5f, 1, 0}},
      {PIXEL_KIND_FLOAT, PIXEL_KIND_SNORM, {-2, 0.5f, 3, -0.5f}, {-1, 0.5f, 1, -0.5f}},
      {PIXEL_KIND_UNORM, PIXEL_KIND_FLOAT, {-2, 0.5f, 3, 7}, {-2, 0.5f, 3, 7}},
      {PIXEL_KIND_SNORM, PIXEL_KIND_FLOAT, {-2, 0.5f, 3, 7}, {-2, 0.5f, 3, 7}},
      {PIXEL_KIND_UNORM, PIXEL_KIND_UNORM, {-2, 0.5f, 3, 7}, {-2, 0.5f, 3, 7}},
  };
  for (const Case& c : cases) {
    UtColor out;
    ConvertPixelKind(&out, &c.in, 1, c.from, c.to);
    EXPECT_TRUE(SameBits(out, c.out)) << "kind " << c.from << " to " << c.to << ": "
                                      << ColorText(out) << " expected " << ColorText(c.out);
    UtColor inPlace = c.in;
    ConvertPixelKind(&inPlace, &inPlace, 1, c.from, c.to);
    EXPECT_TRUE(SameBits(inPlace, c.out)) << "in place, kind " << c.from << " to " << c.to;
  }
}

struct Pair {
  std::vector<uint8_t> source;
  std::vector<uint8_t> destination;
  std::unique_ptr<PixelCodec> from;
  std::unique_ptr<PixelCodec> to;
};

Pair MakePair(D3DFORMAT fromFormat, D3DFORMAT toFormat, UINT width) {
  Pair p;
  p.source.assign(16 * width, 0);
  p.destination.assign(16 * width, 0xCD);
  p.from = CreatePixelCodec(MakeBlock(p.source.data(), fromFormat, 16 * width, width));
  p.to = CreatePixelCodec(MakeBlock(p.destination.data(), toFormat, 16 * width, width));
  return p;
}

TEST(PixelKind, BindSourceChoosesTheConversion) {
  struct Case {
    D3DFORMAT from;
    D3DFORMAT to;
    PixelKind convertFrom;
    bool conversionRow;
  };
  const Case cases[] = {
      {D3DFMT_A8R8G8B8, D3DFMT_V8U8, PIXEL_KIND_UNORM, true},
      {D3DFMT_V8U8, D3DFMT_A8R8G8B8, PIXEL_KIND_SNORM_RGB, true},
      {D3DFMT_Q8W8V8U8, D3DFMT_V16U16, PIXEL_KIND_SNORM, true},
      {D3DFMT_R32F, D3DFMT_L8, PIXEL_KIND_FLOAT, true},
      {D3DFMT_A8R8G8B8, D3DFMT_A16B16G16R16F, PIXEL_KIND_NONE, false},  // floats take all
      {D3DFMT_V8U8, D3DFMT_V16U16, PIXEL_KIND_NONE, false},
      {D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, PIXEL_KIND_NONE, false},
  };
  for (const Case& c : cases) {
    Pair p = MakePair(c.from, c.to, 3);
    ASSERT_TRUE(p.from && p.to);
    EXPECT_EQ(p.to->BindSource(*p.from), S_OK);
    EXPECT_EQ(p.to->convertFromKind, c.convertFrom) << c.from << " to " << c.to;
    EXPECT_EQ(p.to->conversionRow != nullptr, c.conversionRow) << c.from << " to " << c.to;
  }
}

TEST(PixelKind, UnsignedSourceIntoSignedDestination) {
  Pair p = MakePair(D3DFMT_A8R8G8B8, D3DFMT_V8U8, 2);
  ASSERT_TRUE(p.from && p.to);
  ASSERT_EQ(p.to->BindSource(*p.from), S_OK);
  // 1.0 becomes U = 127, 0.5 becomes 0, 0.0 becomes -1 and so -126.
  UtColor row[2] = {{1, 0.5f, 0, 1}, {0, 1, 0, 1}};
  p.to->EncodeRow(0, 0, row);
  EXPECT_EQ(HexBytes(p.destination.data(), 4), "7f 00 82 7f");
}

TEST(PixelKind, SignedSourceIntoUnsignedDestination) {
  Pair p = MakePair(D3DFMT_V8U8, D3DFMT_X8R8G8B8, 1);
  ASSERT_TRUE(p.from && p.to);
  ASSERT_EQ(p.to->BindSource(*p.from), S_OK);
  UtColor c(-1, 1, 1, 1);  // what V8U8 0x7F81 decodes to
  p.to->EncodeRow(0, 0, &c);
  EXPECT_EQ(HexBytes(p.destination.data(), 4), "ff ff 00 00");  // B, G, R, X
}

TEST(PixelKind, FloatSourceIsClampedForUnsignedDestination) {
  Pair p = MakePair(D3DFMT_A32B32G32R32F, D3DFMT_A8R8G8B8, 1);
  ASSERT_TRUE(p.from && p.to);
  ASSERT_EQ(p.to->BindSource(*p.from), S_OK);
  UtColor c(2.0f, -1.0f, 0.5f, kNaN);
  p.to->EncodeRow(0, 0, &c);
  EXPECT_EQ(HexBytes(p.destination.data(), 4), "80 00 ff 00");
}

}  // namespace
