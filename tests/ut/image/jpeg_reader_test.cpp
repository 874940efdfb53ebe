// ReadJpeg against the bare libjpeg decode of the same bytes: formats, sampling, progressive
// and restart files, header-only mode, refused files, and damaged files of every kind.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/ut/image/jpeg_test_files.h"
#include "ut/image/decoded_image.h"
#include "ut/math/mmx_test.h"

namespace {

// The reader chooses the fast inverse DCT only where MMX is not available.
J_DCT_METHOD ReaderDctMethod() { return IsMmxAvailable() ? JDCT_ISLOW : JDCT_IFAST; }

// Pixel for pixel against libjpeg's own samples: L8 bytes, or X8R8G8B8 with the top byte 0.
testing::AssertionResult SamePixels(const DecodedImage& image, const BareJpegDecode& bare) {
  if (!bare.ok) return testing::AssertionFailure() << "libjpeg itself refused the file";
  if (image.width != bare.width || image.height != bare.height) {
    return testing::AssertionFailure() << "size " << image.width << "x" << image.height << ", libjpeg "
                                       << bare.width << "x" << bare.height;
  }
  if (!image.pixels) return testing::AssertionFailure() << "no pixels";
  const BYTE* pixels = static_cast<const BYTE*>(image.pixels);
  for (unsigned y = 0; y < bare.height; ++y) {
    for (unsigned x = 0; x < bare.width; ++x) {
      const uint8_t* s = &bare.samples[(size_t(y) * bare.width + x) * bare.components];
      uint32_t got, expected;
      if (bare.components == 1) {
        got = pixels[size_t(y) * image.rowPitch + x];
        expected = s[0];
      } else {
        std::memcpy(&got, pixels + size_t(y) * image.rowPitch + 4 * x, 4);
        expected = (uint32_t{s[0]} << 16) | (uint32_t{s[1]} << 8) | s[2];
      }
      if (got != expected) {
        return testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is 0x" << std::hex << got
                                           << ", libjpeg gives 0x" << expected;
      }
    }
  }
  return testing::AssertionSuccess();
}

// What the file's headers say, so that a fixture that lost its property fails loudly.
void ExpectEncodingInFile(const JpegEncoding& e, const std::vector<uint8_t>& file) {
  ASSERT_FALSE(file.empty());
  const size_t sof = FindMarker(file, e.progressive ? 0xC2 : 0xC0);
  ASSERT_NE(sof, std::string::npos) << (e.progressive ? "no SOF2" : "no SOF0");
  ASSERT_EQ(file[sof + 9], e.components);
  EXPECT_EQ(file[sof + 11], (e.hSampling << 4) | e.vSampling) << "luma sampling factors";
  EXPECT_EQ(FindMarker(file, 0xDD) != std::string::npos, e.restartRows > 0) << "DRI marker";
}

class JpegFiles : public testing::TestWithParam<JpegEncoding> {};

const JpegEncoding kEncodings[] = {
    {"grey", 33, 17, 1, 1, 1, false, 0},
    {"grey_progressive", 40, 24, 1, 1, 1, true, 0},
    {"colour_444", 35, 21, 3, 1, 1, false, 0},
    {"colour_422", 35, 21, 3, 2, 1, false, 0},
    {"colour_420", 35, 21, 3, 2, 2, false, 0},
    {"colour_420_restarts", 64, 48, 3, 2, 2, false, 1},
    {"colour_progressive_420", 48, 40, 3, 2, 2, true, 0},
    {"colour_progressive_444_restarts", 48, 40, 3, 1, 1, true, 1},
    {"colour_one_pixel", 1, 1, 3, 2, 2, false, 0},
};

INSTANTIATE_TEST_SUITE_P(Encodings, JpegFiles, testing::ValuesIn(kEncodings),
                         [](const testing::TestParamInfo<JpegEncoding>& info) { return std::string(info.param.name); });

TEST_P(JpegFiles, LoadDecodesLikeLibjpeg) {
  const JpegEncoding& e = GetParam();
  const std::vector<uint8_t> file = EncodeJpeg(e);
  ExpectEncodingInFile(e, file);

  DecodedImage image;
  UtImageInfo info;
  ASSERT_EQ(image.Load(file.data(), UINT(file.size()), &info, TRUE), S_OK);
  const bool grey = e.components == 1;
  EXPECT_EQ(image.format, grey ? D3DFMT_L8 : D3DFMT_X8R8G8B8);
  EXPECT_EQ(image.fileFormat, UT_IFF_JPG);
  EXPECT_EQ(image.width, UINT(e.width));
  EXPECT_EQ(image.height, UINT(e.height));
  EXPECT_EQ(image.depth, 1u);
  // Grey rows are not padded to 4 bytes.
  EXPECT_EQ(image.rowPitch, UINT(e.width) * (grey ? 1 : 4));
  EXPECT_EQ(image.slicePitch, 0u);
  EXPECT_TRUE(image.ownsPixels);
  EXPECT_EQ(image.palette, nullptr);
  EXPECT_TRUE(SamePixels(image, DecodeWithLibjpeg(file, ReaderDctMethod())));

  EXPECT_EQ(info.Width, UINT(e.width));
  EXPECT_EQ(info.Height, UINT(e.height));
  EXPECT_EQ(info.Depth, 1u);
  EXPECT_EQ(info.MipLevels, 1u);
  EXPECT_EQ(info.Format, image.format);
  EXPECT_EQ(info.ResourceType, D3DRTYPE_TEXTURE);
  EXPECT_EQ(info.ImageFileFormat, UT_IFF_JPG);
}

TEST_P(JpegFiles, HeaderOnlyReportsSizeAndFormatWithoutPixels) {
  const JpegEncoding& e = GetParam();
  const std::vector<uint8_t> file = EncodeJpeg(e);
  DecodedImage image;
  UtImageInfo info;
  ASSERT_EQ(image.Load(file.data(), UINT(file.size()), &info, FALSE), S_OK);
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_FALSE(image.ownsPixels);
  EXPECT_EQ(image.format, e.components == 1 ? D3DFMT_L8 : D3DFMT_X8R8G8B8);
  EXPECT_EQ(info.Width, UINT(e.width));
  EXPECT_EQ(info.Height, UINT(e.height));
  EXPECT_EQ(info.Format, image.format);
  EXPECT_EQ(info.ImageFileFormat, UT_IFF_JPG);
  const D3DBOX whole = {0, 0, UINT(e.width), UINT(e.height), 0, 1};
  EXPECT_EQ(std::memcmp(&image.box, &whole, sizeof whole), 0);
}

// Reads `file` with ReadJpeg alone, as Load would set the record up for it.
HRESULT ReadJpegOnly(DecodedImage& image, const std::vector<uint8_t>& file, BOOL decode) {
  image.decodePixels = decode;
  image.resourceType = D3DRTYPE_TEXTURE;
  image.fileFormat = UT_IFF_JPG;
  return image.ReadJpeg(file.data(), UINT(file.size()));
}

TEST(JpegReader, CmykFileIsRefused) {
  const std::vector<uint8_t> file = EncodeJpeg({"cmyk", 16, 16, 4, 1, 1, false, 0});
  const BareJpegDecode bare = DecodeWithLibjpeg(file, JDCT_ISLOW);
  ASSERT_TRUE(bare.ok) << "the fixture must be a file libjpeg decodes";
  ASSERT_EQ(bare.components, 4);

  for (BOOL decode : {TRUE, FALSE}) {
    DecodedImage direct;
    EXPECT_EQ(ReadJpegOnly(direct, file, decode), E_FAIL) << "decode " << decode;
    DecodedImage image;
    UtImageInfo info;
    EXPECT_EQ(image.Load(file.data(), UINT(file.size()), &info, decode), UTERR_INVALIDDATA);
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_FALSE(image.ownsPixels);
  }
}

TEST(JpegReader, RefusesNullAndEmptyData) {
  DecodedImage image;
  image.decodePixels = TRUE;
  const BYTE byte = 0xFF;
  EXPECT_EQ(image.ReadJpeg(nullptr, 100), E_FAIL);
  EXPECT_EQ(image.ReadJpeg(&byte, 0), E_FAIL);
}

TEST(JpegReader, ForeignDataIsRefusedSilently) {
  const std::vector<std::vector<uint8_t>> foreign = {
      {'B', 'M', 0x3A, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0},
      {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A},
      {0xFF},
      {0xFF, 0xD8},
      {0xFF, 0xD8, 0xFF, 0xD9},
      {0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
  };
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  for (size_t i = 0; i < foreign.size(); ++i) {
    for (BOOL decode : {TRUE, FALSE}) {
      DecodedImage image;
      EXPECT_EQ(ReadJpegOnly(image, foreign[i], decode), E_FAIL) << "case " << i << ": " << Hex(foreign[i], 0, 16);
    }
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// A file cut inside a marker segment must end and be refused. Handing the decoder the file
// again from its start when it asks for more makes it read the same segments forever (a file of
// the first 6 bytes, cut after the JFIF segment's length, loops so).
TEST(JpegReader, FileCutInsideMarkerSegmentEnds) {
  const std::vector<uint8_t> file = EncodeJpeg({"colour", 16, 16, 3, 2, 2, false, 0});
  const size_t dqt = FindMarker(file, 0xDB);
  const size_t sof = FindMarker(file, 0xC0);
  const size_t dht = FindMarker(file, 0xC4);
  ASSERT_TRUE(dqt != std::string::npos && sof != std::string::npos && dht != std::string::npos);
  const struct {
    const char* name;
    size_t length;
  } cuts[] = {
      {"after the JFIF segment's length", 6},
      {"inside the JFIF segment", 10},
      {"inside a quantisation table", dqt + 30},
      {"inside the frame header", sof + 7},
      {"inside a Huffman table", dht + 20},
  };
  for (const auto& cut : cuts) {
    const std::vector<uint8_t> bytes(file.begin(), file.begin() + cut.length);
    for (BOOL decode : {TRUE, FALSE}) {
      DecodedImage image;
      EXPECT_EQ(ReadJpegOnly(image, bytes, decode), E_FAIL) << cut.name;
    }
  }
}

// A marker whose length runs past the end of the data: the source must stop at the end (the
// data sits in a buffer of its exact size, so reading beyond it is caught by the sanitizers).
TEST(JpegReader, MarkerLongerThanTheDataIsRefused) {
  const std::vector<std::vector<uint8_t>> files = {
      {0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 'E', 'x', 'i', 'f'},
      {0xFF, 0xD8, 0xFF, 0xFE, 0x40, 0x00},
      {0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x03, 'a', 0xFF, 0xFE, 0x7F, 0xFF},
  };
  for (const std::vector<uint8_t>& bytes : files) {
    DecodedImage image;
    const std::vector<uint8_t> exact(bytes);
    EXPECT_EQ(ReadJpegOnly(image, exact, TRUE), E_FAIL) << Hex(bytes, 0, 16);
  }
}

// Writes `width` and `height` into the frame header of `file`.
std::vector<uint8_t> WithFrameSize(std::vector<uint8_t> file, unsigned width, unsigned height) {
  const size_t sof = FindMarker(file, 0xC0);
  file[sof + 5] = uint8_t(height >> 8);
  file[sof + 6] = uint8_t(height);
  file[sof + 7] = uint8_t(width >> 8);
  file[sof + 8] = uint8_t(width);
  return file;
}

// Every size in the record is 32-bit: an image whose pixels would need 4 GiB or more is refused
// in both modes, so that a file accepted for information is one that can be loaded.
TEST(JpegReader, ImagesTooLargeToStoreAreRefused) {
  const std::vector<uint8_t> colour = EncodeJpeg({"colour", 16, 16, 3, 1, 1, false, 0});
  const std::vector<uint8_t> grey = EncodeJpeg({"grey", 16, 16, 1, 1, 1, false, 0});
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    HRESULT expected;
  };
  const Case cases[] = {
      {"colour 32768 x 32767 (just under 4 GiB)", WithFrameSize(colour, 32768, 32767), S_OK},
      {"colour 32768 x 32768 (4 GiB)", WithFrameSize(colour, 32768, 32768), E_FAIL},
      {"colour 40000 x 40000", WithFrameSize(colour, 40000, 40000), E_FAIL},
      {"grey 65500 x 65500", WithFrameSize(grey, 65500, 65500), S_OK},
  };
  for (const Case& c : cases) {
    DecodedImage image;
    EXPECT_EQ(ReadJpegOnly(image, c.file, FALSE), c.expected) << c.name;
    EXPECT_EQ(image.pixels, nullptr) << c.name;
  }
}

// Damaged versions of one file, each decoded by ReadJpeg and by bare libjpeg: both must accept
// or refuse alike, agree on every pixel, print nothing, and end.
class DamagedFiles {
 public:
  void Check(const std::string& what, const std::vector<uint8_t>& file) {
    for (BOOL decode : {TRUE, FALSE}) {
      const BareJpegDecode bare = DecodeWithLibjpeg(file, ReaderDctMethod(), !decode);
      const bool storable = bare.components == 1 || bare.components == 3;
      DecodedImage image;
      const HRESULT hr = ReadJpegOnly(image, file, decode);
      std::string problem;
      if (SUCCEEDED(hr) != (bare.ok && storable)) {
        problem = SUCCEEDED(hr) ? "accepted, libjpeg refused" : "refused, libjpeg decoded";
      } else if (SUCCEEDED(hr) && decode) {
        const testing::AssertionResult same = SamePixels(image, bare);
        if (!same) problem = same.message();
      } else if (SUCCEEDED(hr) && (image.width != bare.width || image.height != bare.height)) {
        problem = "header-only size differs";
      }
      ++(SUCCEEDED(hr) ? accepted_ : refused_);
      if (!problem.empty() && ++failures_ <= 10) {
        ADD_FAILURE() << what << (decode ? "" : " (header only)") << ": " << problem;
      }
    }
  }
  int failures() const { return failures_; }
  int accepted() const { return accepted_; }
  int refused() const { return refused_; }

 private:
  int failures_ = 0;
  int accepted_ = 0;
  int refused_ = 0;
};

class DamagedJpeg : public testing::TestWithParam<JpegEncoding> {};

const JpegEncoding kDamageBases[] = {
    {"baseline_420_restarts", 24, 16, 3, 2, 2, false, 1},
    {"progressive_422", 24, 16, 3, 2, 1, true, 0},
    {"grey_progressive_restarts", 16, 16, 1, 1, 1, true, 1},
};

INSTANTIATE_TEST_SUITE_P(Bases, DamagedJpeg, testing::ValuesIn(kDamageBases),
                         [](const testing::TestParamInfo<JpegEncoding>& info) { return std::string(info.param.name); });

TEST_P(DamagedJpeg, EveryTruncationMatchesLibjpeg) {
  const std::vector<uint8_t> file = EncodeJpeg(GetParam());
  ASSERT_FALSE(file.empty());
  DamagedFiles damaged;
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  for (size_t length = 1; length < file.size(); ++length) {
    damaged.Check("cut to " + std::to_string(length) + " bytes",
                  std::vector<uint8_t>(file.begin(), file.begin() + length));
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(damaged.failures(), 0);
  // Both outcomes occur, or the comparison would show little.
  EXPECT_GT(damaged.accepted(), 0);
  EXPECT_GT(damaged.refused(), 0);
}

TEST_P(DamagedJpeg, EveryByteFlipMatchesLibjpeg) {
  const std::vector<uint8_t> file = EncodeJpeg(GetParam());
  ASSERT_FALSE(file.empty());
  DamagedFiles damaged;
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  for (size_t at = 0; at < file.size(); ++at) {
    for (uint8_t flip : {uint8_t(0xFF), uint8_t(0x01)}) {
      std::vector<uint8_t> bad(file);
      bad[at] ^= flip;
      damaged.Check("byte " + std::to_string(at) + " xor " + std::to_string(flip), bad);
    }
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(damaged.failures(), 0);
  // Both outcomes occur, or the comparison would show little.
  EXPECT_GT(damaged.accepted(), 0);
  EXPECT_GT(damaged.refused(), 0);
}

}  // namespace

namespace {

// Without MMX the reader takes libjpeg's fast integer inverse DCT; with it, the accurate one.
// The switch turns MMX off for the rest of the process, so that case runs in a process of its
// own (a "threadsafe" death test re-executes this program for it).
TEST(JpegReaderDct, AccurateWithMmxFastWithout) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::vector<uint8_t> file = EncodeJpeg({"colour", 64, 48, 3, 2, 2, false, 0});
  const BareJpegDecode accurate = DecodeWithLibjpeg(file, JDCT_ISLOW);
  const BareJpegDecode fast = DecodeWithLibjpeg(file, JDCT_IFAST);
  ASSERT_NE(accurate.samples, fast.samples) << "the fixture must tell the two methods apart";

#if defined(__x86_64__)
  {
    DecodedImage image;
    UtImageInfo info;
    ASSERT_EQ(image.Load(file.data(), UINT(file.size()), &info, TRUE), S_OK);
    EXPECT_TRUE(SamePixels(image, accurate)) << "an x86-64 processor has MMX";
  }
#endif

  EXPECT_EXIT(
      {
        char dir[] = "/tmp/ut_jpeg_dct_XXXXXX";
        const std::string registry = std::string(mkdtemp(dir)) + "/registry.reg";
        std::FILE* out = std::fopen(registry.c_str(), "w");
        std::fputs("Windows Registry Editor Version 5.00\r\n\r\n"
                   "[HKEY_LOCAL_MACHINE\\Software\\Duvodovid\\Direct3D]\r\n"
                   "\"DisableMMX\"=dword:00000001\r\n",
                   out);
        std::fclose(out);
        setenv("UT_REGISTRY_FILE", registry.c_str(), 1);
        DecodedImage image;
        UtImageInfo info;
        const HRESULT hr = image.Load(file.data(), UINT(file.size()), &info, TRUE);
        const testing::AssertionResult same = SUCCEEDED(hr) ? SamePixels(image, fast) : testing::AssertionFailure() << "Load failed";
        std::remove(registry.c_str());
        rmdir(dir);
        if (!same) std::fprintf(stderr, "with DisableMMX: %s\n", same.message());
        std::fflush(stderr);
        std::_Exit(same ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
