// DecodedImage: one decoded level of one face of an image file, linked to the file's other
// levels and faces. Load finds the reader that accepts a file's bytes and fills the record.
#pragma once

#include "ut_image.h"

struct DecodedImage {
  D3DFORMAT format;
  const void* pixels;           // first byte of the first row of the first slice
  const PALETTEENTRY* palette;  // 256 entries for palettized formats, else null
  UINT width;
  UINT height;
  UINT depth;
  D3DBOX box;       // the region the caller uses; Load sets it to the whole image
  UINT rowPitch;    // bytes between rows (block-compressed formats: between rows of blocks)
  UINT slicePitch;  // bytes between slices; 0 for images of one slice
  BOOL ownsPixels;  // pixels were allocated by the reader; otherwise they point into the input
  BOOL ownsPalette;
  BOOL decodePixels;  // false asks the reader for the header only
  D3DRESOURCETYPE resourceType;
  UtImageFileFormat fileFormat;
  DecodedImage* nextLevel;  // next smaller level of the same face, owned
  DecodedImage* nextFace;   // level 0 of the next cube face, owned; set on a face's first level

  DecodedImage();
  ~DecodedImage();
  DecodedImage(const DecodedImage&) = delete;
  DecodedImage& operator=(const DecodedImage&) = delete;

  // Decodes the image file of `size` bytes at `data`, trying every reader in the fixed order
  // until one accepts it; fills `info` when given. With `decodePixels` false only the header
  // is asked for. Owned-false pointers refer into `data`, which must outlive the record.
  // Whatever the record held before is released first. S_OK, D3DERR_INVALIDCALL or
  // UTERR_INVALIDDATA; after a failure the record is empty and `info` untouched.
  HRESULT Load(const void* data, UINT size, UtImageInfo* info, BOOL decodePixels);

  // The readers. Each takes the whole file; a negative result means "not mine".
  HRESULT ReadJpeg(const void* data, UINT size);

  // For readers: allocates rowPitch x rows x slices bytes of owned pixels. Null when the size
  // does not fit in 32 bits or memory is short. Owned buffers must come from these two
  // helpers, which match the release in ReleaseContents.
  BYTE* AllocatePixels(UINT rowPitch, UINT rows, UINT slices = 1);
  // For readers: allocates an owned palette of 256 entries; null when memory is short.
  PALETTEENTRY* AllocatePalette();

  // Frees what the record owns (pixels, palette, chained records) and clears those pointers and
  // the owns flags; the size and format fields are left as they are.
  void ReleaseContents();
};
