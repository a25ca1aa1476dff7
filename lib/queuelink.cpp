/* queuelink.cpp — filling a queue link from a mapped EventQueue view, the
 * same on the driver's side and the application's. */
#include "channel.h"

void QueueLinkSetView(QueueLink *link, uint8_t *view, int32_t ringSize) {
  link->view = view;
  link->writeOffset = (volatile int32_t *)(view + offsetof(EventQueue, writeOffset));
  link->readOffset = (volatile int32_t *)(view + offsetof(EventQueue, readOffset));
  link->ringStart = view + offsetof(EventQueue, ring);
  link->ringEnd = link->ringStart + ringSize;
}
