// Surfaces and volumes: loading pixels from memory and from other surfaces or volumes, with
// format conversion and resampling, and filtering the mip levels of a texture.
#pragma once

#include "d3d9/d3d9.h"
#include "ut_defaults.h"

// Filter flags: the low 16 bits hold one filter type, bits 16 to 22 options; any higher bit
// makes the value invalid. UT_DEFAULT as a filter of the loading entry points means
// UT_FILTER_TRIANGLE | UT_FILTER_DITHER.
#define UT_FILTER_NONE 0x00000001u      // copy the overlapping top-left part, clear the rest
#define UT_FILTER_POINT 0x00000002u     // nearest source pixel
#define UT_FILTER_LINEAR 0x00000003u    // bilinear (trilinear for boxes) interpolation
#define UT_FILTER_TRIANGLE 0x00000004u  // average of the tent-interpolated source per pixel
#define UT_FILTER_BOX 0x00000005u       // 2x2 (2x2x2) averages for exact halving, else TRIANGLE
#define UT_FILTER_MIRROR_U 0x00010000u  // mirror at the left and right edges instead of wrapping
#define UT_FILTER_MIRROR_V 0x00020000u  // the same at the top and bottom edges
#define UT_FILTER_MIRROR_W 0x00040000u  // the same at the front and back edges
#define UT_FILTER_MIRROR 0x00070000u
#define UT_FILTER_DITHER 0x00080000u            // ordered dithering of the destination
#define UT_FILTER_DITHER_DIFFUSION 0x00100000u  // error-diffusion dithering of the destination
#define UT_FILTER_SRGB_IN 0x00200000u   // the source values are gamma encoded
#define UT_FILTER_SRGB_OUT 0x00400000u  // the destination values are to be gamma encoded
#define UT_FILTER_SRGB 0x00600000u
