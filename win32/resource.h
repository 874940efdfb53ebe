// Module resources: bytes embedded into a module under a type and a name, each a string or an
// integer identifier (MAKEINTRESOURCE, or a string "#123"). The CMake function
// ut_add_resources (cmake/resources.cmake) embeds files into a program and registers them with
// its own module (GetModuleHandle(NULL)) before main runs. Names and string types compare
// case-insensitively.
#pragma once

#include <cstddef>

#include "win32/win32_types.h"

#define RT_CURSOR MAKEINTRESOURCEA(1)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_MENU MAKEINTRESOURCEA(4)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_FONTDIR MAKEINTRESOURCEA(7)
#define RT_FONT MAKEINTRESOURCEA(8)
#define RT_ACCELERATOR MAKEINTRESOURCEA(9)
#define RT_RCDATA MAKEINTRESOURCEA(10)
#define RT_MESSAGETABLE MAKEINTRESOURCEA(11)
#define RT_HTML MAKEINTRESOURCEA(23)
#define RT_MANIFEST MAKEINTRESOURCEA(24)

// A null module means the program's own. Failures: ERROR_RESOURCE_DATA_NOT_FOUND (the module has
// no resources), ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND, and
// ERROR_MOD_NOT_FOUND for a module that isn't loaded.
HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
// The bytes stay valid while the module is loaded; they are never copied.
LPVOID LockResource(HGLOBAL hResData);
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);
// Resources need no freeing; kept for old code, it does nothing and returns FALSE.
BOOL FreeResource(HGLOBAL hResData);

namespace win32 {

// Adds a resource to a module (null: the program's own). type and name: MAKEINTRESOURCEA ids,
// "#123" strings, or names in UTF-8. The bytes are not copied. False (and nothing changes) when
// the module already has a resource of that type and name.
bool RegisterResource(HMODULE module, const char* type, const char* name, const void* data,
                      size_t size);

}  // namespace win32
