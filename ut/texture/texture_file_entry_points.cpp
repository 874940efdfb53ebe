// The public texture-from-file family: every file and resource form opens its source, hands
// the bytes to its in-memory extended form and closes the source whatever the outcome; the short
// forms pass the defaults.
#include "ut/image/mapped_file.h"
#include "ut/image/resource_view.h"
#include "ut/texture/texture_from_file.h"
#include "ut_texture_file.h"

namespace {

// The source stays open until the core is done: the decoded image may point into its bytes.
template <class Source, class Load>
HRESULT WithSource(Source& source, HRESULT opened, Load load) {
  HRESULT hr = opened;
  if (SUCCEEDED(hr)) hr = load(source.data(), source.size());
  source.Close();
  return hr;
}

template <class Texture>
HRESULT Core(IDirect3DDevice9* device, LPCVOID data, UINT size, UINT width, UINT height, UINT depth,
             UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
             DWORD mipFilter, D3DCOLOR colorKey, UtImageInfo* srcInfo, PALETTEENTRY* palette,
             D3DRESOURCETYPE type, Texture** out) {
  if (out == nullptr) return D3DERR_INVALIDCALL;
  IDirect3DBaseTexture9* texture = nullptr;
  const HRESULT hr = CreateTextureFromFileInMemoryCore(
      device, data, size, width, height, depth, mipLevels, usage, format, pool, filter, mipFilter,
      colorKey, srcInfo, palette, type, &texture);
  if (FAILED(hr)) return hr;
  *out = static_cast<Texture*>(texture);
  return S_OK;
}

}  // namespace

// Texture kind.

HRESULT WINAPI UtCreateTextureFromFileInMemoryEx(IDirect3DDevice9* pDevice, LPCVOID pSrcData,
                                                 UINT SrcDataSize, UINT Width, UINT Height,
                                                 UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                                 D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                                 D3DCOLOR ColorKey, UtImageInfo* pSrcInfo,
                                                 PALETTEENTRY* pPalette,
                                                 IDirect3DTexture9** ppTexture) {
  return Core(pDevice, pSrcData, SrcDataSize, Width, Height, 1, MipLevels, Usage, Format, Pool,
              Filter, MipFilter, ColorKey, pSrcInfo, pPalette, D3DRTYPE_TEXTURE, ppTexture);
}

HRESULT WINAPI UtCreateTextureFromFileInMemory(IDirect3DDevice9* pDevice, LPCVOID pSrcData,
                                               UINT SrcDataSize, IDirect3DTexture9** ppTexture) {
  return UtCreateTextureFromFileInMemoryEx(pDevice, pSrcData, SrcDataSize, UT_DEFAULT, UT_DEFAULT,
                                           UT_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                           UT_DEFAULT, UT_DEFAULT, 0, nullptr, nullptr, ppTexture);
}

HRESULT WINAPI UtCreateTextureFromFileExA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile, UINT Width,
                                          UINT Height, UINT MipLevels, DWORD Usage,
                                          D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                          DWORD MipFilter, D3DCOLOR ColorKey, UtImageInfo* pSrcInfo,
                                          PALETTEENTRY* pPalette, IDirect3DTexture9** ppTexture) {
  if (pSrcFile == nullptr) return D3DERR_INVALIDCALL;
  MappedFile file;
  return WithSource(file, file.Open(pSrcFile, FALSE), [&](LPCVOID data, UINT size) {
    return UtCreateTextureFromFileInMemoryEx(pDevice, data, size, Width, Height, MipLevels, Usage,
                                             Format, Pool, Filter, MipFilter, ColorKey, pSrcInfo,
                                             pPalette, ppTexture);
  });
}

HRESULT WINAPI UtCreateTextureFromFileA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile,
                                        IDirect3DTexture9** ppTexture) {
  return UtCreateTextureFromFileExA(pDevice, pSrcFile, UT_DEFAULT, UT_DEFAULT, UT_DEFAULT, 0,
                                    D3DFMT_UNKNOWN, D3DPOOL_MANAGED, UT_DEFAULT, UT_DEFAULT, 0,
                                    nullptr, nullptr, ppTexture);
}

HRESULT WINAPI UtCreateTextureFromResourceExA(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                              LPCSTR pSrcResource, UINT Width, UINT Height,
                                              UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                              D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                              D3DCOLOR ColorKey, UtImageInfo* pSrcInfo,
                                              PALETTEENTRY* pPalette,
                                              IDirect3DTexture9** ppTexture) {
  ResourceView resource;
  return WithSource(
      resource, resource.Open(hSrcModule, pSrcResource, TRUE, FALSE), [&](LPCVOID data, UINT size) {
        return UtCreateTextureFromFileInMemoryEx(pDevice, data, size, Width, Height, MipLevels,
                                                 Usage, Format, Pool, Filter, MipFilter, ColorKey,
                                                 pSrcInfo, pPalette, ppTexture);
      });
}

HRESULT WINAPI UtCreateTextureFromResourceA(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                            LPCSTR pSrcResource, IDirect3DTexture9** ppTexture) {
  return UtCreateTextureFromResourceExA(pDevice, hSrcModule, pSrcResource, UT_DEFAULT, UT_DEFAULT,
                                        UT_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, UT_DEFAULT,
                                        UT_DEFAULT, 0, nullptr, nullptr, ppTexture);
}

HRESULT WINAPI UtCreateTextureFromFileExW(IDirect3DDevice9* pDevice, LPCWSTR pSrcFile, UINT Width,
                                          UINT Height, UINT MipLevels, DWORD Usage,
                                          D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                          DWORD MipFilter, D3DCOLOR ColorKey, UtImageInfo* pSrcInfo,
                                          PALETTEENTRY* pPalette, IDirect3DTexture9** ppTexture) {
  if (pSrcFile == nullptr) return D3DERR_INVALIDCALL;
  MappedFile file;
  return WithSource(file, file.Open(pSrcFile, TRUE), [&](LPCVOID data, UINT size) {
    return UtCreateTextureFromFileInMemoryEx(pDevice, data, size, Width, Height, MipLevels, Usage,
                                             Format, Pool, Filter, MipFilter, ColorKey, pSrcInfo,
                                             pPalette, ppTexture);
  });
}

HRESULT WINAPI UtCreateTextureFromFileW(IDirect3DDevice9* pDevice, LPCWSTR pSrcFile,
                                        IDirect3DTexture9** ppTexture) {
  return UtCreateTextureFromFileExW(pDevice, pSrcFile, UT_DEFAULT, UT_DEFAULT, UT_DEFAULT, 0,
                                    D3DFMT_UNKNOWN, D3DPOOL_MANAGED, UT_DEFAULT, UT_DEFAULT, 0,
                                    nullptr, nullptr, ppTexture);
}

HRESULT WINAPI UtCreateTextureFromResourceExW(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                              LPCWSTR pSrcResource, UINT Width, UINT Height,
                                              UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                              D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                              D3DCOLOR ColorKey, UtImageInfo* pSrcInfo,
                                              PALETTEENTRY* pPalette,
                                              IDirect3DTexture9** ppTexture) {
  ResourceView resource;
  return WithSource(
      resource, resource.Open(hSrcModule, pSrcResource, TRUE, TRUE), [&](LPCVOID data, UINT size) {
        return UtCreateTextureFromFileInMemoryEx(pDevice, data, size, Width, Height, MipLevels,
                                                 Usage, Format, Pool, Filter, MipFilter, ColorKey,
                                                 pSrcInfo, pPalette, ppTexture);
      });
}

HRESULT WINAPI UtCreateTextureFromResourceW(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                            LPCWSTR pSrcResource, IDirect3DTexture9** ppTexture) {
  return UtCreateTextureFromResourceExW(pDevice, hSrcModule, pSrcResource, UT_DEFAULT, UT_DEFAULT,
                                        UT_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, UT_DEFAULT,
                                        UT_DEFAULT, 0, nullptr, nullptr, ppTexture);
}

// CubeTexture kind.

HRESULT WINAPI UtCreateCubeTextureFromFileInMemoryEx(
    IDirect3DDevice9* pDevice, LPCVOID pSrcData, UINT SrcDataSize, UINT Size, UINT MipLevels,
    DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
    UtImageInfo* pSrcInfo, PALETTEENTRY* pPalette, IDirect3DCubeTexture9** ppCubeTexture) {
  return Core(pDevice, pSrcData, SrcDataSize, Size, Size, 1, MipLevels, Usage, Format, Pool, Filter,
              MipFilter, ColorKey, pSrcInfo, pPalette, D3DRTYPE_CUBETEXTURE, ppCubeTexture);
}

HRESULT WINAPI UtCreateCubeTextureFromFileInMemory(IDirect3DDevice9* pDevice, LPCVOID pSrcData,
                                                   UINT SrcDataSize,
                                                   IDirect3DCubeTexture9** ppCubeTexture) {
  return UtCreateCubeTextureFromFileInMemoryEx(
      pDevice, pSrcData, SrcDataSize, UT_DEFAULT, UT_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
      UT_DEFAULT, UT_DEFAULT, 0, nullptr, nullptr, ppCubeTexture);
}

HRESULT WINAPI UtCreateCubeTextureFromFileExA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile, UINT Size,
                                              UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                              D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                              D3DCOLOR ColorKey, UtImageInfo* pSrcInfo,
                                              PALETTEENTRY* pPalette,
                                              IDirect3DCubeTexture9** ppCubeTexture) {
  if (pSrcFile == nullptr) return D3DERR_INVALIDCALL;
  MappedFile file;
  return WithSource(file, file.Open(pSrcFile, FALSE), [&](LPCVOID data, UINT size) {
    return UtCreateCubeTextureFromFileInMemoryEx(pDevice, data, size, Size, MipLevels, Usage,
                                                 Format, Pool, Filter, MipFilter, ColorKey,
                                                 pSrcInfo, pPalette, ppCubeTexture);
  });
}

HRESULT WINAPI UtCreateCubeTextureFromFileA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile,
                                            IDirect3DCubeTexture9** ppCubeTexture) {
  return UtCreateCubeTextureFromFileExA(pDevice, pSrcFile, UT_DEFAULT, UT_DEFAULT, 0,
                                        D3DFMT_UNKNOWN, D3DPOOL_MANAGED, UT_DEFAULT, UT_DEFAULT, 0,
                                        nullptr, nullptr, ppCubeTexture);
}

HRESULT WINAPI UtCreateCubeTextureFromResourceExA(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                                  LPCSTR pSrcResource, UINT Size, UINT MipLevels,
                                                  DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                                  DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                                  UtImageInfo* pSrcInfo, PALETTEENTRY* pPalette,
                                                  IDirect3DCubeTexture9** ppCubeTexture) {
  ResourceView resource;
  return WithSource(
      resource, resource.Open(hSrcModule, pSrcResource, TRUE, FALSE), [&](LPCVOID data, UINT size) {
        return UtCreateCubeTextureFromFileInMemoryEx(pDevice, data, size, Size, MipLevels, Usage,
                                                     Format, Pool, Filter, MipFilter, ColorKey,
                                                     pSrcInfo, pPalette, ppCubeTexture);
      });
}

HRESULT WINAPI UtCreateCubeTextureFromResourceA(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                                LPCSTR pSrcResource,
                                                IDirect3DCubeTexture9** ppCubeTexture) {
  return UtCreateCubeTextureFromResourceExA(
      pDevice, hSrcModule, pSrcResource, UT_DEFAULT, UT_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
      UT_DEFAULT, UT_DEFAULT, 0, nullptr, nullptr, ppCubeTexture);
}

HRESULT WINAPI UtCreateCubeTextureFromFileExW(IDirect3DDevice9* pDevice, LPCWSTR pSrcFile,
                                              UINT Size, UINT MipLevels, DWORD Usage,
                                              D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                              DWORD MipFilter, D3DCOLOR ColorKey,
                                              UtImageInfo* pSrcInfo, PALETTEENTRY* pPalette,
                                              IDirect3DCubeTexture9** ppCubeTexture) {
  if (pSrcFile == nullptr) return D3DERR_INVALIDCALL;
  MappedFile file;
  return WithSource(file, file.Open(pSrcFile, TRUE), [&](LPCVOID data, UINT size) {
    return UtCreateCubeTextureFromFileInMemoryEx(pDevice, data, size, Size, MipLevels, Usage,
                                                 Format, Pool, Filter, MipFilter, ColorKey,
                                                 pSrcInfo, pPalette, ppCubeTexture);
  });
}

HRESULT WINAPI UtCreateCubeTextureFromFileW(IDirect3DDevice9* pDevice, LPCWSTR pSrcFile,
                                            IDirect3DCubeTexture9** ppCubeTexture) {
  return UtCreateCubeTextureFromFileExW(pDevice, pSrcFile, UT_DEFAULT, UT_DEFAULT, 0,
                                        D3DFMT_UNKNOWN, D3DPOOL_MANAGED, UT_DEFAULT, UT_DEFAULT, 0,
                                        nullptr, nullptr, ppCubeTexture);
}

HRESULT WINAPI UtCreateCubeTextureFromResourceExW(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                                  LPCWSTR pSrcResource, UINT Size, UINT MipLevels,
                                                  DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                                  DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                                  UtImageInfo* pSrcInfo, PALETTEENTRY* pPalette,
                                                  IDirect3DCubeTexture9** ppCubeTexture) {
  ResourceView resource;
  return WithSource(
      resource, resource.Open(hSrcModule, pSrcResource, TRUE, TRUE), [&](LPCVOID data, UINT size) {
        return UtCreateCubeTextureFromFileInMemoryEx(pDevice, data, size, Size, MipLevels, Usage,
                                                     Format, Pool, Filter, MipFilter, ColorKey,
                                                     pSrcInfo, pPalette, ppCubeTexture);
      });
}

HRESULT WINAPI UtCreateCubeTextureFromResourceW(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                                LPCWSTR pSrcResource,
                                                IDirect3DCubeTexture9** ppCubeTexture) {
  return UtCreateCubeTextureFromResourceExW(
      pDevice, hSrcModule, pSrcResource, UT_DEFAULT, UT_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
      UT_DEFAULT, UT_DEFAULT, 0, nullptr, nullptr, ppCubeTexture);
}

// VolumeTexture kind.

HRESULT WINAPI UtCreateVolumeTextureFromFileInMemoryEx(
    IDirect3DDevice9* pDevice, LPCVOID pSrcData, UINT SrcDataSize, UINT Width, UINT Height,
    UINT Depth, UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
    DWORD MipFilter, D3DCOLOR ColorKey, UtImageInfo* pSrcInfo, PALETTEENTRY* pPalette,
    IDirect3DVolumeTexture9** ppVolumeTexture) {
  return Core(pDevice, pSrcData, SrcDataSize, Width, Height, Depth, MipLevels, Usage, Format, Pool,
              Filter, MipFilter, ColorKey, pSrcInfo, pPalette, D3DRTYPE_VOLUMETEXTURE,
              ppVolumeTexture);
}

HRESULT WINAPI UtCreateVolumeTextureFromFileInMemory(IDirect3DDevice9* pDevice, LPCVOID pSrcData,
                                                     UINT SrcDataSize,
                                                     IDirect3DVolumeTexture9** ppVolumeTexture) {
  return UtCreateVolumeTextureFromFileInMemoryEx(pDevice, pSrcData, SrcDataSize, UT_DEFAULT,
                                                 UT_DEFAULT, UT_DEFAULT, UT_DEFAULT, 0,
                                                 D3DFMT_UNKNOWN, D3DPOOL_MANAGED, UT_DEFAULT,
                                                 UT_DEFAULT, 0, nullptr, nullptr, ppVolumeTexture);
}

HRESULT WINAPI UtCreateVolumeTextureFromFileExA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile,
                                                UINT Width, UINT Height, UINT Depth, UINT MipLevels,
                                                DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                                DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                                UtImageInfo* pSrcInfo, PALETTEENTRY* pPalette,
                                                IDirect3DVolumeTexture9** ppVolumeTexture) {
  if (pSrcFile == nullptr) return D3DERR_INVALIDCALL;
  MappedFile file;
  return WithSource(file, file.Open(pSrcFile, FALSE), [&](LPCVOID data, UINT size) {
    return UtCreateVolumeTextureFromFileInMemoryEx(
        pDevice, data, size, Width, Height, Depth, MipLevels, Usage, Format, Pool, Filter,
        MipFilter, ColorKey, pSrcInfo, pPalette, ppVolumeTexture);
  });
}

HRESULT WINAPI UtCreateVolumeTextureFromFileA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile,
                                              IDirect3DVolumeTexture9** ppVolumeTexture) {
  return UtCreateVolumeTextureFromFileExA(
      pDevice, pSrcFile, UT_DEFAULT, UT_DEFAULT, UT_DEFAULT, UT_DEFAULT, 0, D3DFMT_UNKNOWN,
      D3DPOOL_MANAGED, UT_DEFAULT, UT_DEFAULT, 0, nullptr, nullptr, ppVolumeTexture);
}

HRESULT WINAPI UtCreateVolumeTextureFromResourceExA(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                                    LPCSTR pSrcResource, UINT Width, UINT Height,
                                                    UINT Depth, UINT MipLevels, DWORD Usage,
                                                    D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                                    DWORD MipFilter, D3DCOLOR ColorKey,
                                                    UtImageInfo* pSrcInfo, PALETTEENTRY* pPalette,
                                                    IDirect3DVolumeTexture9** ppVolumeTexture) {
  ResourceView resource;
  return WithSource(resource, resource.Open(hSrcModule, pSrcResource, TRUE, FALSE),
                    [&](LPCVOID data, UINT size) {
                      return UtCreateVolumeTextureFromFileInMemoryEx(
                          pDevice, data, size, Width, Height, Depth, MipLevels, Usage, Format, Pool,
                          Filter, MipFilter, ColorKey, pSrcInfo, pPalette, ppVolumeTexture);
                    });
}

HRESULT WINAPI UtCreateVolumeTextureFromResourceA(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                                  LPCSTR pSrcResource,
                                                  IDirect3DVolumeTexture9** ppVolumeTexture) {
  return UtCreateVolumeTextureFromResourceExA(pDevice, hSrcModule, pSrcResource, UT_DEFAULT,
                                              UT_DEFAULT, UT_DEFAULT, UT_DEFAULT, 0, D3DFMT_UNKNOWN,
                                              D3DPOOL_MANAGED, UT_DEFAULT, UT_DEFAULT, 0, nullptr,
                                              nullptr, ppVolumeTexture);
}

HRESULT WINAPI UtCreateVolumeTextureFromFileExW(IDirect3DDevice9* pDevice, LPCWSTR pSrcFile,
                                                UINT Width, UINT Height, UINT Depth, UINT MipLevels,
                                                DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                                DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                                UtImageInfo* pSrcInfo, PALETTEENTRY* pPalette,
                                                IDirect3DVolumeTexture9** ppVolumeTexture) {
  if (pSrcFile == nullptr) return D3DERR_INVALIDCALL;
  MappedFile file;
  return WithSource(file, file.Open(pSrcFile, TRUE), [&](LPCVOID data, UINT size) {
    return UtCreateVolumeTextureFromFileInMemoryEx(
        pDevice, data, size, Width, Height, Depth, MipLevels, Usage, Format, Pool, Filter,
        MipFilter, ColorKey, pSrcInfo, pPalette, ppVolumeTexture);
  });
}

HRESULT WINAPI UtCreateVolumeTextureFromFileW(IDirect3DDevice9* pDevice, LPCWSTR pSrcFile,
                                              IDirect3DVolumeTexture9** ppVolumeTexture) {
  return UtCreateVolumeTextureFromFileExW(
      pDevice, pSrcFile, UT_DEFAULT, UT_DEFAULT, UT_DEFAULT, UT_DEFAULT, 0, D3DFMT_UNKNOWN,
      D3DPOOL_MANAGED, UT_DEFAULT, UT_DEFAULT, 0, nullptr, nullptr, ppVolumeTexture);
}

HRESULT WINAPI UtCreateVolumeTextureFromResourceExW(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                                    LPCWSTR pSrcResource, UINT Width, UINT Height,
                                                    UINT Depth, UINT MipLevels, DWORD Usage,
                                                    D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                                    DWORD MipFilter, D3DCOLOR ColorKey,
                                                    UtImageInfo* pSrcInfo, PALETTEENTRY* pPalette,
                                                    IDirect3DVolumeTexture9** ppVolumeTexture) {
  ResourceView resource;
  return WithSource(resource, resource.Open(hSrcModule, pSrcResource, TRUE, TRUE),
                    [&](LPCVOID data, UINT size) {
                      return UtCreateVolumeTextureFromFileInMemoryEx(
                          pDevice, data, size, Width, Height, Depth, MipLevels, Usage, Format, Pool,
                          Filter, MipFilter, ColorKey, pSrcInfo, pPalette, ppVolumeTexture);
                    });
}

HRESULT WINAPI UtCreateVolumeTextureFromResourceW(IDirect3DDevice9* pDevice, HMODULE hSrcModule,
                                                  LPCWSTR pSrcResource,
                                                  IDirect3DVolumeTexture9** ppVolumeTexture) {
  return UtCreateVolumeTextureFromResourceExW(pDevice, hSrcModule, pSrcResource, UT_DEFAULT,
                                              UT_DEFAULT, UT_DEFAULT, UT_DEFAULT, 0, D3DFMT_UNKNOWN,
                                              D3DPOOL_MANAGED, UT_DEFAULT, UT_DEFAULT, 0, nullptr,
                                              nullptr, ppVolumeTexture);
}
