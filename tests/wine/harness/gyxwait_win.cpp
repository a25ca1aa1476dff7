// gyxwait_win.cpp: the polling loop behind GyxWaitFor (gyxwait.h), used by the
// other harness helpers and directly by the Win32 tests.
#include "gyxwait.h"

#include <windows.h>

unsigned long long GyxNowMs() {
  return GetTickCount64();
}

bool GyxWaitFor(const std::function<bool()> &pred, unsigned long timeoutMs, unsigned long pollMs) {
  const unsigned long long deadline = GyxNowMs() + timeoutMs;
  for (;;) {
    if (pred()) return true;
    const unsigned long long now = GyxNowMs();
    if (now >= deadline) return false;
    const unsigned long long left = deadline - now;
    Sleep(static_cast<DWORD>(left < pollMs ? left : pollMs));
  }
}
