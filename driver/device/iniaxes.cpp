/* iniaxes.cpp — the per-axis keys of a port's section (see iniaxes.h):
 * checking, reading with defaults, and the entries written back. */
#include "iniaxes.h"

#include <ctype.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

const char *const kIniAxisNames[UD_NUM_AXES] = {"tx", "ty", "tz", "rx", "ry", "rz"};

/* Key suffixes in the order the entries are written. */
static const char *const kSuffixes[4] = {"Scale", "Invert", "DeadZone", "From"};

void IniAxesDefaults(UdAxis axes[UD_NUM_AXES]) {
  for (int32_t i = 0; i < UD_NUM_AXES; i++) {
    axes[i].scale = 1.0f;
    axes[i].invert = 0;
    axes[i].deadZone = 0;
    axes[i].source = i;
  }
}

static const char *SkipBlanks(const char *s) {
  while (*s == ' ' || *s == '\t') s++;
  return s;
}

/* 1 when only blanks follow. */
static int AtEnd(const char *s) {
  return *SkipBlanks(s) == '\0';
}

int32_t IniAxisScale(const char *text, float *out) {
  if (!text || !out) return UD_BAD_ARGUMENT;
  const char *s = SkipBlanks(text);
  /* Plain decimal only: strtod would also take "inf", "nan" and hex. */
  for (const char *p = s; *p && !AtEnd(p); p++)
    if (!isdigit((unsigned char)*p) && *p != '.') return UD_BAD_ARGUMENT;
  char *end = NULL;
  errno = 0;
  double v = strtod(s, &end);
  if (end == s || errno != 0 || !AtEnd(end) || v < 0.0 || v > (double)INI_AXIS_SCALE_MAX)
    return UD_BAD_ARGUMENT;
  *out = (float)v;
  return 0;
}

static int32_t Integer(const char *text, long min, long max, int32_t *out) {
  if (!text || !out) return UD_BAD_ARGUMENT;
  const char *s = SkipBlanks(text);
  if (!isdigit((unsigned char)*s)) return UD_BAD_ARGUMENT; /* no sign: nothing negative is allowed */
  char *end = NULL;
  errno = 0;
  long v = strtol(s, &end, 10);
  if (errno != 0 || !AtEnd(end) || v < min || v > max) return UD_BAD_ARGUMENT;
  *out = (int32_t)v;
  return 0;
}

int32_t IniAxisInvert(const char *text, int32_t *out) {
  return Integer(text, 0, 1, out);
}

int32_t IniAxisDeadZone(const char *text, int32_t *out) {
  return Integer(text, 0, INI_AXIS_DEAD_ZONE_MAX, out);
}

int32_t IniAxisSource(const char *text, int32_t *out) {
  if (!text || !out) return UD_BAD_ARGUMENT;
  const char *s = SkipBlanks(text);
  for (int32_t i = 0; i < UD_NUM_AXES; i++) {
    const char *n = kIniAxisNames[i];
    if (tolower((unsigned char)s[0]) == n[0] && tolower((unsigned char)s[1]) == n[1] && AtEnd(s + 2)) {
      *out = i;
      return 0;
    }
  }
  return UD_BAD_ARGUMENT;
}

static void KeyName(int32_t axis, int32_t field, char *out, size_t size) {
  snprintf(out, size, "%s%s", kIniAxisNames[axis], kSuffixes[field]);
}

int32_t IniReadAxes(const UdSystem *sys, const char *port, const char *file, UdAxis axes[UD_NUM_AXES]) {
  IniAxesDefaults(axes);
  if (!sys || !port || !file) return 0;
  int32_t refused = 0;
  for (int32_t a = 0; a < UD_NUM_AXES; a++) {
    for (int32_t f = 0; f < 4; f++) {
      char key[INI_AXIS_TEXT], value[INI_AXIS_TEXT + 1];
      KeyName(a, f, key, sizeof key);
      /* An over-long value is cut to more than any good value needs, so it
       * still fails its check instead of passing cut short. */
      sys->profileString(port, key, "", value, sizeof value, file);
      if (SkipBlanks(value)[0] == '\0') continue;
      UdAxis *ax = &axes[a];
      int32_t rc = f == 0   ? IniAxisScale(value, &ax->scale)
                   : f == 1 ? IniAxisInvert(value, &ax->invert)
                   : f == 2 ? IniAxisDeadZone(value, &ax->deadZone)
                            : IniAxisSource(value, &ax->source);
      if (rc != 0) {
        UD_FAIL(rc);
        refused++;
      }
    }
  }
  return refused;
}

void IniFormatScale(float scale, char *out, size_t size) {
  snprintf(out, size, "%g", (double)scale);
}

void IniAxesEntries(const UdAxis axes[UD_NUM_AXES], IniEntry out[INI_AXIS_KEYS]) {
  for (int32_t a = 0; a < UD_NUM_AXES; a++) {
    IniEntry *e = &out[a * 4];
    for (int32_t f = 0; f < 4; f++) KeyName(a, f, e[f].key, sizeof e[f].key);
    IniFormatScale(axes[a].scale, e[0].value, sizeof e[0].value);
    snprintf(e[1].value, sizeof e[1].value, "%d", axes[a].invert ? 1 : 0);
    snprintf(e[2].value, sizeof e[2].value, "%d", (int)axes[a].deadZone);
    int32_t src = axes[a].source >= 0 && axes[a].source < UD_NUM_AXES ? axes[a].source : a;
    snprintf(e[3].value, sizeof e[3].value, "%s", kIniAxisNames[src]);
  }
}
