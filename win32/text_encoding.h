// Internal text helpers of the Win32 layer: UTF-8, the ANSI code page (Windows-1251) and the
// case-insensitive name comparison that window classes, modules, resources and registry keys use.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace win32 {

// The ANSI code page of this system: narrow strings are Windows-1251 (Cyrillic).
inline constexpr unsigned kAnsiCodePage = 1251;

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes one UTF-8 sequence at text[*pos] and advances *pos. Overlong forms, surrogates and
// values above U+10FFFF are invalid: the result is false and *pos moves past one byte.
bool DecodeUtf8(std::string_view text, size_t* pos, char32_t* codePoint);
void AppendUtf8(std::string* out, char32_t codePoint);

// Windows-1251 byte <-> Unicode. Byte 0x98 has no character and maps to U+0098, flagged
// undefined. A code point without a byte gives -1.
char32_t AnsiToCodePoint(unsigned char byte, bool* defined = nullptr);
int CodePointToAnsi(char32_t codePoint);

std::string AnsiToUtf8(std::string_view ansi);
// Characters that Windows-1251 lacks become '?'.
std::string Utf8ToAnsi(std::string_view utf8);
// Wide strings hold one code point per wchar_t; UTF-16 surrogate pairs are joined as well.
std::string WideToUtf8(const wchar_t* wide);

// Simple case folding over the Latin and Cyrillic letters (the ones Windows-1251 has), which is
// what names in this system compare with.
char32_t FoldCase(char32_t codePoint);
bool EqualsIgnoreCase(std::string_view utf8a, std::string_view utf8b);
// The text with every character folded; equal for names that EqualsIgnoreCase finds equal.
std::string FoldCaseUtf8(std::string_view utf8);

}  // namespace win32
