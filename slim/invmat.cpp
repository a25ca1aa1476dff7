// GYX_InvertMatrix: inverse of a rigid transform (rotation + translation):
// the transposed 3x3 and the translation carried back through it. Cheap and
// exact only for an orthonormal 3x3; the demo keeps its matrices so.
#include "slim/gyx_slim.h"

extern "C" void GYX_InvertMatrix(float out[16], const float m[16]) {
  float r[16];
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) r[row * 4 + col] = m[col * 4 + row];
  const double tx = m[12], ty = m[13], tz = m[14];
  for (int j = 0; j < 3; ++j)
    r[12 + j] = static_cast<float>(-(tx * m[4 * j] + ty * m[4 * j + 1] + tz * m[4 * j + 2]));
  r[3] = r[7] = r[11] = 0.0f;
  r[15] = 1.0f;
  for (int i = 0; i < 16; ++i) out[i] = r[i];
}
