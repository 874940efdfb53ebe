// The AVX2 kernel for linearly filtered, wrapped textures against the scalar loops it stands in
// for: the same scenes drawn both ways must leave the same bytes in the back buffer, over many
// span widths and positions, texture sizes and formats, coordinates that wrap, magnify and
// minify, and every depth comparison with and without depth writes.
#include <cstdint>
#include <string>

#include "d3d9/runtime/bilinear_span_avx2.h"
#include "tests/d3d9/runtime/render_fixture.h"

namespace d3d9rt_test {
namespace {

// A small deterministic generator, so that a failing case names its seed.
struct Random {
  uint64_t state;
  uint32_t Next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state >> 33);
  }
  float Uniform(float lo, float hi) { return lo + (hi - lo) * static_cast<float>(Next() % 65536u) / 65535.0f; }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }
};

constexpr DWORD kDepthFunctions[] = {D3DCMP_NEVER,    D3DCMP_LESS,     D3DCMP_EQUAL,
                                     D3DCMP_LESSEQUAL, D3DCMP_GREATER, D3DCMP_NOTEQUAL,
                                     D3DCMP_GREATEREQUAL, D3DCMP_ALWAYS};

struct Target {
  D3DFORMAT color;
  D3DFORMAT depth;
  bool depthTest;
};

struct TextureCase {
  UINT width, height;
  D3DFORMAT format;
};

class VectorSpanTest : public RenderTest {
 protected:
  void TearDown() override {
    d3d9rt::SetVectorSpans(true);
    texture_.Reset();
    RenderTest::TearDown();
  }

  // Draws `rects` textured quads chosen by `seed`, each with its own depth comparison and
  // slanted depth, and returns the back buffer.
  std::vector<uint32_t> DrawScene(uint64_t seed, int rects, bool vector) {
    d3d9rt::SetVectorSpans(vector);
    Clear(0xff203040u, 0.5f);
    Random random{seed};
    for (int k = 0; k < rects; ++k) {
      const float x0 = random.Uniform(-8.0f, kSize);
      const float y0 = random.Uniform(-8.0f, kSize);
      const float x1 = x0 + random.Uniform(0.3f, 70.0f);
      const float y1 = y0 + random.Uniform(0.3f, 12.0f);
      // From a fraction of a texel per pixel (magnified) to several texels per pixel (minified),
      // anywhere on the plane, wrapping across the edges.
      const float scale = random.Below(3) == 0 ? random.Uniform(2.0f, 40.0f) : random.Uniform(0.01f, 2.0f);
      const float u0 = random.Uniform(-3.0f, 3.0f), v0 = random.Uniform(-3.0f, 3.0f);
      const float u1 = u0 + (random.Below(2) ? scale : -scale);
      const float v1 = v0 + random.Uniform(-scale, scale);
      // Half the quads turned on the texture, so that a row crosses rows of texels.
      const float turn = random.Below(2) ? random.Uniform(-scale, scale) : 0.0f;
      // Depth slanted across the quad, or flat at the cleared value (where EQUAL passes).
      const bool flat = random.Below(4) == 0;
      const float za = flat ? 0.5f : random.Uniform(0.0f, 1.0f);
      const float zb = flat ? 0.5f : random.Uniform(0.0f, 1.0f);
      EXPECT_EQ(device_->SetRenderState(D3DRS_ZFUNC, kDepthFunctions[random.Below(8)]), D3D_OK);
      EXPECT_EQ(device_->SetRenderState(D3DRS_ZWRITEENABLE, random.Below(4) != 0), D3D_OK);
      EXPECT_EQ(Draw(D3DPT_TRIANGLESTRIP, {At(x0, y0, za, u0, v0), At(x1, y0, zb, u1, v0 + turn),
                                           At(x0, y1, za, u0 - turn, v1), At(x1, y1, zb, u1 - turn, v1 + turn)}),
                D3D_OK);
    }
    return Pixels();
  }

  // The scene drawn through the scalar loops and through the kernel; reports the first pixel
  // that differs.
  void ExpectSameBothWays(const std::string& what, uint64_t seed, int rects) {
    const std::vector<uint32_t> scalar = DrawScene(seed, rects, false);
    const std::vector<uint32_t> vector = DrawScene(seed, rects, true);
    size_t drawn = 0;
    for (uint32_t p : scalar) drawn += p != 0xff203040u && p != 0x00203040u;
    EXPECT_GT(drawn, scalar.size() / 16) << what << ": the scene hardly draws anything";
    for (size_t i = 0; i < scalar.size(); ++i) {
      if (scalar[i] != vector[i]) {
        ADD_FAILURE() << what << ", seed " << seed << ": pixel " << i % kSize << "," << i / kSize
                      << " is " << std::hex << vector[i] << " with the kernel, " << scalar[i]
                      << " without";
        return;
      }
    }
  }

  void UseTexture(const TextureCase& t, uint64_t seed) {
    Random random{seed};
    texture_ = MakeTexture(t.width, t.height, 1, [&](UINT, UINT, UINT) { return random.Next(); }, t.format);
    ASSERT_TRUE(texture_);
    ASSERT_EQ(device_->SetTexture(0, texture_.Get()), D3D_OK);
    ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR), D3D_OK);
    ASSERT_EQ(device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR), D3D_OK);
  }

  ComPtr<IDirect3DTexture9> texture_;
};

TEST_F(VectorSpanTest, ScenesMatchTheScalarLoopsByteForByte) {
  if (!d3d9rt::HaveBilinearSpanAvx2()) GTEST_SKIP() << "no AVX2 on this processor";
  const Target targets[] = {
      {D3DFMT_A8R8G8B8, D3DFMT_D24S8, true},
      {D3DFMT_X8R8G8B8, D3DFMT_D24X8, true},
      {D3DFMT_A8R8G8B8, D3DFMT_D16, true},  // the scalar road both ways
      {D3DFMT_X8R8G8B8, D3DFMT_D24S8, false},
  };
  const TextureCase textures[] = {
      {1, 1, D3DFMT_A8R8G8B8}, {2, 8, D3DFMT_X8R8G8B8}, {16, 16, D3DFMT_A8R8G8B8},
      {64, 4, D3DFMT_X8R8G8B8}, {256, 256, D3DFMT_X8R8G8B8}, {128, 512, D3DFMT_A8R8G8B8},
  };
  uint64_t seed = 1;
  for (const Target& target : targets) {
    texture_.Reset();
    ASSERT_NO_FATAL_FAILURE(MakeDevice(target.color, target.depth));
    ASSERT_EQ(device_->SetRenderState(D3DRS_ZENABLE, target.depthTest ? D3DZB_TRUE : D3DZB_FALSE), D3D_OK);
    for (const TextureCase& t : textures) {
      ASSERT_NO_FATAL_FAILURE(UseTexture(t, seed));
      for (int scene = 0; scene < 6; ++scene, ++seed) {
        const std::string what = "target " + std::to_string(target.color) + "/" +
                                 std::to_string(target.depth) + (target.depthTest ? "" : " no depth test") +
                                 ", texture " + std::to_string(t.width) + "x" + std::to_string(t.height) +
                                 " format " + std::to_string(t.format);
        ExpectSameBothWays(what, seed, 32);
      }
    }
  }
}

// One row of every width from 1 to 40 at every start within a group of eight, so that each
// end of a span falls in each lane, over a depth test that passes in parts of the row.
TEST_F(VectorSpanTest, EveryWidthAndStartWithinAGroupOfEight) {
  if (!d3d9rt::HaveBilinearSpanAvx2()) GTEST_SKIP() << "no AVX2 on this processor";
  ASSERT_NO_FATAL_FAILURE(UseTexture({32, 32, D3DFMT_A8R8G8B8}, 7));
  ASSERT_EQ(device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS), D3D_OK);
  for (int width = 1; width <= 40; ++width) {
    for (int start = 0; start < 8; ++start) {
      const float x0 = static_cast<float>(start + 8 * (width % 3)) - 0.5f, x1 = x0 + static_cast<float>(width);
      const float y = static_cast<float>(width) - 0.5f;
      const float u0 = 0.37f * static_cast<float>(start) - 0.5f, u1 = u0 + 0.11f * static_cast<float>(width);
      std::vector<uint32_t> pictures[2];
      for (bool vector : {false, true}) {
        d3d9rt::SetVectorSpans(vector);
        Clear(0xff000000u, 0.5f);
        // Depth from 0.2 to 0.8 along the row: the half left of the middle passes.
        ASSERT_EQ(Draw(D3DPT_TRIANGLESTRIP, {At(x0, y, 0.2f, u0, 0.2f), At(x1, y, 0.8f, u1, 0.2f),
                                             At(x0, y + 1.0f, 0.2f, u0, 0.3f), At(x1, y + 1.0f, 0.8f, u1, 0.3f)}),
                  D3D_OK);
        pictures[vector] = Pixels();
      }
      int drawn = 0;
      for (int x = 0; x < kSize; ++x) drawn += PixelAt(pictures[0], x, width) != 0xff000000u;
      EXPECT_GE(drawn, (width - 1) / 2) << "width " << width << ", start " << start;
      for (size_t i = 0; i < pictures[0].size(); ++i) {
        if (pictures[1][i] != pictures[0][i]) {
          ADD_FAILURE() << "width " << width << ", start " << start << ": pixel " << i % kSize
                        << "," << i / kSize << " is " << std::hex << pictures[1][i]
                        << " with the kernel, " << pictures[0][i] << " without";
          break;
        }
      }
    }
  }
}

}  // namespace
}  // namespace d3d9rt_test
