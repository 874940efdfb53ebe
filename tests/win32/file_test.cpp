// Files: dispositions, access rights, the file pointer, deletion and paths.
#include "win32/file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "temp_dir.h"
#include "win32/last_error.h"

namespace {

using win32_test::ReadTextFile;
using win32_test::WriteTextFile;

bool Exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

class FileTest : public testing::Test {
 protected:
  win32_test::TempDir dir_;
};

TEST_F(FileTest, WriteThenReadBack) {
  const std::string path = dir_.File("data.bin");
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  ASSERT_TRUE(WriteFile(file, "hello", 5, &done, nullptr));
  EXPECT_EQ(done, 5u);
  ASSERT_TRUE(CloseHandle(file));

  file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_FLAG_RANDOM_ACCESS, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD high = 7;
  EXPECT_EQ(GetFileSize(file, &high), 5u);
  EXPECT_EQ(high, 0u);
  char buffer[16] = {};
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &done, nullptr));
  EXPECT_EQ(done, 5u);
  EXPECT_STREQ(buffer, "hello");
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &done, nullptr));  // at the end: success, 0
  EXPECT_EQ(done, 0u);
  EXPECT_TRUE(CloseHandle(file));
  SetLastError(0);
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(ReadFile(file, buffer, 1, &done, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FileTest, CreationDispositions) {
  struct Case {
    DWORD disposition;
    bool exists;
    bool opens;
    DWORD error;  // GetLastError afterwards, on success too
    size_t sizeAfter;
  };
  const Case cases[] = {
      {CREATE_NEW, false, true, ERROR_SUCCESS, 0},
      {CREATE_NEW, true, false, ERROR_FILE_EXISTS, 3},
      {CREATE_ALWAYS, false, true, ERROR_SUCCESS, 0},
      {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, 0},
      {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, 0},
      {OPEN_EXISTING, true, true, ERROR_SUCCESS, 3},
      {OPEN_ALWAYS, false, true, ERROR_SUCCESS, 0},
      {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, 3},
      {TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, 0},
      {TRUNCATE_EXISTING, true, true, ERROR_SUCCESS, 0},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "disposition " << c.disposition << (c.exists ? " existing" : " absent"));
    const std::string path = dir_.File("f" + std::to_string(index++));
    if (c.exists) WriteTextFile(path, "abc");
    SetLastError(12345);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, c.disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(file != INVALID_HANDLE_VALUE, c.opens);
    EXPECT_EQ(GetLastError(), c.error);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    EXPECT_EQ(Exists(path), c.opens || c.exists);
    if (Exists(path)) {
      EXPECT_EQ(ReadTextFile(path).size(), c.sizeAfter);
    }
  }
}

TEST_F(FileTest, OpeningFailures) {
  SetLastError(0);
  EXPECT_EQ(CreateFileA(dir_.File("no/such/folder.txt").c_str(), GENERIC_READ, 0, nullptr,
                        OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  SetLastError(0);
  EXPECT_EQ(CreateFileA(dir_.path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));  // a folder
  SetLastError(0);
  EXPECT_EQ(CreateFileA(dir_.File("x").c_str(), GENERIC_READ, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));  // truncating needs write
  EXPECT_EQ(CreateFileA(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
}

TEST_F(FileTest, HandleAccessRightsAreEnforced) {
  const std::string path = dir_.File("rights.txt");
  WriteTextFile(path, "abc");
  HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  DWORD done = 9;
  char c;
  SetLastError(0);
  EXPECT_FALSE(WriteFile(reader, "x", 1, &done, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(done, 0u);
  SetLastError(0);
  EXPECT_FALSE(ReadFile(writer, &c, 1, &done, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseHandle(reader);
  CloseHandle(writer);
  EXPECT_EQ(ReadTextFile(path), "abc");
}

TEST_F(FileTest, FilePointer) {
  const std::string path = dir_.File("pointer.bin");
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD done;
  ASSERT_TRUE(WriteFile(file, "0123456789", 10, &done, nullptr));
  EXPECT_EQ(SetFilePointer(file, 2, nullptr, FILE_BEGIN), 2u);
  EXPECT_EQ(SetFilePointer(file, 3, nullptr, FILE_CURRENT), 5u);
  EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_END), 9u);
  char c = 0;
  ASSERT_TRUE(ReadFile(file, &c, 1, &done, nullptr));
  EXPECT_EQ(c, '9');

  SetLastError(0);
  EXPECT_EQ(SetFilePointer(file, -20, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 10u);  // unchanged by the failure

  // With a high part, 64-bit positions; beyond the end the file grows on the next write.
  LONG high = 1;
  EXPECT_EQ(SetFilePointer(file, 0, &high, FILE_BEGIN), 0u);
  EXPECT_EQ(high, 1);
  high = 0;
  EXPECT_EQ(SetFilePointer(file, 12, &high, FILE_BEGIN), 12u);
  ASSERT_TRUE(WriteFile(file, "!", 1, &done, nullptr));
  EXPECT_EQ(GetFileSize(file, nullptr), 13u);

  // An OVERLAPPED offset reads at a place; a synchronous handle's pointer follows.
  OVERLAPPED at{};
  at.Offset = 1;
  ASSERT_TRUE(ReadFile(file, &c, 1, &done, &at));
  EXPECT_EQ(c, '1');
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 2u);
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, 7), INVALID_SET_FILE_POINTER);
  CloseHandle(file);
  EXPECT_EQ(ReadTextFile(path), std::string("0123456789\0\0!", 13));
}

TEST_F(FileTest, NarrowPathsAreAnsiWidePathsAreUnicodeAndBackslashesSeparate) {
  ASSERT_EQ(mkdir(dir_.File("sub").c_str(), 0755), 0);
  const std::string narrow = dir_.path() + "\\sub\\\xc4\xe0.txt";  // "Да.txt" in Windows-1251
  HANDLE file = CreateFileA(narrow.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_TRUE(Exists(dir_.File("sub/Да.txt")));

  const std::wstring wide = std::wstring(dir_.path().begin(), dir_.path().end()) + L"/sub/Путь.txt";
  file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_TRUE(Exists(dir_.File("sub/Путь.txt")));
  EXPECT_TRUE(DeleteFileW(wide.c_str()));
  EXPECT_FALSE(Exists(dir_.File("sub/Путь.txt")));
}

TEST_F(FileTest, DeletingRespectsShareDelete) {
  const std::string path = dir_.File("held.txt");
  WriteTextFile(path, "x");
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  SetLastError(0);
  EXPECT_FALSE(DeleteFileA(path.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(held);

  held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(DeleteFileA(path.c_str()));
  EXPECT_FALSE(Exists(path));
  CloseHandle(held);

  SetLastError(0);
  EXPECT_FALSE(DeleteFileA(path.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  SetLastError(0);
  EXPECT_FALSE(DeleteFileA(dir_.path().c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(FileTest, DeleteOnClose) {
  const std::string path = dir_.File("temporary.txt");
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                            FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(Exists(path));
  CloseHandle(file);
  EXPECT_FALSE(Exists(path));
}

}  // namespace
