// gyxlinux.h: a Linux program (the controller simulator, a shell command)
// started from a Win32 test and stopped reliably.
//
// Under Wine, CreateProcessA of an ELF file runs it, but hands back no process
// handle and no id (both read 0): it cannot be waited for, its exit code cannot
// be read and TerminateProcess cannot reach it. So the program runs under a
// small /bin/sh wrapper in a directory of its own, which records the program's
// Linux pid ("pid") and exit status ("rc", 128+signal when killed), and stops
// it (SIGTERM, SIGKILL 3 s later) as soon as its "alive" file is removed or the
// test process that started it has ended. The directory lies under
// $GYX_RUN_DIR/linux, and gyx_wine_down removes every alive file there too.
#ifndef GYX_HARNESS_LINUX_H
#define GYX_HARNESS_LINUX_H

#include <string>
#include <vector>

class GyxLinuxProcess {
 public:
  GyxLinuxProcess() = default;
  ~GyxLinuxProcess();  // stops a program that still runs
  GyxLinuxProcess(const GyxLinuxProcess &) = delete;
  GyxLinuxProcess &operator=(const GyxLinuxProcess &) = delete;

  // argv[0] is the program's absolute Linux path. env entries "NAME=value" are
  // exported to it on top of the test's environment (which Wine passes on,
  // LD_PRELOAD and the GYX_* variables included). stdin is /dev/null; stdout and
  // stderr go to OutputPath(). Returns once the program has been launched (its
  // pid is known), false if that did not happen within startTimeoutMs.
  bool Start(const std::vector<std::string> &argv, const std::vector<std::string> &env = {},
             unsigned long startTimeoutMs = 10000);

  // Started and no exit status recorded yet.
  bool Running() const;
  // Waits until the program has ended; true if it did within timeoutMs.
  bool Wait(unsigned long timeoutMs, int *exitCode = nullptr);
  // Asks the wrapper to stop the program and waits for its exit status; true
  // once it has ended. Stopping a program that has ended already is a no-op.
  bool Stop(unsigned long timeoutMs = 10000, int *exitCode = nullptr);
  // Exit status once ended, -1 before.
  int ExitCode() const;
  // Linux pid of the program (0 before Start succeeded).
  long Pid() const { return pid_; }
  // Linux paths of the program's directory and of its captured output.
  const std::string &Dir() const { return dir_; }
  std::string OutputPath() const { return dir_.empty() ? "" : dir_ + "/out.log"; }
  // The captured output so far.
  std::string Output() const;

 private:
  std::string dir_;
  long pid_ = 0;
};

// Quotes text for /bin/sh (single quotes).
std::string GyxShellQuote(const std::string &text);

// Linux pid of the calling Win32 process, or 0 if it could not be found. The
// first call takes a Linux helper run (~0.1 s); the answer is kept.
long GyxLinuxPidOfSelf();

#endif
