// Row throughput of the pixel codecs on 1024-pixel rows, in megapixels per second, each beside
// a memcpy of the same packed bytes measured in the same run. After the runs the program prints
// each format's decode, encode and round-trip rates as fractions of its memcpy rate; the goal
// for the 8-bit-per-channel formats without dithering is a round trip at 0.1 or more.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "ut/pixel/create_pixel_codec.h"
#include "ut/pixel/pixel_row_kernels.h"

namespace {

constexpr UINT kWidth = 1024;

struct BenchFormat {
  const char* name;
  D3DFORMAT format;
  UINT bytesPerPixel;
  bool orderedDither;
  bool generic;  // row kernels switched off
};

const BenchFormat kFormats[] = {
    {"A8R8G8B8", D3DFMT_A8R8G8B8, 4, false, false},
    {"A8R8G8B8_generic", D3DFMT_A8R8G8B8, 4, false, true},
    {"X8R8G8B8", D3DFMT_X8R8G8B8, 4, false, false},
    {"R5G6B5_dither", D3DFMT_R5G6B5, 2, true, false},
    {"L8", D3DFMT_L8, 1, false, false},
    {"L8_generic", D3DFMT_L8, 1, false, true},
    {"A16B16G16R16F", D3DFMT_A16B16G16R16F, 8, false, false},
    {"A32B32G32R32F", D3DFMT_A32B32G32R32F, 16, false, false},
};

// The three buffers of a format live in one 64-byte-aligned block at fixed offsets, the same in
// every run. No two of them start a multiple of 4 KiB apart: a load that follows a store to the
// same low twelve address bits waits for it (4K aliasing), which would halve the memcpy rate or
// not depending on where the allocator happened to put the buffers.
class Buffers {
 public:
  explicit Buffers(size_t packedBytes)
      : packedBytes_(packedBytes),
        destinationOffset_(RoundUp(packedBytes, 4096) + 2048),
        rowOffset_(RoundUp(destinationOffset_ + packedBytes, 4096) + 1024),
        block_(static_cast<uint8_t*>(::operator new(rowOffset_ + kWidth * sizeof(UtColor),
                                                    std::align_val_t{64}))) {}
  ~Buffers() { ::operator delete(block_, std::align_val_t{64}); }
  Buffers(const Buffers&) = delete;
  Buffers& operator=(const Buffers&) = delete;

  uint8_t* source() const { return block_; }
  uint8_t* destination() const { return block_ + destinationOffset_; }
  UtColor* row() const { return reinterpret_cast<UtColor*>(block_ + rowOffset_); }
  size_t packedBytes() const { return packedBytes_; }

 private:
  static size_t RoundUp(size_t n, size_t unit) { return (n + unit - 1) / unit * unit; }
  size_t packedBytes_;
  size_t destinationOffset_;
  size_t rowOffset_;
  uint8_t* block_;
};

struct Fixture {
  Buffers buffers;
  uint8_t* source;
  uint8_t* destination;
  UtColor* row;
  std::unique_ptr<PixelCodec> decoder;
  std::unique_ptr<PixelCodec> encoder;

  explicit Fixture(const BenchFormat& f)
      : buffers(size_t{kWidth} * f.bytesPerPixel),
        source(buffers.source()),
        destination(buffers.destination()),
        row(buffers.row()) {
    std::mt19937 random(1);
    for (size_t i = 0; i < buffers.packedBytes(); ++i) source[i] = static_cast<uint8_t>(random());
    std::memset(destination, 0, buffers.packedBytes());
    for (UINT x = 0; x < kWidth; ++x) row[x] = UtColor(0.0f, 0.0f, 0.0f, 0.0f);
    if (f.format == D3DFMT_A16B16G16R16F || f.format == D3DFMT_A32B32G32R32F) {
      // Real values rather than random bit patterns (which include NaNs).
      std::uniform_real_distribution<float> value(0.0f, 1.0f);
      for (UINT i = 0; i < kWidth * 4; ++i) {
        const float v = value(random);
        if (f.format == D3DFMT_A32B32G32R32F) {
          std::memcpy(&source[4 * i], &v, 4);
        } else {
          const uint16_t h = static_cast<uint16_t>(0x3800 + (random() & 0x3FF));
          std::memcpy(&source[2 * i], &h, 2);
        }
      }
    }
    const bool saved = PixelRowKernelsEnabled();
    SetPixelRowKernelsEnabled(!f.generic);
    decoder = CreatePixelCodec(Block(source, f, false));
    encoder = CreatePixelCodec(Block(destination, f, f.orderedDither));
    SetPixelRowKernelsEnabled(saved);
    encoder->BindSource(*decoder);
  }

  static PixelBlockDesc Block(uint8_t* bits, const BenchFormat& f, bool dither) {
    PixelBlockDesc desc{};
    desc.bits = bits;
    desc.format = f.format;
    desc.rowPitch = kWidth * f.bytesPerPixel;
    desc.extent = D3DBOX{0, 0, kWidth, 1, 0, 1};
    desc.region = desc.extent;
    desc.orderedDither = dither ? TRUE : FALSE;
    return desc;
  }
};

void Finish(benchmark::State& state) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kWidth);
}

// Which row kernels a codec of the format runs, for the label of each figure.
const char* KernelName(const BenchFormat& f) {
  if (f.generic || !PixelRowKernelsEnabled()) return "generic";
  const PixelRowKernels* kernels = FindPixelRowKernels(f.format);
  return kernels ? kernels->name : "generic";
}

void Memcpy(benchmark::State& state, const BenchFormat& f) {
  Fixture fx(f);
  for (auto _ : state) {
    std::memcpy(fx.destination, fx.source, fx.buffers.packedBytes());
    benchmark::DoNotOptimize(fx.destination);
    benchmark::ClobberMemory();
  }
  Finish(state);
}

void Decode(benchmark::State& state, const BenchFormat& f) {
  Fixture fx(f);
  state.SetLabel(KernelName(f));
  for (auto _ : state) {
    fx.decoder->DecodeRow(0, 0, fx.row);
    benchmark::DoNotOptimize(fx.row);
    benchmark::ClobberMemory();
  }
  Finish(state);
}

void Encode(benchmark::State& state, const BenchFormat& f) {
  Fixture fx(f);
  state.SetLabel(KernelName(f));
  fx.decoder->DecodeRow(0, 0, fx.row);
  for (auto _ : state) {
    // The luminance step rewrites red in place; encoding the same row again costs the same.
    fx.encoder->EncodeRow(0, 0, fx.row);
    benchmark::DoNotOptimize(fx.destination);
    benchmark::ClobberMemory();
  }
  Finish(state);
}

void RoundTrip(benchmark::State& state, const BenchFormat& f) {
  Fixture fx(f);
  state.SetLabel(KernelName(f));
  for (auto _ : state) {
    fx.decoder->DecodeRow(0, 0, fx.row);
    fx.encoder->EncodeRow(0, 0, fx.row);
    benchmark::DoNotOptimize(fx.destination);
    benchmark::ClobberMemory();
  }
  Finish(state);
}

// Keeps every run's pixel rate so that the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      const auto it = run.counters.find("items_per_second");
      if (it != run.counters.end()) rates_[run.benchmark_name()] = it->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    std::printf("\n%-18s %10s %8s %8s %8s %8s   (rates in Mpx/s; ratios to memcpy)\n",
                "format", "memcpy", "decode", "encode", "round", "ratio");
    for (const BenchFormat& f : kFormats) {
      const double copy = Rate("Memcpy", f);
      const double decode = Rate("Decode", f);
      const double encode = Rate("Encode", f);
      const double round = Rate("RoundTrip", f);
      if (copy <= 0) continue;
      std::printf("%-18s %10.0f %8.0f %8.0f %8.0f %8.3f   decode %.3f encode %.3f\n", f.name,
                  copy / 1e6, decode / 1e6, encode / 1e6, round / 1e6, round / copy,
                  decode / copy, encode / copy);
    }
  }

 private:
  double Rate(const char* what, const BenchFormat& f) const {
    const auto it = rates_.find(std::string(what) + "/" + f.name);
    return it == rates_.end() ? 0.0 : it->second;
  }
  std::map<std::string, double> rates_;
};

}  // namespace

int main(int argc, char** argv) {
  for (const BenchFormat& f : kFormats) {
    benchmark::RegisterBenchmark((std::string("Memcpy/") + f.name).c_str(), Memcpy, f);
    benchmark::RegisterBenchmark((std::string("Decode/") + f.name).c_str(), Decode, f);
    benchmark::RegisterBenchmark((std::string("Encode/") + f.name).c_str(), Encode, f);
    benchmark::RegisterBenchmark((std::string("RoundTrip/") + f.name).c_str(), RoundTrip, f);
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
