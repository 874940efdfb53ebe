// The pixels of one row of a triangle: the depth test and write, stage 0's colour and the
// write into the render target. One function per combination of depth format, shading and
// target, chosen once per draw, so that the loop over pixels makes no call it could avoid.
#pragma once

#include "d3d9/runtime/draw_setup.h"

namespace d3d9rt {

// The interpolated attributes at a span's first pixel, and their steps.
struct SpanStart {
  double z;  // depth after the viewport's mapping
  float invW, uw, vw;
};
struct SpanGradients {
  double dzdx;
  float dInvWdx, dUwdx, dVwdx;  // per pixel to the right
  float dInvWdy, dUwdy, dVwdy;  // per row down, for the level of detail
};

// Shades pixels x0..x1 (inclusive) of row y.
using SpanFunction = void (*)(const DrawSetup& setup, const SpanStart& start,
                              const SpanGradients& gradients, int y, int x0, int x1);

SpanFunction ChooseSpanFunction(const DrawSetup& setup);

}  // namespace d3d9rt
