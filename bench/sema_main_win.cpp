/* sema_main_win.cpp — gyxbench_sema: the bare baseline of the request round
 * trip, request/reply through two named semaphores between two processes.
 *   gyxbench_sema server                       answers until standard input ends
 *   gyxbench_sema client --count N --out PATH  [--warmup N] [--start-at US] [--lock 1]
 * The client times each round (release the request semaphore, wait for the
 * reply semaphore) and writes one sample per line. With --lock 1 it also
 * holds a named mutex around each round, as the library's request holds the
 * channel's application lock: the breakdown of what a request adds. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "bench/benchio.h"

static const char kRequest[] = "GyrantrixBenchRequest";
static const char kReply[] = "GyrantrixBenchReply";
static const char kLock[] = "GyrantrixBenchLock";

static int Serve(void) {
  HANDLE req = CreateSemaphoreA(NULL, 0, 1, kRequest);
  HANDLE rep = CreateSemaphoreA(NULL, 0, 1, kReply);
  HANDLE lock = CreateMutexA(NULL, FALSE, kLock);
  if (!req || !rep || !lock) return 1;
  BenchSay("ready");
  long served = 0;
  while (!BenchStopped()) {
    if (WaitForSingleObject(req, 250) != WAIT_OBJECT_0) continue;
    ReleaseSemaphore(rep, 1, NULL);
    served++;
  }
  BenchSay("served=%ld", served);
  CloseHandle(req);
  CloseHandle(rep);
  CloseHandle(lock);
  return 0;
}

static int Client(int argc, char **argv) {
  int count = atoi(BenchArg(argc, argv, "--count", "2000"));
  int warmup = atoi(BenchArg(argc, argv, "--warmup", "100"));
  const char *out = BenchArg(argc, argv, "--out", NULL);
  double startAt = atof(BenchArg(argc, argv, "--start-at", "0"));
  int useLock = atoi(BenchArg(argc, argv, "--lock", "0"));
  HANDLE req = OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, kRequest);
  HANDLE rep = OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, kReply);
  HANDLE lock = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kLock);
  if (!req || !rep || !lock || count <= 0 || !out) {
    fprintf(stderr, "gyxbench_sema: no server, or bad --count/--out\n");
    return 1;
  }
  long failures = 0;
  for (int i = 0; i < warmup; i++) {
    ReleaseSemaphore(req, 1, NULL);
    WaitForSingleObject(rep, 20000);
  }
  std::vector<double> us((size_t)count);
  BenchWaitUntilUs(startAt);
  const double start = BenchNowUs();
  for (int i = 0; i < count; i++) {
    double t0 = BenchNowUs();
    if (useLock && WaitForSingleObject(lock, 30000) != WAIT_OBJECT_0) failures++;
    ReleaseSemaphore(req, 1, NULL);
    if (WaitForSingleObject(rep, 20000) != WAIT_OBJECT_0) failures++;
    if (useLock) ReleaseMutex(lock);
    us[(size_t)i] = BenchNowUs() - t0;
  }
  const double total = BenchNowUs() - start;
  if (BenchWriteSamples(out, us.data(), count) != 0) return 1;
  BenchSay("done n=%d us=%.0f failures=%ld start=%.0f", count, total, failures, start);
  return 0;
}

int main(int argc, char **argv) {
  if (argc >= 2 && strcmp(argv[1], "server") == 0) {
    BenchWatchStdin();
    return Serve();
  }
  if (argc >= 2 && strcmp(argv[1], "client") == 0) return Client(argc, argv);
  fprintf(stderr, "usage: gyxbench_sema server | client --count N --out PATH\n");
  return 2;
}
