#include "win32/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "win32/errno_error.h"
#include "win32/file_sharing.h"
#include "win32/last_error.h"
#include "win32/text_encoding.h"

namespace {

class FileObject : public win32::KernelObject {
 public:
  FileObject(int fd, bool read, bool write, bool overlapped, std::string deleteOnClose)
      : fd_(fd), read_(read), write_(write), overlapped_(overlapped), deleteOnClose_(std::move(deleteOnClose)) {}
  ~FileObject() override {
    if (!deleteOnClose_.empty()) unlink(deleteOnClose_.c_str());
    close(fd_);
  }
  int fd() const { return fd_; }
  bool read() const { return read_; }
  bool write() const { return write_; }
  bool overlapped() const { return overlapped_; }

 private:
  int fd_;
  bool read_;
  bool write_;
  bool overlapped_;  // opened with FILE_FLAG_OVERLAPPED: positioned I/O leaves the pointer alone
  std::string deleteOnClose_;
};

std::string ToFileSystemPath(std::string utf8) {
  for (char& c : utf8) {
    if (c == '\\') c = '/';
  }
  return utf8;
}

bool Fail(DWORD error) {
  SetLastError(error);
  return false;
}

HANDLE OpenPath(const std::string& path, DWORD desired, DWORD shareMode, DWORD disposition,
                DWORD flags) {
  if (path.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING ||
      (shareMode & ~static_cast<DWORD>(FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const bool read = desired & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA);
  const bool write = desired & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA);
  const bool remove = (desired & (DELETE | GENERIC_ALL)) || (flags & FILE_FLAG_DELETE_ON_CLOSE);
  if (disposition == TRUNCATE_EXISTING && !write) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const bool mayTruncate = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;

  int oflags = O_CLOEXEC;
  if (disposition == CREATE_NEW) oflags |= O_CREAT | O_EXCL;
  if (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) oflags |= O_CREAT;
  if (flags & FILE_FLAG_WRITE_THROUGH) oflags |= O_DSYNC;

  bool existed = true;
  if (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) {
    struct stat st;
    existed = stat(path.c_str(), &st) == 0;
  }
  // Read access is always asked of the system: the sharing records are read locks.
  int fd = open(path.c_str(), oflags | ((write || mayTruncate) ? O_RDWR : O_RDONLY), 0666);
  bool tracked = true;
  if (fd < 0 && errno == EACCES && (write || mayTruncate)) {
    // A file that may be written but not read: it can't take part in sharing records.
    fd = open(path.c_str(), oflags | O_WRONLY, 0666);
    tracked = false;
  }
  if (fd < 0) {
    SetLastError(win32::ErrorFromErrnoForPath(errno, path.c_str()));
    return INVALID_HANDLE_VALUE;
  }
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && !(flags & FILE_FLAG_BACKUP_SEMANTICS)) {
    close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  if (tracked) {
    win32::ShareAccess access;
    access.read = read;
    access.write = write || mayTruncate;  // replacing the contents is writing them
    access.remove = remove;
    access.shareMode = shareMode;
    const DWORD status = win32::AcquireShareAccess(fd, access);
    if (status != ERROR_SUCCESS) {
      close(fd);
      SetLastError(status);
      return INVALID_HANDLE_VALUE;
    }
  }
  if (mayTruncate && ftruncate(fd, 0) != 0) {
    const int error = errno;
    close(fd);
    SetLastError(win32::ErrorFromErrno(error));
    return INVALID_HANDLE_VALUE;
  }
  auto object = std::make_shared<FileObject>(fd, read, write, (flags & FILE_FLAG_OVERLAPPED) != 0,
                                             (flags & FILE_FLAG_DELETE_ON_CLOSE) ? path : std::string());
  const HANDLE handle = win32::InsertHandle(std::move(object));
  // Opening or replacing an existing file reports ERROR_ALREADY_EXISTS along with success.
  SetLastError((disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) && existed
                   ? ERROR_ALREADY_EXISTS
                   : ERROR_SUCCESS);
  return handle;
}

// A synchronous handle's pointer follows a positioned transfer, as on Windows.
void FinishPositioned(const FileObject& object, LPOVERLAPPED overlapped, off_t offset, DWORD total) {
  if (!overlapped) return;
  overlapped->InternalHigh = total;
  if (!object.overlapped()) lseek(object.fd(), offset + total, SEEK_SET);
}

BOOL DeletePath(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd >= 0) {
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      close(fd);
      return Fail(ERROR_ACCESS_DENIED);
    }
    const DWORD status = win32::RemoveUnlessDenied(fd, path.c_str());
    close(fd);
    if (status != ERROR_SUCCESS) return Fail(status);
    return TRUE;
  }
  // Not readable (or a symbolic link): nothing records a share mode for it.
  if (unlink(path.c_str()) != 0) return Fail(win32::ErrorFromErrnoForPath(errno, path.c_str()));
  return TRUE;
}

}  // namespace

namespace win32 {

std::string FileSystemPathA(const char* path) { return ToFileSystemPath(AnsiToUtf8(path ? path : "")); }

std::string FileSystemPathW(const wchar_t* path) { return ToFileSystemPath(WideToUtf8(path)); }

int DuplicateFileDescriptor(HANDLE file, bool* readable) {
  auto object = LookupHandleAs<FileObject>(file);
  if (!object) return -1;
  if (readable) *readable = object->read();
  const int fd = fcntl(object->fd(), F_DUPFD_CLOEXEC, 0);
  if (fd < 0) SetLastError(ErrorFromErrno(errno));
  return fd;
}

}  // namespace win32

HANDLE CreateFileA(LPCSTR name, DWORD desired, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flags, HANDLE templateFile) {
  (void)security, (void)templateFile;
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return OpenPath(win32::FileSystemPathA(name), desired, shareMode, disposition, flags);
}

HANDLE CreateFileW(LPCWSTR name, DWORD desired, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flags, HANDLE templateFile) {
  (void)security, (void)templateFile;
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return OpenPath(win32::FileSystemPathW(name), desired, shareMode, disposition, flags);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD done, LPOVERLAPPED overlapped) {
  if (done) *done = 0;
  auto object = win32::LookupHandleAs<FileObject>(file);
  if (!object) return FALSE;
  if (!object->read()) return Fail(ERROR_ACCESS_DENIED);
  if (size && !buffer) return Fail(ERROR_NOACCESS);
  off_t offset = overlapped ? static_cast<off_t>((uint64_t{overlapped->OffsetHigh} << 32) | overlapped->Offset) : 0;
  DWORD total = 0;
  while (total < size) {
    char* at = static_cast<char*>(buffer) + total;
    const ssize_t n = overlapped ? pread(object->fd(), at, size - total, offset + total)
                                 : read(object->fd(), at, size - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (done) *done = total;
      return Fail(win32::ErrorFromErrno(errno));
    }
    if (n == 0) break;  // end of file: success with fewer bytes
    total += static_cast<DWORD>(n);
  }
  if (done) *done = total;
  FinishPositioned(*object, overlapped, offset, total);
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD done, LPOVERLAPPED overlapped) {
  if (done) *done = 0;
  auto object = win32::LookupHandleAs<FileObject>(file);
  if (!object) return FALSE;
  if (!object->write()) return Fail(ERROR_ACCESS_DENIED);
  if (size && !buffer) return Fail(ERROR_NOACCESS);
  off_t offset = overlapped ? static_cast<off_t>((uint64_t{overlapped->OffsetHigh} << 32) | overlapped->Offset) : 0;
  DWORD total = 0;
  while (total < size) {
    const char* at = static_cast<const char*>(buffer) + total;
    const ssize_t n = overlapped ? pwrite(object->fd(), at, size - total, offset + total)
                                 : write(object->fd(), at, size - total);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (done) *done = total;
      return Fail(n < 0 ? win32::ErrorFromErrno(errno) : ERROR_DISK_FULL);
    }
    total += static_cast<DWORD>(n);
  }
  if (done) *done = total;
  FinishPositioned(*object, overlapped, offset, total);
  return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) {
  auto object = win32::LookupHandleAs<FileObject>(file);
  if (!object) return INVALID_SET_FILE_POINTER;
  int whence;
  switch (method) {
    case FILE_BEGIN: whence = SEEK_SET; break;
    case FILE_CURRENT: whence = SEEK_CUR; break;
    case FILE_END: whence = SEEK_END; break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_SET_FILE_POINTER;
  }
  // Without a high part the distance is a signed 32-bit value and the result must fit 32 bits.
  const int64_t move = distanceHigh
                           ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                                                  static_cast<uint32_t>(distance))
                           : static_cast<int64_t>(distance);
  const off_t before = lseek(object->fd(), 0, SEEK_CUR);
  const off_t position = lseek(object->fd(), static_cast<off_t>(move), whence);
  if (position < 0) {
    SetLastError(errno == EINVAL ? ERROR_NEGATIVE_SEEK : win32::ErrorFromErrno(errno));
    return INVALID_SET_FILE_POINTER;
  }
  if (!distanceHigh && position > static_cast<off_t>(0xFFFFFFFFu)) {
    lseek(object->fd(), before, SEEK_SET);
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(position) >> 32);
  SetLastError(NO_ERROR);  // a low part of 0xFFFFFFFF is then told apart from a failure
  return static_cast<DWORD>(static_cast<uint64_t>(position) & 0xFFFFFFFFu);
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  auto object = win32::LookupHandleAs<FileObject>(file);
  if (!object) return INVALID_FILE_SIZE;
  struct stat st;
  if (fstat(object->fd(), &st) != 0) {
    SetLastError(win32::ErrorFromErrno(errno));
    return INVALID_FILE_SIZE;
  }
  const uint64_t size = static_cast<uint64_t>(st.st_size);
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
  SetLastError(NO_ERROR);
  return static_cast<DWORD>(size & 0xFFFFFFFFu);
}

BOOL FlushFileBuffers(HANDLE file) {
  auto object = win32::LookupHandleAs<FileObject>(file);
  if (!object) return FALSE;
  if (!object->write()) return Fail(ERROR_ACCESS_DENIED);
  if (fsync(object->fd()) != 0) return Fail(win32::ErrorFromErrno(errno));
  return TRUE;
}

BOOL DeleteFileA(LPCSTR name) {
  if (!name) return Fail(ERROR_INVALID_PARAMETER);
  return DeletePath(win32::FileSystemPathA(name));
}

BOOL DeleteFileW(LPCWSTR name) {
  if (!name) return Fail(ERROR_INVALID_PARAMETER);
  return DeletePath(win32::FileSystemPathW(name));
}
