#include "win32/sdl_video.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "win32/debug_output.h"

namespace win32 {
namespace {

void NoSignalHandlers() { SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1"); }

// Windows are drawn by SDL's software renderer into the video driver's own framebuffer; letting
// SDL put a GPU renderer behind that framebuffer would load a GL driver for nothing.
void SoftwareFramebuffer() { SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0"); }

bool IsHeadlessDriver(const char* driver) {
  return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
                    std::strcmp(driver, "evdev") == 0);
}

}  // namespace

bool EnsureVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  NoSignalHandlers();
  SoftwareFramebuffer();
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    const std::string line = std::string("SDL video could not start: ") + SDL_GetError() + "\r\n";
    OutputDebugStringA(line.c_str());
    return false;
  }
  return true;
}

bool EnsureEvents() {
  if (SDL_WasInit(SDL_INIT_EVENTS)) return true;
  NoSignalHandlers();
  return SDL_InitSubSystem(SDL_INIT_EVENTS) == 0;
}

bool DisplayAvailable() {
  const char* driver =
      SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : std::getenv("SDL_VIDEODRIVER");
  if (IsHeadlessDriver(driver)) return false;
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

}  // namespace win32
