// PixelConverter::Convert: filter validation, byte copy against re-encoding, palettes,
// UT_FILTER_NONE, UT_FILTER_POINT and the gamma options.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/ut/surface/convert_test_support.h"
#include "ut/pixel/pixel_gamma.h"

namespace {

TEST(ConvertFilterFlags, InvalidFlagsAreRefusedBeforeAnythingIsWritten) {
  const DWORD invalid[] = {0, 6, 7, 0xFFFF, 0x800004, 0x80000004, UT_FILTER_BOX | 0x01000000, 0x10000};
  for (DWORD filter : invalid) {
    TestImage source(D3DFMT_A8R8G8B8, 4, 4, 4, 1, 0x11);
    TestImage destination(D3DFMT_A8R8G8B8, 4, 4, 4);
    EXPECT_EQ(ConvertImage(destination, source, filter), D3DERR_INVALIDCALL) << std::hex << filter;
    EXPECT_EQ(destination.Pixel(0, 0), 0xCDCDCDCDu) << std::hex << filter;
  }
  const DWORD valid[] = {UT_FILTER_NONE, UT_FILTER_POINT, UT_FILTER_LINEAR, UT_FILTER_TRIANGLE, UT_FILTER_BOX,
                         UT_FILTER_BOX | UT_FILTER_MIRROR | UT_FILTER_DITHER | UT_FILTER_DITHER_DIFFUSION |
                             UT_FILTER_SRGB};
  for (DWORD filter : valid) {
    TestImage source(D3DFMT_A8R8G8B8, 4, 4, 4, 1, 0x11);
    TestImage destination(D3DFMT_A8R8G8B8, 4, 4, 4);
    EXPECT_EQ(ConvertImage(destination, source, filter), S_OK) << std::hex << filter;
  }
}

TEST(ConvertFilterFlags, FormatWithoutCodecFails) {
  TestImage source(D3DFMT_A8R8G8B8, 4, 2, 2, 1, 0x11);
  TestImage destination(D3DFMT_D24S8, 4, 2, 2);
  EXPECT_EQ(ConvertImage(destination, source, UT_FILTER_NONE), E_FAIL);
  EXPECT_EQ(ConvertImage(source, destination, UT_FILTER_NONE), E_FAIL);
}

// X8R8G8B8 with X bytes that a re-encode would clear: a byte copy keeps them.
TEST(ConvertSameFormat, BytesAreCopiedUnchangedWhateverTheFilterType) {
  for (DWORD type = UT_FILTER_NONE; type <= UT_FILTER_BOX; ++type) {
    TestImage source(D3DFMT_X8R8G8B8, 4, 3, 2);
    FillPattern(source, 7);
    TestImage destination(D3DFMT_X8R8G8B8, 4, 3, 2);
    ASSERT_EQ(ConvertImage(destination, source, type | UT_FILTER_DITHER), S_OK) << type;
    EXPECT_EQ(destination.Pixels(), source.Pixels()) << "filter type " << type;
    EXPECT_EQ(LastStrategy(), "CopyStraight") << type;
  }
}

TEST(ConvertSameFormat, ColorKeyMakesTheRowsDecodedAndReencoded) {
  TestImage source(D3DFMT_X8R8G8B8, 4, 3, 1);
  source.SetPixel(0, 0, 0x5A102030);
  source.SetPixel(1, 0, 0x77405060);  // the key colour, whatever the X byte
  source.SetPixel(2, 0, 0x01708090);
  TestImage destination(D3DFMT_X8R8G8B8, 4, 3, 1);
  ASSERT_EQ(ConvertImage(destination, source, UT_FILTER_POINT, 0xFF405060), S_OK);
  EXPECT_EQ(LastStrategy(), "ConvertSameSize");
  EXPECT_EQ(destination.Pixel(0, 0), 0x00102030u);
  EXPECT_EQ(destination.Pixel(1, 0), 0x00000000u);
  EXPECT_EQ(destination.Pixel(2, 0), 0x00708090u);
}

std::vector<PALETTEENTRY> RampPalette() {
  std::vector<PALETTEENTRY> palette(256);
  for (int i = 0; i < 256; ++i) {
    palette[i] = PALETTEENTRY{BYTE(i), BYTE(255 - i), BYTE((i * 7) & 255), 255};
  }
  palette[11] = palette[10];  // a duplicate: re-mapping index 11 gives 10
  return palette;
}

TEST(ConvertPalettes, EqualPalettesCopyTheIndices) {
  const std::vector<PALETTEENTRY> palette = RampPalette();
  std::vector<PALETTEENTRY> copy = palette;
  TestImage source(D3DFMT_P8, 1, 4, 1);
  for (UINT x = 0; x < 4; ++x) source.SetPixel(x, 0, (x == 1) ? 11 : x * 60 + 20);
  TestImage destination(D3DFMT_P8, 1, 4, 1);
  ASSERT_EQ(ConvertImage(destination, source, UT_FILTER_NONE, 0, palette.data(), copy.data()), S_OK);
  EXPECT_EQ(destination.Pixels(), source.Pixels());
}

TEST(ConvertPalettes, PalettesDifferingInOneEntryRemapEveryPixel) {
  const std::vector<PALETTEENTRY> sourcePalette = RampPalette();
  std::vector<PALETTEENTRY> destinationPalette = sourcePalette;
  destinationPalette[200] = PALETTEENTRY{0, 0, 0, 255};
  const UINT indices[] = {11, 200, 3, 255, 199};
  TestImage source(D3DFMT_P8, 1, 5, 1);
  for (UINT x = 0; x < 5; ++x) source.SetPixel(x, 0, indices[x]);
  TestImage destination(D3DFMT_P8, 1, 5, 1);
  ASSERT_EQ(ConvertImage(destination, source, UT_FILTER_NONE, 0, sourcePalette.data(), destinationPalette.data()),
            S_OK);
  EXPECT_EQ(LastStrategy(), "ConvertSameSize");
  // The nearest destination entry of each source colour, by the sum of squared differences.
  for (UINT x = 0; x < 5; ++x) {
    const PALETTEENTRY& c = sourcePalette[indices[x]];
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < 256; ++i) {
      const PALETTEENTRY& e = destinationPalette[i];
      const long d = long(e.peRed - c.peRed) * (e.peRed - c.peRed) + long(e.peGreen - c.peGreen) * (e.peGreen - c.peGreen) +
                     long(e.peBlue - c.peBlue) * (e.peBlue - c.peBlue) + long(e.peFlags - c.peFlags) * (e.peFlags - c.peFlags);
      if (bestDistance < 0 || d < bestDistance) {
        bestDistance = d;
        best = i;
      }
    }
    EXPECT_EQ(destination.Pixel(x, 0), UINT(best)) << "source index " << indices[x];
  }
  EXPECT_EQ(destination.Pixel(0, 0), 10u);
  EXPECT_NE(destination.Pixel(1, 0), 200u);
}

TEST(ConvertPalettes, DestinationWithoutPaletteIsAllWhiteSoEveryPixelBecomesIndexZero) {
  TestImage source(D3DFMT_A8R8G8B8, 4, 3, 2);
  FillPattern(source, 3);
  TestImage destination(D3DFMT_P8, 1, 3, 2);
  ASSERT_EQ(ConvertImage(destination, source, UT_FILTER_NONE), S_OK);
  EXPECT_EQ(destination.Pixels(), std::vector<uint8_t>(6, 0));
}

struct NoneCase {
  UINT sw, sh, sd, dw, dh, dd;
};

TEST(ConvertFilterNone, OverlapIsCopiedAndTheRestCleared) {
  const NoneCase cases[] = {{4, 4, 1, 8, 8, 1}, {8, 8, 1, 4, 4, 1}, {3, 5, 1, 5, 3, 1}, {2, 2, 2, 3, 3, 3},
                            {3, 3, 3, 2, 2, 1}, {1, 1, 1, 4, 2, 1}};
  for (const NoneCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sw << "x" << c.sh << "x" << c.sd << " into " << c.dw << "x" << c.dh << "x"
                                    << c.dd);
    TestImage source(D3DFMT_A8R8G8B8, 4, c.sw, c.sh, c.sd);
    FillPattern(source, 11);
    TestImage destination(D3DFMT_A8R8G8B8, 4, c.dw, c.dh, c.dd);
    ASSERT_EQ(ConvertImage(destination, source, UT_FILTER_NONE), S_OK);
    for (UINT z = 0; z < c.dd; ++z)
      for (UINT y = 0; y < c.dh; ++y)
        for (UINT x = 0; x < c.dw; ++x) {
          const bool inside = x < c.sw && y < c.sh && z < c.sd;
          EXPECT_EQ(destination.Pixel(x, y, z), inside ? source.Pixel(x, y, z) : 0u) << x << "," << y << "," << z;
        }
  }
}

// Without dithering a cleared pixel of a 5-6-5 destination is exactly 0, even where the
// overlap's rows carried diffusion errors: only errors of the row just above reach a row.
TEST(ConvertFilterNone, FourByFourIntoEightByEightClearsTheOther48Pixels) {
  TestImage source(D3DFMT_A8R8G8B8, 4, 4, 4);
  FillPattern(source, 5);
  TestImage destination(D3DFMT_R5G6B5, 2, 8, 8);
  ASSERT_EQ(ConvertImage(destination, source, UT_FILTER_NONE), S_OK);
  int cleared = 0;
  for (UINT y = 0; y < 8; ++y)
    for (UINT x = 0; x < 8; ++x) {
      if (x >= 4 || y >= 4) cleared += destination.Pixel(x, y) == 0;
    }
  EXPECT_EQ(cleared, 48);
}

struct PointCase {
  UINT source, destination;
  uint32_t step;
  std::vector<UINT> picked;
};

TEST(ConvertFilterPoint, StepsInSixteenDotSixteen) {
  const PointCase cases[] = {
      {5, 2, 163840, {0, 2}},
      {3, 2, 98304, {0, 1}},
      {2, 5, 26214, {0, 0, 0, 1, 1}},
      {7, 3, 152917, {0, 2, 4}},
      {1, 3, 21845, {0, 0, 0}},
  };
  for (const PointCase& c : cases) {
    EXPECT_EQ((uint64_t{c.source} << 16) / c.destination, c.step);
    // Along x.
    TestImage row(D3DFMT_A8R8G8B8, 4, c.source, 1);
    for (UINT x = 0; x < c.source; ++x) row.SetPixel(x, 0, 0xFF000000u | (x * 0x010101u));
    TestImage out(D3DFMT_A8R8G8B8, 4, c.destination, 1);
    ASSERT_EQ(ConvertImage(out, row, UT_FILTER_POINT), S_OK);
    EXPECT_EQ(LastStrategy(), "FilterPoint");
    // Along y and z together.
    TestImage column(D3DFMT_A8R8G8B8, 4, 1, c.source, c.source);
    for (UINT z = 0; z < c.source; ++z)
      for (UINT y = 0; y < c.source; ++y) column.SetPixel(0, y, 0xFF000000u | (y << 8) | z, z);
    TestImage outColumn(D3DFMT_A8R8G8B8, 4, 1, c.destination, c.destination);
    ASSERT_EQ(ConvertImage(outColumn, column, UT_FILTER_POINT | UT_FILTER_MIRROR), S_OK);
    for (UINT i = 0; i < c.destination; ++i) {
      EXPECT_EQ(out.Pixel(i, 0), row.Pixel(c.picked[i], 0)) << c.source << " into " << c.destination << " at " << i;
      for (UINT k = 0; k < c.destination; ++k) {
        EXPECT_EQ(outColumn.Pixel(0, i, k), column.Pixel(0, c.picked[i], c.picked[k]))
            << c.source << " into " << c.destination << " row " << i << " slice " << k;
      }
    }
  }
}

// Gamma options on a same-size conversion into floats: only the side that is gamma-encoded
// alone does gamma work; both together cancel.
TEST(ConvertGamma, SameSizeCombinations) {
  TestImage source(D3DFMT_A8R8G8B8, 4, 4, 1);
  const uint32_t pixels[] = {0x80FF8000u, 0x40102030u, 0xFF000000u, 0x00FFFFFFu};
  for (UINT x = 0; x < 4; ++x) source.SetPixel(x, 0, pixels[x]);
  const float k = 0.003921569f;
  struct Case {
    DWORD options;
    bool decode;
  } cases[] = {{0, false}, {UT_FILTER_SRGB, false}, {UT_FILTER_SRGB_IN, true}};
  for (const Case& c : cases) {
    TestImage destination(D3DFMT_A32B32G32R32F, 16, 4, 1);
    ASSERT_EQ(ConvertImage(destination, source, UT_FILTER_NONE | c.options), S_OK);
    for (UINT x = 0; x < 4; ++x) {
      const uint32_t p = pixels[x];
      auto expect = [&](uint32_t byte) {
        const float v = float(byte) * k;
        return c.decode ? GammaDecode(v) : v;
      };
      const UtColor got = destination.Color(x, 0);
      EXPECT_EQ(got.r, expect((p >> 16) & 255)) << std::hex << c.options << " pixel " << x;
      EXPECT_EQ(got.g, expect((p >> 8) & 255)) << std::hex << c.options << " pixel " << x;
      EXPECT_EQ(got.b, expect(p & 255)) << std::hex << c.options << " pixel " << x;
      EXPECT_EQ(got.a, float(p >> 24) * k) << "alpha is never gamma-decoded";
    }
  }
  // Out only: the floats are gamma-encoded on the way into bytes.
  TestImage floats(D3DFMT_A32B32G32R32F, 16, 2, 1);
  floats.SetColor(0, 0, UtColor(0.25f, 0.5f, 0.0f, 0.5f));
  floats.SetColor(1, 0, UtColor(1.0f, 0.04f, 0.75f, 1.0f));
  TestImage bytes(D3DFMT_A8R8G8B8, 4, 2, 1);
  ASSERT_EQ(ConvertImage(bytes, floats, UT_FILTER_POINT | UT_FILTER_SRGB_OUT), S_OK);
  for (UINT x = 0; x < 2; ++x) {
    const UtColor c = floats.Color(x, 0);
    auto q = [](float v) { return uint32_t(v * 255.0f + 0.5f); };
    const uint32_t expected = (q(c.a) << 24) | (q(GammaEncode(c.r)) << 16) | (q(GammaEncode(c.g)) << 8) |
                              q(GammaEncode(c.b));
    EXPECT_EQ(bytes.Pixel(x, 0), expected) << x;
  }
}

// Both gamma options on a box halving: the average is taken of squares and its square root
// stored, so black and white average to about 0.707, not 0.5.
TEST(ConvertGamma, BoxHalvingWithBothOptionsAveragesSquares) {
  TestImage source(D3DFMT_A8R8G8B8, 4, 2, 2);
  source.SetPixel(0, 0, 0xFF000000u);
  source.SetPixel(1, 0, 0xFFFFFFFFu);
  source.SetPixel(0, 1, 0xFFFFFFFFu);
  source.SetPixel(1, 1, 0xFF000000u);
  TestImage plain(D3DFMT_A8R8G8B8, 4, 1, 1);
  ASSERT_EQ(ConvertImage(plain, source, UT_FILTER_BOX), S_OK);
  EXPECT_EQ(plain.Pixel(0, 0), 0xFF808080u);
  TestImage gamma(D3DFMT_A8R8G8B8, 4, 1, 1);
  ASSERT_EQ(ConvertImage(gamma, source, UT_FILTER_BOX | UT_FILTER_SRGB), S_OK);
  EXPECT_EQ(LastStrategy(), "FilterBoxHalf2D");
  const uint32_t g = gamma.Pixel(0, 0);
  const int expected = int(std::sqrt(0.5f) * 255.0f + 0.5f);  // 180
  for (int shift = 0; shift < 24; shift += 8) EXPECT_NEAR(int((g >> shift) & 255), expected, 1) << shift;
  EXPECT_EQ(g >> 24, 255u);
}

}  // namespace
