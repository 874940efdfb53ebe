// Modules and procedure lookup over a process-wide registry of the modules linked into the
// process. A module joins the registry with win32::RegisterModule and is then loaded (reference
// count 1, as if the loader had mapped it at start-up); LoadLibrary adds references, FreeLibrary
// gives them back, and a module whose count reaches 0 is unloaded until LoadLibrary loads it
// again. Names compare case-insensitively; a name without an extension means ".dll"; a
// directory part is ignored. A null name means the program's own module.
#pragma once

#include <cstddef>

#include "win32/win32_types.h"

HMODULE GetModuleHandleA(LPCSTR lpModuleName);
HMODULE GetModuleHandleW(LPCWSTR lpModuleName);
// Only modules of the registry can be loaded; any other name fails with ERROR_MOD_NOT_FOUND.
HMODULE LoadLibraryA(LPCSTR lpLibFileName);
HMODULE LoadLibraryW(LPCWSTR lpLibFileName);
BOOL FreeLibrary(HMODULE hLibModule);
// lpProcName is an export name, or an ordinal (MAKEINTRESOURCE) counting the exports from 1 in
// the order they were registered.
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);

namespace win32 {

struct ModuleExport {
  const char* name;
  FARPROC proc;
};

// Adds a module linked into this process (the software Direct3D runtime registers "d3d9.dll"
// this way). The exports are copied. Fails with null and ERROR_ALREADY_EXISTS when a module of
// that name is registered already.
HMODULE RegisterModule(const char* name, const ModuleExport* exports, size_t count);

// Removes a registered module: its handle becomes invalid. For tests; the own module stays.
BOOL UnregisterModule(HMODULE module);

// True for the program's own module and for registered modules that are loaded.
bool IsModuleLoaded(HMODULE module);

}  // namespace win32
