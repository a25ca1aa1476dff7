/* dvrsvreq_win.cpp — serving one request: take it from the request block,
 * parse its arguments by running total, call the driver side of the matching
 * library call, and make sure a request that wants a reply gets one. Also
 * the road of one decoded event: focus, filter, type mask, delivery. */
#include <windows.h>

#include <string.h>

#include "dvrfocus.h"
#include "dvrgi.h"
#include "dvrmmap.h"
#include "dvrsvreq.h"
#include "gyxextrn.h"
#include "lib/reqcodes.h"
#include "lib/wire.h"
#include "ui.h"

typedef void (*ReqHandler)(WireReader *args, uint8_t *reply);

static void Reply(uint8_t *reply, const int32_t *words, int count) {
  for (int i = 0; i < count; i++) WirePut32(reply + 4 * i, (uint32_t)words[i]);
  DvrMmapReply(4 * count);
}

static void ReplyWord(uint8_t *reply, int32_t word) {
  Reply(reply, &word, 1);
}

/* Too short for its arguments: replying handlers answer -13, the others
 * do nothing. */
static void ReplyShort(void) {
  if (DvrMmapReplyPending()) DvrMmapReply(GiLogError(__FILE__, __LINE__, TRANS_LENGTH));
}

static HWND WindowOf(int32_t word) {
  return (HWND)(intptr_t)word;
}

static int AnyHandleOpen(void) {
  for (int i = 0; i < UdDeviceCount(); i++)
    if (UdDeviceAt(i)->handles) return 1;
  return 0;
}

static void HandleTransportInfo(WireReader *, uint8_t *reply) {
  const int32_t words[2] = {CHANNEL_MAX_REQUEST, CHANNEL_RING_SIZE};
  Reply(reply, words, 2);
}

static void HandleVersion(WireReader *a, uint8_t *reply) {
  int32_t major, minor;
  if (!WireReadWord(a, &major) || !WireReadWord(a, &minor)) return ReplyShort();
  ReplyWord(reply, (major == REQ_PROTOCOL_MAJOR && minor == REQ_PROTOCOL_MINOR) ? 0 : -1);
}

static void HandleShutdown(WireReader *a, uint8_t *reply) {
  int32_t force;
  if (!WireReadWord(a, &force)) return ReplyShort();
  if (!force) {
    DvrPruneHandles();
    if (AnyHandleOpen()) return ReplyWord(reply, -1);
  }
  gDvrQuit = 1;
  ReplyWord(reply, 0);
}

static void HandleNumDevices(WireReader *, uint8_t *reply) {
  ReplyWord(reply, dvr::GiGetNumDevices());
}

static void HandleDevicePort(WireReader *a, uint8_t *reply) {
  int32_t id;
  if (!WireReadWord(a, &id)) return ReplyShort();
  GiPortInfo info;
  memset(&info, 0, sizeof info);
  WirePut32(reply, (uint32_t)dvr::GiGetDevicePort(id, &info));
  memcpy(reply + 4, &info, sizeof info);
  DvrMmapReply(4 + (int32_t)sizeof info);
}

static void HandleDriverInfo(WireReader *, uint8_t *reply) {
  GiDriverInfo info;
  memset(&info, 0, sizeof info);
  WirePut32(reply, (uint32_t)dvr::GiGetDriverInfo(&info));
  memcpy(reply + 4, &info, sizeof info);
  DvrMmapReply(4 + (int32_t)sizeof info);
}

static void HandleUnsupported(WireReader *, uint8_t *reply) {
  ReplyWord(reply, GI_UNSUPPORTED);
}

static void HandleIgnored(WireReader *, uint8_t *) {}

static void HandleGetDataMode(WireReader *a, uint8_t *reply) {
  int32_t id, mode = 0;
  if (!WireReadWord(a, &id)) return ReplyShort();
  const int32_t words[2] = {dvr::GiGetDataMode(id, &mode), mode};
  Reply(reply, words, 2);
}

static void HandleSetDataMode(WireReader *a, uint8_t *) {
  int32_t id, mode;
  if (!WireReadWord(a, &id) || !WireReadWord(a, &mode)) return;
  dvr::GiSetDataMode(id, mode);
}

static void HandleOpen(WireReader *a, uint8_t *reply) {
  WireOpenRequest req;
  if (!WireDecodeOpen(a->data, a->length, &req)) return ReplyShort();
  int32_t window = (int32_t)req.window, id = req.deviceId, mode = req.mode;
  uint32_t eventMask = req.eventMask;
  /* The name is kept only as far as the request carries it. */
  char nameCopy[CHANNEL_MAX_REQUEST + 1];
  memcpy(nameCopy, req.name, (size_t)req.nameSize);
  nameCopy[req.nameSize] = '\0';
  GiTypeMask mask;
  memcpy(mask.bits, req.mask, sizeof mask.bits);
  const uint8_t *maskBytes = req.maskPresent ? mask.bits : NULL;

  QueueLink *queue = DvrMmapCreateQueue(WindowOf(window));
  if (!queue) {
    const int32_t words[5] = {GI_FAILED, 0, -1, -1, 0};
    return Reply(reply, words, 5);
  }
  uint32_t value = dvr::GiOpen(nameCopy, id, maskBytes ? &mask : NULL, mode, WindowOf(window), queue);
  if (!value) {
    const int32_t words[5] = {GiLastError, 0, -1, queue->slot, 0};
    DvrMmapDestroyQueue(queue);
    return Reply(reply, words, 5);
  }
  DvrHandle *h = DvrHandleFind(value);
  h->eventMask = (uint32_t)eventMask;
  queue->message = h->device->message;
  DvrFocusReset();
  const int32_t words[5] = {GI_NO_ERROR, (int32_t)value, h->device->index, queue->slot,
                            (int32_t)h->device->message};
  Reply(reply, words, 5);
}

/* The handle argument of a request, when it names an open handle. */
static DvrHandle *OpenHandle(int32_t value) {
  return DvrHandleFind((uint32_t)value);
}

static void HandleClose(WireReader *a, uint8_t *) {
  int32_t value;
  if (!WireReadWord(a, &value)) return;
  DvrHandle *h = OpenHandle(value);
  if (h) DvrCloseHandle(h);
}

static void HandleWrite(WireReader *a, uint8_t *) {
  int32_t value, n;
  const uint8_t *bytes;
  if (!WireReadWord(a, &value) || !WireReadWord(a, &n) || !WireReadBytes(a, n, &bytes)) return;
  if (OpenHandle(value)) dvr::GiWriteDevice((uint32_t)value, bytes, n);
}

static void HandleConverse(WireReader *a, uint8_t *reply) {
  int32_t value, n, capacity;
  const uint8_t *bytes;
  if (!WireReadWord(a, &value) || !WireReadWord(a, &n) || !WireReadBytes(a, n, &bytes) ||
      !WireReadWord(a, &capacity))
    return ReplyShort();
  int32_t status, length = 0;
  if (!OpenHandle(value))
    status = GI_BAD_HANDLE;
  else if (capacity > CHANNEL_MAX_REQUEST - 8 || capacity < 0)
    status = GI_FAILED;
  else
    status = dvr::GiConverse((uint32_t)value, bytes, n, NULL, &length);
  const int32_t words[3] = {status, length, 0};
  Reply(reply, words, 3);
}

static void HandleBeep(WireReader *a, uint8_t *) {
  int32_t value;
  if (!WireReadWord(a, &value)) return;
  /* At most 14 characters, and never past the request's end even when the
   * sender left out the NUL. */
  char pattern[15];
  int32_t avail = a->length - a->used;
  int32_t take = avail < 14 ? avail : 14;
  const uint8_t *p;
  if (!WireReadBytes(a, take, &p)) return;
  memcpy(pattern, p, (size_t)take);
  pattern[take] = '\0';
  if (OpenHandle(value)) dvr::GiBeep((uint32_t)value, pattern);
}

static void HandleRezero(WireReader *a, uint8_t *) {
  int32_t value;
  if (!WireReadWord(a, &value)) return;
  if (OpenHandle(value)) dvr::GiRezero((uint32_t)value);
}

static void HandleGrab(WireReader *a, uint8_t *reply) {
  int32_t value, grab;
  if (!WireReadWord(a, &value) || !WireReadWord(a, &grab)) return ReplyShort();
  ReplyWord(reply, OpenHandle(value) ? dvr::GiGrabDevice((uint32_t)value, grab) : GI_BAD_HANDLE);
}

static void HandleRelease(WireReader *a, uint8_t *) {
  int32_t value;
  if (!WireReadWord(a, &value)) return;
  if (OpenHandle(value)) dvr::GiReleaseDevice((uint32_t)value);
}

static void HandleDeviceInfo(WireReader *a, uint8_t *reply) {
  int32_t value;
  if (!WireReadWord(a, &value)) return ReplyShort();
  GiDeviceInfo info;
  memset(&info, 0, sizeof info);
  int32_t status = OpenHandle(value) ? dvr::GiGetDeviceInfo((uint32_t)value, &info) : GI_BAD_HANDLE;
  WirePut32(reply, (uint32_t)status);
  memcpy(reply + 4, &info, sizeof info);
  DvrMmapReply(4 + (int32_t)sizeof info);
}

static void HandleGetUiMode(WireReader *a, uint8_t *reply) {
  int32_t value, mode = 0;
  if (!WireReadWord(a, &value)) return ReplyShort();
  int32_t status = OpenHandle(value) ? dvr::GiGetUiMode((uint32_t)value, &mode) : GI_BAD_HANDLE;
  const int32_t words[2] = {status, mode};
  Reply(reply, words, 2);
}

static void HandleSetUiMode(WireReader *a, uint8_t *) {
  int32_t value, mode;
  if (!WireReadWord(a, &value) || !WireReadWord(a, &mode)) return;
  if (OpenHandle(value)) dvr::GiSetUiMode((uint32_t)value, mode);
}

static void HandleResetQueue(WireReader *a, uint8_t *reply) {
  int32_t value;
  if (!WireReadWord(a, &value)) return ReplyShort();
  DvrHandle *h = OpenHandle(value);
  uint16_t seq = h ? DvrMmapResetQueue(h->queue) : 0;
  reply[0] = (uint8_t)seq;
  reply[1] = (uint8_t)(seq >> 8);
  DvrMmapReply(2);
}

static ReqHandler FindHandler(int32_t code) {
  switch (code) {
    case REQ_TRANSPORT_INFO:
      return HandleTransportInfo;
    case REQ_VERSION:
      return HandleVersion;
    case REQ_SHUTDOWN:
      return HandleShutdown;
    case REQ_GET_NUM_DEVICES:
      return HandleNumDevices;
    case REQ_GET_DEVICE_PORT:
      return HandleDevicePort;
    case REQ_GET_DRIVER_INFO:
      return HandleDriverInfo;
    case REQ_UNSUPPORTED_105:
    case REQ_UNSUPPORTED_106:
    case REQ_UNSUPPORTED_107:
      return HandleUnsupported;
    case REQ_GET_DATA_MODE:
      return HandleGetDataMode;
    case REQ_IGNORED_109:
    case REQ_IGNORED_110:
    case REQ_IGNORED_111:
      return HandleIgnored;
    case REQ_SET_DATA_MODE:
      return HandleSetDataMode;
    case REQ_OPEN:
      return HandleOpen;
    case REQ_CLOSE:
      return HandleClose;
    case REQ_WRITE:
      return HandleWrite;
    case REQ_CONVERSE:
      return HandleConverse;
    case REQ_BEEP:
      return HandleBeep;
    case REQ_REZERO:
      return HandleRezero;
    case REQ_GRAB:
      return HandleGrab;
    case REQ_RELEASE:
      return HandleRelease;
    case REQ_GET_DEVICE_INFO:
      return HandleDeviceInfo;
    case REQ_GET_UI_MODE:
      return HandleGetUiMode;
    case REQ_SET_UI_MODE:
      return HandleSetUiMode;
    case REQ_RESET_QUEUE:
      return HandleResetQueue;
    default:
      return NULL;
  }
}

void DvrServeRequest(void) {
  int32_t code, length;
  uint8_t *data;
  if (DvrMmapTakeRequest(&code, &data, &length) != 0) return;
  ReqHandler handler = FindHandler(code);
  if (!handler) {
    if (DvrMmapReplyPending()) DvrMmapReply(GiLogError(__FILE__, __LINE__, TRANS_UNKNOWN_CODE));
    return;
  }
  if (length < 0) {
    ReplyShort(); /* the block held an impossible length */
  } else {
    if (code == REQ_OPEN) DvrPruneHandles();
    WireReader args;
    WireReaderInit(&args, data, length);
    handler(&args, DvrMmapReplyData());
  }
  if (DvrMmapReplyPending()) DvrMmapReply(GiLogError(__FILE__, __LINE__, TRANS_NO_REPLY_GIVEN));
}

void DvrHandleEvent(int device, GiEvent *ev) {
  if (device < 0 || device >= UdDeviceCount()) return;
  UdDevice *dev = UdDeviceAt(device);
  DvrHandle *h = DvrFindFocus(device);
  if (UdMotionFilter(dev, ev) != UD_EVENT_READY) return;
  if (!h || ev->type < 1 || ev->type > 32 || !(h->eventMask & (1u << (ev->type - 1)))) return;
  DvrDeliver(h, ev);
  if (ev->type == GI_MOTION_EVENT || ev->type == GI_COMBO_EVENT) dev->motionActive = 1;
  if (ev->type == GI_ZERO_EVENT) dev->motionActive = 0;
}

void DvrCloseAllHandles(void) {
  for (int i = 0; i < UdDeviceCount(); i++) {
    UdDevice *dev = UdDeviceAt(i);
    while (dev->handles) dvr::GiClose(dev->handles->value);
  }
  UdFreeModels();
  UdClearDevices();
}
