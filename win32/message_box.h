// MessageBoxA: the text and caption are in the ANSI code page (Windows-1251) and are shown in
// UTF-8; a null caption is "Error", as on Windows. On a display the box is SDL's; without one
// (headless, or the offscreen driver) the message goes to stderr and the default button is the
// answer. Tests install a hook that sees the box instead of a person.
#pragma once

#include "win32/win32_types.h"

#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_CANCELTRYCONTINUE 0x00000006L
#define MB_ICONHAND 0x00000010L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_APPLMODAL 0x00000000L
#define MB_SYSTEMMODAL 0x00001000L
#define MB_TASKMODAL 0x00002000L
#define MB_SETFOREGROUND 0x00010000L
#define MB_TOPMOST 0x00040000L

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDTRYAGAIN 10
#define IDCONTINUE 11

#define ERROR_INVALID_MSGBOX_STYLE 1158L

// The button pressed (IDOK for MB_OK); 0 for an unknown button set (ERROR_INVALID_MSGBOX_STYLE).
int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);

namespace win32 {

struct MessageBoxRequest {
  const char* text;     // UTF-8
  const char* caption;  // UTF-8, "Error" when the program gave none
  UINT type;
  HWND owner;
};

// Answers a message box in place of a person: returns the button pressed (0 means the default
// button). Null removes the hook. Not part of the Win32 API: a test facility.
using MessageBoxHook = int (*)(const MessageBoxRequest& request, void* context);
void SetMessageBoxHook(MessageBoxHook hook, void* context);

}  // namespace win32
