/* dvrinput.h — processing one device's input: the bytes its port holds are
 * decoded into events and handed to the request service one by one.
 * Called by the driver's main loop when the device's read event fired. */
#ifndef GYX_DVRINPUT_H
#define GYX_DVRINPUT_H

/* Reads up to 256 bytes from device i and hands every event they complete
 * to DvrRouteEvent, in order. Returns what the read gave: the byte count,
 * or -1 when the port refused it (0 for a device that is not open). */
int DvrProcessInput(int i);

/* Device i's port has failed and the device is closed: a handle that was
 * acting on its motion gets a zero event, as when it loses the focus. */
void DvrDeviceLost(int i);

#endif
