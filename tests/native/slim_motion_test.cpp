// Matrix library: GYX_ObjectMotion, the step that turns one controller
// motion into a new object matrix. Expected values come from the algebra of
// the operation: with previous pivot p0, new pivot p1 and scale s, a motion
// of zero maps x to x*M3 + t + (s-1)(p1-p0)*M3.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "slim/gyx_slim.h"

namespace {

using Mat = std::array<float, 16>;
using Vec = std::array<float, 3>;
using Motion = std::array<float, GYX_MOTION_SIZE>;

Mat Mult(const Mat &a, const Mat &b) {
  Mat r;
  GYX_Mult44x44(r.data(), a.data(), b.data());
  return r;
}

// A scaled rotation with a translation, as the view * eye of the demo.
Mat ObjectMatrix(float scale) {
  Mat x, y;
  GYX_MakeXRotMatrix(x.data(), 0.5f);
  GYX_MakeYRotMatrix(y.data(), -0.8f);
  Mat m = Mult(x, y);
  const float t[3] = {120.0f, -45.0f, -3330.0f};
  GYX_SetMatrixTranslation(m.data(), t);
  GYX_ScaleMatrix(m.data(), m.data(), scale);
  GYX_SetMatrixTranslation(m.data(), t);  // keep the translation as given
  return m;
}

Vec Apply(const Mat &m, const Vec &p) {
  Vec r;
  GYX_Mult14x44(r.data(), p.data(), m.data());
  return r;
}

Vec Turn(const Mat &m, const Vec &v) {
  Vec r;
  GYX_Mult13x33(r.data(), v.data(), m.data());
  return r;
}

void ExpectMatNear(const Mat &want, const Mat &got, double tol, const std::string &what) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(want[i], got[i], tol) << what << " element " << i;
}

TEST(SlimObjectMotion, ZeroMotionAtTheSamePivotKeepsTheMatrix) {
  for (float scale : {1.0f, 2.0f, 0.25f}) {
    const Mat m = ObjectMatrix(scale);
    const Vec pivot = {10.0f, -20.0f, 30.0f};
    GYX_MotionState state = {{pivot[0], pivot[1], pivot[2]}};
    Motion motion = {0, 0, 0, 0, 0, 0, 16.0f};
    Mat out;
    EXPECT_EQ(0, GYX_ObjectMotion(out.data(), motion.data(), m.data(), pivot.data(), 0, &state));
    ExpectMatNear(m, out, 1e-3, "scale " + std::to_string(scale));
    EXPECT_NEAR(scale, GYX_GetMatrixScale(out.data()), 1e-5);
  }
}

TEST(SlimObjectMotion, NegativeZeroCountsAsNoMotion) {
  const Mat m = ObjectMatrix(1.0f);
  const Vec pivot = {0, 0, 0};
  GYX_MotionState state = GYX_MOTION_STATE_INIT;
  Motion motion = {-0.0f, -0.0f, -0.0f, -0.0f, -0.0f, -0.0f, 16.0f};
  Mat out;
  EXPECT_EQ(0, GYX_ObjectMotion(out.data(), motion.data(), m.data(), pivot.data(), 0, &state));
  motion[GYX_TY] = 1e-30f;
  EXPECT_EQ(1, GYX_ObjectMotion(out.data(), motion.data(), m.data(), pivot.data(), 0, &state));
}

TEST(SlimObjectMotion, ChangedPivotAloneShiftsTheTranslationOfAScaledObject) {
  struct {
    float scale;
    Vec p0, p1;
  } cases[] = {
      {1.0f, {0, 0, 0}, {100, 0, 0}},  // unscaled: the shift cancels out
      {2.0f, {0, 0, 0}, {100, 0, 0}},
      {0.5f, {10, 20, 30}, {-40, 50, 0}},
  };
  for (const auto &c : cases) {
    const Mat m = ObjectMatrix(c.scale);
    GYX_MotionState state = {{c.p0[0], c.p0[1], c.p0[2]}};
    Motion motion = {0, 0, 0, 0, 0, 0, 16.0f};
    Mat out;
    EXPECT_EQ(0, GYX_ObjectMotion(out.data(), motion.data(), m.data(), c.p1.data(), 0, &state));
    const Vec d = {c.p1[0] - c.p0[0], c.p1[1] - c.p0[1], c.p1[2] - c.p0[2]};
    const Vec shift = Turn(m, d);
    Mat want = m;
    for (int i = 0; i < 3; ++i) want[12 + i] += (c.scale - 1.0f) * shift[i];
    ExpectMatNear(want, out, 2e-3, "scale " + std::to_string(c.scale));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(c.p1[i], state.previousPivot[i]);

    // The pivot is remembered: the same pivot again moves nothing more.
    Mat again;
    GYX_ObjectMotion(again.data(), motion.data(), out.data(), c.p1.data(), 0, &state);
    ExpectMatNear(out, again, 2e-3, "second call");
  }
}

TEST(SlimObjectMotion, NullStateMeansPreviousPivotAtTheOrigin) {
  const Mat m = ObjectMatrix(2.0f);
  const Vec pivot = {50, -60, 70};
  Motion motion = {0, 0, 0, 0, 0, 0, 16.0f};
  Mat withNull, withFresh;
  GYX_ObjectMotion(withNull.data(), motion.data(), m.data(), pivot.data(), 0, nullptr);
  GYX_MotionState fresh = GYX_MOTION_STATE_INIT;
  GYX_ObjectMotion(withFresh.data(), motion.data(), m.data(), pivot.data(), 0, &fresh);
  EXPECT_EQ(withFresh, withNull);
}

TEST(SlimObjectMotion, TranslationMovesInViewerAxesTimesScale) {
  struct {
    float scale;
    Motion motion;
    Vec move;  // expected change of the translation before the scale
  } cases[] = {
      {1.0f, {100000, 0, 0, 0, 0, 0, 20}, {2, 0, 0}},
      {1.0f, {0, -50000, 0, 0, 0, 0, 10}, {0, -0.5f, 0}},
      {1.0f, {0, 0, 100000, 0, 0, 0, 10}, {0, 0, -1}},  // a push goes away from the viewer
      {2.0f, {100000, 0, 100000, 0, 0, 0, 10}, {1, 0, -1}},
  };
  for (const auto &c : cases) {
    const Mat m = ObjectMatrix(c.scale);
    const Vec pivot = {0, 0, 0};
    GYX_MotionState state = GYX_MOTION_STATE_INIT;
    Motion motion = c.motion;
    Mat out;
    EXPECT_EQ(1, GYX_ObjectMotion(out.data(), motion.data(), m.data(), pivot.data(), 0, &state));
    Mat want = m;
    for (int i = 0; i < 3; ++i) want[12 + i] += c.scale * c.move[i];
    ExpectMatNear(want, out, 2e-3, "translation");
  }
}

TEST(SlimObjectMotion, TurnsAboutThePivotInViewerAxes) {
  const float quarter = 1e5f;  // with a period of pi/2 * 10 ms: 90 degrees
  const float period = 15.707963f;
  struct {
    const char *name;
    Motion motion;
    Vec in, want;  // a viewer-space direction through the turn
    float rzAfter;
  } cases[] = {
      {"rx turns y towards z", {0, 0, 0, quarter, 0, 0, period}, {0, 1, 0}, {0, 0, 1}, 0.0f},
      {"ry turns z towards x", {0, 0, 0, 0, quarter, 0, period}, {0, 0, 1}, {1, 0, 0}, 0.0f},
      {"rz turns x towards -y", {0, 0, 0, 0, 0, quarter, period}, {1, 0, 0}, {0, -1, 0}, -quarter},
  };
  for (const auto &c : cases) {
    Mat id;
    GYX_MakeIdentityMatrix(id.data());
    const Vec pivot = {0, 0, 0};
    Motion motion = c.motion;
    Mat out;
    GYX_MotionState state = GYX_MOTION_STATE_INIT;
    EXPECT_EQ(1, GYX_ObjectMotion(out.data(), motion.data(), id.data(), pivot.data(), 0, &state));
    const Vec got = Turn(out, c.in);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(c.want[i], got[i], 1e-5) << c.name << " " << i;
    EXPECT_EQ(c.rzAfter, motion[GYX_RZ]) << c.name << ": rz is negated for the caller";
  }

  // About a pivot: the pivot's viewer position stays where it was, and the
  // rest of the object turns around it.
  const Mat m = ObjectMatrix(2.0f);
  const Vec pivot = {100, 200, -50};
  GYX_MotionState state = {{pivot[0], pivot[1], pivot[2]}};
  Motion motion = {0, 0, 0, 30000, -20000, 10000, 16};
  Mat out;
  GYX_ObjectMotion(out.data(), motion.data(), m.data(), pivot.data(), 0, &state);
  const Vec before = Apply(m, pivot), after = Apply(out, pivot);
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(before[i], after[i], 2e-3) << i;
  const Vec other = {-300, 0, 0};
  const Vec o1 = Apply(m, other), o2 = Apply(out, other);
  EXPECT_GT(std::fabs(o1[0] - o2[0]) + std::fabs(o1[1] - o2[1]) + std::fabs(o1[2] - o2[2]), 1.0f);
  EXPECT_NEAR(2.0, GYX_GetMatrixScale(out.data()), 1e-5);
  EXPECT_NEAR(8.0, GYX_MatrixDeterminant(out.data()), 1e-3);
}

TEST(SlimObjectMotion, ZoomChangesTheScaleInsteadOfTheDepth) {
  const Mat m = ObjectMatrix(1.0f);
  const Vec pivot = {0, 0, 0};
  GYX_MotionState state = GYX_MOTION_STATE_INIT;
  Motion motion = {0, 0, 100000, 0, 0, 0, 10};
  Mat out;
  EXPECT_EQ(1, GYX_ObjectMotion(out.data(), motion.data(), m.data(), pivot.data(), 1, &state));
  EXPECT_NEAR(1.0 - 100000 * 10 * 1e-7, GYX_GetMatrixScale(out.data()), 1e-5);
}

TEST(SlimObjectMotion, OutputMayBeTheInputMatrix) {
  const Vec pivot = {5, 6, 7};
  Mat m = ObjectMatrix(1.5f);
  Motion a = {1000, -2000, 3000, 4000, -5000, 6000, 16}, b = a;
  GYX_MotionState s1 = GYX_MOTION_STATE_INIT, s2 = GYX_MOTION_STATE_INIT;
  Mat separate;
  GYX_ObjectMotion(separate.data(), a.data(), m.data(), pivot.data(), 0, &s1);
  GYX_ObjectMotion(m.data(), b.data(), m.data(), pivot.data(), 0, &s2);
  EXPECT_EQ(separate, m);
}

}  // namespace
