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
  RequestBlock *block;
  uint32_t stamp;
  int32_t maxRequest, ringSize;
  QueueLink *queues;
  int32_t lastStatus;
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

int AppMmapDriverChanged(void) {
  return g.block && CurrentStamp() != g.stamp;
}

static void CloseHandles(void) {
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
  if (CurrentStamp() != g.stamp) return FAIL(TRANS_NO_DRIVER);
  if (length < 0 || length > g.maxRequest) return FAIL(TRANS_LENGTH);
  DWORD w = WaitForSingleObject(g.lock, CHANNEL_LOCK_TIMEOUT);
  if (w != WAIT_OBJECT_0) {
    /* An abandoned lock is ours now: hand it back so that the next request
     * of any application gets through, and fail this one. */
    if (w == WAIT_ABANDONED) ReleaseMutex(g.lock);
    return FAIL(TRANS_LOCK_TIMEOUT);
  }
  g.block->code = code;
  g.block->replyWanted = replyWanted ? 1u : 0u;
  g.block->length = length;
  if (length > 0) memcpy(g.block->data, data, (size_t)length);
  ReleaseSemaphore(g.dvrPoke, 1, NULL);
  if (!replyWanted) {
    /* The driver copies the request and signals at once; go on either way. */
    WaitForSingleObject(g.appPoke, CHANNEL_REPLY_TIMEOUT);
    ReleaseMutex(g.lock);
  }
  return 0;
}

int AppMmapReceive(void *buffer, int32_t capacity) {
  int result;
  if (!g.block) return FAIL(TRANS_NOT_ATTACHED);
  if (CurrentStamp() != g.stamp) {
    result = FAIL(TRANS_NO_DRIVER);
  } else if (WaitForSingleObject(g.appPoke, CHANNEL_REPLY_TIMEOUT) != WAIT_OBJECT_0) {
    result = FAIL(TRANS_REPLY_TIMEOUT);
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
  if (CurrentStamp() != g.stamp) {
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
  if (CurrentStamp() != g.stamp) return FAIL(TRANS_NO_DRIVER);
  int32_t size = (int32_t)(link->ringEnd - link->ringStart);
  int32_t readOff = *link->readOffset;
  int32_t writeOff = *link->writeOffset;
  if (!RingOffsetsValid(readOff, writeOff, size)) return FAIL(TRANS_INCOMPLETE);
  int rc = RingReadRecord(link->ringStart, size, &readOff, writeOff, sequence, buffer, capacity, NULL);
  if (rc != 0) return FAIL(rc);
  *link->readOffset = readOff;
  return 0;
}
