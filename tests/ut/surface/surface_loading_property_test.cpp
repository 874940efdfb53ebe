// Random formats, sizes (1 and odd among them), rectangles and filters through
// UtLoadSurfaceFromMemory, with source memory sized exactly to the rectangle it holds, so that
// the sanitizer build sees any read outside it. Every call succeeds or returns one of the
// engine's error codes, the one its arguments call for, and changes nothing outside the
// destination rectangle.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "tests/ut/surface/convert_formats.h"
#include "tests/ut/surface/surface_test_support.h"
#include "ut_surface.h"

namespace {

using d3d9rt_test::RuntimeTest;

class SurfaceLoadingProperty : public RuntimeTest {};

LONG Coordinate(std::mt19937& random, UINT size) {
  if (random() % 10 == 0) return LONG(random() % 5) - 2;  // sometimes outside
  return LONG(random() % (size + 1));
}

RECT RandomRect(std::mt19937& random, UINT width, UINT height) {
  RECT r{Coordinate(random, width), Coordinate(random, height), 0, 0};
  r.right = r.left + LONG(random() % (width + 1));
  r.bottom = r.top + LONG(random() % (height + 1));
  if (random() % 10 == 0) std::swap(r.left, r.right);
  return r;
}

bool Inside(const RECT& r, UINT width, UINT height) {
  return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom && r.right <= LONG(width) &&
         r.bottom <= LONG(height);
}

TEST_F(SurfaceLoadingProperty, RandomLoadsStayInsideTheirMemory) {
  std::mt19937 random(77);
  std::vector<PALETTEENTRY> palette(256);
  for (auto& e : palette) e = PALETTEENTRY{BYTE(random()), BYTE(random()), BYTE(random()), BYTE(random())};
  int loaded = 0;
  for (int run = 0; run < 6000; ++run) {
    const CodecFormat& to = kCodecFormats[random() % (std::size(kCodecFormats) - 2)];  // not the private codes
    const CodecFormat& from = kCodecFormats[random() % std::size(kCodecFormats)];
    const UINT width = 1 + random() % 9, height = 1 + random() % 9;
    ComPtr<IDirect3DTexture9> texture;
    if (FAILED(device_->CreateTexture(width, height, 1, 0, to.format, D3DPOOL_SCRATCH, texture.GetAddressOf(), nullptr)))
      continue;
    ComPtr<IDirect3DSurface9> surface = Level(texture.Get(), 0);
    const std::vector<uint8_t> before = PatternBytes(size_t(width) * height * to.bytesPerPixel, run);
    WriteSurface(surface.Get(), before, to.bytesPerPixel);

    const RECT sourceRect = RandomRect(random, 9, 9);
    const bool destinationGiven = random() % 4 != 0;
    const RECT destinationRect = destinationGiven ? RandomRect(random, width, height) : RECT{0, 0, LONG(width), LONG(height)};
    const DWORD filter = random() % 12 == 0 ? DWORD(random()) : (random() % 8 == 0 ? UT_DEFAULT : (1 + random() % 5) | ((random() & 0x7F) << 16));
    const D3DCOLOR key = random() % 4 == 0 ? D3DCOLOR(random()) : 0;

    // Memory from pixel (0, 0) up to the last byte of the rectangle, and not one byte more.
    const UINT pitch = 9 * from.bytesPerPixel + (random() % 3) * 4;
    const bool sourceValid = sourceRect.left >= 0 && sourceRect.top >= 0 && sourceRect.right >= sourceRect.left &&
                             sourceRect.bottom >= sourceRect.top;
    const bool sourceEmpty = sourceRect.right == sourceRect.left || sourceRect.bottom == sourceRect.top;
    const size_t bytes = sourceValid && !sourceEmpty
                             ? size_t(sourceRect.bottom - 1) * pitch + size_t(sourceRect.right) * from.bytesPerPixel
                             : 1;
    std::unique_ptr<uint8_t[]> memory(new uint8_t[bytes]);
    for (size_t i = 0; i < bytes; ++i) memory[i] = uint8_t(random());

    const HRESULT hr = UtLoadSurfaceFromMemory(surface.Get(), random() % 2 ? palette.data() : nullptr,
                                               destinationGiven ? &destinationRect : nullptr, memory.get(), from.format,
                                               pitch, random() % 2 ? palette.data() : nullptr, &sourceRect, filter, key);
    SCOPED_TRACE(testing::Message() << "run " << run << ": " << from.format << " (" << sourceRect.left << ","
                                    << sourceRect.top << ")-(" << sourceRect.right << "," << sourceRect.bottom << ") into "
                                    << to.format << " " << width << "x" << height << " (" << destinationRect.left << ","
                                    << destinationRect.top << ")-(" << destinationRect.right << ","
                                    << destinationRect.bottom << ") filter " << std::hex << filter);
    const DWORD resolved = filter == UT_DEFAULT ? (UT_FILTER_TRIANGLE | UT_FILTER_DITHER) : filter;
    const bool filterValid = (resolved & 0xFFFF) >= 1 && (resolved & 0xFFFF) <= 5 && (resolved & 0xFF800000u) == 0;
    const bool destinationEmpty =
        destinationRect.right == destinationRect.left || destinationRect.bottom == destinationRect.top;
    if (!filterValid || !sourceValid || !Inside(destinationRect, width, height)) {
      EXPECT_EQ(hr, D3DERR_INVALIDCALL);
    } else if (destinationEmpty) {
      EXPECT_TRUE(hr == S_OK || hr == D3DERR_INVALIDCALL) << std::hex << hr;  // the runtime may refuse an empty lock
    } else if (sourceEmpty && (resolved & 0xFFFF) != UT_FILTER_NONE) {
      EXPECT_EQ(hr, E_FAIL);
    } else {
      EXPECT_EQ(hr, S_OK);
      loaded += hr == S_OK;
    }
    const std::vector<uint8_t> after = ReadSurface(surface.Get(), to.bytesPerPixel);
    for (UINT y = 0; y < height; ++y)
      for (UINT x = 0; x < width; ++x) {
        const bool inside = hr == S_OK && LONG(x) >= destinationRect.left && LONG(x) < destinationRect.right &&
                            LONG(y) >= destinationRect.top && LONG(y) < destinationRect.bottom;
        const size_t at = (size_t(y) * width + x) * to.bytesPerPixel;
        if (!inside && std::memcmp(&after[at], &before[at], to.bytesPerPixel) != 0) {
          ADD_FAILURE() << "pixel " << x << "," << y << " outside the destination rectangle changed";
          y = height;
          break;
        }
      }
  }
  EXPECT_GT(loaded, 1000) << "too few loads got through to the engine to show anything";
}

}  // namespace
