// MessageBoxA: Windows-1251 text, the default caption, buttons, and the headless fallback.
#include "win32/message_box.h"

#include <gtest/gtest.h>

#include <string>

#include "win32/last_error.h"
#include "win32/sdl_video.h"

namespace {

struct Seen {
  std::string text, caption;
  UINT type = 0;
  int calls = 0;
  int answer = 0;
};

int Capture(const win32::MessageBoxRequest& request, void* context) {
  auto* seen = static_cast<Seen*>(context);
  seen->text = request.text;
  seen->caption = request.caption;
  seen->type = request.type;
  ++seen->calls;
  return seen->answer;
}

class MessageBoxTest : public testing::Test {
 protected:
  void TearDown() override { win32::SetMessageBoxHook(nullptr, nullptr); }
};

TEST_F(MessageBoxTest, NarrowTextIsWindows1251AndTheDefaultCaptionIsError) {
  Seen seen;
  win32::SetMessageBoxHook(&Capture, &seen);
  // "Ошибка при регистрации класса." as the demo stores it.
  const char text[] = "\xce\xf8\xe8\xe1\xea\xe0 \xef\xf0\xe8 \xf0\xe5\xe3\xe8\xf1\xf2\xf0\xe0\xf6\xe8\xe8 "
                      "\xea\xeb\xe0\xf1\xf1\xe0.";
  EXPECT_EQ(MessageBoxA(nullptr, text, nullptr, MB_OK), IDOK);
  EXPECT_EQ(seen.calls, 1);
  EXPECT_EQ(seen.text, "Ошибка при регистрации класса.");
  EXPECT_EQ(seen.caption, "Error");
  EXPECT_EQ(seen.type, static_cast<UINT>(MB_OK));

  seen.answer = IDNO;
  EXPECT_EQ(MessageBoxA(nullptr, "q", "\xc2\xee\xef\xf0\xee\xf1", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(seen.caption, "Вопрос");
  EXPECT_EQ(seen.type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
}

TEST_F(MessageBoxTest, WithoutADisplayTheMessageGoesToStderrAndTheDefaultButtonAnswers) {
  // ctest runs the tests with the offscreen video driver, where no box can be shown to anyone.
  if (win32::DisplayAvailable()) GTEST_SKIP() << "a display is available: a real box would wait for a person";
  testing::internal::CaptureStderr();
  const int first = MessageBoxA(nullptr, "\xce\xf8\xe8\xe1\xea\xe0", nullptr, MB_OK);
  const int second = MessageBoxA(nullptr, "sure?", "Save", MB_YESNO | MB_DEFBUTTON2);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(first, IDOK);
  EXPECT_EQ(second, IDNO);
  EXPECT_NE(err.find("Error: Ошибка\n"), std::string::npos) << err;
  EXPECT_NE(err.find("Save: sure?\n"), std::string::npos) << err;
}

TEST_F(MessageBoxTest, UnknownButtonSetIsRefused) {
  Seen seen;
  win32::SetMessageBoxHook(&Capture, &seen);
  SetLastError(0);
  EXPECT_EQ(MessageBoxA(nullptr, "x", nullptr, 0x7), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_MSGBOX_STYLE));
  EXPECT_EQ(seen.calls, 0);
}

}  // namespace
