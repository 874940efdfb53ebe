// Texture stage 0's sampler: a 2D texture's levels with the sampler states of one draw, read
// with point or linear filtering, the five address modes, and the mip level chosen per pixel
// from the level of detail the rasteriser computes. Texels are 8-bit B, G, R, A (D3DCOLOR).
//
// Texel i of a level of n texels covers [i / n, (i + 1) / n) in texture coordinates; linear
// filtering weighs the four texels whose centres surround the sample point with 8 fractional
// bits, as the hardware's filters do.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "d3d9/d3d9_interfaces.h"
#include "d3d9/runtime/color_codec.h"

namespace d3d9rt {

class TextureStore;

constexpr int kMaxSamplerLevels = 16;

enum class TexelKind : uint8_t {
  kArgb,   // D3DFMT_A8R8G8B8: the texel is the D3DCOLOR
  kXrgb,   // D3DFMT_X8R8G8B8: alpha reads as 1
  kCodec,  // any other computable format, through its ColorCodec
};

struct SamplerLevel {
  const BYTE* bits;
  UINT pitch;
  int width;
  int height;
  float fwidth;
  float fheight;
};

struct SamplerSetup {
  TexelKind kind;
  ColorCodec codec;
  UINT texelBytes;
  SamplerLevel levels[kMaxSamplerLevels];
  int baseLevel;  // the most detailed level used: D3DSAMP_MAXMIPLEVEL and the texture's LOD
  int lastLevel;
  DWORD minFilter;  // D3DTEXF_POINT or D3DTEXF_LINEAR
  DWORD magFilter;
  DWORD mipFilter;  // D3DTEXF_NONE, D3DTEXF_POINT or D3DTEXF_LINEAR
  DWORD addressU;
  DWORD addressV;
  D3DCOLOR border;
  float lodBias;
  // Whether the result depends on the level of detail at all: different filters for
  // minification and magnification, or more than one level to choose from.
  bool needsLod;
};

// Fills `out` for the texture bound to stage 0 and the states of sampler 0. Returns
// D3DERR_NOTAVAILABLE (with a debug message naming `call`) for what this sampler can't read:
// cube and volume textures, formats without a colour codec, sRGB reads, filters other than
// point and linear (anisotropic filtering reads as linear), unknown address modes.
HRESULT PrepareSampler(TextureStore* store, IDirect3DBaseTexture9* texture, const DWORD* states,
                       const char* call, SamplerSetup* out);

// log2(x) for normal x > 0 within about 3e-5, enough for a level of detail with 8 fractional
// bits.
inline float FastLog2(float x) {
  const uint32_t bits = std::bit_cast<uint32_t>(x);
  const float exponent = static_cast<float>(static_cast<int>((bits >> 23) & 0xffu) - 127);
  const float m = std::bit_cast<float>((bits & 0x7fffffu) | 0x3f800000u) - 1.0f;  // [0, 1)
  // Least-squares fit of log2(1 + m) on [0, 1], exact at 0 and (nearly) at 1.
  const float p = m * (1.4417408f + m * (-0.7077754f + m * (0.4123617f + m * (-0.1903424f + m * 0.0440154f))));
  return exponent + p;
}

namespace sampler_detail {

// floor() for |v| below 2^30, as an int.
inline int FloorToInt(float v) {
  const int i = static_cast<int>(v);
  return i - (v < static_cast<float>(i) ? 1 : 0);
}

// A coordinate brought into a range where scaling by a level size can't overflow, with the
// same texels: WRAP to [0, 1), MIRROR to [0, 2), the clamping modes to [-2, 2]. NaN reads 0.
inline float ReduceCoordinate(float c, DWORD mode) {
  if (!(c == c)) return 0.0f;
  switch (mode) {
    case D3DTADDRESS_WRAP:
      if (c >= 0.0f && c < 1.0f) return c;
      if (!(c > -1e9f && c < 1e9f)) return 0.0f;
      c -= static_cast<float>(FloorToInt(c));
      return c >= 1.0f ? 0.0f : c;
    case D3DTADDRESS_MIRROR: {
      if (!(c > -1e9f && c < 1e9f)) return 0.0f;
      const float half = c * 0.5f;
      c = (half - static_cast<float>(FloorToInt(half))) * 2.0f;
      return c >= 2.0f ? 0.0f : c;
    }
    default:
      return c < -2.0f ? -2.0f : c > 2.0f ? 2.0f : c;
  }
}

// Texel index `i` of a level `n` texels wide under an address mode; false for BORDER outside.
inline bool AddressTexel(DWORD mode, int i, int n, int* out) {
  switch (mode) {
    case D3DTADDRESS_WRAP:
      if ((n & (n - 1)) == 0) {
        i &= n - 1;
      } else {
        i %= n;
        if (i < 0) i += n;
      }
      break;
    case D3DTADDRESS_MIRROR: {
      const int period = 2 * n;
      i %= period;
      if (i < 0) i += period;
      if (i >= n) i = period - 1 - i;
      break;
    }
    case D3DTADDRESS_BORDER:
      if (i < 0 || i >= n) return false;
      break;
    case D3DTADDRESS_MIRRORONCE:
      if (i < 0) i = -1 - i;
      i = i >= n ? n - 1 : i;
      break;
    default:  // D3DTADDRESS_CLAMP
      i = i < 0 ? 0 : i >= n ? n - 1 : i;
      break;
  }
  *out = i;
  return true;
}

inline D3DCOLOR ReadTexel(const SamplerSetup& s, const SamplerLevel& level, int x, int y) {
  const BYTE* p = level.bits + static_cast<size_t>(y) * level.pitch + static_cast<size_t>(x) * s.texelBytes;
  uint32_t texel;
  switch (s.kind) {
    case TexelKind::kArgb:
      std::memcpy(&texel, p, 4);
      return texel;
    case TexelKind::kXrgb:
      std::memcpy(&texel, p, 4);
      return texel | 0xff000000u;
    default:
      return s.codec.Decode(p);
  }
}

inline D3DCOLOR Fetch(const SamplerSetup& s, const SamplerLevel& level, int x, int y) {
  int ax, ay;
  if (!AddressTexel(s.addressU, x, level.width, &ax) ||
      !AddressTexel(s.addressV, y, level.height, &ay)) {
    return s.border;
  }
  return ReadTexel(s, level, ax, ay);
}

// B, G, R, A in four 16-bit lanes, so that one multiplication weighs every channel.
inline uint64_t Spread(D3DCOLOR c) {
  const uint64_t v = c;
  return (v & 0xffu) | ((v & 0xff00u) << 8) | ((v & 0xff0000u) << 16) | ((v & 0xff000000u) << 24);
}
inline D3DCOLOR Gather(uint64_t v) {
  return static_cast<D3DCOLOR>((v & 0xffu) | ((v >> 8) & 0xff00u) | ((v >> 16) & 0xff0000u) |
                               ((v >> 24) & 0xff000000u));
}
constexpr uint64_t kLaneMask = 0x00ff00ff00ff00ffull;

// a + (b - a) * w / 256 per channel, rounded; w in 0..256.
inline D3DCOLOR Lerp(D3DCOLOR a, D3DCOLOR b, unsigned w) {
  if (w == 0 || a == b) return a;
  const uint64_t sum = Spread(a) * (256 - w) + Spread(b) * w + 0x0080008000800080ull;
  return Gather((sum >> 8) & kLaneMask);
}

inline D3DCOLOR SamplePoint(const SamplerSetup& s, const SamplerLevel& level, float u, float v) {
  return Fetch(s, level, FloorToInt(u * level.fwidth), FloorToInt(v * level.fheight));
}

inline D3DCOLOR SampleLinear(const SamplerSetup& s, const SamplerLevel& level, float u, float v) {
  const float tu = u * level.fwidth - 0.5f;
  const float tv = v * level.fheight - 0.5f;
  const int x = FloorToInt(tu), y = FloorToInt(tv);
  const unsigned wx = static_cast<unsigned>((tu - static_cast<float>(x)) * 256.0f);
  const unsigned wy = static_cast<unsigned>((tv - static_cast<float>(y)) * 256.0f);
  const D3DCOLOR top = Lerp(Fetch(s, level, x, y), Fetch(s, level, x + 1, y), wx);
  const D3DCOLOR bottom = Lerp(Fetch(s, level, x, y + 1), Fetch(s, level, x + 1, y + 1), wx);
  return Lerp(top, bottom, wy);
}

inline D3DCOLOR SampleLevel(const SamplerSetup& s, int level, DWORD filter, float u, float v) {
  return filter == D3DTEXF_LINEAR ? SampleLinear(s, s.levels[level], u, v)
                                  : SamplePoint(s, s.levels[level], u, v);
}

}  // namespace sampler_detail

// The texel colour at (u, v) for a level of detail `lod` (log2 of texels of level 0 per pixel,
// bias not yet added). Magnification (lod <= 0) reads the most detailed level with
// D3DSAMP_MAGFILTER; minification uses D3DSAMP_MINFILTER on the level D3DSAMP_MIPFILTER picks:
// the most detailed one (NONE), the nearest (POINT), or a blend of the two nearest (LINEAR).
inline D3DCOLOR SampleTexture(const SamplerSetup& s, float u, float v, float lod) {
  using namespace sampler_detail;
  u = ReduceCoordinate(u, s.addressU);
  v = ReduceCoordinate(v, s.addressV);
  if (!s.needsLod) return SampleLevel(s, s.baseLevel, s.magFilter, u, v);
  lod += s.lodBias;
  if (!(lod > 0.0f)) return SampleLevel(s, s.baseLevel, s.magFilter, u, v);
  const float base = static_cast<float>(s.baseLevel);
  const float last = static_cast<float>(s.lastLevel);
  switch (s.mipFilter) {
    case D3DTEXF_POINT: {
      const float nearest = lod + 0.5f;
      const int level = nearest <= base ? s.baseLevel : nearest >= last ? s.lastLevel : FloorToInt(nearest);
      return SampleLevel(s, level, s.minFilter, u, v);
    }
    case D3DTEXF_LINEAR: {
      if (lod <= base) return SampleLevel(s, s.baseLevel, s.minFilter, u, v);
      if (lod >= last) return SampleLevel(s, s.lastLevel, s.minFilter, u, v);
      const int level = FloorToInt(lod);
      const unsigned w = static_cast<unsigned>((lod - static_cast<float>(level)) * 256.0f);
      return Lerp(SampleLevel(s, level, s.minFilter, u, v),
                  SampleLevel(s, level + 1, s.minFilter, u, v), w);
    }
    default:
      return SampleLevel(s, s.baseLevel, s.minFilter, u, v);
  }
}

}  // namespace d3d9rt
