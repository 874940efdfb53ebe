// The library's two private format codes for decoded images with 16 bits per channel. No
// D3DFORMAT describes them and no device supports them; the catalogue and the codecs treat them
// like any other format, and callers only ever see their public stand-ins (ToPublicFormat).
#pragma once

#include "d3d9/d3d9.h"

// "AL16": 32 bits per pixel, 16-bit luminance then 16-bit alpha.
inline constexpr D3DFORMAT UT_FMT_A16L16 = static_cast<D3DFORMAT>(0x36314C41);
// " R16": 48 bits per pixel, 16-bit blue, green, red.
inline constexpr D3DFORMAT UT_FMT_R16G16B16 = static_cast<D3DFORMAT>(0x36315220);

// The public format reported for a decoded format: D3DFMT_A8L8 for UT_FMT_A16L16,
// D3DFMT_R8G8B8 for UT_FMT_R16G16B16, any other value unchanged.
D3DFORMAT ToPublicFormat(D3DFORMAT format);
