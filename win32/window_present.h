// Presentation of a picture into a window's client area, for the software Direct3D runtime's
// Present, and reading the client area back, for tests.
#pragma once

#include <cstdint>
#include <vector>

#include "win32/win32_types.h"

namespace win32 {

// Stretches a picture of 32-bit pixels (B, G, R, A bytes in memory: D3DFMT_A8R8G8B8 and
// D3DFMT_X8R8G8B8; alpha is ignored) over the whole client area and shows it. pitchBytes is the
// distance between rows, at least width * 4. FALSE for an invalid window or picture.
BOOL PresentToWindow(HWND hwnd, const void* pixels, int width, int height, int pitchBytes);

// The client area's size in pixels.
BOOL GetClientSize(HWND hwnd, int* width, int* height);

// What the client area shows now, as 0xAARRGGBB values row after row (for tests).
BOOL ReadClientPixels(HWND hwnd, std::vector<uint32_t>* pixels, int* width, int* height);

}  // namespace win32
