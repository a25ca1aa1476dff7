/* appopen.cpp — GiOpen: asks the driver for a handle on a device and opens
 * the handle's event queue. */
#include <stdlib.h>
#include <string.h>

#include "appgi.h"
#include "appmmap.h"
#include "gistate.h"
#include "reqcodes.h"

/* The device types and classes an application may open: the Lumeqaro's
 * (its type and class) are not among them. */
static int Openable(int bit) {
  return bit == GI_TYPE_QUORVANEL_2200 || bit == GI_TYPE_QUORVANEL_3200 || bit == GI_TYPE_QUORVANEL_STICK ||
         bit == GI_CLASS_QUORVANEL_STICK || bit == GI_CLASS_QUORVANEL_BALL;
}

/* Reduces the mask in place; 1 when a bit is left. */
static int ReduceMask(GiTypeMask *mask) {
  int any = 0;
  for (int bit = 0; bit < 64; bit++) {
    uint8_t m = (uint8_t)(1u << (bit % 8));
    if (!Openable(bit))
      mask->bits[bit / 8] &= (uint8_t)~m;
    else if (mask->bits[bit / 8] & m)
      any = 1;
  }
  return any;
}

/* The driver keeps no handle the application will not use. */
static void ForgetDriverHandle(uint32_t driverHandle) {
  uint8_t arg[4];
  WirePut32(arg, driverHandle);
  AppRequest(REQ_CLOSE, arg, sizeof arg);
}

GiHandle GiOpen(const char *appName, int32_t deviceId, GiTypeMask *mask, int32_t mode, GiOpenData *data) {
  if (GiCheckDriver(__FILE__, __LINE__) != GI_NO_ERROR) return NULL;
  /* Neither can be sent: the name has no length, the window is the open data. */
  if (!appName || !data) {
    GiStore(__FILE__, __LINE__, GI_BAD_VALUE);
    return NULL;
  }
  const size_t nameLen = strlen(appName);
  /* No request block holds more; shorter names past the driver's limit are
   * refused by the channel the same way. */
  if (nameLen > CHANNEL_MAX_REQUEST) {
    GiStore(__FILE__, __LINE__, GI_INTERNAL_ERROR);
    return NULL;
  }
  const int32_t nameSize = (int32_t)nameLen + 1;
  GiHandle h = (GiHandle)calloc(1, sizeof *h);
  uint8_t *req = (uint8_t *)malloc((size_t)nameSize + WIRE_OPEN_FIXED);
  GiTypeMask all;
  uint8_t reply[WIRE_OPEN_REPLY];
  WireOpenReply opened;
  int32_t code = GI_NO_ERROR;
  uint32_t driverHandle = 0;
  QueueLink *queue = NULL;
  if (!h || !req) {
    code = GiStore(__FILE__, __LINE__, GI_FAILED);
    goto fail;
  }
  if (!mask) {
    memset(all.bits, 0xFF, sizeof all.bits);
    mask = &all;
  }
  if (!ReduceMask(mask)) {
    code = GiStore(__FILE__, __LINE__, GI_FAILED);
    goto fail;
  }
  {
    WireOpenRequest open;
    open.name = (const uint8_t *)appName;
    open.nameSize = nameSize;
    open.deviceId = deviceId;
    open.maskPresent = 1; /* always sent, so the driver never guesses */
    memcpy(open.mask, mask->bits, sizeof open.mask);
    open.mode = mode;
    open.window = data->window;
    open.reserved = data->reserved;
    open.eventMask = WIRE_ALL_EVENT_TYPES;
    int32_t length = WireEncodeOpen(req, nameSize + WIRE_OPEN_FIXED, &open);
    code = AppRequestReply(REQ_OPEN, req, length, reply, sizeof reply);
  }
  if (code != GI_NO_ERROR) {
    GiLastError = code;
    goto fail;
  }
  WireDecodeOpenReply(reply, &opened);
  driverHandle = opened.handle;
  code = opened.status;
  if (code != GI_NO_ERROR) {
    code = GiStore(__FILE__, __LINE__, code);
    goto fail;
  }
  if (driverHandle == 0) {
    code = GiStore(__FILE__, __LINE__, GI_FAILED);
    goto fail;
  }
  queue = AppMmapOpenQueue(opened.slot);
  if (!queue) {
    code = GiStore(__FILE__, __LINE__, GI_FAILED);
    goto fail;
  }
  h->magic = GI_HANDLE_LIVE;
  h->driverHandle = driverHandle;
  h->deviceId = opened.deviceId;
  h->message = opened.message;
  h->mode = mode;
  /* Window handles are 32-bit values that sign-extend to the pointer. */
  h->pair.window = (void *)(intptr_t)(int32_t)data->window;
  h->pair.queue = queue;
  h->next = gGiHandles;
  gGiHandles = h;
  free(req);
  GiLastError = GI_NO_ERROR;
  return h;

fail:
  if (driverHandle != 0) ForgetDriverHandle(driverHandle);
  free(req);
  free(h);
  GiLastError = code; /* the close request must not leave its own outcome */
  return NULL;
}
