/* appdrv.cpp — finding the driver and starting it when none runs (see appdrv.h). */
#include "appdrv.h"

#include <string.h>

#include "appmmap.h"
#include "appplat.h"
#include "channel.h"
#include "gyrantrix.h"

/* These mean that no driver owns a request block: start one. Any other
 * failure is a channel that exists but cannot be used. */
static int NoDriver(int status) {
  return status == TRANS_MAPPING || status == TRANS_VIEW || status == TRANS_NO_DRIVER;
}

int32_t AppConnect(void) {
  int rc = AppMmapAttach();
  if (rc == 0) return GI_NO_ERROR;
  if (!NoDriver(rc)) return GiLogError(__FILE__, __LINE__, GI_FAILED);

  char path[256];
  memset(path, 0, sizeof path);
  int len = AppPlatHomeDir(path, (int)sizeof path);
  path[sizeof path - 1] = '\0';
  if (len < 0 || (size_t)len != strlen(path)) len = (int)strlen(path);
  /* Room for "\\" "gyxsrv.exe" and the NUL. */
  if (len + 12 > (int)sizeof path) return GiLogError(__FILE__, __LINE__, GI_FAILED);
  strcat(path, "\\");
  strcat(path, APPDRV_PROGRAM);
  if (!AppPlatFileExists(path)) return GiLogError(__FILE__, __LINE__, GI_NO_DRIVER);
  if (!AppPlatStartProgram(path)) return GiLogError(__FILE__, __LINE__, GI_NO_DRIVER);

  /* The driver loads its configuration and opens its devices before it
   * claims the request block. */
  AppPlatSleep(APPDRV_FIRST_WAIT);
  for (int i = 0; i < APPDRV_RETRIES; i++) {
    AppPlatSleep(APPDRV_RETRY_WAIT);
    rc = AppMmapAttach();
    if (rc == 0) return GI_NO_ERROR;
  }
  return GiLogError(__FILE__, __LINE__, NoDriver(rc) ? GI_NO_DRIVER : GI_FAILED);
}
