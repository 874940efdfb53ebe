// Image files: the description of an image file that the library reports, and the file formats
// its readers recognise.
#pragma once

#include "d3d9/d3d9.h"

// Data that no reader accepts, or a file or resource that can't be opened.
#define UTERR_INVALIDDATA ((HRESULT)0x88760B59u)

// The file format of an image, as the reader that accepted it reports it.
enum UtImageFileFormat {
  UT_IFF_BMP = 0,
  UT_IFF_JPG = 1,
  UT_IFF_TGA = 2,
  UT_IFF_PNG = 3,
  UT_IFF_DDS = 4,
  UT_IFF_PPM = 5,
  UT_IFF_DIB = 6,
  UT_IFF_HDR = 7,
  UT_IFF_PFM = 8,
  UT_IFF_FORCE_DWORD = 0x7fffffff
};

// What an image file holds: the size of its top level, its level count, the format of its
// pixels, the kind of texture it describes and the file format it was read as.
struct UtImageInfo {
  UINT Width;
  UINT Height;
  UINT Depth;
  UINT MipLevels;
  D3DFORMAT Format;
  D3DRESOURCETYPE ResourceType;
  UtImageFileFormat ImageFileFormat;
};

static_assert(sizeof(UtImageFileFormat) == 4 && sizeof(UtImageInfo) == 28);
