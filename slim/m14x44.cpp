// GYX_Mult14x44: a point (w = 1) through an affine matrix, x, y, z only;
// used for points whose matrices hold no projection. out may be v.
#include "slim/gyx_slim.h"

extern "C" void GYX_Mult14x44(float out[3], const float v[3], const float m[16]) {
  const double x = v[0], y = v[1], z = v[2];
  double r[3];
  for (int c = 0; c < 3; ++c) r[c] = x * m[c] + y * m[4 + c] + z * m[8 + c] + m[12 + c];
  for (int c = 0; c < 3; ++c) out[c] = static_cast<float>(r[c]);
}
