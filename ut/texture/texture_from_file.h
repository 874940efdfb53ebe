// The one core behind every texture-from-file entry point: decode the file, settle size, format
// and level count, create the texture and fill each of its levels.
#pragma once

#include "d3d9/d3d9.h"
#include "ut_image.h"

// `resourceType` is D3DRTYPE_TEXTURE, D3DRTYPE_VOLUMETEXTURE or D3DRTYPE_CUBETEXTURE, and
// `texture` receives an IDirect3DTexture9, IDirect3DVolumeTexture9 or IDirect3DCubeTexture9
// with one reference owned by the caller, only on success. `srcInfo` and `palette` (256
// entries) are written as soon as they are known and keep their values on a later failure.
HRESULT CreateTextureFromFileInMemoryCore(IDirect3DDevice9* device, const void* data, UINT size,
                                          UINT width, UINT height, UINT depth, UINT mipLevels,
                                          DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                          DWORD mipFilter, D3DCOLOR colorKey, UtImageInfo* srcInfo,
                                          PALETTEENTRY* palette, D3DRESOURCETYPE resourceType,
                                          IDirect3DBaseTexture9** texture);
