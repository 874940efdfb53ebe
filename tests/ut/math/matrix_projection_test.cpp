// Perspective and orthographic projections: exact members for arguments that make them exact,
// where the corners of the view volume land, the demo's projection, and degenerate arguments.
#include <cmath>
#include <numbers>

#include "math_test_util.h"

namespace {

// Builds a projection through its routine, checking that the output pointer comes back.
UtMatrix Call(UtMatrix* (*f)(UtMatrix*, float, float, float, float), float a, float b, float c,
              float d) {
  UtMatrix m;
  EXPECT_EQ(f(&m, a, b, c, d), &m);
  return m;
}

UtMatrix Call(UtMatrix* (*f)(UtMatrix*, float, float, float, float, float, float), float l,
              float r, float b, float t, float zn, float zf) {
  UtMatrix m;
  EXPECT_EQ(f(&m, l, r, b, t, zn, zf), &m);
  return m;
}

struct ExactCase {
  const char* what;
  UtMatrix got, want;
};

TEST(MatrixProjection, ExactMembers) {
  // Power-of-two arguments keep every quotient exact.
  const ExactCase cases[] = {
      {"PerspectiveLH", Call(UtMatrixPerspectiveLH, 4, 2, 1, 3),
       UtMatrix(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.5f, 1, 0, 0, -1.5f, 0)},
      {"PerspectiveRH", Call(UtMatrixPerspectiveRH, 4, 2, 1, 3),
       UtMatrix(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1.5f, -1, 0, 0, -1.5f, 0)},
      {"PerspectiveOffCenterLH", Call(UtMatrixPerspectiveOffCenterLH, -1, 3, -3, 1, 1, 3),
       UtMatrix(0.5f, 0, 0, 0, 0, 0.5f, 0, 0, -0.5f, 0.5f, 1.5f, 1, 0, 0, -1.5f, 0)},
      {"PerspectiveOffCenterRH", Call(UtMatrixPerspectiveOffCenterRH, -1, 3, -3, 1, 1, 3),
       UtMatrix(0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0.5f, -0.5f, -1.5f, -1, 0, 0, -1.5f, 0)},
      {"OrthoLH", Call(UtMatrixOrthoLH, 4, 8, 1, 3),
       UtMatrix(0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 0.5f, 0, 0, 0, -0.5f, 1)},
      {"OrthoRH", Call(UtMatrixOrthoRH, 4, 8, 1, 3),
       UtMatrix(0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, -0.5f, 0, 0, 0, -0.5f, 1)},
      {"OrthoOffCenterLH", Call(UtMatrixOrthoOffCenterLH, -1, 3, -3, 1, 1, 3),
       UtMatrix(0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.5f, 0, -0.5f, 0.5f, -0.5f, 1)},
      {"OrthoOffCenterRH", Call(UtMatrixOrthoOffCenterRH, -1, 3, -3, 1, 1, 3),
       UtMatrix(0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, -0.5f, 0, -0.5f, 0.5f, -0.5f, 1)},
  };
  for (const ExactCase& c : cases) EXPECT_TRUE(Near(c.got, c.want, 0.0f)) << c.what;
}

// Where a point lands after the divide by w.
struct Landing {
  double x, y, z;
};

Landing Project(const UtMatrix& m, double x, double y, double z) {
  const Point4 p = TransformPoint(m, x, y, z);
  return {p.x / p.w, p.y / p.w, p.z / p.w};
}

struct VolumeCase {
  const char* what;
  UtMatrix m;
  double nearCorner[3], farCorner[3];  // land on (-1, -1, 0) and (1, 1, 1)
};

TEST(MatrixProjection, ViewVolumeCornersLandOnTheUnitBox) {
  // Near plane 0.5, far plane 10; LH looks down +z, RH down -z. The far corner of a perspective
  // volume lies on the ray through the near corner.
  const double k = 10 / 0.5;
  const double tanHalf = std::tan(0.6);  // fov 1.2
  const VolumeCase cases[] = {
      {"PerspectiveLH", Call(UtMatrixPerspectiveLH, 3, 2, 0.5f, 10), {-1.5, -1, 0.5},
       {1.5 * k, 1 * k, 10}},
      {"PerspectiveRH", Call(UtMatrixPerspectiveRH, 3, 2, 0.5f, 10), {-1.5, -1, -0.5},
       {1.5 * k, 1 * k, -10}},
      {"PerspectiveFovLH", Call(UtMatrixPerspectiveFovLH, 1.2f, 1.5f, 0.5f, 10),
       {-0.5 * tanHalf * 1.5, -0.5 * tanHalf, 0.5}, {10 * tanHalf * 1.5, 10 * tanHalf, 10}},
      {"PerspectiveFovRH", Call(UtMatrixPerspectiveFovRH, 1.2f, 1.5f, 0.5f, 10),
       {-0.5 * tanHalf * 1.5, -0.5 * tanHalf, -0.5}, {10 * tanHalf * 1.5, 10 * tanHalf, -10}},
      {"PerspectiveOffCenterLH", Call(UtMatrixPerspectiveOffCenterLH, -1, 2, -0.5f, 3, 0.5f, 10),
       {-1, -0.5, 0.5}, {2 * k, 3 * k, 10}},
      {"PerspectiveOffCenterRH", Call(UtMatrixPerspectiveOffCenterRH, -1, 2, -0.5f, 3, 0.5f, 10),
       {-1, -0.5, -0.5}, {2 * k, 3 * k, -10}},
      {"OrthoLH", Call(UtMatrixOrthoLH, 3, 2, 0.5f, 10), {-1.5, -1, 0.5}, {1.5, 1, 10}},
      {"OrthoRH", Call(UtMatrixOrthoRH, 3, 2, 0.5f, 10), {-1.5, -1, -0.5}, {1.5, 1, -10}},
      {"OrthoOffCenterLH", Call(UtMatrixOrthoOffCenterLH, -1, 2, -0.5f, 3, 0.5f, 10),
       {-1, -0.5, 0.5}, {2, 3, 10}},
      {"OrthoOffCenterRH", Call(UtMatrixOrthoOffCenterRH, -1, 2, -0.5f, 3, 0.5f, 10),
       {-1, -0.5, -0.5}, {2, 3, -10}},
  };
  for (const VolumeCase& c : cases) {
    const Landing n = Project(c.m, c.nearCorner[0], c.nearCorner[1], c.nearCorner[2]);
    const Landing f = Project(c.m, c.farCorner[0], c.farCorner[1], c.farCorner[2]);
    EXPECT_NEAR(n.x, -1, 1e-6) << c.what;
    EXPECT_NEAR(n.y, -1, 1e-6) << c.what;
    EXPECT_NEAR(n.z, 0, 1e-6) << c.what;
    EXPECT_NEAR(f.x, 1, 1e-5) << c.what;
    EXPECT_NEAR(f.y, 1, 1e-5) << c.what;
    EXPECT_NEAR(f.z, 1, 1e-6) << c.what;
  }
}

TEST(MatrixProjection, DemoPerspective) {
  UtMatrix m;
  EXPECT_EQ(UtMatrixPerspectiveFovLH(&m, std::numbers::pi_v<float> / 4, 4.0f / 3.0f, 0.1f, 100.0f),
            &m);
  EXPECT_NEAR(m._11, 1.8106600, 2e-7);
  EXPECT_NEAR(m._22, 2.4142134, 2e-7);
  EXPECT_NEAR(m._33, 1.0010010, 1e-7);
  EXPECT_EQ(m._34, 1.0f);
  EXPECT_NEAR(m._43, -0.1001001, 1e-8);
  // The formulas, each step rounded to single precision.
  EXPECT_EQ(m._11, m._22 / (4.0f / 3.0f));
  EXPECT_EQ(m._33, 100.0f / (100.0f - 0.1f));
  EXPECT_EQ(m._43, -0.1f * m._33);
  const UtMatrix zerosElsewhere(m._11, 0, 0, 0, 0, m._22, 0, 0, 0, 0, m._33, 1, 0, 0, m._43, 0);
  EXPECT_TRUE(SameBits(m, zerosElsewhere));
}

TEST(MatrixProjection, DegenerateArgumentsFollowFloatingPointRules) {
  UtMatrix m;
  UtMatrixPerspectiveLH(&m, 2, 2, 5, 5);
  EXPECT_TRUE(std::isinf(m._33)) << "equal near and far planes";
  EXPECT_TRUE(std::isinf(m._43));
  UtMatrixOrthoLH(&m, 0, 2, 1, 2);
  EXPECT_TRUE(std::isinf(m._11)) << "zero width";
  UtMatrixPerspectiveFovLH(&m, 0, 1, 1, 2);
  EXPECT_TRUE(std::isinf(m._22)) << "zero field of view";
  UtMatrixOrthoOffCenterRH(&m, 1, 1, 0, 1, 0, 1);
  EXPECT_TRUE(std::isinf(m._11));
  EXPECT_TRUE(std::isinf(m._41));
}

}  // namespace
