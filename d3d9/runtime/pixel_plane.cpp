#include "d3d9/runtime/pixel_plane.h"

#include <cstring>
#include <new>

#include "d3d9/runtime/runtime_state.h"

namespace d3d9rt {
namespace {

// No single level may take more than this; larger requests fail as out of memory instead of
// exhausting the machine.
constexpr uint64_t kMaxPlaneBytes = uint64_t{1} << 30;

bool EdgeOk(UINT value, UINT unit, UINT limit) { return value % unit == 0 || value == limit; }

}  // namespace

HRESULT PixelPlane::Allocate(const FormatLayout& layout, UINT width, UINT height, UINT depth,
                             Contents contents) {
  LevelFootprint footprint;
  if (!ComputeFootprint(layout, width, height, &footprint)) return E_OUTOFMEMORY;
  const uint64_t size = static_cast<uint64_t>(footprint.slicePitch) * depth;
  if (size > kMaxPlaneBytes) return E_OUTOFMEMORY;
  PlaneMemory bits = contents == Contents::kZeroed ? PlaneMemory::Zeroed(static_cast<size_t>(size))
                                                   : PlaneMemory::Undefined(static_cast<size_t>(size));
  if (!bits) return E_OUTOFMEMORY;
  layout_ = &layout;
  width_ = width;
  height_ = height;
  depth_ = depth;
  footprint_ = footprint;
  bits_ = std::move(bits);
  return S_OK;
}

bool PixelPlane::IsValidArea(const Area& a) const {
  if (a.left >= a.right || a.top >= a.bottom || a.front >= a.back) return false;
  if (a.right > width_ || a.bottom > height_ || a.back > depth_) return false;
  const UINT uw = UnitWidth(*layout_);
  const UINT uh = UnitHeight(*layout_);
  return a.left % uw == 0 && a.top % uh == 0 && EdgeOk(a.right, uw, width_) &&
         EdgeOk(a.bottom, uh, height_);
}

BYTE* PixelPlane::Lock(const Area& area, DWORD flags) {
  locked_ = true;
  lockFlags_ = flags;
  if (flags & D3DLOCK_DISCARD) std::memset(bits_.get(), kDiscardPattern, Size());
  BYTE* first = At(area.left, area.top, area.front);
  // Like real runtimes, a read-only lock hands out the stored pixels; only the test guard
  // pays for a copy.
  if (!(flags & D3DLOCK_READONLY) || !ReadOnlyLockGuardOn()) return first;

  // The copy keeps the plane's pitches, so the caller addresses it exactly like the plane.
  const UINT lastRow = (area.bottom - 1) / UnitHeight(*layout_) * UnitHeight(*layout_);
  const BYTE* last = At(area.left, lastRow, area.back - 1) + RowBytes(*layout_, area.Width());
  const size_t span = static_cast<size_t>(last - first);
  readCopy_.reset(new (std::nothrow) BYTE[span]);
  if (!readCopy_) {
    // Without memory for a copy, hand out the plane itself: reading still works.
    return first;
  }
  std::memcpy(readCopy_.get(), first, span);
  readSource_ = first;
  readSpan_ = span;
  return readCopy_.get();
}

bool PixelPlane::Unlock() {
  if (!locked_) return false;
  if (readCopy_ && std::memcmp(readCopy_.get(), readSource_, readSpan_) != 0) {
    NoteReadOnlyLockWrite();
  }
  locked_ = false;
  lockFlags_ = 0;
  readCopy_.reset();
  readSource_ = nullptr;
  readSpan_ = 0;
  return true;
}

void CopyArea(const PixelPlane& src, const Area& srcArea, PixelPlane& dst, UINT dx, UINT dy,
              UINT dz) {
  const FormatLayout& layout = src.Layout();
  const size_t rowBytes = RowBytes(layout, srcArea.Width());
  const UINT unitHeight = UnitHeight(layout);
  const UINT rows = (srcArea.Height() + unitHeight - 1) / unitHeight;
  const bool wholeRows = srcArea.left == 0 && dx == 0 && rowBytes == src.RowPitch() &&
                         src.RowPitch() == dst.RowPitch();
  if (wholeRows && &src != &dst) {
    // Rows that fill the pitch on both sides: each slice is one run of bytes.
    for (UINT z = 0; z < srcArea.Depth(); ++z) {
      std::memcpy(dst.At(0, dy, dz + z), src.At(0, srcArea.top, srcArea.front + z),
                  rowBytes * rows);
    }
    return;
  }
  for (UINT z = 0; z < srcArea.Depth(); ++z) {
    for (UINT row = 0; row < rows; ++row) {
      const BYTE* from = src.At(srcArea.left, srcArea.top + row * unitHeight, srcArea.front + z);
      BYTE* to = dst.At(dx, dy + row * unitHeight, dz + z);
      std::memmove(to, from, rowBytes);
    }
  }
}

bool ValidLockFlags(DWORD flags, bool dynamic, bool buffer) {
  const DWORD known = D3DLOCK_READONLY | D3DLOCK_NOSYSLOCK | D3DLOCK_NOOVERWRITE |
                      D3DLOCK_DISCARD | D3DLOCK_DONOTWAIT | D3DLOCK_NO_DIRTY_UPDATE;
  if (flags & ~known) return false;
  if ((flags & D3DLOCK_READONLY) && (flags & (D3DLOCK_DISCARD | D3DLOCK_NOOVERWRITE))) {
    return false;
  }
  if ((flags & D3DLOCK_DISCARD) && !dynamic) return false;
  if ((flags & D3DLOCK_NOOVERWRITE) && !buffer) return false;
  return true;
}

}  // namespace d3d9rt
