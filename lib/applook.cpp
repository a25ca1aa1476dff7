/* applook.cpp — the look-ahead past other handles' notices and the notices
 * kept aside for their handles (see applook.h). Portable: the queue is
 * reached through appplat.h only.
 *
 * Why it holds: every notice taken aside leaves one stand-in in the queue,
 * and a stand-in or a notice handed to the message-driven form takes the
 * oldest notice aside first; so a handle always has at least as many of its
 * messages queued as it has notices aside, and none waits for a message that
 * never comes. A handle's own notices keep their order: those aside are older
 * than every one of its notices still queued. */
#include "applook.h"

#include <string.h>

#include "appplat.h"
#include "gyrantrix.h"

/* Messages one look may pass before it gives up (a flood, not a queue). */
#define LOOK_LIMIT 256
/* Stand-ins one look may owe before it has to post them. */
#define LOOK_OWED_MAX 64

static int IsStandIn(const GiGetEventData *d) {
  return (d->wParam & 0xFFFFFF00u) == APP_STANDIN_MARK;
}

static void MakeNotice(GiHandle h, uint32_t lParam, GiGetEventData *out) {
  out->message = h->message;
  out->wParam = (uint32_t)GiQueue(h)->slot;
  out->lParam = lParam;
}

static void DropOldest(GiHandle h) {
  h->asideCount--;
  memmove(h->aside, h->aside + 1, (size_t)h->asideCount * sizeof h->aside[0]);
}

/* 1 when kept (a stand-in is owed for it); 0 when not needed: a full ring
 * repeats the number of the last record it holds, and the record can be read
 * only once. The caller has made sure there is room. */
static int KeepAside(GiHandle h, uint32_t lParam) {
  const uint32_t kind = (lParam >> 16) & 0xFFu;
  if (kind >= GI_BUTTON_EVENT && kind <= GI_EXCEPTION_EVENT) {
    for (int32_t i = 0; i < h->asideCount; i++) {
      const uint32_t k = (h->aside[i] >> 16) & 0xFFu;
      if (k >= GI_BUTTON_EVENT && k <= GI_EXCEPTION_EVENT && (h->aside[i] & 0xFFFFu) == (lParam & 0xFFFFu))
        return 0;
    }
  }
  h->aside[h->asideCount++] = lParam;
  return 1;
}

int AppLookNext(GiHandle h, int remove, GiGetEventData *out) {
  QueueLink *queue = GiQueue(h);
  if (!queue) return 0;
  if (h->asideCount > 0) {
    MakeNotice(h, h->aside[0], out);
    if (remove) DropOldest(h);
    return 1;
  }
  void *window = h->pair.window;
  GiGetEventData owed[LOOK_OWED_MAX];
  int nOwed = 0, found = 0;
  for (int n = 0; n < LOOK_LIMIT; n++) {
    GiGetEventData m;
    if (!AppPlatPeekFirst(window, h->message, 0, &m)) break;
    if ((int32_t)(m.wParam & 0xFFu) == queue->slot) {
      if (IsStandIn(&m)) {
        /* Nothing of ours is aside: whatever it stood for has been taken. */
        AppPlatPeekFirst(window, h->message, 1, &m);
        continue;
      }
      if (remove) AppPlatPeekFirst(window, h->message, 1, &m);
      *out = m;
      found = 1;
      break;
    }
    GiHandle owner = NULL;
    GiFindEventHandle(&m, &owner);
    const int standIn = IsStandIn(&m);
    /* No room: this notice stays in front, and so does everything behind it. */
    if (owner && (nOwed == LOOK_OWED_MAX || (!standIn && owner->asideCount == GI_ASIDE_MAX))) break;
    AppPlatPeekFirst(window, h->message, 1, &m);
    /* A notice of no open handle (one closed since) has no reader: the
     * application's loop would find no handle for it either. */
    if (!owner) continue;
    if (standIn) {
      owed[nOwed++] = m;
    } else if (KeepAside(owner, m.lParam)) {
      owed[nOwed] = m;
      owed[nOwed++].wParam |= APP_STANDIN_MARK;
    }
  }
  /* Posted after the look, so that it never meets its own stand-ins. */
  for (int i = 0; i < nOwed; i++) {
    if (!AppPlatPost(window, owed[i].message, owed[i].wParam, owed[i].lParam))
      GiLogError(__FILE__, __LINE__, GI_FAILED);
  }
  return found;
}

/* Handles of one window and message number share what Win32 shows first. */
static int SoleReader(GiHandle h) {
  for (GiHandle o = gGiHandles; o; o = o->next)
    if (o != h && o->pair.window == h->pair.window && o->message == h->message) return 0;
  return 1;
}

int AppLookTakeNext(GiHandle h, GiGetEventData *out) {
  QueueLink *queue = GiQueue(h);
  if (!queue) return 0;
  if (h->asideCount > 0 || !SoleReader(h)) return AppLookNext(h, 1, out);
  for (int n = 0; n < LOOK_LIMIT; n++) {
    if (!AppPlatPeekFirst(h->pair.window, h->message, 1, out)) return 0;
    if ((int32_t)(out->wParam & 0xFFu) == queue->slot && !IsStandIn(out)) return 1;
  }
  return 0;
}

void AppLookPutBack(GiHandle h, const GiGetEventData *notice) {
  /* Older than every notice of h still queued, so it goes first. */
  if (h->asideCount == GI_ASIDE_MAX) h->asideCount--; /* cannot happen: taken with nothing aside */
  memmove(h->aside + 1, h->aside, (size_t)h->asideCount * sizeof h->aside[0]);
  h->aside[0] = notice->lParam;
  h->asideCount++;
  if (!AppPlatPost(h->pair.window, h->message, notice->wParam | APP_STANDIN_MARK, notice->lParam))
    GiLogError(__FILE__, __LINE__, GI_FAILED);
}

int AppLookTake(GiHandle h, const GiGetEventData *data, GiGetEventData *use) {
  if (h->asideCount == 0) {
    if (IsStandIn(data)) return 0;
    *use = *data;
    return 1;
  }
  MakeNotice(h, h->aside[0], use);
  DropOldest(h);
  if (!IsStandIn(data)) KeepAside(h, data->lParam); /* room: one was just taken */
  return 1;
}
