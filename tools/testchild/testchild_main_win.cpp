// testchild_main_win.cpp: gyx_testchild.exe, the child the harness self-test
// starts. One mode per run, the answer in the exit code:
//   exit <n>                          exit with n
//   sleep <ms> <n>                    sleep, then exit with n
//   hang                              never end (for kill tests)
//   env <name> <value>                0 if the variable has that value, 1 if it
//                                     differs, 2 if it is not defined
//   cwd <dir>                         0 if the current directory is dir
//                                     (without regard to case), else 1
//   msgbox <caption> <text> ok|yesno  show an owner-less message box, exit
//                                     with its answer (IDOK 1, IDYES 6, IDNO 7)
// Bad usage exits with 100.
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

const int kUsage = 100;

int EnvMode(const char *name, const char *expected) {
  char buf[1024];
  SetLastError(0);
  const DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return 2;
  if (n >= sizeof buf) return 1;
  return std::strcmp(buf, expected) == 0 ? 0 : 1;
}

int CwdMode(const char *expected) {
  char buf[MAX_PATH];
  const DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
  if (n == 0 || n >= sizeof buf) return 1;
  return lstrcmpiA(buf, expected) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 2) return kUsage;
  const char *mode = argv[1];
  if (std::strcmp(mode, "exit") == 0 && argc == 3) return std::atoi(argv[2]);
  if (std::strcmp(mode, "sleep") == 0 && argc == 4) {
    Sleep(static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)));
    return std::atoi(argv[3]);
  }
  if (std::strcmp(mode, "hang") == 0 && argc == 2) {
    for (;;) Sleep(INFINITE);
  }
  if (std::strcmp(mode, "env") == 0 && argc == 4) return EnvMode(argv[2], argv[3]);
  if (std::strcmp(mode, "cwd") == 0 && argc == 3) return CwdMode(argv[2]);
  if (std::strcmp(mode, "msgbox") == 0 && argc == 5) {
    UINT type = 0;
    if (std::strcmp(argv[4], "ok") == 0) {
      type = MB_OK | MB_ICONEXCLAMATION;
    } else if (std::strcmp(argv[4], "yesno") == 0) {
      type = MB_YESNO | MB_ICONQUESTION;
    } else {
      return kUsage;
    }
    return MessageBoxA(nullptr, argv[3], argv[2], type);
  }
  return kUsage;
}
