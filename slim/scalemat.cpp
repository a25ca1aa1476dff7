// GYX_ScaleMatrix: out = m * diag(s, s, s, 1), so columns 0..2 of every row,
// translation included, are scaled; the object motion removes and restores
// an object's scale with it.
#include "slim/gyx_slim.h"

extern "C" void GYX_ScaleMatrix(float out[16], const float m[16], float s) {
  const double k = s;
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 3; ++col)
      out[row * 4 + col] = static_cast<float>(static_cast<double>(m[row * 4 + col]) * k);
    out[row * 4 + 3] = m[row * 4 + 3];  // each element reads only itself: alias-safe
  }
}
