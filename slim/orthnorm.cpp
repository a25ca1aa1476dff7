// GYX_OrthoNormMatrix: pulls the 3x3 part back to a rotation (Gram-Schmidt
// from row 2), which also strips a uniform scale. Called by the object motion
// after every step so that rounding never accumulates into shear.
#include <cmath>
#include <cstdio>

#include "slim/gyx_slim.h"

namespace {

const double kTolerance = 1e-6;
const int kMaxPasses = 5;

// NaN compares false, so a matrix holding a NaN or an infinity never counts
// as orthonormal (it would otherwise be handed back as a success).
bool IsOrthonormal(double det) {
  return std::fabs(det - 1.0) <= kTolerance;
}

void Normalise(double v[3]) {
  const double len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  for (int i = 0; i < 3; ++i) v[i] /= len;  // len 0 gives NaN, caught by the final test
}

void OnePass(float m[16]) {
  double z[3] = {m[8], m[9], m[10]};
  Normalise(z);
  const double r1[3] = {m[4], m[5], m[6]};
  const double dot = r1[0] * z[0] + r1[1] * z[1] + r1[2] * z[2];
  double y[3] = {r1[0] - dot * z[0], r1[1] - dot * z[1], r1[2] - dot * z[2]};
  Normalise(y);
  double x[3] = {y[1] * z[2] - y[2] * z[1], y[2] * z[0] - y[0] * z[2], y[0] * z[1] - y[1] * z[0]};
  Normalise(x);
  for (int i = 0; i < 3; ++i) {
    m[i] = static_cast<float>(x[i]);
    m[4 + i] = static_cast<float>(y[i]);
    m[8 + i] = static_cast<float>(z[i]);
  }
}

}  // namespace

extern "C" int GYX_OrthoNormMatrix(float m[16]) {
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    if (IsOrthonormal(GYX_MatrixDeterminant(m))) break;
    OnePass(m);
  }
  const double det = GYX_MatrixDeterminant(m);
  if (IsOrthonormal(det)) return 0;
  std::fprintf(stderr, "GYX_OrthoNormMatrix: did not work, det=%f\n", det - 1.0);
  std::fprintf(stderr, "                     Setting matrix to Identity\n");
  GYX_MakeIdentityMatrix(m);
  return -1;
}
