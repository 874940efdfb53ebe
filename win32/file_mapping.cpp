#include "win32/file_mapping.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "win32/errno_error.h"
#include "win32/file.h"
#include "win32/last_error.h"

namespace {

constexpr uint64_t kAllocationGranularity = 65536;

class MappingObject : public win32::KernelObject {
 public:
  MappingObject(int fd, uint64_t size) : fd_(fd), size_(size) {}
  ~MappingObject() override { close(fd_); }
  int fd() const { return fd_; }
  uint64_t size() const { return size_; }

 private:
  int fd_;  // shares the file's open description, so its sharing records stay in force
  uint64_t size_;
};

struct ViewTable {
  std::mutex mutex;
  std::map<const void*, size_t> views;
};

ViewTable& Views() {
  static ViewTable table;
  return table;
}

}  // namespace

HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES security, DWORD protect,
                          DWORD maxHigh, DWORD maxLow, LPCSTR name) {
  (void)security;
  if (file == INVALID_HANDLE_VALUE) {  // a mapping of the paging file: not offered
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if ((protect & 0xFF) != PAGE_READONLY || (protect & ~static_cast<DWORD>(0xFF | SEC_COMMIT))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (name) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  bool readable = false;
  const int fd = win32::DuplicateFileDescriptor(file, &readable);
  if (fd < 0) return nullptr;
  if (!readable) {
    close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  struct stat st;
  if (fstat(fd, &st) != 0) {
    const int error = errno;
    close(fd);
    SetLastError(win32::ErrorFromErrno(error));
    return nullptr;
  }
  const uint64_t fileSize = static_cast<uint64_t>(st.st_size);
  const uint64_t requested = (uint64_t{maxHigh} << 32) | maxLow;
  const uint64_t size = requested ? requested : fileSize;
  if (size == 0) {
    close(fd);
    SetLastError(ERROR_FILE_INVALID);
    return nullptr;
  }
  if (size > fileSize) {
    close(fd);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  const HANDLE handle = win32::InsertHandle(std::make_shared<MappingObject>(fd, size));
  SetLastError(ERROR_SUCCESS);
  return handle;
}

LPVOID MapViewOfFile(HANDLE mappingHandle, DWORD access, DWORD offsetHigh, DWORD offsetLow,
                     SIZE_T length) {
  auto mapping = win32::LookupHandleAs<MappingObject>(mappingHandle);
  if (!mapping) return nullptr;
  // A read-only mapping gives read views, or copy-on-write ones whose changes stay private.
  if (access & ~static_cast<DWORD>(FILE_MAP_READ | FILE_MAP_COPY)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  const bool copyOnWrite = access & FILE_MAP_COPY;
  const uint64_t offset = (uint64_t{offsetHigh} << 32) | offsetLow;
  if (offset % kAllocationGranularity) {
    SetLastError(ERROR_MAPPED_ALIGNMENT);
    return nullptr;
  }
  if (offset >= mapping->size() || length > mapping->size() - offset) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  const size_t bytes = length ? length : static_cast<size_t>(mapping->size() - offset);
  void* view = mmap(nullptr, bytes, copyOnWrite ? PROT_READ | PROT_WRITE : PROT_READ,
                    copyOnWrite ? MAP_PRIVATE : MAP_SHARED, mapping->fd(), static_cast<off_t>(offset));
  if (view == MAP_FAILED) {
    SetLastError(errno == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY : win32::ErrorFromErrno(errno));
    return nullptr;
  }
  ViewTable& views = Views();
  std::lock_guard<std::mutex> lock(views.mutex);
  views.views.emplace(view, bytes);
  return view;
}

BOOL UnmapViewOfFile(LPCVOID base) {
  size_t bytes;
  {
    ViewTable& views = Views();
    std::lock_guard<std::mutex> lock(views.mutex);
    auto it = views.views.find(base);
    if (it == views.views.end()) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    bytes = it->second;
    views.views.erase(it);
  }
  munmap(const_cast<void*>(base), bytes);
  return TRUE;
}
