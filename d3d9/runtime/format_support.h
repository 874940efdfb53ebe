// Which formats the adapter supports for which use. The default adapter's answers come from one
// table (format_support.cpp); tests may replace the rule through runtime_config.h.
#pragma once

#include "d3d9/d3d9_types.h"

namespace d3d9rt {

// One question about a format. CheckDeviceFormat asks with pool D3DPOOL_DEFAULT; resource
// creation asks with the pool of the resource, so a rule can treat pools differently.
struct FormatQuery {
  D3DFORMAT adapterFormat;
  DWORD usage;  // D3DUSAGE bits, query bits included
  D3DRESOURCETYPE type;
  D3DPOOL pool;
  D3DFORMAT format;
};

// The default adapter: D3D_OK, D3DOK_NOAUTOGEN (supported, but no automatic mip generation) or
// D3DERR_NOTAVAILABLE. D3DPOOL_SCRATCH accepts every format whose storage is known.
HRESULT DefaultFormatSupport(const FormatQuery& query);

// Formats the default adapter can display (adapter formats of display modes).
bool IsDisplayFormat(D3DFORMAT format);
// Formats a windowed back buffer may have.
bool IsBackBufferFormat(D3DFORMAT format);
// Formats whose levels the runtime can filter itself when D3DUSAGE_AUTOGENMIPMAP asks for it.
bool CanGenerateMips(D3DFORMAT format);

}  // namespace d3d9rt
