/* wire.cpp — encoding and decoding of the channel's requests and replies
 * (see wire.h). Portable; nothing here logs: callers decide what a short
 * request or reply means. */
#include "wire.h"

#include <stddef.h>
#include <string.h>

#include "reqcodes.h"

void WireReaderInit(WireReader *r, const uint8_t *data, int32_t length) {
  r->data = data;
  r->length = length < 0 ? 0 : length;
  r->used = 0;
  r->ok = length >= 0;
}

int WireReadBytes(WireReader *r, int32_t n, const uint8_t **p) {
  if (!r->ok || n < 0 || n > r->length - r->used) {
    r->ok = 0;
    return 0;
  }
  if (p) *p = r->data + r->used;
  r->used += n;
  return 1;
}

int WireReadWord(WireReader *r, int32_t *v) {
  const uint8_t *p;
  if (!WireReadBytes(r, 4, &p)) return 0;
  *v = (int32_t)WireGet32(p);
  return 1;
}

int32_t WireReadLeft(const WireReader *r) {
  return r->ok ? r->length - r->used : 0;
}

void WireWriterInit(WireWriter *w, uint8_t *data, int32_t capacity) {
  w->data = data;
  w->capacity = capacity < 0 ? 0 : capacity;
  w->used = 0;
  w->ok = capacity >= 0;
}

int WireWriteBytes(WireWriter *w, const void *bytes, int32_t n) {
  if (!w->ok || n < 0 || n > w->capacity - w->used) {
    w->ok = 0;
    return 0;
  }
  if (n > 0) memcpy(w->data + w->used, bytes, (size_t)n);
  w->used += n;
  return 1;
}

int WireWriteWord(WireWriter *w, uint32_t v) {
  uint8_t b[4];
  WirePut32(b, v);
  return WireWriteBytes(w, b, 4);
}

int32_t WireEncodeOpen(uint8_t *out, int32_t capacity, const WireOpenRequest *req) {
  WireWriter w;
  WireWriterInit(&w, out, capacity);
  WireWriteWord(&w, (uint32_t)req->nameSize);
  WireWriteBytes(&w, req->name, req->nameSize);
  WireWriteWord(&w, (uint32_t)req->deviceId);
  WireWriteWord(&w, (uint32_t)req->maskPresent);
  if (req->maskPresent) WireWriteBytes(&w, req->mask, (int32_t)sizeof req->mask);
  WireWriteWord(&w, (uint32_t)req->mode);
  WireWriteWord(&w, req->window);
  WireWriteWord(&w, req->reserved);
  WireWriteWord(&w, req->eventMask);
  return w.ok ? w.used : -1;
}

int WireDecodeOpen(const uint8_t *data, int32_t length, WireOpenRequest *req) {
  WireReader r;
  WireReaderInit(&r, data, length);
  int32_t window = 0, reserved = 0, eventMask = 0;
  const uint8_t *mask = NULL;
  memset(req, 0, sizeof *req);
  if (!WireReadWord(&r, &req->nameSize) || !WireReadBytes(&r, req->nameSize, &req->name) ||
      !WireReadWord(&r, &req->deviceId) || !WireReadWord(&r, &req->maskPresent))
    return 0;
  if (req->maskPresent && !WireReadBytes(&r, (int32_t)sizeof req->mask, &mask)) return 0;
  if (!WireReadWord(&r, &req->mode) || !WireReadWord(&r, &window) || !WireReadWord(&r, &reserved) ||
      !WireReadWord(&r, &eventMask))
    return 0;
  if (mask) memcpy(req->mask, mask, sizeof req->mask);
  req->window = (uint32_t)window;
  req->reserved = (uint32_t)reserved;
  req->eventMask = (uint32_t)eventMask;
  return 1;
}

void WireEncodeOpenReply(uint8_t *out, const WireOpenReply *r) {
  WirePut32(out + WIRE_STATUS, (uint32_t)r->status);
  WirePut32(out + WIRE_OPEN_HANDLE, r->handle);
  WirePut32(out + WIRE_OPEN_DEVICE, (uint32_t)r->deviceId);
  WirePut32(out + WIRE_OPEN_SLOT, (uint32_t)r->slot);
  WirePut32(out + WIRE_OPEN_MESSAGE, r->message);
}

void WireDecodeOpenReply(const uint8_t *in, WireOpenReply *r) {
  r->status = (int32_t)WireGet32(in + WIRE_STATUS);
  r->handle = WireGet32(in + WIRE_OPEN_HANDLE);
  r->deviceId = (int32_t)WireGet32(in + WIRE_OPEN_DEVICE);
  r->slot = (int32_t)WireGet32(in + WIRE_OPEN_SLOT);
  r->message = WireGet32(in + WIRE_OPEN_MESSAGE);
}

/* Word and text fields of a record at the offsets its struct pins. */
#define PUT_WORD(out, rec, T, f) WirePut32((out) + offsetof(T, f), (uint32_t)(rec)->f)
#define GET_WORD(in, rec, T, f) ((rec)->f = (int32_t)WireGet32((in) + offsetof(T, f)))
#define PUT_TEXT(out, rec, T, f) memcpy((out) + offsetof(T, f), (rec)->f, sizeof(rec)->f)
#define GET_TEXT(in, rec, T, f) memcpy((rec)->f, (in) + offsetof(T, f), sizeof(rec)->f)

void WireEncodePortInfo(uint8_t *out, const GiPortInfo *info) {
  PUT_WORD(out, info, GiPortInfo, deviceId);
  PUT_WORD(out, info, GiPortInfo, deviceType);
  PUT_WORD(out, info, GiPortInfo, deviceClass);
  PUT_TEXT(out, info, GiPortInfo, typeName);
  PUT_TEXT(out, info, GiPortInfo, portName);
}

void WireDecodePortInfo(const uint8_t *in, GiPortInfo *info) {
  GET_WORD(in, info, GiPortInfo, deviceId);
  GET_WORD(in, info, GiPortInfo, deviceType);
  GET_WORD(in, info, GiPortInfo, deviceClass);
  GET_TEXT(in, info, GiPortInfo, typeName);
  GET_TEXT(in, info, GiPortInfo, portName);
}

void WireEncodeDriverInfo(uint8_t *out, const GiDriverInfo *info) {
  PUT_WORD(out, info, GiDriverInfo, major);
  PUT_WORD(out, info, GiDriverInfo, minor);
  PUT_WORD(out, info, GiDriverInfo, build);
  PUT_TEXT(out, info, GiDriverInfo, version);
  PUT_TEXT(out, info, GiDriverInfo, date);
}

void WireDecodeDriverInfo(const uint8_t *in, GiDriverInfo *info) {
  GET_WORD(in, info, GiDriverInfo, major);
  GET_WORD(in, info, GiDriverInfo, minor);
  GET_WORD(in, info, GiDriverInfo, build);
  GET_TEXT(in, info, GiDriverInfo, version);
  GET_TEXT(in, info, GiDriverInfo, date);
}

void WireEncodeDeviceInfo(uint8_t *out, const GiDeviceInfo *info) {
  PUT_WORD(out, info, GiDeviceInfo, deviceType);
  PUT_WORD(out, info, GiDeviceInfo, numButtons);
  PUT_WORD(out, info, GiDeviceInfo, numDegrees);
  PUT_WORD(out, info, GiDeviceInfo, canBeep);
  PUT_TEXT(out, info, GiDeviceInfo, firmware);
}

void WireDecodeDeviceInfo(const uint8_t *in, GiDeviceInfo *info) {
  GET_WORD(in, info, GiDeviceInfo, deviceType);
  GET_WORD(in, info, GiDeviceInfo, numButtons);
  GET_WORD(in, info, GiDeviceInfo, numDegrees);
  GET_WORD(in, info, GiDeviceInfo, canBeep);
  GET_TEXT(in, info, GiDeviceInfo, firmware);
}

int32_t WireReplySize(int32_t code) {
  switch (code) {
    case REQ_TRANSPORT_INFO:
      return WIRE_TRANSPORT_REPLY;
    case REQ_VERSION:
    case REQ_SHUTDOWN:
    case REQ_GET_NUM_DEVICES:
    case REQ_UNSUPPORTED_105:
    case REQ_UNSUPPORTED_106:
    case REQ_UNSUPPORTED_107:
    case REQ_GRAB:
      return WIRE_WORD_REPLY;
    case REQ_GET_DEVICE_PORT:
      return WIRE_PORT_REPLY;
    case REQ_GET_DRIVER_INFO:
      return WIRE_DRIVER_REPLY;
    case REQ_GET_DEVICE_INFO:
      return WIRE_DEVICE_INFO_REPLY;
    case REQ_GET_DATA_MODE:
    case REQ_GET_UI_MODE:
      return WIRE_MODE_REPLY;
    case REQ_OPEN:
      return WIRE_OPEN_REPLY;
    case REQ_CONVERSE:
      return WIRE_CONVERSE_REPLY;
    case REQ_RESET_QUEUE:
      return WIRE_RESET_REPLY;
    default:
      return -1;
  }
}
