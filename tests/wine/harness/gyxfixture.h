// gyxfixture.h: the GoogleTest base of the Win32 tests. All tests of a run
// share one Wine prefix, so one driver name space and one set of named kernel
// objects: a driver or demo that an earlier test left running would answer the
// next test. Each test therefore starts and ends with none of them running.
#ifndef GYX_HARNESS_FIXTURE_H
#define GYX_HARNESS_FIXTURE_H

#include <gtest/gtest.h>

// The executable names the fixture clears (null-terminated): the system's
// programs and the harness's own tools.
extern const char *const kGyxSystemPrograms[];

// Kills every process of kGyxSystemPrograms; returns how many were running,
// or -1 if one of them could not be ended.
int GyxKillSystemPrograms();

class GyxWineTest : public ::testing::Test {
 protected:
  // Kills leftovers before the test (reported, since a clean run has none) and
  // after it (quietly: a test may end with its programs still running).
  void SetUp() override;
  void TearDown() override;
};

#endif
