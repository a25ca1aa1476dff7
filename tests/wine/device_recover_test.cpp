// Device faults under a running driver with two simulated 2200s: one device
// goes silent, babbles garbage, sends bytes without end, or vanishes (its
// simulator quits, so its port fails) while the other keeps delivering; the
// vanished one comes back on its own when its port works again, and the
// application that had it open keeps its handle and gets its events again.
#include <string.h>

#include <string>

#include "drvfixture.h"
#include "harness/gyxchanproc.h"
#include "harness/gyxfile.h"

namespace {

class DeviceRecover : public DriverTest {
 protected:
  GyxChanClient first, second;  // device 0 on COM1, device 1 on COM2, each grabbed
  int value = 0;

  void SetUp() override {
    DriverTest::SetUp();
    if (HasFatalFailure()) return;
    SetEnvironmentVariableA("DEBUG_GYRANTRIX", "1");  // the driver logs the loss
    StartDriver({{1, "Quorvanel 2200"}, {2, "Quorvanel 2200"}});
    SetEnvironmentVariableA("DEBUG_GYRANTRIX", nullptr);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(first.Start("first", {"--device", "0", "--grab", "1"}));
    ASSERT_TRUE(second.Start("second", {"--device", "1", "--grab", "1"}));
    ASSERT_TRUE(first.WaitFor("grab flag=1 status=0"));
    ASSERT_TRUE(second.WaitFor("grab flag=1 status=0"));
  }

  std::string Sim(int port, const std::string &cmd) { return GyxSimAsk(&sims[port], cmd.c_str()); }

  // A motion with a value of its own on COM<port> reaches client c within
  // withinMs; *ms (optional) gets the time it took.
  ::testing::AssertionResult Arrives(int port, GyxChanClient &c, unsigned long long *ms = nullptr,
                                     unsigned long withinMs = 1000) {
    int v = ++value;
    unsigned long long sent = GyxNowMs();
    std::string r = Sim(port, "move " + std::to_string(v) + " 0 0 0 0 0");
    if (r.rfind("ok", 0) != 0) return ::testing::AssertionFailure() << "simulator: " << r;
    if (!c.WaitFor("motion=" + std::to_string(v) + ",", withinMs))
      return ::testing::AssertionFailure()
             << "no event " << v << " from COM" << port << " within " << withinMs << " ms:\n"
             << c.Text();
    if (ms) *ms = GyxNowMs() - sent;
    return ::testing::AssertionSuccess();
  }

  std::string DriverLog() {
    std::string t;
    GyxReadFile(home + "/gyrantx.log", &t);
    return t;
  }
};

// Silence, garbage and an endless run without a frame end on COM2 never hold
// up COM1, and COM2 still works afterwards.
TEST_F(DeviceRecover, MisbehavingDeviceNeverHoldsUpTheOther) {
  ASSERT_TRUE(Arrives(1, first));
  ASSERT_TRUE(Arrives(2, second));
  Sleep(1500);  // silence on both: nothing is declared lost
  ASSERT_TRUE(Arrives(1, first));
  ASSERT_TRUE(Arrives(2, second));
  EXPECT_EQ(DriverLog().find("udrecover"), std::string::npos) << DriverLog();

  for (int round = 0; round < 4; round++) {
    ASSERT_EQ(Sim(2, "garbage 400 seed=" + std::to_string(round)).rfind("ok", 0), 0u);
    EXPECT_TRUE(Arrives(1, first)) << "garbage round " << round;
  }
  std::string endless(500, 'A');  // a 2200 packet ends with CR: this never does
  for (int round = 0; round < 4; round++) {
    ASSERT_EQ(Sim(2, "send " + endless).rfind("ok", 0), 0u);
    EXPECT_TRUE(Arrives(1, first)) << "endless round " << round;
  }
  ASSERT_EQ(Sim(2, "send \\r").rfind("ok", 0), 0u);  // the run ends; the next packet counts
  EXPECT_TRUE(Arrives(2, second));
  EXPECT_TRUE(driver.Running());
}

// COM2's simulator quits (a controller unplugged: its port fails) and comes
// back. COM1 keeps delivering throughout; the driver declares COM2 lost,
// identifies and initialises it again on its own, and the client that had
// it open gets its events on the same handle.
TEST_F(DeviceRecover, VanishedDeviceComesBackUnderTheSameHandle) {
  ASSERT_TRUE(Arrives(2, second));
  std::string openLine = second.Text().substr(second.Text().find("open status=0"));
  openLine = openLine.substr(0, openLine.find('\n'));

  unsigned long long gone = GyxNowMs();
  ASSERT_EQ(GyxSimStop(&sims[2]), GYXSIM_OK);
  unsigned long long detected = 0;
  while (GyxNowMs() - gone < 10000 && !detected) {
    EXPECT_TRUE(Arrives(1, first)) << "COM1 while COM2 is gone";
    if (DriverLog().find("udrecover") != std::string::npos) detected = GyxNowMs();
  }
  ASSERT_NE(detected, 0u) << "the loss was never noticed; driver log:\n" << DriverLog();
  for (int i = 0; i < 5; i++) EXPECT_TRUE(Arrives(1, first)) << "COM1 while COM2 is lost";

  unsigned long long back = GyxNowMs();
  ASSERT_EQ(GyxSimStart(&sims[2], 2, "Quorvanel 2200", nullptr), GYXSIM_OK);
  std::string init;
  unsigned long long initialised = 0;
  unsigned long long slowest = 0;
  while (GyxNowMs() - back < 15000) {
    // The driver's one thread identifies and sets up the returning device:
    // COM1's events wait meanwhile (the 2200's pause before its set-up), but
    // none is lost.
    unsigned long long took = 0;
    EXPECT_TRUE(Arrives(1, first, &took, 3000)) << "COM1 while COM2 comes back; driver log:\n" << DriverLog();
    slowest = std::max(slowest, took);
    init = Sim(2, "init");
    if (init.find("inits=1") != std::string::npos) {
      initialised = GyxNowMs();
      break;
    }
  }
  ASSERT_NE(initialised, 0u) << init << "\n" << GyxSimLog(&sims[2]);
  unsigned long long ms = 0;
  ASSERT_TRUE(Arrives(2, second, &ms));
  unsigned long long resumed = GyxNowMs();
  EXPECT_TRUE(Arrives(1, first));
  EXPECT_EQ(second.Count("open status="), 1) << "no second open: the same handle";
  EXPECT_NE(second.Text().find(openLine), std::string::npos);
  EXPECT_TRUE(driver.Running());
  printf(
      "detection %llu ms after the port failed; initialised %llu ms and first event %llu ms after the "
      "port came back; COM1's slowest event meanwhile %llu ms\n",
      detected - gone, initialised - back, resumed - back, slowest);
  RecordProperty("detect_ms", (int)(detected - gone));
  RecordProperty("recover_ms", (int)(resumed - back));
}

}  // namespace
