/* benchio_win.cpp — the shared helpers of the Win32 benchmark programs
 * (benchio.h): clock, standard-input watch, hidden window, sample files. */
#include <windows.h>

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "bench/benchio.h"

static double gTicksPerUs;
static volatile LONG gStopped;
static HANDLE gStopEvent;
static DWORD gOwner;

double BenchNowUs(void) {
  LARGE_INTEGER c;
  if (gTicksPerUs == 0) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    gTicksPerUs = (double)f.QuadPart / 1e6;
  }
  QueryPerformanceCounter(&c);
  return (double)c.QuadPart / gTicksPerUs;
}

void BenchWaitUntilUs(double us) {
  for (;;) {
    double left = us - BenchNowUs();
    if (left <= 0) return;
    if (left > 2000) Sleep((DWORD)((left - 1500) / 1000));
    /* else spin: Sleep's granularity is about a millisecond */
  }
}

static DWORD WINAPI WatchStdin(void *) {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  char buf[256];
  DWORD n;
  while (in != NULL && in != INVALID_HANDLE_VALUE && ReadFile(in, buf, sizeof buf, &n, NULL) && n > 0) {
  }
  InterlockedExchange(&gStopped, 1);
  SetEvent(gStopEvent);
  PostThreadMessageA(gOwner, WM_QUIT, 0, 0);
  return 0;
}

int BenchWatchStdin(void) {
  gOwner = GetCurrentThreadId();
  gStopEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
  if (gStopEvent == NULL) return -1;
  HANDLE t = CreateThread(NULL, 0, WatchStdin, NULL, 0, NULL);
  if (t == NULL) return -1;
  CloseHandle(t);
  return 0;
}

int BenchStopped(void) {
  return gStopped != 0;
}

void *BenchStopEvent(void) {
  return gStopEvent;
}

void *BenchMakeWindow(const char *name) {
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof wc);
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(NULL);
  wc.lpszClassName = name;
  if (!RegisterClassA(&wc)) return NULL;
  return CreateWindowExA(0, name, name, WS_OVERLAPPED, 0, 0, 0, 0, NULL, NULL, wc.hInstance, NULL);
}

int BenchShowInFront(void *window) {
  HWND w = (HWND)window;
  SetWindowPos(w, HWND_TOP, 40, 40, 240, 120, SWP_SHOWWINDOW);
  SetForegroundWindow(w);
  /* The foreground can read NULL for a moment during the switch. */
  for (int i = 0; i < 200; i++) {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (GetForegroundWindow() == w) return 1;
    Sleep(10);
  }
  return 0;
}

int BenchWriteSamples(const char *path, const double *us, int count) {
  FILE *f = fopen(path, "w");
  if (!f) return -1;
  for (int i = 0; i < count; i++) fprintf(f, "%.1f\n", us[i]);
  return fclose(f) == 0 ? 0 : -1;
}

void BenchSay(const char *fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  vprintf(fmt, ap);
  va_end(ap);
  fputc('\n', stdout);
  fflush(stdout);
}

const char *BenchArg(int argc, char **argv, const char *name, const char *def) {
  for (int i = 1; i + 1 < argc; i++)
    if (strcmp(argv[i], name) == 0) return argv[i + 1];
  return def;
}
