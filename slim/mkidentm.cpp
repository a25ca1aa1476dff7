// GYX_MakeIdentityMatrix: the identity that every constructor of the matrix
// library starts from; called by the demo's view reset and by the library itself.
#include "slim/gyx_slim.h"

extern "C" void GYX_MakeIdentityMatrix(float m[16]) {
  for (int i = 0; i < 16; ++i) m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
}
