// GYX_MatrixDeterminant: determinant of the 3x3 part; the orthonormalisation
// tests its result against 1.
#include "slim/gyx_slim.h"

extern "C" double GYX_MatrixDeterminant(const float m[16]) {
  const double a = m[0], b = m[1], c = m[2];
  const double d = m[4], e = m[5], f = m[6];
  const double g = m[8], h = m[9], i = m[10];
  return a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
}
