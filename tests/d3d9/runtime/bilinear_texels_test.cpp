// The span's weighing of four texels against the sampler's own Lerp, byte for byte: each
// channel alone at its maximum (a swizzle shows), all ones, noise, and the edge fractions.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "d3d9/runtime/bilinear_texels.h"

namespace {

using d3d9rt::sampler_detail::Lerp;

TEST(BilinearTexels, MatchesTheSamplersLerpExactly) {
  std::vector<uint32_t> texels = {0x00000000u, 0xff000000u, 0x00ff0000u, 0x0000ff00u, 0x000000ffu,
                                  0xffffffffu, 0x80808080u, 0x01fe7f80u};
  std::mt19937 random(9);
  for (int i = 0; i < 8; ++i) texels.push_back(static_cast<uint32_t>(random()));
  const unsigned fractions[] = {0, 1, 2, 127, 128, 129, 254, 255};
  int checked = 0;
  for (uint32_t a : texels)
    for (uint32_t b : texels)
      for (size_t k = 0; k < texels.size(); k += 3) {
        const uint32_t c = texels[k], d = texels[(k + 5) % texels.size()];
        for (unsigned fx : fractions)
          for (unsigned fy : fractions) {
            const uint32_t want = Lerp(Lerp(a, b, fx), Lerp(c, d, fx), fy);
            const uint32_t got = d3d9rt::Bilinear(a, b, c, d, fx, fy);
            ASSERT_EQ(got, want) << std::hex << "texels " << a << " " << b << " " << c << " " << d
                                 << std::dec << ", fractions " << fx << " " << fy;
            ++checked;
          }
      }
  EXPECT_GT(checked, 10000);
}

}  // namespace
