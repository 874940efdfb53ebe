// Diagnostics: muting the Direct3D runtime's debug output.
#pragma once

#include "win32/win32_types.h"

// TRUE asks the loaded Direct3D 9 runtimes to stop emitting debug messages, FALSE to resume.
// Calls neither nest nor count: mute before a stretch of calls expected to fail, unmute after.
// Does nothing when the machine-wide REG_DWORD "D3IZDoNotMute" is non-zero.
void UtDebugMute(BOOL mute);
