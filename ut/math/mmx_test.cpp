#include "ut/math/mmx_test.h"

#if defined(__i386__) || defined(__x86_64__)
#include <mmintrin.h>
#endif

#include "win32/win32.h"

// -1 until the processor has been tested, then 0 (no MMX) or 1 (MMX usable).
LONG g_mmxAvailable = -1;

namespace {

// A non-zero REG_DWORD "DisableMMX"; a missing value or one of another type counts as absent.
bool MmxDisabledByRegistry() {
  HKEY key = nullptr;
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Duvodovid\\Direct3D", &key) != ERROR_SUCCESS) return false;
  DWORD type = REG_NONE;
  DWORD value = 0;
  DWORD bytes = sizeof value;
  const bool disabled = RegQueryValueExA(key, "DisableMMX", nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                         &bytes) == ERROR_SUCCESS &&
                        type == REG_DWORD && value != 0;
  RegCloseKey(key);
  return disabled;
}

// CPUID runs only on a processor of the x86 family that has it: a 32-bit x86 of level 5
// (Pentium) or later, or an x86-64 processor, where it always exists. Every x86-64 processor
// has MMX, but the answer still comes from CPUID leaf 1, EDX bit 23.
bool ProcessorHasMmx() {
#if defined(__i386__) || defined(__x86_64__)
  SYSTEM_INFO info = {};
  GetSystemInfo(&info);
  const bool x86 = info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL && info.wProcessorLevel >= 5;
  const bool x64 = info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
  if (!x86 && !x64) return false;
  if ((win32::Cpuid(1).edx & (1u << 23)) == 0) return false;
  // Leave the floating-point registers usable after touching MMX state.
  _mm_empty();
  return true;
#else
  return false;
#endif
}

}  // namespace

BOOL IsMmxAvailable() {
  if (MmxDisabledByRegistry()) {
    g_mmxAvailable = 0;
    return FALSE;
  }
  // The processor test runs once; a switch seen earlier has already settled the answer at 0.
  if (g_mmxAvailable < 0) {
    g_mmxAvailable = 0;
    if (ProcessorHasMmx()) g_mmxAvailable = 1;
  }
  return g_mmxAvailable;
}
