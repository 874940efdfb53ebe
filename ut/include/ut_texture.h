// Texture requirements and creation: turning what a caller asks for into what a device can
// create, and creating empty 2D, cube and volume textures.
//
// Every size, depth, mip count and usage may be UT_DEFAULT; a null in/out pointer means the same
// for its value, and nothing is written through it. The checks write back only on success.
// Results: S_OK; D3DERR_INVALIDCALL for a null device or out pointer, an unknown usage bit, a pool
// outside D3DPOOL_DEFAULT..D3DPOOL_SCRATCH, or a size too large for the format's rules;
// D3DERR_NOTAVAILABLE when the device supports no catalogued format for the use; the device's own
// error when it refuses to report its caps or to create the texture.
#pragma once

#include "d3d9/d3d9.h"
#include "ut_defaults.h"

// Negotiates size, mip count and format of a 2D texture. The default size is 256 x 256, the
// default mip count the full chain (0 levels with D3DUSAGE_AUTOGENMIPMAP).
HRESULT WINAPI UtCheckTextureRequirements(IDirect3DDevice9* pDevice, UINT* pWidth, UINT* pHeight,
                                          UINT* pNumMipLevels, DWORD Usage, D3DFORMAT* pFormat,
                                          D3DPOOL Pool);

// The same for a cube texture; *pSize is the edge length of every face.
HRESULT WINAPI UtCheckCubeTextureRequirements(IDirect3DDevice9* pDevice, UINT* pSize,
                                              UINT* pNumMipLevels, DWORD Usage,
                                              D3DFORMAT* pFormat, D3DPOOL Pool);

// The same for a volume texture; the default depth is 1.
HRESULT WINAPI UtCheckVolumeTextureRequirements(IDirect3DDevice9* pDevice, UINT* pWidth,
                                                UINT* pHeight, UINT* pDepth,
                                                UINT* pNumMipLevels, DWORD Usage,
                                                D3DFORMAT* pFormat, D3DPOOL Pool);

// Create an empty texture with the negotiated values. The out pointer receives one reference,
// owned by the caller, and is written only on success.
HRESULT WINAPI UtCreateTexture(IDirect3DDevice9* pDevice, UINT Width, UINT Height,
                               UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                               IDirect3DTexture9** ppTexture);

HRESULT WINAPI UtCreateCubeTexture(IDirect3DDevice9* pDevice, UINT Size, UINT MipLevels,
                                   DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                   IDirect3DCubeTexture9** ppCubeTexture);

HRESULT WINAPI UtCreateVolumeTexture(IDirect3DDevice9* pDevice, UINT Width, UINT Height,
                                     UINT Depth, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                     D3DPOOL Pool, IDirect3DVolumeTexture9** ppVolumeTexture);
