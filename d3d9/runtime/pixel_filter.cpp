#include "d3d9/runtime/pixel_filter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <cwchar>

#include "d3d9/runtime/half_float.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace d3d9rt {
namespace {

uint32_t FieldMask(const Field& f) { return f.bits >= 32 ? 0xffffffffu : (1u << f.bits) - 1u; }

// Bits [shift, shift + bits) of a little-endian pixel of `size` bytes (bits at most 32).
uint32_t ReadField(const BYTE* pixel, size_t size, const Field& f) {
  const size_t first = f.shift / 8;
  uint64_t window = 0;
  for (size_t i = 0; i < 5 && first + i < size; ++i) {
    window |= static_cast<uint64_t>(pixel[first + i]) << (8 * i);
  }
  return static_cast<uint32_t>(window >> (f.shift % 8)) & FieldMask(f);
}

void WriteField(BYTE* pixel, size_t size, const Field& f, uint32_t value) {
  const size_t first = f.shift / 8;
  const unsigned offset = f.shift % 8;
  const uint64_t mask = static_cast<uint64_t>(FieldMask(f)) << offset;
  const uint64_t bits = (static_cast<uint64_t>(value) << offset) & mask;
  for (size_t i = 0; i < 5 && first + i < size; ++i) {
    const unsigned s = 8 * static_cast<unsigned>(i);
    const BYTE m = static_cast<BYTE>(mask >> s);
    pixel[first + i] = static_cast<BYTE>((pixel[first + i] & ~m) | (static_cast<BYTE>(bits >> s) & m));
  }
}

int FieldCount(const FormatLayout& layout) {
  int n = 0;
  while (n < 4 && layout.fields[n].channel != Channel::kNone) ++n;
  return n;
}

// A field as a number: unorm fields in 0..1, float fields as stored.
float FieldValue(const FormatLayout& layout, const BYTE* pixel, const Field& f) {
  const uint32_t raw = ReadField(pixel, layout.bytes, f);
  switch (layout.numeric) {
    case Numeric::kFloat16:
      return HalfToFloat(static_cast<uint16_t>(raw));
    case Numeric::kFloat32:
      return std::bit_cast<float>(raw);
    default:
      return static_cast<float>(raw) / static_cast<float>(FieldMask(f));
  }
}

void SetFieldValue(const FormatLayout& layout, BYTE* pixel, const Field& f, float value) {
  uint32_t raw = 0;
  switch (layout.numeric) {
    case Numeric::kFloat16:
      raw = FloatToHalf(value);
      break;
    case Numeric::kFloat32:
      raw = std::bit_cast<uint32_t>(value);
      break;
    default: {
      const float clamped = std::clamp(value, 0.0f, 1.0f);
      raw = static_cast<uint32_t>(clamped * static_cast<float>(FieldMask(f)) + 0.5f);
      break;
    }
  }
  WriteField(pixel, layout.bytes, f, raw);
}

bool Computable(const FormatLayout& layout) {
  return layout.storage == Storage::kPixel && layout.numeric != Numeric::kOpaque;
}

}  // namespace

void HalvePlane(const PixelPlane& src, PixelPlane& dst, D3DTEXTUREFILTERTYPE filter) {
  const FormatLayout& layout = src.Layout();
  if (!Computable(layout)) return;
  const int fields = FieldCount(layout);
  const size_t bytes = layout.bytes;
  const UINT sw = src.Width(), sh = src.Height(), sd = src.Depth();
  for (UINT z = 0; z < dst.Depth(); ++z) {
    const UINT zs[2] = {std::min(2 * z, sd - 1), std::min(2 * z + 1, sd - 1)};
    const int nz = sd > 1 ? 2 : 1;
    for (UINT y = 0; y < dst.Height(); ++y) {
      const UINT ys[2] = {std::min(2 * y, sh - 1), std::min(2 * y + 1, sh - 1)};
      for (UINT x = 0; x < dst.Width(); ++x) {
        const UINT xs[2] = {std::min(2 * x, sw - 1), std::min(2 * x + 1, sw - 1)};
        BYTE* out = dst.At(x, y, z);
        if (filter == D3DTEXF_POINT) {
          std::memcpy(out, src.At(xs[0], ys[0], zs[0]), bytes);
          continue;
        }
        const BYTE* samples[8];
        int n = 0;
        for (int k = 0; k < nz; ++k) {
          for (int j = 0; j < 2; ++j) {
            for (int i = 0; i < 2; ++i) samples[n++] = src.At(xs[i], ys[j], zs[k]);
          }
        }
        for (int f = 0; f < fields; ++f) {
          const Field& field = layout.fields[f];
          if (layout.numeric == Numeric::kUnorm) {
            uint64_t sum = 0;
            for (int s = 0; s < n; ++s) sum += ReadField(samples[s], bytes, field);
            WriteField(out, bytes, field, static_cast<uint32_t>((sum + n / 2) / n));
          } else {
            float sum = 0.0f;
            for (int s = 0; s < n; ++s) sum += FieldValue(layout, samples[s], field);
            SetFieldValue(layout, out, field, sum / static_cast<float>(n));
          }
        }
      }
    }
  }
}

bool CanResample(D3DFORMAT format) {
  const FormatLayout* layout = FindFormatLayout(format);
  return layout && layout->storage == Storage::kPixel;
}

void StretchArea(const PixelPlane& src, const Area& srcArea, PixelPlane& dst,
                 const Area& dstArea, D3DTEXTUREFILTERTYPE filter) {
  const UINT sw = srcArea.Width(), sh = srcArea.Height();
  const UINT dw = dstArea.Width(), dh = dstArea.Height();
  if (sw == dw && sh == dh) {
    CopyArea(src, srcArea, dst, dstArea.left, dstArea.top, 0);
    return;
  }
  const FormatLayout& layout = src.Layout();
  const size_t bytes = layout.bytes;
  const float scaleX = static_cast<float>(sw) / static_cast<float>(dw);
  const float scaleY = static_cast<float>(sh) / static_cast<float>(dh);
  const bool linear = filter == D3DTEXF_LINEAR && Computable(layout);
  const int fields = FieldCount(layout);
  for (UINT y = 0; y < dh; ++y) {
    const float v = (static_cast<float>(y) + 0.5f) * scaleY;  // in source texels
    for (UINT x = 0; x < dw; ++x) {
      const float u = (static_cast<float>(x) + 0.5f) * scaleX;
      BYTE* out = dst.At(dstArea.left + x, dstArea.top + y, 0);
      if (!linear) {
        const UINT sx = std::min(static_cast<UINT>(u), sw - 1);
        const UINT sy = std::min(static_cast<UINT>(v), sh - 1);
        std::memcpy(out, src.At(srcArea.left + sx, srcArea.top + sy, 0), bytes);
        continue;
      }
      // Sample points sit at texel centres: texel i covers [i, i + 1).
      const float fu = std::max(u - 0.5f, 0.0f);
      const float fv = std::max(v - 0.5f, 0.0f);
      const UINT x0 = std::min(static_cast<UINT>(fu), sw - 1);
      const UINT y0 = std::min(static_cast<UINT>(fv), sh - 1);
      const UINT x1 = std::min(x0 + 1, sw - 1);
      const UINT y1 = std::min(y0 + 1, sh - 1);
      const float wx = fu - static_cast<float>(x0);
      const float wy = fv - static_cast<float>(y0);
      const BYTE* p00 = src.At(srcArea.left + x0, srcArea.top + y0, 0);
      const BYTE* p10 = src.At(srcArea.left + x1, srcArea.top + y0, 0);
      const BYTE* p01 = src.At(srcArea.left + x0, srcArea.top + y1, 0);
      const BYTE* p11 = src.At(srcArea.left + x1, srcArea.top + y1, 0);
      std::memcpy(out, p00, bytes);
      for (int f = 0; f < fields; ++f) {
        const Field& field = layout.fields[f];
        const float top = FieldValue(layout, p00, field) * (1.0f - wx) +
                          FieldValue(layout, p10, field) * wx;
        const float bottom = FieldValue(layout, p01, field) * (1.0f - wx) +
                             FieldValue(layout, p11, field) * wx;
        SetFieldValue(layout, out, field, top * (1.0f - wy) + bottom * wy);
      }
    }
  }
}

bool PackColor(D3DFORMAT format, D3DCOLOR color, BYTE* pixel) {
  const FormatLayout* layout = FindFormatLayout(format);
  if (!layout || !Computable(*layout)) return false;
  std::memset(pixel, 0, layout->bytes);
  bool any = false;
  for (int f = 0; f < FieldCount(*layout); ++f) {
    const Field& field = layout->fields[f];
    unsigned shift = 0;
    switch (field.channel) {
      case Channel::kRed: shift = 16; break;
      case Channel::kGreen: shift = 8; break;
      case Channel::kBlue: shift = 0; break;
      case Channel::kAlpha: shift = 24; break;
      case Channel::kUnused: continue;
      default: return false;  // luminance, depth: no colour fill
    }
    any = true;
    const uint32_t channel = (color >> shift) & 0xffu;
    if (layout->numeric == Numeric::kUnorm && field.bits <= 8) {
      // Keep the top bits, as hardware truncates 8-bit channels to narrower fields.
      WriteField(pixel, layout->bytes, field, channel >> (8 - field.bits));
    } else {
      SetFieldValue(*layout, pixel, field, static_cast<float>(channel) / 255.0f);
    }
  }
  return any;
}

bool PackDepthStencil(D3DFORMAT format, bool writeDepth, float depth, bool writeStencil,
                      DWORD stencil, BYTE* pixel, BYTE* mask) {
  const FormatLayout* layout = FindFormatLayout(format);
  if (!layout || layout->storage != Storage::kPixel) return false;
  std::memset(pixel, 0, layout->bytes);
  std::memset(mask, 0, layout->bytes);
  bool hasDepth = false, hasStencil = false;
  for (int f = 0; f < FieldCount(*layout); ++f) {
    const Field& field = layout->fields[f];
    if (field.channel == Channel::kDepth) {
      hasDepth = true;
      if (!writeDepth) continue;
      if (layout->numeric == Numeric::kFloat32) {
        WriteField(pixel, layout->bytes, field, std::bit_cast<uint32_t>(std::clamp(depth, 0.0f, 1.0f)));
      } else {
        const double scaled = static_cast<double>(std::clamp(depth, 0.0f, 1.0f)) * FieldMask(field);
        WriteField(pixel, layout->bytes, field, static_cast<uint32_t>(scaled + 0.5));
      }
    } else if (field.channel == Channel::kStencil) {
      hasStencil = true;
      if (!writeStencil) continue;
      WriteField(pixel, layout->bytes, field, stencil & FieldMask(field));
    } else {
      continue;
    }
    WriteField(mask, layout->bytes, field, 0xffffffffu & FieldMask(field));
  }
  return hasDepth && (!writeStencil || hasStencil);
}

namespace {

// Clears run once per frame over whole targets. A fill of 4-byte pixels goes to wmemset, which
// the C library writes with its widest stores; a fill under a mask (depth kept apart from
// stencil) is read and written 16 bytes at a time.
template <class Word>
void FillRow(Word* row, UINT width, Word value) {
  if constexpr (sizeof(Word) == sizeof(wchar_t)) {
    wchar_t fill;
    std::memcpy(&fill, &value, sizeof(fill));
    std::wmemset(reinterpret_cast<wchar_t*>(row), fill, width);
  } else {
    std::fill_n(row, width, value);
  }
}

template <class Word>
void FillRowMasked(Word* row, UINT width, Word value, Word keep) {
  UINT x = 0;
#ifdef __SSE2__
  constexpr UINT kPerVector = 16 / sizeof(Word);
  const __m128i v = sizeof(Word) == 4 ? _mm_set1_epi32(static_cast<int>(value))
                                      : _mm_set1_epi16(static_cast<short>(value));
  const __m128i k = sizeof(Word) == 4 ? _mm_set1_epi32(static_cast<int>(keep))
                                      : _mm_set1_epi16(static_cast<short>(keep));
  for (; x + kPerVector <= width; x += kPerVector) {
    __m128i* at = reinterpret_cast<__m128i*>(row + x);
    _mm_storeu_si128(at, _mm_or_si128(_mm_and_si128(_mm_loadu_si128(at), k), v));
  }
#endif
  for (; x < width; ++x) row[x] = static_cast<Word>((row[x] & keep) | value);
}

template <class Word>
void FillWords(PixelPlane& plane, const Area& area, const BYTE* pixel, const BYTE* mask) {
  Word value, keep = 0;
  std::memcpy(&value, pixel, sizeof(Word));
  if (mask) {
    Word bits;
    std::memcpy(&bits, mask, sizeof(Word));
    keep = static_cast<Word>(~bits);
    value = static_cast<Word>(value & bits);
  }
  // Whole rows of a plane without padding are one run.
  UINT width = area.Width(), rows = area.Height();
  if (area.left == 0 && width * sizeof(Word) == plane.RowPitch()) {
    width *= rows;
    rows = 1;
  }
  for (UINT z = area.front; z < area.back; ++z) {
    for (UINT y = 0; y < rows; ++y) {
      Word* row = reinterpret_cast<Word*>(plane.At(area.left, area.top + y, z));
      if (mask) {
        FillRowMasked(row, width, value, keep);
      } else {
        FillRow(row, width, value);
      }
    }
  }
}

}  // namespace

void FillArea(PixelPlane& plane, const Area& area, const BYTE* pixel, const BYTE* mask) {
  const size_t bytes = plane.Layout().bytes;
  if (bytes == 4) return FillWords<uint32_t>(plane, area, pixel, mask);
  if (bytes == 2) return FillWords<uint16_t>(plane, area, pixel, mask);
  for (UINT z = area.front; z < area.back; ++z) {
    for (UINT y = area.top; y < area.bottom; ++y) {
      BYTE* row = plane.At(area.left, y, z);
      for (UINT x = 0; x < area.Width(); ++x) {
        BYTE* out = row + x * bytes;
        if (!mask) {
          std::memcpy(out, pixel, bytes);
        } else {
          for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<BYTE>((out[i] & ~mask[i]) | (pixel[i] & mask[i]));
        }
      }
    }
  }
}

}  // namespace d3d9rt
