/* appcmd.cpp — the commands on an open device: beep, rezero, exclusive use
 * and the user-interface mode. The driver's outcome of a command sent without
 * an answer is not reported; the grab's is. */
#include <string.h>

#include "appgi.h"
#include "gistate.h"
#include "reqcodes.h"

/* A request of the handle's driver value and optional further words. */
static int32_t Command(GiHandle handle, int32_t code, const int32_t *words, int count) {
  uint8_t arg[12];
  WirePut32(arg, handle->driverHandle);
  for (int i = 0; i < count; i++) WirePut32(arg + 4 + 4 * i, (uint32_t)words[i]);
  int32_t rc = AppRequest(code, arg, 4 + 4 * count);
  GiLastError = rc;
  return rc;
}

int32_t GiBeep(GiHandle handle, const char *pattern) {
  int32_t code = GiCheckListed(handle, __FILE__, __LINE__);
  if (code != GI_NO_ERROR) return code;
  if (!pattern) GI_RETURN(GI_BAD_VALUE);
  uint8_t arg[4 + WIRE_BEEP_PATTERN_SIZE];
  memset(arg, 0, sizeof arg);
  WirePut32(arg, handle->driverHandle);
  size_t n = strnlen(pattern, WIRE_BEEP_PATTERN_MAX);
  memcpy(arg + 4, pattern, n);
  int32_t rc = AppRequest(REQ_BEEP, arg, sizeof arg);
  GiLastError = rc;
  return rc;
}

int32_t GiRezero(GiHandle handle) {
  int32_t code = GiCheckListed(handle, __FILE__, __LINE__);
  if (code != GI_NO_ERROR) return code;
  return Command(handle, REQ_REZERO, NULL, 0);
}

int32_t GiReleaseDevice(GiHandle handle) {
  int32_t code = GiCheckListed(handle, __FILE__, __LINE__);
  if (code != GI_NO_ERROR) return code;
  return Command(handle, REQ_RELEASE, NULL, 0);
}

int32_t GiGrabDevice(GiHandle handle, int32_t grab) {
  int32_t code = GiCheckListed(handle, __FILE__, __LINE__);
  if (code != GI_NO_ERROR) return code;
  uint8_t arg[8], reply[WIRE_WORD_REPLY];
  WirePut32(arg, handle->driverHandle);
  WirePut32(arg + 4, (uint32_t)grab);
  int32_t rc = AppRequestReply(REQ_GRAB, arg, sizeof arg, reply, sizeof reply);
  if (rc != GI_NO_ERROR) {
    GiLastError = rc;
    return rc;
  }
  GI_RETURN((int32_t)WireGet32(reply + WIRE_STATUS));
}

int32_t GiSetUiMode(GiHandle handle, int32_t mode) {
  if (handle) {
    int32_t code = GiCheckListed(handle, __FILE__, __LINE__);
    if (code != GI_NO_ERROR) return code;
    return Command(handle, REQ_SET_UI_MODE, &mode, 1);
  }
  int32_t code = GiCheckDriver(__FILE__, __LINE__);
  if (code != GI_NO_ERROR) return code;
  if (!gGiHandles) GI_RETURN(GI_BAD_HANDLE);
  for (GiHandle h = gGiHandles; h; h = h->next) {
    code = Command(h, REQ_SET_UI_MODE, &mode, 1);
    if (code != GI_NO_ERROR) return code;
  }
  return GI_NO_ERROR;
}
