// The weight tables of the linear and tent filters, and the tent filter against an independent
// reference: the average over each destination pixel's footprint of the linearly interpolated
// source, integrated numerically, with wrapping and with mirroring.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <map>

#include "tests/ut/surface/convert_test_support.h"
#include "ut/surface/linear_weights.h"
#include "ut/surface/triangle_weights.h"

namespace {

struct LinearRecord {
  UINT first;
  float firstWeight;
  UINT second;
  float secondWeight;
};

TEST(LinearWeights, TwoIntoFourWithWrapAndMirror) {
  // t = 0.75, 1.25, 1.75, 2.25: the first pixel leans on its left neighbour with 0.25, the last
  // on its right neighbour; beyond the edges that is the other end (wrap) or the edge (mirror).
  const LinearRecord wrap[] = {{1, 0.25f, 0, 0.75f}, {0, 0.75f, 1, 0.25f}, {0, 0.25f, 1, 0.75f}, {1, 0.75f, 0, 0.25f}};
  const LinearRecord mirror[] = {{0, 0.25f, 0, 0.75f}, {0, 0.75f, 1, 0.25f}, {0, 0.25f, 1, 0.75f}, {1, 0.75f, 1, 0.25f}};
  for (bool wrapping : {true, false}) {
    const auto table = BuildLinearWeights(2, 4, wrapping);
    ASSERT_TRUE(table);
    for (int i = 0; i < 4; ++i) {
      const LinearRecord& e = wrapping ? wrap[i] : mirror[i];
      EXPECT_EQ(table[i].first, e.first) << (wrapping ? "wrap " : "mirror ") << i;
      EXPECT_EQ(table[i].firstWeight, e.firstWeight) << i;
      EXPECT_EQ(table[i].second, e.second) << (wrapping ? "wrap " : "mirror ") << i;
      EXPECT_EQ(table[i].secondWeight, e.secondWeight) << i;
    }
  }
  EXPECT_FALSE(BuildLinearWeights(0, 4, true));
  EXPECT_FALSE(BuildLinearWeights(4, 0, true));
}

TEST(LinearWeights, IndicesInsideAndWeightsSumToOne) {
  for (UINT s : {1u, 2u, 3u, 7u, 16u, 100u})
    for (UINT d : {1u, 2u, 5u, 16u, 33u, 256u})
      for (bool wrap : {true, false}) {
        const auto table = BuildLinearWeights(s, d, wrap);
        ASSERT_TRUE(table);
        for (UINT i = 0; i < d; ++i) {
          EXPECT_LT(table[i].first, s);
          EXPECT_LT(table[i].second, s);
          EXPECT_GE(table[i].firstWeight, 0.0f);
          EXPECT_GE(table[i].secondWeight, 0.0f);
          EXPECT_NEAR(table[i].firstWeight + table[i].secondWeight, 1.0f, 1e-6f) << s << " into " << d;
        }
      }
}

TEST(LinearFilter, TwoIntoFourPixels) {
  TestImage source(D3DFMT_A32B32G32R32F, 16, 2, 1);
  source.SetColor(0, 0, UtColor(0.0f, 1.0f, 0.5f, 1.0f));
  source.SetColor(1, 0, UtColor(1.0f, 0.0f, 0.25f, 1.0f));
  for (bool mirror : {false, true}) {
    TestImage destination(D3DFMT_A32B32G32R32F, 16, 4, 1);
    ASSERT_EQ(ConvertImage(destination, source, UT_FILTER_LINEAR | (mirror ? UT_FILTER_MIRROR_U : 0)), S_OK);
    EXPECT_EQ(LastStrategy(), "FilterLinear2D");
    const float expectedRed[] = {mirror ? 0.0f : 0.25f, 0.25f, 0.75f, mirror ? 1.0f : 0.75f};
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(destination.Color(i, 0).r, expectedRed[i]) << mirror << " " << i;
  }
}

// Weight of source pixel j in destination pixel m, by numerical integration of the linearly
// interpolated source's basis function over m's footprint.
double ReferenceWeight(UINT s, UINT d, bool wrap, UINT m, UINT j) {
  const double scale = double(d) / s;
  const double lo = m / scale, hi = (m + 1) / scale;
  const int samples = 4096;
  double sum = 0.0;
  for (int k = 0; k < samples; ++k) {
    double x = lo + (hi - lo) * (k + 0.5) / samples;
    double value = 0.0;
    if (wrap) {
      for (int period = -2; period <= 2; ++period) {
        const double t = x - (j + 0.5) - double(period) * s;
        value += std::max(0.0, 1.0 - std::fabs(t));
      }
    } else {
      x = std::clamp(x, 0.5, s - 0.5);
      value = std::max(0.0, 1.0 - std::fabs(x - (j + 0.5)));
    }
    sum += value;
  }
  return sum / samples;
}

// All reference weights of one axis: [destination][source].
std::vector<std::vector<double>> ReferenceWeights(UINT s, UINT d, bool wrap) {
  std::vector<std::vector<double>> w(d, std::vector<double>(s));
  for (UINT m = 0; m < d; ++m)
    for (UINT j = 0; j < s; ++j) w[m][j] = ReferenceWeight(s, d, wrap, m, j);
  return w;
}

// The table's weights summed per (destination, source) pair.
std::map<std::pair<UINT, UINT>, double> TableWeights(const TriangleWeights& table) {
  std::map<std::pair<UINT, UINT>, double> weights;
  for (UINT j = 0; j < table.SourceCount(); ++j)
    for (const TriangleWeight* w = table.begin(j); w != table.end(j); ++w) weights[{w->destination, j}] += w->weight;
  return weights;
}

struct Sizes {
  UINT source, destination;
};

const Sizes kTentSizes[] = {{1, 1}, {1, 4}, {2, 1}, {2, 4}, {4, 2}, {5, 2}, {6, 4}, {7, 3},
                            {3, 7}, {10, 10}, {13, 5}, {5, 16}, {1000, 1024}, {64, 3}};

TEST(TriangleWeights, AgreeWithTheIntegratedInterpolation) {
  for (const Sizes& size : kTentSizes) {
    if (size.source * size.destination > 20000) continue;  // the reference is quadratic
    for (bool wrap : {true, false}) {
      TriangleWeights table;
      ASSERT_TRUE(BuildTriangleWeights(size.source, size.destination, wrap, &table));
      const auto weights = TableWeights(table);
      for (UINT m = 0; m < size.destination; ++m)
        for (UINT j = 0; j < size.source; ++j) {
          const auto it = weights.find({m, j});
          const double got = it == weights.end() ? 0.0 : it->second;
          EXPECT_NEAR(got, ReferenceWeight(size.source, size.destination, wrap, m, j), 2e-5)
              << size.source << " into " << size.destination << (wrap ? " wrapping" : " mirroring") << ", destination "
              << m << ", source " << j;
        }
    }
  }
}

TEST(TriangleWeights, EveryDestinationPixelSumsToOne) {
  for (const Sizes& size : kTentSizes)
    for (bool wrap : {true, false}) {
      TriangleWeights table;
      ASSERT_TRUE(BuildTriangleWeights(size.source, size.destination, wrap, &table));
      std::vector<double> sums(size.destination, 0.0);
      for (UINT j = 0; j < size.source; ++j)
        for (const TriangleWeight* w = table.begin(j); w != table.end(j); ++w) {
          ASSERT_LT(w->destination, size.destination);
          sums[w->destination] += w->weight;
        }
      // The tents are laid out in single-precision destination coordinates, whose rounding grows
      // with the size (about one unit in the last place of the largest coordinate).
      const double tolerance = 1e-5 + FLT_EPSILON * std::max(size.source, size.destination);
      for (UINT m = 0; m < size.destination; ++m)
        EXPECT_NEAR(sums[m], 1.0, tolerance) << size.source << " into " << size.destination << (wrap ? " wrap" : " mirror")
                                        << " at " << m;
    }
  TriangleWeights empty;
  EXPECT_FALSE(BuildTriangleWeights(0, 4, true, &empty));
  EXPECT_FALSE(BuildTriangleWeights(4, 0, false, &empty));
}

TEST(TriangleFilter, OnePixelSourceFillsEveryDestinationPixel) {
  for (DWORD mirror : {0u, UT_FILTER_MIRROR}) {
    TestImage source(D3DFMT_A8R8G8B8, 4, 1, 1);
    source.SetPixel(0, 0, 0x80C04010u);
    TestImage destination(D3DFMT_A8R8G8B8, 4, 4, 4);
    ASSERT_EQ(ConvertImage(destination, source, UT_FILTER_TRIANGLE | mirror), S_OK);
    for (UINT y = 0; y < 4; ++y)
      for (UINT x = 0; x < 4; ++x) EXPECT_EQ(destination.Pixel(x, y), 0x80C04010u) << x << "," << y << " " << mirror;
  }
}

// Whole images of floats against the reference weights applied along both axes.
TEST(TriangleFilter, ImagesAgreeWithTheIntegratedInterpolation) {
  const Sizes shapes[][2] = {{{7, 5}, {3, 9}}, {{4, 4}, {8, 2}}, {{1, 6}, {5, 4}}, {{16, 16}, {5, 5}}};
  for (const auto& shape : shapes) {
    const UINT sw = shape[0].source, sh = shape[0].destination, dw = shape[1].source, dh = shape[1].destination;
    TestImage source(D3DFMT_A32B32G32R32F, 16, sw, sh);
    for (UINT y = 0; y < sh; ++y)
      for (UINT x = 0; x < sw; ++x)
        source.SetColor(x, y, UtColor(std::sin(x * 1.3f + y) * 0.5f + 0.5f, float(x) / sw, float(y) / sh, 1.0f));
    for (bool wrap : {true, false}) {
      TestImage destination(D3DFMT_A32B32G32R32F, 16, dw, dh);
      ASSERT_EQ(ConvertImage(destination, source, UT_FILTER_TRIANGLE | (wrap ? 0 : UT_FILTER_MIRROR)), S_OK);
      const auto wx = ReferenceWeights(sw, dw, wrap), wy = ReferenceWeights(sh, dh, wrap);
      for (UINT n = 0; n < dh; ++n)
        for (UINT m = 0; m < dw; ++m) {
          double r = 0.0, g = 0.0, b = 0.0;
          for (UINT k = 0; k < sh; ++k)
            for (UINT j = 0; j < sw; ++j) {
              const double w = wx[m][j] * wy[n][k];
              r += w * source.Color(j, k).r;
              g += w * source.Color(j, k).g;
              b += w * source.Color(j, k).b;
            }
          const UtColor got = destination.Color(m, n);
          const std::string where = std::to_string(sw) + "x" + std::to_string(sh) + " into " + std::to_string(dw) + "x" +
                                    std::to_string(dh) + (wrap ? " wrapping" : " mirroring") + " at " +
                                    std::to_string(m) + "," + std::to_string(n);
          EXPECT_NEAR(got.r, r, 1e-4) << where;
          EXPECT_NEAR(got.g, g, 1e-4) << where;
          EXPECT_NEAR(got.b, b, 1e-4) << where;
          EXPECT_NEAR(got.a, 1.0, 1e-4) << where;
        }
    }
  }
}

// Volumes: the tent filter of three dimensions against the reference weights on every axis.
TEST(TriangleFilter, VolumesAgreeWithTheIntegratedInterpolation) {
  const UINT sw = 3, sh = 2, sd = 3, dw = 2, dh = 3, dd = 4;
  TestImage source(D3DFMT_A32B32G32R32F, 16, sw, sh, sd);
  for (UINT z = 0; z < sd; ++z)
    for (UINT y = 0; y < sh; ++y)
      for (UINT x = 0; x < sw; ++x) source.SetColor(x, y, UtColor(x * 0.3f + z * 0.1f, y * 0.5f, z * 0.2f + 0.1f, 1.0f), z);
  for (bool wrap : {true, false}) {
    TestImage destination(D3DFMT_A32B32G32R32F, 16, dw, dh, dd);
    ASSERT_EQ(ConvertImage(destination, source, UT_FILTER_TRIANGLE | (wrap ? 0 : UT_FILTER_MIRROR)), S_OK);
    EXPECT_EQ(LastStrategy(), "FilterTriangle3D");
    const auto wx = ReferenceWeights(sw, dw, wrap), wy = ReferenceWeights(sh, dh, wrap), wz = ReferenceWeights(sd, dd, wrap);
    for (UINT q = 0; q < dd; ++q)
      for (UINT n = 0; n < dh; ++n)
        for (UINT m = 0; m < dw; ++m) {
          double r = 0.0, g = 0.0, b = 0.0;
          for (UINT t = 0; t < sd; ++t)
            for (UINT k = 0; k < sh; ++k)
              for (UINT j = 0; j < sw; ++j) {
                const double w = wx[m][j] * wy[n][k] * wz[q][t];
                r += w * source.Color(j, k, t).r;
                g += w * source.Color(j, k, t).g;
                b += w * source.Color(j, k, t).b;
              }
          const UtColor got = destination.Color(m, n, q);
          EXPECT_NEAR(got.r, r, 1e-4) << (wrap ? "wrap " : "mirror ") << m << "," << n << "," << q;
          EXPECT_NEAR(got.g, g, 1e-4) << (wrap ? "wrap " : "mirror ") << m << "," << n << "," << q;
          EXPECT_NEAR(got.b, b, 1e-4) << (wrap ? "wrap " : "mirror ") << m << "," << n << "," << q;
        }
  }
}

// Volumes under the linear filter: the blend of the two nearest slices of the blend of the two
// nearest rows of the blend of the two nearest pixels, with the weights of the three tables.
TEST(LinearFilter, VolumesBlendEightNeighbours) {
  const UINT sw = 3, sh = 4, sd = 2, dw = 5, dh = 2, dd = 3;
  TestImage source(D3DFMT_A32B32G32R32F, 16, sw, sh, sd);
  for (UINT z = 0; z < sd; ++z)
    for (UINT y = 0; y < sh; ++y)
      for (UINT x = 0; x < sw; ++x) source.SetColor(x, y, UtColor(x * 0.25f, y * 0.125f, z * 0.5f, 1.0f), z);
  TestImage destination(D3DFMT_A32B32G32R32F, 16, dw, dh, dd);
  ASSERT_EQ(ConvertImage(destination, source, UT_FILTER_LINEAR | UT_FILTER_MIRROR_V), S_OK);
  EXPECT_EQ(LastStrategy(), "FilterLinear3D");
  const auto xs = BuildLinearWeights(sw, dw, true);
  const auto ys = BuildLinearWeights(sh, dh, false);
  const auto zs = BuildLinearWeights(sd, dd, true);
  for (UINT q = 0; q < dd; ++q)
    for (UINT n = 0; n < dh; ++n)
      for (UINT m = 0; m < dw; ++m) {
        auto at = [&](UINT x, UINT y, UINT z) { return double(source.Color(x, y, z).r); };
        auto rowBlend = [&](UINT y, UINT z) {
          return xs[m].firstWeight * at(xs[m].first, y, z) + xs[m].secondWeight * at(xs[m].second, y, z);
        };
        auto sliceBlend = [&](UINT z) {
          return ys[n].firstWeight * rowBlend(ys[n].first, z) + ys[n].secondWeight * rowBlend(ys[n].second, z);
        };
        const double expected = zs[q].firstWeight * sliceBlend(zs[q].first) + zs[q].secondWeight * sliceBlend(zs[q].second);
        EXPECT_NEAR(destination.Color(m, n, q).r, expected, 1e-6) << m << "," << n << "," << q;
      }
}

// The filter's sums in the order written down for it: for each source row, pixel, x pair and
// y pair, accumulator += colour x (wx x wy); then clamped and encoded. Any faster form must
// give these bits (within float rounding and at most one unit after encoding).
TEST(TriangleFilter, EqualsTheStraightforwardSums) {
  const UINT sw = 13, sh = 9, dw = 20, dh = 6;
  TestImage source(D3DFMT_A32B32G32R32F, 16, sw, sh);
  for (UINT y = 0; y < sh; ++y)
    for (UINT x = 0; x < sw; ++x)
      source.SetColor(x, y, UtColor(std::cos(x * 0.7f + y * 0.3f) * 0.5f + 0.5f, (x * y % 7) / 7.0f, 0.3f, 0.9f));
  TriangleWeights xs, ys;
  ASSERT_TRUE(BuildTriangleWeights(sw, dw, true, &xs));
  ASSERT_TRUE(BuildTriangleWeights(sh, dh, true, &ys));
  std::vector<UtColor> accumulators(dw * dh, UtColor(0, 0, 0, 0));
  for (UINT y = 0; y < sh; ++y)
    for (UINT p = 0; p < sw; ++p)
      for (const TriangleWeight* wx = xs.begin(p); wx != xs.end(p); ++wx)
        for (const TriangleWeight* wy = ys.begin(y); wy != ys.end(y); ++wy) {
          const float w = wx->weight * wy->weight;
          const UtColor c = source.Color(p, y);
          UtColor& a = accumulators[wy->destination * dw + wx->destination];
          a.r += c.r * w;
          a.g += c.g * w;
          a.b += c.b * w;
          a.a += c.a * w;
        }
  TestImage destination(D3DFMT_A32B32G32R32F, 16, dw, dh);
  ASSERT_EQ(ConvertImage(destination, source, UT_FILTER_TRIANGLE), S_OK);
  for (UINT n = 0; n < dh; ++n)
    for (UINT m = 0; m < dw; ++m) {
      EXPECT_TRUE(SameBits(destination.Color(m, n), accumulators[n * dw + m]))
          << m << "," << n << ": " << ColorText(destination.Color(m, n)) << " against "
          << ColorText(accumulators[n * dw + m]);
    }
}

}  // namespace
