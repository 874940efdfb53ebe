// Surfaces and volumes: loading pixels from memory and from other surfaces or volumes, with
// format conversion and resampling, and filtering the mip levels of a texture.
#pragma once

#include "d3d9/d3d9.h"
#include "ut_defaults.h"

// Filter flags: the low 16 bits hold one filter type, bits 16 to 22 options; any higher bit
// makes the value invalid. UT_DEFAULT as a filter of the loading entry points means
// UT_FILTER_TRIANGLE | UT_FILTER_DITHER.
#define UT_FILTER_NONE 0x00000001u      // copy the overlapping top-left part, clear the rest
#define UT_FILTER_POINT 0x00000002u     // nearest source pixel
#define UT_FILTER_LINEAR 0x00000003u    // bilinear (trilinear for boxes) interpolation
#define UT_FILTER_TRIANGLE 0x00000004u  // average of the tent-interpolated source per pixel
#define UT_FILTER_BOX 0x00000005u       // 2x2 (2x2x2) averages for exact halving, else TRIANGLE
#define UT_FILTER_MIRROR_U 0x00010000u  // mirror at the left and right edges instead of wrapping
#define UT_FILTER_MIRROR_V 0x00020000u  // the same at the top and bottom edges
#define UT_FILTER_MIRROR_W 0x00040000u  // the same at the front and back edges
#define UT_FILTER_MIRROR 0x00070000u
#define UT_FILTER_DITHER 0x00080000u            // ordered dithering of the destination
#define UT_FILTER_DITHER_DIFFUSION 0x00100000u  // error-diffusion dithering of the destination
#define UT_FILTER_SRGB_IN 0x00200000u   // the source values are gamma encoded
#define UT_FILTER_SRGB_OUT 0x00400000u  // the destination values are to be gamma encoded
#define UT_FILTER_SRGB 0x00600000u

// Loads a rectangle of pixels from memory into a rectangle of a surface (null: all of it),
// converting the format and resampling with `Filter` (UT_DEFAULT: UT_FILTER_TRIANGLE |
// UT_FILTER_DITHER). `pSrcMemory` is the address of pixel (0, 0); `pSrcRect` selects the part
// to read and must lie inside the memory. `ColorKey` (A8R8G8B8 in the source's terms, 0 for
// none) becomes transparent black. The palettes (256 entries) serve palettized formats.
HRESULT UtLoadSurfaceFromMemory(IDirect3DSurface9* pDestSurface, const PALETTEENTRY* pDestPalette,
                                const RECT* pDestRect, const void* pSrcMemory, D3DFORMAT SrcFormat,
                                UINT SrcPitch, const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect,
                                DWORD Filter, D3DCOLOR ColorKey);

// The same for a box of a volume, with the source's row and slice pitches.
HRESULT UtLoadVolumeFromMemory(IDirect3DVolume9* pDestVolume, const PALETTEENTRY* pDestPalette,
                               const D3DBOX* pDestBox, const void* pSrcMemory, D3DFORMAT SrcFormat,
                               UINT SrcRowPitch, UINT SrcSlicePitch, const PALETTEENTRY* pSrcPalette,
                               const D3DBOX* pSrcBox, DWORD Filter, D3DCOLOR ColorKey);

// Loads a rectangle of one surface (null: all of it) into a rectangle of another, or of the
// same one (overlapping rectangles read the source as it was before). Equal sizes without a
// colour key may be copied by the device. D3DERR_DEVICELOST when the source is in
// D3DPOOL_DEFAULT of a device that is lost.
HRESULT UtLoadSurfaceFromSurface(IDirect3DSurface9* pDestSurface, const PALETTEENTRY* pDestPalette,
                                 const RECT* pDestRect, IDirect3DSurface9* pSrcSurface,
                                 const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect, DWORD Filter,
                                 D3DCOLOR ColorKey);

// The same for boxes of volumes.
HRESULT UtLoadVolumeFromVolume(IDirect3DVolume9* pDestVolume, const PALETTEENTRY* pDestPalette,
                               const D3DBOX* pDestBox, IDirect3DVolume9* pSrcVolume,
                               const PALETTEENTRY* pSrcPalette, const D3DBOX* pSrcBox, DWORD Filter,
                               D3DCOLOR ColorKey);

// Fills the levels below `SrcLevel` (UT_DEFAULT: 0) of a 2D, cube or volume texture from it,
// level after level. `Filter` UT_DEFAULT is UT_FILTER_BOX when every side of level 0 is a power
// of two, else UT_FILTER_TRIANGLE | UT_FILTER_DITHER; cube textures always mirror at their
// edges; gamma applies to both ends or to neither (UT_FILTER_SRGB_OUT asks for it). The
// palette serves both the source and the destination levels.
HRESULT UtFilterTexture(IDirect3DBaseTexture9* pBaseTexture, const PALETTEENTRY* pPalette, UINT SrcLevel,
                        DWORD Filter);
