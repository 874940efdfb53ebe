// DecodedImage::Load on arbitrary bytes, header-only and full. A full decode that succeeds must
// agree with the header-only answer, and every pixel byte it reports must be readable.
//
// Image size is capped: a few hundred bytes can declare a 65500 x 65500 progressive JPEG, for
// which libjpeg asks for gigabytes before it reads a single coefficient; such inputs only show
// that memory runs out, so they are skipped.

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

#include "ut/image/decoded_image.h"

namespace {

constexpr uint64_t kMaxPixels = 4096 * 4096;

struct Jump {
  jpeg_error_mgr pub;
  std::jmp_buf buffer;
};

[[noreturn]] void JumpOut(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<Jump*>(cinfo->err)->buffer, 1); }
void Silent(j_common_ptr) {}

// The pixel count a JPEG header declares, read by bare libjpeg; 0 when it is not a JPEG header.
uint64_t DeclaredJpegPixels(const uint8_t* data, size_t size) {
  Jump errors;
  jpeg_decompress_struct cinfo = {};
  cinfo.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = JumpOut;
  errors.pub.output_message = Silent;
  if (setjmp(errors.buffer)) {
    jpeg_destroy_decompress(&cinfo);
    return 0;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, size);
  jpeg_read_header(&cinfo, TRUE);
  const uint64_t pixels = uint64_t{cinfo.image_width} * cinfo.image_height;
  jpeg_destroy_decompress(&cinfo);
  return pixels;
}

bool SameDescription(const UtImageInfo& a, const UtImageInfo& b) {
  return a.Width == b.Width && a.Height == b.Height && a.Depth == b.Depth && a.MipLevels == b.MipLevels &&
         a.Format == b.Format && a.ResourceType == b.ResourceType && a.ImageFileFormat == b.ImageFileFormat;
}

// Reads every byte of every level's pixels, so the sanitizer sees any row that lies outside.
uint32_t TouchPixels(const DecodedImage& top) {
  uint32_t sum = 0;
  for (const DecodedImage* face = &top; face; face = face->nextFace) {
    for (const DecodedImage* level = face; level; level = level->nextLevel) {
      if (!level->pixels) continue;
      const uint64_t bytes = uint64_t{level->rowPitch} * level->height * (level->depth ? level->depth : 1);
      const uint8_t* p = static_cast<const uint8_t*>(level->pixels);
      for (uint64_t i = 0; i < bytes; ++i) sum += p[i];
    }
  }
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > UINT32_MAX) return 0;
  if (DeclaredJpegPixels(data, size) > kMaxPixels) return 0;

  UtImageInfo header = {};
  DecodedImage described;
  const HRESULT headerResult = described.Load(data, UINT(size), &header, FALSE);

  UtImageInfo info = {};
  DecodedImage image;
  const HRESULT result = image.Load(data, UINT(size), &info, TRUE);
  if (SUCCEEDED(result)) {
    // A file that loads is one whose header reads, with the same description.
    if (FAILED(headerResult) || !SameDescription(header, info)) __builtin_trap();
    volatile uint32_t sink = TouchPixels(image);
    (void)sink;
  }
  return 0;
}
