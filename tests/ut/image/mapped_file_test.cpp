// MappedFile: missing, empty and ordinary files by narrow and wide paths, sharing with other
// processes, release on Close and destruction, files too large for a 32-bit size.

#include "ut/image/mapped_file.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "win32/win32.h"

namespace {

class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/ut_mapped_file_XXXXXX";
    if (mkdtemp(pattern)) path_ = pattern;
  }
  ~TempFolder() {
    for (const std::string& file : files_) std::remove(file.c_str());
    rmdir(path_.c_str());
  }
  // Writes `bytes` to the file `name` in the folder and returns its path.
  std::string Write(const std::string& name, const std::vector<char>& bytes) {
    const std::string file = path_ + "/" + name;
    std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    files_.push_back(file);
    return file;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::vector<std::string> files_;
};

std::vector<char> Pattern(size_t size) {
  std::vector<char> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = char(i * 7 + i / 251);
  return bytes;
}

bool IsEmpty(const MappedFile& file) { return file.data() == nullptr && file.size() == 0; }

// Another process that opens `path` with the access and share mode given and keeps it open
// until this object goes. It tells through a pipe whether its open succeeded.
class OtherProcess {
 public:
  OtherProcess(const std::string& path, DWORD access, DWORD share) {
    int report[2], release[2];
    if (pipe(report) != 0 || pipe(release) != 0) return;
    child_ = fork();
    if (child_ == 0) {
      close(report[0]);
      close(release[1]);
      const HANDLE file = CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
      const char opened = file != INVALID_HANDLE_VALUE ? 1 : 0;
      if (write(report[1], &opened, 1) != 1) _exit(2);
      char byte;
      while (read(release[0], &byte, 1) > 0) {
      }
      if (opened) CloseHandle(file);
      _exit(0);
    }
    close(report[1]);
    close(release[0]);
    release_ = release[1];
    char opened = 0;
    if (read(report[0], &opened, 1) == 1) opened_ = opened == 1;
    close(report[0]);
  }
  ~OtherProcess() {
    if (release_ >= 0) close(release_);
    if (child_ > 0) waitpid(child_, nullptr, 0);
  }
  bool opened() const { return opened_; }

 private:
  pid_t child_ = -1;
  int release_ = -1;
  bool opened_ = false;
};

TEST(MappedFile, NullPathIsAnInvalidCall) {
  MappedFile file;
  EXPECT_EQ(file.Open(nullptr, FALSE), D3DERR_INVALIDCALL);
  EXPECT_EQ(file.Open(nullptr, TRUE), D3DERR_INVALIDCALL);
  EXPECT_TRUE(IsEmpty(file));
}

TEST(MappedFile, WhatCannotBeOpenedIsInvalidData) {
  TempFolder folder;
  const std::string missing = folder.path() + "/missing.jpg";
  const std::wstring missingWide(missing.begin(), missing.end());
  const struct {
    const char* name;
    const void* path;
    BOOL wide;
  } cases[] = {
      {"missing file", missing.c_str(), FALSE},
      {"missing file, wide path", missingWide.c_str(), TRUE},
      {"missing folder", "/nonexistent-folder/picture.jpg", FALSE},
      {"a folder", folder.path().c_str(), FALSE},
      {"empty path", "", FALSE},
  };
  for (const auto& c : cases) {
    MappedFile file;
    EXPECT_EQ(file.Open(c.path, c.wide), UTERR_INVALIDDATA) << c.name;
    EXPECT_TRUE(IsEmpty(file)) << c.name;
  }
}

TEST(MappedFile, EmptyFileOpensWithoutData) {
  TempFolder folder;
  const std::string path = folder.Write("empty.jpg", {});
  MappedFile file;
  EXPECT_EQ(file.Open(path.c_str(), FALSE), S_OK);
  EXPECT_TRUE(IsEmpty(file));
}

TEST(MappedFile, MapsTheWholeFileByNarrowAndWidePaths) {
  TempFolder folder;
  const std::vector<char> bytes = Pattern(200000);  // several pages, not a whole number of them
  const std::string path = folder.Write("picture.jpg", bytes);
  const std::wstring widePath(path.begin(), path.end());
  for (BOOL wide : {FALSE, TRUE}) {
    MappedFile file;
    ASSERT_EQ(file.Open(wide ? static_cast<const void*>(widePath.c_str()) : path.c_str(), wide), S_OK);
    ASSERT_EQ(file.size(), bytes.size());
    ASSERT_NE(file.data(), nullptr);
    EXPECT_EQ(std::memcmp(file.data(), bytes.data(), bytes.size()), 0) << (wide ? "wide" : "narrow");
  }
}

// A wide path is code points; a narrow one is in the ANSI code page (Windows-1251): the same
// Cyrillic name written either way is the same file.
TEST(MappedFile, CyrillicNamesByBothPaths) {
  TempFolder folder;
  const std::vector<char> bytes = Pattern(100);
  const std::string path = folder.Write("\xD0\xB3\xD1\x80\xD1\x8F\xD0\xB7\xD1\x8C.jpg", bytes);  // "грязь" in UTF-8
  const std::string folderPath = folder.path();
  const std::wstring wide = std::wstring(folderPath.begin(), folderPath.end()) + L"/\x0433\x0440\x044F\x0437\x044C.jpg";
  const std::string ansi = folderPath + "/\xE3\xF0\xFF\xE7\xFC.jpg";
  MappedFile byWide, byAnsi;
  ASSERT_EQ(byWide.Open(wide.c_str(), TRUE), S_OK);
  ASSERT_EQ(byAnsi.Open(ansi.c_str(), FALSE), S_OK);
  EXPECT_EQ(byWide.size(), 100u);
  EXPECT_EQ(byAnsi.size(), 100u);
}

TEST(MappedFile, FileAnotherProcessWritesCannotBeOpened) {
  TempFolder folder;
  const std::string path = folder.Write("picture.jpg", Pattern(64));
  const struct {
    const char* name;
    DWORD access;
    DWORD share;
    HRESULT expected;
  } cases[] = {
      {"writer sharing everything", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, UTERR_INVALIDDATA},
      {"reader and writer", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, UTERR_INVALIDDATA},
      {"reader sharing reading", GENERIC_READ, FILE_SHARE_READ, S_OK},
      {"reader denying reading", GENERIC_READ, 0, UTERR_INVALIDDATA},
  };
  for (const auto& c : cases) {
    const OtherProcess other(path, c.access, c.share);
    ASSERT_TRUE(other.opened()) << c.name;
    MappedFile file;
    EXPECT_EQ(file.Open(path.c_str(), FALSE), c.expected) << c.name;
  }
  // Once the other process has let go, the file opens.
  MappedFile file;
  EXPECT_EQ(file.Open(path.c_str(), FALSE), S_OK);
}

TEST(MappedFile, OpenFileAdmitsReadersButNoWriterUntilClosed) {
  TempFolder folder;
  const std::string path = folder.Write("picture.jpg", Pattern(64));
  {
    MappedFile file;
    ASSERT_EQ(file.Open(path.c_str(), FALSE), S_OK);
    EXPECT_FALSE(OtherProcess(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE).opened());
    EXPECT_TRUE(OtherProcess(path, GENERIC_READ, FILE_SHARE_READ).opened());
    MappedFile second;
    EXPECT_EQ(second.Open(path.c_str(), FALSE), S_OK) << "several calls may map one file";
    EXPECT_EQ(file.Close(), S_OK);
    EXPECT_TRUE(IsEmpty(file));
    EXPECT_EQ(second.Close(), S_OK);
    EXPECT_TRUE(OtherProcess(path, GENERIC_WRITE, FILE_SHARE_READ).opened()) << "Close lets go";
    EXPECT_EQ(file.Close(), S_OK) << "closing twice is harmless";

    ASSERT_EQ(file.Open(path.c_str(), FALSE), S_OK);
    EXPECT_FALSE(OtherProcess(path, GENERIC_WRITE, FILE_SHARE_READ).opened());
  }
  EXPECT_TRUE(OtherProcess(path, GENERIC_WRITE, FILE_SHARE_READ).opened()) << "destruction lets go";
}

TEST(MappedFile, OpeningAgainLetsGoOfTheFirstFile) {
  TempFolder folder;
  const std::string first = folder.Write("first.jpg", Pattern(10));
  const std::string second = folder.Write("second.jpg", Pattern(20));
  MappedFile file;
  ASSERT_EQ(file.Open(first.c_str(), FALSE), S_OK);
  ASSERT_EQ(file.Open(second.c_str(), FALSE), S_OK);
  EXPECT_EQ(file.size(), 20u);
  EXPECT_TRUE(OtherProcess(first, GENERIC_WRITE, FILE_SHARE_READ).opened());
}

// The size is a 32-bit count: a file of 4 GiB or more is refused rather than read as its low
// 32 bits (a sparse file, so nothing is written to disk).
TEST(MappedFile, FileOf4GiBOrMoreIsRefused) {
  TempFolder folder;
  const std::string path = folder.Write("huge.jpg", Pattern(16));
  if (truncate(path.c_str(), (off_t{1} << 32) + 16) != 0) GTEST_SKIP() << "the file system can't hold a 4 GiB file";
  MappedFile file;
  EXPECT_EQ(file.Open(path.c_str(), FALSE), UTERR_INVALIDDATA);
  EXPECT_TRUE(IsEmpty(file));
}

}  // namespace
