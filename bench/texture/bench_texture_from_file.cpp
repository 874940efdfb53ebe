// UtCreateTextureFromFileInMemory with its defaults on a 1024 x 1024 colour JPEG, on the
// software runtime, against the bare libjpeg decode of the same bytes to RGB rows, in one run.
// The goal is a ratio of at most 1.25: beyond the decode the call creates the texture, copies
// level 0 into it and box-filters the ten levels below (a third of level 0's texels).
// The same pair on a 1000 x 750 file shows the price of a size that is not a power of two:
// the defaults round it up to 1024 x 1024 and resample level 0 with the triangle filter.

#include <benchmark/benchmark.h>

#include <csetjmp>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "ut.h"
#include "win32/com_ptr.h"
#include "ut/math/mmx_test.h"

namespace {

struct FileSize {
  int width, height;
};
constexpr FileSize kSquare = {1024, 1024};
constexpr FileSize kPhoto = {1000, 750};

struct ErrorJump {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void JumpOut(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorJump*>(cinfo->err)->jump, 1); }
void Silent(j_common_ptr) {}

// A photo-like picture: smooth colour ramps with a little noise, 4:2:0, quality 90.
std::vector<uint8_t> MakeFile(FileSize size) {
    const int width = size.width, height = size.height;
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
    unsigned char* buffer = nullptr;
    unsigned long bytes = 0;
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

const std::vector<uint8_t>& TestFile(FileSize size) {
  static const std::vector<uint8_t> square = MakeFile(kSquare);
  static const std::vector<uint8_t> photo = MakeFile(kPhoto);
  return size.width == kSquare.width ? square : photo;
}

// A device of the software runtime; the back buffer is not used.
ComPtr<IDirect3DDevice9> MakeDevice() {
  ComPtr<IDirect3D9> d3d;
  d3d.Attach(Direct3DCreate9(D3D_SDK_VERSION));
  ComPtr<IDirect3DDevice9> device;
  if (!d3d) return device;
  D3DPRESENT_PARAMETERS parameters = {};
  parameters.BackBufferWidth = 64;
  parameters.BackBufferHeight = 64;
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  parameters.BackBufferCount = 1;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.Windowed = TRUE;
  d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                    D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, device.GetAddressOf());
  return device;
}

void CreateTextureFromJpeg(benchmark::State& state, FileSize size) {
  const std::vector<uint8_t>& file = TestFile(size);
  const ComPtr<IDirect3DDevice9> device = MakeDevice();
  if (!device) {
    state.SkipWithError("no device");
    return;
  }
  for (auto _ : state) {
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(UtCreateTextureFromFileInMemory(device.Get(), file.data(), UINT(file.size()),
                                               &texture))) {
      state.SkipWithError("UtCreateTextureFromFileInMemory failed");
      break;
    }
    benchmark::DoNotOptimize(texture);
    texture->Release();
  }
  state.SetItemsProcessed(state.iterations() * size.width * size.height);
}

// What a program using libjpeg directly does: the library's memory source, RGB rows one at a
// time into a buffer of its own, the same inverse DCT the reader picks.
void BareLibjpegToRgb(benchmark::State& state, FileSize size) {
  const std::vector<uint8_t>& file = TestFile(size);
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
  state.SetItemsProcessed(state.iterations() * size.width * size.height);
}

// Repeated and interleaved, so that the two see the same machine; the ratio uses the medians.
BENCHMARK_CAPTURE(CreateTextureFromJpeg, 1024x1024, kSquare)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BareLibjpegToRgb, 1024x1024, kSquare)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(CreateTextureFromJpeg, 1000x750, kPhoto)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BareLibjpegToRgb, 1000x750, kPhoto)->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(9)->ReportAggregatesOnly(true);

// Prints the results as usual and remembers each benchmark's median times per iteration.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median" || run.error_occurred) continue;
      realTimes[run.run_name.function_name] = run.GetAdjustedRealTime();
      cpuTimes[run.run_name.function_name] = run.GetAdjustedCPUTime();
    }
  }
  std::map<std::string, double> realTimes;
  std::map<std::string, double> cpuTimes;
};

// The goal is the power-of-two file's; the other size's ratio is shown beside it.
void PrintRatio(const char* size, const char* goal, const char* what, const std::map<std::string, double>& times) {
  const auto load = times.find(std::string("CreateTextureFromJpeg/") + size);
  const auto bare = times.find(std::string("BareLibjpegToRgb/") + size);
  if (load == times.end() || bare == times.end() || bare->second <= 0) return;
  std::printf("%s: UtCreateTextureFromFileInMemory / bare libjpeg, median %s time: %.3f (%s)\n", size, what,
              load->second / bare->second, goal);
}

}  // namespace

int main(int argc, char** argv) {
  // Interleaving by default: each repetition of one runs between repetitions of the other.
  std::vector<char*> args(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave);
  int count = int(args.size());
  benchmark::Initialize(&count, args.data());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const struct {
    const char* size;
    const char* goal;
  } pairs[] = {{"1024x1024", "goal: at most 1.25"}, {"1000x750", "resampled to 1024x1024; no goal"}};
  for (const auto& pair : pairs) {
    PrintRatio(pair.size, pair.goal, "real", reporter.realTimes);
    PrintRatio(pair.size, pair.goal, "CPU", reporter.cpuTimes);
  }
  benchmark::Shutdown();
  return 0;
}
