#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ut/diag/allocator_check.h"
#include "win32/debug_output.h"

namespace {

void Capture(const char* text, void* context) {
  static_cast<std::vector<std::string>*>(context)->emplace_back(text);
}

// The standard operators conform: the check stays silent (the faulty allocators have programs
// of their own).
TEST(AllocatorCheck, ConformingAllocatorIsNotReported) {
  std::vector<std::string> lines;
  win32::SetDebugOutputHook(&Capture, &lines);
  CheckAllocatorConformance();
  CheckAllocatorConformance();
  win32::SetDebugOutputHook(nullptr, nullptr);
  EXPECT_TRUE(lines.empty()) << lines.front();
}

}  // namespace
