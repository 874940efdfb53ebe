// The test configuration of the software Direct3D 9 runtime: the adapter's caps and format
// support, a lost device, injected failures, and what the runtime saw (call counts, locks, live
// objects, debug muting). Only tests include this; the library sees nothing of it.
//
// All settings are process-wide and apply at once to every existing Direct3D object and device.
// Reset() restores the defaults and clears every counter.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

#include "d3d9/d3d9_types.h"
#include "d3d9/runtime/format_support.h"

namespace d3d9rt {

void Reset();

// Caps reported by GetDeviceCaps and obeyed by resource creation.
D3DCAPS9 DefaultCaps();
void SetCaps(const D3DCAPS9& caps);
D3DCAPS9 CurrentCaps();

// Format support: the rule answers CheckDeviceFormat and every resource creation. Return D3D_OK,
// D3DOK_NOAUTOGEN or D3DERR_NOTAVAILABLE. An empty rule restores the default adapter's.
using FormatRule = std::function<HRESULT(const FormatQuery&)>;
void SetFormatRule(FormatRule rule);
// Every format whose storage the runtime knows is supported for every use, pool and resource
// type, except the ones listed (which are supported for nothing, D3DPOOL_SCRATCH included).
FormatRule EveryFormatExcept(std::initializer_list<D3DFORMAT> unsupported);
// The default adapter's answers, minus the formats listed (D3DPOOL_SCRATCH still takes them).
FormatRule DefaultAdapterExcept(std::initializer_list<D3DFORMAT> unsupported);

// The adapter's display mode (default 1920 x 1080, 60 Hz, D3DFMT_X8R8G8B8).
void SetDisplayMode(const D3DDISPLAYMODE& mode);

// A lost device: TestCooperativeLevel and Present report it; Reset works once not-reset.
enum class DeviceState { kOperational, kLost, kNotReset };
void SetDeviceState(DeviceState state);

// The calls that can be counted and made to fail.
enum Call : uint32_t {
  kCreateDevice = 1u << 0,
  kCreateTexture = 1u << 1,
  kCreateCubeTexture = 1u << 2,
  kCreateVolumeTexture = 1u << 3,
  kCreateVertexBuffer = 1u << 4,
  kCreateRenderTarget = 1u << 5,
  kCreateDepthStencilSurface = 1u << 6,
  kCreateOffscreenPlainSurface = 1u << 7,
  kLockRect = 1u << 8,  // IDirect3DSurface9, IDirect3DTexture9 and IDirect3DCubeTexture9
  kLockBox = 1u << 9,   // IDirect3DVolume9 and IDirect3DVolumeTexture9
  kLockVertexBuffer = 1u << 10,
  kUpdateSurface = 1u << 11,
  kUpdateTexture = 1u << 12,
  kStretchRect = 1u << 13,
  kGetRenderTargetData = 1u << 14,
  kColorFill = 1u << 15,
};
constexpr uint32_t kAnyCreation = kCreateDevice | kCreateTexture | kCreateCubeTexture |
                                  kCreateVolumeTexture | kCreateVertexBuffer |
                                  kCreateRenderTarget | kCreateDepthStencilSurface |
                                  kCreateOffscreenPlainSurface;
constexpr uint32_t kAnyLock = kLockRect | kLockBox | kLockVertexBuffer;
constexpr uint32_t kAnyCopy = kUpdateSurface | kUpdateTexture | kStretchRect | kGetRenderTargetData;

// Makes the nth call (counting from 1, from now on) of any of `calls` fail with `result`
// before it does anything; nth 0 makes every such call fail. Several injections may be armed;
// each counts the calls it matches. A failed call leaves no object behind.
void InjectFailure(uint32_t calls, unsigned nth, HRESULT result);
void ClearInjectedFailures();

// How often each call was made since Reset (failed calls included).
unsigned CallCount(Call call);

// The lock calls since Reset, successful or not, oldest first (the last 1024 of them).
struct LockRecord {
  Call call;  // kLockRect, kLockBox or kLockVertexBuffer
  D3DFORMAT format;
  D3DPOOL pool;
  DWORD usage;
  DWORD flags;
  bool whole;   // no rectangle or box was given (buffers: the whole buffer)
  D3DBOX area;  // the area asked for (the whole level when `whole`); buffers: Left = offset,
                // Right = offset + size
  HRESULT result;
};
std::vector<LockRecord> LockLog();

// Objects of the runtime alive now (Direct3D objects, devices, resources, surfaces and volumes
// of textures), and the sum of their reference counts. A call that releases every reference it
// takes leaves both unchanged.
long LiveObjectCount();
long LiveReferenceCount();

// Read-only locks hand out the stored pixels, as real runtimes do. With the guard on, a
// D3DLOCK_READONLY lock hands out a copy of the area instead, so a write through it never
// reaches the resource, and Unlock compares the copy with the stored pixels: a copy that was
// written to is counted. Off after Reset.
void SetReadOnlyLockGuard(bool on);
// The read-only locks since Reset whose memory was written to while the guard was on.
unsigned ReadOnlyLockWriteCount();

// Whether draws may shade spans with the processor's vector kernels (AVX2) where it has them;
// on after Reset. Off, every span takes the scalar loops, which write the same bytes.
void SetVectorSpans(bool on);

// Debug output: whether "DebugSetMute" has muted it, how often "DebugSetMute" was called, and
// how many error messages the runtime produced (muted or not).
bool IsDebugMuted();
unsigned DebugSetMuteCallCount();
unsigned DebugMessageCount();

}  // namespace d3d9rt
