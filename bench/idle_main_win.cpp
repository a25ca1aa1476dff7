/* idle_main_win.cpp — gyxbench_idle: a Win32 program that only waits, shaped
 * like the driver at rest (a window, a message wait that times out four
 * times a second) and doing nothing else, so Wine's own cost of such a
 * program can be set beside the driver's. Prints "ready"; ends when
 * standard input ends. */
#include <windows.h>

#include "bench/benchio.h"

int main(void) {
  BenchWatchStdin();
  HWND w = (HWND)BenchMakeWindow("GyrantrixBenchIdle");
  if (!w) return 1;
  BenchSay("ready");
  while (!BenchStopped()) {
    MsgWaitForMultipleObjects(0, NULL, FALSE, 250, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  DestroyWindow(w);
  return 0;
}
