// GYX_ClipZ: cuts a segment to the slab between two z planes (the near and
// far planes of the wire-frame drawing), in place, before it is projected.
#include "slim/gyx_slim.h"

namespace {

// q = p + (q - p) * f, computed from p's stored values, for x, y, z.
void MoveAlong(float *moved, const float *from, const float *to, double f) {
  double r[3];
  for (int i = 0; i < 3; ++i)
    r[i] = static_cast<double>(from[i]) + (static_cast<double>(to[i]) - from[i]) * f;
  for (int i = 0; i < 3; ++i) moved[i] = static_cast<float>(r[i]);
}

}  // namespace

extern "C" int GYX_ClipZ(float p1[3], float p2[3], float zA, float zB) {
  const double hi = zA > zB ? zA : zB;
  const double lo = zA > zB ? zB : zA;
  const double z1 = p1[2], z2 = p2[2];

  if (lo <= z1 && z1 < hi && lo <= z2 && z2 < hi) return 1;
  if ((z1 > hi && z2 > hi) || (z1 < lo && z2 < lo)) return 0;

  float *p = (z2 > z1) ? p2 : p1;  // the end with the larger z; p1 on equal z
  float *q = (p == p1) ? p2 : p1;

  if (p[2] > hi && q[2] != p[2]) {
    const double f = (hi - p[2]) / (static_cast<double>(q[2]) - p[2]);
    MoveAlong(p, p, q, f);
  }
  if (q[2] < lo && q[2] != p[2]) {
    const double f = (lo - p[2]) / (static_cast<double>(q[2]) - p[2]);
    MoveAlong(q, p, q, f);
  }
  return 1;
}
