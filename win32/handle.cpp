#include "win32/handle.h"

#include <map>
#include <mutex>

#include "win32/last_error.h"

namespace {

struct HandleTable {
  std::mutex mutex;
  std::map<HANDLE, std::shared_ptr<win32::KernelObject>> objects;
  uintptr_t next = 0x1000;  // multiples of 4, as Windows hands them out
};

HandleTable& Table() {
  static HandleTable table;
  return table;
}

}  // namespace

BOOL CloseHandle(HANDLE handle) {
  std::shared_ptr<win32::KernelObject> object;
  {
    HandleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.objects.find(handle);
    if (it == table.objects.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    object = std::move(it->second);
    table.objects.erase(it);
  }
  object.reset();  // released outside the lock: closing a file may take a while
  return TRUE;
}

namespace win32 {

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
  HandleTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  const HANDLE handle = reinterpret_cast<HANDLE>(table.next);
  table.next += 4;
  table.objects.emplace(handle, std::move(object));
  return handle;
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
  HandleTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  auto it = table.objects.find(handle);
  return it == table.objects.end() ? nullptr : it->second;
}

void SetInvalidHandleError() { SetLastError(ERROR_INVALID_HANDLE); }

}  // namespace win32
