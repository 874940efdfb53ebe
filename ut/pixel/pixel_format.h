// The pixel-format catalogue: one constant record per format the library knows.
#pragma once

#include <cstdint>
#include <span>

#include "d3d9/d3d9.h"

enum FormatFamily : uint32_t {
  FAMILY_COLOR = 0,
  FAMILY_PALETTE = 1,
  FAMILY_LUMINANCE = 2,
  FAMILY_SIGNED = 3,
  FAMILY_DEPTH_STENCIL = 4,
};

inline constexpr uint32_t kFormatFamilyCount = 5;

// The five width fields are the channel slots that ScoreFormatMatch compares slot by slot:
//   otherBits  a channel outside alpha/red/green/blue: the luminance of L6V5U5 and X8L8V8U8,
//              the 2-bit alpha of A2W10V10U10, 8 for CxV8U8, 1 for the two lockable depth formats
//   alphaBits  alpha; Q for the signed formats
//   redBits    red; W for signed formats; the luminance width for luminance formats
//   greenBits  green; V for signed; luminance width; stencil width for depth formats
//   blueBits   blue; U for signed; luminance width; depth width for depth formats
// Palette formats record the precision of their palette entries (8 bits of A, R, G and B).
struct PixelFormatInfo {
  D3DFORMAT format;
  FormatFamily family;
  uint32_t bitsPerPixel;  // as catalogued (16 for every DXT format); breaks ties in searches
  uint32_t otherBits;
  uint32_t alphaBits;
  uint32_t redBits;
  uint32_t greenBits;
  uint32_t blueBits;
  uint32_t substitutable;  // 1: the device search may pick it in place of another format
};

static_assert(sizeof(PixelFormatInfo) == 9 * 4);

inline constexpr size_t kPixelFormatCount = 57;

// The record returned for any format outside the catalogue: it scores like 8-bit ARGB, and its
// format of D3DFMT_UNKNOWN tells callers that the format is not catalogued.
extern const PixelFormatInfo g_unknownFormatInfo;

// The whole catalogue in its fixed order (the order decides ties in the device search).
std::span<const PixelFormatInfo, kPixelFormatCount> PixelFormatCatalogue();

// The catalogue record of `format`, or &g_unknownFormatInfo. Records live for the whole process.
const PixelFormatInfo* GetPixelFormatInfo(D3DFORMAT format);
