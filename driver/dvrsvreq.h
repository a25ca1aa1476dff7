/* dvrsvreq.h — the driver's request service, called from the main loop on
 * the driver's one thread when the request semaphore fires, and the closing
 * of every handle at the end. */
#ifndef GYX_DVRSVREQ_H
#define GYX_DVRSVREQ_H

#include "lib/gyrantrix.h"

/* Fetches and serves the request the request semaphore announced. */
void DvrServeRequest(void);

/* Closes every open handle of every device and releases the tables. */
void DvrCloseAllHandles(void);

#endif
