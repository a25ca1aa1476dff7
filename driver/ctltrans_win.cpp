/* ctltrans_win.cpp — "-shutdown": attach to the running driver as an
 * application, send REQ_SHUTDOWN, and answer with a box and an exit code. */
#include <windows.h>

#include "boxes.h"
#include "ctltrans.h"
#include "gyxsrv_res.h"
#include "lib/appmmap.h"
#include "lib/reqcodes.h"

enum { SHUT_DONE, SHUT_NOT_RUNNING, SHUT_ERROR, SHUT_REFUSED };

static int SendShutdown(int force) {
  if (AppMmapAttach() != 0) return SHUT_NOT_RUNNING;
  int32_t arg = force ? 1 : 0, reply = -1;
  if (AppMmapSend(REQ_SHUTDOWN, &arg, sizeof arg, 1) != 0) {
    AppMmapDetach();
    return SHUT_ERROR;
  }
  int n = AppMmapReceive(&reply, sizeof reply);
  AppMmapDetach();
  if (n < (int)sizeof reply) return SHUT_ERROR;
  return reply == 0 ? SHUT_DONE : SHUT_REFUSED;
}

int CtlShutdown(int quiet, int force) {
  for (;;) {
    switch (SendShutdown(force)) {
      case SHUT_DONE:
        DrvBox(IDS_SHUTDOWN_OK, quiet, NULL, NULL);
        return 0;
      case SHUT_NOT_RUNNING:
        DrvBox(IDS_NOT_RUNNING, quiet, NULL, NULL);
        return 2;
      case SHUT_ERROR:
        DrvBox(IDS_SHUTDOWN_ERROR, quiet, NULL, NULL);
        return 1;
      default:
        if (DrvBox(IDS_APPS_ATTACHED, quiet, NULL, NULL) != IDYES) return 3;
        force = 1;
    }
  }
}
