// The identity (called directly, never replaced) and the generic scaling, translation, axis
// rotations and rotation by a quaternion.
#include "matrix_generic.h"
#include "sin_cos.h"

UtMatrix* UtMatrixIdentity(UtMatrix* out) {
  *out = UtMatrix(1, 0, 0, 0,
                  0, 1, 0, 0,
                  0, 0, 1, 0,
                  0, 0, 0, 1);
  return out;
}

UtMatrix* GenericMatrixScaling(UtMatrix* out, float sx, float sy, float sz) {
  *out = UtMatrix(sx, 0, 0, 0,
                  0, sy, 0, 0,
                  0, 0, sz, 0,
                  0, 0, 0, 1);
  return out;
}

UtMatrix* GenericMatrixTranslation(UtMatrix* out, float x, float y, float z) {
  UtMatrixIdentity(out);
  out->_41 = x;
  out->_42 = y;
  out->_43 = z;
  return out;
}

UtMatrix* GenericMatrixRotationX(UtMatrix* out, float angle) {
  float s, c;
  SinCos(angle, &s, &c);
  *out = UtMatrix(1, 0, 0, 0,
                  0, c, s, 0,
                  0, -s, c, 0,
                  0, 0, 0, 1);
  return out;
}

UtMatrix* GenericMatrixRotationY(UtMatrix* out, float angle) {
  float s, c;
  SinCos(angle, &s, &c);
  *out = UtMatrix(c, 0, -s, 0,
                  0, 1, 0, 0,
                  s, 0, c, 0,
                  0, 0, 0, 1);
  return out;
}

UtMatrix* GenericMatrixRotationZ(UtMatrix* out, float angle) {
  float s, c;
  SinCos(angle, &s, &c);
  *out = UtMatrix(c, s, 0, 0,
                  -s, c, 0, 0,
                  0, 0, 1, 0,
                  0, 0, 0, 1);
  return out;
}

UtMatrix* GenericMatrixRotationQuaternion(UtMatrix* out, const UtQuaternion* q) {
  // Doubling is exact, so 2*a*b is formed as (2*a)*b; the quaternion is not normalised.
  const float x = q->x, y = q->y, z = q->z, w = q->w;
  const float x2 = x + x, y2 = y + y, z2 = z + z;
  const float xx2 = x2 * x, yy2 = y2 * y, zz2 = z2 * z;
  const float xy2 = x2 * y, xz2 = x2 * z, yz2 = y2 * z;
  const float xw2 = x2 * w, yw2 = y2 * w, zw2 = z2 * w;
  *out = UtMatrix(1.0f - yy2 - zz2, xy2 + zw2, xz2 - yw2, 0,
                  xy2 - zw2, 1.0f - xx2 - zz2, yz2 + xw2, 0,
                  xz2 + yw2, yz2 - xw2, 1.0f - xx2 - yy2, 0,
                  0, 0, 0, 1);
  return out;
}
