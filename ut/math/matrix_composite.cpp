// Generic composite transforms: scaling about a centre with an orientation, rotation about a
// centre, then translation. They build the result step by step through the public product,
// transpose and rotation entry points, so they use whichever forms the processor has; scaling
// matrices are only assignments and are built directly.
#include "matrix_generic.h"

namespace {

inline void AddTranslation(UtMatrix* out, const UtVector3& c) {
  out->_41 += c.x;
  out->_42 += c.y;
  out->_43 += c.z;
}

inline void SubtractTranslation(UtMatrix* out, const UtVector3& c) {
  out->_41 -= c.x;
  out->_42 -= c.y;
  out->_43 -= c.z;
}

inline void AddTranslation(UtMatrix* out, const UtVector2& c) {
  out->_41 += c.x;
  out->_42 += c.y;
}

inline void SubtractTranslation(UtMatrix* out, const UtVector2& c) {
  out->_41 -= c.x;
  out->_42 -= c.y;
}

// out = out * rotation, about centre when there is one.
template <typename Centre>
void RotateAbout(UtMatrix* out, const UtMatrix& rotation, const Centre* centre) {
  if (centre) SubtractTranslation(out, *centre);
  UtMatrixMultiply(out, out, &rotation);
  if (centre) AddTranslation(out, *centre);
}

// out = transpose(q) * s * q, about centre when there is one: scaling along the axes that q
// turns the coordinate axes into.
template <typename Centre>
void OrientedScaling(UtMatrix* out, const UtMatrix& s, const UtMatrix& q, const Centre* centre) {
  if (centre) {
    UtMatrixIdentity(out);
    SubtractTranslation(out, *centre);
    UtMatrix qt;
    UtMatrixTranspose(&qt, &q);
    UtMatrixMultiply(out, out, &qt);
  } else {
    UtMatrixTranspose(out, &q);
  }
  UtMatrixMultiply(out, out, &s);
  UtMatrixMultiply(out, out, &q);
  if (centre) AddTranslation(out, *centre);
}

}  // namespace

UtMatrix* GenericMatrixAffineTransformation(UtMatrix* out, float scaling,
                                            const UtVector3* rotationCentre,
                                            const UtQuaternion* rotation,
                                            const UtVector3* translation) {
  GenericMatrixScaling(out, scaling, scaling, scaling);
  if (rotation) {
    UtMatrix r;
    UtMatrixRotationQuaternion(&r, rotation);
    RotateAbout(out, r, rotationCentre);
  }
  if (translation) AddTranslation(out, *translation);
  return out;
}

UtMatrix* GenericMatrixAffineTransformation2D(UtMatrix* out, float scaling,
                                              const UtVector2* rotationCentre, float rotation,
                                              const UtVector2* translation) {
  GenericMatrixScaling(out, scaling, scaling, 1.0f);
  // A NaN angle is not equal to 0, so it is applied (and poisons the result) rather than hidden.
  if (rotation != 0.0f) {
    UtMatrix r;
    UtMatrixRotationZ(&r, rotation);
    RotateAbout(out, r, rotationCentre);
  }
  if (translation) AddTranslation(out, *translation);
  return out;
}

UtMatrix* GenericMatrixTransformation(UtMatrix* out, const UtVector3* scalingCentre,
                                      const UtQuaternion* scalingRotation, const UtVector3* scaling,
                                      const UtVector3* rotationCentre, const UtQuaternion* rotation,
                                      const UtVector3* translation) {
  if (!scaling) {
    UtMatrixIdentity(out);
  } else if (!scalingRotation) {
    GenericMatrixScaling(out, scaling->x, scaling->y, scaling->z);
    if (scalingCentre) {
      // Scaling about c moves the origin to (1 - s) * c.
      out->_41 = (1.0f - scaling->x) * scalingCentre->x;
      out->_42 = (1.0f - scaling->y) * scalingCentre->y;
      out->_43 = (1.0f - scaling->z) * scalingCentre->z;
    }
  } else {
    UtMatrix s, q;
    GenericMatrixScaling(&s, scaling->x, scaling->y, scaling->z);
    UtMatrixRotationQuaternion(&q, scalingRotation);
    OrientedScaling(out, s, q, scalingCentre);
  }
  if (rotation) {
    UtMatrix r;
    UtMatrixRotationQuaternion(&r, rotation);
    RotateAbout(out, r, rotationCentre);
  }
  if (translation) AddTranslation(out, *translation);
  return out;
}

UtMatrix* GenericMatrixTransformation2D(UtMatrix* out, const UtVector2* scalingCentre,
                                        float scalingRotation, const UtVector2* scaling,
                                        const UtVector2* rotationCentre, float rotation,
                                        const UtVector2* translation) {
  if (!scaling) {
    UtMatrixIdentity(out);
  } else if (scalingRotation == 0.0f) {
    GenericMatrixScaling(out, scaling->x, scaling->y, 1.0f);
    if (scalingCentre) {
      out->_41 = (1.0f - scaling->x) * scalingCentre->x;
      out->_42 = (1.0f - scaling->y) * scalingCentre->y;
    }
  } else {
    UtMatrix s, q;
    GenericMatrixScaling(&s, scaling->x, scaling->y, 1.0f);
    UtMatrixRotationZ(&q, scalingRotation);
    OrientedScaling(out, s, q, scalingCentre);
  }
  if (rotation != 0.0f) {
    UtMatrix r;
    UtMatrixRotationZ(&r, rotation);
    RotateAbout(out, r, rotationCentre);
  }
  if (translation) AddTranslation(out, *translation);
  return out;
}
