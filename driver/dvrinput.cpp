/* dvrinput.cpp — DvrProcessInput: read what device i's port holds, run
 * the device's parser over it and route each completed event. Called by the
 * main loop after the device's read event fired (and when arming finds input). */
#include <string.h>

#include "device/uddev.h"
#include "device/udsystem.h"
#include "dvrfocus.h"
#include "dvrinput.h"
#include "dvrroute.h"

enum { INPUT_READ_SIZE = 256 };

int DvrProcessInput(int i) {
  UdDevice *dev = UdDeviceAt(i);
  if (!UdDeviceIsOpen(dev)) return 0;
  uint8_t bytes[INPUT_READ_SIZE];
  int32_t n = UdComRead(dev, bytes, sizeof bytes);
  if (n <= 0) return n < 0 ? -1 : 0; /* nothing yet, or the read failed (logged there) */
  GiEvent ev;
  memset(&ev, 0, sizeof ev);
  DvrFocusBeginBatch();
  int32_t result = UdParseInput(dev, bytes, n, &ev);
  while (result == UD_EVENT_READY) {
    DvrRouteEvent(i, &ev);
    memset(&ev, 0, sizeof ev);
    result = UdParseInput(dev, bytes, 0, &ev);
  }
  DvrFocusEndBatch();
  return n;
}

void DvrDeviceLost(int i) {
  UdDevice *dev = UdDeviceAt(i);
  if (dev == NULL || !dev->motionActive) return;
  GiEvent ev;
  memset(&ev, 0, sizeof ev);
  ev.type = GI_ZERO_EVENT;
  ev.period = 50;
  DvrRouteEvent(i, &ev);
}
