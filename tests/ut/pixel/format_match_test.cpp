#include "ut/pixel/format_match.h"

#include <gtest/gtest.h>

#include <vector>

#include "ut/pixel/private_formats.h"

namespace {

const PixelFormatInfo& Info(D3DFORMAT format) { return *GetPixelFormatInfo(format); }

struct ScoreCase {
  const char* name;
  D3DFORMAT desired;
  D3DFORMAT candidate;
  uint32_t score;
};

constexpr uint32_t kUnusable = 0xFFFFFFFF;

const ScoreCase kScoreCases[] = {
    {"same widths", D3DFMT_R8G8B8, D3DFMT_X8R8G8B8, 0},
    {"luminance served by colour", D3DFMT_L8, D3DFMT_X8R8G8B8, 0},
    {"palette served by colour", D3DFMT_P8, D3DFMT_A8R8G8B8, 0},
    {"three channels added", D3DFMT_A8, D3DFMT_A8R3G3B2, 0x300},
    {"three channels added, wider", D3DFMT_A8, D3DFMT_A8R8G8B8, 0x300},
    {"one channel added", D3DFMT_L8, D3DFMT_A8L8, 0x100},
    {"each channel widened", D3DFMT_DXT1, D3DFMT_A8R8G8B8, 0xF},
    {"green added", D3DFMT_R16F, D3DFMT_G16R16, 0x100},
    {"red widened", D3DFMT_R16F, D3DFMT_R32F, 0x10},
    {"four channels narrowed", D3DFMT_A32B32G32R32F, D3DFMT_A16B16G16R16, 0x400000},
    {"float to integer of the same width", D3DFMT_A16B16G16R16F, D3DFMT_A16B16G16R16, 0},
    {"stencil narrowed", D3DFMT_D24S8, D3DFMT_D24X4S4, 0x40000},
    {"signed widened", D3DFMT_V8U8, D3DFMT_V16U16, 0x10},
    {"narrowed and widened", D3DFMT_A8R8G8B8, D3DFMT_A2R10G10B10, 0x60006},
    {"all narrowed", D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, 0x100000},
    {"alpha dropped, colour kept", D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, 0x01000000},
    {"lockable marker dropped", D3DFMT_D16_LOCKABLE, D3DFMT_D16, 0x01000000},
    {"luminance of L6V5U5 dropped", D3DFMT_L6V5U5, D3DFMT_V8U8, 0x01000006},
    {"three dropped, alpha narrowed", D3DFMT_A32B32G32R32F, D3DFMT_A8, 0x03180000},
    {"unknown desired scores like ARGB", D3DFMT_UNKNOWN, D3DFMT_A8R8G8B8, 0},
    {"private luminance by colour", UT_FMT_A16L16, D3DFMT_A16B16G16R16, 0},
    {"only channel dropped", D3DFMT_A8, D3DFMT_X8R8G8B8, kUnusable},
    {"only channel dropped, one added", D3DFMT_R16F, D3DFMT_A8, kUnusable},
    {"signed by colour", D3DFMT_V8U8, D3DFMT_X8R8G8B8, kUnusable},
    {"colour by signed", D3DFMT_X8R8G8B8, D3DFMT_Q8W8V8U8, kUnusable},
    {"colour by palette", D3DFMT_X8R8G8B8, D3DFMT_P8, kUnusable},
    {"colour by luminance", D3DFMT_X8R8G8B8, D3DFMT_L8, kUnusable},
    {"luminance by palette", D3DFMT_L8, D3DFMT_P8, kUnusable},
    {"depth by luminance", D3DFMT_D16, D3DFMT_L16, kUnusable},
    {"luminance by depth", D3DFMT_L16, D3DFMT_D16, kUnusable},
    {"depth by colour", D3DFMT_D32, D3DFMT_R32F, kUnusable},
};

TEST(ScoreFormatMatch, ScoresTheDocumentedCases) {
  for (const ScoreCase& c : kScoreCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ScoreFormatMatch(Info(c.desired), Info(c.candidate)), c.score)
        << std::hex << "desired 0x" << c.desired << ", candidate 0x" << c.candidate;
  }
}

TEST(ScoreFormatMatch, AFormatMatchesItselfExactly) {
  for (const PixelFormatInfo& info : PixelFormatCatalogue()) {
    SCOPED_TRACE(testing::Message() << "format 0x" << std::hex << info.format);
    EXPECT_EQ(ScoreFormatMatch(info, info), 0u);
  }
}

struct ListCase {
  const char* name;
  std::vector<D3DFORMAT> list;  // without the terminator
  BOOL allowPalette;
  D3DFORMAT desired;
  D3DFORMAT expected;
};

const ListCase kListCases[] = {
    {"exact match wins over a perfect score seen first", {D3DFMT_X8B8G8R8, D3DFMT_X8R8G8B8}, FALSE,
     D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8},
    {"exact match wins over an earlier better-than-nothing", {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8},
     FALSE, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8},
    {"lowest score wins", {D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}, FALSE,
     D3DFMT_A8R3G3B2, D3DFMT_A8R8G8B8},
    {"tie goes to fewer bits listed later", {D3DFMT_X8R8G8B8, D3DFMT_R8G8B8}, FALSE,
     D3DFMT_R5G6B5, D3DFMT_R8G8B8},
    {"tie goes to fewer bits listed first", {D3DFMT_R8G8B8, D3DFMT_X8R8G8B8}, FALSE,
     D3DFMT_R5G6B5, D3DFMT_R8G8B8},
    {"tie with equal bits goes to the first", {D3DFMT_X8B8G8R8, D3DFMT_X8R8G8B8}, FALSE,
     D3DFMT_R8G8B8, D3DFMT_X8B8G8R8},
    {"palette skipped, even an exact one", {D3DFMT_P8, D3DFMT_A8R8G8B8}, FALSE, D3DFMT_P8,
     D3DFMT_A8R8G8B8},
    {"palette allowed", {D3DFMT_A8R8G8B8, D3DFMT_P8}, TRUE, D3DFMT_P8, D3DFMT_P8},
    {"palette allowed as a substitute with fewer bits", {D3DFMT_A8R8G8B8, D3DFMT_P8}, TRUE,
     D3DFMT_A8P8, D3DFMT_P8},
    {"only palette formats, not allowed", {D3DFMT_P8, D3DFMT_A8P8}, FALSE, D3DFMT_A8P8,
     D3DFMT_UNKNOWN},
    {"uncatalogued entries skipped",
     {static_cast<D3DFORMAT>(0x12345678), static_cast<D3DFORMAT>(101), D3DFMT_X8R8G8B8}, FALSE,
     D3DFMT_R8G8B8, D3DFMT_X8R8G8B8},
    {"non-substitutable formats may be chosen from a list", {D3DFMT_A8R8G8B8, D3DFMT_DXT5}, FALSE,
     D3DFMT_DXT4, D3DFMT_DXT5},
    {"nothing usable", {D3DFMT_A8R8G8B8, D3DFMT_L8, D3DFMT_D16}, FALSE, D3DFMT_V8U8,
     D3DFMT_UNKNOWN},
    {"a candidate dropping the only channel is never chosen", {D3DFMT_X8R8G8B8}, FALSE, D3DFMT_A8,
     D3DFMT_UNKNOWN},
    {"empty list", {}, TRUE, D3DFMT_A8R8G8B8, D3DFMT_UNKNOWN},
    {"unknown desired prefers ARGB", {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}, FALSE, D3DFMT_UNKNOWN,
     D3DFMT_A8R8G8B8},
    {"private code matched exactly", {D3DFMT_A16B16G16R16, UT_FMT_A16L16}, FALSE, UT_FMT_A16L16,
     UT_FMT_A16L16},
};

TEST(FindClosestFormatInList, ChoosesTheDocumentedFormat) {
  for (const ListCase& c : kListCases) {
    SCOPED_TRACE(c.name);
    std::vector<D3DFORMAT> list = c.list;
    list.push_back(D3DFMT_UNKNOWN);
    EXPECT_EQ(FindClosestFormatInList(list.data(), c.allowPalette, Info(c.desired)), c.expected)
        << std::hex << "got 0x" << FindClosestFormatInList(list.data(), c.allowPalette,
                                                            Info(c.desired));
  }
}

TEST(FindClosestFormatInList, StopsAtTheTerminator) {
  const D3DFORMAT list[] = {D3DFMT_R5G6B5, D3DFMT_UNKNOWN, D3DFMT_X8R8G8B8, D3DFMT_UNKNOWN};
  EXPECT_EQ(FindClosestFormatInList(list, FALSE, Info(D3DFMT_X8R8G8B8)), D3DFMT_R5G6B5);
}

TEST(FindClosestFormatInList, NullListFindsNothing) {
  EXPECT_EQ(FindClosestFormatInList(nullptr, TRUE, Info(D3DFMT_A8R8G8B8)), D3DFMT_UNKNOWN);
}

}  // namespace
