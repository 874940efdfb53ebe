#include "win32/gdi.h"

#include <iterator>

#include "win32/last_error.h"

namespace {

struct SystemImage {
  WORD id;
};

constexpr WORD kSystemIconIds[] = {32512, 32513, 32514, 32515, 32516, 32517};
constexpr WORD kSystemCursorIds[] = {32512, 32513, 32514, 32515, 32516, 32646, 32648, 32649};

SystemImage g_icons[std::size(kSystemIconIds)];
SystemImage g_cursors[std::size(kSystemCursorIds)];

struct StockBrush {
  bool hollow;
  uint32_t rgb;
};

const StockBrush kStockBrushes[] = {
    {false, 0xFFFFFF}, {false, 0xC0C0C0}, {false, 0x808080},
    {false, 0x404040}, {false, 0x000000}, {true, 0},
};

struct SystemColour {
  int index;
  uint32_t rgb;
};

constexpr SystemColour kSystemColours[] = {
    {COLOR_BACKGROUND, 0x000000}, {COLOR_WINDOW, 0xFFFFFF}, {COLOR_WINDOWTEXT, 0x000000},
    {COLOR_BTNFACE, 0xF0F0F0},
};

template <size_t N>
void* FindSystemImage(HINSTANCE instance, LPCSTR name, const WORD (&ids)[N], SystemImage (&images)[N]) {
  if (!instance && IS_INTRESOURCE(name)) {
    for (size_t i = 0; i < N; ++i) {
      if (ids[i] == LOWORD(name)) {
        images[i].id = ids[i];
        return &images[i];
      }
    }
  }
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

}  // namespace

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  return static_cast<HICON>(FindSystemImage(instance, name, kSystemIconIds, g_icons));
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  return static_cast<HCURSOR>(FindSystemImage(instance, name, kSystemCursorIds, g_cursors));
}

HGDIOBJ GetStockObject(int i) {
  if (i < 0 || i >= static_cast<int>(std::size(kStockBrushes))) return nullptr;
  return const_cast<StockBrush*>(&kStockBrushes[i]);
}

namespace win32 {

bool BrushColor(HBRUSH brush, uint32_t* rgb) {
  for (const StockBrush& b : kStockBrushes) {
    if (brush == reinterpret_cast<HBRUSH>(const_cast<StockBrush*>(&b))) {
      if (b.hollow) return false;
      *rgb = b.rgb;
      return true;
    }
  }
  const uintptr_t value = reinterpret_cast<uintptr_t>(brush);
  for (const SystemColour& c : kSystemColours) {
    if (value == static_cast<uintptr_t>(c.index + 1)) {
      *rgb = c.rgb;
      return true;
    }
  }
  return false;
}

}  // namespace win32
