#include "d3d9/runtime/object_lifetime.h"

#include "d3d9/d3d9_interfaces.h"
#include "d3d9/runtime/debug_log.h"
#include "d3d9/runtime/runtime_state.h"

namespace d3d9rt {

ObjectLifetime::ObjectLifetime(IDirect3DDevice9* device, ULONG external)
    : external_(external), device_(device) {
  NoteObjectCreated();
  for (ULONG i = 0; i < external; ++i) NoteReferenceAdded();
  if (external > 0 && device_) device_->AddRef();
}

ObjectLifetime::~ObjectLifetime() { NoteObjectDestroyed(); }

ULONG ObjectLifetime::AddExternal() {
  const ULONG count = ++external_;
  NoteReferenceAdded();
  if (count == 1 && device_) device_->AddRef();
  return count;
}

ULONG ObjectLifetime::ReleaseExternal() {
  ULONG count = external_.load();
  if (count == 0) {
    // The hardware runtime would free the object twice; refuse instead.
    DebugError(0, "Release of an object that has no references left");
    return 0;
  }
  count = --external_;
  NoteReferenceReleased();
  if (count == 0) {
    // Releasing the device can end it, and with it the device's internal hold on this object:
    // take what is needed first and touch nothing of `this` afterwards.
    IDirect3DDevice9* device = device_;
    if (internal_.load() == 0) delete this;
    if (device) device->Release();
  }
  return count;
}

void ObjectLifetime::Retain() { ++internal_; }

void ObjectLifetime::Unretain() {
  const ULONG count = --internal_;
  if (count == 0 && external_.load() == 0) delete this;
}

}  // namespace d3d9rt
