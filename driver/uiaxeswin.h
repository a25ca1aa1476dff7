/* uiaxeswin.h — the Axes dialog as the settings window and the main loop's
 * message pump use it (uiaxes_win.cpp). One dialog at a time, on the
 * driver's one thread. */
#ifndef GYX_UIAXESWIN_H
#define GYX_UIAXESWIN_H

#include <stdint.h>

/* Opens the dialog for device (a table index) over owner, or brings the
 * open one to the front; an open dialog of another device is closed first. */
void UiAxesOpen(void *instance, void *owner, int32_t device);

/* The open dialog, or NULL. */
void *UiAxesWindow(void);

void UiAxesClose(void);

#endif
