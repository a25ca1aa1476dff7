// installed_test.cpp: run by tests/install/install_test.sh in the Wine prefix
// it installs into. Installed: the installed test utility starts the
// installed driver from the home directory that the installer wrote into
// "gyrantx.ini", lists the simulated controller's events, and the installed
// driver's "-shutdown" ends it. InstallerWindow: the installer's pages driven
// as a user does (the script checks the files they leave).
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

// Every window below top with this class, in creation order.
std::vector<HWND> Descendants(HWND top, const char *cls) {
  struct Find {
    const char *cls;
    std::vector<HWND> found;
  } find{cls, {}};
  EnumChildWindows(
      top,
      [](HWND w, LPARAM p) -> BOOL {
        Find *f = reinterpret_cast<Find *>(p);
        char name[64];
        if (GetClassNameA(w, name, sizeof name) && lstrcmpiA(name, f->cls) == 0) f->found.push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&find));
  return find.found;
}

bool AnyTextIs(HWND top, const char *cls, const std::string &text) {
  for (HWND w : Descendants(top, cls))
    if (GyxUiText(w) == text) return true;
  return false;
}

std::vector<HWND> VisibleCombos(HWND top) {
  std::vector<HWND> combos;
  for (HWND w : Descendants(top, "ComboBox"))
    if (IsWindowVisible(w)) combos.push_back(w);
  return combos;
}

// "class \"caption\"" of every top-level window of process pid, for messages.
std::string WindowsOf(DWORD pid) {
  struct Seen {
    DWORD pid;
    std::string text;
  } seen{pid, {}};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        Seen *s = reinterpret_cast<Seen *>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != s->pid) return TRUE;
        char cls[64] = "";
        GetClassNameA(w, cls, sizeof cls);
        s->text +=
            std::string("\n  ") + cls + " \"" + GyxUiText(w) + "\"" + (IsWindowVisible(w) ? "" : " (hidden)");
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&seen));
  return seen.text;
}

class InstallerWindow : public GyxWineTest {};

// No configuration yet: the page offers the Quorvanel 2200 on COM1 and no
// controller elsewhere; the user adds a Quorvanel Stick on COM3.
TEST_F(InstallerWindow, PortsPageOffersAndTakesTheModels) {
  const std::string setup = GyxGetEnv("GYX_SETUP_EXE");
  ASSERT_FALSE(setup.empty()) << "GYX_SETUP_EXE names the installer";
  GyxProcess p;
  ASSERT_TRUE(p.Start(setup)) << setup << " error " << p.Error();
  GyxUiQuery q;
  q.cls = "#32770";
  q.pid = p.Pid();
  q.controlId = IDOK;
  HWND w = GyxUiWait(q, 30000);
  ASSERT_NE(w, nullptr) << "no installer window; the installer's windows:" << WindowsOf(p.Pid());
  // Each page adds its own words after the name.
  EXPECT_EQ(GyxUiText(w).rfind("Gyrantrix 8.0 Setup", 0), 0u) << GyxUiText(w);

  // The folder page proposes the place under Program Files.
  EXPECT_TRUE(
      GyxWaitFor([&] { return AnyTextIs(w, "Edit", "C:\\Program Files\\Halvorin\\Gyrantrix"); }, 10000));
  // Clicks are posted: the installer works out the next page before it answers.
  ASSERT_TRUE(GyxUiClickAsync(w, IDOK));

  std::vector<HWND> combos;
  ASSERT_TRUE(GyxWaitFor([&] { return (combos = VisibleCombos(w)).size() == 4; }, 10000))
      << combos.size() << " port lists";
  EXPECT_TRUE(AnyTextIs(w, "Static", "COM1:"));
  EXPECT_TRUE(AnyTextIs(w, "Static", "COM4:"));
  const char *const offered[4] = {"Quorvanel 2200", "(none)", "(none)", "(none)"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(GyxUiText(combos[i]), offered[i]) << "COM" << i + 1;
  EXPECT_EQ(SendMessageA(combos[2], CB_GETCOUNT, 0, 0), 5) << "none and the four models";
  // Items: (none), 2200, 3200, Stick, Lumeqaro.
  SendMessageA(combos[2], CB_SETCURSEL, 3, 0);
  EXPECT_EQ(GyxUiText(combos[2]), "Quorvanel Stick");
  // The page as the user sees it, for the README when $GYX_SHOT_DIR is set.
  const std::string shots = GyxGetEnv("GYX_SHOT_DIR");
  if (!shots.empty()) EXPECT_TRUE(GyxUiScreenshot(w, shots + "/installer-ports.png"));
  ASSERT_TRUE(GyxUiClickAsync(w, IDOK));

  // The files are copied, and the last page closes the installer.
  ASSERT_TRUE(GyxWaitFor([&] { return GyxUiItemText(w, IDOK) == "&Finish"; }, 60000))
      << GyxUiItemText(w, IDOK);
  ASSERT_TRUE(GyxUiClickAsync(w, IDOK));
  unsigned long code = ~0ul;
  ASSERT_TRUE(p.Wait(20000, &code));
  EXPECT_EQ(code, 0ul);
}

}  // namespace
