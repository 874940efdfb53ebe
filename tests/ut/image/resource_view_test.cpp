// ResourceView over resources embedded into this test program (see CMakeLists.txt): the
// bitmap preferred to raw data of the same name, narrow, wide and numeric names, missing and
// empty resources, and a JPEG resource decoded in place.

#include "ut/image/resource_view.h"

#include <gtest/gtest.h>

#include <string>

#include "ut/image/decoded_image.h"
#include "win32/win32.h"

namespace {

std::string Text(const ResourceView& view) {
  return view.data() ? std::string(static_cast<const char*>(view.data()), view.size()) : std::string("<none>");
}

bool IsEmpty(const ResourceView& view) { return view.data() == nullptr && view.size() == 0; }

TEST(ResourceView, FindsByTypePreferenceAndName) {
  const struct {
    const char* name;
    const wchar_t* wideName;
    BOOL tryBitmap;
    const char* expected;  // null: not found
  } cases[] = {
      {"BOTH", L"BOTH", TRUE, "both, as a bitmap"},
      {"BOTH", L"BOTH", FALSE, "both, as raw data"},
      {"both", L"both", TRUE, "both, as a bitmap"},
      {"RCDATA_ONLY", L"RCDATA_ONLY", TRUE, "only raw data"},
      {"RCDATA_ONLY", L"RCDATA_ONLY", FALSE, "only raw data"},
      {"BITMAP_ONLY", L"BITMAP_ONLY", TRUE, "only a bitmap"},
      {"BITMAP_ONLY", L"BITMAP_ONLY", FALSE, nullptr},
      {"MISSING", L"MISSING", TRUE, nullptr},
      {"MISSING", L"MISSING", FALSE, nullptr},
  };
  for (const auto& c : cases) {
    for (BOOL wide : {FALSE, TRUE}) {
      const void* name = wide ? static_cast<const void*>(c.wideName) : c.name;
      ResourceView view;
      const std::string label = std::string(c.name) + (c.tryBitmap ? ", bitmap first" : ", raw data only") +
                                (wide ? ", wide" : ", narrow");
      if (c.expected) {
        ASSERT_EQ(view.Open(nullptr, name, c.tryBitmap, wide), S_OK) << label;
        EXPECT_EQ(Text(view), c.expected) << label;
      } else {
        EXPECT_EQ(view.Open(nullptr, name, c.tryBitmap, wide), UTERR_INVALIDDATA) << label;
        EXPECT_TRUE(IsEmpty(view)) << label;
      }
    }
  }
}

TEST(ResourceView, NumericIdentifiers) {
  ResourceView narrow, wide;
  ASSERT_EQ(narrow.Open(nullptr, MAKEINTRESOURCEA(101), TRUE, FALSE), S_OK);
  ASSERT_EQ(wide.Open(nullptr, MAKEINTRESOURCEW(101), TRUE, TRUE), S_OK);
  EXPECT_EQ(Text(narrow), "number 101");
  EXPECT_EQ(Text(wide), "number 101");
  ResourceView missing;
  EXPECT_EQ(missing.Open(nullptr, MAKEINTRESOURCEA(102), TRUE, FALSE), UTERR_INVALIDDATA);
}

TEST(ResourceView, EmptyResourceIsInvalidData) {
  ResourceView view;
  EXPECT_EQ(view.Open(nullptr, "EMPTY", TRUE, FALSE), UTERR_INVALIDDATA);
  EXPECT_TRUE(IsEmpty(view));
}

TEST(ResourceView, OwnModuleByNullOrByHandleAndBytesAreTheModules) {
  ResourceView byNull, byHandle;
  ASSERT_EQ(byNull.Open(nullptr, "RCDATA_ONLY", TRUE, FALSE), S_OK);
  ASSERT_EQ(byHandle.Open(GetModuleHandleA(nullptr), "RCDATA_ONLY", TRUE, FALSE), S_OK);
  // Nothing is copied: both views see the module's own bytes.
  EXPECT_EQ(byNull.data(), byHandle.data());
}

TEST(ResourceView, OpeningAgainForgetsTheFormerResource) {
  ResourceView view;
  ASSERT_EQ(view.Open(nullptr, "BOTH", TRUE, FALSE), S_OK);
  ASSERT_EQ(view.Open(nullptr, "RCDATA_ONLY", TRUE, FALSE), S_OK);
  EXPECT_EQ(Text(view), "only raw data");
  EXPECT_EQ(view.Open(nullptr, "MISSING", TRUE, FALSE), UTERR_INVALIDDATA);
  EXPECT_TRUE(IsEmpty(view)) << "a failed Open leaves nothing of the former resource";
  ASSERT_EQ(view.Open(nullptr, "BOTH", TRUE, FALSE), S_OK);
  EXPECT_EQ(view.Close(), S_OK);
  EXPECT_TRUE(IsEmpty(view));
}

TEST(ResourceView, JpegResourceDecodesInPlace) {
  ResourceView view;
  ASSERT_EQ(view.Open(nullptr, "PICTURE", TRUE, FALSE), S_OK);
  DecodedImage image;
  UtImageInfo info;
  ASSERT_EQ(image.Load(view.data(), view.size(), &info, TRUE), S_OK);
  EXPECT_EQ(info.ImageFileFormat, UT_IFF_JPG);
  EXPECT_EQ(info.Width, 24u);
  EXPECT_EQ(info.Height, 16u);
  EXPECT_EQ(info.Format, D3DFMT_X8R8G8B8);
}

}  // namespace
