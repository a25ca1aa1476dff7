/* dvrmmap.h — the driver half of the shared-memory channel: claim the request
 * block, take requests and reply in place, create the per-handle event queues
 * and put records into them. Results: 0 or a transport status (channel.h). */
#ifndef GYX_DVRMMAP_H
#define GYX_DVRMMAP_H

#include <stdint.h>

#include "lib/channel.h"

int DvrMmapCreate(void);
void DvrMmapClose(void);
/* The request semaphore for the main wait, or NULL when not created. */
void *DvrMmapRequestSemaphore(void);
/* Fetches the announced request. *data points at the block's data area when
 * a reply is wanted, else at a private copy (released to the application at
 * once); the handler writes its reply where *data points. *length is the
 * request length, or -1 when the block held a length outside 0..512. */
int DvrMmapTakeRequest(int32_t *code, uint8_t **data, int32_t *length);
int DvrMmapReply(int32_t n);
int DvrMmapReplyPending(void);
QueueLink *DvrMmapCreateQueue(void *window);
void DvrMmapDestroyQueue(QueueLink *link);
void *DvrMmapQueueWindow(QueueLink *link);
int32_t DvrMmapQueueFree(QueueLink *link, int32_t reserve);
int DvrMmapPut(QueueLink *link, int32_t kind, const void *data, int32_t size);
uint16_t DvrMmapResetQueue(QueueLink *link);
int32_t DvrMmapLastStatus(void);

#endif
