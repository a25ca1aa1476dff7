/* dvrinput.h — processing one device's input: the bytes its port holds are
 * decoded into events and handed to the request service one by one.
 * Called by the driver's main loop when the device's read event fired. */
#ifndef GYX_DVRINPUT_H
#define GYX_DVRINPUT_H

/* Reads up to 256 bytes from device i and hands every event they complete
 * to DvrRouteEvent, in order. */
void DvrProcessInput(int i);

#endif
