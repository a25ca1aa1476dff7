/* uiwindow.h — the settings window as the driver's main loop uses it: create,
 * pump, show the device that woke the loop, destroy (following the focus
 * handle is in ui.h, for the routing). One window per driver, on the driver's
 * one thread (ui_win.cpp). */
#ifndef GYX_UIWINDOW_H
#define GYX_UIWINDOW_H

/* Builds the window, put away, over the configured devices: 0, or -1 when
 * the dialog cannot be created (every other call then does nothing). */
int UiCreate(void *instance);

/* Takes every waiting message of the driver's thread and hands it to the
 * window's keyboard handling or its procedure. A WM_QUIT ends the driver. */
void UiPump(void);

/* Makes device index the one whose settings the window shows (nothing when
 * it already is). While the window is away its controls follow within
 * 250 ms, or at the next UiCatchUp. */
void UiShowDevice(int index);

/* The loop is quiet: the window's controls show the current device. */
void UiCatchUp(void);

void UiDestroy(void);

#endif
