/* hostile_main_win.cpp — a client of the driver that breaks every rule of the
 * channel, for the tests that prove the driver and its honest clients survive
 * it. Each action is one kind of abuse; the test runs them one after the
 * other while honest clients work, and kills the ones that wait for it.
 *
 *   gyx_hostile --action A [--count N] [--seed S] [--log PATH] [--device D]
 *
 *   requests    N random request blocks under the lock: any code but the
 *               shutdown, either reply flag, lengths negative, huge or in
 *               range, random data (some naming our own open handle)
 *   pokes       N releases of the request semaphore, every other one under
 *               the lock, with whatever the block holds
 *   header      N scribbles over the block's code, reply and length words
 *               and its data, without the lock, each followed by a poke
 *   ring        opens device D for a window of its own, grabs it, and for N
 *               rounds spoils its ring's offsets and bytes while the driver
 *               writes events into it
 *   die-locked  takes the lock and ends holding it
 *   hang        takes the lock, writes a request that wants a reply, pokes,
 *               and waits for ever: the test kills it mid-request
 *
 * The log gets "ready" once the action has begun and "done" at its end. */
#include <windows.h>

#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "lib/appmmap.h"
#include "lib/channel.h"
#include "lib/gyrantrix.h"
#include "lib/reqcodes.h"
#include "lib/wire.h"
#include "tools/common/toolkit.h"

static FILE *gLog;
static uint64_t gRandom = 88172645463325252ull;

static void Log(const char *fmt, ...) {
  if (!gLog) return;
  va_list ap;
  va_start(ap, fmt);
  vfprintf(gLog, fmt, ap);
  va_end(ap);
  fputc('\n', gLog);
  fflush(gLog);
}

static uint32_t Random(void) {
  return ToolRandom(&gRandom);
}

/* The channel's objects opened by hand: the rules are ours to break. */
static struct {
  HANDLE mapping, lock, dvrPoke, appPoke;
  RequestBlock *block;
} ch;

static int OpenRaw(void) {
  ch.mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, CHANNEL_MAP_NAME);
  if (!ch.mapping) return -1;
  ch.block = (RequestBlock *)MapViewOfFile(ch.mapping, FILE_MAP_WRITE, 0, 0, 0);
  ch.lock = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, CHANNEL_APP_LOCK);
  ch.dvrPoke = OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, CHANNEL_DVR_POKE);
  ch.appPoke = OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, CHANNEL_APP_POKE);
  return ch.block && ch.lock && ch.dvrPoke && ch.appPoke ? 0 : -1;
}

/* Lengths a careless or hostile client could write. */
static int32_t AnyLength(void) {
  switch (Random() % 6) {
    case 0:
      return -(int32_t)(Random() % 1000) - 1;
    case 1:
      return INT32_MIN;
    case 2:
      return INT32_MAX - (int32_t)(Random() % 4);
    case 3:
      return CHANNEL_MAX_REQUEST + 1 + (int32_t)(Random() % 100000);
    default:
      return (int32_t)(Random() % (CHANNEL_MAX_REQUEST + 1));
  }
}

static const int32_t kCodes[] = {0,   1,   2,   3,   5,   101, 102, 103, 104, 105, 106, 107,
                                 108, 109, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119,
                                 121, 122, 123, 124, 200, 201, 202, -1,  -16, 999, 120};

static int32_t AnyCode(void) {
  if (Random() % 8 == 0) {
    int32_t c = (int32_t)Random();
    return c == REQ_SHUTDOWN ? 0 : c; /* a shutdown is the channel's own right */
  }
  return kCodes[Random() % (sizeof kCodes / sizeof kCodes[0])];
}

static void FillData(uint32_t handle) {
  for (int i = 0; i < CHANNEL_MAX_REQUEST; i++) ch.block->data[i] = (uint8_t)Random();
  if (handle && Random() % 2) WirePut32(ch.block->data, handle); /* reach past the handle check */
  if (Random() % 3 == 0) WirePut32(ch.block->data + 4, (uint32_t)AnyLength()); /* an inner count */
}

static void RandomRequests(int count, uint32_t handle) {
  for (int i = 0; i < count; i++) {
    DWORD w = WaitForSingleObject(ch.lock, 2000);
    if (w != WAIT_OBJECT_0 && w != WAIT_ABANDONED) continue;
    int32_t code = AnyCode();
    uint32_t reply = Random() % 2;
    FillData(handle);
    ch.block->code = code;
    ch.block->replyWanted = Random() % 16 == 0 ? Random() : reply;
    ch.block->length = AnyLength();
    ReleaseSemaphore(ch.dvrPoke, 1, NULL);
    /* Sometimes wait for the answer, sometimes walk away from it. */
    if (Random() % 4) WaitForSingleObject(ch.appPoke, 200);
    ReleaseMutex(ch.lock);
  }
}

static void Pokes(int count) {
  for (int i = 0; i < count; i++) {
    int locked = i % 2 && WaitForSingleObject(ch.lock, 1000) == WAIT_OBJECT_0;
    ReleaseSemaphore(ch.dvrPoke, 1, NULL);
    if (locked) ReleaseMutex(ch.lock);
    if (i % 64 == 0) Sleep(1);
  }
}

static void Header(int count) {
  for (int i = 0; i < count; i++) {
    switch (Random() % 4) {
      case 0:
        ch.block->code = AnyCode();
        break;
      case 1:
        ch.block->replyWanted = Random();
        break;
      case 2:
        ch.block->length = AnyLength();
        break;
      default:
        ch.block->data[Random() % CHANNEL_MAX_REQUEST] = (uint8_t)Random();
        break;
    }
    ReleaseSemaphore(ch.dvrPoke, 1, NULL);
    if (i % 16 == 0) Sleep(1);
  }
}

/* Opens device for our window through the channel as a client would, and
 * grabs it so that its events come here whatever is in front. */
static QueueLink *OpenAndGrab(HWND wnd, int32_t device, uint32_t *handle) {
  const char name[] = "hostile";
  uint8_t req[sizeof name + WIRE_OPEN_FIXED];
  int32_t at = ToolEncodeOpen(req, (int32_t)sizeof req, name, (int32_t)sizeof name, device,
                              (uint32_t)(uintptr_t)wnd, WIRE_ALL_EVENT_TYPES);
  uint8_t bytes[WIRE_OPEN_REPLY] = {0};
  if (AppMmapSend(REQ_OPEN, req, at, 1) != 0 || AppMmapReceive(bytes, sizeof bytes) != (int)sizeof bytes)
    return NULL;
  WireOpenReply reply;
  WireDecodeOpenReply(bytes, &reply);
  Log("open status=%d slot=%d", reply.status, reply.slot);
  if (reply.status != 0) return NULL;
  *handle = reply.handle;
  uint8_t args[8], grab[WIRE_WORD_REPLY] = {0};
  WirePut32(args, reply.handle);
  WirePut32(args + 4, 1);
  if (AppMmapSend(REQ_GRAB, args, 8, 1) == 0) AppMmapReceive(grab, sizeof grab);
  return AppMmapOpenQueue(reply.slot);
}

static int32_t AnyOffset(void) {
  switch (Random() % 4) {
    case 0:
      return -(int32_t)(Random() % 5000) - 1;
    case 1:
      return CHANNEL_RING_SIZE + (int32_t)(Random() % 5000);
    default:
      return (int32_t)(Random() % CHANNEL_RING_SIZE);
  }
}

static void SpoilRing(QueueLink *q, int rounds) {
  for (int i = 0; i < rounds; i++) {
    switch (Random() % 4) {
      case 0:
        *q->readOffset = AnyOffset();
        break;
      case 1:
        *q->writeOffset = AnyOffset();
        break;
      case 2:
        for (int k = 0; k < 64; k++) q->ringStart[Random() % CHANNEL_RING_SIZE] = (uint8_t)Random();
        break;
      default:
        *q->readOffset = AnyOffset();
        *q->writeOffset = AnyOffset();
        break;
    }
    /* Take the notices as they come, but never read them honestly. */
    MSG m;
    while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    Sleep(2);
  }
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
  int argc = __argc;
  char **argv = __argv;
  const char *action = ToolArg(argc, argv, "--action", "requests");
  int count = atoi(ToolArg(argc, argv, "--count", "2000"));
  gRandom ^= (uint64_t)strtoull(ToolArg(argc, argv, "--seed", "1"), NULL, 10) * 0x9E3779B97F4A7C15ull;
  const char *logPath = ToolArg(argc, argv, "--log", NULL);
  if (logPath) gLog = fopen(logPath, "w");
  if (OpenRaw() != 0) {
    Log("no channel");
    return 2;
  }
  uint32_t handle = 0;
  QueueLink *queue = NULL;
  if (strcmp(action, "ring") == 0 || strcmp(action, "requests") == 0) {
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = inst;
    wc.lpszClassName = "GyxHostile";
    RegisterClassA(&wc);
    HWND wnd =
        CreateWindowA("GyxHostile", "hostile", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL, inst, NULL);
    if (!wnd || AppMmapAttach() != 0) {
      Log("no attach");
      return 3;
    }
    if (strcmp(action, "ring") == 0) {
      queue = OpenAndGrab(wnd, atoi(ToolArg(argc, argv, "--device", "1")), &handle);
      if (!queue) {
        Log("no queue");
        return 3;
      }
    }
  }
  Log("ready");
  if (strcmp(action, "requests") == 0) {
    RandomRequests(count, handle);
  } else if (strcmp(action, "pokes") == 0) {
    Pokes(count);
  } else if (strcmp(action, "header") == 0) {
    Header(count);
  } else if (strcmp(action, "ring") == 0) {
    SpoilRing(queue, count);
  } else if (strcmp(action, "die-locked") == 0) {
    WaitForSingleObject(ch.lock, 5000);
    Log("locked");
    ExitProcess(9); /* the lock goes down with us, abandoned */
  } else if (strcmp(action, "hang") == 0) {
    WaitForSingleObject(ch.lock, 5000);
    ch.block->code = REQ_GET_DRIVER_INFO;
    ch.block->replyWanted = 1;
    ch.block->length = 0;
    ReleaseSemaphore(ch.dvrPoke, 1, NULL);
    Log("locked");
    Sleep(INFINITE);
  } else {
    Log("unknown action %s", action);
    return 4;
  }
  Log("done");
  return 0;
}
