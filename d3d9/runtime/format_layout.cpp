#include "d3d9/runtime/format_layout.h"

namespace d3d9rt {
namespace {

constexpr Field R(uint8_t shift, uint8_t bits) { return {Channel::kRed, shift, bits}; }
constexpr Field G(uint8_t shift, uint8_t bits) { return {Channel::kGreen, shift, bits}; }
constexpr Field B(uint8_t shift, uint8_t bits) { return {Channel::kBlue, shift, bits}; }
constexpr Field A(uint8_t shift, uint8_t bits) { return {Channel::kAlpha, shift, bits}; }
constexpr Field L(uint8_t shift, uint8_t bits) { return {Channel::kLuminance, shift, bits}; }
constexpr Field X(uint8_t shift, uint8_t bits) { return {Channel::kUnused, shift, bits}; }
constexpr Field D(uint8_t shift, uint8_t bits) { return {Channel::kDepth, shift, bits}; }
constexpr Field S(uint8_t shift, uint8_t bits) { return {Channel::kStencil, shift, bits}; }
constexpr Field kEnd = {Channel::kNone, 0, 0};

constexpr Storage P = Storage::kPixel;
constexpr Numeric U = Numeric::kUnorm;
constexpr Numeric O = Numeric::kOpaque;

// Fields are listed from the least significant bit of the little-endian pixel value; a format
// named A8R8G8B8 therefore stores blue in byte 0 and alpha in byte 3.
constexpr FormatLayout kLayouts[] = {
    // 8-, 16- and 32-bit colour
    {D3DFMT_R8G8B8, P, 3, U, {B(0, 8), G(8, 8), R(16, 8), kEnd}},
    {D3DFMT_A8R8G8B8, P, 4, U, {B(0, 8), G(8, 8), R(16, 8), A(24, 8)}},
    {D3DFMT_X8R8G8B8, P, 4, U, {B(0, 8), G(8, 8), R(16, 8), X(24, 8)}},
    {D3DFMT_R5G6B5, P, 2, U, {B(0, 5), G(5, 6), R(11, 5), kEnd}},
    {D3DFMT_X1R5G5B5, P, 2, U, {B(0, 5), G(5, 5), R(10, 5), X(15, 1)}},
    {D3DFMT_A1R5G5B5, P, 2, U, {B(0, 5), G(5, 5), R(10, 5), A(15, 1)}},
    {D3DFMT_A4R4G4B4, P, 2, U, {B(0, 4), G(4, 4), R(8, 4), A(12, 4)}},
    {D3DFMT_R3G3B2, P, 1, U, {B(0, 2), G(2, 3), R(5, 3), kEnd}},
    {D3DFMT_A8, P, 1, U, {A(0, 8), kEnd, kEnd, kEnd}},
    {D3DFMT_A8R3G3B2, P, 2, U, {B(0, 2), G(2, 3), R(5, 3), A(8, 8)}},
    {D3DFMT_X4R4G4B4, P, 2, U, {B(0, 4), G(4, 4), R(8, 4), X(12, 4)}},
    {D3DFMT_A2B10G10R10, P, 4, U, {R(0, 10), G(10, 10), B(20, 10), A(30, 2)}},
    {D3DFMT_A8B8G8R8, P, 4, U, {R(0, 8), G(8, 8), B(16, 8), A(24, 8)}},
    {D3DFMT_X8B8G8R8, P, 4, U, {R(0, 8), G(8, 8), B(16, 8), X(24, 8)}},
    {D3DFMT_G16R16, P, 4, U, {R(0, 16), G(16, 16), kEnd, kEnd}},
    {D3DFMT_A2R10G10B10, P, 4, U, {B(0, 10), G(10, 10), R(20, 10), A(30, 2)}},
    {D3DFMT_A16B16G16R16, P, 8, U, {R(0, 16), G(16, 16), B(32, 16), A(48, 16)}},
    {D3DFMT_A2B10G10R10_XR_BIAS, P, 4, O, {kEnd, kEnd, kEnd, kEnd}},
    // Palette indices: computing with them would need the palette.
    {D3DFMT_A8P8, P, 2, O, {kEnd, kEnd, kEnd, kEnd}},
    {D3DFMT_P8, P, 1, O, {kEnd, kEnd, kEnd, kEnd}},
    // Luminance
    {D3DFMT_L8, P, 1, U, {L(0, 8), kEnd, kEnd, kEnd}},
    {D3DFMT_A8L8, P, 2, U, {L(0, 8), A(8, 8), kEnd, kEnd}},
    {D3DFMT_A4L4, P, 1, U, {L(0, 4), A(4, 4), kEnd, kEnd}},
    {D3DFMT_L16, P, 2, U, {L(0, 16), kEnd, kEnd, kEnd}},
    // Signed: stored as two's complement, which the unsigned filters must not average.
    {D3DFMT_V8U8, P, 2, O, {kEnd, kEnd, kEnd, kEnd}},
    {D3DFMT_L6V5U5, P, 2, O, {kEnd, kEnd, kEnd, kEnd}},
    {D3DFMT_X8L8V8U8, P, 4, O, {kEnd, kEnd, kEnd, kEnd}},
    {D3DFMT_Q8W8V8U8, P, 4, O, {kEnd, kEnd, kEnd, kEnd}},
    {D3DFMT_V16U16, P, 4, O, {kEnd, kEnd, kEnd, kEnd}},
    {D3DFMT_A2W10V10U10, P, 4, O, {kEnd, kEnd, kEnd, kEnd}},
    {D3DFMT_Q16W16V16U16, P, 8, O, {kEnd, kEnd, kEnd, kEnd}},
    {D3DFMT_CxV8U8, P, 2, O, {kEnd, kEnd, kEnd, kEnd}},
    // Two pixels in 4 bytes; a lone last pixel of an odd row still takes a whole pair.
    {D3DFMT_UYVY, Storage::kPair, 4, O, {kEnd, kEnd, kEnd, kEnd}},
    {D3DFMT_R8G8_B8G8, Storage::kPair, 4, O, {kEnd, kEnd, kEnd, kEnd}},
    {D3DFMT_YUY2, Storage::kPair, 4, O, {kEnd, kEnd, kEnd, kEnd}},
    {D3DFMT_G8R8_G8B8, Storage::kPair, 4, O, {kEnd, kEnd, kEnd, kEnd}},
    // 4x4 blocks; levels smaller than a block still take a whole block.
    {D3DFMT_DXT1, Storage::kBlock, 8, O, {kEnd, kEnd, kEnd, kEnd}},
    {D3DFMT_DXT2, Storage::kBlock, 16, O, {kEnd, kEnd, kEnd, kEnd}},
    {D3DFMT_DXT3, Storage::kBlock, 16, O, {kEnd, kEnd, kEnd, kEnd}},
    {D3DFMT_DXT4, Storage::kBlock, 16, O, {kEnd, kEnd, kEnd, kEnd}},
    {D3DFMT_DXT5, Storage::kBlock, 16, O, {kEnd, kEnd, kEnd, kEnd}},
    // Depth and stencil, named from the most significant bits down.
    {D3DFMT_D16_LOCKABLE, P, 2, U, {D(0, 16), kEnd, kEnd, kEnd}},
    {D3DFMT_D32, P, 4, U, {D(0, 32), kEnd, kEnd, kEnd}},
    {D3DFMT_D15S1, P, 2, U, {S(0, 1), D(1, 15), kEnd, kEnd}},
    {D3DFMT_D24S8, P, 4, U, {S(0, 8), D(8, 24), kEnd, kEnd}},
    {D3DFMT_D24X8, P, 4, U, {X(0, 8), D(8, 24), kEnd, kEnd}},
    {D3DFMT_D24X4S4, P, 4, U, {S(0, 4), X(4, 4), D(8, 24), kEnd}},
    {D3DFMT_D16, P, 2, U, {D(0, 16), kEnd, kEnd, kEnd}},
    {D3DFMT_D32F_LOCKABLE, P, 4, Numeric::kFloat32, {D(0, 32), kEnd, kEnd, kEnd}},
    {D3DFMT_D24FS8, P, 4, O, {S(0, 8), D(8, 24), kEnd, kEnd}},
    // Floating point
    {D3DFMT_R16F, P, 2, Numeric::kFloat16, {R(0, 16), kEnd, kEnd, kEnd}},
    {D3DFMT_G16R16F, P, 4, Numeric::kFloat16, {R(0, 16), G(16, 16), kEnd, kEnd}},
    {D3DFMT_A16B16G16R16F, P, 8, Numeric::kFloat16, {R(0, 16), G(16, 16), B(32, 16), A(48, 16)}},
    {D3DFMT_R32F, P, 4, Numeric::kFloat32, {R(0, 32), kEnd, kEnd, kEnd}},
    {D3DFMT_G32R32F, P, 8, Numeric::kFloat32, {R(0, 32), G(32, 32), kEnd, kEnd}},
    {D3DFMT_A32B32G32R32F, P, 16, Numeric::kFloat32, {R(0, 32), G(32, 32), B(64, 32), A(96, 32)}},
};

}  // namespace

const FormatLayout* FindFormatLayout(D3DFORMAT format) {
  for (const FormatLayout& layout : kLayouts) {
    if (layout.format == format) return &layout;
  }
  return nullptr;
}

bool ComputeFootprint(const FormatLayout& layout, UINT width, UINT height, LevelFootprint* out) {
  uint64_t rowBytes = 0;
  uint64_t rows = height;
  switch (layout.storage) {
    case Storage::kPixel:
      // Rows start on 4-byte boundaries, as the hardware runtime aligns them.
      rowBytes = (static_cast<uint64_t>(width) * layout.bytes + 3) & ~uint64_t{3};
      break;
    case Storage::kBlock:
      rowBytes = ((static_cast<uint64_t>(width) + 3) / 4) * layout.bytes;
      rows = (static_cast<uint64_t>(height) + 3) / 4;
      break;
    case Storage::kPair:
      rowBytes = ((static_cast<uint64_t>(width) + 1) / 2) * layout.bytes;
      break;
  }
  const uint64_t slice = rowBytes * rows;
  if (rowBytes > 0x7fffffffu || slice > 0xffffffffu) return false;
  out->rowPitch = static_cast<UINT>(rowBytes);
  out->rows = static_cast<UINT>(rows);
  out->slicePitch = static_cast<UINT>(slice);
  return true;
}

UINT FullChainLength(UINT width, UINT height, UINT depth) {
  UINT largest = width > height ? width : height;
  if (depth > largest) largest = depth;
  UINT levels = 1;
  while (largest > 1) {
    largest >>= 1;
    ++levels;
  }
  return levels;
}

bool IsDepthFormat(D3DFORMAT f) {
  const FormatLayout* layout = FindFormatLayout(f);
  if (!layout) return false;
  for (const Field& field : layout->fields) {
    if (field.channel == Channel::kDepth) return true;
  }
  return false;
}

bool IsLockableDepthFormat(D3DFORMAT f) {
  return f == D3DFMT_D16_LOCKABLE || f == D3DFMT_D32F_LOCKABLE;
}

}  // namespace d3d9rt
