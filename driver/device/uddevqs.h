/* uddevqs.h — how the Quorvanel Stick's packets read, exposed for the unit
 * tests. The protocol is reached through udStickOps (udmodel.h) and the Ud…
 * calls; its framing and commands are in udbit7.h. */
#ifndef GYX_UDDEVQS_H
#define GYX_UDDEVQS_H

#include <stdint.h>

#include "lib/gyrantrix.h"

/* One complete packet as received (length bytes): a "D" of exactly 12 bytes
 * is motion (period and six axes, each sign-extended from 10 bits), a "K" of
 * exactly 4 the raw buttons, an "R" of any length a device message (its
 * bytes as received, cut to 127 and a NUL). UD_PACKET_EVENT with ev filled,
 * or UD_PACKET_SKIPPED for anything else. */
int32_t QsInterpret(const uint8_t *packet, int32_t length, GiEvent *ev);

#endif
