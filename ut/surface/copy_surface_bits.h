// Copies the stored bytes of one surface into another of the same format and size, by locking
// both. Used to fill and write back the system-memory copies of SurfaceLock.
#pragma once

#include "d3d9/d3d9.h"

// S_OK; D3DERR_INVALIDCALL for a null surface or surfaces of different formats or sizes; or the
// error of the lock that failed (nothing is left locked).
HRESULT CopySurfaceBits(IDirect3DSurface9* source, IDirect3DSurface9* destination);
