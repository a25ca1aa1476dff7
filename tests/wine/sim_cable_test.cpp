// The virtual null-modem cable: a Win32 program opens "COM1:" the way the
// driver does (overlapped, 9600 8N1, DTR/RTS raised, EV_RXCHAR wait) and
// talks to the controller simulator on the pty behind it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "harness/gyxfixture.h"
#include "harness/gyxpath.h"
#include "harness/gyxwait.h"
#include "harness/sim.h"

namespace {

class SimCable : public GyxWineTest {
 protected:
  void SetUp() override {
    GyxWineTest::SetUp();
    readEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    writeEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(readEvent_, nullptr);
    ASSERT_NE(writeEvent_, nullptr);
  }

  void TearDown() override {
    if (port_ != INVALID_HANDLE_VALUE) ClosePort();
    GyxSimStop(&sim_);
    CloseHandle(readEvent_);
    CloseHandle(writeEvent_);
    GyxWineTest::TearDown();
  }

  void StartSim(const char *model, const char *extra = "") {
    ASSERT_EQ(GyxSimStart(&sim_, 1, model, extra), GYXSIM_OK) << GyxSimLog(&sim_);
  }

  // As the driver opens a port for a Quorvanel.
  void OpenPort() {
    port_ = CreateFileA("COM1:", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                        FILE_FLAG_OVERLAPPED | FILE_FLAG_NO_BUFFERING, nullptr);
    ASSERT_NE(port_, INVALID_HANDLE_VALUE) << "error " << GetLastError();
    DCB dcb;
    memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(port_, &dcb)) << "error " << GetLastError();
    saved_ = dcb;
    dcb.BaudRate = 9600;
    dcb.ByteSize = 8;
    dcb.StopBits = ONESTOPBIT;
    dcb.Parity = NOPARITY;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    ASSERT_TRUE(SetCommState(port_, &dcb)) << "error " << GetLastError();
    EXPECT_TRUE(EscapeCommFunction(port_, SETRTS)) << "error " << GetLastError();
    EXPECT_TRUE(EscapeCommFunction(port_, SETDTR)) << "error " << GetLastError();
    COMMTIMEOUTS t = {MAXDWORD, 0, 0, 0, 0};
    ASSERT_TRUE(SetCommTimeouts(port_, &t));
    ASSERT_TRUE(SetCommMask(port_, EV_RXCHAR));
  }

  // As the driver closes it: purge, restore with DTR and RTS dropped, close.
  void ClosePort() {
    PurgeComm(port_, PURGE_TXABORT);
    PurgeComm(port_, PURGE_RXABORT);
    PurgeComm(port_, PURGE_TXCLEAR);
    PurgeComm(port_, PURGE_RXCLEAR);
    DCB dcb = saved_;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    EXPECT_TRUE(SetCommState(port_, &dcb)) << "error " << GetLastError();
    EXPECT_TRUE(CloseHandle(port_));
    port_ = INVALID_HANDLE_VALUE;
  }

  void Write(const std::string &bytes) {
    OVERLAPPED ov;
    memset(&ov, 0, sizeof ov);
    ov.hEvent = writeEvent_;
    ResetEvent(writeEvent_);
    DWORD done = 0;
    if (!WriteFile(port_, bytes.data(), (DWORD)bytes.size(), &done, &ov)) {
      ASSERT_EQ(GetLastError(), (DWORD)ERROR_IO_PENDING);
      ASSERT_TRUE(GetOverlappedResult(port_, &ov, &done, TRUE));
    }
    ASSERT_EQ(done, bytes.size());
  }

  // Waits for EV_RXCHAR and reads what came, until count bytes or the
  // time-out. Every wait must end with EV_RXCHAR: an aborted wait (error
  // 995) is what a pty without modem lines gives.
  std::string Read(size_t count, DWORD timeoutMs) {
    std::string out;
    const unsigned long long deadline = GyxNowMs() + timeoutMs;
    while (out.size() < count) {
      OVERLAPPED ov;
      memset(&ov, 0, sizeof ov);
      ov.hEvent = readEvent_;
      ResetEvent(readEvent_);
      DWORD mask = 0, got = 0;
      if (!WaitCommEvent(port_, &mask, &ov)) {
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_IO_PENDING);
        if (GetLastError() != ERROR_IO_PENDING) break;
        unsigned long long now = GyxNowMs();
        DWORD left = now < deadline ? (DWORD)(deadline - now) : 0;
        if (WaitForSingleObject(readEvent_, left) != WAIT_OBJECT_0) {
          SetCommMask(port_, EV_RXCHAR);  // ends the pending wait
          GetOverlappedResult(port_, &ov, &got, TRUE);
          break;
        }
        EXPECT_TRUE(GetOverlappedResult(port_, &ov, &got, FALSE)) << "error " << GetLastError();
      }
      EXPECT_TRUE(mask & EV_RXCHAR) << "mask " << mask;
      char buf[256];
      memset(&ov, 0, sizeof ov);
      ov.hEvent = readEvent_;
      ResetEvent(readEvent_);
      if (ReadFile(port_, buf, sizeof buf, &got, &ov))
        out.append(buf, got);
      else
        ADD_FAILURE() << "ReadFile after EV_RXCHAR did not complete at once: error " << GetLastError();
    }
    return out;
  }

  GyxSim sim_;
  HANDLE port_ = INVALID_HANDLE_VALUE;
  HANDLE readEvent_ = nullptr;
  HANDLE writeEvent_ = nullptr;
  DCB saved_;
};

const char kProbe[] = "hv\r";

// Whether the Linux directory lists an entry of that name. (Asking for the
// file itself does not tell: "com1" is a DOS device name in any directory.)
bool Listed(const std::string &linuxDir, const std::string &name) {
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((GyxWinPath(linuxDir) + "\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool seen = false;
  do seen = seen || name == found.cFileName;
  while (FindNextFileA(h, &found));
  FindClose(h);
  return seen;
}

TEST_F(SimCable, ProbeGetsTheFirmwareReplyAtLineSpeed) {
  StartSim("2200");
  OpenPort();
  EXPECT_EQ(GyxSimAsk(&sim_, "lines").rfind("ok dtr=1 rts=1 owner=", 0), 0u) << GyxSimLog(&sim_);
  EXPECT_NE(GyxSimAsk(&sim_, "lines").find(" baud=9600"), std::string::npos);

  const unsigned long long start = GyxNowMs();
  Write(kProbe);
  std::string reply = Read(47, 5000);
  const unsigned long long took = GyxNowMs() - start;
  EXPECT_EQ(reply, "HvFirmware version 2.14 Quorvanel 2200 SN 0042\r") << GyxSimLog(&sim_);
  // 47 bytes at 9600 baud take 49 ms; a pty alone would deliver them at once.
  EXPECT_GE(took, 40u);
  EXPECT_EQ(GyxSimAsk(&sim_, "log"), "ok 1 hv\\r");
}

TEST_F(SimCable, DriverCommandsArriveExactly) {
  StartSim("2200");
  OpenPort();
  // The initialisation as seven writes, the fourth carrying two commands
  // with NUL bytes, then a beep.
  const std::string writes[] = {"\r",      "CB\r",   "NT\r", std::string("FT\0\rFR\0\r", 8),
                                "P@r@r\r", "MSSV\r", "Z\r"};
  for (const std::string &w : writes) Write(w);
  char reply[512];
  EXPECT_EQ(GyxSimSend(&sim_, "waitinit timeout=5000", reply, sizeof reply), GYXSIM_OK) << reply;
  EXPECT_STREQ(reply, "ok inits=1 bad=0");
  Write("BcC\r");
  EXPECT_EQ(GyxSimSend(&sim_, "waitcmd BcC\\r timeout=5000", reply, sizeof reply), GYXSIM_OK) << reply;
  EXPECT_EQ(GyxSimAsk(&sim_, "log 3"), "ok 3 MSSV\\r Z\\r BcC\\r");
}

TEST_F(SimCable, ButtonAndMotionPacketsArriveAsTheDeviceSendsThem) {
  StartSim("2200");
  OpenPort();
  char reply[512];
  ASSERT_EQ(GyxSimSend(&sim_, "press 1", reply, sizeof reply), GYXSIM_OK) << reply;
  EXPECT_EQ(Read(4, 3000), "K@A\r");
  ASSERT_EQ(GyxSimSend(&sim_, "release all", reply, sizeof reply), GYXSIM_OK) << reply;
  EXPECT_EQ(Read(4, 3000), "K@@\r");
  // A data byte 0D travels escaped, so the packet keeps its one CR at the end.
  ASSERT_EQ(GyxSimSend(&sim_, "move 13 0 0 0 0 -1 ticks=320", reply, sizeof reply), GYXSIM_OK) << reply;
  EXPECT_EQ(Read(17, 3000), std::string("D\x01\x40\x00^M\0\0\0\0\0\0\0\0\xff\xff\r", 17));
}

TEST_F(SimCable, LinesDropWhenThePortIsClosedAndRiseWhenReopened) {
  StartSim("3200");
  OpenPort();
  char reply[512];
  ASSERT_EQ(GyxSimSend(&sim_, "waitlines 1 1 timeout=2000", reply, sizeof reply), GYXSIM_OK) << reply;
  ClosePort();
  ASSERT_EQ(GyxSimSend(&sim_, "lines", reply, sizeof reply), GYXSIM_OK);
  EXPECT_EQ(std::string(reply).rfind("ok dtr=0 rts=0 owner=", 0), 0u) << reply;
  // A device on a closed port is not heard.
  ASSERT_EQ(GyxSimSend(&sim_, "press left", reply, sizeof reply), GYXSIM_OK);
  EXPECT_STREQ(reply, "ok bytes=0 dropped=4");

  OpenPort();
  ASSERT_EQ(GyxSimSend(&sim_, "lines", reply, sizeof reply), GYXSIM_OK);
  EXPECT_EQ(std::string(reply).rfind("ok dtr=1 rts=1 owner=", 0), 0u) << reply;
  ASSERT_EQ(GyxSimSend(&sim_, "press right", reply, sizeof reply), GYXSIM_OK) << reply;
  EXPECT_EQ(Read(4, 3000), "K@p\r") << "left and right held; nothing from the closed port came through";
}

TEST_F(SimCable, StartOptionsReachTheSimulator) {
  StartSim("3200", "--firmware \"HvFirmware version 2.60 a text with blanks in.\"");
  OpenPort();
  Write(kProbe);
  EXPECT_EQ(Read(47, 5000), "HvFirmware version 2.60 a text with blanks in.\r") << GyxSimLog(&sim_);
  ClosePort();
  GyxSimStop(&sim_);

  StartSim("2200", "--silent");
  OpenPort();
  Write(kProbe);
  EXPECT_EQ(Read(1, 600), "");
  EXPECT_EQ(GyxSimAsk(&sim_, "init"), "ok inits=0 bad=0 probes=1 commands=1");
}

TEST_F(SimCable, StoppedSimulatorLeavesNothingBehind) {
  StartSim("2200");
  const std::string link = sim_.link;
  const std::string dir = link.substr(0, link.rfind('/'));
  EXPECT_TRUE(Listed(dir, "com1"));
  EXPECT_EQ(GyxSimStop(&sim_), GYXSIM_OK) << GyxSimLog(&sim_);
  EXPECT_FALSE(sim_.proc.Running());
  EXPECT_FALSE(Listed(dir, "com1")) << "the COM link goes with its simulator";
  EXPECT_EQ(GyxSimSend(&sim_, "status", nullptr, 0), GYXSIM_ERR_IO);
  EXPECT_EQ(GyxSimStart(&sim_, 5, "2200", nullptr), GYXSIM_ERR_ARGUMENT);
  EXPECT_EQ(GyxSimStart(&sim_, 1, "2200", "--model 9999"), GYXSIM_ERR_START)
      << "an unknown model stops it at once";
}

}  // namespace
