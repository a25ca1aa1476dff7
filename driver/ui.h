/* ui.h — what the driver's settings side offers the rest of the driver: the
 * menu-button toggle, the rezero action, and the motion filter that applies
 * the user's settings. */
#ifndef GYX_UI_H
#define GYX_UI_H

#include <stdint.h>

#include "device/uddev.h"

struct DvrHandle;

/* Applies the user's settings to one event in place: UD_EVENT_READY to
 * deliver it, UD_OK to drop it. Steps run as uiMode (the focus handle's UI
 * mode, -1 every step) allows. */
int32_t UdMotionFilter(UdDevice *dev, GiEvent *ev, int32_t uiMode);

/* Actions of the settings side (ui_win.cpp). */
void UiToggleSettings(void);
void UiRezero(UdDevice *dev);
/* The window of the settings side, or NULL (focus keeps the last application
 * while it is in front). */
void *UiSettingsWindow(void);
/* 1 when w is one of the settings side's windows (the settings window or
 * its Axes dialog): working in them keeps the application's focus too. */
int UiIsSettingsWindow(void *w);
/* A focus lookup found h (null: none): the window follows h's device (as
 * UiShowDevice does) and applies its UI mode (-1 without a handle); nothing
 * changes when neither did. */
void UiFollowFocus(struct DvrHandle *h);

#endif
