// Matrix product, transposed product, transpose, determinant, inverse and the elementary
// transforms.
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "math_test_util.h"

namespace {

// Integer matrices whose products and determinants are exact in single precision; kA's members
// are all different, so a swapped index shows.
const UtMatrix kA(2, -1, 3, 4, 5, 6, -7, 8, 9, 0, 11, 1, 10, 14, -6, 17);
const UtMatrix kB(2, -1, 0, 3, 1, 4, -2, 0, 0, 5, 1, -3, 7, 0, 2, 1);

// Product and determinant in double by plain loops and recursion, independent of the library.
UtMatrix ReferenceProduct(const UtMatrix& a, const UtMatrix& b) {
  UtMatrix r;
  for (unsigned i = 0; i < 4; ++i)
    for (unsigned j = 0; j < 4; ++j) {
      double sum = 0;
      for (unsigned k = 0; k < 4; ++k) sum += double(a(i, k)) * b(k, j);
      r(i, j) = static_cast<float>(sum);
    }
  return r;
}

double ReferenceDeterminant(const std::vector<double>& m, unsigned n) {
  if (n == 1) return m[0];
  double det = 0;
  for (unsigned col = 0; col < n; ++col) {
    std::vector<double> minor;
    for (unsigned i = 1; i < n; ++i)
      for (unsigned j = 0; j < n; ++j)
        if (j != col) minor.push_back(m[i * n + j]);
    det += (col % 2 ? -1 : 1) * m[col] * ReferenceDeterminant(minor, n - 1);
  }
  return det;
}

double ReferenceDeterminant(const UtMatrix& m) {
  return ReferenceDeterminant(std::vector<double>(Members(m), Members(m) + 16), 4);
}

UtMatrix Transposed(const UtMatrix& m) {
  UtMatrix r;
  for (unsigned i = 0; i < 4; ++i)
    for (unsigned j = 0; j < 4; ++j) r(i, j) = m(j, i);
  return r;
}

// Random matrices with a dominant diagonal, so they are well conditioned.
std::vector<UtMatrix> WellConditioned(unsigned count) {
  std::mt19937 rng(1234);
  std::uniform_real_distribution<float> off(-1.0f, 1.0f), diag(3.0f, 6.0f);
  std::vector<UtMatrix> out;
  for (unsigned n = 0; n < count; ++n) {
    UtMatrix m;
    for (unsigned i = 0; i < 4; ++i)
      for (unsigned j = 0; j < 4; ++j)
        m(i, j) = i == j ? (n % 2 ? -diag(rng) : diag(rng)) : off(rng);
    out.push_back(m);
  }
  return out;
}

TEST(MatrixMultiply, IntegerProductIsExact) {
  UtMatrix out;
  EXPECT_EQ(UtMatrixMultiply(&out, &kA, &kB), &out);
  EXPECT_TRUE(SameBits(out, ReferenceProduct(kA, kB)));
  // Applying m1 first: the translation of m2 is added after m1's scaling.
  UtMatrix s, t;
  UtMatrixScaling(&s, 2, 3, 4);
  UtMatrixTranslation(&t, 1, 1, 1);
  UtMatrixMultiply(&out, &s, &t);
  const Point4 p = TransformPoint(out, 1, 1, 1);
  EXPECT_EQ(p.x, 3);
  EXPECT_EQ(p.y, 4);
  EXPECT_EQ(p.z, 5);
}

TEST(MatrixMultiply, SumsEachEntryLeftToRight) {
  // Row (1e8, 1, -1e8, 1) times a column of ones gives 1 only when summed in order:
  // 1e8 + 1 rounds to 1e8, minus 1e8 is 0, plus 1 is 1.
  const UtMatrix m1(1e8f, 1, -1e8f, 1, 1, 1e8f, 1, -1e8f, -1e8f, 1, 1e8f, 1, 1, -1e8f, 1, 1e8f);
  const UtMatrix ones(1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1);
  UtMatrix out;
  UtMatrixMultiply(&out, &m1, &ones);
  const UtMatrix want(1, 1, 1, 1, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0);
  EXPECT_TRUE(SameBits(out, want));
}

TEST(MatrixMultiply, OutputMayBeEitherInput) {
  for (const UtMatrix& a : WellConditioned(4)) {
    const UtMatrix b = Transposed(a) * 0.37f;
    UtMatrix want, wantSquare;
    UtMatrixMultiply(&want, &a, &b);
    UtMatrixMultiply(&wantSquare, &a, &a);

    UtMatrix first = a, second = b, both = a;
    EXPECT_EQ(UtMatrixMultiply(&first, &first, &b), &first);
    EXPECT_TRUE(SameBits(first, want)) << "out is m1";
    EXPECT_EQ(UtMatrixMultiply(&second, &a, &second), &second);
    EXPECT_TRUE(SameBits(second, want)) << "out is m2";
    UtMatrixMultiply(&both, &both, &both);
    EXPECT_TRUE(SameBits(both, wantSquare)) << "out is m1 and m2";
  }
}

TEST(MatrixMultiplyTranspose, IsTheTransposedProductAlsoInPlace) {
  UtMatrix out;
  EXPECT_EQ(UtMatrixMultiplyTranspose(&out, &kA, &kB), &out);
  EXPECT_TRUE(SameBits(out, Transposed(ReferenceProduct(kA, kB))));

  UtMatrix first = kA, second = kB;
  UtMatrixMultiplyTranspose(&first, &first, &kB);
  EXPECT_TRUE(SameBits(first, out)) << "out is m1";
  UtMatrixMultiplyTranspose(&second, &kA, &second);
  EXPECT_TRUE(SameBits(second, out)) << "out is m2";
}

TEST(MatrixTranspose, OutOfPlaceAndInPlace) {
  UtMatrix out;
  EXPECT_EQ(UtMatrixTranspose(&out, &kA), &out);
  const UtMatrix want(2, 5, 9, 10, -1, 6, 0, 14, 3, -7, 11, -6, 4, 8, 1, 17);
  EXPECT_TRUE(SameBits(out, want));
  UtMatrix m = kA;
  EXPECT_EQ(UtMatrixTranspose(&m, &m), &m);
  EXPECT_TRUE(SameBits(m, want));
}

struct DeterminantCase {
  const char* what;
  UtMatrix m;
  float want;
};

TEST(MatrixDeterminant, KnownMatrices) {
  const DeterminantCase cases[] = {
      {"identity", kIdentity, 1},
      {"diagonal", UtMatrix(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 5), 120},
      {"row swap", UtMatrix(0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1), -1},
      {"integer A", kA, static_cast<float>(ReferenceDeterminant(kA))},
      {"integer B", kB, static_cast<float>(ReferenceDeterminant(kB))},
      {"two equal rows", UtMatrix(1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 9, 1, 2, 3), 0},
      {"zero column", UtMatrix(1, 2, 0, 4, 5, 6, 0, 8, 9, 1, 0, 3, 4, 5, 0, 7), 0},
  };
  ASSERT_NE(ReferenceDeterminant(kA), 0.0);
  for (const DeterminantCase& c : cases) EXPECT_EQ(UtMatrixDeterminant(&c.m), c.want) << c.what;
}

TEST(MatrixInverse, ExactInverses) {
  const UtMatrix diag(2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 8, 0, 0, 0, 0, 0.5f);
  UtMatrix out;
  float det = 0;
  EXPECT_EQ(UtMatrixInverse(&out, &det, &diag), &out);
  EXPECT_EQ(det, 32.0f);
  // Zero cofactors may carry either sign, so compare values.
  EXPECT_TRUE(Near(out, UtMatrix(0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 0.125f, 0, 0, 0, 0, 2), 0));

  // A translation inverts to the opposite translation.
  UtMatrix t;
  UtMatrixTranslation(&t, 1, -2, 4);
  ASSERT_EQ(UtMatrixInverse(&out, nullptr, &t), &out);
  UtMatrix want;
  UtMatrixTranslation(&want, -1, 2, -4);
  EXPECT_TRUE(Near(out, want, 0.0f));
}

TEST(MatrixInverse, TimesMatrixIsIdentityWithinBound) {
  for (const UtMatrix& m : WellConditioned(50)) {
    UtMatrix inv;
    float det = 0;
    ASSERT_EQ(UtMatrixInverse(&inv, &det, &m), &inv) << Describe(m);
    EXPECT_NEAR(det, ReferenceDeterminant(m), 1e-5 * std::fabs(ReferenceDeterminant(m)));
    EXPECT_TRUE(Near(m * inv, kIdentity, 2e-6f)) << "m * inverse(m) for\n" << Describe(m);
    EXPECT_TRUE(Near(inv * m, kIdentity, 2e-6f)) << "inverse(m) * m for\n" << Describe(m);
  }
}

TEST(MatrixInverse, InPlaceMatchesOutOfPlace) {
  for (const UtMatrix& m : WellConditioned(3)) {
    UtMatrix want, in = m;
    UtMatrixInverse(&want, nullptr, &m);
    EXPECT_EQ(UtMatrixInverse(&in, nullptr, &in), &in);
    EXPECT_TRUE(SameBits(in, want));
  }
}

struct SingularCase {
  const char* what;
  UtMatrix m;
  float wantDet;  // NaN: the determinant is NaN
};

TEST(MatrixInverse, FailsLeavingOutputUntouchedAndStoresDeterminant) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const SingularCase cases[] = {
      {"zero row 1", UtMatrix(0, 0, 0, 0, 5, 6, 7, 8, 9, 1, 2, 3, 4, 5, 6, 8), 0},
      {"zero row 2", UtMatrix(1, 2, 3, 4, 0, 0, 0, 0, 9, 1, 2, 3, 4, 5, 6, 8), 0},
      {"zero row 3", UtMatrix(1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0, 4, 5, 6, 8), 0},
      {"zero row 4", UtMatrix(1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2, 3, 0, 0, 0, 0), 0},
      {"zero matrix", UtMatrix(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), 0},
      // 1e-40 is a denormal determinant whose reciprocal overflows.
      {"denormal determinant", UtMatrix(1e-20f, 0, 0, 0, 0, 1e-20f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1),
       1e-20f * 1e-20f},
      {"NaN member", UtMatrix(1, 0, 0, 0, 0, nan, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1), nan},
  };
  const UtMatrix sentinel(9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9);
  for (const SingularCase& c : cases) {
    UtMatrix out = sentinel;
    float det = 77.0f;
    EXPECT_EQ(UtMatrixInverse(&out, &det, &c.m), nullptr) << c.what;
    EXPECT_TRUE(SameBits(out, sentinel)) << c.what;
    if (std::isnan(c.wantDet))
      EXPECT_TRUE(std::isnan(det)) << c.what;
    else
      EXPECT_EQ(det, c.wantDet) << c.what;

    EXPECT_EQ(UtMatrixInverse(&out, nullptr, &c.m), nullptr) << c.what << ", no determinant";
    EXPECT_TRUE(SameBits(out, sentinel)) << c.what << ", no determinant";

    UtMatrix self = c.m;
    EXPECT_EQ(UtMatrixInverse(&self, nullptr, &self), nullptr) << c.what << ", in place";
    EXPECT_TRUE(SameBits(self, c.m)) << c.what << ", in place";
  }
}

TEST(MatrixElementary, ScalingAndTranslation) {
  UtMatrix out;
  EXPECT_EQ(UtMatrixScaling(&out, 2, -3, 0.5f), &out);
  EXPECT_TRUE(SameBits(out, UtMatrix(2, 0, 0, 0, 0, -3, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1)));
  EXPECT_EQ(UtMatrixTranslation(&out, 0, 0, 5), &out);
  EXPECT_TRUE(SameBits(out, UtMatrix(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 5, 1)));
  UtMatrixTranslation(&out, -1.5f, 2, 3);
  const Point4 p = TransformPoint(out, 1, 1, 1);
  EXPECT_EQ(p.x, -0.5);
  EXPECT_EQ(p.y, 3);
  EXPECT_EQ(p.z, 4);
  EXPECT_EQ(p.w, 1);
}

using Rotation = UtMatrix* (*)(UtMatrix*, float);

struct RotationCase {
  const char* what;
  Rotation rotate;
  float angle;
  double in[3], want[3];
};

TEST(MatrixElementary, AxisRotationsTurnTheRightWay) {
  const float quarter = std::numbers::pi_v<float> / 2;
  const RotationCase cases[] = {
      {"X quarter: y to z", UtMatrixRotationX, quarter, {0, 1, 0}, {0, 0, 1}},
      {"X quarter: z to -y", UtMatrixRotationX, quarter, {0, 0, 1}, {0, -1, 0}},
      {"Y quarter: z to x", UtMatrixRotationY, quarter, {0, 0, 1}, {1, 0, 0}},
      {"Y quarter: x to -z", UtMatrixRotationY, quarter, {1, 0, 0}, {0, 0, -1}},
      {"Z quarter: x to y", UtMatrixRotationZ, quarter, {1, 0, 0}, {0, 1, 0}},
      {"Z quarter: y to -x", UtMatrixRotationZ, quarter, {0, 1, 0}, {-1, 0, 0}},
      {"Z minus quarter: x to -y", UtMatrixRotationZ, -quarter, {1, 0, 0}, {0, -1, 0}},
      {"X half turn", UtMatrixRotationX, 2 * quarter, {0, 1, 1}, {0, -1, -1}},
      {"Y zero", UtMatrixRotationY, 0, {1, 2, 3}, {1, 2, 3}},
  };
  for (const RotationCase& c : cases) {
    UtMatrix m;
    EXPECT_EQ(c.rotate(&m, c.angle), &m) << c.what;
    const Point4 p = TransformPoint(m, c.in[0], c.in[1], c.in[2]);
    EXPECT_NEAR(p.x, c.want[0], 1e-7) << c.what;
    EXPECT_NEAR(p.y, c.want[1], 1e-7) << c.what;
    EXPECT_NEAR(p.z, c.want[2], 1e-7) << c.what;
    EXPECT_EQ(p.w, 1) << c.what;
  }
}

TEST(MatrixElementary, RotationMembersShareOneSineAndCosine) {
  // One sine and one cosine per matrix, the sine negated exactly where it appears twice.
  const float a = 0.7f;
  const double s = std::sin(double(a)), c = std::cos(double(a));
  UtMatrix x, y, z;
  UtMatrixRotationX(&x, a);
  UtMatrixRotationY(&y, a);
  UtMatrixRotationZ(&z, a);
  const float sx = x._23, cx = x._22;
  EXPECT_TRUE(SameBits(x, UtMatrix(1, 0, 0, 0, 0, cx, sx, 0, 0, -sx, cx, 0, 0, 0, 0, 1)));
  EXPECT_TRUE(SameBits(y, UtMatrix(cx, 0, -sx, 0, 0, 1, 0, 0, sx, 0, cx, 0, 0, 0, 0, 1)));
  EXPECT_TRUE(SameBits(z, UtMatrix(cx, sx, 0, 0, -sx, cx, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1)));
  // Each rounded once to single precision: within half an ulp of the true value.
  EXPECT_LE(std::fabs(sx - s), std::ldexp(1.0, -25));
  EXPECT_LE(std::fabs(cx - c), std::ldexp(1.0, -25));
}

TEST(MatrixRotationQuaternion, UsesTheQuaternionAsGiven) {
  UtMatrix out;
  const UtQuaternion identity(0, 0, 0, 1);
  EXPECT_EQ(UtMatrixRotationQuaternion(&out, &identity), &out);
  EXPECT_TRUE(SameBits(out, kIdentity));

  // Not normalised: the formula applies to the raw components.
  const UtQuaternion q(1, 2, 3, 4);
  UtMatrixRotationQuaternion(&out, &q);
  EXPECT_TRUE(SameBits(out, UtMatrix(-25, 28, -10, 0, -20, -19, 20, 0, 22, 4, -9, 0, 0, 0, 0, 1)));
}

TEST(MatrixRotationQuaternion, UnitQuaternionMatchesAxisRotation) {
  const float a = 1.1f;
  const float s = std::sin(a / 2), c = std::cos(a / 2);
  const struct {
    const char* what;
    UtQuaternion q;
    Rotation rotate;
  } cases[] = {{"about x", UtQuaternion(s, 0, 0, c), UtMatrixRotationX},
               {"about y", UtQuaternion(0, s, 0, c), UtMatrixRotationY},
               {"about z", UtQuaternion(0, 0, s, c), UtMatrixRotationZ}};
  for (const auto& k : cases) {
    UtMatrix fromQ, fromAngle;
    UtMatrixRotationQuaternion(&fromQ, &k.q);
    k.rotate(&fromAngle, a);
    EXPECT_TRUE(Near(fromQ, fromAngle, 3e-7f)) << k.what;
  }
}

}  // namespace
