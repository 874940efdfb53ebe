// UtDebugMute reads its registry switch and finds the runtimes' mute entries once per process,
// so every scenario runs in a child process of its own (a disabled test of this executable run
// with a filter).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "child_process.h"
#include "d3d9/runtime/runtime_config.h"
#include "ut_diag.h"
#include "win32/module.h"

namespace {

using diag_test::ChildResult;
using diag_test::MarkChildDone;
using diag_test::RunTestInChild;
using diag_test::TempDir;
using diag_test::WriteTextFile;

// ---- the child side -------------------------------------------------------------------------

// The software runtime, linked in, is the loaded "d3d9.dll"; a fake "d3d9d.dll" stands for the
// debug runtime and logs each call with what the release runtime had heard by then.
struct DebugRuntimeCall {
  BOOL mute;
  unsigned releaseCallsBefore;  // the runtime's DebugSetMute count when this call arrived
  bool operator==(const DebugRuntimeCall&) const = default;
};
std::vector<DebugRuntimeCall> g_debugCalls;

std::ostream& operator<<(std::ostream& out, const DebugRuntimeCall& call) {
  return out << (call.mute ? "TRUE" : "FALSE") << " after " << call.releaseCallsBefore;
}

void DebugRuntimeSetMute(BOOL mute) {
  g_debugCalls.push_back({mute, d3d9rt::DebugSetMuteCallCount()});
}

HMODULE RegisterModule(const char* name, void (*debugSetMute)(BOOL)) {
  const win32::ModuleExport exports[] = {
      {"Direct3DCreate9", reinterpret_cast<FARPROC>(+[] {})},
      {"DebugSetMute", reinterpret_cast<FARPROC>(debugSetMute)},
  };
  HMODULE module = win32::RegisterModule(name, exports, debugSetMute ? 2 : 1);
  EXPECT_NE(module, nullptr) << name;
  return module;
}

HMODULE RegisterDebugRuntime() { return RegisterModule("d3d9d.dll", &DebugRuntimeSetMute); }

HMODULE ReleaseRuntime() {
  HMODULE module = GetModuleHandleA("d3d9.dll");
  EXPECT_NE(module, nullptr) << "the software runtime is not registered";
  return module;
}

const char* Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Mutes and unmutes; the registry file decides whether the runtime hears of it. Then changes the
// registry: the setting read first stays in force.
TEST(DebugMuteChild, DISABLED_FollowsTheRegistry) {
  const bool expectCalls = std::string(Env("UT_TEST_EXPECT_CALLS")) == "1";
  UtDebugMute(TRUE);
  EXPECT_EQ(d3d9rt::DebugSetMuteCallCount(), expectCalls ? 1u : 0u);
  EXPECT_EQ(d3d9rt::IsDebugMuted(), expectCalls);
  UtDebugMute(FALSE);
  EXPECT_EQ(d3d9rt::DebugSetMuteCallCount(), expectCalls ? 2u : 0u);
  EXPECT_FALSE(d3d9rt::IsDebugMuted());

  WriteTextFile(Env("UT_REGISTRY_FILE"), Env("UT_TEST_LATER_REGISTRY"));
  UtDebugMute(TRUE);
  EXPECT_EQ(d3d9rt::DebugSetMuteCallCount(), expectCalls ? 3u : 0u);
  EXPECT_EQ(d3d9rt::IsDebugMuted(), expectCalls);
  MarkChildDone();
}

TEST(DebugMuteChild, DISABLED_BothRuntimesReleaseFirst) {
  HMODULE release = ReleaseRuntime();
  HMODULE debug = RegisterDebugRuntime();

  UtDebugMute(TRUE);
  UtDebugMute(FALSE);
  UtDebugMute(FALSE);  // not counted: passed on as it is
  EXPECT_EQ(d3d9rt::DebugSetMuteCallCount(), 3u);
  const std::vector<DebugRuntimeCall> expected = {{TRUE, 1}, {FALSE, 2}, {FALSE, 3}};
  EXPECT_EQ(g_debugCalls, expected);

  // The library holds its own reference: the runtimes stay loaded when the process lets go.
  EXPECT_TRUE(FreeLibrary(release));
  EXPECT_TRUE(FreeLibrary(debug));
  EXPECT_TRUE(win32::IsModuleLoaded(release));
  EXPECT_TRUE(win32::IsModuleLoaded(debug));
  MarkChildDone();
}

TEST(DebugMuteChild, DISABLED_OnlyTheDebugRuntime) {
  HMODULE release = ReleaseRuntime();
  ASSERT_TRUE(FreeLibrary(release));  // known to the process, no longer loaded
  RegisterDebugRuntime();
  UtDebugMute(TRUE);
  UtDebugMute(FALSE);
  const std::vector<DebugRuntimeCall> expected = {{TRUE, 0}, {FALSE, 0}};
  EXPECT_EQ(g_debugCalls, expected);
  EXPECT_EQ(d3d9rt::DebugSetMuteCallCount(), 0u);
  EXPECT_FALSE(win32::IsModuleLoaded(release));
  MarkChildDone();
}

TEST(DebugMuteChild, DISABLED_RuntimeWithoutTheExport) {
  ASSERT_TRUE(win32::UnregisterModule(ReleaseRuntime()));
  RegisterModule("d3d9.dll", nullptr);
  UtDebugMute(TRUE);
  EXPECT_TRUE(g_debugCalls.empty());
  // Still looked for on every call while no entry was found: a debug runtime loaded later is used.
  RegisterDebugRuntime();
  UtDebugMute(FALSE);
  EXPECT_EQ(g_debugCalls, (std::vector<DebugRuntimeCall>{{FALSE, 0}}));
  MarkChildDone();
}

// Runtimes that are known to the process but not loaded are never loaded by the library.
TEST(DebugMuteChild, DISABLED_NothingLoaded) {
  HMODULE release = ReleaseRuntime();
  HMODULE debug = RegisterDebugRuntime();
  ASSERT_TRUE(FreeLibrary(release));
  ASSERT_TRUE(FreeLibrary(debug));
  ASSERT_FALSE(win32::IsModuleLoaded(release));

  UtDebugMute(TRUE);
  UtDebugMute(FALSE);
  EXPECT_EQ(d3d9rt::DebugSetMuteCallCount(), 0u);
  EXPECT_TRUE(g_debugCalls.empty());
  EXPECT_FALSE(win32::IsModuleLoaded(release));
  EXPECT_FALSE(win32::IsModuleLoaded(debug));
  EXPECT_EQ(GetModuleHandleA("d3d9.dll"), nullptr);
  EXPECT_EQ(GetModuleHandleA("d3d9d.dll"), nullptr);

  // Once the process loads a runtime, the next call finds it.
  ASSERT_EQ(LoadLibraryA("d3d9.dll"), release);
  UtDebugMute(TRUE);
  EXPECT_EQ(d3d9rt::DebugSetMuteCallCount(), 1u);
  EXPECT_TRUE(d3d9rt::IsDebugMuted());
  EXPECT_TRUE(g_debugCalls.empty());
  EXPECT_FALSE(win32::IsModuleLoaded(debug));
  MarkChildDone();
}

// ---- the parent side ------------------------------------------------------------------------

void ExpectChildPasses(const std::string& test,
                       const std::vector<std::pair<std::string, std::string>>& environment = {}) {
  const ChildResult result = RunTestInChild("DebugMuteChild." + test, environment);
  EXPECT_TRUE(result.ran) << test << " did not run in the child";
  EXPECT_EQ(result.exitCode, 0) << test << " failed in the child (its output is above)";
}

constexpr const char kHeader[] = "Windows Registry Editor Version 5.00\r\n\r\n";
constexpr const char kKey[] = "[HKEY_LOCAL_MACHINE\\Software\\Duvodovid\\Direct3D]\r\n";

std::string Registry(const std::string& values, const char* key = kKey) {
  return kHeader + std::string(key) + values;
}

struct RegistryCase {
  const char* name;
  bool writeFile;         // false: no registry file at all
  std::string registry;   // the file at the first call
  bool expectCalls;       // whether the runtime hears of the mute
  std::string later;      // the file after the first calls, which must change nothing
};

TEST(DebugMute, FollowsTheDoNotMuteSettingReadOncePerProcess) {
  const std::string on = Registry("\"D3IZDoNotMute\"=dword:00000001\r\n");
  const std::string off = Registry("\"D3IZDoNotMute\"=dword:00000000\r\n");
  const RegistryCase cases[] = {
      {"non-zero DWORD suppresses muting", true, on, false, off},
      {"any non-zero DWORD suppresses muting", true,
       Registry("\"D3IZDoNotMute\"=dword:ffffffff\r\n"), false, off},
      {"zero DWORD allows muting", true, off, true, on},
      {"a string value counts as absent", true, Registry("\"D3IZDoNotMute\"=\"1\"\r\n"), true, on},
      {"a binary value counts as absent", true, Registry("\"D3IZDoNotMute\"=hex:01,00,00,00\r\n"),
       true, on},
      {"an absent value allows muting", true, Registry("\"DisableMMX\"=dword:00000001\r\n"), true,
       on},
      {"only the machine-wide key counts", true,
       Registry("\"D3IZDoNotMute\"=dword:00000001\r\n",
                "[HKEY_CURRENT_USER\\Software\\Duvodovid\\Direct3D]\r\n"),
       true, on},
      {"no registry at all allows muting", false, "", true, on},
  };
  for (const RegistryCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string file = dir.File("registry.reg");
    if (c.writeFile) WriteTextFile(file, c.registry);
    ExpectChildPasses("DISABLED_FollowsTheRegistry", {{"UT_REGISTRY_FILE", file},
                                                      {"UT_TEST_EXPECT_CALLS", c.expectCalls ? "1" : "0"},
                                                      {"UT_TEST_LATER_REGISTRY", c.later}});
  }
}

// The remaining scenarios run with an empty registry, so that muting is allowed.
class DebugMuteRuntimes : public testing::Test {
 protected:
  void Run(const std::string& test) {
    ExpectChildPasses(test, {{"UT_REGISTRY_FILE", dir_.File("absent.reg")}});
  }
  TempDir dir_;
};

TEST_F(DebugMuteRuntimes, BothRuntimesGetEachCallReleaseFirst) {
  Run("DISABLED_BothRuntimesReleaseFirst");
}
TEST_F(DebugMuteRuntimes, OnlyTheDebugRuntimeLoaded) { Run("DISABLED_OnlyTheDebugRuntime"); }
TEST_F(DebugMuteRuntimes, RuntimeWithoutTheExport) { Run("DISABLED_RuntimeWithoutTheExport"); }
TEST_F(DebugMuteRuntimes, NoRuntimeLoadedLoadsNothing) { Run("DISABLED_NothingLoaded"); }

}  // namespace
