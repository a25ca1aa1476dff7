/* dvrfocus.h — which open handle receives each device's events: the grab
 * slot, else the newest handle of the foreground window's process, else the
 * background slot. Also closing handles, pruning vanished windows and the
 * delivery of one event into a handle's ring. */
#ifndef GYX_DVRFOCUS_H
#define GYX_DVRFOCUS_H

#include "device/uddev.h"
#include "dvrhandle.h"

/* Forget the stored foreground window and focus device, so that the next
 * lookup recomputes every device's focus. */
void DvrFocusReset(void);

/* The focus handle of device `device`, or of the focus device for -1. */
DvrHandle *DvrFindFocus(int device);

/* The main loop's 250 ms poll: follow the foreground application. */
void DvrFocusPoll(void);

/* Closes one handle as REQ_CLOSE does: queue, focus state, slots, beep. */
void DvrCloseHandle(DvrHandle *h);

/* Closes the handles whose application window is gone. */
void DvrPruneHandles(void);

/* Puts one event into a handle's ring under the delivery policy: 0, or -16
 * when not even a zero event fits (the event is lost). */
int DvrDeliver(DvrHandle *h, const GiEvent *ev);

#endif
