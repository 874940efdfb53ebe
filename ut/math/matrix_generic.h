// The generic forms of the dispatched matrix routines. The public entry points
// (math_entry_points.cpp) reach these unless a processor-specific form takes their place; each
// generic form is named after its public routine with "Generic" in place of "Ut".
#pragma once

#include "ut_math.h"

UtMatrix* GenericMatrixMultiply(UtMatrix* out, const UtMatrix* m1, const UtMatrix* m2);
UtMatrix* GenericMatrixMultiplyTranspose(UtMatrix* out, const UtMatrix* m1, const UtMatrix* m2);
UtMatrix* GenericMatrixTranspose(UtMatrix* out, const UtMatrix* m);
float GenericMatrixDeterminant(const UtMatrix* m);
UtMatrix* GenericMatrixInverse(UtMatrix* out, float* determinant, const UtMatrix* m);

UtMatrix* GenericMatrixScaling(UtMatrix* out, float sx, float sy, float sz);
UtMatrix* GenericMatrixTranslation(UtMatrix* out, float x, float y, float z);
UtMatrix* GenericMatrixRotationX(UtMatrix* out, float angle);
UtMatrix* GenericMatrixRotationY(UtMatrix* out, float angle);
UtMatrix* GenericMatrixRotationZ(UtMatrix* out, float angle);
UtMatrix* GenericMatrixRotationQuaternion(UtMatrix* out, const UtQuaternion* q);

UtMatrix* GenericMatrixTransformation(UtMatrix* out, const UtVector3* scalingCentre,
                                      const UtQuaternion* scalingRotation, const UtVector3* scaling,
                                      const UtVector3* rotationCentre, const UtQuaternion* rotation,
                                      const UtVector3* translation);
UtMatrix* GenericMatrixTransformation2D(UtMatrix* out, const UtVector2* scalingCentre,
                                        float scalingRotation, const UtVector2* scaling,
                                        const UtVector2* rotationCentre, float rotation,
                                        const UtVector2* translation);
UtMatrix* GenericMatrixAffineTransformation(UtMatrix* out, float scaling,
                                            const UtVector3* rotationCentre,
                                            const UtQuaternion* rotation,
                                            const UtVector3* translation);
UtMatrix* GenericMatrixAffineTransformation2D(UtMatrix* out, float scaling,
                                              const UtVector2* rotationCentre, float rotation,
                                              const UtVector2* translation);
