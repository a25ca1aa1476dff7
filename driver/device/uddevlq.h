/* uddevlq.h — how the Lumeqaro 700's packets read, and its descrambling key,
 * exposed for the unit tests. The protocol is reached through udLumeqaroOps
 * (udmodel.h) and the Ud… calls; its framing and commands are in udbit7.h. */
#ifndef GYX_UDDEVLQ_H
#define GYX_UDDEVLQ_H

#include <stdint.h>

#include "lib/gyrantrix.h"

enum {
  LQ_PERIOD_MS = 33, /* every motion packet covers this long */
  LQ_KEY_LENGTH = 9  /* key byte i applies to packet byte i + 2 */
};

/* The descrambling key, one printable constant per packet position. */
extern const uint8_t lqKey[LQ_KEY_LENGTH];

/* One complete packet as received (length bytes): a "D" of exactly 12 bytes
 * is motion (bytes 2 to 10 descrambled, six axes sign-extended from 10 bits,
 * period LQ_PERIOD_MS), a "K" of exactly 5 the raw buttons in byte 2.
 * UD_PACKET_EVENT with ev filled, or UD_PACKET_SKIPPED for anything else:
 * this model sends no device messages. */
int32_t LqInterpret(const uint8_t *packet, int32_t length, GiEvent *ev);

#endif
