// UtFilterTexture: fills the lower mip levels of a texture from one of its levels through the
// conversion engine, level after level and face after face.
#include "ut/surface/filter_flags.h"
#include "ut_surface.h"
#include "win32/com_ptr.h"

namespace {

bool IsPowerOfTwo(UINT x) { return (x & (x - 1)) == 0; }

// The level interface of one kind of texture: a surface for 2D and cube textures, a volume for
// volume textures.
class TextureLevels {
 public:
  explicit TextureLevels(IDirect3DBaseTexture9* texture) : type_(texture->GetType()) {
    switch (type_) {
      case D3DRTYPE_TEXTURE:
        texture->QueryInterface(IID_IDirect3DTexture9, reinterpret_cast<void**>(plain_.GetAddressOf()));
        break;
      case D3DRTYPE_CUBETEXTURE:
        texture->QueryInterface(IID_IDirect3DCubeTexture9, reinterpret_cast<void**>(cube_.GetAddressOf()));
        break;
      case D3DRTYPE_VOLUMETEXTURE:
        texture->QueryInterface(IID_IDirect3DVolumeTexture9, reinterpret_cast<void**>(volume_.GetAddressOf()));
        break;
      default:
        break;
    }
  }
  bool Valid() const { return plain_ || cube_ || volume_; }
  bool IsCube() const { return static_cast<bool>(cube_); }
  bool IsVolume() const { return static_cast<bool>(volume_); }

  // Whether every side of level 0 is a power of two.
  HRESULT TopIsPowerOfTwo(bool* result) const {
    HRESULT hr;
    if (volume_) {
      D3DVOLUME_DESC desc{};
      hr = volume_->GetLevelDesc(0, &desc);
      *result = IsPowerOfTwo(desc.Width) && IsPowerOfTwo(desc.Height) && IsPowerOfTwo(desc.Depth);
    } else {
      D3DSURFACE_DESC desc{};
      hr = plain_ ? plain_->GetLevelDesc(0, &desc) : cube_->GetLevelDesc(0, &desc);
      *result = IsPowerOfTwo(desc.Width) && IsPowerOfTwo(desc.Height);
    }
    return hr;
  }

  HRESULT Surface(UINT face, UINT level, ComPtr<IDirect3DSurface9>* out) const {
    out->Reset();
    return plain_ ? plain_->GetSurfaceLevel(level, out->GetAddressOf())
                  : cube_->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), level, out->GetAddressOf());
  }
  HRESULT Volume(UINT level, ComPtr<IDirect3DVolume9>* out) const {
    out->Reset();
    return volume_->GetVolumeLevel(level, out->GetAddressOf());
  }

 private:
  D3DRESOURCETYPE type_;
  ComPtr<IDirect3DTexture9> plain_;
  ComPtr<IDirect3DCubeTexture9> cube_;
  ComPtr<IDirect3DVolumeTexture9> volume_;
};

// Levels after `first` of one face of a 2D or cube texture; each from the level just made when
// cascading, else from `first`.
HRESULT FilterSurfaceLevels(const TextureLevels& levels, UINT face, UINT first, UINT count,
                            const PALETTEENTRY* palette, DWORD filter, bool cascade) {
  ComPtr<IDirect3DSurface9> source;
  HRESULT hr = levels.Surface(face, first, &source);
  if (FAILED(hr)) return hr;
  for (UINT level = first + 1; level < count; ++level) {
    ComPtr<IDirect3DSurface9> destination;
    hr = levels.Surface(face, level, &destination);
    if (FAILED(hr)) return hr;
    hr = UtLoadSurfaceFromSurface(destination.Get(), palette, nullptr, source.Get(), palette, nullptr, filter, 0);
    if (FAILED(hr)) return hr;
    if (cascade) source = destination;
  }
  return S_OK;
}

HRESULT FilterVolumeLevels(const TextureLevels& levels, UINT first, UINT count, const PALETTEENTRY* palette,
                           DWORD filter, bool cascade) {
  ComPtr<IDirect3DVolume9> source;
  HRESULT hr = levels.Volume(first, &source);
  if (FAILED(hr)) return hr;
  for (UINT level = first + 1; level < count; ++level) {
    ComPtr<IDirect3DVolume9> destination;
    hr = levels.Volume(level, &destination);
    if (FAILED(hr)) return hr;
    hr = UtLoadVolumeFromVolume(destination.Get(), palette, nullptr, source.Get(), palette, nullptr, filter, 0);
    if (FAILED(hr)) return hr;
    if (cascade) source = destination;
  }
  return S_OK;
}

}  // namespace

HRESULT UtFilterTexture(IDirect3DBaseTexture9* pBaseTexture, const PALETTEENTRY* pPalette, UINT SrcLevel,
                        DWORD Filter) {
  if (pBaseTexture == nullptr) return D3DERR_INVALIDCALL;
  const TextureLevels levels(pBaseTexture);
  if (!levels.Valid()) return D3DERR_INVALIDCALL;

  DWORD filter = Filter;
  if (filter == UT_DEFAULT) {
    bool powerOfTwo = false;
    const HRESULT hr = levels.TopIsPowerOfTwo(&powerOfTwo);
    if (FAILED(hr)) return hr;
    filter = powerOfTwo ? UT_FILTER_BOX : (UT_FILTER_TRIANGLE | UT_FILTER_DITHER);
  }
  // A cube face's edges meet other faces, not its own opposite edge.
  if (levels.IsCube()) filter |= UT_FILTER_MIRROR;
  // The levels of one texture are gamma-encoded alike: both ends or neither.
  if (filter & UT_FILTER_SRGB_OUT) {
    filter |= UT_FILTER_SRGB;
  } else {
    filter &= ~UT_FILTER_SRGB;
  }
  if (!IsValidFilter(filter)) return D3DERR_INVALIDCALL;

  const UINT count = pBaseTexture->GetLevelCount();
  const UINT first = SrcLevel == UT_DEFAULT ? 0 : SrcLevel;
  if (first >= count) return D3DERR_INVALIDCALL;

  const DWORD type = filter & 0xFF;
  const bool cascade = type == UT_FILTER_POINT || type == UT_FILTER_BOX;
  const UINT faces = levels.IsCube() ? 6 : 1;
  for (UINT face = 0; face < faces; ++face) {
    const HRESULT hr = levels.IsVolume() ? FilterVolumeLevels(levels, first, count, pPalette, filter, cascade)
                                         : FilterSurfaceLevels(levels, face, first, count, pPalette, filter, cascade);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}
