// GYX_MakeYRotMatrix: turn by +a about y for row vectors
// (z' = z cos a - x sin a, x' = z sin a + x cos a); used by the view reset.
#include <cmath>

#include "slim/gyx_slim.h"

extern "C" void GYX_MakeYRotMatrix(float m[16], float a) {
  const double c = std::cos(static_cast<double>(a));
  const double s = std::sin(static_cast<double>(a));
  GYX_MakeIdentityMatrix(m);
  m[0] = static_cast<float>(c);
  m[2] = static_cast<float>(-s);
  m[8] = static_cast<float>(s);
  m[10] = static_cast<float>(c);
}
