// The SSSE3 form of PackXrgbRow: one byte shuffle turns 12 bytes of R, G, B into four pixels.

#include "ut/image/xrgb_row.h"

#if defined(__x86_64__) || defined(__i386__)

#include <tmmintrin.h>

__attribute__((target("ssse3"))) void PackXrgbRowSsse3(const BYTE* rgb, uint32_t* xrgb, UINT width) {
  // Output byte 4k + 0 is B of pixel k (input byte 3k + 2), then G (3k + 1), R (3k); the index
  // -1 (top bit set) makes the fourth byte 0.
  const __m128i toXrgb = _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1);
  UINT x = 0;
  // Each step reads 16 bytes and uses 12; it stops while 16 are still inside the row, and the
  // portable routine packs the rest.
  for (; x + 6 <= width; x += 4) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgb + 3 * size_t{x}));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(xrgb + x), _mm_shuffle_epi8(bytes, toXrgb));
  }
  PackXrgbRowGeneric(rgb + 3 * size_t{x}, xrgb + x, width - x);
}

#else

void PackXrgbRowSsse3(const BYTE* rgb, uint32_t* xrgb, UINT width) { PackXrgbRowGeneric(rgb, xrgb, width); }

#endif
