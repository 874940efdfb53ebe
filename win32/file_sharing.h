// Sharing modes between all opens of a file, in this process and in others.
//
// Each open records what it does and what it denies as shared (read) locks on single bytes far
// beyond any real data, with open-file-description locks, which belong to the open itself and
// vanish when it is closed (or when its process ends):
//   kShareBase + 0..2  the open has read / write / delete access
//   kShareBase + 3..5  the open denies read / write / delete to others (its share mode lacks it)
// A new open asks whether another open holds a byte that conflicts with it (F_OFD_GETLK). The
// test and the recording happen under an exclusive flock() of the file, so two opens can't both
// pass the test before either has recorded itself.
#pragma once

#include "win32/win32_types.h"

namespace win32 {

struct ShareAccess {
  bool read = false;
  bool write = false;
  bool remove = false;  // DELETE access
  DWORD shareMode = 0;  // FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE
};

// Checks the open against the file's other opens and records it. fd must be open for reading.
// ERROR_SUCCESS, or ERROR_SHARING_VIOLATION with nothing recorded. An open without any access
// (attributes only) takes part in no sharing.
DWORD AcquireShareAccess(int fd, const ShareAccess& access);

// Removes the file at path (whose open is fd) unless an open of it lacks FILE_SHARE_DELETE
// (ERROR_SHARING_VIOLATION). The test and the removal are one step for every other opener.
DWORD RemoveUnlessDenied(int fd, const char* path);

}  // namespace win32
