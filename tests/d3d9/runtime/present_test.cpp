// Present: the back buffer stretched over the client area of the device window (windows of
// SDL's offscreen driver here), source rectangles, other windows, and what can't be shown.
#include <gtest/gtest.h>

#include <vector>

#include "d3d9/d3d9.h"
#include "d3d9/runtime/runtime_config.h"
#include "win32/com_ptr.h"
#include "win32/win32.h"

namespace {

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

constexpr D3DCOLOR kRed = 0xffff0000u;
constexpr D3DCOLOR kBlue = 0xff0000ffu;

class PresentTest : public testing::Test {
 protected:
  void SetUp() override {
    d3d9rt::Reset();
    WNDCLASSA wc{};
    wc.lpfnWndProc = PlainProc;
    wc.lpszClassName = "PresentTarget";
    ASSERT_NE(RegisterClassA(&wc), 0);
    window_ = MakeWindow();
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    device_.Reset();
    d3d9_.Reset();
    EXPECT_EQ(d3d9rt::LiveObjectCount(), 0);
    for (HWND w : windows_) DestroyWindow(w);
    UnregisterClassA("PresentTarget", nullptr);
    d3d9rt::Reset();
  }

  HWND MakeWindow() {
    // A popup has no frame: its client area is the size asked for, 96 x 72.
    HWND w = CreateWindowExA(0, "PresentTarget", "present", WS_POPUP, 0, 0, 96, 72, nullptr,
                             nullptr, nullptr, nullptr);
    if (w) {
      ShowWindow(w, SW_SHOW);
      windows_.push_back(w);
    }
    return w;
  }

  void MakeDevice(D3DFORMAT format, D3DSWAPEFFECT swap = D3DSWAPEFFECT_DISCARD) {
    d3d9_.Attach(Direct3DCreate9(D3D_SDK_VERSION));
    ASSERT_TRUE(d3d9_);
    D3DPRESENT_PARAMETERS p = {};
    p.BackBufferWidth = 32;
    p.BackBufferHeight = 24;
    p.BackBufferFormat = format;
    p.SwapEffect = swap;
    p.hDeviceWindow = window_;
    p.Windowed = TRUE;
    ASSERT_EQ(d3d9_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                  &p, device_.GetAddressOf()),
              D3D_OK);
  }

  // Left half red, right half blue.
  void PaintHalves() {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, kRed, 1.0f, 0), D3D_OK);
    const D3DRECT right = {16, 0, 32, 24};
    ASSERT_EQ(device_->Clear(1, &right, D3DCLEAR_TARGET, kBlue, 1.0f, 0), D3D_OK);
  }

  // What the client area of `w` shows at (x, y), as 0xRRGGBB.
  uint32_t Shown(HWND w, int x, int y) {
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    EXPECT_TRUE(win32::ReadClientPixels(w, &pixels, &width, &height));
    if (x >= width || y >= height) return 0xdeadbeefu;
    return pixels[static_cast<size_t>(y) * width + x] & 0xffffffu;
  }

  HWND window_ = nullptr;
  std::vector<HWND> windows_;
  ComPtr<IDirect3D9> d3d9_;
  ComPtr<IDirect3DDevice9> device_;
};

TEST_F(PresentTest, BackBufferIsStretchedOverTheClientArea) {
  ASSERT_NO_FATAL_FAILURE(MakeDevice(D3DFMT_X8R8G8B8));
  ASSERT_NO_FATAL_FAILURE(PaintHalves());
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  // 32 x 24 over 96 x 72: three window pixels per back-buffer pixel.
  EXPECT_EQ(Shown(window_, 0, 0), 0xff0000u);
  EXPECT_EQ(Shown(window_, 47, 71), 0xff0000u);
  EXPECT_EQ(Shown(window_, 48, 0), 0x0000ffu);
  EXPECT_EQ(Shown(window_, 95, 71), 0x0000ffu);
}

TEST_F(PresentTest, OtherBackBufferFormatsAreConverted) {
  ASSERT_NO_FATAL_FAILURE(MakeDevice(D3DFMT_R5G6B5));
  ASSERT_NO_FATAL_FAILURE(PaintHalves());
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(Shown(window_, 10, 10), 0xff0000u);
  EXPECT_EQ(Shown(window_, 80, 10), 0x0000ffu);
}

TEST_F(PresentTest, OverrideWindowAndSourceRectangle) {
  ASSERT_NO_FATAL_FAILURE(MakeDevice(D3DFMT_A8R8G8B8, D3DSWAPEFFECT_COPY));
  ASSERT_NO_FATAL_FAILURE(PaintHalves());
  HWND other = MakeWindow();
  ASSERT_NE(other, nullptr);
  const RECT rightHalf = {16, 0, 32, 24};
  ASSERT_EQ(device_->Present(&rightHalf, nullptr, other, nullptr), D3D_OK);
  EXPECT_EQ(Shown(other, 0, 0), 0x0000ffu) << "the source rectangle fills the client area";
  EXPECT_EQ(Shown(other, 95, 71), 0x0000ffu);

  const RECT outside = {16, 0, 33, 24};
  EXPECT_EQ(device_->Present(&outside, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
  const RECT empty = {4, 4, 4, 8};
  EXPECT_EQ(device_->Present(&empty, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->Present(nullptr, &rightHalf, nullptr, nullptr), D3DERR_NOTAVAILABLE)
      << "destination rectangles";
}

TEST_F(PresentTest, WhatCannotBePresented) {
  ASSERT_NO_FATAL_FAILURE(MakeDevice(D3DFMT_X8R8G8B8));
  const RECT r = {0, 0, 8, 8};
  EXPECT_EQ(device_->Present(&r, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL)
      << "rectangles need D3DSWAPEFFECT_COPY";
  d3d9rt::SetDeviceState(d3d9rt::DeviceState::kLost);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  d3d9rt::SetDeviceState(d3d9rt::DeviceState::kOperational);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

  HWND gone = MakeWindow();
  ASSERT_NE(gone, nullptr);
  ASSERT_TRUE(DestroyWindow(gone));
  windows_.pop_back();
  EXPECT_EQ(device_->Present(nullptr, nullptr, gone, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(PresentTest, DeviceWithoutAWindowPresentsNowhere) {
  d3d9_.Attach(Direct3DCreate9(D3D_SDK_VERSION));
  D3DPRESENT_PARAMETERS p = {};
  p.BackBufferWidth = 16;
  p.BackBufferHeight = 16;
  p.BackBufferFormat = D3DFMT_A8R8G8B8;
  p.SwapEffect = D3DSWAPEFFECT_DISCARD;
  p.Windowed = TRUE;
  ASSERT_EQ(d3d9_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p,
                                device_.GetAddressOf()),
            D3D_OK);
  EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

}  // namespace
