// gyxpath.h: paths as the Win32 tests need them. The build passes the trees as
// Linux paths (GYX_BINARY_DIR, GYX_SOURCE_DIR); Wine shows "/" as drive Z:.
#ifndef GYX_HARNESS_PATH_H
#define GYX_HARNESS_PATH_H

#include <string>

// "/a/b c" -> "Z:\a\b c". A path that is not absolute in Linux terms (already
// "C:\..." or relative) is returned with its slashes turned into backslashes.
std::string GyxWinPath(const std::string &linuxPath);

// Linux path of a program built into the bin directory of this build tree,
// e.g. GyxBinPath("gyxsrv.exe") -> GYX_BINARY_DIR "/bin/gyxsrv.exe".
std::string GyxBinPath(const std::string &program);
// The same as a Windows path ("Z:\...\bin\gyxsrv.exe").
std::string GyxBinWinPath(const std::string &program);

// Linux path of a file in the source tree, e.g. GyxSourcePath("tests/wine/data/x.ini").
std::string GyxSourcePath(const std::string &relative);

// Value of an environment variable, or "" when it is not set.
std::string GyxGetEnv(const char *name);

// The run directory of scripts/wineenv.sh ($GYX_RUN_DIR, a Linux path), or ""
// when the tests run outside it.
std::string GyxRunDir();

// Linux path of a new, empty directory "<parent>/<tag>-<pid>-<n>" (parent is a
// Linux path and is created when missing). Returns "" on failure.
std::string GyxMakeUniqueDir(const std::string &parent, const char *tag);

// A new, empty scratch directory for one test: GyxMakeUniqueDir under
// "$GYX_RUN_DIR/scratch", or under "/tmp/gyx-scratch" outside a run.
std::string GyxMakeScratchDir(const char *tag);

#endif
