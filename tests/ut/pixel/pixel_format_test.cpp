#include "ut/pixel/pixel_format.h"

#include <gtest/gtest.h>

#include <set>

#include "ut/pixel/private_formats.h"

namespace {

enum : uint32_t { C = FAMILY_COLOR, P = FAMILY_PALETTE, L = FAMILY_LUMINANCE, S = FAMILY_SIGNED, D = FAMILY_DEPTH_STENCIL };

// The catalogue as documented, by numeric format value, in its fixed order. Typed separately
// from the library's table so that a slip in either shows up as a named row.
struct ExpectedRow {
  uint32_t value;
  uint32_t family, bits, other, alpha, red, green, blue, substitutable;
};
constexpr ExpectedRow kExpected[] = {
    {20, C, 24, 0, 0, 8, 8, 8, 0},          {21, C, 32, 0, 8, 8, 8, 8, 1},
    {22, C, 32, 0, 0, 8, 8, 8, 1},          {23, C, 16, 0, 0, 5, 6, 5, 1},
    {24, C, 16, 0, 0, 5, 5, 5, 1},          {40, P, 16, 0, 8, 8, 8, 8, 1},
    {41, P, 8, 0, 8, 8, 8, 8, 1},           {25, C, 16, 0, 1, 5, 5, 5, 1},
    {26, C, 16, 0, 4, 4, 4, 4, 1},          {27, C, 8, 0, 0, 3, 3, 2, 1},
    {28, C, 8, 0, 8, 0, 0, 0, 1},           {29, C, 16, 0, 8, 3, 3, 2, 1},
    {30, C, 16, 0, 0, 4, 4, 4, 1},          {31, C, 32, 0, 2, 10, 10, 10, 1},
    {32, C, 32, 0, 8, 8, 8, 8, 1},          {33, C, 32, 0, 0, 8, 8, 8, 1},
    {34, C, 32, 0, 0, 16, 16, 0, 1},        {35, C, 32, 0, 2, 10, 10, 10, 1},
    {36, C, 64, 0, 16, 16, 16, 16, 1},      {50, L, 8, 0, 0, 8, 8, 8, 1},
    {51, L, 16, 0, 8, 8, 8, 8, 1},          {52, L, 8, 0, 4, 4, 4, 4, 1},
    {81, L, 16, 0, 0, 16, 16, 16, 1},       {60, S, 16, 0, 0, 0, 8, 8, 1},
    {61, S, 16, 6, 0, 0, 5, 5, 1},          {62, S, 32, 8, 0, 0, 8, 8, 1},
    {63, S, 32, 0, 8, 8, 8, 8, 1},          {64, S, 32, 0, 0, 0, 16, 16, 1},
    {67, S, 32, 2, 0, 10, 10, 10, 1},       {110, S, 64, 0, 16, 16, 16, 16, 1},
    {117, S, 16, 8, 0, 0, 8, 8, 0},         {0x59565955, C, 16, 0, 0, 8, 8, 8, 0},
    {0x47424752, C, 16, 0, 0, 8, 8, 8, 0},  {0x32595559, C, 16, 0, 0, 8, 8, 8, 0},
    {0x42475247, C, 16, 0, 0, 8, 8, 8, 0},  {0x31545844, C, 16, 0, 1, 5, 6, 5, 0},
    {0x32545844, C, 16, 0, 4, 5, 6, 5, 0},  {0x33545844, C, 16, 0, 4, 5, 6, 5, 0},
    {0x34545844, C, 16, 0, 8, 5, 6, 5, 0},  {0x35545844, C, 16, 0, 8, 5, 6, 5, 0},
    {70, D, 16, 1, 0, 0, 0, 16, 1},         {82, D, 32, 1, 0, 0, 0, 32, 0},
    {71, D, 32, 0, 0, 0, 0, 32, 1},         {73, D, 16, 0, 0, 0, 1, 15, 1},
    {75, D, 32, 0, 0, 0, 8, 24, 1},         {80, D, 16, 0, 0, 0, 0, 16, 1},
    {77, D, 32, 0, 0, 0, 0, 24, 1},         {79, D, 32, 0, 0, 0, 4, 24, 1},
    {83, D, 32, 0, 0, 0, 8, 24, 0},         {111, C, 16, 0, 0, 16, 0, 0, 0},
    {112, C, 32, 0, 0, 16, 16, 0, 0},       {113, C, 64, 0, 16, 16, 16, 16, 0},
    {114, C, 32, 0, 0, 32, 0, 0, 0},        {115, C, 64, 0, 0, 32, 32, 0, 0},
    {116, C, 128, 0, 32, 32, 32, 32, 0},    {0x36314C41, L, 32, 0, 16, 16, 16, 16, 0},
    {0x36315220, C, 48, 0, 0, 16, 16, 16, 0},
};
static_assert(std::size(kExpected) == 57);

TEST(PixelFormatCatalogue, RowsMatchTheDocumentedTableInOrder) {
  const auto catalogue = PixelFormatCatalogue();
  ASSERT_EQ(catalogue.size(), std::size(kExpected));
  for (size_t i = 0; i < catalogue.size(); ++i) {
    const PixelFormatInfo& got = catalogue[i];
    const ExpectedRow& want = kExpected[i];
    SCOPED_TRACE(testing::Message() << "row " << i + 1 << ", format 0x" << std::hex << want.value);
    EXPECT_EQ(static_cast<uint32_t>(got.format), want.value);
    EXPECT_EQ(static_cast<uint32_t>(got.family), want.family);
    EXPECT_EQ(got.bitsPerPixel, want.bits);
    EXPECT_EQ(got.otherBits, want.other);
    EXPECT_EQ(got.alphaBits, want.alpha);
    EXPECT_EQ(got.redBits, want.red);
    EXPECT_EQ(got.greenBits, want.green);
    EXPECT_EQ(got.blueBits, want.blue);
    EXPECT_EQ(got.substitutable, want.substitutable);
  }
}

TEST(PixelFormatCatalogue, EveryFormatIsFoundAtItsOwnRecord) {
  std::set<uint32_t> seen;
  for (const PixelFormatInfo& info : PixelFormatCatalogue()) {
    SCOPED_TRACE(testing::Message() << "format 0x" << std::hex << info.format);
    EXPECT_NE(info.format, D3DFMT_UNKNOWN);
    EXPECT_TRUE(seen.insert(info.format).second) << "catalogued twice";
    EXPECT_EQ(GetPixelFormatInfo(info.format), &info);
  }
}

TEST(PixelFormatCatalogue, PrivateCodesAreTheirFourCharacterCodes) {
  EXPECT_EQ(static_cast<uint32_t>(UT_FMT_A16L16), MAKEFOURCC('A', 'L', '1', '6'));
  EXPECT_EQ(static_cast<uint32_t>(UT_FMT_R16G16B16), MAKEFOURCC(' ', 'R', '1', '6'));
  EXPECT_EQ(GetPixelFormatInfo(UT_FMT_A16L16)->bitsPerPixel, 32u);
  EXPECT_EQ(GetPixelFormatInfo(UT_FMT_R16G16B16)->bitsPerPixel, 48u);
}

TEST(PixelFormatCatalogue, UnknownFormatsGetTheUnknownRecord) {
  const uint32_t unknown[] = {0,          1,          19,         37,        42,
                              84 /* D3DFMT_D32_LOCKABLE */,       101 /* D3DFMT_INDEX16 */,
                              0x12345678, 0x36314C42, 0x7fffffff, 0xFFFFFFFF};
  for (uint32_t value : unknown) {
    SCOPED_TRACE(testing::Message() << "format 0x" << std::hex << value);
    EXPECT_EQ(GetPixelFormatInfo(static_cast<D3DFORMAT>(value)), &g_unknownFormatInfo);
  }
  // It scores like 8-bit ARGB and is never substituted.
  EXPECT_EQ(g_unknownFormatInfo.format, D3DFMT_UNKNOWN);
  EXPECT_EQ(g_unknownFormatInfo.family, FAMILY_COLOR);
  EXPECT_EQ(g_unknownFormatInfo.bitsPerPixel, 32u);
  EXPECT_EQ(g_unknownFormatInfo.otherBits, 0u);
  EXPECT_EQ(g_unknownFormatInfo.alphaBits, 8u);
  EXPECT_EQ(g_unknownFormatInfo.redBits, 8u);
  EXPECT_EQ(g_unknownFormatInfo.greenBits, 8u);
  EXPECT_EQ(g_unknownFormatInfo.blueBits, 8u);
  EXPECT_EQ(g_unknownFormatInfo.substitutable, 0u);
}

TEST(ToPublicFormat, MapsThePrivateCodesAndNothingElse) {
  struct Case {
    uint32_t in, out;
  };
  const Case cases[] = {
      {0x36314C41, 51},  // UT_FMT_A16L16 -> D3DFMT_A8L8
      {0x36315220, 20},  // UT_FMT_R16G16B16 -> D3DFMT_R8G8B8
      {0, 0},           {20, 20},  {51, 51},  {21, 21},  {0x31545844, 0x31545844},
      {0x36314C42, 0x36314C42},   {0x12345678, 0x12345678},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "format 0x" << std::hex << c.in);
    EXPECT_EQ(static_cast<uint32_t>(ToPublicFormat(static_cast<D3DFORMAT>(c.in))), c.out);
  }
}

}  // namespace
