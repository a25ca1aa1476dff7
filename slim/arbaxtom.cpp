// GYX_ArbitraryAxisToMatrix: rotation about the controller's twist vector.
// The angle is |axis| * angleScale and, for row vectors, the sense is -angle:
// GYX_ObjectMotion passes a negative scale and relies on this sense.
#include <cmath>

#include "slim/gyx_slim.h"

extern "C" void GYX_ArbitraryAxisToMatrix(float m[16], const float axis[3], float angleScale) {
  const double ax = axis[0], ay = axis[1], az = axis[2];  // axis may live inside m
  const double len = std::sqrt(ax * ax + ay * ay + az * az);
  GYX_MakeIdentityMatrix(m);
  if (!(len >= 0.0001)) return;  // too short to give a direction (or not a number)

  const double ux = ax / len, uy = ay / len, uz = az / len;
  const double theta = len * static_cast<double>(angleScale);
  const double s = std::sin(theta), c = std::cos(theta), t = 1.0 - c;

  m[0] = static_cast<float>(t * ux * ux + c);
  m[1] = static_cast<float>(t * ux * uy - s * uz);
  m[2] = static_cast<float>(t * ux * uz + s * uy);
  m[4] = static_cast<float>(t * uy * ux + s * uz);
  m[5] = static_cast<float>(t * uy * uy + c);
  m[6] = static_cast<float>(t * uy * uz - s * ux);
  m[8] = static_cast<float>(t * ux * uz - s * uy);
  m[9] = static_cast<float>(t * uy * uz + s * ux);
  m[10] = static_cast<float>(t * uz * uz + c);
}
