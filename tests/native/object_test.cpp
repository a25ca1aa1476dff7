// Vector object files and wire objects: the text rules of the reader (small
// fixture files under tests/fixtures/objects), the merging of points and
// lines, the scale rule, and the counts and extents of the built-in objects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "jet/object.h"

namespace {

struct Rec {
  int type;
  float x, y, z;
  bool operator==(const Rec &o) const { return type == o.type && x == o.x && y == o.y && z == o.z; }
};

std::ostream &operator<<(std::ostream &os, const Rec &r) {
  return os << "{" << r.type << ", " << r.x << ", " << r.y << ", " << r.z << "}";
}

std::string Fixture(const std::string &name) {
  return std::string(GYX_SOURCE_DIR) + "/tests/fixtures/objects/" + name;
}

// Writes text to a fresh file in the test's temporary directory.
std::string TempFile(const std::string &name, const std::string &text) {
  const std::string path = testing::TempDir() + "gyx_object_" + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// Reads a file; returns its records (empty with *isNull set when the reader
// returned null) and what it wrote to stderr.
std::vector<Rec> Read(const std::string &path, bool *isNull, std::string *err) {
  testing::internal::CaptureStderr();
  ObjectCommand *list = ReadObjectFile(path.c_str());
  *err = testing::internal::GetCapturedStderr();
  *isNull = list == nullptr;
  std::vector<Rec> out;
  if (list == nullptr) return out;
  const int n = CountObjectCommands(list);
  for (int i = 0; i < n; ++i) {
    out.push_back({list[i].type, list[i].x, list[i].y, list[i].z});
    EXPECT_EQ(1.0f, list[i].w) << path << " record " << i;
  }
  EXPECT_EQ(OBJECT_END, list[n].type);
  FreeObjectCommands(list);
  return out;
}

std::string ParseError(int line, const std::string &path) {
  return "Parse Error on line " + std::to_string(line) + " of file " + path + "\n";
}

struct FileCase {
  const char *fixture;
  std::vector<Rec> want;  // empty: the reader must return null
  int errorLine;          // 0: nothing on stderr
};

TEST(ObjectFile, TextRules) {
  const Rec m123{OBJECT_MOVEI, 1, 2, 3}, d456{OBJECT_DRAWI, 4, 5, 6}, m000{OBJECT_MOVEI, 0, 0, 0};
  const FileCase cases[] = {
      {"one_command.obj", {m123}, 0},  // no trailing comma
      {"two_commands.obj", {m123, d456}, 0},
      {"white_space.obj", {m123, d456}, 0},     // white space anywhere, keyword too
      {"empty_commands.obj", {m123, d456}, 0},  // empty commands are skipped
      {"text_after_paren.obj", {m000, {OBJECT_DRAWI, 1, 2, 3}}, 0},
      {"scale_first.obj", {m000, {OBJECT_DRAWI, 1, 0, 0}}, 0},  // SCALE checked, then dropped
      {"number_rules.obj",
       {{OBJECT_MOVEI, 15, 3, 1.2f}, {OBJECT_DRAWI, 0, 0, 0.5f}, {OBJECT_DRAWI, -7.25f, 1000, 9}},
       0},
      {"lower_case.obj", {}, 1},
      {"too_few_fields.obj", {}, 1},
      {"empty_field.obj", {}, 1},
      {"too_many_fields.obj", {}, 1},
      {"bad_scale.obj", {}, 1},   // SCALE fields are checked too
      {"error_line.obj", {}, 4},  // the last line feed is read before the command is parsed
      {"only_scale.obj", {}, 0},
      {"empty.obj", {}, 0},
      {"no_such_file.obj", {}, 0},
  };
  for (const FileCase &c : cases) {
    const std::string path = Fixture(c.fixture);
    bool isNull = false;
    std::string err;
    const std::vector<Rec> got = Read(path, &isNull, &err);
    EXPECT_EQ(c.want.empty(), isNull) << c.fixture;
    EXPECT_EQ(c.want, got) << c.fixture;
    EXPECT_EQ(c.errorLine ? ParseError(c.errorLine, path) : std::string(), err) << c.fixture;
  }
}

TEST(ObjectFile, LongCommandsAndFieldsAreBounded) {
  const std::string x300(300, 'x');
  struct {
    const char *name;
    std::string text;
    std::vector<Rec> want;  // empty: parse error on line 1
  } cases[] = {
      {"field_19", "MOVEI(1234567890123456789,0,0)", {{OBJECT_MOVEI, 1234567890123456789.0f, 0, 0}}},
      {"field_19_with_dropped",
       "MOVEI(+1234567890123456789e,0,0)",
       {{OBJECT_MOVEI, 1234567890123456789.0f, 0, 0}}},
      {"field_20", "MOVEI(12345678901234567890,0,0)", {}},  // cutting would change the value
      {"command_255", "MOVEI(1,2,3)" + std::string(255 - 12, 'x'), {{OBJECT_MOVEI, 1, 2, 3}}},
      {"long_tail_after_paren",
       "MOVEI(1,2,3)" + x300 + x300 + ",DRAWI(4,5,6)",
       {{OBJECT_MOVEI, 1, 2, 3}, {OBJECT_DRAWI, 4, 5, 6}}},
      // The 4 of z = 34 lies past the kept characters: refused, not read as 3.
      {"long_inside_paren", "MOVEI(1,2,3" + x300 + "4)", {}},
  };
  for (const auto &c : cases) {
    const std::string path = TempFile(std::string(c.name) + ".obj", c.text);
    bool isNull = false;
    std::string err;
    const std::vector<Rec> got = Read(path, &isNull, &err);
    EXPECT_EQ(c.want, got) << c.name;
    EXPECT_EQ(c.want.empty() ? ParseError(1, path) : std::string(), err) << c.name;
    std::remove(path.c_str());
  }
}

TEST(ObjectFile, ListGrowsPastItsFirstBlock) {
  std::string text;
  for (int i = 0; i < 1201; ++i) text += (i ? "DRAWI(" : "MOVEI(") + std::to_string(i) + ",0,0),\n";
  const std::string path = TempFile("long.obj", text);
  bool isNull = false;
  std::string err;
  const std::vector<Rec> got = Read(path, &isNull, &err);
  ASSERT_EQ(1201u, got.size());
  EXPECT_EQ((Rec{OBJECT_DRAWI, 1200, 0, 0}), got.back());
  EXPECT_EQ((Rec{OBJECT_DRAWI, 500, 0, 0}), got[500]);
  std::remove(path.c_str());
}

// ---- building wire objects --------------------------------------------------

ObjectCommand C(int type, float x, float y, float z) {
  return {type, x, y, z, 0.0f};
}

using Point = std::tuple<float, float, float>;
using Line = std::pair<Point, Point>;

std::vector<Point> Points(const WireObject &o) {
  std::vector<Point> v;
  for (int i = 0; i < o.pointCount; ++i) v.emplace_back(o.points[i].x, o.points[i].y, o.points[i].z);
  return v;
}

std::vector<Line> Lines(const WireObject &o) {
  std::vector<Line> v;
  for (int i = 0; i < o.lineCount; ++i) {
    const ObjectPoint &a = o.points[o.lines[i].from], &b = o.points[o.lines[i].to];
    v.emplace_back(Point{a.x, a.y, a.z}, Point{b.x, b.y, b.z});
  }
  return v;
}

struct BuildCase {
  const char *name;
  std::vector<ObjectCommand> commands;
  std::vector<Point> points;
  std::vector<Line> lines;
};

TEST(WireObjectBuild, MergesPointsAndLinesAndScales) {
  const Point o{0, 0, 0}, a{1, 0, 0}, b{1, 1, 0}, c{0, 1, 0};
  const BuildCase cases[] = {
      {"edge twice, both ways; point revisited",
       {C(0, 0, 0, 0), C(1, 1, 0, 0), C(1, 1, 1, 0), C(1, 0, 1, 0), C(1, 0, 0, 0), C(1, 1, 0, 0),
        C(0, 1, 1, 0), C(1, 1, 0, 0)},
       {o, a, b, c},
       {{o, a}, {a, b}, {b, c}, {c, o}}},
      {"a list starting with a draw-to gives no line", {C(1, 1, 0, 0), C(1, 1, 1, 0)}, {a, b}, {{a, b}}},
      {"a draw-to onto the pen's own place gives no line",
       {C(0, 0, 0, 0), C(1, 0, 0, 0), C(1, 1, 0, 0)},
       {o, a},
       {{o, a}}},
      {"any type but move-to and scale draws", {C(0, 0, 0, 0), C(7, 1, 0, 0)}, {o, a}, {{o, a}}},
      {"the last scale wins for every point, before and after it",
       {C(2, 5, 5, 5), C(0, 1, 0, 0), C(1, 1, 1, 0), C(2, 2, 3, 4), C(1, 0, 1, 0)},
       {{2, 0, 0}, {2, 3, 0}, {0, 3, 0}},
       {{{2, 0, 0}, {2, 3, 0}}, {{2, 3, 0}, {0, 3, 0}}}},
      {"a scale adds no point and does not move the pen",
       {C(0, 1, 0, 0), C(2, 9, 9, 9), C(1, 1, 1, 0)},
       {{9, 0, 0}, {9, 9, 0}},
       {{{9, 0, 0}, {9, 9, 0}}}},
      {"points merged by a zero scale lose their line",
       {C(0, 0, 0, 0), C(1, 1, 0, 0), C(1, 1, 1, 0), C(2, 0, 1, 1)},
       {{0, 0, 0}, {0, 0, 0}, {0, 1, 0}},
       {{{0, 0, 0}, {0, 1, 0}}}},
      {"negative zero is the same place as zero",
       {C(0, -0.0f, 0, 0), C(1, 1, 0, 0), C(1, 0, 0, -0.0f)},
       {o, a},
       {{o, a}}},
  };
  for (const BuildCase &k : cases) {
    WireObject w;
    ASSERT_EQ(OBJECT_OK, BuildWireObject(&w, k.commands.data(), int(k.commands.size()))) << k.name;
    EXPECT_EQ(k.points, Points(w)) << k.name;
    EXPECT_EQ(k.lines, Lines(w)) << k.name;
    for (int i = 0; i < w.pointCount; ++i) EXPECT_EQ(1.0f, w.points[i].w) << k.name;
    FreeWireObject(&w);
  }
}

TEST(WireObjectBuild, FileWithDuplicatesGivesDistinctPointsAndLines) {
  ObjectCommand *list = ReadObjectFile(Fixture("square.obj").c_str());
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(8, CountObjectCommands(list));
  WireObject w;
  ASSERT_EQ(OBJECT_OK, BuildWireObject(&w, list, CountObjectCommands(list)));
  EXPECT_EQ(4, w.pointCount);
  EXPECT_EQ(4, w.lineCount);
  FreeWireObject(&w);
  FreeObjectCommands(list);
}

TEST(WireObjectBuild, EmptyAndBadArguments) {
  const ObjectCommand end[] = {C(OBJECT_END, 0, 0, 0)};
  EXPECT_EQ(0, CountObjectCommands(end));
  EXPECT_EQ(0, CountObjectCommands(nullptr));
  WireObject w;
  EXPECT_EQ(OBJECT_OK, BuildWireObject(&w, end, 0));
  EXPECT_EQ(nullptr, w.points);
  EXPECT_EQ(0, w.pointCount);
  EXPECT_EQ(nullptr, w.lines);
  EXPECT_EQ(0, w.lineCount);
  EXPECT_EQ(OBJECT_BAD_ARGUMENT, BuildWireObject(&w, nullptr, 3));
  EXPECT_EQ(OBJECT_BAD_ARGUMENT, BuildWireObject(&w, end, -1));
  EXPECT_EQ(OBJECT_BAD_ARGUMENT, BuildWireObject(nullptr, end, 0));
}

TEST(WireObjectBuild, MidpointsLieHalfwayFromToToFrom) {
  const ObjectCommand cmds[] = {C(0, 0, 0, 0), C(1, 10, -20, 30), C(1, 11, -21, 31.5f)};
  WireObject w;
  ASSERT_EQ(OBJECT_OK, BuildWireObject(&w, cmds, 3));
  ComputeLineMidpoints(w.lines, w.lineCount, w.points);
  ASSERT_EQ(2, w.lineCount);
  EXPECT_FLOAT_EQ(5.0f, w.lines[0].mx);
  EXPECT_FLOAT_EQ(-10.0f, w.lines[0].my);
  EXPECT_FLOAT_EQ(15.0f, w.lines[0].mz);
  EXPECT_FLOAT_EQ(10.5f, w.lines[1].mx);
  EXPECT_FLOAT_EQ(-20.5f, w.lines[1].my);
  EXPECT_FLOAT_EQ(30.75f, w.lines[1].mz);
  FreeWireObject(&w);
}

// ---- the built-in objects ---------------------------------------------------

struct Extent {
  float lo[3], hi[3];
};

Extent ExtentOf(const WireObject &o) {
  Extent e = {{1e30f, 1e30f, 1e30f}, {-1e30f, -1e30f, -1e30f}};
  for (int i = 0; i < o.pointCount; ++i) {
    const float p[3] = {o.points[i].x, o.points[i].y, o.points[i].z};
    for (int k = 0; k < 3; ++k) {
      e.lo[k] = std::min(e.lo[k], p[k]);
      e.hi[k] = std::max(e.hi[k], p[k]);
    }
  }
  return e;
}

std::map<Point, int> Degrees(const WireObject &o) {
  std::map<Point, int> d;
  for (const Line &l : Lines(o)) {
    ++d[l.first];
    ++d[l.second];
  }
  return d;
}

struct BuiltinCase {
  const char *name;
  const ObjectCommand *commands;
  int commandCount, pointCount, lineCount;
  Extent extent;
};

TEST(BuiltinObjects, CountsAndExtents) {
  const BuiltinCase cases[] = {
      {"jet", JetCommands, 774, 348, 660, {{-618, -1000, -218}, {618, 1000, 220}}},
      {"pointer", PointerCommands, 28, 15, 22, {{-100, -450, -100}, {100, 0, 100}}},
      {"edge marker", EdgeMarkerCommands, 32, 16, 24, {{-10, -10, 0}, {10, 10, 1}}},
      {"axis arrow", AxisArrowCommands, 52, 25, 40, {{-20, -20, 0}, {20, 20, 250}}},
  };
  for (const BuiltinCase &c : cases) {
    const int n = CountObjectCommands(c.commands);
    EXPECT_EQ(c.commandCount, n) << c.name;
    for (int i = 0; i < n; ++i)
      EXPECT_TRUE(c.commands[i].type == OBJECT_MOVEI || c.commands[i].type == OBJECT_DRAWI)
          << c.name << " command " << i;
    WireObject w;
    ASSERT_EQ(OBJECT_OK, BuildWireObject(&w, c.commands, n));
    EXPECT_EQ(c.pointCount, w.pointCount) << c.name;
    EXPECT_EQ(c.lineCount, w.lineCount) << c.name;
    const Extent e = ExtentOf(w);
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(c.extent.lo[k], e.lo[k]) << c.name << " axis " << k;
      EXPECT_EQ(c.extent.hi[k], e.hi[k]) << c.name << " axis " << k;
    }
    // Every point is on a line: nothing stray to pick.
    EXPECT_EQ(size_t(w.pointCount), Degrees(w).size()) << c.name;
    FreeWireObject(&w);
  }
}

TEST(BuiltinObjects, ShapesHaveTheirDescribedStructure) {
  WireObject w;
  // Pointer: the apex joins the four base corners, and the shaft runs to y = -450.
  ASSERT_EQ(OBJECT_OK, BuildWireObject(&w, PointerCommands, CountObjectCommands(PointerCommands)));
  std::map<Point, int> d = Degrees(w);
  EXPECT_EQ(5, d[Point(0, 0, 0)]);  // four corners and the shaft's axis line
  for (float x : {-100.0f, 100.0f})
    for (float z : {-100.0f, 100.0f}) EXPECT_EQ(3, d[Point(x, -150, z)]) << x << "," << z;
  FreeWireObject(&w);

  // Edge marker: a prism, every corner on two rim edges and one side edge.
  ASSERT_EQ(OBJECT_OK, BuildWireObject(&w, EdgeMarkerCommands, CountObjectCommands(EdgeMarkerCommands)));
  for (const auto &kv : Degrees(w)) EXPECT_EQ(3, kv.second);
  FreeWireObject(&w);

  // Axis arrow: the apex joins all eight head points; each head point has
  // two rim neighbours and the apex.
  ASSERT_EQ(OBJECT_OK, BuildWireObject(&w, AxisArrowCommands, CountObjectCommands(AxisArrowCommands)));
  d = Degrees(w);
  EXPECT_EQ(8, d[Point(0, 0, 250)]);
  for (const auto &kv : d)
    if (std::get<2>(kv.first) == 150.0f) {
      EXPECT_EQ(3, kv.second);
    }
  FreeWireObject(&w);
}

TEST(BuiltinObjects, JetIsMirrorSymmetric) {
  WireObject w;
  ASSERT_EQ(OBJECT_OK, BuildWireObject(&w, JetCommands, CountObjectCommands(JetCommands)));
  const std::vector<Line> lines = Lines(w);
  std::set<Line> set(lines.begin(), lines.end());
  for (const Line &l : lines) {
    const Point a{-std::get<0>(l.first), std::get<1>(l.first), std::get<2>(l.first)};
    const Point b{-std::get<0>(l.second), std::get<1>(l.second), std::get<2>(l.second)};
    // -0 and 0 are the same place
    auto norm = [](Point p) {
      if (std::get<0>(p) == 0.0f) std::get<0>(p) = 0.0f;
      return p;
    };
    EXPECT_TRUE(set.count({norm(a), norm(b)}) || set.count({norm(b), norm(a)}));
  }
  FreeWireObject(&w);
}

// ---- the demo's set of objects ----------------------------------------------

TEST(LoadObjects, BuiltInSetWithMidpoints) {
  ObjectSet set;
  ASSERT_EQ(OBJECT_OK, LoadObjects(&set, nullptr));
  EXPECT_EQ(348, set.main.pointCount);
  EXPECT_EQ(660, set.main.lineCount);
  EXPECT_EQ(15, set.pointer.pointCount);
  EXPECT_EQ(16, set.edgeMarker.pointCount);
  for (const WireObject &arrow : set.axisArrow) {
    EXPECT_EQ(25, arrow.pointCount);
    EXPECT_EQ(40, arrow.lineCount);
  }
  // Three arrows, three arrays: turning one leaves the others alone.
  EXPECT_NE(set.axisArrow[0].points, set.axisArrow[1].points);
  EXPECT_NE(set.axisArrow[1].points, set.axisArrow[2].points);
  for (int i = 0; i < set.main.lineCount; ++i) {
    const ObjectLine &l = set.main.lines[i];
    const ObjectPoint &a = set.main.points[l.from], &b = set.main.points[l.to];
    ASSERT_FLOAT_EQ((a.x + b.x) / 2, l.mx) << i;
    ASSERT_FLOAT_EQ((a.y + b.y) / 2, l.my) << i;
    ASSERT_FLOAT_EQ((a.z + b.z) / 2, l.mz) << i;
  }
  FreeObjects(&set);
  EXPECT_EQ(nullptr, set.main.points);
}

TEST(LoadObjects, MainObjectFromAFileOrElseTheJet) {
  struct {
    const char *fixture;
    int points, lines;
  } cases[] = {
      {"square.obj", 4, 4},         {"only_scale.obj", 348, 660},   {"empty.obj", 348, 660},
      {"lower_case.obj", 348, 660}, {"no_such_file.obj", 348, 660},
  };
  for (const auto &c : cases) {
    ObjectSet set;
    testing::internal::CaptureStderr();
    ASSERT_EQ(OBJECT_OK, LoadObjects(&set, Fixture(c.fixture).c_str())) << c.fixture;
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(c.points, set.main.pointCount) << c.fixture;
    EXPECT_EQ(c.lines, set.main.lineCount) << c.fixture;
    EXPECT_EQ(22, set.pointer.lineCount) << c.fixture;
    FreeObjects(&set);
  }
}

}  // namespace
