// device_driver_test.cpp: the driver program with simulated controllers on
// its serial ports: a device identified, initialised and served until
// "-shutdown" drops its lines; the start-up boxes for the other model, a port
// without a device, a silent device, no configured device and an unknown
// model; two devices on COM2 and COM4 as devices 0 and 1.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "harness/harness.h"
#include "harness/sim.h"
#include "lib/gyrantrix.h"

namespace {

const char kCaption[] = "gyxsrv";

class DeviceDriver : public GyxWineTest {
 protected:
  void TearDown() override {
    if (driver_.Running()) Shutdown();
    GyxSimStop(&sim_);
    GyxSimStop(&sim2_);
    GyxRemoveIni();
    GyxWineTest::TearDown();
  }
  void Configure(const std::string &sections) { ASSERT_TRUE(GyxWriteIni(sections)); }
  void StartSim(GyxSim *sim, int com, const char *model, const char *extra = "") {
    ASSERT_EQ(GYXSIM_OK, GyxSimStart(sim, com, model, extra)) << GyxSimLog(sim);
  }
  void StartDriver(const std::string &args = "") {
    ASSERT_TRUE(driver_.Start(GyxBinPath("gyxsrv.exe"), args)) << driver_.Error();
  }
  // The start-up box the driver shows: its text, after pressing OK; then the
  // driver's exit code (or ~0 when it did not end).
  std::string BoxText(unsigned long timeoutMs, unsigned long *exitCode) {
    HWND box = GyxWaitMessageBox(kCaption, timeoutMs, driver_.Pid());
    if (!box) return "(no box)";
    std::string text = GyxMessageBoxText(box);
    EXPECT_TRUE(GyxPressButton(box, IDOK));
    *exitCode = ~0ul;
    driver_.Wait(10000, exitCode);
    return text;
  }
  // "gyxsrv -shutdown -quiet": 0 when the running driver accepted.
  unsigned long Shutdown() {
    GyxProcess stop;
    unsigned long code = ~0ul;
    EXPECT_TRUE(stop.Start(GyxBinPath("gyxsrv.exe"), "-shutdown -quiet"));
    EXPECT_TRUE(stop.Wait(30000, &code));
    return code;
  }
  bool LinesAre(GyxSim *sim, int dtr, int rts) {
    char cmd[64];
    snprintf(cmd, sizeof cmd, "waitlines %d %d timeout=10000", dtr, rts);
    return GyxSimAsk(sim, cmd).rfind("ok", 0) == 0;
  }

  GyxProcess driver_;
  GyxSim sim_, sim2_;
};

TEST_F(DeviceDriver, IdentifiesInitialisesAndServesA2200UntilShutdown) {
  StartSim(&sim_, 1, "2200");
  Configure("[COM1:]\r\ndevicetype=Quorvanel 2200\r\n");
  StartDriver();
  // The simulator checks the eight set-up commands byte for byte.
  EXPECT_EQ("ok inits=1 bad=0", GyxSimAsk(&sim_, "waitinit timeout=20000")) << GyxSimLog(&sim_);
  EXPECT_EQ(0u, GyxSimAsk(&sim_, "lines").rfind("ok dtr=1 rts=1 ", 0));
  EXPECT_EQ(0u, GyxSimAsk(&sim_, "press 1").rfind("ok", 0));
  EXPECT_EQ(0u, GyxSimAsk(&sim_, "release all").rfind("ok", 0));
  EXPECT_TRUE(GyxNoMessageBoxFor(kCaption, 500, driver_.Pid()));
  EXPECT_TRUE(driver_.Running()) << "the driver keeps serving";

  EXPECT_EQ(0ul, Shutdown());
  unsigned long code = ~0ul;
  EXPECT_TRUE(driver_.Wait(10000, &code));
  EXPECT_EQ(0ul, code);
  EXPECT_TRUE(LinesAre(&sim_, 0, 0)) << "DTR and RTS drop when the driver closes the port";
}

TEST_F(DeviceDriver, OtherModelOnThePortIsAnUnexpectedDevice) {
  StartSim(&sim_, 1, "3200");
  Configure("[COM1:]\r\ndevicetype=Quorvanel 2200\r\n");
  StartDriver();
  unsigned long code;
  EXPECT_EQ("Unexpected device:  expecting\n Quorvanel 2200 on COM1:.", BoxText(20000, &code));
  EXPECT_EQ(3ul, code);
  EXPECT_TRUE(LinesAre(&sim_, 0, 0)) << "the port is free again";
  EXPECT_NE(std::string::npos, GyxSimAsk(&sim_, "init").find("inits=0 "));
}

TEST_F(DeviceDriver, ConfiguredPortWithoutADeviceIsABadPort) {
  Configure("[COM3:]\r\ndevicetype=Quorvanel 2200\r\n"); /* nothing behind COM3 */
  StartDriver("-quiet");
  unsigned long code;
  EXPECT_EQ("Couldn't open device:  bad port.", BoxText(20000, &code));
  EXPECT_EQ(3ul, code);
}

TEST_F(DeviceDriver, SilentDeviceIsAnUnexpectedDeviceAfterAboutThreeAndAHalfSeconds) {
  StartSim(&sim_, 1, "2200", "--silent");
  Configure("[COM1:]\r\ndevicetype=Quorvanel 2200\r\n");
  const unsigned long long start = GyxNowMs();
  StartDriver();
  HWND box = GyxWaitMessageBox(kCaption, 20000, driver_.Pid());
  ASSERT_NE(nullptr, box);
  const unsigned long long took = GyxNowMs() - start;
  EXPECT_GE(took, 3400u);
  EXPECT_LT(took, 12000u);
  EXPECT_EQ("Unexpected device:  expecting\n Quorvanel 2200 on COM1:.", GyxMessageBoxText(box));
  EXPECT_TRUE(GyxPressButton(box, IDOK));
  unsigned long code = ~0ul;
  EXPECT_TRUE(driver_.Wait(10000, &code));
  EXPECT_EQ(3ul, code);
}

TEST_F(DeviceDriver, NoConfiguredDeviceIsShownEvenWhenQuiet) {
  Configure("[gyrantrix]\r\nversion=8.0\r\n[COM1:]\r\n");
  StartDriver("-quiet");
  unsigned long code;
  EXPECT_EQ("No device configured.", BoxText(20000, &code));
  EXPECT_EQ(3ul, code);
}

TEST_F(DeviceDriver, ModelNotInTheTableCannotInitialise) {
  Configure("[COM1:]\r\ndevicetype=Quorvanel 2300\r\n");
  StartDriver();
  unsigned long code;
  EXPECT_EQ("Can't initialize Gyrantrix.", BoxText(20000, &code));
  EXPECT_EQ(2ul, code);
}

TEST_F(DeviceDriver, DevicesOnCom2AndCom4AreDevicesZeroAndOne) {
  StartSim(&sim_, 2, "2200");
  StartSim(&sim2_, 4, "3200");
  Configure("[COM2:]\r\ndevicetype=Quorvanel 2200\r\n[COM4:]\r\ndevicetype=Quorvanel 3200\r\n");
  StartDriver();
  EXPECT_EQ("ok inits=1 bad=0", GyxSimAsk(&sim_, "waitinit timeout=20000"));
  EXPECT_EQ("ok inits=1 bad=0", GyxSimAsk(&sim2_, "waitinit timeout=20000"));

  ASSERT_EQ(GI_NO_ERROR, GiInitialize());
  EXPECT_EQ(2, GiGetNumDevices());
  GiPortInfo port;
  ASSERT_EQ(GI_NO_ERROR, GiGetDevicePort(0, &port));
  EXPECT_EQ(0, port.deviceId);
  EXPECT_EQ(1, port.deviceType);
  EXPECT_STREQ("COM2:", port.portName);
  ASSERT_EQ(GI_NO_ERROR, GiGetDevicePort(1, &port));
  EXPECT_EQ(1, port.deviceId);
  EXPECT_EQ(2, port.deviceType);
  EXPECT_STREQ("COM4:", port.portName);
  GiTerminate();

  EXPECT_EQ(0ul, Shutdown());
  EXPECT_TRUE(driver_.Wait(10000));
  EXPECT_TRUE(LinesAre(&sim_, 0, 0));
  EXPECT_TRUE(LinesAre(&sim2_, 0, 0));
}

}  // namespace
