// The library's own lock flags, given to SurfaceLock and VolumeLock (they choose the Direct3D
// lock flags from these).
#pragma once

#include "win32/win32_types.h"

// The pixels are only read; nothing is written back.
inline constexpr DWORD SURFACE_LOCK_READONLY = 0x1;
// Lock a system-memory copy of the surface instead of the surface (SurfaceLock only).
inline constexpr DWORD SURFACE_LOCK_VIA_COPY = 0x10000;
// The caller writes the whole of a dynamic resource, so D3DLOCK_DISCARD may be used without
// asking whether the resource has other levels.
inline constexpr DWORD SURFACE_LOCK_DISCARD_OK = 0x20000;
