// The driver program: one instance per desktop, "-shutdown" with its boxes
// and exit codes, the request block's limits, and the diagnostic log.
#include <string.h>

#include "drvfixture.h"
#include "lib/channel.h"
#include "lib/reqcodes.h"

namespace {

using DriverStart = DriverTest;

TEST_F(DriverStart, SecondDriverStopsAndFirstKeepsServing) {
  StartDriver();
  GyxProcess second;
  ASSERT_TRUE(second.Start(GyxBinPath("gyxsrv.exe")));
  ASSERT_TRUE(AnswerBox(second.Pid(), "Driver already running.", IDOK));
  unsigned long code = 0;
  ASSERT_TRUE(second.Wait(10000, &code));
  EXPECT_EQ(code, 1u);
  EXPECT_TRUE(driver.Running());
  ASSERT_EQ(AppMmapAttach(), 0);  // still answering
  AppMmapDetach();
}

TEST_F(DriverStart, SecondDriverQuietShowsNothing) {
  StartDriver();
  GyxProcess second;
  ASSERT_TRUE(second.Start(GyxBinPath("gyxsrv.exe"), "-quiet"));
  unsigned long code = 0;
  ASSERT_TRUE(second.Wait(15000, &code));
  EXPECT_EQ(code, 1u);
  EXPECT_TRUE(driver.Running());
}

TEST_F(DriverStart, ShutdownWithoutDriver) {
  GyxProcess p;
  ASSERT_TRUE(p.Start(GyxBinPath("gyxsrv.exe"), "-shutdown"));
  ASSERT_TRUE(AnswerBox(p.Pid(), "Driver not running.", IDOK));
  unsigned long code = 0;
  ASSERT_TRUE(p.Wait(10000, &code));
  EXPECT_EQ(code, 2u);

  GyxProcess quiet;
  ASSERT_TRUE(quiet.Start(GyxBinPath("gyxsrv.exe"), "-shutdown -quiet"));
  EXPECT_TRUE(GyxNoMessageBoxFor("gyxsrv", 1000, quiet.Pid()));
  ASSERT_TRUE(quiet.Wait(10000, &code));
  EXPECT_EQ(code, 2u);
}

TEST_F(DriverStart, ShutdownStopsTheRunningDriver) {
  StartDriver();
  GyxProcess p;
  ASSERT_TRUE(p.Start(GyxBinPath("gyxsrv.exe"), "-shutdown"));
  ASSERT_TRUE(AnswerBox(p.Pid(), "Shut down successful.", IDOK));
  unsigned long code = 99;
  ASSERT_TRUE(p.Wait(10000, &code));
  EXPECT_EQ(code, 0u);
  ASSERT_TRUE(driver.Wait(15000, &code));
  EXPECT_EQ(code, 0u);
  // The orderly shut-down released the port: DTR and RTS are down.
  std::string lines = GyxSimAsk(&sims[1], "waitlines 0 0 timeout=5000");
  EXPECT_EQ(lines.rfind("ok", 0), 0u) << lines;
  // And the channel is gone with it.
  EXPECT_NE(AppMmapAttach(), 0);
}

TEST_F(DriverStart, AttachWithoutDriverFindsNoMapping) {
  EXPECT_EQ(AppMmapAttach(), TRANS_MAPPING);
  EXPECT_EQ(AppMmapLastStatus(), TRANS_MAPPING);
  EXPECT_FALSE(AppMmapIsAttached());
}

TEST_F(DriverStart, RequestSizeLimitsAndTransportInfo) {
  StartDriver();
  ASSERT_EQ(AppMmapAttach(), 0);
  EXPECT_EQ(AppMmapMaxRequest(), 512);
  EXPECT_EQ(AppMmapRingSize(), 1800);

  // 512 bytes go through (REQ_VERSION reads its two words and ignores the rest).
  uint8_t data[513];
  memset(data, 0, sizeof data);
  data[0] = 1;  // version 1.0
  ASSERT_EQ(AppMmapSend(REQ_VERSION, data, 512, 1), 0);
  int32_t reply = -7;
  ASSERT_EQ(AppMmapReceive(&reply, sizeof reply), 4);
  EXPECT_EQ(reply, 0);

  // 513 and negative lengths fail before the lock: nothing is left held, so
  // the next request goes through at once.
  EXPECT_EQ(AppMmapSend(REQ_VERSION, data, 513, 1), TRANS_LENGTH);
  EXPECT_EQ(AppMmapSend(REQ_VERSION, data, -1, 1), TRANS_LENGTH);
  unsigned long long t0 = GyxNowMs();
  ASSERT_EQ(AppMmapSend(REQ_VERSION, data, 8, 1), 0);
  ASSERT_EQ(AppMmapReceive(&reply, sizeof reply), 4);
  EXPECT_LT(GyxNowMs() - t0, 5000u);
  AppMmapDetach();
}

TEST_F(DriverStart, ImpossibleLengthInTheBlockIsRefusedAndTheDriverStaysUp) {
  // A misbehaving application writes the block by hand, bypassing the checks.
  StartDriver();
  HANDLE map = OpenFileMappingA(FILE_MAP_WRITE, FALSE, "GyrantrixMemMap");
  ASSERT_NE(map, nullptr);
  RequestBlock *block = (RequestBlock *)MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, 0);
  ASSERT_NE(block, nullptr);
  HANDLE lock = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "GyrantrixAppLock");
  HANDLE poke = OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, "GyrantrixDvrPoke");
  HANDLE reply = OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, "GyrantrixAppPoke");
  ASSERT_TRUE(lock && poke && reply);
  for (int32_t length : {100000, -5}) {
    ASSERT_EQ(WaitForSingleObject(lock, 5000), WAIT_OBJECT_0);
    block->code = REQ_OPEN;
    block->replyWanted = 1;
    block->length = length;
    ReleaseSemaphore(poke, 1, NULL);
    ASSERT_EQ(WaitForSingleObject(reply, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(block->code, TRANS_LENGTH) << length;
    EXPECT_EQ(block->length, 0) << length;
    ReleaseMutex(lock);
  }
  CloseHandle(reply);
  CloseHandle(poke);
  CloseHandle(lock);
  UnmapViewOfFile(block);
  CloseHandle(map);
  EXPECT_TRUE(driver.Running());
  ASSERT_EQ(AppMmapAttach(), 0);
  AppMmapDetach();
}

TEST_F(DriverStart, DebugLogRecordsFailuresWhenAsked) {
  ASSERT_TRUE(GyxWriteIni(IniText({})));
  GyxDeleteLog(homeWin);
  // No driver runs: the attach of "-shutdown" fails with -3, logged once.
  EXPECT_EQ(RunDriverCommand("-shutdown -quiet", {"DEBUG_GYRANTRIX="}), 2u);
  std::string log;
  ASSERT_TRUE(GyxReadLog(homeWin, &log));
  EXPECT_NE(log.find("(appmmap_win.cpp:"), std::string::npos) << log;
  EXPECT_NE(log.find(") -3\r\n"), std::string::npos) << log;  // text mode: CRLF

  // Without the variable nothing is appended.
  std::string before = log;
  EXPECT_EQ(RunDriverCommand("-shutdown -quiet", {"DEBUG_GYRANTRIX"}), 2u);
  ASSERT_TRUE(GyxReadLog(homeWin, &log));
  EXPECT_EQ(log, before);
}

}  // namespace
