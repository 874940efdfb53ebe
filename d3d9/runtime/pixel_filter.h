// The runtime's own pixel work: halving levels for automatic mipmaps, StretchRect resampling,
// and colour fills. They compute on the channel fields of format_layout.h.
#pragma once

#include "d3d9/d3d9_types.h"
#include "d3d9/runtime/pixel_plane.h"

namespace d3d9rt {

// Fills `dst` (a level half the size of `src`, or 1 where `src` is 1) from `src`: D3DTEXF_POINT
// takes the top-left texel of each 2x2 (2x2x2) group, anything else averages the group per
// field with rounding, (sum + n / 2) / n. Formats that can't be computed with are left alone.
void HalvePlane(const PixelPlane& src, PixelPlane& dst, D3DTEXTUREFILTERTYPE filter);

// True when StretchArea can resample the format (not only copy it at the same size).
bool CanResample(D3DFORMAT format);

// Resamples `srcArea` of `src` into `dstArea` of `dst` (same format, 2D, pixel storage).
// D3DTEXF_LINEAR interpolates between the two nearest texels on each axis, sample points at
// texel centres, edges clamped; other filters take the nearest texel. Equal sizes copy bytes.
void StretchArea(const PixelPlane& src, const Area& srcArea, PixelPlane& dst,
                 const Area& dstArea, D3DTEXTUREFILTERTYPE filter);

// Packs a D3DCOLOR into one pixel of `format` (unorm colour and float formats with red, green,
// blue or alpha fields). Returns false for formats a colour fill does not support.
bool PackColor(D3DFORMAT format, D3DCOLOR color, BYTE* pixel);

// Packs depth (clamped to 0..1) and stencil into one pixel of a depth-stencil format, and sets
// `mask` to the bits written, so that a clear of depth alone keeps the stencil. Returns false
// for formats without a depth field (or without a stencil field when only stencil is asked).
bool PackDepthStencil(D3DFORMAT format, bool writeDepth, float depth, bool writeStencil,
                      DWORD stencil, BYTE* pixel, BYTE* mask);

// Writes `pixel` (the format's bytes) to every pixel of `area` (pixel storage formats); with a
// `mask`, only the bits set in it change.
void FillArea(PixelPlane& plane, const Area& area, const BYTE* pixel, const BYTE* mask = nullptr);

}  // namespace d3d9rt
