#include "ut/pixel/pixel_format.h"

#include <array>

#include "ut/pixel/private_formats.h"

namespace {

constexpr uint32_t kYes = 1;
constexpr uint32_t kNo = 0;

// One row per format; this table alone drives lookup, scoring and the device search.
// clang-format off
constexpr std::array<PixelFormatInfo, kPixelFormatCount> kCatalogue = {{
  //  format                  family                bits other alpha red green blue substitutable
  { D3DFMT_R8G8B8,          FAMILY_COLOR,           24,   0,   0,   8,   8,   8, kNo  },
  { D3DFMT_A8R8G8B8,        FAMILY_COLOR,           32,   0,   8,   8,   8,   8, kYes },
  { D3DFMT_X8R8G8B8,        FAMILY_COLOR,           32,   0,   0,   8,   8,   8, kYes },
  { D3DFMT_R5G6B5,          FAMILY_COLOR,           16,   0,   0,   5,   6,   5, kYes },
  { D3DFMT_X1R5G5B5,        FAMILY_COLOR,           16,   0,   0,   5,   5,   5, kYes },
  { D3DFMT_A8P8,            FAMILY_PALETTE,         16,   0,   8,   8,   8,   8, kYes },
  { D3DFMT_P8,              FAMILY_PALETTE,          8,   0,   8,   8,   8,   8, kYes },
  { D3DFMT_A1R5G5B5,        FAMILY_COLOR,           16,   0,   1,   5,   5,   5, kYes },
  { D3DFMT_A4R4G4B4,        FAMILY_COLOR,           16,   0,   4,   4,   4,   4, kYes },
  { D3DFMT_R3G3B2,          FAMILY_COLOR,            8,   0,   0,   3,   3,   2, kYes },
  { D3DFMT_A8,              FAMILY_COLOR,            8,   0,   8,   0,   0,   0, kYes },
  { D3DFMT_A8R3G3B2,        FAMILY_COLOR,           16,   0,   8,   3,   3,   2, kYes },
  { D3DFMT_X4R4G4B4,        FAMILY_COLOR,           16,   0,   0,   4,   4,   4, kYes },
  { D3DFMT_A2B10G10R10,     FAMILY_COLOR,           32,   0,   2,  10,  10,  10, kYes },
  { D3DFMT_A8B8G8R8,        FAMILY_COLOR,           32,   0,   8,   8,   8,   8, kYes },
  { D3DFMT_X8B8G8R8,        FAMILY_COLOR,           32,   0,   0,   8,   8,   8, kYes },
  { D3DFMT_G16R16,          FAMILY_COLOR,           32,   0,   0,  16,  16,   0, kYes },
  { D3DFMT_A2R10G10B10,     FAMILY_COLOR,           32,   0,   2,  10,  10,  10, kYes },
  { D3DFMT_A16B16G16R16,    FAMILY_COLOR,           64,   0,  16,  16,  16,  16, kYes },
  { D3DFMT_L8,              FAMILY_LUMINANCE,        8,   0,   0,   8,   8,   8, kYes },
  { D3DFMT_A8L8,            FAMILY_LUMINANCE,       16,   0,   8,   8,   8,   8, kYes },
  { D3DFMT_A4L4,            FAMILY_LUMINANCE,        8,   0,   4,   4,   4,   4, kYes },
  { D3DFMT_L16,             FAMILY_LUMINANCE,       16,   0,   0,  16,  16,  16, kYes },
  { D3DFMT_V8U8,            FAMILY_SIGNED,          16,   0,   0,   0,   8,   8, kYes },
  { D3DFMT_L6V5U5,          FAMILY_SIGNED,          16,   6,   0,   0,   5,   5, kYes },
  { D3DFMT_X8L8V8U8,        FAMILY_SIGNED,          32,   8,   0,   0,   8,   8, kYes },
  { D3DFMT_Q8W8V8U8,        FAMILY_SIGNED,          32,   0,   8,   8,   8,   8, kYes },
  { D3DFMT_V16U16,          FAMILY_SIGNED,          32,   0,   0,   0,  16,  16, kYes },
  { D3DFMT_A2W10V10U10,     FAMILY_SIGNED,          32,   2,   0,  10,  10,  10, kYes },
  { D3DFMT_Q16W16V16U16,    FAMILY_SIGNED,          64,   0,  16,  16,  16,  16, kYes },
  { D3DFMT_CxV8U8,          FAMILY_SIGNED,          16,   8,   0,   0,   8,   8, kNo  },
  { D3DFMT_UYVY,            FAMILY_COLOR,           16,   0,   0,   8,   8,   8, kNo  },
  { D3DFMT_R8G8_B8G8,       FAMILY_COLOR,           16,   0,   0,   8,   8,   8, kNo  },
  { D3DFMT_YUY2,            FAMILY_COLOR,           16,   0,   0,   8,   8,   8, kNo  },
  { D3DFMT_G8R8_G8B8,       FAMILY_COLOR,           16,   0,   0,   8,   8,   8, kNo  },
  { D3DFMT_DXT1,            FAMILY_COLOR,           16,   0,   1,   5,   6,   5, kNo  },
  { D3DFMT_DXT2,            FAMILY_COLOR,           16,   0,   4,   5,   6,   5, kNo  },
  { D3DFMT_DXT3,            FAMILY_COLOR,           16,   0,   4,   5,   6,   5, kNo  },
  { D3DFMT_DXT4,            FAMILY_COLOR,           16,   0,   8,   5,   6,   5, kNo  },
  { D3DFMT_DXT5,            FAMILY_COLOR,           16,   0,   8,   5,   6,   5, kNo  },
  { D3DFMT_D16_LOCKABLE,    FAMILY_DEPTH_STENCIL,   16,   1,   0,   0,   0,  16, kYes },
  { D3DFMT_D32F_LOCKABLE,   FAMILY_DEPTH_STENCIL,   32,   1,   0,   0,   0,  32, kNo  },
  { D3DFMT_D32,             FAMILY_DEPTH_STENCIL,   32,   0,   0,   0,   0,  32, kYes },
  { D3DFMT_D15S1,           FAMILY_DEPTH_STENCIL,   16,   0,   0,   0,   1,  15, kYes },
  { D3DFMT_D24S8,           FAMILY_DEPTH_STENCIL,   32,   0,   0,   0,   8,  24, kYes },
  { D3DFMT_D16,             FAMILY_DEPTH_STENCIL,   16,   0,   0,   0,   0,  16, kYes },
  { D3DFMT_D24X8,           FAMILY_DEPTH_STENCIL,   32,   0,   0,   0,   0,  24, kYes },
  { D3DFMT_D24X4S4,         FAMILY_DEPTH_STENCIL,   32,   0,   0,   0,   4,  24, kYes },
  { D3DFMT_D24FS8,          FAMILY_DEPTH_STENCIL,   32,   0,   0,   0,   8,  24, kNo  },
  { D3DFMT_R16F,            FAMILY_COLOR,           16,   0,   0,  16,   0,   0, kNo  },
  { D3DFMT_G16R16F,         FAMILY_COLOR,           32,   0,   0,  16,  16,   0, kNo  },
  { D3DFMT_A16B16G16R16F,   FAMILY_COLOR,           64,   0,  16,  16,  16,  16, kNo  },
  { D3DFMT_R32F,            FAMILY_COLOR,           32,   0,   0,  32,   0,   0, kNo  },
  { D3DFMT_G32R32F,         FAMILY_COLOR,           64,   0,   0,  32,  32,   0, kNo  },
  { D3DFMT_A32B32G32R32F,   FAMILY_COLOR,          128,   0,  32,  32,  32,  32, kNo  },
  { UT_FMT_A16L16,          FAMILY_LUMINANCE,       32,   0,  16,  16,  16,  16, kNo  },
  { UT_FMT_R16G16B16,       FAMILY_COLOR,           48,   0,   0,  16,  16,  16, kNo  },
}};
// clang-format on

static_assert(kCatalogue.size() == kPixelFormatCount, "one catalogue row per known format");

constexpr bool NoUnknownRow() {
  for (const PixelFormatInfo& info : kCatalogue) {
    if (info.format == D3DFMT_UNKNOWN) return false;
  }
  return true;
}
static_assert(NoUnknownRow(), "D3DFMT_UNKNOWN belongs only to g_unknownFormatInfo");

}  // namespace

const PixelFormatInfo g_unknownFormatInfo = {D3DFMT_UNKNOWN, FAMILY_COLOR, 32, 0, 8, 8, 8, 8, kNo};

std::span<const PixelFormatInfo, kPixelFormatCount> PixelFormatCatalogue() { return kCatalogue; }

const PixelFormatInfo* GetPixelFormatInfo(D3DFORMAT format) {
  for (const PixelFormatInfo& info : kCatalogue) {
    if (info.format == format) return &info;
  }
  return &g_unknownFormatInfo;
}
