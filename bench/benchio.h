/* benchio.h — what every Win32 benchmark program shares: the clock, the
 * standard-input watch that ends a program when bench.py closes its pipe,
 * a hidden window for messages, and writing samples. Implemented in
 * benchio_win.cpp; used by the *_main_win.cpp programs of bench/. */
#ifndef GYX_BENCH_BENCHIO_H
#define GYX_BENCH_BENCHIO_H

#include <stdint.h>

/* QueryPerformanceCounter in microseconds. Under Wine it follows Linux's
 * CLOCK_MONOTONIC_RAW, so bench.py's times and these compare. */
double BenchNowUs(void);
/* Waits (sleeping, then spinning the last millisecond) until BenchNowUs()
 * reaches us; returns at once when it has passed. */
void BenchWaitUntilUs(double us);

/* Starts a thread that reads standard input until it ends, then sets the
 * stop flag and posts WM_QUIT to the calling thread. 0, or -1. */
int BenchWatchStdin(void);
/* 1 once standard input has ended. */
int BenchStopped(void);
/* A manual-reset event that is set when standard input ends (for waits). */
void *BenchStopEvent(void);

/* A hidden top-level window of class name with DefWindowProc, or null. */
void *BenchMakeWindow(const char *name);
/* Shows the window and brings it to the front, as a user's application in
 * use is; 1 once it is the foreground window (waits up to 2 s), else 0. */
int BenchShowInFront(void *window);

/* Writes one sample per line (microseconds, one decimal) to a Windows or
 * Z:\ path; 0, or -1. */
int BenchWriteSamples(const char *path, const double *us, int count);

/* printf to standard output and flush: bench.py reads lines as they come. */
void BenchSay(const char *fmt, ...);

/* Value of "--name" in argv (the next word), or def. */
const char *BenchArg(int argc, char **argv, const char *name, const char *def);

#endif
