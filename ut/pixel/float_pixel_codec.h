// The codec classes of the floating-point formats, stamped from their rows of the layout table:
// 32-bit floats are copied, 16-bit floats go through the half conversion of the math library.
// Values are stored unclamped, without dithering or error diffusion.
#pragma once

#include <cstring>

#include "ut/pixel/pixel_codec.h"
#include "ut/pixel/pixel_codec_layouts.h"
#include "ut_math.h"

namespace float_codec {

inline void SpreadChannels(const float* values, unsigned channels, UtColor* out, unsigned n) {
  for (unsigned i = 0; i < n; ++i) {
    const float* v = values + size_t{i} * channels;
    out[i] = UtColor(v[0], channels > 1 ? v[1] : 1.0f, channels > 2 ? v[2] : 1.0f,
                     channels > 3 ? v[3] : 1.0f);
  }
}

inline void GatherChannels(const UtColor* in, unsigned n, unsigned channels, float* values) {
  for (unsigned i = 0; i < n; ++i) {
    const float ch[4] = {in[i].r, in[i].g, in[i].b, in[i].a};
    for (unsigned c = 0; c < channels; ++c) values[size_t{i} * channels + c] = ch[c];
  }
}

}  // namespace float_codec

template <size_t Index>
class FloatPixelCodec final : public PixelCodec {
 public:
  static constexpr const PixelCodecLayout& kLayout = kPixelCodecLayouts[Index];
  static_assert(kLayout.storage == PixelStorage::Float && kLayout.kind == PIXEL_KIND_FLOAT);
  static constexpr unsigned kChannels = kLayout.fieldCount;

  explicit FloatPixelCodec(const PixelBlockDesc& desc)
      : PixelCodec(desc, kLayout.bitsPerPixel, kLayout.kind, false) {}

  HRESULT DecodeRow(UINT y, UINT z, UtColor* out) override {
    const BYTE* src = RowAddress(y, z);
    for (UINT x = 0; x < width; ++x) {
      float v[4] = {1.0f, 1.0f, 1.0f, 1.0f};
      std::memcpy(v, src + size_t{x} * kChannels * 4, kChannels * 4);
      out[x] = UtColor(v[0], v[1], v[2], v[3]);
    }
    FinishDecodeRow(out);
    return S_OK;
  }

  HRESULT EncodeRow(UINT y, UINT z, UtColor* in) override {
    const UtColor* row = PrepareEncodeRow(in);
    BYTE* dst = RowAddress(y, z);
    for (UINT x = 0; x < width; ++x) {
      const float v[4] = {row[x].r, row[x].g, row[x].b, row[x].a};
      std::memcpy(dst + size_t{x} * kChannels * 4, v, kChannels * 4);
    }
    return S_OK;
  }
};

template <size_t Index>
class HalfPixelCodec final : public PixelCodec {
 public:
  static constexpr const PixelCodecLayout& kLayout = kPixelCodecLayouts[Index];
  static_assert(kLayout.storage == PixelStorage::Half && kLayout.kind == PIXEL_KIND_FLOAT);
  static constexpr unsigned kChannels = kLayout.fieldCount;

  explicit HalfPixelCodec(const PixelBlockDesc& desc)
      : PixelCodec(desc, kLayout.bitsPerPixel, kLayout.kind, false) {}

  HRESULT DecodeRow(UINT y, UINT z, UtColor* out) override {
    const BYTE* src = RowAddress(y, z);
    UtFloat16 halves[kChunk * kChannels];
    float values[kChunk * kChannels];
    for (UINT x = 0; x < width; x += kChunk) {
      const unsigned n = width - x < kChunk ? width - x : kChunk;
      // Copied out first: the row need not be aligned for 16-bit access.
      std::memcpy(halves, src + size_t{x} * kChannels * 2, size_t{n} * kChannels * 2);
      UtFloat16To32Array(values, halves, n * kChannels);
      float_codec::SpreadChannels(values, kChannels, out + x, n);
    }
    FinishDecodeRow(out);
    return S_OK;
  }

  HRESULT EncodeRow(UINT y, UINT z, UtColor* in) override {
    const UtColor* row = PrepareEncodeRow(in);
    BYTE* dst = RowAddress(y, z);
    UtFloat16 halves[kChunk * kChannels];
    float values[kChunk * kChannels];
    for (UINT x = 0; x < width; x += kChunk) {
      const unsigned n = width - x < kChunk ? width - x : kChunk;
      float_codec::GatherChannels(row + x, n, kChannels, values);
      UtFloat32To16Array(halves, values, n * kChannels);
      std::memcpy(dst + size_t{x} * kChannels * 2, halves, size_t{n} * kChannels * 2);
    }
    return S_OK;
  }

 private:
  static constexpr unsigned kChunk = 64;  // pixels converted per call of the half routines
};
