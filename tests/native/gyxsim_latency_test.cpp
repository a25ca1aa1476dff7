// The simulator's latency rounds with a made-up clock: each round's time runs
// from the moment its packet's last byte has left to the first byte read
// after that; bytes read while the packet is still on the wire do not count,
// an unanswered round is given up at its time-out, and the rounds are paced.
#include <gtest/gtest.h>

#include <string>

#include "tools/gyxsim/simcmd.h"
#include "tests/native/simfixture.h"
#include "tools/gyxsim/simengine.h"

namespace {

class GyxsimLatency : public SimEngineFixture {
 protected:
  void SetUp() override {
    nowUs_ = 5000000;
    Start(&SimModelQv2200);
  }
};

TEST_F(GyxsimLatency, TimesFromTheLastByteSentToTheFirstByteBack) {
  ASSERT_EQ(Run("latency 100 0 0 0 0 -100 count=2 every=5 timeout=50"), "(pending)");
  std::string packet = Drain();
  ASSERT_EQ(packet.size(), 16u);
  EXPECT_EQ(packet[0], 'D');

  nowUs_ += 300;
  Feed("B");  // read before the packet is known to have left: not an answer
  EXPECT_EQ(Poll(), "(pending)");
  nowUs_ += 700;
  Feed("Bc\r");
  nowUs_ += 40;
  Feed("x");  // the rest of the answer arrives later and changes nothing
  EXPECT_EQ(Poll(), "(pending)");
  EXPECT_EQ(Drain(), "") << "the next round waits for its pause";
  EXPECT_EQ(SimSessionWakeUs(&s_, nowUs_), nowUs_ + 5000);

  nowUs_ += 5000;
  EXPECT_EQ(Poll(), "(pending)");
  EXPECT_EQ(Drain(), packet);
  EXPECT_EQ(Poll(), "(pending)");
  nowUs_ += 1234;
  Feed("B");
  EXPECT_EQ(Poll(), "ok rounds=2 answered=2 lost=0 us=700,1234");
  EXPECT_EQ(s_.busy, 0);
}

TEST_F(GyxsimLatency, UnansweredRoundsAreLostAtTheirTimeOut) {
  ASSERT_EQ(Run("latency 1 1 1 1 1 1 count=2 every=0 timeout=20"), "(pending)");
  Drain();
  EXPECT_EQ(Poll(), "(pending)");
  EXPECT_EQ(SimSessionWakeUs(&s_, nowUs_), nowUs_ + 20000);
  nowUs_ += 19999;
  EXPECT_EQ(Poll(), "(pending)");
  nowUs_ += 1;
  EXPECT_EQ(Poll(), "(pending)") << "round 2 is queued at once";
  Feed("late");  // after the give-up, before round 2 has left: counts for nothing
  EXPECT_EQ(Drain().size(), 16u);
  EXPECT_EQ(Poll(), "(pending)");
  Feed("B");
  EXPECT_EQ(Poll(), "ok rounds=2 answered=1 lost=1 us=0") << "read in the same microsecond";
}

TEST(GyxsimLatencyCommand, Arguments) {
  struct Case {
    const char *line;
    int rc;
  } cases[] = {
      {"latency 1 2 3 4 5 6", SIM_OK},
      {"latency 1 2 3 4 5 6 count=1000 every=0 timeout=0 ticks=320", SIM_OK},
      {"latency 1 2 3 4 5 6 count=1001", SIM_ERR_ARGUMENT},
      {"latency 1 2 3", SIM_ERR_ARGUMENT},
      {"latency 1 2 3 4 5 6 seed=1", SIM_ERR_SYNTAX},
      {"move 1 2 3 4 5 6 every=0 count=3 ticks=320", SIM_OK},
      {"move 1 2 3 4 5 6 timeout=5", SIM_ERR_SYNTAX},
  };
  for (const Case &c : cases) {
    SimCommand cmd;
    char err[200];
    EXPECT_EQ(SimParseCommand(&SimModelQv2200, c.line, &cmd, err, sizeof err), c.rc) << c.line << ": " << err;
  }
  SimCommand cmd;
  char err[200];
  ASSERT_EQ(SimParseCommand(&SimModelQv2200, "latency 0 0 0 0 0 7", &cmd, err, sizeof err), SIM_OK);
  EXPECT_EQ(cmd.verb, SIM_VERB_LATENCY);
  EXPECT_EQ(cmd.count, 1);
  EXPECT_EQ(cmd.timeoutMs, 1000);
  EXPECT_EQ(cmd.everyMs, 20);
  EXPECT_EQ(cmd.motion.axis[5], 7);
}

TEST_F(GyxsimLatency, AllAtOnceQueuesEveryPacketOfAMove) {
  ASSERT_EQ(Run("move 1 0 0 0 0 0 every=0 count=40 ticks=320"), "(pending)");
  EXPECT_EQ(Drain().size(), 40u * 16u);
  EXPECT_EQ(Poll(), "ok bytes=640");
}

}  // namespace
