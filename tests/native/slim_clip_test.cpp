// Matrix library: the near/far segment clip of the wire-frame drawing and
// the keep-in-view clamp of the 3D pointer, as tables of worked cases.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "slim/gyx_slim.h"

namespace {

using Vec = std::array<float, 3>;

const double kTan25 = std::tan(25.0 * 3.14159265358979323846 / 180.0);

struct ClipCase {
  const char *name;
  Vec p1, p2;
  float zA, zB;
  int want;
  Vec want1, want2;
};

TEST(SlimClipZ, CutsSegmentsToTheSlab) {
  const ClipCase cases[] = {
      {"near end cut onto z=-30 along the segment",
       {10, 20, -10},
       {100, 200, -100},
       -30,
       -50000,
       1,
       {30, 60, -30},
       {100, 200, -100}},
      {"same with the ends swapped",
       {100, 200, -100},
       {10, 20, -10},
       -30,
       -50000,
       1,
       {100, 200, -100},
       {30, 60, -30}},
      {"same with the planes given the other way round",
       {10, 20, -10},
       {100, 200, -100},
       -50000,
       -30,
       1,
       {30, 60, -30},
       {100, 200, -100}},
      {"both nearer than the near plane", {1, 2, -10}, {3, 4, -10}, -30, -50000, 0, {1, 2, -10}, {3, 4, -10}},
      {"both beyond the far plane",
       {1, 2, -60000},
       {3, 4, -70000},
       -30,
       -50000,
       0,
       {1, 2, -60000},
       {3, 4, -70000}},
      {"one end exactly on the near plane: nothing moves",
       {5, 6, -30},
       {7, 8, -100},
       -30,
       -50000,
       1,
       {5, 6, -30},
       {7, 8, -100}},
      {"both exactly on the near plane: kept",
       {5, 6, -30},
       {7, 8, -30},
       -30,
       -50000,
       1,
       {5, 6, -30},
       {7, 8, -30}},
      {"inside: untouched", {1, 2, -100}, {3, 4, -200}, -30, -50000, 1, {1, 2, -100}, {3, 4, -200}},
      {"crossing both planes: both ends cut",
       {0, 0, 0},
       {100000, 0, -100000},
       -30,
       -50000,
       1,
       {30, 0, -30},
       {50000, 0, -50000}},
      {"far end cut onto z=-50000",
       {0, 10, -40000},
       {0, 30, -60000},
       -30,
       -50000,
       1,
       {0, 10, -40000},
       {0, 20, -50000}},
  };
  for (const ClipCase &c : cases) {
    float p1[4] = {c.p1[0], c.p1[1], c.p1[2], 1.0f};
    float p2[4] = {c.p2[0], c.p2[1], c.p2[2], 1.0f};
    EXPECT_EQ(c.want, GYX_ClipZ(p1, p2, c.zA, c.zB)) << c.name;
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(c.want1[i], p1[i], 1e-3) << c.name << " p1[" << i << "]";
      EXPECT_NEAR(c.want2[i], p2[i], 1e-3) << c.name << " p2[" << i << "]";
    }
    EXPECT_EQ(1.0f, p1[3]) << c.name << ": w is not written";
    EXPECT_EQ(1.0f, p2[3]) << c.name << ": w is not written";
  }
}

struct KeepCase {
  const char *name;
  Vec p;
  float aspect;
  int want;
  Vec wantP;
};

TEST(SlimKeepClip, PullsPointsIntoTheViewingPyramid) {
  const float t = static_cast<float>(kTan25);
  const float t2 = static_cast<float>(2.0 * std::sin(25.0 * 3.14159265358979323846 / 180.0) /
                                      std::cos(25.0 * 3.14159265358979323846 / 180.0));
  const KeepCase cases[] = {
      {"beyond far", {0, 0, -60000}, 1, 1, {0, 0, -50000}},
      {"nearer than near: moved but not reported", {0, 0, -10}, 1, 0, {0, 0, -30}},
      {"behind the viewer", {0, 0, 50}, 1, 0, {0, 0, -30}},
      {"right of the pyramid", {1000, 0, -100}, 1, 1, {100 * t, 0, -100}},
      {"left of the pyramid", {-1000, 0, -100}, 1, 1, {-100 * t, 0, -100}},
      {"above", {0, 1000, -100}, 1, 1, {0, 100 * t, -100}},
      {"below", {0, -1000, -100}, 1, 1, {0, -100 * t, -100}},
      {"inside", {10, -10, -100}, 1, 0, {10, -10, -100}},
      {"wide window widens only the horizontal angle", {1000, 1000, -100}, 2, 1, {100 * t2, 100 * t, -100}},
      {"near pull then the vertical clamp at the new depth", {0, 100, -10}, 1, 1, {0, 30 * t, -30}},
  };
  for (const KeepCase &c : cases) {
    float p[3] = {c.p[0], c.p[1], c.p[2]};
    EXPECT_EQ(c.want, GYX_KeepClip(p, 50.0f, c.aspect, 30.0f, 50000.0f)) << c.name;
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(c.wantP[i], p[i], 1e-3) << c.name << " [" << i << "]";
  }
}

}  // namespace
