// Palettized formats: look-up on decode, nearest entry on encode (ties to the lowest index),
// white without a palette, and the alpha field of D3DFMT_A8P8.
#include <gtest/gtest.h>

#include <array>

#include "tests/ut/pixel/codec_test_support.h"

namespace {

// A palette whose entry i is (i, 255 - i, i / 2, 255) unless set otherwise.
std::array<PALETTEENTRY, 256> RampPalette() {
  std::array<PALETTEENTRY, 256> entries{};
  for (int i = 0; i < 256; ++i) {
    entries[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i),
                              static_cast<BYTE>(i / 2), 255};
  }
  return entries;
}

UtColor EntryColor(const PALETTEENTRY& e) {
  return UtColor(e.peRed * 0.003921569f, e.peGreen * 0.003921569f, e.peBlue * 0.003921569f,
                 e.peFlags * 0.003921569f);
}

std::vector<uint8_t> EncodeRow(D3DFORMAT format, std::vector<UtColor> colors, size_t bytesPerPixel,
                               const BlockOptions& options, UINT y = 0) {
  std::vector<uint8_t> bytes(colors.size() * bytesPerPixel * (y + 1), 0xCD);
  const UINT pitch = static_cast<UINT>(colors.size() * bytesPerPixel);
  const PixelBlockDesc desc = MakeBlock(bytes.data(), format, pitch, static_cast<UINT>(colors.size()),
                                        y + 1, 1, 0, options);
  std::unique_ptr<PixelCodec> codec = CreatePixelCodec(desc);
  EXPECT_NE(codec, nullptr);
  if (codec) codec->EncodeRow(y, 0, colors.data());
  return std::vector<uint8_t>(bytes.begin() + y * pitch, bytes.end());
}

TEST(PixelPalette, DecodeLooksEntriesUp) {
  std::array<PALETTEENTRY, 256> entries = RampPalette();
  entries[7] = PALETTEENTRY{10, 20, 30, 40};
  BlockOptions options;
  options.palette = entries.data();
  for (const uint8_t index : {0, 7, 200, 255}) {
    const UtColor got = DecodeOne(D3DFMT_P8, {index}, options);
    EXPECT_TRUE(SameBits(got, EntryColor(entries[index])))
        << "index " << int(index) << ": " << ColorText(got);
  }
  // A8P8: the entry's red, green and blue, the alpha field's own alpha.
  const UtColor got = DecodeOne(D3DFMT_A8P8, {7, 0x80}, options);
  EXPECT_TRUE(SameBits(got, UtColor(10 * 0.003921569f, 20 * 0.003921569f, 30 * 0.003921569f,
                                    0x80 * 0.003921569f)))
      << ColorText(got);
}

TEST(PixelPalette, WithoutPaletteEveryPixelIsWhite) {
  for (const uint8_t index : {0, 1, 128, 255}) {
    const UtColor got = DecodeOne(D3DFMT_P8, {index});
    EXPECT_TRUE(SameBits(got, UtColor(1, 1, 1, 1))) << "P8 index " << int(index);
  }
  const UtColor got = DecodeOne(D3DFMT_A8P8, {42, 0});
  EXPECT_TRUE(SameBits(got, UtColor(1, 1, 1, 0))) << "A8P8: " << ColorText(got);
}

TEST(PixelPalette, P8EncodesTheNearestEntry) {
  std::array<PALETTEENTRY, 256> entries = RampPalette();
  BlockOptions options;
  options.palette = entries.data();
  // Each entry's own colour finds that entry; a colour near entry 100 finds it too.
  EXPECT_EQ(EncodeOne(D3DFMT_P8, EntryColor(entries[0]), 1, options)[0], 0);
  EXPECT_EQ(EncodeOne(D3DFMT_P8, EntryColor(entries[100]), 1, options)[0], 100);
  EXPECT_EQ(EncodeOne(D3DFMT_P8, EntryColor(entries[255]), 1, options)[0], 255);
  UtColor nearHundred = EntryColor(entries[100]);
  nearHundred.r += 0.001f;
  nearHundred.g -= 0.0015f;
  EXPECT_EQ(EncodeOne(D3DFMT_P8, nearHundred, 1, options)[0], 100);
}

TEST(PixelPalette, P8TiesGoToTheLowestIndex) {
  std::array<PALETTEENTRY, 256> entries = RampPalette();
  // Two identical entries.
  entries[9] = entries[5] = PALETTEENTRY{255, 0, 0, 255};
  // Two entries at the same distance from mid-grey: 0.5 away in red.
  entries[40] = PALETTEENTRY{0, 0, 0, 0};
  entries[12] = PALETTEENTRY{255, 0, 0, 0};
  BlockOptions options;
  options.palette = entries.data();
  EXPECT_EQ(EncodeOne(D3DFMT_P8, UtColor(1, 0, 0, 1), 1, options)[0], 5);
  EXPECT_EQ(EncodeOne(D3DFMT_P8, UtColor(0.5f, 0, 0, 0), 1, options)[0], 12);
}

TEST(PixelPalette, P8ComparesAlphaToo) {
  std::array<PALETTEENTRY, 256> entries{};  // all (0, 0, 0, 0)
  entries[3] = PALETTEENTRY{0, 0, 0, 255};
  BlockOptions options;
  options.palette = entries.data();
  EXPECT_EQ(EncodeOne(D3DFMT_P8, UtColor(0, 0, 0, 1), 1, options)[0], 3);
  EXPECT_EQ(EncodeOne(D3DFMT_P8, UtColor(0, 0, 0, 0), 1, options)[0], 0);
}

TEST(PixelPalette, P8IgnoresDitherAndDiffusion) {
  std::array<PALETTEENTRY, 256> entries = RampPalette();
  BlockOptions plain;
  plain.palette = entries.data();
  BlockOptions dithered = plain;
  dithered.orderedDither = TRUE;
  dithered.errorDiffusion = TRUE;
  std::vector<UtColor> row;
  for (int i = 0; i < 9; ++i) row.push_back(EntryColor(entries[i * 25 + 3]));
  for (UINT y = 0; y < 3; ++y) {
    EXPECT_EQ(EncodeRow(D3DFMT_P8, row, 1, dithered, y), EncodeRow(D3DFMT_P8, row, 1, plain, y))
        << "row " << y;
  }
  const std::vector<uint8_t> got = EncodeRow(D3DFMT_P8, row, 1, dithered, 1);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(got[i], i * 25 + 3) << "pixel " << i;
}

TEST(PixelPalette, A8P8ChoosesTheIndexByColourAndQuantisesAlpha) {
  std::array<PALETTEENTRY, 256> entries;
  entries.fill(PALETTEENTRY{255, 0, 255, 255});
  entries[20] = PALETTEENTRY{0, 255, 0, 0};  // its own alpha plays no part
  entries[21] = PALETTEENTRY{0, 250, 0, 255};
  BlockOptions options;
  options.palette = entries.data();
  EXPECT_EQ(EncodeOne(D3DFMT_A8P8, UtColor(0, 1, 0, 1), 2, options),
            (std::vector<uint8_t>{20, 0xFF}));
  EXPECT_EQ(EncodeOne(D3DFMT_A8P8, UtColor(0, 1, 0, 0.5f), 2, options),
            (std::vector<uint8_t>{20, 0x80}));
  EXPECT_EQ(EncodeOne(D3DFMT_A8P8, UtColor(0, 1, 0, 1.5f), 2, options),
            (std::vector<uint8_t>{20, 0xFF}));
}

TEST(PixelPalette, A8P8DithersAlphaAlone) {
  std::array<PALETTEENTRY, 256> entries = RampPalette();
  BlockOptions options;
  options.palette = entries.data();
  options.orderedDither = TRUE;
  // Alpha 100.4 / 255 with row 0 of the dither table (0.96875, 0.46875, 0.84375, 0.34375):
  // codes 101, 100, 101, 100; the indices stay those of the exact colours.
  std::vector<UtColor> row;
  for (int i = 0; i < 4; ++i) {
    UtColor c = EntryColor(entries[60 + i]);
    c.a = 100.4f / 255.0f;
    row.push_back(c);
  }
  EXPECT_EQ(EncodeRow(D3DFMT_A8P8, row, 2, options),
            (std::vector<uint8_t>{60, 101, 61, 100, 62, 101, 63, 100}));
}

TEST(PixelPalette, A8P8DiffusesAlphaErrors) {
  std::array<PALETTEENTRY, 256> entries = RampPalette();
  BlockOptions options;
  options.palette = entries.data();
  options.errorDiffusion = TRUE;
  // Alpha 0.3 / 255 everywhere: alone each pixel rounds to 0, but 7/16 of each error moves on,
  // so the carried error crosses a half within a few pixels and one pixel gets code 1.
  std::vector<UtColor> row(8, UtColor(0, 1, 0, 0.3f / 255.0f));
  const std::vector<uint8_t> got = EncodeRow(D3DFMT_A8P8, row, 2, options);
  int ones = 0;
  for (size_t i = 0; i < row.size(); ++i) {
    EXPECT_EQ(got[2 * i], 0) << "index of pixel " << i;  // entry 0 is (0, 1, 0)
    ones += got[2 * i + 1] == 1;
    EXPECT_LE(got[2 * i + 1], 1) << "alpha of pixel " << i;
  }
  EXPECT_GE(ones, 1);
}

}  // namespace
