#include "ut/image/numeric_locale.h"

#include <langinfo.h>

#include <cstring>

namespace {

bool IsCName(const char* name) { return name && (std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0); }

}  // namespace

CNumericLocaleScope::CNumericLocaleScope() {
  const locale_t current = uselocale(static_cast<locale_t>(nullptr));
  // The thread follows the global locale unless it chose its own; either may already be "C".
  const char* name = current == LC_GLOBAL_LOCALE ? setlocale(LC_NUMERIC, nullptr)
                                                 : nl_langinfo_l(_NL_LOCALE_NAME(LC_NUMERIC), current);
  if (IsCName(name)) return;
  // Keep every other category of the current locale; only the numbers change.
  const locale_t base = duplocale(current);
  if (!base) return;
  numericC_ = newlocale(LC_NUMERIC_MASK, "C", base);
  if (!numericC_) {
    freelocale(base);
    return;
  }
  previous_ = uselocale(numericC_);
}

CNumericLocaleScope::~CNumericLocaleScope() {
  if (!numericC_) return;
  uselocale(previous_);
  freelocale(numericC_);
}
