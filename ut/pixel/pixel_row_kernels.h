// Processor-specific row loops for the commonest per-pixel formats. Each gives exactly the
// result of the generic arithmetic of its format's codec (tests compare them bit for bit), and
// covers only the plain case: decoding a row, and encoding a row without dithering or error
// diffusion (every offset 0.5). Colour keying, gamma, kind conversion and the luminance step
// stay with the codec.
#pragma once

#include <span>

#include "d3d9/d3d9.h"
#include "ut_math.h"

struct PixelRowKernels {
  D3DFORMAT format;
  const char* name;  // instruction set, e.g. "sse2"
  void (*decode)(const BYTE* src, UtColor* out, unsigned n);
  void (*encode)(const UtColor* in, BYTE* dst, unsigned n);
};

// One instruction set's kernels, and whether this processor has that instruction set.
struct PixelRowKernelFamily {
  const char* name;
  std::span<const PixelRowKernels> (*kernels)();
  bool (*available)();
};

// Every family, in order of preference (tests run each one that the processor has).
std::span<const PixelRowKernelFamily> PixelRowKernelFamilies();

// The kernels of `format` for this processor, or null (then the codec runs its generic loops).
// Codecs look them up once, when they are created.
const PixelRowKernels* FindPixelRowKernels(D3DFORMAT format);

// Switch for tests and for comparing paths: with false, FindPixelRowKernels finds nothing, so
// codecs created afterwards run the generic loops only. Setting the environment variable
// UT_PIXEL_GENERIC (to anything) starts the process with the kernels disabled; UT_PIXEL_DISABLE
// leaves out the families it names ("avx512", "avx2", "sse2").
void SetPixelRowKernelsEnabled(bool enabled);
bool PixelRowKernelsEnabled();
