// The simulated controller with a made-up clock and line state: probe
// answers, the check of the driver's initialisation, timed packet streams,
// waits with time-outs, and silence while nobody holds the port open.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "tests/native/simfixture.h"
#include "tools/gyxsim/simengine.h"

namespace {

class GyxsimEngine : public SimEngineFixture {
 protected:
  void SetUp() override { Start(&SimModelQv2200); }

  void Start(const SimModel *m) {
    lines_ = SimLines{};
    SimHooks hooks = {this, ReadLinesHook, nullptr};
    SimEngineFixture::Start(m, &hooks);
  }

  static void ReadLinesHook(void *ctx, SimLines *out) { *out = static_cast<GyxsimEngine *>(ctx)->lines_; }

  const std::string kInit = std::string("\rCB\rNT\rFT\0\rFR\0\rP@r@r\rMSSV\rZ\r", 28);

  SimLines lines_;
};

TEST_F(GyxsimEngine, ProbeIsAnsweredWithTheFirmwareText) {
  Feed("hv\r");
  EXPECT_EQ(Drain(), std::string(SimModelQv2200.firmware) + "\r");
  Feed("hv");
  EXPECT_EQ(Drain(), "") << "no answer before the probe's CR";
  Feed("\r");
  EXPECT_EQ(Drain().size(), 47u);
  EXPECT_EQ(Run("firmware HvFirmware version 2.9\\x07"), "ok length=23");
  Feed("hv\r");
  EXPECT_EQ(Drain(), "HvFirmware version 2.9\x07\r");
}

TEST_F(GyxsimEngine, SilenceAndReplyDelay) {
  EXPECT_EQ(Run("silent 2"), "ok silent=2");
  for (int i = 0; i < 2; i++) {
    Feed("hv\r");
    EXPECT_EQ(Drain(), "") << "probe " << i;
  }
  Feed("hv\r");
  EXPECT_EQ(Drain().size(), 47u) << "answers again after the two ignored probes";

  Run("silent");
  for (int i = 0; i < 5; i++) Feed("hv\r");
  EXPECT_EQ(Drain(), "");
  Run("answer");
  Run("delay 300");
  Feed("hv\r");
  EXPECT_EQ(Drain(), "");
  EXPECT_EQ(SimEngineNextUs(&e_), nowUs_ + 300000);
  Advance(299);
  EXPECT_EQ(Drain(), "");
  Advance(1);
  EXPECT_EQ(Drain().size(), 47u);
  EXPECT_EQ(Run("init"), "ok inits=0 bad=0 probes=9 commands=9");
}

TEST_F(GyxsimEngine, InitialisationCountsOnlyWhenExact) {
  // However the bytes are cut into reads.
  Feed("hv\r");
  for (char c : kInit) Feed(std::string(1, c));
  EXPECT_EQ(Run("init"), "ok inits=1 bad=0 probes=1 commands=9");
  Feed(kInit + kInit);
  EXPECT_EQ(Run("init"), "ok inits=3 bad=0 probes=1 commands=25");

  Run("clear");
  EXPECT_EQ(Run("init"), "ok inits=0 bad=0 probes=0 commands=0");
  // A beep in the middle breaks one off; the next whole sequence counts.
  Feed(std::string("\rCB\rNT\rBcC\r", 11) + kInit);
  EXPECT_EQ(Run("init"), "ok inits=1 bad=1 probes=0 commands=12");
  // A missing step.
  Run("clear");
  Feed(std::string("\rCB\rNT\rFT\0\rP@r@r\rMSSV\rZ\r", 24));
  EXPECT_EQ(Run("init"), "ok inits=0 bad=1 probes=0 commands=7");
  // The 3200 expects the same sequence.
  Start(&SimModelQv3200);
  Feed(kInit);
  EXPECT_EQ(Run("init"), "ok inits=1 bad=0 probes=0 commands=8");
}

TEST_F(GyxsimEngine, LogListsCommandsEscapedOldestFirst) {
  Feed("hv\r");
  Feed(kInit);
  Feed("B cC\r");
  EXPECT_EQ(Run("log"), "ok 10 hv\\r \\r CB\\r NT\\r FT\\0\\r FR\\0\\r P@r@r\\r MSSV\\r Z\\r B\\x20cC\\r");
  EXPECT_EQ(Run("log 2"), "ok 2 Z\\r B\\x20cC\\r");
  // A reply buffer too small for all keeps the newest that fit.
  char reply[40];
  ASSERT_EQ(SimSessionStart(&e_, &s_, "log", nowUs_, reply, sizeof reply), 1);
  EXPECT_STREQ(reply, "ok 3 MSSV\\r Z\\r B\\x20cC\\r");
  // A command that never ends in CR is logged once it fills an entry.
  Run("clear");
  Feed(std::string(SIM_CMD_MAX, 'x'));
  EXPECT_EQ(Run("log"), "ok 1 " + std::string(SIM_CMD_MAX, 'x'));
  EXPECT_EQ(Run("log 1"), Run("log"));
}

TEST_F(GyxsimEngine, ButtonsAreHeldAcrossCommands) {
  EXPECT_EQ(Run("press 1"), "(pending)") << "answers once the packet is on the wire";
  EXPECT_EQ(Drain(), "K@A\r");
  EXPECT_EQ(Poll(), "ok bytes=4");
  Run("press 5");
  EXPECT_EQ(Drain(), "KAA\r");
  Poll();
  Run("release 1");
  EXPECT_EQ(Drain(), "KA@\r");
  Poll();
  Run("buttons 0x5e5e");
  EXPECT_EQ(Drain(), "K^^^^\r");
  Poll();
  Run("release 2");
  EXPECT_EQ(Drain(), "K^^\\\r") << "0x5e5c: only the named bit goes";
  Poll();
  Run("release all");
  EXPECT_EQ(Drain(), "K@@\r");
}

TEST_F(GyxsimEngine, MotionStreamKeepsItsPeriodAndAnswersWhenSent) {
  EXPECT_EQ(Run("move 1 0 0 0 0 -1 every=10 count=3"), "(pending)");
  std::string first = Drain();
  EXPECT_EQ(first.size(), 16u);
  EXPECT_EQ(first[0], 'D');
  EXPECT_EQ(first.substr(1, 2), std::string("\x00\xa0", 2)) << "10 ms = 160 sixteenths";
  EXPECT_EQ(SimSessionWakeUs(&s_, nowUs_), nowUs_ + 10000);
  Advance(9);
  EXPECT_EQ(Poll(), "(pending)");
  EXPECT_EQ(Drain(), "");
  Advance(1);
  EXPECT_EQ(Poll(), "(pending)");
  EXPECT_EQ(Drain(), first);
  Advance(10);
  EXPECT_EQ(Poll(), "(pending)") << "the last packet is queued but not yet sent";
  EXPECT_EQ(Drain(), first);
  EXPECT_EQ(Poll(), "ok bytes=48");
  EXPECT_EQ(s_.busy, 0);

  Run("zero ticks=-20");
  EXPECT_EQ(Drain(), std::string("D\xff\xec\0\0\0\0\0\0\0\0\0\0\0\0\r", 16));
}

TEST_F(GyxsimEngine, NothingIsSentWhileThePortIsClosed) {
  lines_ = SimLines{0, 0, 1234, 9600};  // lowered by its owner
  EXPECT_EQ(Run("press 1"), "ok bytes=0 dropped=4");
  Feed("hv\r");
  EXPECT_EQ(Drain(), "");
  lines_ = SimLines{1, 1, -1, 9600};  // raised by a process that has gone
  EXPECT_EQ(Run("message x"), "ok bytes=0 dropped=4");
  lines_ = SimLines{1, 1, 1234, 9600};
  EXPECT_EQ(Run("press 2"), "(pending)");
  EXPECT_EQ(Drain(), "K@C\r");
  lines_ = SimLines{};  // no line state at all: sends
  Run("release all");
  EXPECT_EQ(Drain(), "K@@\r");
  EXPECT_EQ(e_.droppedBytes, 55u) << "button packet, reply and message";
}

TEST_F(GyxsimEngine, WaitsEndWithTheirConditionOrTheirTimeOut) {
  EXPECT_EQ(Run("waitinit timeout=100"), "(pending)");
  EXPECT_EQ(SimSessionWakeUs(&s_, nowUs_), nowUs_ + 100000);
  Feed(kInit.substr(0, 10));
  EXPECT_EQ(Poll(), "(pending)");
  Feed(kInit.substr(10));
  EXPECT_EQ(Poll(), "ok inits=1 bad=0");

  EXPECT_EQ(Run("waitinit 2 timeout=100"), "(pending)");
  Advance(99);
  EXPECT_EQ(Poll(), "(pending)");
  Advance(1);
  EXPECT_EQ(Poll(), "err timeout inits=1 bad=0 probes=0");

  EXPECT_EQ(Run("waitinit"), "ok inits=1 bad=0") << "an initialisation before the wait counts";

  EXPECT_EQ(Run("waitcmd BcC\\r timeout=50"), "(pending)");
  Feed("BcD\r");
  EXPECT_EQ(Poll(), "(pending)");
  Feed("BcC\r");
  EXPECT_EQ(Poll(), "ok");

  EXPECT_EQ(Run("waitlines 1 1 timeout=20"), "(pending)");
  lines_ = SimLines{1, 0, 77, 9600};
  EXPECT_EQ(Poll(), "(pending)");
  lines_ = SimLines{1, 1, 77, 9600};
  EXPECT_EQ(Poll(), "ok dtr=1 rts=1 owner=77 baud=9600");
  EXPECT_EQ(Run("waitlines 0 0 timeout=20"), "(pending)");
  Advance(20);
  EXPECT_EQ(Poll(), "err timeout dtr=1 rts=1 owner=77 baud=9600");

  EXPECT_EQ(Run("sleep 30"), "(pending)");
  Advance(29);
  EXPECT_EQ(Poll(), "(pending)");
  Advance(1);
  EXPECT_EQ(Poll(), "ok");
}

TEST_F(GyxsimEngine, QueriesAndErrors) {
  lines_ = SimLines{0, 0, -1, 9600};
  EXPECT_EQ(Run("lines"), "ok dtr=0 rts=0 owner=gone baud=9600");
  lines_ = SimLines{};
  EXPECT_EQ(Run("lines"), "ok dtr=0 rts=0 owner=none baud=0");
  EXPECT_EQ(Run("bogus 1"), "err unknown command 'bogus'");
  EXPECT_EQ(Run("press 8"), "err no button '8' on the 2200");
  EXPECT_EQ(Run("# a comment"), "");
  EXPECT_EQ(Run("quit"), "ok bye");
  EXPECT_EQ(e_.quit, 1);
}

TEST_F(GyxsimEngine, GarbageIsRepeatableBySeed) {
  Run("garbage 32 seed=5");
  std::string a = Drain();
  Run("garbage 32 seed=5");
  std::string b = Drain();
  Run("garbage 32 seed=6");
  std::string c = Drain();
  EXPECT_EQ(a.size(), 32u);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
}

TEST_F(GyxsimEngine, FullTransmitQueueIsReportedNotOverwritten) {
  lines_ = SimLines{1, 1, 5, 9600};
  std::string reply;
  int sent = 0;
  for (int i = 0; i < 1000 && reply.rfind("err", 0) != 0; i++) {
    SimSessionInit(&s_);
    reply = Run("garbage 512");
    sent += reply == "(pending)" ? 512 : 0;
  }
  EXPECT_EQ(reply, "err transmit queue full");
  EXPECT_EQ(sent, SIM_TX_MAX);
  EXPECT_EQ(Drain().size(), (size_t)SIM_TX_MAX);
}

}  // namespace
