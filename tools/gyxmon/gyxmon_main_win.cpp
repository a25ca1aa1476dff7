/* gyxmon_main_win.cpp — the console event monitor: opens every device the
 * driver serves for a hidden window, takes each device's background slot (a
 * console is never the foreground window), and prints one line per event to
 * standard output until Ctrl-C, --count events or --seconds. Driver and
 * device details and failures go to standard error.
 * Exit status: 0 done, 1 no driver or no device, 2 bad arguments, 3 the
 * driver went away. */
#include <windows.h>

#include <stdio.h>

#include "lib/gyrantrix.h"
#include "tools/gyxmon/monfmt.h"

#define MON_APP_NAME "Gyrantrix Event Monitor"
#define MON_MAX_DEVICES 64

static volatile LONG gStop;
static DWORD gMainThread;

static BOOL WINAPI OnConsoleCtrl(DWORD) {
  InterlockedExchange(&gStop, 1);
  PostThreadMessageA(gMainThread, WM_NULL, 0, 0); /* wake the wait */
  return TRUE;
}

/* A hidden top-level window: the driver posts each handle's notices to it
 * and checks that it still exists. */
static HWND MakeWindow(void) {
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof wc);
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(NULL);
  wc.lpszClassName = "GyrantrixMonitor";
  if (!RegisterClassA(&wc)) return NULL;
  return CreateWindowExA(0, wc.lpszClassName, MON_APP_NAME, WS_OVERLAPPED, 0, 0, 0, 0, NULL, NULL,
                         wc.hInstance, NULL);
}

static void Say(const char *fmt, const char *a, const char *b, const char *code) {
  fprintf(stderr, fmt, a, b, code);
  fputc('\n', stderr);
}

static void DescribeDriver(void) {
  GiDriverInfo info;
  if (GiGetDriverInfo(&info) != GI_NO_ERROR) {
    fprintf(stderr, "Can't get driver info.   (%s)\n", GiErrorString(GiLastError));
    return;
  }
  fprintf(stderr, "%.128s  (Build %d), %.128s\n", info.version, (int)info.build, info.date);
}

/* Opens device i and takes its background slot; NULL when it cannot be
 * opened. The slot is asked for right after the open: the driver looks at
 * the slots when it next works out the focus, which an open triggers. */
static GiHandle OpenDevice(int32_t i, GiOpenData *od) {
  int32_t id = GiDeviceIndex(i);
  GiHandle h = GiOpen(MON_APP_NAME, id, NULL, GI_EVENT_MODE, od);
  int32_t code = GiLastError;
  int32_t grab = h ? GiGrabDevice(h, 0) : GI_NO_ERROR;
  GiPortInfo port;
  int havePort = GiGetDevicePort(id, &port) == GI_NO_ERROR;
  if (!h) {
    if (havePort) {
      Say("Can't open device -- type: %s, port: %s.   (%s)", port.typeName, port.portName,
          GiErrorString(code));
    } else {
      fprintf(stderr, "Can't open device -- index: %d.   (%s)\n", (int)i, GiErrorString(code));
    }
    return NULL;
  }
  if (havePort) fprintf(stderr, "Device %d on port %.128s (%.128s)\n", (int)id, port.portName, port.typeName);
  if (grab != GI_NO_ERROR) {
    fprintf(stderr,
            "Device %d: another application holds the background slot; events come only while\n"
            "no application with the device open is in front.   (%s)\n",
            (int)id, GiErrorString(grab));
  }
  return h;
}

static void PrintEvent(GiHandle h, const GiEvent *ev, int single) {
  char lines[2][MON_LINE_SIZE];
  int n = MonFormatEvent(ev, GiGetDeviceID(h), single, lines);
  for (int i = 0; i < n; i++) puts(lines[i]);
  fflush(stdout);
}

int main(int argc, char **argv) {
  MonOptions opt;
  char err[160];
  if (MonParseArgs(argc, (const char *const *)argv, &opt, err, sizeof err) != 0) {
    fprintf(stderr, "gyxmon: %s\n%s", err, MON_USAGE);
    return 2;
  }
  if (opt.help) {
    fputs(MON_USAGE, stdout);
    return 0;
  }
  gMainThread = GetCurrentThreadId();
  SetConsoleCtrlHandler(OnConsoleCtrl, TRUE);

  if (GiInitialize() != GI_NO_ERROR) {
    fprintf(stderr, "Can't initialize Gyrantrix.   (%s)\n", GiErrorString(GiLastError));
    return 1;
  }
  DescribeDriver();
  int32_t count = GiGetNumDevices();
  HWND window = count > 0 ? MakeWindow() : NULL;
  GiHandle handles[MON_MAX_DEVICES] = {0};
  int opened = 0;
  if (count <= 0) {
    fputs("No Gyrantrix driver running.\n", stderr);
  } else if (!window) {
    fprintf(stderr, "gyxmon: cannot create its window (error %lu)\n", GetLastError());
  } else {
    GiOpenData od;
    GiOpenWinInit(&od, window);
    for (int32_t i = 0; i < count && i < MON_MAX_DEVICES; i++) {
      handles[i] = OpenDevice(i, &od);
      if (handles[i]) opened++;
    }
  }
  if (opened == 0) {
    if (window) DestroyWindow(window);
    GiTerminate();
    return 1;
  }

  fprintf(stderr, "Listening to %d device(s); Ctrl-C ends.\n", opened);
  fflush(stderr);

  const ULONGLONG deadline = opt.seconds ? GetTickCount64() + (ULONGLONG)opt.seconds * 1000 : 0;
  const int32_t options = opt.fixed ? GI_FIXED_PERIOD : 0;
  long events = 0;
  int status = 0;
  while (!gStop && status == 0 && (!opt.count || events < opt.count)) {
    DWORD wait = 250; /* the stop flag and the deadline are looked at this often */
    if (deadline) {
      ULONGLONG now = GetTickCount64();
      if (now >= deadline) break;
      if (deadline - now < wait) wait = (DWORD)(deadline - now);
    }
    MsgWaitForMultipleObjects(0, NULL, FALSE, wait, QS_ALLINPUT);
    MSG msg;
    while (status == 0 && (!opt.count || events < opt.count) && PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
      GiGetEventData data;
      GiHandle h;
      GiGetEventWinInit(&data, msg.message, msg.wParam, msg.lParam);
      if (!GiFindEventHandle(&data, &h)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        continue;
      }
      GiEvent ev;
      int32_t r = GiGetEvent(h, options, &data, &ev);
      if (r == GI_IS_EVENT) {
        PrintEvent(h, &ev, opt.single);
        events++;
      } else if (r != GI_SKIP_EVENT) {
        fprintf(stderr, "Error getting event.  (%s)\n", GiErrorString(r));
        if (r == GI_NO_DRIVER) status = 3;
      }
    }
  }

  /* After the driver has gone the handles are dead already. */
  for (int i = 0; i < MON_MAX_DEVICES && status == 0; i++)
    if (handles[i]) GiClose(handles[i]);
  DestroyWindow(window);
  GiTerminate();
  return status;
}
