// The console event monitor's lines (the event test utility's wording) and
// its command line.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tools/gyxmon/monfmt.h"

namespace {

GiEvent Event(int32_t type) {
  GiEvent ev;
  std::memset(&ev, 0, sizeof ev);
  ev.type = type;
  return ev;
}

std::vector<std::string> Lines(const GiEvent &ev, int32_t device, int single) {
  char lines[2][MON_LINE_SIZE];
  int n = MonFormatEvent(&ev, device, single, lines);
  return std::vector<std::string>(lines, lines + n);
}

TEST(MonFormat, ButtonAndComboLines) {
  GiEvent b = Event(GI_BUTTON_EVENT);
  b.last = 0x1;
  b.current = 0x24;
  b.pressed = 0x24;
  b.released = 0x1;
  EXPECT_EQ(Lines(b, 0, 0),
            std::vector<std::string>{
                " 0) Button Event -> lst = 00000001, cur = 00000024, prs = 00000024, rel = 00000001"});
  GiEvent c = Event(GI_COMBO_EVENT);
  c.current = c.pressed = 0x80000000u;
  c.tx = -5;
  c.rz = 7;
  c.period = 20;
  EXPECT_EQ(Lines(c, 3, 0),
            (std::vector<std::string>{
                " 3) Combo Event -> lst = 00000000, cur = 80000000, prs = 80000000, rel = 00000000",
                " 3) Combo Event -> tx = -5, ty = 0, tz = 0, rx = 0, ry = 0, rz = 7, per = 20"}));
  EXPECT_EQ(Lines(c, 3, 1)[1], " 3) Combo Event -> dominant direction rz = 7, per = 20");
}

TEST(MonFormat, MotionAndZeroLines) {
  GiEvent m = Event(GI_MOTION_EVENT);
  m.tx = 1;
  m.ty = -2;
  m.tz = 3;
  m.rx = -4;
  m.ry = 5;
  m.rz = -6;
  m.period = 84;
  EXPECT_EQ(Lines(m, 1, 0),
            std::vector<std::string>{
                " 1) Motion Event -> tx = 1, ty = -2, tz = 3, rx = -4, ry = 5, rz = -6, per = 84"});
  EXPECT_EQ(Lines(m, 1, 1),
            std::vector<std::string>{" 1) Motion Event -> dominant direction rz = -6, per = 84"});
  GiEvent z = Event(GI_ZERO_EVENT);
  z.period = 50;
  EXPECT_EQ(Lines(z, 0, 1),
            std::vector<std::string>{" 0) Motion Event -> dominant direction tx = 0, per = 50"});
}

TEST(MonFormat, DominantAxisKeepsTheEarlierOnTies) {
  GiEvent m = Event(GI_MOTION_EVENT);
  m.tx = -5;
  m.rz = 5;
  EXPECT_EQ(MonDominantAxis(&m), 0);
  m.ry = -6;
  EXPECT_EQ(MonDominantAxis(&m), 4);
  m.ty = INT32_MIN;  // its magnitude does not overflow
  EXPECT_EQ(MonDominantAxis(&m), 1);
}

TEST(MonFormat, ExceptionAndUnknownLines) {
  GiEvent e = Event(GI_EXCEPTION_EVENT);
  std::strcpy(GI_EVENT_TEXT(&e), "Rezero failed");
  EXPECT_EQ(Lines(e, 2, 0), std::vector<std::string>{" 2) Exception Event -> Rezero failed"});
  // A text that fills all 128 bytes to the record's end, without a NUL, is
  // printed without reading past the record.
  std::memset(GI_EVENT_TEXT(&e), 'x', GI_EVENT_TEXT_SIZE);
  std::string line = Lines(e, 2, 0)[0];
  EXPECT_EQ(line, " 2) Exception Event -> " + std::string(128, 'x'));
  for (int32_t type : {0, 6, -3})
    EXPECT_EQ(Lines(Event(type), 0, 0), std::vector<std::string>{" 0) Unknown Data"});
}

TEST(MonArgs, OptionsAndMistakes) {
  MonOptions o;
  char err[100];
  const char *ok[] = {"gyxmon", "--count", "5", "--seconds", "12", "--single", "--fixed"};
  ASSERT_EQ(MonParseArgs(7, ok, &o, err, sizeof err), 0);
  EXPECT_EQ(o.count, 5);
  EXPECT_EQ(o.seconds, 12);
  EXPECT_EQ(o.single, 1);
  EXPECT_EQ(o.fixed, 1);
  const char *none[] = {"gyxmon"};
  ASSERT_EQ(MonParseArgs(1, none, &o, err, sizeof err), 0);
  EXPECT_EQ(o.count, 0);
  EXPECT_EQ(o.seconds, 0);
  struct Bad {
    std::vector<const char *> argv;
    const char *message;
  };
  const Bad bad[] = {
      {{"gyxmon", "--count"}, "--count wants a positive number"},
      {{"gyxmon", "--count", "0"}, "--count wants a positive number"},
      {{"gyxmon", "--seconds", "3x"}, "--seconds wants a positive number"},
      {{"gyxmon", "--verbose"}, "unknown argument: --verbose"},
  };
  for (const Bad &b : bad) {
    EXPECT_EQ(MonParseArgs((int)b.argv.size(), b.argv.data(), &o, err, sizeof err), -1);
    EXPECT_STREQ(err, b.message);
  }
}

}  // namespace
