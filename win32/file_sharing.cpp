#include "win32/file_sharing.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "win32/errno_error.h"
#include "win32/file.h"


namespace win32 {
namespace {

constexpr off_t kShareBase = 0x7FFFFFFFFFFF0000;

enum ShareByte : int {
  kHasRead = 0,
  kHasWrite = 1,
  kHasDelete = 2,
  kDeniesRead = 3,
  kDeniesWrite = 4,
  kDeniesDelete = 5,
};

// Whether an open other than fd's holds a lock on the byte. A file system without locks
// answers "no": sharing is then not enforced, as on a file system without share modes.
bool HeldByOther(int fd, int byte) {
  struct flock lock = {};
  lock.l_type = F_WRLCK;  // conflicts with any lock another open holds
  lock.l_whence = SEEK_SET;
  lock.l_start = kShareBase + byte;
  lock.l_len = 1;
  if (fcntl(fd, F_OFD_GETLK, &lock) != 0) return false;
  return lock.l_type != F_UNLCK;
}

bool Hold(int fd, int byte) {
  struct flock lock = {};
  lock.l_type = F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = kShareBase + byte;
  lock.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

void Release(int fd) {
  struct flock lock = {};
  lock.l_type = F_UNLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = kShareBase;
  lock.l_len = 6;
  fcntl(fd, F_OFD_SETLK, &lock);
}

class Gate {
 public:
  explicit Gate(int fd) : fd_(fd) {
    while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~Gate() { flock(fd_, LOCK_UN); }

 private:
  int fd_;
};

}  // namespace

DWORD AcquireShareAccess(int fd, const ShareAccess& a) {
  if (!a.read && !a.write && !a.remove) return ERROR_SUCCESS;
  const bool shareRead = a.shareMode & FILE_SHARE_READ;
  const bool shareWrite = a.shareMode & FILE_SHARE_WRITE;
  const bool shareDelete = a.shareMode & FILE_SHARE_DELETE;

  Gate gate(fd);
  const bool conflict = (a.read && HeldByOther(fd, kDeniesRead)) ||
                        (a.write && HeldByOther(fd, kDeniesWrite)) ||
                        (a.remove && HeldByOther(fd, kDeniesDelete)) ||
                        (!shareRead && HeldByOther(fd, kHasRead)) ||
                        (!shareWrite && HeldByOther(fd, kHasWrite)) ||
                        (!shareDelete && HeldByOther(fd, kHasDelete));
  if (conflict) return ERROR_SHARING_VIOLATION;

  const struct {
    bool wanted;
    int byte;
  } records[] = {{a.read, kHasRead},       {a.write, kHasWrite},       {a.remove, kHasDelete},
                 {!shareRead, kDeniesRead}, {!shareWrite, kDeniesWrite}, {!shareDelete, kDeniesDelete}};
  for (const auto& r : records) {
    if (r.wanted && !Hold(fd, r.byte) && errno != EINVAL && errno != ENOLCK) {
      Release(fd);
      return ERROR_NOT_ENOUGH_MEMORY;  // the lock table is full
    }
  }
  return ERROR_SUCCESS;
}

DWORD RemoveUnlessDenied(int fd, const char* path) {
  Gate gate(fd);
  if (HeldByOther(fd, kDeniesDelete)) return ERROR_SHARING_VIOLATION;
  return unlink(path) == 0 ? ERROR_SUCCESS : ErrorFromErrnoForPath(errno, path);
}

}  // namespace win32
