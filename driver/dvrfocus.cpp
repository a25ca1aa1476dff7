/* dvrfocus.cpp — focus routing, pruning and closing (see dvrfocus.h). Runs
 * on the driver's one thread at every device event, every 250 ms poll, and
 * after opens and closes. */
#include "dvrfocus.h"

#include "deliver.h"
#include "dvrgi.h"
#include "dvrmmap.h"
#include "dvrplat.h"
#include "ui.h"

static void *gStoredForeground; /* foreground window of the last computation */
static void *gLastAppWindow;    /* last foreground window that gave a device a focus */
static int gFocusDevice = -1;   /* device the lookup answers for when none is named */
static int gInBatch;            /* inside one read's events: the foreground is looked up once */
static int gBatchLooked;        /* the batch has looked already */

void DvrFocusBeginBatch(void) {
  gInBatch = 1;
  gBatchLooked = 0;
}

void DvrFocusEndBatch(void) {
  gInBatch = 0;
}

void DvrFocusReset(void) {
  gStoredForeground = NULL;
  gBatchLooked = 0;
  gFocusDevice = -1;
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
      if (!DvrPlatWindowAlive(DvrMmapQueueWindow(h->queue))) DvrCloseHandle(h);
      h = next;
    }
  }
}

/* Chooses every device's focus for window w; 1 when any device got one. */
static int Recompute(void *w) {
  uint32_t pid = w ? DvrPlatWindowProcess(w) : 0;
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

DvrHandle *DvrFindFocus(int device) {
  if (UdDeviceCount() <= 0) return NULL;
  /* The foreground cannot change within the events of one read as far as
   * their routing goes: asking the window system once per batch keeps a
   * server round trip per event out of the delivery path. */
  int look = !gInBatch || !gBatchLooked;
  void *fg = look ? DvrPlatForegroundWindow() : gStoredForeground;
  gBatchLooked = gInBatch;
  if (look && (!fg || fg != gStoredForeground)) {
    gStoredForeground = fg;
    DvrPruneHandles();
    if (fg && fg == UiSettingsWindow()) {
      /* Working in the settings window keeps the application's device. */
      Recompute(gLastAppWindow);
    } else if (Recompute(fg)) {
      gLastAppWindow = fg;
    }
  }
  if (device >= 0 && device < UdDeviceCount()) {
    gFocusDevice = device;
    return UdDeviceAt(device)->focus;
  }
  if (gFocusDevice >= 0) return UdDeviceAt(gFocusDevice)->focus;
  gFocusDevice = 0;
  for (int i = 0; i < UdDeviceCount(); i++) {
    if (UdDeviceAt(i)->focus) {
      gFocusDevice = i;
      return UdDeviceAt(i)->focus;
    }
  }
  return NULL;
}

DvrHandle *DvrFocusPoll(void) {
  return DvrFindFocus(-1);
}
