// PixelConverter: the engine under every loading entry point. It makes a codec for the source
// block and one for the destination block and tries the conversion strategies in order
// (conversion_strategy.h) until one completes.
#pragma once

#include <memory>

#include "ut/pixel/pixel_block_desc.h"
#include "ut/pixel/pixel_codec.h"
#include "win32/win32_types.h"

class PixelConverter {
 public:
  // Converts the source region into the destination region with the filter flags. Sets the
  // option fields of both descriptions from the flags (gamma, dithering). Returns S_OK,
  // D3DERR_INVALIDCALL for invalid flags, E_FAIL for a format without a codec or when no
  // strategy completes, or E_OUTOFMEMORY.
  HRESULT Convert(PixelBlockDesc* destination, PixelBlockDesc* source, DWORD filter);

 private:
  HRESULT RunStrategies();

  std::unique_ptr<PixelCodec> sourceCodec;       // during Convert only
  std::unique_ptr<PixelCodec> destinationCodec;  // during Convert only
  DWORD filter = 0;
};
