#include "d3d9/runtime/plane_memory.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define UT_PLANE_POISONING 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UT_PLANE_POISONING 1
#endif
#endif
#ifdef UT_PLANE_POISONING
#include <sanitizer/asan_interface.h>
#endif

namespace d3d9rt {
namespace {

// Under AddressSanitizer a kept block is poisoned until it is handed out again, so a plane
// used after its release is still reported, as it would be after free().
void Poison(BYTE* bits, size_t size) {
#ifdef UT_PLANE_POISONING
  ASAN_POISON_MEMORY_REGION(bits, size);
#else
  (void)bits;
  (void)size;
#endif
}

void Unpoison(BYTE* bits, size_t size) {
#ifdef UT_PLANE_POISONING
  ASAN_UNPOISON_MEMORY_REGION(bits, size);
#else
  (void)bits;
  (void)size;
#endif
}

// Below this the C heap keeps and reuses blocks itself; above it, glibc maps and unmaps them
// or trims them off the heap, so a released level's pages would be gone by the next creation.
constexpr size_t kSmallestKeptBlock = size_t{64} << 10;
// Enough for the levels of a few large textures, little beside what a program holds anyway.
constexpr size_t kMaxKeptBytes = size_t{32} << 20;
constexpr size_t kMaxKeptBlocks = 16;

struct KeptBlock {
  BYTE* bits;
  size_t size;
};

struct Cache {
  std::mutex mutex;
  std::vector<KeptBlock> blocks;  // oldest first
  size_t bytes = 0;
};

Cache& TheCache() {
  // Never destroyed: planes of static objects may be released after it would be.
  static Cache* cache = new Cache;
  return *cache;
}

// A kept block of exactly `size` bytes, the most recently released one; null when none.
BYTE* TakeKept(size_t size) {
  Cache& c = TheCache();
  std::lock_guard<std::mutex> lock(c.mutex);
  for (size_t i = c.blocks.size(); i-- > 0;) {
    if (c.blocks[i].size != size) continue;
    BYTE* bits = c.blocks[i].bits;
    c.blocks.erase(c.blocks.begin() + static_cast<std::ptrdiff_t>(i));
    c.bytes -= size;
    Unpoison(bits, size);
    return bits;
  }
  return nullptr;
}

// Keeps `bits` for reuse, dropping the oldest blocks beyond the bounds; false when the block
// is not worth keeping.
bool Keep(BYTE* bits, size_t size) {
  if (size < kSmallestKeptBlock || size > kMaxKeptBytes) return false;
  std::vector<KeptBlock> dropped;
  {
    Cache& c = TheCache();
    std::lock_guard<std::mutex> lock(c.mutex);
    Poison(bits, size);
    c.blocks.push_back({bits, size});
    c.bytes += size;
    size_t oldest = 0;
    while (c.bytes > kMaxKeptBytes || c.blocks.size() - oldest > kMaxKeptBlocks) {
      dropped.push_back(c.blocks[oldest]);
      c.bytes -= c.blocks[oldest].size;
      ++oldest;
    }
    c.blocks.erase(c.blocks.begin(), c.blocks.begin() + static_cast<std::ptrdiff_t>(oldest));
  }
  for (const KeptBlock& block : dropped) {
    Unpoison(block.bits, block.size);
    std::free(block.bits);
  }
  return true;
}

}  // namespace

PlaneMemory& PlaneMemory::operator=(PlaneMemory&& other) noexcept {
  if (this != &other) {
    Release();
    bits_ = other.bits_;
    size_ = other.size_;
    other.bits_ = nullptr;
    other.size_ = 0;
  }
  return *this;
}

PlaneMemory PlaneMemory::Zeroed(size_t size) { return Get(size, true); }
PlaneMemory PlaneMemory::Undefined(size_t size) { return Get(size, false); }

PlaneMemory PlaneMemory::Get(size_t size, bool zeroed) {
  PlaneMemory memory;
  if (BYTE* kept = TakeKept(size)) {
    if (zeroed) std::memset(kept, 0, size);
    memory.bits_ = kept;
  } else {
    // calloc leaves fresh pages from the system as they come, already zero.
    memory.bits_ = static_cast<BYTE*>(std::calloc(size ? size : 1, 1));
  }
  if (memory.bits_) memory.size_ = size;
  return memory;
}

void PlaneMemory::Release() {
  if (bits_ && !Keep(bits_, size_)) std::free(bits_);
  bits_ = nullptr;
  size_ = 0;
}

size_t KeptPlaneBlocks() {
  Cache& c = TheCache();
  std::lock_guard<std::mutex> lock(c.mutex);
  return c.blocks.size();
}

size_t KeptPlaneBytes() {
  Cache& c = TheCache();
  std::lock_guard<std::mutex> lock(c.mutex);
  return c.bytes;
}

}  // namespace d3d9rt
