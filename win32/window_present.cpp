#include "win32/window_present.h"

#include <SDL.h>

#include "win32/last_error.h"
#include "win32/window_internal.h"

namespace win32 {

SDL_Renderer* WindowRenderer(Window& window) {
  if (!window.renderer) {
    // The software renderer works with every video driver, the offscreen one included.
    window.renderer = SDL_CreateRenderer(window.sdl, -1, SDL_RENDERER_SOFTWARE);
  }
  return window.renderer;
}

void ReleasePresentation(Window& window) {
  if (window.texture) SDL_DestroyTexture(window.texture);
  if (window.renderer) SDL_DestroyRenderer(window.renderer);
  window.texture = nullptr;
  window.renderer = nullptr;
  window.textureWidth = window.textureHeight = 0;
}

BOOL PresentToWindow(HWND hwnd, const void* pixels, int width, int height, int pitchBytes) {
  Window* w = FindWindowRecord(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!pixels || width <= 0 || height <= 0 || pitchBytes / 4 < width) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  SDL_Renderer* renderer = WindowRenderer(*w);
  if (!renderer) return FALSE;
  if (!w->texture || w->textureWidth != width || w->textureHeight != height) {
    if (w->texture) SDL_DestroyTexture(w->texture);
    // ARGB8888 packed in a little-endian 32-bit word is B, G, R, A in memory.
    w->texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                   width, height);
    w->textureWidth = w->texture ? width : 0;
    w->textureHeight = w->texture ? height : 0;
    if (!w->texture) return FALSE;
    SDL_SetTextureBlendMode(w->texture, SDL_BLENDMODE_NONE);
  }
  if (SDL_UpdateTexture(w->texture, nullptr, pixels, pitchBytes) != 0) return FALSE;
  if (SDL_RenderCopy(renderer, w->texture, nullptr, nullptr) != 0) return FALSE;
  SDL_RenderPresent(renderer);
  return TRUE;
}

BOOL GetClientSize(HWND hwnd, int* width, int* height) {
  RECT r;
  if (!GetClientRect(hwnd, &r)) return FALSE;
  if (width) *width = r.right - r.left;
  if (height) *height = r.bottom - r.top;
  return TRUE;
}

BOOL ReadClientPixels(HWND hwnd, std::vector<uint32_t>* pixels, int* width, int* height) {
  Window* w = FindWindowRecord(hwnd);
  if (!w || !pixels) return FALSE;
  SDL_Renderer* renderer = WindowRenderer(*w);
  if (!renderer) return FALSE;
  int wd, ht;
  if (SDL_GetRendererOutputSize(renderer, &wd, &ht) != 0) return FALSE;
  pixels->assign(static_cast<size_t>(wd) * static_cast<size_t>(ht), 0);
  if (SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels->data(), wd * 4) != 0)
    return FALSE;
  if (width) *width = wd;
  if (height) *height = ht;
  return TRUE;
}

}  // namespace win32
