// lib_gyxmon_test.cpp: the console event monitor against the driver and a
// simulated controller: it takes the background slot, prints the events in
// the event test utility's wording, and ends on its count, its time, or the
// driver's end.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "drvfixture.h"

namespace {

// gyxmon with its standard output and error in files of a scratch directory.
class Monitor {
 public:
  ~Monitor() {
    if (pi_.hProcess) {
      if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
      CloseHandle(pi_.hProcess);
    }
  }
  bool Start(const std::string &args) {
    dir_ = GyxMakeScratchDir("gyxmon");
    if (dir_.empty()) return false;
    SECURITY_ATTRIBUTES sa = {sizeof sa, NULL, TRUE};
    HANDLE out = CreateFileA(GyxWinPath(dir_ + "/out.txt").c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS, 0, NULL);
    HANDLE err = CreateFileA(GyxWinPath(dir_ + "/err.txt").c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, CREATE_ALWAYS, 0, NULL);
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = NULL;
    si.hStdOutput = out;
    si.hStdError = err;
    std::string cmd = GyxQuoteArg(GyxWinPath(GyxBinPath("gyxmon.exe"))) + " " + args;
    BOOL ok = out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
              CreateProcessA(NULL, &cmd[0], NULL, NULL, TRUE, CREATE_NO_WINDOW, NULL, NULL, &si, &pi_);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    if (err != INVALID_HANDLE_VALUE) CloseHandle(err);
    if (ok) CloseHandle(pi_.hThread);
    return ok != FALSE;
  }
  // Exit code, or ~0ul when it did not end within ms.
  unsigned long Wait(unsigned long ms) {
    if (WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return ~0ul;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }
  std::string Out() const { return Read("/out.txt"); }
  std::string Err() const { return Read("/err.txt"); }
  bool Says(const std::string &text, unsigned long ms) const {
    return GyxWaitFor([&] { return Err().find(text) != std::string::npos; }, ms, 20);
  }

 private:
  std::string Read(const char *name) const {
    std::string text;
    GyxReadFile(dir_ + name, &text);
    std::string plain;  // the C runtime writes CR LF
    for (char c : text)
      if (c != '\r') plain += c;
    return plain;
  }
  std::string dir_;
  PROCESS_INFORMATION pi_ = {};
};

class GyxMon : public DriverTest {
 protected:
  void TearDown() override {
    if (window) DestroyWindow(window);
    DriverTest::TearDown();
  }
  void Sim(const char *line) {
    std::string r = GyxSimAsk(&sims[1], line);
    ASSERT_EQ(r.rfind("ok", 0), 0u) << line << ": " << r;
  }
  HWND window = nullptr;
};

const char kNoDriver[] = "Gyrantrix driver is not running or has been restarted";

TEST_F(GyxMon, PrintsEventsItGetsInTheBackground) {
  StartDriver();
  // This process is in front, with nothing open: the events go to the
  // background slot.
  window = RawMakeWindow("in front");
  ASSERT_NE(window, nullptr);
  Monitor mon;
  ASSERT_TRUE(mon.Start("--count 4"));
  ASSERT_TRUE(mon.Says("Listening to 1 device(s)", 20000)) << mon.Err();
  Sim("press 1");
  Sim("release all");
  Sim("move 10 -20 30 -40 50 -60 every=50");
  Sim("zero every=50");
  ASSERT_EQ(mon.Wait(15000), 0ul) << mon.Out() << mon.Err();
  EXPECT_EQ(mon.Out(),
            " 0) Button Event -> lst = 00000000, cur = 00000002, prs = 00000002, rel = 00000000\n"
            " 0) Button Event -> lst = 00000002, cur = 00000000, prs = 00000000, rel = 00000002\n"
            " 0) Motion Event -> tx = 10, ty = -20, tz = 30, rx = -40, ry = 50, rz = -60, per = 50\n"
            " 0) Motion Event -> tx = 0, ty = 0, tz = 0, rx = 0, ry = 0, rz = 0, per = 50\n");
  const std::string err = mon.Err();
  EXPECT_NE(err.find("Gyrantrix Driver version 8.0  (Build 15), January 31, 1997\n"), std::string::npos)
      << err;
  EXPECT_NE(err.find("Device 0 on port COM1: (Quorvanel 2200)\n"), std::string::npos) << err;
  EXPECT_EQ(err.find("background slot"), std::string::npos) << err;
  Sim("waitcmd Bf\\r timeout=5000");  // it closed its handle on the way out
}

TEST_F(GyxMon, DominantAxisOnly) {
  StartDriver();
  window = RawMakeWindow("in front");
  Monitor mon;
  ASSERT_TRUE(mon.Start("--single --count 1"));
  ASSERT_TRUE(mon.Says("Listening", 20000)) << mon.Err();
  Sim("move -5 0 0 0 0 5 every=50");
  ASSERT_EQ(mon.Wait(15000), 0ul) << mon.Err();
  EXPECT_EQ(mon.Out(), " 0) Motion Event -> dominant direction tx = -5, per = 50\n");
}

TEST_F(GyxMon, EndsAfterItsSeconds) {
  StartDriver();
  Monitor mon;
  ASSERT_TRUE(mon.Start("--seconds 1"));
  ASSERT_TRUE(mon.Says("Listening", 20000)) << mon.Err();
  EXPECT_EQ(mon.Wait(10000), 0ul);
  EXPECT_EQ(mon.Out(), "");
}

TEST_F(GyxMon, EndsWithStatus3WhenTheDriverGoes) {
  StartDriver();
  Monitor mon;
  ASSERT_TRUE(mon.Start(""));
  ASSERT_TRUE(mon.Says("Listening", 20000)) << mon.Err();
  ASSERT_EQ(RunDriverCommand("-shutdown -force -quiet"), 0u);
  EXPECT_EQ(mon.Wait(15000), 3ul);
  EXPECT_NE(mon.Err().find(std::string("Error getting event.  (") + kNoDriver + ")"), std::string::npos)
      << mon.Err();
}

TEST_F(GyxMon, WithoutADriverItSaysSoAndEnds) {
  ASSERT_TRUE(GyxWriteIni(IniText({{1, "Quorvanel 2200"}})));  // no gyxsrv.exe in the home directory
  Monitor mon;
  ASSERT_TRUE(mon.Start("--count 1"));
  EXPECT_EQ(mon.Wait(15000), 1ul);
  EXPECT_EQ(mon.Err(), std::string("Can't initialize Gyrantrix.   (") + kNoDriver + ")\n");
}

}  // namespace
