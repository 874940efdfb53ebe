// The AVX-512 row kernels (foundation and byte-word instructions), for processors that have them
// (checked by the caller); none elsewhere.
//
// Their file is built with -mavx512f -mavx512bw, so like the AVX2 file it shares no inline
// function with other files and hands its table out as a plain pointer and count.
#pragma once

#include <cstddef>

#include "ut/pixel/pixel_row_kernels.h"

// Call only when the processor has AVX-512F and AVX-512BW.
const PixelRowKernels* PixelRowKernelsAvx512(size_t* count);
