// DecodedImage::Load of a 2048 x 2048 colour JPEG against the bare libjpeg decode of the same
// bytes to RGB rows, in one run. The goal is a ratio of at most 1.05: the reader adds only the
// packing of RGB into X8R8G8B8 in the same pass.

#include <benchmark/benchmark.h>

#include <csetjmp>
#include <cstdint>
#include <memory>
#include <vector>

#include <jpeglib.h>

#include "bench/common/bench_ratios.h"
#include "bench/common/photo_jpeg.h"
#include "ut/image/decoded_image.h"
#include "ut/math/mmx_test.h"

namespace {

constexpr int kSize = 2048;

struct ErrorJump {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void JumpOut(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorJump*>(cinfo->err)->jump, 1); }
void Silent(j_common_ptr) {}

const std::vector<uint8_t>& TestFile() {
  static const std::vector<uint8_t> file = MakePhotoLikeJpeg(kSize, kSize);
  return file;
}

void LoadJpeg(benchmark::State& state) {
  const std::vector<uint8_t>& file = TestFile();
  for (auto _ : state) {
    DecodedImage image;
    if (FAILED(image.Load(file.data(), UINT(file.size()), nullptr, TRUE))) {
      state.SkipWithError("Load failed");
      break;
    }
    benchmark::DoNotOptimize(image.pixels);
  }
  state.SetItemsProcessed(state.iterations() * kSize * kSize);
}

// What a program using libjpeg directly does: the library's memory source, RGB rows one at a
// time into a buffer of its own, the same inverse DCT the reader picks.
void BareLibjpegToRgb(benchmark::State& state) {
  const std::vector<uint8_t>& file = TestFile();
  const J_DCT_METHOD dct = IsMmxAvailable() ? JDCT_ISLOW : JDCT_IFAST;
  for (auto _ : state) {
    ErrorJump errors;
    jpeg_decompress_struct cinfo = {};
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = JumpOut;
    errors.pub.output_message = Silent;
    if (setjmp(errors.jump)) {
      jpeg_destroy_decompress(&cinfo);
      state.SkipWithError("libjpeg failed");
      break;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), file.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.dct_method = dct;
    jpeg_start_decompress(&cinfo);
    const size_t stride = size_t(cinfo.output_width) * cinfo.output_components;
    std::unique_ptr<uint8_t[]> rgb(new uint8_t[stride * cinfo.output_height]);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row = rgb.get() + size_t(cinfo.output_scanline) * stride;
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    benchmark::DoNotOptimize(rgb.get());
  }
  state.SetItemsProcessed(state.iterations() * kSize * kSize);
}

// Repeated and interleaved, so that the two see the same machine; the ratio uses the medians.
BENCHMARK(LoadJpeg)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BareLibjpegToRgb)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(9)->ReportAggregatesOnly(true);

REGISTER_BENCH_RATIO("DecodedImage::Load of a 2048 x 2048 JPEG against the bare libjpeg decode to RGB rows",
                     LoadJpeg, BareLibjpegToRgb, 1.05);

}  // namespace
