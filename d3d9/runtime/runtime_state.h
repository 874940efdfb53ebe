// The runtime's side of runtime_config.h: what the objects ask and tell the configuration.
#pragma once

#include "d3d9/runtime/runtime_config.h"

namespace d3d9rt {

// Counts the call and returns the injected failure for it, or D3D_OK.
HRESULT EnterCall(Call call);

HRESULT QueryFormatSupport(const FormatQuery& query);
D3DDISPLAYMODE CurrentDisplayMode();
DeviceState CurrentDeviceState();

void RecordLock(const LockRecord& record);
bool ReadOnlyLockGuardOn();
bool VectorSpansAllowed();
void NoteReadOnlyLockWrite();

void NoteObjectCreated();
void NoteObjectDestroyed();
void NoteReferenceAdded();
void NoteReferenceReleased();

}  // namespace d3d9rt
