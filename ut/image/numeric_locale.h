// CNumericLocaleScope: for its lifetime the calling thread formats and scans numbers in the
// "C" locale, so "%f" always reads a point as the decimal separator. Only the thread's own
// locale changes (uselocale); the process-wide setting and other threads are left alone.
#pragma once

#include <locale.h>

class CNumericLocaleScope {
 public:
  CNumericLocaleScope();
  ~CNumericLocaleScope();
  CNumericLocaleScope(const CNumericLocaleScope&) = delete;
  CNumericLocaleScope& operator=(const CNumericLocaleScope&) = delete;

 private:
  locale_t previous_ = nullptr;  // the thread's locale before, to go back to
  locale_t numericC_ = nullptr;  // the thread's locale with LC_NUMERIC "C", while in force
};
