// IsMmxAvailable: whether the library's MMX code paths may run. The machine-wide "DisableMMX"
// switch (a non-zero REG_DWORD under HKEY_LOCAL_MACHINE "Software\Duvodovid\Direct3D") is read
// on every call and, once seen, turns MMX off for the rest of the process; the processor test
// runs once and its answer is kept.
#pragma once

#include "win32/win32_types.h"

BOOL IsMmxAvailable();
