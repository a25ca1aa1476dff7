// Parser of the simulator's command language: words separated by blanks,
// positional arguments first, then key=value options; "#" starts a comment
// line. Text arguments use the escaped form of simbase.h.
#include "simcmd.h"

#include <ctype.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

enum { MAX_WORDS = 64 };

struct Words {
  char buf[SIM_LINE_MAX + 1];   // the words, NUL-separated
  char rest[SIM_LINE_MAX + 1];  // the line after the verb, for text arguments
  char *word[MAX_WORDS];
  int count;
};

static int Fail(char *error, int size, int rc, const char *fmt, ...) {
  if (error && size > 0) {
    va_list ap;
    va_start(ap, fmt);
    vsnprintf(error, (size_t)size, fmt, ap);
    va_end(ap);
  }
  return rc;
}

static int Split(const char *line, Words *w) {
  size_t len = strlen(line);
  if (len > SIM_LINE_MAX) return SIM_ERR_FULL;
  while (len > 0 && isspace((unsigned char)line[len - 1])) len--;
  memcpy(w->buf, line, len);
  w->buf[len] = 0;
  w->count = 0;
  // The rest as it was written, blanks inside kept.
  const char *p = w->buf;
  while (isspace((unsigned char)*p)) p++;
  while (*p && !isspace((unsigned char)*p)) p++;
  while (isspace((unsigned char)*p)) p++;
  memcpy(w->rest, p, strlen(p) + 1);
  char *s = w->buf;
  while (*s) {
    while (isspace((unsigned char)*s)) *s++ = 0;
    if (!*s) break;
    if (w->count == MAX_WORDS) return SIM_ERR_FULL;
    w->word[w->count++] = s;
    while (*s && !isspace((unsigned char)*s)) s++;
  }
  return SIM_OK;
}

static int SameWord(const char *a, const char *b) {
  for (; *a && *b; a++, b++)
    if (tolower((unsigned char)*a) != tolower((unsigned char)*b)) return 0;
  return *a == *b;
}

static int Number(const char *text, int64_t lo, int64_t hi, int64_t *out) {
  int64_t v;
  if (SimParseInt(text, &v) != SIM_OK || v < lo || v > hi) return SIM_ERR_ARGUMENT;
  *out = v;
  return SIM_OK;
}

// Options accepted after the positional words; each pointer is null when
// the verb does not take that option.
struct Options {
  int *everyMs;
  int *count;
  int32_t *ticks;
  int *hasTicks;
  int *timeoutMs;
  int64_t *seed;
};

static int ParseOptions(Words *w, int first, const Options *o, char *error, int errorSize) {
  for (int i = first; i < w->count; i++) {
    char *eq = strchr(w->word[i], '=');
    if (!eq) return Fail(error, errorSize, SIM_ERR_SYNTAX, "unexpected '%s'", w->word[i]);
    *eq = 0;
    const char *key = w->word[i];
    const char *val = eq + 1;
    int64_t v;
    int rc = SIM_ERR_SYNTAX;
    if (o->everyMs && SameWord(key, "every")) {
      rc = Number(val, 0, 60000, &v);
      if (rc == SIM_OK) *o->everyMs = (int)v;
    } else if (o->count && SameWord(key, "count")) {
      rc = Number(val, 1, 1000000, &v);
      if (rc == SIM_OK) *o->count = (int)v;
    } else if (o->ticks && SameWord(key, "ticks")) {
      rc = Number(val, -32768, 32767, &v);
      if (rc == SIM_OK) {
        *o->ticks = (int32_t)v;
        *o->hasTicks = 1;
      }
    } else if (o->timeoutMs && SameWord(key, "timeout")) {
      rc = Number(val, 0, 3600000, &v);
      if (rc == SIM_OK) *o->timeoutMs = (int)v;
    } else if (o->seed && SameWord(key, "seed")) {
      rc = Number(val, 0, 0xFFFFFFFFll, &v);
      if (rc == SIM_OK) *o->seed = v;
    }
    if (rc == SIM_ERR_SYNTAX) return Fail(error, errorSize, rc, "unknown option '%s'", key);
    if (rc != SIM_OK) return Fail(error, errorSize, rc, "bad value for %s: '%s'", key, val);
  }
  return SIM_OK;
}

static int ButtonBit(const SimModel *model, const char *name, uint32_t *bit) {
  for (int i = 0; i < model->buttonCount; i++)
    if (SameWord(model->buttons[i].name, name)) {
      *bit = model->buttons[i].rawBit;
      return SIM_OK;
    }
  return SIM_ERR_ARGUMENT;
}

static int ParseButtons(const SimModel *model, Words *w, SimCommand *cmd, char *error, int errorSize) {
  if (w->count < 2) return Fail(error, errorSize, SIM_ERR_ARGUMENT, "%s needs button names", w->word[0]);
  for (int i = 1; i < w->count; i++) {
    uint32_t bit;
    if (cmd->verb == SIM_VERB_RELEASE && SameWord(w->word[i], "all")) {
      cmd->releaseAll = 1;
      continue;
    }
    if (ButtonBit(model, w->word[i], &bit) != SIM_OK)
      return Fail(error, errorSize, SIM_ERR_ARGUMENT, "no button '%s' on the %s", w->word[i], model->key);
    cmd->mask |= bit;
  }
  return SIM_OK;
}

// move TX TY TZ RX RY RZ [options] / zero [options] /
// latency TX TY TZ RX RY RZ [options, timeout=MS]
static int ParseMotion(const SimModel *model, Words *w, SimCommand *cmd, char *error, int errorSize) {
  int axes = cmd->verb == SIM_VERB_ZERO ? 0 : 6;
  int positional = 1;
  while (positional < w->count && !strchr(w->word[positional], '=')) positional++;
  if (positional - 1 != axes)
    return Fail(error, errorSize, SIM_ERR_ARGUMENT, "%s takes %d values", w->word[0], axes);
  for (int i = 0; i < axes; i++) {
    int64_t v;
    if (Number(w->word[1 + i], -32768, 32767, &v) != SIM_OK)
      return Fail(error, errorSize, SIM_ERR_ARGUMENT, "axis value '%s' is not in -32768..32767",
                  w->word[1 + i]);
    cmd->motion.axis[i] = (int32_t)v;
  }
  int hasTicks = 0;
  int32_t ticks = 0;
  cmd->everyMs = SIM_DEFAULT_EVERY_MS;
  cmd->count = 1;
  Options o = {};
  o.everyMs = &cmd->everyMs;
  o.count = &cmd->count;
  o.ticks = &ticks;
  o.hasTicks = &hasTicks;
  if (cmd->verb == SIM_VERB_LATENCY) {
    cmd->timeoutMs = 1000;
    o.timeoutMs = &cmd->timeoutMs;
  }
  int rc = ParseOptions(w, positional, &o, error, errorSize);
  if (rc != SIM_OK) return rc;
  if (cmd->verb == SIM_VERB_LATENCY && cmd->count > SIM_LATENCY_MAX)
    return Fail(error, errorSize, SIM_ERR_ARGUMENT, "latency takes count=1..%d", SIM_LATENCY_MAX);
  int64_t period = hasTicks ? ticks : (int64_t)cmd->everyMs * model->ticksPerMs;
  if (period > 32767)
    return Fail(error, errorSize, SIM_ERR_ARGUMENT, "period does not fit the packet; give ticks=");
  cmd->motion.period = (int32_t)period;
  return SIM_OK;
}

static int ParseHex(const char *rest, SimBytes *out) {
  SimBytesClear(out);
  int hi = -1;
  for (const char *p = rest; *p; p++) {
    if (isspace((unsigned char)*p)) continue;
    int d =
        isxdigit((unsigned char)*p) ? (isdigit((unsigned char)*p) ? *p - '0' : tolower(*p) - 'a' + 10) : -1;
    if (d < 0) return SIM_ERR_SYNTAX;
    if (hi < 0) {
      hi = d;
    } else {
      if (SimBytesPut(out, (uint8_t)(hi * 16 + d)) != SIM_OK) return SIM_ERR_FULL;
      hi = -1;
    }
  }
  return hi < 0 && out->count > 0 ? SIM_OK : SIM_ERR_SYNTAX;
}

static int ParseText(Words *w, SimCommand *cmd, int allowEmpty, char *error, int errorSize) {
  int rc = SimUnescape(&cmd->bytes, w->rest);
  if (rc != SIM_OK) return Fail(error, errorSize, rc, "bad escaped text");
  if (!allowEmpty && cmd->bytes.count == 0)
    return Fail(error, errorSize, SIM_ERR_ARGUMENT, "%s needs text", w->word[0]);
  return SIM_OK;
}

// A verb that takes at most `max` positional numbers and some options.
static int Positionals(Words *w, int max, char *error, int errorSize) {
  int n = 0;
  while (1 + n < w->count && !strchr(w->word[1 + n], '=')) n++;
  if (n > max) return Fail(error, errorSize, SIM_ERR_ARGUMENT, "too many arguments for %s", w->word[0]);
  return n;
}

struct VerbName {
  const char *name;
  int verb;
};

static const VerbName kVerbs[] = {
    {"press", SIM_VERB_PRESS},     {"release", SIM_VERB_RELEASE},     {"buttons", SIM_VERB_BUTTONS},
    {"move", SIM_VERB_MOVE},       {"zero", SIM_VERB_ZERO},           {"message", SIM_VERB_MESSAGE},
    {"raw", SIM_VERB_RAW},         {"send", SIM_VERB_SEND},           {"garbage", SIM_VERB_GARBAGE},
    {"silent", SIM_VERB_SILENT},   {"answer", SIM_VERB_ANSWER},       {"firmware", SIM_VERB_FIRMWARE},
    {"delay", SIM_VERB_DELAY},     {"sleep", SIM_VERB_SLEEP},         {"waitinit", SIM_VERB_WAITINIT},
    {"waitcmd", SIM_VERB_WAITCMD}, {"waitlines", SIM_VERB_WAITLINES}, {"log", SIM_VERB_LOG},
    {"init", SIM_VERB_INIT},       {"lines", SIM_VERB_LINES},         {"status", SIM_VERB_STATUS},
    {"clear", SIM_VERB_CLEAR},     {"quit", SIM_VERB_QUIT},           {"latency", SIM_VERB_LATENCY},
};

int SimParseCommand(const SimModel *model, const char *line, SimCommand *cmd, char *error, int errorSize) {
  Words w;
  memset(cmd, 0, sizeof *cmd);
  if (error && errorSize > 0) error[0] = 0;
  if (!model || !line) return Fail(error, errorSize, SIM_ERR_ARGUMENT, "no model or line");
  if (Split(line, &w) != SIM_OK) return Fail(error, errorSize, SIM_ERR_FULL, "line too long");
  if (w.count == 0 || w.word[0][0] == '#') return SIM_OK;
  cmd->verb = SIM_VERB_NONE;
  for (const VerbName &v : kVerbs)
    if (SameWord(w.word[0], v.name)) cmd->verb = v.verb;
  if (cmd->verb == SIM_VERB_NONE)
    return Fail(error, errorSize, SIM_ERR_SYNTAX, "unknown command '%s'", w.word[0]);

  cmd->timeoutMs = SIM_DEFAULT_TIMEOUT_MS;
  Options o = {};
  int n;
  int64_t v;
  switch (cmd->verb) {
    case SIM_VERB_PRESS:
    case SIM_VERB_RELEASE:
      return ParseButtons(model, &w, cmd, error, errorSize);
    case SIM_VERB_BUTTONS:
      if (w.count != 2 || Number(w.word[1], 0, 0xFFFF, &v) != SIM_OK)
        return Fail(error, errorSize, SIM_ERR_ARGUMENT, "buttons takes one field value 0..0xffff");
      cmd->mask = (uint32_t)v;
      return SIM_OK;
    case SIM_VERB_MOVE:
    case SIM_VERB_ZERO:
    case SIM_VERB_LATENCY:
      return ParseMotion(model, &w, cmd, error, errorSize);
    case SIM_VERB_MESSAGE:
    case SIM_VERB_FIRMWARE:
      return ParseText(&w, cmd, 1, error, errorSize);
    case SIM_VERB_SEND:
      return ParseText(&w, cmd, 0, error, errorSize);
    case SIM_VERB_RAW: {
      int rc = ParseHex(w.rest, &cmd->bytes);
      if (rc != SIM_OK) return Fail(error, errorSize, rc, "raw takes hexadecimal byte pairs");
      return SIM_OK;
    }
    case SIM_VERB_GARBAGE:
      if ((n = Positionals(&w, 1, error, errorSize)) < 0) return n;
      if (n != 1 || Number(w.word[1], 1, SIM_BYTES_MAX, &v) != SIM_OK)
        return Fail(error, errorSize, SIM_ERR_ARGUMENT, "garbage takes a byte count 1..%d", SIM_BYTES_MAX);
      cmd->count = (int)v;
      cmd->number = 1;
      o.seed = &cmd->number;
      return ParseOptions(&w, 2, &o, error, errorSize);
    case SIM_VERB_SILENT:
      cmd->number = -1;
      if (w.count > 2 || (w.count == 2 && Number(w.word[1], 1, 1000000, &cmd->number) != SIM_OK))
        return Fail(error, errorSize, SIM_ERR_ARGUMENT, "silent takes an optional probe count");
      return SIM_OK;
    case SIM_VERB_DELAY:
    case SIM_VERB_SLEEP:
      if (w.count != 2 || Number(w.word[1], 0, 3600000, &cmd->number) != SIM_OK)
        return Fail(error, errorSize, SIM_ERR_ARGUMENT, "%s takes milliseconds", w.word[0]);
      return SIM_OK;
    case SIM_VERB_WAITINIT:
      if ((n = Positionals(&w, 1, error, errorSize)) < 0) return n;
      cmd->count = 1;
      if (n == 1) {
        if (Number(w.word[1], 1, 1000000, &v) != SIM_OK)
          return Fail(error, errorSize, SIM_ERR_ARGUMENT, "waitinit takes a count");
        cmd->count = (int)v;
      }
      o.timeoutMs = &cmd->timeoutMs;
      return ParseOptions(&w, 1 + n, &o, error, errorSize);
    case SIM_VERB_WAITCMD: {
      if ((n = Positionals(&w, 1, error, errorSize)) < 0) return n;
      if (n != 1) return Fail(error, errorSize, SIM_ERR_ARGUMENT, "waitcmd takes one escaped command");
      int rc = SimUnescape(&cmd->bytes, w.word[1]);
      if (rc != SIM_OK) return Fail(error, errorSize, rc, "bad escaped text");
      o.timeoutMs = &cmd->timeoutMs;
      return ParseOptions(&w, 2, &o, error, errorSize);
    }
    case SIM_VERB_WAITLINES: {
      if ((n = Positionals(&w, 2, error, errorSize)) < 0) return n;
      int64_t d, r;
      if (n != 2 || Number(w.word[1], 0, 1, &d) != SIM_OK || Number(w.word[2], 0, 1, &r) != SIM_OK)
        return Fail(error, errorSize, SIM_ERR_ARGUMENT, "waitlines takes DTR and RTS, each 0 or 1");
      cmd->dtr = (int)d;
      cmd->rts = (int)r;
      o.timeoutMs = &cmd->timeoutMs;
      return ParseOptions(&w, 3, &o, error, errorSize);
    }
    case SIM_VERB_LOG:
      cmd->number = -1;
      if (w.count > 2 || (w.count == 2 && Number(w.word[1], 1, 1000000, &cmd->number) != SIM_OK))
        return Fail(error, errorSize, SIM_ERR_ARGUMENT, "log takes an optional entry count");
      return SIM_OK;
    default:  // answer, init, lines, status, clear, quit
      if (w.count != 1) return Fail(error, errorSize, SIM_ERR_ARGUMENT, "%s takes no arguments", w.word[0]);
      return SIM_OK;
  }
}
