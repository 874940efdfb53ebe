// Window classes and windows over SDL2. Each window is an SDL window whose client area is the
// SDL window's area; its frame is the one the window system draws where it reports its size
// (SDL_GetWindowBordersSize), else the Windows frame metrics of the style (AdjustWindowRectEx),
// so that the outer size is the size a program asks CreateWindowEx for. Narrow strings (class
// names, titles) are in the ANSI code page (Windows-1251). The windows of this process belong to
// the thread that runs its message loop.
#pragma once

#include "win32/win32_types.h"

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

// Class styles.
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008
#define CS_OWNDC 0x0020
#define CS_CLASSDC 0x0040
#define CS_NOCLOSE 0x0200

// Window styles.
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_MINIMIZE 0x20000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_MAXIMIZE 0x01000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_OVERLAPPEDWINDOW \
  (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_POPUPWINDOW (WS_POPUP | WS_BORDER | WS_SYSMENU)

// Extended window styles.
#define WS_EX_DLGMODALFRAME 0x00000001L
#define WS_EX_TOPMOST 0x00000008L
#define WS_EX_TOOLWINDOW 0x00000080L
#define WS_EX_WINDOWEDGE 0x00000100L
#define WS_EX_CLIENTEDGE 0x00000200L
#define WS_EX_APPWINDOW 0x00040000L
#define WS_EX_STATICEDGE 0x00020000L
#define WS_EX_OVERLAPPEDWINDOW (WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE)

#define CW_USEDEFAULT ((int)0x80000000)

// ShowWindow commands.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10
#define SW_FORCEMINIMIZE 11

#define MAKEINTATOM(i) ((LPSTR)(ULONG_PTR)((WORD)(i)))

struct WNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
};
typedef WNDCLASSA* LPWNDCLASSA;

// What WM_NCCREATE and WM_CREATE carry in lParam.
struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};
typedef CREATESTRUCTA* LPCREATESTRUCTA;

// A class is known by its name (compared without case) and the instance that registered it;
// a null instance stands for the program's own module.
ATOM RegisterClassA(const WNDCLASSA* lpWndClass);
// Fails with ERROR_CLASS_HAS_WINDOWS while a window of the class exists, and with
// ERROR_CLASS_DOES_NOT_EXIST for an unknown class.
BOOL UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance);

// Top-level windows only; nWidth x nHeight is the outer size, frame included. Sends WM_NCCREATE
// and WM_CREATE (a result of -1 from WM_CREATE destroys the window and gives null).
HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                     int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                     HINSTANCE hInstance, LPVOID lpParam);
// Sends WM_DESTROY, then WM_NCDESTROY; the handle is invalid afterwards and the window's
// messages still in the queue are dropped.
BOOL DestroyWindow(HWND hWnd);
// Returns whether the window was visible before.
BOOL ShowWindow(HWND hWnd, int nCmdShow);
// Sends WM_PAINT at once when the window is visible and needs painting.
BOOL UpdateWindow(HWND hWnd);
BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
BOOL ValidateRect(HWND hWnd, const RECT* lpRect);
BOOL IsWindow(HWND hWnd);
BOOL IsWindowVisible(HWND hWnd);
BOOL GetClientRect(HWND hWnd, LPRECT lpRect);
BOOL GetWindowRect(HWND hWnd, LPRECT lpRect);
BOOL SetWindowTextA(HWND hWnd, LPCSTR lpString);
// Grows a client rectangle into the window rectangle of a style, with the Windows metrics of a
// 96-DPI display (caption 23, sizing frame 8, fixed frame 3, client edge 2, menu 20 pixels).
BOOL AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle);
// By class name and/or title (either may be null); the first match in creation order.
HWND FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName);

// Default processing: WM_CLOSE destroys the window; Alt+F4 and the system close command send
// WM_CLOSE; WM_PAINT validates the window, erasing it first with the class background brush;
// WM_NCCREATE gives TRUE. Everything else gives 0.
LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
