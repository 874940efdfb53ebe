// Small helpers shared by the math tests: bit patterns, matrix printing and comparisons.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "ut.h"

inline uint32_t Bits(float f) {
  uint32_t b;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

inline float FromBits(uint32_t b) {
  float f;
  std::memcpy(&f, &b, sizeof f);
  return f;
}

inline const float* Members(const UtMatrix& m) { return &m._11; }

inline std::string Describe(const UtMatrix& m) {
  std::string s;
  char buf[64];
  for (int i = 0; i < 16; ++i) {
    std::snprintf(buf, sizeof buf, "%s%.9g", i % 4 == 0 ? (i ? "\n  " : "  ") : ", ",
                  Members(m)[i]);
    s += buf;
  }
  return s;
}

// Bit-for-bit equality (so -0 differs from +0 and NaNs compare by pattern).
inline ::testing::AssertionResult SameBits(const UtMatrix& got, const UtMatrix& want) {
  for (int i = 0; i < 16; ++i)
    if (Bits(Members(got)[i]) != Bits(Members(want)[i]))
      return ::testing::AssertionFailure()
             << "member _" << i / 4 + 1 << i % 4 + 1 << " differs\ngot:\n" << Describe(got)
             << "\nwant:\n" << Describe(want);
  return ::testing::AssertionSuccess();
}

// Value equality with an absolute bound per member.
inline ::testing::AssertionResult Near(const UtMatrix& got, const UtMatrix& want, float bound) {
  for (int i = 0; i < 16; ++i)
    if (!(std::fabs(Members(got)[i] - Members(want)[i]) <= bound))
      return ::testing::AssertionFailure()
             << "member _" << i / 4 + 1 << i % 4 + 1 << " off by more than " << bound
             << "\ngot:\n" << Describe(got) << "\nwant:\n" << Describe(want);
  return ::testing::AssertionSuccess();
}

// Row vector times matrix, v' = (x, y, z, 1) * M, in double so the check adds no rounding.
struct Point4 {
  double x, y, z, w;
};

inline Point4 TransformPoint(const UtMatrix& m, double x, double y, double z) {
  return {x * m._11 + y * m._21 + z * m._31 + m._41, x * m._12 + y * m._22 + z * m._32 + m._42,
          x * m._13 + y * m._23 + z * m._33 + m._43, x * m._14 + y * m._24 + z * m._34 + m._44};
}

inline const UtMatrix kIdentity(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
