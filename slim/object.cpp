// GYX_ObjectMotion: applies one controller motion to an object's matrix in
// viewer space: a turn about a pivot given in object space, then a move in
// viewer axes, keeping the object's uniform scale. Called by the jet demo for
// the world and for the 3D pointer, each with its own GYX_MotionState.
#include "slim/gyx_slim.h"

namespace {

const float kMoveFactor = 1e-6f;
const float kPushFactor = -1e-6f;  // the controller's z is the viewer's -z
const float kTurnFactor = -1e-6f;
const float kZoomFactor = -1e-7f;

void Translation(float t[16], float x, float y, float z) {
  const float v[3] = {x, y, z};
  GYX_MakeTranslationMatrix(t, v);
}

}  // namespace

extern "C" int GYX_ObjectMotion(float out[16], float motion[GYX_MOTION_SIZE], const float m[16],
                                const float pivot[3], int zoom, GYX_MotionState *state) {
  float mIn[16];  // out may be m: keep the caller's matrix for the last step
  GYX_CopyMatrix(mIn, m);
  const float newPivot[3] = {pivot[0], pivot[1], pivot[2]};
  float previousPivot[3] = {0.0f, 0.0f, 0.0f};
  if (state != nullptr)
    for (int i = 0; i < 3; ++i) previousPivot[i] = state->previousPivot[i];

  int result = 0;
  for (int i = GYX_TX; i <= GYX_RZ; ++i)
    if (motion[i] != 0.0f) result = 1;  // -0 compares equal to 0

  // The rotation without the scale; a failed orthonormalisation leaves the
  // identity in n, and the motion goes on from there.
  double scale = GYX_GetMatrixScale(mIn);
  float n[16];
  GYX_ScaleMatrix(n, mIn, static_cast<float>(1.0 / scale));
  GYX_OrthoNormMatrix(n);

  // r: the unscaled object matrix as seen about the previous pivot.
  float t[16], r[16], w[3];
  GYX_Mult13x33(w, previousPivot, mIn);
  Translation(t, previousPivot[0], previousPivot[1], previousPivot[2]);
  GYX_Mult44x44(r, t, n);
  Translation(t, -w[0], -w[1], -w[2]);
  GYX_Mult44x44(r, r, t);

  if (state != nullptr)
    for (int i = 0; i < 3; ++i) state->previousPivot[i] = newPivot[i];

  // a: to the pivot, the object's turn, the controller's turn, back.
  float a[16], rot[16];
  Translation(t, -newPivot[0], -newPivot[1], -newPivot[2]);
  GYX_GetRotationMatrix(rot, r);
  GYX_Mult44x44(a, t, rot);

  motion[GYX_RZ] = -motion[GYX_RZ];
  const float axis[3] = {motion[GYX_RX], motion[GYX_RY], motion[GYX_RZ]};
  const double period = motion[GYX_PERIOD];
  GYX_ArbitraryAxisToMatrix(rot, axis, static_cast<float>(period * kTurnFactor));
  GYX_Mult44x44(a, a, rot);
  GYX_GetTranslationMatrix(t, r);
  GYX_Mult44x44(a, a, t);

  a[12] = static_cast<float>(a[12] + motion[GYX_TX] * period * kMoveFactor);
  a[13] = static_cast<float>(a[13] + motion[GYX_TY] * period * kMoveFactor);
  if (zoom == 0) {
    a[14] = static_cast<float>(a[14] + motion[GYX_TZ] * period * kPushFactor);
  } else {
    scale *= motion[GYX_TZ] * period * kZoomFactor + 1.0;
    a[14] = 0.0f;
  }

  GYX_Mult13x33(w, newPivot, mIn);
  for (int i = 0; i < 3; ++i) a[12 + i] = static_cast<float>(static_cast<double>(a[12 + i]) + w[i]);

  GYX_OrthoNormMatrix(a);
  GYX_ScaleMatrix(out, a, static_cast<float>(scale));
  return result;
}
