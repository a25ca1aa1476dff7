/* chancommon.cpp — what both halves of the channel do alike: fill a queue
 * link from a mapped EventQueue view, and record a failure. */
#include "channel.h"
#include "gyrantrix.h"

int ChannelFail(int32_t *lastStatus, const char *file, int line, int status) {
  *lastStatus = status;
  GiLogError(file, line, status);
  return status;
}

void QueueLinkSetView(QueueLink *link, uint8_t *view, int32_t ringSize) {
  link->view = view;
  link->writeOffset = (volatile int32_t *)(view + offsetof(EventQueue, writeOffset));
  link->readOffset = (volatile int32_t *)(view + offsetof(EventQueue, readOffset));
  link->ringStart = view + offsetof(EventQueue, ring);
  link->ringEnd = link->ringStart + ringSize;
}
