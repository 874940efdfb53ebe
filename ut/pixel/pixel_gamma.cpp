#include "ut/pixel/pixel_gamma.h"

#include <cmath>

#include "ut/pixel/pixel_kind.h"

namespace {

struct GammaTables {
  float encode[256];
  float decode[256];

  GammaTables() {
    for (int i = 0; i < 255; ++i) {
      const double x = i / 254.0;
      encode[i] = static_cast<float>(std::pow(x * x, 1.0 / 2.2));
      decode[i] = static_cast<float>(std::pow(std::sqrt(x), 2.2));
    }
    encode[255] = 1.0f;
    decode[255] = 1.0f;
  }
};

// Built once, on first use (the initialisation of a function-local static is synchronised).
const GammaTables& Tables() {
  static const GammaTables tables;
  return tables;
}

// Table entry k plus the fraction of the way to entry k + 1; t lies in 0..254.
inline float Interpolate(const float* table, float t) {
  const int k = static_cast<int>(t);
  return table[k] + (table[k + 1] - table[k]) * (t - static_cast<float>(k));
}

inline float EncodeWith(const float* table, float x) {
  x = ClampChannel(x, 0.0f, 1.0f);
  return Interpolate(table, 254.0f * std::sqrt(x));
}

inline float DecodeWith(const float* table, float x) {
  x = ClampChannel(x, 0.0f, 1.0f);
  return Interpolate(table, x * x * 254.0f);
}

inline float SquareRoot(float x) { return std::sqrt(x > 0.0f ? x : 0.0f); }

}  // namespace

const float* GammaEncodeTable() { return Tables().encode; }
const float* GammaDecodeTable() { return Tables().decode; }

float GammaEncode(float x) { return EncodeWith(GammaEncodeTable(), x); }
float GammaDecode(float x) { return DecodeWith(GammaDecodeTable(), x); }

void GammaDecodeRow(UtColor* row, unsigned n, bool colorChannels, bool approximate) {
  const float* table = GammaDecodeTable();
  for (unsigned i = 0; i < n; ++i) {
    UtColor& c = row[i];
    if (approximate) {
      if (colorChannels) {
        c.r = c.r * c.r;
        c.g = c.g * c.g;
        c.b = c.b * c.b;
      } else {
        c.a = c.a * c.a;
      }
    } else if (colorChannels) {
      c.r = DecodeWith(table, c.r);
      c.g = DecodeWith(table, c.g);
      c.b = DecodeWith(table, c.b);
    } else {
      c.a = DecodeWith(table, c.a);
    }
  }
}

void GammaEncodeRow(UtColor* out, const UtColor* in, unsigned n, bool colorChannels,
                    bool approximate) {
  const float* table = GammaEncodeTable();
  for (unsigned i = 0; i < n; ++i) {
    UtColor c = in[i];
    if (approximate) {
      if (colorChannels) {
        c.r = SquareRoot(c.r);
        c.g = SquareRoot(c.g);
        c.b = SquareRoot(c.b);
      } else {
        c.a = SquareRoot(c.a);
      }
    } else if (colorChannels) {
      c.r = EncodeWith(table, c.r);
      c.g = EncodeWith(table, c.g);
      c.b = EncodeWith(table, c.b);
    } else {
      c.a = EncodeWith(table, c.a);
    }
    out[i] = c;
  }
}
