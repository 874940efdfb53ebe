// What one draw takes from the device state, settled once before any vertex is read: the
// combined transform, the viewport mapping, culling, the depth test, the colour target and
// stage 0's colour. States this rasteriser can't carry out (blending, fog, stencil, other
// texture operations...) make the draw fail with D3DERR_NOTAVAILABLE rather than draw
// something else.
#pragma once

#include <cstdint>

#include "d3d9/runtime/color_codec.h"
#include "d3d9/runtime/device_state.h"
#include "d3d9/runtime/texture_sampler.h"

namespace d3d9rt {

enum class ColorWrite : uint8_t {
  kBgra32,  // D3DFMT_A8R8G8B8 and D3DFMT_X8R8G8B8: the D3DCOLOR itself
  kCodec,   // any other computable format
};

struct ColorTarget {
  Surface* surface;
  BYTE* bits;
  UINT pitch;
  ColorWrite kind;
  uint32_t keep;  // kBgra32: the bits of the D3DCOLOR that are stored (X8R8G8B8 stores no alpha)
  ColorCodec codec;
};

// A depth field inside a 16- or 32-bit pixel: unorm depth is round(z * max), float depth (z in
// 0..1, never negative) compares by its bits, which order as the values do.
struct DepthTarget {
  BYTE* bits;
  UINT pitch;
  UINT bytes;  // 2 or 4
  unsigned shift;
  uint32_t mask;  // of the field, before the shift
  bool isFloat;
  double scale;   // unorm: the field's largest value
  DWORD passMask;  // bit 0: pass when less, bit 1: when equal, bit 2: when greater
  bool write;
};

enum class Shading : uint8_t {
  kConstant,  // one colour for the whole draw
  kTextured,  // stage 0's texture, per pixel
};

struct DrawSetup {
  float transform[4][4];  // world * view * projection
  // Screen position = offset + ndc * scale (y grows downwards); depth = minZ + z * scaleZ.
  float offsetX, offsetY, scaleX, scaleY, minZ, scaleZ;
  // Guard band in clip space: |x| <= guardX * w, |y| <= guardY * w keeps screen positions
  // inside the fixed-point range of the rasteriser.
  float guardX, guardY;
  // The pixels that may be written: viewport, render target and depth surface together.
  int left, top, right, bottom;
  DWORD cullMode;
  UINT vertexSize;
  bool texCoords;

  ColorTarget color;
  bool depthTest;
  DepthTarget depth;

  Shading shading;
  D3DCOLOR constant;  // kConstant: the colour of every pixel
  D3DCOLOR diffuse;   // kTextured: modulates the texture's colour; alpha is the texture's
  bool modulate;      // kTextured: diffuse is not white
  SamplerSetup sampler;
};

// Settles `setup` for drawing vertices of the current FVF, or returns the failure with a debug
// message naming `call`: D3DERR_INVALIDCALL without a render target, D3DERR_NOTAVAILABLE for
// states the rasteriser can't carry out. May bring automatic mip levels up to date.
HRESULT PrepareDraw(const PipelineState& state, const char* call, DrawSetup* setup);

}  // namespace d3d9rt
