// SDL2 video for the windowing calls, started on first use.
#pragma once

namespace win32 {

// Starts SDL's video (and event) system once; false when no video driver can start (the SDL
// error is written to the debugger output). SDL's own signal handlers stay off: Ctrl+C still
// ends the program.
bool EnsureVideo();

// Starts SDL's event system alone, for a message loop without windows.
bool EnsureEvents();

// Whether a message box could be shown to a person: a real display, not the offscreen or dummy
// drivers that tests and headless machines run with.
bool DisplayAvailable();

}  // namespace win32
