// The stored layout of every format whose pixels are independent of their neighbours: one row
// per format drives both the codec class stamped for it and the factory's table
// (pixel_codec_classes.cpp).
//
// Fields count bits from the least significant bit of the little-endian pixel. Each field names
// the colour channel it decodes into and encodes from; X bits have no field and are written 0.
//
//   A8R8G8B8   31      24 23      16 15       8 7        0
//             [ A (a)    | R (r)    | G (g)    | B (b)    ]
//   R5G6B5     15    11 10      5 4     0
//             [ R (r)  | G (g)    | B (b) ]
//   V8U8       15       8 7        0
//             [ V (g) s  | U (r) s  ]      s: two's complement
//   L6V5U5     15     10 9    5 4    0
//             [ L (a)  | V (g)s| U (r)s]
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "d3d9/d3d9.h"
#include "ut/pixel/pixel_kind.h"
#include "ut/pixel/private_formats.h"

// How a format stores its channels.
enum class PixelStorage : uint8_t {
  Packed,        // integer fields of one little-endian word of up to 64 bits
  Half,          // 16-bit floats, red first
  Float,         // 32-bit floats, red first
  Palette,       // an 8-bit index into the palette (all four channels)
  PaletteAlpha,  // an 8-bit index (red, green, blue) and an 8-bit alpha field
};

// What the decoder writes into the channels that no field fills.
enum class UnstoredChannels : uint8_t {
  One,          // 1.0
  ZeroColor,    // red, green and blue 0.0 (D3DFMT_A8); alpha from its field
  Luminance,    // green and blue repeat red (the luminance); alpha 1.0 unless stored. The
                // encoder first replaces red by the luminance of the colour.
  DerivedBlue,  // blue = sqrt(1 - U^2 - V^2), or 0 when that is not positive; alpha 1.0
                // (D3DFMT_CxV8U8). The encoder first normalises red, green, blue as a vector.
};

enum PixelChannel : uint8_t { CH_R = 0, CH_G = 1, CH_B = 2, CH_A = 3 };

struct PixelField {
  uint8_t channel;  // PixelChannel
  uint8_t shift;
  uint8_t width;
  bool isSigned;
};

struct PixelCodecLayout {
  D3DFORMAT format;
  uint8_t bitsPerPixel;
  PixelKind kind;
  PixelStorage storage;
  UnstoredChannels unstored;
  uint8_t fieldCount;
  PixelField fields[4];  // floats and halves: one per stored channel, in storage order
};

namespace pixel_layout_rows {

using enum PixelStorage;
using enum UnstoredChannels;
inline constexpr PixelKind UNORM = PIXEL_KIND_UNORM;
inline constexpr PixelKind SNORM_RGB = PIXEL_KIND_SNORM_RGB;
inline constexpr PixelKind SNORM = PIXEL_KIND_SNORM;
inline constexpr PixelKind FLOAT = PIXEL_KIND_FLOAT;
inline constexpr uint8_t R = CH_R, G = CH_G, B = CH_B, A = CH_A;

constexpr PixelField U(uint8_t channel, uint8_t shift, uint8_t width) {
  return {channel, shift, width, false};
}
constexpr PixelField S(uint8_t channel, uint8_t shift, uint8_t width) {
  return {channel, shift, width, true};
}

// clang-format off
inline constexpr PixelCodecLayout kRows[] = {
    // format               bits  kind       storage       unstored     fields (U unsigned, S signed)
    {D3DFMT_R8G8B8,          24, UNORM,     Packed,       One,         3, {U(B, 0, 8), U(G, 8, 8), U(R, 16, 8)}},
    {D3DFMT_A8R8G8B8,        32, UNORM,     Packed,       One,         4, {U(B, 0, 8), U(G, 8, 8), U(R, 16, 8), U(A, 24, 8)}},
    {D3DFMT_X8R8G8B8,        32, UNORM,     Packed,       One,         3, {U(B, 0, 8), U(G, 8, 8), U(R, 16, 8)}},
    {D3DFMT_R5G6B5,          16, UNORM,     Packed,       One,         3, {U(B, 0, 5), U(G, 5, 6), U(R, 11, 5)}},
    {D3DFMT_X1R5G5B5,        16, UNORM,     Packed,       One,         3, {U(B, 0, 5), U(G, 5, 5), U(R, 10, 5)}},
    {D3DFMT_A1R5G5B5,        16, UNORM,     Packed,       One,         4, {U(B, 0, 5), U(G, 5, 5), U(R, 10, 5), U(A, 15, 1)}},
    {D3DFMT_A4R4G4B4,        16, UNORM,     Packed,       One,         4, {U(B, 0, 4), U(G, 4, 4), U(R, 8, 4), U(A, 12, 4)}},
    {D3DFMT_R3G3B2,           8, UNORM,     Packed,       One,         3, {U(B, 0, 2), U(G, 2, 3), U(R, 5, 3)}},
    {D3DFMT_A8,               8, UNORM,     Packed,       ZeroColor,   1, {U(A, 0, 8)}},
    {D3DFMT_A8R3G3B2,        16, UNORM,     Packed,       One,         4, {U(B, 0, 2), U(G, 2, 3), U(R, 5, 3), U(A, 8, 8)}},
    {D3DFMT_X4R4G4B4,        16, UNORM,     Packed,       One,         3, {U(B, 0, 4), U(G, 4, 4), U(R, 8, 4)}},
    {D3DFMT_A2B10G10R10,     32, UNORM,     Packed,       One,         4, {U(R, 0, 10), U(G, 10, 10), U(B, 20, 10), U(A, 30, 2)}},
    {D3DFMT_A8B8G8R8,        32, UNORM,     Packed,       One,         4, {U(R, 0, 8), U(G, 8, 8), U(B, 16, 8), U(A, 24, 8)}},
    {D3DFMT_X8B8G8R8,        32, UNORM,     Packed,       One,         3, {U(R, 0, 8), U(G, 8, 8), U(B, 16, 8)}},
    {D3DFMT_G16R16,          32, UNORM,     Packed,       One,         2, {U(R, 0, 16), U(G, 16, 16)}},
    {D3DFMT_A2R10G10B10,     32, UNORM,     Packed,       One,         4, {U(B, 0, 10), U(G, 10, 10), U(R, 20, 10), U(A, 30, 2)}},
    {D3DFMT_A16B16G16R16,    64, UNORM,     Packed,       One,         4, {U(R, 0, 16), U(G, 16, 16), U(B, 32, 16), U(A, 48, 16)}},
    {D3DFMT_A8P8,            16, UNORM,     PaletteAlpha, One,         1, {U(A, 8, 8)}},
    {D3DFMT_P8,               8, UNORM,     Palette,      One,         0, {}},
    {D3DFMT_L8,               8, UNORM,     Packed,       Luminance,   1, {U(R, 0, 8)}},
    {D3DFMT_A8L8,            16, UNORM,     Packed,       Luminance,   2, {U(R, 0, 8), U(A, 8, 8)}},
    {D3DFMT_A4L4,             8, UNORM,     Packed,       Luminance,   2, {U(R, 0, 4), U(A, 4, 4)}},
    {D3DFMT_L16,             16, UNORM,     Packed,       Luminance,   1, {U(R, 0, 16)}},
    {D3DFMT_V8U8,            16, SNORM_RGB, Packed,       One,         2, {S(R, 0, 8), S(G, 8, 8)}},
    {D3DFMT_L6V5U5,          16, SNORM_RGB, Packed,       One,         3, {S(R, 0, 5), S(G, 5, 5), U(A, 10, 6)}},
    {D3DFMT_X8L8V8U8,        32, SNORM_RGB, Packed,       One,         3, {S(R, 0, 8), S(G, 8, 8), U(A, 16, 8)}},
    {D3DFMT_Q8W8V8U8,        32, SNORM,     Packed,       One,         4, {S(R, 0, 8), S(G, 8, 8), S(B, 16, 8), S(A, 24, 8)}},
    {D3DFMT_V16U16,          32, SNORM_RGB, Packed,       One,         2, {S(R, 0, 16), S(G, 16, 16)}},
    {D3DFMT_A2W10V10U10,     32, SNORM_RGB, Packed,       One,         4, {S(R, 0, 10), S(G, 10, 10), S(B, 20, 10), U(A, 30, 2)}},
    {D3DFMT_Q16W16V16U16,    64, SNORM,     Packed,       One,         4, {S(R, 0, 16), S(G, 16, 16), S(B, 32, 16), S(A, 48, 16)}},
    {D3DFMT_CxV8U8,          16, SNORM_RGB, Packed,       DerivedBlue, 2, {S(R, 0, 8), S(G, 8, 8)}},
    {D3DFMT_D16_LOCKABLE,    16, UNORM,     Packed,       Luminance,   1, {U(R, 0, 16)}},
    {D3DFMT_D32F_LOCKABLE,   32, FLOAT,     Float,        One,         1, {U(R, 0, 32)}},
    {D3DFMT_R16F,            16, FLOAT,     Half,         One,         1, {U(R, 0, 16)}},
    {D3DFMT_G16R16F,         32, FLOAT,     Half,         One,         2, {U(R, 0, 16), U(G, 16, 16)}},
    {D3DFMT_A16B16G16R16F,   64, FLOAT,     Half,         One,         4, {U(R, 0, 16), U(G, 16, 16), U(B, 32, 16), U(A, 48, 16)}},
    {D3DFMT_R32F,            32, FLOAT,     Float,        One,         1, {U(R, 0, 32)}},
    {D3DFMT_G32R32F,         64, FLOAT,     Float,        One,         2, {U(R, 0, 32), U(G, 32, 32)}},
    {D3DFMT_A32B32G32R32F,  128, FLOAT,     Float,        One,         4, {U(R, 0, 32), U(G, 32, 32), U(B, 64, 32), U(A, 96, 32)}},
    {UT_FMT_A16L16,          32, UNORM,     Packed,       Luminance,   2, {U(R, 0, 16), U(A, 16, 16)}},
    {UT_FMT_R16G16B16,       48, UNORM,     Packed,       One,         3, {U(B, 0, 16), U(G, 16, 16), U(R, 32, 16)}},
};
// clang-format on

}  // namespace pixel_layout_rows

inline constexpr const auto& kPixelCodecLayouts = pixel_layout_rows::kRows;

inline constexpr size_t kPixelCodecLayoutCount = std::size(kPixelCodecLayouts);
static_assert(kPixelCodecLayoutCount == 41, "one row per per-pixel format of the codec table");

// The row of `format`, or null.
constexpr const PixelCodecLayout* FindPixelCodecLayout(D3DFORMAT format) {
  for (const PixelCodecLayout& layout : kPixelCodecLayouts) {
    if (layout.format == format) return &layout;
  }
  return nullptr;
}
