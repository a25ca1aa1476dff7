/* post_main_win.cpp — gyxbench_post: the bare baseline of the pipeline's
 * throughput, cross-process PostMessage -> GetMessage.
 *   gyxbench_post recv          makes a window, prints "hwnd=N", then for
 *                               every round of messages prints
 *                               "round received=N us=T" (first to last)
 *   gyxbench_post send HWND N   posts N messages to that window as fast as
 *                               it takes them, prints "posted=N failed=F us=T"
 * The receiver ends when standard input ends. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bench/benchio.h"

enum { BENCH_MSG = WM_APP + 17 };

static int Receive(void) {
  HWND w = (HWND)BenchMakeWindow("GyrantrixBenchPost");
  if (!w) return 1;
  BenchSay("hwnd=%llu", (unsigned long long)(UINT_PTR)w);
  long got = 0;
  double start = 0;
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    if (msg.message != BENCH_MSG) {
      DispatchMessageA(&msg);
      continue;
    }
    if (got++ == 0) start = BenchNowUs();
    if (msg.lParam == 1) { /* the round's last message */
      BenchSay("round received=%ld us=%.0f", got, BenchNowUs() - start);
      got = 0;
    }
  }
  DestroyWindow(w);
  return 0;
}

static int Send(HWND w, long count) {
  long failed = 0;
  double start = BenchNowUs();
  for (long i = 0; i < count;) {
    if (PostMessageA(w, BENCH_MSG, (WPARAM)i, i == count - 1 ? 1 : 0)) {
      i++;
    } else {
      failed++; /* the queue is full: let the receiver catch up */
      if (failed > 1000000) break;
      Sleep(0);
    }
  }
  BenchSay("posted=%ld failed=%ld us=%.0f", count, failed, BenchNowUs() - start);
  return 0;
}

int main(int argc, char **argv) {
  if (argc >= 2 && strcmp(argv[1], "recv") == 0) {
    BenchWatchStdin();
    return Receive();
  }
  if (argc >= 4 && strcmp(argv[1], "send") == 0)
    return Send((HWND)(UINT_PTR)strtoull(argv[2], NULL, 10), atol(argv[3]));
  fprintf(stderr, "usage: gyxbench_post recv | send HWND COUNT\n");
  return 2;
}
