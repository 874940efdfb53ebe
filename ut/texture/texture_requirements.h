// Negotiation of a texture's size, depth, mip count and format with a device: the one core
// behind the three public checks, the empty-texture creators and the texture-from-file pipeline.
#pragma once

#include "d3d9/d3d9.h"

// The usage bits a texture request may carry.
inline constexpr DWORD kAcceptedTextureUsage =
    D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_SOFTWAREPROCESSING |
    D3DUSAGE_DYNAMIC | D3DUSAGE_AUTOGENMIPMAP | D3DUSAGE_DMAP | D3DUSAGE_QUERY_LEGACYBUMPMAP |
    D3DUSAGE_QUERY_SRGBREAD | D3DUSAGE_QUERY_FILTER | D3DUSAGE_QUERY_SRGBWRITE |
    D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING | D3DUSAGE_QUERY_VERTEXTEXTURE;

// The query bits steer the format search only; the device must not see them at creation.
inline constexpr DWORD kTextureUsageQueryBits =
    D3DUSAGE_QUERY_LEGACYBUMPMAP | D3DUSAGE_QUERY_SRGBREAD | D3DUSAGE_QUERY_FILTER |
    D3DUSAGE_QUERY_SRGBWRITE | D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING |
    D3DUSAGE_QUERY_VERTEXTEXTURE;

inline constexpr DWORD CreationUsage(DWORD usage) { return usage & ~kTextureUsageQueryBits; }

// Turns a request into values `device` can honour, for D3DRTYPE_TEXTURE, D3DRTYPE_VOLUMETEXTURE
// or D3DRTYPE_CUBETEXTURE. Each pointer may be null (the default is used and nothing is written
// back); for a cube texture `width` and `height` may be the same pointer, which then receives the
// edge length. The values are written back, width first and format last, only on S_OK.
//   - format: the device's closest supported format (D3DPOOL_SCRATCH: as asked, D3DFMT_UNKNOWN
//     becoming D3DFMT_A8R8G8B8); D3DERR_NOTAVAILABLE when none qualifies;
//   - size: 256 x 256 by default, within the device's limits and aspect ratio, raised to powers
//     of two where the device needs them, to multiples of 4 for block-compressed formats;
//   - mip levels: the full chain for 0 or UT_DEFAULT, capped at the full chain, 1 where the device
//     can't mipmap this texture, 0 when D3DUSAGE_AUTOGENMIPMAP leaves the sublevels to the device.
// D3DPOOL_SCRATCH textures ignore the device's caps entirely.
HRESULT NegotiateTextureRequirements(IDirect3DDevice9* device, UINT* width, UINT* height,
                                     UINT* depth, UINT* mipLevels, DWORD usage,
                                     D3DFORMAT* format, D3DPOOL pool,
                                     D3DRESOURCETYPE resourceType);
