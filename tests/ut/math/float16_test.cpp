// Half-precision conversion: the encoder's rounding, saturation and denormal rules, the exact
// decoder, and the array contract.
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "math_test_util.h"

namespace {

UtFloat16 Encode(float f) {
  UtFloat16 h = 0xDEAD;
  UtFloat32To16Array(&h, &f, 1);
  return h;
}

float Decode(UtFloat16 h) {
  float f = -12345.0f;
  UtFloat16To32Array(&f, &h, 1);
  return f;
}

// The value of a half from its fields, computed independently of the decoder.
double HalfValue(UtFloat16 h) {
  const int e = (h >> 10) & 0x1F, m = h & 0x3FF;
  const double magnitude = e ? std::ldexp(1.0 + m / 1024.0, e - 15) : std::ldexp(m, -24);
  return (h & 0x8000) ? -magnitude : magnitude;
}

// Reference encoder in double: round to nearest even on the half grid. In the denormal range the
// value is first truncated to 13 bits below the 2^-24 unit, as the encoder discards the bits it
// shifts out before rounding.
UtFloat16 ReferenceEncode(float f) {
  const uint16_t sign = std::signbit(f) ? 0x8000 : 0;
  const double a = std::fabs(static_cast<double>(f));
  if (!(a < 131040.0)) return sign | 0x7FFF;  // NaN lands here too
  if (a >= std::ldexp(1.0, -14)) {
    int exp2;
    std::frexp(a, &exp2);  // a = f * 2^exp2 with f in [0.5, 1)
    const double quantum = std::ldexp(1.0, exp2 - 11);
    const double q = std::nearbyint(a / quantum) * quantum;  // default mode: ties to even
    int e2;
    const double frac = std::frexp(q, &e2);
    const int e = e2 - 1 + 15;
    const int m = static_cast<int>((frac * 2.0 - 1.0) * 1024.0);
    return static_cast<UtFloat16>(sign | (e << 10) | m);
  }
  const double units = std::floor(std::ldexp(a, 24 + 13)) / 8192.0;  // in 2^-24, truncated
  return static_cast<UtFloat16>(sign | static_cast<int>(std::nearbyint(units)));
}

struct EncodeCase {
  const char* what;
  float in;
  UtFloat16 want;
};

const EncodeCase kEncodeCases[] = {
    {"one", 1.0f, 0x3C00},
    {"minus two", -2.0f, 0xC000},
    {"0.1", 0.1f, 0x2E66},
    {"65504", 65504.0f, 0x7BFF},
    {"100000 (99968)", 100000.0f, 0x7E1A},
    {"65520 carries into exponent 31", 65520.0f, 0x7C00},
    {"70000 uses exponent 31", 70000.0f, 0x7C46},
    {"131008 largest", 131008.0f, 0x7FFF},
    {"just below the saturation threshold", FromBits(0x47FFEFFF), 0x7FFF},
    {"131040 saturates", 131040.0f, 0x7FFF},
    {"-131040 saturates", -131040.0f, 0xFFFF},
    {"1e30 saturates", 1e30f, 0x7FFF},
    {"+infinity", std::numeric_limits<float>::infinity(), 0x7FFF},
    {"-infinity", -std::numeric_limits<float>::infinity(), 0xFFFF},
    {"quiet NaN", FromBits(0x7FC00000), 0x7FFF},
    {"negative NaN", FromBits(0xFFC00000), 0xFFFF},
    {"signalling NaN payload", FromBits(0x7F800001), 0x7FFF},
    {"zero", 0.0f, 0x0000},
    {"minus zero", -0.0f, 0x8000},
    {"smallest normal 2^-14", std::ldexp(1.0f, -14), 0x0400},
    {"largest denormal 1023*2^-24", 1023.0f * std::ldexp(1.0f, -24), 0x03FF},
    {"just below 2^-14 rounds up to it", FromBits(0x387FFFFF), 0x0400},
    {"2^-24", std::ldexp(1.0f, -24), 0x0001},
    {"-2^-24", -std::ldexp(1.0f, -24), 0x8001},
    {"1.5*2^-24 ties to even", 1.5f * std::ldexp(1.0f, -24), 0x0002},
    {"2.5*2^-24 ties to even", 2.5f * std::ldexp(1.0f, -24), 0x0002},
    {"2^-25 ties to even", std::ldexp(1.0f, -25), 0x0000},
    {"just above 2^-25, bits discarded", std::ldexp(1.0f, -25) * (1.0f + std::ldexp(1.0f, -23)),
     0x0000},
    {"2.5*2^-24 plus one float ulp, bits discarded",
     FromBits(Bits(2.5f * std::ldexp(1.0f, -24)) + 1), 0x0002},
    {"2.5*2^-24 plus a kept bit rounds up", FromBits(Bits(2.5f * std::ldexp(1.0f, -24)) + 512),
     0x0003},
    {"2^-46", std::ldexp(1.0f, -46), 0x0000},
    {"-2^-80", -std::ldexp(1.0f, -80), 0x8000},
    {"float denormal", FromBits(0x00000001), 0x0000},
    {"negative float denormal", FromBits(0x807FFFFF), 0x8000},
    {"1 + 2^-11 ties to even (down)", 1.0f + std::ldexp(1.0f, -11), 0x3C00},
    {"1 + 3*2^-11 ties to even (up)", 1.0f + 3.0f * std::ldexp(1.0f, -11), 0x3C02},
    {"just above 1 + 2^-11 rounds up", FromBits(Bits(1.0f + std::ldexp(1.0f, -11)) + 1), 0x3C01},
    {"2047.5 rounds mantissa carry to 2048", 2047.5f, 0x6800},
};

TEST(Float16Encode, KnownValues) {
  for (const EncodeCase& c : kEncodeCases)
    EXPECT_EQ(Encode(c.in), c.want) << c.what << " (float bits " << std::hex << Bits(c.in) << ")";
}

TEST(Float16Encode, DiscardedBitsCaseDiffersFromExactRounding) {
  // The value is above the midpoint between 0 and 2^-24, so exact rounding would give 0x0001;
  // the encoder discards the low bits first and lands on the midpoint.
  const float v = std::ldexp(1.0f, -25) * (1.0f + std::ldexp(1.0f, -23));
  ASSERT_GT(static_cast<double>(v), std::ldexp(1.0, -25));
  EXPECT_EQ(Encode(v), 0x0000);
}

TEST(Float16Encode, MatchesReferenceAroundEveryMidpoint) {
  // Every midpoint between neighbouring halves and its float neighbours, both signs.
  for (uint32_t h = 0; h < 0x7FFF; ++h) {
    const double mid =
        (HalfValue(static_cast<UtFloat16>(h)) + HalfValue(static_cast<UtFloat16>(h + 1))) / 2;
    const float fm = static_cast<float>(mid);
    ASSERT_EQ(static_cast<double>(fm), mid) << "midpoint not representable after half " << h;
    for (uint32_t bits : {Bits(fm) - 1, Bits(fm), Bits(fm) + 1}) {
      for (uint32_t sign : {0u, 0x80000000u}) {
        const float f = FromBits(bits | sign);
        ASSERT_EQ(Encode(f), ReferenceEncode(f))
            << "float bits " << std::hex << (bits | sign) << " near the midpoint above half " << h;
      }
    }
  }
}

TEST(Float16Encode, MatchesReferenceOverSampledFloats) {
  // A stride through all float bit patterns, prime so that every exponent and many mantissa
  // patterns are met.
  for (uint64_t b = 0; b <= 0xFFFFFFFFull; b += 1021) {
    const float f = FromBits(static_cast<uint32_t>(b));
    ASSERT_EQ(Encode(f), ReferenceEncode(f)) << "float bits " << std::hex << b;
  }
}

struct DecodeCase {
  UtFloat16 in;
  float want;
};

const DecodeCase kDecodeCases[] = {
    {0x0000, 0.0f},
    {0x0001, 5.9604645e-8f},
    {0x03FF, 1023.0f * 5.9604645e-8f},
    {0x0400, 6.1035156e-5f},
    {0x3C00, 1.0f},
    {0xC000, -2.0f},
    {0x7BFF, 65504.0f},
    {0x7C00, 65536.0f},
    {0x7E1A, 99968.0f},
    {0x7FFF, 131008.0f},
    {0xFFFF, -131008.0f},
};

TEST(Float16Decode, KnownValues) {
  for (const DecodeCase& c : kDecodeCases)
    EXPECT_EQ(Bits(Decode(c.in)), Bits(c.want)) << "half " << std::hex << c.in;
  EXPECT_EQ(Bits(Decode(0x8000)), 0x80000000u) << "minus zero keeps its sign";
}

TEST(Float16Decode, EveryHalfDecodesExactlyAndReencodesUnchanged) {
  std::vector<UtFloat16> halves(65536);
  for (uint32_t h = 0; h < 65536; ++h) halves[h] = static_cast<UtFloat16>(h);
  std::vector<float> floats(65536);
  ASSERT_EQ(UtFloat16To32Array(floats.data(), halves.data(), 65536), floats.data());
  std::vector<UtFloat16> again(65536);
  ASSERT_EQ(UtFloat32To16Array(again.data(), floats.data(), 65536), again.data());
  for (uint32_t h = 0; h < 65536; ++h) {
    const UtFloat16 half = static_cast<UtFloat16>(h);
    ASSERT_EQ(static_cast<double>(floats[h]), HalfValue(half)) << "half " << std::hex << h;
    ASSERT_EQ(std::signbit(floats[h]), (h & 0x8000) != 0) << "half " << std::hex << h;
    ASSERT_EQ(again[h], half) << "half " << std::hex << h << " decoded to " << floats[h];
  }
}

TEST(Float16Array, CountZeroWritesNothing) {
  const float in[1] = {1.0f};
  UtFloat16 out16[1] = {0x1234};
  EXPECT_EQ(UtFloat32To16Array(out16, in, 0), out16);
  EXPECT_EQ(out16[0], 0x1234);

  const UtFloat16 in16[1] = {0x3C00};
  float out32[1] = {-7.0f};
  EXPECT_EQ(UtFloat16To32Array(out32, in16, 0), out32);
  EXPECT_EQ(out32[0], -7.0f);
}

TEST(Float16Array, ConvertsInOrderAndStopsAtCount) {
  const float in[6] = {1.0f, -2.0f, 0.5f, 65504.0f, -0.0f, 3.0f};
  std::array<UtFloat16, 7> out;
  out.fill(0xAAAA);
  EXPECT_EQ(UtFloat32To16Array(out.data(), in, 5), out.data());
  const std::array<UtFloat16, 7> want16 = {0x3C00, 0xC000, 0x3800, 0x7BFF, 0x8000, 0xAAAA, 0xAAAA};
  EXPECT_EQ(out, want16);

  std::array<float, 7> back;
  back.fill(42.0f);
  EXPECT_EQ(UtFloat16To32Array(back.data(), out.data(), 5), back.data());
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Bits(back[i]), Bits(in[i])) << "element " << i;
  EXPECT_EQ(back[5], 42.0f);
  EXPECT_EQ(back[6], 42.0f);
}

TEST(Float16Array, UnalignedElements) {
  // Elements need only their own alignment: run both directions at an odd element offset.
  alignas(16) UtFloat16 halves[5] = {0, 0x3C00, 0x4000, 0x4200, 0};
  alignas(16) float floats[5] = {0, 0, 0, 0, 0};
  UtFloat16To32Array(floats + 1, halves + 1, 3);
  EXPECT_EQ(floats[1], 1.0f);
  EXPECT_EQ(floats[2], 2.0f);
  EXPECT_EQ(floats[3], 3.0f);
  UtFloat16 again[5] = {};
  UtFloat32To16Array(again + 1, floats + 1, 3);
  EXPECT_EQ(again[1], 0x3C00);
  EXPECT_EQ(again[3], 0x4200);
}

}  // namespace
