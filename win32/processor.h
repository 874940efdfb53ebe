// Processor information: the CPUID instruction, IsProcessorFeaturePresent and GetSystemInfo,
// mapped onto the machine. The program is an x86 program, so (as Windows tells a 32-bit process
// on a 64-bit processor) the architecture is PROCESSOR_ARCHITECTURE_INTEL and the level is the
// CPUID family. Every answer is derived from CPUID, so a simulated processor (a test facility,
// below) changes all of them consistently.
#pragma once

#include <cstddef>
#include <cstdint>

#include "win32/win32_types.h"

#define PROCESSOR_ARCHITECTURE_INTEL 0
#define PROCESSOR_ARCHITECTURE_ARM 5
#define PROCESSOR_ARCHITECTURE_IA64 6
#define PROCESSOR_ARCHITECTURE_AMD64 9
#define PROCESSOR_ARCHITECTURE_ARM64 12
#define PROCESSOR_ARCHITECTURE_UNKNOWN 0xFFFF

#define PROCESSOR_INTEL_386 386
#define PROCESSOR_INTEL_486 486
#define PROCESSOR_INTEL_PENTIUM 586

#define PF_FLOATING_POINT_PRECISION_ERRATA 0
#define PF_FLOATING_POINT_EMULATED 1
#define PF_COMPARE_EXCHANGE_DOUBLE 2
#define PF_MMX_INSTRUCTIONS_AVAILABLE 3
#define PF_XMMI_INSTRUCTIONS_AVAILABLE 6
#define PF_3DNOW_INSTRUCTIONS_AVAILABLE 7
#define PF_RDTSC_INSTRUCTION_AVAILABLE 8
#define PF_PAE_ENABLED 9
#define PF_XMMI64_INSTRUCTIONS_AVAILABLE 10
#define PF_NX_ENABLED 12
#define PF_SSE3_INSTRUCTIONS_AVAILABLE 13
#define PF_COMPARE_EXCHANGE128 14
#define PF_XSAVE_ENABLED 17
#define PF_SSSE3_INSTRUCTIONS_AVAILABLE 36
#define PF_SSE4_1_INSTRUCTIONS_AVAILABLE 37
#define PF_SSE4_2_INSTRUCTIONS_AVAILABLE 38

struct SYSTEM_INFO {
  union {
    DWORD dwOemId;
    struct {
      WORD wProcessorArchitecture;
      WORD wReserved;
    };
  };
  DWORD dwPageSize;
  LPVOID lpMinimumApplicationAddress;
  LPVOID lpMaximumApplicationAddress;
  DWORD_PTR dwActiveProcessorMask;
  DWORD dwNumberOfProcessors;
  DWORD dwProcessorType;
  DWORD dwAllocationGranularity;
  WORD wProcessorLevel;
  WORD wProcessorRevision;
};
typedef SYSTEM_INFO* LPSYSTEM_INFO;

void GetSystemInfo(LPSYSTEM_INFO lpSystemInfo);
BOOL IsProcessorFeaturePresent(DWORD ProcessorFeature);

namespace win32 {

struct CpuidRegisters {
  uint32_t eax, ebx, ecx, edx;
};

// Executes CPUID with the leaf in EAX and the subleaf in ECX, as the program's own code does
// (each call is counted, see CpuidExecutionCount).
CpuidRegisters Cpuid(uint32_t leaf, uint32_t subleaf = 0);

// --- Test facility: a simulated processor ------------------------------------------------------

struct CpuidLeaf {
  uint32_t leaf;
  CpuidRegisters registers;
};

// The processor that CPUID, GetSystemInfo and IsProcessorFeaturePresent describe while the
// simulation is on. Leaves not listed (give 0 and 0x80000000 with their highest leaves) read as
// zeros, whatever the subleaf.
struct SimulatedProcessor {
  WORD architecture = PROCESSOR_ARCHITECTURE_INTEL;
  const CpuidLeaf* leaves = nullptr;
  size_t leafCount = 0;
};

// Starts simulating (the description is copied) or, with null, goes back to the real processor.
void SimulateProcessor(const SimulatedProcessor* processor);

// How many times win32::Cpuid has run in this process. GetSystemInfo and
// IsProcessorFeaturePresent are the system's answers and don't count.
uint64_t CpuidExecutionCount();

}  // namespace win32
