// A window that can't be made: the video system can't start (a video driver that doesn't
// exist), so CreateWindowExA fails. A process of its own, so that no earlier test has started
// SDL's video.
#include <cstdlib>

#include "tests/demo/demo_fixture.h"

namespace demo_test {
namespace {

char g_commandLine[] = "";

TEST_F(DemoTest, FailedWindowCreationShowsItsMessageAndEndsWithOne) {
  ASSERT_EQ(setenv("SDL_VIDEODRIVER", "no-such-driver", 1), 0);
  EXPECT_EQ(WinMain(ProgramInstance(), nullptr, g_commandLine, SW_SHOWDEFAULT), 1);
  ASSERT_EQ(boxes_.texts.size(), 1u);
  EXPECT_EQ(boxes_.texts[0], "Ошибка создания окна");
  EXPECT_EQ(boxes_.captions[0], "Error");
  EXPECT_EQ(boxes_.requests[0].type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(g_window, nullptr);
  EXPECT_EQ(d3d9rt::LiveObjectCount(), 0) << "no Direct3D object exists yet";

  // The class stays registered until the process ends.
  WNDCLASSA again = {};
  again.lpfnWndProc = DefWindowProcA;
  again.hInstance = ProgramInstance();
  again.lpszClassName = "Slate";
  EXPECT_EQ(RegisterClassA(&again), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
}

}  // namespace
}  // namespace demo_test
