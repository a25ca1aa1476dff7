// lib_client_test.cpp: an application of the input library, end to end:
// simulated controller -> driver program -> this process, which uses the
// library's public calls only. Starting the driver, the queries, events with
// their folding and time weighting, beeps, and the driver going away or being
// replaced behind the application's back.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "drvfixture.h"
#include "lib/gyrantrix.h"

namespace {

const char kFirmware2200[] = "HvFirmware version 2.14 Quorvanel 2200 SN 0042";
const char kAppName[] = "Library client test";

class LibClient : public DriverTest {
 protected:
  void TearDown() override {
    GiTerminate();
    GiTerminate();  // a second call leaves a lost-driver state, if any
    if (window) DestroyWindow(window);
    // A driver the library started is not the fixture's: stop it too.
    if (GyxCountProcessesNamed("gyxsrv.exe") > 0) RunDriverCommand("-shutdown -force -quiet");
    DriverTest::TearDown();
  }

  // The program in the home directory, where the library looks for it.
  void InstallDriverProgram() { ASSERT_TRUE(GyxCopyFile(GyxBinPath("gyxsrv.exe"), home + "/gyxsrv.exe")); }

  // A window of this process in front: its handles get the device's events.
  void MakeFrontWindow() {
    window = RawMakeWindow("Gyrantrix library client");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(RawForeground(window));
  }

  GiHandle OpenDevice(int32_t id = 0) {
    GiOpenData od;
    GiOpenWinInit(&od, window);
    return GiOpen(kAppName, id, nullptr, GI_EVENT_MODE, &od);
  }

  // The simulator on COM1 obeys a command.
  void Sim(const char *line) {
    std::string r = GyxSimAsk(&sims[1], line);
    ASSERT_EQ(r.rfind("ok", 0), 0u) << line << ": " << r << "\n" << GyxSimLog(&sims[1]);
  }

  // The application's message loop: every message goes to the library first.
  // Collects the delivered events until `want` came or ms passed; other
  // results than 5 and 6 land in `errors`.
  std::vector<GiEvent> Pump(size_t want, unsigned long ms, int32_t options = 0) {
    std::vector<GiEvent> events;
    const unsigned long long end = GyxNowMs() + ms;
    while (events.size() < want) {
      MSG msg;
      while (events.size() < want && PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        GiGetEventData d;
        GiHandle h;
        GiGetEventWinInit(&d, msg.message, msg.wParam, msg.lParam);
        if (!GiFindEventHandle(&d, &h)) {
          DispatchMessageA(&msg);
          continue;
        }
        GiEvent ev;
        int32_t r = GiGetEvent(h, options, &d, &ev);
        if (r == GI_IS_EVENT)
          events.push_back(ev);
        else if (r != GI_SKIP_EVENT)
          errors.push_back(r);
      }
      unsigned long long now = GyxNowMs();
      if (events.size() >= want || now >= end || !errors.empty()) break;
      MsgWaitForMultipleObjects(0, NULL, FALSE, (DWORD)(end - now), QS_ALLINPUT);
    }
    return events;
  }

  // The usual start: a driver on a simulated 2200, the library initialised,
  // the device opened for a window in front, and its open beep heard.
  void StartAndOpen(GiHandle *h) {
    StartDriver();
    ASSERT_EQ(GiInitialize(), GI_NO_ERROR);
    MakeFrontWindow();
    *h = OpenDevice();
    ASSERT_NE(*h, nullptr) << GiErrorString(GiLastError);
    Sim("waitcmd BcCc\\r timeout=5000");
  }

  HWND window = nullptr;
  std::vector<int32_t> errors;
};

TEST_F(LibClient, InitializeStartsTheDriverFromTheHomeDirectory) {
  ASSERT_EQ(GyxSimStart(&sims[1], 1, "2200", nullptr), GYXSIM_OK);
  ASSERT_TRUE(GyxWriteIni(IniText({{1, "Quorvanel 2200"}})));
  InstallDriverProgram();
  ASSERT_EQ(GyxCountProcessesNamed("gyxsrv.exe"), 0);
  ASSERT_EQ(GiInitialize(), GI_NO_ERROR) << GiErrorString(GiLastError);
  EXPECT_EQ(GyxCountProcessesNamed("gyxsrv.exe"), 1);
  EXPECT_EQ(GiGetNumDevices(), 1);
  EXPECT_EQ(GyxSimAsk(&sims[1], "waitinit timeout=5000"), "ok inits=1 bad=0");
}

TEST_F(LibClient, InitializeWithoutTheDriverProgramFailsAtOnce) {
  ASSERT_TRUE(GyxWriteIni(IniText({{1, "Quorvanel 2200"}})));  // home holds no gyxsrv.exe
  const unsigned long long start = GyxNowMs();
  EXPECT_EQ(GiInitialize(), GI_NO_DRIVER);
  EXPECT_LT(GyxNowMs() - start, 3000u) << "no waiting for a driver that cannot start";
  EXPECT_EQ(GiLastError, GI_NO_DRIVER);
  EXPECT_EQ(GiGetNumDevices(), -1);
  EXPECT_EQ(GiLastError, GI_UNINITIALIZED);
  EXPECT_EQ(GyxCountProcessesNamed("gyxsrv.exe"), 0);
}

TEST_F(LibClient, QueriesDescribeTheDriverAndTheDevice) {
  StartDriver();
  ASSERT_EQ(GiInitialize(), GI_NO_ERROR);
  ASSERT_EQ(GiGetNumDevices(), 1);
  EXPECT_EQ(GiDeviceIndex(0), 0);

  GiPortInfo port;
  ASSERT_EQ(GiGetDevicePort(0, &port), GI_NO_ERROR);
  EXPECT_EQ(port.deviceId, 0);
  EXPECT_EQ(port.deviceType, 1);
  EXPECT_EQ(port.deviceClass, 63);
  EXPECT_STREQ(port.typeName, "Quorvanel 2200");
  EXPECT_STREQ(port.portName, "COM1:");
  GiPortInfo untouched = port;
  EXPECT_EQ(GiGetDevicePort(1, &port), GI_BAD_ID);
  EXPECT_EQ(memcmp(&port, &untouched, sizeof port), 0);

  GiDriverInfo drv;
  ASSERT_EQ(GiGetDriverInfo(&drv), GI_NO_ERROR);
  EXPECT_EQ(drv.major, 8);
  EXPECT_EQ(drv.minor, 0);
  EXPECT_EQ(drv.build, 15);
  EXPECT_STREQ(drv.version, "Gyrantrix Driver version 8.0");
  EXPECT_STREQ(drv.date, "January 31, 1997");

  MakeFrontWindow();
  GiHandle h = OpenDevice();
  ASSERT_NE(h, nullptr) << GiErrorString(GiLastError);
  Sim("waitcmd BcCc\\r timeout=5000");  // an open beeps "cCc"
  EXPECT_EQ(GiGetDeviceID(h), 0);
  GiDeviceInfo dev;
  ASSERT_EQ(GiGetDeviceInfo(h, &dev), GI_NO_ERROR);
  EXPECT_EQ(dev.deviceType, 1);
  EXPECT_EQ(dev.numButtons, 9);
  EXPECT_EQ(dev.numDegrees, 6);
  EXPECT_NE(dev.canBeep, 0);
  EXPECT_STREQ(dev.firmware, kFirmware2200);

  ASSERT_EQ(GiClose(h), GI_NO_ERROR);
  Sim("waitcmd Bf\\r timeout=5000");  // a close beeps "f"
  EXPECT_EQ(GiGetDeviceInfo(h, &dev), GI_BAD_HANDLE);
}

TEST_F(LibClient, ButtonsMotionAndRestArriveAsEvents) {
  StartDriver();
  ASSERT_EQ(GiInitialize(), GI_NO_ERROR);
  MakeFrontWindow();
  GiHandle h = OpenDevice();
  ASSERT_NE(h, nullptr) << GiErrorString(GiLastError);

  Sim("press 1");
  std::vector<GiEvent> ev = Pump(1, 5000);
  ASSERT_EQ(ev.size(), 1u) << GyxSimLog(&sims[1]);
  EXPECT_EQ(ev[0].type, GI_BUTTON_EVENT);
  EXPECT_EQ(ev[0].current, 0x2u);
  EXPECT_EQ(GiButtonPressed(&ev[0]), 1);
  EXPECT_EQ(GiButtonReleased(&ev[0]), -1);

  Sim("release all");
  ev = Pump(1, 5000);
  ASSERT_EQ(ev.size(), 1u);
  EXPECT_EQ(ev[0].last, 0x2u);
  EXPECT_EQ(GiButtonReleased(&ev[0]), 1);

  // The first motion of a movement covers its own period: 50 ms of it are
  // the values as the device sent them.
  Sim("move 10 -20 30 -40 50 -60 every=50");
  ev = Pump(1, 5000);
  ASSERT_EQ(ev.size(), 1u);
  EXPECT_EQ(ev[0].type, GI_MOTION_EVENT);
  EXPECT_EQ(ev[0].period, 50);
  EXPECT_EQ(ev[0].tx, 10);
  EXPECT_EQ(ev[0].ty, -20);
  EXPECT_EQ(ev[0].tz, 30);
  EXPECT_EQ(ev[0].rx, -40);
  EXPECT_EQ(ev[0].ry, 50);
  EXPECT_EQ(ev[0].rz, -60);

  Sim("zero");
  ev = Pump(1, 5000);
  ASSERT_EQ(ev.size(), 1u);
  EXPECT_EQ(ev[0].type, GI_ZERO_EVENT);
  EXPECT_EQ(ev[0].tx | ev[0].ty | ev[0].tz | ev[0].rx | ev[0].ry | ev[0].rz, 0);
  EXPECT_TRUE(errors.empty());
}

TEST_F(LibClient, ABurstOfMotionIsFoldedIntoOneEvent) {
  GiHandle h = nullptr;
  ASSERT_NO_FATAL_FAILURE(StartAndOpen(&h));
  // Ten packets while the application is busy elsewhere.
  Sim("move 10 0 0 0 0 -10 every=5 count=5");
  Sim("move 30 0 0 0 0 -30 every=5 count=5");
  Sleep(1000);  // time for the driver to queue them all
  std::vector<GiEvent> ev = Pump(1, 5000, GI_FIXED_PERIOD);
  ASSERT_EQ(ev.size(), 1u);
  EXPECT_EQ(ev[0].type, GI_MOTION_EVENT);
  // Per 50 ms: (5 x 10 + 5 x 30) x 50 / (10 x 5 ms) = 200.
  EXPECT_EQ(ev[0].tx, 200);
  EXPECT_EQ(ev[0].rz, -200);
  EXPECT_EQ(ev[0].period, 50);
  EXPECT_TRUE(Pump(1, 300, GI_FIXED_PERIOD).empty()) << "every queued motion was folded in";
  EXPECT_TRUE(errors.empty());
}

TEST_F(LibClient, PollingTakesQueuedEventsThenRepeatsMotionUntilItRests) {
  GiHandle h = nullptr;
  ASSERT_NO_FATAL_FAILURE(StartAndOpen(&h));
  GiEvent ev;
  EXPECT_EQ(GiGetEvent(h, 0, nullptr, &ev), GI_NOT_EVENT);
  Sim("move 100 0 0 0 0 0 every=40");
  ASSERT_TRUE(GyxWaitFor([&] { return GiGetEvent(h, 0, nullptr, &ev) == GI_IS_EVENT; }, 5000));
  EXPECT_EQ(ev.type, GI_MOTION_EVENT);
  EXPECT_EQ(ev.tx, 100 * 40 / 50);
  // Nothing new: the last motion again, scaled to the time since.
  Sleep(30);
  ASSERT_EQ(GiGetEvent(h, 0, nullptr, &ev), GI_IS_EVENT);
  EXPECT_EQ(ev.type, GI_MOTION_EVENT);
  EXPECT_GT(ev.period, 0);
  EXPECT_LE(ev.period, 84);
  EXPECT_EQ(ev.tx, ev.period * 100 / 50);
  // Two seconds without motion: the device must be at rest.
  Sleep(2100);
  ASSERT_EQ(GiGetEvent(h, 0, nullptr, &ev), GI_IS_EVENT);
  EXPECT_EQ(ev.type, GI_ZERO_EVENT);
  EXPECT_EQ(ev.period, 50);
  EXPECT_EQ(GiGetEvent(h, 0, nullptr, &ev), GI_NOT_EVENT);
}

TEST_F(LibClient, BeepSendsTheFirstFourteenCharacters) {
  StartDriver();
  ASSERT_EQ(GiInitialize(), GI_NO_ERROR);
  MakeFrontWindow();
  GiHandle h = OpenDevice();
  ASSERT_NE(h, nullptr) << GiErrorString(GiLastError);
  ASSERT_EQ(GiBeep(h, "cCcCcCcCcCcCcCfffffF"), GI_NO_ERROR);
  Sim("waitcmd BcCcCcCcCcCcCcC\\r timeout=5000");
  ASSERT_EQ(GiRezero(h), GI_NO_ERROR);
  Sim("waitcmd Z\\r timeout=5000");
}

TEST_F(LibClient, ForcedShutdownEndsTheLibraryUntilItTerminates) {
  StartDriver();
  InstallDriverProgram();
  ASSERT_EQ(GiInitialize(), GI_NO_ERROR);
  MakeFrontWindow();
  GiHandle h = OpenDevice();
  ASSERT_NE(h, nullptr) << GiErrorString(GiLastError);

  ASSERT_EQ(RunDriverCommand("-shutdown -force -quiet"), 0u);
  ASSERT_TRUE(driver.Wait(15000));
  // The driver's farewell reaches the message loop.
  EXPECT_TRUE(Pump(1, 5000).empty());
  EXPECT_EQ(errors, std::vector<int32_t>{GI_NO_DRIVER});
  EXPECT_EQ(GiGetDeviceID(h), -1);
  EXPECT_EQ(GiLastError, GI_NO_DRIVER);
  EXPECT_EQ(GiInitialize(), GI_NO_DRIVER) << "not before GiTerminate";
  EXPECT_EQ(GyxCountProcessesNamed("gyxsrv.exe"), 0);

  GiTerminate();
  ASSERT_EQ(GiInitialize(), GI_NO_ERROR) << "a fresh driver from the home directory";
  EXPECT_EQ(GyxCountProcessesNamed("gyxsrv.exe"), 1);
  h = OpenDevice();
  ASSERT_NE(h, nullptr) << GiErrorString(GiLastError);
  Sim("press 1");
  errors.clear();
  std::vector<GiEvent> ev = Pump(1, 5000);
  ASSERT_EQ(ev.size(), 1u);
  EXPECT_EQ(GiButtonPressed(&ev[0]), 1);
}

TEST_F(LibClient, DriverReplacedBehindTheApplicationsBackIsNeverReused) {
  StartDriver();
  ASSERT_EQ(GiInitialize(), GI_NO_ERROR);
  MakeFrontWindow();
  GiHandle h = OpenDevice();
  ASSERT_NE(h, nullptr) << GiErrorString(GiLastError);

  // Another driver takes over while the application looks elsewhere.
  ASSERT_EQ(RunDriverCommand("-shutdown -force -quiet"), 0u);
  ASSERT_TRUE(driver.Wait(15000));
  ASSERT_TRUE(driver.Start(GyxBinPath("gyxsrv.exe")));
  // It claims the request block before it opens its devices.
  ASSERT_EQ(GyxSimAsk(&sims[1], "waitinit 2 timeout=20000").rfind("ok", 0), 0u);

  GiDriverInfo drv;
  GiDeviceInfo dev;
  EXPECT_EQ(GiGetDriverInfo(&drv), GI_NO_DRIVER);
  EXPECT_EQ(GiGetDeviceInfo(h, &dev), GI_NO_DRIVER);
  EXPECT_EQ(GiBeep(h, "cC"), GI_NO_DRIVER);
  EXPECT_EQ(OpenDevice(), nullptr);
  EXPECT_EQ(GiLastError, GI_NO_DRIVER);

  // Starting over connects to the new driver.
  GiTerminate();
  ASSERT_EQ(GiInitialize(), GI_NO_ERROR);
  EXPECT_TRUE(driver.Running());
  ASSERT_EQ(GiGetDriverInfo(&drv), GI_NO_ERROR);
  h = OpenDevice();
  ASSERT_NE(h, nullptr) << GiErrorString(GiLastError);
  Sim("press 1");
  std::vector<GiEvent> ev = Pump(1, 5000);
  ASSERT_EQ(ev.size(), 1u) << (errors.empty() ? 0 : errors[0]);  // the old farewell ends nothing
  EXPECT_EQ(ev[0].type, GI_BUTTON_EVENT);
}

// A driver killed without its shut-down leaves its stamp in the request
// block: the next driver takes over all the same, the application learns at
// its next call that its driver is gone, without waiting out a time-out, and
// starts over with the new one.
TEST_F(LibClient, KilledDriverIsReplacedAndTheApplicationStartsOver) {
  GiHandle h = nullptr;
  ASSERT_NO_FATAL_FAILURE(StartAndOpen(&h));
  ASSERT_TRUE(driver.Kill(9));

  GiDeviceInfo dev;
  unsigned long long start = GyxNowMs();
  EXPECT_EQ(GiGetDeviceInfo(h, &dev), GI_NO_DRIVER);
  EXPECT_LT(GyxNowMs() - start, 1000u) << "no reply time-out for a driver that died";
  start = GyxNowMs();
  EXPECT_EQ(GiBeep(h, "cC"), GI_NO_DRIVER);
  GiDriverInfo drv;
  EXPECT_EQ(GiGetDriverInfo(&drv), GI_NO_DRIVER);
  EXPECT_LT(GyxNowMs() - start, 200u) << "known gone: no exchange is tried";

  // Nobody answers for the stamp left behind: "-shutdown" says so at once.
  start = GyxNowMs();
  EXPECT_EQ(RunDriverCommand("-shutdown -quiet"), 2u) << "driver not running";
  EXPECT_LT(GyxNowMs() - start, 5000u);

  // The block still holds the dead driver's stamp; a new driver claims it.
  ASSERT_TRUE(driver.Start(GyxBinPath("gyxsrv.exe")));
  ASSERT_EQ(GyxSimAsk(&sims[1], "waitinit 2 timeout=20000").rfind("ok", 0), 0u) << GyxSimLog(&sims[1]);
  EXPECT_TRUE(driver.Running()) << "exit code " << driver.ExitCode();
  EXPECT_EQ(GiGetDriverInfo(&drv), GI_NO_DRIVER) << "a new driver is never taken for the old one";

  GiTerminate();
  ASSERT_EQ(GiInitialize(), GI_NO_ERROR) << GiErrorString(GiLastError);
  EXPECT_EQ(GyxCountProcessesNamed("gyxsrv.exe"), 1);
  h = OpenDevice();
  ASSERT_NE(h, nullptr) << GiErrorString(GiLastError);
  Sim("press 1");
  std::vector<GiEvent> ev = Pump(1, 5000);
  ASSERT_EQ(ev.size(), 1u) << (errors.empty() ? 0 : errors[0]);
  EXPECT_EQ(GiButtonPressed(&ev[0]), 1);
}

// Another application keeps the dead driver's block open: GiInitialize finds
// the stamp, learns at once that nobody answers for it, and starts a driver
// from the home directory, which claims the block.
TEST_F(LibClient, InitializeAfterAKilledDriverStartsANewOne) {
  StartDriver();
  InstallDriverProgram();
  GyxProcess monitor;  // the other application
  ASSERT_TRUE(monitor.Start(GyxBinPath("gyxmon.exe"), "--seconds 120"));
  Sim("waitcmd BcCc\\r timeout=10000");  // it has opened the device
  ASSERT_TRUE(driver.Kill(9));

  const unsigned long long start = GyxNowMs();
  ASSERT_EQ(GiInitialize(), GI_NO_ERROR) << GiErrorString(GiLastError);
  EXPECT_LT(GyxNowMs() - start, 15000u) << "the dead driver's block cost a reply time-out";
  EXPECT_EQ(GyxCountProcessesNamed("gyxsrv.exe"), 1);
  EXPECT_EQ(GiGetNumDevices(), 1);
  MakeFrontWindow();
  GiHandle h = OpenDevice();
  ASSERT_NE(h, nullptr) << GiErrorString(GiLastError);
  Sim("press 2");
  std::vector<GiEvent> ev = Pump(1, 5000);
  ASSERT_EQ(ev.size(), 1u) << (errors.empty() ? 0 : errors[0]);
  EXPECT_EQ(GiButtonPressed(&ev[0]), 2);
}

}  // namespace
