// The registry's cost: reading a large `.reg` text (keys, values, deletions), and one query of
// a small settings file, which is read afresh each time. Copying the same bytes is the baseline.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "win32/registry.h"
#include "win32/registry_file.h"

namespace {

constexpr size_t kTextSize = 1 << 20;

std::string ManyKeys() {
  std::string text = "Windows Registry Editor Version 5.00\n";
  char line[96];
  for (int i = 0; text.size() < kTextSize; ++i) {
    std::snprintf(line, sizeof line, "[HKEY_LOCAL_MACHINE\\Software\\K%06d]\n\"V%06d\"=dword:%08x\n", i, i, i);
    text += line;
  }
  return text;
}

std::string ManyValuesWithDeletions() {
  std::string text = "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\Software\\K]\n";
  char line[96];
  for (int i = 0; text.size() < kTextSize; ++i) {
    std::snprintf(line, sizeof line, "\"V%06d\"=\"text %d\"\n\"V%06d\"=-\n", i, i, i / 2);
    text += line;
  }
  return text;
}

void Parse(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    win32::RegistryData data = win32::ParseRegistryText(text.data(), text.size());
    benchmark::DoNotOptimize(data.keys.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_CopyBaseline(benchmark::State& state) {
  const std::string text = ManyKeys();
  std::vector<char> copy(text.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), text.data(), text.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_CopyBaseline);

void BM_ParseManyKeys(benchmark::State& state) { Parse(state, ManyKeys()); }
BENCHMARK(BM_ParseManyKeys)->Unit(benchmark::kMillisecond);

void BM_ParseManyValuesWithDeletions(benchmark::State& state) { Parse(state, ManyValuesWithDeletions()); }
BENCHMARK(BM_ParseManyValuesWithDeletions)->Unit(benchmark::kMillisecond);

// ReadDirect3DRegistryValue's sequence on a file of the four switches.
void BM_QueryDwordFromSettingsFile(benchmark::State& state) {
  char path[] = "/tmp/registry_bench_XXXXXX";
  const int fd = mkstemp(path);
  const std::string text =
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Duvodovid\\Direct3D]\n"
      "\"D3IZDoNotMute\"=dword:00000000\n\"DisablePSGP\"=dword:00000002\n"
      "\"DisableD3IZPSGP\"=dword:00000000\n\"DisableMMX\"=dword:00000001\n";
  if (fd < 0 || write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    state.SkipWithError("can't write the settings file");
    return;
  }
  close(fd);
  setenv("UT_REGISTRY_FILE", path, 1);
  for (auto _ : state) {
    HKEY key;
    DWORD type, value, size = sizeof value;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Duvodovid\\Direct3D", &key) == ERROR_SUCCESS) {
      RegQueryValueExA(key, "DisableMMX", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
      RegCloseKey(key);
    }
    benchmark::DoNotOptimize(value);
  }
  unsetenv("UT_REGISTRY_FILE");
  unlink(path);
}
BENCHMARK(BM_QueryDwordFromSettingsFile)->Unit(benchmark::kMicrosecond);

}  // namespace
