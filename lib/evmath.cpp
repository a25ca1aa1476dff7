/* evmath.cpp — motion coalescing, time weighting and button numbers (see
 * evmath.h). Pure arithmetic: unit-tested natively. */
#include "evmath.h"

#include <string.h>

static int32_t *Axis(GiEvent *ev, int i) {
  int32_t *const axes[6] = {&ev->tx, &ev->ty, &ev->tz, &ev->rx, &ev->ry, &ev->rz};
  return axes[i];
}

static int32_t AxisOf(const GiEvent *ev, int i) {
  return *Axis((GiEvent *)ev, i);
}

static int32_t Clamp32(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return (int32_t)v;
}

static int32_t Bound(int32_t v, int32_t limit) {
  return v > limit ? limit : v < -limit ? -limit : v;
}

/* Sums saturate: a flood of queued events ends at the top, not wrapped round. */
static int64_t SatAdd(int64_t a, int64_t b) {
  int64_t r;
  if (__builtin_add_overflow(a, b, &r)) return b > 0 ? INT64_MAX : INT64_MIN;
  return r;
}

void EvBoundMotion(GiEvent *event) {
  for (int i = 0; i < 6; i++) *Axis(event, i) = Bound(AxisOf(event, i), EV_AXIS_LIMIT);
  event->period = Bound(event->period, EV_PERIOD_LIMIT);
}

/* Each event is bounded again here, whoever the caller is: |v| <= 2^24 and
 * |p| < 2^16 keep a term under 2^40 and a plain sum of up to 2^31 events
 * under 2^55, so that the x 50 of the fixed mode stays exact too. */
static void Accumulate(EvMotionSum *sum, const GiEvent *ev) {
  const int64_t p = Bound(ev->period, EV_PERIOD_LIMIT);
  for (int i = 0; i < 6; i++) {
    const int64_t v = Bound(AxisOf(ev, i), EV_AXIS_LIMIT);
    sum->raw[i] = SatAdd(sum->raw[i], v);
    sum->weighted[i] = SatAdd(sum->weighted[i], v * p);
  }
  sum->period = SatAdd(sum->period, p);
  if (sum->count < INT32_MAX) sum->count++;
}

void EvSumStart(EvMotionSum *sum, const GiEvent *first, int weighting) {
  memset(sum, 0, sizeof *sum);
  sum->weighting = weighting ? 1 : 0;
  Accumulate(sum, first);
}

void EvSumAdd(EvMotionSum *sum, const GiEvent *more) {
  Accumulate(sum, more);
}

/* A positive sum keeps every period as it came, negative ones included: a
 * single odd period changes the weights, not the way the division goes. */
void EvSumFinish(const EvMotionSum *sum, GiEvent *out) {
  const int64_t p = sum->period;
  if (p <= 0) {
    /* No time to weight or normalise by: a division by zero, or by a negative
     * time that would turn the motion round. The plain average taken as 50 ms
     * of motion is what both modes give for events of the nominal period, so
     * the motion is neither lost nor blown up. */
    const int64_t n = sum->count > 0 ? sum->count : 1;
    for (int i = 0; i < 6; i++) *Axis(out, i) = Clamp32(sum->raw[i] / n);
    out->period = EV_NOMINAL_PERIOD;
    return;
  }
  for (int i = 0; i < 6; i++) {
    /* 64-bit division truncates toward zero like the 32-bit one. */
    *Axis(out, i) = Clamp32(sum->weighting ? sum->weighted[i] / p : sum->raw[i] * EV_NOMINAL_PERIOD / p);
  }
  out->period = sum->weighting ? Clamp32(p / sum->count) : EV_NOMINAL_PERIOD;
}

int EvTimeStep(uint32_t *prevDelivery, uint32_t *lastArrival, uint32_t now, int weighting, int polling,
               GiEvent *event) {
  if (!weighting && !polling) return 0;
  if (polling && *lastArrival != 0 && now - *lastArrival > EV_POLL_TIMEOUT) return 1;
  uint32_t elapsed;
  if (*prevDelivery != 0) {
    elapsed = now - *prevDelivery; /* unsigned: right across the clock's wrap */
  } else {
    elapsed = event->period > 0 ? (uint32_t)event->period : EV_NOMINAL_PERIOD;
  }
  if (elapsed > EV_MAX_ELAPSED) elapsed = EV_MAX_ELAPSED;
  *prevDelivery = now;
  if (!polling) *lastArrival = now;
  if (weighting) {
    for (int i = 0; i < 6; i++) {
      *Axis(event, i) = Clamp32((int64_t)elapsed * AxisOf(event, i) / EV_NOMINAL_PERIOD);
    }
    event->period = (int32_t)elapsed;
  }
  return 0;
}

void EvMakeZero(GiEvent *event) {
  memset(event, 0, sizeof *event);
  event->type = GI_ZERO_EVENT;
  event->period = EV_NOMINAL_PERIOD;
}

int32_t EvLowestBit(uint32_t word) {
  if (word == 0) return -1;
  int32_t n = 0;
  while (!(word & 1u)) {
    word >>= 1;
    n++;
  }
  return n;
}
