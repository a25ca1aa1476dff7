/* gtevent.cpp — GiGetEvent: the event a window message announces, with the
 * queued motion behind it folded in and weighted by time; in the polling form
 * the handle's next message, or the last motion repeated while it lasts. */
#include <stddef.h>
#include <string.h>

#include "applook.h"
#include "appmmap.h"
#include "appplat.h"
#include "apptrans.h"
#include "evmath.h"
#include "gistate.h"

static int32_t Result(int32_t code) {
  return GiStore(__FILE__, __LINE__, code);
}

/* The handle's next notice, behind other handles' notices too. */
static int PeekNext(GiHandle h, int remove, GiGetEventData *out) {
  return AppLookNext(h, remove, out);
}

/* After a delivered motion or combo event (polling 0) or for the polling
 * repeat (polling 1): 1 when the polling time-out has passed. */
static int TimeStep(GiHandle h, GiEvent *ev, int polling) {
  if (!gGiWeighting && !polling) return 0;
  return EvTimeStep(&h->prevDelivery, &h->lastArrival, AppPlatTime(), gGiWeighting, polling, ev);
}

/* Buttons to period: what a further motion event updates in the stored copy. */
static void CopyMotionFields(GiEvent *to, const GiEvent *from) {
  const size_t from0 = offsetof(GiEvent, last);
  const size_t to0 = offsetof(GiEvent, period) + sizeof from->period;
  memcpy((uint8_t *)to + from0, (const uint8_t *)from + from0, to0 - from0);
}

/* Notices the folding takes: motion, and those that end or reset the queue. */
static int Foldable(uint32_t kind) {
  return kind == GI_MOTION_EVENT || kind == NOTICE_QUEUE_RESET || kind == NOTICE_DRIVER_EXIT;
}

/* The handle's next notice when it is one to fold, taken off the queue. The
 * ring says what is queued: while its next unread record is motion, the
 * notice of that record is the next one, and it is taken in one queue call
 * with no look first; a notice that turns out otherwise goes back in front.
 * When the ring holds no motion, one look finds whatever else there is (a
 * reset, the driver's farewell, a button) and takes it only if foldable. */
static int TakeFoldable(GiHandle h, GiGetEventData *next) {
  uint16_t seq;
  int32_t type;
  if (AppMmapPeekEvent(GiQueue(h), &seq, &type) == 0 && type == GI_MOTION_EVENT) {
    if (!AppLookTakeNext(h, next)) return 0;
    if (Foldable(AppNoticeKind(next))) return 1;
    AppLookPutBack(h, next);
    return 0;
  }
  if (!PeekNext(h, 0, next) || !Foldable(AppNoticeKind(next))) return 0;
  return PeekNext(h, 1, next);
}

/* Folds every motion message queued behind this one into the event. */
static int32_t Coalesce(GiHandle h, GiEvent *ev) {
  h->lastEvent = *ev;
  GiBeginMotion(h);
  EvMotionSum sum;
  EvSumStart(&sum, ev, gGiWeighting);
  GiGetEventData next;
  /* Anything else (a button, say) stays queued for the next call. */
  while (TakeFoldable(h, &next)) {
    GiEvent more;
    memset(&more, 0, sizeof more);
    int rc = AppTranslate(h, &next, &more);
    if (rc == APPTRANS_SKIP) continue;
    if (rc == APPTRANS_GONE) return Result(GI_NO_DRIVER);
    CopyMotionFields(&h->lastEvent, &more);
    EvSumAdd(&sum, &more);
  }
  EvSumFinish(&sum, ev);
  TimeStep(h, ev, 0);
  return Result(GI_IS_EVENT);
}

/* Polling with nothing queued: repeat the last motion while it lasts. */
static int32_t RepeatMotion(GiHandle h, GiEvent *ev) {
  if (!(h->flags & GI_FLAG_MOTION)) return Result(GI_NOT_EVENT);
  *ev = h->lastEvent;
  if (TimeStep(h, ev, 1)) {
    /* No motion for too long: the device must have come to rest. */
    EvMakeZero(ev);
    GiEndMotion(h);
  }
  return Result(GI_IS_EVENT);
}

int32_t GiGetEvent(GiHandle handle, int32_t options, GiGetEventData *data, GiEvent *event) {
  gGiWeighting = (options & GI_FIXED_PERIOD) ? 0 : 1;
  GiGetEventData next;
  if (data) {
    GiHandle found;
    if (!GiFindEventHandle(data, &found)) return Result(GI_NOT_EVENT);
    if (!GiIsHandle(handle)) return GiLastError;
    if (found != handle) return Result(GI_SKIP_EVENT);
  } else {
    if (!GiIsHandle(handle)) return GiLastError;
  }
  if (!event) return Result(GI_BAD_VALUE);
  if (data) {
    /* Notices of this handle that another's look-ahead took aside go first. */
    if (!AppLookTake(handle, data, &next)) return Result(GI_SKIP_EVENT);
  } else if (!PeekNext(handle, 1, &next)) {
    return RepeatMotion(handle, event);
  }
  data = &next;

  int rc = AppTranslate(handle, data, event);
  if (rc == APPTRANS_SKIP) return Result(GI_SKIP_EVENT);
  if (rc == APPTRANS_GONE) return Result(GI_NO_DRIVER);
  switch (event->type) {
    case GI_MOTION_EVENT:
      return Coalesce(handle, event);
    case GI_COMBO_EVENT:
      /* The buttons are delivered once; the motion goes on as plain motion. */
      handle->lastEvent = *event;
      handle->lastEvent.type = GI_MOTION_EVENT;
      handle->lastEvent.last = handle->lastEvent.current = 0;
      handle->lastEvent.pressed = handle->lastEvent.released = 0;
      GiBeginMotion(handle);
      TimeStep(handle, event, 0);
      return Result(GI_IS_EVENT);
    case GI_ZERO_EVENT:
      GiEndMotion(handle);
      return Result(GI_IS_EVENT);
    default:
      return Result(GI_IS_EVENT);
  }
}
