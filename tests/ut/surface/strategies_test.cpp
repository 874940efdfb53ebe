// Every strategy on the same inputs (forced one at a time), the conditions under which each
// declines, and the block copy of block-compressed data.
#include <gtest/gtest.h>

#include "tests/ut/surface/convert_test_support.h"

namespace {

struct Shape {
  UINT width, height;
};

struct FormatUnderTest {
  D3DFORMAT format;
  UINT bytesPerPixel;
};

const Shape kShapes[] = {{1, 1}, {3, 5}, {4, 4}, {7, 2}, {1, 6}};
const FormatUnderTest kFormats[] = {{D3DFMT_A8R8G8B8, 4}, {D3DFMT_R5G6B5, 2}, {D3DFMT_L8, 1},
                                    {D3DFMT_V8U8, 2},     {D3DFMT_A4R4G4B4, 2}, {D3DFMT_A16B16G16R16, 8}};

// The strategies that leave pixels where they are when the size does not change, with a filter
// type each accepts.
struct Identity {
  const char* strategy;
  DWORD filter;
};
const Identity kIdentities[] = {{"ConvertSameSize", UT_FILTER_TRIANGLE}, {"FilterNone", UT_FILTER_NONE},
                                {"FilterPoint", UT_FILTER_POINT},        {"FilterLinear2D", UT_FILTER_LINEAR},
                                {"FilterLinear3D", UT_FILTER_LINEAR}};

TEST(ConversionStrategies, TableHoldsTheTenInOrder) {
  const char* order[] = {"CopyStraight",    "ConvertSameSize", "FilterNone",     "FilterPoint",      "FilterBoxHalf2D",
                         "FilterBoxHalf3D", "FilterLinear2D",  "FilterLinear3D", "FilterTriangle2D", "FilterTriangle3D"};
  ASSERT_EQ(ConversionStrategies().size(), std::size(order));
  for (size_t i = 0; i < std::size(order); ++i) EXPECT_STREQ(ConversionStrategies()[i].name, order[i]);
  EXPECT_FALSE(ForceConversionStrategy("NoSuchStrategy"));
}

// Same size: every strategy that keeps pixels in place gives the bytes of decoding and
// re-encoding each row, between equal formats and into another format.
TEST(ConversionStrategies, SameSizeStrategiesAgree) {
  for (const FormatUnderTest& from : kFormats)
    for (const FormatUnderTest& to : {kFormats[0], from})
      for (const Shape& shape : kShapes) {
        SCOPED_TRACE(testing::Message() << from.format << " into " << to.format << ", " << shape.width << "x"
                                        << shape.height);
        TestImage source(from.format, from.bytesPerPixel, shape.width, shape.height);
        FillPattern(source, shape.width * 31 + shape.height);
        // The byte copy keeps the bytes; re-encoding need not (signed values round toward 0).
        TestImage copy(to.format, to.bytesPerPixel, shape.width, shape.height);
        ASSERT_EQ(ConvertImage(copy, source, UT_FILTER_POINT | UT_FILTER_DITHER), S_OK);
        if (to.format == from.format) {
          EXPECT_EQ(copy.Pixels(), source.Pixels());
        }
        TestImage expected(to.format, to.bytesPerPixel, shape.width, shape.height);
        {
          ForcedStrategy forced("ConvertSameSize");
          ASSERT_EQ(ConvertImage(expected, source, UT_FILTER_POINT | UT_FILTER_DITHER), S_OK);
        }
        for (const Identity& identity : kIdentities) {
          ForcedStrategy forced(identity.strategy);
          TestImage got(to.format, to.bytesPerPixel, shape.width, shape.height);
          ASSERT_EQ(ConvertImage(got, source, identity.filter | UT_FILTER_DITHER), S_OK) << identity.strategy;
          EXPECT_EQ(got.Pixels(), expected.Pixels()) << identity.strategy;
        }
      }
}

// Resizing: the 2D and 3D forms of the linear and tent filters agree on one-slice inputs, and
// every filter strategy is checked on the same images.
TEST(ConversionStrategies, TwoAndThreeDimensionalFormsAgreeOnOneSlice) {
  const Shape targets[] = {{2, 3}, {8, 8}, {1, 1}, {5, 2}};
  for (const FormatUnderTest& format : kFormats)
    for (const Shape& shape : kShapes)
      for (const Shape& target : targets)
        for (DWORD options : {0u, UT_FILTER_MIRROR | UT_FILTER_DITHER}) {
          SCOPED_TRACE(testing::Message() << format.format << " " << shape.width << "x" << shape.height << " into "
                                          << target.width << "x" << target.height << " options " << options);
          TestImage source(format.format, format.bytesPerPixel, shape.width, shape.height);
          FillPattern(source, shape.width + 7 * shape.height);
          const std::pair<const char*, const char*> pairs[] = {{"FilterLinear2D", "FilterLinear3D"},
                                                               {"FilterTriangle2D", "FilterTriangle3D"}};
          for (auto [flat, deep] : pairs) {
            const DWORD filter = (std::string(flat) == "FilterLinear2D" ? UT_FILTER_LINEAR : UT_FILTER_TRIANGLE) | options;
            TestImage a(format.format, format.bytesPerPixel, target.width, target.height);
            TestImage b(format.format, format.bytesPerPixel, target.width, target.height);
            {
              ForcedStrategy forced(flat);
              ASSERT_EQ(ConvertImage(a, source, filter), S_OK);
            }
            {
              ForcedStrategy forced(deep);
              ASSERT_EQ(ConvertImage(b, source, filter), S_OK);
            }
            EXPECT_EQ(a.Pixels(), b.Pixels()) << flat << " against " << deep;
          }
        }
}

// Each strategy forced where its conditions don't hold declines, and nothing is written.
TEST(ConversionStrategies, EachDeclinesOutsideItsConditions) {
  struct Case {
    const char* strategy;
    D3DFORMAT sourceFormat;
    Shape source;
    UINT sourceDepth;
    Shape destination;
    UINT destinationDepth;
    DWORD filter;
    D3DCOLOR key;
  } cases[] = {
      {"CopyStraight", D3DFMT_R5G6B5, {4, 4}, 1, {4, 4}, 1, UT_FILTER_NONE, 0},      // another format
      {"CopyStraight", D3DFMT_A8R8G8B8, {4, 4}, 1, {4, 4}, 1, UT_FILTER_NONE, 0xFF000000},  // colour key
      {"CopyStraight", D3DFMT_A8R8G8B8, {4, 4}, 1, {4, 2}, 1, UT_FILTER_NONE, 0},    // another size
      {"ConvertSameSize", D3DFMT_A8R8G8B8, {4, 4}, 1, {5, 4}, 1, UT_FILTER_NONE, 0},
      {"FilterNone", D3DFMT_A8R8G8B8, {4, 4}, 1, {5, 4}, 1, UT_FILTER_POINT, 0},
      {"FilterPoint", D3DFMT_A8R8G8B8, {4, 4}, 1, {5, 4}, 1, UT_FILTER_LINEAR, 0},
      {"FilterPoint", D3DFMT_A8R8G8B8, {0, 4}, 1, {5, 4}, 1, UT_FILTER_POINT, 0},    // nothing to take
      {"FilterBoxHalf2D", D3DFMT_A8R8G8B8, {6, 6}, 1, {4, 4}, 1, UT_FILTER_BOX, 0},
      {"FilterBoxHalf2D", D3DFMT_A8R8G8B8, {4, 4}, 1, {2, 2}, 1, UT_FILTER_TRIANGLE, 0},
      {"FilterBoxHalf2D", D3DFMT_A8R8G8B8, {4, 4}, 2, {2, 2}, 1, UT_FILTER_BOX, 0},  // a volume
      {"FilterBoxHalf3D", D3DFMT_A8R8G8B8, {4, 4}, 1, {2, 2}, 1, UT_FILTER_BOX, 0},  // depth 1 into 1
      {"FilterBoxHalf3D", D3DFMT_A8R8G8B8, {4, 4}, 4, {2, 2}, 3, UT_FILTER_BOX, 0},
      {"FilterLinear2D", D3DFMT_A8R8G8B8, {4, 4}, 1, {3, 3}, 1, UT_FILTER_TRIANGLE, 0},
      {"FilterLinear2D", D3DFMT_A8R8G8B8, {4, 4}, 2, {3, 3}, 2, UT_FILTER_LINEAR, 0},
      {"FilterLinear3D", D3DFMT_A8R8G8B8, {4, 4}, 2, {3, 3}, 2, UT_FILTER_BOX, 0},
      {"FilterTriangle2D", D3DFMT_A8R8G8B8, {4, 4}, 2, {3, 3}, 1, UT_FILTER_TRIANGLE, 0},
      {"FilterTriangle3D", D3DFMT_A8R8G8B8, {4, 0}, 1, {3, 3}, 1, UT_FILTER_TRIANGLE, 0},
  };
  for (const Case& c : cases) {
    ForcedStrategy forced(c.strategy);
    TestImage source(c.sourceFormat, c.sourceFormat == D3DFMT_R5G6B5 ? 2 : 4, c.source.width, c.source.height,
                     c.sourceDepth, 0x42);
    TestImage destination(D3DFMT_A8R8G8B8, 4, c.destination.width, c.destination.height, c.destinationDepth);
    EXPECT_EQ(ConvertImage(destination, source, c.filter, c.key), E_FAIL) << c.strategy << " filter " << c.filter;
    EXPECT_EQ(destination.Pixels(), std::vector<uint8_t>(destination.Pixels().size(), 0xCD)) << c.strategy;
    EXPECT_EQ(LastConversionStrategy(), nullptr);
  }
}

// An empty destination region has nothing to write; an empty source into a non-empty
// destination can only be cleared (UT_FILTER_NONE), every resampling filter fails.
TEST(ConversionStrategies, EmptyRegions) {
  TestImage source(D3DFMT_A8R8G8B8, 4, 3, 3, 1, 0x42);
  TestImage empty(D3DFMT_A8R8G8B8, 4, 0, 3);
  EXPECT_EQ(ConvertImage(empty, source, UT_FILTER_TRIANGLE), S_OK);
  TestImage destination(D3DFMT_A8R8G8B8, 4, 2, 2);
  EXPECT_EQ(ConvertImage(destination, empty, UT_FILTER_NONE), S_OK);
  EXPECT_EQ(destination.Pixels(), std::vector<uint8_t>(16, 0));
  for (DWORD type : {UT_FILTER_POINT, UT_FILTER_LINEAR, UT_FILTER_TRIANGLE, UT_FILTER_BOX}) {
    EXPECT_EQ(ConvertImage(destination, empty, type), E_FAIL) << type;
  }
}

// A stand-in for the block-compressed codecs: no fixed pixel size; rows are never decoded.
class FakeBlockCodec : public PixelCodec {
 public:
  explicit FakeBlockCodec(const PixelBlockDesc& desc) : PixelCodec(desc, 0, PIXEL_KIND_UNORM, false) {}
  HRESULT DecodeRow(UINT, UINT, UtColor*) override { return E_FAIL; }
  HRESULT EncodeRow(UINT, UINT, UtColor*) override { return E_FAIL; }
  void QuantizeColorKey() override {}
};

PixelBlockDesc BlockDesc(std::vector<uint8_t>& bytes, D3DFORMAT format, UINT pitch, UINT slicePitch,
                         const D3DBOX& extent, const D3DBOX& region) {
  PixelBlockDesc desc{};
  desc.bits = bytes.data();
  desc.format = format;
  desc.rowPitch = pitch;
  desc.slicePitch = slicePitch;
  desc.extent = extent;
  desc.region = region;
  return desc;
}

TEST(CopyBlocks, CopiesWholeBlocksBetweenAlignedRegions) {
  for (UINT blockBytes : {8u, 16u}) {
    const D3DFORMAT format = blockBytes == 8 ? D3DFMT_DXT1 : D3DFMT_DXT5;
    // A 16x8x3 source, a box (4, 4, 0)-(12, 8, 2) of it, into a 8x4x2 destination.
    const UINT sourcePitch = 4 * blockBytes + 3, sourceSlice = 2 * sourcePitch + 5;
    std::vector<uint8_t> source(sourceSlice * 3);
    for (size_t i = 0; i < source.size(); ++i) source[i] = uint8_t(i * 7 + 1);
    const UINT pitch = 2 * blockBytes, slice = pitch;
    std::vector<uint8_t> destination(slice * 2, 0xCD);
    FakeBlockCodec s(BlockDesc(source, format, sourcePitch, sourceSlice, {0, 0, 16, 8, 0, 3}, {4, 4, 12, 8, 1, 3}));
    FakeBlockCodec d(BlockDesc(destination, format, pitch, slice, {0, 0, 8, 4, 0, 2}, {0, 0, 8, 4, 0, 2}));
    ConversionContext context{s, d, UT_FILTER_NONE};
    ASSERT_TRUE(CopyStraightApplies(context));
    ASSERT_EQ(CopyStraight(context), S_OK);
    for (UINT z = 0; z < 2; ++z)
      for (UINT b = 0; b < 2 * blockBytes; ++b) {
        // Block row 1 of the source, blocks 1 and 2; slice z + 1.
        const uint8_t expected = source[(z + 1) * sourceSlice + 1 * sourcePitch + 1 * blockBytes + b];
        EXPECT_EQ(destination[z * slice + b], expected) << "slice " << z << " byte " << b;
      }
  }
}

TEST(CopyBlocks, DeclinesUnalignedRegionsAndFormatsWithoutBlocks) {
  std::vector<uint8_t> source(256, 1), destination(256, 0xCD);
  struct Case {
    D3DFORMAT format;
    D3DBOX sourceRegion;
  } cases[] = {{D3DFMT_DXT1, {2, 0, 10, 4, 0, 1}}, {D3DFMT_DXT3, {0, 1, 8, 5, 0, 1}}, {D3DFMT_YUY2, {0, 0, 8, 4, 0, 1}}};
  for (const Case& c : cases) {
    FakeBlockCodec s(BlockDesc(source, c.format, 32, 0, {0, 0, 16, 8, 0, 1}, c.sourceRegion));
    FakeBlockCodec d(BlockDesc(destination, c.format, 32, 0, {0, 0, 8, 4, 0, 1}, {0, 0, 8, 4, 0, 1}));
    ConversionContext context{s, d, UT_FILTER_NONE};
    EXPECT_EQ(CopyBlocks(context), E_FAIL) << c.format;
    EXPECT_EQ(destination, std::vector<uint8_t>(256, 0xCD));
  }
}

}  // namespace
