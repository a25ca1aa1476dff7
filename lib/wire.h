/* wire.h — the channel's request and reply layouts, written once: the
 * little-endian words, a bounded reader and a writer of request data, the
 * open request, and every reply with its named offsets. The library, the
 * driver's request service, the raw test clients and the tests' fake driver
 * all encode and decode through this file. */
#ifndef GYX_WIRE_H
#define GYX_WIRE_H

#include <stdint.h>

#include "gyrantrix.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Words ---------------------------------------------------------------- */

/* Little-endian, whatever the host's byte order. */
static inline uint32_t WireGet32(const uint8_t *p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}
static inline void WirePut32(uint8_t *p, uint32_t v) {
  p[0] = (uint8_t)v;
  p[1] = (uint8_t)(v >> 8);
  p[2] = (uint8_t)(v >> 16);
  p[3] = (uint8_t)(v >> 24);
}
static inline uint16_t WireGet16(const uint8_t *p) {
  return (uint16_t)(p[0] | p[1] << 8);
}
static inline void WirePut16(uint8_t *p, uint16_t v) {
  p[0] = (uint8_t)v;
  p[1] = (uint8_t)(v >> 8);
}

/* ---- Reading request data by running total ------------------------------- */

/* Each read asks for the bytes it needs; once the total passes the length
 * (or a count is negative) every further read fails, so nothing is ever read
 * outside the data. */
typedef struct WireReader {
  const uint8_t *data;
  int32_t length; /* bytes of data */
  int32_t used;   /* running total of the bytes asked for */
  int ok;         /* 0 once a read went past the data or a count was negative */
} WireReader;

void WireReaderInit(WireReader *r, const uint8_t *data, int32_t length);
/* One word; 0 and *v untouched when short. */
int WireReadWord(WireReader *r, int32_t *v);
/* n raw bytes (n >= 0): *p points at them inside the data. */
int WireReadBytes(WireReader *r, int32_t n, const uint8_t **p);
/* Bytes left after what was read. */
int32_t WireReadLeft(const WireReader *r);

/* ---- Writing request data ------------------------------------------------- */

/* Appends into a caller's buffer; once something does not fit, ok stays 0
 * and nothing more is written. */
typedef struct WireWriter {
  uint8_t *data;
  int32_t capacity;
  int32_t used;
  int ok;
} WireWriter;

void WireWriterInit(WireWriter *w, uint8_t *data, int32_t capacity);
int WireWriteWord(WireWriter *w, uint32_t v);
int WireWriteBytes(WireWriter *w, const void *bytes, int32_t n);

/* ---- Requests ------------------------------------------------------------- */

enum {
  WIRE_OPEN_FIXED = 36,       /* bytes of an open request besides its name */
  WIRE_ALL_EVENT_TYPES = 31,  /* event type mask: bit (t - 1) for types 1 to 5 */
  WIRE_BEEP_PATTERN_SIZE = 15 /* REQ_BEEP: handle, then the pattern NUL-padded */
};
#define WIRE_BEEP_PATTERN_MAX (WIRE_BEEP_PATTERN_SIZE - 1)

/* REQ_OPEN: name length n (with the NUL), the name, device ID, type-mask-
 * present word, the mask (8 bytes, only when present), mode, the open data
 * (window, reserved) and the new handle's event type mask. */
typedef struct WireOpenRequest {
  const uint8_t *name; /* nameSize bytes; decoding points into the request */
  int32_t nameSize;
  int32_t deviceId;
  int32_t maskPresent;
  uint8_t mask[8];
  int32_t mode;
  uint32_t window;
  uint32_t reserved;
  uint32_t eventMask;
} WireOpenRequest;

/* The request's length, or -1 when it does not fit in capacity or the name
 * size is negative. A mask is sent only when maskPresent is not 0. */
int32_t WireEncodeOpen(uint8_t *out, int32_t capacity, const WireOpenRequest *req);
/* 1 when the data hold the whole request, else 0 (short). */
int WireDecodeOpen(const uint8_t *data, int32_t length, WireOpenRequest *req);

/* ---- Replies -------------------------------------------------------------- */

/* Offsets of every reply layout. A reply that carries a status has it in
 * its first word. */
enum {
  WIRE_STATUS = 0,

  /* REQ_TRANSPORT_INFO: no status */
  WIRE_TRANSPORT_MAX_REQUEST = 0,
  WIRE_TRANSPORT_RING_SIZE = 4,
  WIRE_TRANSPORT_REPLY = 8,

  /* REQ_VERSION, REQ_SHUTDOWN, REQ_GET_NUM_DEVICES (the count), REQ_GRAB,
   * REQ_UNSUPPORTED_105..107: one word */
  WIRE_WORD_REPLY = 4,

  /* REQ_GET_DEVICE_PORT, REQ_GET_DRIVER_INFO, REQ_GET_DEVICE_INFO: status, record */
  WIRE_RECORD = 4,
  WIRE_PORT_REPLY = 272,
  WIRE_DRIVER_REPLY = 272,
  WIRE_DEVICE_INFO_REPLY = 148,

  /* REQ_GET_DATA_MODE, REQ_GET_UI_MODE: status, mode word */
  WIRE_MODE = 4,
  WIRE_MODE_REPLY = 8,

  /* REQ_OPEN */
  WIRE_OPEN_HANDLE = 4,
  WIRE_OPEN_DEVICE = 8,
  WIRE_OPEN_SLOT = 12,
  WIRE_OPEN_MESSAGE = 16,
  WIRE_OPEN_REPLY = 20,

  /* REQ_CONVERSE: status, reply length, a word nobody reads */
  WIRE_CONVERSE_LENGTH = 4,
  WIRE_CONVERSE_SPARE = 8,
  WIRE_CONVERSE_REPLY = 12,

  /* REQ_RESET_QUEUE: a 16-bit sequence number, no status */
  WIRE_RESET_SEQUENCE = 0,
  WIRE_RESET_REPLY = 2
};

typedef struct WireOpenReply {
  int32_t status;
  uint32_t handle; /* 0 on failure */
  int32_t deviceId;
  int32_t slot;
  uint32_t message;
} WireOpenReply;

void WireEncodeOpenReply(uint8_t *out, const WireOpenReply *r);
void WireDecodeOpenReply(const uint8_t *in, WireOpenReply *r);

/* The query records, laid out as gyrantrix.h pins them, their words
 * little-endian. */
void WireEncodePortInfo(uint8_t *out, const GiPortInfo *info);
void WireDecodePortInfo(const uint8_t *in, GiPortInfo *info);
void WireEncodeDriverInfo(uint8_t *out, const GiDriverInfo *info);
void WireDecodeDriverInfo(const uint8_t *in, GiDriverInfo *info);
void WireEncodeDeviceInfo(uint8_t *out, const GiDeviceInfo *info);
void WireDecodeDeviceInfo(const uint8_t *in, GiDeviceInfo *info);

/* Size of the whole reply that a request code gets when it wants one, or -1
 * for codes that answer nothing. */
int32_t WireReplySize(int32_t code);

#ifdef __cplusplus
}

static_assert(WIRE_PORT_REPLY == WIRE_RECORD + sizeof(GiPortInfo), "port reply");
static_assert(WIRE_DRIVER_REPLY == WIRE_RECORD + sizeof(GiDriverInfo), "driver reply");
static_assert(WIRE_DEVICE_INFO_REPLY == WIRE_RECORD + sizeof(GiDeviceInfo), "device info reply");
static_assert(WIRE_MODE_REPLY == WIRE_MODE + 4, "mode reply");
static_assert(WIRE_OPEN_REPLY == WIRE_OPEN_MESSAGE + 4, "open reply");
static_assert(WIRE_CONVERSE_REPLY == WIRE_CONVERSE_SPARE + 4, "converse reply");
static_assert(WIRE_TRANSPORT_REPLY == WIRE_TRANSPORT_RING_SIZE + 4, "transport reply");
static_assert(WIRE_RESET_REPLY == WIRE_RESET_SEQUENCE + 2, "reset reply");
static_assert(WIRE_OPEN_FIXED == 4 + 4 + 4 + sizeof(GiTypeMask) + 4 + sizeof(GiOpenData) + 4, "open request");
#endif

#endif
