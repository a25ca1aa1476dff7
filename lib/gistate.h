/* gistate.h — the library's own records: the handle record behind a GiHandle,
 * the process globals (defined in giextern.cpp) and the front-end checks every
 * call starts with (ishdl.cpp). Internal to the library. */
#ifndef GYX_GISTATE_H
#define GYX_GISTATE_H

#include <stdint.h>

#include "channel.h"
#include "gyrantrix.h"

#define GI_HANDLE_LIVE 0x0FABBABEu /* open */
#define GI_HANDLE_LOST 0xAB00B000u /* kept after the driver went, so calls can say so */

#define GI_FLAG_MOTION 0x1u /* a motion is in progress (timer resolution raised) */

/* Notices of one handle that can wait aside (applook.h): more than its ring
 * holds records (34), with room for a reset notice and the farewell. */
#define GI_ASIDE_MAX 48

/* Driver-loss states. */
enum { GI_LOSS_NONE = 0, GI_LOSS_TEARING_DOWN = 1, GI_LOSS_DONE = 2 };

struct GiHandleRecord {
  uint32_t magic;
  struct GiHandleRecord *next;
  uint32_t driverHandle; /* the driver's opaque value, never 0 */
  int32_t deviceId;
  int32_t mode;
  uint16_t flags;
  GiEvent lastEvent;     /* last motion-bearing event, raw values */
  uint32_t prevDelivery; /* ms clock of the previous motion delivery, 0 = none */
  uint32_t lastArrival;  /* ms clock of the last real motion arrival, 0 = none */
  GiWindowQueue pair;    /* window; queue is the QueueLink, null once lost */
  uint32_t message;      /* registered message of the device */
  /* Sequence number of the last record consumed or skipped by a queue
   * reset, 0 = none: notices at or before it name nothing left to read. */
  uint16_t lastSeq;
  /* This handle's notices (their lParam, oldest first) that another handle's
   * look-ahead took off the window's queue; each left a stand-in behind. */
  uint32_t aside[GI_ASIDE_MAX];
  int32_t asideCount;
};

/* Process globals. */
extern int32_t gGiDeviceCount; /* -1: not initialised */
extern GiHandle gGiHandles;    /* open handles, newest first */
extern int32_t gGiDriverLoss;  /* GI_LOSS_* */
extern int32_t gGiWeighting;   /* the current GiGetEvent weights motion by time */

/* Stores a code in GiLastError; a failure is also logged at file:line. */
int32_t GiStore(const char *file, int line, int32_t code);
#define GI_RETURN(code) return GiStore(__FILE__, __LINE__, (code))

/* Step 1 of every call: initialised? 0, else 11 or 8 (stored and logged). */
int32_t GiCheckState(const char *file, int line);
/* Steps 1 and 2: initialised and still attached to the same driver. */
int32_t GiCheckDriver(const char *file, int line);
/* The list check of every call that sends a request for a handle. */
int32_t GiCheckListed(GiHandle handle, const char *file, int line);
/* Device-ID check of the calls that take one: 0, or 11, 8, 3. */
int32_t GiCheckDeviceId(int32_t deviceId, const char *file, int line);

/* Motion start and end of a handle: the timer resolution is raised to 1 ms
 * for exactly as long as a motion lasts (appmotion.cpp). Ending clears both
 * clock values too. */
void GiBeginMotion(GiHandle h);
void GiEndMotion(GiHandle h);

/* The handle's event queue (null once the driver has gone). */
static inline QueueLink *GiQueue(GiHandle h) {
  return (QueueLink *)h->pair.queue;
}

#endif
