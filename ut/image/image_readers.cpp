#include "ut/image/image_readers.h"

namespace {

// Load's order of trial, which is not the order of UtImageFileFormat: BMP, PPM, DDS, JPEG,
// PNG, PFM, HDR, TGA, DIB. A reader joins this table at its place in that order.
const ImageReader kImageReaders[] = {
    {UT_IFF_JPG, "JPEG",
     [](DecodedImage& image, const void* data, UINT size) { return image.ReadJpeg(data, size); }},
};

std::span<const ImageReader> g_testReaders;

}  // namespace

std::span<const ImageReader> GetImageReaders() {
  if (!g_testReaders.empty()) return g_testReaders;
  return kImageReaders;
}

std::span<const ImageReader> SetImageReadersForTest(std::span<const ImageReader> readers) {
  const std::span<const ImageReader> previous = GetImageReaders();
  g_testReaders = readers;
  return previous;
}
