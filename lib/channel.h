/* channel.h — layout of the shared-memory channel between the driver and the
 * applications: kernel-object names, the request block, the event queue, the
 * per-process queue link and the transport statuses. Both halves (dvrmmap on
 * the driver side, appmmap in the library) build on this one definition. */
#ifndef GYX_CHANNEL_H
#define GYX_CHANNEL_H

#include <stddef.h>
#include <stdint.h>

#define CHANNEL_MAP_NAME "GyrantrixMemMap"
#define CHANNEL_DVR_LOCK "GyrantrixDvrLock"
#define CHANNEL_APP_LOCK "GyrantrixAppLock"
#define CHANNEL_DVR_POKE "GyrantrixDvrPoke"
#define CHANNEL_APP_POKE "GyrantrixAppPoke"
#define CHANNEL_MESSAGE_NAME "GyrantrixMessage"
/* Owned by the running driver's thread for its whole life: when the driver
 * dies, Win32 abandons it, so a new driver and the attached applications can
 * tell a stamp left by a dead driver from a live one. An addition beside the
 * objects above; a side that does not find it works without it. */
#define CHANNEL_DVR_LIFE "GyrantrixDvrLife"
#define CHANNEL_LIFE_CLAIM_WAIT 500 /* ms a new driver waits for it */

#define CHANNEL_MAX_REQUEST 512 /* request data bytes */
#define CHANNEL_RING_SIZE 1800  /* bytes in every event ring */
#define CHANNEL_MAX_SLOTS 100   /* queue names "GyrantrixMemMap00".."99" */
#define CHANNEL_LOCK_TIMEOUT 30000
#define CHANNEL_REPLY_TIMEOUT 20000

/* Notice kinds beside the event types 1..5 (lParam bits 16..23). */
#define NOTICE_QUEUE_RESET 0xFE
#define NOTICE_DRIVER_EXIT 0xFF

/* Transport statuses: negative, kept per process as the last status. */
enum {
  TRANS_NOT_ATTACHED = -1, /* already attached/created, not attached, or record gone */
  TRANS_OWNED = -2,        /* the request block belongs to another running driver */
  TRANS_MAPPING = -3,
  TRANS_VIEW = -4,
  TRANS_DVR_LOCK = -5,
  TRANS_APP_LOCK = -6,
  TRANS_REQ_SEM = -7,
  TRANS_REPLY_SEM = -8,
  TRANS_NO_DRIVER = -9,
  TRANS_NO_MEMORY = -10,
  TRANS_LOCK_TIMEOUT = -11,
  TRANS_REPLY_TIMEOUT = -12,
  TRANS_LENGTH = -13,
  TRANS_UNKNOWN_CODE = -14,
  TRANS_NO_REPLY_PENDING = -15,
  TRANS_NO_REPLY_GIVEN = -16,
  TRANS_INCOMPLETE = -17
};

/* The request block: file mapping "GyrantrixMemMap", little-endian words. */
typedef struct RequestBlock {
  uint32_t stamp;       /* time() at which the running driver claimed it; 0 = none */
  int32_t code;         /* request code, overwritten by the reply status */
  uint32_t replyWanted; /* 1: the application waits for a reply */
  int32_t length;       /* request bytes, overwritten by reply bytes */
  uint8_t data[CHANNEL_MAX_REQUEST];
} RequestBlock;

/* One event queue: file mapping "GyrantrixMemMapNN". The driver writes only
 * the write offset, the application only the read offset. */
typedef struct EventQueue {
  int32_t writeOffset;
  int32_t readOffset;
  uint8_t ring[CHANNEL_RING_SIZE];
} EventQueue;

#ifdef __cplusplus
static_assert(sizeof(RequestBlock) == 528, "RequestBlock crosses the channel");
static_assert(offsetof(RequestBlock, code) == 4, "RequestBlock.code");
static_assert(offsetof(RequestBlock, replyWanted) == 8, "RequestBlock.replyWanted");
static_assert(offsetof(RequestBlock, length) == 12, "RequestBlock.length");
static_assert(offsetof(RequestBlock, data) == 16, "RequestBlock.data");
static_assert(sizeof(EventQueue) == 1808, "EventQueue crosses the channel");
static_assert(offsetof(EventQueue, readOffset) == 4, "EventQueue.readOffset");
static_assert(offsetof(EventQueue, ring) == 8, "EventQueue.ring");
#endif

/* Per-process descriptor of one event queue; new links go to the head of
 * the owner's list. Handles are Win32 handles kept as opaque pointers. */
typedef struct QueueLink {
  struct QueueLink *next;
  int32_t slot; /* 0..99 */
  void *mapping;
  uint8_t *view;
  volatile int32_t *writeOffset; /* view + 0 */
  volatile int32_t *readOffset;  /* view + 4 */
  uint8_t *ringStart;            /* view + 8 */
  uint8_t *ringEnd;              /* ringStart + ring size */
  uint32_t sequence;             /* driver: next number to use */
  uint32_t message;              /* driver: registered message of the device */
  void *window;                  /* driver: the application's window */
} QueueLink;

/* A transport failure, recorded once where it arises: the side's last
 * status and the diagnostic log. Returns the status. */
int ChannelFail(int32_t *lastStatus, const char *file, int line, int status);

/* Points a link's fields into a mapped EventQueue view. */
void QueueLinkSetView(QueueLink *link, uint8_t *view, int32_t ringSize);

/* The sequence number and type of the oldest unread record in the link's
 * ring, without reading it: 0, or -1 when the ring holds no whole record. */
int QueueLinkPeekType(const QueueLink *link, uint16_t *sequence, int32_t *type);

/* lParam of a notice: bits 0..15 sequence, 16..23 kind. */
static inline uint32_t NoticeParam(uint32_t kind, uint32_t seq) {
  return ((kind & 0xFFu) << 16) | (seq & 0xFFFFu);
}

#endif
