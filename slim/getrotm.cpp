// GYX_GetRotationMatrix: the 3x3 part of a matrix without its translation
// and projection column; used by the object motion.
#include "slim/gyx_slim.h"

extern "C" void GYX_GetRotationMatrix(float out[16], const float m[16]) {
  float r[16];
  for (int i = 0; i < 16; ++i) r[i] = m[i];
  r[3] = r[7] = r[11] = 0.0f;
  r[12] = r[13] = r[14] = 0.0f;
  r[15] = 1.0f;
  for (int i = 0; i < 16; ++i) out[i] = r[i];
}
