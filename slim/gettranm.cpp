// GYX_GetTranslationMatrix: the translation part of a matrix as a matrix of
// its own; used by the object motion and by the axis arrows' placement.
#include "slim/gyx_slim.h"

extern "C" void GYX_GetTranslationMatrix(float out[16], const float m[16]) {
  const float t[3] = {m[12], m[13], m[14]};  // out may be m
  GYX_MakeTranslationMatrix(out, t);
}
