// Perspective and orthographic projections. They are called directly, never replaced. No argument
// is checked: degenerate planes or sizes give what IEEE arithmetic gives.
#include "sin_cos.h"
#include "ut_math.h"

namespace {

// The perspective forms share everything but the two scale terms, the centre offsets, the depth
// ratio q and the handedness (left-handed looks down +z, right-handed down -z).
inline UtMatrix* Perspective(UtMatrix* out, float xScale, float yScale, float cx, float cy,
                             float q, float zn, bool leftHanded) {
  *out = UtMatrix(xScale, 0, 0, 0,
                  0, yScale, 0, 0,
                  cx, cy, q, leftHanded ? 1.0f : -1.0f,
                  0, 0, leftHanded ? -zn * q : zn * q, 0);
  return out;
}

inline UtMatrix* Ortho(UtMatrix* out, float xScale, float yScale, float cx, float cy, float zScale,
                       float zOffset) {
  *out = UtMatrix(xScale, 0, 0, 0,
                  0, yScale, 0, 0,
                  0, 0, zScale, 0,
                  cx, cy, zOffset, 1);
  return out;
}

// yScale = cot(fovy / 2), from a sine and cosine each rounded to single precision.
inline float FovYScale(float fovy) {
  const float half = fovy * 0.5f;
  float s, c;
  SinCos(half, &s, &c);
  return c / s;
}

}  // namespace

UtMatrix* UtMatrixPerspectiveLH(UtMatrix* out, float w, float h, float zn, float zf) {
  return Perspective(out, 2.0f * zn / w, 2.0f * zn / h, 0, 0, zf / (zf - zn), zn, true);
}

UtMatrix* UtMatrixPerspectiveRH(UtMatrix* out, float w, float h, float zn, float zf) {
  return Perspective(out, 2.0f * zn / w, 2.0f * zn / h, 0, 0, zf / (zn - zf), zn, false);
}

UtMatrix* UtMatrixPerspectiveFovLH(UtMatrix* out, float fovy, float aspect, float zn, float zf) {
  const float yScale = FovYScale(fovy);
  return Perspective(out, yScale / aspect, yScale, 0, 0, zf / (zf - zn), zn, true);
}

UtMatrix* UtMatrixPerspectiveFovRH(UtMatrix* out, float fovy, float aspect, float zn, float zf) {
  const float yScale = FovYScale(fovy);
  return Perspective(out, yScale / aspect, yScale, 0, 0, zf / (zn - zf), zn, false);
}

UtMatrix* UtMatrixPerspectiveOffCenterLH(UtMatrix* out, float l, float r, float b, float t,
                                         float zn, float zf) {
  const float invW = 1.0f / (r - l), invH = 1.0f / (t - b);
  // (l + r)/(l - r) and (t + b)/(b - t), through the reciprocals of the opposite differences.
  return Perspective(out, 2.0f * zn * invW, 2.0f * zn * invH, -((l + r) * invW),
                     -((t + b) * invH), zf / (zf - zn), zn, true);
}

UtMatrix* UtMatrixPerspectiveOffCenterRH(UtMatrix* out, float l, float r, float b, float t,
                                         float zn, float zf) {
  const float invW = 1.0f / (r - l), invH = 1.0f / (t - b);
  return Perspective(out, 2.0f * zn * invW, 2.0f * zn * invH, (l + r) * invW, (t + b) * invH,
                     zf / (zn - zf), zn, false);
}

UtMatrix* UtMatrixOrthoLH(UtMatrix* out, float w, float h, float zn, float zf) {
  return Ortho(out, 2.0f / w, 2.0f / h, 0, 0, 1.0f / (zf - zn), -zn / (zf - zn));
}

UtMatrix* UtMatrixOrthoRH(UtMatrix* out, float w, float h, float zn, float zf) {
  return Ortho(out, 2.0f / w, 2.0f / h, 0, 0, 1.0f / (zn - zf), zn / (zn - zf));
}

UtMatrix* UtMatrixOrthoOffCenterLH(UtMatrix* out, float l, float r, float b, float t, float zn,
                                   float zf) {
  return Ortho(out, 2.0f / (r - l), 2.0f / (t - b), (l + r) / (l - r), (t + b) / (b - t),
               1.0f / (zf - zn), -zn / (zf - zn));
}

UtMatrix* UtMatrixOrthoOffCenterRH(UtMatrix* out, float l, float r, float b, float t, float zn,
                                   float zf) {
  return Ortho(out, 2.0f / (r - l), 2.0f / (t - b), (l + r) / (l - r), (t + b) / (b - t),
               1.0f / (zn - zf), zn / (zn - zf));
}
