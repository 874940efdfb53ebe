// BoxHalveRow: exact 2:1 halving of rows of stored pixels with integer arithmetic, for the
// common 8-, 16- and 32-bit formats. Every field of destination pixel i is
// (sum of that field in source pixels 2i and 2i + 1 of both rows + 2) >> 2; X fields are
// written as 0, as the codecs write them.
//
// The portable routines serve every listed format; the SSE2 and AVX2 routines the 32-bit
// formats. All give the same bytes (tests compare them over one table of inputs).
#pragma once

#include <span>

#include "d3d9/d3d9.h"

// `upper` and `lower` hold 2 x width stored pixels each; `out` receives width pixels.
using BoxHalveRowFn = void (*)(const BYTE* upper, const BYTE* lower, BYTE* out, UINT width);

struct BoxHalveKernel {
  D3DFORMAT format;
  const char* name;  // "portable" or the instruction set
  BoxHalveRowFn halve;
};

// Every listed format, in the order of the halving list.
std::span<const BoxHalveKernel> BoxHalveKernelsPortable();
// The SSE2 routines of the 32-bit formats; empty where the build has no SSE2.
std::span<const BoxHalveKernel> BoxHalveKernelsSse2();
// The AVX2 routines of the 32-bit formats; empty where the build has no AVX2 (run them only
// when BoxHalveAvx2Available).
std::span<const BoxHalveKernel> BoxHalveKernelsAvx2();
bool BoxHalveAvx2Available();

// The routine the engine uses for `format`, or null when the format has no integer halving.
// The SIMD routines are chosen once per process, by IsMmxAvailable.
const BoxHalveKernel* FindBoxHalveKernel(D3DFORMAT format);

// For tests: false makes FindBoxHalveKernel give the portable routines only.
void SetBoxHalveSimdEnabled(bool enabled);
bool BoxHalveSimdEnabled();
