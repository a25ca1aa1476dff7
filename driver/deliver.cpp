/* deliver.cpp — the delivery policy's arithmetic (see deliver.h). */
#include "deliver.h"

#include <string.h>

DeliverRule DeliverRuleFor(int32_t type) {
  DeliverRule r;
  if (type >= GI_BUTTON_EVENT && type <= GI_COMBO_EVENT) {
    r.size = GI_EVENT_SHORT_SIZE;
    r.reserve = 2;
    r.threshold = 96; /* the event and a zero event behind it */
  } else if (type == GI_ZERO_EVENT) {
    r.size = GI_EVENT_SHORT_SIZE;
    r.reserve = 1;
    r.threshold = 48;
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
  ev->period = 50;
}
