#include "d3d9/runtime/format_support.h"

#include <cstdint>

#include "d3d9/runtime/format_layout.h"

namespace d3d9rt {
namespace {

enum : uint16_t {
  kTexture = 1 << 0,        // 2D and cube textures
  kVolume = 1 << 1,         // volume textures
  kPlain = 1 << 2,          // offscreen plain surfaces
  kRenderTarget = 1 << 3,   // render-target surfaces and textures
  kDepthStencil = 1 << 4,   // depth-stencil surfaces
  kAutoGen = 1 << 5,        // D3DUSAGE_AUTOGENMIPMAP
  kFilter = 1 << 6,         // D3DUSAGE_QUERY_FILTER
  kVertexTexture = 1 << 7,  // D3DUSAGE_QUERY_VERTEXTEXTURE
  kSrgbRead = 1 << 8,       // D3DUSAGE_QUERY_SRGBREAD
  kSrgbWrite = 1 << 9,      // D3DUSAGE_QUERY_SRGBWRITE
  kBlending = 1 << 10,      // D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING
  kLegacyBump = 1 << 11,    // D3DUSAGE_QUERY_LEGACYBUMPMAP
  kDisplay = 1 << 12,       // adapter format of a display mode
  kBackBuffer = 1 << 13,    // windowed back buffer
};

struct FormatSupport {
  D3DFORMAT format;
  uint16_t bits;
};

constexpr uint16_t kColor = kTexture | kVolume | kPlain | kFilter;
constexpr uint16_t kTarget = kRenderTarget | kAutoGen | kBlending;

// The default adapter, modelled on a typical Shader Model 3 card. Textures: the common 8-, 16-
// and 32-bit colour, luminance and signed formats, DXT1 to DXT5 and the 16- and 32-bit float
// formats. Not supported for any use: D3DFMT_R8G8B8, D3DFMT_P8, D3DFMT_A8P8 and the depth
// formats as textures; the four pair formats only as offscreen plain surfaces. A format absent
// from this table is not supported at all (outside D3DPOOL_SCRATCH).
constexpr FormatSupport kDefaultAdapter[] = {
    {D3DFMT_A8R8G8B8, kColor | kTarget | kSrgbRead | kSrgbWrite | kBackBuffer},
    {D3DFMT_X8R8G8B8, kColor | kTarget | kSrgbRead | kSrgbWrite | kDisplay | kBackBuffer},
    {D3DFMT_R5G6B5, kColor | kTarget | kDisplay | kBackBuffer},
    {D3DFMT_X1R5G5B5, kColor | kTarget | kDisplay | kBackBuffer},
    {D3DFMT_A1R5G5B5, kColor | kTarget | kBackBuffer},
    {D3DFMT_A4R4G4B4, kColor},
    {D3DFMT_R3G3B2, kColor},
    {D3DFMT_A8, kColor},
    {D3DFMT_A8R3G3B2, kColor},
    {D3DFMT_X4R4G4B4, kColor},
    {D3DFMT_A2B10G10R10, kColor | kTarget},
    {D3DFMT_A8B8G8R8, kColor},
    {D3DFMT_X8B8G8R8, kColor},
    {D3DFMT_G16R16, kColor | kTarget},
    {D3DFMT_A2R10G10B10, kColor | kTarget | kDisplay | kBackBuffer},
    {D3DFMT_A16B16G16R16, kColor | kTarget},
    {D3DFMT_L8, kColor | kSrgbRead},
    {D3DFMT_A8L8, kColor | kSrgbRead},
    {D3DFMT_A4L4, kColor},
    {D3DFMT_L16, kColor},
    {D3DFMT_V8U8, kColor | kLegacyBump},
    {D3DFMT_L6V5U5, kColor | kLegacyBump},
    {D3DFMT_X8L8V8U8, kColor | kLegacyBump},
    {D3DFMT_Q8W8V8U8, kColor},
    {D3DFMT_V16U16, kColor},
    {D3DFMT_A2W10V10U10, kColor},
    {D3DFMT_Q16W16V16U16, kColor},
    {D3DFMT_CxV8U8, kTexture | kPlain | kFilter},
    {D3DFMT_DXT1, kColor | kSrgbRead},
    {D3DFMT_DXT2, kColor | kSrgbRead},
    {D3DFMT_DXT3, kColor | kSrgbRead},
    {D3DFMT_DXT4, kColor | kSrgbRead},
    {D3DFMT_DXT5, kColor | kSrgbRead},
    // Float formats render and filter at 16 bits; 32-bit float is point-sampled only, but it is
    // what vertex texturing reads.
    {D3DFMT_R16F, kColor | kRenderTarget | kBlending},
    {D3DFMT_G16R16F, kColor | kRenderTarget | kBlending},
    {D3DFMT_A16B16G16R16F, kColor | kRenderTarget | kBlending},
    {D3DFMT_R32F, kTexture | kVolume | kPlain | kRenderTarget | kVertexTexture},
    {D3DFMT_G32R32F, kTexture | kVolume | kPlain | kRenderTarget},
    {D3DFMT_A32B32G32R32F, kTexture | kVolume | kPlain | kRenderTarget | kVertexTexture},
    {D3DFMT_YUY2, kPlain},
    {D3DFMT_UYVY, kPlain},
    {D3DFMT_R8G8_B8G8, kPlain},
    {D3DFMT_G8R8_G8B8, kPlain},
    {D3DFMT_D16_LOCKABLE, kDepthStencil},
    {D3DFMT_D16, kDepthStencil},
    {D3DFMT_D24S8, kDepthStencil},
    {D3DFMT_D24X8, kDepthStencil},
};

uint16_t SupportOf(D3DFORMAT format) {
  for (const FormatSupport& row : kDefaultAdapter) {
    if (row.format == format) return row.bits;
  }
  return 0;
}

bool IsTextureType(D3DRESOURCETYPE type) {
  return type == D3DRTYPE_TEXTURE || type == D3DRTYPE_CUBETEXTURE;
}

}  // namespace

HRESULT DefaultFormatSupport(const FormatQuery& query) {
  if (query.pool == D3DPOOL_SCRATCH) {
    return FindFormatLayout(query.format) ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  switch (query.type) {
    case D3DRTYPE_VERTEXBUFFER:
      return query.format == D3DFMT_VERTEXDATA ? D3D_OK : D3DERR_NOTAVAILABLE;
    case D3DRTYPE_INDEXBUFFER:
      return query.format == D3DFMT_INDEX16 || query.format == D3DFMT_INDEX32
                 ? D3D_OK
                 : D3DERR_NOTAVAILABLE;
    default:
      break;
  }
  const uint16_t have = SupportOf(query.format);
  const DWORD usage = query.usage;
  const bool target = usage & D3DUSAGE_RENDERTARGET;
  const bool depth = usage & D3DUSAGE_DEPTHSTENCIL;
  if ((target && depth) || (usage & D3DUSAGE_DMAP)) return D3DERR_NOTAVAILABLE;

  uint16_t need = 0;
  switch (query.type) {
    case D3DRTYPE_TEXTURE:
    case D3DRTYPE_CUBETEXTURE:
      // No depth textures on this adapter: depth formats lack kTexture.
      need = kTexture | (target ? kRenderTarget : 0) | (depth ? kDepthStencil : 0);
      break;
    case D3DRTYPE_VOLUMETEXTURE:
    case D3DRTYPE_VOLUME:
      if (target || depth) return D3DERR_NOTAVAILABLE;
      need = kVolume;
      break;
    case D3DRTYPE_SURFACE:
      need = target ? kRenderTarget : depth ? kDepthStencil : kPlain;
      break;
    default:
      return D3DERR_NOTAVAILABLE;
  }
  if (usage & D3DUSAGE_QUERY_FILTER) need |= kFilter;
  if (usage & D3DUSAGE_QUERY_VERTEXTEXTURE) need |= kVertexTexture;
  if (usage & D3DUSAGE_QUERY_SRGBREAD) need |= kSrgbRead;
  if (usage & D3DUSAGE_QUERY_SRGBWRITE) need |= kSrgbWrite;
  if (usage & D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING) need |= kBlending;
  if (usage & D3DUSAGE_QUERY_LEGACYBUMPMAP) need |= kLegacyBump;
  if ((have & need) != need) return D3DERR_NOTAVAILABLE;

  if (usage & D3DUSAGE_AUTOGENMIPMAP) {
    if (!IsTextureType(query.type)) return D3DERR_NOTAVAILABLE;
    if (!(have & kAutoGen)) return D3DOK_NOAUTOGEN;
  }
  return D3D_OK;
}

bool IsDisplayFormat(D3DFORMAT format) { return SupportOf(format) & kDisplay; }

bool IsBackBufferFormat(D3DFORMAT format) { return SupportOf(format) & kBackBuffer; }

bool CanGenerateMips(D3DFORMAT format) {
  const FormatLayout* layout = FindFormatLayout(format);
  return layout && layout->numeric == Numeric::kUnorm && (SupportOf(format) & kAutoGen);
}

}  // namespace d3d9rt
