// WinMain and the window procedure in the test's process: the whole run up to WM_QUIT, the
// answers to keys and to the system's close, and the message box when the class can't be
// registered or no device can be made.
#include "tests/demo/demo_fixture.h"

namespace demo_test {
namespace {

// Whether a WM_QUIT waits in the queue (taking it).
bool QuitPosted() {
  MSG msg;
  return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && msg.message == WM_QUIT;
}

char g_commandLine[] = "";

TEST_F(DemoTest, WinMainDrawsUntilTheQuitMessageAndReturnsItsCode) {
  for (int code : {0, 3}) {
    // A quit already waiting ends the loop on its first pass, after one frame.
    PostQuitMessage(code);
    EXPECT_EQ(WinMain(ProgramInstance(), nullptr, g_commandLine, SW_SHOWDEFAULT), code);
    EXPECT_EQ(d3d9rt::LiveObjectCount(), 0) << "everything released";
    EXPECT_EQ(g_device, nullptr);
    EXPECT_EQ(g_direct3d, nullptr);
    EXPECT_TRUE(boxes_.texts.empty());

    // The window stays until the process ends; it shows the one frame.
    const HWND window = FindWindowA("Slate", "Direct3D (DX9) - Slate");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window, g_window);
    RECT outer;
    ASSERT_TRUE(GetWindowRect(window, &outer));
    EXPECT_EQ(outer.right - outer.left, 640) << "outer size, frame included";
    EXPECT_EQ(outer.bottom - outer.top, 480);
    std::vector<uint32_t> shown;
    int width = 0, height = 0;
    ASSERT_TRUE(win32::ReadClientPixels(window, &shown, &width, &height));
    EXPECT_EQ(shown[static_cast<size_t>(height / 2) * width + width / 2] & 0xffffffu, 0xffffffu);
    EXPECT_EQ(shown[static_cast<size_t>(height - 1) * width] & 0xffffffu, 0u);

    DestroyWindow(window);  // posts WM_QUIT through the window procedure
    EXPECT_TRUE(DrainMessages());
    g_window = nullptr;
    EXPECT_TRUE(UnregisterClassA("Slate", ProgramInstance())) << "WinMain left the class registered";
  }
}

TEST_F(DemoTest, WindowProcedureAnswers) {
  ASSERT_NO_FATAL_FAILURE(OpenWindow());
  DrainMessages();
  struct Case {
    const char* what;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
    bool quits;
  };
  const Case cases[] = {
      {"Escape", WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, true},
      {"another key", WM_KEYDOWN, 'A', 0x001e0001, 0, false},
      {"Space", WM_KEYDOWN, VK_SPACE, 0x00390001, 0, false},
      {"key up of Escape", WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xc0010001u), 0, false},
      {"creation", WM_NCCREATE, 0, 0, TRUE, false},
      {"destruction", WM_DESTROY, 0, 0, 0, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MainWindowProc(g_window, c.message, c.wParam, c.lParam), c.result) << c.what;
    EXPECT_EQ(QuitPosted(), c.quits) << c.what;
    EXPECT_TRUE(IsWindow(g_window)) << c.what << " leaves the window";
  }
  // Alt+F4 goes to the default processing, which closes the window: WM_DESTROY quits.
  EXPECT_EQ(MainWindowProc(g_window, WM_SYSKEYDOWN, VK_F4, 1 << 29), 0);
  EXPECT_FALSE(IsWindow(g_window));
  EXPECT_TRUE(QuitPosted());
  g_window = nullptr;
}

TEST_F(DemoTest, FailedClassRegistrationShowsItsMessageAndEndsWithOne) {
  // A class of that name already registered by this module makes RegisterClassA fail.
  WNDCLASSA taken = {};
  taken.lpfnWndProc = DefWindowProcA;
  taken.hInstance = ProgramInstance();
  taken.lpszClassName = "Slate";
  ASSERT_NE(RegisterClassA(&taken), 0);

  EXPECT_EQ(WinMain(ProgramInstance(), nullptr, g_commandLine, SW_SHOWDEFAULT), 1);
  ASSERT_EQ(boxes_.texts.size(), 1u);
  // Shown from its Windows-1251 bytes: the text arrives as this Cyrillic, not as mojibake.
  EXPECT_EQ(boxes_.texts[0], "Ошибка при регистрации класса.");
  EXPECT_EQ(boxes_.captions[0], "Error") << "no caption: the system's default";
  EXPECT_EQ(boxes_.requests[0].type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(boxes_.requests[0].owner, nullptr);
  EXPECT_EQ(g_window, nullptr) << "no window was made";
  EXPECT_EQ(FindWindowA(nullptr, "Direct3D (DX9) - Slate"), nullptr);
  EXPECT_EQ(d3d9rt::LiveObjectCount(), 0);
}

TEST_F(DemoTest, NoDeviceEndsTheProgramWithAMessage) {
  d3d9rt::InjectFailure(d3d9rt::kCreateDevice, 0, D3DERR_NOTAVAILABLE);
  EXPECT_EQ(WinMain(ProgramInstance(), nullptr, g_commandLine, SW_SHOWDEFAULT), 1);
  ASSERT_EQ(boxes_.texts.size(), 1u);
  EXPECT_EQ(boxes_.texts[0], "Ошибка создания устройства Direct3D");
  EXPECT_EQ(d3d9rt::LiveObjectCount(), 0) << "the Direct3D object was released";
}

}  // namespace
}  // namespace demo_test
