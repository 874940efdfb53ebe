#include "tests/ut/image/jpeg_test_files.h"

#include <csetjmp>
#include <cstdlib>

namespace {

struct TestErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

void Silent(j_common_ptr) {}

[[noreturn]] void JumpOut(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<TestErrorManager*>(cinfo->err)->jump, 1);
}

jpeg_error_mgr* InitErrors(TestErrorManager* errors) {
  jpeg_std_error(&errors->pub);
  errors->pub.error_exit = JumpOut;
  errors->pub.output_message = Silent;
  return &errors->pub;
}

}  // namespace

std::vector<uint8_t> TestPicture(int width, int height, int components) {
  std::vector<uint8_t> samples(size_t(width) * height * components);
  uint32_t noise = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < components; ++c) {
        noise = noise * 1103515245u + 12345u;
        const int ramp = (c == 0 ? x * 255 / (width > 1 ? width - 1 : 1)
                          : c == 1 ? y * 255 / (height > 1 ? height - 1 : 1)
                                   : (x + y) * 4);
        samples[(size_t(y) * width + x) * components + c] = uint8_t(ramp + int(noise >> 27) - 16);
      }
    }
  }
  return samples;
}

std::vector<uint8_t> EncodeJpeg(const JpegEncoding& encoding) {
  const std::vector<uint8_t> picture = TestPicture(encoding.width, encoding.height, encoding.components);
  unsigned char* buffer = nullptr;
  unsigned long bytes = 0;
  TestErrorManager errors;
  jpeg_compress_struct cinfo = {};
  cinfo.err = InitErrors(&errors);
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return {};
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buffer, &bytes);
  cinfo.image_width = encoding.width;
  cinfo.image_height = encoding.height;
  cinfo.input_components = encoding.components;
  cinfo.in_color_space = encoding.components == 1 ? JCS_GRAYSCALE
                         : encoding.components == 3 ? JCS_RGB
                                                    : JCS_CMYK;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  cinfo.comp_info[0].h_samp_factor = encoding.hSampling;
  cinfo.comp_info[0].v_samp_factor = encoding.vSampling;
  for (int c = 1; c < cinfo.num_components; ++c) {
    cinfo.comp_info[c].h_samp_factor = 1;
    cinfo.comp_info[c].v_samp_factor = 1;
  }
  if (encoding.progressive) jpeg_simple_progression(&cinfo);
  cinfo.restart_in_rows = encoding.restartRows;
  jpeg_start_compress(&cinfo, TRUE);
  const size_t stride = size_t(encoding.width) * encoding.components;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(&picture[cinfo.next_scanline * stride]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> file(buffer, buffer + bytes);
  std::free(buffer);
  return file;
}

BareJpegDecode DecodeWithLibjpeg(const std::vector<uint8_t>& file, J_DCT_METHOD dctMethod,
                                 bool headerOnly) {
  BareJpegDecode result;
  TestErrorManager errors;
  jpeg_decompress_struct cinfo = {};
  cinfo.err = InitErrors(&errors);
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    result.ok = false;
    return result;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, file.data(), file.size());
  jpeg_read_header(&cinfo, TRUE);
  cinfo.dct_method = dctMethod;
  jpeg_start_decompress(&cinfo);
  result.width = cinfo.output_width;
  result.height = cinfo.output_height;
  result.components = cinfo.output_components;
  if (headerOnly) {
    jpeg_destroy_decompress(&cinfo);
    result.ok = true;
    return result;
  }
  const size_t stride = size_t(cinfo.output_width) * cinfo.output_components;
  result.samples.resize(stride * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = &result.samples[cinfo.output_scanline * stride];
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  result.ok = true;
  return result;
}

size_t FindMarker(const std::vector<uint8_t>& file, uint8_t code) {
  for (size_t i = 0; i + 1 < file.size(); ++i) {
    if (file[i] == 0xFF && file[i + 1] == code) return i;
  }
  return std::string::npos;
}

std::string Hex(const std::vector<uint8_t>& bytes, size_t offset, size_t count) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = offset; i < bytes.size() && i < offset + count; ++i) {
    if (!text.empty()) text += ' ';
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 15];
  }
  return text;
}
