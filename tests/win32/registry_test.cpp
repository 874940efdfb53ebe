// The registry calls over the `.reg` file named by UT_REGISTRY_FILE.
#include "win32/registry.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "temp_dir.h"

namespace {

using win32_test::ReadTextFile;
using win32_test::WriteTextFile;

constexpr const char* kKeyPath = "Software\\Duvodovid\\Direct3D";

class RegistryTest : public testing::Test {
 protected:
  void SetUp() override {
    file_ = dir_.File("registry.reg");
    setenv("UT_REGISTRY_FILE", file_.c_str(), 1);
  }
  void TearDown() override { unsetenv("UT_REGISTRY_FILE"); }

  void Write(const std::string& body) {
    WriteTextFile(file_, "Windows Registry Editor Version 5.00\r\n\r\n" + body);
  }

  // ReadDirect3DRegistryValue's sequence: open, query into a DWORD, close.
  LONG QueryDword(const char* name, DWORD* type, DWORD* value, DWORD* size) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyA(HKEY_LOCAL_MACHINE, kKeyPath, &key);
    if (status != ERROR_SUCCESS) return status;
    status = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(value), size);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    return status;
  }

  win32_test::TempDir dir_;
  std::string file_;
};

TEST_F(RegistryTest, AbsentFileIsAnEmptyRegistry) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, kKeyPath, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
}

TEST_F(RegistryTest, ReadsADwordWithItsType) {
  Write("[HKEY_LOCAL_MACHINE\\Software\\Duvodovid\\Direct3D]\r\n\"DisablePSGP\"=dword:00000002\r\n");
  DWORD type = 0, value = 0, size = sizeof value;
  ASSERT_EQ(QueryDword("DisablePSGP", &type, &value, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(value, 2u);
  EXPECT_EQ(size, 4u);
}

TEST_F(RegistryTest, KeyAndValueNamesIgnoreCase) {
  Write("[HKEY_LOCAL_MACHINE\\SOFTWARE\\duvodovid\\DIRECT3D]\r\n\"disablemmx\"=dword:00000001\r\n");
  DWORD type = 0, value = 0, size = sizeof value;
  ASSERT_EQ(QueryDword("DisableMMX", &type, &value, &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 1u);
}

TEST_F(RegistryTest, StringValueKeepsItsTypeAndComesBackInTheAnsiCodePage) {
  Write("[HKEY_LOCAL_MACHINE\\Software\\Duvodovid\\Direct3D]\r\n\"DisablePSGP\"=\"1\"\r\n"
        "\"Name\"=\"Да\"\r\n");
  DWORD type = 0, value = 0xCCCCCCCC, size = sizeof value;
  ASSERT_EQ(QueryDword("DisablePSGP", &type, &value, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 2u);  // "1" and its terminator
  EXPECT_EQ(value & 0xFFFF, 0x0031u);

  HKEY key;
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, kKeyPath, &key), ERROR_SUCCESS);
  char text[8] = {};
  DWORD textSize = sizeof text;
  ASSERT_EQ(RegQueryValueExA(key, "Name", nullptr, &type, reinterpret_cast<BYTE*>(text), &textSize),
            ERROR_SUCCESS);
  EXPECT_EQ(textSize, 3u);
  EXPECT_STREQ(text, "\xc4\xe0");  // Windows-1251
  RegCloseKey(key);
}

TEST_F(RegistryTest, BufferSizeConventions) {
  Write("[HKEY_LOCAL_MACHINE\\K]\r\n\"bin\"=hex:01,02,03,04,05,06\r\n");
  HKEY key;
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "K", &key), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  // Size query without a buffer.
  EXPECT_EQ(RegQueryValueExA(key, "bin", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  // Too small: ERROR_MORE_DATA, the needed size, and the buffer untouched.
  BYTE data[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
  size = 4;
  EXPECT_EQ(RegQueryValueExA(key, "bin", nullptr, &type, data, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(data[0], 0xEE);
  // A buffer without a size is refused; a reserved pointer too.
  EXPECT_EQ(RegQueryValueExA(key, "bin", nullptr, &type, data, nullptr), ERROR_INVALID_PARAMETER);
  DWORD reserved = 0;
  size = sizeof data;
  EXPECT_EQ(RegQueryValueExA(key, "bin", &reserved, &type, data, &size), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueExA(key, "missing", nullptr, &type, data, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryTest, InvalidHandlesAreRefused) {
  DWORD size = 4, value;
  EXPECT_EQ(RegQueryValueExA(reinterpret_cast<HKEY>(0x1234), "v", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(&value), &size),
            ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(0x1234)), ERROR_INVALID_HANDLE);
  HKEY key;
  Write("[HKEY_LOCAL_MACHINE\\K]\r\n");
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "K", &key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, MalformedFileStillGivesWhatIsReadable) {
  WriteTextFile(file_, std::string("\x00\x01garbage[[[\n", 12) +
                           "[HKEY_LOCAL_MACHINE\\Software\\Duvodovid\\Direct3D\n"  // never closes
                           "\"DisableMMX\"=dword:00000001\n"
                           "[HKEY_LOCAL_MACHINE\\Software\\Duvodovid\\Direct3D]\n"
                           "\"D3IZDoNotMute\"=dword:zz\n"
                           "\"DisablePSGP\"=dword:00000001\n"
                           "\"DisableD3IZPSGP\"=hex:00,00,\\\n");  // continues past the end
  DWORD type, value, size = 4;
  EXPECT_EQ(QueryDword("DisableMMX", &type, &value, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(QueryDword("D3IZDoNotMute", &type, &value, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(QueryDword("DisableD3IZPSGP", &type, &value, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  size = 4;
  ASSERT_EQ(QueryDword("DisablePSGP", &type, &value, &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 1u);
}

TEST_F(RegistryTest, ChangesWithinOneProcessAreSeenAtOnce) {
  HKEY key;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  const DWORD one = 1;
  ASSERT_EQ(RegSetValueExA(key, "DisableMMX", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
            ERROR_SUCCESS);
  DWORD type, value = 0, size = 4;
  ASSERT_EQ(QueryDword("DisableMMX", &type, &value, &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 1u);

  // Another writer (a tool, an editor) changes the file behind the open handle.
  Write("[HKEY_LOCAL_MACHINE\\Software\\Duvodovid\\Direct3D]\r\n\"DisableMMX\"=dword:00000007\r\n");
  size = 4;
  ASSERT_EQ(RegQueryValueExA(key, "DisableMMX", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(value, 7u);

  ASSERT_EQ(RegDeleteValueA(key, "DisableMMX"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(key, "DisableMMX"), ERROR_FILE_NOT_FOUND);
  size = 4;
  EXPECT_EQ(QueryDword("DisableMMX", &type, &value, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);

  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, nullptr, 0, KEY_READ, nullptr, &key,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  RegCloseKey(key);
}

TEST_F(RegistryTest, WrittenFileIsARegFileThatKeepsOtherKeys) {
  Write("[HKEY_CURRENT_USER\\Other]\r\n\"keep\"=\"me\"\r\n");
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\X", 0, nullptr, 0, KEY_WRITE, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  const char text[] = "\xc4\xe0";  // "Да" in Windows-1251
  ASSERT_EQ(RegSetValueExA(key, "s", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
            ERROR_SUCCESS);
  RegCloseKey(key);
  const std::string written = ReadTextFile(file_);
  EXPECT_EQ(written.rfind("Windows Registry Editor Version 5.00\n", 0), 0u) << written;
  EXPECT_NE(written.find("[HKEY_CURRENT_USER\\Other]\n\"keep\"=\"me\"\n"), std::string::npos) << written;
  EXPECT_NE(written.find("[HKEY_LOCAL_MACHINE\\Software\\X]\n\"s\"=\"Да\"\n"), std::string::npos)
      << written;
}

TEST_F(RegistryTest, AccessRightsOfTheHandleAreEnforced) {
  Write("[HKEY_LOCAL_MACHINE\\K]\r\n\"v\"=dword:1\r\n");
  HKEY readOnly;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "K", 0, KEY_READ, &readOnly), ERROR_SUCCESS);
  const DWORD two = 2;
  EXPECT_EQ(RegSetValueExA(readOnly, "v", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&two), 4),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(readOnly, "v"), ERROR_ACCESS_DENIED);
  RegCloseKey(readOnly);
  HKEY writeOnly;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "K", 0, KEY_SET_VALUE, &writeOnly), ERROR_SUCCESS);
  DWORD size = 4, value;
  EXPECT_EQ(RegQueryValueExA(writeOnly, "v", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_ACCESS_DENIED);
  RegCloseKey(writeOnly);
}

TEST_F(RegistryTest, DeletingKeys) {
  Write("[HKEY_LOCAL_MACHINE\\A\\B\\C]\r\n\"v\"=dword:1\r\n");
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "A\\B"), ERROR_ACCESS_DENIED);  // has a subkey
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "A\\B\\X"), ERROR_FILE_NOT_FOUND);
  HKEY held;
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "A\\B\\C", &held), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "A\\B\\C"), ERROR_SUCCESS);
  DWORD size = 4, value;
  EXPECT_EQ(RegQueryValueExA(held, "v", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_KEY_DELETED);
  RegCloseKey(held);
  HKEY key;
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "A\\B", &key), ERROR_SUCCESS);  // the parent stays
  RegCloseKey(key);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, ""), ERROR_ACCESS_DENIED);
}

}  // namespace
