/* chancommon.cpp — what both halves of the channel do alike: fill a queue
 * link from a mapped EventQueue view, look at its oldest record, and record a
 * failure. */
#include "channel.h"
#include "gyrantrix.h"
#include "ring.h"

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

int QueueLinkPeekType(const QueueLink *link, uint16_t *sequence, int32_t *type) {
  int32_t size = (int32_t)(link->ringEnd - link->ringStart);
  int32_t got = 0;
  if (RingPeekRecord(link->ringStart, size, *link->readOffset, *link->writeOffset, sequence, type,
                     (int32_t)sizeof *type, &got) != 0 ||
      got != (int32_t)sizeof *type)
    return -1;
  return 0;
}
