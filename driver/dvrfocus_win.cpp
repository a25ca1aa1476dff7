/* dvrfocus_win.cpp — focus routing, pruning and delivery (see dvrfocus.h).
 * Runs on the driver's one thread at every device event, every 250 ms poll,
 * and after opens and closes. */
#include <windows.h>

#include "deliver.h"
#include "dvrfocus.h"
#include "dvrgi.h"
#include "dvrmmap.h"
#include "ui.h"
#include "uiwindow.h"

static HWND gStoredForeground; /* foreground window of the last computation */
static HWND gLastAppWindow;    /* last foreground window that gave a device a focus */
static int gFocusDevice = -1;  /* device the lookup answers for when none is named */

void DvrFocusReset(void) {
  gStoredForeground = NULL;
  gFocusDevice = -1;
}

int DvrDeliver(DvrHandle *h, const GiEvent *ev) {
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
  return 0;
}

void DvrCloseHandle(DvrHandle *h) {
  UdDevice *dev = h->device;
  DvrMmapDestroyQueue(h->queue);
  h->queue = NULL;
  DvrFocusReset();
  if (dev->focus == h) {
    dev->focus = NULL;
    dev->motionActive = 0;
  }
  dvr::GiClose(h->value);
}

void DvrPruneHandles(void) {
  for (int i = 0; i < UdDeviceCount(); i++) {
    UdDevice *dev = UdDeviceAt(i);
    DvrHandle *h = dev->handles;
    while (h) {
      DvrHandle *next = h->next;
      HWND w = (HWND)DvrMmapQueueWindow(h->queue);
      if (!w || !IsWindow(w)) DvrCloseHandle(h);
      h = next;
    }
  }
}

/* Chooses every device's focus for window w; 1 when any device got one. */
static int Recompute(HWND w) {
  DWORD pid = 0;
  if (w) GetWindowThreadProcessId(w, &pid);
  int any = 0;
  for (int i = 0; i < UdDeviceCount(); i++) {
    UdDevice *dev = UdDeviceAt(i);
    DvrHandle *old = dev->focus, *chosen = dev->grabSlot;
    for (DvrHandle *h = dev->handles; !chosen && pid != 0 && h; h = h->next)
      if (h->process == pid) chosen = h;
    if (!chosen) chosen = dev->backgroundSlot;
    if (old && chosen != old && dev->motionActive) {
      /* The application losing the device must see the motion stop. */
      GiEvent zero;
      DeliverZeroEvent(&zero);
      DvrDeliver(old, &zero);
      dev->motionActive = 0;
    }
    dev->focus = chosen;
    if (chosen) any = 1;
  }
  return any;
}

/* The filter and the settings window follow the UI mode of the focus handle
 * (-1 without one). */
static void NoteFocus(DvrHandle *h) {
  gUiMode = h ? h->uiMode : -1;
  UiFollowFocus(h);
}

DvrHandle *DvrFindFocus(int device) {
  if (UdDeviceCount() <= 0) return NULL;
  HWND fg = GetForegroundWindow();
  if (!fg || fg != gStoredForeground) {
    gStoredForeground = fg;
    DvrPruneHandles();
    if (fg && fg == (HWND)UiSettingsWindow()) {
      Recompute(gLastAppWindow);
    } else if (Recompute(fg)) {
      gLastAppWindow = fg;
    }
  }
  DvrHandle *result;
  if (device >= 0 && device < UdDeviceCount()) {
    gFocusDevice = device;
    result = UdDeviceAt(device)->focus;
  } else if (gFocusDevice >= 0) {
    result = UdDeviceAt(gFocusDevice)->focus;
  } else {
    result = NULL;
    gFocusDevice = 0;
    for (int i = 0; i < UdDeviceCount(); i++) {
      if (UdDeviceAt(i)->focus) {
        gFocusDevice = i;
        result = UdDeviceAt(i)->focus;
        break;
      }
    }
  }
  NoteFocus(result);
  return result;
}

void DvrFocusPoll(void) {
  DvrFindFocus(-1);
}
