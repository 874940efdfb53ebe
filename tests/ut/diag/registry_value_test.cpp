#include "ut/diag/registry_value.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "child_process.h"
#include "win32/registry.h"

namespace {

// Points the registry at a file of the test's own for the length of one test.
class RegistryValueTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("UT_REGISTRY_FILE");
    hadOld_ = old != nullptr;
    if (hadOld_) old_ = old;
    setenv("UT_REGISTRY_FILE", file_.c_str(), 1);
  }
  void TearDown() override {
    if (hadOld_) {
      setenv("UT_REGISTRY_FILE", old_.c_str(), 1);
    } else {
      unsetenv("UT_REGISTRY_FILE");
    }
  }
  void WriteDirect3DKey(const std::string& values) {
    diag_test::WriteTextFile(file_,
                             "Windows Registry Editor Version 5.00\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\Duvodovid\\Direct3D]\r\n" +
                                 values);
  }

  diag_test::TempDir dir_;
  std::string file_ = dir_.File("registry.reg");
  bool hadOld_ = false;
  std::string old_;
};

constexpr uint32_t kUntouched = 0xA5A5A5A5;

TEST_F(RegistryValueTest, ReadsADwordOfTheExpectedType) {
  WriteDirect3DKey("\"DisablePSGP\"=dword:0000002a\r\n\"DisableMMX\"=dword:00000000\r\n");
  uint32_t value = kUntouched;
  EXPECT_TRUE(ReadDirect3DRegistryValue(REG_DWORD, "DisablePSGP", &value, sizeof(value)));
  EXPECT_EQ(value, 42u);
  EXPECT_TRUE(ReadDirect3DRegistryValue(REG_DWORD, "DisableMMX", &value, sizeof(value)));
  EXPECT_EQ(value, 0u);
}

TEST_F(RegistryValueTest, AnotherTypeIsFalseButTheDataIsStillWritten) {
  WriteDirect3DKey("\"D3IZDoNotMute\"=\"1\"\r\n");
  uint32_t value = kUntouched;
  EXPECT_FALSE(ReadDirect3DRegistryValue(REG_DWORD, "D3IZDoNotMute", &value, sizeof(value)));
  unsigned char bytes[4];
  std::memcpy(bytes, &value, sizeof(bytes));
  EXPECT_EQ(bytes[0], '1');
  EXPECT_EQ(bytes[1], '\0');
}

TEST_F(RegistryValueTest, DataLargerThanTheBufferIsFalseAndStaysOutOfIt) {
  WriteDirect3DKey("\"DisablePSGP\"=\"a string much longer than four bytes\"\r\n");
  uint32_t buffer[2] = {kUntouched, kUntouched};
  EXPECT_FALSE(ReadDirect3DRegistryValue(REG_DWORD, "DisablePSGP", &buffer[0], 4));
  EXPECT_EQ(buffer[1], kUntouched);
}

TEST_F(RegistryValueTest, MissingValueKeyOrFileIsFalse) {
  uint32_t value = kUntouched;
  EXPECT_FALSE(ReadDirect3DRegistryValue(REG_DWORD, "DisablePSGP", &value, sizeof(value)))
      << "no registry file";
  WriteDirect3DKey("\"DisableMMX\"=dword:00000001\r\n");
  EXPECT_FALSE(ReadDirect3DRegistryValue(REG_DWORD, "DisablePSGP", &value, sizeof(value)))
      << "no such value";
  diag_test::WriteTextFile(file_,
                           "Windows Registry Editor Version 5.00\r\n\r\n"
                           "[HKEY_LOCAL_MACHINE\\Software\\Duvodovid\\Other]\r\n"
                           "\"DisablePSGP\"=dword:00000001\r\n");
  EXPECT_FALSE(ReadDirect3DRegistryValue(REG_DWORD, "DisablePSGP", &value, sizeof(value)))
      << "no such key";
  EXPECT_EQ(value, kUntouched);
}

}  // namespace
