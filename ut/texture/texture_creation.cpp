// Empty textures: negotiate the request with the device, then let the device create it.
#include "ut/texture/texture_requirements.h"
#include "ut_texture.h"

HRESULT WINAPI UtCreateTexture(IDirect3DDevice9* pDevice, UINT Width, UINT Height,
                               UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                               IDirect3DTexture9** ppTexture) {
  if (pDevice == nullptr || ppTexture == nullptr) return D3DERR_INVALIDCALL;
  if (Usage == UT_DEFAULT) Usage = 0;
  HRESULT hr = UtCheckTextureRequirements(pDevice, &Width, &Height, &MipLevels, Usage, &Format,
                                          Pool);
  if (FAILED(hr)) return hr;
  // Created into a local so that the caller's pointer is written only on success.
  IDirect3DTexture9* texture = nullptr;
  hr = pDevice->CreateTexture(Width, Height, MipLevels, CreationUsage(Usage), Format, Pool,
                              &texture, nullptr);
  if (FAILED(hr)) return hr;
  *ppTexture = texture;
  return S_OK;
}

HRESULT WINAPI UtCreateCubeTexture(IDirect3DDevice9* pDevice, UINT Size, UINT MipLevels,
                                   DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                   IDirect3DCubeTexture9** ppCubeTexture) {
  if (pDevice == nullptr || ppCubeTexture == nullptr) return D3DERR_INVALIDCALL;
  if (Usage == UT_DEFAULT) Usage = 0;
  HRESULT hr = UtCheckCubeTextureRequirements(pDevice, &Size, &MipLevels, Usage, &Format, Pool);
  if (FAILED(hr)) return hr;
  IDirect3DCubeTexture9* texture = nullptr;
  hr = pDevice->CreateCubeTexture(Size, MipLevels, CreationUsage(Usage), Format, Pool, &texture,
                                  nullptr);
  if (FAILED(hr)) return hr;
  *ppCubeTexture = texture;
  return S_OK;
}

HRESULT WINAPI UtCreateVolumeTexture(IDirect3DDevice9* pDevice, UINT Width, UINT Height,
                                     UINT Depth, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                     D3DPOOL Pool, IDirect3DVolumeTexture9** ppVolumeTexture) {
  if (pDevice == nullptr || ppVolumeTexture == nullptr) return D3DERR_INVALIDCALL;
  if (Usage == UT_DEFAULT) Usage = 0;
  HRESULT hr = UtCheckVolumeTextureRequirements(pDevice, &Width, &Height, &Depth, &MipLevels,
                                                Usage, &Format, Pool);
  if (FAILED(hr)) return hr;
  IDirect3DVolumeTexture9* texture = nullptr;
  hr = pDevice->CreateVolumeTexture(Width, Height, Depth, MipLevels, CreationUsage(Usage), Format,
                                    Pool, &texture, nullptr);
  if (FAILED(hr)) return hr;
  *ppVolumeTexture = texture;
  return S_OK;
}
