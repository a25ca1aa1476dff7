/* appmmap_win.cpp — application half of the shared-memory channel (see
 * appmmap.h). One attachment per process; the request block is shared by all
 * applications and guarded by the application lock. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "appmmap.h"
#include "gyrantrix.h"
#include "reqcodes.h"
#include "ring.h"
#include "wire.h"

static struct {
  int attached;
  HANDLE mapping, lock, dvrPoke, appPoke;
  HANDLE life; /* the driver's life mutex; null when the driver has none */
  int gone;    /* the driver died while attached */
  RequestBlock *block;
  uint32_t stamp;
  int32_t maxRequest, ringSize;
  QueueLink *queues;
  int32_t lastStatus;
  int32_t sentCode; /* code of the request whose reply is awaited */
} g;

#define FAIL(s) ChannelFail(&g.lastStatus, __FILE__, __LINE__, (s))

static uint32_t CurrentStamp(void) {
  return *(volatile uint32_t *)&g.block->stamp;
}

int32_t AppMmapLastStatus(void) {
  return g.lastStatus;
}
int32_t AppMmapMaxRequest(void) {
  return g.maxRequest;
}
int32_t AppMmapRingSize(void) {
  return g.ringSize;
}
int AppMmapIsAttached(void) {
  return g.attached;
}

/* ---- A driver that died ------------------------------------------------
 * A driver killed without its shut-down leaves its stamp behind, so the
 * stamp alone cannot tell that it is gone. Its life mutex can: while the
 * driver lives nobody else can take it. Waiting for an answer therefore also
 * waits for the mutex; taking it means the driver has died, and it is handed
 * back at once for the next driver to claim. */
static int DriverGone(void) {
  return g.gone || CurrentStamp() != g.stamp;
}

/* Waits up to ms for the reply semaphore: 0, TRANS_REPLY_TIMEOUT, or
 * TRANS_NO_DRIVER (unlogged: the caller reports it) when the driver died
 * meanwhile. */
static int WaitSignal(DWORD ms) {
  if (!g.life) return WaitForSingleObject(g.appPoke, ms) == WAIT_OBJECT_0 ? 0 : TRANS_REPLY_TIMEOUT;
  HANDLE both[2] = {g.appPoke, g.life}; /* an answer that came wins */
  DWORD w = WaitForMultipleObjects(2, both, FALSE, ms);
  if (w == WAIT_OBJECT_0) return 0;
  if (w == WAIT_OBJECT_0 + 1 || w == WAIT_ABANDONED_0 + 1) {
    ReleaseMutex(g.life);
    g.gone = 1;
    return TRANS_NO_DRIVER;
  }
  return TRANS_REPLY_TIMEOUT;
}
/* ---------------------------------------------------------------------------- */

int AppMmapPeekEvent(QueueLink *link, uint16_t *sequence, int32_t *type) {
  if (!g.block || !link || DriverGone()) return -1;
  return QueueLinkPeekType(link, sequence, type);
}

int AppMmapDriverChanged(void) {
  return g.block && DriverGone();
}

static void CloseHandles(void) {
  if (g.life) CloseHandle(g.life);
  g.life = NULL;
  if (g.appPoke) CloseHandle(g.appPoke);
  if (g.dvrPoke) CloseHandle(g.dvrPoke);
  if (g.lock) CloseHandle(g.lock);
  if (g.block) UnmapViewOfFile(g.block);
  if (g.mapping) CloseHandle(g.mapping);
  g.appPoke = g.dvrPoke = g.lock = g.mapping = NULL;
  g.block = NULL;
}

int AppMmapAttach(void) {
  if (g.attached) return FAIL(TRANS_NOT_ATTACHED);
  int status = 0;
  g.mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, CHANNEL_MAP_NAME);
  if (!g.mapping) {
    status = FAIL(TRANS_MAPPING);
    goto fail;
  }
  g.block = (RequestBlock *)MapViewOfFile(g.mapping, FILE_MAP_WRITE, 0, 0, 0);
  if (!g.block) {
    status = FAIL(TRANS_VIEW);
    goto fail;
  }
  g.lock = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, CHANNEL_APP_LOCK);
  if (!g.lock) {
    status = FAIL(TRANS_APP_LOCK);
    goto fail;
  }
  g.dvrPoke = OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, CHANNEL_DVR_POKE);
  if (!g.dvrPoke) {
    status = FAIL(TRANS_REQ_SEM);
    goto fail;
  }
  g.appPoke = OpenSemaphoreA(SEMAPHORE_ALL_ACCESS, FALSE, CHANNEL_APP_POKE);
  if (!g.appPoke) {
    status = FAIL(TRANS_REPLY_SEM);
    goto fail;
  }
  g.life = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, CHANNEL_DVR_LIFE);
  g.gone = 0;
  g.stamp = CurrentStamp();
  if (g.stamp == 0) {
    status = FAIL(TRANS_NO_DRIVER);
    goto fail;
  }
  {
    /* Until the driver tells its limits, only requests without data go. */
    g.maxRequest = 0;
    uint8_t info[WIRE_TRANSPORT_REPLY];
    status = AppMmapSend(REQ_TRANSPORT_INFO, NULL, 0, 1);
    if (status != 0) goto fail;
    int n = AppMmapReceive(info, sizeof info);
    if (n < 0) {
      status = n;
      goto fail;
    }
    int32_t maxRequest = (int32_t)WireGet32(info + WIRE_TRANSPORT_MAX_REQUEST);
    int32_t ringSize = (int32_t)WireGet32(info + WIRE_TRANSPORT_RING_SIZE);
    if (n != (int)sizeof info || maxRequest < 0 || maxRequest > CHANNEL_MAX_REQUEST ||
        ringSize <= RING_RECORD_HEADER || ringSize > CHANNEL_RING_SIZE) {
      status = FAIL(TRANS_LENGTH);
      goto fail;
    }
    g.maxRequest = maxRequest;
    g.ringSize = ringSize;
  }
  g.queues = NULL;
  g.attached = 1;
  return 0;
fail:
  CloseHandles();
  return status;
}

void AppMmapDetach(void) {
  while (g.queues) AppMmapCloseQueue(g.queues);
  CloseHandles();
  g.attached = 0;
}

int AppMmapSend(int32_t code, const void *data, int32_t length, int replyWanted) {
  if (!g.block) return FAIL(TRANS_NOT_ATTACHED);
  if (DriverGone()) return FAIL(TRANS_NO_DRIVER);
  if (length < 0 || length > g.maxRequest) return FAIL(TRANS_LENGTH);
  DWORD w = WaitForSingleObject(g.lock, CHANNEL_LOCK_TIMEOUT);
  if (w != WAIT_OBJECT_0) {
    /* An abandoned lock is ours now: hand it back so that the next request
     * of any application gets through, and fail this one. */
    if (w == WAIT_ABANDONED) ReleaseMutex(g.lock);
    return FAIL(TRANS_LOCK_TIMEOUT);
  }
  /* A reply signal that nobody collected (its application died after its
   * request had been answered) would otherwise pass for the answer to this
   * request before the driver has even seen it. While this process holds the
   * lock no answer to it can be on its way, so a signal now is stale. */
  WaitForSingleObject(g.appPoke, 0);
  /* Likewise a request signal still pending: its sender left the lock without
   * waiting for the driver to take the request (killed, or not playing by the
   * rules). Served now, it would read this request half written. */
  WaitForSingleObject(g.dvrPoke, 0);
  g.sentCode = code;
  g.block->code = code;
  g.block->replyWanted = replyWanted ? 1u : 0u;
  g.block->length = length;
  if (length > 0) memcpy(g.block->data, data, (size_t)length);
  ReleaseSemaphore(g.dvrPoke, 1, NULL);
  if (!replyWanted) {
    /* The driver copies the request and signals at once; go on either way,
     * unless it has died. */
    int rc = WaitSignal(CHANNEL_REPLY_TIMEOUT);
    ReleaseMutex(g.lock);
    if (rc == TRANS_NO_DRIVER) return FAIL(rc);
  }
  return 0;
}

/* The driver's answer always overwrites the code word with its status, 1 or
 * negative. A positive request code still there means that the signal was not
 * this request's answer (a late one of an earlier exchange): wait on for the
 * real one in the time that is left. */
static int WaitForAnswer(void) {
  const DWORD start = GetTickCount();
  for (;;) {
    DWORD spent = GetTickCount() - start;
    if (spent >= CHANNEL_REPLY_TIMEOUT) return TRANS_REPLY_TIMEOUT;
    int rc = WaitSignal(CHANNEL_REPLY_TIMEOUT - spent);
    if (rc != 0) return rc; /* no answer in time, or the driver died */
    int32_t status = *(volatile int32_t *)&g.block->code;
    if (status == 1 || status < 0 || status != g.sentCode) return 0;
  }
}

int AppMmapReceive(void *buffer, int32_t capacity) {
  int result;
  if (!g.block) return FAIL(TRANS_NOT_ATTACHED);
  int waited;
  if (DriverGone()) {
    result = FAIL(TRANS_NO_DRIVER);
  } else if ((waited = WaitForAnswer()) != 0) {
    result = FAIL(waited);
  } else {
    int32_t status = g.block->code;
    int32_t length = g.block->length;
    if (status < 0) {
      g.lastStatus = status;
      GiLogError(__FILE__, __LINE__, status);
      result = TRANS_NOT_ATTACHED;
    } else if (length < 0 || length > capacity || length > CHANNEL_MAX_REQUEST) {
      result = FAIL(TRANS_LENGTH);
    } else {
      if (length > 0) memcpy(buffer, g.block->data, (size_t)length);
      result = length;
    }
  }
  ReleaseMutex(g.lock);
  return result;
}

QueueLink *AppMmapOpenQueue(int32_t slot) {
  if (!g.block) {
    FAIL(TRANS_NOT_ATTACHED);
    return NULL;
  }
  if (DriverGone()) {
    FAIL(TRANS_NO_DRIVER);
    return NULL;
  }
  if (slot < 0 || slot >= CHANNEL_MAX_SLOTS) {
    FAIL(TRANS_MAPPING);
    return NULL;
  }
  QueueLink *link = (QueueLink *)calloc(1, sizeof *link);
  if (!link) {
    FAIL(TRANS_NO_MEMORY);
    return NULL;
  }
  char name[32];
  snprintf(name, sizeof name, "%s%02d", CHANNEL_MAP_NAME, (int)slot);
  HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
  if (!mapping) {
    FAIL(TRANS_MAPPING);
    free(link);
    return NULL;
  }
  uint8_t *view = (uint8_t *)MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
  if (!view) {
    FAIL(TRANS_VIEW);
    CloseHandle(mapping);
    free(link);
    return NULL;
  }
  link->slot = slot;
  link->mapping = mapping;
  QueueLinkSetView(link, view, g.ringSize);
  link->next = g.queues;
  g.queues = link;
  return link;
}

void AppMmapCloseQueue(QueueLink *link) {
  for (QueueLink **p = &g.queues; *p; p = &(*p)->next) {
    if (*p != link) continue;
    *p = link->next;
    UnmapViewOfFile(link->view);
    CloseHandle(link->mapping);
    free(link);
    return;
  }
}

int AppMmapReadEvent(QueueLink *link, uint16_t sequence, void *buffer, int32_t capacity) {
  if (!g.block || !link) return FAIL(TRANS_NOT_ATTACHED);
  if (DriverGone()) return FAIL(TRANS_NO_DRIVER);
  int32_t size = (int32_t)(link->ringEnd - link->ringStart);
  int32_t readOff = *link->readOffset;
  int32_t writeOff = *link->writeOffset;
  if (!RingOffsetsValid(readOff, writeOff, size)) return FAIL(TRANS_INCOMPLETE);
  int rc = RingReadRecord(link->ringStart, size, &readOff, writeOff, sequence, buffer, capacity, NULL);
  if (rc != 0) return FAIL(rc);
  *link->readOffset = readOff;
  return 0;
}
