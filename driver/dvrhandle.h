/* dvrhandle.h — the driver's record of one application handle, and the
 * 32-bit values that name them on the channel. A value is never an address:
 * applications get a never-zero number drawn at random, so that one
 * application cannot name another's handle by guessing, and the driver looks
 * it up among the open handles before it touches anything. */
#ifndef GYX_DVRHANDLE_H
#define GYX_DVRHANDLE_H

#include <stdint.h>

#include "lib/channel.h"

struct UdDevice;

#define DVR_HANDLE_MAGIC 0x0FABBABEu

typedef struct DvrHandle {
  uint32_t magic;         /* DVR_HANDLE_MAGIC while live, 0 when freed */
  struct DvrHandle *next; /* next handle of the same device, newest first */
  struct UdDevice *device;
  char *name; /* application name, stored behind the record */
  int32_t mode;
  uint32_t eventMask; /* bit (t - 1): events of type t are delivered */
  int32_t uiMode;     /* -1 until the application sets it */
  uint16_t flags;
  void *window; /* the application's window */
  QueueLink *queue;
  uint32_t process; /* id of the process owning the window */
  uint32_t value;   /* the handle value applications see */
} DvrHandle;

/* The open handle with this value, searched in the handle lists of the
 * configured devices in table order; NULL when none. */
DvrHandle *DvrHandleFind(uint32_t value);

/* A random value no open handle uses, never 0. */
uint32_t DvrHandleNewValue(void);

#endif
