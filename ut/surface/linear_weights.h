// BuildLinearWeights: the table of one axis of the linear filter. Destination pixel i samples
// the source at (i + 0.5) x S / D and blends the two source pixels whose centres surround that
// point.
#pragma once

#include <memory>

#include "win32/win32_types.h"

struct LinearWeight {
  UINT first;
  float firstWeight;
  UINT second;
  float secondWeight;
};

// D records for S source pixels. Beyond an edge the neighbour is the pixel at the other end
// when wrapping, else the edge pixel itself (the sample point is at most half a pixel outside,
// so repeating the edge is the same as mirroring). Null when S or D is 0 or memory runs out.
std::unique_ptr<LinearWeight[]> BuildLinearWeights(UINT source, UINT destination, bool wrap);
