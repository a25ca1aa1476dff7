/* gyxdrv_main_win.cpp — entry of the driver program gyxsrv: command line,
 * start-up, the single-threaded main loop and the orderly shut-down. In
 * "-shutdown" mode it is only a client of the running driver (ctltrans). */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "boxes.h"
#include "ctltrans.h"
#include "device/uddev.h"
#include "device/udcomwin.h"
#include "device/udrecover.h"
#include "dvrfocus.h"
#include "dvrinput.h"
#include "dvrmmap.h"
#include "dvrsvreq.h"
#include "gyxextrn.h"
#include "gyxsrv_res.h"
#include "init.h"
#include "ui.h"
#include "uiwindow.h"
#include "lib/channel.h"

#define MAX_DEVICES 4
#define FOCUS_POLL_MS 250

/* Options count wherever their text occurs in the command line. */
static int HasOption(const char *cmdLine, const char *option) {
  return strstr(cmdLine, option) != NULL;
}

/* Step 7's failures and the boxes that report them. The box names the
 * model and the port, so they are copied before the tables are released. */
static int ReportOpenFailure(int result, const char *model, const char *port) {
  if (result == UD_NO_DEVICE)
    DrvBox(IDS_UNEXPECTED_DEVICE, 0, model, port);
  else
    DrvBox(IDS_BAD_PORT, 0, NULL, NULL);
  return 3;
}

/* Arms device i's wake-up, handling input already waiting: its read is
 * pending (or its port sleeps through a packet) when this returns. A port
 * that refuses to arm counts as failing, like a refused read. */
static int NoteInput(int i, int result);

static void ArmDevice(int i) {
  for (;;) {
    int armed = InitArmDevice(i);
    if (armed == 1 && NoteInput(i, DvrProcessInput(i)) == 0) continue;
    if (armed < 0) NoteInput(i, -1);
    return;
  }
}

/* The wait list: the request semaphore, then the read event of every device
 * that is open (a lost one has none); device[k] is the device of waits[1+k]. */
static int BuildWaits(HANDLE *waits, int *device, int count) {
  int n = 0;
  for (int i = 0; i < count; i++) {
    void *event = UdComReadEvent(UdDeviceAt(i));
    if (event == NULL) continue;
    waits[1 + n] = (HANDLE)event;
    device[n++] = i;
  }
  return n;
}

/* Looks at what a device's input gave; a port that has failed for good closes
 * the device, and its handle leaves the wait list. 1 when that happened. */
static int NoteInput(int i, int result) {
  if (!UdRecoverNote(i, result, GetTickCount64())) return 0;
  DvrDeviceLost(i);
  return 1;
}

/* Lost devices whose try is due are opened again and their wake-ups armed. */
static void TryLostDevices(int count) {
  int wasLost[MAX_DEVICES] = {0};
  for (int i = 0; i < count; i++) wasLost[i] = UdRecoverIsLost(i);
  if (UdRecoverPoll(GetTickCount64()) == 0) return;
  for (int i = 0; i < count; i++)
    if (wasLost[i] && !UdRecoverIsLost(i)) ArmDevice(i);
}

/* The wait's time-out: the focus poll once the loop has been idle for
 * FOCUS_POLL_MS, a lost device's next try, or the end of a port's sleep
 * through a packet's bytes, whichever comes first. */
static DWORD WaitTimeout(int count, ULONGLONG idleSince) {
  ULONGLONG now = GetTickCount64();
  ULONGLONG poll = idleSince + FOCUS_POLL_MS;
  int32_t wait = poll > now ? (int32_t)(poll - now) : 0;
  wait = (int32_t)UdRecoverWait(now, wait);
  for (int i = 0; i < count; i++) {
    int32_t due = UdComDueIn(UdDeviceAt(i));
    if (due >= 0 && due < wait) wait = due;
  }
  return (DWORD)wait;
}

/* Ports whose sleep through a packet's bytes has ended read the rest. 1 when
 * there was one. */
static int WakeSleepers(int count) {
  int any = 0;
  for (int i = 0; i < count; i++) {
    if (UdComDueIn(UdDeviceAt(i)) != 0) continue;
    any = 1;
    ArmDevice(i);
  }
  return any;
}

static void MainLoop(HANDLE *waits, int count) {
  int device[MAX_DEVICES];
  int open = BuildWaits(waits, device, count);
  ULONGLONG idleSince = GetTickCount64(); /* the focus poll waits for a quiet spell */
  while (!gDvrQuit) {
    if (UdRecoverWait(GetTickCount64(), 1) == 0) {
      TryLostDevices(count);
      open = BuildWaits(waits, device, count);
    }
    /* A sleep that has ended is read now, not only when the wait times out:
     * while other devices, requests or messages keep the wait busy, its
     * packet would otherwise wait behind them. */
    if (WakeSleepers(count)) open = BuildWaits(waits, device, count);
    DWORD timeout = WaitTimeout(count, idleSince);
    DWORD r = MsgWaitForMultipleObjects((DWORD)(1 + open), waits, FALSE, timeout, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) {
      DvrServeRequest();
    } else if (r > WAIT_OBJECT_0 && r <= WAIT_OBJECT_0 + (DWORD)open) {
      int i = device[r - WAIT_OBJECT_0 - 1];
      UiShowDevice(i); /* the device that wakes the loop is the one shown */
      if (NoteInput(i, DvrProcessInput(i)) == 0) ArmDevice(i);
    } else if (r == WAIT_TIMEOUT) {
      if (WakeSleepers(count)) {
        /* a device's input, not a quiet spell */
      } else if (GetTickCount64() - idleSince >= FOCUS_POLL_MS) {
        UiFollowFocus(DvrFocusPoll()); /* the window follows the application in front */
        UiCatchUp();
      } else {
        continue; /* a lost device's try is due: the top of the loop makes it */
      }
    } else {
      UiPump(); /* a message is waiting, or the wait failed */
    }
    open = BuildWaits(waits, device, count);
    idleSince = GetTickCount64();
  }
}

static int RunDriver(int quiet) {
  int rc = DvrMmapCreate();
  if (rc != 0) {
    DrvBox(rc == TRANS_OWNED ? IDS_ALREADY_RUNNING : IDS_NO_TRANSPORT, quiet, NULL, NULL);
    return 1;
  }
  HANDLE waits[1 + MAX_DEVICES];
  waits[0] = (HANDLE)DvrMmapRequestSemaphore();

  if (InitBuildDeviceTable() != 0) {
    DvrMmapClose();
    DrvBox(IDS_NO_INIT, quiet, NULL, NULL);
    return 2;
  }
  int count = UdDeviceCount();
  if (count <= 0) {
    DvrCloseAllHandles();
    DvrMmapClose();
    DrvBox(IDS_NO_DEVICE, 0, NULL, NULL); /* shown even when quiet */
    return 3;
  }
  int failedIndex = -1;
  rc = InitOpenDevices((void **)&waits[1], &failedIndex);
  if (rc != 0) {
    char model[128] = "", port[128] = "";
    UdDevice *dev = UdDeviceAt(failedIndex);
    if (dev && dev->model) snprintf(model, sizeof model, "%s", dev->model->name);
    if (dev) snprintf(port, sizeof port, "%s", dev->portName);
    DvrCloseAllHandles();
    DvrMmapClose();
    return ReportOpenFailure(rc, model, port);
  }
  /* Without its window the driver still serves; "-shutdown" still ends it. */
  UiCreate(GetModuleHandleA(NULL));
  UdRecoverReset();
  for (int i = 0; i < count; i++) ArmDevice(i);

  MainLoop(waits, count);

  /* Orderly shut-down: let the last replies reach their applications. */
  Sleep(1000);
  InitCloseDevices();
  UiDestroy();
  DvrCloseAllHandles();
  DvrMmapClose();
  return 0;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  const char *cmdLine = GetCommandLineA();
  int quiet = HasOption(cmdLine, "-quiet");
  int code;
  if (HasOption(cmdLine, "-shutdown"))
    code = CtlShutdown(quiet, HasOption(cmdLine, "-force"));
  else
    code = RunDriver(quiet);
  ExitProcess((UINT)code);
}
