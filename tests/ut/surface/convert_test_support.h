// Images in memory for the conversion engine's tests: a block of pixels with padded rows (the
// padding is checked to stay untouched), conversion through PixelConverter, and forcing one
// strategy for the span of a scope.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/ut/pixel/codec_test_support.h"
#include "ut/surface/conversion_strategy.h"
#include "ut/surface/pixel_converter.h"
#include "ut_surface.h"

inline constexpr uint8_t kPadding = 0xEE;
inline constexpr UINT kPadBytes = 8;

struct TestImage {
  D3DFORMAT format;
  UINT bytesPerPixel;
  UINT width, height, depth;
  UINT rowPitch, slicePitch;
  std::vector<uint8_t> bytes;

  TestImage(D3DFORMAT f, UINT bpp, UINT w, UINT h, UINT d = 1, uint8_t fill = 0xCD)
      : format(f), bytesPerPixel(bpp), width(w), height(h), depth(d),
        rowPitch(w * bpp + kPadBytes), slicePitch(rowPitch * h + kPadBytes),
        bytes(size_t{slicePitch} * d, kPadding) {
    for (UINT z = 0; z < d; ++z)
      for (UINT y = 0; y < h; ++y) std::memset(Row(y, z), fill, size_t{w} * bpp);
  }

  uint8_t* Row(UINT y, UINT z = 0) { return bytes.data() + size_t{z} * slicePitch + size_t{y} * rowPitch; }
  const uint8_t* Row(UINT y, UINT z = 0) const {
    return bytes.data() + size_t{z} * slicePitch + size_t{y} * rowPitch;
  }
  uint8_t* At(UINT x, UINT y, UINT z = 0) { return Row(y, z) + size_t{x} * bytesPerPixel; }
  const uint8_t* At(UINT x, UINT y, UINT z = 0) const { return Row(y, z) + size_t{x} * bytesPerPixel; }

  uint32_t Pixel(UINT x, UINT y, UINT z = 0) const {
    uint32_t v = 0;
    std::memcpy(&v, At(x, y, z), bytesPerPixel < 4 ? bytesPerPixel : 4);
    return v;
  }
  void SetPixel(UINT x, UINT y, uint32_t v, UINT z = 0) {
    std::memcpy(At(x, y, z), &v, bytesPerPixel < 4 ? bytesPerPixel : 4);
  }
  // Pixels of D3DFMT_A32B32G32R32F.
  UtColor Color(UINT x, UINT y, UINT z = 0) const {
    UtColor c;
    std::memcpy(&c, At(x, y, z), sizeof c);
    return c;
  }
  void SetColor(UINT x, UINT y, const UtColor& c, UINT z = 0) { std::memcpy(At(x, y, z), &c, sizeof c); }

  // The stored pixels alone, rows and slices joined.
  std::vector<uint8_t> Pixels() const {
    std::vector<uint8_t> out;
    for (UINT z = 0; z < depth; ++z)
      for (UINT y = 0; y < height; ++y) out.insert(out.end(), Row(y, z), Row(y, z) + size_t{width} * bytesPerPixel);
    return out;
  }
  bool PaddingIntact() const {
    for (UINT z = 0; z < depth; ++z) {
      for (UINT y = 0; y < height; ++y) {
        const uint8_t* pad = Row(y, z) + size_t{width} * bytesPerPixel;
        for (UINT i = 0; i < kPadBytes; ++i)
          if (pad[i] != kPadding) return false;
      }
    }
    return true;
  }

  PixelBlockDesc Desc(D3DCOLOR colorKey = 0, const PALETTEENTRY* palette = nullptr) {
    BlockOptions options;
    options.colorKey = colorKey;
    options.palette = palette;
    return MakeBlock(bytes.data(), format, rowPitch, width, height, depth, depth > 1 ? slicePitch : 0, options);
  }
};

// Converts all of `source` into all of `destination`.
inline HRESULT ConvertImage(TestImage& destination, TestImage& source, DWORD filter, D3DCOLOR colorKey = 0,
                            const PALETTEENTRY* sourcePalette = nullptr,
                            const PALETTEENTRY* destinationPalette = nullptr) {
  PixelBlockDesc d = destination.Desc(0, destinationPalette);
  PixelBlockDesc s = source.Desc(colorKey, sourcePalette);
  PixelConverter converter;
  const HRESULT hr = converter.Convert(&d, &s, filter);
  EXPECT_TRUE(destination.PaddingIntact()) << "a row was written past its end";
  return hr;
}

inline std::string LastStrategy() {
  const char* name = LastConversionStrategy();
  return name ? name : "(none)";
}

// Only `name` is tried while the object lives.
class ForcedStrategy {
 public:
  explicit ForcedStrategy(const char* name) { EXPECT_TRUE(ForceConversionStrategy(name)) << name; }
  ~ForcedStrategy() { ForceConversionStrategy(nullptr); }
  ForcedStrategy(const ForcedStrategy&) = delete;
  ForcedStrategy& operator=(const ForcedStrategy&) = delete;
};

// A repeatable pattern of bytes.
inline void FillPattern(TestImage& image, uint32_t seed) {
  uint32_t state = seed * 2654435761u + 1;
  for (UINT z = 0; z < image.depth; ++z)
    for (UINT y = 0; y < image.height; ++y)
      for (UINT i = 0; i < image.width * image.bytesPerPixel; ++i) {
        state = state * 1664525u + 1013904223u;
        image.Row(y, z)[i] = static_cast<uint8_t>(state >> 24);
      }
}
