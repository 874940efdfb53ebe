// The memory of one surface or one volume level, laid out as Direct3D 9 lays it out, and its
// lock state: the area rules, the READONLY guard's copies and DISCARD.
#pragma once

#include <cstddef>
#include <memory>

#include "d3d9/d3d9_types.h"
#include "d3d9/runtime/format_layout.h"
#include "d3d9/runtime/plane_memory.h"

namespace d3d9rt {

// A box of pixels; right, bottom and back are exclusive.
struct Area {
  UINT left, top, front, right, bottom, back;

  UINT Width() const { return right - left; }
  UINT Height() const { return bottom - top; }
  UINT Depth() const { return back - front; }
};

class PixelPlane {
 public:
  PixelPlane() = default;
  PixelPlane(const PixelPlane&) = delete;
  PixelPlane& operator=(const PixelPlane&) = delete;

  // What a new plane holds. Direct3D leaves the contents of a new texture undefined, so a
  // level may get memory that another level held before; other surfaces start zeroed.
  enum class Contents { kZeroed, kUndefined };

  // E_OUTOFMEMORY when the memory can't be had (or the size does not fit the pitches).
  HRESULT Allocate(const FormatLayout& layout, UINT width, UINT height, UINT depth,
                   Contents contents);

  const FormatLayout& Layout() const { return *layout_; }
  D3DFORMAT Format() const { return layout_->format; }
  UINT Width() const { return width_; }
  UINT Height() const { return height_; }
  UINT Depth() const { return depth_; }
  UINT RowPitch() const { return footprint_.rowPitch; }
  UINT SlicePitch() const { return footprint_.slicePitch; }
  // Rows of pixels, or of blocks for block formats.
  UINT StoredRows() const { return footprint_.rows; }
  BYTE* Bits() { return bits_.get(); }
  const BYTE* Bits() const { return bits_.get(); }
  size_t Size() const { return static_cast<size_t>(footprint_.slicePitch) * depth_; }
  Area Whole() const { return {0, 0, 0, width_, height_, depth_}; }

  // The address of pixel (x, y, z); x and y must be multiples of the format's unit.
  BYTE* At(UINT x, UINT y, UINT z) {
    return bits_.get() + static_cast<size_t>(z) * footprint_.slicePitch +
           UnitOffset(*layout_, x, y, footprint_.rowPitch);
  }
  const BYTE* At(UINT x, UINT y, UINT z) const {
    return const_cast<PixelPlane*>(this)->At(x, y, z);
  }

  // True when `area` is a non-empty box inside the plane whose edges fall on the format's
  // units: multiples of 4 for blocks (2 across for pairs), or the plane's own edge.
  bool IsValidArea(const Area& area) const;

  bool Locked() const { return locked_; }
  DWORD LockFlags() const { return lockFlags_; }
  // Locks `area` (already validated): returns the address of its first pixel. With the
  // read-only lock guard on, D3DLOCK_READONLY hands out a copy of the area, so writes through
  // it never reach the plane (Unlock counts a copy that was written to);
  // D3DLOCK_DISCARD fills the whole plane with a pattern first (its contents are undefined).
  BYTE* Lock(const Area& area, DWORD flags);
  // Ends the lock; returns false when nothing was locked.
  bool Unlock();

  // The byte value DISCARD leaves behind.
  static constexpr BYTE kDiscardPattern = 0xCD;

 private:
  const FormatLayout* layout_ = nullptr;
  UINT width_ = 0;
  UINT height_ = 0;
  UINT depth_ = 0;
  LevelFootprint footprint_ = {};
  PlaneMemory bits_;

  bool locked_ = false;
  DWORD lockFlags_ = 0;
  std::unique_ptr<BYTE[]> readCopy_;  // the guard's copy, or null
  const BYTE* readSource_ = nullptr;   // what the copy was taken from
  size_t readSpan_ = 0;
};

// Copies the units of `srcArea` of `src` to `dst` at (dx, dy, dz). Same format; both areas
// valid and unit-aligned (the caller checks).
void CopyArea(const PixelPlane& src, const Area& srcArea, PixelPlane& dst, UINT dx, UINT dy,
              UINT dz);

// The lock flags a surface, volume or buffer accepts: `dynamic` resources alone may DISCARD,
// only buffers may NOOVERWRITE, and READONLY goes with neither.
bool ValidLockFlags(DWORD flags, bool dynamic, bool buffer);

}  // namespace d3d9rt
