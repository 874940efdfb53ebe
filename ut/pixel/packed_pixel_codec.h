// The codec class of every format whose pixel is one little-endian word of integer fields,
// stamped from its row of the layout table: the field loops unroll at compile time, so each
// format gets its own straight-line decoder and encoder.
#pragma once

#include <cmath>
#include <cstring>
#include <type_traits>
#include <utility>

#include "ut/pixel/encode_steps.h"
#include "ut/pixel/field_reciprocals.h"
#include "ut/pixel/pixel_codec.h"
#include "ut/pixel/pixel_codec_layouts.h"
#include "ut/pixel/pixel_quantizer.h"
#include "ut/pixel/pixel_row_kernels.h"

template <size_t Index>
class PackedPixelCodec final : public PixelCodec {
 public:
  static constexpr const PixelCodecLayout& kLayout = kPixelCodecLayouts[Index];
  static_assert(kLayout.storage == PixelStorage::Packed);
  static_assert(kLayout.bitsPerPixel % 8 == 0 && kLayout.bitsPerPixel <= 64);

  explicit PackedPixelCodec(const PixelBlockDesc& desc)
      : PixelCodec(desc, kLayout.bitsPerPixel, kLayout.kind, false),
        kernels_(FindPixelRowKernels(kLayout.format)) {}

  HRESULT DecodeRow(UINT y, UINT z, UtColor* out) override {
    const BYTE* src = RowAddress(y, z);
    if (kernels_) {
      kernels_->decode(src, out, width);
    } else {
      for (UINT x = 0; x < width; ++x) out[x] = DecodePixel(src + size_t{x} * kBytes);
    }
    FinishDecodeRow(out);
    return S_OK;
  }

  HRESULT EncodeRow(UINT y, UINT z, UtColor* in) override {
    UtColor* row = PrepareEncodeRow(in);
    if constexpr (kLayout.unstored == UnstoredChannels::Luminance) {
      ReplaceRedByLuminance(row, width);
    }
    BYTE* dst = RowAddress(y, z);
    if (errorRow) {
      AddCarriedErrors(row);
      EncodeDiffused(y, z, row, dst);
    } else if (kernels_ && !Dithered()) {
      kernels_->encode(row, dst, width);
    } else {
      EncodeOrdered(y, z, row, dst);
    }
    return S_OK;
  }

  // One pixel through the generic arithmetic (the reference of the row kernels).
  static UtColor DecodePixel(const BYTE* p) {
    const Word word = Load(p);
    float ch[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    if constexpr (kLayout.unstored == UnstoredChannels::ZeroColor) ch[0] = ch[1] = ch[2] = 0.0f;
    ForEachField([&]<size_t F>() { ch[kLayout.fields[F].channel] = DecodeField<F>(word); });
    if constexpr (kLayout.unstored == UnstoredChannels::Luminance) {
      ch[1] = ch[2] = ch[0];
    } else if constexpr (kLayout.unstored == UnstoredChannels::DerivedBlue) {
      const float t = 1.0f - ch[0] * ch[0] - ch[1] * ch[1];
      ch[2] = t > 0.0f ? std::sqrt(t) : 0.0f;
    }
    return UtColor(ch[0], ch[1], ch[2], ch[3]);
  }

 private:
  using Word = std::conditional_t<(kLayout.bitsPerPixel > 32), uint64_t, uint32_t>;
  static constexpr size_t kBytes = kLayout.bitsPerPixel / 8;

  template <typename Body>
  static void ForEachField(Body&& body) {
    [&]<size_t... F>(std::index_sequence<F...>) {
      (body.template operator()<F>(), ...);
    }(std::make_index_sequence<kLayout.fieldCount>());
  }

  static constexpr FieldQuantizer QuantizerOf(const PixelField& f) {
    const int32_t m = static_cast<int32_t>(MaxCodeOf(f.width, f.isSigned));
    return {static_cast<float>(m), f.isSigned ? -m : 0, m};
  }

  static Word Load(const BYTE* p) {
    Word word = 0;
    std::memcpy(&word, p, kBytes);
    return word;
  }
  static void Store(BYTE* p, Word word) { std::memcpy(p, &word, kBytes); }

  template <size_t F>
  static float DecodeField(Word word) {
    constexpr PixelField f = kLayout.fields[F];
    constexpr uint32_t maxCode = MaxCodeOf(f.width, f.isSigned);
    constexpr float reciprocal = ReciprocalOfMaxCode(maxCode);
    static_assert(reciprocal != 0.0f, "a field width without a stored reciprocal");
    constexpr uint32_t mask = (uint32_t{1} << f.width) - 1;
    const uint32_t raw = static_cast<uint32_t>(word >> f.shift) & mask;
    if constexpr (f.isSigned) {
      // Sign-extend; the most negative code stands for -M like the one above it.
      int32_t s = static_cast<int32_t>(raw << (32 - f.width)) >> (32 - f.width);
      if (s < -static_cast<int32_t>(maxCode)) s = -static_cast<int32_t>(maxCode);
      return static_cast<float>(s) * reciprocal;
    } else {
      return static_cast<float>(static_cast<int32_t>(raw)) * reciprocal;
    }
  }

  // Packs one pixel; quantize(field quantizer, channel, value) yields each field's code.
  template <typename Quantize>
  static Word PackPixel(UtColor c, Quantize&& quantize) {
    if constexpr (kLayout.unstored == UnstoredChannels::DerivedBlue) NormalizeColorVector(c);
    const float ch[4] = {c.r, c.g, c.b, c.a};
    Word word = 0;
    ForEachField([&]<size_t F>() {
      constexpr PixelField f = kLayout.fields[F];
      constexpr FieldQuantizer q = QuantizerOf(f);
      constexpr uint32_t mask = (uint32_t{1} << f.width) - 1;
      const int32_t code = quantize(q, f.channel, ch[f.channel]);
      word |= static_cast<Word>(static_cast<uint32_t>(code) & mask) << f.shift;
    });
    return word;
  }

  // Ordered dithering (or plain rounding): each pixel depends only on its place in scan order,
  // so the row is written left to right whatever the direction of y.
  void EncodeOrdered(UINT y, UINT z, const UtColor* row, BYTE* dst) const {
    const float* dither = ditherTable[y & 3] + (z & 3);
    const bool reversed = (y & 1) != 0;
    for (UINT x = 0; x < width; ++x) {
      const UINT i = reversed ? width - 1 - x : x;
      const float d = dither[i & 3];
      Store(dst + size_t{x} * kBytes,
            PackPixel(row[x], [d](const FieldQuantizer& q, unsigned, float v) {
              return q.Quantize(v, d);
            }));
    }
  }

  // Error diffusion: serpentine order, even rows left to right, odd rows right to left.
  void EncodeDiffused(UINT y, UINT z, const UtColor* row, BYTE* dst) {
    const float* dither = ditherTable[y & 3] + (z & 3);
    const bool reversed = (y & 1) != 0;
    RowErrorDiffuser diffuser(errorRow.get(), reversed ? -1 : 1);
    for (UINT i = 0; i < width; ++i) {
      const UINT x = reversed ? width - 1 - i : i;
      const float d = dither[i & 3];
      Store(dst + size_t{x} * kBytes,
            PackPixel(row[x], [&](const FieldQuantizer& q, unsigned channel, float v) {
              return diffuser.Quantize(q, channel, v, d, size_t{x} + 1);
            }));
    }
  }

  const PixelRowKernels* kernels_;
};
