// Random formats, sizes (1, odd, sometimes 0), regions, filters, colour keys and palettes
// through PixelConverter::Convert, in buffers sized exactly to the pixels they hold so that the
// sanitizer build sees any access outside the source or the destination. Every call gives the
// result its arguments call for, and nothing outside the destination region changes.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "tests/ut/surface/convert_formats.h"
#include "tests/ut/surface/convert_test_support.h"

namespace {

// A block whose buffer ends with its last pixel; the region is a random box inside its extent.
struct ExactBlock {
  CodecFormat format;
  UINT width, height, depth, rowPitch, slicePitch;
  D3DBOX region;
  std::unique_ptr<uint8_t[]> bytes;
  size_t size;

  ExactBlock(std::mt19937& random, const CodecFormat& f) : format(f) {
    auto size_of = [&](UINT most) { return UINT(random() % 8 == 0 ? 0 : 1 + random() % most); };
    width = size_of(9);
    height = size_of(9);
    depth = random() % 4 == 0 ? size_of(4) : 1;
    rowPitch = width * f.bytesPerPixel + (random() % 3) * 4;
    slicePitch = rowPitch * height + (random() % 2) * 16;
    size = (width && height && depth)
               ? size_t{depth - 1} * slicePitch + size_t{height - 1} * rowPitch + size_t{width} * f.bytesPerPixel
               : 0;
    bytes.reset(new uint8_t[size ? size : 1]);
    for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(random());
    auto range = [&](UINT extent, UINT* low, UINT* high) {
      *low = extent ? random() % (extent + 1) : 0;
      *high = *low + (extent - *low ? random() % (extent - *low + 1) : 0);
    };
    range(width, &region.Left, &region.Right);
    range(height, &region.Top, &region.Bottom);
    range(depth, &region.Front, &region.Back);
  }

  bool Empty() const {
    return region.Right == region.Left || region.Bottom == region.Top || region.Back == region.Front;
  }
  PixelBlockDesc Desc(D3DCOLOR key, const PALETTEENTRY* palette) {
    PixelBlockDesc desc{};
    desc.bits = bytes.get();
    desc.format = format.format;
    desc.rowPitch = rowPitch;
    desc.slicePitch = depth > 1 ? slicePitch : 0;
    desc.extent = D3DBOX{0, 0, width, height, 0, depth};
    desc.region = region;
    desc.colorKey = key;
    desc.palette = palette;
    return desc;
  }
  bool Inside(size_t offset) const {
    const size_t z = depth > 1 ? offset / slicePitch : 0;
    const size_t rest = offset - z * (depth > 1 ? slicePitch : 0);
    const size_t y = rest / rowPitch, x = (rest % rowPitch) / format.bytesPerPixel;
    return (rest % rowPitch) < size_t{width} * format.bytesPerPixel && x >= region.Left && x < region.Right &&
           y >= region.Top && y < region.Bottom && z >= region.Front && z < region.Back;
  }
};

DWORD RandomFilter(std::mt19937& random) {
  if (random() % 16 == 0) return random();  // mostly invalid
  DWORD filter = 1 + random() % 5;
  filter |= (random() & 0x7F) << 16;
  return filter;
}

TEST(ConvertProperty, RandomConversionsStayInsideTheirBlocks) {
  std::mt19937 random(20240611);
  std::vector<PALETTEENTRY> palette(256);
  for (auto& e : palette) e = PALETTEENTRY{BYTE(random()), BYTE(random()), BYTE(random()), BYTE(random())};
  const int runs = 3000;
  for (int run = 0; run < runs; ++run) {
    const CodecFormat& from = kCodecFormats[random() % std::size(kCodecFormats)];
    const CodecFormat& to = kCodecFormats[random() % std::size(kCodecFormats)];
    ExactBlock source(random, from);
    ExactBlock destination(random, to);
    const DWORD filter = RandomFilter(random);
    const D3DCOLOR key = random() % 4 == 0 ? D3DCOLOR(random()) : 0;
    const PALETTEENTRY* sourcePalette = random() % 2 ? palette.data() : nullptr;
    const PALETTEENTRY* destinationPalette = random() % 2 ? palette.data() : nullptr;
    const std::vector<uint8_t> before(destination.bytes.get(), destination.bytes.get() + destination.size);

    PixelBlockDesc d = destination.Desc(0, destinationPalette);
    PixelBlockDesc s = source.Desc(key, sourcePalette);
    PixelConverter converter;
    const HRESULT hr = converter.Convert(&d, &s, filter);

    SCOPED_TRACE(testing::Message() << "run " << run << ": " << from.format << " " << source.width << "x"
                                    << source.height << "x" << source.depth << " into " << to.format << " "
                                    << destination.width << "x" << destination.height << "x" << destination.depth
                                    << " filter " << std::hex << filter);
    HRESULT expected = S_OK;
    const bool valid = (filter & 0xFFFF) >= 1 && (filter & 0xFFFF) <= 5 && (filter & 0xFF800000u) == 0;
    if (!valid) {
      expected = D3DERR_INVALIDCALL;
    } else if (!destination.Empty() && source.Empty() && (filter & 0xFFFF) != UT_FILTER_NONE) {
      expected = E_FAIL;
    }
    EXPECT_EQ(hr, expected);
    for (size_t i = 0; i < destination.size; ++i) {
      if (!destination.Inside(i) && destination.bytes[i] != before[i]) {
        ADD_FAILURE() << "byte " << i << " outside the destination region changed";
        break;
      }
    }
  }
}

}  // namespace
