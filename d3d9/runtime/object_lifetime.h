// Reference counting of the runtime's objects, as Direct3D 9 counts them.
//
// Every object has an external count (what AddRef and Release return) and an internal count
// (references the runtime holds itself: a texture holds its levels, a device its bound
// resources, its back buffer and its depth-stencil surface). An object dies when both reach 0.
// While an object's external count is above 0 it holds one reference to its device, so a
// device outlives every resource the application still holds, and a resource that is only bound
// does not keep its device alive.
#pragma once

#include <atomic>

#include "win32/win32_types.h"

struct IDirect3DDevice9;

namespace d3d9rt {

class ObjectLifetime {
 public:
  ObjectLifetime(const ObjectLifetime&) = delete;
  ObjectLifetime& operator=(const ObjectLifetime&) = delete;

  ULONG AddExternal();
  ULONG ReleaseExternal();
  void Retain();
  void Unretain();
  ULONG ExternalCount() const { return external_.load(); }

 protected:
  // `device` is the device to hold while the object is referenced from outside (null for the
  // Direct3D object and for devices). `external` is the count the creator starts with: 1 for
  // objects handed to the application, 0 for objects the runtime holds (Retain them first).
  ObjectLifetime(IDirect3DDevice9* device, ULONG external);
  virtual ~ObjectLifetime();

 private:
  std::atomic<ULONG> external_;
  std::atomic<ULONG> internal_{0};
  IDirect3DDevice9* device_;
};

}  // namespace d3d9rt
