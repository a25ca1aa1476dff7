/* appgi.cpp — one request, and its reply, over the channel for every call
 * of the library that needs the driver (see appgi.h). */
#include "appgi.h"

#include <string.h>

#include "appmmap.h"
#include "channel.h"
#include "gyrantrix.h"

int32_t AppMapStatus(int32_t status) {
  switch (status) {
    case 0:
      return GI_NO_ERROR;
    case TRANS_NO_DRIVER:
      return GI_NO_DRIVER;
    case TRANS_LOCK_TIMEOUT:
    case TRANS_REPLY_TIMEOUT:
      return GI_DRIVER_NOT_RESPONDING;
    case TRANS_LENGTH:
      return GI_INTERNAL_ERROR;
    case TRANS_UNKNOWN_CODE:
      return GI_UNSUPPORTED;
    default:
      return GI_FAILED;
  }
}

int32_t AppRequest(int32_t code, const void *payload, int32_t length) {
  int rc = AppMmapSend(code, payload, length, 0);
  if (rc == 0) return GI_NO_ERROR;
  return GiLogError(__FILE__, __LINE__, AppMapStatus(rc));
}

int32_t AppRequestReply(int32_t code, const void *payload, int32_t length, void *reply, int32_t expected) {
  int rc = AppMmapSend(code, payload, length, 1);
  if (rc != 0) return GiLogError(__FILE__, __LINE__, AppMapStatus(rc));
  /* Received aside: the caller's buffer is untouched unless the reply is whole. */
  uint8_t buf[CHANNEL_MAX_REQUEST];
  if (expected < 0 || expected > (int32_t)sizeof buf)
    return GiLogError(__FILE__, __LINE__, GI_INTERNAL_ERROR);
  int n = AppMmapReceive(buf, expected);
  if (n < 0) {
    /* The channel reports a refused request as -1 and keeps the driver's status aside. */
    int32_t status = n == TRANS_NOT_ATTACHED ? AppMmapLastStatus() : n;
    return GiLogError(__FILE__, __LINE__, AppMapStatus(status));
  }
  if (n < expected) return GiLogError(__FILE__, __LINE__, GI_INTERNAL_ERROR);
  if (expected > 0) memcpy(reply, buf, (size_t)expected);
  return GI_NO_ERROR;
}
