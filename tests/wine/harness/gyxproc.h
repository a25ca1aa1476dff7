// gyxproc.h: starting, watching and ending Win32 programs from a Win32 test
// (the driver, the demos, the harness's test child), and finding leftovers of
// earlier tests by executable name.
#ifndef GYX_HARNESS_PROC_H
#define GYX_HARNESS_PROC_H

#include <windows.h>

#include <string>
#include <vector>

// One child process, owned: the destructor kills it if it still runs, so a test
// that fails half-way leaves nothing behind for the next one.
class GyxProcess {
 public:
  GyxProcess() = default;
  ~GyxProcess();
  GyxProcess(GyxProcess &&other) noexcept;
  GyxProcess &operator=(GyxProcess &&other) noexcept;
  GyxProcess(const GyxProcess &) = delete;
  GyxProcess &operator=(const GyxProcess &) = delete;

  // Starts program (a Linux or a Windows path) with the given argument text
  // (already quoted; see GyxJoinArgs). env changes the inherited environment:
  // "NAME=value" sets (an empty value still defines NAME), "NAME" removes.
  // cwd (Linux or Windows path, "" = the test's own) is the child's current
  // directory. The child gets no console (DETACHED_PROCESS): a console
  // program's output is dropped. Returns false and keeps GetLastError() in
  // Error() when CreateProcessA fails; a process this object already held is
  // killed first.
  //
  // Under Wine every child inherits the test's Linux stderr, which under ctest
  // is a pipe: a child that outlives the test makes ctest wait for its time-out.
  // Own children through this class (or clear them with GyxWineTest).
  bool Start(const std::string &program, const std::string &args = "",
             const std::vector<std::string> &env = {}, const std::string &cwd = "");

  bool Started() const { return process_ != nullptr; }
  bool Running() const;
  // Waits until the process has ended or timeoutMs has passed; true if it ended.
  // exitCode (optional) receives its exit code.
  bool Wait(unsigned long timeoutMs, unsigned long *exitCode = nullptr);
  // Exit code once ended; STILL_ACTIVE (259) while running; ~0ul if never started.
  unsigned long ExitCode() const;
  // TerminateProcess with code, then waits up to timeoutMs; true once ended.
  bool Kill(unsigned code = 1, unsigned long timeoutMs = 5000);
  DWORD Pid() const { return pid_; }
  HANDLE Handle() const { return process_; }
  DWORD Error() const { return error_; }

 private:
  void Release();
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  DWORD error_ = 0;
};

// One argument quoted for a Windows command line (the rules CommandLineToArgvW
// and the C runtime's argv parsing share): left alone when it needs no quotes.
std::string GyxQuoteArg(const std::string &arg);
// Arguments quoted and joined with blanks.
std::string GyxJoinArgs(const std::vector<std::string> &args);

// Number of running processes whose executable name is exeName ("gyxsrv.exe",
// compared without regard to case); the calling process is not counted.
int GyxCountProcessesNamed(const char *exeName);
// Terminates every such process and waits up to timeoutMs for all of them to
// end. Returns how many were terminated, or -1 if one survived the wait.
int GyxKillProcessesNamed(const char *exeName, unsigned long timeoutMs = 5000);

#endif
