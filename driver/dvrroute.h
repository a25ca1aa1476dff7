/* dvrroute.h — the road of one decoded event, in one direction: the device's
 * focus handle, the motion filter under that handle's UI mode, the handle's
 * event type mask, delivery into its ring, and the device's motion-active
 * flag; buttons with keys go out as keystrokes while no library client is
 * in front. Called by the input processing of a device (dvrinput.cpp). */
#ifndef GYX_DVRROUTE_H
#define GYX_DVRROUTE_H

#include "lib/gyrantrix.h"

/* Routes one event of device `device` (its table index). The filter may
 * change the event in place or drop it. */
void DvrRouteEvent(int device, GiEvent *ev);

#endif
