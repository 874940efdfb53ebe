// Module resources embedded by ut_add_resources (see this folder's CMakeLists.txt).
#include "win32/resource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <iterator>
#include <utility>
#include <string>

#include "win32/last_error.h"
#include "win32/module.h"

namespace {

struct Found {
  DWORD size = 0;
  const unsigned char* bytes = nullptr;
};

Found Load(HRSRC info) {
  Found f;
  if (!info) return f;
  f.size = SizeofResource(nullptr, info);
  HGLOBAL loaded = LoadResource(nullptr, info);
  f.bytes = static_cast<const unsigned char*>(LockResource(loaded));
  return f;
}

TEST(ResourceTest, BitmapResourceIsTheBitmapWithoutItsFileHeader) {
  const Found bitmap = Load(FindResourceA(nullptr, "both", RT_BITMAP));
  ASSERT_NE(bitmap.bytes, nullptr);
  EXPECT_EQ(bitmap.size, 70u - 14u);
  uint32_t headerSize;
  std::memcpy(&headerSize, bitmap.bytes, 4);
  EXPECT_EQ(headerSize, 40u);  // BITMAPINFOHEADER first
  EXPECT_EQ(bitmap.bytes[40], 255);  // first pixel: blue
}

TEST(ResourceTest, SameNameUnderTwoTypesAreTwoResources) {
  const Found data = Load(FindResourceA(nullptr, "BOTH", RT_RCDATA));
  ASSERT_NE(data.bytes, nullptr);
  ASSERT_EQ(data.size, 768u);
  for (DWORD i = 0; i < data.size; ++i) ASSERT_EQ(data.bytes[i], i % 256) << i;
  EXPECT_NE(FindResourceA(nullptr, "both", RT_BITMAP), FindResourceA(nullptr, "both", RT_RCDATA));
}

TEST(ResourceTest, NamesAndTypesInEveryForm) {
  struct Case {
    const char* what;
    HRSRC found;
    DWORD size;
  };
  const Case cases[] = {
      {"integer id", FindResourceA(nullptr, MAKEINTRESOURCEA(101), RT_RCDATA), 768},
      {"#id string", FindResourceA(nullptr, "#101", RT_RCDATA), 768},
      {"#id type string", FindResourceA(nullptr, "#101", "#10"), 768},
      {"string type", FindResourceA(nullptr, "main", "shader"), 7},
      {"numeric type", FindResourceA(nullptr, "Custom", MAKEINTRESOURCEA(300)), 7},
      {"wide name", FindResourceW(nullptr, L"BoTh", MAKEINTRESOURCEW(2)), 56},
      {"wide string type", FindResourceW(nullptr, L"MAIN", L"Shader"), 7},
      {"own module by handle", FindResourceA(GetModuleHandleA(nullptr), "both", RT_RCDATA), 768},
  };
  for (const Case& c : cases) {
    ASSERT_NE(c.found, nullptr) << c.what;
    EXPECT_EQ(SizeofResource(nullptr, c.found), c.size) << c.what;
  }
  const Found shader = Load(FindResourceA(nullptr, "main", "SHADER"));
  ASSERT_NE(shader.bytes, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(shader.bytes), shader.size), "ps_2_0\n");
}

TEST(ResourceTest, EmptyResourceIsFoundWithSizeZero) {
  const HRSRC info = FindResourceA(nullptr, "empty", RT_RCDATA);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, info), 0u);
  EXPECT_NE(LockResource(LoadResource(nullptr, info)), nullptr);
}

TEST(ResourceTest, MissingResources) {
  const HMODULE bare = win32::RegisterModule("no_resources.dll", nullptr, 0);
  ASSERT_NE(bare, nullptr);
  // Each call is made right before its error is read.
  const std::pair<const char*, std::function<HRSRC()>> calls[] = {
      {"unknown name", [] { return FindResourceA(nullptr, "nothing", RT_RCDATA); }},
      {"unknown id", [] { return FindResourceA(nullptr, MAKEINTRESOURCEA(102), RT_RCDATA); }},
      {"unknown type", [] { return FindResourceA(nullptr, "both", RT_ICON); }},
      {"module without resources", [&] { return FindResourceA(bare, "both", RT_RCDATA); }},
      {"module that isn't loaded", [] { return FindResourceA(reinterpret_cast<HMODULE>(0x1234), "both", RT_RCDATA); }},
  };
  const DWORD errors[] = {ERROR_RESOURCE_NAME_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND,
                          ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_DATA_NOT_FOUND,
                          ERROR_MOD_NOT_FOUND};
  for (size_t i = 0; i < std::size(calls); ++i) {
    SetLastError(0);
    EXPECT_EQ(calls[i].second(), nullptr) << calls[i].first;
    EXPECT_EQ(GetLastError(), errors[i]) << calls[i].first;
  }
  EXPECT_EQ(LoadResource(nullptr, reinterpret_cast<HRSRC>(0x5678)), nullptr);
  EXPECT_EQ(LockResource(nullptr), nullptr);
  win32::UnregisterModule(bare);
}

TEST(ResourceTest, ResourcesOfARegisteredModule) {
  static const unsigned char bytes[] = {1, 2, 3};
  const HMODULE module = win32::RegisterModule("with_resources.dll", nullptr, 0);
  ASSERT_TRUE(win32::RegisterResource(module, "#10", "Data", bytes, sizeof bytes));
  EXPECT_FALSE(win32::RegisterResource(module, "#10", "DATA", bytes, 1));  // taken already
  const HRSRC info = FindResourceA(module, "data", RT_RCDATA);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(SizeofResource(module, info), 3u);
  EXPECT_EQ(LockResource(LoadResource(module, info)), bytes);
  EXPECT_EQ(FindResourceA(nullptr, "data", RT_RCDATA), nullptr);  // not the program's
  win32::UnregisterModule(module);
}

}  // namespace
