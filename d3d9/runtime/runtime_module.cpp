// The runtime's entry points: Direct3DCreate9 and the "DebugSetMute" export of the module
// "d3d9.dll", which joins the process's module list as soon as the runtime is linked in.
#include <new>

#include "d3d9/d3d9.h"
#include "d3d9/runtime/debug_log.h"
#include "d3d9/runtime/direct3d.h"
#include "win32/module.h"

extern "C" void DebugSetMute(BOOL mute) { d3d9rt::SetDebugMute(mute); }

IDirect3D9* WINAPI Direct3DCreate9(UINT SDKVersion) {
  if (SDKVersion != D3D_SDK_VERSION) {
    d3d9rt::DebugError(D3DERR_INVALIDCALL, "Direct3DCreate9: SDK version %u, expected %u",
                       SDKVersion, D3D_SDK_VERSION);
    return nullptr;
  }
  return new (std::nothrow) d3d9rt::Direct3D();
}

namespace {

HMODULE RegisterRuntimeModule() {
  const win32::ModuleExport exports[] = {
      {"DebugSetMute", reinterpret_cast<FARPROC>(&DebugSetMute)},
  };
  return win32::RegisterModule("d3d9.dll", exports, sizeof(exports) / sizeof(exports[0]));
}

}  // namespace

// Registered during static initialisation. The link options of the d3d9runtime target name
// this symbol as undefined, so that the linker takes this file from the archive into every
// program that links the runtime, whether or not it calls Direct3DCreate9.
extern "C" {
extern const HMODULE d3d9rt_module;
const HMODULE d3d9rt_module = RegisterRuntimeModule();
}
