// MultiByteToWideChar / WideCharToMultiByte: code pages, size queries and failures.
#include "win32/string_conversion.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "win32/last_error.h"
#include "win32/text_encoding.h"
#include "win32/version.h"

namespace {

TEST(StringConversionTest, AnsiCodePageIsWindows1251) {
  EXPECT_EQ(GetACP(), 1251u);
  // Every defined byte maps to a character and back; 0x98 is the one hole of the code page.
  for (int byte = 1; byte < 256; ++byte) {
    SCOPED_TRACE(byte);
    const char in[2] = {static_cast<char>(byte), 0};
    wchar_t wide[2] = {};
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, in, -1, wide, 2), 2);
    char back[2] = {};
    BOOL usedDefault = TRUE;
    ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, -1, back, 2, nullptr, &usedDefault), 2);
    if (byte == 0x98) {
      EXPECT_TRUE(usedDefault);
    } else {
      EXPECT_FALSE(usedDefault);
      EXPECT_EQ(static_cast<unsigned char>(back[0]), byte);
    }
  }
  struct { unsigned char byte; wchar_t expected; } samples[] = {
      {0xC0, L'А'}, {0xFF, L'я'}, {0xA8, L'Ё'}, {0xB8, L'ё'}, {0xB9, L'№'}, {0x88, L'€'}, {0x41, L'A'}};
  for (auto s : samples) {
    const char in = static_cast<char>(s.byte);
    wchar_t out = 0;
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, &in, 1, &out, 1), 1);
    EXPECT_EQ(out, s.expected) << std::hex << int(s.byte);
  }
}

TEST(StringConversionTest, LengthQueryThenConversion) {
  const wchar_t* path = L"C:\\Текстуры\\mud.jpg";
  const int needed = WideCharToMultiByte(CP_UTF8, 0, path, -1, nullptr, 0, nullptr, nullptr);
  ASSERT_EQ(needed, static_cast<int>(std::string("C:\\Текстуры\\mud.jpg").size() + 1));
  std::string utf8(static_cast<size_t>(needed), '\0');
  ASSERT_EQ(WideCharToMultiByte(CP_UTF8, 0, path, -1, utf8.data(), needed, nullptr, nullptr), needed);
  EXPECT_STREQ(utf8.c_str(), "C:\\Текстуры\\mud.jpg");

  SetLastError(0);
  char small[4];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, path, -1, small, 4, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  // Explicit length: no terminator is counted or written.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xd0\x94\xd0\xb0", 4, nullptr, 0), 2);
  wchar_t wide[3] = {L'x', L'x', L'x'};
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xd0\x94\xd0\xb0", 4, wide, 3), 2);
  EXPECT_EQ(wide[0], L'Д');
  EXPECT_EQ(wide[1], L'а');
  EXPECT_EQ(wide[2], L'x');
}

TEST(StringConversionTest, InvalidInputAndArguments) {
  wchar_t out[8];
  char narrow[8];
  BOOL used;
  struct Case {
    const char* what;
    std::function<int()> call;
    DWORD error;
  };
  const Case cases[] = {
      {"zero length", [&] { return MultiByteToWideChar(CP_UTF8, 0, "a", 0, out, 8); },
       ERROR_INVALID_PARAMETER},
      {"null input", [&] { return MultiByteToWideChar(CP_UTF8, 0, nullptr, -1, out, 8); },
       ERROR_INVALID_PARAMETER},
      {"unknown code page", [&] { return MultiByteToWideChar(437, 0, "a", -1, out, 8); },
       ERROR_INVALID_PARAMETER},
      {"strict overlong UTF-8",
       [&] { return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xc0\x80", 2, out, 8); },
       ERROR_NO_UNICODE_TRANSLATION},
      {"strict encoded surrogate",
       [&] { return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xed\xa0\x80", 3, out, 8); },
       ERROR_NO_UNICODE_TRANSLATION},
      {"strict 0x98", [&] { return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, "\x98", 1, out, 8); },
       ERROR_NO_UNICODE_TRANSLATION},
      {"UTF-8 flag", [&] { return MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", -1, out, 8); },
       ERROR_INVALID_FLAGS},
      {"UTF-8 default char",
       [&] { return WideCharToMultiByte(CP_UTF8, 0, L"a", -1, narrow, 8, nullptr, &used); },
       ERROR_INVALID_PARAMETER},
      {"strict lone surrogate",
       [&] {
         return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, L"\xD800", 1, narrow, 8, nullptr,
                                    nullptr);
       },
       ERROR_NO_UNICODE_TRANSLATION},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(c.call(), 0) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }

  // Without the strict flag, bad bytes become U+FFFD.
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xff" "b", 3, out, 8), 3);
  EXPECT_EQ(out[1], L'\xFFFD');
  // Characters outside Windows-1251 take the default character.
  used = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"a\u00e9", 2, narrow, 8, "#", &used), 2);
  EXPECT_EQ(narrow[1], '#');
  EXPECT_TRUE(used);
}

TEST(StringConversionTest, CaseFoldingCoversCyrillic) {
  EXPECT_TRUE(win32::EqualsIgnoreCase("Slate", "SLATE"));
  EXPECT_TRUE(win32::EqualsIgnoreCase("Ёлка Ґ", "ёЛКА ґ"));
  EXPECT_FALSE(win32::EqualsIgnoreCase("Slate", "Slat"));
  EXPECT_FALSE(win32::EqualsIgnoreCase("е", "ё"));
}

TEST(VersionTest, ReportsTheNtPlatform) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  EXPECT_GE(info.dwMajorVersion, 5u);
  OSVERSIONINFOEXA ex{};
  ex.dwOSVersionInfoSize = sizeof ex;
  EXPECT_TRUE(GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ex)));
  EXPECT_EQ(ex.wProductType, VER_NT_WORKSTATION);
  info.dwOSVersionInfoSize = 12;
  SetLastError(0);
  EXPECT_FALSE(GetVersionExA(&info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

}  // namespace
