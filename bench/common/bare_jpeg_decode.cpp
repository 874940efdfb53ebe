#include "bench/common/bare_jpeg_decode.h"

#include <csetjmp>

namespace {

// libjpeg holds its address, so what it owns stays in memory across the jump.
struct ErrorJump {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  std::unique_ptr<uint8_t[]> rgb;
};

[[noreturn]] void JumpOut(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorJump*>(cinfo->err)->jump, 1); }
void Silent(j_common_ptr) {}

}  // namespace

std::unique_ptr<uint8_t[]> DecodeJpegToRgbRows(const std::vector<uint8_t>& file, J_DCT_METHOD dct) {
  ErrorJump errors;
  jpeg_decompress_struct cinfo = {};
  cinfo.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = JumpOut;
  errors.pub.output_message = Silent;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return nullptr;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, file.data(), file.size());
  jpeg_read_header(&cinfo, TRUE);
  cinfo.dct_method = dct;
  jpeg_start_decompress(&cinfo);
  const size_t stride = size_t(cinfo.output_width) * cinfo.output_components;
  errors.rgb.reset(new uint8_t[stride * cinfo.output_height]);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = errors.rgb.get() + size_t(cinfo.output_scanline) * stride;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return std::move(errors.rgb);
}
