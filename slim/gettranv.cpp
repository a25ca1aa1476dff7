// GYX_GetTranslationVector: row 3 as a vector; the demo reads the pointer's
// position (the pivot) with it.
#include "slim/gyx_slim.h"

extern "C" void GYX_GetTranslationVector(float v[3], const float m[16]) {
  const float x = m[12], y = m[13], z = m[14];
  v[0] = x;
  v[1] = y;
  v[2] = z;
}
