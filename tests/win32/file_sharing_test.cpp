// Sharing modes between opens of one file, in this process and between processes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "temp_dir.h"
#include "win32/file.h"
#include "win32/last_error.h"

namespace {

using win32_test::ReadTextFile;
using win32_test::WriteTextFile;

constexpr DWORD R = GENERIC_READ, W = GENERIC_WRITE;
constexpr DWORD SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE, SD = FILE_SHARE_DELETE;

HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING) {
  return CreateFileA(path.c_str(), access, share, nullptr, disposition, 0, nullptr);
}

TEST(FileSharingTest, SecondOpenAgainstTheFirst) {
  struct Case {
    const char* what;
    DWORD access1, share1, access2, share2, disposition2;
    bool opens;
  };
  const Case cases[] = {
      {"two readers sharing reading", R, SR, R, SR, OPEN_EXISTING, true},
      {"writer after a reader that denies writing", R, SR, W, SR | SW, OPEN_EXISTING, false},
      {"reader sharing only reading while a writer has it", W, SR | SW, R, SR, OPEN_EXISTING, false},
      {"reader sharing writing while a writer has it", W, SR | SW, R, SR | SW, OPEN_EXISTING, true},
      {"reader after an exclusive reader", R, 0, R, SR | SW | SD, OPEN_EXISTING, false},
      {"reader after an exclusive writer (how images are saved)", W, 0, R, SR | SW, OPEN_EXISTING, false},
      {"two writers sharing everything", R | W, SR | SW, R | W, SR | SW, OPEN_EXISTING, true},
      {"an open without access takes no part", 0, 0, R | W, 0, OPEN_EXISTING, true},
      {"replacing the file is writing it", R, SR, R, SR, CREATE_ALWAYS, false},
      {"delete access against an open without share-delete", R, SR, R | DELETE, SR, OPEN_EXISTING, false},
      {"delete access with share-delete", R, SR | SD, R | DELETE, SR, OPEN_EXISTING, true},
  };
  win32_test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.File("shared.txt");
    WriteTextFile(path, "content");
    const HANDLE first = Open(path, c.access1, c.share1);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    SetLastError(0);
    const HANDLE second = Open(path, c.access2, c.share2, c.disposition2);
    EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.opens);
    if (second != INVALID_HANDLE_VALUE) {
      CloseHandle(second);
    } else {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
      EXPECT_EQ(ReadTextFile(path), "content");  // a refused open changes nothing
    }
    CloseHandle(first);
    // Once the first is closed, the second open always succeeds.
    const HANDLE again = Open(path, c.access2, c.share2, c.disposition2);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    CloseHandle(again);
  }
}

// A child process that holds the file open until told to let go, talking through pipes.
class Holder {
 public:
  Holder(const std::string& path, DWORD access, DWORD share, bool closeBeforeExit) {
    int up[2], down[2];
    if (pipe(up) != 0 || pipe(down) != 0) ADD_FAILURE() << "pipe";
    pid_ = fork();
    if (pid_ == 0) {
      close(up[0]);
      close(down[1]);
      const HANDLE file = Open(path, access, share);
      const char status = file != INVALID_HANDLE_VALUE ? 'y' : 'n';
      (void)!write(up[1], &status, 1);
      char go;
      (void)!read(down[0], &go, 1);
      if (closeBeforeExit && file != INVALID_HANDLE_VALUE) CloseHandle(file);
      _exit(0);  // without closing otherwise: the records go with the process
    }
    close(up[1]);
    close(down[0]);
    toChild_ = down[1];
    char status = 0;
    opened_ = read(up[0], &status, 1) == 1 && status == 'y';
    close(up[0]);
  }
  ~Holder() { Release(); }
  bool opened() const { return opened_; }
  void Release() {
    if (pid_ <= 0) return;
    (void)!write(toChild_, "x", 1);
    close(toChild_);
    int status;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int toChild_ = -1;
  bool opened_ = false;
};

TEST(FileSharingTest, FileHeldForWritingByAnotherProcessCantBeOpenedSharingOnlyReading) {
  win32_test::TempDir dir;
  const std::string path = dir.File("image.jpg");
  WriteTextFile(path, "bytes");
  Holder writer(path, W, SR | SW, /*closeBeforeExit=*/true);
  ASSERT_TRUE(writer.opened());

  SetLastError(0);
  EXPECT_EQ(Open(path, R, SR), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  const HANDLE tolerant = Open(path, R, SR | SW);
  EXPECT_NE(tolerant, INVALID_HANDLE_VALUE);
  CloseHandle(tolerant);

  writer.Release();
  const HANDLE after = Open(path, R, SR);
  EXPECT_NE(after, INVALID_HANDLE_VALUE);
  CloseHandle(after);
}

TEST(FileSharingTest, AnotherProcessIsRefusedWhileThisOneHoldsTheFile) {
  win32_test::TempDir dir;
  const std::string path = dir.File("saved.bmp");
  const HANDLE saving = Open(path, W, 0, CREATE_ALWAYS);
  ASSERT_NE(saving, INVALID_HANDLE_VALUE);
  {
    Holder reader(path, R, SR | SW | SD, true);
    EXPECT_FALSE(reader.opened());
  }
  CloseHandle(saving);
  Holder reader(path, R, SR | SW | SD, true);
  EXPECT_TRUE(reader.opened());
}

TEST(FileSharingTest, RecordsEndWithTheProcessThatHeldThem) {
  win32_test::TempDir dir;
  const std::string path = dir.File("crash.txt");
  WriteTextFile(path, "x");
  {
    Holder exclusive(path, R | W, 0, /*closeBeforeExit=*/false);
    ASSERT_TRUE(exclusive.opened());
    EXPECT_EQ(Open(path, R, SR | SW | SD), INVALID_HANDLE_VALUE);
  }
  const HANDLE file = Open(path, R, SR);
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
}

}  // namespace
