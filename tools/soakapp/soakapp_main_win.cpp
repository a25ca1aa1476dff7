/* soakapp_main_win.cpp — one application of the soak run: through the public
 * library it opens, grabs, releases and closes the driver's devices at random,
 * comes to the front now and then, and takes every event. It counts what the
 * driver delivered by the sequence numbers of its notices, so that folding
 * and drops can be told apart:
 *
 *   gyx_soakapp --seed N --seconds S [--every MS]
 *   gyx_soakapp --probe NAME.exe
 *
 * --probe prints, for every running process of that name, one line
 *   probe pid=P handles=N pagefile=B workingset=B cpu_us=T
 * (Win32's handle count, commit and CPU time of the driver, for the run's
 * samples) and ends.
 *
 * Every few seconds and at the end one line on standard output:
 *   stats t=S opens=N closes=N grabs=N records=N events=N motion=N zero=N
 *         button=N coalesced=N dropped=N resets=N failures=N handles=N
 * records: records the driver put in this application's rings; coalesced:
 * records the library folded into a later event; dropped: notices of records
 * a full ring could not take; zero: zero events (the driver puts one in place
 * of an event a nearly full ring cannot take, and at a focus change). */
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "lib/gyrantrix.h"
#include "tools/common/toolkit.h"

enum { MAX_HANDLES = 8 };

static struct {
  GiHandle handle[MAX_HANDLES];
  int32_t lastSeq[MAX_HANDLES]; /* -1: none seen yet */
  unsigned long long opens, closes, grabs, records, events, motion, zero, button, coalesced, dropped, resets,
      failures;
} g;

static uint64_t gRandom = 0x2545F4914F6CDD1Dull;
static uint32_t Random(void) {
  return ToolRandom(&gRandom);
}

static int SlotOf(GiHandle h) {
  for (int i = 0; i < MAX_HANDLES; i++)
    if (g.handle[i] == h && h) return i;
  return -1;
}

static int OpenCount(void) {
  int n = 0;
  for (int i = 0; i < MAX_HANDLES; i++) n += g.handle[i] != NULL;
  return n;
}

static void Report(unsigned long long ms) {
  printf(
      "stats t=%llu opens=%llu closes=%llu grabs=%llu records=%llu events=%llu motion=%llu zero=%llu "
      "button=%llu coalesced=%llu dropped=%llu resets=%llu failures=%llu handles=%d\n",
      ms / 1000, g.opens, g.closes, g.grabs, g.records, g.events, g.motion, g.zero, g.button, g.coalesced,
      g.dropped, g.resets, g.failures, OpenCount());
  fflush(stdout);
}

/* Forward distance on the cycle 1..65535 of the notices' sequence numbers. */
static int32_t SeqDistance(int32_t from, int32_t to) {
  return to > from ? to - from : (to - from - 1 + 65536) % 65536;
}

static void TakeMessage(MSG *m) {
  GiGetEventData d;
  GiHandle h;
  GiGetEventWinInit(&d, m->message, m->wParam, m->lParam);
  if (!GiFindEventHandle(&d, &h)) {
    DispatchMessageA(m);
    return;
  }
  int k = SlotOf(h);
  int32_t kind = (int32_t)((m->lParam >> 16) & 0xFF), seq = (int32_t)(m->lParam & 0xFFFF);
  if (k >= 0 && kind >= 1 && kind <= 5) {
    if (g.lastSeq[k] >= 0 && seq == g.lastSeq[k]) {
      g.dropped++; /* the notice of a record that did not fit names the last one */
    } else {
      int32_t folded = g.lastSeq[k] >= 0 ? SeqDistance(g.lastSeq[k], seq) - 1 : 0;
      if (folded > 0) g.coalesced += (unsigned long long)folded;
      g.records += 1 + (unsigned long long)(folded > 0 ? folded : 0);
      g.lastSeq[k] = seq;
    }
  } else if (k >= 0 && kind == 0xFE) {
    g.resets++;
    g.lastSeq[k] = seq;
  }
  GiEvent ev;
  int32_t r = GiGetEvent(h, 0, &d, &ev);
  if (r == GI_IS_EVENT) {
    g.events++;
    if (ev.type == GI_ZERO_EVENT)
      g.zero++;
    else if (ev.type == GI_BUTTON_EVENT)
      g.button++;
    else
      g.motion++;
  } else if (r != GI_SKIP_EVENT && r != GI_NOT_EVENT) {
    g.failures++;
  }
}

/* One random step of an application's life. */
static void Act(HWND wnd, int devices) {
  int k = (int)(Random() % MAX_HANDLES);
  switch (Random() % 8) {
    case 0:
    case 1: { /* open a device */
      if (g.handle[k] || devices <= 0) break;
      GiOpenData od;
      GiOpenWinInit(&od, wnd);
      GiHandle h =
          GiOpen("soak", GiDeviceIndex((int32_t)(Random() % (uint32_t)devices)), NULL, GI_EVENT_MODE, &od);
      if (h) {
        g.handle[k] = h;
        g.lastSeq[k] = -1;
        g.opens++;
      } else {
        g.failures++;
      }
      break;
    }
    case 2: /* close one */
      if (!g.handle[k]) break;
      if (GiClose(g.handle[k]) != GI_NO_ERROR) g.failures++;
      g.handle[k] = NULL;
      g.closes++;
      break;
    case 3: /* grab, or take the background slot */
      if (!g.handle[k]) break;
      GiGrabDevice(g.handle[k], (int32_t)(Random() % 2)); /* refused while another holds it: fine */
      g.grabs++;
      break;
    case 4:
      if (g.handle[k] && GiReleaseDevice(g.handle[k]) != GI_NO_ERROR) g.failures++;
      break;
    case 5: /* the user clicks into this application */
      SetForegroundWindow(wnd);
      break;
    default:
      break;
  }
}

static int Probe(const char *exeName) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return 1;
  PROCESSENTRY32 pe;
  pe.dwSize = sizeof pe;
  for (BOOL more = Process32First(snap, &pe); more; more = Process32Next(snap, &pe)) {
    if (_stricmp(pe.szExeFile, exeName) != 0) continue;
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pe.th32ProcessID);
    if (!p) continue;
    DWORD handles = 0;
    GetProcessHandleCount(p, &handles);
    PROCESS_MEMORY_COUNTERS mc;
    memset(&mc, 0, sizeof mc);
    mc.cb = sizeof mc;
    GetProcessMemoryInfo(p, &mc, sizeof mc);
    FILETIME created, exited, kernel, user;
    unsigned long long cpu = 0;
    if (GetProcessTimes(p, &created, &exited, &kernel, &user))
      cpu = (((unsigned long long)kernel.dwHighDateTime << 32 | kernel.dwLowDateTime) +
             ((unsigned long long)user.dwHighDateTime << 32 | user.dwLowDateTime)) /
            10;
    printf("probe pid=%lu handles=%lu pagefile=%llu workingset=%llu cpu_us=%llu\n", pe.th32ProcessID, handles,
           (unsigned long long)mc.PagefileUsage, (unsigned long long)mc.WorkingSetSize, cpu);
    CloseHandle(p);
  }
  CloseHandle(snap);
  fflush(stdout);
  return 0;
}

int main(int argc, char **argv) {
  const char *probe = ToolArg(argc, argv, "--probe", NULL);
  if (probe) return Probe(probe);
  gRandom ^= (uint64_t)strtoull(ToolArg(argc, argv, "--seed", "1"), NULL, 10) * 0x9E3779B97F4A7C15ull;
  unsigned long long seconds = strtoull(ToolArg(argc, argv, "--seconds", "60"), NULL, 10);
  DWORD every = (DWORD)atoi(ToolArg(argc, argv, "--every", "300"));
  for (int i = 0; i < MAX_HANDLES; i++) g.lastSeq[i] = -1;

  WNDCLASSA wc;
  memset(&wc, 0, sizeof wc);
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(NULL);
  wc.lpszClassName = "GyxSoakApp";
  RegisterClassA(&wc);
  HWND wnd = CreateWindowA("GyxSoakApp", "soak", WS_OVERLAPPEDWINDOW | WS_VISIBLE, (int)(Random() % 600),
                           (int)(Random() % 400), 200, 100, NULL, NULL, wc.hInstance, NULL);
  if (!wnd) return 5;
  int32_t rc = GiInitialize();
  if (rc != GI_NO_ERROR) {
    printf("error initialize=%d\n", (int)rc);
    return 2;
  }
  int devices = GiGetNumDevices();
  printf("ready devices=%d\n", devices);
  fflush(stdout);

  const ULONGLONG start = GetTickCount64();
  ULONGLONG nextAct = start, nextReport = start + 5000;
  for (;;) {
    ULONGLONG now = GetTickCount64();
    if (now - start >= seconds * 1000) break;
    if (now >= nextAct) {
      Act(wnd, devices);
      nextAct = now + every / 2 + Random() % (every + 1);
    }
    if (now >= nextReport) {
      Report(now - start);
      nextReport += 5000;
    }
    MsgWaitForMultipleObjects(0, NULL, FALSE, 20, QS_ALLINPUT);
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) TakeMessage(&m);
  }
  for (int i = 0; i < MAX_HANDLES; i++)
    if (g.handle[i]) {
      GiClose(g.handle[i]);
      g.handle[i] = NULL;
      g.closes++;
    }
  Report(GetTickCount64() - start);
  GiTerminate();
  return 0;
}
