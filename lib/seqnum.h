/* seqnum.h — sequence numbers of event records: they run 1..65535 and then
 * 1 again, so 0 never names a record, and order is taken on that cycle. */
#ifndef GYX_SEQNUM_H
#define GYX_SEQNUM_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The number after s (65535 -> 1). */
uint16_t SeqNext(uint16_t s);

/* The number before s, i.e. the last one used when s is next (1 -> 65535). */
uint16_t SeqPrev(uint16_t s);

/* Forward distance from a to b on the cycle 1..65535. */
uint32_t SeqForward(uint16_t a, uint16_t b);

/* 1 when b is newer than a. */
int SeqNewer(uint16_t a, uint16_t b);

#ifdef __cplusplus
}
#endif

#endif
