// A copy in memory of the stored bytes under a locked region, so that a volume can be loaded
// into itself: volumes have no temporary copy of their own, and the runtime won't lock one
// volume twice.
#pragma once

#include <memory>

#include "ut/pixel/pixel_block_desc.h"

class LockedBlockCopy {
 public:
  // Copies the rows and slices of `locked`'s region (for block-compressed formats the rows of
  // blocks) and describes the copy in `copy`. E_OUTOFMEMORY or E_FAIL (a format without a
  // known size) on failure.
  HRESULT Take(const PixelBlockDesc& locked, PixelBlockDesc* copy);

 private:
  std::unique_ptr<BYTE[]> bytes_;
};
