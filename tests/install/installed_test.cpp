// installed_test.cpp: the programs as the installer left them, run by
// tests/install/install_test.sh in the Wine prefix it installed into. The
// installed test utility starts the installed driver from the home directory
// that the installer wrote into "gyrantx.ini", lists the simulated
// controller's events, and the installed driver's "-shutdown" ends it.
#include <gtest/gtest.h>

#include <windows.h>

#include <tlhelp32.h>

#include <string>
#include <vector>

#include "evtview/evtview_res.h"
#include "harness/harness.h"
#include "harness/sim.h"

namespace {

const char kTitle[] = "Gyrantrix Test Utility";

// Full image paths of the running processes named exe.
std::vector<std::string> ImagesNamed(const char *exe) {
  std::vector<std::string> paths;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return paths;
  PROCESSENTRY32 pe;
  pe.dwSize = sizeof pe;
  for (BOOL more = Process32First(snap, &pe); more; more = Process32Next(snap, &pe)) {
    if (lstrcmpiA(pe.szExeFile, exe) != 0) continue;
    HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pe.th32ProcessID);
    if (!p) continue;
    char path[MAX_PATH];
    DWORD n = sizeof path;
    if (QueryFullProcessImageNameA(p, 0, path, &n)) paths.emplace_back(path, n);
    CloseHandle(p);
  }
  CloseHandle(snap);
  return paths;
}

class Installed : public GyxWineTest {
 protected:
  void SetUp() override {
    GyxWineTest::SetUp();
    home = GyxGetEnv("GYX_INSTALLED_HOME");
    ASSERT_FALSE(home.empty()) << "GYX_INSTALLED_HOME names the installed programs' folder";
  }
  void TearDown() override {
    GyxSimStop(&sim);
    GyxWineTest::TearDown();
  }
  void Sim(const char *line) {
    std::string r = GyxSimAsk(&sim, line);
    ASSERT_EQ(r.rfind("ok", 0), 0u) << line << ": " << r << "\n" << GyxSimLog(&sim);
  }
  std::string home;
  GyxSim sim;
};

TEST_F(Installed, TestUtilityStartsTheInstalledDriverAndListsEvents) {
  ASSERT_EQ(GyxSimStart(&sim, 1, "2200", nullptr), GYXSIM_OK);
  GyxProcess app;
  ASSERT_TRUE(app.Start(home + "\\evtview.exe")) << home << " error " << app.Error();
  HWND dlg = GyxUiWaitDialog(kTitle, 30000, app.Pid(), IDC_LIST);
  ASSERT_NE(dlg, nullptr) << "no main dialog";

  // The driver that answered is the installed one, started by the library
  // from the configured home directory.
  std::vector<std::string> drivers = ImagesNamed("gyxsrv.exe");
  ASSERT_EQ(drivers.size(), 1u);
  EXPECT_EQ(lstrcmpiA(drivers[0].c_str(), (home + "\\gyxsrv.exe").c_str()), 0) << drivers[0];
  EXPECT_EQ(GyxUiItemText(dlg, IDC_DRV_VERSION), "Gyrantrix Driver version 8.0  (Build 15)");

  ASSERT_TRUE(GyxUiForeground(dlg));
  Sim("waitcmd BcCc\\r timeout=5000");  // the open's beep
  Sim("press 1");
  const std::string want =
      " 0) Button Event -> lst = 00000000, cur = 00000002, prs = 00000002, rel = 00000000";
  std::vector<std::string> lines;
  EXPECT_TRUE(GyxWaitFor(
      [&] {
        lines = GyxUiListLines(dlg, IDC_LIST);
        return !lines.empty() && lines.back() == want;
      },
      10000))
      << (lines.empty() ? std::string("(empty list)") : lines.back());
  Sim("release all");

  GyxProcess stop;
  ASSERT_TRUE(stop.Start(home + "\\gyxsrv.exe", "-shutdown -force -quiet"));
  unsigned long code = ~0ul;
  ASSERT_TRUE(stop.Wait(20000, &code));
  EXPECT_EQ(code, 0ul) << "-shutdown -force -quiet";
  EXPECT_TRUE(GyxWaitFor([] { return GyxCountProcessesNamed("gyxsrv.exe") == 0; }, 10000));
  app.Kill();
}

}  // namespace
