// Reading the library's machine-wide switches from the Direct3D registry key.
#pragma once

#include "win32/win32_types.h"

// Reads value `name` under HKEY_LOCAL_MACHINE "Software\Duvodovid\Direct3D" into `data`
// (`size` bytes). TRUE when the value exists and has type `expectedType`. The buffer may be
// written even when FALSE is returned (a value of another type), so callers that get FALSE set
// their variable themselves.
BOOL ReadDirect3DRegistryValue(DWORD expectedType, LPCSTR name, void* data, DWORD size);
