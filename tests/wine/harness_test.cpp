// harness_test.cpp: proves the Win32 test harness against real processes under
// Wine: paths and quoting, Win32 children (exit codes, environment, kill),
// message boxes of another process, profile files, Linux children, and the
// environment that scripts/wineenv.sh sets up.
#include "harness/harness.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

const char kChild[] = "gyx_testchild.exe";

std::string Child() {
  return GyxBinPath(kChild);
}

// The child's exit code, or ~0 when it did not end within 10 s.
unsigned long RunChild(const std::vector<std::string> &args, const std::vector<std::string> &env = {},
                       const std::string &cwd = "") {
  GyxProcess p;
  if (!p.Start(Child(), GyxJoinArgs(args), env, cwd)) return ~0ul;
  unsigned long code = ~0ul;
  return p.Wait(10000, &code) ? code : ~0ul;
}

// ---------------------------------------------------------------- paths, quoting

TEST(HarnessPath, LinuxPathsBecomeDriveZ) {
  const struct {
    const char *in;
    const char *out;
  } cases[] = {
      {"/", "Z:\\"},
      {"/tmp/a b/c.ini", "Z:\\tmp\\a b\\c.ini"},
      {"C:\\windows\\gyrantx.ini", "C:\\windows\\gyrantx.ini"},
      {"relative/dir", "relative\\dir"},
      {"", ""},
  };
  for (const auto &c : cases) EXPECT_EQ(GyxWinPath(c.in), c.out) << c.in;
}

TEST(HarnessPath, BuiltProgramsAreFoundThroughDriveZ) {
  EXPECT_EQ(GyxBinPath("gyxsrv.exe"), std::string(GYX_BINARY_DIR) + "/bin/gyxsrv.exe");
  EXPECT_TRUE(GyxFileExists(GyxBinWinPath(kChild))) << GyxBinWinPath(kChild);
  EXPECT_TRUE(GyxFileExists(GyxSourcePath("tests/wine/harness_test.cpp")));
}

TEST(HarnessPath, ScratchDirectoriesAreNewAndDistinct) {
  const std::string a = GyxMakeScratchDir("ht");
  const std::string b = GyxMakeScratchDir("ht");
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  EXPECT_NE(a, b);
  EXPECT_TRUE(GyxWriteFile(a + "/f", "x"));
}

// Strings that trip naive quoting: blanks, quotes, backslashes before quotes
// and at the end, the empty string.
const char *const kTrickyArgs[] = {
    "plain",
    "two words",
    "quote\"inside",
    "trailing\\",
    "trailing blank\\",
    "back\\\\slash \\\"q",
    "C:\\Program Files\\x",
    "",
    "tab\there",
};

TEST(HarnessQuote, CommandLineToArgvGivesBackEachArgument) {
  for (const char *arg : kTrickyArgs) {
    const std::string line = "prog " + GyxQuoteArg(arg);
    const std::wstring wline(line.begin(), line.end());
    int argc = 0;
    LPWSTR *argv = CommandLineToArgvW(wline.c_str(), &argc);
    ASSERT_NE(argv, nullptr);
    ASSERT_EQ(argc, 2) << line;
    const std::wstring got(argv[1]);
    LocalFree(argv);
    EXPECT_EQ(std::string(got.begin(), got.end()), arg) << line;
  }
}

// ---------------------------------------------------------------- Win32 children

class HarnessProcess : public GyxWineTest {};

TEST_F(HarnessProcess, ExitCodeIsReadBack) {
  for (unsigned long code : {0ul, 3ul, 255ul, 1000ul}) {
    EXPECT_EQ(RunChild({"exit", std::to_string(code)}), code);
  }
}

TEST_F(HarnessProcess, WaitTimesOutWhileRunningThenSucceeds) {
  GyxProcess p;
  ASSERT_TRUE(p.Start(Child(), "sleep 1500 4")) << p.Error();
  EXPECT_NE(p.Pid(), 0u);
  EXPECT_TRUE(p.Running());
  EXPECT_FALSE(p.Wait(100));
  EXPECT_EQ(p.ExitCode(), static_cast<unsigned long>(STILL_ACTIVE));
  unsigned long code = 0;
  ASSERT_TRUE(p.Wait(10000, &code));
  EXPECT_EQ(code, 4u);
  EXPECT_FALSE(p.Running());
}

TEST_F(HarnessProcess, KillEndsAHangingChildWithTheGivenCode) {
  GyxProcess p;
  ASSERT_TRUE(p.Start(Child(), "hang"));
  EXPECT_FALSE(p.Wait(200));
  EXPECT_TRUE(p.Kill(9));
  EXPECT_EQ(p.ExitCode(), 9u);
}

TEST_F(HarnessProcess, DestructorKillsAChildStillRunning) {
  DWORD pid = 0;
  {
    GyxProcess p;
    ASSERT_TRUE(p.Start(Child(), "hang"));
    pid = p.Pid();
    EXPECT_EQ(GyxCountProcessesNamed(kChild), 1);
  }
  EXPECT_EQ(GyxCountProcessesNamed(kChild), 0) << "child " << pid << " survived";
}

TEST_F(HarnessProcess, MissingProgramFailsWithItsError) {
  GyxProcess p;
  EXPECT_FALSE(p.Start(GyxBinPath("no_such_program.exe")));
  EXPECT_EQ(p.Error(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(p.Started());
  EXPECT_FALSE(p.Running());
}

TEST_F(HarnessProcess, ArgumentsArriveIntactInTheChild) {
  // The child compares its argument with the variable: quoting and environment
  // both have to be right for a 0.
  for (const char *value : kTrickyArgs) {
    EXPECT_EQ(RunChild({"env", "GYX_HT_VALUE", value}, {std::string("GYX_HT_VALUE=") + value}), 0u)
        << "[" << value << "]";
  }
}

TEST_F(HarnessProcess, EnvironmentIsInheritedChangedAndRemoved) {
  ASSERT_TRUE(SetEnvironmentVariableA("GYX_HT_INHERITED", "yes"));
  EXPECT_EQ(RunChild({"env", "GYX_HT_INHERITED", "yes"}), 0u);
  EXPECT_EQ(RunChild({"env", "GYX_HT_INHERITED", "yes"}, {"GYX_HT_INHERITED=no"}), 1u);
  EXPECT_EQ(RunChild({"env", "GYX_HT_INHERITED", "yes"}, {"GYX_HT_INHERITED"}), 2u);
  // Names compare without regard to case, as Windows does.
  EXPECT_EQ(RunChild({"env", "GYX_HT_INHERITED", "yes"}, {"gyx_ht_inherited"}), 2u);
  // An empty value still defines the variable (DEBUG_GYRANTRIX relies on that).
  EXPECT_EQ(RunChild({"env", "DEBUG_GYRANTRIX", ""}, {"DEBUG_GYRANTRIX="}), 0u);
  EXPECT_EQ(RunChild({"env", "DEBUG_GYRANTRIX", ""}, {"DEBUG_GYRANTRIX"}), 2u);
  SetEnvironmentVariableA("GYX_HT_INHERITED", nullptr);
}

TEST_F(HarnessProcess, WorkingDirectoryIsSet) {
  const std::string dir = GyxMakeScratchDir("cwd");
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(RunChild({"cwd", GyxWinPath(dir)}, {}, dir), 0u);
  EXPECT_EQ(RunChild({"cwd", GyxWinPath(dir)}), 1u);
}

TEST_F(HarnessProcess, KillByNameEndsEveryCopyAndOnlyThose) {
  // The same program under another name is left alone.
  const std::string renamed = GyxMakeScratchDir("rename") + "/other_child.exe";
  ASSERT_TRUE(GyxCopyFile(Child(), renamed));
  GyxProcess a, b, other;
  ASSERT_TRUE(a.Start(Child(), "hang"));
  ASSERT_TRUE(b.Start(Child(), "hang"));
  ASSERT_TRUE(other.Start(renamed, "hang"));
  EXPECT_EQ(GyxCountProcessesNamed(kChild), 2);
  EXPECT_EQ(GyxCountProcessesNamed("GYX_TESTCHILD.EXE"), 2);
  EXPECT_EQ(GyxKillProcessesNamed(kChild), 2);
  EXPECT_EQ(GyxCountProcessesNamed(kChild), 0);
  EXPECT_TRUE(a.Wait(1000));
  EXPECT_TRUE(b.Wait(1000));
  EXPECT_TRUE(other.Running());
  EXPECT_EQ(GyxKillProcessesNamed(kChild), 0);
}

TEST_F(HarnessProcess, FixtureClearsProgramsLeftByAnEarlierTest) {
  // A child nobody owns any more, as a crashed test would leave it.
  GyxProcess p;
  ASSERT_TRUE(p.Start(Child(), "hang"));
  EXPECT_EQ(GyxKillSystemPrograms(), 1);
  EXPECT_TRUE(p.Wait(1000));
}

// ---------------------------------------------------------------- message boxes

class HarnessMsgBox : public GyxWineTest {};

TEST_F(HarnessMsgBox, PressedButtonIsTheChildsAnswer) {
  const struct {
    const char *type;
    int button;
    unsigned long answer;
  } cases[] = {{"ok", IDOK, 1}, {"yesno", IDYES, 6}, {"yesno", IDNO, 7}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.type + std::string(" / ") + std::to_string(c.button));
    GyxProcess child;
    ASSERT_TRUE(child.Start(Child(), GyxJoinArgs({"msgbox", "Harness Box", "Press me.", c.type})));
    HWND box = GyxWaitMessageBox("Harness Box", 10000, child.Pid());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GyxMessageBoxText(box), "Press me.");
    ASSERT_TRUE(GyxPressButton(box, c.button));
    unsigned long code = 0;
    ASSERT_TRUE(child.Wait(5000, &code));
    EXPECT_EQ(code, c.answer);
  }
}

TEST_F(HarnessMsgBox, LongTextWithLineBreaksIsReadWhole) {
  std::string text(600, 'x');
  text += "\n\nForce driver to shut down?";
  GyxProcess child;
  ASSERT_TRUE(child.Start(Child(), GyxJoinArgs({"msgbox", "Harness Long", text, "yesno"})));
  HWND box = GyxWaitMessageBox("Harness Long", 10000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(GyxMessageBoxText(box), text);
  EXPECT_FALSE(GyxPressButton(box, IDOK, 500)) << "a Yes/No box has no OK button";
  ASSERT_TRUE(GyxPressButton(box, IDNO));
  unsigned long code = 0;
  ASSERT_TRUE(child.Wait(5000, &code));
  EXPECT_EQ(code, 7u);
}

TEST_F(HarnessMsgBox, OnlyTheCaptionAndProcessAskedForMatch) {
  GyxProcess child;
  ASSERT_TRUE(child.Start(Child(), GyxJoinArgs({"msgbox", "Harness Match", "m", "ok"})));
  ASSERT_NE(GyxWaitMessageBox("Harness Match", 10000), nullptr);
  EXPECT_EQ(GyxFindMessageBox("Harness Matc"), nullptr);
  EXPECT_EQ(GyxFindMessageBox("Harness Match!"), nullptr);
  EXPECT_EQ(GyxFindMessageBox("Harness Match", GetCurrentProcessId()), nullptr);
  EXPECT_NE(GyxFindMessageBox("Harness Match", child.Pid()), nullptr);
  EXPECT_FALSE(GyxNoMessageBoxFor("Harness Match", 100));
  EXPECT_TRUE(GyxNoMessageBoxFor("Harness Absent", 300));
}

TEST_F(HarnessMsgBox, NoBoxIsReportedAfterItsTimeOut) {
  const unsigned long long start = GyxNowMs();
  EXPECT_EQ(GyxWaitMessageBox("Harness Never", 300), nullptr);
  EXPECT_GE(GyxNowMs() - start, 300u);
}

TEST_F(HarnessMsgBox, ToolFindsPressesAndReportsAbsence) {
  GyxProcess child;
  ASSERT_TRUE(child.Start(Child(), GyxJoinArgs({"msgbox", "Harness Tool", "t", "yesno"})));
  unsigned long toolCode = ~0ul;
  {
    GyxProcess tool;
    ASSERT_TRUE(tool.Start(GyxBinPath("gyx_msgbox.exe"),
                           GyxJoinArgs({"Harness Tool", "--press", "no", "--timeout", "10000"})));
    ASSERT_TRUE(tool.Wait(15000, &toolCode));
  }
  EXPECT_EQ(toolCode, 0u);
  unsigned long code = 0;
  ASSERT_TRUE(child.Wait(5000, &code));
  EXPECT_EQ(code, 7u);

  const struct {
    std::vector<std::string> args;
    unsigned long code;
  } cases[] = {
      {{"Harness Tool", "--timeout", "200"}, 1},
      {{"Harness Tool", "--press", "maybe"}, 2},
      {{"--timeout", "200"}, 2},
  };
  for (const auto &c : cases) {
    GyxProcess tool;
    ASSERT_TRUE(tool.Start(GyxBinPath("gyx_msgbox.exe"), GyxJoinArgs(c.args)));
    unsigned long got = ~0ul;
    ASSERT_TRUE(tool.Wait(10000, &got));
    EXPECT_EQ(got, c.code) << GyxJoinArgs(c.args);
  }
}

TEST(HarnessMsgBoxNames, ButtonNamesMapToIds) {
  EXPECT_EQ(GyxButtonId("ok"), IDOK);
  EXPECT_EQ(GyxButtonId("YES"), IDYES);
  EXPECT_EQ(GyxButtonId("no"), IDNO);
  EXPECT_EQ(GyxButtonId("cancel"), IDCANCEL);
  EXPECT_EQ(GyxButtonId("1002"), 1002);
  EXPECT_EQ(GyxButtonId("maybe"), 0);
  EXPECT_EQ(GyxButtonId("12x"), 0);
  EXPECT_EQ(GyxButtonId("0"), 0);
}

// ---------------------------------------------------------------- files

std::string ReadProfile(const char *section, const char *key, const char *file) {
  char buf[256];
  GetPrivateProfileStringA(section, key, "(default)", buf, sizeof buf, file);
  return buf;
}

TEST(HarnessConfig, IniIsWhereTheProfileFunctionsLook) {
  ASSERT_TRUE(GyxWriteIni("[gyrantrix]\r\nhomedirectory=Z:\\tmp\\first\r\n"));
  EXPECT_EQ(ReadProfile("gyrantrix", "homedirectory", "gyrantx.ini"), "Z:\\tmp\\first");
  EXPECT_EQ(ReadProfile("GYRANTRIX", "HomeDirectory", "gyrantx.ini"), "Z:\\tmp\\first");
  // Rewritten at once: the new text is read, not a cached copy.
  ASSERT_TRUE(GyxWriteIni("[gyrantrix]\r\nhomedirectory=Z:\\tmp\\second\r\n"));
  EXPECT_EQ(ReadProfile("gyrantrix", "homedirectory", "gyrantx.ini"), "Z:\\tmp\\second");
  ASSERT_TRUE(GyxRemoveIni());
  EXPECT_FALSE(GyxFileExists(GyxIniPath()));
  EXPECT_EQ(ReadProfile("gyrantrix", "homedirectory", "gyrantx.ini"), "(default)");
  EXPECT_TRUE(GyxRemoveIni()) << "removing a missing file succeeds";
}

TEST(HarnessConfig, AppFileHoldsNameAndLabels) {
  const std::string dir = GyxMakeScratchDir("app");
  ASSERT_FALSE(dir.empty());
  const std::string file = GyxWinPath(dir + "/jet.ini");
  ASSERT_TRUE(GyxWriteAppFile(file, GyxAppFileText("Jet Demo", {"Fire", "Zoom", "", "B4", "B5", "B6", "B7",
                                                                "B8", "B9", "L", "R", "extra"})));
  EXPECT_EQ(ReadProfile("Gyrantrix", "appName", file.c_str()), "Jet Demo");
  EXPECT_EQ(ReadProfile("Gyrantrix", "button1", file.c_str()), "Fire");
  EXPECT_EQ(ReadProfile("Gyrantrix", "button3", file.c_str()), "");
  EXPECT_EQ(ReadProfile("Gyrantrix", "leftbutton", file.c_str()), "L");
  EXPECT_EQ(ReadProfile("Gyrantrix", "rightbutton", file.c_str()), "R");
  ASSERT_TRUE(GyxWriteAppFile(file, GyxAppFileText("", {"Only"})));
  EXPECT_EQ(ReadProfile("Gyrantrix", "appName", file.c_str()), "(default)");
  EXPECT_EQ(ReadProfile("Gyrantrix", "button2", file.c_str()), "(default)");
}

TEST(HarnessConfig, LogIsReadAndDeleted) {
  const std::string home = GyxWinPath(GyxMakeScratchDir("home"));
  std::string text;
  EXPECT_FALSE(GyxReadLog(home, &text));
  EXPECT_TRUE(GyxDeleteLog(home)) << "a missing log counts as deleted";
  ASSERT_TRUE(GyxAppendFile(GyxLogPath(home), "(appgi.cpp:10) 8\n"));
  ASSERT_TRUE(GyxAppendFile(GyxLogPath(home), "(dvrmmap.cpp:20) -3\n"));
  ASSERT_TRUE(GyxReadLog(home, &text));
  EXPECT_EQ(text, "(appgi.cpp:10) 8\n(dvrmmap.cpp:20) -3\n");
  EXPECT_TRUE(GyxDeleteLog(home));
  EXPECT_FALSE(GyxFileExists(GyxLogPath(home)));
}

TEST(HarnessConfig, FilesCopyAndDirectoriesNest) {
  const std::string dir = GyxMakeScratchDir("files") + "/a/b c/d";
  ASSERT_TRUE(GyxMakeDirs(dir));
  ASSERT_TRUE(GyxMakeDirs(dir)) << "an existing directory is fine";
  ASSERT_TRUE(GyxCopyFile(GyxBinPath(kChild), dir + "/copy.exe"));
  unsigned long code = ~0ul;
  GyxProcess p;
  ASSERT_TRUE(p.Start(dir + "/copy.exe", "exit 12"));
  ASSERT_TRUE(p.Wait(10000, &code));
  EXPECT_EQ(code, 12u);
}

// ---------------------------------------------------------------- Linux children

TEST(HarnessLinux, OwnPidIsTheLinuxPid) {
  const long pid = GyxLinuxPidOfSelf();
  ASSERT_GT(pid, 0);
  EXPECT_EQ(GyxLinuxPidOfSelf(), pid);
  // Wine shows the Windows command line as the Linux one.
  std::string cmdline;
  ASSERT_TRUE(GyxReadFile("/proc/" + std::to_string(pid) + "/cmdline", &cmdline));
  EXPECT_NE(cmdline.find("harness_test"), std::string::npos) << cmdline;
}

TEST(HarnessLinux, ExitStatusAndOutputAreReadBack) {
  const struct {
    const char *script;
    int code;
    const char *output;
  } cases[] = {
      {"echo out; echo err >&2; exit 7", 7, "out\nerr\n"},
      {"exit 0", 0, ""},
      {"printf 'a b'; kill -9 $$", 137, "a b"},
  };
  for (const auto &c : cases) {
    GyxLinuxProcess p;
    ASSERT_TRUE(p.Start({"/bin/sh", "-c", c.script})) << c.script;
    EXPECT_GT(p.Pid(), 0);
    int code = -1;
    ASSERT_TRUE(p.Wait(10000, &code)) << c.script;
    EXPECT_EQ(code, c.code) << c.script;
    EXPECT_EQ(p.Output(), c.output) << c.script;
    EXPECT_FALSE(p.Running());
  }
}

TEST(HarnessLinux, ArgumentsAndEnvironmentArriveIntact) {
  GyxLinuxProcess p;
  ASSERT_TRUE(p.Start(
      {"/bin/sh", "-c", "printf '[%s]' \"$1\" \"$2\" \"$GYX_HT_V\"", "sh", "it's", "a \"b\" \\c $HOME"},
      {"GYX_HT_V=x'y z"}));
  ASSERT_TRUE(p.Wait(10000));
  EXPECT_EQ(p.Output(), "[it's][a \"b\" \\c $HOME][x'y z]");
}

TEST(HarnessLinux, StopEndsARunningProgram) {
  GyxLinuxProcess p;
  ASSERT_TRUE(p.Start({"/bin/sleep", "60"}));
  EXPECT_TRUE(p.Running());
  EXPECT_FALSE(p.Wait(200));
  EXPECT_EQ(p.ExitCode(), -1);
  int code = -1;
  const unsigned long long start = GyxNowMs();
  ASSERT_TRUE(p.Stop(5000, &code));
  EXPECT_EQ(code, 128 + 15);
  EXPECT_LT(GyxNowMs() - start, 2000u);
  EXPECT_FALSE(p.Running());
  EXPECT_TRUE(p.Stop()) << "stopping again is harmless";
}

TEST(HarnessLinux, ProgramIgnoringTermIsKilled) {
  GyxLinuxProcess p;
  ASSERT_TRUE(p.Start({"/bin/sh", "-c", "trap '' TERM; echo ready; while :; do sleep 0.1; done"}));
  ASSERT_TRUE(GyxWaitFor([&] { return p.Output() == "ready\n"; }, 5000));
  int code = -1;
  ASSERT_TRUE(p.Stop(10000, &code));
  EXPECT_EQ(code, 128 + 9);
}

TEST(HarnessLinux, DestructorStopsTheProgram) {
  GyxLinuxProcess watcher;
  {
    GyxLinuxProcess inner;
    ASSERT_TRUE(inner.Start({"/bin/sleep", "60"}));
    ASSERT_TRUE(watcher.Start(
        {"/bin/sh", "-c",
         "while kill -0 " + std::to_string(inner.Pid()) + " 2>/dev/null; do sleep 0.05; done; echo gone"}));
  }
  ASSERT_TRUE(watcher.Wait(5000));
  EXPECT_EQ(watcher.Output(), "gone\n");
}

// Started by the next test as a separate Win32 process, which it then kills:
// the Linux program must not outlive it. Writes the program's directory into
// the file named by GYX_HT_REPORT, then hangs.
TEST(HarnessLinux, DISABLED_HelperStartsProgramAndHangs) {
  GyxLinuxProcess p;
  ASSERT_TRUE(p.Start({"/bin/sleep", "60"}));
  ASSERT_TRUE(GyxWriteFile(GyxGetEnv("GYX_HT_REPORT"), p.Dir()));
  Sleep(INFINITE);
}

TEST_F(HarnessProcess, LinuxProgramEndsWhenTheTestProcessDies) {
  char self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, self, sizeof self), 0u);
  const std::string report = GyxMakeScratchDir("owner") + "/report";
  GyxProcess helper;
  ASSERT_TRUE(helper.Start(self,
                           "--gtest_filter=HarnessLinux.DISABLED_HelperStartsProgramAndHangs "
                           "--gtest_also_run_disabled_tests",
                           {"GYX_HT_REPORT=" + report}));
  std::string dir;
  ASSERT_TRUE(GyxWaitFor([&] { return GyxReadFile(report, &dir) && !dir.empty(); }, 20000));
  EXPECT_FALSE(GyxFileExists(dir + "/rc")) << "the program ended too early";
  ASSERT_TRUE(helper.Kill());
  ASSERT_TRUE(GyxWaitFor([&] { return GyxFileExists(dir + "/rc"); }, 5000))
      << "the Linux program outlived its test process";
  std::string rc;
  GyxReadFile(dir + "/rc", &rc);
  EXPECT_EQ(rc, "143\n");
}

// ---------------------------------------------------------------- the run environment

TEST(HarnessEnvironment, ComPortsAreMappedIntoTheRunDirectory) {
  const std::string run = GyxRunDir();
  if (run.empty()) GTEST_SKIP() << "not started by scripts/wineenv.sh";
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine\\Ports", 0, KEY_READ, &key), ERROR_SUCCESS);
  for (int n = 1; n <= 4; ++n) {
    char value[512] = {};
    DWORD size = sizeof value - 1;
    const std::string name = "COM" + std::to_string(n);
    EXPECT_EQ(RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE *>(value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(value), run + "/com" + std::to_string(n));
  }
  RegCloseKey(key);
  EXPECT_EQ(GyxGetEnv("GYX_MODEM_DIR"), run + "/modem");
}

TEST(HarnessEnvironment, LinuxProgramsInheritTheRunVariables) {
  if (GyxRunDir().empty()) GTEST_SKIP() << "not started by scripts/wineenv.sh";
  GyxLinuxProcess p;
  ASSERT_TRUE(
      p.Start({"/bin/sh", "-c", "printf '%s|%s|%s' \"$GYX_RUN_DIR\" \"$GYX_MODEM_DIR\" \"$LD_PRELOAD\""}));
  ASSERT_TRUE(p.Wait(10000));
  // LD_PRELOAD (the modem-line shim, when built) must reach the simulator's side too.
  EXPECT_EQ(p.Output(), GyxRunDir() + "|" + GyxRunDir() + "/modem|" + GyxGetEnv("LD_PRELOAD"));
}

TEST(HarnessEnvironment, VirtualDesktopIsConfigured) {
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Explorer\\Desktops", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  char value[64] = {};
  DWORD size = sizeof value - 1;
  EXPECT_EQ(RegQueryValueExA(key, "Default", nullptr, nullptr, reinterpret_cast<BYTE *>(value), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(value, "1280x1000");
  RegCloseKey(key);
}

}  // namespace
