// Processor information on the real processor and on simulated ones.
#include "win32/processor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// Leaf 1 EAX for a family/model/stepping (base fields only for families below 15).
uint32_t Signature(uint32_t family, uint32_t model, uint32_t stepping) {
  uint32_t baseFamily = family, extFamily = 0;
  if (family > 0xF) baseFamily = 0xF, extFamily = family - 0xF;
  return (extFamily << 20) | ((model >> 4) << 16) | (baseFamily << 8) | ((model & 0xF) << 4) | stepping;
}

constexpr uint32_t kMmx = 1u << 23, kSse = 1u << 25, kSse2 = 1u << 26, k3dNow = 1u << 31;

class SimulatedProcessorTest : public testing::Test {
 protected:
  void TearDown() override { win32::SimulateProcessor(nullptr); }
  void Simulate(WORD architecture, std::initializer_list<win32::CpuidLeaf> leaves) {
    leaves_.assign(leaves.begin(), leaves.end());
    win32::SimulatedProcessor p;
    p.architecture = architecture;
    p.leaves = leaves_.data();
    p.leafCount = leaves_.size();
    win32::SimulateProcessor(&p);
  }
  std::vector<win32::CpuidLeaf> leaves_;
};

TEST(ProcessorTest, RealProcessorIsReportedAsTheX86FamilyWithMmxSseSse2) {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  EXPECT_EQ(info.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_INTEL);
  EXPECT_GE(info.dwNumberOfProcessors, 1u);
  EXPECT_EQ(info.dwAllocationGranularity, 65536u);
  EXPECT_EQ(info.dwProcessorType, static_cast<DWORD>(PROCESSOR_INTEL_PENTIUM));

  const win32::CpuidRegisters leaf1 = win32::Cpuid(1);
  uint32_t family = (leaf1.eax >> 8) & 0xF;
  if (family == 0xF) family += (leaf1.eax >> 20) & 0xFF;
  EXPECT_EQ(info.wProcessorLevel, family);
  // Every x86-64 processor has these.
  EXPECT_TRUE(IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE));
  EXPECT_TRUE(IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE));
  EXPECT_TRUE(IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE));
  EXPECT_FALSE(IsProcessorFeaturePresent(PF_FLOATING_POINT_EMULATED));
  EXPECT_EQ(IsProcessorFeaturePresent(PF_SSE3_INSTRUCTIONS_AVAILABLE) != 0, (leaf1.ecx & 1) != 0);

  const win32::CpuidRegisters leaf0 = win32::Cpuid(0);
  EXPECT_GE(leaf0.eax, 1u);
  char vendor[13] = {};
  std::memcpy(vendor, &leaf0.ebx, 4);
  std::memcpy(vendor + 4, &leaf0.edx, 4);
  std::memcpy(vendor + 8, &leaf0.ecx, 4);
  EXPECT_EQ(std::strlen(vendor), 12u) << vendor;
}

TEST(ProcessorTest, OnlyTheProgramsOwnCpuidIsCounted) {
  const uint64_t before = win32::CpuidExecutionCount();
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE);
  EXPECT_EQ(win32::CpuidExecutionCount(), before);
  win32::Cpuid(0);
  win32::Cpuid(1);
  EXPECT_EQ(win32::CpuidExecutionCount(), before + 2);
}

TEST_F(SimulatedProcessorTest, Level4ProcessorWithoutMmx) {
  Simulate(PROCESSOR_ARCHITECTURE_INTEL, {{0, {1, 0, 0, 0}}, {1, {Signature(4, 8, 0), 0, 0, 0}}});
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  EXPECT_EQ(info.wProcessorLevel, 4);
  EXPECT_EQ(info.wProcessorRevision, 0x0800);
  EXPECT_EQ(info.dwProcessorType, static_cast<DWORD>(PROCESSOR_INTEL_486));
  EXPECT_FALSE(IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE));
  EXPECT_TRUE(IsProcessorFeaturePresent(PF_FLOATING_POINT_EMULATED));  // no FPU bit either
  EXPECT_EQ(win32::Cpuid(1).eax, Signature(4, 8, 0));
  EXPECT_EQ(win32::Cpuid(7).eax, 0u);  // leaves not listed read as zero
}

TEST_F(SimulatedProcessorTest, AmdProcessorWith3DNowAndWithoutSse) {
  Simulate(PROCESSOR_ARCHITECTURE_INTEL, {{0, {1, 0x68747541, 0x444D4163, 0x69746E65}},
                                          {1, {Signature(6, 4, 2), 0, 0, kMmx | 1}},
                                          {0x80000000u, {0x80000001u, 0, 0, 0}},
                                          {0x80000001u, {0, 0, 0, k3dNow | (1u << 30) | (1u << 22)}}});
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  EXPECT_EQ(info.wProcessorLevel, 6);
  EXPECT_TRUE(IsProcessorFeaturePresent(PF_3DNOW_INSTRUCTIONS_AVAILABLE));
  EXPECT_TRUE(IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE));
  EXPECT_FALSE(IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE));
  EXPECT_FALSE(IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE));
}

TEST_F(SimulatedProcessorTest, ExtendedLeavesBeyondTheHighestAreAbsent) {
  // 3DNow! bit set in a leaf the processor says it doesn't have.
  Simulate(PROCESSOR_ARCHITECTURE_INTEL, {{0, {1, 0, 0, 0}},
                                          {1, {Signature(6, 0x3A, 9), 0, 0, kMmx | kSse | kSse2}},
                                          {0x80000000u, {0x80000000u, 0, 0, 0}},
                                          {0x80000001u, {0, 0, 0, k3dNow}}});
  EXPECT_FALSE(IsProcessorFeaturePresent(PF_3DNOW_INSTRUCTIONS_AVAILABLE));
  EXPECT_TRUE(IsProcessorFeaturePresent(PF_XMMI64_INSTRUCTIONS_AVAILABLE));
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  EXPECT_EQ(info.wProcessorRevision, 0x3A09);  // extended model of family 6
}

TEST_F(SimulatedProcessorTest, ExtendedFamily) {
  Simulate(PROCESSOR_ARCHITECTURE_INTEL, {{0, {1, 0, 0, 0}}, {1, {Signature(0x17, 0x31, 0), 0, 0, kMmx}}});
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  EXPECT_EQ(info.wProcessorLevel, 0x17);
  EXPECT_EQ(info.wProcessorRevision, 0x3100);
}

TEST_F(SimulatedProcessorTest, AnotherArchitectureHasNoX86Features) {
  Simulate(PROCESSOR_ARCHITECTURE_ARM64, {{0, {1, 0, 0, 0}}, {1, {Signature(6, 1, 0), 0, 0, kMmx | kSse}}});
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  EXPECT_EQ(info.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_ARM64);
  EXPECT_EQ(info.wProcessorLevel, 0);
  EXPECT_FALSE(IsProcessorFeaturePresent(PF_MMX_INSTRUCTIONS_AVAILABLE));
}

TEST_F(SimulatedProcessorTest, EndingTheSimulationRestoresTheRealProcessor) {
  Simulate(PROCESSOR_ARCHITECTURE_INTEL, {{0, {0, 0, 0, 0}}});
  EXPECT_FALSE(IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE));
  win32::SimulateProcessor(nullptr);
  EXPECT_TRUE(IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE));
}

}  // namespace
