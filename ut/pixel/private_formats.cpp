#include "ut/pixel/private_formats.h"

D3DFORMAT ToPublicFormat(D3DFORMAT format) {
  // The 16-bit-per-channel decodes are offered to callers as their nearest 8-bit public formats.
  if (format == UT_FMT_A16L16) return D3DFMT_A8L8;
  if (format == UT_FMT_R16G16B16) return D3DFMT_R8G8B8;
  return format;
}
