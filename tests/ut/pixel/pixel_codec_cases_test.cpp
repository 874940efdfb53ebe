// Every per-pixel format in both directions, in one table of {format, packed bytes, colour}
// cases driven by one loop: for each format a zero case, each channel alone at its maximum
// (which exposes swizzles), all ones and a mid value, plus the rules of the signed, luminance,
// X and floating-point formats. Decoding must land within a quarter of a code step of the
// colour (the tolerance follows each channel's width; constant and floating-point channels must
// match exactly); encoding must give exactly the packed bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/ut/pixel/codec_test_support.h"
#include "ut/pixel/private_formats.h"

namespace {

// The precision of each decoded channel: n > 0 an unsigned field of n bits, n < 0 a signed
// field of -n bits, 0 a value that must come out exactly (a constant 1, 0, or a float).
struct FormatPrecision {
  D3DFORMAT format;
  const char* name;
  size_t bytes;
  int bits[4];
};

const FormatPrecision kPrecisions[] = {
    {D3DFMT_R8G8B8, "R8G8B8", 3, {8, 8, 8, 0}},
    {D3DFMT_A8R8G8B8, "A8R8G8B8", 4, {8, 8, 8, 8}},
    {D3DFMT_X8R8G8B8, "X8R8G8B8", 4, {8, 8, 8, 0}},
    {D3DFMT_R5G6B5, "R5G6B5", 2, {5, 6, 5, 0}},
    {D3DFMT_X1R5G5B5, "X1R5G5B5", 2, {5, 5, 5, 0}},
    {D3DFMT_A1R5G5B5, "A1R5G5B5", 2, {5, 5, 5, 1}},
    {D3DFMT_A4R4G4B4, "A4R4G4B4", 2, {4, 4, 4, 4}},
    {D3DFMT_R3G3B2, "R3G3B2", 1, {3, 3, 2, 0}},
    {D3DFMT_A8, "A8", 1, {0, 0, 0, 8}},
    {D3DFMT_A8R3G3B2, "A8R3G3B2", 2, {3, 3, 2, 8}},
    {D3DFMT_X4R4G4B4, "X4R4G4B4", 2, {4, 4, 4, 0}},
    {D3DFMT_A2B10G10R10, "A2B10G10R10", 4, {10, 10, 10, 2}},
    {D3DFMT_A8B8G8R8, "A8B8G8R8", 4, {8, 8, 8, 8}},
    {D3DFMT_X8B8G8R8, "X8B8G8R8", 4, {8, 8, 8, 0}},
    {D3DFMT_G16R16, "G16R16", 4, {16, 16, 0, 0}},
    {D3DFMT_A2R10G10B10, "A2R10G10B10", 4, {10, 10, 10, 2}},
    {D3DFMT_A16B16G16R16, "A16B16G16R16", 8, {16, 16, 16, 16}},
    {D3DFMT_L8, "L8", 1, {8, 8, 8, 0}},
    {D3DFMT_A8L8, "A8L8", 2, {8, 8, 8, 8}},
    {D3DFMT_A4L4, "A4L4", 1, {4, 4, 4, 4}},
    {D3DFMT_L16, "L16", 2, {16, 16, 16, 0}},
    {D3DFMT_V8U8, "V8U8", 2, {-8, -8, 0, 0}},
    {D3DFMT_L6V5U5, "L6V5U5", 2, {-5, -5, 0, 6}},
    {D3DFMT_X8L8V8U8, "X8L8V8U8", 4, {-8, -8, 0, 8}},
    {D3DFMT_Q8W8V8U8, "Q8W8V8U8", 4, {-8, -8, -8, -8}},
    {D3DFMT_V16U16, "V16U16", 4, {-16, -16, 0, 0}},
    {D3DFMT_A2W10V10U10, "A2W10V10U10", 4, {-10, -10, -10, 2}},
    {D3DFMT_Q16W16V16U16, "Q16W16V16U16", 8, {-16, -16, -16, -16}},
    {D3DFMT_CxV8U8, "CxV8U8", 2, {-8, -8, -8, 0}},
    {D3DFMT_D16_LOCKABLE, "D16_LOCKABLE", 2, {16, 16, 16, 0}},
    {D3DFMT_D32F_LOCKABLE, "D32F_LOCKABLE", 4, {0, 0, 0, 0}},
    {D3DFMT_R16F, "R16F", 2, {0, 0, 0, 0}},
    {D3DFMT_G16R16F, "G16R16F", 4, {0, 0, 0, 0}},
    {D3DFMT_A16B16G16R16F, "A16B16G16R16F", 8, {0, 0, 0, 0}},
    {D3DFMT_R32F, "R32F", 4, {0, 0, 0, 0}},
    {D3DFMT_G32R32F, "G32R32F", 8, {0, 0, 0, 0}},
    {D3DFMT_A32B32G32R32F, "A32B32G32R32F", 16, {0, 0, 0, 0}},
    {UT_FMT_A16L16, "A16L16", 4, {16, 16, 16, 16}},
    {UT_FMT_R16G16B16, "R16G16B16", 6, {16, 16, 16, 0}},
};

const FormatPrecision& PrecisionOf(D3DFORMAT format) {
  for (const FormatPrecision& p : kPrecisions) {
    if (p.format == format) return p;
  }
  ADD_FAILURE() << "no precision row for format " << format;
  return kPrecisions[0];
}

float ToleranceOf(int bits) {
  if (bits == 0) return 0.0f;
  const int n = bits > 0 ? bits : -bits;
  const double maxCode = bits > 0 ? std::ldexp(1.0, n) - 1 : std::ldexp(1.0, n - 1) - 1;
  return static_cast<float>(0.25 / maxCode);
}

enum Direction { kBoth, kDecodeOnly, kEncodeOnly };

struct CodecCase {
  D3DFORMAT format;
  Direction direction;
  std::vector<uint8_t> packed;
  UtColor color;
  const char* what;
};

// code / maxCode, the exact value a code stands for.
float Q(double code, double maxCode) { return static_cast<float>(code / maxCode); }
UtColor C(float r, float g, float b, float a) { return UtColor(r, g, b, a); }
std::vector<uint8_t> P(uint64_t v, size_t n) { return LittleEndian(v, n); }

std::vector<CodecCase> Cases() {
  const float cxMid = std::sqrt(1.0f - 2.0f * Q(64, 127) * Q(64, 127));
  return {
      // clang-format off
      {D3DFMT_R8G8B8, kBoth, P(0x000000, 3), C(0, 0, 0, 1), "zero"},
      {D3DFMT_R8G8B8, kBoth, P(0xFF0000, 3), C(1, 0, 0, 1), "red"},
      {D3DFMT_R8G8B8, kBoth, P(0x00FF00, 3), C(0, 1, 0, 1), "green"},
      {D3DFMT_R8G8B8, kBoth, P(0x0000FF, 3), C(0, 0, 1, 1), "blue"},
      {D3DFMT_R8G8B8, kBoth, P(0xFFFFFF, 3), C(1, 1, 1, 1), "ones"},
      {D3DFMT_R8G8B8, kBoth, P(0x804020, 3), C(Q(0x80, 255), Q(0x40, 255), Q(0x20, 255), 1), "mid"},
      {D3DFMT_R8G8B8, kEncodeOnly, P(0xFF0000, 3), C(1, 0, 0, 0), "alpha not stored"},

      {D3DFMT_A8R8G8B8, kBoth, P(0x00000000, 4), C(0, 0, 0, 0), "zero"},
      {D3DFMT_A8R8G8B8, kBoth, P(0x00FF0000, 4), C(1, 0, 0, 0), "red"},
      {D3DFMT_A8R8G8B8, kBoth, P(0x0000FF00, 4), C(0, 1, 0, 0), "green"},
      {D3DFMT_A8R8G8B8, kBoth, P(0x000000FF, 4), C(0, 0, 1, 0), "blue"},
      {D3DFMT_A8R8G8B8, kBoth, P(0xFF000000, 4), C(0, 0, 0, 1), "alpha"},
      {D3DFMT_A8R8G8B8, kBoth, P(0xFFFFFFFF, 4), C(1, 1, 1, 1), "ones"},
      {D3DFMT_A8R8G8B8, kBoth, P(0x80402010, 4), C(Q(0x40, 255), Q(0x20, 255), Q(0x10, 255), Q(0x80, 255)), "mid"},
      {D3DFMT_A8R8G8B8, kBoth, P(0xFF00FF00, 4), C(0, 1, 0, 1), "alpha and green"},
      {D3DFMT_A8R8G8B8, kEncodeOnly, P(0x80808080, 4), C(0.5f, 0.5f, 0.5f, 0.5f), "0.5 rounds up to 128"},
      {D3DFMT_A8R8G8B8, kEncodeOnly, P(0xFFFF0000, 4), C(1.2f, -0.3f, 0, 1), "clamped"},

      {D3DFMT_X8R8G8B8, kBoth, P(0x00000000, 4), C(0, 0, 0, 1), "zero"},
      {D3DFMT_X8R8G8B8, kBoth, P(0x00FF0000, 4), C(1, 0, 0, 1), "red"},
      {D3DFMT_X8R8G8B8, kBoth, P(0x0000FF00, 4), C(0, 1, 0, 1), "green"},
      {D3DFMT_X8R8G8B8, kBoth, P(0x000000FF, 4), C(0, 0, 1, 1), "blue"},
      {D3DFMT_X8R8G8B8, kBoth, P(0x00FFFFFF, 4), C(1, 1, 1, 1), "ones"},
      {D3DFMT_X8R8G8B8, kBoth, P(0x00804020, 4), C(Q(0x80, 255), Q(0x40, 255), Q(0x20, 255), 1), "mid"},
      {D3DFMT_X8R8G8B8, kDecodeOnly, P(0xFF123456, 4), C(Q(0x12, 255), Q(0x34, 255), Q(0x56, 255), 1), "X ignored"},
      {D3DFMT_X8R8G8B8, kEncodeOnly, P(0x00336699, 4), C(0.2f, 0.4f, 0.6f, 0.3f), "X written 0"},

      {D3DFMT_R5G6B5, kBoth, P(0x0000, 2), C(0, 0, 0, 1), "zero"},
      {D3DFMT_R5G6B5, kBoth, P(0xF800, 2), C(1, 0, 0, 1), "red"},
      {D3DFMT_R5G6B5, kBoth, P(0x07E0, 2), C(0, 1, 0, 1), "green"},
      {D3DFMT_R5G6B5, kBoth, P(0x001F, 2), C(0, 0, 1, 1), "blue"},
      {D3DFMT_R5G6B5, kBoth, P(0xFFFF, 2), C(1, 1, 1, 1), "ones"},
      {D3DFMT_R5G6B5, kBoth, P(0x8408, 2), C(Q(16, 31), Q(32, 63), Q(8, 31), 1), "mid"},

      {D3DFMT_X1R5G5B5, kBoth, P(0x0000, 2), C(0, 0, 0, 1), "zero"},
      {D3DFMT_X1R5G5B5, kBoth, P(0x7C00, 2), C(1, 0, 0, 1), "red"},
      {D3DFMT_X1R5G5B5, kBoth, P(0x03E0, 2), C(0, 1, 0, 1), "green"},
      {D3DFMT_X1R5G5B5, kBoth, P(0x001F, 2), C(0, 0, 1, 1), "blue"},
      {D3DFMT_X1R5G5B5, kBoth, P(0x7FFF, 2), C(1, 1, 1, 1), "ones, X written 0"},
      {D3DFMT_X1R5G5B5, kBoth, P(0x4104, 2), C(Q(16, 31), Q(8, 31), Q(4, 31), 1), "mid"},
      {D3DFMT_X1R5G5B5, kDecodeOnly, P(0x8000, 2), C(0, 0, 0, 1), "X ignored"},

      {D3DFMT_A1R5G5B5, kBoth, P(0x0000, 2), C(0, 0, 0, 0), "zero"},
      {D3DFMT_A1R5G5B5, kBoth, P(0x7C00, 2), C(1, 0, 0, 0), "red"},
      {D3DFMT_A1R5G5B5, kBoth, P(0x03E0, 2), C(0, 1, 0, 0), "green"},
      {D3DFMT_A1R5G5B5, kBoth, P(0x001F, 2), C(0, 0, 1, 0), "blue"},
      {D3DFMT_A1R5G5B5, kBoth, P(0x8000, 2), C(0, 0, 0, 1), "alpha"},
      {D3DFMT_A1R5G5B5, kBoth, P(0xFFFF, 2), C(1, 1, 1, 1), "ones"},
      {D3DFMT_A1R5G5B5, kBoth, P(0xC104, 2), C(Q(16, 31), Q(8, 31), Q(4, 31), 1), "mid"},
      {D3DFMT_A1R5G5B5, kEncodeOnly, P(0x0000, 2), C(0, 0, 0, 0.49f), "alpha below a half"},
      {D3DFMT_A1R5G5B5, kEncodeOnly, P(0x8000, 2), C(0, 0, 0, 0.5f), "alpha of a half"},

      {D3DFMT_A4R4G4B4, kBoth, P(0x0000, 2), C(0, 0, 0, 0), "zero"},
      {D3DFMT_A4R4G4B4, kBoth, P(0x0F00, 2), C(1, 0, 0, 0), "red"},
      {D3DFMT_A4R4G4B4, kBoth, P(0x00F0, 2), C(0, 1, 0, 0), "green"},
      {D3DFMT_A4R4G4B4, kBoth, P(0x000F, 2), C(0, 0, 1, 0), "blue"},
      {D3DFMT_A4R4G4B4, kBoth, P(0xF000, 2), C(0, 0, 0, 1), "alpha"},
      {D3DFMT_A4R4G4B4, kBoth, P(0xFFFF, 2), C(1, 1, 1, 1), "ones"},
      {D3DFMT_A4R4G4B4, kBoth, P(0x8421, 2), C(Q(4, 15), Q(2, 15), Q(1, 15), Q(8, 15)), "mid"},

      {D3DFMT_R3G3B2, kBoth, P(0x00, 1), C(0, 0, 0, 1), "zero"},
      {D3DFMT_R3G3B2, kBoth, P(0xE0, 1), C(1, 0, 0, 1), "red"},
      {D3DFMT_R3G3B2, kBoth, P(0x1C, 1), C(0, 1, 0, 1), "green"},
      {D3DFMT_R3G3B2, kBoth, P(0x03, 1), C(0, 0, 1, 1), "blue"},
      {D3DFMT_R3G3B2, kBoth, P(0xFF, 1), C(1, 1, 1, 1), "ones"},
      {D3DFMT_R3G3B2, kBoth, P(0x89, 1), C(Q(4, 7), Q(2, 7), Q(1, 3), 1), "mid"},

      {D3DFMT_A8, kBoth, P(0x00, 1), C(0, 0, 0, 0), "zero"},
      {D3DFMT_A8, kBoth, P(0xFF, 1), C(0, 0, 0, 1), "alpha"},
      {D3DFMT_A8, kBoth, P(0x80, 1), C(0, 0, 0, Q(0x80, 255)), "mid"},
      {D3DFMT_A8, kEncodeOnly, P(0x80, 1), C(1, 1, 1, 0.5f), "colour not stored"},

      {D3DFMT_A8R3G3B2, kBoth, P(0x0000, 2), C(0, 0, 0, 0), "zero"},
      {D3DFMT_A8R3G3B2, kBoth, P(0x00E0, 2), C(1, 0, 0, 0), "red"},
      {D3DFMT_A8R3G3B2, kBoth, P(0x001C, 2), C(0, 1, 0, 0), "green"},
      {D3DFMT_A8R3G3B2, kBoth, P(0x0003, 2), C(0, 0, 1, 0), "blue"},
      {D3DFMT_A8R3G3B2, kBoth, P(0xFF00, 2), C(0, 0, 0, 1), "alpha"},
      {D3DFMT_A8R3G3B2, kBoth, P(0xFFFF, 2), C(1, 1, 1, 1), "ones"},
      {D3DFMT_A8R3G3B2, kBoth, P(0x8089, 2), C(Q(4, 7), Q(2, 7), Q(1, 3), Q(0x80, 255)), "mid"},

      {D3DFMT_X4R4G4B4, kBoth, P(0x0000, 2), C(0, 0, 0, 1), "zero"},
      {D3DFMT_X4R4G4B4, kBoth, P(0x0F00, 2), C(1, 0, 0, 1), "red"},
      {D3DFMT_X4R4G4B4, kBoth, P(0x00F0, 2), C(0, 1, 0, 1), "green"},
      {D3DFMT_X4R4G4B4, kBoth, P(0x000F, 2), C(0, 0, 1, 1), "blue"},
      {D3DFMT_X4R4G4B4, kBoth, P(0x0FFF, 2), C(1, 1, 1, 1), "ones, X written 0"},
      {D3DFMT_X4R4G4B4, kBoth, P(0x0123, 2), C(Q(1, 15), Q(2, 15), Q(3, 15), 1), "mid"},
      {D3DFMT_X4R4G4B4, kDecodeOnly, P(0xF123, 2), C(Q(1, 15), Q(2, 15), Q(3, 15), 1), "X ignored"},

      {D3DFMT_A2B10G10R10, kBoth, P(0x00000000, 4), C(0, 0, 0, 0), "zero"},
      {D3DFMT_A2B10G10R10, kBoth, P(0x000003FF, 4), C(1, 0, 0, 0), "red"},
      {D3DFMT_A2B10G10R10, kBoth, P(0x000FFC00, 4), C(0, 1, 0, 0), "green"},
      {D3DFMT_A2B10G10R10, kBoth, P(0x3FF00000, 4), C(0, 0, 1, 0), "blue"},
      {D3DFMT_A2B10G10R10, kBoth, P(0xC0000000, 4), C(0, 0, 0, 1), "alpha"},
      {D3DFMT_A2B10G10R10, kBoth, P(0xFFFFFFFF, 4), C(1, 1, 1, 1), "ones"},
      {D3DFMT_A2B10G10R10, kBoth, P(0x88040200, 4), C(Q(512, 1023), Q(256, 1023), Q(128, 1023), Q(2, 3)), "mid"},

      {D3DFMT_A8B8G8R8, kBoth, P(0x00000000, 4), C(0, 0, 0, 0), "zero"},
      {D3DFMT_A8B8G8R8, kBoth, P(0x000000FF, 4), C(1, 0, 0, 0), "red"},
      {D3DFMT_A8B8G8R8, kBoth, P(0x0000FF00, 4), C(0, 1, 0, 0), "green"},
      {D3DFMT_A8B8G8R8, kBoth, P(0x00FF0000, 4), C(0, 0, 1, 0), "blue"},
      {D3DFMT_A8B8G8R8, kBoth, P(0xFF000000, 4), C(0, 0, 0, 1), "alpha"},
      {D3DFMT_A8B8G8R8, kBoth, P(0xFFFFFFFF, 4), C(1, 1, 1, 1), "ones"},
      {D3DFMT_A8B8G8R8, kBoth, P(0x80102040, 4), C(Q(0x40, 255), Q(0x20, 255), Q(0x10, 255), Q(0x80, 255)), "mid"},

      {D3DFMT_X8B8G8R8, kBoth, P(0x00000000, 4), C(0, 0, 0, 1), "zero"},
      {D3DFMT_X8B8G8R8, kBoth, P(0x000000FF, 4), C(1, 0, 0, 1), "red"},
      {D3DFMT_X8B8G8R8, kBoth, P(0x0000FF00, 4), C(0, 1, 0, 1), "green"},
      {D3DFMT_X8B8G8R8, kBoth, P(0x00FF0000, 4), C(0, 0, 1, 1), "blue"},
      {D3DFMT_X8B8G8R8, kBoth, P(0x00FFFFFF, 4), C(1, 1, 1, 1), "ones"},
      {D3DFMT_X8B8G8R8, kBoth, P(0x00102040, 4), C(Q(0x40, 255), Q(0x20, 255), Q(0x10, 255), 1), "mid"},
      {D3DFMT_X8B8G8R8, kDecodeOnly, P(0xFF000000, 4), C(0, 0, 0, 1), "X ignored"},
      {D3DFMT_X8B8G8R8, kEncodeOnly, P(0x00FFFFFF, 4), C(1, 1, 1, 0), "X written 0"},

      {D3DFMT_G16R16, kBoth, P(0x00000000, 4), C(0, 0, 1, 1), "zero"},
      {D3DFMT_G16R16, kBoth, P(0x0000FFFF, 4), C(1, 0, 1, 1), "red"},
      {D3DFMT_G16R16, kBoth, P(0xFFFF0000, 4), C(0, 1, 1, 1), "green"},
      {D3DFMT_G16R16, kBoth, P(0xFFFFFFFF, 4), C(1, 1, 1, 1), "ones"},
      {D3DFMT_G16R16, kBoth, P(0x40008000, 4), C(Q(0x8000, 65535), Q(0x4000, 65535), 1, 1), "mid"},
      {D3DFMT_G16R16, kEncodeOnly, P(0x00000000, 4), C(0, 0, 1, 1), "blue and alpha not stored"},

      {D3DFMT_A2R10G10B10, kBoth, P(0x00000000, 4), C(0, 0, 0, 0), "zero"},
      {D3DFMT_A2R10G10B10, kBoth, P(0x3FF00000, 4), C(1, 0, 0, 0), "red"},
      {D3DFMT_A2R10G10B10, kBoth, P(0x000FFC00, 4), C(0, 1, 0, 0), "green"},
      {D3DFMT_A2R10G10B10, kBoth, P(0x000003FF, 4), C(0, 0, 1, 0), "blue"},
      {D3DFMT_A2R10G10B10, kBoth, P(0xC0000000, 4), C(0, 0, 0, 1), "alpha"},
      {D3DFMT_A2R10G10B10, kBoth, P(0xFFFFFFFF, 4), C(1, 1, 1, 1), "ones"},
      {D3DFMT_A2R10G10B10, kBoth, P(0x48040200, 4), C(Q(128, 1023), Q(256, 1023), Q(512, 1023), Q(1, 3)), "mid"},

      {D3DFMT_A16B16G16R16, kBoth, P(0x0000000000000000, 8), C(0, 0, 0, 0), "zero"},
      {D3DFMT_A16B16G16R16, kBoth, P(0x000000000000FFFF, 8), C(1, 0, 0, 0), "red"},
      {D3DFMT_A16B16G16R16, kBoth, P(0x00000000FFFF0000, 8), C(0, 1, 0, 0), "green"},
      {D3DFMT_A16B16G16R16, kBoth, P(0x0000FFFF00000000, 8), C(0, 0, 1, 0), "blue"},
      {D3DFMT_A16B16G16R16, kBoth, P(0xFFFF000000000000, 8), C(0, 0, 0, 1), "alpha"},
      {D3DFMT_A16B16G16R16, kBoth, P(0xFFFFFFFFFFFFFFFF, 8), C(1, 1, 1, 1), "ones"},
      {D3DFMT_A16B16G16R16, kBoth, P(0xFFFE000180001234, 8), C(Q(0x1234, 65535), Q(0x8000, 65535), Q(1, 65535), Q(0xFFFE, 65535)), "mid"},

      {D3DFMT_L8, kBoth, P(0x00, 1), C(0, 0, 0, 1), "zero"},
      {D3DFMT_L8, kBoth, P(0xFF, 1), C(1, 1, 1, 1), "ones"},
      {D3DFMT_L8, kBoth, P(0x80, 1), C(Q(0x80, 255), Q(0x80, 255), Q(0x80, 255), 1), "mid"},
      {D3DFMT_L8, kEncodeOnly, P(54, 1), C(1, 0, 0, 1), "red weighs 0.2125"},
      {D3DFMT_L8, kEncodeOnly, P(182, 1), C(0, 1, 0, 1), "green weighs 0.7154"},
      {D3DFMT_L8, kEncodeOnly, P(18, 1), C(0, 0, 1, 1), "blue weighs 0.0721"},

      {D3DFMT_A8L8, kBoth, P(0x0000, 2), C(0, 0, 0, 0), "zero"},
      {D3DFMT_A8L8, kBoth, P(0x00FF, 2), C(1, 1, 1, 0), "luminance"},
      {D3DFMT_A8L8, kBoth, P(0xFF00, 2), C(0, 0, 0, 1), "alpha"},
      {D3DFMT_A8L8, kBoth, P(0xFFFF, 2), C(1, 1, 1, 1), "ones"},
      {D3DFMT_A8L8, kBoth, P(0x8040, 2), C(Q(0x40, 255), Q(0x40, 255), Q(0x40, 255), Q(0x80, 255)), "mid"},
      {D3DFMT_A8L8, kEncodeOnly, P(0xFF36, 2), C(1, 0, 0, 1), "red"},

      {D3DFMT_A4L4, kBoth, P(0x00, 1), C(0, 0, 0, 0), "zero"},
      {D3DFMT_A4L4, kBoth, P(0x0F, 1), C(1, 1, 1, 0), "luminance"},
      {D3DFMT_A4L4, kBoth, P(0xF0, 1), C(0, 0, 0, 1), "alpha"},
      {D3DFMT_A4L4, kBoth, P(0xFF, 1), C(1, 1, 1, 1), "ones"},
      {D3DFMT_A4L4, kBoth, P(0x84, 1), C(Q(4, 15), Q(4, 15), Q(4, 15), Q(8, 15)), "mid"},
      {D3DFMT_A4L4, kEncodeOnly, P(0x03, 1), C(1, 0, 0, 0), "red"},

      {D3DFMT_L16, kBoth, P(0x0000, 2), C(0, 0, 0, 1), "zero"},
      {D3DFMT_L16, kBoth, P(0xFFFF, 2), C(1, 1, 1, 1), "ones"},
      {D3DFMT_L16, kBoth, P(0x8000, 2), C(Q(0x8000, 65535), Q(0x8000, 65535), Q(0x8000, 65535), 1), "mid"},
      {D3DFMT_L16, kEncodeOnly, P(0x3666, 2), C(1, 0, 0, 1), "red"},

      {D3DFMT_V8U8, kBoth, P(0x0000, 2), C(0, 0, 1, 1), "zero"},
      {D3DFMT_V8U8, kBoth, P(0x007F, 2), C(1, 0, 1, 1), "U"},
      {D3DFMT_V8U8, kBoth, P(0x7F00, 2), C(0, 1, 1, 1), "V"},
      {D3DFMT_V8U8, kBoth, P(0x7F7F, 2), C(1, 1, 1, 1), "ones"},
      {D3DFMT_V8U8, kDecodeOnly, P(0x8080, 2), C(-1, -1, 1, 1), "-128 decodes to -1"},
      {D3DFMT_V8U8, kDecodeOnly, P(0x8181, 2), C(-1, -1, 1, 1), "-127 decodes to -1"},
      {D3DFMT_V8U8, kEncodeOnly, P(0x8282, 2), C(-1, -1, 1, 1), "-1 encodes to -126"},
      {D3DFMT_V8U8, kDecodeOnly, P(0x20C0, 2), C(Q(-64, 127), Q(32, 127), 1, 1), "mid"},
      {D3DFMT_V8U8, kEncodeOnly, P(0x20C1, 2), C(Q(-64, 127), Q(32, 127), 1, 1), "mid, negative toward zero"},
      {D3DFMT_V8U8, kEncodeOnly, P(0x817F, 2), C(2, -2, 0, 0), "clamped to -127..127"},

      {D3DFMT_L6V5U5, kBoth, P(0x0000, 2), C(0, 0, 1, 0), "zero"},
      {D3DFMT_L6V5U5, kBoth, P(0x000F, 2), C(1, 0, 1, 0), "U"},
      {D3DFMT_L6V5U5, kBoth, P(0x01E0, 2), C(0, 1, 1, 0), "V"},
      {D3DFMT_L6V5U5, kBoth, P(0xFC00, 2), C(0, 0, 1, 1), "L"},
      {D3DFMT_L6V5U5, kBoth, P(0xFDEF, 2), C(1, 1, 1, 1), "ones"},
      {D3DFMT_L6V5U5, kDecodeOnly, P(0x0010, 2), C(-1, 0, 1, 0), "-16 decodes to -1"},
      {D3DFMT_L6V5U5, kDecodeOnly, P(0x0011, 2), C(-1, 0, 1, 0), "-15 decodes to -1"},
      {D3DFMT_L6V5U5, kEncodeOnly, P(0x0012, 2), C(-1, 0, 1, 0), "-1 encodes to -14"},
      {D3DFMT_L6V5U5, kDecodeOnly, P(0x8098, 2), C(Q(-8, 15), Q(4, 15), 1, Q(32, 63)), "mid"},
      {D3DFMT_L6V5U5, kEncodeOnly, P(0x8099, 2), C(Q(-8, 15), Q(4, 15), 1, Q(32, 63)), "mid, negative toward zero"},

      {D3DFMT_X8L8V8U8, kBoth, P(0x00000000, 4), C(0, 0, 1, 0), "zero"},
      {D3DFMT_X8L8V8U8, kBoth, P(0x0000007F, 4), C(1, 0, 1, 0), "U"},
      {D3DFMT_X8L8V8U8, kBoth, P(0x00007F00, 4), C(0, 1, 1, 0), "V"},
      {D3DFMT_X8L8V8U8, kBoth, P(0x00FF0000, 4), C(0, 0, 1, 1), "L"},
      {D3DFMT_X8L8V8U8, kBoth, P(0x00FF7F7F, 4), C(1, 1, 1, 1), "ones, X written 0"},
      {D3DFMT_X8L8V8U8, kDecodeOnly, P(0xFF000000, 4), C(0, 0, 1, 0), "X ignored"},
      {D3DFMT_X8L8V8U8, kDecodeOnly, P(0x00808080, 4), C(-1, -1, 1, Q(0x80, 255)), "mid"},

      {D3DFMT_Q8W8V8U8, kBoth, P(0x00000000, 4), C(0, 0, 0, 0), "zero"},
      {D3DFMT_Q8W8V8U8, kBoth, P(0x0000007F, 4), C(1, 0, 0, 0), "U"},
      {D3DFMT_Q8W8V8U8, kBoth, P(0x00007F00, 4), C(0, 1, 0, 0), "V"},
      {D3DFMT_Q8W8V8U8, kBoth, P(0x007F0000, 4), C(0, 0, 1, 0), "W"},
      {D3DFMT_Q8W8V8U8, kBoth, P(0x7F000000, 4), C(0, 0, 0, 1), "Q"},
      {D3DFMT_Q8W8V8U8, kBoth, P(0x7F7F7F7F, 4), C(1, 1, 1, 1), "ones"},
      {D3DFMT_Q8W8V8U8, kDecodeOnly, P(0x80808080, 4), C(-1, -1, -1, -1), "-128 decodes to -1"},
      {D3DFMT_Q8W8V8U8, kEncodeOnly, P(0x82828282, 4), C(-1, -1, -1, -1), "-1 encodes to -126"},
      {D3DFMT_Q8W8V8U8, kBoth, P(0x40201008, 4), C(Q(8, 127), Q(16, 127), Q(32, 127), Q(64, 127)), "mid"},

      {D3DFMT_V16U16, kBoth, P(0x00000000, 4), C(0, 0, 1, 1), "zero"},
      {D3DFMT_V16U16, kBoth, P(0x00007FFF, 4), C(1, 0, 1, 1), "U"},
      {D3DFMT_V16U16, kBoth, P(0x7FFF0000, 4), C(0, 1, 1, 1), "V"},
      {D3DFMT_V16U16, kBoth, P(0x7FFF7FFF, 4), C(1, 1, 1, 1), "ones"},
      {D3DFMT_V16U16, kDecodeOnly, P(0x80008000, 4), C(-1, -1, 1, 1), "-32768 decodes to -1"},
      {D3DFMT_V16U16, kDecodeOnly, P(0x80018001, 4), C(-1, -1, 1, 1), "-32767 decodes to -1"},
      {D3DFMT_V16U16, kEncodeOnly, P(0x80028002, 4), C(-1, -1, 1, 1), "-1 encodes to -32766"},
      {D3DFMT_V16U16, kBoth, P(0x10004000, 4), C(Q(0x4000, 32767), Q(0x1000, 32767), 1, 1), "mid"},

      {D3DFMT_A2W10V10U10, kBoth, P(0x00000000, 4), C(0, 0, 0, 0), "zero"},
      {D3DFMT_A2W10V10U10, kBoth, P(0x000001FF, 4), C(1, 0, 0, 0), "U"},
      {D3DFMT_A2W10V10U10, kBoth, P(0x0007FC00, 4), C(0, 1, 0, 0), "V"},
      {D3DFMT_A2W10V10U10, kBoth, P(0x1FF00000, 4), C(0, 0, 1, 0), "W"},
      {D3DFMT_A2W10V10U10, kBoth, P(0xC0000000, 4), C(0, 0, 0, 1), "A"},
      {D3DFMT_A2W10V10U10, kBoth, P(0xDFF7FDFF, 4), C(1, 1, 1, 1), "ones"},
      {D3DFMT_A2W10V10U10, kDecodeOnly, P(0x00000200, 4), C(-1, 0, 0, 0), "-512 decodes to -1"},
      {D3DFMT_A2W10V10U10, kBoth, P(0x48040100, 4), C(Q(256, 511), Q(256, 511), Q(128, 511), Q(1, 3)), "mid"},

      {D3DFMT_Q16W16V16U16, kBoth, P(0x0000000000000000, 8), C(0, 0, 0, 0), "zero"},
      {D3DFMT_Q16W16V16U16, kBoth, P(0x0000000000007FFF, 8), C(1, 0, 0, 0), "U"},
      {D3DFMT_Q16W16V16U16, kBoth, P(0x000000007FFF0000, 8), C(0, 1, 0, 0), "V"},
      {D3DFMT_Q16W16V16U16, kBoth, P(0x00007FFF00000000, 8), C(0, 0, 1, 0), "W"},
      {D3DFMT_Q16W16V16U16, kBoth, P(0x7FFF000000000000, 8), C(0, 0, 0, 1), "Q"},
      {D3DFMT_Q16W16V16U16, kBoth, P(0x7FFF7FFF7FFF7FFF, 8), C(1, 1, 1, 1), "ones"},
      {D3DFMT_Q16W16V16U16, kDecodeOnly, P(0x8000800080008000, 8), C(-1, -1, -1, -1), "-32768 decodes to -1"},
      {D3DFMT_Q16W16V16U16, kBoth, P(0x0001100020004000, 8), C(Q(0x4000, 32767), Q(0x2000, 32767), Q(0x1000, 32767), Q(1, 32767)), "mid"},

      {D3DFMT_CxV8U8, kBoth, P(0x0000, 2), C(0, 0, 1, 1), "zero: C = 1"},
      {D3DFMT_CxV8U8, kBoth, P(0x007F, 2), C(1, 0, 0, 1), "U: C = 0"},
      {D3DFMT_CxV8U8, kBoth, P(0x7F00, 2), C(0, 1, 0, 1), "V: C = 0"},
      {D3DFMT_CxV8U8, kDecodeOnly, P(0x7F7F, 2), C(1, 1, 0, 1), "U = V = 127: 1 - 1 - 1 is not positive"},
      {D3DFMT_CxV8U8, kDecodeOnly, P(0x4040, 2), C(Q(64, 127), Q(64, 127), cxMid, 1), "mid"},
      {D3DFMT_CxV8U8, kEncodeOnly, P(0x664C, 2), C(0.6f, 0.8f, 0, 1), "unit vector"},
      {D3DFMT_CxV8U8, kEncodeOnly, P(0x664C, 2), C(3, 4, 0, 1), "normalised first"},
      {D3DFMT_CxV8U8, kEncodeOnly, P(0x007F, 2), C(0.3f, 0, 0, 1), "short vector normalised"},
      {D3DFMT_CxV8U8, kEncodeOnly, P(0x4949, 2), C(1, 1, 1, 1), "blue takes part in the length"},

      {D3DFMT_D16_LOCKABLE, kBoth, P(0x0000, 2), C(0, 0, 0, 1), "zero"},
      {D3DFMT_D16_LOCKABLE, kBoth, P(0xFFFF, 2), C(1, 1, 1, 1), "ones"},
      {D3DFMT_D16_LOCKABLE, kBoth, P(0x8000, 2), C(Q(0x8000, 65535), Q(0x8000, 65535), Q(0x8000, 65535), 1), "mid, replicated"},
      {D3DFMT_D16_LOCKABLE, kEncodeOnly, P(0x3666, 2), C(1, 0, 0, 1), "stores the luminance"},

      {D3DFMT_D32F_LOCKABLE, kBoth, FloatBytes({0.0f}), C(0, 1, 1, 1), "zero"},
      {D3DFMT_D32F_LOCKABLE, kBoth, FloatBytes({1.0f}), C(1, 1, 1, 1), "ones"},
      {D3DFMT_D32F_LOCKABLE, kBoth, FloatBytes({0.25f}), C(0.25f, 1, 1, 1), "mid"},
      {D3DFMT_D32F_LOCKABLE, kEncodeOnly, FloatBytes({0.5f}), C(0.5f, 0, 0, 0), "red only"},

      {D3DFMT_R16F, kBoth, P(0x0000, 2), C(0, 1, 1, 1), "zero"},
      {D3DFMT_R16F, kBoth, P(0x3C00, 2), C(1, 1, 1, 1), "ones"},
      {D3DFMT_R16F, kBoth, P(0xB800, 2), C(-0.5f, 1, 1, 1), "mid, negative"},
      {D3DFMT_R16F, kBoth, P(0x7E1A, 2), C(99968, 1, 1, 1), "unclamped"},
      {D3DFMT_R16F, kEncodeOnly, P(0x7E1A, 2), C(100000, 0, 0, 0), "rounded to a half"},

      {D3DFMT_G16R16F, kBoth, P(0x00000000, 4), C(0, 0, 1, 1), "zero"},
      {D3DFMT_G16R16F, kBoth, P(0x00003C00, 4), C(1, 0, 1, 1), "red"},
      {D3DFMT_G16R16F, kBoth, P(0x3C000000, 4), C(0, 1, 1, 1), "green"},
      {D3DFMT_G16R16F, kBoth, P(0x3C003C00, 4), C(1, 1, 1, 1), "ones"},
      {D3DFMT_G16R16F, kBoth, P(0x4000B800, 4), C(-0.5f, 2, 1, 1), "mid"},

      {D3DFMT_A16B16G16R16F, kBoth, P(0x0000000000000000, 8), C(0, 0, 0, 0), "zero"},
      {D3DFMT_A16B16G16R16F, kBoth, P(0x0000000000003C00, 8), C(1, 0, 0, 0), "red"},
      {D3DFMT_A16B16G16R16F, kBoth, P(0x000000003C000000, 8), C(0, 1, 0, 0), "green"},
      {D3DFMT_A16B16G16R16F, kBoth, P(0x00003C0000000000, 8), C(0, 0, 1, 0), "blue"},
      {D3DFMT_A16B16G16R16F, kBoth, P(0x3C00000000000000, 8), C(0, 0, 0, 1), "alpha"},
      {D3DFMT_A16B16G16R16F, kBoth, P(0x3C003C003C003C00, 8), C(1, 1, 1, 1), "ones"},
      {D3DFMT_A16B16G16R16F, kBoth, P(0x34006400C0003800, 8), C(0.5f, -2, 1024, 0.25f), "mid"},

      {D3DFMT_R32F, kBoth, FloatBytes({0.0f}), C(0, 1, 1, 1), "zero"},
      {D3DFMT_R32F, kBoth, FloatBytes({1.0f}), C(1, 1, 1, 1), "ones"},
      {D3DFMT_R32F, kBoth, FloatBytes({-3.5f}), C(-3.5f, 1, 1, 1), "mid, unclamped"},

      {D3DFMT_G32R32F, kBoth, FloatBytes({0, 0}), C(0, 0, 1, 1), "zero"},
      {D3DFMT_G32R32F, kBoth, FloatBytes({1, 0}), C(1, 0, 1, 1), "red"},
      {D3DFMT_G32R32F, kBoth, FloatBytes({0, 1}), C(0, 1, 1, 1), "green"},
      {D3DFMT_G32R32F, kBoth, FloatBytes({1, 1}), C(1, 1, 1, 1), "ones"},
      {D3DFMT_G32R32F, kBoth, FloatBytes({-2, 0.5f}), C(-2, 0.5f, 1, 1), "mid"},

      {D3DFMT_A32B32G32R32F, kBoth, FloatBytes({0, 0, 0, 0}), C(0, 0, 0, 0), "zero"},
      {D3DFMT_A32B32G32R32F, kBoth, FloatBytes({1, 0, 0, 0}), C(1, 0, 0, 0), "red"},
      {D3DFMT_A32B32G32R32F, kBoth, FloatBytes({0, 1, 0, 0}), C(0, 1, 0, 0), "green"},
      {D3DFMT_A32B32G32R32F, kBoth, FloatBytes({0, 0, 1, 0}), C(0, 0, 1, 0), "blue"},
      {D3DFMT_A32B32G32R32F, kBoth, FloatBytes({0, 0, 0, 1}), C(0, 0, 0, 1), "alpha"},
      {D3DFMT_A32B32G32R32F, kBoth, FloatBytes({1, 1, 1, 1}), C(1, 1, 1, 1), "ones"},
      {D3DFMT_A32B32G32R32F, kBoth, FloatBytes({0.5f, -2, 1000, 7.5f}), C(0.5f, -2, 1000, 7.5f), "mid, unclamped"},

      {UT_FMT_A16L16, kBoth, P(0x00000000, 4), C(0, 0, 0, 0), "zero"},
      {UT_FMT_A16L16, kBoth, P(0x0000FFFF, 4), C(1, 1, 1, 0), "luminance"},
      {UT_FMT_A16L16, kBoth, P(0xFFFF0000, 4), C(0, 0, 0, 1), "alpha"},
      {UT_FMT_A16L16, kBoth, P(0xFFFFFFFF, 4), C(1, 1, 1, 1), "ones"},
      {UT_FMT_A16L16, kBoth, P(0x40008000, 4), C(Q(0x8000, 65535), Q(0x8000, 65535), Q(0x8000, 65535), Q(0x4000, 65535)), "mid"},
      {UT_FMT_A16L16, kEncodeOnly, P(0xFFFF3666, 4), C(1, 0, 0, 1), "red"},

      {UT_FMT_R16G16B16, kBoth, P(0x000000000000, 6), C(0, 0, 0, 1), "zero"},
      {UT_FMT_R16G16B16, kBoth, P(0xFFFF00000000, 6), C(1, 0, 0, 1), "red"},
      {UT_FMT_R16G16B16, kBoth, P(0x0000FFFF0000, 6), C(0, 1, 0, 1), "green"},
      {UT_FMT_R16G16B16, kBoth, P(0x00000000FFFF, 6), C(0, 0, 1, 1), "blue"},
      {UT_FMT_R16G16B16, kBoth, P(0xFFFFFFFFFFFF, 6), C(1, 1, 1, 1), "ones"},
      {UT_FMT_R16G16B16, kBoth, P(0x123480000001, 6), C(Q(0x1234, 65535), Q(0x8000, 65535), Q(1, 65535), 1), "mid"},
      // clang-format on
  };
}

std::string Describe(const CodecCase& c) {
  const FormatPrecision& p = PrecisionOf(c.format);
  return std::string(p.name) + " [" + c.what + "] bytes " + HexBytes(c.packed.data(), c.packed.size()) +
         " colour " + ColorText(c.color);
}

TEST(PixelCodecCases, EveryFormatHasCases) {
  const std::vector<CodecCase> cases = Cases();
  for (const FormatPrecision& p : kPrecisions) {
    int decoded = 0;
    int encoded = 0;
    for (const CodecCase& c : cases) {
      if (c.format != p.format) continue;
      decoded += c.direction != kEncodeOnly;
      encoded += c.direction != kDecodeOnly;
      EXPECT_EQ(c.packed.size(), p.bytes) << Describe(c);
    }
    EXPECT_GE(decoded, 3) << p.name;
    EXPECT_GE(encoded, 3) << p.name;
  }
}

TEST(PixelCodecCases, Decode) {
  for (const CodecCase& c : Cases()) {
    if (c.direction == kEncodeOnly) continue;
    const FormatPrecision& p = PrecisionOf(c.format);
    const UtColor got = DecodeOne(c.format, c.packed);
    const float want[4] = {c.color.r, c.color.g, c.color.b, c.color.a};
    const float have[4] = {got.r, got.g, got.b, got.a};
    for (int ch = 0; ch < 4; ++ch) {
      EXPECT_NEAR(have[ch], want[ch], ToleranceOf(p.bits[ch]))
          << Describe(c) << ": channel " << "rgba"[ch] << " of decoded " << ColorText(got);
    }
  }
}

TEST(PixelCodecCases, Encode) {
  for (const CodecCase& c : Cases()) {
    if (c.direction == kDecodeOnly) continue;
    const std::vector<uint8_t> got = EncodeOne(c.format, c.color, c.packed.size());
    EXPECT_EQ(got, c.packed) << Describe(c) << ": encoded " << HexBytes(got.data(), got.size());
  }
}

// The values the Part insists on exactly, not just within a step.
TEST(PixelCodecCases, ExactEndpoints) {
  EXPECT_EQ(DecodeOne(D3DFMT_A1R5G5B5, P(0x8000, 2)).a, 1.0f);
  EXPECT_EQ(DecodeOne(D3DFMT_A8R8G8B8, P(0xFF00FF00, 4)).g, 1.0f);
  EXPECT_EQ(DecodeOne(D3DFMT_V8U8, P(0x7F80, 2)).r, -1.0f);
  EXPECT_EQ(DecodeOne(D3DFMT_V8U8, P(0x7F81, 2)).r, -1.0f);
  EXPECT_EQ(DecodeOne(D3DFMT_V8U8, P(0x7F81, 2)).g, 1.0f);
  EXPECT_EQ(DecodeOne(D3DFMT_CxV8U8, P(0x7F7F, 2)).b, 0.0f);
}

// Values that have no integer code: NaN takes the lower bound, infinities and huge values
// clamp like any value out of range (never undefined conversions).
TEST(PixelCodecCases, NonFiniteValuesEncodeToDefinedCodes) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct {
    D3DFORMAT format;
    UtColor color;
    uint64_t packed;
    size_t bytes;
  } cases[] = {
      {D3DFMT_A8R8G8B8, C(nan, inf, -inf, 1e30f), 0xFF00FF00, 4},
      {D3DFMT_R5G6B5, C(-1e30f, nan, 3e9f, 0), 0x001F, 2},
      {D3DFMT_V8U8, C(nan, -inf, 0, 0), 0x8181, 2},
      {D3DFMT_A16B16G16R16, C(inf, nan, -3e9f, 2), 0xFFFF00000000FFFF, 8},
      {D3DFMT_L8, C(nan, 0, 0, 1), 0x00, 1},
  };
  for (const auto& c : cases) {
    const std::vector<uint8_t> got = EncodeOne(c.format, c.color, c.bytes);
    EXPECT_EQ(got, P(c.packed, c.bytes)) << PrecisionOf(c.format).name << " "
                                         << ColorText(c.color) << ": "
                                         << HexBytes(got.data(), got.size());
  }
}

}  // namespace
