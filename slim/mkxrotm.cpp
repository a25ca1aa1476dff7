// GYX_MakeXRotMatrix: turn by +a about x for row vectors
// (y' = y cos a - z sin a, z' = y sin a + z cos a); used by the view reset.
#include <cmath>

#include "slim/gyx_slim.h"

extern "C" void GYX_MakeXRotMatrix(float m[16], float a) {
  const double c = std::cos(static_cast<double>(a));
  const double s = std::sin(static_cast<double>(a));
  GYX_MakeIdentityMatrix(m);
  m[5] = static_cast<float>(c);
  m[6] = static_cast<float>(s);
  m[9] = static_cast<float>(-s);
  m[10] = static_cast<float>(c);
}
