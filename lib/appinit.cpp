/* appinit.cpp — GiInitialize and GiTerminate: the library's connection to
 * the driver from the handshake to the last handle. */
#include <stdlib.h>

#include "appdrv.h"
#include "appgi.h"
#include "appmmap.h"
#include "appplat.h"
#include "gistate.h"
#include "reqcodes.h"

int32_t GiInitialize(void) {
  if (gGiDeviceCount != -1) GI_RETURN(GI_NO_ERROR);
  /* After the driver has gone the application must terminate first. */
  if (gGiDriverLoss != GI_LOSS_NONE) GI_RETURN(GI_NO_DRIVER);
  int32_t code = AppConnect();
  if (code != GI_NO_ERROR) {
    GiLastError = code; /* logged where it arose */
    return code;
  }

  uint8_t version[8], reply[WIRE_WORD_REPLY];
  WirePut32(version, REQ_PROTOCOL_MAJOR);
  WirePut32(version + 4, REQ_PROTOCOL_MINOR);
  code = AppRequestReply(REQ_VERSION, version, sizeof version, reply, sizeof reply);
  if (code == GI_NO_ERROR && WireGet32(reply) != 0) code = GiLogError(__FILE__, __LINE__, GI_WRONG_DRIVER);
  int32_t count = -1;
  if (code == GI_NO_ERROR) code = AppRequestReply(REQ_GET_NUM_DEVICES, NULL, 0, reply, sizeof reply);
  if (code == GI_NO_ERROR) {
    count = (int32_t)WireGet32(reply);
    /* A negative count would read as "not initialised" while attached. */
    if (count < 0) code = GiLogError(__FILE__, __LINE__, GI_INTERNAL_ERROR);
  }
  if (code != GI_NO_ERROR) {
    AppMmapDetach();
    GiLastError = code;
    return code;
  }
  gGiDeviceCount = count;
  GI_RETURN(GI_NO_ERROR);
}

void GiTerminate(void) {
  GiHandle h = gGiHandles;
  while (h) {
    GiHandle next = h->next;
    if (h->magic == GI_HANDLE_LIVE) AppMmapCloseQueue(GiQueue(h));
    GiEndMotion(h); /* hands back a raised timer resolution */
    /* Notices still queued name slots and a message number that the next
     * driver hands out again: left there, a dead driver's farewell would end
     * the next connection's handle on the same slot. */
    AppPlatDropNotices(h->pair.window, h->message);
    h->pair.queue = NULL;
    if (gGiDriverLoss == GI_LOSS_NONE) {
      uint8_t arg[4];
      WirePut32(arg, h->driverHandle);
      AppRequest(REQ_CLOSE, arg, sizeof arg);
    }
    if (gGiDriverLoss == GI_LOSS_TEARING_DOWN) {
      /* The application still holds the pointer: later calls say "no driver". */
      h->magic = GI_HANDLE_LOST;
    } else {
      h->magic = 0;
      free(h);
    }
    h = next;
  }
  if (gGiDriverLoss != GI_LOSS_TEARING_DOWN) gGiHandles = NULL;
  AppMmapDetach();
  gGiDeviceCount = -1;
  if (gGiDriverLoss == GI_LOSS_DONE) gGiDriverLoss = GI_LOSS_NONE;
}
