// Handles of kernel objects (files, file mappings) and CloseHandle. Handle values are never
// reused within a process, so a stale handle can't reach a newer object.
#pragma once

#include <memory>

#include "win32/win32_types.h"

BOOL CloseHandle(HANDLE hObject);

namespace win32 {

// Base of every object that a HANDLE names; destroying it releases what it holds.
class KernelObject {
 public:
  virtual ~KernelObject() = default;
};

HANDLE InsertHandle(std::shared_ptr<KernelObject> object);

// The object behind a handle if it is of type T, else null (and ERROR_INVALID_HANDLE is set).
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);
template <typename T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle);

void SetInvalidHandleError();

template <typename T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle) {
  std::shared_ptr<T> object = std::dynamic_pointer_cast<T>(LookupHandle(handle));
  if (!object) SetInvalidHandleError();
  return object;
}

}  // namespace win32
