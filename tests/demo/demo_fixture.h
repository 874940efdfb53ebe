// The demo's functions run in the test's process on the software runtime and SDL's offscreen
// video driver. The fixture leaves no window, class, Direct3D object, posted quit or message
// box hook behind for the next test.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "d3d9/runtime/runtime_config.h"
#include "demo/slate_app.h"

namespace demo_test {

// What the message-box hook saw.
struct MessageBoxes {
  std::vector<win32::MessageBoxRequest> requests;
  std::vector<std::string> texts, captions;

  static int Record(const win32::MessageBoxRequest& request, void* context) {
    auto* self = static_cast<MessageBoxes*>(context);
    self->requests.push_back(request);
    self->texts.push_back(request.text);
    self->captions.push_back(request.caption);
    return IDOK;
  }
};

// The demo reads "mud.jpg" from the working directory. For the life of this object the process
// works in the demo's assets folder (the file is there) or in a fresh empty folder (it isn't).
class DemoWorkingDirectory {
 public:
  enum Contents { kWithMud, kEmpty };

  explicit DemoWorkingDirectory(Contents contents) : previous_(std::filesystem::current_path()) {
    if (contents == kWithMud) {
      std::filesystem::current_path(UT_DEMO_ASSETS_DIR);
      return;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "demo_test_XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      ADD_FAILURE() << "no temporary folder to work in";
      return;
    }
    empty_ = pattern;
    std::filesystem::current_path(empty_);
  }
  ~DemoWorkingDirectory() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    if (!empty_.empty()) std::filesystem::remove_all(empty_, ignored);
  }
  DemoWorkingDirectory(const DemoWorkingDirectory&) = delete;
  DemoWorkingDirectory& operator=(const DemoWorkingDirectory&) = delete;

 private:
  std::filesystem::path previous_;
  std::filesystem::path empty_;
};

inline HINSTANCE ProgramInstance() { return GetModuleHandleA(nullptr); }

// Takes every message waiting (a bounded number: a window that needs painting answers
// WM_PAINT until it is painted). Returns whether a WM_QUIT was among them.
inline bool DrainMessages() {
  bool quit = false;
  MSG msg;
  for (int i = 0; i < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    if (msg.message == WM_QUIT) quit = true;
    DispatchMessageA(&msg);
  }
  return quit;
}

class DemoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d3d9rt::Reset();
    DrainMessages();
    win32::SetMessageBoxHook(&MessageBoxes::Record, &boxes_);
  }
  void TearDown() override {
    ReleaseAll();
    EXPECT_EQ(d3d9rt::LiveObjectCount(), 0);
    if (g_window && IsWindow(g_window)) DestroyWindow(g_window);
    g_window = nullptr;
    UnregisterClassA("Slate", ProgramInstance());
    DrainMessages();
    win32::SetMessageBoxHook(nullptr, nullptr);
    d3d9rt::Reset();
  }

  // What WinMain does before its set-up: the class and the window, shown.
  void OpenWindow() {
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = ProgramInstance();
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = "Slate";
    ASSERT_NE(RegisterClassA(&wc), 0);
    g_window = CreateWindowExA(WS_EX_OVERLAPPEDWINDOW, "Slate", "Direct3D (DX9) - Slate",
                               WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                               ProgramInstance(), nullptr);
    ASSERT_NE(g_window, nullptr);
    ShowWindow(g_window, SW_SHOW);
  }

  MessageBoxes boxes_;
};

}  // namespace demo_test
