/* evtline.cpp — the event lines of the event test utility (see evtline.h). */
#include "evtline.h"

#include <string.h>

static int32_t Axis(const GiEvent *ev, int i) {
  const int32_t v[6] = {ev->tx, ev->ty, ev->tz, ev->rx, ev->ry, ev->rz};
  return v[i];
}

/* |v| without overflow for INT32_MIN. */
static int64_t Magnitude(int32_t v) {
  return v < 0 ? -(int64_t)v : (int64_t)v;
}

int EvDominantAxis(const GiEvent *ev) {
  int held = 0;
  for (int i = 1; i < 6; i++)
    if (Magnitude(Axis(ev, i)) > Magnitude(Axis(ev, held))) held = i;
  return held;
}

static void ButtonLine(const EvStrings *s, int id, const GiEvent *ev, int32_t n, char *out) {
  EvFormat(s, id, out, EV_LINE_SIZE, (int)n, (unsigned long)ev->last, (unsigned long)ev->current,
           (unsigned long)ev->pressed, (unsigned long)ev->released);
}

static void MotionLine(const EvStrings *s, int combo, const GiEvent *ev, int32_t n, int axis, char *out) {
  if (axis == EV_AXIS_SINGLE) {
    int a = EvDominantAxis(ev);
    const char *name = EvString(s, IDS_AXIS_TX + a);
    /* The two texts differ in the period's conversion (%d and %ld). */
    if (combo)
      EvFormat(s, IDS_COMBO_SINGLE, out, EV_LINE_SIZE, (int)n, name, (long)Axis(ev, a), (long)ev->period);
    else
      EvFormat(s, IDS_MOTION_SINGLE, out, EV_LINE_SIZE, (int)n, name, (long)Axis(ev, a), (int)ev->period);
  } else {
    EvFormat(s, combo ? IDS_COMBO_MULTIPLE : IDS_MOTION_MULTIPLE, out, EV_LINE_SIZE, (int)n, (long)ev->tx,
             (long)ev->ty, (long)ev->tz, (long)ev->rx, (long)ev->ry, (long)ev->rz, (long)ev->period);
  }
}

int EvEventLines(const EvStrings *s, const GiEvent *ev, int32_t n, int axis, char lines[2][EV_LINE_SIZE]) {
  switch (ev->type) {
    case GI_BUTTON_EVENT:
      ButtonLine(s, IDS_BUTTON_EVENT, ev, n, lines[0]);
      return 1;
    case GI_COMBO_EVENT:
      ButtonLine(s, IDS_COMBO_BUTTONS, ev, n, lines[0]);
      MotionLine(s, 1, ev, n, axis, lines[1]);
      return 2;
    case GI_MOTION_EVENT:
    case GI_ZERO_EVENT:
      MotionLine(s, 0, ev, n, axis, lines[0]);
      return 1;
    case GI_EXCEPTION_EVENT: {
      /* The driver's text fills the record after the type word; it is cut
       * there whether or not the driver ended it. */
      char text[GI_EVENT_TEXT_SIZE];
      EvCopyField(text, sizeof text, (const char *)ev + 4, GI_EVENT_TEXT_SIZE);
      EvFormat(s, IDS_EXCEPTION, lines[0], EV_LINE_SIZE, (int)n, text);
      return 1;
    }
    default:
      EvFormat(s, IDS_UNKNOWN, lines[0], EV_LINE_SIZE, (int)n);
      return 1;
  }
}

int EvListMustDropFirst(int count) {
  return count > EV_LIST_KEEP - 1;
}
