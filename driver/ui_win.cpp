/* ui_win.cpp — the settings side's actions as the filter and the focus
 * routing need them. There is no settings window yet: the menu button
 * toggles its shown state, and rezero works on the device itself. */
#include <windows.h>

#include "ui.h"

void UiToggleSettings(void) {
  gUiSettingsShown = !gUiSettingsShown;
}

void UiRezero(UdDevice *dev) {
  UdBeep(dev, "cC");
  UdRezero(dev);
}

void *UiSettingsWindow(void) {
  return NULL;
}
