// gyxpath_win.cpp: Linux/Windows path conversion and the locations of built
// programs and scratch directories (gyxpath.h), for the harness and the tests.
#include "gyxpath.h"

#include <windows.h>

#include <cstdio>

std::string GyxWinPath(const std::string &linuxPath) {
  std::string out;
  if (!linuxPath.empty() && linuxPath[0] == '/') out = "Z:";
  out.reserve(out.size() + linuxPath.size());
  for (char c : linuxPath) out.push_back(c == '/' ? '\\' : c);
  return out;
}

std::string GyxBinPath(const std::string &program) {
  return std::string(GYX_BINARY_DIR) + "/bin/" + program;
}

std::string GyxBinWinPath(const std::string &program) {
  return GyxWinPath(GyxBinPath(program));
}

std::string GyxSourcePath(const std::string &relative) {
  return std::string(GYX_SOURCE_DIR) + "/" + relative;
}

std::string GyxGetEnv(const char *name) {
  char buf[4096];
  const DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return "";
  return std::string(buf, n);
}

std::string GyxRunDir() {
  return GyxGetEnv("GYX_RUN_DIR");
}

std::string GyxMakeUniqueDir(const std::string &parent, const char *tag) {
  CreateDirectoryA(GyxWinPath(parent).c_str(), nullptr);
  // Unique per process and call; a directory left by an earlier process with the
  // same id is skipped.
  static unsigned counter = 0;
  for (int tries = 0; tries < 1000; ++tries) {
    char name[96];
    std::snprintf(name, sizeof name, "/%s-%lu-%u", tag, GetCurrentProcessId(), ++counter);
    const std::string dir = parent + name;
    if (CreateDirectoryA(GyxWinPath(dir).c_str(), nullptr)) return dir;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return "";
}

std::string GyxMakeScratchDir(const char *tag) {
  const std::string run = GyxRunDir();
  return GyxMakeUniqueDir(run.empty() ? std::string("/tmp/gyx-scratch") : run + "/scratch", tag);
}
