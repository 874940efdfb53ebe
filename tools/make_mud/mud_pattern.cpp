#include "mud_pattern.h"

#include <algorithm>
#include <cmath>

namespace {

// Integer hash of a lattice point (a small avalanche mix), giving a value in [0, 1).
float Hash(int x, int y, std::uint32_t seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 0x8DA6B343u ^
                    static_cast<std::uint32_t>(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

float Smooth(float t) { return t * t * (3.0f - 2.0f * t); }

// Value noise on a lattice of `period` cells, wrapped so the texture tiles.
float ValueNoise(float x, float y, int period, std::uint32_t seed) {
  const int x0 = static_cast<int>(std::floor(x));
  const int y0 = static_cast<int>(std::floor(y));
  const float fx = Smooth(x - static_cast<float>(x0));
  const float fy = Smooth(y - static_cast<float>(y0));
  auto at = [&](int ix, int iy) {
    return Hash(((ix % period) + period) % period, ((iy % period) + period) % period, seed);
  };
  const float top = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * fx;
  const float bottom = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * fx;
  return top + (bottom - top) * fy;
}

// Fractal sum of octaves, each twice as fine and half as strong; u, v in [0, 1).
float Fbm(float u, float v, int basePeriod, int octaves, std::uint32_t seed) {
  float sum = 0.0f, weight = 0.5f, total = 0.0f;
  int period = basePeriod;
  for (int i = 0; i < octaves; ++i) {
    sum += weight * ValueNoise(u * static_cast<float>(period), v * static_cast<float>(period),
                               period, seed + static_cast<std::uint32_t>(i) * 101u);
    total += weight;
    weight *= 0.5f;
    period *= 2;
  }
  return sum / total;
}

float Mix(float a, float b, float t) { return a + (b - a) * t; }

float Step(float edge0, float edge1, float x) {
  return Smooth(std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f));
}

struct Rgb {
  float r, g, b;
};

Rgb MixRgb(Rgb a, Rgb b, float t) { return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)}; }

// Pebbles: one candidate per cell of a coarse grid, kept by a hash; returns the pebble's cover
// (0 outside, 1 inside) and its shading in `shade`.
float Pebble(float u, float v, int cells, std::uint32_t seed, float& shade) {
  const float x = u * static_cast<float>(cells), y = v * static_cast<float>(cells);
  const int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
  float best = 0.0f;
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      const int gx = ((cx + dx) % cells + cells) % cells, gy = ((cy + dy) % cells + cells) % cells;
      if (Hash(gx, gy, seed) > 0.22f) continue;  // most cells have no pebble
      const float px = static_cast<float>(cx + dx) + 0.2f + 0.6f * Hash(gx, gy, seed + 1);
      const float py = static_cast<float>(cy + dy) + 0.2f + 0.6f * Hash(gx, gy, seed + 2);
      const float radius = 0.12f + 0.18f * Hash(gx, gy, seed + 3);
      const float ox = (x - px) / radius, oy = (y - py) / (radius * 0.75f);
      const float d2 = ox * ox + oy * oy;
      if (d2 >= 1.0f) continue;
      const float cover = 1.0f - Step(0.7f, 1.0f, d2);
      if (cover > best) {
        best = cover;
        // Lit from the upper left: brighter where the offset points there.
        shade = 0.70f + 0.30f * std::clamp(-(ox + oy) * 0.5f, -1.0f, 1.0f) +
                0.2f * Hash(gx, gy, seed + 4);
      }
    }
  }
  return best;
}

}  // namespace

std::vector<std::uint8_t> MakeMudPattern(int width, int height, std::uint32_t seed) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  const Rgb dryEarth{0.47f, 0.35f, 0.22f};
  const Rgb darkEarth{0.29f, 0.20f, 0.12f};
  const Rgb wetMud{0.16f, 0.11f, 0.07f};
  const Rgb pebbleStone{0.42f, 0.36f, 0.28f};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const float u = static_cast<float>(x) / static_cast<float>(width);
      const float v = static_cast<float>(y) / static_cast<float>(height);
      const float base = Fbm(u, v, 4, 7, seed);
      const float grain = Fbm(u, v, 64, 3, seed + 7);
      const float wet = Fbm(u, v, 3, 5, seed + 13);
      Rgb c = MixRgb(darkEarth, dryEarth, Step(0.30f, 0.70f, base));
      // Wet patches: darker, less saturated, with a faint sheen at their centres.
      const float wetness = Step(0.52f, 0.62f, wet);
      c = MixRgb(c, wetMud, wetness * 0.85f);
      const float sheen = Step(0.66f, 0.80f, wet) * Step(0.55f, 0.75f, grain) * 0.10f;
      c = {c.r + sheen, c.g + sheen, c.b + sheen * 1.1f};
      // Fine grain everywhere so the surface does not look airbrushed.
      const float g = (grain - 0.5f) * 0.35f;
      c = {c.r * (1.0f + g), c.g * (1.0f + g), c.b * (1.0f + g)};
      float shade = 1.0f;
      const float stone = Pebble(u, v, 28, seed + 29, shade) * (1.0f - wetness * 0.7f);
      if (stone > 0.0f) {
        const float tint = Fbm(u, v, 128, 2, seed + 31) * 0.2f;
        const Rgb p{pebbleStone.r * shade + tint, pebbleStone.g * shade + tint,
                    pebbleStone.b * shade + tint * 0.8f};
        c = MixRgb(c, p, stone);
      }
      std::uint8_t* out = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      const float channels[3] = {c.r, c.g, c.b};
      for (int i = 0; i < 3; ++i)
        out[i] = static_cast<std::uint8_t>(std::clamp(channels[i], 0.0f, 1.0f) * 255.0f + 0.5f);
    }
  }
  return rgb;
}
