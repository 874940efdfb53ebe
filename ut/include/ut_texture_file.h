// Textures from image files: 2D, cube and volume textures created on a device from a file
// path, a module resource or a file's bytes in memory, with every mip level filled.
//
// The short forms use the defaults: the file's size rounded up to powers of two, the file's
// format, the full mip chain, usage 0, D3DPOOL_MANAGED, UT_FILTER_TRIANGLE | UT_FILTER_DITHER
// for the file's levels and UT_FILTER_BOX for the levels built below them, no colour key.
// In the Ex forms a size of UT_DEFAULT or 0 asks for that rounded size, UT_DEFAULT_NONPOW2 for
// the file's exact size; D3DFMT_UNKNOWN takes the format from the file; UT_DEFAULT filters take
// the defaults above. ColorKey (A8R8G8B8, 0 = none) becomes transparent black. pSrcInfo and
// pPalette (256 entries) are optional; they are written before the texture is created and keep
// what was written even when the call fails afterwards.
// The out pointer receives one reference, owned by the caller, and is written only on success.
// Results: S_OK; D3DERR_INVALIDCALL for a null device, path, data or out pointer or 0 bytes;
// UTERR_INVALIDDATA for a file or resource that can't be opened or that no reader accepts;
// E_FAIL for a cube texture from a file without six faces; the negotiation's, the device's or
// the conversion's error otherwise.
#pragma once

#include "d3d9/d3d9.h"
#include "ut_defaults.h"
#include "ut_image.h"

// Texture kind.
HRESULT WINAPI UtCreateTextureFromFileA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile,
                                        IDirect3DTexture9** ppTexture);
HRESULT WINAPI UtCreateTextureFromFileW(IDirect3DDevice9* pDevice, LPCWSTR pSrcFile,
                                        IDirect3DTexture9** ppTexture);
HRESULT WINAPI UtCreateTextureFromFileExA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile, UINT Width,
                                          UINT Height, UINT MipLevels, DWORD Usage,
                                          D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                          DWORD MipFilter, D3DCOLOR ColorKey, UtImageInfo* pSrcInfo,
                                          PALETTEENTRY* pPalette, IDirect3DTexture9** ppTexture);
HRESULT WINAPI UtCreateTextureFromFileExW(IDirect3DDevice9* pDevice, LPCWSTR pSrcFile, UINT Width,
                                          UINT Height, UINT MipLevels, DWORD Usage,
                                          D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                          DWORD MipFilter, D3DCOLOR ColorKey, UtImageInfo* pSrcInfo,
                                          PALETTEENTRY* pPalette, IDirect3DTexture9** ppTexture);
HRESULT WINAPI UtCreateTextureFromResourceA(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                            LPCSTR pSrcResource, IDirect3DTexture9** ppTexture);
HRESULT WINAPI UtCreateTextureFromResourceW(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                            LPCWSTR pSrcResource, IDirect3DTexture9** ppTexture);
HRESULT WINAPI UtCreateTextureFromResourceExA(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                              LPCSTR pSrcResource, UINT Width, UINT Height,
                                              UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                              D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                              D3DCOLOR ColorKey, UtImageInfo* pSrcInfo,
                                              PALETTEENTRY* pPalette,
                                              IDirect3DTexture9** ppTexture);
HRESULT WINAPI UtCreateTextureFromResourceExW(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                              LPCWSTR pSrcResource, UINT Width, UINT Height,
                                              UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                              D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                              D3DCOLOR ColorKey, UtImageInfo* pSrcInfo,
                                              PALETTEENTRY* pPalette,
                                              IDirect3DTexture9** ppTexture);
HRESULT WINAPI UtCreateTextureFromFileInMemory(IDirect3DDevice9* pDevice, LPCVOID pSrcData,
                                               UINT SrcDataSize, IDirect3DTexture9** ppTexture);
HRESULT WINAPI UtCreateTextureFromFileInMemoryEx(IDirect3DDevice9* pDevice, LPCVOID pSrcData,
                                                 UINT SrcDataSize, UINT Width, UINT Height,
                                                 UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                                 D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                                 D3DCOLOR ColorKey, UtImageInfo* pSrcInfo,
                                                 PALETTEENTRY* pPalette,
                                                 IDirect3DTexture9** ppTexture);

// CubeTexture kind.
HRESULT WINAPI UtCreateCubeTextureFromFileA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile,
                                            IDirect3DCubeTexture9** ppCubeTexture);
HRESULT WINAPI UtCreateCubeTextureFromFileW(IDirect3DDevice9* pDevice, LPCWSTR pSrcFile,
                                            IDirect3DCubeTexture9** ppCubeTexture);
HRESULT WINAPI UtCreateCubeTextureFromFileExA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile, UINT Size,
                                              UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                              D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                              D3DCOLOR ColorKey, UtImageInfo* pSrcInfo,
                                              PALETTEENTRY* pPalette,
                                              IDirect3DCubeTexture9** ppCubeTexture);
HRESULT WINAPI UtCreateCubeTextureFromFileExW(IDirect3DDevice9* pDevice, LPCWSTR pSrcFile,
                                              UINT Size, UINT MipLevels, DWORD Usage,
                                              D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                              DWORD MipFilter, D3DCOLOR ColorKey,
                                              UtImageInfo* pSrcInfo, PALETTEENTRY* pPalette,
                                              IDirect3DCubeTexture9** ppCubeTexture);
HRESULT WINAPI UtCreateCubeTextureFromResourceA(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                                LPCSTR pSrcResource,
                                                IDirect3DCubeTexture9** ppCubeTexture);
HRESULT WINAPI UtCreateCubeTextureFromResourceW(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                                LPCWSTR pSrcResource,
                                                IDirect3DCubeTexture9** ppCubeTexture);
HRESULT WINAPI UtCreateCubeTextureFromResourceExA(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                                  LPCSTR pSrcResource, UINT Size, UINT MipLevels,
                                                  DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                                  DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                                  UtImageInfo* pSrcInfo, PALETTEENTRY* pPalette,
                                                  IDirect3DCubeTexture9** ppCubeTexture);
HRESULT WINAPI UtCreateCubeTextureFromResourceExW(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                                  LPCWSTR pSrcResource, UINT Size, UINT MipLevels,
                                                  DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                                  DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                                  UtImageInfo* pSrcInfo, PALETTEENTRY* pPalette,
                                                  IDirect3DCubeTexture9** ppCubeTexture);
HRESULT WINAPI UtCreateCubeTextureFromFileInMemory(IDirect3DDevice9* pDevice, LPCVOID pSrcData,
                                                   UINT SrcDataSize,
                                                   IDirect3DCubeTexture9** ppCubeTexture);
HRESULT WINAPI UtCreateCubeTextureFromFileInMemoryEx(
    IDirect3DDevice9* pDevice, LPCVOID pSrcData, UINT SrcDataSize, UINT Size, UINT MipLevels,
    DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
    UtImageInfo* pSrcInfo, PALETTEENTRY* pPalette, IDirect3DCubeTexture9** ppCubeTexture);

// VolumeTexture kind.
HRESULT WINAPI UtCreateVolumeTextureFromFileA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile,
                                              IDirect3DVolumeTexture9** ppVolumeTexture);
HRESULT WINAPI UtCreateVolumeTextureFromFileW(IDirect3DDevice9* pDevice, LPCWSTR pSrcFile,
                                              IDirect3DVolumeTexture9** ppVolumeTexture);
HRESULT WINAPI UtCreateVolumeTextureFromFileExA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile,
                                                UINT Width, UINT Height, UINT Depth, UINT MipLevels,
                                                DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                                DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                                UtImageInfo* pSrcInfo, PALETTEENTRY* pPalette,
                                                IDirect3DVolumeTexture9** ppVolumeTexture);
HRESULT WINAPI UtCreateVolumeTextureFromFileExW(IDirect3DDevice9* pDevice, LPCWSTR pSrcFile,
                                                UINT Width, UINT Height, UINT Depth, UINT MipLevels,
                                                DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                                DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                                UtImageInfo* pSrcInfo, PALETTEENTRY* pPalette,
                                                IDirect3DVolumeTexture9** ppVolumeTexture);
HRESULT WINAPI UtCreateVolumeTextureFromResourceA(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                                  LPCSTR pSrcResource,
                                                  IDirect3DVolumeTexture9** ppVolumeTexture);
HRESULT WINAPI UtCreateVolumeTextureFromResourceW(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                                  LPCWSTR pSrcResource,
                                                  IDirect3DVolumeTexture9** ppVolumeTexture);
HRESULT WINAPI UtCreateVolumeTextureFromResourceExA(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                                    LPCSTR pSrcResource, UINT Width, UINT Height,
                                                    UINT Depth, UINT MipLevels, DWORD Usage,
                                                    D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                                    DWORD MipFilter, D3DCOLOR ColorKey,
                                                    UtImageInfo* pSrcInfo, PALETTEENTRY* pPalette,
                                                    IDirect3DVolumeTexture9** ppVolumeTexture);
HRESULT WINAPI UtCreateVolumeTextureFromResourceExW(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                                    LPCWSTR pSrcResource, UINT Width, UINT Height,
                                                    UINT Depth, UINT MipLevels, DWORD Usage,
                                                    D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                                    DWORD MipFilter, D3DCOLOR ColorKey,
                                                    UtImageInfo* pSrcInfo, PALETTEENTRY* pPalette,
                                                    IDirect3DVolumeTexture9** ppVolumeTexture);
HRESULT WINAPI UtCreateVolumeTextureFromFileInMemory(IDirect3DDevice9* pDevice, LPCVOID pSrcData,
                                                     UINT SrcDataSize,
                                                     IDirect3DVolumeTexture9** ppVolumeTexture);
HRESULT WINAPI UtCreateVolumeTextureFromFileInMemoryEx(
    IDirect3DDevice9* pDevice, LPCVOID pSrcData, UINT SrcDataSize, UINT Width, UINT Height,
    UINT Depth, UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
    DWORD MipFilter, D3DCOLOR ColorKey, UtImageInfo* pSrcInfo, PALETTEENTRY* pPalette,
    IDirect3DVolumeTexture9** ppVolumeTexture);
