// The simulator's command language: which lines it takes, what they mean,
// and that malformed lines are refused with a reason instead of guessed at.
#include <gtest/gtest.h>

#include <string>

#include "tools/gyxsim/simcmd.h"

namespace {

SimCommand Parse(const SimModel *m, const char *line, int *rc, std::string *error = nullptr) {
  SimCommand c;
  char err[200];
  *rc = SimParseCommand(m, line, &c, err, sizeof err);
  if (error) *error = err;
  return c;
}

TEST(GyxsimCommand, ValidLines) {
  int rc;
  SimCommand c = Parse(&SimModelQv2200, "  press 1 5 RIGHT  ", &rc);
  ASSERT_EQ(rc, SIM_OK);
  EXPECT_EQ(c.verb, SIM_VERB_PRESS);
  EXPECT_EQ(c.mask, 0x1101u);

  c = Parse(&SimModelQv3200, "release left", &rc);
  ASSERT_EQ(rc, SIM_OK);
  EXPECT_EQ(c.verb, SIM_VERB_RELEASE);
  EXPECT_EQ(c.mask, 0x20u);
  EXPECT_EQ(c.releaseAll, 0);
  c = Parse(&SimModelQv3200, "release all", &rc);
  EXPECT_EQ(c.releaseAll, 1);

  c = Parse(&SimModelQv2200, "buttons 0x4041", &rc);
  ASSERT_EQ(rc, SIM_OK);
  EXPECT_EQ(c.mask, 0x4041u);

  c = Parse(&SimModelQv2200, "move 1 -2 3 0x10 -0x10 32767", &rc);
  ASSERT_EQ(rc, SIM_OK);
  EXPECT_EQ(c.verb, SIM_VERB_MOVE);
  const int32_t axes[6] = {1, -2, 3, 16, -16, 32767};
  for (int i = 0; i < 6; i++) EXPECT_EQ(c.motion.axis[i], axes[i]);
  EXPECT_EQ(c.count, 1);
  EXPECT_EQ(c.everyMs, SIM_DEFAULT_EVERY_MS);
  EXPECT_EQ(c.motion.period, SIM_DEFAULT_EVERY_MS * 16)
      << "the period field counts sixteenths of a millisecond";

  c = Parse(&SimModelQv2200, "zero every=50 count=3", &rc);
  ASSERT_EQ(rc, SIM_OK);
  EXPECT_EQ(c.verb, SIM_VERB_ZERO);
  EXPECT_EQ(c.motion.period, 800);
  EXPECT_EQ(c.count, 3);
  c = Parse(&SimModelQv2200, "zero ticks=-20", &rc);
  ASSERT_EQ(rc, SIM_OK);
  EXPECT_EQ(c.motion.period, -20);

  c = Parse(&SimModelQv2200, "send K@A\\r", &rc);
  ASSERT_EQ(rc, SIM_OK);
  EXPECT_EQ(std::string((const char *)c.bytes.data, (size_t)c.bytes.count), "K@A\r");
  c = Parse(&SimModelQv2200, "raw 4b 40 41 0d", &rc);
  ASSERT_EQ(rc, SIM_OK);
  EXPECT_EQ(std::string((const char *)c.bytes.data, (size_t)c.bytes.count), "K@A\r");
  c = Parse(&SimModelQv2200, "raw 4B40410D", &rc);
  EXPECT_EQ(c.bytes.count, 4);

  c = Parse(&SimModelQv2200, "firmware HvFirmware version 2.30 x", &rc);
  ASSERT_EQ(rc, SIM_OK);
  EXPECT_EQ(std::string((const char *)c.bytes.data, (size_t)c.bytes.count), "HvFirmware version 2.30 x");
  c = Parse(&SimModelQv2200, "message RESET", &rc);
  EXPECT_EQ(c.bytes.count, 5);

  c = Parse(&SimModelQv2200, "garbage 20 seed=7", &rc);
  ASSERT_EQ(rc, SIM_OK);
  EXPECT_EQ(c.count, 20);
  EXPECT_EQ(c.number, 7);

  c = Parse(&SimModelQv2200, "silent", &rc);
  EXPECT_EQ(c.number, -1);
  c = Parse(&SimModelQv2200, "silent 3", &rc);
  EXPECT_EQ(c.number, 3);

  c = Parse(&SimModelQv2200, "waitinit 2 timeout=500", &rc);
  ASSERT_EQ(rc, SIM_OK);
  EXPECT_EQ(c.count, 2);
  EXPECT_EQ(c.timeoutMs, 500);
  c = Parse(&SimModelQv2200, "waitinit", &rc);
  EXPECT_EQ(c.count, 1);
  EXPECT_EQ(c.timeoutMs, SIM_DEFAULT_TIMEOUT_MS);

  c = Parse(&SimModelQv2200, "waitcmd BcC\\r timeout=0", &rc);
  ASSERT_EQ(rc, SIM_OK);
  EXPECT_EQ(std::string((const char *)c.bytes.data, (size_t)c.bytes.count), "BcC\r");
  EXPECT_EQ(c.timeoutMs, 0);

  c = Parse(&SimModelQv2200, "waitlines 1 0", &rc);
  ASSERT_EQ(rc, SIM_OK);
  EXPECT_EQ(c.dtr, 1);
  EXPECT_EQ(c.rts, 0);

  for (const char *line : {"", "   ", "# press 1", "#"}) {
    c = Parse(&SimModelQv2200, line, &rc);
    EXPECT_EQ(rc, SIM_OK) << line;
    EXPECT_EQ(c.verb, SIM_VERB_NONE) << line;
  }
  struct {
    const char *line;
    int verb;
  } plain[] = {{"ANSWER", SIM_VERB_ANSWER},  {"init", SIM_VERB_INIT},   {"lines", SIM_VERB_LINES},
               {"status", SIM_VERB_STATUS},  {"clear", SIM_VERB_CLEAR}, {"quit", SIM_VERB_QUIT},
               {"log", SIM_VERB_LOG},        {"log 5", SIM_VERB_LOG},   {"sleep 0", SIM_VERB_SLEEP},
               {"delay 250", SIM_VERB_DELAY}};
  for (const auto &p : plain) {
    c = Parse(&SimModelQv2200, p.line, &rc);
    EXPECT_EQ(rc, SIM_OK) << p.line;
    EXPECT_EQ(c.verb, p.verb) << p.line;
  }
}

TEST(GyxsimCommand, MalformedLinesAreRefused) {
  struct {
    const SimModel *model;
    const char *line;
  } bad[] = {
      {&SimModelQv2200, "frobnicate"},
      {&SimModelQv2200, "press"},
      {&SimModelQv2200, "press 8"},     // the 2200 has no button 8
      {&SimModelQv2200, "press left"},  // nor a left button
      {&SimModelQv3200, "press 1"},
      {&SimModelQv2200, "buttons 0x10000"},
      {&SimModelQv2200, "buttons"},
      {&SimModelQv2200, "move 1 2 3 4 5"},
      {&SimModelQv2200, "move 1 2 3 4 5 6 7"},
      {&SimModelQv2200, "move 1 2 3 4 5 32768"},
      {&SimModelQv2200, "move 1 2 3 4 5 x"},
      {&SimModelQv2200, "move 1 2 3 4 5 6 every=3000"},  // 48000 sixteenths do not fit
      {&SimModelQv2200, "move 1 2 3 4 5 6 count=0"},
      {&SimModelQv2200, "move 1 2 3 4 5 6 speed=3"},
      {&SimModelQv2200, "zero 0"},
      {&SimModelQv2200, "zero ticks=40000"},
      {&SimModelQv2200, "send"},
      {&SimModelQv2200, "send a\\q"},
      {&SimModelQv2200, "raw 4b4"},
      {&SimModelQv2200, "raw zz"},
      {&SimModelQv2200, "raw"},
      {&SimModelQv2200, "garbage 0"},
      {&SimModelQv2200, "garbage 20 21"},
      {&SimModelQv2200, "silent 0"},
      {&SimModelQv2200, "silent x"},
      {&SimModelQv2200, "sleep"},
      {&SimModelQv2200, "sleep -1"},
      {&SimModelQv2200, "waitinit 0"},
      {&SimModelQv2200, "waitinit 1 2"},
      {&SimModelQv2200, "waitcmd"},
      {&SimModelQv2200, "waitcmd a b"},
      {&SimModelQv2200, "waitlines 1"},
      {&SimModelQv2200, "waitlines 2 1"},
      {&SimModelQv2200, "waitlines 1 1 timeout=-5"},
      {&SimModelQv2200, "quit now"},
      {&SimModelQv2200, "log all"},
  };
  for (const auto &b : bad) {
    int rc;
    std::string error;
    Parse(b.model, b.line, &rc, &error);
    EXPECT_NE(rc, SIM_OK) << b.line;
    EXPECT_FALSE(error.empty()) << b.line;
  }
  int rc;
  std::string long_line(SIM_LINE_MAX + 1, 'a');
  Parse(&SimModelQv2200, long_line.c_str(), &rc);
  EXPECT_EQ(rc, SIM_ERR_FULL);
}

}  // namespace
