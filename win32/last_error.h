// The calling thread's last-error code, as GetLastError / SetLastError keep it.
#pragma once

#include "win32/win32_types.h"

DWORD GetLastError();
void SetLastError(DWORD errorCode);
