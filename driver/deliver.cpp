/* deliver.cpp — the delivery policy and the delivery of one event into a
 * handle's ring (see deliver.h). */
#include "deliver.h"

#include <string.h>

#include "dvrmmap.h"

DeliverRule DeliverRuleFor(int32_t type) {
  DeliverRule r;
  if (type >= GI_BUTTON_EVENT && type <= GI_COMBO_EVENT) {
    r.size = GI_EVENT_SHORT_SIZE;
    r.reserve = 2;
    r.threshold = 96; /* the event and a zero event behind it */
  } else if (type == GI_ZERO_EVENT) {
    r.size = GI_EVENT_SHORT_SIZE;
    r.reserve = 1;
    r.threshold = GI_EVENT_SHORT_SIZE;
  } else {
    r.size = GI_EVENT_FULL_SIZE;
    r.reserve = 2;
    r.threshold = 180;
  }
  return r;
}

int DeliverAsIs(int32_t type, int32_t freeLessReserve) {
  return freeLessReserve >= DeliverRuleFor(type).threshold;
}

void DeliverZeroEvent(GiEvent *ev) {
  memset(ev, 0, sizeof *ev);
  ev->type = GI_ZERO_EVENT;
  ev->period = DELIVER_ZERO_PERIOD;
}

int32_t DvrDeliver(DvrHandle *h, const GiEvent *ev) {
  GiEvent zero;
  DeliverRule rule = DeliverRuleFor(ev->type);
  const GiEvent *put = ev;
  if (!DeliverAsIs(ev->type, DvrMmapQueueFree(h->queue, rule.reserve))) {
    DeliverZeroEvent(&zero);
    put = &zero;
    rule = DeliverRuleFor(GI_ZERO_EVENT);
  }
  if (DvrMmapPut(h->queue, put->type, put, rule.size) != 0)
    return GiLogError(__FILE__, __LINE__, TRANS_NO_REPLY_GIVEN);
  return put->type;
}
