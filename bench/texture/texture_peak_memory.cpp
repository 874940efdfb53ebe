// The rise of the process's peak memory during UtCreateTextureFromFileInMemory of a 1024 x 1024
// colour JPEG with its defaults, against the size of the finished texture with its mip chain.
// Goal: a rise of at most 3 times the texture.
//
// The measurement runs in a process of its own, started for it, so that nothing before it (the
// making of the JPEG, earlier benchmarks) has raised the peak. That process holds the JPEG's
// bytes and a device of the software runtime before its baseline, so the rise is the load's own.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/common/headless_device.h"
#include "bench/common/photo_jpeg.h"
#include "d3d9/runtime/format_layout.h"
#include "ut.h"
#include "win32/com_ptr.h"

namespace {

constexpr int kSize = 1024;
constexpr double kGoal = 3.0;
constexpr char kMeasureFlag[] = "--measure-load-of";

// A "Vm...:" line of /proc/self/status, in KiB; -1 if missing.
long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const size_t length = std::strlen(field);
  while (std::getline(status, line)) {
    if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
      return std::strtol(line.c_str() + length + 1, nullptr, 10);
  }
  return -1;
}

// Sets the peak back to what the process holds now (Linux: 5 into clear_refs). Without it the
// baseline is the peak so far of this young process, which may sit above what it holds.
bool ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return clear.good();
}

// The bytes the runtime holds for the levels of a texture, as it lays them out.
size_t TextureBytes(IDirect3DTexture9* texture) {
  size_t total = 0;
  for (DWORD level = 0; level < texture->GetLevelCount(); ++level) {
    D3DSURFACE_DESC desc;
    d3d9rt::LevelFootprint footprint;
    const d3d9rt::FormatLayout* layout = nullptr;
    if (FAILED(texture->GetLevelDesc(level, &desc)) || !(layout = d3d9rt::FindFormatLayout(desc.Format)) ||
        !d3d9rt::ComputeFootprint(*layout, desc.Width, desc.Height, &footprint)) {
      return 0;
    }
    total += footprint.slicePitch;
  }
  return total;
}

double MiB(double bytes) { return bytes / (1024.0 * 1024.0); }

// The measuring process: the JPEG's bytes and the device first, then one load.
int Measure(const char* path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const ComPtr<IDirect3DDevice9> device = MakeHeadlessDevice();
  if (file.empty() || !device) {
    std::fprintf(stderr, "no JPEG or no device\n");
    return 1;
  }
  const bool reset = ResetPeak();
  const long before = StatusKiB("VmHWM");
  IDirect3DTexture9* texture = nullptr;
  const HRESULT hr = UtCreateTextureFromFileInMemory(device.Get(), file.data(), UINT(file.size()), &texture);
  const long after = StatusKiB("VmHWM");
  if (FAILED(hr) || before < 0 || after < 0) {
    std::fprintf(stderr, "UtCreateTextureFromFileInMemory failed (%#x) or no VmHWM\n", unsigned(hr));
    if (texture) texture->Release();
    return 1;
  }
  const size_t textureBytes = TextureBytes(texture);
  const DWORD levels = texture->GetLevelCount();
  texture->Release();
  if (textureBytes == 0) return 1;
  const double rise = double(after - before) * 1024.0;
  const double ratio = rise / double(textureBytes);
  std::printf("Peak memory during UtCreateTextureFromFileInMemory of a %d x %d JPEG (%zu bytes)\n", kSize, kSize,
              file.size());
  std::printf("  baseline (JPEG bytes and device held, %s): VmHWM %ld KiB\n",
              reset ? "peak reset to the memory held" : "peak of the fresh process so far", before);
  std::printf("  after the load: VmHWM %ld KiB, a rise of %.2f MiB\n", after, MiB(rise));
  std::printf("  texture with its %lu levels: %.2f MiB\n", static_cast<unsigned long>(levels), MiB(double(textureBytes)));
  std::printf("Peak rise / texture with mips: %.2f (goal: at most %g, %s)\n", ratio, kGoal,
              ratio <= kGoal ? "met" : "NOT met");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], kMeasureFlag) == 0) return Measure(argv[2]);

  const std::vector<uint8_t> jpeg = MakePhotoLikeJpeg(kSize, kSize);
  char path[] = "/tmp/texture_peak_memory_XXXXXX";
  const int fd = mkstemp(path);
  if (jpeg.empty() || fd < 0) {
    std::fprintf(stderr, "can't make the JPEG or its file\n");
    return 1;
  }
  const bool written = write(fd, jpeg.data(), jpeg.size()) == static_cast<ssize_t>(jpeg.size());
  close(fd);
  int status = 1;
  if (written) {
    const pid_t child = fork();
    if (child == 0) {
      char flag[sizeof kMeasureFlag];
      std::memcpy(flag, kMeasureFlag, sizeof flag);
      char* childArgs[] = {argv[0], flag, path, nullptr};
      execv("/proc/self/exe", childArgs);
      _exit(127);
    }
    if (child > 0 && waitpid(child, &status, 0) == child) status = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
  }
  unlink(path);
  return status;
}
