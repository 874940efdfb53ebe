// Built twice, once per fault (UT_ZERO_ALLOCATION_NULL 0 or 1): this program replaces the global
// allocation operators so that a zero-byte ::operator new gives the same address every time, or
// null, which is what the library's one-time allocator check must warn about.
#include "ut/diag/allocator_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "win32/debug_output.h"

#ifndef UT_ZERO_ALLOCATION_NULL
#error "build with UT_ZERO_ALLOCATION_NULL 0 (same address) or 1 (null)"
#endif

namespace {

alignas(std::max_align_t) unsigned char g_zeroBlock[16];

void* Allocate(std::size_t size) {
  if (size == 0) return UT_ZERO_ALLOCATION_NULL ? nullptr : g_zeroBlock;
  if (void* p = std::malloc(size)) return p;
  throw std::bad_alloc();
}

void* AllocateConforming(std::size_t size) noexcept { return std::malloc(size == 0 ? 1 : size); }

void Free(void* p) noexcept {
  if (p != g_zeroBlock) std::free(p);
}

}  // namespace

// Only the scalar throwing form misbehaves; every other form (replaced too, so that a sanitizer's
// own operators never free what these allocate) conforms.
void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) {
  if (void* p = AllocateConforming(size)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateConforming(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateConforming(size);
}
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }

namespace {

void Capture(const char* text, void* context) {
  static_cast<std::vector<std::string>*>(context)->emplace_back(text);
}

TEST(AllocatorCheck, TheReplacedOperatorShowsTheFault) {
  void* volatile first = ::operator new(0);
  void* volatile second = ::operator new(0);
  if (UT_ZERO_ALLOCATION_NULL) {
    EXPECT_EQ(first, nullptr);
  } else {
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(first, second);
  }
  ::operator delete(first);
  ::operator delete(second);
}

TEST(AllocatorCheck, WarnsWithTheFourLinesOncePerProcess) {
  std::vector<std::string> lines;
  win32::SetDebugOutputHook(&Capture, &lines);
  CheckAllocatorConformance();
  CheckAllocatorConformance();
  win32::SetDebugOutputHook(nullptr, nullptr);

  const std::vector<std::string> expected = {
      "D3IZ: (WARN) Overloaded ::new and ::delete operators do not conform to C++ standards:\r\n",
      "D3IZ: (WARN) An allocation of zero bytes should return a unique non-null pointer to at\r\n",
      "D3IZ: (WARN) least zero bytes. Deletion of a null pointer should quietly do nothing.\r\n",
      "D3IZ: (WARN) D3IZ relies upon this behavior.\r\n",
  };
  EXPECT_EQ(lines, expected);

  // Still nothing on a later call with the capture back in place.
  lines.clear();
  win32::SetDebugOutputHook(&Capture, &lines);
  CheckAllocatorConformance();
  win32::SetDebugOutputHook(nullptr, nullptr);
  EXPECT_TRUE(lines.empty());
}

}  // namespace
