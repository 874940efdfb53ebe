// The AVX2 form of the demo's textured span (see BilinearWrapSpan in span_shader.cpp): eight
// pixels at a time, the four texels of each by gathers, weighed with the same 8-bit fractions
// and roundings as Bilinear, the depth test as a vector compare, masked stores at the span's
// ends. Byte for byte what the scalar loop writes.
//
// Its file is built with -mavx2, so it includes no header with inline functions that other files
// share (the linker could keep its AVX2 copy for everyone): it takes a plain struct.
#pragma once

#include <cstdint>

namespace d3d9rt {

struct BilinearSpanJob {
  uint32_t* color;  // the span's first pixel
  uint32_t* depth;  // the span's first depth word; null without a depth test
  int count;        // pixels
  // Texture coordinates in 16.16 fixed point of texels, half a texel back (only the low 32 bits
  // matter: the texel index and fraction sit in bits 8..31), and their steps per pixel.
  uint32_t u, du, v, dv;
  const uint8_t* bits;  // level 0 of the texture, 32-bit texels
  uint32_t pitch;
  uint32_t maskX, maskY;  // width - 1, height - 1 (powers of two up to 65536)
  uint32_t alpha;         // or-ed into every texel (0xff000000 for X8R8G8B8)
  uint32_t keep;          // the bits of the colour the target stores
  // Unorm depth: round(z * max) as (fixed + 2^23) >> 24 clamped to 0..maxKey, in place at
  // `shift` within `field`.
  int64_t fixed, fixedStep, maxKey;
  uint32_t shift, field, passMask;  // passMask: bit 0 less, bit 1 equal, bit 2 greater
  bool write;
};

// Whether the processor has AVX2 (and the system saves its registers).
bool HaveBilinearSpanAvx2();

// Call only when HaveBilinearSpanAvx2().
void BilinearSpanAvx2(const BilinearSpanJob& job);

}  // namespace d3d9rt
