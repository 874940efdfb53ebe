// The ordered list of image readers that DecodedImage::Load tries. Formats with a strong
// signature come first; TGA and bare DIB, which have none, come last.
#pragma once

#include <span>

#include "ut/image/decoded_image.h"

struct ImageReader {
  UtImageFileFormat fileFormat;
  const char* name;
  HRESULT (*read)(DecodedImage& image, const void* data, UINT size);
};

// The readers in the order Load tries them.
std::span<const ImageReader> GetImageReaders();

// Test hook: makes Load try `readers` instead of the library's own until called again with an
// empty span. Returns the list in force before the call.
std::span<const ImageReader> SetImageReadersForTest(std::span<const ImageReader> readers);
