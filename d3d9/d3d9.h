// Direct3D 9: the types, the interfaces and the runtime's entry point.
#pragma once

#include "d3d9/d3d9_interfaces.h"
#include "d3d9/d3d9_types.h"

// Creates the Direct3D object of the runtime linked into the process, or returns null when
// SDKVersion is not D3D_SDK_VERSION.
IDirect3D9* WINAPI Direct3DCreate9(UINT SDKVersion);
