// The runtime's debug messages: one line on the debugger output for every failed call, unless
// the process has muted them through the "DebugSetMute" export.
#pragma once

#include "win32/win32_types.h"

namespace d3d9rt {

// Writes "Direct3D9: (ERROR) :<message>\r\n" (printf-style) unless muted, and returns `result`,
// so that a failing call can end with `return DebugError(D3DERR_INVALIDCALL, "...")`.
HRESULT DebugError(HRESULT result, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// What "DebugSetMute" does.
void SetDebugMute(BOOL mute);

bool DebugOutputMuted();
unsigned DebugMuteCalls();
unsigned DebugMessages();
void ResetDebugLog();

}  // namespace d3d9rt
