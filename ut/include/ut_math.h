// Single-precision math: value types, matrix routines and half-precision conversion.
//
// Vectors are rows and multiply matrices from the left (v' = v * M), so the translation of an
// affine matrix sits in _41, _42, _43 and M1 * M2 applies M1 first. Angles are radians; LH view
// and projection matrices look down +z, RH ones down -z. Every routine takes its output pointer
// first and returns it; UtMatrixInverse returns null when it fails and UtMatrixDeterminant
// returns a float.
#pragma once

#include <cstdint>

#include "d3d9/d3d9_types.h"

// ---------------------------------------------------------------------------------------------
// Value types: packed 32-bit floats, no invariants, trivially copyable; any 4-byte alignment.

struct UtVector2 {
  float x, y;

  UtVector2() = default;
  UtVector2(float x_, float y_) : x(x_), y(y_) {}

  UtVector2& operator+=(const UtVector2& v) { x += v.x; y += v.y; return *this; }
  UtVector2& operator-=(const UtVector2& v) { x -= v.x; y -= v.y; return *this; }
  UtVector2& operator*=(float s) { x *= s; y *= s; return *this; }
  // Division multiplies by the reciprocal, computed once and not tested.
  UtVector2& operator/=(float s) { const float r = 1.0f / s; x *= r; y *= r; return *this; }

  UtVector2 operator+() const { return *this; }
  UtVector2 operator-() const { return UtVector2(-x, -y); }
  UtVector2 operator+(const UtVector2& v) const { return UtVector2(x + v.x, y + v.y); }
  UtVector2 operator-(const UtVector2& v) const { return UtVector2(x - v.x, y - v.y); }
  UtVector2 operator*(float s) const { return UtVector2(x * s, y * s); }
  UtVector2 operator/(float s) const { const float r = 1.0f / s; return UtVector2(x * r, y * r); }
  friend UtVector2 operator*(float s, const UtVector2& v) { return UtVector2(s * v.x, s * v.y); }

  bool operator==(const UtVector2& v) const { return x == v.x && y == v.y; }
  bool operator!=(const UtVector2& v) const { return !(*this == v); }
};

struct UtVector3 {
  float x, y, z;

  UtVector3() = default;
  UtVector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

  UtVector3& operator+=(const UtVector3& v) { x += v.x; y += v.y; z += v.z; return *this; }
  UtVector3& operator-=(const UtVector3& v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
  UtVector3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
  UtVector3& operator/=(float s) {
    const float r = 1.0f / s;
    x *= r; y *= r; z *= r;
    return *this;
  }

  UtVector3 operator+() const { return *this; }
  UtVector3 operator-() const { return UtVector3(-x, -y, -z); }
  UtVector3 operator+(const UtVector3& v) const { return UtVector3(x + v.x, y + v.y, z + v.z); }
  UtVector3 operator-(const UtVector3& v) const { return UtVector3(x - v.x, y - v.y, z - v.z); }
  UtVector3 operator*(float s) const { return UtVector3(x * s, y * s, z * s); }
  UtVector3 operator/(float s) const {
    const float r = 1.0f / s;
    return UtVector3(x * r, y * r, z * r);
  }
  friend UtVector3 operator*(float s, const UtVector3& v) {
    return UtVector3(s * v.x, s * v.y, s * v.z);
  }

  bool operator==(const UtVector3& v) const { return x == v.x && y == v.y && z == v.z; }
  bool operator!=(const UtVector3& v) const { return !(*this == v); }
};

// Four floats with component-wise arithmetic; UtVector4, UtQuaternion, UtPlane and UtColor differ
// only in their member names, so each is stamped from this one definition.
#define UT_MATH_DEFINE_FOUR(T, a, b, c, d)                                                         \
  struct T {                                                                                       \
    float a, b, c, d;                                                                              \
                                                                                                   \
    T() = default;                                                                                 \
    T(float a##_, float b##_, float c##_, float d##_) : a(a##_), b(b##_), c(c##_), d(d##_) {}      \
                                                                                                   \
    T& operator+=(const T& v) { a += v.a; b += v.b; c += v.c; d += v.d; return *this; }            \
    T& operator-=(const T& v) { a -= v.a; b -= v.b; c -= v.c; d -= v.d; return *this; }            \
    T& operator*=(float s) { a *= s; b *= s; c *= s; d *= s; return *this; }                       \
    T& operator/=(float s) {                                                                       \
      const float rcp_ = 1.0f / s;                                                                 \
      a *= rcp_; b *= rcp_; c *= rcp_; d *= rcp_;                                                  \
      return *this;                                                                                \
    }                                                                                              \
                                                                                                   \
    T operator+() const { return *this; }                                                          \
    T operator-() const { return T(-a, -b, -c, -d); }                                              \
    T operator+(const T& v) const { return T(a + v.a, b + v.b, c + v.c, d + v.d); }                \
    T operator-(const T& v) const { return T(a - v.a, b - v.b, c - v.c, d - v.d); }                \
    T operator*(float s) const { return T(a * s, b * s, c * s, d * s); }                           \
    T operator/(float s) const {                                                                   \
      const float rcp_ = 1.0f / s;                                                                 \
      return T(a * rcp_, b * rcp_, c * rcp_, d * rcp_);                                            \
    }                                                                                              \
    friend T operator*(float s, const T& v) { return T(s * v.a, s * v.b, s * v.c, s * v.d); }      \
                                                                                                   \
    bool operator==(const T& v) const { return a == v.a && b == v.b && c == v.c && d == v.d; }     \
    bool operator!=(const T& v) const { return !(*this == v); }                                    \
  }

UT_MATH_DEFINE_FOUR(UtVector4, x, y, z, w);
UT_MATH_DEFINE_FOUR(UtQuaternion, x, y, z, w);  // w is the scalar part
UT_MATH_DEFINE_FOUR(UtPlane, a, b, c, d);       // a*x + b*y + c*z + d*w = 0
UT_MATH_DEFINE_FOUR(UtColor, r, g, b, a);       // nominally 0..1, never clamped
#undef UT_MATH_DEFINE_FOUR

struct UtMatrix;
UtMatrix* UtMatrixMultiply(UtMatrix* out, const UtMatrix* m1, const UtMatrix* m2);

// A 4x4 matrix, row after row; _ij is row i, column j. It is a D3DMATRIX, so it can be passed
// wherever the runtime takes one, and one converts to the other by copying.
struct UtMatrix : D3DMATRIX {
  UtMatrix() = default;
  UtMatrix(const D3DMATRIX& d) : D3DMATRIX(d) {}
  UtMatrix(float m11, float m12, float m13, float m14, float m21, float m22, float m23, float m24,
           float m31, float m32, float m33, float m34, float m41, float m42, float m43, float m44) {
    _11 = m11; _12 = m12; _13 = m13; _14 = m14;
    _21 = m21; _22 = m22; _23 = m23; _24 = m24;
    _31 = m31; _32 = m32; _33 = m33; _34 = m34;
    _41 = m41; _42 = m42; _43 = m43; _44 = m44;
  }

  // Row and column from 0.
  float& operator()(unsigned row, unsigned col) { return m[row][col]; }
  float operator()(unsigned row, unsigned col) const { return m[row][col]; }

  UtMatrix& operator+=(const UtMatrix& o) {
    return Apply(o, [](float a, float b) { return a + b; });
  }
  UtMatrix& operator-=(const UtMatrix& o) {
    return Apply(o, [](float a, float b) { return a - b; });
  }
  UtMatrix& operator*=(float s) { return Apply(*this, [s](float a, float) { return a * s; }); }
  // Division multiplies by the reciprocal, computed once and not tested.
  UtMatrix& operator/=(float s) { return *this *= 1.0f / s; }
  UtMatrix& operator*=(const UtMatrix& o) {
    UtMatrixMultiply(this, this, &o);
    return *this;
  }

  UtMatrix operator+() const { return *this; }
  UtMatrix operator-() const {
    UtMatrix r = *this;
    return r.Apply(*this, [](float a, float) { return -a; });
  }
  UtMatrix operator+(const UtMatrix& o) const { UtMatrix r = *this; return r += o; }
  UtMatrix operator-(const UtMatrix& o) const { UtMatrix r = *this; return r -= o; }
  UtMatrix operator*(float s) const { UtMatrix r = *this; return r *= s; }
  UtMatrix operator/(float s) const { UtMatrix r = *this; return r /= s; }
  UtMatrix operator*(const UtMatrix& o) const {
    UtMatrix r;
    UtMatrixMultiply(&r, this, &o);
    return r;
  }
  friend UtMatrix operator*(float s, const UtMatrix& o) { return o * s; }

  bool operator==(const UtMatrix& o) const {
    for (unsigned i = 0; i < 4; ++i)
      for (unsigned j = 0; j < 4; ++j)
        if (m[i][j] != o.m[i][j]) return false;
    return true;
  }
  bool operator!=(const UtMatrix& o) const { return !(*this == o); }

 private:
  // this_ij = f(this_ij, o_ij) for every member.
  template <typename F>
  UtMatrix& Apply(const UtMatrix& o, F f) {
    for (unsigned i = 0; i < 4; ++i)
      for (unsigned j = 0; j < 4; ++j) m[i][j] = f(m[i][j], o.m[i][j]);
    return *this;
  }
};

static_assert(sizeof(UtVector2) == 8 && sizeof(UtVector3) == 12 && sizeof(UtVector4) == 16);
static_assert(sizeof(UtQuaternion) == 16 && sizeof(UtPlane) == 16 && sizeof(UtColor) == 16);
static_assert(sizeof(UtMatrix) == 64);

// ---------------------------------------------------------------------------------------------
// Matrix routines.

UtMatrix* UtMatrixIdentity(UtMatrix* out);
// out may be m1 or m2 in the products and m in the transpose.
UtMatrix* UtMatrixMultiply(UtMatrix* out, const UtMatrix* m1, const UtMatrix* m2);
UtMatrix* UtMatrixMultiplyTranspose(UtMatrix* out, const UtMatrix* m1, const UtMatrix* m2);
UtMatrix* UtMatrixTranspose(UtMatrix* out, const UtMatrix* m);
float UtMatrixDeterminant(const UtMatrix* m);
// Returns null, leaving out untouched, when the determinant is 0 or its reciprocal is not finite.
// The determinant is stored through a non-null pointer in every case.
UtMatrix* UtMatrixInverse(UtMatrix* out, float* determinant, const UtMatrix* m);

UtMatrix* UtMatrixScaling(UtMatrix* out, float sx, float sy, float sz);
UtMatrix* UtMatrixTranslation(UtMatrix* out, float x, float y, float z);
UtMatrix* UtMatrixRotationX(UtMatrix* out, float angle);
UtMatrix* UtMatrixRotationY(UtMatrix* out, float angle);
UtMatrix* UtMatrixRotationZ(UtMatrix* out, float angle);
// The quaternion is used as given, not normalised.
UtMatrix* UtMatrixRotationQuaternion(UtMatrix* out, const UtQuaternion* q);

// Composite transforms; every pointer argument may be null (absent).
UtMatrix* UtMatrixTransformation(UtMatrix* out, const UtVector3* scalingCentre,
                                 const UtQuaternion* scalingRotation, const UtVector3* scaling,
                                 const UtVector3* rotationCentre, const UtQuaternion* rotation,
                                 const UtVector3* translation);
UtMatrix* UtMatrixTransformation2D(UtMatrix* out, const UtVector2* scalingCentre,
                                   float scalingRotation, const UtVector2* scaling,
                                   const UtVector2* rotationCentre, float rotation,
                                   const UtVector2* translation);
UtMatrix* UtMatrixAffineTransformation(UtMatrix* out, float scaling,
                                       const UtVector3* rotationCentre,
                                       const UtQuaternion* rotation,
                                       const UtVector3* translation);
UtMatrix* UtMatrixAffineTransformation2D(UtMatrix* out, float scaling,
                                         const UtVector2* rotationCentre, float rotation,
                                         const UtVector2* translation);

// Projections. No argument is checked: degenerate ones give infinities or NaNs.
UtMatrix* UtMatrixPerspectiveLH(UtMatrix* out, float w, float h, float zn, float zf);
UtMatrix* UtMatrixPerspectiveRH(UtMatrix* out, float w, float h, float zn, float zf);
UtMatrix* UtMatrixPerspectiveFovLH(UtMatrix* out, float fovy, float aspect, float zn, float zf);
UtMatrix* UtMatrixPerspectiveFovRH(UtMatrix* out, float fovy, float aspect, float zn, float zf);
UtMatrix* UtMatrixPerspectiveOffCenterLH(UtMatrix* out, float l, float r, float b, float t,
                                         float zn, float zf);
UtMatrix* UtMatrixPerspectiveOffCenterRH(UtMatrix* out, float l, float r, float b, float t,
                                         float zn, float zf);
UtMatrix* UtMatrixOrthoLH(UtMatrix* out, float w, float h, float zn, float zf);
UtMatrix* UtMatrixOrthoRH(UtMatrix* out, float w, float h, float zn, float zf);
UtMatrix* UtMatrixOrthoOffCenterLH(UtMatrix* out, float l, float r, float b, float t, float zn,
                                   float zf);
UtMatrix* UtMatrixOrthoOffCenterRH(UtMatrix* out, float l, float r, float b, float t, float zn,
                                   float zf);

// ---------------------------------------------------------------------------------------------
// Half precision.
//
//   bit 15     14..10       9..0
//   sign       exponent e   mantissa m        bias 15
//
// e = 0: (-1)^sign * m * 2^-24;  e = 1..31: (-1)^sign * (1 + m/1024) * 2^(e - 15).
// Exponent 31 is ordinary: no infinities or NaNs, the largest magnitude is 0x7FFF = 131008.
typedef uint16_t UtFloat16;

// Convert in[0..n-1] to out[0..n-1]; the arrays must not overlap. Encoding rounds to nearest,
// ties to even, and saturates to +-131008; decoding is exact.
UtFloat16* UtFloat32To16Array(UtFloat16* out, const float* in, unsigned n);
float* UtFloat16To32Array(float* out, const UtFloat16* in, unsigned n);
