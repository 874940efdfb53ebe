#include "win32/errno_error.h"

#include <sys/stat.h>

#include <cerrno>
#include <string>

namespace win32 {
namespace {

struct ErrnoMapping {
  int error;
  DWORD win32;
};

constexpr ErrnoMapping kErrnoMappings[] = {
    {ENOENT, ERROR_FILE_NOT_FOUND},     {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {ELOOP, ERROR_PATH_NOT_FOUND},      {EEXIST, ERROR_FILE_EXISTS},
    {EACCES, ERROR_ACCESS_DENIED},      {EPERM, ERROR_ACCESS_DENIED},
    {EROFS, ERROR_ACCESS_DENIED},       {EISDIR, ERROR_ACCESS_DENIED},
    {ETXTBSY, ERROR_ACCESS_DENIED},     {ENOSPC, ERROR_DISK_FULL},
    {EDQUOT, ERROR_DISK_FULL},          {EFBIG, ERROR_DISK_FULL},
    {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES}, {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},  {EBADF, ERROR_INVALID_HANDLE},
    {EINVAL, ERROR_INVALID_PARAMETER},  {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
};

}  // namespace

DWORD ErrorFromErrno(int error) {
  for (const ErrnoMapping& m : kErrnoMappings) {
    if (m.error == error) return m.win32;
  }
  return ERROR_GEN_FAILURE;
}

DWORD ErrorFromErrnoForPath(int error, const char* path) {
  if (error != ENOENT || !path) return ErrorFromErrno(error);
  const std::string p(path);
  const size_t slash = p.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return ERROR_FILE_NOT_FOUND;
  struct stat st;
  const std::string folder = p.substr(0, slash);
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return ERROR_PATH_NOT_FOUND;
  return ERROR_FILE_NOT_FOUND;
}

}  // namespace win32
