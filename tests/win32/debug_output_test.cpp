// Debugger output reaches the installed hook unchanged; wide text arrives in the ANSI code page.
#include "win32/debug_output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void Capture(const char* text, void* context) {
  static_cast<std::vector<std::string>*>(context)->push_back(text);
}

TEST(DebugOutputTest, HookCapturesEveryLineUntilRemoved) {
  std::vector<std::string> lines;
  win32::SetDebugOutputHook(&Capture, &lines);
  OutputDebugStringA("D3IZ: (WARN) first\r\n");
  OutputDebugStringA(nullptr);  // ignored
  OutputDebugStringA("");
  OutputDebugStringW(L"wide Да\r\n");
  win32::SetDebugOutputHook(nullptr, nullptr);
  OutputDebugStringA("not captured\r\n");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "D3IZ: (WARN) first\r\n");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], "wide \xc4\xe0\r\n");
}

}  // namespace
