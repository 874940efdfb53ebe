// Presenting pictures into a window's client area, and the class brush's background.
#include "win32/window_present.h"

#include <gtest/gtest.h>

#include <vector>

#include "win32/gdi.h"
#include "win32/message.h"
#include "win32/module.h"
#include "win32/window.h"

namespace {

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

class WindowPresentTest : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = "PresentTest";
    ASSERT_NE(RegisterClassA(&wc), 0);
    hwnd_ = CreateWindowExA(0, "PresentTest", "present", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr,
                            nullptr, nullptr);
    ASSERT_NE(hwnd_, nullptr);
    ShowWindow(hwnd_, SW_SHOW);
  }
  void TearDown() override {
    DestroyWindow(hwnd_);
    UnregisterClassA("PresentTest", nullptr);
  }
  uint32_t At(const std::vector<uint32_t>& pixels, int width, int x, int y) {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] & 0xFFFFFF;
  }
  HWND hwnd_ = nullptr;
};

TEST_F(WindowPresentTest, ClassBrushPaintsTheBackground) {
  UpdateWindow(hwnd_);  // WM_PAINT -> WM_ERASEBKGND with the white brush
  std::vector<uint32_t> pixels;
  int width = 0, height = 0;
  ASSERT_TRUE(win32::ReadClientPixels(hwnd_, &pixels, &width, &height));
  ASSERT_EQ(width, 64);
  ASSERT_EQ(height, 48);
  EXPECT_EQ(At(pixels, width, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(At(pixels, width, 63, 47), 0xFFFFFFu);
}

TEST_F(WindowPresentTest, PictureIsStretchedOverTheClientArea) {
  // 2 x 2, B G R A bytes, with a pitch wider than the row: red, green / blue, grey.
  const uint8_t picture[2][12] = {{0, 0, 255, 255, 0, 255, 0, 255, 9, 9, 9, 9},
                                  {255, 0, 0, 255, 128, 128, 128, 0, 9, 9, 9, 9}};
  ASSERT_TRUE(win32::PresentToWindow(hwnd_, picture, 2, 2, 12));
  std::vector<uint32_t> pixels;
  int width = 0, height = 0;
  ASSERT_TRUE(win32::ReadClientPixels(hwnd_, &pixels, &width, &height));
  int clientWidth, clientHeight;
  ASSERT_TRUE(win32::GetClientSize(hwnd_, &clientWidth, &clientHeight));
  EXPECT_EQ(width, clientWidth);
  EXPECT_EQ(height, clientHeight);
  struct Probe {
    int x, y;
    uint32_t rgb;
  };
  const Probe probes[] = {{0, 0, 0xFF0000},   {width / 2 - 1, height / 2 - 1, 0xFF0000},
                          {width - 1, 0, 0x00FF00}, {0, height - 1, 0x0000FF},
                          {width - 1, height - 1, 0x808080}};
  for (const Probe& p : probes) {
    EXPECT_EQ(At(pixels, width, p.x, p.y), p.rgb) << p.x << "," << p.y;
  }
  // A second picture of another size replaces the first.
  const uint32_t one = 0xFF123456;
  ASSERT_TRUE(win32::PresentToWindow(hwnd_, &one, 1, 1, 4));
  ASSERT_TRUE(win32::ReadClientPixels(hwnd_, &pixels, &width, &height));
  EXPECT_EQ(At(pixels, width, width / 2, height / 2), 0x123456u);
}

TEST_F(WindowPresentTest, RefusesBadPictures) {
  const uint32_t pixel = 0;
  EXPECT_FALSE(win32::PresentToWindow(hwnd_, nullptr, 1, 1, 4));
  EXPECT_FALSE(win32::PresentToWindow(hwnd_, &pixel, 0, 1, 4));
  EXPECT_FALSE(win32::PresentToWindow(hwnd_, &pixel, 2, 1, 4));  // pitch shorter than a row
  EXPECT_FALSE(win32::PresentToWindow(reinterpret_cast<HWND>(0x4444), &pixel, 1, 1, 4));
}

}  // namespace
