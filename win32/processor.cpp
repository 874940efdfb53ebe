#include "win32/processor.h"

#include <unistd.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace {

struct Simulation {
  WORD architecture;
  std::vector<win32::CpuidLeaf> leaves;
};

struct ProcessorState {
  std::mutex mutex;
  std::optional<Simulation> simulation;
  std::atomic<uint64_t> executions{0};
};

ProcessorState& State() {
  static ProcessorState state;
  return state;
}

win32::CpuidRegisters HardwareCpuid(uint32_t leaf, uint32_t subleaf) {
  win32::CpuidRegisters r{0, 0, 0, 0};
#if defined(__x86_64__) || defined(__i386__)
  __cpuid_count(leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
#else
  (void)leaf, (void)subleaf;
#endif
  return r;
}

// The architecture and the answer to one leaf, real or simulated; not counted.
WORD Architecture() {
  ProcessorState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (state.simulation) return state.simulation->architecture;
#if defined(__x86_64__) || defined(__i386__)
  return PROCESSOR_ARCHITECTURE_INTEL;
#else
  return PROCESSOR_ARCHITECTURE_UNKNOWN;
#endif
}

win32::CpuidRegisters QueryLeaf(uint32_t leaf, uint32_t subleaf) {
  ProcessorState& state = State();
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.simulation) {
      for (const win32::CpuidLeaf& l : state.simulation->leaves) {
        if (l.leaf == leaf) return l.registers;
      }
      return {0, 0, 0, 0};
    }
  }
  return HardwareCpuid(leaf, subleaf);
}

// A leaf only when the processor reports it exists (leaves above the highest one are garbage).
win32::CpuidRegisters QueryIfPresent(uint32_t leaf) {
  const uint32_t base = leaf & 0x80000000u;
  if (QueryLeaf(base, 0).eax < leaf) return {0, 0, 0, 0};
  return QueryLeaf(leaf, 0);
}

bool IsX86(WORD architecture) {
  return architecture == PROCESSOR_ARCHITECTURE_INTEL || architecture == PROCESSOR_ARCHITECTURE_AMD64;
}

enum class Reg { kEcx, kEdx };

struct FeatureBit {
  DWORD feature;
  uint32_t leaf;
  Reg reg;
  int bit;
};

constexpr FeatureBit kFeatureBits[] = {
    {PF_COMPARE_EXCHANGE_DOUBLE, 1, Reg::kEdx, 8},
    {PF_MMX_INSTRUCTIONS_AVAILABLE, 1, Reg::kEdx, 23},
    {PF_XMMI_INSTRUCTIONS_AVAILABLE, 1, Reg::kEdx, 25},
    {PF_3DNOW_INSTRUCTIONS_AVAILABLE, 0x80000001u, Reg::kEdx, 31},
    {PF_RDTSC_INSTRUCTION_AVAILABLE, 1, Reg::kEdx, 4},
    {PF_PAE_ENABLED, 1, Reg::kEdx, 6},
    {PF_XMMI64_INSTRUCTIONS_AVAILABLE, 1, Reg::kEdx, 26},
    {PF_NX_ENABLED, 0x80000001u, Reg::kEdx, 20},
    {PF_SSE3_INSTRUCTIONS_AVAILABLE, 1, Reg::kEcx, 0},
    {PF_COMPARE_EXCHANGE128, 1, Reg::kEcx, 13},
    {PF_XSAVE_ENABLED, 1, Reg::kEcx, 27},  // OSXSAVE: the system saves the extended state
    {PF_SSSE3_INSTRUCTIONS_AVAILABLE, 1, Reg::kEcx, 9},
    {PF_SSE4_1_INSTRUCTIONS_AVAILABLE, 1, Reg::kEcx, 19},
    {PF_SSE4_2_INSTRUCTIONS_AVAILABLE, 1, Reg::kEcx, 20},
};

bool CpuidBit(uint32_t leaf, Reg reg, int bit) {
  const win32::CpuidRegisters r = QueryIfPresent(leaf);
  return (((reg == Reg::kEcx) ? r.ecx : r.edx) >> bit) & 1u;
}

}  // namespace

BOOL IsProcessorFeaturePresent(DWORD feature) {
  if (!IsX86(Architecture())) return FALSE;
  if (feature == PF_FLOATING_POINT_EMULATED) return !CpuidBit(1, Reg::kEdx, 0);
  for (const FeatureBit& f : kFeatureBits) {
    if (f.feature == feature) return CpuidBit(f.leaf, f.reg, f.bit) ? TRUE : FALSE;
  }
  return FALSE;  // PF_FLOATING_POINT_PRECISION_ERRATA and anything unknown
}

void GetSystemInfo(LPSYSTEM_INFO info) {
  if (!info) return;
  *info = SYSTEM_INFO{};
  const WORD architecture = Architecture();
  info->wProcessorArchitecture = architecture;
  const long pageSize = sysconf(_SC_PAGESIZE);
  info->dwPageSize = pageSize > 0 ? static_cast<DWORD>(pageSize) : 4096;
  info->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(static_cast<uintptr_t>(0x10000));
  info->lpMaximumApplicationAddress =
      reinterpret_cast<LPVOID>(static_cast<uintptr_t>(sizeof(void*) == 8 ? 0x00007FFFFFFEFFFFull : 0x7FFEFFFFu));
  long processors = sysconf(_SC_NPROCESSORS_ONLN);
  if (processors < 1) processors = 1;
  if (processors > 64) processors = 64;
  info->dwNumberOfProcessors = static_cast<DWORD>(processors);
  info->dwActiveProcessorMask =
      processors >= 64 ? ~DWORD_PTR{0} : ((DWORD_PTR{1} << processors) - 1);
  info->dwAllocationGranularity = 65536;
  if (!IsX86(architecture)) return;

  // Family, model and stepping from leaf 1, with the extended fields where they apply.
  const uint32_t signature = QueryIfPresent(1).eax;
  uint32_t family = (signature >> 8) & 0xF;
  uint32_t model = (signature >> 4) & 0xF;
  if (family == 0xF) family += (signature >> 20) & 0xFF;
  if (family == 6 || family >= 0xF) model += ((signature >> 16) & 0xF) << 4;
  info->wProcessorLevel = static_cast<WORD>(family);
  info->wProcessorRevision = static_cast<WORD>((model << 8) | (signature & 0xF));
  info->dwProcessorType = family <= 3 ? PROCESSOR_INTEL_386
                          : family == 4 ? PROCESSOR_INTEL_486
                                        : PROCESSOR_INTEL_PENTIUM;
}

namespace win32 {

CpuidRegisters Cpuid(uint32_t leaf, uint32_t subleaf) {
  State().executions.fetch_add(1, std::memory_order_relaxed);
  return QueryLeaf(leaf, subleaf);
}

void SimulateProcessor(const SimulatedProcessor* processor) {
  ProcessorState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  if (!processor) {
    state.simulation.reset();
    return;
  }
  Simulation s{processor->architecture, {}};
  if (processor->leaves) s.leaves.assign(processor->leaves, processor->leaves + processor->leafCount);
  state.simulation = std::move(s);
}

uint64_t CpuidExecutionCount() { return State().executions.load(std::memory_order_relaxed); }

}  // namespace win32
