// Memory that runs out part-way: every allocation the engine makes goes through the
// non-throwing allocation operators, which this program replaces with ones that can be told to
// fail. Whatever allocation fails, a conversion either succeeds with the full result (a later
// strategy took over) or returns a failure code, and leaves nothing allocated.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <new>

#include "tests/ut/surface/convert_test_support.h"

namespace {

// 0: no failure armed; n: the nth non-throwing allocation from now on fails.
std::atomic<long> g_failCountdown{0};
std::atomic<long> g_nothrowAllocations{0};

bool AllocationFails() {
  ++g_nothrowAllocations;
  long left = g_failCountdown.load();
  while (left > 0) {
    if (g_failCountdown.compare_exchange_weak(left, left - 1)) return left == 1;
  }
  return false;
}

}  // namespace

// The throwing forms do the work, so that the matching deallocation operators (and a
// sanitizer's bookkeeping) see their own allocations.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (AllocationFails()) return nullptr;
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  if (AllocationFails()) return nullptr;
  try {
    return ::operator new[](size);
  } catch (...) {
    return nullptr;
  }
}

namespace {

struct FailureCase {
  const char* name;
  D3DFORMAT sourceFormat;
  UINT sourceBpp;
  UINT sw, sh, sd;
  D3DFORMAT destinationFormat;
  UINT destinationBpp;
  UINT dw, dh, dd;
  DWORD filter;
};

const FailureCase kCases[] = {
    {"tent 2D", D3DFMT_A8R8G8B8, 4, 7, 5, 1, D3DFMT_R5G6B5, 2, 4, 9, 1, UT_FILTER_TRIANGLE | UT_FILTER_DITHER_DIFFUSION},
    {"tent 3D", D3DFMT_A8R8G8B8, 4, 3, 3, 3, D3DFMT_A8R8G8B8, 4, 2, 5, 2, UT_FILTER_TRIANGLE | UT_FILTER_MIRROR},
    {"linear", D3DFMT_V8U8, 2, 5, 4, 1, D3DFMT_A8R8G8B8, 4, 8, 3, 1, UT_FILTER_LINEAR | UT_FILTER_SRGB},
    {"box", D3DFMT_A8R8G8B8, 4, 8, 8, 1, D3DFMT_A8R8G8B8, 4, 4, 4, 1, UT_FILTER_BOX | UT_FILTER_DITHER},
    {"box 3D", D3DFMT_L8, 1, 4, 4, 4, D3DFMT_L8, 1, 2, 2, 2, UT_FILTER_BOX | UT_FILTER_SRGB},
    {"point", D3DFMT_P8, 1, 5, 5, 1, D3DFMT_A8P8, 2, 3, 2, 1, UT_FILTER_POINT},
    {"none", D3DFMT_A8R8G8B8, 4, 3, 3, 1, D3DFMT_A32B32G32R32F, 16, 5, 2, 1, UT_FILTER_NONE},
    {"same size", D3DFMT_A8R8G8B8, 4, 6, 3, 1, D3DFMT_L8, 1, 6, 3, 1, UT_FILTER_TRIANGLE | UT_FILTER_DITHER_DIFFUSION},
};

// The bytes that one strategy gives on its own, without failures.
std::vector<uint8_t> ForcedResult(const FailureCase& c, TestImage& source, const char* strategy,
                                  const PALETTEENTRY* palette) {
  ForcedStrategy forced(strategy);
  TestImage result(c.destinationFormat, c.destinationBpp, c.dw, c.dh, c.dd);
  EXPECT_EQ(ConvertImage(result, source, c.filter, 0, palette, palette), S_OK) << c.name << " " << strategy;
  return result.Pixels();
}

// Allocations made while creating the destination codec: with error diffusion one of them is
// the codec's error row, without which it encodes undiffused, as it should.
long DestinationCodecAllocations(const FailureCase& c, const PALETTEENTRY* palette) {
  TestImage destination(c.destinationFormat, c.destinationBpp, c.dw, c.dh, c.dd);
  PixelBlockDesc desc = destination.Desc(0, palette);
  desc.errorDiffusion = (c.filter & UT_FILTER_DITHER_DIFFUSION) ? TRUE : FALSE;
  g_nothrowAllocations = 0;
  EXPECT_TRUE(CreatePixelCodec(desc));
  return g_nothrowAllocations.load();
}

// A strategy that fails part-way has written some rows; whichever strategy completes after it
// rewrites the whole region, so the result is exactly that strategy's own.
TEST(ConvertMemoryFailure, EveryAllocationCanFailCleanly) {
  std::vector<PALETTEENTRY> palette(256);
  for (int i = 0; i < 256; ++i) palette[i] = PALETTEENTRY{BYTE(i), BYTE(i / 2), BYTE(255 - i), 255};
  for (const FailureCase& c : kCases) {
    TestImage source(c.sourceFormat, c.sourceBpp, c.sw, c.sh, c.sd);
    FillPattern(source, 99);
    TestImage unfailed(c.destinationFormat, c.destinationBpp, c.dw, c.dh, c.dd);
    g_nothrowAllocations = 0;
    ASSERT_EQ(ConvertImage(unfailed, source, c.filter, 0, palette.data(), palette.data()), S_OK) << c.name;
    const long allocations = g_nothrowAllocations.load();
    ASSERT_GT(allocations, 0) << c.name << ": the engine's allocations don't go through the replaced operators";
    const long codecAllocations =
        (c.filter & UT_FILTER_DITHER_DIFFUSION) ? DestinationCodecAllocations(c, palette.data()) : 0;
    std::map<std::string, std::vector<uint8_t>> results;
    for (long n = 1; n <= allocations; ++n) {
      TestImage got(c.destinationFormat, c.destinationBpp, c.dw, c.dh, c.dd);
      g_failCountdown = n;
      const HRESULT hr = ConvertImage(got, source, c.filter, 0, palette.data(), palette.data());
      g_failCountdown = 0;
      EXPECT_TRUE(hr == S_OK || hr == E_FAIL || hr == E_OUTOFMEMORY) << c.name << " allocation " << n << ": " << std::hex << hr;
      if (hr != S_OK || n <= codecAllocations) continue;
      const std::string strategy = LastStrategy();
      if (!results.count(strategy)) results[strategy] = ForcedResult(c, source, strategy.c_str(), palette.data());
      EXPECT_EQ(got.Pixels(), results[strategy]) << c.name << ": allocation " << n << " failed, " << strategy << " completed";
    }
  }
}

// The tent filter of two dimensions runs out of memory: the one of three dimensions, which
// gives the same bits on one slice, takes over.
TEST(ConvertMemoryFailure, ThreeDimensionalTentTakesOverFromTheTwoDimensionalOne) {
  TestImage source(D3DFMT_A8R8G8B8, 4, 7, 5);
  FillPattern(source, 3);
  TestImage expected(D3DFMT_A8R8G8B8, 4, 3, 8);
  ASSERT_EQ(ConvertImage(expected, source, UT_FILTER_TRIANGLE), S_OK);
  ASSERT_EQ(LastStrategy(), "FilterTriangle2D");
  bool tookOver = false;
  for (long n = 1; n < 64 && !tookOver; ++n) {
    TestImage got(D3DFMT_A8R8G8B8, 4, 3, 8);
    g_failCountdown = n;
    const HRESULT hr = ConvertImage(got, source, UT_FILTER_TRIANGLE);
    g_failCountdown = 0;
    if (hr == S_OK && LastStrategy() == "FilterTriangle3D") {
      tookOver = true;
      EXPECT_EQ(got.Pixels(), expected.Pixels());
    }
  }
  EXPECT_TRUE(tookOver);
}

}  // namespace
