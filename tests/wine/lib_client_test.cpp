// lib_client_test.cpp: an application of the input library, end to end:
// simulated controller -> driver program -> this process, which uses the
// library's public calls (the tests of two handles in one window also read a
// handle's ring and driver handle, to know when the driver has queued what
// they wait for). Starting the driver, the queries, events with their folding
// and time weighting, beeps, two handles sharing a window, a client that dies
// in the middle of a request, and the driver going away or being replaced
// behind the application's back.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <thread>
#include <vector>

#include "drvfixture.h"
#include "lib/channel.h"
#include "lib/gistate.h"
#include "lib/gyrantrix.h"
#include "lib/reqcodes.h"
#include "lib/ring.h"

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
  std::vector<GiEvent> Pump(size_t want, unsigned long ms, int32_t options = 0,
                            std::vector<GiHandle> *who = nullptr) {
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
        if (r == GI_IS_EVENT) {
          events.push_back(ev);
          if (who) who->push_back(h);
        } else if (r != GI_SKIP_EVENT) {
          errors.push_back(r);
        }
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

// Bytes waiting in a handle's ring: the driver writes a record before it
// posts the record's notice.
static int32_t RingBytes(GiHandle h) {
  QueueLink *q = GiQueue(h);
  return RingReadable(*q->readOffset, *q->writeOffset, (int32_t)(q->ringEnd - q->ringStart));
}

// Two handles of one device in one window share the message number: the
// window's queue shows only the first such message, and the library has to
// look past another handle's notice for this handle's.
TEST_F(LibClient, PollingOneOfTwoHandlesFindsItsNoticeBehindTheOthers) {
  StartDriver();
  ASSERT_EQ(GiInitialize(), GI_NO_ERROR);
  MakeFrontWindow();
  GiHandle a = OpenDevice();
  ASSERT_NE(a, nullptr) << GiErrorString(GiLastError);
  Sim("press 1");  // the newest handle of the front process has the device
  ASSERT_TRUE(GyxWaitFor([&] { return RingBytes(a) == 52; }, 5000));
  GiHandle b = OpenDevice();
  ASSERT_NE(b, nullptr) << GiErrorString(GiLastError);
  Sim("release all");  // now b's
  GiEvent ev;
  ASSERT_TRUE(GyxWaitFor([&] { return GiGetEvent(b, 0, nullptr, &ev) == GI_IS_EVENT; }, 5000))
      << "b's notice waits behind a's";
  EXPECT_EQ(ev.type, GI_BUTTON_EVENT);
  EXPECT_EQ(ev.last, 0x2u);
  EXPECT_EQ(ev.current, 0u);
  // a's notice still reaches a through the message loop.
  std::vector<GiHandle> who;
  std::vector<GiEvent> got = Pump(1, 5000, 0, &who);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(who[0], a);
  EXPECT_EQ(got[0].current, 0x2u);
  EXPECT_TRUE(Pump(1, 300).empty());
  EXPECT_TRUE(errors.empty());
}

TEST_F(LibClient, FoldingLooksPastAnotherHandlesNoticeInTheSameWindow) {
  StartDriver();
  ASSERT_EQ(GiInitialize(), GI_NO_ERROR);
  MakeFrontWindow();
  GiHandle a = OpenDevice();
  ASSERT_NE(a, nullptr) << GiErrorString(GiLastError);
  GiHandle b = OpenDevice();
  ASSERT_NE(b, nullptr) << GiErrorString(GiLastError);
  // b's motion, a notice of a's (the driver empties a's queue on request),
  // b's motion again: queued as b, a, b.
  Sim("move 100 0 0 0 0 0 every=20");
  ASSERT_TRUE(GyxWaitFor([&] { return RingBytes(b) == 52; }, 5000));
  Sleep(50);  // the notice follows its record
  uint8_t arg[4], reply[2];
  memcpy(arg, &a->driverHandle, 4);
  ASSERT_EQ(AppMmapSend(REQ_RESET_QUEUE, arg, sizeof arg, 1), 0);
  ASSERT_EQ(AppMmapReceive(reply, sizeof reply), 2);
  Sim("move 300 0 0 0 0 0 every=20");
  ASSERT_TRUE(GyxWaitFor([&] { return RingBytes(b) == 104; }, 5000));
  Sleep(50);

  GiEvent ev;
  ASSERT_EQ(GiGetEvent(b, GI_FIXED_PERIOD, nullptr, &ev), GI_IS_EVENT);
  EXPECT_EQ(ev.type, GI_MOTION_EVENT);
  EXPECT_EQ(ev.tx, (100 + 300) * 50 / 40);  // both folded, per 50 ms
  EXPECT_EQ(ev.period, 50);
  EXPECT_EQ(RingBytes(b), 0);
  // Nothing of b is left queued; a's reset notice reaches a and is skipped.
  std::vector<GiHandle> who;
  EXPECT_TRUE(Pump(1, 500, GI_FIXED_PERIOD, &who).empty());
  EXPECT_TRUE(errors.empty());
}

// Runs fn while every thread of process pid is held still; they go on ms
// after fn has started. fn's request then cannot be answered before it has
// looked for its answer.
static void WhileProcessHeld(DWORD pid, unsigned long ms, const std::function<void()> &fn) {
  std::vector<HANDLE> held;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 te;
  te.dwSize = sizeof te;
  for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te)) {
    if (te.th32OwnerProcessID != pid) continue;
    HANDLE t = OpenThread(THREAD_SUSPEND_RESUME, FALSE, te.th32ThreadID);
    if (t && SuspendThread(t) != (DWORD)-1) held.push_back(t);
  }
  CloseHandle(snap);
  ASSERT_FALSE(held.empty());
  std::thread release([&] {
    Sleep(ms);
    for (HANDLE t : held) ResumeThread(t);
  });
  fn();
  release.join();
  for (HANDLE t : held) CloseHandle(t);
}

// An application killed after its request was answered but before it read
// the answer leaves the reply signal set. The next applications must not take
// that signal for their own answer and read their request back as a reply
// (which made the following calls fail with GI_INTERNAL_ERROR for seconds,
// whenever the driver was slower than the reader).
TEST_F(LibClient, AReplyNobodyCollectedAnswersNoLaterRequest) {
  StartDriver();
  ASSERT_EQ(GiInitialize(), GI_NO_ERROR);
  GiDriverInfo drv;
  ASSERT_EQ(GiGetDriverInfo(&drv), GI_NO_ERROR);

  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, CHANNEL_MAP_NAME);
  ASSERT_NE(mapping, nullptr);
  const volatile RequestBlock *block =
      (const volatile RequestBlock *)MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  ASSERT_NE(block, nullptr);

  // A raw client posts a request that wants a reply and never reads it.
  std::string log = GyxMakeScratchDir("client") + "/dead.log";
  GyxProcess client;
  ASSERT_TRUE(client.Start(GyxBinPath("gyx_chanclient.exe"),
                           GyxJoinArgs({"--title", "dead", "--log", GyxWinPath(log), "--post",
                                        std::to_string(REQ_GET_DRIVER_INFO)})));
  std::string text;
  ASSERT_TRUE(GyxWaitFor(
      [&] { return GyxReadFile(log, &text) && text.find("posted rc=0") != std::string::npos; }, 15000))
      << text;
  // The driver answers (status 1 over the code), then the client dies.
  ASSERT_TRUE(GyxWaitFor([&] { return block->code == 1; }, 5000)) << block->code;
  ASSERT_TRUE(client.Kill());

  // The dead client's lock comes back abandoned, which fails the first call
  // (the channel treats an abandoned lock as not obtained).
  EXPECT_EQ(GiGetDriverInfo(&drv), GI_DRIVER_NOT_RESPONDING);
  // The next call waits for its own answer, however slow the driver is.
  int32_t held = -1;
  memset(&drv, 0, sizeof drv);
  WhileProcessHeld(driver.Pid(), 300, [&] { held = GiGetDriverInfo(&drv); });
  EXPECT_EQ(held, GI_NO_ERROR);
  EXPECT_STREQ(drv.version, "Gyrantrix Driver version 8.0");
  for (int i = 0; i < 5; i++) {
    memset(&drv, 0, sizeof drv);
    WhileProcessHeld(driver.Pid(), 50, [&] { held = GiGetDriverInfo(&drv); });
    EXPECT_EQ(held, GI_NO_ERROR) << i;
    EXPECT_STREQ(drv.version, "Gyrantrix Driver version 8.0") << i;
  }

  // A signal that is not this request's answer at all (released here by hand
  // while the driver is held) is not taken for it either: the code word still
  // holds the request, which the driver always overwrites with its status.
  HANDLE appPoke = OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, CHANNEL_APP_POKE);
  ASSERT_NE(appPoke, nullptr);
  uint8_t reply[272] = {0};
  int got = -100;
  WhileProcessHeld(driver.Pid(), 300, [&] {
    ASSERT_EQ(AppMmapSend(REQ_GET_DRIVER_INFO, nullptr, 0, 1), 0);
    ASSERT_TRUE(ReleaseSemaphore(appPoke, 1, nullptr));
    got = AppMmapReceive(reply, sizeof reply);
  });
  EXPECT_EQ(got, 272);
  memcpy(&drv, reply + 4, sizeof drv);
  EXPECT_STREQ(drv.version, "Gyrantrix Driver version 8.0");
  CloseHandle(appPoke);
  UnmapViewOfFile((const void *)block);
  CloseHandle(mapping);
}

}  // namespace
