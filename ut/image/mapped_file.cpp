#include "ut/image/mapped_file.h"

#include <memory>
#include <new>

#include "win32/win32.h"

namespace {

bool IsWindowsNt() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

HANDLE OpenForReading(const void* path, BOOL wide) {
  if (wide) {
    return CreateFileW(static_cast<LPCWSTR>(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_FLAG_RANDOM_ACCESS, nullptr);
  }
  return CreateFileA(static_cast<LPCSTR>(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_FLAG_RANDOM_ACCESS, nullptr);
}

}  // namespace

HRESULT MappedFile::Open(const void* path, BOOL wide) {
  if (!path) return D3DERR_INVALIDCALL;
  Close();

  // Systems outside the NT family have no wide file calls: the path goes as UTF-8.
  std::unique_ptr<char[]> narrowPath;
  if (wide && !IsWindowsNt()) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, static_cast<LPCWSTR>(path), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return UTERR_INVALIDDATA;
    narrowPath.reset(new (std::nothrow) char[length]);
    if (!narrowPath) return UTERR_INVALIDDATA;
    if (WideCharToMultiByte(CP_UTF8, 0, static_cast<LPCWSTR>(path), -1, narrowPath.get(), length, nullptr,
                            nullptr) != length) {
      return UTERR_INVALIDDATA;
    }
    path = narrowPath.get();
    wide = FALSE;
  }

  file_ = OpenForReading(path, wide);
  if (file_ == INVALID_HANDLE_VALUE) return UTERR_INVALIDDATA;
  // Mapping an empty file fails; that is no error, it is checked below.
  const HANDLE mapping = CreateFileMappingA(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
  mapping_ = mapping ? mapping : INVALID_HANDLE_VALUE;

  DWORD high = 0;
  const DWORD low = GetFileSize(file_, &high);
  // The size is a 32-bit count: a file of 4 GiB or more would be read as a truncated one.
  if (low == INVALID_FILE_SIZE || high != 0) return UTERR_INVALIDDATA;
  if (low == 0) return S_OK;
  if (mapping_ == INVALID_HANDLE_VALUE) return UTERR_INVALIDDATA;
  data_ = MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0);
  if (!data_) return UTERR_INVALIDDATA;
  size_ = low;
  return S_OK;
}

HRESULT MappedFile::Close() {
  if (data_) UnmapViewOfFile(data_);
  data_ = nullptr;
  size_ = 0;
  if (mapping_ != INVALID_HANDLE_VALUE) CloseHandle(mapping_);
  mapping_ = INVALID_HANDLE_VALUE;
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
  return S_OK;
}
