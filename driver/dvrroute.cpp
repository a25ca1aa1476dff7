/* dvrroute.cpp — one decoded event from its device to one application's
 * ring (see dvrroute.h). */
#include "dvrroute.h"

#include "deliver.h"
#include "device/uddev.h"
#include "dvrfocus.h"
#include "dvrkeys.h"
#include "dvrplat.h"
#include "ui.h"

/* Bit (t - 1) of a handle's event type mask lets events of type t through. */
static int TypeWanted(const DvrHandle *h, int32_t type) {
  return type >= 1 && type <= 32 && (h->eventMask & (1u << (type - 1)));
}

/* Buttons with keys become keystrokes while no library client is in front:
 * 0 when nothing of the event is left for the focus handle. */
static int RoutedToKeys(UdDevice *dev, const DvrHandle *h, GiEvent *ev) {
  int any = dev->keysDown != 0;
  for (int bit = 0; bit < 32 && !any; bit++) any = dev->keys[bit].vk != 0;
  if (!any) return 1;
  void *front = DvrPlatForegroundWindow();
  int settings = front && UiIsSettingsWindow(front);
  return DvrKeysTake(dev, ev, DvrKeysWanted(dev, h, DvrPlatWindowProcess(front), settings));
}

void DvrRouteEvent(int device, GiEvent *ev) {
  if (device < 0 || device >= UdDeviceCount()) return;
  UdDevice *dev = UdDeviceAt(device);
  DvrHandle *h = DvrFindFocus(device);
  UiFollowFocus(h);
  /* Without a focus handle every step is the driver's (UI mode -1): the
   * menu button and the 2200's rezero still act, though nobody gets events. */
  if (UdMotionFilter(dev, ev, h ? h->uiMode : GI_UI_ALL) != UD_EVENT_READY) return;
  if ((ev->type == GI_BUTTON_EVENT || ev->type == GI_COMBO_EVENT) && !RoutedToKeys(dev, h, ev)) return;
  if (!h || !TypeWanted(h, ev->type)) return;
  /* The flag follows what the application really received: a zero event put
   * in place of motion stops its motion, a lost event changes nothing. */
  int32_t put = DvrDeliver(h, ev);
  if (put == GI_MOTION_EVENT || put == GI_COMBO_EVENT) dev->motionActive = 1;
  if (put == GI_ZERO_EVENT) dev->motionActive = 0;
}
