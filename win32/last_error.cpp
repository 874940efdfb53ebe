#include "win32/last_error.h"

namespace {
// Each thread has its own code, as on Windows.
thread_local DWORD t_lastError = ERROR_SUCCESS;
}  // namespace

DWORD GetLastError() { return t_lastError; }

void SetLastError(DWORD errorCode) { t_lastError = errorCode; }
