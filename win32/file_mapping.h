// Read-only file mappings and their views. A mapping keeps its file open (and the file's
// sharing records in force) until the mapping is closed; a view stays valid until unmapped,
// even after the mapping handle is closed.
#pragma once

#include "win32/handle.h"
#include "win32/win32_types.h"

#define PAGE_NOACCESS 0x01
#define PAGE_READONLY 0x02
#define PAGE_READWRITE 0x04
#define PAGE_WRITECOPY 0x08
#define SEC_COMMIT 0x08000000

#define FILE_MAP_COPY 0x0001
#define FILE_MAP_WRITE 0x0002
#define FILE_MAP_READ 0x0004
#define FILE_MAP_ALL_ACCESS 0x000F001F

// Only PAGE_READONLY mappings of files, without a name. A maximum size of 0 maps the whole file;
// an empty file can't be mapped (ERROR_FILE_INVALID); a size beyond the end of the file fails
// with ERROR_NOT_ENOUGH_MEMORY, since a read-only mapping can't grow the file. Failure gives null.
HANDLE CreateFileMappingA(HANDLE hFile, LPSECURITY_ATTRIBUTES lpFileMappingAttributes,
                          DWORD flProtect, DWORD dwMaximumSizeHigh, DWORD dwMaximumSizeLow,
                          LPCSTR lpName);

// FILE_MAP_READ views, or FILE_MAP_COPY ones (writable, the changes private); the offset is a multiple of the allocation granularity (64 KiB) and a
// length of 0 reaches the end of the mapping.
LPVOID MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess, DWORD dwFileOffsetHigh,
                     DWORD dwFileOffsetLow, SIZE_T dwNumberOfBytesToMap);
BOOL UnmapViewOfFile(LPCVOID lpBaseAddress);
