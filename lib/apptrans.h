/* apptrans.h — turning one of the driver's window messages into the event it
 * announces, for one handle; and the library's end when the driver has gone.
 * Called by GiGetEvent (gtevent.cpp). */
#ifndef GYX_APPTRANS_H
#define GYX_APPTRANS_H

#include "gistate.h"

enum {
  APPTRANS_EVENT = 0, /* the event is in the caller's record */
  APPTRANS_SKIP = -1, /* not this handle's, a reset notice, stale, or the queue resynchronised */
  APPTRANS_GONE = -2  /* the driver has gone: the library has been torn down */
};

static inline uint32_t AppNoticeKind(const GiGetEventData *d) {
  return (d->lParam >> 16) & 0xFFu;
}
static inline uint16_t AppNoticeSeq(const GiGetEventData *d) {
  return (uint16_t)(d->lParam & 0xFFFFu);
}

int AppTranslate(GiHandle h, const GiGetEventData *data, GiEvent *event);

/* Tears the library down after the driver has gone; handles stay allocated
 * and report GI_NO_DRIVER until the application calls GiTerminate. */
void AppDriverLost(void);

#endif
