#include "d3d9/runtime/runtime_config.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <mutex>

#include "d3d9/runtime/adapter_caps.h"
#include "d3d9/runtime/debug_log.h"
#include "d3d9/runtime/format_layout.h"
#include "d3d9/runtime/runtime_state.h"

namespace d3d9rt {
namespace {

constexpr unsigned kCallKinds = 16;

struct Injection {
  uint32_t calls;
  unsigned remaining;  // calls still to pass before the failing one; unused when `every`
  bool every;
  HRESULT result;
};

D3DDISPLAYMODE DefaultDisplayMode() { return {1920, 1080, 60, D3DFMT_X8R8G8B8}; }

struct Config {
  std::mutex mutex;
  D3DCAPS9 caps = DefaultAdapterCaps();
  FormatRule rule;
  D3DDISPLAYMODE displayMode = DefaultDisplayMode();
  DeviceState deviceState = DeviceState::kOperational;
  std::vector<Injection> injections;
  unsigned callCounts[kCallKinds] = {};
  // The most recent locks, oldest first once `lockCount` exceeds the capacity.
  std::vector<LockRecord> locks;
  size_t lockCount = 0;
};

constexpr size_t kLockLogCapacity = 1024;

Config& TheConfig() {
  static Config config;
  return config;
}

std::atomic<long> g_liveObjects{0};
std::atomic<long> g_liveReferences{0};
// Read on every lock, so kept apart from the mutex.
std::atomic<bool> g_readOnlyLockGuard{false};
std::atomic<unsigned> g_readOnlyLockWrites{0};
// Read once per draw.
std::atomic<bool> g_vectorSpans{true};

unsigned CallIndex(Call call) { return static_cast<unsigned>(std::countr_zero(static_cast<uint32_t>(call))); }

}  // namespace

void Reset() {
  Config& c = TheConfig();
  {
    std::lock_guard<std::mutex> lock(c.mutex);
    c.caps = DefaultAdapterCaps();
    c.rule = nullptr;
    c.displayMode = DefaultDisplayMode();
    c.deviceState = DeviceState::kOperational;
    c.injections.clear();
    std::fill(std::begin(c.callCounts), std::end(c.callCounts), 0u);
    c.locks.clear();
    c.lockCount = 0;
  }
  g_readOnlyLockGuard = false;
  g_readOnlyLockWrites = 0;
  g_vectorSpans = true;
  ResetDebugLog();
}

D3DCAPS9 DefaultCaps() { return DefaultAdapterCaps(); }

void SetCaps(const D3DCAPS9& caps) {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> lock(c.mutex);
  c.caps = caps;
}

D3DCAPS9 CurrentCaps() {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> lock(c.mutex);
  return c.caps;
}

void SetFormatRule(FormatRule rule) {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> lock(c.mutex);
  c.rule = std::move(rule);
}

FormatRule EveryFormatExcept(std::initializer_list<D3DFORMAT> unsupported) {
  std::vector<D3DFORMAT> excluded(unsupported);
  return [excluded](const FormatQuery& q) -> HRESULT {
    if (std::find(excluded.begin(), excluded.end(), q.format) != excluded.end()) {
      return D3DERR_NOTAVAILABLE;
    }
    if (q.type == D3DRTYPE_VERTEXBUFFER || q.type == D3DRTYPE_INDEXBUFFER) {
      return DefaultFormatSupport(q);
    }
    return FindFormatLayout(q.format) ? D3D_OK : D3DERR_NOTAVAILABLE;
  };
}

FormatRule DefaultAdapterExcept(std::initializer_list<D3DFORMAT> unsupported) {
  std::vector<D3DFORMAT> excluded(unsupported);
  return [excluded](const FormatQuery& q) -> HRESULT {
    if (q.pool != D3DPOOL_SCRATCH &&
        std::find(excluded.begin(), excluded.end(), q.format) != excluded.end()) {
      return D3DERR_NOTAVAILABLE;
    }
    return DefaultFormatSupport(q);
  };
}

void SetDisplayMode(const D3DDISPLAYMODE& mode) {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> lock(c.mutex);
  c.displayMode = mode;
}

void SetDeviceState(DeviceState state) {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> lock(c.mutex);
  c.deviceState = state;
}

void InjectFailure(uint32_t calls, unsigned nth, HRESULT result) {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> lock(c.mutex);
  c.injections.push_back({calls, nth ? nth - 1 : 0, nth == 0, result});
}

void ClearInjectedFailures() {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> lock(c.mutex);
  c.injections.clear();
}

unsigned CallCount(Call call) {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> lock(c.mutex);
  return c.callCounts[CallIndex(call)];
}

std::vector<LockRecord> LockLog() {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> lock(c.mutex);
  if (c.lockCount <= kLockLogCapacity) return c.locks;
  const size_t oldest = c.lockCount % kLockLogCapacity;
  std::vector<LockRecord> ordered(c.locks.begin() + oldest, c.locks.end());
  ordered.insert(ordered.end(), c.locks.begin(), c.locks.begin() + oldest);
  return ordered;
}

void SetReadOnlyLockGuard(bool on) { g_readOnlyLockGuard = on; }

void SetVectorSpans(bool on) { g_vectorSpans = on; }
unsigned ReadOnlyLockWriteCount() { return g_readOnlyLockWrites.load(); }

long LiveObjectCount() { return g_liveObjects.load(); }
long LiveReferenceCount() { return g_liveReferences.load(); }

bool IsDebugMuted() { return DebugOutputMuted(); }
unsigned DebugSetMuteCallCount() { return DebugMuteCalls(); }
unsigned DebugMessageCount() { return DebugMessages(); }

// The runtime's side.

HRESULT EnterCall(Call call) {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> lock(c.mutex);
  ++c.callCounts[CallIndex(call)];
  HRESULT result = D3D_OK;
  for (auto it = c.injections.begin(); it != c.injections.end();) {
    if (!(it->calls & call)) {
      ++it;
      continue;
    }
    if (it->every) {
      if (result == D3D_OK) result = it->result;
      ++it;
    } else if (it->remaining > 0) {
      --it->remaining;
      ++it;
    } else {
      if (result == D3D_OK) result = it->result;
      it = c.injections.erase(it);  // a one-shot injection is spent
    }
  }
  return result;
}

HRESULT QueryFormatSupport(const FormatQuery& query) {
  FormatRule rule;
  {
    Config& c = TheConfig();
    std::lock_guard<std::mutex> lock(c.mutex);
    rule = c.rule;
  }
  return rule ? rule(query) : DefaultFormatSupport(query);
}

D3DDISPLAYMODE CurrentDisplayMode() {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> lock(c.mutex);
  return c.displayMode;
}

DeviceState CurrentDeviceState() {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> lock(c.mutex);
  return c.deviceState;
}

void RecordLock(const LockRecord& record) {
  Config& c = TheConfig();
  std::lock_guard<std::mutex> lock(c.mutex);
  if (c.locks.size() < kLockLogCapacity) {
    c.locks.push_back(record);
  } else {
    c.locks[c.lockCount % kLockLogCapacity] = record;
  }
  ++c.lockCount;
}

bool ReadOnlyLockGuardOn() { return g_readOnlyLockGuard.load(std::memory_order_relaxed); }

bool VectorSpansAllowed() { return g_vectorSpans.load(std::memory_order_relaxed); }
void NoteReadOnlyLockWrite() { ++g_readOnlyLockWrites; }

void NoteObjectCreated() { ++g_liveObjects; }
void NoteObjectDestroyed() { --g_liveObjects; }
void NoteReferenceAdded() { ++g_liveReferences; }
void NoteReferenceReleased() { --g_liveReferences; }

}  // namespace d3d9rt
