#include "ut/image/decoded_image.h"

#include <cstdint>
#include <new>

#include "ut/image/image_readers.h"
#include "ut/image/numeric_locale.h"
#include "ut/pixel/private_formats.h"

DecodedImage::DecodedImage()
    : format(D3DFMT_UNKNOWN),
      pixels(nullptr),
      palette(nullptr),
      width(0),
      height(0),
      depth(0),
      box{},
      rowPitch(0),
      slicePitch(0),
      ownsPixels(FALSE),
      ownsPalette(FALSE),
      decodePixels(FALSE),
      resourceType(D3DRTYPE_TEXTURE),
      fileFormat(UT_IFF_BMP),
      nextLevel(nullptr),
      nextFace(nullptr) {}

DecodedImage::~DecodedImage() { ReleaseContents(); }

void DecodedImage::ReleaseContents() {
  if (pixels && ownsPixels) delete[] static_cast<const BYTE*>(pixels);
  if (palette && ownsPalette) delete[] palette;
  delete nextLevel;
  delete nextFace;
  pixels = nullptr;
  palette = nullptr;
  nextLevel = nullptr;
  nextFace = nullptr;
  ownsPixels = FALSE;
  ownsPalette = FALSE;
}

BYTE* DecodedImage::AllocatePixels(UINT bytesPerRow, UINT rows, UINT slices) {
  // Every size in the record is 32-bit, so a buffer whose size needs more is refused.
  const uint64_t bytes = uint64_t{bytesPerRow} * rows * slices;
  if (bytes == 0 || bytes > UINT32_MAX) return nullptr;
  BYTE* buffer = new (std::nothrow) BYTE[static_cast<size_t>(bytes)];
  if (!buffer) return nullptr;
  if (pixels && ownsPixels) delete[] static_cast<const BYTE*>(pixels);
  pixels = buffer;
  ownsPixels = TRUE;
  return buffer;
}

PALETTEENTRY* DecodedImage::AllocatePalette() {
  PALETTEENTRY* entries = new (std::nothrow) PALETTEENTRY[256];
  if (!entries) return nullptr;
  if (palette && ownsPalette) delete[] palette;
  palette = entries;
  ownsPalette = TRUE;
  return entries;
}

HRESULT DecodedImage::Load(const void* data, UINT size, UtImageInfo* info, BOOL decode) {
  if (!data || size == 0) return D3DERR_INVALIDCALL;
  if (!info && !decode) return S_OK;
  ReleaseContents();

  bool accepted = false;
  {
    const CNumericLocaleScope numbersInC;
    for (const ImageReader& reader : GetImageReaders()) {
      decodePixels = decode;
      resourceType = D3DRTYPE_TEXTURE;
      fileFormat = reader.fileFormat;
      if (SUCCEEDED(reader.read(*this, data, size))) {
        accepted = true;
        break;
      }
      // A refusal may leave partial state; the next reader starts from an empty record.
      ReleaseContents();
    }
  }
  if (!accepted) return UTERR_INVALIDDATA;

  if (info) {
    *info = UtImageInfo{};
    info->Width = width;
    info->Height = height;
    info->Depth = depth;
    info->MipLevels = 1;
    for (const DecodedImage* level = nextLevel; level; level = level->nextLevel) ++info->MipLevels;
    info->Format = ToPublicFormat(format);
    info->ResourceType = resourceType;
    info->ImageFileFormat = fileFormat;
  }
  for (DecodedImage* face = this; face; face = face->nextFace) {
    for (DecodedImage* level = face; level; level = level->nextLevel) {
      level->box = D3DBOX{0, 0, level->width, level->height, 0, level->depth};
    }
  }
  return S_OK;
}
