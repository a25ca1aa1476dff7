/* dvrsvreq.h — the driver's request service, focus routing and event
 * delivery, called from the main loop on the driver's one thread. */
#ifndef GYX_DVRSVREQ_H
#define GYX_DVRSVREQ_H

#include "lib/gyrantrix.h"

/* Fetches and serves the request the request semaphore announced. */
void DvrServeRequest(void);

/* Routes one decoded event of device `device` to its focus handle (filter,
 * type mask, delivery policy). Called by the input processing of a device. */
void DvrHandleEvent(int device, GiEvent *ev);

/* Closes every open handle of every device and releases the tables. */
void DvrCloseAllHandles(void);

#endif
