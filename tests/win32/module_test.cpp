// Module lookup: the program's own module, registered modules, reference counts, exports.
#include "win32/module.h"

#include <gtest/gtest.h>

#include "win32/last_error.h"

namespace {

int g_muteCalls = 0;
BOOL g_lastMute = FALSE;
void DebugSetMute(BOOL mute) {
  ++g_muteCalls;
  g_lastMute = mute;
}
int Answer() { return 42; }

TEST(ModuleTest, NullNameIsTheProgramItself) {
  const HMODULE self = GetModuleHandleA(nullptr);
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(GetModuleHandleW(nullptr), self);
  EXPECT_TRUE(FreeLibrary(self));  // the program stays
  EXPECT_EQ(GetModuleHandleA(nullptr), self);
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(self, "DebugSetMute"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}

TEST(ModuleTest, UnknownModulesAreNotFound) {
  SetLastError(0);
  EXPECT_EQ(GetModuleHandleA("nothere.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA("nothere.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST(ModuleTest, RegisteredModuleIsFoundByAnySpellingOfItsName) {
  const win32::ModuleExport exports[] = {
      {"DebugSetMute", reinterpret_cast<FARPROC>(&DebugSetMute)},
      {"Answer", reinterpret_cast<FARPROC>(&Answer)},
  };
  const HMODULE module = win32::RegisterModule("fake_runtime.dll", exports, 2);
  ASSERT_NE(module, nullptr);
  const char* spellings[] = {"fake_runtime.dll", "FAKE_RUNTIME.DLL", "Fake_Runtime",
                             "C:\\Windows\\System32\\fake_runtime.dll", "fake_runtime.dll"};
  for (const char* name : spellings) {
    SCOPED_TRACE(name);
    EXPECT_EQ(GetModuleHandleA(name), module);
  }
  EXPECT_EQ(GetModuleHandleW(L"Fake_Runtime.dll"), module);
  EXPECT_EQ(GetModuleHandleA("fake_runtime.exe"), nullptr);

  using MuteFn = void (*)(BOOL);
  auto mute = reinterpret_cast<MuteFn>(GetProcAddress(module, "DebugSetMute"));
  ASSERT_NE(mute, nullptr);
  mute(TRUE);
  EXPECT_EQ(g_muteCalls, 1);
  EXPECT_TRUE(g_lastMute);
  // Export names are case-sensitive; ordinals count from 1.
  EXPECT_EQ(GetProcAddress(module, "debugsetmute"), nullptr);
  EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(2)), reinterpret_cast<FARPROC>(&Answer));
  EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(3)), nullptr);

  SetLastError(0);
  EXPECT_EQ(win32::RegisterModule("FAKE_RUNTIME", nullptr, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_TRUE(win32::UnregisterModule(module));
}

TEST(ModuleTest, ReferenceCountDecidesWhetherTheModuleIsLoaded) {
  const HMODULE module = win32::RegisterModule("counted.dll", nullptr, 0);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(LoadLibraryA("counted.dll"), module);  // 2 references
  EXPECT_TRUE(FreeLibrary(module));                // 1
  EXPECT_EQ(GetModuleHandleA("counted.dll"), module);
  EXPECT_TRUE(FreeLibrary(module));  // 0: unloaded
  EXPECT_EQ(GetModuleHandleA("counted.dll"), nullptr);
  EXPECT_FALSE(win32::IsModuleLoaded(module));
  EXPECT_EQ(GetProcAddress(module, "x"), nullptr);
  EXPECT_FALSE(FreeLibrary(module));
  // Still linked into the process, so it can be loaded again.
  EXPECT_EQ(LoadLibraryW(L"counted"), module);
  EXPECT_EQ(GetModuleHandleA("counted.dll"), module);

  EXPECT_TRUE(win32::UnregisterModule(module));
  EXPECT_EQ(LoadLibraryA("counted.dll"), nullptr);
  EXPECT_FALSE(win32::UnregisterModule(module));
}

}  // namespace
