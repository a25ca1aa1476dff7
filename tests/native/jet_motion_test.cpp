// Motion processing of the jet demo: the switches, the axis lock with its
// hysteresis, picking with its tie rules, the pointer at rest in pointer mode,
// Shift with a picked edge, snap to grid, and the edge frame. Each case runs
// the demo's own state record at the program's window size.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "jet/jet.h"
#include "jet/process.h"

namespace {

const int32_t kSize = 800;  // 0.8 x the 1000-pixel height of the test desktop

GiEvent Motion(int32_t tx, int32_t ty, int32_t tz, int32_t rx, int32_t ry, int32_t rz, int32_t period = 50) {
  GiEvent e;
  std::memset(&e, 0, sizeof e);
  e.type = GI_MOTION_EVENT;
  e.tx = tx, e.ty = ty, e.tz = tz, e.rx = rx, e.ry = ry, e.rz = rz, e.period = period;
  return e;
}

GiEvent Zero() {
  GiEvent e = Motion(0, 0, 0, 0, 0, 0);
  e.type = GI_ZERO_EVENT;
  return e;
}

class JetMotion : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(JetInit(&jet, kSize, nullptr), JET_OK); }
  void TearDown() override { JetFree(&jet); }

  // Replaces the main object by one built from these commands.
  void UseObject(const std::vector<ObjectCommand> &commands) {
    FreeWireObject(&jet.objects.main);
    std::vector<ObjectCommand> list = commands;
    list.push_back({OBJECT_END, 0, 0, 0, 0});
    ASSERT_EQ(BuildWireObject(&jet.objects.main, list.data(), static_cast<int32_t>(commands.size())),
              OBJECT_OK);
    ASSERT_LE(jet.objects.main.pointCount, jet.scratchPoints);
    ComputeLineMidpoints(jet.objects.main.lines, jet.objects.main.lineCount, jet.objects.main.points);
  }

  void Modes(bool object, bool axes, bool pointer) {
    jet.state.objectMode = object;
    jet.state.axesMode = axes;
    jet.state.pointerMode = pointer;
  }

  std::vector<float> View() const { return std::vector<float>(jet.view.view, jet.view.view + 16); }
  std::vector<float> Pointer() const { return std::vector<float>(jet.view.pointer, jet.view.pointer + 16); }

  Jet jet;
};

TEST_F(JetMotion, ResetViewPlacesCameraPointerAndArrows) {
  EXPECT_FLOAT_EQ(jet.view.eye[14], -3330.0f);
  EXPECT_FLOAT_EQ(jet.view.eyeInverse[14], 3330.0f);
  // A camera-space point lands where the perspective formula puts it.
  const float p[3] = {100.0f, 50.0f, -1000.0f};
  float q[3];
  GYX_MultFull14x44(q, p, jet.view.screen);
  const double k = 1000.0 * std::tan(25.0 * M_PI / 180.0);
  EXPECT_NEAR(q[0], 400.0 * (1.0 + 100.0 / k), 1e-3);
  EXPECT_NEAR(q[1], 400.0 * (1.0 - 50.0 / k), 1e-3);
  // The pointer is a quarter of its size; its translation, the pivot, is the origin.
  EXPECT_NEAR(
      std::sqrt(jet.view.pointer[0] * jet.view.pointer[0] + jet.view.pointer[1] * jet.view.pointer[1] +
                jet.view.pointer[2] * jet.view.pointer[2]),
      0.25, 1e-6);
  EXPECT_EQ(jet.view.pointer[12], 0.0f);
  // The arrows' apexes: +z, +y, +x.
  auto apex = [&](int a) {
    const WireObject &o = jet.objects.axisArrow[a];
    int best = 0;
    for (int i = 1; i < o.pointCount; ++i) {
      const ObjectPoint &p0 = o.points[i], &pb = o.points[best];
      if (p0.x * p0.x + p0.y * p0.y + p0.z * p0.z > pb.x * pb.x + pb.y * pb.y + pb.z * pb.z) best = i;
    }
    return o.points[best];
  };
  EXPECT_NEAR(apex(0).z, 250.0f, 1e-3);
  EXPECT_NEAR(apex(1).y, 250.0f, 1e-3);
  EXPECT_NEAR(apex(2).x, 250.0f, 1e-3);
}

TEST_F(JetMotion, SwitchedOffKindMovesNothingButStillRedraws) {
  struct Case {
    bool translationOn, rotationOn;
    GiEvent event;
    bool moves;
  } cases[] = {
      {false, true, Motion(800, -300, 200, 0, 0, 0), false},
      {true, false, Motion(0, 0, 0, 600, 200, -100), false},
      {true, false, Motion(800, 0, 0, 0, 0, 0), true},
      {false, true, Motion(0, 0, 0, 600, 0, 0), true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "translation " << c.translationOn << " rotation " << c.rotationOn);
    JetFree(&jet);
    ASSERT_EQ(JetInit(&jet, kSize, nullptr), JET_OK);
    jet.state.translationOn = c.translationOn;
    jet.state.rotationOn = c.rotationOn;
    const std::vector<float> before = View();
    JetApplyMotion(&jet, &c.event);
    EXPECT_TRUE(jet.state.redrawNeeded);
    EXPECT_EQ(View() != before, c.moves);
  }
}

TEST_F(JetMotion, TranslationMovesTheWorldByTheScaledAmount) {
  // 400 counts x 0.00025 x 1 400 000 x 50 ms x 1e-6 = 7 units along x; twice
  // that at sensitivity 2. The camera looks down -z: the controller's tz
  // (pulled towards the user) brings the world nearer.
  struct Case {
    GiEvent event;
    float sensitivity;
    float dx, dy, dz;
  } cases[] = {
      {Motion(400, 0, 0, 0, 0, 0), 1.0f, 7.0f, 0.0f, 0.0f},
      {Motion(0, -400, 0, 0, 0, 0), 2.0f, 0.0f, -14.0f, 0.0f},
      {Motion(0, 0, 400, 0, 0, 0), 1.0f, 0.0f, 0.0f, -7.0f},
  };
  for (const Case &c : cases) {
    JetFree(&jet);
    ASSERT_EQ(JetInit(&jet, kSize, nullptr), JET_OK);
    jet.state.sensitivity = c.sensitivity;
    JetApplyMotion(&jet, &c.event);
    EXPECT_NEAR(jet.view.view[12], c.dx, 1e-4);
    EXPECT_NEAR(jet.view.view[13], c.dy, 1e-4);
    EXPECT_NEAR(jet.view.view[14], c.dz, 1e-4);
  }
}

TEST(JetAxisLock, LockToAxisKeepsTheCurrentAxisUntilAnotherExceedsItByHalf) {
  struct Case {
    int32_t axis;
    float v[3];
    int32_t kept;
  } cases[] = {
      {0, {3, 2, 1}, 1},      {0, {1, 3, 2}, 2},       {0, {1, 2, 3}, 3},      {0, {0, 0, 0}, 1},
      {0, {-2, 2, 1}, 1},     {0, {0, 2, -2}, 2},      {1, {10, 15, 0}, 1},    {1, {10, 15.01f, 0}, 2},
      {1, {-10, 0, -16}, 3},  {1, {10, 14, 14.5f}, 1}, {2, {15, -10, 0}, 2},   {2, {16, 10, 0}, 1},
      {2, {0, 10, 15.5f}, 3}, {3, {0, 15, 10}, 3},     {3, {0, 15.5f, 10}, 2}, {3, {-16, 0, 10}, 1},
      {1, {0, 0, 0}, 1},      {2, {20, 20, 20}, 2},
  };
  for (const Case &c : cases) {
    float v[3] = {c.v[0], c.v[1], c.v[2]};
    SCOPED_TRACE(testing::Message() << "axis " << c.axis << " (" << v[0] << ", " << v[1] << ", " << v[2]
                                    << ")");
    ASSERT_EQ(LockToAxis(v, c.axis), c.kept);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(v[i], i == c.kept - 1 ? c.v[i] : 0.0f) << i;
  }
}

TEST(JetAxisLock, TheOtherKindTakesOverOnlyAtTwiceTheCurrentValue) {
  struct Case {
    int32_t kind;
    float t, r;
    int32_t kept;
  } cases[] = {
      {0, 1.0f, 1.0f, 1},   {0, 1.0f, 1.01f, 2}, {1, 1.0f, 1.99f, 1}, {1, 1.0f, 2.0f, 2},
      {1, -1.0f, -3.0f, 2}, {2, 1.99f, 1.0f, 2}, {2, 2.0f, 1.0f, 1},  {2, 0.0f, 0.0f, 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " t " << c.t << " r " << c.r);
    float t[3] = {0, c.t, 0}, r[3] = {0, 0, c.r};
    ASSERT_EQ(ChooseLockedKind(t, r, 2, 3, c.kind), c.kept);
    EXPECT_EQ(t[1], c.kept == 1 ? c.t : 0.0f);
    EXPECT_EQ(r[2], c.kept == 2 ? c.r : 0.0f);
  }
}

TEST_F(JetMotion, AxesModeKeepsXUntilYExceedsOneAndAHalfTimesX) {
  Modes(false, true, false);
  jet.state.keepInView = false;
  // With the start view the world's axes are the controller's: each event
  // moves the world along the one axis that is locked.
  struct Step {
    int32_t tx, ty;
    int32_t axis;  // 1 x, 2 y
  } steps[] = {{100, 20, 1},  {100, 140, 1}, {100, 149, 1}, {100, 152, 2},
               {140, 100, 2}, {149, 100, 2}, {152, 100, 1}};
  for (const Step &s : steps) {
    SCOPED_TRACE(testing::Message() << "push " << s.tx << ", " << s.ty);
    const float x0 = jet.view.view[12], y0 = jet.view.view[13];
    const GiEvent e = Motion(s.tx, s.ty, 0, 0, 0, 0);
    JetApplyMotion(&jet, &e);
    EXPECT_EQ(jet.view.translationAxis, s.axis);
    EXPECT_EQ(jet.view.lockedKind, 1);
    const float dx = jet.view.view[12] - x0, dy = jet.view.view[13] - y0;
    if (s.axis == 1) {
      EXPECT_GT(std::fabs(dx), 1.0f);
      EXPECT_NEAR(dy, 0.0f, 1e-3);
    } else {
      EXPECT_GT(std::fabs(dy), 1.0f);
      EXPECT_NEAR(dx, 0.0f, 1e-3);
    }
  }
}

TEST_F(JetMotion, AxesModeRotationNeedsTwiceTheTranslationToTakeOverAndBack) {
  Modes(false, true, false);
  jet.state.keepInView = false;
  // 0.00025 per count of translation, 0.000125 per count of rotation: rx 1600
  // is twice tx 400 in the units compared.
  struct Step {
    GiEvent event;
    int32_t kind;
  } steps[] = {
      {Motion(400, 0, 0, 0, 0, 0), 1},    {Motion(400, 0, 0, 1500, 0, 0), 1},
      {Motion(400, 0, 0, 1700, 0, 0), 2}, {Motion(700, 0, 0, 800, 0, 0), 2},
      {Motion(820, 0, 0, 800, 0, 0), 1},  {Motion(100, 0, 0, 0, 0, 0), 1},
  };
  for (const Step &s : steps) {
    SCOPED_TRACE(testing::Message() << "tx " << s.event.tx << " rx " << s.event.rx);
    const std::vector<float> before = View();
    JetApplyMotion(&jet, &s.event);
    ASSERT_EQ(jet.view.lockedKind, s.kind);
    // Translation moves only the origin; rotation turns the axes.
    const bool turned =
        std::fabs(jet.view.view[5] - before[5]) > 1e-6 || std::fabs(jet.view.view[6] - before[6]) > 1e-6;
    EXPECT_EQ(turned, s.kind == 2);
  }
}

TEST_F(JetMotion, PickTiesKeepTheEarlierPointAndGiveTheEdgeOverAnEqualVertex) {
  // One line from (0,0,0) to (100,0,0) (midpoint 50) and a lone point at 200.
  UseObject({{OBJECT_MOVEI, 0, 0, 0, 0}, {OBJECT_DRAWI, 100, 0, 0, 0}, {OBJECT_MOVEI, 200, 0, 0, 0}});
  float identity[16];
  GYX_MakeIdentityMatrix(identity);
  const WireObject &o = jet.objects.main;
  struct Case {
    float x;
    bool allowEdges;
    int32_t vertex;
    bool edge;
  } cases[] = {
      {25.0f, true, 0, true},     // vertex 0 and the midpoint both 25 away: the edge
      {24.0f, true, 0, false},    // the vertex is nearer
      {50.0f, false, 0, false},   // vertices 0 and 1 equally far: the earlier
      {150.0f, false, 1, false},  // vertices 1 and 2 equally far: the earlier
      {75.0f, true, 1, true},     // vertex 1 and the midpoint both 25 away: the edge
      {190.0f, true, 2, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "x " << c.x << (c.allowEdges ? " with edges" : ""));
    jet.state.edgeSelected = false;
    EXPECT_EQ(PickNearest(&jet, c.x, 0.0f, 0.0f, false, identity, o.lines, o.lineCount, c.allowEdges),
              c.vertex);
    EXPECT_EQ(jet.state.edgeSelected, c.edge);
    const float *at = c.edge ? &o.points[o.lines[0].from].x : &o.points[c.vertex].x;
    EXPECT_EQ(jet.view.pointer[12], at[0]);
    if (c.edge) {
      EXPECT_FLOAT_EQ(jet.view.edgeScale[10], 100.0f);
    }
  }
}

TEST_F(JetMotion, AxesModePickNeverSelectsAnEdge) {
  UseObject({{OBJECT_MOVEI, 0, 0, 0, 0}, {OBJECT_DRAWI, 100, 0, 0, 0}});
  Modes(false, true, false);
  float identity[16];
  GYX_MakeIdentityMatrix(identity);
  EXPECT_EQ(PickNearest(&jet, 50.0f, 0.0f, 0.0f, false, identity, jet.objects.main.lines, 1, true), 0);
  EXPECT_FALSE(jet.state.edgeSelected);
}

TEST_F(JetMotion, ClickOnAVertexOnScreenPicksIt) {
  float m[16];
  GYX_Mult44x44(m, jet.view.view, jet.view.eye);
  GYX_Mult44x44(m, m, jet.view.screen);
  const WireObject &o = jet.objects.main;
  for (int32_t i : {0, 17, o.pointCount - 1}) {
    float q[3];
    GYX_MultFull14x44(q, &o.points[i].x, m);
    PickAtScreen(&jet, static_cast<int32_t>(std::lround(q[0])), static_cast<int32_t>(std::lround(q[1])));
    if (jet.state.edgeSelected) continue;  // a midpoint may lie on the same pixel
    const float *p = &jet.view.pointer[12];
    float s[3];
    GYX_MultFull14x44(s, p, m);
    EXPECT_NEAR(s[0], q[0], 1.0f) << i;
    EXPECT_NEAR(s[1], q[1], 1.0f) << i;
  }
}

TEST_F(JetMotion, PointerModeZeroEventPutsThePointerOnTheViewingAxis) {
  Modes(false, false, true);
  // Turn and shift the world first, so that the axis is not trivially the origin.
  GiEvent turn = Motion(300, -200, 0, 900, 500, -300);
  JetApplyMotion(&jet, &turn);
  const GiEvent zero = Zero();
  JetApplyMotion(&jet, &zero);

  float ve[16], c[3];
  GYX_Mult44x44(ve, jet.view.view, jet.view.eye);
  GYX_Mult14x44(c, &jet.view.pointer[12], ve);
  EXPECT_NEAR(c[0], 0.0f, 0.05f);
  EXPECT_NEAR(c[1], 0.0f, 0.05f);
  // At the depth of the vertex nearest to the axis.
  const WireObject &o = jet.objects.main;
  double best = 1e30, depth = 0;
  for (int32_t i = 0; i < o.pointCount; ++i) {
    float q[3];
    GYX_Mult14x44(q, &o.points[i].x, ve);
    const double d = double(q[0]) * q[0] + double(q[1]) * q[1];
    if (d <= best) best = d, depth = q[2];
  }
  EXPECT_NEAR(c[2], depth, 0.05);
}

TEST_F(JetMotion, MotionInPointerModeDoesNotMoveThePointerOntoTheAxis) {
  Modes(false, false, true);
  const float away[3] = {300.0f, 200.0f, 0.0f};
  GYX_SetMatrixTranslation(jet.view.pointer, away);
  const GiEvent push = Motion(0, 0, 0, 0, 0, 100);
  JetApplyMotion(&jet, &push);
  EXPECT_EQ(jet.view.pointer[12], 300.0f);
  EXPECT_EQ(jet.view.pointer[13], 200.0f);
}

TEST_F(JetMotion, ShiftWithAPickedEdgeDoesNothing) {
  UseObject({{OBJECT_MOVEI, 0, 0, 0, 0}, {OBJECT_DRAWI, 100, 0, 0, 0}});
  float identity[16];
  GYX_MakeIdentityMatrix(identity);
  PickNearest(&jet, 50.0f, 0.0f, 0.0f, false, identity, jet.objects.main.lines, 1, true);
  ASSERT_TRUE(jet.state.edgeSelected);
  jet.state.shiftDown = true;
  const std::vector<float> view = View(), pointer = Pointer();
  const GiEvent e = Motion(500, 500, 500, 500, 500, 500);
  JetApplyMotion(&jet, &e);
  EXPECT_EQ(View(), view);
  EXPECT_EQ(Pointer(), pointer);
  EXPECT_TRUE(jet.state.redrawNeeded);
}

TEST_F(JetMotion, ShiftMovesThePointerAndLeavesTheWorld) {
  jet.state.shiftDown = true;
  jet.state.snapToGrid = false;
  const std::vector<float> view = View();
  const GiEvent e = Motion(400, 0, 0, 0, 0, 0);
  JetApplyMotion(&jet, &e);
  EXPECT_EQ(View(), view);
  // Camera x is world x with the start view. The pointer's own scale of a
  // quarter applies to its motion: 7 units become 1.75.
  EXPECT_NEAR(jet.view.pointer[12], 1.75f, 1e-3);
}

TEST_F(JetMotion, SnapToGridOnlyWhenAllSixValuesAreZero) {
  jet.state.shiftDown = true;
  const float between[3] = {13.5f, -27.25f, 4.0f};
  auto onVertex = [&] {
    const WireObject &o = jet.objects.main;
    for (int32_t i = 0; i < o.pointCount; ++i)
      if (o.points[i].x == jet.view.pointer[12] && o.points[i].y == jet.view.pointer[13] &&
          o.points[i].z == jet.view.pointer[14])
        return true;
    return false;
  };
  struct Case {
    bool translationOn;
    GiEvent event;
    bool snaps;
  } cases[] = {
      {true, Motion(1, 0, 0, 0, 0, 0), false},
      {true, Motion(0, 0, 0, 0, 0, 1), false},
      {true, Zero(), true},
      {false, Motion(300, 0, 0, 0, 0, 0), true},  // zero once translation is switched off
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "translation " << c.translationOn << " tx " << c.event.tx);
    GYX_SetMatrixTranslation(jet.view.pointer, between);
    jet.state.translationOn = c.translationOn;
    ASSERT_FALSE(onVertex());
    JetApplyMotion(&jet, &c.event);
    EXPECT_EQ(onVertex(), c.snaps);
  }
}

TEST(JetEdgeFrame, IsAnAffineFrameAlongTheEdge) {
  struct Case {
    float a[3], b[3];
  } cases[] = {
      {{0, 0, 0}, {100, 0, 0}},          {{5, 6, 7}, {5, 60, 7}},   {{0, 0, 0}, {0, 0, -40}},
      {{-618, 10, 2}, {300, -999, 220}}, {{1, 2, 3}, {1, 2.5f, 3}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "(" << c.a[0] << "," << c.a[1] << "," << c.a[2] << ") -> (" << c.b[0]
                                    << "," << c.b[1] << "," << c.b[2] << ")");
    float f[16];
    BuildEdgeFrame(f, c.a, c.b);
    EXPECT_EQ(f[3], 0.0f);
    EXPECT_EQ(f[7], 0.0f);
    EXPECT_EQ(f[11], 0.0f);
    EXPECT_EQ(f[15], 1.0f);
    EXPECT_NEAR(GYX_MatrixDeterminant(f), 1.0, 1e-5);
    // The marker's unit length along z, stretched by edgeScale, spans the edge.
    const double length =
        std::sqrt(std::pow(c.b[0] - c.a[0], 2) + std::pow(c.b[1] - c.a[1], 2) + std::pow(c.b[2] - c.a[2], 2));
    float scale[16], m[16], end[3];
    GYX_MakeScaleMatrix(scale, 1.0f, 1.0f, static_cast<float>(length));
    GYX_Mult44x44(m, scale, f);
    const float start[3] = {0, 0, 0}, tip[3] = {0, 0, 1};
    GYX_Mult14x44(end, start, m);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(end[i], c.a[i], 1e-3);
    GYX_Mult14x44(end, tip, m);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(end[i], c.b[i], 2e-3 * (1 + length / 100));
    // And its inverse takes the edge's far end back onto the z axis.
    float inv[16];
    GYX_InvertMatrix(inv, f);
    GYX_Mult14x44(end, c.b, inv);
    EXPECT_NEAR(end[0], 0.0f, 1e-2);
    EXPECT_NEAR(end[1], 0.0f, 1e-2);
    EXPECT_NEAR(end[2], length, 1e-2 * (1 + length / 1000));
  }
}

TEST_F(JetMotion, PickedEdgeLetsOnlyATurnAboutTheEdgeThrough) {
  // An edge along the world's y axis: a twist about y turns the world, a push
  // still moves it, a twist about x alone is dropped.
  UseObject({{OBJECT_MOVEI, 0, 0, 0, 0}, {OBJECT_DRAWI, 0, 100, 0, 0}});
  float identity[16];
  GYX_MakeIdentityMatrix(identity);
  PickNearest(&jet, 0.0f, 50.0f, 0.0f, false, identity, jet.objects.main.lines, 1, true);
  ASSERT_TRUE(jet.state.edgeSelected);
  jet.state.keepInView = false;

  std::vector<float> before = View();
  GiEvent e = Motion(0, 0, 0, 900, 0, 0);
  JetApplyMotion(&jet, &e);
  EXPECT_EQ(View(), before) << "a turn about x is not a turn about the edge";

  e = Motion(0, 0, 0, 0, 900, 0);
  JetApplyMotion(&jet, &e);
  EXPECT_GT(std::fabs(jet.view.view[0] - before[0]) + std::fabs(jet.view.view[2] - before[2]), 1e-4);
  EXPECT_NEAR(jet.view.view[5], 1.0f, 1e-5) << "y stays where it is";
}

}  // namespace
