// Reading the filter flags of the conversion engine.
#pragma once

#include "ut_surface.h"
#include "win32/win32_types.h"

// The filter type, UT_FILTER_NONE to UT_FILTER_BOX when valid.
inline DWORD FilterType(DWORD filter) { return filter & 0xFFFFu; }

// One of the five types and no bit above the options.
inline bool IsValidFilter(DWORD filter) {
  const DWORD type = FilterType(filter);
  return type >= UT_FILTER_NONE && type <= UT_FILTER_BOX && (filter & 0xFF800000u) == 0;
}

// UT_DEFAULT as the filter of a loading entry point.
inline DWORD ResolveDefaultFilter(DWORD filter) {
  return filter == UT_DEFAULT ? (UT_FILTER_TRIANGLE | UT_FILTER_DITHER) : filter;
}
