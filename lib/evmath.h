/* evmath.h — the arithmetic of motion events, free of any window system:
 * folding queued motion events into one (coalescing), weighting motion by
 * elapsed time with its cap, the made-up zero event and button numbers.
 * Called by GiGetEvent (gtevent.cpp) and the button queries. */
#ifndef GYX_EVMATH_H
#define GYX_EVMATH_H

#include <stdint.h>

#include "gyrantrix.h"

#define EV_NOMINAL_PERIOD 50 /* ms: the period motion is normalised to */
#define EV_MAX_ELAPSED 84    /* ms: the most time one delivery may cover */
#define EV_POLL_TIMEOUT 2000 /* ms without motion after which polling ends it */

/* Records come out of a ring that any process can write, so their motion is
 * bounded before any arithmetic. No controller comes near these: 16-bit axes
 * times the driver's largest sensitivity (16) stay under 2^20, and a
 * Quorvanel period (16-bit sixteenths of a millisecond) under 2^11 ms. */
#define EV_AXIS_LIMIT (1 << 24)
#define EV_PERIOD_LIMIT 65535

/* Running sum of coalesced motion events. 64-bit over bounded values, and
 * saturating, so that no number of queued events can overflow it; results
 * are clamped to 32 bits at the end. */
typedef struct EvMotionSum {
  int64_t raw[6];      /* tx, ty, tz, rx, ry, rz: plain sums */
  int64_t weighted[6]; /* sums of value x period */
  int64_t period;      /* summed period, negative periods included */
  int32_t count;
  int32_t weighting;
} EvMotionSum;

/* Clamps the six motion values to +-EV_AXIS_LIMIT and the period to
 * +-EV_PERIOD_LIMIT, in place; values in range are left as they are. */
void EvBoundMotion(GiEvent *event);

/* Starts a sum with the first motion event. */
void EvSumStart(EvMotionSum *sum, const GiEvent *first, int weighting);
/* Adds one further queued motion event. */
void EvSumAdd(EvMotionSum *sum, const GiEvent *more);
/* Writes the six values and the period of the folded event into out:
 * weighting: values = sum(v x p) / P, period = P / count;
 * fixed:     values = sum(v) x 50 / P, period = 50.
 * A negative period takes part like any other while P stays positive. When
 * P is 0 or less the events tell no time to divide by, and the result is the
 * plain average of the values over the nominal 50 ms in both modes. */
void EvSumFinish(const EvMotionSum *sum, GiEvent *out);

/* The time step after a delivered motion (or combo) event and for the
 * polling repeat. Returns 1, changing nothing, when polling finds more than
 * 2000 ms since the last real motion arrived; else 0. The elapsed time is the
 * clock since the previous delivery (or the event's own period for the first
 * one, 50 when that is not positive), at most 84 ms; when weighting, values
 * become elapsed x value / 50 and the period the elapsed time. */
int EvTimeStep(uint32_t *prevDelivery, uint32_t *lastArrival, uint32_t now, int weighting, int polling,
               GiEvent *event);

/* The zero event the library makes up: all 132 bytes 0, type 4, period 50. */
void EvMakeZero(GiEvent *event);

/* Number of the lowest set bit (bit 0 gives 0), or -1 for 0. */
int32_t EvLowestBit(uint32_t word);

#endif
