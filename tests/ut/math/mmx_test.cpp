// IsMmxAvailable: the "DisableMMX" switch and the processor test. The answer is kept for the
// life of the process, so every case runs in a process of its own (a death test in the
// "threadsafe" style re-executes this program for the one case).

#include "ut/math/mmx_test.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "win32/win32.h"

namespace {

// leaf 1 EAX: family in bits 8-11; EDX bit 23: MMX.
constexpr uint32_t kMmxBit = 1u << 23;

win32::CpuidLeaf Leaf0() { return {0, {1, 0, 0, 0}}; }

// Simulates a processor of `architecture` whose leaf 1 reports `family` and `edx`.
void Simulate(WORD architecture, uint32_t family, uint32_t edx) {
  const win32::CpuidLeaf leaves[] = {Leaf0(), {1, {family << 8, 0, 0, edx}}};
  const win32::SimulatedProcessor processor = {architecture, leaves, 2};
  win32::SimulateProcessor(&processor);
}

// The registry file of this test: the machine's registry for the program while it runs.
class RegistryFile {
 public:
  RegistryFile() {
    char pattern[] = "/tmp/ut_mmx_test_XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (dir) path_ = std::string(dir) + "/registry.reg";
    setenv("UT_REGISTRY_FILE", path_.c_str(), 1);
  }
  ~RegistryFile() {
    std::remove(path_.c_str());
    rmdir(path_.substr(0, path_.rfind('/')).c_str());
  }

  // Writes the Direct3D key with `values` (lines of the .reg format), or no file at all.
  void Write(const std::string& values) const {
    std::ofstream(path_) << "Windows Registry Editor Version 5.00\r\n\r\n"
                            "[HKEY_LOCAL_MACHINE\\Software\\Duvodovid\\Direct3D]\r\n"
                         << values;
  }
  void Remove() const { std::remove(path_.c_str()); }

  // Ends the child process, which runs no destructors: removes the file, then exits with 0
  // when `ok`, else with 1 after saying why on stderr.
  [[noreturn]] void Finish(bool ok, const std::string& why) const {
    Remove();
    rmdir(path_.substr(0, path_.rfind('/')).c_str());
    if (!ok) std::fprintf(stderr, "%s\n", why.c_str());
    std::fflush(stderr);
    std::_Exit(ok ? 0 : 1);
  }

 private:
  std::string path_;
};

#define EXPECT_IN_FRESH_PROCESS(scenario) EXPECT_EXIT(scenario, testing::ExitedWithCode(0), "")

class MmxTest : public testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
  RegistryFile registry_;
};

TEST_F(MmxTest, DwordOneForcesFalseAfterTrueAndStaysFalseAfterRemoval) {
  EXPECT_IN_FRESH_PROCESS({
    Simulate(PROCESSOR_ARCHITECTURE_INTEL, 6, kMmxBit);
    registry_.Remove();
    const BOOL first = IsMmxAvailable();
    registry_.Write("\"DisableMMX\"=dword:00000001\r\n");
    const BOOL disabled = IsMmxAvailable();
    registry_.Write("");
    const BOOL afterRemoval = IsMmxAvailable();
    registry_.Finish(first == TRUE && disabled == FALSE && afterRemoval == FALSE,
           "answers " + std::to_string(first) + ", " + std::to_string(disabled) + ", " +
               std::to_string(afterRemoval) + "; expected 1, 0, 0");
  });
}

// Seen on the first call, the switch settles the answer before the processor is ever tested.
TEST_F(MmxTest, SwitchOnFirstCallMeansNoProcessorTestEver) {
  EXPECT_IN_FRESH_PROCESS({
    Simulate(PROCESSOR_ARCHITECTURE_INTEL, 6, kMmxBit);
    registry_.Write("\"DisableMMX\"=dword:00000002\r\n");
    const uint64_t cpuidBefore = win32::CpuidExecutionCount();
    const BOOL disabled = IsMmxAvailable();
    registry_.Remove();
    const BOOL afterRemoval = IsMmxAvailable();
    const uint64_t cpuidRuns = win32::CpuidExecutionCount() - cpuidBefore;
    registry_.Finish(disabled == FALSE && afterRemoval == FALSE && cpuidRuns == 0,
           "answers " + std::to_string(disabled) + ", " + std::to_string(afterRemoval) + " with " +
               std::to_string(cpuidRuns) + " CPUID runs; expected 0, 0 with none");
  });
}

// Values that do not disable: the processor decides, on a processor with MMX and one without.
struct SwitchCase {
  const char* name;
  const char* registry;  // lines of the key, or null for no registry file
};

const SwitchCase kInertSwitches[] = {
    {"no_file", nullptr},
    {"no_value", ""},
    {"dword_zero", "\"DisableMMX\"=dword:00000000\r\n"},
    {"string_one", "\"DisableMMX\"=\"1\"\r\n"},
    {"binary_one", "\"DisableMMX\"=hex:01,00,00,00\r\n"},
    {"other_value_set", "\"DisablePSGP\"=dword:00000001\r\n"},
};

class InertSwitch : public testing::TestWithParam<SwitchCase> {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
  RegistryFile registry_;
};

INSTANTIATE_TEST_SUITE_P(Values, InertSwitch, testing::ValuesIn(kInertSwitches),
                         [](const testing::TestParamInfo<SwitchCase>& info) { return std::string(info.param.name); });

TEST_P(InertSwitch, LeavesTheProcessorTestInCharge) {
  for (const bool hasMmx : {true, false}) {
    EXPECT_IN_FRESH_PROCESS({
      Simulate(PROCESSOR_ARCHITECTURE_INTEL, 6, hasMmx ? kMmxBit : 0);
      if (GetParam().registry) registry_.Write(GetParam().registry);
      else registry_.Remove();
      const BOOL answer = IsMmxAvailable();
      registry_.Finish(answer == (hasMmx ? TRUE : FALSE), "answer " + std::to_string(answer) + " with MMX " +
                                                    (hasMmx ? "present" : "absent"));
    }) << (hasMmx ? "processor with MMX" : "processor without MMX");
  }
}

// Which processors are tested with CPUID at all, and the answer each gives.
struct ProcessorCase {
  const char* name;
  WORD architecture;
  uint32_t family;
  bool executesCpuid;
  BOOL expected;
};

const ProcessorCase kProcessors[] = {
    {"x86_level_6", PROCESSOR_ARCHITECTURE_INTEL, 6, true, TRUE},
    {"x86_level_5", PROCESSOR_ARCHITECTURE_INTEL, 5, true, TRUE},
    {"x86_level_15", PROCESSOR_ARCHITECTURE_INTEL, 15, true, TRUE},
    {"x86_level_4", PROCESSOR_ARCHITECTURE_INTEL, 4, false, FALSE},
    {"x64", PROCESSOR_ARCHITECTURE_AMD64, 6, true, TRUE},
    {"arm64", PROCESSOR_ARCHITECTURE_ARM64, 6, false, FALSE},
    {"ia64", PROCESSOR_ARCHITECTURE_IA64, 6, false, FALSE},
};

class Processor : public testing::TestWithParam<ProcessorCase> {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
  RegistryFile registry_;
};

INSTANTIATE_TEST_SUITE_P(Kinds, Processor, testing::ValuesIn(kProcessors),
                         [](const testing::TestParamInfo<ProcessorCase>& info) { return std::string(info.param.name); });

// Every processor here reports MMX in CPUID: only those that may run CPUID get to say so.
TEST_P(Processor, CpuidRunsOnlyWhereItExistsAndOnlyOnce) {
  const ProcessorCase& c = GetParam();
  EXPECT_IN_FRESH_PROCESS({
    Simulate(c.architecture, c.family, kMmxBit);
    registry_.Remove();
    const uint64_t before = win32::CpuidExecutionCount();
    const BOOL first = IsMmxAvailable();
    const BOOL second = IsMmxAvailable();
    const uint64_t runs = win32::CpuidExecutionCount() - before;
    registry_.Finish(first == c.expected && second == c.expected && runs == (c.executesCpuid ? 1u : 0u),
           "answers " + std::to_string(first) + ", " + std::to_string(second) + " after " + std::to_string(runs) +
               " CPUID runs");
  });
}

// Without simulation, this machine: an x86-64 processor has MMX.
TEST_F(MmxTest, ThisMachine) {
#if defined(__x86_64__)
  EXPECT_IN_FRESH_PROCESS({
    registry_.Remove();
    const BOOL answer = IsMmxAvailable();
    registry_.Finish(answer == TRUE, "an x86-64 processor reported no MMX");
  });
#else
  GTEST_SKIP() << "not an x86-64 build";
#endif
}

}  // namespace
