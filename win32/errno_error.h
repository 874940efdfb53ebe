// The Win32 error code that stands for a POSIX errno value.
#pragma once

#include "win32/win32_types.h"

namespace win32 {

DWORD ErrorFromErrno(int error);

// ENOENT means ERROR_PATH_NOT_FOUND when the folder of the path is missing too.
DWORD ErrorFromErrnoForPath(int error, const char* path);

}  // namespace win32
