// Ordered dithering by position and Floyd-Steinberg error diffusion in serpentine order,
// checked against a reference written here from the rules: the Bayer matrix, the scan order of
// each row, and the weights 7/16 (next pixel), 3/16, 5/16 and 1/16 (behind, at and ahead of the
// pixel in the next row encoded).
#include <gtest/gtest.h>

#include <limits>
#include <random>

#include "tests/ut/pixel/codec_test_support.h"
#include "ut/pixel/pixel_dither.h"

namespace {

const float kBayer[4][4] = {{15, 7, 13, 5}, {3, 11, 1, 9}, {12, 4, 14, 6}, {0, 8, 2, 10}};

float BayerOffset(unsigned y, unsigned z, unsigned i) {
  return (kBayer[y % 4][(z + i) % 4] + 0.5f) / 16.0f;
}

TEST(PixelDither, Tables) {
  const float row0[8] = {0.96875f, 0.46875f, 0.84375f, 0.34375f,
                         0.96875f, 0.46875f, 0.84375f, 0.34375f};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(kOrderedDitherTable[0][i], row0[i]) << "column " << i;
  for (unsigned y = 0; y < 4; ++y) {
    for (unsigned c = 0; c < 8; ++c) {
      EXPECT_EQ(kOrderedDitherTable[y][c], BayerOffset(y, 0, c)) << y << ", " << c;
      EXPECT_EQ(kNoDitherTable[y][c], 0.5f);
    }
  }
}

// One field of a format, as the reference sees it.
struct Field {
  int channel;  // 0 red .. 3 alpha
  int shift;
  int width;
  bool isSigned;
};

struct Format {
  D3DFORMAT format;
  size_t bytes;
  std::vector<Field> fields;
};

const Format kA8 = {D3DFMT_A8, 1, {{3, 0, 8, false}}};
const Format kR5G6B5 = {D3DFMT_R5G6B5, 2, {{0, 11, 5, false}, {1, 5, 6, false}, {2, 0, 5, false}}};
const Format kV8U8 = {D3DFMT_V8U8, 2, {{0, 0, 8, true}, {1, 8, 8, true}}};

float& Channel(UtColor& c, int channel) {
  return channel == 0 ? c.r : channel == 1 ? c.g : channel == 2 ? c.b : c.a;
}

int32_t Trunc(float s) {
  if (s != s) return 0;
  if (s > 2e9f) return 2000000000;
  if (s < -2e9f) return -2000000000;
  return static_cast<int32_t>(s);
}

// Reference encoder of a block: rows are encoded in the order given, errors left by one row
// go to the next row encoded.
class ReferenceEncoder {
 public:
  ReferenceEncoder(const Format& format, unsigned width, bool dither, bool diffuse)
      : format_(format), width_(width), dither_(dither), diffuse_(diffuse),
        below_(width + 2, UtColor(0, 0, 0, 0)) {}

  std::vector<uint8_t> EncodeRow(unsigned y, unsigned z, std::vector<UtColor> row) {
    std::vector<UtColor> next(width_ + 2, UtColor(0, 0, 0, 0));
    for (unsigned x = 0; x < width_; ++x) {
      for (int ch = 0; ch < 4; ++ch) Channel(row[x], ch) += Channel(below_[x + 1], ch);
    }
    std::vector<uint8_t> out(width_ * format_.bytes);
    const bool reversed = y % 2 == 1;
    UtColor carry(0, 0, 0, 0);
    for (unsigned i = 0; i < width_; ++i) {
      const unsigned x = reversed ? width_ - 1 - i : i;
      const float d = dither_ ? BayerOffset(y, z, i) : 0.5f;
      uint64_t word = 0;
      for (const Field& f : format_.fields) {
        const int32_t m = f.isSigned ? (1 << (f.width - 1)) - 1 : (1 << f.width) - 1;
        const float maxCode = static_cast<float>(m);
        float& k = Channel(carry, f.channel);
        const float v = (Channel(row[x], f.channel) + (diffuse_ ? k : 0.0f)) * maxCode;
        int32_t q = Trunc(v + d);
        if (diffuse_) {
          const float e = (v - static_cast<float>(q)) / maxCode;
          // Entries of `next`: pixel x is x + 1; behind and ahead follow the scan direction.
          const int at = static_cast<int>(x) + 1;
          const int behind = reversed ? at + 1 : at - 1;
          const int ahead = reversed ? at - 1 : at + 1;
          Channel(next[behind], f.channel) += e * (3.0f / 16.0f);
          Channel(next[at], f.channel) += e * (5.0f / 16.0f);
          Channel(next[ahead], f.channel) += e * (1.0f / 16.0f);
          k = e * (7.0f / 16.0f);
        }
        q = q < (f.isSigned ? -m : 0) ? (f.isSigned ? -m : 0) : (q > m ? m : q);
        word |= static_cast<uint64_t>(static_cast<uint32_t>(q) & ((1u << f.width) - 1)) << f.shift;
      }
      for (size_t b = 0; b < format_.bytes; ++b) out[x * format_.bytes + b] = uint8_t(word >> (8 * b));
    }
    if (diffuse_) below_ = next;
    return out;
  }

 private:
  Format format_;
  unsigned width_;
  bool dither_;
  bool diffuse_;
  std::vector<UtColor> below_;
};

std::vector<UtColor> RandomRow(std::mt19937& random, unsigned width, bool isSigned) {
  std::uniform_real_distribution<float> value(isSigned ? -1.0f : 0.0f, 1.0f);
  std::vector<UtColor> row(width);
  for (UtColor& c : row) c = UtColor(value(random), value(random), value(random), value(random));
  return row;
}

struct Run {
  const Format* format;
  unsigned width;
  unsigned depth;
  bool dither;
  bool diffuse;
  std::vector<unsigned> rowOrder;
};

void CheckRun(const Run& run, uint32_t seed) {
  const unsigned height = 6;
  const size_t pitch = run.width * run.format->bytes;
  std::vector<uint8_t> bytes(pitch * height * run.depth, 0xCD);
  BlockOptions options;
  options.orderedDither = run.dither;
  options.errorDiffusion = run.diffuse;
  std::unique_ptr<PixelCodec> codec =
      CreatePixelCodec(MakeBlock(bytes.data(), run.format->format, static_cast<UINT>(pitch),
                                 run.width, height, run.depth,
                                 static_cast<UINT>(pitch * height), options));
  ASSERT_NE(codec, nullptr);
  ReferenceEncoder reference(*run.format, run.width, run.dither, run.diffuse);
  std::mt19937 random(seed);
  const bool isSigned = run.format->fields[0].isSigned;
  for (unsigned z = 0; z < run.depth; ++z) {
    for (unsigned y : run.rowOrder) {
      std::vector<UtColor> row = RandomRow(random, run.width, isSigned);
      const std::vector<uint8_t> want = reference.EncodeRow(y, z, row);
      codec->EncodeRow(y, z, row.data());
      const uint8_t* got = bytes.data() + z * pitch * height + y * pitch;
      EXPECT_EQ(HexBytes(got, pitch), HexBytes(want.data(), pitch))
          << "format " << run.format->format << " width " << run.width << " row " << y
          << " slice " << z << (run.dither ? " dithered" : "") << (run.diffuse ? " diffused" : "");
    }
  }
}

TEST(PixelDither, OrderedOffsetsFollowRowSliceAndScanPosition) {
  const std::vector<unsigned> rows = {0, 1, 2, 3, 4, 5};
  uint32_t seed = 1;
  for (const Format* format : {&kA8, &kR5G6B5, &kV8U8}) {
    for (unsigned width : {1u, 3u, 6u, 9u}) {
      CheckRun({format, width, 5, true, false, rows}, seed++);
    }
  }
}

TEST(PixelDither, OrderedDitherOfAFlatValue) {
  // Alpha 100.4 / 255: a dither offset of at least 0.6 rounds up. Row 0 of the table
  // (0.97, 0.47, 0.84, 0.34) gives 101, 100, 101, 100; row 1 (0.22, 0.72, 0.09, 0.59) runs
  // right to left, so its offsets land on pixels 3, 2, 1, 0: 100, 101, 100, 100 from the right.
  std::vector<uint8_t> bytes(8, 0);
  BlockOptions options;
  options.orderedDither = TRUE;
  std::unique_ptr<PixelCodec> codec =
      CreatePixelCodec(MakeBlock(bytes.data(), D3DFMT_A8, 4, 4, 2, 1, 0, options));
  ASSERT_NE(codec, nullptr);
  std::vector<UtColor> row(4, UtColor(0, 0, 0, 100.4f / 255.0f));
  std::vector<UtColor> copy = row;
  codec->EncodeRow(0, 0, row.data());
  codec->EncodeRow(1, 0, copy.data());
  EXPECT_EQ(HexBytes(bytes.data(), 8), "65 64 65 64 64 64 65 64");
}

TEST(PixelDither, ErrorDiffusionInSerpentineOrder) {
  uint32_t seed = 100;
  for (const Format* format : {&kA8, &kR5G6B5, &kV8U8}) {
    for (unsigned width : {1u, 2u, 5u, 8u}) {
      CheckRun({format, width, 2, false, true, {0, 1, 2, 3, 4, 5}}, seed++);
      CheckRun({format, width, 1, true, true, {0, 1, 2, 3, 4, 5}}, seed++);
    }
  }
}

TEST(PixelDither, ErrorsGoToWhicheverRowIsEncodedNext) {
  // The tent filter encodes rows in the order their last contribution arrives, row 0 last.
  uint32_t seed = 200;
  for (const Format* format : {&kA8, &kR5G6B5}) {
    CheckRun({format, 5, 1, false, true, {1, 2, 3, 4, 5, 0}}, seed++);
    CheckRun({format, 4, 1, true, true, {5, 3, 1, 0, 2, 4}}, seed++);
  }
}

TEST(PixelDither, RowOfWidthOne) {
  // A single column: 7/16 of each error has no next pixel and 3/16 and 1/16 fall on the guard
  // entries, so 5/16 moves down. Alpha 0.3 / 255 per row: 0.3, then 0.3 + 0.3 x 5/16, ...
  std::vector<uint8_t> bytes(8, 0xCD);
  BlockOptions options;
  options.errorDiffusion = TRUE;
  std::unique_ptr<PixelCodec> codec =
      CreatePixelCodec(MakeBlock(bytes.data(), D3DFMT_A8, 1, 1, 8, 1, 0, options));
  ASSERT_NE(codec, nullptr);
  float carried = 0;
  for (UINT y = 0; y < 8; ++y) {
    UtColor c(0, 0, 0, 0.45f / 255.0f);
    codec->EncodeRow(y, 0, &c);
    const float v = (0.45f / 255.0f + carried) * 255.0f;
    const int q = static_cast<int>(v + 0.5f);
    EXPECT_EQ(bytes[y], q) << "row " << y;
    carried = (v - q) / 255.0f * (5.0f / 16.0f);
  }
  EXPECT_EQ(bytes[0], 0);
  EXPECT_EQ(bytes[1], 1);  // 0.45 + 0.14 crosses a half
}

// A NaN pixel is stored as 0 and passes no error on: the pixels after it and the next row are
// quantised as usual instead of turning into NaN one after another.
TEST(PixelDither, NaNDoesNotSpreadThroughTheErrors) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::vector<uint8_t> bytes(8, 0xCD);
  BlockOptions options;
  options.errorDiffusion = TRUE;
  std::unique_ptr<PixelCodec> codec =
      CreatePixelCodec(MakeBlock(bytes.data(), D3DFMT_A8, 4, 4, 2, 1, 0, options));
  ASSERT_NE(codec, nullptr);
  for (UINT y = 0; y < 2; ++y) {
    // 0.3 x 255 = 76.5: every pixel stores 76 or 77 (0x4c, 0x4d) with diffusion.
    std::vector<UtColor> row(4, UtColor(0, 0, 0, 0.3f));
    if (y == 0) row[1].a = nan;
    codec->EncodeRow(y, 0, row.data());
  }
  EXPECT_EQ(bytes[1], 0);
  for (int i : {0, 2, 3, 4, 5, 6, 7}) {
    EXPECT_TRUE(bytes[i] == 0x4c || bytes[i] == 0x4d) << "pixel " << i << ": " << int(bytes[i]);
  }
}

}  // namespace
