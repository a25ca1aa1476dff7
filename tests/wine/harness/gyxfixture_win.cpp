// gyxfixture_win.cpp: the base fixture of the Win32 tests (gyxfixture.h):
// clears leftover system programs before and after every test.
#include "gyxfixture.h"

#include "gyxproc.h"

#include <cstdio>

const char *const kGyxSystemPrograms[] = {"gyxsrv.exe",     "evtview.exe",     "jet.exe", "gyx_testchild.exe",
                                          "gyx_msgbox.exe", "gyx_uichild.exe", nullptr};

int GyxKillSystemPrograms() {
  int total = 0;
  for (const char *const *name = kGyxSystemPrograms; *name; ++name) {
    const int n = GyxKillProcessesNamed(*name);
    if (n < 0) return -1;
    total += n;
  }
  return total;
}

void GyxWineTest::SetUp() {
  const int leftovers = GyxKillSystemPrograms();
  ASSERT_GE(leftovers, 0) << "a program left by an earlier test could not be ended";
  if (leftovers > 0) {
    std::printf("[ harness  ] ended %d program(s) left running by an earlier test\n", leftovers);
  }
}

void GyxWineTest::TearDown() {
  EXPECT_GE(GyxKillSystemPrograms(), 0) << "a program started by this test could not be ended";
}
