/* mem_main_win.cpp — gyxbench_mem NAME...: memory and CPU time of every
 * running process with one of these executable names, as Win32 reports them
 * (GetProcessMemoryInfo, GetProcessTimes): one line per process,
 * "name=N pid=P private=B workingset=B pagefile=B cpu_us=T". */
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <string.h>

#include "bench/benchio.h"

static void Describe(const PROCESSENTRY32 *pe) {
  HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pe->th32ProcessID);
  if (!p) {
    BenchSay("name=%s pid=%lu error=%lu", pe->szExeFile, pe->th32ProcessID, GetLastError());
    return;
  }
  PROCESS_MEMORY_COUNTERS_EX mc;
  ZeroMemory(&mc, sizeof mc);
  mc.cb = sizeof mc;
  BOOL haveMem = GetProcessMemoryInfo(p, (PROCESS_MEMORY_COUNTERS *)&mc, sizeof mc);
  FILETIME created, exited, kernel, user;
  BOOL haveTimes = GetProcessTimes(p, &created, &exited, &kernel, &user);
  ULONGLONG cpu = 0;
  if (haveTimes) {
    cpu = ((ULONGLONG)kernel.dwHighDateTime << 32 | kernel.dwLowDateTime) +
          ((ULONGLONG)user.dwHighDateTime << 32 | user.dwLowDateTime);
  }
  BenchSay("name=%s pid=%lu private=%llu workingset=%llu pagefile=%llu cpu_us=%llu", pe->szExeFile,
           pe->th32ProcessID, haveMem ? (unsigned long long)mc.PrivateUsage : 0ULL,
           haveMem ? (unsigned long long)mc.WorkingSetSize : 0ULL,
           haveMem ? (unsigned long long)mc.PagefileUsage : 0ULL, (unsigned long long)(cpu / 10));
  CloseHandle(p);
}

int main(int argc, char **argv) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return 1;
  PROCESSENTRY32 pe;
  pe.dwSize = sizeof pe;
  for (BOOL more = Process32First(snap, &pe); more; more = Process32Next(snap, &pe))
    for (int i = 1; i < argc; i++)
      if (_stricmp(pe.szExeFile, argv[i]) == 0) Describe(&pe);
  CloseHandle(snap);
  return 0;
}
