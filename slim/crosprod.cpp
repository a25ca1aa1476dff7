// GYX_CrossProduct: out = a x b; used by the orthonormalisation and by the
// frame of a picked edge. out may be a or b.
#include "slim/gyx_slim.h"

extern "C" void GYX_CrossProduct(float out[3], const float a[3], const float b[3]) {
  const double ax = a[0], ay = a[1], az = a[2];
  const double bx = b[0], by = b[1], bz = b[2];
  const double x = ay * bz - az * by;
  const double y = az * bx - ax * bz;
  const double z = ax * by - ay * bx;
  out[0] = static_cast<float>(x);
  out[1] = static_cast<float>(y);
  out[2] = static_cast<float>(z);
}
