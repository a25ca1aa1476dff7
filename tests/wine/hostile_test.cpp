// A hostile client (tools/hostile) abuses the channel while honest clients
// work: random request blocks, floods of the request semaphore with and
// without the lock, scribbles over the block's header and over its own ring,
// the lock taken to the grave, a client killed between its request and its
// reply. The driver must live through all of it, and the honest clients must
// keep getting their answers and their events within a second.
#include <string.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "drvfixture.h"
#include "harness/gyxchanproc.h"
#include "lib/channel.h"
#include "lib/reqcodes.h"
#include "lib/wire.h"

namespace {

// Answers the honest requester got, by the time they came (ms since start).
struct AnswerLog {
  std::mutex m;
  std::vector<unsigned long long> good;  // the right answer
  int wrong = 0, failed = 0;
  std::string lastWrong;
};

class Hostile : public DriverTest {
 protected:
  GyxChanClient honest;
  AnswerLog answers;
  std::atomic<bool> stop{false};
  std::thread requester;
  std::string dir;

  void SetUp() override {
    DriverTest::SetUp();
    if (HasFatalFailure()) return;
    StartDriver({{1, "Quorvanel 2200"}, {2, "Quorvanel 2200"}});
    if (HasFatalFailure()) return;
    dir = GyxMakeScratchDir("hostile");
    ASSERT_TRUE(honest.Start("honest", {"--device", "0"}));
    ASSERT_TRUE(honest.WaitFor("open status=0"));
    ASSERT_TRUE(honest.Front());
  }

  void TearDown() override {
    stop = true;
    if (requester.joinable()) requester.join();
    DriverTest::TearDown();
  }

  // An honest raw client in a thread of its own: asks for the second port
  // over and over and notes when the right answer came.
  void StartRequester() {
    requester = std::thread([this] {
      bool attached = AppMmapAttach() == 0;
      while (!stop) {
        if (!attached) {
          attached = AppMmapAttach() == 0;
          if (!attached) {
            Sleep(20);
            continue;
          }
        }
        std::vector<uint8_t> r;
        int n = RawCall(REQ_GET_DEVICE_PORT, RawRequest().Word(1), true, &r);
        std::lock_guard<std::mutex> lock(answers.m);
        if (n == WIRE_PORT_REPLY && RawWord(r, 0) == GI_NO_ERROR) {
          GiPortInfo port;
          memcpy(&port, r.data() + 4, sizeof port);
          if (strcmp(port.portName, "COM2:") == 0 && port.deviceId == 1) {
            answers.good.push_back(GyxNowMs());
          } else {
            answers.wrong++;
            answers.lastWrong = port.portName;
          }
        } else if (n >= 0) {
          answers.wrong++;
          answers.lastWrong = "length " + std::to_string(n) + " status " + std::to_string(RawWord(r, 0));
        } else {
          answers.failed++;
        }
        Sleep(5);
      }
      AppMmapDetach();
    });
  }

  // The longest time without a right answer within [from, to].
  unsigned long long LongestSilence(unsigned long long from, unsigned long long to) {
    std::lock_guard<std::mutex> lock(answers.m);
    unsigned long long last = from, worst = 0;
    for (unsigned long long t : answers.good) {
      if (t < from || t > to) continue;
      worst = std::max(worst, t - last);
      last = t;
    }
    return std::max(worst, to - last);
  }

  std::string Sim(int port, const std::string &cmd) { return GyxSimAsk(&sims[port], cmd.c_str()); }

  // A motion with a value of its own on COM1 reaches the honest client within
  // a second.
  ::testing::AssertionResult EventArrives(int value) {
    std::string r = Sim(1, "move " + std::to_string(value) + " 0 0 0 0 0");
    if (r.rfind("ok", 0) != 0) return ::testing::AssertionFailure() << "simulator: " << r;
    unsigned long long sent = GyxNowMs();
    if (!honest.WaitFor("motion=" + std::to_string(value) + ",", 1000))
      return ::testing::AssertionFailure() << "no event " << value << " within 1 s; the client saw:\n"
                                           << honest.Text();
    return ::testing::AssertionSuccess() << GyxNowMs() - sent << " ms";
  }

  GyxProcess StartHostile(const std::string &action, int count, const std::string &tag) {
    GyxProcess p;
    std::string log = dir + "/" + tag + ".log";
    EXPECT_TRUE(p.Start(GyxBinPath("gyx_hostile.exe"),
                        GyxJoinArgs({"--action", action, "--count", std::to_string(count), "--seed", "7",
                                     "--log", GyxWinPath(log)})));
    return p;
  }
  std::string HostileLog(const std::string &tag) {
    std::string t;
    GyxReadFile(dir + "/" + tag + ".log", &t);
    return t;
  }
};

// Each abuse in turn, with motion on both ports and the honest requester
// running throughout. After each one the driver still runs, a fresh motion
// reaches the honest client within a second, and no second went by without
// a right answer (except while a live hostile client holds the lock, which
// the channel lets any client do until it is killed).
TEST_F(Hostile, DriverAndHonestClientsSurviveEveryAbuse) {
  StartRequester();
  ASSERT_TRUE(GyxWaitFor(
      [&] {
        std::lock_guard<std::mutex> lock(answers.m);
        return !answers.good.empty();
      },
      5000));
  struct Case {
    const char *action;
    int count;
    bool killAfterReady;  // waits for ever: killed once it holds the lock
    bool breaksLock;      // writes or signals without the lock, or leaves it before its answer
  } cases[] = {
      {"requests", 3000, false, true}, {"pokes", 5000, false, true},    {"header", 5000, false, true},
      {"ring", 600, false, false},     {"die-locked", 0, false, false}, {"hang", 0, true, false},
  };
  int wrongBefore = 0;
  int value = 100;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.action);
    GyxProcess h = StartHostile(c.action, c.count, c.action);
    unsigned long long begin = GyxNowMs();
    // Events on both ports while it works: COM2 feeds the ring it spoils.
    while (h.Running() && GyxNowMs() - begin < 30000) {
      if (c.killAfterReady && HostileLog(c.action).find("locked") != std::string::npos) {
        Sleep(200);  // a client waiting for its reply, then killed
        ASSERT_TRUE(h.Kill(1));
        break;
      }
      Sim(2, "move 0 20 0 0 0 0");
      if (!c.killAfterReady) EXPECT_TRUE(EventArrives(++value)) << c.action;
      ASSERT_TRUE(driver.Running()) << "driver died during " << c.action;
    }
    ASSERT_FALSE(h.Running()) << c.action << " did not finish";
    std::string log = HostileLog(c.action);
    if (strcmp(c.action, "die-locked") == 0 || c.killAfterReady)
      EXPECT_NE(log.find("locked"), std::string::npos) << log;
    else
      EXPECT_NE(log.find("done"), std::string::npos) << log;
    unsigned long long end = GyxNowMs();
    // Afterwards everything works again at once.
    EXPECT_TRUE(EventArrives(++value));
    Sleep(1000);
    ASSERT_TRUE(driver.Running()) << "driver died after " << c.action;
    unsigned long long from = c.killAfterReady ? end : begin;
    EXPECT_LE(LongestSilence(from, GyxNowMs()), 1000u) << c.action;
    std::lock_guard<std::mutex> lock(answers.m);
    // Only a client that breaks the lock's rules can make an honest client
    // take someone else's answer for its own (the channel has no way to tell
    // them apart); dying with the lock or mid-request must not.
    if (!c.breaksLock) EXPECT_EQ(answers.wrong, wrongBefore) << c.action << ": " << answers.lastWrong;
    wrongBefore = answers.wrong;
    printf("%-10s right %5d  wrong %3d  failed %3d  (so far)\n", c.action, (int)answers.good.size(),
           answers.wrong, answers.failed);
  }
  std::lock_guard<std::mutex> lock(answers.m);
  EXPECT_GT(answers.good.size(), 100u);
  RecordProperty("good_answers", (int)answers.good.size());
  RecordProperty("wrong_answers", answers.wrong);
  RecordProperty("failed_requests", answers.failed);
  printf("honest requester: %d right answers, %d wrong (last: %s), %d failed\n", (int)answers.good.size(),
         answers.wrong, answers.lastWrong.c_str(), answers.failed);
}

}  // namespace
