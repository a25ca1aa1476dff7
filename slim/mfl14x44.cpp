// GYX_MultFull14x44: a point (w = 1) through a full matrix with the
// perspective divide; the wire-frame drawing and picking project with it.
#include "slim/gyx_slim.h"

extern "C" void GYX_MultFull14x44(float out[3], const float v[3], const float m[16]) {
  const double x = v[0], y = v[1], z = v[2];
  double r[4];
  for (int c = 0; c < 4; ++c) r[c] = x * m[c] + y * m[4 + c] + z * m[8 + c] + m[12 + c];
  // w is not checked: the drawing clips at the near plane before projecting.
  for (int c = 0; c < 3; ++c) out[c] = static_cast<float>(r[c] / r[3]);
}
