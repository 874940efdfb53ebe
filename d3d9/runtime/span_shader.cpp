#include "d3d9/runtime/span_shader.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "d3d9/runtime/bilinear_span_avx2.h"
#include "d3d9/runtime/bilinear_texels.h"
#include "d3d9/runtime/runtime_state.h"

namespace d3d9rt {
namespace {

enum class DepthMode { kNone, kUnorm16, kUnorm32, kFloat32 };

// Unorm depth steps along a span in fixed point, 24 fractional bits of the field's unit:
// round(z * max) is then an add and a shift per pixel.
constexpr int kDepthFraction = 24;
constexpr double kDepthOne = static_cast<double>(int64_t{1} << kDepthFraction);

// The depth test's state, copied out of the setup so that the loop keeps it in registers.
struct DepthState {
  uint32_t field;  // the depth field's bits in the pixel
  unsigned shift;
  int64_t maxKey;
  DWORD passMask;
  bool write;

  explicit DepthState(const DepthTarget& d)
      : field(d.mask << d.shift), shift(d.shift), maxKey(d.mask), passMask(d.passMask),
        write(d.write) {}

  // Compares `key` (already in the field's place) with the pixel's depth, writes it when the
  // test passes and writing is on, and returns whether the pixel is drawn.
  template <class Word>
  bool Test(Word* at, uint32_t key) const {
    const uint32_t word = *at;
    const uint32_t stored = word & field;
    const unsigned outcome = key < stored ? 0 : key == stored ? 1 : 2;
    if (!((passMask >> outcome) & 1u)) return false;
    if (write) *at = static_cast<Word>((word & ~field) | key);
    return true;
  }
  uint32_t UnormKey(int64_t z) const {
    int64_t key = (z + (int64_t{1} << (kDepthFraction - 1))) >> kDepthFraction;
    key = key < 0 ? 0 : key > maxKey ? maxKey : key;
    return static_cast<uint32_t>(key) << shift;
  }
  static uint32_t FloatKey(double z) {
    // Depth is never negative, so the float's bits order as its values do.
    const double clamped = z < 0.0 ? 0.0 : z > 1.0 ? 1.0 : z;
    return std::bit_cast<uint32_t>(static_cast<float>(clamped));
  }
};

template <DepthMode kMode>
using DepthWordOf = std::conditional_t<kMode == DepthMode::kUnorm16, uint16_t, uint32_t>;

// Where a span's depth lives and how it steps.
template <DepthMode kMode>
struct DepthCursor {
  DepthWordOf<kMode>* row;
  int64_t fixed;  // unorm: z * max in fixed point
  int64_t fixedStep;
  double z;  // float
  double step;

  DepthCursor(const DrawSetup& s, const SpanStart& start, const SpanGradients& g, int y, int x0) {
    row = nullptr;
    fixed = fixedStep = 0;
    z = start.z;
    step = g.dzdx;
    if constexpr (kMode != DepthMode::kNone) {
      row = reinterpret_cast<DepthWordOf<kMode>*>(s.depth.bits + static_cast<size_t>(y) * s.depth.pitch) + x0;
      if constexpr (kMode != DepthMode::kFloat32) {
        fixed = std::llround(start.z * s.depth.scale * kDepthOne);
        fixedStep = std::llround(g.dzdx * s.depth.scale * kDepthOne);
      }
    }
  }
  // Tests pixel i of the span and steps to the next.
  bool TestAndStep(const DepthState& d, int i) {
    if constexpr (kMode == DepthMode::kNone) {
      return true;
    } else if constexpr (kMode == DepthMode::kFloat32) {
      const bool pass = d.Test(row + i, DepthState::FloatKey(z));
      z += step;
      return pass;
    } else {
      const bool pass = d.Test(row + i, d.UnormKey(fixed));
      fixed += fixedStep;
      return pass;
    }
  }
};

D3DCOLOR ModulateRgb(D3DCOLOR texel, D3DCOLOR diffuse) {
  D3DCOLOR out = texel & 0xff000000u;
  for (unsigned shift = 0; shift < 24; shift += 8) {
    const uint32_t t = ((texel >> shift) & 0xffu) * ((diffuse >> shift) & 0xffu) + 128;
    out |= ((t + (t >> 8)) >> 8) << shift;
  }
  return out;
}

inline float Square(float v) { return v * v; }

// Stage 0's colour at one pixel, through the sampler with every state it knows.
inline D3DCOLOR ShadeTexel(const DrawSetup& s, const SpanGradients& g, float invW, float uw,
                           float vw) {
  const float w = 1.0f / invW;
  const float u = uw * w, v = vw * w;
  float lod = 0.0f;
  const SamplerSetup& sampler = s.sampler;
  if (sampler.needsLod) {
    // d(u)/dx = (d(u/w)/dx - u * d(1/w)/dx) * w, in texels of level 0.
    const float width = sampler.levels[0].fwidth, height = sampler.levels[0].fheight;
    const float dudx = (g.dUwdx - u * g.dInvWdx) * w * width;
    const float dvdx = (g.dVwdx - v * g.dInvWdx) * w * height;
    const float dudy = (g.dUwdy - u * g.dInvWdy) * w * width;
    const float dvdy = (g.dVwdy - v * g.dInvWdy) * w * height;
    const float rho2 = std::max(Square(dudx) + Square(dvdx), Square(dudy) + Square(dvdy));
    lod = 0.5f * FastLog2(rho2);
  }
  const D3DCOLOR texel = SampleTexture(sampler, u, v, lod);
  return s.modulate ? ModulateRgb(texel, s.diffuse) : texel;
}

// The general span: any depth format, constant or textured colour, any target.
template <DepthMode kMode, Shading kShading, ColorWrite kColor>
void ShadeSpan(const DrawSetup& s, const SpanStart& start, const SpanGradients& g, int y, int x0,
               int x1) {
  BYTE* const colorRow = s.color.bits + static_cast<size_t>(y) * s.color.pitch;
  const DepthState depth(s.depth);
  DepthCursor<kMode> cursor(s, start, g, y, x0);
  const uint32_t keep = s.color.keep;
  const D3DCOLOR constant = s.constant & keep;
  float invW = start.invW, uw = start.uw, vw = start.vw;
  const int n = x1 - x0 + 1;
  for (int i = 0; i < n; ++i, invW += g.dInvWdx, uw += g.dUwdx, vw += g.dVwdx) {
    if (!cursor.TestAndStep(depth, i)) continue;
    if constexpr (kColor == ColorWrite::kBgra32) {
      uint32_t* out = reinterpret_cast<uint32_t*>(colorRow) + x0 + i;
      if constexpr (kShading == Shading::kConstant) {
        *out = constant;
      } else {
        *out = ShadeTexel(s, g, invW, uw, vw) & keep;
      }
    } else {
      const D3DCOLOR color = kShading == Shading::kConstant ? s.constant : ShadeTexel(s, g, invW, uw, vw);
      s.color.codec.Encode(color, colorRow + static_cast<size_t>(x0 + i) * s.color.codec.Bytes());
    }
  }
}

// The demo's case, kept short: one level of 32-bit texels, both coordinates wrapped on a
// power-of-two size, the same linear filter for magnification and minification, unlit. Where
// 1 / w doesn't change along the row (a triangle facing the camera), neither do the texture
// coordinates' steps, and they advance in 16.16 fixed point without a division per pixel;
// kAvx2 hands those rows to the AVX2 kernel, which writes the same bytes eight pixels at a time.
template <DepthMode kMode, bool kXrgb, bool kAvx2>
void BilinearWrapSpan(const DrawSetup& s, const SpanStart& start, const SpanGradients& g, int y,
                      int x0, int x1) {
  using sampler_detail::ReduceCoordinate;
  uint32_t* const colorRow = reinterpret_cast<uint32_t*>(s.color.bits + static_cast<size_t>(y) * s.color.pitch) + x0;
  const DepthState depth(s.depth);
  DepthCursor<kMode> cursor(s, start, g, y, x0);
  const uint32_t keep = s.color.keep;
  const SamplerLevel& level = s.sampler.levels[s.sampler.baseLevel];
  const BYTE* const bits = level.bits;
  const size_t pitch = level.pitch;
  const int maskX = level.width - 1, maskY = level.height - 1;
  // Texel (i, j) has its centre at ((i + 0.5) / width, (j + 0.5) / height): the four texels
  // around a sample point start half a texel back, at tu >> 8, tv >> 8 (8 fractional bits).
  auto shade = [&](int i, int tu, int tv) {
    const int ax = (tu >> 8) & maskX, bx = (ax + 1) & maskX;
    const int ay = (tv >> 8) & maskY, by = (ay + 1) & maskY;
    const uint32_t* top = reinterpret_cast<const uint32_t*>(bits + static_cast<size_t>(ay) * pitch);
    const uint32_t* bottom = reinterpret_cast<const uint32_t*>(bits + static_cast<size_t>(by) * pitch);
    uint32_t c = Bilinear(top[ax], top[bx], bottom[ax], bottom[bx], static_cast<unsigned>(tu) & 255u,
                          static_cast<unsigned>(tv) & 255u);
    if constexpr (kXrgb) c |= 0xff000000u;
    colorRow[i] = c & keep;
  };
  const int n = x1 - x0 + 1;
  if (g.dInvWdx == 0.0f) {
    const double w = 1.0 / static_cast<double>(start.invW);
    const double u0 = static_cast<double>(start.uw) * w, v0 = static_cast<double>(start.vw) * w;
    if (!(std::fabs(u0) < 1e9 && std::fabs(v0) < 1e9)) return;  // nothing sensible to show
    const double toFixedX = level.fwidth * 65536.0, toFixedY = level.fheight * 65536.0;
    int64_t u = std::llround((u0 - std::floor(u0)) * toFixedX) - 32768;
    int64_t v = std::llround((v0 - std::floor(v0)) * toFixedY) - 32768;
    const int64_t du = std::llround(static_cast<double>(g.dUwdx) * w * toFixedX);
    const int64_t dv = std::llround(static_cast<double>(g.dVwdx) * w * toFixedY);
    if constexpr (kAvx2) {
      static_assert(kMode == DepthMode::kNone || kMode == DepthMode::kUnorm32);
      BilinearSpanJob job = {};
      job.color = colorRow;
      job.depth = kMode == DepthMode::kNone ? nullptr : reinterpret_cast<uint32_t*>(cursor.row);
      job.count = n;
      job.u = static_cast<uint32_t>(u);
      job.du = static_cast<uint32_t>(du);
      job.v = static_cast<uint32_t>(v);
      job.dv = static_cast<uint32_t>(dv);
      job.bits = bits;
      job.pitch = static_cast<uint32_t>(pitch);
      job.maskX = static_cast<uint32_t>(maskX);
      job.maskY = static_cast<uint32_t>(maskY);
      job.alpha = kXrgb ? 0xff000000u : 0u;
      job.keep = keep;
      job.fixed = cursor.fixed;
      job.fixedStep = cursor.fixedStep;
      job.maxKey = depth.maxKey;
      job.shift = depth.shift;
      job.field = depth.field;
      job.passMask = depth.passMask;
      job.write = depth.write;
      BilinearSpanAvx2(job);
      return;
    }
    for (int i = 0; i < n; ++i, u += du, v += dv) {
      if (!cursor.TestAndStep(depth, i)) continue;
      shade(i, static_cast<int>(u >> 8), static_cast<int>(v >> 8));
    }
    return;
  }
  const float scaleX = level.fwidth * 256.0f, scaleY = level.fheight * 256.0f;
  float invW = start.invW, uw = start.uw, vw = start.vw;
  for (int i = 0; i < n; ++i, invW += g.dInvWdx, uw += g.dUwdx, vw += g.dVwdx) {
    if (!cursor.TestAndStep(depth, i)) continue;
    const float w = 1.0f / invW;
    const float u = ReduceCoordinate(uw * w, D3DTADDRESS_WRAP);
    const float v = ReduceCoordinate(vw * w, D3DTADDRESS_WRAP);
    shade(i, static_cast<int>(u * scaleX) - 128, static_cast<int>(v * scaleY) - 128);
  }
}

template <DepthMode kMode>
constexpr SpanFunction kGeneral[2][2] = {
    {ShadeSpan<kMode, Shading::kConstant, ColorWrite::kBgra32>,
     ShadeSpan<kMode, Shading::kConstant, ColorWrite::kCodec>},
    {ShadeSpan<kMode, Shading::kTextured, ColorWrite::kBgra32>,
     ShadeSpan<kMode, Shading::kTextured, ColorWrite::kCodec>},
};

template <DepthMode kMode>
constexpr SpanFunction kBilinearWrap[2] = {BilinearWrapSpan<kMode, false, false>,
                                           BilinearWrapSpan<kMode, true, false>};

// The AVX2 kernel covers no depth and 32-bit unorm depth (the usual D24X8 and D24S8).
template <DepthMode kMode>
constexpr bool kHasAvx2Span = kMode == DepthMode::kNone || kMode == DepthMode::kUnorm32;

template <DepthMode kMode>
SpanFunction BilinearWrapAvx2(bool xrgb) {
  if constexpr (kHasAvx2Span<kMode>) {
    return xrgb ? BilinearWrapSpan<kMode, true, true> : BilinearWrapSpan<kMode, false, true>;
  } else {
    return nullptr;
  }
}

bool UseAvx2Spans() {
  static const bool have = HaveBilinearSpanAvx2();
  return have && VectorSpansAllowed();
}

template <DepthMode kMode>
SpanFunction ChooseFor(const DrawSetup& s) {
  const SamplerSetup& t = s.sampler;
  if (s.shading == Shading::kTextured && s.color.kind == ColorWrite::kBgra32 && !s.modulate &&
      t.kind != TexelKind::kCodec && !t.needsLod && t.magFilter == D3DTEXF_LINEAR &&
      t.addressU == D3DTADDRESS_WRAP && t.addressV == D3DTADDRESS_WRAP) {
    const SamplerLevel& level = t.levels[t.baseLevel];
    if (std::has_single_bit(static_cast<unsigned>(level.width)) &&
        std::has_single_bit(static_cast<unsigned>(level.height))) {
      const bool xrgb = t.kind == TexelKind::kXrgb;
      // The kernel keeps texel indices in 16 bits and texel offsets in 31.
      const bool fits = level.width <= 65536 && level.height <= 65536 &&
                        uint64_t{level.pitch} * static_cast<uint64_t>(level.height) <= INT32_MAX;
      if (kHasAvx2Span<kMode> && fits && UseAvx2Spans()) {
        return BilinearWrapAvx2<kMode>(xrgb);
      }
      return kBilinearWrap<kMode>[xrgb ? 1 : 0];
    }
  }
  return kGeneral<kMode>[s.shading == Shading::kTextured ? 1 : 0]
                        [s.color.kind == ColorWrite::kCodec ? 1 : 0];
}

}  // namespace

SpanFunction ChooseSpanFunction(const DrawSetup& s) {
  if (!s.depthTest) return ChooseFor<DepthMode::kNone>(s);
  if (s.depth.isFloat) return ChooseFor<DepthMode::kFloat32>(s);
  if (s.depth.bytes == 2) return ChooseFor<DepthMode::kUnorm16>(s);
  return ChooseFor<DepthMode::kUnorm32>(s);
}

}  // namespace d3d9rt
