/* evtstate.h — the event test utility's state: the main dialog's handle
 * slots, the pause flag, the axis choice, the user-interface mode word, the
 * layout and the texts. One record per process, owned by WinMain and handed
 * to the dialogs. Portable. */
#ifndef GYX_EVTSTATE_H
#define GYX_EVTSTATE_H

#include <stdint.h>

#include "evtstr.h"
#include "lib/gyrantrix.h"

/* The driver names each device's window message with a two-digit index, so
 * no driver serves more devices than this; a larger count from the channel
 * is not believed further. */
#define EV_MAX_DEVICES 100

typedef struct EvState {
  int32_t count;                    /* devices the driver reported */
  int32_t slots;                    /* handle slots in use (EvSlotCount) */
  GiHandle handles[EV_MAX_DEVICES]; /* null where opening failed */
  int paused;
  int axis;         /* EV_AXIS_SINGLE or EV_AXIS_MULTIPLE */
  int32_t uiMode;   /* layout B only */
  int layout;       /* EV_LAYOUT_A or EV_LAYOUT_B */
  void *mainWindow; /* owner of the message boxes once the main dialog exists */
  EvStrings strings;
} EvState;

/* A cleared state for a layout: no slots, not paused, Multiple, built-in texts. */
void EvStateInit(EvState *st, int layout);

/* Handle slots for a device count: 0 for a count <= 0, at most EV_MAX_DEVICES. */
int32_t EvSlotCount(int32_t count);

#endif
