// drvfixture.h: a running driver with simulated controllers behind it, for
// the Win32 tests of the driver. Each test gets a fresh driver on COM1 (and
// more ports when it asks) and leaves none behind.
#ifndef GYX_TESTS_DRVFIXTURE_H
#define GYX_TESTS_DRVFIXTURE_H

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "harness/harness.h"
#include "harness/rawclient.h"
#include "harness/sim.h"

class DriverTest : public GyxWineTest {
 protected:
  // The home directory named in "gyrantx.ini" (log, driver start).
  std::string home;
  std::string homeWin;
  GyxSim sims[5];  // by port number
  GyxProcess driver;

  void SetUp() override {
    GyxWineTest::SetUp();
    home = GyxMakeScratchDir("home");
    ASSERT_FALSE(home.empty());
    homeWin = GyxWinPath(home);
  }

  void TearDown() override {
    AppMmapDetach();
    if (driver.Started() && driver.Running()) {
      GyxProcess stop;
      stop.Start(GyxBinPath("gyxsrv.exe"), "-shutdown -force -quiet");
      stop.Wait(10000);
      driver.Wait(10000);
    }
    for (GyxSim &s : sims) GyxSimStop(&s);
    GyxRemoveIni();
    GyxWineTest::TearDown();
  }

  // "gyrantx.ini" naming each port's model in `ports` (e.g. {1, "Quorvanel 2200"}).
  std::string IniText(const std::vector<std::pair<int, std::string>> &ports) {
    std::string text = "[gyrantrix]\r\nhomedirectory=" + homeWin + "\r\nhomedir=" + homeWin + "\r\n";
    for (auto &p : ports) text += "[COM" + std::to_string(p.first) + ":]\r\ndevicetype=" + p.second + "\r\n";
    return text;
  }

  // Simulators on the given ports, the configuration, the driver, and a wait
  // until every device is initialised and the channel answers.
  void StartDriver(const std::vector<std::pair<int, std::string>> &ports = {{1, "Quorvanel 2200"}},
                   const std::string &args = "") {
    for (auto &p : ports)  // the simulator knows every model by its name
      ASSERT_EQ(GyxSimStart(&sims[p.first], p.first, p.second.c_str(), nullptr), GYXSIM_OK)
          << "COM" << p.first;
    ASSERT_TRUE(GyxWriteIni(IniText(ports)));
    ASSERT_TRUE(driver.Start(GyxBinPath("gyxsrv.exe"), args));
    for (auto &p : ports) {
      std::string r = GyxSimAsk(&sims[p.first], "waitinit timeout=20000");
      ASSERT_EQ(r.rfind("ok", 0), 0u) << r << "\n" << GyxSimLog(&sims[p.first]);
    }
    ASSERT_TRUE(WaitServing());
  }

  // The driver answers on its channel.
  static bool WaitServing(unsigned long ms = 20000) {
    return GyxWaitFor(
        [] {
          if (AppMmapAttach() != 0) return false;
          AppMmapDetach();
          return true;
        },
        ms, 50);
  }

  // The driver's box shown by process pid says `text` (or, with whole false,
  // contains it) and takes the answer `button`.
  static ::testing::AssertionResult AnswerBox(DWORD pid, const std::string &text, int button,
                                              bool whole = true) {
    HWND box = GyxWaitMessageBox("gyxsrv", 15000, pid);
    if (!box) return ::testing::AssertionFailure() << "no box from process " << pid;
    std::string got = GyxMessageBoxText(box);
    if (whole ? got != text : got.find(text) == std::string::npos)
      return ::testing::AssertionFailure() << "the box says: " << got;
    if (!GyxPressButton(box, button))
      return ::testing::AssertionFailure() << "button " << button << " not taken";
    return ::testing::AssertionSuccess();
  }

  // Runs "gyxsrv <args>" to its end; returns its exit code (~0ul if it hung).
  static unsigned long RunDriverCommand(const std::string &args, const std::vector<std::string> &env = {}) {
    GyxProcess p;
    if (!p.Start(GyxBinPath("gyxsrv.exe"), args, env)) return ~0ul;
    unsigned long code = ~0ul;
    if (!p.Wait(30000, &code)) return ~0ul;
    return code;
  }
};

#endif
