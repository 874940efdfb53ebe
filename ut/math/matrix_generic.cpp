// Generic matrix product, transposed product, transpose, determinant and inverse. The products
// and the inverse are hot paths, so they are written out entry by entry.
#include "matrix_generic.h"

#include <cmath>

namespace {

// One entry of m1 * m2: row i of a times column j of b, summed left to right.
#define UT_ROW_COL(a, b, i, j) \
  (a->_##i##1 * b->_1##j + a->_##i##2 * b->_2##j + a->_##i##3 * b->_3##j + a->_##i##4 * b->_4##j)

// Writes m1 * m2, or its transpose, into out. All 16 entries are formed before the first is
// stored, so out may be m1 or m2.
inline UtMatrix* Product(UtMatrix* out, const UtMatrix* m1, const UtMatrix* m2, bool transposed) {
  const float p11 = UT_ROW_COL(m1, m2, 1, 1), p12 = UT_ROW_COL(m1, m2, 1, 2);
  const float p13 = UT_ROW_COL(m1, m2, 1, 3), p14 = UT_ROW_COL(m1, m2, 1, 4);
  const float p21 = UT_ROW_COL(m1, m2, 2, 1), p22 = UT_ROW_COL(m1, m2, 2, 2);
  const float p23 = UT_ROW_COL(m1, m2, 2, 3), p24 = UT_ROW_COL(m1, m2, 2, 4);
  const float p31 = UT_ROW_COL(m1, m2, 3, 1), p32 = UT_ROW_COL(m1, m2, 3, 2);
  const float p33 = UT_ROW_COL(m1, m2, 3, 3), p34 = UT_ROW_COL(m1, m2, 3, 4);
  const float p41 = UT_ROW_COL(m1, m2, 4, 1), p42 = UT_ROW_COL(m1, m2, 4, 2);
  const float p43 = UT_ROW_COL(m1, m2, 4, 3), p44 = UT_ROW_COL(m1, m2, 4, 4);
  if (!transposed) {
    out->_11 = p11; out->_12 = p12; out->_13 = p13; out->_14 = p14;
    out->_21 = p21; out->_22 = p22; out->_23 = p23; out->_24 = p24;
    out->_31 = p31; out->_32 = p32; out->_33 = p33; out->_34 = p34;
    out->_41 = p41; out->_42 = p42; out->_43 = p43; out->_44 = p44;
  } else {
    out->_11 = p11; out->_12 = p21; out->_13 = p31; out->_14 = p41;
    out->_21 = p12; out->_22 = p22; out->_23 = p32; out->_24 = p42;
    out->_31 = p13; out->_32 = p23; out->_33 = p33; out->_34 = p43;
    out->_41 = p14; out->_42 = p24; out->_43 = p34; out->_44 = p44;
  }
  return out;
}

#undef UT_ROW_COL

// The 2x2 sub-determinants of two rows; cIJ is the one of columns I and J.
struct PairDeterminants {
  float c12, c13, c14, c23, c24, c34;
};

inline PairDeterminants RowPairDeterminants(float a1, float a2, float a3, float a4, float b1,
                                            float b2, float b3, float b4) {
  return {a1 * b2 - a2 * b1, a1 * b3 - a3 * b1, a1 * b4 - a4 * b1,
          a2 * b3 - a3 * b2, a2 * b4 - a4 * b2, a3 * b4 - a4 * b3};
}

}  // namespace

UtMatrix* GenericMatrixMultiply(UtMatrix* out, const UtMatrix* m1, const UtMatrix* m2) {
  return Product(out, m1, m2, false);
}

UtMatrix* GenericMatrixMultiplyTranspose(UtMatrix* out, const UtMatrix* m1, const UtMatrix* m2) {
  return Product(out, m1, m2, true);
}

UtMatrix* GenericMatrixTranspose(UtMatrix* out, const UtMatrix* m) {
  // Each off-diagonal pair is swapped through a temporary, so out may be m.
  float t;
  t = m->_12; out->_12 = m->_21; out->_21 = t;
  t = m->_13; out->_13 = m->_31; out->_31 = t;
  t = m->_14; out->_14 = m->_41; out->_41 = t;
  t = m->_23; out->_23 = m->_32; out->_32 = t;
  t = m->_24; out->_24 = m->_42; out->_42 = t;
  t = m->_34; out->_34 = m->_43; out->_43 = t;
  if (out != m) {
    out->_11 = m->_11; out->_22 = m->_22; out->_33 = m->_33; out->_44 = m->_44;
  }
  return out;
}

float GenericMatrixDeterminant(const UtMatrix* m) {
  // Laplace expansion along row 1; the 3x3 cofactors expand along row 2 over the 2x2
  // sub-determinants of rows 3 and 4.
  const PairDeterminants s = RowPairDeterminants(m->_31, m->_32, m->_33, m->_34,
                                                 m->_41, m->_42, m->_43, m->_44);
  const float c11 = m->_22 * s.c34 - m->_23 * s.c24 + m->_24 * s.c23;
  const float c12 = -(m->_21 * s.c34 - m->_23 * s.c14 + m->_24 * s.c13);
  const float c13 = m->_21 * s.c24 - m->_22 * s.c14 + m->_24 * s.c12;
  const float c14 = -(m->_21 * s.c23 - m->_22 * s.c13 + m->_23 * s.c12);
  return m->_11 * c11 + m->_12 * c12 + m->_13 * c13 + m->_14 * c14;
}

UtMatrix* GenericMatrixInverse(UtMatrix* out, float* determinant, const UtMatrix* m) {
  // Cofactors c_ij of m: rows 1 and 2 from the sub-determinants of rows 3 and 4, rows 3 and 4
  // from those of rows 1 and 2.
  const PairDeterminants s = RowPairDeterminants(m->_31, m->_32, m->_33, m->_34,
                                                 m->_41, m->_42, m->_43, m->_44);
  const PairDeterminants t = RowPairDeterminants(m->_11, m->_12, m->_13, m->_14,
                                                 m->_21, m->_22, m->_23, m->_24);

  const float c11 = m->_22 * s.c34 - m->_23 * s.c24 + m->_24 * s.c23;
  const float c12 = -(m->_21 * s.c34 - m->_23 * s.c14 + m->_24 * s.c13);
  const float c13 = m->_21 * s.c24 - m->_22 * s.c14 + m->_24 * s.c12;
  const float c14 = -(m->_21 * s.c23 - m->_22 * s.c13 + m->_23 * s.c12);

  const float c21 = -(m->_12 * s.c34 - m->_13 * s.c24 + m->_14 * s.c23);
  const float c22 = m->_11 * s.c34 - m->_13 * s.c14 + m->_14 * s.c13;
  const float c23 = -(m->_11 * s.c24 - m->_12 * s.c14 + m->_14 * s.c12);
  const float c24 = m->_11 * s.c23 - m->_12 * s.c13 + m->_13 * s.c12;

  const float c31 = m->_42 * t.c34 - m->_43 * t.c24 + m->_44 * t.c23;
  const float c32 = -(m->_41 * t.c34 - m->_43 * t.c14 + m->_44 * t.c13);
  const float c33 = m->_41 * t.c24 - m->_42 * t.c14 + m->_44 * t.c12;
  const float c34 = -(m->_41 * t.c23 - m->_42 * t.c13 + m->_43 * t.c12);

  const float c41 = -(m->_32 * t.c34 - m->_33 * t.c24 + m->_34 * t.c23);
  const float c42 = m->_31 * t.c34 - m->_33 * t.c14 + m->_34 * t.c13;
  const float c43 = -(m->_31 * t.c24 - m->_32 * t.c14 + m->_34 * t.c12);
  const float c44 = m->_31 * t.c23 - m->_32 * t.c13 + m->_33 * t.c12;

  // The adjugate is the transposed cofactor matrix, so this is the expansion along column 1.
  const float det = m->_11 * c11 + m->_21 * c21 + m->_31 * c31 + m->_41 * c41;
  // The caller gets the determinant even when the inversion fails.
  if (determinant) *determinant = det;
  if (det == 0.0f) return nullptr;
  const float inv = 1.0f / det;
  // A denormal or NaN determinant has no usable reciprocal.
  if (!std::isfinite(inv)) return nullptr;

  // Written only now, so out may be m.
  out->_11 = c11 * inv; out->_12 = c21 * inv; out->_13 = c31 * inv; out->_14 = c41 * inv;
  out->_21 = c12 * inv; out->_22 = c22 * inv; out->_23 = c32 * inv; out->_24 = c42 * inv;
  out->_31 = c13 * inv; out->_32 = c23 * inv; out->_33 = c33 * inv; out->_34 = c43 * inv;
  out->_41 = c14 * inv; out->_42 = c24 * inv; out->_43 = c34 * inv; out->_44 = c44 * inv;
  return out;
}
