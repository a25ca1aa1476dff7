// GYX_SetMatrixTranslation: overwrite row 3 only; the demo moves the 3D
// pointer onto a picked vertex with it.
#include "slim/gyx_slim.h"

extern "C" void GYX_SetMatrixTranslation(float m[16], const float v[3]) {
  const float x = v[0], y = v[1], z = v[2];
  m[12] = x;
  m[13] = y;
  m[14] = z;
}
