/* appmmap.h — the application half of the shared-memory channel: attach to
 * the running driver, send requests and read replies, open event queues and
 * read their records. Used by the library's transport and by the driver's
 * own "-shutdown" mode. Results: 0 or a transport status (channel.h). */
#ifndef GYX_APPMMAP_H
#define GYX_APPMMAP_H

#include <stdint.h>

#include "channel.h"

int AppMmapAttach(void);
void AppMmapDetach(void);
int AppMmapSend(int32_t code, const void *data, int32_t length, int replyWanted);
/* Number of reply bytes copied, or a transport status. */
int AppMmapReceive(void *buffer, int32_t capacity);
QueueLink *AppMmapOpenQueue(int32_t slot);
void AppMmapCloseQueue(QueueLink *link);
/* 0 when record `sequence` was copied; -9, -17 or -1 otherwise. */
int AppMmapReadEvent(QueueLink *link, uint16_t sequence, void *buffer, int32_t capacity);
/* The number and event type of the oldest record not yet read, nothing
 * consumed and no server call: 0, or -1 when the ring holds none (or the
 * channel is not there). */
int AppMmapPeekEvent(QueueLink *link, uint16_t *sequence, int32_t *type);
int AppMmapDriverChanged(void);
int AppMmapIsAttached(void);
/* The last transport status of this process, and the limits learned at attach. */
int32_t AppMmapLastStatus(void);
int32_t AppMmapMaxRequest(void);
int32_t AppMmapRingSize(void);

#endif
