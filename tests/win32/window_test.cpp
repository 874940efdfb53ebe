// Window classes, windows and the message loop over SDL (the offscreen driver in tests).
#include "win32/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win32/gdi.h"
#include "win32/last_error.h"
#include "win32/message.h"
#include "win32/module.h"
#include "win32/virtual_key.h"
#include "win32/window_internal.h"

namespace {

struct Received {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

std::vector<Received> g_received;
bool g_quitOnDestroy = true;
LRESULT g_createResult = 0;

// A window procedure shaped like the demo's: Escape and WM_DESTROY quit, other keys are eaten.
LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  g_received.push_back({message, wParam, lParam});
  switch (message) {
    case WM_CREATE:
      return g_createResult;
    case WM_DESTROY:
      if (g_quitOnDestroy) PostQuitMessage(0);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) PostQuitMessage(0);
      return 0;
    case WM_USER + 1:
      return static_cast<LRESULT>(wParam + lParam);
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

bool Got(UINT message) {
  for (const Received& r : g_received) {
    if (r.message == message) return true;
  }
  return false;
}

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    g_received.clear();
    g_quitOnDestroy = true;
    g_createResult = 0;
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = reinterpret_cast<HINSTANCE>(GetModuleHandleA(nullptr));
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = "Slate";
    ASSERT_NE(RegisterClassA(&wc), 0);
  }
  void TearDown() override {
    for (HWND hwnd : win32::AllWindows()) DestroyWindow(hwnd);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_TRUE(UnregisterClassA("Slate", reinterpret_cast<HINSTANCE>(GetModuleHandleA(nullptr))));
  }

  HWND CreateDemoWindow(const char* title = "Direct3D (DX9) - Slate") {
    return CreateWindowExA(WS_EX_OVERLAPPEDWINDOW, "Slate", title, WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                           nullptr, nullptr, reinterpret_cast<HINSTANCE>(GetModuleHandleA(nullptr)), nullptr);
  }

  static void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }

  static void PushKey(HWND hwnd, bool down, SDL_Scancode scancode, SDL_Keycode keycode, Uint16 mod = 0,
                      bool repeat = false) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = win32::FindWindowRecord(hwnd)->sdlId;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat;
    e.key.keysym.scancode = scancode;
    e.key.keysym.sym = keycode;
    e.key.keysym.mod = mod;
    Push(e);
  }

  // The demo's loop body: take at most one message, translate and dispatch it.
  static bool RunOnce(MSG* msg) {
    if (!PeekMessageA(msg, nullptr, 0, 0, PM_REMOVE)) return false;
    TranslateMessage(msg);
    DispatchMessageA(msg);
    return true;
  }
};

TEST_F(WindowTest, CreatedWindowHasTheOuterSizeAskedForAndShows) {
  const HWND hwnd = CreateDemoWindow();
  ASSERT_NE(hwnd, nullptr) << GetLastError();
  EXPECT_TRUE(Got(WM_NCCREATE));
  EXPECT_TRUE(Got(WM_CREATE));
  EXPECT_FALSE(IsWindowVisible(hwnd));

  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWDEFAULT));  // was hidden
  EXPECT_TRUE(IsWindowVisible(hwnd));
  EXPECT_TRUE(Got(WM_SHOWWINDOW));
  EXPECT_TRUE(ShowWindow(hwnd, SW_SHOW));  // was visible
  g_received.clear();
  EXPECT_TRUE(UpdateWindow(hwnd));
  EXPECT_TRUE(Got(WM_PAINT));
  g_received.clear();
  EXPECT_TRUE(UpdateWindow(hwnd));  // validated by DefWindowProc: nothing to paint
  EXPECT_FALSE(Got(WM_PAINT));

  RECT outer, client;
  ASSERT_TRUE(GetWindowRect(hwnd, &outer));
  ASSERT_TRUE(GetClientRect(hwnd, &client));
  EXPECT_EQ(outer.right - outer.left, 640);
  EXPECT_EQ(outer.bottom - outer.top, 480);
  EXPECT_EQ(client.left, 0);
  EXPECT_EQ(client.top, 0);
  // The client area is smaller than the outer size by the frame.
  RECT frame{0, 0, client.right, client.bottom};
  AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_OVERLAPPEDWINDOW);
  SDL_Window* sdl = SDL_GetWindowFromID(win32::FindWindowRecord(hwnd)->sdlId);
  int borderTop = 0, borderLeft, borderBottom, borderRight;
  if (SDL_GetWindowBordersSize(sdl, &borderTop, &borderLeft, &borderBottom, &borderRight) != 0 || !borderTop) {
    EXPECT_EQ(frame.right - frame.left, 640);  // no frame from the window system: Windows metrics
    EXPECT_EQ(frame.bottom - frame.top, 480);
  }
  EXPECT_LT(client.right, 640);
  EXPECT_LT(client.bottom, 480);
  EXPECT_STREQ(SDL_GetWindowTitle(sdl), "Direct3D (DX9) - Slate");
}

TEST_F(WindowTest, TitleInTheAnsiCodePageIsShownInUtf8) {
  const HWND hwnd = CreateDemoWindow("\xce\xea\xed\xee");  // "Окно" in Windows-1251
  ASSERT_NE(hwnd, nullptr);
  EXPECT_STREQ(SDL_GetWindowTitle(SDL_GetWindowFromID(win32::FindWindowRecord(hwnd)->sdlId)), "Окно");
  EXPECT_EQ(FindWindowA("slate", "\xce\xea\xed\xee"), hwnd);
  EXPECT_EQ(FindWindowA(nullptr, "other"), nullptr);
}

TEST_F(WindowTest, CloseButtonEndsTheLoopThroughWmDestroyAndWmQuit) {
  const HWND hwnd = CreateDemoWindow();
  ASSERT_NE(hwnd, nullptr);
  ShowWindow(hwnd, SW_SHOW);
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  e.window.windowID = win32::FindWindowRecord(hwnd)->sdlId;
  Push(e);
  MSG msg{};
  int passes = 0;
  while (msg.message != WM_QUIT && passes++ < 100) RunOnce(&msg);
  ASSERT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 0u);
  EXPECT_TRUE(Got(WM_CLOSE));
  EXPECT_TRUE(Got(WM_DESTROY));
  EXPECT_TRUE(Got(WM_NCDESTROY));
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(WindowTest, KeysArriveAsWmKeyDownWithVirtualKeyCodes) {
  const HWND hwnd = CreateDemoWindow();
  ASSERT_NE(hwnd, nullptr);
  struct Key {
    SDL_Scancode scancode;
    SDL_Keycode keycode;
    UINT vk;
    UINT scan;
    bool extended;
  };
  const Key keys[] = {
      {SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, VK_ESCAPE, 0x01, false},
      {SDL_SCANCODE_A, SDLK_a, 'A', 0x1E, false},
      {SDL_SCANCODE_Z, SDLK_z, 'Z', 0x2C, false},
      {SDL_SCANCODE_Q, SDLK_a, 'A', 0x10, false},  // a layout where that key types 'a'
      {SDL_SCANCODE_7, SDLK_7, '7', 0x08, false},
      {SDL_SCANCODE_0, SDLK_0, '0', 0x0B, false},
      {SDL_SCANCODE_F1, SDLK_F1, VK_F1, 0x3B, false},
      {SDL_SCANCODE_SPACE, SDLK_SPACE, VK_SPACE, 0x39, false},
      {SDL_SCANCODE_RETURN, SDLK_RETURN, VK_RETURN, 0x1C, false},
      {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, VK_RETURN, 0x1C, true},
      {SDL_SCANCODE_LEFT, SDLK_LEFT, VK_LEFT, 0x4B, true},
      {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, VK_SHIFT, 0x2A, false},
      {SDL_SCANCODE_KP_5, SDLK_KP_5, VK_NUMPAD5, 0x4C, false},
  };
  for (const Key& k : keys) {
    SCOPED_TRACE(SDL_GetScancodeName(k.scancode));
    PushKey(hwnd, true, k.scancode, k.keycode);
    PushKey(hwnd, false, k.scancode, k.keycode);
    MSG down, up;
    ASSERT_TRUE(PeekMessageA(&down, nullptr, 0, 0, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&up, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(down.hwnd, hwnd);
    EXPECT_EQ(down.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(down.wParam, k.vk);
    EXPECT_EQ(down.lParam & 0xFFFF, 1);                       // repeat count
    EXPECT_EQ((down.lParam >> 16) & 0xFF, static_cast<LPARAM>(k.scan));
    EXPECT_EQ(((down.lParam >> 24) & 1) != 0, k.extended);
    EXPECT_EQ((down.lParam >> 30) & 3, 0);                    // was up, goes down
    EXPECT_EQ(up.message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(up.wParam, k.vk);
    EXPECT_EQ((static_cast<uint32_t>(up.lParam) >> 30) & 3, 3u);  // was down, goes up
  }
  PushKey(hwnd, true, SDL_SCANCODE_A, SDLK_a, 0, /*repeat=*/true);
  MSG repeat;
  ASSERT_TRUE(PeekMessageA(&repeat, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ((repeat.lParam >> 30) & 1, 1);  // auto-repeat: the key was already down
}

TEST_F(WindowTest, EscapeQuitsAndOtherKeysAreSwallowed) {
  const HWND hwnd = CreateDemoWindow();
  ASSERT_NE(hwnd, nullptr);
  PushKey(hwnd, true, SDL_SCANCODE_B, SDLK_b);
  PushKey(hwnd, true, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
  MSG msg{};
  int passes = 0;
  while (msg.message != WM_QUIT && passes++ < 100) RunOnce(&msg);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 0u);
  EXPECT_TRUE(IsWindow(hwnd));  // Escape quits without destroying the window
  // The class can't go while its window is there.
  SetLastError(0);
  EXPECT_FALSE(UnregisterClassA("Slate", reinterpret_cast<HINSTANCE>(GetModuleHandleA(nullptr))));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
}

TEST_F(WindowTest, AltF4ClosesTheWindow) {
  const HWND hwnd = CreateDemoWindow();
  ASSERT_NE(hwnd, nullptr);
  PushKey(hwnd, true, SDL_SCANCODE_F4, SDLK_F4, KMOD_LALT);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_SYSKEYDOWN));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_F4));
  EXPECT_EQ((msg.lParam >> 29) & 1, 1);
  DispatchMessageA(&msg);
  EXPECT_TRUE(Got(WM_CLOSE));
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(WindowTest, TranslateMessagePostsCharacters) {
  const HWND hwnd = CreateDemoWindow();
  ASSERT_NE(hwnd, nullptr);
  struct Case {
    UINT vk;
    int ch;  // -1: none
  };
  const Case cases[] = {{'A', 'a'}, {'5', '5'}, {VK_ESCAPE, 0x1B}, {VK_RETURN, '\r'}, {VK_F1, -1}, {VK_LEFT, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.vk);
    const MSG key{hwnd, WM_KEYDOWN, c.vk, 1, 0, {0, 0}};
    EXPECT_TRUE(TranslateMessage(&key));
    MSG ch;
    const BOOL posted = PeekMessageA(&ch, nullptr, WM_CHAR, WM_CHAR, PM_REMOVE);
    EXPECT_EQ(posted != 0, c.ch >= 0);
    if (posted) {
      EXPECT_EQ(ch.wParam, static_cast<WPARAM>(c.ch));
    }
  }
  const MSG other{hwnd, WM_USER, 0, 0, 0, {0, 0}};
  EXPECT_FALSE(TranslateMessage(&other));
}

TEST_F(WindowTest, PostedMessagesComeBeforeQuitAndFiltersApply) {
  const HWND hwnd = CreateDemoWindow();
  ASSERT_NE(hwnd, nullptr);
  ASSERT_TRUE(PostMessageA(hwnd, WM_USER, 1, 2));
  PostQuitMessage(3);
  ASSERT_TRUE(PostMessageA(nullptr, WM_APP, 4, 5));  // a thread message
  MSG msg;
  // The window's own messages: never WM_QUIT.
  ASSERT_TRUE(PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  EXPECT_FALSE(PeekMessageA(&msg, hwnd, 0, 0, PM_NOREMOVE));
  // PM_NOREMOVE looks without taking.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.wParam, 4u);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // taken once

  EXPECT_EQ(SendMessageA(hwnd, WM_USER + 1, 40, 2), 42);
  const MSG direct{hwnd, WM_USER + 1, 1, 1, 0, {0, 0}};
  EXPECT_EQ(DispatchMessageA(&direct), 2);
  SetLastError(0);
  EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x4444), WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowTest, GetMessageReturnsZeroForQuit) {
  PostMessageA(nullptr, WM_APP, 0, 0);
  PostQuitMessage(7);
  MSG msg;
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP));
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_EQ(GetMessageA(&msg, reinterpret_cast<HWND>(0x4444), 0, 0), -1);
}

TEST_F(WindowTest, DestroyingAWindowDropsItsQueuedMessages) {
  g_quitOnDestroy = false;
  const HWND hwnd = CreateDemoWindow();
  ASSERT_NE(hwnd, nullptr);
  PostMessageA(hwnd, WM_USER, 0, 0);
  ASSERT_TRUE(DestroyWindow(hwnd));
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  SetLastError(0);
  EXPECT_FALSE(DestroyWindow(hwnd));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowTest, WmCreateFailureGivesNoWindow) {
  g_createResult = -1;
  g_quitOnDestroy = false;
  EXPECT_EQ(CreateDemoWindow(), nullptr);
  EXPECT_TRUE(Got(WM_DESTROY));
  EXPECT_TRUE(win32::AllWindows().empty());
}

TEST_F(WindowTest, ClassRegistrationRules) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = "SLATE";  // names compare without case
  SetLastError(0);
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
  SetLastError(0);
  EXPECT_FALSE(UnregisterClassA("NoSuchClass", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
  SetLastError(0);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "x", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                            nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
  wc.lpfnWndProc = nullptr;
  wc.lpszClassName = "Other";
  EXPECT_EQ(RegisterClassA(&wc), 0);
}

TEST(WindowFrameTest, AdjustWindowRectExUsesTheWindowsMetrics) {
  struct Case {
    DWORD style, exStyle;
    BOOL menu;
    RECT expected;
  };
  const Case cases[] = {
      {WS_OVERLAPPEDWINDOW, 0, FALSE, {-8, -31, 108, 108}},
      {WS_OVERLAPPEDWINDOW, WS_EX_OVERLAPPEDWINDOW, FALSE, {-10, -33, 110, 110}},
      {WS_OVERLAPPEDWINDOW, 0, TRUE, {-8, -51, 108, 108}},
      {WS_CAPTION | WS_SYSMENU, 0, FALSE, {-3, -26, 103, 103}},
      {WS_POPUP | WS_BORDER, 0, FALSE, {-1, -1, 101, 101}},
      {WS_POPUP, 0, FALSE, {0, 0, 100, 100}},
  };
  for (const Case& c : cases) {
    RECT r{0, 0, 100, 100};
    ASSERT_TRUE(AdjustWindowRectEx(&r, c.style, c.menu, c.exStyle));
    EXPECT_EQ(r.left, c.expected.left) << std::hex << c.style << " " << c.exStyle;
    EXPECT_EQ(r.top, c.expected.top) << std::hex << c.style << " " << c.exStyle;
    EXPECT_EQ(r.right, c.expected.right) << std::hex << c.style << " " << c.exStyle;
    EXPECT_EQ(r.bottom, c.expected.bottom) << std::hex << c.style << " " << c.exStyle;
  }
}

TEST(GdiTest, SystemIconsCursorsAndStockBrushes) {
  EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
  EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
  EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(5)), nullptr);
  EXPECT_EQ(LoadCursorA(reinterpret_cast<HINSTANCE>(GetModuleHandleA(nullptr)), "custom"), nullptr);
  uint32_t rgb = 1;
  ASSERT_TRUE(win32::BrushColor(static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), &rgb));
  EXPECT_EQ(rgb, 0u);
  ASSERT_TRUE(win32::BrushColor(static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), &rgb));
  EXPECT_EQ(rgb, 0xFFFFFFu);
  EXPECT_FALSE(win32::BrushColor(static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)), &rgb));
  EXPECT_EQ(GetStockObject(99), nullptr);
}

}  // namespace
