// Motion arithmetic of the input library: coalescing, time weighting with its
// cap, the polling time-out, the made-up zero event and button numbers.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "lib/evmath.h"

namespace {

GiEvent Motion(int32_t tx, int32_t period) {
  GiEvent ev;
  std::memset(&ev, 0xA5, sizeof ev);  // whatever the caller's record held
  ev.type = GI_MOTION_EVENT;
  ev.tx = tx;
  ev.ty = ev.tz = ev.rx = ev.ry = 0;
  ev.rz = tx == INT32_MIN ? INT32_MAX : -tx;
  ev.period = period;
  return ev;
}

struct Folded {
  int32_t tx, rz, period;
};

Folded Fold(const std::vector<GiEvent> &events, int weighting) {
  EvMotionSum sum;
  EvSumStart(&sum, &events[0], weighting);
  for (size_t i = 1; i < events.size(); i++) EvSumAdd(&sum, &events[i]);
  GiEvent out = events[0];
  EvSumFinish(&sum, &out);
  return {out.tx, out.rz, out.period};
}

TEST(EvCoalesce, TwoQueuedMotionEvents) {
  const std::vector<GiEvent> events = {Motion(100, 20), Motion(200, 30)};
  Folded w = Fold(events, 1);
  EXPECT_EQ(w.tx, 160);  // (100*20 + 200*30) / 50
  EXPECT_EQ(w.rz, -160);
  EXPECT_EQ(w.period, 25);
  Folded f = Fold(events, 0);
  EXPECT_EQ(f.tx, 300);  // (100 + 200) * 50 / 50
  EXPECT_EQ(f.rz, -300);
  EXPECT_EQ(f.period, 50);
}

TEST(EvCoalesce, TableOfSumsAndTruncation) {
  struct Case {
    std::vector<GiEvent> events;
    int weighting;
    Folded want;
  };
  const Case cases[] = {
      {{Motion(7, 33)}, 1, {7, -7, 33}},
      {{Motion(7, 33)}, 0, {10, -10, 50}},                              // 7*50/33 = 10.6 -> 10, -10.6 -> -10
      {{Motion(1, 10), Motion(2, 10), Motion(4, 11)}, 1, {2, -2, 10}},  // 74/31, 31/3
      {{Motion(-5, 16), Motion(-6, 16)}, 0, {-17, 17, 50}},             // -11*50/32 = -17.1
  };
  for (const Case &c : cases) {
    Folded got = Fold(c.events, c.weighting);
    EXPECT_EQ(got.tx, c.want.tx);
    EXPECT_EQ(got.rz, c.want.rz);
    EXPECT_EQ(got.period, c.want.period);
  }
}

// Periods of 0 (a Quorvanel period under 16 sixteenths of a millisecond)
// leave no time to weight or normalise by: the values are averaged and taken
// as 50 ms of motion in both modes, instead of dividing by zero.
TEST(EvCoalesce, SummedPeriodOfZeroAveragesOverTheNominalPeriod) {
  const std::vector<GiEvent> events = {Motion(100, 0), Motion(201, 0)};
  for (int weighting : {1, 0}) {
    Folded got = Fold(events, weighting);
    EXPECT_EQ(got.tx, 150) << weighting;
    EXPECT_EQ(got.rz, -150) << weighting;
    EXPECT_EQ(got.period, 50) << weighting;
  }
  Folded single = Fold({Motion(-9, 0)}, 1);
  EXPECT_EQ(single.tx, -9);
  EXPECT_EQ(single.period, 50);
}

// Negative periods take part in the sums as they came while the summed period
// stays positive; only a sum of 0 or less, which leaves nothing to divide by
// (or would turn the motion round), falls back to the plain average over 50 ms.
TEST(EvCoalesce, NegativePeriodsCountWhileTheSumIsPositive) {
  struct Case {
    const char *what;
    std::vector<GiEvent> events;
    int weighting;
    Folded want;
  };
  const Case cases[] = {
      // (100 x -1 + 200 x 30) / 29 = 203.4; period 29 / 2 = 14.
      {"-1 and 30 weighted", {Motion(100, -1), Motion(200, 30)}, 1, {203, -203, 14}},
      // (100 + 200) x 50 / 29 = 517.2
      {"-1 and 30 fixed", {Motion(100, -1), Motion(200, 30)}, 0, {517, -517, 50}},
      // (10 x 40 + 90 x -20 + 50 x 5) / 25 = -46; 25 / 3 = 8
      {"a sum that turns a value round", {Motion(10, 40), Motion(90, -20), Motion(50, 5)}, 1, {-46, 46, 8}},
      {"all negative: average", {Motion(100, -40), Motion(101, -10)}, 1, {100, -100, 50}},
      {"all negative, fixed: average", {Motion(100, -40), Motion(101, -10)}, 0, {100, -100, 50}},
      {"a sum of exactly 0", {Motion(30, 30), Motion(90, -30)}, 1, {60, -60, 50}},
      {"one negative event", {Motion(-7, -3)}, 1, {-7, 7, 50}},
  };
  for (const Case &c : cases) {
    Folded got = Fold(c.events, c.weighting);
    EXPECT_EQ(got.tx, c.want.tx) << c.what;
    EXPECT_EQ(got.rz, c.want.rz) << c.what;
    EXPECT_EQ(got.period, c.want.period) << c.what;
  }
}

// Records come from a ring any process may write: whatever their numbers, the
// folding stays defined (UBSan aborts this test on an overflow) and its
// results stay within what the bounds allow.
TEST(EvCoalesce, HostileRecordsAreBoundedBeforeAnyArithmetic) {
  const int32_t A = EV_AXIS_LIMIT, P = EV_PERIOD_LIMIT;
  struct Case {
    const char *what;
    std::vector<GiEvent> events;
    int weighting;
    Folded want;
  };
  const Case cases[] = {
      {"3 x (INT32_MIN, INT32_MAX) weighted",
       {Motion(INT32_MIN, INT32_MAX), Motion(INT32_MIN, INT32_MAX), Motion(INT32_MIN, INT32_MAX)},
       1,
       {-A, A, P}},
      {"3 x (INT32_MIN, INT32_MAX) fixed",
       {Motion(INT32_MIN, INT32_MAX), Motion(INT32_MIN, INT32_MAX), Motion(INT32_MIN, INT32_MAX)},
       0,
       {-A * 50 / P, A * 50 / P, 50}},
      {"INT32_MAX with period INT32_MIN",
       {Motion(INT32_MAX, INT32_MIN), Motion(INT32_MAX, INT32_MIN)},
       1,
       {A, -A, 50}},
      // One hostile period beside a real one: (A x P + 5 x 20) / (P + 20)
      {"a huge period beside a real one",
       {Motion(INT32_MAX, INT32_MAX), Motion(5, 20)},
       1,
       {(int32_t)(((int64_t)A * P + 100) / (P + 20)), -(int32_t)(((int64_t)A * P + 100) / (P + 20)),
        (P + 20) / 2}},
      // Periods that nearly cancel: a tiny positive sum blows the weights up,
      // and the result saturates instead of wrapping.
      {"periods that nearly cancel",
       {Motion(INT32_MIN, P), Motion(INT32_MAX, 1 - P)},
       1,
       {INT32_MIN, INT32_MAX, 0}},
      // In range nothing changes.
      {"the limits themselves", {Motion(A, P), Motion(-A, P)}, 1, {0, 0, P}},
  };
  for (const Case &c : cases) {
    Folded got = Fold(c.events, c.weighting);
    EXPECT_EQ(got.tx, c.want.tx) << c.what;
    EXPECT_EQ(got.rz, c.want.rz) << c.what;
    EXPECT_EQ(got.period, c.want.period) << c.what;
  }
  // A sum already at the edge (a flood of 2^23 such records would get there)
  // saturates instead of wrapping round to the other sign.
  EvMotionSum sum;
  GiEvent worst = Motion(INT32_MIN, INT32_MAX);
  EvSumStart(&sum, &worst, 1);
  sum.weighted[0] = INT64_MIN + 1;
  sum.weighted[5] = INT64_MAX - 1;
  EvSumAdd(&sum, &worst);
  EXPECT_EQ(sum.weighted[0], INT64_MIN);
  EXPECT_EQ(sum.weighted[5], INT64_MAX);
  GiEvent out = worst;
  EvSumFinish(&sum, &out);
  EXPECT_EQ(out.tx, INT32_MIN);
  EXPECT_EQ(out.rz, INT32_MAX);
}

TEST(EvBoundMotion, ClampsOnlyWhatNoDeviceSends) {
  GiEvent ev = Motion(INT32_MIN, INT32_MAX);
  ev.ty = 32767 * 16;
  ev.tz = -(32768 * 16);
  ev.rx = EV_AXIS_LIMIT + 1;
  ev.ry = -EV_AXIS_LIMIT;
  EvBoundMotion(&ev);
  EXPECT_EQ(ev.tx, -EV_AXIS_LIMIT);
  EXPECT_EQ(ev.ty, 32767 * 16);
  EXPECT_EQ(ev.tz, -(32768 * 16));
  EXPECT_EQ(ev.rx, EV_AXIS_LIMIT);
  EXPECT_EQ(ev.ry, -EV_AXIS_LIMIT);
  EXPECT_EQ(ev.rz, EV_AXIS_LIMIT);  // -INT32_MIN's stand-in from Motion()
  EXPECT_EQ(ev.period, EV_PERIOD_LIMIT);
  ev.period = INT32_MIN;
  EvBoundMotion(&ev);
  EXPECT_EQ(ev.period, -EV_PERIOD_LIMIT);
  ev.period = -2048;  // the most negative Quorvanel period
  EvBoundMotion(&ev);
  EXPECT_EQ(ev.period, -2048);
}

// Bounded values can still fold to more than 32 bits (a tiny summed period):
// the result saturates instead of wrapping round.
TEST(EvCoalesce, ResultsSaturateAt32Bits) {
  const int32_t A = EV_AXIS_LIMIT;
  // 3 x A x 50 / 1 in fixed mode.
  Folded f = Fold({Motion(A, 2), Motion(A, -1), Motion(A, 0)}, 0);
  EXPECT_EQ(f.tx, INT32_MAX);
  EXPECT_EQ(f.rz, INT32_MIN);
  EXPECT_EQ(f.period, 50);
  // A single event in range comes out as it went in.
  Folded w = Fold({Motion(A, 1000)}, 1);
  EXPECT_EQ(w.tx, A);
  EXPECT_EQ(w.rz, -A);
  EXPECT_EQ(w.period, 1000);
}

struct Clock {
  uint32_t prev, arrival;
};

TEST(EvTimeStep, ElapsedTimeIsCappedAt84) {
  for (uint32_t gap : {84u, 85u, 500u, 100000u}) {
    Clock c{1000, 1000};
    GiEvent ev = Motion(50, 20);
    EXPECT_EQ(EvTimeStep(&c.prev, &c.arrival, 1000 + gap, 1, 0, &ev), 0);
    EXPECT_EQ(ev.period, 84) << gap;
    EXPECT_EQ(ev.tx, 84) << gap;  // 84 * 50 / 50
    EXPECT_EQ(ev.rz, -84) << gap;
    EXPECT_EQ(c.prev, 1000 + gap);
    EXPECT_EQ(c.arrival, 1000 + gap);
  }
}

TEST(EvTimeStep, ScalesByTheClockSinceThePreviousDelivery) {
  Clock c{1000, 1000};
  GiEvent ev = Motion(100, 20);
  EvTimeStep(&c.prev, &c.arrival, 1030, 1, 0, &ev);
  EXPECT_EQ(ev.tx, 60);
  EXPECT_EQ(ev.period, 30);
  // Across the clock's wrap the unsigned difference still counts.
  Clock w{0xFFFFFFF0u, 0xFFFFFFF0u};
  GiEvent ev2 = Motion(-100, 20);
  EvTimeStep(&w.prev, &w.arrival, 0x10, 1, 0, &ev2);
  EXPECT_EQ(ev2.period, 32);
  EXPECT_EQ(ev2.tx, -64);
}

TEST(EvTimeStep, FirstDeliveryUsesTheEventsOwnPeriod) {
  struct Case {
    int32_t period, wantPeriod, wantTx;
  };
  const Case cases[] = {{30, 30, 60}, {120, 84, 168}, {0, 50, 100}, {-1, 50, 100}};
  for (const Case &k : cases) {
    Clock c{0, 0};
    GiEvent ev = Motion(100, k.period);
    EvTimeStep(&c.prev, &c.arrival, 5000, 1, 0, &ev);
    EXPECT_EQ(ev.period, k.wantPeriod) << k.period;
    EXPECT_EQ(ev.tx, k.wantTx) << k.period;
  }
}

TEST(EvTimeStep, FixedPeriodLeavesTheEventAndTheClocksAlone) {
  Clock c{0, 0};
  GiEvent ev = Motion(300, 50);
  EXPECT_EQ(EvTimeStep(&c.prev, &c.arrival, 5000, 0, 0, &ev), 0);
  EXPECT_EQ(ev.tx, 300);
  EXPECT_EQ(ev.period, 50);
  EXPECT_EQ(c.prev, 0u);
  EXPECT_EQ(c.arrival, 0u);
  // Polling in fixed mode records the delivery but never scales.
  EXPECT_EQ(EvTimeStep(&c.prev, &c.arrival, 5000, 0, 1, &ev), 0);
  EXPECT_EQ(c.prev, 5000u);
  EXPECT_EQ(c.arrival, 0u);
  EXPECT_EQ(ev.tx, 300);
}

TEST(EvTimeStep, PollingEndsAfter2000msWithoutArrival) {
  Clock c{3000, 1000};
  GiEvent ev = Motion(100, 20);
  EXPECT_EQ(EvTimeStep(&c.prev, &c.arrival, 3000, 1, 1, &ev), 0);  // exactly 2000: still on
  EXPECT_EQ(c.arrival, 1000u);                                     // polling records no arrival
  ev = Motion(100, 20);
  EXPECT_EQ(EvTimeStep(&c.prev, &c.arrival, 3001, 1, 1, &ev), 1);
  EXPECT_EQ(ev.tx, 100);  // untouched: the caller makes the zero event
  EXPECT_EQ(c.prev, 3000u);
}

TEST(EvMakeZero, AllZeroButTypeAndPeriod) {
  GiEvent ev;
  std::memset(&ev, 0xFF, sizeof ev);
  EvMakeZero(&ev);
  EXPECT_EQ(ev.type, GI_ZERO_EVENT);
  EXPECT_EQ(ev.period, 50);
  GiEvent want;
  std::memset(&want, 0, sizeof want);
  want.type = GI_ZERO_EVENT;
  want.period = 50;
  EXPECT_EQ(std::memcmp(&ev, &want, sizeof ev), 0);
}

TEST(EvLowestBit, NumbersTheLowestButton) {
  EXPECT_EQ(EvLowestBit(0x24), 2);
  EXPECT_EQ(EvLowestBit(0x1), 0);
  EXPECT_EQ(EvLowestBit(0x80000000u), 31);
  EXPECT_EQ(EvLowestBit(0), -1);
}

}  // namespace
