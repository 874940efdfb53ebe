// The SSE2 row kernels (every x86-64 processor has SSE2); empty elsewhere.
#pragma once

#include <span>

#include "ut/pixel/pixel_row_kernels.h"

std::span<const PixelRowKernels> PixelRowKernelsSse2();
