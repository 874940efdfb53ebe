#include "win32/string_conversion.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "win32/last_error.h"
#include "win32/text_encoding.h"

namespace {

enum class CodePage { kAnsi, kUtf8, kUnsupported };

CodePage Classify(UINT codePage) {
  if (codePage == CP_ACP || codePage == CP_THREAD_ACP || codePage == win32::kAnsiCodePage)
    return CodePage::kAnsi;
  if (codePage == CP_UTF8) return CodePage::kUtf8;
  return CodePage::kUnsupported;
}

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

// Copies the converted units out under the size-query convention.
template <typename Unit>
int Deliver(const std::vector<Unit>& units, Unit* out, int outSize) {
  const size_t count = units.size();
  if (count > 0x7FFFFFFF) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (outSize == 0) return static_cast<int>(count);
  if (count > static_cast<size_t>(outSize)) return Fail(ERROR_INSUFFICIENT_BUFFER);
  if (count) std::memcpy(out, units.data(), count * sizeof(Unit));
  return static_cast<int>(count);
}

}  // namespace

UINT GetACP() { return win32::kAnsiCodePage; }

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR in, int inSize, LPWSTR out,
                        int outSize) {
  if (!in || inSize == 0 || inSize < -1 || outSize < 0 || (outSize > 0 && !out))
    return Fail(ERROR_INVALID_PARAMETER);
  const CodePage kind = Classify(codePage);
  if (kind == CodePage::kUnsupported) return Fail(ERROR_INVALID_PARAMETER);
  const DWORD allowed = kind == CodePage::kUtf8
                            ? MB_ERR_INVALID_CHARS
                            : MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
  if (flags & ~allowed) return Fail(ERROR_INVALID_FLAGS);
  const bool strict = flags & MB_ERR_INVALID_CHARS;

  const size_t length = inSize == -1 ? std::strlen(in) + 1 : static_cast<size_t>(inSize);
  const std::string_view text(in, length);
  std::vector<wchar_t> units;
  units.reserve(length);
  if (kind == CodePage::kUtf8) {
    size_t pos = 0;
    while (pos < text.size()) {
      char32_t cp;
      if (!win32::DecodeUtf8(text, &pos, &cp) && strict) return Fail(ERROR_NO_UNICODE_TRANSLATION);
      units.push_back(static_cast<wchar_t>(cp));
    }
  } else {
    for (char c : text) {
      bool defined;
      const char32_t cp = win32::AnsiToCodePoint(static_cast<unsigned char>(c), &defined);
      if (!defined && strict) return Fail(ERROR_NO_UNICODE_TRANSLATION);
      units.push_back(static_cast<wchar_t>(cp));
    }
  }
  return Deliver(units, out, outSize);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR in, int inSize, LPSTR out,
                        int outSize, LPCSTR defaultChar, LPBOOL usedDefaultChar) {
  if (!in || inSize == 0 || inSize < -1 || outSize < 0 || (outSize > 0 && !out))
    return Fail(ERROR_INVALID_PARAMETER);
  const CodePage kind = Classify(codePage);
  if (kind == CodePage::kUnsupported) return Fail(ERROR_INVALID_PARAMETER);
  if (kind == CodePage::kUtf8) {
    if (defaultChar || usedDefaultChar) return Fail(ERROR_INVALID_PARAMETER);
    if (flags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) return Fail(ERROR_INVALID_FLAGS);
  } else if (flags & ~static_cast<DWORD>(WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS |
                                         WC_DEFAULTCHAR | WC_NO_BEST_FIT_CHARS)) {
    return Fail(ERROR_INVALID_FLAGS);
  }
  const bool strict = flags & WC_ERR_INVALID_CHARS;

  size_t length = 0;
  if (inSize == -1) {
    while (in[length]) ++length;
    ++length;
  } else {
    length = static_cast<size_t>(inSize);
  }
  std::vector<char> units;
  units.reserve(length);
  bool usedDefault = false;
  std::string encoded;
  for (size_t i = 0; i < length; ++i) {
    char32_t cp = static_cast<char32_t>(in[i]);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < length && in[i + 1] >= 0xDC00 &&
        in[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char32_t>(in[i + 1]) - 0xDC00);
      ++i;
    }
    const bool valid = cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
    if (kind == CodePage::kUtf8) {
      if (!valid && strict) return Fail(ERROR_NO_UNICODE_TRANSLATION);
      encoded.clear();
      win32::AppendUtf8(&encoded, valid ? cp : win32::kReplacementCharacter);
      units.insert(units.end(), encoded.begin(), encoded.end());
    } else {
      const int byte = valid ? win32::CodePointToAnsi(cp) : -1;
      if (byte < 0) {
        usedDefault = true;
        units.push_back(defaultChar ? defaultChar[0] : '?');
      } else {
        units.push_back(static_cast<char>(byte));
      }
    }
  }
  const int result = Deliver(units, out, outSize);
  if (result && usedDefaultChar) *usedDefaultChar = usedDefault ? TRUE : FALSE;
  return result;
}
