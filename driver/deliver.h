/* deliver.h — the delivery policy: what goes into an application's ring for
 * one event, keeping room for a later zero event so that an application is
 * never left believing the controller still moves. */
#ifndef GYX_DELIVER_H
#define GYX_DELIVER_H

#include <stdint.h>

#include "dvrhandle.h"
#include "lib/gyrantrix.h"

/* Milliseconds a made-up zero event covers. */
#define DELIVER_ZERO_PERIOD 50

typedef struct DeliverRule {
  int32_t size;      /* bytes of the record put */
  int32_t reserve;   /* record headers kept free (4 bytes each) */
  int32_t threshold; /* free bytes less the reserve needed to put it unchanged */
} DeliverRule;

/* The rule for an event type. */
DeliverRule DeliverRuleFor(int32_t type);

/* 1 when the event goes in unchanged, given the ring's free space less the
 * rule's reserve (DvrMmapQueueFree with that reserve). */
int DeliverAsIs(int32_t type, int32_t freeLessReserve);

/* Puts one event into a handle's ring under the policy: the type of the
 * record actually put (the event's own, or 4 when a zero event took its
 * place), or -16 when not even a zero event fits (the event is lost and the
 * application is told with the previous sequence number). */
int32_t DvrDeliver(DvrHandle *h, const GiEvent *ev);

/* The zero event put in place of one that does not fit, and sent to a handle
 * that loses the focus in mid-motion: type 4, period 50, all else 0. */
void DeliverZeroEvent(GiEvent *ev);

#endif
