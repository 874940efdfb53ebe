// A device of the software runtime for benchmarks that need one but draw nothing to a window.
#pragma once

#include "d3d9/d3d9.h"
#include "win32/com_ptr.h"

// A windowed device with a 64 x 64 back buffer of `backBuffer`; null when the runtime refuses.
// The device holds its Direct3D object, so nothing else needs keeping.
ComPtr<IDirect3DDevice9> MakeHeadlessDevice(D3DFORMAT backBuffer = D3DFMT_X8R8G8B8);
