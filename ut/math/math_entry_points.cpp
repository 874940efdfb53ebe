// Public entry points of the dispatched math routines. Each forwards its arguments unchanged to
// the routine that serves it, the generic form on every processor.
#include "float16_generic.h"
#include "matrix_generic.h"

UtMatrix* UtMatrixMultiply(UtMatrix* out, const UtMatrix* m1, const UtMatrix* m2) {
  return GenericMatrixMultiply(out, m1, m2);
}

UtMatrix* UtMatrixMultiplyTranspose(UtMatrix* out, const UtMatrix* m1, const UtMatrix* m2) {
  return GenericMatrixMultiplyTranspose(out, m1, m2);
}

UtMatrix* UtMatrixTranspose(UtMatrix* out, const UtMatrix* m) {
  return GenericMatrixTranspose(out, m);
}

float UtMatrixDeterminant(const UtMatrix* m) { return GenericMatrixDeterminant(m); }

UtMatrix* UtMatrixInverse(UtMatrix* out, float* determinant, const UtMatrix* m) {
  return GenericMatrixInverse(out, determinant, m);
}

UtMatrix* UtMatrixScaling(UtMatrix* out, float sx, float sy, float sz) {
  return GenericMatrixScaling(out, sx, sy, sz);
}

UtMatrix* UtMatrixTranslation(UtMatrix* out, float x, float y, float z) {
  return GenericMatrixTranslation(out, x, y, z);
}

UtMatrix* UtMatrixRotationX(UtMatrix* out, float angle) {
  return GenericMatrixRotationX(out, angle);
}

UtMatrix* UtMatrixRotationY(UtMatrix* out, float angle) {
  return GenericMatrixRotationY(out, angle);
}

UtMatrix* UtMatrixRotationZ(UtMatrix* out, float angle) {
  return GenericMatrixRotationZ(out, angle);
}

UtMatrix* UtMatrixRotationQuaternion(UtMatrix* out, const UtQuaternion* q) {
  return GenericMatrixRotationQuaternion(out, q);
}

UtMatrix* UtMatrixTransformation(UtMatrix* out, const UtVector3* scalingCentre,
                                 const UtQuaternion* scalingRotation, const UtVector3* scaling,
                                 const UtVector3* rotationCentre, const UtQuaternion* rotation,
                                 const UtVector3* translation) {
  return GenericMatrixTransformation(out, scalingCentre, scalingRotation, scaling,
                                     rotationCentre, rotation, translation);
}

UtMatrix* UtMatrixTransformation2D(UtMatrix* out, const UtVector2* scalingCentre,
                                   float scalingRotation, const UtVector2* scaling,
                                   const UtVector2* rotationCentre, float rotation,
                                   const UtVector2* translation) {
  return GenericMatrixTransformation2D(out, scalingCentre, scalingRotation, scaling,
                                       rotationCentre, rotation, translation);
}

UtMatrix* UtMatrixAffineTransformation(UtMatrix* out, float scaling,
                                       const UtVector3* rotationCentre,
                                       const UtQuaternion* rotation,
                                       const UtVector3* translation) {
  return GenericMatrixAffineTransformation(out, scaling, rotationCentre, rotation, translation);
}

UtMatrix* UtMatrixAffineTransformation2D(UtMatrix* out, float scaling,
                                         const UtVector2* rotationCentre, float rotation,
                                         const UtVector2* translation) {
  return GenericMatrixAffineTransformation2D(out, scaling, rotationCentre, rotation,
                                             translation);
}

UtFloat16* UtFloat32To16Array(UtFloat16* out, const float* in, unsigned n) {
  return GenericFloat32To16Array(out, in, n);
}

float* UtFloat16To32Array(float* out, const UtFloat16* in, unsigned n) {
  return GenericFloat16To32Array(out, in, n);
}
