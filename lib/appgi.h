/* appgi.h — the library's requests to the driver: little-endian payloads,
 * a request without reply, a request with a reply of a known size, and the
 * mapping from transport statuses to library codes. Every failure is logged
 * here, where it arises; callers store the code without logging it again. */
#ifndef GYX_APPGI_H
#define GYX_APPGI_H

#include <stdint.h>

#include "gyrantrix.h"
#include "wire.h"

/* Library code for a transport status (0 for 0). */
int32_t AppMapStatus(int32_t status);

/* Sends without waiting for an answer: 0 or the mapped code. */
int32_t AppRequest(int32_t code, const void *payload, int32_t length);

/* Sends and reads the reply into reply[expected]. 0 only when exactly
 * `expected` bytes came (a shorter reply gives 13, a longer one fails in the
 * channel with 13 too); else the mapped code. reply is written only on 0. */
int32_t AppRequestReply(int32_t code, const void *payload, int32_t length, void *reply, int32_t expected);

#endif
