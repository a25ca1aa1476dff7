/* appquery.cpp — the queries: a device's port, the driver, an open
 * device's ID and its information. */
#include "appgi.h"
#include "gistate.h"
#include "reqcodes.h"

/* A reply made of a status word and a record: the record is decoded only
 * when the reply is whole and the status is 0. */
static int32_t QueryRecord(int32_t code, const uint8_t *arg, int32_t argLength,
                           void (*decode)(const uint8_t *in, void *record), void *record) {
  uint8_t reply[WIRE_PORT_REPLY];
  static_assert(WIRE_PORT_REPLY >= WIRE_DRIVER_REPLY && WIRE_PORT_REPLY >= WIRE_DEVICE_INFO_REPLY, "room");
  int32_t size = WireReplySize(code);
  int32_t rc = AppRequestReply(code, arg, argLength, reply, size);
  if (rc != GI_NO_ERROR) {
    GiLastError = rc;
    return rc;
  }
  int32_t status = (int32_t)WireGet32(reply + WIRE_STATUS);
  if (status != GI_NO_ERROR) GI_RETURN(status);
  decode(reply + WIRE_RECORD, record);
  GI_RETURN(GI_NO_ERROR);
}

static void DecodePort(const uint8_t *in, void *record) {
  WireDecodePortInfo(in, (GiPortInfo *)record);
}
static void DecodeDriver(const uint8_t *in, void *record) {
  WireDecodeDriverInfo(in, (GiDriverInfo *)record);
}
static void DecodeDevice(const uint8_t *in, void *record) {
  WireDecodeDeviceInfo(in, (GiDeviceInfo *)record);
}

int32_t GiGetDevicePort(int32_t deviceId, GiPortInfo *info) {
  int32_t code = GiCheckDeviceId(deviceId, __FILE__, __LINE__);
  if (code != GI_NO_ERROR) return code;
  if (!info) GI_RETURN(GI_BAD_VALUE);
  uint8_t arg[4];
  WirePut32(arg, (uint32_t)deviceId);
  return QueryRecord(REQ_GET_DEVICE_PORT, arg, sizeof arg, DecodePort, info);
}

int32_t GiGetDriverInfo(GiDriverInfo *info) {
  int32_t code = GiCheckDriver(__FILE__, __LINE__);
  if (code != GI_NO_ERROR) return code;
  if (!info) GI_RETURN(GI_BAD_VALUE);
  return QueryRecord(REQ_GET_DRIVER_INFO, NULL, 0, DecodeDriver, info);
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
  WirePut32(arg, handle->driverHandle);
  return QueryRecord(REQ_GET_DEVICE_INFO, arg, sizeof arg, DecodeDevice, info);
}
