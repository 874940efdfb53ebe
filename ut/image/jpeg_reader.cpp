// ReadJpeg: baseline and progressive JPEG through libjpeg's decompression API. One-component
// files become D3DFMT_L8, three-component files D3DFMT_X8R8G8B8; others (CMYK, YCCK) are refused.

#include <cstdint>

#include "ut/image/decoded_image.h"
#include "ut/image/jpeg_errors.h"
#include "ut/image/jpeg_source.h"
#include "ut/image/xrgb_row.h"
#include "ut/math/mmx_test.h"

namespace {

// Everything between the header and the last row. Runs under ReadJpeg's jump point, so it
// holds nothing that needs destruction: a libjpeg error leaves it by longjmp.
HRESULT Decompress(j_decompress_ptr cinfo, DecodedImage& image) {
  jpeg_read_header(cinfo, TRUE);
  // The accurate inverse DCT is slow without MMX; the fast integer one is good enough there.
  if (!IsMmxAvailable()) cinfo->dct_method = JDCT_IFAST;

  // The output size is known before jpeg_start_decompress, which may allocate a whole-image
  // coefficient buffer for progressive files: refuse what could never be stored first.
  jpeg_calc_output_dimensions(cinfo);
  D3DFORMAT format;
  UINT bytesPerPixel;
  switch (cinfo->output_components) {
    case 1: format = D3DFMT_L8; bytesPerPixel = 1; break;
    case 3: format = D3DFMT_X8R8G8B8; bytesPerPixel = 4; break;
    default: return E_FAIL;
  }
  const UINT width = cinfo->output_width;
  const UINT height = cinfo->output_height;
  if (uint64_t{width} * bytesPerPixel * height > UINT32_MAX) return E_FAIL;

  jpeg_start_decompress(cinfo);
  image.format = format;
  image.width = cinfo->output_width;
  image.height = cinfo->output_height;
  image.depth = 1;
  image.rowPitch = image.width * bytesPerPixel;
  image.slicePitch = 0;
  if (!image.decodePixels) return S_OK;

  BYTE* pixels = image.AllocatePixels(image.rowPitch, image.height);
  if (!pixels) return E_OUTOFMEMORY;
  JSAMPARRAY rgbRow = nullptr;
  if (format == D3DFMT_X8R8G8B8) {
    rgbRow = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                         image.width * 3, 1);
    if (!rgbRow) return E_OUTOFMEMORY;
  }
  while (cinfo->output_scanline < cinfo->output_height) {
    BYTE* row = pixels + size_t{cinfo->output_scanline} * image.rowPitch;
    // Grey rows are already in their final layout and go straight to the image.
    JSAMPROW target = rgbRow ? rgbRow[0] : row;
    // A source in memory never suspends; no row at all would mean no progress.
    if (jpeg_read_scanlines(cinfo, &target, 1) != 1) return E_FAIL;
    if (rgbRow) PackXrgbRow(rgbRow[0], reinterpret_cast<uint32_t*>(row), image.width);
  }
  jpeg_finish_decompress(cinfo);
  return S_OK;
}

}  // namespace

HRESULT DecodedImage::ReadJpeg(const void* data, UINT size) {
  if (!data || size == 0) return E_FAIL;
  JpegErrorManager errors;
  jpeg_decompress_struct cinfo = {};
  cinfo.err = InitJpegErrorManager(&errors);
  if (setjmp(errors.jump)) {
    // A libjpeg error. Pixels already allocated stay in the record; Load frees them.
    jpeg_destroy_decompress(&cinfo);
    return E_FAIL;
  }
  jpeg_create_decompress(&cinfo);
  InstallJpegMemorySource(&cinfo, data, size);
  const HRESULT result = Decompress(&cinfo, *this);
  jpeg_destroy_decompress(&cinfo);
  return result;
}
