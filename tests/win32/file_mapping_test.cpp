// Read-only file mappings and views.
#include "win32/file_mapping.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "temp_dir.h"
#include "win32/file.h"
#include "win32/last_error.h"

namespace {

using win32_test::WriteTextFile;

class FileMappingTest : public testing::Test {
 protected:
  HANDLE OpenForReading(const std::string& name, const std::string& content) {
    const std::string path = dir_.File(name);
    WriteTextFile(path, content);
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_FLAG_RANDOM_ACCESS, nullptr);
  }
  win32_test::TempDir dir_;
};

TEST_F(FileMappingTest, ViewShowsTheWholeFileAndOutlivesItsHandles) {
  std::string content(200000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  const HANDLE file = OpenForReading("image.bin", content);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_NE(mapping, nullptr);
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  ASSERT_NE(view, nullptr);
  const void* tail = MapViewOfFile(mapping, FILE_MAP_READ, 0, 65536 * 2, 0);
  ASSERT_NE(tail, nullptr);
  EXPECT_TRUE(CloseHandle(mapping));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(std::memcmp(view, content.data(), content.size()), 0);
  EXPECT_EQ(std::memcmp(tail, content.data() + 65536 * 2, content.size() - 65536 * 2), 0);
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_TRUE(UnmapViewOfFile(tail));
  SetLastError(0);
  EXPECT_FALSE(UnmapViewOfFile(view));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
}

TEST_F(FileMappingTest, EmptyFileCantBeMapped) {
  const HANDLE file = OpenForReading("empty.bin", "");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileSize(file, nullptr), 0u);
  SetLastError(0);
  EXPECT_EQ(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_INVALID));
  CloseHandle(file);
}

TEST_F(FileMappingTest, RefusedRequests) {
  const HANDLE file = OpenForReading("small.bin", "0123456789");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  struct Case {
    const char* what;
    DWORD protect, maxLow;
    DWORD error;
  };
  const Case mappings[] = {
      {"writable", PAGE_READWRITE, 0, ERROR_INVALID_PARAMETER},
      {"larger than the file", PAGE_READONLY, 11, ERROR_NOT_ENOUGH_MEMORY},
  };
  for (const Case& c : mappings) {
    SetLastError(0);
    EXPECT_EQ(CreateFileMappingA(file, nullptr, c.protect, 0, c.maxLow, nullptr), nullptr) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }
  SetLastError(0);
  EXPECT_EQ(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0, 10, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  const HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 4, nullptr);
  ASSERT_NE(mapping, nullptr);
  struct ViewCase {
    const char* what;
    DWORD access, offset;
    SIZE_T length;
    DWORD error;
  };
  const ViewCase views[] = {
      {"write access", FILE_MAP_WRITE, 0, 0, ERROR_ACCESS_DENIED},
      {"unaligned offset", FILE_MAP_READ, 1, 0, ERROR_MAPPED_ALIGNMENT},
      {"past the mapping", FILE_MAP_READ, 0, 5, ERROR_ACCESS_DENIED},
      {"offset beyond the mapping", FILE_MAP_READ, 65536, 0, ERROR_ACCESS_DENIED},
  };
  for (const ViewCase& c : views) {
    SetLastError(0);
    EXPECT_EQ(MapViewOfFile(mapping, c.access, 0, c.offset, c.length), nullptr) << c.what;
    EXPECT_EQ(GetLastError(), c.error) << c.what;
  }
  const char* prefix = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(prefix, nullptr);
  EXPECT_EQ(std::string(prefix, 4), "0123");
  // A copy-on-write view can be changed without changing the file or the other view.
  char* copy = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_COPY, 0, 0, 0));
  ASSERT_NE(copy, nullptr);
  copy[0] = 'X';
  EXPECT_EQ(prefix[0], '0');
  UnmapViewOfFile(copy);
  UnmapViewOfFile(prefix);
  EXPECT_EQ(win32_test::ReadTextFile(dir_.File("small.bin")), "0123456789");
  CloseHandle(mapping);
  CloseHandle(file);
}

TEST_F(FileMappingTest, HandleWithoutReadAccessCantBeMapped) {
  const std::string path = dir_.File("w.bin");
  WriteTextFile(path, "abc");
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  SetLastError(0);
  EXPECT_EQ(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseHandle(file);
}

TEST_F(FileMappingTest, MappingKeepsTheFilesShareModeAfterTheFileHandleCloses) {
  const std::string path = dir_.File("kept.bin");
  const HANDLE file = OpenForReading("kept.bin", "data");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_NE(mapping, nullptr);
  CloseHandle(file);
  SetLastError(0);
  EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(mapping);
  const HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE);
  CloseHandle(writer);
}

}  // namespace
