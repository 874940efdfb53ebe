// The few GDI and resource objects a window class names: system icons and cursors, and stock
// brushes. Brushes paint the background of a window on WM_ERASEBKGND; icons and cursors are the
// system's (a window shows the system's arrow pointer).
#pragma once

#include <cstdint>

#include "win32/win32_types.h"

#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDI_ERROR MAKEINTRESOURCEA(32513)
#define IDI_HAND IDI_ERROR
#define IDI_QUESTION MAKEINTRESOURCEA(32514)
#define IDI_WARNING MAKEINTRESOURCEA(32515)
#define IDI_EXCLAMATION IDI_WARNING
#define IDI_INFORMATION MAKEINTRESOURCEA(32516)
#define IDI_ASTERISK IDI_INFORMATION
#define IDI_WINLOGO MAKEINTRESOURCEA(32517)

#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_IBEAM MAKEINTRESOURCEA(32513)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
#define IDC_CROSS MAKEINTRESOURCEA(32515)
#define IDC_UPARROW MAKEINTRESOURCEA(32516)
#define IDC_SIZEALL MAKEINTRESOURCEA(32646)
#define IDC_NO MAKEINTRESOURCEA(32648)
#define IDC_HAND MAKEINTRESOURCEA(32649)

#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH

// System colours, usable as class brushes in the form (HBRUSH)(COLOR_xxx + 1).
#define COLOR_BACKGROUND 1
#define COLOR_WINDOW 5
#define COLOR_WINDOWTEXT 8
#define COLOR_BTNFACE 15

// System icons and cursors only: with a module, or an unknown identifier, the result is null
// (ERROR_RESOURCE_NAME_NOT_FOUND), since this system's modules carry no icon resources.
HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);
HCURSOR LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName);
// Stock brushes (WHITE_BRUSH to NULL_BRUSH); other objects give null.
HGDIOBJ GetStockObject(int i);

namespace win32 {

// The 0xRRGGBB colour a brush paints; false for a hollow or unknown brush.
bool BrushColor(HBRUSH brush, uint32_t* rgb);

}  // namespace win32
