/* chanclient_main_win.cpp — a Win32 test client of the driver that speaks
 * the shared-memory channel directly, below the input library. It opens a
 * device for its own window and writes every notice and every record it
 * reads to a log file, one line each, so that tests in another process can
 * follow what the driver delivered. Tests steer it with posted messages.
 *
 *   gyx_chanclient --title T --log PATH [--device N] [--events MASK]
 *                  [--grab 0|1] [--no-read] [--ui-mode M] [--post CODE]
 *                  [--plain]
 *
 * --plain makes a window of a program that knows nothing of the driver: it
 * opens no channel and no device. Either way the window logs every key that
 * reaches it ("key down vk=N", "key up vk=N"), so tests see keystrokes.
 *
 * --post CODE sends request CODE (no data) with a reply wanted right after
 * attaching and then waits for ever without reading the reply, holding the
 * request lock: an application killed between its request and its reply.
 *
 * Messages (to the window titled T): WM_APP+1 grab (wParam flag), WM_APP+2
 * release, WM_APP+3 destroy the window without closing, WM_APP+4 close the
 * handle and quit, WM_APP+5 set UI mode (wParam), WM_APP+6 start reading. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "lib/appmmap.h"
#include "lib/gyrantrix.h"
#include "lib/reqcodes.h"
#include "lib/wire.h"
#include "tools/common/toolkit.h"

static FILE *gLog;
static QueueLink *gQueue;
static uint32_t gHandle, gMessage;
static int32_t gSlot = -1;
static int gRead = 1;

static void Log(const char *fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  vfprintf(gLog, fmt, ap);
  va_end(ap);
  fputc('\n', gLog);
  fflush(gLog);
}

static int Flag(int argc, char **argv, const char *name) {
  for (int i = 1; i < argc; i++)
    if (strcmp(argv[i], name) == 0) return 1;
  return 0;
}

/* Sends a request with word arguments; with a reply, reads it into reply. */
static int Request(int32_t code, const int32_t *words, int n, void *reply, int capacity) {
  uint8_t data[64];
  for (int i = 0; i < n; i++) WirePut32(data + 4 * i, (uint32_t)words[i]);
  int rc = AppMmapSend(code, data, 4 * n, reply != NULL);
  if (rc != 0 || !reply) return rc;
  return AppMmapReceive(reply, capacity);
}

static int OpenDevice(HWND wnd, int32_t device, int32_t events) {
  const char name[] = "chanclient";
  uint8_t req[sizeof name + WIRE_OPEN_FIXED];
  int32_t at = ToolEncodeOpen(req, (int32_t)sizeof req, name, (int32_t)sizeof name, device,
                              (uint32_t)(uintptr_t)wnd, (uint32_t)events);
  uint8_t bytes[WIRE_OPEN_REPLY];
  memset(bytes, 0, sizeof bytes);
  if (AppMmapSend(REQ_OPEN, req, at, 1) != 0) return -1;
  int got = AppMmapReceive(bytes, sizeof bytes);
  WireOpenReply reply;
  WireDecodeOpenReply(bytes, &reply);
  Log("open status=%d handle=%d device=%d slot=%d message=%u", reply.status, (int32_t)reply.handle,
      reply.deviceId, reply.slot, (unsigned)reply.message);
  if (got != (int)sizeof bytes || reply.status != 0) return -1;
  gHandle = reply.handle;
  gSlot = reply.slot;
  gMessage = reply.message;
  gQueue = AppMmapOpenQueue(gSlot);
  return gQueue ? 0 : -1;
}

static void OnNotice(WPARAM wp, LPARAM lp) {
  unsigned kind = (unsigned)(lp >> 16) & 0xFF, seq = (unsigned)lp & 0xFFFF;
  Log("notice slot=%u kind=%u seq=%u", (unsigned)(wp & 0xFF), kind, seq);
  if (!gRead || kind < 1 || kind > 5) return;
  GiEvent ev;
  memset(&ev, 0, sizeof ev);
  int rc = AppMmapReadEvent(gQueue, (uint16_t)seq, &ev, sizeof ev);
  if (rc != 0) {
    Log("read seq=%u rc=%d", seq, rc);
    return;
  }
  if (ev.type == GI_EXCEPTION_EVENT) {
    Log("event seq=%u type=5 text=%s", seq, GI_EVENT_TEXT(&ev));
    return;
  }
  Log("event seq=%u type=%d last=%u current=%u pressed=%u released=%u motion=%d,%d,%d,%d,%d,%d period=%d",
      seq, ev.type, ev.last, ev.current, ev.pressed, ev.released, ev.tx, ev.ty, ev.tz, ev.rx, ev.ry, ev.rz,
      ev.period);
}

static LRESULT CALLBACK WndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (gMessage && msg == gMessage) {
    OnNotice(wp, lp);
    return 0;
  }
  uint8_t reply[WIRE_WORD_REPLY] = {0};
  switch (msg) {
    case WM_APP + 1: {
      const int32_t args[2] = {(int32_t)gHandle, (int32_t)wp};
      Request(REQ_GRAB, args, 2, reply, sizeof reply);
      Log("grab flag=%d status=%d", (int)wp, (int32_t)WireGet32(reply + WIRE_STATUS));
      return 0;
    }
    case WM_APP + 2: {
      const int32_t args[1] = {(int32_t)gHandle};
      Log("release rc=%d", Request(REQ_RELEASE, args, 1, NULL, 0));
      return 0;
    }
    case WM_APP + 3:
      Log("destroy");
      DestroyWindow(w);
      return 0;
    case WM_APP + 4: {
      const int32_t args[1] = {(int32_t)gHandle};
      Log("close rc=%d", Request(REQ_CLOSE, args, 1, NULL, 0));
      PostQuitMessage(0);
      return 0;
    }
    case WM_APP + 5: {
      const int32_t args[2] = {(int32_t)gHandle, (int32_t)wp};
      Log("uimode mode=%d rc=%d", (int)wp, Request(REQ_SET_UI_MODE, args, 2, NULL, 0));
      return 0;
    }
    case WM_APP + 6:
      gRead = 1;
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      Log("key down vk=%u", (unsigned)wp);
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      Log("key up vk=%u", (unsigned)wp);
      break;
    case WM_DESTROY:
      return 0;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
  int argc = __argc;
  char **argv = __argv;
  const char *title = ToolArg(argc, argv, "--title", "chanclient");
  gLog = fopen(ToolArg(argc, argv, "--log", "chanclient.log"), "w");
  if (!gLog) return 4;
  gRead = !Flag(argc, argv, "--no-read");

  WNDCLASSA wc;
  memset(&wc, 0, sizeof wc);
  wc.lpfnWndProc = WndProc;
  wc.hInstance = inst;
  wc.lpszClassName = "GyxChanClient";
  RegisterClassA(&wc);
  HWND wnd =
      CreateWindowA("GyxChanClient", title, WS_OVERLAPPEDWINDOW, 10, 10, 300, 120, NULL, NULL, inst, NULL);
  if (!wnd) return 5;

  int plain = Flag(argc, argv, "--plain");
  int rc = plain ? 0 : AppMmapAttach();
  if (!plain) Log("attach rc=%d", rc);
  if (rc != 0) return 2;
  const char *post = ToolArg(argc, argv, "--post", NULL);
  if (post) {
    Log("posted rc=%d", AppMmapSend(atoi(post), NULL, 0, 1));
    Sleep(INFINITE);
  }
  if (!plain && OpenDevice(wnd, atoi(ToolArg(argc, argv, "--device", "-1")),
                           atoi(ToolArg(argc, argv, "--events", "31"))) != 0)
    return 3;
  const char *grab = ToolArg(argc, argv, "--grab", NULL);
  if (grab) PostMessageA(wnd, WM_APP + 1, (WPARAM)atoi(grab), 0);
  const char *ui = ToolArg(argc, argv, "--ui-mode", NULL);
  if (ui) PostMessageA(wnd, WM_APP + 5, (WPARAM)atoi(ui), 0);
  ShowWindow(wnd, SW_SHOW);
  SetForegroundWindow(wnd);
  Log("ready hwnd=%u", (unsigned)(uintptr_t)wnd);

  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (!plain) AppMmapDetach();
  Log("exit");
  fclose(gLog);
  return 0;
}
