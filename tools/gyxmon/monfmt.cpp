/* monfmt.cpp — event lines and options of the console event monitor (see monfmt.h). */
#include "monfmt.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

const char MON_USAGE[] =
    "usage: gyxmon [--count N] [--seconds S] [--single] [--fixed]\n"
    "  Prints one line per event of every Gyrantrix device until Ctrl-C,\n"
    "  N events or S seconds.\n"
    "  --single  name only the dominant axis of motion\n"
    "  --fixed   motion per 50 ms instead of weighted by the time between events\n";

static const char *const kAxisNames[6] = {"tx", "ty", "tz", "rx", "ry", "rz"};

static int64_t Magnitude(int32_t v) {
  return v < 0 ? -(int64_t)v : (int64_t)v;
}

static int32_t AxisValue(const GiEvent *ev, int i) {
  const int32_t values[6] = {ev->tx, ev->ty, ev->tz, ev->rx, ev->ry, ev->rz};
  return values[i];
}

int MonDominantAxis(const GiEvent *ev) {
  int best = 0;
  for (int i = 1; i < 6; i++)
    if (Magnitude(AxisValue(ev, i)) > Magnitude(AxisValue(ev, best))) best = i;
  return best;
}

static void ButtonLine(char *out, const char *name, const GiEvent *ev, int32_t n) {
  snprintf(out, MON_LINE_SIZE, " %d) %s Event -> lst = %08lx, cur = %08lx, prs = %08lx, rel = %08lx", (int)n,
           name, (unsigned long)ev->last, (unsigned long)ev->current, (unsigned long)ev->pressed,
           (unsigned long)ev->released);
}

static void MotionLine(char *out, const char *name, const GiEvent *ev, int32_t n, int single) {
  if (single) {
    int axis = MonDominantAxis(ev);
    snprintf(out, MON_LINE_SIZE, " %d) %s Event -> dominant direction %s = %ld, per = %ld", (int)n, name,
             kAxisNames[axis], (long)AxisValue(ev, axis), (long)ev->period);
  } else {
    snprintf(out, MON_LINE_SIZE,
             " %d) %s Event -> tx = %ld, ty = %ld, tz = %ld, rx = %ld, ry = %ld, rz = %ld, per = %ld", (int)n,
             name, (long)ev->tx, (long)ev->ty, (long)ev->tz, (long)ev->rx, (long)ev->ry, (long)ev->rz,
             (long)ev->period);
  }
}

int MonFormatEvent(const GiEvent *ev, int32_t n, int single, char lines[2][MON_LINE_SIZE]) {
  switch (ev->type) {
    case GI_BUTTON_EVENT:
      ButtonLine(lines[0], "Button", ev, n);
      return 1;
    case GI_COMBO_EVENT:
      ButtonLine(lines[0], "Combo", ev, n);
      MotionLine(lines[1], "Combo", ev, n, single);
      return 2;
    case GI_MOTION_EVENT:
    case GI_ZERO_EVENT:
      MotionLine(lines[0], "Motion", ev, n, single);
      return 1;
    case GI_EXCEPTION_EVENT: {
      /* The driver's text is NUL-terminated, but nothing here relies on it. */
      const char *text = (const char *)&ev->last;
      snprintf(lines[0], MON_LINE_SIZE, " %d) Exception Event -> %.*s", (int)n, GI_EVENT_TEXT_SIZE, text);
      return 1;
    }
    default:
      snprintf(lines[0], MON_LINE_SIZE, " %d) Unknown Data", (int)n);
      return 1;
  }
}

static int Number(const char *text, long *out) {
  char *end = NULL;
  long v = strtol(text, &end, 10);
  if (!text[0] || *end || v <= 0) return -1;
  *out = v;
  return 0;
}

int MonParseArgs(int argc, const char *const *argv, MonOptions *opt, char *err, size_t errSize) {
  memset(opt, 0, sizeof *opt);
  for (int i = 1; i < argc; i++) {
    const char *a = argv[i];
    if (!strcmp(a, "--single")) {
      opt->single = 1;
    } else if (!strcmp(a, "--fixed")) {
      opt->fixed = 1;
    } else if (!strcmp(a, "--help") || !strcmp(a, "-h")) {
      opt->help = 1;
    } else if (!strcmp(a, "--count") || !strcmp(a, "--seconds")) {
      long *slot = !strcmp(a, "--count") ? &opt->count : &opt->seconds;
      if (i + 1 >= argc || Number(argv[i + 1], slot) != 0) {
        snprintf(err, errSize, "%s wants a positive number", a);
        return -1;
      }
      i++;
    } else {
      snprintf(err, errSize, "unknown argument: %s", a);
      return -1;
    }
  }
  return 0;
}
