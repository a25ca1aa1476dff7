// gyxlinux_win.cpp: runs Linux programs from Win32 tests through a /bin/sh
// wrapper that a file can stop (gyxlinux.h explains why). Used by the tests and
// by the simulator's harness helpers.
#include "gyxlinux.h"

#include "gyxfile.h"
#include "gyxpath.h"
#include "gyxproc.h"
#include "gyxwait.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

// The wrapper. "$dir" and "$parent" are set in front of it. The test process
// counts as ended once it is a zombie too: Wine detaches its processes from
// their parents, and where nothing reaps orphans (pid 1 in a container) a
// killed test stays a zombie, which "kill -0" still finds.
const char kWrapper[] =
    "exec </dev/null >>\"$dir/wrapper.log\" 2>&1\n"
    "parent_alive() {\n"
    "  [ \"$parent\" = 0 ] && return 0\n"
    "  { read -r stat <\"/proc/$parent/stat\"; } 2>/dev/null || return 1\n"
    "  state=${stat##*) }; state=${state%% *}\n"
    "  [ \"$state\" != Z ] && [ \"$state\" != X ]\n"
    "}\n"
    "\"$@\" >\"$dir/out.log\" 2>&1 </dev/null &\n"
    "child=$!\n"
    "echo \"$child\" >\"$dir/pid.new\" && mv \"$dir/pid.new\" \"$dir/pid\"\n"
    "(\n"
    "  while [ -e \"$dir/alive\" ] && parent_alive; do\n"
    "    sleep 0.1\n"
    "  done\n"
    "  kill -TERM \"$child\"\n"
    "  sleep 3\n"
    "  kill -KILL \"$child\"\n"
    ") 2>/dev/null &\n"
    "watcher=$!\n"
    "wait \"$child\"\n"
    "rc=$?\n"
    "kill \"$watcher\" 2>/dev/null\n"
    "echo \"$rc\" >\"$dir/rc.new\" && mv \"$dir/rc.new\" \"$dir/rc\"\n";

bool ReadNumber(const std::string &linuxPath, long *value) {
  std::string text;
  if (!GyxReadFile(linuxPath, &text) || text.empty()) return false;
  char *end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str()) return false;
  *value = v;
  return true;
}

}  // namespace

std::string GyxShellQuote(const std::string &text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out.push_back(c);
    }
  }
  out.push_back('\'');
  return out;
}

namespace {

// Where the harness keeps the Linux programs' directories.
std::string LinuxRoot() {
  const std::string run = GyxRunDir();
  return run.empty() ? std::string("/tmp/gyx-linux") : run + "/linux";
}

// Starts "/bin/sh <script>" and returns at once: Wine runs an ELF file but
// gives back neither handle nor id for it.
bool LaunchShell(const std::string &script) {
  // Wine splits this command line into the Linux argv by Windows rules.
  std::string cmd = "/bin/sh " + GyxQuoteArg(script);
  std::vector<char> cmdBuf(cmd.begin(), cmd.end());
  cmdBuf.push_back('\0');
  STARTUPINFOA si;
  std::memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  std::memset(&pi, 0, sizeof pi);
  if (!CreateProcessA("Z:\\bin\\sh", cmdBuf.data(), nullptr, nullptr, FALSE, CREATE_NEW_PROCESS_GROUP,
                      nullptr, nullptr, &si, &pi)) {
    return false;
  }
  // Wine leaves the thread handle of an ELF start holding garbage (seen:
  // 0x140012, 0x172a) and the process handle null. Closing that garbage closed
  // whatever live handle had the same value, now and then a simulator's
  // control socket. Only a real process's handles are closed.
  if (pi.hProcess) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  return true;
}

}  // namespace

// The Linux pid cannot be asked for directly: /proc/self opened through Wine is
// the wineserver (it opens files for its clients). So this process opens a
// file of its own and writes to it, which leaves the file's descriptor in this
// process; a shell then looks for the Wine process (not the wineserver, which
// holds the file too) that has it open.
long GyxLinuxPidOfSelf() {
  static long cached = -1;
  if (cached >= 0) return cached;
  cached = 0;
  const std::string dir = GyxMakeUniqueDir(LinuxRoot(), "self");
  if (dir.empty()) return 0;
  const std::string mark = dir + "/mark";
  HANDLE h = CreateFileA(GyxWinPath(mark).c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  DWORD wrote = 0;
  WriteFile(h, "x", 1, &wrote, nullptr);
  const std::string script =
      "exec </dev/null >/dev/null 2>&1\n"
      "dir=" +
      GyxShellQuote(dir) +
      "\n"
      "for d in $(find /proc/[0-9]*/fd -maxdepth 1 -lname \"$dir/mark\" -printf '%h\\n'); do\n"
      "  p=${d#/proc/}; p=${p%/fd}\n"
      "  case $(readlink \"/proc/$p/exe\") in *wineserver*) ;; *wine*) echo \"$p\" ;; esac\n"
      "done >\"$dir/pids.new\"\n"
      "mv \"$dir/pids.new\" \"$dir/pids\"\n";
  long pid = 0;
  if (GyxWriteFile(dir + "/find.sh", script) && LaunchShell(dir + "/find.sh")) {
    std::string pids;
    if (GyxWaitFor([&] { return GyxReadFile(dir + "/pids", &pids); }, 10000)) {
      char *end = nullptr;
      pid = std::strtol(pids.c_str(), &end, 10);
      // Exactly one line: anything else is a surprise, better no answer.
      if (end == pids.c_str() || std::string(end) != "\n") pid = 0;
    }
  }
  CloseHandle(h);
  cached = pid;
  return pid;
}

GyxLinuxProcess::~GyxLinuxProcess() {
  if (Running()) Stop();
}

bool GyxLinuxProcess::Start(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                            unsigned long startTimeoutMs) {
  if (Running()) Stop();
  dir_.clear();
  pid_ = 0;
  if (argv.empty() || argv[0].empty() || argv[0][0] != '/') return false;

  const std::string dir = GyxMakeUniqueDir(LinuxRoot(), "proc");
  if (dir.empty()) return false;

  std::string script = "#!/bin/sh\n# Written by the Win32 test harness (gyxlinux_win.cpp).\n";
  script += "dir=" + GyxShellQuote(dir) + "\n";
  script += "parent=" + std::to_string(GyxLinuxPidOfSelf()) + "\n";
  for (const std::string &e : env) {
    const size_t eq = e.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    script += "export " + e.substr(0, eq) + "=" + GyxShellQuote(e.substr(eq + 1)) + "\n";
  }
  script += "set --";
  for (const std::string &a : argv) script += " " + GyxShellQuote(a);
  script += "\n";
  script += kWrapper;
  if (!GyxWriteFile(dir + "/run.sh", script) || !GyxWriteFile(dir + "/alive", "")) return false;
  dir_ = dir;

  if (!LaunchShell(dir + "/run.sh")) {
    GyxDeleteFile(dir + "/alive");
    return false;
  }

  long pid = 0;
  if (!GyxWaitFor([&] { return ReadNumber(dir + "/pid", &pid); }, startTimeoutMs)) {
    GyxDeleteFile(dir + "/alive");  // a late start then ends at once
    return false;
  }
  pid_ = pid;
  return true;
}

bool GyxLinuxProcess::Running() const {
  return pid_ != 0 && !GyxFileExists(dir_ + "/rc");
}

int GyxLinuxProcess::ExitCode() const {
  long rc = -1;
  if (pid_ == 0 || !ReadNumber(dir_ + "/rc", &rc)) return -1;
  return static_cast<int>(rc);
}

bool GyxLinuxProcess::Wait(unsigned long timeoutMs, int *exitCode) {
  if (pid_ == 0) return false;
  if (!GyxWaitFor([&] { return GyxFileExists(dir_ + "/rc"); }, timeoutMs, 20)) return false;
  if (exitCode) *exitCode = ExitCode();
  return true;
}

bool GyxLinuxProcess::Stop(unsigned long timeoutMs, int *exitCode) {
  if (pid_ == 0) return false;
  GyxDeleteFile(dir_ + "/alive");
  return Wait(timeoutMs, exitCode);
}

std::string GyxLinuxProcess::Output() const {
  std::string text;
  if (!dir_.empty()) GyxReadFile(OutputPath(), &text);
  return text;
}
