#include "fake_device.h"

#include <gtest/gtest.h>

#include "win32/module.h"

namespace pixel_test {

namespace {

bool g_muted = false;
std::vector<BOOL> g_muteCalls;

void FakeDebugSetMute(BOOL mute) {
  g_muted = mute != FALSE;
  g_muteCalls.push_back(mute);
}

}  // namespace

bool FakeRuntimeMuted() { return g_muted; }
const std::vector<BOOL>& FakeRuntimeMuteCalls() { return g_muteCalls; }
void ClearFakeRuntimeMuteCalls() { g_muteCalls.clear(); }

// A loaded "d3d9.dll" whose "DebugSetMute" the library finds, so the tests can see the muting.
void InstallFakeRuntime() {
  static const bool installed = [] {
    const win32::ModuleExport exports[] = {
        {"DebugSetMute", reinterpret_cast<FARPROC>(&FakeDebugSetMute)},
    };
    return win32::RegisterModule("d3d9.dll", exports, 1) != nullptr;
  }();
  ASSERT_TRUE(installed) << "cannot register the fake d3d9.dll";
}

}  // namespace pixel_test
