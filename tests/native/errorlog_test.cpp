// Library code texts and the diagnostic log's entry format.
#include <gtest/gtest.h>

#include <string>

#include "lib/gyrantrix.h"
#include "lib/logfmt.h"

namespace {

TEST(GiErrorString, TextsOfEveryCode) {
  EXPECT_STREQ(GiErrorString(0), "No error");
  EXPECT_STREQ(GiErrorString(6), "Event is a Gyrantrix event but it should be skipped");
  EXPECT_STREQ(GiErrorString(8), "Gyrantrix driver is not running or has been restarted");
  EXPECT_STREQ(GiErrorString(13), "Internal Gyrantrix error");
  for (int code = 0; code <= 13; code++) EXPECT_GT(std::string(GiErrorString(code)).size(), 0u) << code;
}

TEST(GiErrorString, OutOfRangeIsEmpty) {
  for (int code : {14, -1, 1000, -17, INT32_MIN}) EXPECT_STREQ(GiErrorString(code), "") << code;
}

TEST(GiErrorString, BufferIsReusedByTheNextCall) {
  const char *a = GiErrorString(1);
  const char *b = GiErrorString(2);
  EXPECT_EQ(a, b);
  EXPECT_STREQ(a, "Invalid Gyrantrix handle");
}

TEST(LogModuleName, CutsAtTheLastSeparatorInOrder) {
  struct Case {
    const char *path, *module;
  };
  const Case cases[] = {
      {"/work/main/lib/appmmap_win.cpp", "appmmap_win.cpp"},
      {"C:\\src\\lib\\appgi.c", "appgi.c"},
      {"a/b\\c.cpp", "b\\c.cpp"},  // '/' wins over '\\'
      {"C:appgi.c", "appgi.c"},
      {"plainname.c", "plainname.c"},
      {"dir/", ""},
  };
  for (const Case &c : cases) EXPECT_STREQ(LogModuleName(c.path), c.module) << c.path;
}

TEST(LogFormatEntry, ModuleLineAndCode) {
  char line[128];
  LogFormatEntry(line, sizeof line, "/x/y/dvrmmap_win.cpp", 42, -13);
  EXPECT_STREQ(line, "(dvrmmap_win.cpp:42) -13\n");
  LogFormatEntry(line, sizeof line, "noseparator", 7, 8);
  EXPECT_STREQ(line, "(noseparator:7) 8\n");
}

TEST(LogBuildPath, HomeDirectoryLengthLimit) {
  char path[LOG_PATH_SIZE];
  std::string ok(243, 'h'), tooLong(244, 'h');
  ASSERT_EQ(LogBuildPath(path, ok.c_str()), 0);
  EXPECT_EQ(std::string(path), ok + "\\gyrantx.log");
  EXPECT_EQ(std::string(path).size(), 255u);
  EXPECT_EQ(LogBuildPath(path, tooLong.c_str()), -1);
}

TEST(LogIsLoggable, EventResultsAreNeverLogged) {
  for (int code : {5, 6, 7}) EXPECT_FALSE(LogIsLoggable(code)) << code;
  for (int code : {1, 2, 8, 13, -1, -17}) EXPECT_TRUE(LogIsLoggable(code)) << code;
}

}  // namespace
