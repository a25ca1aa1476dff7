// Drawing of the jet demo through a line recorder: clipping at the near and
// far planes (cut, dropped, or drawn as it is at exactly -30), projection,
// one move per line, the scene by mode with its pens, and double buffering.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "jet/draw.h"
#include "jet/jet.h"
#include "jet/process.h"

namespace {

const int32_t kSize = 800;

struct Line {
  int32_t pen;
  int32_t x1, y1, x2, y2;
};

// Records what the scene draws: lines with their pen, and the other calls.
struct Recorder {
  std::vector<Line> lines;
  std::vector<int32_t> pens{JET_PEN_BLACK};  // the pen stack; the context starts with its own
  int32_t clears = 0, clearSize = 0, presents = 0, moves = 0, unbalanced = 0;
  int32_t x = -1, y = -1;
  bool moved = false;
  std::vector<std::string> calls;

  static Recorder *Of(void *c) { return static_cast<Recorder *>(c); }
  static void Clear(void *c, int32_t size) {
    Of(c)->clears++;
    Of(c)->clearSize = size;
    Of(c)->calls.push_back("clear");
  }
  static void Select(void *c, int32_t pen) { Of(c)->pens.push_back(pen); }
  static void Restore(void *c) {
    if (Of(c)->pens.size() < 2)
      Of(c)->unbalanced++;
    else
      Of(c)->pens.pop_back();
  }
  static void MoveTo(void *c, int32_t x, int32_t y) {
    Recorder *r = Of(c);
    r->x = x, r->y = y, r->moved = true, r->moves++;
  }
  static void LineTo(void *c, int32_t x, int32_t y) {
    Recorder *r = Of(c);
    EXPECT_TRUE(r->moved) << "every line starts with its own move";
    r->lines.push_back({r->pens.back(), r->x, r->y, x, y});
    r->x = x, r->y = y, r->moved = false;
  }
  static void Present(void *c, int32_t size) {
    Of(c)->presents++;
    EXPECT_EQ(size, kSize);
    Of(c)->calls.push_back("present");
  }
  std::vector<Line> WithPen(int32_t pen) const {
    std::vector<Line> out;
    for (const Line &l : lines)
      if (l.pen == pen) out.push_back(l);
    return out;
  }
};

const JetCanvasOps kRecorderOps = {
    .clear = Recorder::Clear,
    .selectPen = Recorder::Select,
    .restorePen = Recorder::Restore,
    .moveTo = Recorder::MoveTo,
    .lineTo = Recorder::LineTo,
    .present = Recorder::Present,
};

// Where the demo's projection puts a camera-space point: s/2 (1 + x / (-z tan 25)), s/2 (1 - y / (-z tan
// 25)).
double ScreenX(double x, double z) {
  return kSize / 2.0 * (1.0 + x / (-z * std::tan(25.0 * M_PI / 180.0)));
}
double ScreenY(double y, double z) {
  return kSize / 2.0 * (1.0 - y / (-z * std::tan(25.0 * M_PI / 180.0)));
}

class JetDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(JetInit(&jet, kSize, nullptr), JET_OK);
    canvas = {&kRecorderOps, &rec};
  }
  void TearDown() override { JetFree(&jet); }

  Jet jet;
  Recorder rec;
  JetCanvas canvas;
};

TEST_F(JetDraw, LinesAreClippedToTheNearAndFarPlanesOnCopiesOfTheirEnds) {
  struct Case {
    const char *what;
    ObjectPoint a, b;
    bool drawn;
    double ax, ay, az, bx, by, bz;  // the ends drawn, in camera space
  } cases[] = {
      {"both nearer than 30", {0, 0, -10, 1}, {50, 50, -20, 1}, false, 0, 0, 0, 0, 0, 0},
      {"both in front of the camera", {0, 0, 10, 1}, {50, 50, 200, 1}, false, 0, 0, 0, 0, 0, 0},
      {"both beyond 50000", {0, 0, -60000, 1}, {500, 500, -70000, 1}, false, 0, 0, 0, 0, 0, 0},
      {"inside", {100, 50, -1000, 1}, {-100, -50, -2000, 1}, true, 100, 50, -1000, -100, -50, -2000},
      {"crossing the near plane is cut at -30",
       {0, 0, -10, 1},
       {0, 90, -100, 1},
       true,
       0,
       20,
       -30,
       0,
       90,
       -100},
      {"a point at exactly -30 is drawn without a cut",
       {10, 10, -30, 1},
       {10, 10, -100, 1},
       true,
       10,
       10,
       -30,
       10,
       10,
       -100},
      {"crossing the far plane is cut at -50000",
       {1000, 0, -40000, 1},
       {1000, 0, -60000, 1},
       true,
       1000,
       0,
       -40000,
       1000,
       0,
       -50000},
  };
  float identity[16];
  GYX_MakeIdentityMatrix(identity);
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    rec.lines.clear();
    const ObjectPoint points[2] = {c.a, c.b};
    const ObjectLine line = {0, 1, 0, 0, 0};
    DrawWireObject(&canvas, jet.scratch, points, 2, &line, 1, identity, jet.view.screen);
    ASSERT_EQ(rec.lines.size(), c.drawn ? 1u : 0u);
    if (!c.drawn) continue;
    const Line &l = rec.lines[0];
    EXPECT_NEAR(l.x1, ScreenX(c.ax, c.az), 1.0);
    EXPECT_NEAR(l.y1, ScreenY(c.ay, c.az), 1.0);
    EXPECT_NEAR(l.x2, ScreenX(c.bx, c.bz), 1.0);
    EXPECT_NEAR(l.y2, ScreenY(c.by, c.bz), 1.0);
  }
}

TEST_F(JetDraw, ClippingOneLineLeavesTheSharedPointWholeForTheNext) {
  // Point 1 is behind the near plane and ends both lines: each is cut from
  // the point as transformed, not from where the other line's cut left it.
  const ObjectPoint points[3] = {{0, 0, -100, 1}, {0, 0, -10, 1}, {50, 0, -100, 1}};
  const ObjectLine lines[2] = {{1, 0, 0, 0, 0}, {1, 2, 0, 0, 0}};
  float identity[16];
  GYX_MakeIdentityMatrix(identity);
  DrawWireObject(&canvas, jet.scratch, points, 3, lines, 2, identity, jet.view.screen);
  ASSERT_EQ(rec.lines.size(), 2u);
  EXPECT_EQ(rec.lines[0].x1, 400);
  // Cut at z = -30, 2/9 of the way from (0, 0, -10) to (50, 0, -100).
  EXPECT_NEAR(rec.lines[1].x1, ScreenX(50.0 * 2 / 9, -30), 1.0);
  EXPECT_NEAR(rec.lines[1].x2, ScreenX(50, -100), 1.0);
  EXPECT_EQ(jet.scratch[4 * 1 + 2], -10.0f) << "the scratch keeps the unclipped point";
}

TEST_F(JetDraw, SceneByModeWithItsPens) {
  const int32_t jetLines = jet.objects.main.lineCount;
  struct Case {
    const char *what;
    bool object, axes, pointer, edge;
    int32_t green, red, blue;
  } cases[] = {
      {"object mode: the pointer", true, false, false, false, 22, 0, 0},
      {"object mode with a picked edge: its marker", true, false, false, true, 24, 0, 0},
      {"pointer mode: cross-hair and pointer", false, false, true, false, 2 + 22, 0, 0},
      {"axes mode: three arrows", false, true, false, false, 40, 40, 40},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    rec = Recorder();
    jet.state.objectMode = c.object, jet.state.axesMode = c.axes, jet.state.pointerMode = c.pointer;
    jet.state.edgeSelected = c.edge;
    if (c.edge) {
      const ObjectLine &l = jet.objects.main.lines[0];
      BuildEdgeFrame(jet.view.edgeFrame, &jet.objects.main.points[l.from].x,
                     &jet.objects.main.points[l.to].x);
      GYX_MakeScaleMatrix(jet.view.edgeScale, 1, 1, 100);
    }
    DrawScene(&jet, &canvas);
    EXPECT_EQ(rec.clears, 1);
    EXPECT_EQ(rec.clearSize, kSize);
    EXPECT_EQ(rec.WithPen(JET_PEN_OBJECT).size(), static_cast<size_t>(jetLines))
        << "the whole jet is in view";
    EXPECT_EQ(rec.WithPen(JET_PEN_GREEN).size(), static_cast<size_t>(c.green));
    EXPECT_EQ(rec.WithPen(JET_PEN_RED).size(), static_cast<size_t>(c.red));
    EXPECT_EQ(rec.WithPen(JET_PEN_BLUE).size(), static_cast<size_t>(c.blue));
    EXPECT_TRUE(rec.WithPen(JET_PEN_BLACK).empty());
    EXPECT_EQ(rec.pens.size(), 1u) << "every pen put back";
    EXPECT_EQ(rec.unbalanced, 0);
    EXPECT_EQ(rec.moves, static_cast<int32_t>(rec.lines.size()));
  }
}

TEST_F(JetDraw, CrossHairSitsInTheMiddleSeventh) {
  jet.state.objectMode = false, jet.state.pointerMode = true;
  DrawScene(&jet, &canvas);
  const std::vector<Line> green = rec.WithPen(JET_PEN_GREEN);
  ASSERT_GE(green.size(), 2u);
  // 3 x 800 / 7 = 342, 4 x 800 / 7 = 457 in integer arithmetic.
  EXPECT_EQ((std::vector<int32_t>{green[0].x1, green[0].y1, green[0].x2, green[0].y2}),
            (std::vector<int32_t>{400, 342, 400, 457}));
  EXPECT_EQ((std::vector<int32_t>{green[1].x1, green[1].y1, green[1].x2, green[1].y2}),
            (std::vector<int32_t>{342, 400, 457, 400}));
}

TEST_F(JetDraw, AxisArrowsUseOnlyThePointersPlace) {
  // The pointer is turned and shrunk to a quarter: the arrows must not be.
  jet.state.objectMode = false, jet.state.axesMode = true;
  const float place[3] = {300.0f, -200.0f, 0.0f};
  GYX_SetMatrixTranslation(jet.view.pointer, place);
  DrawScene(&jet, &canvas);
  // The blue arrow's apex is 250 units along world z from the pointer.
  const double ax = ScreenX(300, -3330 + 250), ay = ScreenY(-200, -3330 + 250);
  bool found = false;
  for (const Line &l : rec.WithPen(JET_PEN_BLUE))
    if ((std::abs(l.x1 - ax) <= 1 && std::abs(l.y1 - ay) <= 1) ||
        (std::abs(l.x2 - ax) <= 1 && std::abs(l.y2 - ay) <= 1))
      found = true;
  EXPECT_TRUE(found) << "no blue line ends at the apex (" << ax << ", " << ay << ")";
}

TEST_F(JetDraw, DoubleBufferPresentsOnceAfterDrawing) {
  for (bool doubleBuffer : {true, false}) {
    rec = Recorder();
    jet.state.doubleBuffer = doubleBuffer;
    const uint32_t frames = jet.frames;
    DrawScene(&jet, &canvas);
    EXPECT_EQ(rec.presents, doubleBuffer ? 1 : 0);
    EXPECT_EQ(rec.calls.front(), "clear");
    if (doubleBuffer) {
      EXPECT_EQ(rec.calls.back(), "present");
    }
    EXPECT_EQ(jet.frames, frames + 1);
  }
}

TEST_F(JetDraw, TheScratchTakesTheLargestObjectFromAFile) {
  // A main object of more points than the built-in jet still fits.
  const std::string path = testing::TempDir() + "gyx_jet_big.obj";
  FILE *f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr);
  for (int i = 0; i < 500; ++i) std::fprintf(f, "%s(%d,%d,0),", i % 2 ? "DRAWI" : "MOVEI", i, i % 7);
  std::fclose(f);
  JetFree(&jet);
  ASSERT_EQ(JetInit(&jet, kSize, path.c_str()), JET_OK);
  ASSERT_EQ(jet.objects.main.pointCount, 500);
  EXPECT_GE(jet.scratchPoints, 500);
  DrawScene(&jet, &canvas);
  EXPECT_EQ(rec.WithPen(JET_PEN_OBJECT).size(), 250u);
}

}  // namespace
