// The conversions that fill a texture's levels, as the surface subsystem provides them.
#pragma once

#include "d3d9/d3d9.h"

HRESULT WINAPI UtLoadSurfaceFromMemory(IDirect3DSurface9* pDestSurface,
                                       const PALETTEENTRY* pDestPalette, const RECT* pDestRect,
                                       LPCVOID pSrcMemory, D3DFORMAT SrcFormat, UINT SrcPitch,
                                       const PALETTEENTRY* pSrcPalette, const RECT* pSrcRect,
                                       DWORD Filter, D3DCOLOR ColorKey);
HRESULT WINAPI UtLoadVolumeFromMemory(IDirect3DVolume9* pDestVolume,
                                      const PALETTEENTRY* pDestPalette, const D3DBOX* pDestBox,
                                      LPCVOID pSrcMemory, D3DFORMAT SrcFormat, UINT SrcRowPitch,
                                      UINT SrcSlicePitch, const PALETTEENTRY* pSrcPalette,
                                      const D3DBOX* pSrcBox, DWORD Filter, D3DCOLOR ColorKey);
HRESULT WINAPI UtFilterTexture(IDirect3DBaseTexture9* pBaseTexture, const PALETTEENTRY* pPalette,
                               UINT SrcLevel, DWORD Filter);
