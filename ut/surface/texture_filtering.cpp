// UtFilterTexture: fills the lower mip levels of a texture from one of its levels through the
// conversion engine, level after level and face after face.
#include "ut/surface/filter_flags.h"
#include "ut/surface/pixel_converter.h"
#include "ut/surface/surface_lock.h"
#include "ut/surface/volume_lock.h"
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

// The source of a level: a locked level as the memory source of the engine, whose extent is
// its region as for any block in memory.
PixelBlockDesc AsSource(const PixelBlockDesc& locked) {
  PixelBlockDesc source = locked;
  source.extent = source.region;
  source.orderedDither = FALSE;
  source.errorDiffusion = FALSE;
  source.colorKey = 0;
  return source;
}

// Levels after `first` of one face, each from the level just made when cascading, else from
// `first`. Every level is locked once: the source level through one read lock for all the
// levels made from it, and a level just made is read for the next through the write lock that
// made it (a second, read-only lock may cost the runtime a copy of the whole level). The result
// is that of loading each level with UtLoadSurfaceFromSurface: levels of one texture differ in
// size, so no device copy applies, and they share their pool, so no device-lost check does.
template <class Level, class Lock>
HRESULT FilterLevels(UINT first, UINT count, const PALETTEENTRY* palette, DWORD filter, bool cascade,
                     HRESULT (*getLevel)(const TextureLevels&, UINT, UINT, ComPtr<Level>*),
                     const TextureLevels& levels, UINT face) {
  if (first + 1 >= count) return S_OK;  // the last level has nothing below it
  Lock locks[2];
  PixelBlockDesc descs[2] = {};
  UINT source = 0;
  {
    ComPtr<Level> level;
    HRESULT hr = getLevel(levels, face, first, &level);
    if (SUCCEEDED(hr)) hr = locks[0].Lock(&descs[0], level.Get(), palette, nullptr, 0, SURFACE_LOCK_READONLY);
    if (FAILED(hr)) return hr;
  }
  for (UINT index = first + 1; index < count; ++index) {
    const UINT target = cascade ? 1 - source : 1;
    ComPtr<Level> level;
    HRESULT hr = getLevel(levels, face, index, &level);
    if (SUCCEEDED(hr)) hr = locks[target].Lock(&descs[target], level.Get(), palette, nullptr, 0, 0);
    if (FAILED(hr)) return hr;
    PixelBlockDesc from = AsSource(descs[source]);
    PixelBlockDesc to = descs[target];
    PixelConverter converter;
    hr = converter.Convert(&to, &from, filter);
    if (FAILED(hr)) return hr;
    if (cascade) {
      locks[source].Unlock();
      source = target;
    } else {
      locks[target].Unlock();
    }
  }
  return S_OK;
}

HRESULT GetSurface(const TextureLevels& levels, UINT face, UINT level, ComPtr<IDirect3DSurface9>* out) {
  return levels.Surface(face, level, out);
}

HRESULT GetVolume(const TextureLevels& levels, UINT, UINT level, ComPtr<IDirect3DVolume9>* out) {
  return levels.Volume(level, out);
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
    const HRESULT hr =
        levels.IsVolume()
            ? FilterLevels<IDirect3DVolume9, VolumeLock>(first, count, pPalette, filter, cascade, &GetVolume, levels, face)
            : FilterLevels<IDirect3DSurface9, SurfaceLock>(first, count, pPalette, filter, cascade, &GetSurface, levels,
                                                           face);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}
