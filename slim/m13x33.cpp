// GYX_Mult13x33: a direction through the 3x3 part of a matrix (no
// translation); carries motion vectors between viewer, world and edge axes.
#include "slim/gyx_slim.h"

extern "C" void GYX_Mult13x33(float out[3], const float v[3], const float m[16]) {
  const double x = v[0], y = v[1], z = v[2];
  double r[3];
  for (int c = 0; c < 3; ++c) r[c] = x * m[c] + y * m[4 + c] + z * m[8 + c];
  for (int c = 0; c < 3; ++c) out[c] = static_cast<float>(r[c]);
}
