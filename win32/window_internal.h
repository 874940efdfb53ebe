// The window records shared by the windowing, message, presentation and message-box code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win32/message.h"
#include "win32/window.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace win32 {

struct Window {
  HWND handle = nullptr;
  WNDPROC proc = nullptr;
  ATOM classAtom = 0;
  std::string className;  // UTF-8
  std::string title;      // UTF-8
  DWORD style = 0;
  DWORD exStyle = 0;
  HBRUSH background = nullptr;
  SDL_Window* sdl = nullptr;
  uint32_t sdlId = 0;
  RECT frame{};  // widths of the frame on each side
  bool visible = false;
  bool needsPaint = false;
  bool needsErase = false;
  bool destroying = false;
  // Presentation (window_present.cpp).
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* texture = nullptr;
  int textureWidth = 0;
  int textureHeight = 0;
};

// Null when the handle names no window. Records live until DestroyWindow; use them on the
// thread that owns the windows.
Window* FindWindowRecord(HWND hwnd);
Window* FindWindowBySdlId(uint32_t id);
std::vector<HWND> AllWindows();

// The window's renderer, made on first use; null when SDL can't make one.
SDL_Renderer* WindowRenderer(Window& window);
// Frees what presentation holds (before the SDL window goes).
void ReleasePresentation(Window& window);

// The message queue (message.cpp).
void PostToQueue(const MSG& msg);
void DropMessagesOf(HWND hwnd);

}  // namespace win32
