#include "win32/window.h"

#include <SDL.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "win32/debug_output.h"
#include "win32/gdi.h"
#include "win32/last_error.h"
#include "win32/message.h"
#include "win32/module.h"
#include "win32/sdl_video.h"
#include "win32/text_encoding.h"
#include "win32/virtual_key.h"
#include "win32/window_internal.h"

namespace win32 {
namespace {

struct WindowClass {
  ATOM atom;
  std::string name;  // UTF-8
  HINSTANCE instance;
  WNDCLASSA info;
  unsigned windows = 0;
};

struct WindowSystem {
  std::mutex mutex;  // guards the tables; never held while a window procedure runs
  std::map<ATOM, WindowClass> classes;
  ATOM nextAtom = 0xC000;  // where Windows numbers registered classes from
  std::map<HWND, std::unique_ptr<Window>> windows;  // creation order: handles only grow
  uintptr_t nextWindow = 0x10010;
};

WindowSystem& System() {
  static WindowSystem system;
  return system;
}

HINSTANCE InstanceOrSelf(HINSTANCE instance) {
  return instance ? instance : reinterpret_cast<HINSTANCE>(GetModuleHandleA(nullptr));
}

// Caller holds the lock. An atom, or a name with the instance (any instance when none matches).
WindowClass* FindClass(WindowSystem& system, LPCSTR name, HINSTANCE instance, bool exactInstance) {
  if (IS_INTRESOURCE(name)) {
    auto it = system.classes.find(LOWORD(name));
    return it == system.classes.end() ? nullptr : &it->second;
  }
  const std::string utf8 = AnsiToUtf8(name);
  WindowClass* fallback = nullptr;
  for (auto& [atom, c] : system.classes) {
    if (!EqualsIgnoreCase(c.name, utf8)) continue;
    if (c.instance == instance) return &c;
    if (!fallback) fallback = &c;
  }
  return exactInstance ? nullptr : fallback;
}

// Frame widths of a style (left, top, right, bottom), from the Windows metrics at 96 DPI.
RECT FrameOf(DWORD style, BOOL menu, DWORD exStyle) {
  int border = 0;
  if (style & WS_THICKFRAME) {
    border = 8;  // sizing frame 4 + padded border 4
  } else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) {
    border = 3;
  } else if (style & WS_BORDER) {
    border = 1;
  }
  if (exStyle & WS_EX_CLIENTEDGE) border += 2;
  if (exStyle & WS_EX_STATICEDGE) border += 1;
  int top = border;
  if ((style & WS_CAPTION) == WS_CAPTION) top += (exStyle & WS_EX_TOOLWINDOW) ? 17 : 23;
  if (menu) top += 20;
  return RECT{border, top, border, border};
}

void SetWindowError() { SetLastError(ERROR_INVALID_WINDOW_HANDLE); }

}  // namespace

Window* FindWindowRecord(HWND hwnd) {
  WindowSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  auto it = system.windows.find(hwnd);
  return it == system.windows.end() ? nullptr : it->second.get();
}

Window* FindWindowBySdlId(uint32_t id) {
  WindowSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  for (auto& [handle, w] : system.windows) {
    if (w->sdlId == id) return w.get();
  }
  return nullptr;
}

std::vector<HWND> AllWindows() {
  WindowSystem& system = System();
  std::lock_guard<std::mutex> lock(system.mutex);
  std::vector<HWND> handles;
  for (auto& [handle, w] : system.windows) handles.push_back(handle);
  return handles;
}

}  // namespace win32

using win32::Window;

ATOM RegisterClassA(const WNDCLASSA* wc) {
  if (!wc || !wc->lpfnWndProc || !wc->lpszClassName || wc->cbClsExtra < 0 || wc->cbWndExtra < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  win32::WindowSystem& system = win32::System();
  std::lock_guard<std::mutex> lock(system.mutex);
  const HINSTANCE instance = win32::InstanceOrSelf(wc->hInstance);
  if (IS_INTRESOURCE(wc->lpszClassName) || win32::FindClass(system, wc->lpszClassName, instance, true)) {
    SetLastError(IS_INTRESOURCE(wc->lpszClassName) ? ERROR_INVALID_PARAMETER : ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  const ATOM atom = system.nextAtom++;
  win32::WindowClass c{atom, win32::AnsiToUtf8(wc->lpszClassName), instance, *wc, 0};
  c.info.lpszClassName = nullptr;  // the caller's strings aren't kept
  c.info.lpszMenuName = nullptr;
  system.classes.emplace(atom, std::move(c));
  return atom;
}

BOOL UnregisterClassA(LPCSTR name, HINSTANCE instance) {
  if (!name) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  win32::WindowSystem& system = win32::System();
  std::lock_guard<std::mutex> lock(system.mutex);
  win32::WindowClass* c = win32::FindClass(system, name, win32::InstanceOrSelf(instance), true);
  if (!c) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (c->windows) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  system.classes.erase(c->atom);
  return TRUE;
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const RECT f = win32::FrameOf(style, menu, exStyle);
  rect->left -= f.left;
  rect->top -= f.top;
  rect->right += f.right;
  rect->bottom += f.bottom;
  return TRUE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  win32::WindowSystem& system = win32::System();
  auto window = std::make_unique<Window>();
  {
    std::lock_guard<std::mutex> lock(system.mutex);
    win32::WindowClass* c = className ? win32::FindClass(system, className, win32::InstanceOrSelf(instance), false)
                                      : nullptr;
    if (!c) {
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    window->proc = c->info.lpfnWndProc;
    window->classAtom = c->atom;
    window->className = c->name;
    window->background = c->info.hbrBackground;
  }
  if (!win32::EnsureVideo()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  window->style = style;
  window->exStyle = exStyle;
  window->title = windowName ? win32::AnsiToUtf8(windowName) : std::string();
  window->frame = win32::FrameOf(style, menu != nullptr, exStyle);

  if (width == CW_USEDEFAULT) width = 800, height = 600;
  const int clientWidth = std::max(1, width - static_cast<int>(window->frame.left + window->frame.right));
  const int clientHeight = std::max(1, height - static_cast<int>(window->frame.top + window->frame.bottom));
  const int sdlX = x == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : x + window->frame.left;
  const int sdlY = x == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : y + window->frame.top;
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
  if ((style & WS_CAPTION) != WS_CAPTION) flags |= SDL_WINDOW_BORDERLESS;
  window->sdl = SDL_CreateWindow(window->title.c_str(), sdlX, sdlY, clientWidth, clientHeight, flags);
  if (!window->sdl) {
    const std::string line = std::string("CreateWindowEx: ") + SDL_GetError() + "\r\n";
    OutputDebugStringA(line.c_str());
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  window->sdlId = SDL_GetWindowID(window->sdl);

  HWND hwnd;
  {
    std::lock_guard<std::mutex> lock(system.mutex);
    hwnd = reinterpret_cast<HWND>(system.nextWindow);
    system.nextWindow += 4;
    window->handle = hwnd;
    system.classes[window->classAtom].windows++;
    system.windows.emplace(hwnd, std::move(window));
  }

  CREATESTRUCTA create{param, win32::InstanceOrSelf(instance), menu, parent, height, width, y, x,
                       static_cast<LONG>(style), windowName, className, exStyle};
  if (!SendMessageA(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
    DestroyWindow(hwnd);
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (SendMessageA(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(hwnd);
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!IsWindow(hwnd)) return nullptr;  // destroyed by its own procedure
  if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

BOOL DestroyWindow(HWND hwnd) {
  Window* w = win32::FindWindowRecord(hwnd);
  if (!w) {
    win32::SetWindowError();
    return FALSE;
  }
  if (w->destroying) return TRUE;  // DestroyWindow from inside WM_DESTROY
  w->destroying = true;
  SendMessageA(hwnd, WM_DESTROY, 0, 0);
  SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
  win32::DropMessagesOf(hwnd);

  std::unique_ptr<Window> record;
  {
    win32::WindowSystem& system = win32::System();
    std::lock_guard<std::mutex> lock(system.mutex);
    auto it = system.windows.find(hwnd);
    record = std::move(it->second);
    system.windows.erase(it);
    auto c = system.classes.find(record->classAtom);
    if (c != system.classes.end()) c->second.windows--;
  }
  win32::ReleasePresentation(*record);
  SDL_DestroyWindow(record->sdl);
  return TRUE;
}

BOOL ShowWindow(HWND hwnd, int command) {
  Window* w = win32::FindWindowRecord(hwnd);
  if (!w) {
    win32::SetWindowError();
    return FALSE;
  }
  const bool wasVisible = w->visible;
  if (command == SW_HIDE) {
    SDL_HideWindow(w->sdl);
    w->visible = false;
  } else {
    SDL_ShowWindow(w->sdl);
    w->visible = true;
    switch (command) {
      case SW_SHOWMINIMIZED:
      case SW_MINIMIZE:
      case SW_SHOWMINNOACTIVE:
      case SW_FORCEMINIMIZE:
        SDL_MinimizeWindow(w->sdl);
        break;
      case SW_SHOWMAXIMIZED:
        SDL_MaximizeWindow(w->sdl);
        break;
      case SW_RESTORE:
        SDL_RestoreWindow(w->sdl);
        break;
      default:
        break;
    }
    if (!wasVisible) {
      // Where the window system draws a frame and says how wide it is, the client area gives
      // up that much so that the outer size stays what was asked.
      int top = 0, left = 0, bottom = 0, right = 0;
      if (SDL_GetWindowBordersSize(w->sdl, &top, &left, &bottom, &right) == 0 &&
          (top | left | bottom | right) != 0 &&
          (top != w->frame.top || left != w->frame.left || bottom != w->frame.bottom || right != w->frame.right)) {
        int clientWidth, clientHeight;
        SDL_GetWindowSize(w->sdl, &clientWidth, &clientHeight);
        const int outerWidth = clientWidth + w->frame.left + w->frame.right;
        const int outerHeight = clientHeight + w->frame.top + w->frame.bottom;
        w->frame = RECT{left, top, right, bottom};
        SDL_SetWindowSize(w->sdl, std::max(1, outerWidth - left - right), std::max(1, outerHeight - top - bottom));
      }
      w->needsPaint = w->needsErase = true;
    }
  }
  if (wasVisible != w->visible) SendMessageA(hwnd, WM_SHOWWINDOW, w->visible ? TRUE : FALSE, 0);
  return wasVisible ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd) {
  Window* w = win32::FindWindowRecord(hwnd);
  if (!w) {
    win32::SetWindowError();
    return FALSE;
  }
  if (w->visible && w->needsPaint) SendMessageA(hwnd, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL InvalidateRect(HWND hwnd, const RECT*, BOOL erase) {
  Window* w = win32::FindWindowRecord(hwnd);
  if (!w) {
    win32::SetWindowError();
    return FALSE;
  }
  w->needsPaint = true;
  if (erase) w->needsErase = true;
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT*) {
  Window* w = win32::FindWindowRecord(hwnd);
  if (!w) {
    win32::SetWindowError();
    return FALSE;
  }
  w->needsPaint = false;
  w->needsErase = false;
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return win32::FindWindowRecord(hwnd) ? TRUE : FALSE; }

BOOL IsWindowVisible(HWND hwnd) {
  Window* w = win32::FindWindowRecord(hwnd);
  return w && w->visible ? TRUE : FALSE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  Window* w = win32::FindWindowRecord(hwnd);
  if (!w || !rect) {
    if (!w) win32::SetWindowError();
    return FALSE;
  }
  int width, height;
  SDL_GetWindowSize(w->sdl, &width, &height);
  *rect = RECT{0, 0, width, height};
  return TRUE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  Window* w = win32::FindWindowRecord(hwnd);
  if (!w || !rect) {
    if (!w) win32::SetWindowError();
    return FALSE;
  }
  int x, y, width, height;
  SDL_GetWindowPosition(w->sdl, &x, &y);
  SDL_GetWindowSize(w->sdl, &width, &height);
  *rect = RECT{x - w->frame.left, y - w->frame.top, x + width + w->frame.right, y + height + w->frame.bottom};
  return TRUE;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
  Window* w = win32::FindWindowRecord(hwnd);
  if (!w) {
    win32::SetWindowError();
    return FALSE;
  }
  w->title = text ? win32::AnsiToUtf8(text) : std::string();
  SDL_SetWindowTitle(w->sdl, w->title.c_str());
  return TRUE;
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
  const std::string title = windowName ? win32::AnsiToUtf8(windowName) : std::string();
  ATOM atom = 0;
  if (className) {
    win32::WindowSystem& system = win32::System();
    std::lock_guard<std::mutex> lock(system.mutex);
    win32::WindowClass* c = win32::FindClass(system, className, win32::InstanceOrSelf(nullptr), false);
    if (!c) return nullptr;
    atom = c->atom;
  }
  for (HWND hwnd : win32::AllWindows()) {
    Window* w = win32::FindWindowRecord(hwnd);
    if (!w || (className && w->classAtom != atom) || (windowName && w->title != title)) continue;
    return hwnd;
  }
  return nullptr;
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_SYSKEYDOWN:
      // Alt+F4 (bit 29: Alt was down) closes the window through the system menu's command.
      if (wParam == VK_F4 && (lParam & (1 << 29))) SendMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_PAINT: {
      Window* w = win32::FindWindowRecord(hwnd);
      if (w && w->needsErase) {
        w->needsErase = false;
        SendMessageA(hwnd, WM_ERASEBKGND, 0, 0);
      }
      ValidateRect(hwnd, nullptr);
      return 0;
    }
    case WM_ERASEBKGND: {
      Window* w = win32::FindWindowRecord(hwnd);
      uint32_t rgb;
      if (!w || !win32::BrushColor(w->background, &rgb)) return 0;
      SDL_Renderer* renderer = win32::WindowRenderer(*w);
      if (!renderer) return 0;
      SDL_SetRenderDrawColor(renderer, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF, 0xFF);
      SDL_RenderClear(renderer);
      SDL_RenderPresent(renderer);
      return 1;
    }
    default:
      return 0;
  }
}
