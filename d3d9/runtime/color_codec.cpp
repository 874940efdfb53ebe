#include "d3d9/runtime/color_codec.h"

#include <algorithm>
#include <bit>

#include "d3d9/runtime/half_float.h"

namespace d3d9rt {
namespace {

constexpr uint8_t kLuminance = 4;

uint32_t MaskOf(unsigned bits) { return bits >= 32 ? 0xffffffffu : (1u << bits) - 1u; }

// Bits [shift, shift + bits) of a little-endian pixel of `size` bytes (bits at most 32).
uint32_t ReadBits(const BYTE* pixel, UINT size, unsigned shift, unsigned bits) {
  const unsigned first = shift / 8;
  uint64_t window = 0;
  for (unsigned i = 0; i < 5 && first + i < size; ++i) {
    window |= static_cast<uint64_t>(pixel[first + i]) << (8 * i);
  }
  return static_cast<uint32_t>(window >> (shift % 8)) & MaskOf(bits);
}

void WriteBits(BYTE* pixel, UINT size, unsigned shift, unsigned bits, uint32_t value) {
  const unsigned first = shift / 8;
  const unsigned offset = shift % 8;
  const uint64_t mask = static_cast<uint64_t>(MaskOf(bits)) << offset;
  const uint64_t placed = (static_cast<uint64_t>(value) << offset) & mask;
  for (unsigned i = 0; i < 5 && first + i < size; ++i) {
    const BYTE m = static_cast<BYTE>(mask >> (8 * i));
    pixel[first + i] = static_cast<BYTE>((pixel[first + i] & ~m) | (static_cast<BYTE>(placed >> (8 * i)) & m));
  }
}

// A float channel as 8 bits: clamped to 0..1, then rounded.
uint32_t FloatTo8(float value) {
  if (!(value > 0.0f)) return 0;  // NaN too
  if (value >= 1.0f) return 255;
  return static_cast<uint32_t>(value * 255.0f + 0.5f);
}

}  // namespace

bool ColorCodec::Init(const FormatLayout& layout) {
  if (layout.storage != Storage::kPixel || layout.numeric == Numeric::kOpaque) return false;
  count_ = 0;
  bytes_ = layout.bytes;
  numeric_ = layout.numeric;
  bool colour[3] = {}, alpha = false;
  for (const Field& f : layout.fields) {
    uint8_t source;
    switch (f.channel) {
      case Channel::kBlue: source = 0; colour[0] = true; break;
      case Channel::kGreen: source = 1; colour[1] = true; break;
      case Channel::kRed: source = 2; colour[2] = true; break;
      case Channel::kAlpha: source = 3; alpha = true; break;
      case Channel::kLuminance:
        source = kLuminance;
        colour[0] = colour[1] = colour[2] = true;
        break;
      case Channel::kNone: continue;
      default: continue;  // X fields, and depth and stencil, which hold no colour
    }
    if (f.bits > 32) return false;
    parts_[count_++] = {source, f.shift, f.bits};
  }
  if (count_ == 0) return false;
  const bool alphaOnly = alpha && !colour[0] && !colour[1] && !colour[2];
  missing_ = alpha ? 0 : 0xff000000u;
  for (int c = 0; c < 3; ++c) {
    if (!colour[c] && !alphaOnly) missing_ |= 0xffu << (8 * c);
  }
  return true;
}

D3DCOLOR ColorCodec::Decode(const BYTE* pixel) const {
  D3DCOLOR color = missing_;
  for (int i = 0; i < count_; ++i) {
    const Part& p = parts_[i];
    const uint32_t raw = ReadBits(pixel, bytes_, p.shift, p.bits);
    uint32_t value;
    switch (numeric_) {
      case Numeric::kFloat16:
        value = FloatTo8(HalfToFloat(static_cast<uint16_t>(raw)));
        break;
      case Numeric::kFloat32:
        value = FloatTo8(std::bit_cast<float>(raw));
        break;
      default: {
        const uint64_t mask = MaskOf(p.bits);
        value = static_cast<uint32_t>((raw * uint64_t{255} + mask / 2) / mask);
        break;
      }
    }
    if (p.source == kLuminance) {
      color |= value | (value << 8) | (value << 16);
    } else {
      color |= value << (8 * p.source);
    }
  }
  return color;
}

void ColorCodec::Encode(D3DCOLOR color, BYTE* pixel) const {
  std::fill_n(pixel, bytes_, BYTE{0});
  for (int i = 0; i < count_; ++i) {
    const Part& p = parts_[i];
    uint32_t channel;
    if (p.source == kLuminance) {
      // Rec. 601 luma, the weights of the hardware's luminance targets.
      const uint32_t r = (color >> 16) & 0xffu, g = (color >> 8) & 0xffu, b = color & 0xffu;
      channel = (r * 299 + g * 587 + b * 114 + 500) / 1000;
    } else {
      channel = (color >> (8 * p.source)) & 0xffu;
    }
    uint32_t raw;
    switch (numeric_) {
      case Numeric::kFloat16:
        raw = FloatToHalf(static_cast<float>(channel) / 255.0f);
        break;
      case Numeric::kFloat32:
        raw = std::bit_cast<uint32_t>(static_cast<float>(channel) / 255.0f);
        break;
      default:
        if (p.bits <= 8) {
          raw = channel >> (8 - p.bits);
        } else {
          const uint64_t mask = MaskOf(p.bits);
          raw = static_cast<uint32_t>((channel * mask + 127) / 255);
        }
        break;
    }
    WriteBits(pixel, bytes_, p.shift, p.bits, raw);
  }
}

}  // namespace d3d9rt
