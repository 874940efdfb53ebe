#include "bench/common/photo_jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

struct ErrorJump {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void JumpOut(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorJump*>(cinfo->err)->jump, 1); }

}  // namespace

std::vector<uint8_t> MakePhotoLikeJpeg(int width, int height) {
  std::vector<uint8_t> rgb(size_t(width) * height * 3);
  uint32_t noise = 1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      noise = noise * 1103515245u + 12345u;
      uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
      const int n = int(noise >> 28) - 8;
      p[0] = uint8_t(std::clamp(x / 8 + n, 0, 255));
      p[1] = uint8_t(std::clamp(y / 8 + n, 0, 255));
      p[2] = uint8_t(std::clamp((x + y) / 16 + n, 0, 255));
    }
  }
  ErrorJump errors;
  jpeg_compress_struct cinfo = {};
  cinfo.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = JumpOut;
  unsigned char* buffer = nullptr;
  unsigned long bytes = 0;
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return {};
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buffer, &bytes);
  cinfo.image_width = width;
  cinfo.image_height = height;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = &rgb[size_t(cinfo.next_scanline) * width * 3];
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> result(buffer, buffer + bytes);
  std::free(buffer);
  return result;
}
