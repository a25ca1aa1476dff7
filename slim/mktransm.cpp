// GYX_MakeTranslationMatrix: a pure translation (row 3); used by the object
// motion to move the pivot to the origin and back, and by the screen matrix.
#include "slim/gyx_slim.h"

extern "C" void GYX_MakeTranslationMatrix(float m[16], const float v[3]) {
  const float x = v[0], y = v[1], z = v[2];  // v may live inside m
  GYX_MakeIdentityMatrix(m);
  m[12] = x;
  m[13] = y;
  m[14] = z;
}
