// Every PackXrgbRow variant against the plain formula, over widths that end at every position
// of the SSSE3 routine's 4-pixel steps and rows starting at every byte alignment. Input and
// output sit in buffers of their exact size, so a read or write past the row shows in the
// sanitizer build.

#include "ut/image/xrgb_row.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "win32/win32.h"

namespace {

struct Variant {
  const char* name;
  PackXrgbRowFn pack;
  DWORD feature;  // processor feature it needs, or ~0u for none
};

const Variant kVariants[] = {
    {"generic", PackXrgbRowGeneric, ~0u},
    {"ssse3", PackXrgbRowSsse3, PF_SSSE3_INSTRUCTIONS_AVAILABLE},
};

class XrgbRow : public testing::TestWithParam<Variant> {};

INSTANTIATE_TEST_SUITE_P(Variants, XrgbRow, testing::ValuesIn(kVariants),
                         [](const testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

TEST_P(XrgbRow, MatchesTheFormulaForEveryWidthAndAlignment) {
  const Variant& v = GetParam();
  if (v.feature != ~0u && !IsProcessorFeaturePresent(v.feature)) GTEST_SKIP() << "the processor lacks " << v.name;
  const UINT widths[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 15, 16, 17, 31, 33, 63, 64, 65, 2048};
  uint32_t noise = 99;
  for (UINT width : widths) {
    for (size_t offset = 0; offset < 4; ++offset) {
      std::vector<BYTE> input(offset + 3 * size_t{width});
      for (BYTE& b : input) b = BYTE((noise = noise * 1103515245u + 12345u) >> 24);
      const BYTE* rgb = input.data() + offset;
      std::vector<uint32_t> output(width, 0xDEADBEEFu);
      v.pack(rgb, output.data(), width);
      for (UINT x = 0; x < width; ++x) {
        const uint32_t expected = (uint32_t{rgb[3 * x]} << 16) | (uint32_t{rgb[3 * x + 1]} << 8) | rgb[3 * x + 2];
        ASSERT_EQ(output[x], expected) << "width " << width << ", offset " << offset << ", pixel " << x;
      }
    }
  }
}

TEST(XrgbRow, SelectionUsesSsse3WhereThereIsSsse3UnlessDisabled) {
  const char* disabled = std::getenv("UT_PIXEL_DISABLE");
  const bool ssse3 = IsProcessorFeaturePresent(PF_SSSE3_INSTRUCTIONS_AVAILABLE) &&
                     !(disabled && std::strstr(disabled, "ssse3"));
  const PackXrgbRowFn expected = ssse3 ? PackXrgbRowSsse3 : PackXrgbRowGeneric;
  EXPECT_EQ(SelectedPackXrgbRow(), expected);
}

}  // namespace
