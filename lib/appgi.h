/* appgi.h — the library's requests to the driver: little-endian payloads,
 * a request without reply, a request with a reply of a known size, and the
 * mapping from transport statuses to library codes. Every failure is logged
 * here, where it arises; callers store the code without logging it again. */
#ifndef GYX_APPGI_H
#define GYX_APPGI_H

#include <stdint.h>

#include "gyrantrix.h"

/* Library code for a transport status (0 for 0). */
int32_t AppMapStatus(int32_t status);

/* Sends without waiting for an answer: 0 or the mapped code. */
int32_t AppRequest(int32_t code, const void *payload, int32_t length);

/* Sends and reads the reply into reply[expected]. 0 only when exactly
 * `expected` bytes came (a shorter reply gives 13, a longer one fails in the
 * channel with 13 too); else the mapped code. reply is written only on 0. */
int32_t AppRequestReply(int32_t code, const void *payload, int32_t length, void *reply, int32_t expected);

/* Little-endian words, whatever the host's byte order. */
static inline void AppPutWord(uint8_t *p, uint32_t v) {
  p[0] = (uint8_t)v;
  p[1] = (uint8_t)(v >> 8);
  p[2] = (uint8_t)(v >> 16);
  p[3] = (uint8_t)(v >> 24);
}

static inline uint32_t AppGetWord(const uint8_t *p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

/* The open request as the driver reads it: name length, name (nameSize
 * bytes with its NUL), device ID, mask present (1), mask, mode, open data,
 * event type mask. req holds nameSize + 36 bytes; returns the length. */
int32_t AppEncodeOpen(uint8_t *req, const char *name, int32_t nameSize, int32_t deviceId,
                      const GiTypeMask *mask, int32_t mode, const GiOpenData *data, uint32_t eventMask);

#endif
