// The value types: layout, and the arithmetic operators.
#include <cstddef>
#include <type_traits>

#include "math_test_util.h"

namespace {

template <typename T>
constexpr bool kPlainValue = std::is_trivially_copyable_v<T> && std::is_standard_layout_v<T> &&
                             std::is_trivially_default_constructible_v<T>;

static_assert(kPlainValue<UtVector2> && kPlainValue<UtVector3> && kPlainValue<UtVector4>);
static_assert(kPlainValue<UtQuaternion> && kPlainValue<UtPlane> && kPlainValue<UtColor>);
static_assert(kPlainValue<UtMatrix>);
static_assert(alignof(UtMatrix) == 4 && alignof(UtVector4) == 4);
static_assert(offsetof(UtMatrix, _11) == 0 && offsetof(UtMatrix, _14) == 12 &&
              offsetof(UtMatrix, _21) == 16 && offsetof(UtMatrix, _34) == 44 &&
              offsetof(UtMatrix, _44) == 60);
static_assert(offsetof(UtQuaternion, w) == 12 && offsetof(UtPlane, d) == 12);
static_assert(offsetof(UtColor, r) == 0 && offsetof(UtColor, a) == 12);
static_assert(sizeof(UtFloat16) == 2);
static_assert(std::is_base_of_v<D3DMATRIX, UtMatrix> && sizeof(UtMatrix) == sizeof(D3DMATRIX));

TEST(MathTypes, MatrixIsADirect3DMatrix) {
  UtMatrix t;
  UtMatrixTranslation(&t, 1, 2, 3);
  const D3DMATRIX* asRuntime = &t;  // what SetTransform takes
  EXPECT_EQ(asRuntime->_42, 2.0f);
  EXPECT_EQ(asRuntime->m[3][2], 3.0f);
  D3DMATRIX copy = t;
  copy._11 = 5;
  const UtMatrix back = copy;
  EXPECT_EQ(back._11, 5.0f);
  EXPECT_EQ(back._43, 3.0f);
  EXPECT_EQ(back(3, 0), 1.0f);
}

TEST(MathTypes, MatrixRowsAndColumns) {
  const UtMatrix m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
  EXPECT_EQ(m(0, 1), 2.0f) << "row 1, column 2 is _12";
  EXPECT_EQ(m(1, 0), 5.0f) << "row 2, column 1 is _21";
  EXPECT_EQ(m(3, 2), 15.0f);
  EXPECT_EQ(m._43, 15.0f);
}

TEST(MathTypes, VectorArithmetic) {
  const UtVector3 a(1, 2, 3), b(0.5f, -4, 8);
  EXPECT_EQ(a + b, UtVector3(1.5f, -2, 11));
  EXPECT_EQ(a - b, UtVector3(0.5f, 6, -5));
  EXPECT_EQ(-a, UtVector3(-1, -2, -3));
  EXPECT_EQ(+a, a);
  EXPECT_EQ(a * 2, UtVector3(2, 4, 6));
  EXPECT_EQ(2 * a, UtVector3(2, 4, 6));
  EXPECT_NE(a, b);
  UtVector3 c = a;
  c += b;
  c -= a;
  EXPECT_EQ(c, b);
  c *= 4;
  EXPECT_EQ(c, UtVector3(2, -16, 32));

  const UtVector2 p(3, -1), q(1, 1);
  EXPECT_EQ(p + q, UtVector2(4, 0));
  EXPECT_EQ(p - q, UtVector2(2, -2));
  EXPECT_EQ(-p * 0.5f, UtVector2(-1.5f, 0.5f));

  const UtVector4 v(1, 2, 3, 4);
  EXPECT_EQ(v - v, UtVector4(0, 0, 0, 0));
  EXPECT_EQ(UtPlane(1, 2, 3, 4) * -1, UtPlane(-1, -2, -3, -4));
  EXPECT_EQ(UtColor(0.5f, 0.25f, 1, 0) + UtColor(0.5f, 0.25f, 0, 1), UtColor(1, 0.5f, 1, 1));
  EXPECT_EQ(-UtQuaternion(1, -2, 3, -4), UtQuaternion(-1, 2, -3, 4));
}

TEST(MathTypes, DivisionMultipliesByOneReciprocal) {
  // 5/3 and 5 * (1/3) round differently, so the reciprocal shows.
  const float s = 3.0f, x = 5.0f;
  const float byReciprocal = x * (1.0f / s);
  ASSERT_NE(x / s, byReciprocal);
  EXPECT_EQ(UtVector2(x, x) / s, UtVector2(byReciprocal, byReciprocal));
  EXPECT_EQ(UtVector3(x, x, x) / s, UtVector3(byReciprocal, byReciprocal, byReciprocal));
  EXPECT_EQ(UtQuaternion(x, 0, x, 1) / s, UtQuaternion(byReciprocal, 0, byReciprocal, 1.0f / s));
  UtColor c(x, x, x, x);
  c /= s;
  EXPECT_EQ(c.a, byReciprocal);
  UtMatrix m = kIdentity * x;
  m /= s;
  EXPECT_EQ(m._33, byReciprocal);
  EXPECT_EQ((kIdentity * x / s)._44, byReciprocal);
  // No test of the divisor: dividing by zero multiplies by infinity.
  EXPECT_TRUE(std::isinf((UtVector3(1, 1, 1) / 0.0f).y));
}

TEST(MathTypes, MatrixArithmeticAndProduct) {
  const UtMatrix a(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
  UtMatrix twice = a + a;
  EXPECT_EQ(twice, a * 2);
  EXPECT_EQ(twice, 2 * a);
  EXPECT_EQ(twice - a, a);
  EXPECT_EQ(-a + a, UtMatrix(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_EQ(Bits((-UtMatrix(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0))._21), 0x80000000u);

  UtMatrix t, product;
  UtMatrixTranslation(&t, 1, 2, 3);
  UtMatrixMultiply(&product, &a, &t);
  EXPECT_TRUE(SameBits(a * t, product));
  UtMatrix c = a;
  c *= t;
  EXPECT_TRUE(SameBits(c, product));
  EXPECT_NE(a * t, t * a);
}

}  // namespace
