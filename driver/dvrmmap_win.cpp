/* dvrmmap_win.cpp — driver half of the shared-memory channel (see dvrmmap.h).
 * Everything in shared memory is written by other processes: lengths and
 * offsets are checked before use so no request or ring can make the driver
 * touch memory outside its views. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "dvrmmap.h"
#include "lib/gyrantrix.h"
#include "lib/ring.h"
#include "lib/seqnum.h"

static struct {
  int created;
  HANDLE dvrLock, mapping, appLock, dvrPoke, appPoke;
  HANDLE life; /* CHANNEL_DVR_LIFE, owned by this thread while lifeOwned */
  int lifeOwned;
  RequestBlock *block;
  int replyPending;
  uint8_t privateData[CHANNEL_MAX_REQUEST];
  QueueLink *queues;
  int32_t slotCounter;
  int32_t lastStatus;
} g;

#define FAIL(s) ChannelFail(&g.lastStatus, __FILE__, __LINE__, (s))

int32_t DvrMmapLastStatus(void) {
  return g.lastStatus;
}

/* Before the driver lock goes, so that the next driver finds it free. */
static void DropLife(void) {
  if (g.lifeOwned) ReleaseMutex(g.life);
  if (g.life) CloseHandle(g.life);
  g.life = NULL;
  g.lifeOwned = 0;
}

static void CloseAll(void) {
  DropLife();
  if (g.appPoke) CloseHandle(g.appPoke);
  if (g.dvrPoke) CloseHandle(g.dvrPoke);
  if (g.appLock) CloseHandle(g.appLock);
  if (g.block) UnmapViewOfFile(g.block);
  if (g.mapping) CloseHandle(g.mapping);
  if (g.dvrLock) CloseHandle(g.dvrLock);
  g.appPoke = g.dvrPoke = g.appLock = g.mapping = g.dvrLock = NULL;
  g.block = NULL;
}

/* ---- A driver that died ------------------------------------------------
 * The running driver owns the life mutex. Whoever can take it knows that no
 * live driver holds the block: a stamp found then was left by a driver that
 * ended without its shut-down, and the block may be claimed again. The
 * applications take it only for an instant, when they find the driver gone,
 * hence the short wait rather than none. */
static int TakeLife(void) {
  g.life = CreateMutexA(NULL, FALSE, CHANNEL_DVR_LIFE);
  if (!g.life) return FAIL(TRANS_DVR_LOCK);
  DWORD w = WaitForSingleObject(g.life, CHANNEL_LIFE_CLAIM_WAIT);
  if (w == WAIT_TIMEOUT) return FAIL(TRANS_OWNED);
  if (w != WAIT_OBJECT_0 && w != WAIT_ABANDONED) return FAIL(TRANS_LOCK_TIMEOUT);
  g.lifeOwned = 1;
  return 0;
}

/* The dead driver's exchange may have been cut anywhere: a request it never
 * took or a reply nobody read would answer the next exchange. Its stamp must
 * not come back either: applications tell drivers apart by it alone. */
static void ClaimDeadBlock(void) {
  uint32_t old = g.block->stamp;
  while (WaitForSingleObject(g.dvrPoke, 0) == WAIT_OBJECT_0) {
  }
  while (WaitForSingleObject(g.appPoke, 0) == WAIT_OBJECT_0) {
  }
  g.block->replyWanted = 0;
  while ((uint32_t)time(NULL) == old) Sleep(50);
}
/* ---------------------------------------------------------------------------- */

int DvrMmapCreate(void) {
  if (g.created) return FAIL(TRANS_NOT_ATTACHED);
  int status = 0, locked = 0;
  g.dvrLock = CreateMutexA(NULL, FALSE, CHANNEL_DVR_LOCK);
  if (!g.dvrLock) return FAIL(TRANS_DVR_LOCK);
  {
    DWORD w = WaitForSingleObject(g.dvrLock, CHANNEL_LOCK_TIMEOUT);
    if (w == WAIT_ABANDONED) ReleaseMutex(g.dvrLock);
    if (w != WAIT_OBJECT_0) {
      status = FAIL(TRANS_LOCK_TIMEOUT);
      goto fail;
    }
    locked = 1;
  }
  status = TakeLife();
  if (status != 0) goto fail;
  g.mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(RequestBlock),
                                 CHANNEL_MAP_NAME);
  if (!g.mapping) {
    status = FAIL(TRANS_MAPPING);
    goto fail;
  }
  g.block = (RequestBlock *)MapViewOfFile(g.mapping, FILE_MAP_WRITE, 0, 0, sizeof(RequestBlock));
  if (!g.block) {
    status = FAIL(TRANS_VIEW);
    goto fail;
  }
  g.appLock = CreateMutexA(NULL, FALSE, CHANNEL_APP_LOCK);
  if (!g.appLock) {
    status = FAIL(TRANS_APP_LOCK);
    goto fail;
  }
  g.dvrPoke = CreateSemaphoreA(NULL, 0, 1, CHANNEL_DVR_POKE);
  if (!g.dvrPoke) {
    status = FAIL(TRANS_REQ_SEM);
    goto fail;
  }
  g.appPoke = CreateSemaphoreA(NULL, 0, 1, CHANNEL_APP_POKE);
  if (!g.appPoke) {
    status = FAIL(TRANS_REPLY_SEM);
    goto fail;
  }
  if (g.block->stamp != 0) ClaimDeadBlock(); /* we hold the life mutex: its owner is gone */
  g.block->stamp = (uint32_t)time(NULL);
  g.block->code = 0;
  g.block->length = 0;
  g.queues = NULL;
  g.slotCounter = 0;
  g.replyPending = 0;
  g.created = 1;
  ReleaseMutex(g.dvrLock);
  return 0;
fail:
  /* Only our own handles close: a running driver's block stays untouched. */
  DropLife();
  if (locked) ReleaseMutex(g.dvrLock);
  CloseAll();
  return status;
}

static void UnmapQueue(QueueLink *link) {
  UnmapViewOfFile(link->view);
  CloseHandle(link->mapping);
  free(link);
}

void DvrMmapClose(void) {
  if (!g.created) return;
  DWORD w = WaitForSingleObject(g.dvrLock, CHANNEL_LOCK_TIMEOUT);
  int locked = (w == WAIT_OBJECT_0 || w == WAIT_ABANDONED);
  uint32_t stamp = g.block->stamp;
  g.block->stamp = 0;
  while (g.queues) {
    QueueLink *link = g.queues;
    g.queues = link->next;
    if (link->message)
      PostMessageA((HWND)link->window, link->message, (WPARAM)link->slot, NoticeParam(NOTICE_DRIVER_EXIT, 0));
    UnmapQueue(link);
  }
  /* Applications tell drivers apart by the stamp alone: the next driver's
   * claim must not fall in the second that named this one. */
  while ((uint32_t)time(NULL) == stamp) Sleep(50);
  DropLife();
  if (locked) ReleaseMutex(g.dvrLock);
  CloseAll();
  g.created = 0;
}

void *DvrMmapRequestSemaphore(void) {
  if (!g.created) {
    FAIL(TRANS_NOT_ATTACHED);
    return NULL;
  }
  return g.dvrPoke;
}

int DvrMmapTakeRequest(int32_t *code, uint8_t **data, int32_t *length) {
  if (!g.created) return FAIL(TRANS_NOT_ATTACHED);
  /* Read each word once: the application side could change them under us. */
  int32_t c = *(volatile int32_t *)&g.block->code;
  int32_t n = *(volatile int32_t *)&g.block->length;
  uint32_t wanted = *(volatile uint32_t *)&g.block->replyWanted;
  if (n < 0 || n > CHANNEL_MAX_REQUEST) {
    FAIL(TRANS_LENGTH);
    n = -1;
  }
  *code = c;
  *length = n;
  g.replyPending = wanted != 0;
  if (g.replyPending) {
    *data = g.block->data;
  } else {
    if (n > 0) memcpy(g.privateData, g.block->data, (size_t)n);
    *data = g.privateData;
    ReleaseSemaphore(g.appPoke, 1, NULL);
  }
  return 0;
}

int DvrMmapReplyPending(void) {
  return g.replyPending;
}

int DvrMmapReply(int32_t n) {
  if (!g.replyPending) return FAIL(TRANS_NO_REPLY_PENDING);
  if (n > CHANNEL_MAX_REQUEST) n = FAIL(TRANS_LENGTH);
  if (n < 0) {
    g.block->code = n;
    g.block->length = 0;
  } else {
    g.block->code = 1;
    g.block->length = n;
  }
  g.replyPending = 0;
  ReleaseSemaphore(g.appPoke, 1, NULL);
  return n < 0 ? n : 0;
}

QueueLink *DvrMmapCreateQueue(void *window) {
  if (!g.created) {
    FAIL(TRANS_NOT_ATTACHED);
    return NULL;
  }
  QueueLink *link = (QueueLink *)calloc(1, sizeof *link);
  if (!link) {
    FAIL(TRANS_NO_MEMORY);
    return NULL;
  }
  link->sequence = 1;
  link->window = window;
  HANDLE mapping = NULL;
  for (int tries = 0; tries < CHANNEL_MAX_SLOTS && !mapping; tries++) {
    char name[32];
    snprintf(name, sizeof name, "%s%02d", CHANNEL_MAP_NAME, (int)g.slotCounter);
    HANDLE h = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(EventQueue), name);
    if (h && GetLastError() != ERROR_ALREADY_EXISTS) {
      mapping = h;
      break;
    }
    if (h) CloseHandle(h); /* that name is still held by some application */
    g.slotCounter = (g.slotCounter + 1) % CHANNEL_MAX_SLOTS;
  }
  if (!mapping) {
    FAIL(TRANS_MAPPING);
    free(link);
    return NULL;
  }
  uint8_t *view = (uint8_t *)MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(EventQueue));
  if (!view) {
    FAIL(TRANS_VIEW);
    CloseHandle(mapping);
    free(link);
    return NULL;
  }
  link->mapping = mapping;
  QueueLinkSetView(link, view, CHANNEL_RING_SIZE);
  *link->readOffset = 0;
  *link->writeOffset = 0;
  link->slot = g.slotCounter;
  g.slotCounter = (g.slotCounter + 1) % CHANNEL_MAX_SLOTS;
  link->next = g.queues;
  g.queues = link;
  return link;
}

static int InList(QueueLink *link) {
  for (QueueLink *p = g.queues; p; p = p->next)
    if (p == link) return 1;
  return 0;
}

void DvrMmapDestroyQueue(QueueLink *link) {
  for (QueueLink **p = &g.queues; *p; p = &(*p)->next) {
    if (*p != link) continue;
    *p = link->next;
    UnmapQueue(link);
    return;
  }
}

void *DvrMmapQueueWindow(QueueLink *link) {
  return link && InList(link) ? link->window : NULL;
}

/* The application owns the read offset: one it has spoiled empties its queue
 * rather than letting the driver write where it points. */
static int32_t CheckedOffsets(QueueLink *link, int32_t *readOff, int32_t *writeOff) {
  *readOff = *link->readOffset;
  *writeOff = *link->writeOffset;
  if (RingOffsetsValid(*readOff, *writeOff, CHANNEL_RING_SIZE)) return 0;
  FAIL(TRANS_INCOMPLETE);
  DvrMmapResetQueue(link);
  *readOff = *writeOff = 0;
  return -1;
}

int32_t DvrMmapQueueFree(QueueLink *link, int32_t reserve) {
  int32_t readOff, writeOff;
  CheckedOffsets(link, &readOff, &writeOff);
  int32_t room = RingFree(readOff, writeOff, CHANNEL_RING_SIZE) - 4 * reserve;
  return room < 0 ? 0 : room;
}

int DvrMmapPut(QueueLink *link, int32_t kind, const void *data, int32_t size) {
  if (size < 0 || size > 65535) return FAIL(TRANS_LENGTH);
  int32_t readOff, writeOff;
  CheckedOffsets(link, &readOff, &writeOff);
  int rc = RingPutRecord(link->ringStart, CHANNEL_RING_SIZE, readOff, &writeOff, (uint16_t)link->sequence,
                         data, (uint16_t)size);
  if (rc != 0) {
    /* Tell the application anyway, naming the last record it can find. */
    PostMessageA((HWND)link->window, link->message, (WPARAM)link->slot,
                 NoticeParam((uint32_t)kind, SeqPrev((uint16_t)link->sequence)));
    return FAIL(TRANS_LENGTH);
  }
  /* The record is complete before the offset moves and the notice goes. */
  *link->writeOffset = writeOff;
  PostMessageA((HWND)link->window, link->message, (WPARAM)link->slot,
               NoticeParam((uint32_t)kind, link->sequence));
  link->sequence = SeqNext((uint16_t)link->sequence);
  return 0;
}

uint16_t DvrMmapResetQueue(QueueLink *link) {
  *link->readOffset = 0;
  *link->writeOffset = 0;
  uint16_t seq = (uint16_t)link->sequence;
  PostMessageA((HWND)link->window, link->message, (WPARAM)link->slot, NoticeParam(NOTICE_QUEUE_RESET, seq));
  link->sequence = SeqNext(seq);
  return seq;
}
