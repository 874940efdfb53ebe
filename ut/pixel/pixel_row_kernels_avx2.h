// The AVX2 row kernels, for processors that have AVX2 (checked by the caller); none elsewhere.
//
// Their file is built with -mavx2, so it must not instantiate any inline function that other
// files share (the linker could keep its AVX2 copy for everyone): it uses intrinsics and its own
// helpers only, and hands its table out as a plain pointer and count.
#pragma once

#include <cstddef>

#include "ut/pixel/pixel_row_kernels.h"

// Call only when the processor has AVX2 (nothing in this file may run before that check).
const PixelRowKernels* PixelRowKernelsAvx2(size_t* count);
