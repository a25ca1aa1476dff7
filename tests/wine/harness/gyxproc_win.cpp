// gyxproc_win.cpp: Win32 child processes for the tests (gyxproc.h): start with
// an edited environment, wait, exit code, kill; and Toolhelp look-ups by name.
#include "gyxproc.h"

#include "gyxpath.h"

#include <tlhelp32.h>

#include <cstring>

namespace {

// "NAME=value" -> "NAME"; "NAME" -> "NAME". Entries such as "=C:=C:\x" (the
// per-drive current directories) keep their leading '='.
std::string EnvName(const std::string &entry) {
  const size_t eq = entry.find('=', 1);
  return eq == std::string::npos ? entry : entry.substr(0, eq);
}

// The current environment with the changes applied, as a CreateProcessA block.
std::vector<char> BuildEnvironment(const std::vector<std::string> &changes) {
  std::vector<std::string> entries;
  if (char *block = GetEnvironmentStringsA()) {
    for (const char *p = block; *p; p += std::strlen(p) + 1) entries.emplace_back(p);
    FreeEnvironmentStringsA(block);
  }
  for (const std::string &change : changes) {
    const std::string name = EnvName(change);
    for (size_t i = 0; i < entries.size();) {
      if (lstrcmpiA(EnvName(entries[i]).c_str(), name.c_str()) == 0) {
        entries.erase(entries.begin() + static_cast<long>(i));
      } else {
        ++i;
      }
    }
    if (change.find('=', 1) != std::string::npos) entries.push_back(change);
  }
  std::vector<char> out;
  for (const std::string &e : entries) {
    out.insert(out.end(), e.begin(), e.end());
    out.push_back('\0');
  }
  out.push_back('\0');
  if (entries.empty()) out.push_back('\0');
  return out;
}

}  // namespace

GyxProcess::~GyxProcess() {
  if (Running()) Kill();
  Release();
}

GyxProcess::GyxProcess(GyxProcess &&other) noexcept
    : process_(other.process_), pid_(other.pid_), error_(other.error_) {
  other.process_ = nullptr;
  other.pid_ = 0;
}

GyxProcess &GyxProcess::operator=(GyxProcess &&other) noexcept {
  if (this != &other) {
    if (Running()) Kill();
    Release();
    process_ = other.process_;
    pid_ = other.pid_;
    error_ = other.error_;
    other.process_ = nullptr;
    other.pid_ = 0;
  }
  return *this;
}

void GyxProcess::Release() {
  if (process_) CloseHandle(process_);
  process_ = nullptr;
  pid_ = 0;
}

bool GyxProcess::Start(const std::string &program, const std::string &args,
                       const std::vector<std::string> &env, const std::string &cwd) {
  if (Running()) Kill();
  Release();
  error_ = 0;

  const std::string exe = GyxWinPath(program);
  std::string cmd = GyxQuoteArg(exe);
  if (!args.empty()) cmd += " " + args;
  std::vector<char> cmdBuf(cmd.begin(), cmd.end());
  cmdBuf.push_back('\0');
  std::vector<char> envBlock;
  if (!env.empty()) envBlock = BuildEnvironment(env);
  const std::string dir = cwd.empty() ? std::string() : GyxWinPath(cwd);

  STARTUPINFOA si;
  std::memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  std::memset(&pi, 0, sizeof pi);
  // No console: with CREATE_NEW_CONSOLE, Wine starts a conhost.exe per console
  // child, which can outlive a child killed early and then holds the test's
  // stderr, so ctest waits for its time-out.
  if (!CreateProcessA(
          exe.c_str(), cmdBuf.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP,
          envBlock.empty() ? nullptr : envBlock.data(), dir.empty() ? nullptr : dir.c_str(), &si, &pi)) {
    error_ = GetLastError();
    return false;
  }
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  return true;
}

bool GyxProcess::Running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool GyxProcess::Wait(unsigned long timeoutMs, unsigned long *exitCode) {
  if (!process_) return false;
  if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) *exitCode = ExitCode();
  return true;
}

unsigned long GyxProcess::ExitCode() const {
  DWORD code = ~0ul;
  if (!process_ || !GetExitCodeProcess(process_, &code)) return ~0ul;
  return code;
}

bool GyxProcess::Kill(unsigned code, unsigned long timeoutMs) {
  if (!process_) return false;
  if (WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) return true;
  TerminateProcess(process_, code);
  return WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

std::string GyxQuoteArg(const std::string &arg) {
  if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
  // Backslashes are literal except before a quote: there they are doubled, and
  // the quote itself is escaped.
  std::string out = "\"";
  size_t slashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    if (c == '"') {
      out.append(slashes * 2 + 1, '\\');
    } else {
      out.append(slashes, '\\');
    }
    slashes = 0;
    out.push_back(c);
  }
  out.append(slashes * 2, '\\');
  out.push_back('"');
  return out;
}

std::string GyxJoinArgs(const std::vector<std::string> &args) {
  std::string out;
  for (const std::string &a : args) {
    if (!out.empty()) out.push_back(' ');
    out += GyxQuoteArg(a);
  }
  return out;
}

namespace {

// Ids of the running processes named exeName, except the calling process.
std::vector<DWORD> FindByName(const char *exeName) {
  std::vector<DWORD> pids;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return pids;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  const DWORD self = GetCurrentProcessId();
  for (BOOL more = Process32First(snap, &entry); more; more = Process32Next(snap, &entry)) {
    if (entry.th32ProcessID != self && lstrcmpiA(entry.szExeFile, exeName) == 0) {
      pids.push_back(entry.th32ProcessID);
    }
  }
  CloseHandle(snap);
  return pids;
}

}  // namespace

int GyxCountProcessesNamed(const char *exeName) {
  return static_cast<int>(FindByName(exeName).size());
}

int GyxKillProcessesNamed(const char *exeName, unsigned long timeoutMs) {
  std::vector<HANDLE> victims;
  for (DWORD pid : FindByName(exeName)) {
    HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!h) continue;  // ended between the snapshot and now
    TerminateProcess(h, 1);
    victims.push_back(h);
  }
  const unsigned long long deadline = GetTickCount64() + timeoutMs;
  bool allEnded = true;
  for (HANDLE h : victims) {
    const unsigned long long now = GetTickCount64();
    const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
    if (WaitForSingleObject(h, left) != WAIT_OBJECT_0) allEnded = false;
    CloseHandle(h);
  }
  return allEnded ? static_cast<int>(victims.size()) : -1;
}
