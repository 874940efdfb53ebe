#include "win32/message.h"

#include <SDL.h>

#include <deque>
#include <mutex>

#include "win32/last_error.h"
#include "win32/sdl_video.h"
#include "win32/virtual_key.h"
#include "win32/window_internal.h"

namespace win32 {
namespace {

// One queue for the process: its windows live on the thread that runs the message loop.
struct MessageQueue {
  std::mutex mutex;
  std::deque<MSG> posted;
  bool quitPending = false;
  int quitCode = 0;
  Uint32 wakeEvent = 0;  // an SDL user event that wakes GetMessage when another thread posts
};

MessageQueue& Queue() {
  static MessageQueue queue;
  return queue;
}

const HWND kThreadOnly = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));

bool InRange(UINT message, UINT low, UINT high) {
  return (low == 0 && high == 0) || (message >= low && message <= high);
}

bool MatchesWindow(HWND msgWindow, HWND filter) {
  if (!filter) return true;
  if (filter == kThreadOnly) return msgWindow == nullptr;
  return msgWindow == filter;
}

MSG Message(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{hwnd, message, wParam, lParam, SDL_GetTicks(), {0, 0}};
  return msg;
}

void WakeWaiter() {
  if (!SDL_WasInit(SDL_INIT_EVENTS)) return;
  MessageQueue& q = Queue();
  if (!q.wakeEvent) return;
  SDL_Event e{};
  e.type = q.wakeEvent;
  SDL_PushEvent(&e);
}

// lParam of a key message: repeat count, scan code, extended flag, Alt (bit 29), previous
// state (bit 30) and transition (bit 31).
LPARAM KeyLParam(const KeyInfo& key, bool down, bool repeat, bool alt) {
  uint32_t l = 1 | (key.scanCode << 16);
  if (key.extended) l |= 1u << 24;
  if (alt) l |= 1u << 29;
  if (!down || repeat) l |= 1u << 30;
  if (!down) l |= 1u << 31;
  return static_cast<LPARAM>(static_cast<int32_t>(l));
}

WPARAM MouseKeys(Uint32 buttons, Uint16 mods) {
  WPARAM w = 0;
  if (buttons & SDL_BUTTON_LMASK) w |= MK_LBUTTON;
  if (buttons & SDL_BUTTON_RMASK) w |= MK_RBUTTON;
  if (buttons & SDL_BUTTON_MMASK) w |= MK_MBUTTON;
  if (mods & KMOD_SHIFT) w |= MK_SHIFT;
  if (mods & KMOD_CTRL) w |= MK_CONTROL;
  return w;
}

void TranslateWindowEvent(const SDL_WindowEvent& e) {
  Window* w = FindWindowBySdlId(e.windowID);
  if (!w) return;
  const HWND hwnd = w->handle;
  switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE:
      // The close button: the system menu's close command, which sends WM_CLOSE.
      SendMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_RESTORED: {
      int width, height;
      SDL_GetWindowSize(w->sdl, &width, &height);
      const WPARAM kind = e.event == SDL_WINDOWEVENT_MINIMIZED   ? SIZE_MINIMIZED
                          : e.event == SDL_WINDOWEVENT_MAXIMIZED ? SIZE_MAXIMIZED
                                                                 : SIZE_RESTORED;
      w->needsPaint = w->needsErase = true;
      SendMessageA(hwnd, WM_SIZE, kind, MAKELPARAM(width, height));
      break;
    }
    case SDL_WINDOWEVENT_EXPOSED:
      w->needsPaint = true;
      break;
    default:
      break;
  }
}

void TranslateKey(const SDL_KeyboardEvent& e) {
  Window* w = FindWindowBySdlId(e.windowID);
  if (!w) return;
  const KeyInfo key = KeyFromSdl(e.keysym.scancode, e.keysym.sym);
  if (!key.virtualKey) return;
  const bool down = e.type == SDL_KEYDOWN;
  const bool alt = (e.keysym.mod & KMOD_ALT) != 0;
  // With Alt held, and for F10 and Alt itself, keys are system keys.
  const bool system = alt || key.virtualKey == VK_F10 || key.virtualKey == VK_MENU;
  const UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
  PostToQueue(Message(w->handle, message, key.virtualKey, KeyLParam(key, down, e.repeat != 0, alt)));
}

void TranslateMouse(const SDL_Event& e) {
  const Uint32 id = e.type == SDL_MOUSEMOTION ? e.motion.windowID : e.button.windowID;
  Window* w = FindWindowBySdlId(id);
  if (!w) return;
  if (e.type == SDL_MOUSEMOTION) {
    PostToQueue(Message(w->handle, WM_MOUSEMOVE, MouseKeys(e.motion.state, SDL_GetModState()),
                        MAKELPARAM(e.motion.x, e.motion.y)));
    return;
  }
  const bool down = e.type == SDL_MOUSEBUTTONDOWN;
  UINT message;
  switch (e.button.button) {
    case SDL_BUTTON_LEFT: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
    case SDL_BUTTON_RIGHT: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
    case SDL_BUTTON_MIDDLE: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
    default: return;
  }
  PostToQueue(Message(w->handle, message, MouseKeys(SDL_GetMouseState(nullptr, nullptr), SDL_GetModState()),
                      MAKELPARAM(e.button.x, e.button.y)));
}

// Takes every pending SDL event: input joins the queue, window events are sent at once.
void PumpEvents() {
  if (!SDL_WasInit(SDL_INIT_EVENTS)) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    switch (e.type) {
      case SDL_WINDOWEVENT:
        TranslateWindowEvent(e.window);
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        TranslateKey(e.key);
        break;
      case SDL_MOUSEMOTION:
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        TranslateMouse(e);
        break;
      default:
        break;  // SDL_QUIT among them: closing goes through WM_CLOSE and WM_DESTROY
    }
  }
}

// The next message for the filter, in Windows' order: posted, then WM_QUIT, then WM_PAINT.
bool TakeMessage(MSG* out, HWND filter, UINT low, UINT high, bool remove) {
  MessageQueue& q = Queue();
  {
    std::lock_guard<std::mutex> lock(q.mutex);
    for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
      if (MatchesWindow(it->hwnd, filter) && InRange(it->message, low, high)) {
        *out = *it;
        if (remove) q.posted.erase(it);
        return true;
      }
    }
    if (q.quitPending && (!filter || filter == kThreadOnly) && InRange(WM_QUIT, low, high)) {
      *out = Message(nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0);
      if (remove) q.quitPending = false;
      return true;
    }
  }
  if (filter == kThreadOnly || !InRange(WM_PAINT, low, high)) return false;
  for (HWND hwnd : AllWindows()) {
    Window* w = FindWindowRecord(hwnd);
    if (w && w->visible && w->needsPaint && MatchesWindow(hwnd, filter)) {
      *out = Message(hwnd, WM_PAINT, 0, 0);  // stays until the window is validated
      return true;
    }
  }
  return false;
}

}  // namespace

void PostToQueue(const MSG& msg) {
  MessageQueue& q = Queue();
  {
    std::lock_guard<std::mutex> lock(q.mutex);
    q.posted.push_back(msg);
  }
  WakeWaiter();
}

void DropMessagesOf(HWND hwnd) {
  MessageQueue& q = Queue();
  std::lock_guard<std::mutex> lock(q.mutex);
  std::erase_if(q.posted, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
}

}  // namespace win32

BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT low, UINT high, UINT flags) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  win32::PumpEvents();
  return win32::TakeMessage(msg, hwnd, low, high, (flags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT low, UINT high) {
  if (!msg || (hwnd && hwnd != win32::kThreadOnly && !IsWindow(hwnd))) {
    SetLastError(msg ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (!win32::EnsureEvents()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return -1;
  }
  win32::MessageQueue& q = win32::Queue();
  {
    std::lock_guard<std::mutex> lock(q.mutex);
    if (!q.wakeEvent) q.wakeEvent = SDL_RegisterEvents(1);
  }
  while (true) {
    win32::PumpEvents();
    if (win32::TakeMessage(msg, hwnd, low, high, true)) return msg->message == WM_QUIT ? FALSE : TRUE;
    SDL_WaitEvent(nullptr);  // leaves the event for the next pump
  }
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg) return FALSE;
  const bool keyDown = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
  const bool keyUp = msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP;
  if (!keyDown && !keyUp) return FALSE;
  if (keyUp) return TRUE;
  const UINT vk = static_cast<UINT>(msg->wParam);
  const SDL_Keymod mods = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetModState() : KMOD_NONE;
  int ch = -1;
  if (vk >= 'A' && vk <= 'Z') {
    if (mods & KMOD_CTRL) {
      ch = static_cast<int>(vk - 'A' + 1);
    } else {
      const bool upper = ((mods & KMOD_SHIFT) != 0) != ((mods & KMOD_CAPS) != 0);
      ch = static_cast<int>(upper ? vk : vk - 'A' + 'a');
    }
  } else if ((vk >= '0' && vk <= '9') && !(mods & KMOD_SHIFT)) {
    ch = static_cast<int>(vk);
  } else if (vk == VK_SPACE || vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_BACK || vk == VK_TAB) {
    ch = static_cast<int>(vk == VK_RETURN ? '\r' : vk);
  }
  if (ch >= 0) {
    const UINT charMessage = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    win32::PostToQueue(win32::Message(msg->hwnd, charMessage, static_cast<WPARAM>(ch), msg->lParam));
  }
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  win32::Window* w = win32::FindWindowRecord(msg->hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return w->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd == HWND_BROADCAST) {
    for (HWND each : win32::AllWindows()) win32::PostToQueue(win32::Message(each, message, wParam, lParam));
    return TRUE;
  }
  if (hwnd && !IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  win32::PostToQueue(win32::Message(hwnd, message, wParam, lParam));
  return TRUE;
}

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  win32::Window* w = win32::FindWindowRecord(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return w->proc(hwnd, message, wParam, lParam);
}

void PostQuitMessage(int code) {
  win32::MessageQueue& q = win32::Queue();
  {
    std::lock_guard<std::mutex> lock(q.mutex);
    q.quitPending = true;
    q.quitCode = code;
  }
  win32::WakeWaiter();
}
