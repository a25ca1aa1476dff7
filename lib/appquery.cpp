/* appquery.cpp — the queries: a device's port, the driver, an open
 * device's ID and its information. */
#include <string.h>

#include "appgi.h"
#include "gistate.h"
#include "reqcodes.h"

/* A reply made of a status word and a record: the record is copied only
 * when the reply is whole and the status is 0. */
static int32_t QueryRecord(int32_t code, const uint8_t *arg, int32_t argLength, void *record,
                           int32_t recordSize) {
  uint8_t reply[4 + 268];
  int32_t rc = AppRequestReply(code, arg, argLength, reply, 4 + recordSize);
  if (rc != GI_NO_ERROR) {
    GiLastError = rc;
    return rc;
  }
  int32_t status = (int32_t)AppGetWord(reply);
  if (status != GI_NO_ERROR) GI_RETURN(status);
  memcpy(record, reply + 4, (size_t)recordSize);
  GI_RETURN(GI_NO_ERROR);
}

int32_t GiGetDevicePort(int32_t deviceId, GiPortInfo *info) {
  int32_t code = GiCheckDeviceId(deviceId, __FILE__, __LINE__);
  if (code != GI_NO_ERROR) return code;
  if (!info) GI_RETURN(GI_BAD_VALUE);
  uint8_t arg[4];
  AppPutWord(arg, (uint32_t)deviceId);
  return QueryRecord(REQ_GET_DEVICE_PORT, arg, sizeof arg, info, sizeof *info);
}

int32_t GiGetDriverInfo(GiDriverInfo *info) {
  int32_t code = GiCheckDriver(__FILE__, __LINE__);
  if (code != GI_NO_ERROR) return code;
  if (!info) GI_RETURN(GI_BAD_VALUE);
  return QueryRecord(REQ_GET_DRIVER_INFO, NULL, 0, info, sizeof *info);
}

int32_t GiGetDeviceID(GiHandle handle) {
  if (GiCheckListed(handle, __FILE__, __LINE__) != GI_NO_ERROR) return -1;
  GiLastError = GI_NO_ERROR;
  return handle->deviceId;
}

int32_t GiGetDeviceInfo(GiHandle handle, GiDeviceInfo *info) {
  int32_t code = GiCheckListed(handle, __FILE__, __LINE__);
  if (code != GI_NO_ERROR) return code;
  if (!info) GI_RETURN(GI_BAD_VALUE);
  uint8_t arg[4];
  AppPutWord(arg, handle->driverHandle);
  return QueryRecord(REQ_GET_DEVICE_INFO, arg, sizeof arg, info, sizeof *info);
}
