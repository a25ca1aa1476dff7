/* app_main_win.cpp — gyxbench_app: an application of the input library, in
 * the public header's terms only, for bench.py's measurements.
 *   latency    answers every event with GiBeep (the simulator times the loop)
 *   throughput counts the events and the records they carry per burst; a
 *              button press from the simulator ends each burst
 *   request    times GiGetDeviceInfo calls, one sample each, into --out
 *   idle       holds the device open and waits (driver memory with clients)
 * Options: --device N (index, default 0), --grab 1|0|-1 (exclusive,
 * background, none), --front 1 (show the window in front, as the
 * application in use), --count N, --warmup N, --out PATH, --start-at US
 * (BenchNowUs value to start the timed calls at). Prints "ready" once the
 * device is open, results as "key=value" lines; ends when standard input
 * ends. Exit status 0, 1 when the library failed. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "bench/benchio.h"
#include "lib/gyrantrix.h"

#define APP_NAME "Gyrantrix Benchmark"

struct App {
  GiHandle handle = NULL;
  HWND window = NULL;
  long events = 0;
  long failures = 0;
  std::vector<double> beepUs; /* latency: how long each GiBeep call took */
};

/* Median and 99th percentile of the beep call times, for the breakdown. */
static void SayBeepTimes(std::vector<double> *us) {
  if (us->empty()) return;
  std::sort(us->begin(), us->end());
  size_t n = us->size();
  BenchSay("beeps n=%zu median_us=%.1f p99_us=%.1f", n, (*us)[n / 2], (*us)[(n * 99 + 99) / 100 - 1]);
}

/* Forward distance from sequence number a to b on the cycle 1..65535. */
static int SeqDistance(unsigned a, unsigned b) {
  return b >= a ? (int)(b - a) : (int)((b - a - 1) & 0xFFFF);
}

/* Per-burst counts of the throughput mode: events, the records they carried,
 * and the times of the first and the last (bench.py times the burst from
 * the moment it sent it to the last). The marker (a button press the
 * simulator sends once the burst has drained) tells where the records end. */
struct Burst {
  int open;
  double startUs;
  double lastUs;
  unsigned firstSeq;
  long events;
  long skips;
};

static void OnEvent(App *app, const char *mode, const GiGetEventData *d, const GiEvent *ev, Burst *b) {
  app->events++;
  if (strcmp(mode, "latency") == 0) {
    double t0 = BenchNowUs();
    if (GiBeep(app->handle, "c") != GI_NO_ERROR) app->failures++;
    app->beepUs.push_back(BenchNowUs() - t0);
    return;
  }
  if (strcmp(mode, "throughput") != 0) return;
  unsigned seq = d->lParam & 0xFFFF;
  if (ev->type == GI_BUTTON_EVENT) {
    if (ev->pressed == 0) return;
    if (!b->open) {
      BenchSay("burst events=0 records=0 us=0 skips=%ld", b->skips);
    } else {
      BenchSay("burst events=%ld records=%d us=%.0f skips=%ld first=%.0f last=%.0f", b->events,
               SeqDistance(b->firstSeq, seq), b->lastUs - b->startUs, b->skips, b->startUs, b->lastUs);
    }
    memset(b, 0, sizeof *b);
    return;
  }
  if (!b->open) {
    b->open = 1;
    b->startUs = BenchNowUs();
    b->firstSeq = seq;
  }
  b->lastUs = BenchNowUs();
  b->events++;
}

/* The message loop: every message goes to the library first. */
static void Pump(App *app, const char *mode) {
  Burst burst;
  memset(&burst, 0, sizeof burst);
  for (;;) {
    MsgWaitForMultipleObjects(0, NULL, FALSE, 250, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return;
      GiGetEventData d;
      GiHandle h;
      GiGetEventWinInit(&d, msg.message, msg.wParam, msg.lParam);
      if (!GiFindEventHandle(&d, &h)) {
        DispatchMessageA(&msg);
        continue;
      }
      GiEvent ev;
      int32_t r = GiGetEvent(h, 0, &d, &ev);
      if (r == GI_IS_EVENT) {
        OnEvent(app, mode, &d, &ev, &burst);
      } else if (r == GI_SKIP_EVENT) {
        burst.skips++;
      } else {
        fprintf(stderr, "gyxbench_app: GiGetEvent: %s\n", GiErrorString(r));
        if (r == GI_NO_DRIVER) return;
      }
    }
    if (BenchStopped()) return;
  }
}

static int TimeRequests(App *app, int argc, char **argv) {
  int count = atoi(BenchArg(argc, argv, "--count", "2000"));
  int warmup = atoi(BenchArg(argc, argv, "--warmup", "100"));
  const char *out = BenchArg(argc, argv, "--out", NULL);
  double startAt = atof(BenchArg(argc, argv, "--start-at", "0"));
  if (count <= 0 || !out) {
    fprintf(stderr, "gyxbench_app: request needs --count N and --out PATH\n");
    return 1;
  }
  GiDeviceInfo info;
  for (int i = 0; i < warmup; i++) GiGetDeviceInfo(app->handle, &info);
  std::vector<double> us((size_t)count);
  BenchWaitUntilUs(startAt);
  const double start = BenchNowUs();
  for (int i = 0; i < count; i++) {
    double t0 = BenchNowUs();
    if (GiGetDeviceInfo(app->handle, &info) != GI_NO_ERROR) app->failures++;
    us[(size_t)i] = BenchNowUs() - t0;
  }
  const double total = BenchNowUs() - start;
  if (BenchWriteSamples(out, us.data(), count) != 0) {
    fprintf(stderr, "gyxbench_app: cannot write %s\n", out);
    return 1;
  }
  BenchSay("done n=%d us=%.0f failures=%ld start=%.0f", count, total, app->failures, start);
  return 0;
}

int main(int argc, char **argv) {
  const char *mode = argc > 1 ? argv[1] : "";
  if (strcmp(mode, "latency") && strcmp(mode, "throughput") && strcmp(mode, "request") &&
      strcmp(mode, "idle")) {
    fprintf(stderr, "usage: gyxbench_app latency|throughput|request|idle [--device N] [--grab 1|0|-1] ...\n");
    return 2;
  }
  BenchWatchStdin();
  App app;
  if (GiInitialize() != GI_NO_ERROR) {
    fprintf(stderr, "gyxbench_app: GiInitialize: %s\n", GiErrorString(GiLastError));
    return 1;
  }
  int rc = 1;
  int32_t index = atoi(BenchArg(argc, argv, "--device", "0"));
  int32_t grab = atoi(BenchArg(argc, argv, "--grab", "-1"));
  app.window = (HWND)BenchMakeWindow("GyrantrixBenchApp");
  if (app.window && atoi(BenchArg(argc, argv, "--front", "0")) && !BenchShowInFront(app.window))
    fprintf(stderr, "gyxbench_app: the window did not come to the front\n");
  GiOpenData od;
  GiOpenWinInit(&od, app.window);
  if (app.window) app.handle = GiOpen(APP_NAME, GiDeviceIndex(index), NULL, GI_EVENT_MODE, &od);
  if (!app.handle) {
    fprintf(stderr, "gyxbench_app: GiOpen of device %d: %s\n", (int)index, GiErrorString(GiLastError));
  } else if (grab >= 0 && GiGrabDevice(app.handle, grab) != GI_NO_ERROR) {
    fprintf(stderr, "gyxbench_app: GiGrabDevice: %s\n", GiErrorString(GiLastError));
  } else {
    BenchSay("ready");
    if (strcmp(mode, "request") == 0) {
      rc = TimeRequests(&app, argc, argv);
      if (rc == 0) WaitForSingleObject((HANDLE)BenchStopEvent(), INFINITE);
    } else {
      Pump(&app, mode);
      SayBeepTimes(&app.beepUs);
      BenchSay("events=%ld failures=%ld", app.events, app.failures);
      rc = 0;
    }
  }
  if (app.handle) GiClose(app.handle);
  GiTerminate();
  if (app.window) DestroyWindow(app.window);
  return rc;
}
