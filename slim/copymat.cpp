// GYX_CopyMatrix: plain 16-float copy; memmove so that dst == src is harmless.
// Called by the demo wherever a matrix is saved before it is changed.
#include <cstring>

#include "slim/gyx_slim.h"

extern "C" void GYX_CopyMatrix(float dst[16], const float src[16]) {
  std::memmove(dst, src, 16 * sizeof(float));
}
