// Linking the runtime registers "d3d9.dll" with its "DebugSetMute" export, even in a program
// that never calls Direct3DCreate9 (this one does not reference it at all).
#include <gtest/gtest.h>

#include "d3d9/runtime/runtime_config.h"
#include "win32/module.h"

namespace {

TEST(RuntimeModule, IsRegisteredWithoutDirect3DCreate9) {
  HMODULE module = GetModuleHandleA("d3d9.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetModuleHandleA("D3D9"), module);
  auto mute = reinterpret_cast<void (*)(BOOL)>(GetProcAddress(module, "DebugSetMute"));
  ASSERT_NE(mute, nullptr);
  EXPECT_EQ(GetProcAddress(module, "Direct3DCreate9Ex"), nullptr);
  mute(TRUE);
  EXPECT_TRUE(d3d9rt::IsDebugMuted());
  mute(FALSE);
  EXPECT_FALSE(d3d9rt::IsDebugMuted());
  EXPECT_EQ(d3d9rt::DebugSetMuteCallCount(), 2u);
  // The debug runtime is not part of this process.
  EXPECT_EQ(GetModuleHandleA("d3d9d.dll"), nullptr);
}

}  // namespace
