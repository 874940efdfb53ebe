#include "win32/text_encoding.h"

#include <cstdint>

namespace win32 {
namespace {

// Windows-1251, bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
constexpr char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98 (0x98 undefined)
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};
constexpr unsigned char kUndefinedAnsiByte = 0x98;

}  // namespace

bool DecodeUtf8(std::string_view text, size_t* pos, char32_t* codePoint) {
  const size_t start = *pos;
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(start);
  *pos = start + 1;
  if (lead < 0x80) {
    *codePoint = lead;
    return true;
  }
  size_t extra;
  char32_t value;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, value = lead & 0x07, minimum = 0x10000;
  } else {
    *codePoint = kReplacementCharacter;
    return false;
  }
  if (text.size() - start - 1 < extra) {
    *codePoint = kReplacementCharacter;
    return false;
  }
  for (size_t i = 1; i <= extra; ++i) {
    const unsigned char next = byte(start + i);
    if ((next & 0xC0) != 0x80) {
      *codePoint = kReplacementCharacter;
      return false;
    }
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    *codePoint = kReplacementCharacter;
    return false;
  }
  *pos = start + 1 + extra;
  *codePoint = value;
  return true;
}

void AppendUtf8(std::string* out, char32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacementCharacter;
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

char32_t AnsiToCodePoint(unsigned char byte, bool* defined) {
  if (defined) *defined = byte != kUndefinedAnsiByte;
  if (byte < 0x80) return byte;
  if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
  return kCp1251High[byte - 0x80];
}

int CodePointToAnsi(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(0xC0 + (cp - 0x0410));
  for (int i = 0; i < 64; ++i) {
    if (kCp1251High[i] == cp && i + 0x80 != kUndefinedAnsiByte) return 0x80 + i;
  }
  return -1;
}

std::string AnsiToUtf8(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (char c : ansi) AppendUtf8(&out, AnsiToCodePoint(static_cast<unsigned char>(c)));
  return out;
}

std::string Utf8ToAnsi(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t cp;
    DecodeUtf8(utf8, &pos, &cp);
    const int byte = CodePointToAnsi(cp);
    out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
  }
  return out;
}

std::string WideToUtf8(const wchar_t* wide) {
  std::string out;
  if (!wide) return out;
  for (const wchar_t* p = wide; *p; ++p) {
    char32_t cp = static_cast<char32_t>(*p);
    if (cp >= 0xD800 && cp <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char32_t>(p[1]) - 0xDC00);
      ++p;
    }
    AppendUtf8(&out, cp);
  }
  return out;
}

char32_t FoldCase(char32_t cp) {
  if (cp >= 'A' && cp <= 'Z') return cp + 0x20;
  if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 0x20;    // Latin-1 capitals
  if (cp >= 0x0410 && cp <= 0x042F) return cp + 0x20;               // А..Я
  if (cp >= 0x0400 && cp <= 0x040F) return cp + 0x50;               // Ѐ..Џ
  if (cp == 0x0490) return 0x0491;                                  // Ґ
  return cp;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    char32_t ca, cb;
    DecodeUtf8(a, &i, &ca);
    DecodeUtf8(b, &j, &cb);
    if (FoldCase(ca) != FoldCase(cb)) return false;
  }
  return i == a.size() && j == b.size();
}

std::string FoldCaseUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp;
    DecodeUtf8(text, &pos, &cp);
    AppendUtf8(&out, FoldCase(cp));
  }
  return out;
}

}  // namespace win32
