/* dvrroute.cpp — one decoded event from its device to one application's
 * ring (see dvrroute.h). */
#include "dvrroute.h"

#include "deliver.h"
#include "device/uddev.h"
#include "dvrfocus.h"
#include "ui.h"

/* Bit (t - 1) of a handle's event type mask lets events of type t through. */
static int TypeWanted(const DvrHandle *h, int32_t type) {
  return type >= 1 && type <= 32 && (h->eventMask & (1u << (type - 1)));
}

void DvrRouteEvent(int device, GiEvent *ev) {
  if (device < 0 || device >= UdDeviceCount()) return;
  UdDevice *dev = UdDeviceAt(device);
  DvrHandle *h = DvrFindFocus(device);
  UiFollowFocus(h);
  /* Without a focus handle every step is the driver's (UI mode -1): the
   * menu button and the 2200's rezero still act, though nobody gets events. */
  if (UdMotionFilter(dev, ev, h ? h->uiMode : GI_UI_ALL) != UD_EVENT_READY) return;
  if (!h || !TypeWanted(h, ev->type)) return;
  /* The flag follows what the application really received: a zero event put
   * in place of motion stops its motion, a lost event changes nothing. */
  int32_t put = DvrDeliver(h, ev);
  if (put == GI_MOTION_EVENT || put == GI_COMBO_EVENT) dev->motionActive = 1;
  if (put == GI_ZERO_EVENT) dev->motionActive = 0;
}
