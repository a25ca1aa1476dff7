// GYX_GetMatrixScale: mean length of the three basis rows, i.e. the uniform
// scale a scaled rotation carries; the object motion strips and restores it.
#include <cmath>

#include "slim/gyx_slim.h"

extern "C" double GYX_GetMatrixScale(const float m[16]) {
  double sum = 0.0;
  for (int row = 0; row < 3; ++row) {
    const double x = m[row * 4], y = m[row * 4 + 1], z = m[row * 4 + 2];
    sum += std::sqrt(x * x + y * y + z * z);
  }
  return sum * 0.3333333333333333;
}
