#include "win32/message_box.h"

#include <SDL.h>

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "win32/last_error.h"
#include "win32/sdl_video.h"
#include "win32/text_encoding.h"
#include "win32/window_internal.h"

namespace {

struct Button {
  int id;
  const char* label;
};

struct ButtonSet {
  UINT type;
  std::vector<Button> buttons;
  int escape;  // the answer to Escape, 0 where the box can't be dismissed
};

const ButtonSet kButtonSets[] = {
    {MB_OK, {{IDOK, "OK"}}, IDOK},
    {MB_OKCANCEL, {{IDOK, "OK"}, {IDCANCEL, "Cancel"}}, IDCANCEL},
    {MB_ABORTRETRYIGNORE, {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}}, 0},
    {MB_YESNOCANCEL, {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}}, IDCANCEL},
    {MB_YESNO, {{IDYES, "Yes"}, {IDNO, "No"}}, 0},
    {MB_RETRYCANCEL, {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}}, IDCANCEL},
    {MB_CANCELTRYCONTINUE, {{IDCANCEL, "Cancel"}, {IDTRYAGAIN, "Try Again"}, {IDCONTINUE, "Continue"}}, IDCANCEL},
};

struct HookSlot {
  std::mutex mutex;
  win32::MessageBoxHook hook = nullptr;
  void* context = nullptr;
};

HookSlot& Slot() {
  static HookSlot slot;
  return slot;
}

Uint32 IconFlags(UINT type) {
  switch (type & 0xF0) {
    case MB_ICONHAND: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONEXCLAMATION: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
  }
}

int ShowOnDisplay(const ButtonSet& set, size_t defaultIndex, const std::string& text,
                  const std::string& caption, HWND owner) {
  std::vector<SDL_MessageBoxButtonData> buttons;
  for (size_t i = 0; i < set.buttons.size(); ++i) {
    Uint32 flags = 0;
    if (i == defaultIndex) flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (set.buttons[i].id == set.escape) flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    buttons.push_back({flags, set.buttons[i].id, set.buttons[i].label});
  }
  win32::Window* w = owner ? win32::FindWindowRecord(owner) : nullptr;
  SDL_MessageBoxData data{IconFlags(set.type), w ? w->sdl : nullptr, caption.c_str(), text.c_str(),
                          static_cast<int>(buttons.size()), buttons.data(), nullptr};
  int pressed = 0;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) return 0;
  // Closing the box without a button is Escape; a box that can't be escaped gives its default.
  if (pressed < 0) pressed = set.escape ? set.escape : set.buttons[defaultIndex].id;
  return pressed;
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  const ButtonSet* set = nullptr;
  for (const ButtonSet& s : kButtonSets) {
    if (s.type == (type & 0xF)) set = &s;
  }
  if (!set) {
    SetLastError(ERROR_INVALID_MSGBOX_STYLE);
    return 0;
  }
  size_t defaultIndex = (type >> 8) & 0xF;
  if (defaultIndex >= set->buttons.size()) defaultIndex = 0;
  const int defaultButton = set->buttons[defaultIndex].id;

  const std::string utf8Text = win32::AnsiToUtf8(text ? text : "");
  const std::string utf8Caption = caption ? win32::AnsiToUtf8(caption) : std::string("Error");

  win32::MessageBoxHook hook;
  void* context;
  {
    HookSlot& slot = Slot();
    std::lock_guard<std::mutex> lock(slot.mutex);
    hook = slot.hook;
    context = slot.context;
  }
  if (hook) {  // called without the lock: a hook may show a box of its own
    const win32::MessageBoxRequest request{utf8Text.c_str(), utf8Caption.c_str(), type, owner};
    const int answer = hook(request, context);
    return answer ? answer : defaultButton;
  }
  if (win32::DisplayAvailable()) {
    const int answer = ShowOnDisplay(*set, defaultIndex, utf8Text, utf8Caption, owner);
    if (answer) return answer;
  }
  std::fprintf(stderr, "%s: %s\n", utf8Caption.c_str(), utf8Text.c_str());
  std::fflush(stderr);
  return defaultButton;
}

namespace win32 {

void SetMessageBoxHook(MessageBoxHook hook, void* context) {
  HookSlot& slot = Slot();
  std::lock_guard<std::mutex> lock(slot.mutex);
  slot.hook = hook;
  slot.context = context;
}

}  // namespace win32
