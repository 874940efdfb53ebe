#include "ut/pixel/pixel_kind.h"

namespace {

// Signed to unsigned: (x + 1) x 0.5; unsigned to signed: 2x - 1.
inline float ToUnsigned(float x) { return (x + 1.0f) * 0.5f; }
inline float ToSigned(float x) { return x * 2.0f - 1.0f; }

template <typename Red, typename Alpha>
void ConvertEach(UtColor* out, const UtColor* in, unsigned n, Red color, Alpha alpha) {
  for (unsigned i = 0; i < n; ++i) {
    const UtColor c = in[i];
    out[i] = UtColor(color(c.r), color(c.g), color(c.b), alpha(c.a));
  }
}

inline float Same(float x) { return x; }
inline float ClampUnsigned(float x) { return ClampChannel(x, 0.0f, 1.0f); }
inline float ClampSigned(float x) { return ClampChannel(x, -1.0f, 1.0f); }

}  // namespace

void ConvertPixelKind(UtColor* out, const UtColor* in, unsigned n, PixelKind from, PixelKind to) {
  switch (to) {
    case PIXEL_KIND_UNORM:
      switch (from) {
        case PIXEL_KIND_SNORM_RGB: return ConvertEach(out, in, n, ToUnsigned, Same);
        case PIXEL_KIND_SNORM: return ConvertEach(out, in, n, ToUnsigned, ToUnsigned);
        case PIXEL_KIND_FLOAT: return ConvertEach(out, in, n, ClampUnsigned, ClampUnsigned);
        default: break;
      }
      break;
    case PIXEL_KIND_SNORM_RGB:
      switch (from) {
        case PIXEL_KIND_UNORM: return ConvertEach(out, in, n, ToSigned, Same);
        case PIXEL_KIND_SNORM: return ConvertEach(out, in, n, Same, ToUnsigned);
        case PIXEL_KIND_FLOAT: return ConvertEach(out, in, n, ClampSigned, ClampUnsigned);
        default: break;
      }
      break;
    case PIXEL_KIND_SNORM:
      switch (from) {
        case PIXEL_KIND_UNORM: return ConvertEach(out, in, n, ToSigned, ToSigned);
        case PIXEL_KIND_SNORM_RGB: return ConvertEach(out, in, n, Same, ToSigned);
        case PIXEL_KIND_FLOAT: return ConvertEach(out, in, n, ClampSigned, ClampSigned);
        default: break;
      }
      break;
    default:
      break;
  }
  // Same kind, or a floating-point destination: values pass unchanged.
  if (out != in) {
    for (unsigned i = 0; i < n; ++i) out[i] = in[i];
  }
}
