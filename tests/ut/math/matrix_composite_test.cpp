// Composite transforms: scaling about a centre with an orientation, rotation about a centre,
// translation; and which arguments each step ignores.
#include <cmath>
#include <limits>
#include <numbers>

#include "math_test_util.h"

namespace {

UtMatrix Translation(float x, float y, float z) {
  UtMatrix m;
  return *UtMatrixTranslation(&m, x, y, z);
}

UtMatrix Scaling(float x, float y, float z) {
  UtMatrix m;
  return *UtMatrixScaling(&m, x, y, z);
}

UtMatrix FromQuaternion(const UtQuaternion& q) {
  UtMatrix m;
  return *UtMatrixRotationQuaternion(&m, &q);
}

UtMatrix RotationZ(float a) {
  UtMatrix m;
  return *UtMatrixRotationZ(&m, a);
}

UtMatrix Transposed(const UtMatrix& m) {
  UtMatrix t;
  return *UtMatrixTranspose(&t, &m);
}

// A unit quaternion turning by angle about a unit axis.
UtQuaternion AxisAngle(float x, float y, float z, float angle) {
  const float s = std::sin(angle / 2);
  return UtQuaternion(x * s, y * s, z * s, std::cos(angle / 2));
}

const float kQuarter = std::numbers::pi_v<float> / 2;

TEST(MatrixAffineTransformation, ScalesRotatesAboutCentreThenTranslates) {
  const UtVector3 centre(1, 2, 3), translation(10, 20, 30);
  const UtQuaternion rotation = AxisAngle(0, 0, 1, kQuarter);
  UtMatrix out;
  EXPECT_EQ(UtMatrixAffineTransformation(&out, 2, &centre, &rotation, &translation), &out);
  const UtMatrix want = Scaling(2, 2, 2) * Translation(-1, -2, -3) * FromQuaternion(rotation) *
                        Translation(1, 2, 3) * Translation(10, 20, 30);
  EXPECT_TRUE(Near(out, want, 2e-6f));
  // (1, 0, 0) scales to (2, 0, 0), is (1, -2, -3) from the centre, turns to (2, 1, -3), and goes
  // back and on by the translation.
  const Point4 p = TransformPoint(out, 1, 0, 0);
  EXPECT_NEAR(p.x, 13, 1e-5);
  EXPECT_NEAR(p.y, 23, 1e-5);
  EXPECT_NEAR(p.z, 30, 1e-5);
}

TEST(MatrixAffineTransformation, NullArgumentsSkipTheirSteps) {
  const UtVector3 centre(std::numeric_limits<float>::infinity(), 2, 3), translation(4, 5, 6);
  UtMatrix out;
  UtMatrixAffineTransformation(&out, 3, nullptr, nullptr, nullptr);
  EXPECT_TRUE(SameBits(out, Scaling(3, 3, 3)));
  // Without a rotation the centre is ignored.
  UtMatrixAffineTransformation(&out, 3, &centre, nullptr, &translation);
  EXPECT_TRUE(SameBits(out, UtMatrix(3, 0, 0, 0, 0, 3, 0, 0, 0, 0, 3, 0, 4, 5, 6, 1)));
  // Without a centre the rotation is about the origin.
  const UtQuaternion rotation = AxisAngle(1, 0, 0, 0.3f);
  UtMatrixAffineTransformation(&out, 3, nullptr, &rotation, nullptr);
  EXPECT_TRUE(SameBits(out, Scaling(3, 3, 3) * FromQuaternion(rotation)));
}

TEST(MatrixAffineTransformation2D, RotatesInThePlaneOnly) {
  const UtVector2 centre(1, 1), translation(5, -5);
  UtMatrix out;
  EXPECT_EQ(UtMatrixAffineTransformation2D(&out, 2, &centre, kQuarter, &translation), &out);
  const UtMatrix want = Scaling(2, 2, 1) * Translation(-1, -1, 0) * RotationZ(kQuarter) *
                        Translation(1, 1, 0) * Translation(5, -5, 0);
  EXPECT_TRUE(Near(out, want, 2e-6f));
  EXPECT_EQ(out._33, 1.0f);
  EXPECT_EQ(Bits(out._43), 0u) << "the centre and translation touch only _41 and _42";
}

TEST(MatrixAffineTransformation2D, ZeroAngleIgnoresCentreButNaNIsApplied) {
  // An infinite centre would turn the translation into NaN if it were subtracted and added back.
  const UtVector2 centre(std::numeric_limits<float>::infinity(), 8), translation(1, 2);
  UtMatrix out;
  UtMatrixAffineTransformation2D(&out, 2, &centre, 0.0f, &translation);
  EXPECT_TRUE(SameBits(out, UtMatrix(2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, 1, 2, 0, 1)));
  UtMatrixAffineTransformation2D(&out, 2, &centre, -0.0f, nullptr);
  EXPECT_TRUE(SameBits(out, Scaling(2, 2, 1))) << "minus zero equals 0";
  UtMatrixAffineTransformation2D(&out, 2, nullptr, std::numeric_limits<float>::quiet_NaN(),
                                 nullptr);
  EXPECT_TRUE(std::isnan(out._11)) << "a NaN angle is not skipped";
}

TEST(MatrixTransformation, AllStepsComposeInOrder) {
  const UtVector3 scalingCentre(1, -1, 2), scaling(2, 3, 0.5f), rotationCentre(-3, 0, 1),
      translation(4, 5, 6);
  const UtQuaternion scalingRotation = AxisAngle(0.6f, 0, 0.8f, 0.4f);
  const UtQuaternion rotation = AxisAngle(0, 1, 0, 1.2f);
  UtMatrix out;
  EXPECT_EQ(UtMatrixTransformation(&out, &scalingCentre, &scalingRotation, &scaling,
                                   &rotationCentre, &rotation, &translation),
            &out);
  const UtMatrix q = FromQuaternion(scalingRotation);
  const UtMatrix want = Translation(-1, 1, -2) * Transposed(q) * Scaling(2, 3, 0.5f) * q *
                        Translation(1, -1, 2) * Translation(3, 0, -1) * FromQuaternion(rotation) *
                        Translation(-3, 0, 1) * Translation(4, 5, 6);
  EXPECT_TRUE(Near(out, want, 1e-5f));
}

TEST(MatrixTransformation, OrientedScalingStretchesAlongTheTurnedAxis) {
  // Scaling x by 2 in a frame turned 45 degrees about z doubles the diagonal (1, 1, 0) and keeps
  // (1, -1, 0).
  const UtVector3 scaling(2, 1, 1);
  const UtQuaternion turn = AxisAngle(0, 0, 1, kQuarter / 2);
  UtMatrix out;
  UtMatrixTransformation(&out, nullptr, &turn, &scaling, nullptr, nullptr, nullptr);
  Point4 p = TransformPoint(out, 1, 1, 0);
  EXPECT_NEAR(p.x, 2, 1e-6);
  EXPECT_NEAR(p.y, 2, 1e-6);
  p = TransformPoint(out, 1, -1, 0);
  EXPECT_NEAR(p.x, 1, 1e-6);
  EXPECT_NEAR(p.y, -1, 1e-6);
  // About a centre, the centre stays where it is.
  const UtVector3 centre(5, 5, 5);
  UtMatrixTransformation(&out, &centre, &turn, &scaling, nullptr, nullptr, nullptr);
  p = TransformPoint(out, 5, 5, 5);
  EXPECT_NEAR(p.x, 5, 1e-5);
  EXPECT_NEAR(p.y, 5, 1e-5);
  EXPECT_NEAR(p.z, 5, 1e-5);
}

TEST(MatrixTransformation, ScalingAboutACentreWithoutOrientation) {
  const UtVector3 centre(1, 2, 4), scaling(3, 0.5f, -1);
  UtMatrix out;
  UtMatrixTransformation(&out, &centre, nullptr, &scaling, nullptr, nullptr, nullptr);
  EXPECT_TRUE(SameBits(out, UtMatrix(3, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, -1, 0, -2, 1, 8, 1)));
}

TEST(MatrixTransformation, NullScalingIgnoresScalingCentreAndRotation) {
  const UtVector3 centre(1, 2, 3), translation(4, 5, 6);
  const UtQuaternion orient = AxisAngle(1, 0, 0, 0.5f), rotation = AxisAngle(0, 0, 1, 0.25f);
  UtMatrix with, without;
  UtMatrixTransformation(&with, &centre, &orient, nullptr, &centre, &rotation, &translation);
  UtMatrixTransformation(&without, nullptr, nullptr, nullptr, &centre, &rotation, &translation);
  EXPECT_TRUE(SameBits(with, without));
  UtMatrixTransformation(&with, &centre, &orient, nullptr, nullptr, nullptr, nullptr);
  EXPECT_TRUE(SameBits(with, kIdentity));
  // A rotation without a centre turns about the origin.
  UtMatrixTransformation(&with, nullptr, nullptr, nullptr, nullptr, &rotation, nullptr);
  EXPECT_TRUE(SameBits(with, FromQuaternion(rotation)));
}

TEST(MatrixTransformation2D, ScalingCentreWithZeroOrTinyOrientation) {
  const UtVector2 scaling(2, 2), centre(1, 1);
  UtMatrix zero, tiny;
  EXPECT_EQ(UtMatrixTransformation2D(&zero, &centre, 0.0f, &scaling, nullptr, 0.0f, nullptr),
            &zero);
  EXPECT_TRUE(SameBits(zero, UtMatrix(2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, -1, -1, 0, 1)));
  UtMatrixTransformation2D(&tiny, &centre, 1e-6f, &scaling, nullptr, 0.0f, nullptr);
  EXPECT_TRUE(Near(tiny, zero, 1e-6f));
  EXPECT_EQ(Bits(tiny._43), 0u);
}

TEST(MatrixTransformation2D, ZeroScalingRotationScalesAboutTheCentreDirectly) {
  // With a zero angle the translation is (1 - s) * c, not c - c * s as the oriented path would
  // give; these values round the two differently.
  const UtVector2 scaling(0.1f, 0.7f), centre(3.3f, 1.1f);
  volatile float sx = scaling.x, cx = centre.x;  // keep the comparison in single precision
  ASSERT_NE((1.0f - sx) * cx, -cx * sx + cx);
  UtMatrix out;
  UtMatrixTransformation2D(&out, &centre, 0.0f, &scaling, nullptr, 0.0f, nullptr);
  EXPECT_EQ(Bits(out._41), Bits((1.0f - scaling.x) * centre.x));
  EXPECT_EQ(Bits(out._42), Bits((1.0f - scaling.y) * centre.y));

  const UtVector3 scaling3(0.1f, 0.7f, 0.9f), centre3(3.3f, 1.1f, 5.3f);
  UtMatrixTransformation(&out, &centre3, nullptr, &scaling3, nullptr, nullptr, nullptr);
  EXPECT_EQ(Bits(out._41), Bits((1.0f - scaling3.x) * centre3.x));
  EXPECT_EQ(Bits(out._43), Bits((1.0f - scaling3.z) * centre3.z));
}

TEST(MatrixTransformation2D, AllStepsComposeInOrder) {
  const UtVector2 scalingCentre(1, -1), scaling(2, 3), rotationCentre(-3, 2), translation(4, 5);
  UtMatrix out;
  UtMatrixTransformation2D(&out, &scalingCentre, 0.4f, &scaling, &rotationCentre, 1.2f,
                           &translation);
  const UtMatrix q = RotationZ(0.4f);
  const UtMatrix want = Translation(-1, 1, 0) * Transposed(q) * Scaling(2, 3, 1) * q *
                        Translation(1, -1, 0) * Translation(3, -2, 0) * RotationZ(1.2f) *
                        Translation(-3, 2, 0) * Translation(4, 5, 0);
  EXPECT_TRUE(Near(out, want, 1e-5f));
  EXPECT_EQ(out._33, 1.0f);
  EXPECT_EQ(out._43, 0.0f);
}

TEST(MatrixTransformation2D, NullScalingAndZeroRotationGiveTranslationOnly) {
  const UtVector2 centre(std::numeric_limits<float>::infinity(), 3), translation(-2, 7);
  UtMatrix out;
  UtMatrixTransformation2D(&out, &centre, 0.5f, nullptr, &centre, 0.0f, &translation);
  EXPECT_TRUE(SameBits(out, Translation(-2, 7, 0)));
}

}  // namespace
