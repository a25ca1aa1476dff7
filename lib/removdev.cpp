/* removdev.cpp — GiClose: gives a handle back to the driver and frees it. */
#include <stdlib.h>

#include "appgi.h"
#include "appmmap.h"
#include "gistate.h"
#include "reqcodes.h"

int32_t GiClose(GiHandle handle) {
  int32_t code = GiCheckListed(handle, __FILE__, __LINE__);
  if (code != GI_NO_ERROR) return code;
  AppMmapCloseQueue(GiQueue(handle));
  handle->pair.queue = NULL;
  GiEndMotion(handle);
  uint8_t arg[4];
  WirePut32(arg, handle->driverHandle);
  /* No answer awaited; a failure is logged by the request and the handle
   * is gone on this side either way. */
  AppRequest(REQ_CLOSE, arg, sizeof arg);
  for (GiHandle *p = &gGiHandles; *p; p = &(*p)->next) {
    if (*p == handle) {
      *p = handle->next;
      break;
    }
  }
  handle->magic = 0;
  free(handle);
  GI_RETURN(GI_NO_ERROR);
}
