// Debugger output. OutputDebugStringA/W write to a process-wide sink: stderr when the
// environment variable UT_DEBUG_OUTPUT is set (to anything but "" or "0"), and a hook that
// tests install to capture the lines.
#pragma once

#include "win32/win32_types.h"

void OutputDebugStringA(LPCSTR lpOutputString);
// Wide text reaches the sink converted to the ANSI code page, as Windows does.
void OutputDebugStringW(LPCWSTR lpOutputString);

namespace win32 {

// Receives each string exactly as the program passed it (ANSI bytes, usually ending in "\r\n").
using DebugOutputHook = void (*)(const char* text, void* context);

// Installs the hook (null removes it). Not part of the Win32 API: a test facility.
void SetDebugOutputHook(DebugOutputHook hook, void* context);

}  // namespace win32
