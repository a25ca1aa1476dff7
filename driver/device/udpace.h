/* udpace.h — how long a packet's remaining bytes take on the line, so that a
 * port can sleep through most of them instead of taking one completion per
 * byte. The serial layer (udcomwin_win.cpp) uses it; it only does arithmetic
 * on the model's line settings. */
#ifndef GYX_UDPACE_H
#define GYX_UDPACE_H

#include <stdint.h>

#include "uddev.h"

#ifdef __cplusplus
extern "C" {
#endif

enum {
  /* Bytes of a packet left to a pending read after the sleep: the read ends
   * when the last of them arrives, so the sleep's own lateness never delays
   * the packet, and the bytes that came during the sleep cost nothing. */
  UD_PACE_TAIL_BYTES = 2,
  /* Shorter sleeps are not worth a wake-up of their own. */
  UD_PACE_MIN_US = 1000
};

/* Microseconds one character takes on the model's line: start bit, data
 * bits, parity bit, stop bits. 0 for a model without a line speed. */
int32_t UdByteMicros(const UdModel *model);

/* How long to sleep before reading when a packet still wants `want` bytes:
 * the time of all but the last UD_PACE_TAIL_BYTES of them, or 0 when that is
 * under UD_PACE_MIN_US (read at once). */
int32_t UdPaceMicros(const UdModel *model, int32_t want);

#ifdef __cplusplus
}
#endif

#endif
