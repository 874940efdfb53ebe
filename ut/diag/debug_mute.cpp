#include <atomic>
#include <cstdint>

#include "ut_diag.h"
#include "ut/diag/registry_value.h"
#include "win32/module.h"
#include "win32/registry.h"

namespace {

// "DebugSetMute" of a Direct3D 9 runtime: one 32-bit boolean, C calling convention, result unused.
typedef void (*DebugSetMuteProc)(BOOL mute);

// Process-wide, written on first use. Atomics (relaxed) so that two threads in a first call at
// once only ever store the same values, without a data race.
std::atomic<DebugSetMuteProc> g_releaseRuntimeMute{nullptr};  // "d3d9.dll"
std::atomic<DebugSetMuteProc> g_debugRuntimeMute{nullptr};    // "d3d9d.dll"
// -1: registry not read yet; 0: muting allowed; 1: muting suppressed.
std::atomic<int32_t> g_doNotMute{-1};

// The entry of a runtime module that the process has already loaded. The library never loads a
// runtime itself; the reference LoadLibraryA takes is kept so the entry stays valid.
DebugSetMuteProc FindMuteEntry(LPCSTR moduleName) {
  if (GetModuleHandleA(moduleName) == nullptr) return nullptr;
  HMODULE module = LoadLibraryA(moduleName);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<DebugSetMuteProc>(GetProcAddress(module, "DebugSetMute"));
}

// Reads "D3IZDoNotMute" once per process; a missing value or one of another type counts as 0.
bool MutingSuppressed() {
  int32_t doNotMute = g_doNotMute.load(std::memory_order_relaxed);
  if (doNotMute == -1) {
    int32_t value = 0;
    if (!ReadDirect3DRegistryValue(REG_DWORD, "D3IZDoNotMute", &value, sizeof(value))) value = 0;
    doNotMute = value != 0 ? 1 : 0;
    g_doNotMute.store(doNotMute, std::memory_order_relaxed);
  }
  return doNotMute != 0;
}

}  // namespace

void UtDebugMute(BOOL mute) {
  // Looked for again on every call until a runtime is found, so a runtime loaded later is seen.
  if (g_releaseRuntimeMute.load(std::memory_order_relaxed) == nullptr &&
      g_debugRuntimeMute.load(std::memory_order_relaxed) == nullptr) {
    g_releaseRuntimeMute.store(FindMuteEntry("d3d9.dll"), std::memory_order_relaxed);
    g_debugRuntimeMute.store(FindMuteEntry("d3d9d.dll"), std::memory_order_relaxed);
  }
  if (MutingSuppressed()) return;
  if (DebugSetMuteProc entry = g_releaseRuntimeMute.load(std::memory_order_relaxed)) entry(mute);
  if (DebugSetMuteProc entry = g_debugRuntimeMute.load(std::memory_order_relaxed)) entry(mute);
}
