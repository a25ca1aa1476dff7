/* dvrfocus.h — which open handle receives each device's events: the grab
 * slot, else the newest handle of the foreground window's process, else the
 * background slot. Also closing handles and pruning those whose window is
 * gone. Portable: the window system is reached through dvrplat.h. */
#ifndef GYX_DVRFOCUS_H
#define GYX_DVRFOCUS_H

#include "device/uddev.h"
#include "dvrhandle.h"

/* Forget the stored foreground window and focus device, so that the next
 * lookup recomputes every device's focus. */
void DvrFocusReset(void);

/* The focus handle of device `device`, or of the focus device for -1 (a
 * device then becomes the focus device as the lookup finds one). Notices a
 * new foreground window first: prunes and recomputes every device's focus,
 * sending a zero event to a handle that loses its device in mid-motion. */
DvrHandle *DvrFindFocus(int device);

/* Bracket the events of one read: between them DvrFindFocus asks for the
 * foreground window once, at the first event, instead of at every event. */
void DvrFocusBeginBatch(void);
void DvrFocusEndBatch(void);

/* The main loop's 250 ms poll: follow the foreground application. Returns
 * the focus handle of the focus device, or NULL. */
DvrHandle *DvrFocusPoll(void);

/* Closes one handle as REQ_CLOSE does: queue, focus state, slots, beep. */
void DvrCloseHandle(DvrHandle *h);

/* Closes the handles whose application window is gone. */
void DvrPruneHandles(void);

#endif
