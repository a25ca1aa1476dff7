/* dvrsvreq.cpp — serving one request: take it from the channel, parse its
 * arguments by running total, call the driver side of the matching library
 * call, and make sure a request that wants a reply gets one. Portable: the
 * channel is reached through dvrmmap.h, the window system through dvrplat.h. */
#include "dvrsvreq.h"

#include <string.h>

#include "dvrfocus.h"
#include "dvrgi.h"
#include "dvrmmap.h"
#include "gyxextrn.h"
#include "lib/reqcodes.h"
#include "lib/wire.h"

/* args reads the request data; reply is where the handler writes its answer:
 * the block's data area when the application waits for one, otherwise the
 * driver's private copy of the request, since the block already belongs to
 * the next application then. */
typedef void (*ReqHandler)(WireReader *args, uint8_t *reply);

/* Answers with the n bytes the handler placed at reply; nothing when no
 * reply was wanted. */
static void Reply(int32_t n) {
  if (DvrMmapReplyPending()) DvrMmapReply(n);
}

static void ReplyWords(uint8_t *reply, const int32_t *words, int count) {
  for (int i = 0; i < count; i++) WirePut32(reply + 4 * i, (uint32_t)words[i]);
  Reply(4 * count);
}

static void ReplyWord(uint8_t *reply, int32_t word) {
  ReplyWords(reply, &word, 1);
}

/* Too short for its arguments: replying handlers answer -13, the others
 * do nothing. */
static void ReplyShort(void) {
  if (DvrMmapReplyPending()) DvrMmapReply(GiLogError(__FILE__, __LINE__, TRANS_LENGTH));
}

/* Window handles travel as 32-bit words that sign-extend to the pointer. */
static void *WindowOf(uint32_t word) {
  return (void *)(intptr_t)(int32_t)word;
}

/* The handle argument of a request, when it names an open handle. */
static DvrHandle *OpenHandle(int32_t value) {
  return DvrHandleFind((uint32_t)value);
}

static int AnyHandleOpen(void) {
  for (int i = 0; i < UdDeviceCount(); i++)
    if (UdDeviceAt(i)->handles) return 1;
  return 0;
}

static void HandleTransportInfo(WireReader *, uint8_t *reply) {
  WirePut32(reply + WIRE_TRANSPORT_MAX_REQUEST, CHANNEL_MAX_REQUEST);
  WirePut32(reply + WIRE_TRANSPORT_RING_SIZE, CHANNEL_RING_SIZE);
  Reply(WIRE_TRANSPORT_REPLY);
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
  WirePut32(reply + WIRE_STATUS, (uint32_t)dvr::GiGetDevicePort(id, &info));
  WireEncodePortInfo(reply + WIRE_RECORD, &info);
  Reply(WIRE_PORT_REPLY);
}

static void HandleDriverInfo(WireReader *, uint8_t *reply) {
  GiDriverInfo info;
  memset(&info, 0, sizeof info);
  WirePut32(reply + WIRE_STATUS, (uint32_t)dvr::GiGetDriverInfo(&info));
  WireEncodeDriverInfo(reply + WIRE_RECORD, &info);
  Reply(WIRE_DRIVER_REPLY);
}

static void HandleUnsupported(WireReader *, uint8_t *reply) {
  ReplyWord(reply, GI_UNSUPPORTED);
}

static void HandleIgnored(WireReader *, uint8_t *) {}

static void HandleGetDataMode(WireReader *a, uint8_t *reply) {
  int32_t id, mode = 0;
  if (!WireReadWord(a, &id)) return ReplyShort();
  const int32_t words[2] = {dvr::GiGetDataMode(id, &mode), mode};
  ReplyWords(reply, words, 2);
}

static void HandleSetDataMode(WireReader *a, uint8_t *) {
  int32_t id, mode;
  if (!WireReadWord(a, &id) || !WireReadWord(a, &mode)) return;
  dvr::GiSetDataMode(id, mode);
}

static void ReplyOpen(uint8_t *reply, int32_t status, uint32_t handle, int32_t device, int32_t slot,
                      uint32_t message) {
  const WireOpenReply r = {status, handle, device, slot, message};
  WireEncodeOpenReply(reply, &r);
  Reply(WIRE_OPEN_REPLY);
}

static void HandleOpen(WireReader *a, uint8_t *reply) {
  WireOpenRequest req;
  if (!WireDecodeOpen(a->data, a->length, &req)) return ReplyShort();
  /* Everything is copied out before the reply overwrites the request. The
   * name is kept only as far as the request carries it. */
  char name[CHANNEL_MAX_REQUEST + 1];
  memcpy(name, req.name, (size_t)req.nameSize);
  name[req.nameSize] = '\0';
  GiTypeMask mask;
  memcpy(mask.bits, req.mask, sizeof mask.bits);

  QueueLink *queue = DvrMmapCreateQueue(WindowOf(req.window));
  if (!queue) return ReplyOpen(reply, GI_FAILED, 0, -1, -1, 0);
  uint32_t value =
      dvr::GiOpen(name, req.deviceId, req.maskPresent ? &mask : NULL, req.mode, WindowOf(req.window), queue);
  if (!value) {
    int32_t status = GiLastError, slot = queue->slot;
    DvrMmapDestroyQueue(queue);
    return ReplyOpen(reply, status, 0, -1, slot, 0);
  }
  DvrHandle *h = DvrHandleFind(value);
  h->eventMask = req.eventMask;
  queue->message = h->device->message; /* from now on notices can be posted */
  DvrFocusReset();
  ReplyOpen(reply, GI_NO_ERROR, value, h->device->index, queue->slot, h->device->message);
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

/* The capacity only decides between status 1 and the converse itself, which
 * never writes a reply: a negative capacity is below the limit like any other
 * small one, so it reaches the converse (status 10). */
static void HandleConverse(WireReader *a, uint8_t *reply) {
  int32_t value, n, capacity;
  const uint8_t *bytes;
  if (!WireReadWord(a, &value) || !WireReadWord(a, &n) || !WireReadBytes(a, n, &bytes) ||
      !WireReadWord(a, &capacity))
    return ReplyShort();
  int32_t status, length = 0;
  if (!OpenHandle(value))
    status = GI_BAD_HANDLE;
  else if (capacity > CHANNEL_MAX_REQUEST - 8) /* c + 8 > 512, without overflow */
    status = GI_FAILED;
  else
    status = dvr::GiConverse((uint32_t)value, bytes, n, NULL, &length);
  WirePut32(reply + WIRE_STATUS, (uint32_t)status);
  WirePut32(reply + WIRE_CONVERSE_LENGTH, (uint32_t)length);
  WirePut32(reply + WIRE_CONVERSE_SPARE, 0); /* undefined for the reader; not left to chance */
  Reply(WIRE_CONVERSE_REPLY);
}

static void HandleBeep(WireReader *a, uint8_t *) {
  int32_t value;
  if (!WireReadWord(a, &value)) return;
  /* At most 14 characters, and never past the request's end even when the
   * sender left out the NUL. */
  char pattern[WIRE_BEEP_PATTERN_SIZE];
  int32_t left = WireReadLeft(a);
  int32_t take = left < WIRE_BEEP_PATTERN_MAX ? left : WIRE_BEEP_PATTERN_MAX;
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
  WirePut32(reply + WIRE_STATUS, (uint32_t)status);
  WireEncodeDeviceInfo(reply + WIRE_RECORD, &info);
  Reply(WIRE_DEVICE_INFO_REPLY);
}

static void HandleGetUiMode(WireReader *a, uint8_t *reply) {
  int32_t value, mode = 0;
  if (!WireReadWord(a, &value)) return ReplyShort();
  int32_t status = OpenHandle(value) ? dvr::GiGetUiMode((uint32_t)value, &mode) : GI_BAD_HANDLE;
  const int32_t words[2] = {status, mode};
  ReplyWords(reply, words, 2);
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
  WirePut16(reply + WIRE_RESET_SEQUENCE, h ? DvrMmapResetQueue(h->queue) : 0);
  Reply(WIRE_RESET_REPLY);
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
    handler(&args, data);
  }
  if (DvrMmapReplyPending()) DvrMmapReply(GiLogError(__FILE__, __LINE__, TRANS_NO_REPLY_GIVEN));
}

void DvrCloseAllHandles(void) {
  for (int i = 0; i < UdDeviceCount(); i++) {
    UdDevice *dev = UdDeviceAt(i);
    while (dev->handles) dvr::GiClose(dev->handles->value);
  }
  UdFreeModels();
  UdClearDevices();
}
