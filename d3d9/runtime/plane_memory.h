// The memory of pixel planes. A released block is kept for a while and handed out again to the
// next plane of the same size, as a driver's heap would: a program that creates and releases
// textures of one size over and over (loading one file after another, say) then does not take
// fresh pages from the system, and fault each of them in, every time. What is kept is bounded
// in bytes and in blocks; small blocks go straight back to the C heap, which reuses them well.
#pragma once

#include <cstddef>

#include "d3d9/d3d9_types.h"

namespace d3d9rt {

class PlaneMemory {
 public:
  PlaneMemory() = default;
  ~PlaneMemory() { Release(); }
  PlaneMemory(PlaneMemory&& other) noexcept : bits_(other.bits_), size_(other.size_) {
    other.bits_ = nullptr;
    other.size_ = 0;
  }
  PlaneMemory& operator=(PlaneMemory&& other) noexcept;
  PlaneMemory(const PlaneMemory&) = delete;
  PlaneMemory& operator=(const PlaneMemory&) = delete;

  // `size` zeroed bytes, or empty memory when they can't be had.
  static PlaneMemory Zeroed(size_t size);
  // `size` bytes whose contents are undefined: a kept block as its last plane left it, or
  // fresh zeroed memory.
  static PlaneMemory Undefined(size_t size);

  BYTE* get() const { return bits_; }
  size_t size() const { return size_; }
  explicit operator bool() const { return bits_ != nullptr; }

 private:
  static PlaneMemory Get(size_t size, bool zeroed);
  void Release();

  BYTE* bits_ = nullptr;
  size_t size_ = 0;
};

// Blocks kept for reuse now, and their bytes.
size_t KeptPlaneBlocks();
size_t KeptPlaneBytes();

}  // namespace d3d9rt
