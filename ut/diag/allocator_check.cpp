#include "ut/diag/allocator_check.h"

#include <atomic>
#include <new>

#include "win32/debug_output.h"

namespace {
// Set when the check first runs; exchange() lets exactly one caller run it.
std::atomic<int> g_allocatorChecked{0};
}  // namespace

void CheckAllocatorConformance() {
  if (g_allocatorChecked.exchange(1, std::memory_order_relaxed) != 0) return;

  // Through volatile so the compiler cannot assume what a replaced ::operator new returns: a
  // non-conforming one is exactly what this check looks for.
  void* volatile first = ::operator new(0);
  void* volatile second = ::operator new(0);
  void* const a = first;
  void* const b = second;
  const bool conforming = a != nullptr && b != nullptr && a != b;

  if (a != nullptr) ::operator delete(a);
  if (b != nullptr && b != a) ::operator delete(b);
  ::operator delete(nullptr);

  if (!conforming) {
    OutputDebugStringA(
        "D3IZ: (WARN) Overloaded ::new and ::delete operators do not conform to C++ standards:\r\n");
    OutputDebugStringA(
        "D3IZ: (WARN) An allocation of zero bytes should return a unique non-null pointer to at\r\n");
    OutputDebugStringA(
        "D3IZ: (WARN) least zero bytes. Deletion of a null pointer should quietly do nothing.\r\n");
    OutputDebugStringA("D3IZ: (WARN) D3IZ relies upon this behavior.\r\n");
  }
}
