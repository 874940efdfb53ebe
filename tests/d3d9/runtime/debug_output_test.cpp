// Debug messages of failed calls reach the debugger output unless "DebugSetMute" muted them.
#include <string>
#include <vector>

#include "runtime_fixture.h"
#include "win32/debug_output.h"
#include "win32/module.h"

namespace {

using d3d9rt_test::RuntimeTest;

class DebugOutputTest : public RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    win32::SetDebugOutputHook(
        [](const char* text, void* context) {
          static_cast<std::vector<std::string>*>(context)->push_back(text);
        },
        &lines_);
    HMODULE module = GetModuleHandleA("d3d9.dll");
    ASSERT_NE(module, nullptr);
    mute_ = reinterpret_cast<void (*)(BOOL)>(GetProcAddress(module, "DebugSetMute"));
    ASSERT_NE(mute_, nullptr);
  }
  void TearDown() override {
    win32::SetDebugOutputHook(nullptr, nullptr);
    RuntimeTest::TearDown();
  }

  // A call that fails: locking a texture in D3DPOOL_DEFAULT.
  HRESULT FailingCall() {
    ComPtr<IDirect3DTexture9> t = MakeTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT);
    D3DLOCKED_RECT r;
    return t->LockRect(0, &r, nullptr, 0);
  }

  std::vector<std::string> lines_;
  void (*mute_)(BOOL) = nullptr;
};

TEST_F(DebugOutputTest, AFailedCallWritesOneErrorLine) {
  EXPECT_EQ(FailingCall(), D3DERR_INVALIDCALL);
  ASSERT_EQ(lines_.size(), 1u);
  EXPECT_EQ(lines_[0].rfind("Direct3D9: (ERROR) :", 0), 0u) << lines_[0];
  EXPECT_NE(lines_[0].find("LockRect"), std::string::npos) << lines_[0];
  EXPECT_EQ(lines_[0].substr(lines_[0].size() - 2), "\r\n");
  EXPECT_EQ(d3d9rt::DebugMessageCount(), 1u);
}

TEST_F(DebugOutputTest, SuccessfulCallsAreQuiet) {
  ComPtr<IDirect3DTexture9> t = MakeTexture(4, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
  D3DLOCKED_RECT r;
  ASSERT_EQ(t->LockRect(0, &r, nullptr, 0), D3D_OK);
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  EXPECT_TRUE(lines_.empty());
}

TEST_F(DebugOutputTest, DebugSetMuteSilencesAndRestores) {
  mute_(TRUE);
  EXPECT_TRUE(d3d9rt::IsDebugMuted());
  EXPECT_EQ(FailingCall(), D3DERR_INVALIDCALL);
  EXPECT_TRUE(lines_.empty());
  EXPECT_EQ(d3d9rt::DebugMessageCount(), 1u);  // counted, not written
  // Calls are not counted up: one FALSE undoes any number of TRUEs.
  mute_(TRUE);
  mute_(FALSE);
  EXPECT_FALSE(d3d9rt::IsDebugMuted());
  EXPECT_EQ(FailingCall(), D3DERR_INVALIDCALL);
  EXPECT_EQ(lines_.size(), 1u);
  EXPECT_EQ(d3d9rt::DebugSetMuteCallCount(), 3u);
}

TEST_F(DebugOutputTest, ResetUnmutes) {
  mute_(TRUE);
  d3d9rt::Reset();
  EXPECT_FALSE(d3d9rt::IsDebugMuted());
  EXPECT_EQ(d3d9rt::DebugSetMuteCallCount(), 0u);
}

}  // namespace
