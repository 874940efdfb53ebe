// UT_FILTER_BOX: exact halving on the integer path (each stored field (sum + 2) >> 2, the SIMD
// routines equal to the portable ones) and on the float path, odd sizes, and the fall-through
// to the tent filter for other size changes.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "tests/ut/surface/convert_test_support.h"
#include "ut/surface/box_halve_row.h"

namespace {

// Restores the processor's choice of halving routines after a test that switched it.
class BoxHalveSimdScope {
 public:
  explicit BoxHalveSimdScope(bool enabled) : saved_(BoxHalveSimdEnabled()) { SetBoxHalveSimdEnabled(enabled); }
  ~BoxHalveSimdScope() { SetBoxHalveSimdEnabled(saved_); }

 private:
  bool saved_;
};

int Field(uint32_t pixel, int shift, int bits) { return int((pixel >> shift) & ((1u << bits) - 1)); }

TEST(BoxHalving, FiveSixFiveFieldsAreRoundedAveragesOfTheStoredFields) {
  TestImage source(D3DFMT_R5G6B5, 2, 6, 4);
  FillPattern(source, 21);
  TestImage destination(D3DFMT_R5G6B5, 2, 3, 2);
  ASSERT_EQ(ConvertImage(destination, source, UT_FILTER_BOX), S_OK);
  EXPECT_EQ(LastStrategy(), "FilterBoxHalf2D");
  const int fields[3][2] = {{0, 5}, {5, 6}, {11, 5}};
  for (UINT y = 0; y < 2; ++y)
    for (UINT x = 0; x < 3; ++x) {
      uint32_t expected = 0;
      for (const auto& f : fields) {
        const int sum = Field(source.Pixel(2 * x, 2 * y), f[0], f[1]) + Field(source.Pixel(2 * x + 1, 2 * y), f[0], f[1]) +
                        Field(source.Pixel(2 * x, 2 * y + 1), f[0], f[1]) +
                        Field(source.Pixel(2 * x + 1, 2 * y + 1), f[0], f[1]);
        expected |= uint32_t((sum + 2) >> 2) << f[0];
      }
      EXPECT_EQ(destination.Pixel(x, y), expected) << x << "," << y;
    }
}

// With dithering the float path runs: decode, average (((a + b) + c) + d) x 0.25, encode with
// the ordered dither. The same averages written as floats and dithered into 5-6-5 by a
// same-size conversion give the same bytes.
TEST(BoxHalving, DitheredFiveSixFiveTakesTheFloatPath) {
  TestImage source(D3DFMT_R5G6B5, 2, 8, 8);
  FillPattern(source, 4);
  TestImage decoded(D3DFMT_A32B32G32R32F, 16, 8, 8);
  ASSERT_EQ(ConvertImage(decoded, source, UT_FILTER_NONE), S_OK);
  TestImage averages(D3DFMT_A32B32G32R32F, 16, 4, 4);
  for (UINT y = 0; y < 4; ++y)
    for (UINT x = 0; x < 4; ++x) {
      const UtColor a = decoded.Color(2 * x, 2 * y), b = decoded.Color(2 * x + 1, 2 * y);
      const UtColor c = decoded.Color(2 * x, 2 * y + 1), d = decoded.Color(2 * x + 1, 2 * y + 1);
      averages.SetColor(x, y, UtColor((((a.r + b.r) + c.r) + d.r) * 0.25f, (((a.g + b.g) + c.g) + d.g) * 0.25f,
                                      (((a.b + b.b) + c.b) + d.b) * 0.25f, (((a.a + b.a) + c.a) + d.a) * 0.25f));
    }
  TestImage expected(D3DFMT_R5G6B5, 2, 4, 4);
  ASSERT_EQ(ConvertImage(expected, averages, UT_FILTER_NONE | UT_FILTER_DITHER), S_OK);

  TestImage dithered(D3DFMT_R5G6B5, 2, 4, 4);
  ASSERT_EQ(ConvertImage(dithered, source, UT_FILTER_BOX | UT_FILTER_DITHER), S_OK);
  EXPECT_EQ(dithered.Pixels(), expected.Pixels());
  TestImage integer(D3DFMT_R5G6B5, 2, 4, 4);
  ASSERT_EQ(ConvertImage(integer, source, UT_FILTER_BOX), S_OK);
  EXPECT_NE(integer.Pixels(), dithered.Pixels()) << "dithering should move some pixels";
}

// 5x5 into 2x2: the last column and row are ignored.
TEST(BoxHalving, OddSourceLosesItsLastColumnAndRow) {
  for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_A32B32G32R32F}) {
    const UINT bpp = format == D3DFMT_A8R8G8B8 ? 4 : 16;
    TestImage source(format, bpp, 5, 5);
    if (format == D3DFMT_A8R8G8B8) {
      FillPattern(source, 9);
    } else {
      for (UINT y = 0; y < 5; ++y)
        for (UINT x = 0; x < 5; ++x) source.SetColor(x, y, UtColor(x * 0.1f, y * 0.2f, (x + y) * 0.05f, 1.0f));
    }
    TestImage destination(format, bpp, 2, 2);
    ASSERT_EQ(ConvertImage(destination, source, UT_FILTER_BOX), S_OK);
    EXPECT_EQ(LastStrategy(), "FilterBoxHalf2D");
    // Changing the fifth column and row must change nothing.
    TestImage changed = source;
    for (UINT i = 0; i < 5; ++i) {
      std::memset(changed.At(4, i), 0x3C, bpp);
      std::memset(changed.At(i, 4), 0x3C, bpp);
    }
    TestImage again(format, bpp, 2, 2);
    ASSERT_EQ(ConvertImage(again, changed, UT_FILTER_BOX), S_OK);
    EXPECT_EQ(again.Pixels(), destination.Pixels()) << format;
    if (format == D3DFMT_A32B32G32R32F) {
      const UtColor a = source.Color(2, 2), b = source.Color(3, 2), c = source.Color(2, 3), d = source.Color(3, 3);
      EXPECT_EQ(destination.Color(1, 1).r, (((a.r + b.r) + c.r) + d.r) * 0.25f);
      EXPECT_EQ(destination.Color(1, 1).g, (((a.g + b.g) + c.g) + d.g) * 0.25f);
    }
  }
}

// 8x2 into 4x1, 4x1 into 2x1, 2x1 into 1x1 and 1x4 into 1x2: a side of 1 stays 1 beside a
// halved side.
TEST(BoxHalving, SideOfOneBesideAHalvedSide) {
  struct Case {
    UINT sw, sh, dw, dh;
  } cases[] = {{8, 2, 4, 1}, {4, 1, 2, 1}, {2, 1, 1, 1}, {1, 4, 1, 2}, {1, 1, 1, 1}};
  for (const Case& c : cases) {
    TestImage source(D3DFMT_A8R8G8B8, 4, c.sw, c.sh);
    FillPattern(source, c.sw * 10 + c.sh);
    TestImage destination(D3DFMT_A8R8G8B8, 4, c.dw, c.dh);
    ASSERT_EQ(ConvertImage(destination, source, UT_FILTER_BOX | UT_FILTER_DITHER), S_OK);
    const std::string strategy = c.sw == c.dw && c.sh == c.dh ? "CopyStraight" : "FilterBoxHalf2D";
    EXPECT_EQ(LastStrategy(), strategy) << c.sw << "x" << c.sh;
    for (UINT y = 0; y < c.dh; ++y)
      for (UINT x = 0; x < c.dw; ++x) {
        if (strategy == "CopyStraight") continue;
        // A side of 1 uses its only pixel twice.
        const UINT x1 = c.sw == 1 ? 0 : 2 * x + 1, y1 = c.sh == 1 ? 0 : 2 * y + 1;
        const UINT x0 = c.sw == 1 ? 0 : 2 * x, y0 = c.sh == 1 ? 0 : 2 * y;
        for (int shift = 0; shift < 32; shift += 8) {
          const int sum = Field(source.Pixel(x0, y0), shift, 8) + Field(source.Pixel(x1, y0), shift, 8) +
                          Field(source.Pixel(x0, y1), shift, 8) + Field(source.Pixel(x1, y1), shift, 8);
          // The float path with dithering lands within one step of the plain average.
          EXPECT_NEAR(Field(destination.Pixel(x, y), shift, 8), sum / 4.0, 1.0) << c.sw << "x" << c.sh;
        }
      }
  }
}

// 6x6 into 4x4 is no halving: the tent filter does it.
TEST(BoxHalving, OtherSizeChangesAreDoneByTheTentFilter) {
  TestImage source(D3DFMT_A8R8G8B8, 4, 6, 6);
  FillPattern(source, 6);
  TestImage box(D3DFMT_A8R8G8B8, 4, 4, 4);
  ASSERT_EQ(ConvertImage(box, source, UT_FILTER_BOX), S_OK);
  EXPECT_EQ(LastStrategy(), "FilterTriangle2D");
  TestImage tent(D3DFMT_A8R8G8B8, 4, 4, 4);
  ASSERT_EQ(ConvertImage(tent, source, UT_FILTER_TRIANGLE), S_OK);
  EXPECT_EQ(box.Pixels(), tent.Pixels());
}

TEST(BoxHalving, VolumesAverageEightSamples) {
  TestImage source(D3DFMT_A32B32G32R32F, 16, 4, 2, 5);  // an odd depth loses its last slice
  for (UINT z = 0; z < 5; ++z)
    for (UINT y = 0; y < 2; ++y)
      for (UINT x = 0; x < 4; ++x) source.SetColor(x, y, UtColor(x * 0.125f, y * 0.5f, z * 0.25f, 1.0f), z);
  TestImage destination(D3DFMT_A32B32G32R32F, 16, 2, 1, 2);
  ASSERT_EQ(ConvertImage(destination, source, UT_FILTER_BOX), S_OK);
  EXPECT_EQ(LastStrategy(), "FilterBoxHalf3D");
  for (UINT k = 0; k < 2; ++k)
    for (UINT i = 0; i < 2; ++i) {
      const UtColor got = destination.Color(i, 0, k);
      EXPECT_FLOAT_EQ(got.r, (2 * i + 0.5f) * 0.125f);
      EXPECT_FLOAT_EQ(got.g, 0.25f);
      EXPECT_FLOAT_EQ(got.b, (2 * k + 0.5f) * 0.25f);
      EXPECT_EQ(got.a, 1.0f);
    }
}

// The stored fields of the halving formats, written out here from the format table: bytes per
// pixel and (lowest bit, width) of every channel; X bits are not listed and must come out 0.
struct HalvingFormat {
  D3DFORMAT format;
  UINT bytes;
  std::vector<std::pair<int, int>> fields;
};

const HalvingFormat kHalvingFormats[] = {
    {D3DFMT_A8R8G8B8, 4, {{0, 8}, {8, 8}, {16, 8}, {24, 8}}},
    {D3DFMT_A8B8G8R8, 4, {{0, 8}, {8, 8}, {16, 8}, {24, 8}}},
    {D3DFMT_X8R8G8B8, 4, {{0, 8}, {8, 8}, {16, 8}}},
    {D3DFMT_X8B8G8R8, 4, {{0, 8}, {8, 8}, {16, 8}}},
    {D3DFMT_R5G6B5, 2, {{0, 5}, {5, 6}, {11, 5}}},
    {D3DFMT_X1R5G5B5, 2, {{0, 5}, {5, 5}, {10, 5}}},
    {D3DFMT_A1R5G5B5, 2, {{0, 5}, {5, 5}, {10, 5}, {15, 1}}},
    {D3DFMT_A4R4G4B4, 2, {{0, 4}, {4, 4}, {8, 4}, {12, 4}}},
    {D3DFMT_R3G3B2, 1, {{0, 2}, {2, 3}, {5, 3}}},
    {D3DFMT_A8, 1, {{0, 8}}},
    {D3DFMT_L8, 1, {{0, 8}}},
    {D3DFMT_A8R3G3B2, 2, {{0, 2}, {2, 3}, {5, 3}, {8, 8}}},
    {D3DFMT_X4R4G4B4, 2, {{0, 4}, {4, 4}, {8, 4}}},
    {D3DFMT_A8L8, 2, {{0, 8}, {8, 8}}},
    {D3DFMT_A4L4, 1, {{0, 4}, {4, 4}}},
};

uint32_t Load(const std::vector<uint8_t>& row, UINT index, UINT bytes) {
  uint32_t v = 0;
  std::memcpy(&v, row.data() + size_t{index} * bytes, bytes);
  return v;
}

TEST(BoxHalveKernels, PortableAndSimdRoutinesGiveTheRoundedFieldAverages) {
  ASSERT_EQ(BoxHalveKernelsPortable().size(), std::size(kHalvingFormats));
  if (!BoxHalveAvx2Available()) std::printf("This processor has no AVX2: the AVX2 routines are not run.\n");
  std::mt19937 random(17);
  for (const HalvingFormat& f : kHalvingFormats) {
    std::vector<const BoxHalveKernel*> kernels;
    for (const BoxHalveKernel& k : BoxHalveKernelsPortable())
      if (k.format == f.format) kernels.push_back(&k);
    ASSERT_EQ(kernels.size(), 1u) << "no portable routine for format " << f.format;
    for (const BoxHalveKernel& k : BoxHalveKernelsSse2())
      if (k.format == f.format) kernels.push_back(&k);
    if (BoxHalveAvx2Available()) {
      for (const BoxHalveKernel& k : BoxHalveKernelsAvx2())
        if (k.format == f.format) kernels.push_back(&k);
    }
    for (UINT width : {1u, 3u, 4u, 5u, 8u, 9u, 13u, 16u, 23u, 64u}) {
      std::vector<uint8_t> upper(2 * width * f.bytes), lower(2 * width * f.bytes);
      for (auto& b : upper) b = uint8_t(random());
      for (auto& b : lower) b = uint8_t(random());
      // All ones in the first square (the largest sums), all zeros in the second when present.
      std::memset(upper.data(), 0xFF, 2 * f.bytes);
      std::memset(lower.data(), 0xFF, 2 * f.bytes);
      if (width > 1) {
        std::memset(upper.data() + 2 * f.bytes, 0, 2 * f.bytes);
        std::memset(lower.data() + 2 * f.bytes, 0, 2 * f.bytes);
      }
      std::vector<uint32_t> expected(width);
      for (UINT i = 0; i < width; ++i) {
        for (auto [shift, bits] : f.fields) {
          const int sum = Field(Load(upper, 2 * i, f.bytes), shift, bits) + Field(Load(upper, 2 * i + 1, f.bytes), shift, bits) +
                          Field(Load(lower, 2 * i, f.bytes), shift, bits) + Field(Load(lower, 2 * i + 1, f.bytes), shift, bits);
          expected[i] |= uint32_t((sum + 2) >> 2) << shift;
        }
      }
      for (const BoxHalveKernel* kernel : kernels) {
        std::vector<uint8_t> out(width * f.bytes + 4, 0xAB);
        kernel->halve(upper.data(), lower.data(), out.data(), width);
        for (UINT i = 0; i < width; ++i) {
          EXPECT_EQ(Load(out, i, f.bytes), expected[i])
              << kernel->name << " format " << f.format << " width " << width << " pixel " << i;
        }
        EXPECT_EQ(HexBytes(out.data() + width * f.bytes, 4), "ab ab ab ab") << kernel->name << " wrote past the row";
      }
    }
  }
}

// The converter gives the same bytes whichever routines the processor switch selects.
TEST(BoxHalveKernels, ConverterResultDoesNotDependOnTheSimdSwitch) {
  for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_X8B8G8R8}) {
    TestImage source(format, 4, 38, 6);
    FillPattern(source, 2);
    TestImage simd(format, 4, 19, 3), portable(format, 4, 19, 3);
    {
      BoxHalveSimdScope scope(true);
      ASSERT_EQ(ConvertImage(simd, source, UT_FILTER_BOX), S_OK);
    }
    {
      BoxHalveSimdScope scope(false);
      ASSERT_EQ(ConvertImage(portable, source, UT_FILTER_BOX), S_OK);
    }
    EXPECT_EQ(simd.Pixels(), portable.Pixels()) << format;
  }
}

}  // namespace
