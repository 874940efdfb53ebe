// Small builders for codec tests: a block description over a caller's bytes, one-pixel and
// one-row round trips, and printing of bytes and colours for failure messages.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ut/pixel/create_pixel_codec.h"
#include "ut/pixel/pixel_codec.h"

struct BlockOptions {
  BOOL orderedDither = FALSE;
  BOOL errorDiffusion = FALSE;
  BOOL gamma = FALSE;
  D3DCOLOR colorKey = 0;
  const PALETTEENTRY* palette = nullptr;
};

// A width x height x depth block whose region is the whole extent.
inline PixelBlockDesc MakeBlock(void* bits, D3DFORMAT format, UINT rowPitch, UINT width,
                                UINT height = 1, UINT depth = 1, UINT slicePitch = 0,
                                const BlockOptions& options = {}) {
  PixelBlockDesc desc{};
  desc.bits = bits;
  desc.format = format;
  desc.rowPitch = rowPitch;
  desc.slicePitch = slicePitch;
  desc.extent = D3DBOX{0, 0, width, height, 0, depth};
  desc.region = desc.extent;
  desc.orderedDither = options.orderedDither;
  desc.errorDiffusion = options.errorDiffusion;
  desc.gamma = options.gamma;
  desc.colorKey = options.colorKey;
  desc.palette = options.palette;
  return desc;
}

inline std::string HexBytes(const uint8_t* bytes, size_t n) {
  static const char kDigits[] = "0123456789abcdef";
  std::string s;
  for (size_t i = 0; i < n; ++i) {
    if (i) s += ' ';
    s += kDigits[bytes[i] >> 4];
    s += kDigits[bytes[i] & 15];
  }
  return s;
}

inline std::string ColorText(const UtColor& c) {
  std::ostringstream s;
  s.precision(9);
  s << "(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
  return s.str();
}

inline bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

inline bool SameBits(const UtColor& a, const UtColor& b) {
  return SameBits(a.r, b.r) && SameBits(a.g, b.g) && SameBits(a.b, b.b) && SameBits(a.a, b.a);
}

// Little-endian bytes of the low `n` bytes of v.
inline std::vector<uint8_t> LittleEndian(uint64_t v, size_t n) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(v >> (8 * i));
  return bytes;
}

inline std::vector<uint8_t> FloatBytes(std::initializer_list<float> values) {
  std::vector<uint8_t> bytes(values.size() * 4);
  std::memcpy(bytes.data(), values.begin(), bytes.size());
  return bytes;
}

// Decodes the single pixel `packed` of `format`.
inline UtColor DecodeOne(D3DFORMAT format, const std::vector<uint8_t>& packed,
                         const BlockOptions& options = {}) {
  std::vector<uint8_t> bytes = packed;
  bytes.resize(16);
  const PixelBlockDesc desc = MakeBlock(bytes.data(), format, 16, 1, 1, 1, 0, options);
  std::unique_ptr<PixelCodec> codec = CreatePixelCodec(desc);
  UtColor c(-7.0f, -7.0f, -7.0f, -7.0f);
  if (codec) codec->DecodeRow(0, 0, &c);
  return c;
}

// Encodes one pixel into `size` bytes that start out as 0xCD.
inline std::vector<uint8_t> EncodeOne(D3DFORMAT format, UtColor c, size_t size,
                                      const BlockOptions& options = {}) {
  std::vector<uint8_t> bytes(16, 0xCD);
  const PixelBlockDesc desc = MakeBlock(bytes.data(), format, 16, 1, 1, 1, 0, options);
  std::unique_ptr<PixelCodec> codec = CreatePixelCodec(desc);
  if (codec) codec->EncodeRow(0, 0, &c);
  bytes.resize(size);
  return bytes;
}
