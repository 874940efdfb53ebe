// DecodedImage::Load with readers supplied by the test: the order of trial, the clean record
// each reader starts from, the outcome, the information record, the boxes of every level and
// face, and the numeric locale during and after the call.

#include <gtest/gtest.h>

#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <string>
#include <vector>

#include "ut/image/decoded_image.h"
#include "ut/image/image_readers.h"
#include "ut/pixel/private_formats.h"

namespace {

// What a reader found on entry.
struct Trial {
  UtImageFileFormat fileFormat;
  BOOL decodePixels;
  D3DRESOURCETYPE resourceType;
  bool empty;                 // pointers null, owns flags false
  std::string numericLocale;  // the calling thread's LC_NUMERIC
};

std::vector<Trial> g_trials;

void RecordTrial(const DecodedImage& image) {
  const bool empty = !image.pixels && !image.palette && !image.nextLevel && !image.nextFace &&
                     !image.ownsPixels && !image.ownsPalette;
  g_trials.push_back({image.fileFormat, image.decodePixels, image.resourceType, empty,
                      nl_langinfo(_NL_LOCALE_NAME(LC_NUMERIC))});
}

// A level with owned pixels, as a reader would build one.
DecodedImage* NewLevel(UINT width, UINT height) {
  DecodedImage* level = new DecodedImage;
  level->format = D3DFMT_X8R8G8B8;
  level->width = width;
  level->height = height;
  level->depth = 1;
  level->rowPitch = width * 4;
  level->AllocatePixels(level->rowPitch, height);
  return level;
}

// Refuses after building pixels, a palette and a chain, all of which Load must free.
HRESULT RefuseLeavingState(DecodedImage& image, const void*, UINT) {
  RecordTrial(image);
  image.format = D3DFMT_P8;
  image.width = 7;
  image.AllocatePixels(7, 7);
  image.AllocatePalette();
  image.nextLevel = NewLevel(3, 3);
  image.nextFace = NewLevel(7, 7);
  image.resourceType = D3DRTYPE_CUBETEXTURE;
  return E_FAIL;
}

HRESULT RefuseOutOfMemory(DecodedImage& image, const void*, UINT) {
  RecordTrial(image);
  return E_OUTOFMEMORY;
}

// Accepts with any non-negative value.
HRESULT AcceptPlain(DecodedImage& image, const void*, UINT) {
  RecordTrial(image);
  image.format = D3DFMT_X8R8G8B8;
  image.width = 5;
  image.height = 3;
  image.depth = 1;
  image.rowPitch = 20;
  image.slicePitch = 0;
  return S_FALSE;
}

// Two faces of three levels each (8, 4, 2 pixels square), stored in a private format.
HRESULT AcceptTwoFaces(DecodedImage& image, const void*, UINT) {
  RecordTrial(image);
  image.format = UT_FMT_A16L16;
  image.width = image.height = 8;
  image.depth = 1;
  image.resourceType = D3DRTYPE_CUBETEXTURE;
  image.nextLevel = NewLevel(4, 4);
  image.nextLevel->nextLevel = NewLevel(2, 2);
  image.nextFace = NewLevel(8, 8);
  image.nextFace->nextLevel = NewLevel(4, 4);
  image.nextFace->nextLevel->nextLevel = NewLevel(2, 2);
  return S_OK;
}

// Makes Load try `readers` for the life of the object.
class ScopedReaders {
 public:
  explicit ScopedReaders(std::span<const ImageReader> readers) : previous_(SetImageReadersForTest(readers)) {
    g_trials.clear();
  }
  ~ScopedReaders() { SetImageReadersForTest(previous_); }

 private:
  std::span<const ImageReader> previous_;
};

const BYTE kData[16] = {1, 2, 3};

UtImageInfo Sentinel() {
  UtImageInfo info;
  std::memset(&info, 0xCD, sizeof info);
  return info;
}

bool Untouched(const UtImageInfo& info) {
  const UtImageInfo sentinel = Sentinel();
  return std::memcmp(&info, &sentinel, sizeof info) == 0;
}

TEST(DecodedImage, StartsEmpty) {
  const DecodedImage image;
  EXPECT_EQ(image.format, D3DFMT_UNKNOWN);
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(image.palette, nullptr);
  EXPECT_EQ(image.nextLevel, nullptr);
  EXPECT_EQ(image.nextFace, nullptr);
  EXPECT_FALSE(image.ownsPixels);
  EXPECT_FALSE(image.ownsPalette);
}

TEST(DecodedImage, AllocatePixelsRefusesSizesBeyond32Bits) {
  DecodedImage image;
  EXPECT_EQ(image.AllocatePixels(65536, 65536), nullptr);
  EXPECT_EQ(image.AllocatePixels(4096, 4096, 256), nullptr);
  EXPECT_EQ(image.AllocatePixels(0, 10), nullptr);
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_FALSE(image.ownsPixels);
  BYTE* pixels = image.AllocatePixels(3, 5, 2);
  ASSERT_NE(pixels, nullptr);
  EXPECT_EQ(image.pixels, pixels);
  EXPECT_TRUE(image.ownsPixels);
  std::memset(pixels, 0, 30);
}

TEST(DecodedImageLoad, TriesReadersInOrderEachOnAnEmptyRecordUntilOneAccepts) {
  const ImageReader readers[] = {
      {UT_IFF_BMP, "leaves state", RefuseLeavingState},
      {UT_IFF_PPM, "out of memory", RefuseOutOfMemory},
      {UT_IFF_DDS, "accepts", AcceptPlain},
      {UT_IFF_JPG, "never reached", AcceptPlain},
  };
  const ScopedReaders scoped(readers);
  for (BOOL decode : {TRUE, FALSE}) {
    g_trials.clear();
    DecodedImage image;
    UtImageInfo info = Sentinel();
    ASSERT_EQ(image.Load(kData, sizeof kData, &info, decode), S_OK);
    ASSERT_EQ(g_trials.size(), 3u);
    const UtImageFileFormat expected[] = {UT_IFF_BMP, UT_IFF_PPM, UT_IFF_DDS};
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(g_trials[i].fileFormat, expected[i]) << "trial " << i;
      EXPECT_EQ(g_trials[i].decodePixels, decode) << "trial " << i;
      // The refusing reader changed resourceType; the next one sees it reset.
      EXPECT_EQ(g_trials[i].resourceType, D3DRTYPE_TEXTURE) << "trial " << i;
      EXPECT_TRUE(g_trials[i].empty) << "trial " << i;
    }
    EXPECT_EQ(image.fileFormat, UT_IFF_DDS);
    EXPECT_EQ(info.ImageFileFormat, UT_IFF_DDS);
    EXPECT_EQ(info.Width, 5u);
    EXPECT_EQ(info.Height, 3u);
    EXPECT_EQ(info.Depth, 1u);
    EXPECT_EQ(info.MipLevels, 1u);
    EXPECT_EQ(info.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(info.ResourceType, D3DRTYPE_TEXTURE);
  }
}

TEST(DecodedImageLoad, NoReaderAcceptsLeavesRecordEmptyAndInfoUntouched) {
  const ImageReader readers[] = {
      {UT_IFF_BMP, "leaves state", RefuseLeavingState},
      {UT_IFF_PNG, "out of memory", RefuseOutOfMemory},
      {UT_IFF_DIB, "leaves state", RefuseLeavingState},
  };
  const ScopedReaders scoped(readers);
  DecodedImage image;
  UtImageInfo info = Sentinel();
  EXPECT_EQ(image.Load(kData, sizeof kData, &info, TRUE), UTERR_INVALIDDATA);
  EXPECT_EQ(g_trials.size(), 3u);
  EXPECT_TRUE(Untouched(info));
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(image.palette, nullptr);
  EXPECT_EQ(image.nextLevel, nullptr);
  EXPECT_EQ(image.nextFace, nullptr);
  EXPECT_FALSE(image.ownsPixels);
  EXPECT_FALSE(image.ownsPalette);
}

TEST(DecodedImageLoad, InfoDescribesFirstFaceAndEveryLevelGetsItsWholeBox) {
  const ImageReader readers[] = {{UT_IFF_DDS, "two faces", AcceptTwoFaces}};
  const ScopedReaders scoped(readers);
  DecodedImage image;
  UtImageInfo info = Sentinel();
  ASSERT_EQ(image.Load(kData, sizeof kData, &info, TRUE), S_OK);
  EXPECT_EQ(info.Width, 8u);
  EXPECT_EQ(info.Height, 8u);
  EXPECT_EQ(info.Depth, 1u);
  EXPECT_EQ(info.MipLevels, 3u);
  EXPECT_EQ(info.Format, D3DFMT_A8L8) << "the private format is reported as its public stand-in";
  EXPECT_EQ(image.format, UT_FMT_A16L16) << "the record keeps the private format";
  EXPECT_EQ(info.ResourceType, D3DRTYPE_CUBETEXTURE);
  EXPECT_EQ(info.ImageFileFormat, UT_IFF_DDS);
  int records = 0;
  for (const DecodedImage* face = &image; face; face = face->nextFace) {
    for (const DecodedImage* level = face; level; level = level->nextLevel, ++records) {
      const D3DBOX whole = {0, 0, level->width, level->height, 0, level->depth};
      EXPECT_EQ(std::memcmp(&level->box, &whole, sizeof whole), 0) << "record " << records;
    }
  }
  EXPECT_EQ(records, 6);
}

TEST(DecodedImageLoad, ArgumentsAreCheckedBeforeAnyReader) {
  const ImageReader readers[] = {{UT_IFF_BMP, "accepts", AcceptPlain}};
  const ScopedReaders scoped(readers);
  DecodedImage image;
  UtImageInfo info = Sentinel();
  EXPECT_EQ(image.Load(nullptr, 16, &info, TRUE), D3DERR_INVALIDCALL);
  EXPECT_EQ(image.Load(kData, 0, &info, TRUE), D3DERR_INVALIDCALL);
  EXPECT_TRUE(Untouched(info));
  // Neither information nor pixels asked for: nothing is read.
  EXPECT_EQ(image.Load(kData, sizeof kData, nullptr, FALSE), S_OK);
  EXPECT_TRUE(g_trials.empty());
  EXPECT_EQ(image.Load(kData, sizeof kData, nullptr, TRUE), S_OK);
  EXPECT_EQ(g_trials.size(), 1u);
}

TEST(DecodedImageLoad, ReloadingReleasesWhatTheRecordHeld) {
  const ImageReader readers[] = {{UT_IFF_DDS, "two faces", AcceptTwoFaces}};
  const ScopedReaders scoped(readers);
  DecodedImage image;
  ASSERT_EQ(image.Load(kData, sizeof kData, nullptr, TRUE), S_OK);
  // The sanitizer build reports the first chain as leaked if the second Load drops it.
  ASSERT_EQ(image.Load(kData, sizeof kData, nullptr, TRUE), S_OK);
  ASSERT_EQ(g_trials.size(), 2u);
  EXPECT_TRUE(g_trials[1].empty);
}

// The library's own table follows the fixed order of trial.
TEST(ImageReaders, LibraryTableFollowsTheOrderOfTrial) {
  const UtImageFileFormat order[] = {UT_IFF_BMP, UT_IFF_PPM, UT_IFF_DDS, UT_IFF_JPG, UT_IFF_PNG,
                                     UT_IFF_PFM, UT_IFF_HDR, UT_IFF_TGA, UT_IFF_DIB};
  size_t next = 0;
  bool hasJpeg = false;
  for (const ImageReader& reader : GetImageReaders()) {
    while (next < std::size(order) && order[next] != reader.fileFormat) ++next;
    ASSERT_LT(next, std::size(order)) << reader.name << " is out of order or listed twice";
    ++next;
    hasJpeg |= reader.fileFormat == UT_IFF_JPG;
  }
  EXPECT_TRUE(hasJpeg);
}

// Sets the process's LC_NUMERIC for one test and puts the old one back.
class NumericLocale : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = setlocale(LC_NUMERIC, nullptr);
    if (!setlocale(LC_NUMERIC, "C.UTF-8")) GTEST_SKIP() << "no C.UTF-8 locale on this machine";
    // Its name is not "C", so Load has to switch.
    ASSERT_STRNE(setlocale(LC_NUMERIC, nullptr), "C");
  }
  void TearDown() override { setlocale(LC_NUMERIC, saved_.c_str()); }

 private:
  std::string saved_;
};

TEST_F(NumericLocale, ReadersScanInCAndTheCallersLocaleIsRestored) {
  const std::string before = setlocale(LC_NUMERIC, nullptr);
  const ImageReader refuse[] = {{UT_IFF_PFM, "refuses", RefuseOutOfMemory}};
  const ImageReader accept[] = {{UT_IFF_HDR, "accepts", AcceptPlain}};
  for (const std::span<const ImageReader> readers : {std::span<const ImageReader>(refuse), std::span<const ImageReader>(accept)}) {
    const ScopedReaders scoped(readers);
    DecodedImage image;
    UtImageInfo info;
    image.Load(kData, sizeof kData, &info, TRUE);
    ASSERT_EQ(g_trials.size(), 1u);
    EXPECT_EQ(g_trials[0].numericLocale, "C") << readers[0].name;
    EXPECT_EQ(setlocale(LC_NUMERIC, nullptr), before) << readers[0].name;
    EXPECT_EQ(uselocale(static_cast<locale_t>(nullptr)), LC_GLOBAL_LOCALE) << readers[0].name;
    EXPECT_STREQ(nl_langinfo(_NL_LOCALE_NAME(LC_NUMERIC)), before.c_str()) << readers[0].name;
  }
}

TEST_F(NumericLocale, AThreadsOwnLocaleIsRestored) {
  const locale_t own = newlocale(LC_ALL_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  ASSERT_NE(own, static_cast<locale_t>(nullptr));
  const locale_t previous = uselocale(own);
  const ImageReader refuse[] = {{UT_IFF_PFM, "refuses", RefuseOutOfMemory}};
  {
    const ScopedReaders scoped(refuse);
    DecodedImage image;
    UtImageInfo info;
    EXPECT_EQ(image.Load(kData, sizeof kData, &info, TRUE), UTERR_INVALIDDATA);
    ASSERT_EQ(g_trials.size(), 1u);
    EXPECT_EQ(g_trials[0].numericLocale, "C");
  }
  EXPECT_EQ(uselocale(previous), own);
  freelocale(own);
}

}  // namespace
