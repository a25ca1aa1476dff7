// GYX_HighValueFilter: the single-axis filter's core: only the value of
// largest magnitude survives, the first of equals wins. Linked by the driver
// (single-axis filter) and by the jet demo (motion and edge constraint).
#include <cmath>

#include "slim/gyx_slim.h"

extern "C" void GYX_HighValueFilter(float *values, int n) {
  if (values == nullptr || n < 2) return;
  int best = 0;
  float bestMagnitude = std::fabs(values[0]);
  for (int i = 1; i < n; ++i) {
    const float magnitude = std::fabs(values[i]);
    if (magnitude > bestMagnitude) {  // strictly: ties keep the earlier value
      values[best] = 0.0f;
      best = i;
      bestMagnitude = magnitude;
    } else {
      values[i] = 0.0f;
    }
  }
}
