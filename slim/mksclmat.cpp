// GYX_MakeScaleMatrix: per-axis scale; used for the pointer's size, the
// picked edge's length and the screen matrix's flip and zoom.
#include "slim/gyx_slim.h"

extern "C" void GYX_MakeScaleMatrix(float m[16], float sx, float sy, float sz) {
  GYX_MakeIdentityMatrix(m);
  m[0] = sx;
  m[5] = sy;
  m[10] = sz;
}
