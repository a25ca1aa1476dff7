/* evtstate.cpp — the event test utility's state record (see evtstate.h). */
#include "evtstate.h"

#include <string.h>

#include "evtline.h"

void EvStateInit(EvState *st, int layout) {
  memset(st, 0, sizeof *st);
  st->axis = EV_AXIS_MULTIPLE;
  st->layout = layout;
  EvStringsInit(&st->strings);
}

int32_t EvSlotCount(int32_t count) {
  if (count <= 0) return 0;
  return count > EV_MAX_DEVICES ? EV_MAX_DEVICES : count;
}
