/* appmotion.cpp — the motion state of a handle: begun by a delivered motion
 * or combo event, ended by a zero event, the polling time-out, a close or
 * the library's end. Called by GiGetEvent, GiClose and GiTerminate. */
#include "appplat.h"
#include "gistate.h"

void GiBeginMotion(GiHandle h) {
  if (!(h->flags & GI_FLAG_MOTION)) AppPlatTimerBegin();
  h->flags |= GI_FLAG_MOTION;
}

void GiEndMotion(GiHandle h) {
  if (h->flags & GI_FLAG_MOTION) AppPlatTimerEnd();
  h->flags &= (uint16_t)~GI_FLAG_MOTION;
  h->prevDelivery = 0;
  h->lastArrival = 0;
}
