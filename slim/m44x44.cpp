// GYX_Mult44x44: out = a * b for row vectors (a applies first). Every matrix
// chain of the demo goes through here; out may be a or b.
#include "slim/gyx_slim.h"

extern "C" void GYX_Mult44x44(float out[16], const float a[16], const float b[16]) {
  float r[16];
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4; ++col) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k)
        sum += static_cast<double>(a[row * 4 + k]) * static_cast<double>(b[k * 4 + col]);
      r[row * 4 + col] = static_cast<float>(sum);
    }
  }
  for (int i = 0; i < 16; ++i) out[i] = r[i];
}
