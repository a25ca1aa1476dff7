// GYX_KeepClip: pulls a point back into the viewing pyramid (viewer looking
// down -z); the jet demo keeps its 3D pointer on screen with it.
#include <cmath>

#include "slim/gyx_slim.h"

extern "C" int GYX_KeepClip(float p[3], float fovDegrees, float aspect, float nearDist, float farDist) {
  const double h = static_cast<double>(fovDegrees) * 0.008726646502812704;  // half angle, radians
  const double sv = std::sin(h), cv = std::cos(h);
  const double g = std::atan2(sv * static_cast<double>(aspect), cv);
  int moved = 0;

  const double d = -static_cast<double>(p[2]);
  if (d > farDist) {
    p[2] = -farDist;
    moved = 1;
  } else if (d < nearDist) {
    p[2] = -nearDist;  // pulled out of the near zone without reporting it
  }

  const double z = p[2];
  double k = sv / cv;
  if (p[1] > -z * k) {
    p[1] = static_cast<float>(-z * k);
    moved = 1;
  }
  if (p[1] < z * k) {
    p[1] = static_cast<float>(z * k);
    moved = 1;
  }

  k = std::tan(g);
  if (p[0] > -z * k) {
    p[0] = static_cast<float>(-z * k);
    moved = 1;
  }
  if (p[0] < z * k) {
    p[0] = static_cast<float>(z * k);
    moved = 1;
  }
  return moved;
}
