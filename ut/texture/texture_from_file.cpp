// CreateTextureFromFileInMemoryCore: decode, settle the request, create, fill, hand over.
#include "ut/texture/texture_from_file.h"

#include "ut/image/decoded_image.h"
#include "ut/pixel/format_match.h"
#include "ut/pixel/pixel_format.h"
#include "ut/pixel/private_formats.h"
#include "ut/texture/texture_requirements.h"
#include "ut/texture/working_palette.h"
#include "ut_defaults.h"
#include "ut_surface.h"
#include "win32/com_ptr.h"

namespace {

// UT_DEFAULT and 0 round the file's size up to a power of two; UT_DEFAULT_NONPOW2 keeps it.
UINT SettleSize(UINT asked, UINT fileValue) {
  if (asked == UT_DEFAULT_NONPOW2) return fileValue;
  if (asked != UT_DEFAULT && asked != 0) return asked;
  if (fileValue >= 0x80000000u) return fileValue;  // no power of two above it fits
  UINT size = 1;
  while (size < fileValue) size <<= 1;
  return size;
}

UINT CountLevels(const DecodedImage& top) {
  UINT count = 1;
  for (const DecodedImage* r = top.nextLevel; r; r = r->nextLevel) ++count;
  return count;
}

UINT CountFaces(const DecodedImage& top) {
  UINT count = 1;
  for (const DecodedImage* r = top.nextFace; r; r = r->nextFace) ++count;
  return count;
}

// A colour key needs an alpha channel: the nearest catalogued format with one.
D3DFORMAT FormatForColorKey(D3DFORMAT fileFormat, DWORD usage, D3DRESOURCETYPE resourceType) {
  const PixelFormatInfo* info = GetPixelFormatInfo(fileFormat);
  const bool keyable = info->family == FAMILY_COLOR || info->family == FAMILY_PALETTE ||
                       info->family == FAMILY_LUMINANCE;
  if (info->format == D3DFMT_UNKNOWN || !keyable || info->alphaBits != 0) return fileFormat;
  PixelFormatInfo desired = *info;
  desired.format = D3DFMT_UNKNOWN;
  desired.alphaBits = 1;
  const D3DFORMAT keyed = FindClosestDeviceFormat(nullptr, usage, resourceType, desired);
  return keyed == D3DFMT_UNKNOWN ? fileFormat : keyed;
}

// The texture being created and, for unlockable pools, the system-memory one filled instead.
struct TextureRequest {
  D3DRESOURCETYPE type;
  UINT width, height, depth, mipLevels;
  D3DFORMAT format;
};

HRESULT CreateKind(IDirect3DDevice9* device, const TextureRequest& r, DWORD usage, D3DPOOL pool,
                   ComPtr<IDirect3DBaseTexture9>& out) {
  HRESULT hr;
  if (r.type == D3DRTYPE_TEXTURE) {
    IDirect3DTexture9* t = nullptr;
    hr = device->CreateTexture(r.width, r.height, r.mipLevels, usage, r.format, pool, &t, nullptr);
    out.Attach(t);
  } else if (r.type == D3DRTYPE_VOLUMETEXTURE) {
    IDirect3DVolumeTexture9* t = nullptr;
    hr = device->CreateVolumeTexture(r.width, r.height, r.depth, r.mipLevels, usage, r.format, pool,
                                     &t, nullptr);
    out.Attach(t);
  } else {
    IDirect3DCubeTexture9* t = nullptr;
    hr = device->CreateCubeTexture(r.width, r.mipLevels, usage, r.format, pool, &t, nullptr);
    out.Attach(t);
  }
  if (FAILED(hr)) out.Reset();
  return hr;
}

// The settings that every level conversion of one call shares.
struct LevelSource {
  const PALETTEENTRY* destPalette;
  const PALETTEENTRY* workingPalette;
  DWORD filter;
  D3DCOLOR colorKey;
};

// Converts the whole of `record` into level `level` of face `face` of `texture`.
HRESULT FillLevel(IDirect3DBaseTexture9* texture, D3DRESOURCETYPE type, UINT face, UINT level,
                  const DecodedImage& record, const LevelSource& s) {
  HRESULT hr;
  if (type == D3DRTYPE_VOLUMETEXTURE) {
    ComPtr<IDirect3DVolume9> volume;
    hr = static_cast<IDirect3DVolumeTexture9*>(texture)->GetVolumeLevel(level,
                                                                        volume.GetAddressOf());
    if (FAILED(hr)) return hr;
    return UtLoadVolumeFromMemory(volume.Get(), s.destPalette, nullptr, record.pixels,
                                  record.format, record.rowPitch, record.slicePitch,
                                  s.workingPalette, &record.box, s.filter, s.colorKey);
  }
  ComPtr<IDirect3DSurface9> surface;
  if (type == D3DRTYPE_TEXTURE)
    hr = static_cast<IDirect3DTexture9*>(texture)->GetSurfaceLevel(level, surface.GetAddressOf());
  else
    hr = static_cast<IDirect3DCubeTexture9*>(texture)->GetCubeMapSurface(
        static_cast<D3DCUBEMAP_FACES>(face), level, surface.GetAddressOf());
  if (FAILED(hr)) return hr;
  const RECT sourceRect = {static_cast<LONG>(record.box.Left), static_cast<LONG>(record.box.Top),
                           static_cast<LONG>(record.box.Right),
                           static_cast<LONG>(record.box.Bottom)};
  return UtLoadSurfaceFromMemory(surface.Get(), s.destPalette, nullptr, record.pixels,
                                 record.format, record.rowPitch, s.workingPalette, &sourceRect,
                                 s.filter, s.colorKey);
}

// Fills every face from the file's levels; below them, unless the mip filter builds them,
// every remaining level is resampled directly from the file's smallest level.
HRESULT FillFromFile(IDirect3DBaseTexture9* texture, D3DRESOURCETYPE type, UINT faces,
                     UINT fileLevels, bool buildByMipFilter, const DecodedImage& top,
                     const LevelSource& s) {
  const UINT textureLevels = texture->GetLevelCount();
  const DecodedImage* faceTop = &top;
  for (UINT face = 0; face < faces && faceTop; ++face, faceTop = faceTop->nextFace) {
    const DecodedImage* record = faceTop;
    UINT level = 0;
    for (; level < textureLevels && level < fileLevels; ++level) {
      if (HRESULT hr = FillLevel(texture, type, face, level, *record, s); FAILED(hr)) return hr;
      // A face with fewer levels than the first keeps converting from its smallest one.
      if (level + 1 < fileLevels && record->nextLevel) record = record->nextLevel;
    }
    if (buildByMipFilter) continue;
    for (; level < textureLevels; ++level)
      if (HRESULT hr = FillLevel(texture, type, face, level, *record, s); FAILED(hr)) return hr;
  }
  return S_OK;
}

}  // namespace

HRESULT CreateTextureFromFileInMemoryCore(IDirect3DDevice9* device, const void* data, UINT size,
                                          UINT width, UINT height, UINT depth, UINT mipLevels,
                                          DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                          DWORD mipFilter, D3DCOLOR colorKey, UtImageInfo* srcInfo,
                                          PALETTEENTRY* palette, D3DRESOURCETYPE resourceType,
                                          IDirect3DBaseTexture9** texture) {
  if (device == nullptr || data == nullptr || texture == nullptr || size == 0)
    return D3DERR_INVALIDCALL;
  if (resourceType != D3DRTYPE_TEXTURE && resourceType != D3DRTYPE_VOLUMETEXTURE &&
      resourceType != D3DRTYPE_CUBETEXTURE)
    return D3DERR_INVALIDCALL;

  DecodedImage image;
  HRESULT hr = image.Load(data, size, srcInfo, TRUE);
  if (FAILED(hr)) return hr;

  const UINT fileLevels = CountLevels(image);
  UINT faces = 1;
  if (resourceType == D3DRTYPE_CUBETEXTURE) {
    faces = CountFaces(image);
    if (faces != 6) return E_FAIL;
  }

  width = SettleSize(width, image.width);
  height = SettleSize(height, image.height);
  depth = SettleSize(depth, image.depth);

  if (filter == UT_DEFAULT) filter = UT_FILTER_TRIANGLE | UT_FILTER_DITHER;
  if (mipFilter == UT_DEFAULT) mipFilter = UT_FILTER_BOX;
  if (resourceType == D3DRTYPE_CUBETEXTURE) {
    filter |= UT_FILTER_MIRROR;
    mipFilter |= UT_FILTER_MIRROR;
  }
  const bool buildByMipFilter = (filter & 0xFF) == UT_FILTER_NONE ||
                                (mipFilter & 0xFF) == UT_FILTER_POINT ||
                                (mipFilter & 0xFF) == UT_FILTER_BOX;

  // With a palette, keying happens in the palette alone.
  const bool filePalettized = image.palette != nullptr;
  WorkingPalette working;
  if (filePalettized) {
    working = KeyedPalette(image.palette, colorKey);
    colorKey = 0;
    if (format != D3DFMT_P8 && image.format == D3DFMT_P8) {
      D3DFORMAT relabel = D3DFMT_UNKNOWN;
      if (IsGreyRamp(working))
        relabel = D3DFMT_L8;
      else if (IsR3G3B2Ramp(working))
        relabel = D3DFMT_R3G3B2;
      if (relabel != D3DFMT_UNKNOWN) {
        // Every level and face shares the file's palette, so all of them change together.
        for (DecodedImage* f = &image; f; f = f->nextFace)
          for (DecodedImage* l = f; l; l = l->nextLevel)
            if (l->format == D3DFMT_P8) l->format = relabel;
      }
    }
  } else {
    working = OpaqueWhitePalette();
  }

  if (format == D3DFMT_UNKNOWN) {
    D3DFORMAT f = image.format;
    if (colorKey != 0) f = FormatForColorKey(f, usage, resourceType);
    format = ToPublicFormat(f);
    if (pool != D3DPOOL_SCRATCH && format == D3DFMT_R8G8B8) format = D3DFMT_X8R8G8B8;
  }

  if (palette) {
    for (size_t i = 0; i < working.size(); ++i) palette[i] = working[i];
  }
  if (palette == nullptr || !filePalettized) {
    if (format == D3DFMT_A8P8)
      format = D3DFMT_A8R8G8B8;
    else if (format == D3DFMT_P8)
      format = HasTranslucentEntry(working) ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  }

  const bool stage = pool == D3DPOOL_DEFAULT && (usage & D3DUSAGE_DYNAMIC) == 0;

  hr = NegotiateTextureRequirements(device, &width, &height, &depth, &mipLevels, usage, &format,
                                    pool, resourceType);
  if (FAILED(hr)) return hr;

  const TextureRequest request{resourceType, width, height, depth, mipLevels, format};
  ComPtr<IDirect3DBaseTexture9> created;
  hr = CreateKind(device, request, CreationUsage(usage), pool, created);
  if (FAILED(hr)) return hr;
  ComPtr<IDirect3DBaseTexture9> staging;
  if (stage) {
    // A texture that builds its own sublevels takes only the top level from the staging copy.
    TextureRequest stagingRequest = request;
    if (usage & D3DUSAGE_AUTOGENMIPMAP) stagingRequest.mipLevels = 1;
    hr = CreateKind(device, stagingRequest, 0, D3DPOOL_SYSTEMMEM, staging);
    if (FAILED(hr)) return hr;
  }
  IDirect3DBaseTexture9* target = stage ? staging.Get() : created.Get();

  const LevelSource source{palette, working.data(), filter, colorKey};
  hr = FillFromFile(target, resourceType, faces, fileLevels, buildByMipFilter, image, source);
  if (FAILED(hr)) return hr;
  // The texture holds the file's pixels now; giving them back before the mip levels are built
  // keeps the call's peak memory near the texture's own size.
  image.ReleaseContents();

  if (buildByMipFilter && fileLevels < target->GetLevelCount()) {
    hr = UtFilterTexture(target, working.data(), fileLevels - 1, mipFilter);
    if (FAILED(hr)) return hr;
  }
  if (stage) {
    hr = device->UpdateTexture(staging.Get(), created.Get());
    if (FAILED(hr)) return hr;
  }
  *texture = created.Detach();
  return S_OK;
}
