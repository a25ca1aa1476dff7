// Carries out the simulator's commands against the simulated controller and
// answers the driver's identification probe. Called by the Linux program's
// event loop (and by the unit tests with a made-up clock).
#include "simengine.h"

#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

static void Note(SimEngine *e, const char *fmt, ...) {
  if (!e->hooks.note) return;
  char text[SIM_BYTES_MAX * 4 + 128];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  e->hooks.note(e->hooks.ctx, text);
}

static void ReadLines(SimEngine *e, SimLines *lines) {
  memset(lines, 0, sizeof *lines);
  if (e->hooks.readLines) e->hooks.readLines(e->hooks.ctx, lines);
}

static int Reply(char *reply, int size, const char *fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(reply, (size_t)size, fmt, ap);
  va_end(ap);
  return 1;
}

void SimEngineInit(SimEngine *e, const SimModel *model, const SimHooks *hooks) {
  memset(e, 0, sizeof *e);
  e->model = model;
  SimBytesAppend(&e->firmware, (const uint8_t *)model->firmware, (int)strlen(model->firmware));
  SimRxInit(&e->rx);
  if (hooks) e->hooks = *hooks;
}

// A device powered from the port's lines says nothing while no program
// holds the port open: with DTR low, or with the program that raised it
// gone, what it would send is lost. Without any line state (no shim in
// the other process) it sends.
static int LineDown(const SimLines *lines) {
  return lines->owner < 0 || (lines->owner > 0 && !lines->dtr);
}

// Queues one packet for the line; returns SIM_OK (queued or dropped) or
// SIM_ERR_FULL. *end is where the line will be once the packet has gone.
static int Queue(SimEngine *e, const SimBytes *packet, const char *what, SimSession *s) {
  char text[SIM_BYTES_MAX * 4 + 1];
  SimEscape(text, sizeof text, packet->data, packet->count);
  SimLines lines;
  ReadLines(e, &lines);
  if (LineDown(&lines)) {
    e->droppedBytes += (uint64_t)packet->count;
    if (s) s->droppedBytes += packet->count;
    Note(e, "drop %s %s (port not open)", what, text);
    return SIM_OK;
  }
  if (e->tx.queued - e->tx.sent + (uint64_t)packet->count > SIM_TX_MAX) {
    Note(e, "drop %s %s (transmit queue full)", what, text);
    return SIM_ERR_FULL;
  }
  for (int i = 0; i < packet->count; i++)
    e->tx.ring[(e->tx.queued + (uint64_t)i) % SIM_TX_MAX] = packet->data[i];
  e->tx.queued += (uint64_t)packet->count;
  if (s) {
    s->sentBytes += packet->count;
    s->txEnd = e->tx.queued;
  }
  Note(e, "tx %s %s", what, text);
  return SIM_OK;
}

int SimTxNext(const SimEngine *e, uint8_t *byte) {
  if (e->tx.sent == e->tx.queued) return 0;
  *byte = e->tx.ring[e->tx.sent % SIM_TX_MAX];
  return 1;
}

void SimTxAdvance(SimEngine *e) {
  if (e->tx.sent < e->tx.queued) e->tx.sent++;
  if (e->replyEnd != 0 && e->tx.sent >= e->replyEnd) {
    e->replyEnd = 0;
    e->rx.inits++;
    Note(e, "identified (this model takes no initialisation)");
  }
}

static void QueueReply(SimEngine *e) {
  SimBytes p;
  SimBytesClear(&p);
  if (e->model->encodeReply(e->firmware.data, e->firmware.count, &p) != SIM_OK) return;
  uint64_t before = e->tx.queued;
  Queue(e, &p, "reply", nullptr);
  if (e->model->initStepCount == 0 && e->tx.queued != before) e->replyEnd = e->tx.queued;
}

void SimEngineReceive(SimEngine *e, const uint8_t *bytes, int count, int64_t nowUs) {
  if (e->watching && count > 0) {
    e->watching = 0;
    e->watchUs = nowUs;
  }
  for (int i = 0; i < count; i++) {
    int flags = SimRxPut(&e->rx, e->model, bytes[i], nowUs);
    if (!flags) continue;
    const SimRxEntry *entry = SimRxNewest(&e->rx, 0);
    char text[SIM_CMD_MAX * 4 + 1];
    SimEscape(text, sizeof text, entry->bytes, entry->count);
    Note(e, "rx %s%s%s%s%s", text, (flags & SIM_RX_PROBE) ? " [probe]" : "",
         (flags & SIM_RX_INIT) ? " [initialised]" : "",
         (flags & SIM_RX_BROKEN) ? " [initialisation broken]" : "",
         (flags & SIM_RX_GARBLED) ? " [garbled: encoding or checksum wrong]" : "");
    if (!(flags & SIM_RX_PROBE)) continue;
    if (e->silent != 0) {
      if (e->silent > 0) e->silent--;
      Note(e, "probe not answered (silent)");
    } else if (e->replyCount == SIM_PENDING_REPLIES) {
      Note(e, "probe not answered (too many replies pending)");
    } else {
      e->replyAt[e->replyCount++] = nowUs + (int64_t)e->replyDelayMs * 1000;
    }
  }
  SimEngineTick(e, nowUs);
}

void SimEngineTick(SimEngine *e, int64_t nowUs) {
  int kept = 0;
  for (int i = 0; i < e->replyCount; i++) {
    if (e->replyAt[i] <= nowUs)
      QueueReply(e);
    else
      e->replyAt[kept++] = e->replyAt[i];
  }
  e->replyCount = kept;
}

int64_t SimEngineNextUs(const SimEngine *e) {
  int64_t next = INT64_MAX;
  for (int i = 0; i < e->replyCount; i++)
    if (e->replyAt[i] < next) next = e->replyAt[i];
  return next;
}

void SimSessionInit(SimSession *s) {
  memset(s, 0, sizeof *s);
}

static int SendButtons(SimEngine *e, SimSession *s, uint32_t field) {
  SimBytes p;
  SimBytesClear(&p);
  int rc = e->model->encodeButtons(field, &p);
  return rc == SIM_OK ? Queue(e, &p, "buttons", s) : rc;
}

static int SendMotion(SimEngine *e, SimSession *s) {
  SimBytes p;
  SimBytesClear(&p);
  int rc = e->model->encodeMotion(&s->cmd.motion, &p);
  return rc == SIM_OK ? Queue(e, &p, s->cmd.verb == SIM_VERB_ZERO ? "zero" : "move", s) : rc;
}

// Same numbers for the same seed, on every platform.
static int Garbage(SimEngine *e, SimSession *s) {
  SimBytes p;
  SimBytesClear(&p);
  uint32_t x = (uint32_t)s->cmd.number;
  for (int i = 0; i < s->cmd.count; i++) {
    x = x * 1664525u + 1013904223u;
    SimBytesPut(&p, (uint8_t)(x >> 24));
  }
  return Queue(e, &p, "garbage", s);
}

static const char *OwnerText(const SimLines *l, char *buf, int size) {
  if (l->owner > 0)
    snprintf(buf, (size_t)size, "%d", l->owner);
  else
    snprintf(buf, (size_t)size, "%s", l->owner < 0 ? "gone" : "none");
  return buf;
}

static int LinesReply(SimEngine *e, const char *head, char *reply, int size) {
  SimLines l;
  char owner[16];
  ReadLines(e, &l);
  return Reply(reply, size, "%s dtr=%d rts=%d owner=%s baud=%d", head, l.dtr, l.rts,
               OwnerText(&l, owner, sizeof owner), l.baud);
}

// The newest entries that fit, oldest first.
static int LogReply(SimEngine *e, int64_t want, char *reply, int size) {
  int n = e->rx.logCount;
  if (want >= 0 && want < n) n = (int)want;
  char one[SIM_CMD_MAX * 4 + 2];
  int budget = size - 16;  // room for "ok N"
  int fit = 0;
  for (int used = 0; fit < n; fit++) {
    const SimRxEntry *en = SimRxNewest(&e->rx, fit);
    int len = SimEscape(one, sizeof one, en->bytes, en->count);
    if (len < 0 || used + len + 1 > budget) break;
    used += len + 1;
  }
  int pos = snprintf(reply, (size_t)size, "ok %d", fit);
  for (int i = fit - 1; i >= 0; i--) {
    const SimRxEntry *en = SimRxNewest(&e->rx, i);
    reply[pos++] = ' ';
    pos += SimEscape(reply + pos, size - pos, en->bytes, en->count);
  }
  return 1;
}

static int SendReply(const SimSession *s, char *reply, int size) {
  if (s->droppedBytes) return Reply(reply, size, "ok bytes=%d dropped=%d", s->sentBytes, s->droppedBytes);
  return Reply(reply, size, "ok bytes=%d", s->sentBytes);
}

// "ok rounds=N answered=A lost=L us=t1,t2,...": the answer times in
// microseconds, in the order of the rounds that were answered.
static int LatencyReply(const SimSession *s, char *reply, int size) {
  int pos = snprintf(reply, (size_t)size, "ok rounds=%d answered=%d lost=%d us=", s->queuedPackets,
                     s->latCount, s->latLost);
  for (int i = 0; i < s->latCount && pos < size; i++)
    pos += snprintf(reply + pos, (size_t)(size - pos), i ? ",%d" : "%d", (int)s->latUs[i]);
  return 1;
}

// One latency round after the other: send the packet, note when its last
// byte has left, take the first byte that comes back after that (or give
// the round up at the time-out), pause, next round. Returns 1 when all
// rounds are done (reply filled).
static int LatencyPoll(SimEngine *e, SimSession *s, int64_t nowUs, char *reply, int replySize) {
  const SimCommand *c = &s->cmd;
  for (;;) {
    switch (s->latPhase) {
      case SIM_LAT_SEND: {
        if (s->queuedPackets == c->count) return LatencyReply(s, reply, replySize);
        if (nowUs < s->nextUs) return 0;
        int rc = SendMotion(e, s);
        if (rc != SIM_OK)
          return Reply(reply, replySize, "err %s after %d rounds",
                       rc == SIM_ERR_FULL ? "transmit queue full" : "cannot encode", s->queuedPackets);
        s->queuedPackets++;
        s->latPhase = SIM_LAT_ON_WIRE;
        break;
      }
      case SIM_LAT_ON_WIRE:
        if (e->tx.sent < s->txEnd) return 0;
        // Called right after the line took the last byte: now is its time.
        s->latSentUs = nowUs;
        e->watching = 1;
        e->watchUs = 0;
        s->latPhase = SIM_LAT_WAIT;
        break;
      default:  // SIM_LAT_WAIT
        if (!e->watching)
          s->latUs[s->latCount++] = (int32_t)(e->watchUs - s->latSentUs);
        else if (nowUs >= s->latSentUs + (int64_t)c->timeoutMs * 1000)
          s->latLost++;
        else
          return 0;
        e->watching = 0;
        s->nextUs = nowUs + (int64_t)c->everyMs * 1000;
        s->latPhase = SIM_LAT_SEND;
        break;
    }
  }
}

static int StatusReply(SimEngine *e, char *reply, int size) {
  return Reply(reply, size,
               "ok model=%s silent=%d delay=%d held=0x%04x commands=%d probes=%d inits=%d bad=%d garbled=%d "
               "queued=%llu sent=%llu dropped=%llu %s",
               e->model->key, e->silent, e->replyDelayMs, (unsigned)e->held, e->rx.commands, e->rx.probes,
               e->rx.inits, e->rx.badInits, e->rx.garbled, (unsigned long long)e->tx.queued,
               (unsigned long long)e->tx.sent, (unsigned long long)e->droppedBytes, e->where);
}

// Commands that finish at once, or start something that Poll finishes.
static int Execute(SimEngine *e, SimSession *s, int64_t nowUs, char *reply, int size) {
  SimCommand *c = &s->cmd;
  int rc = SIM_OK;
  switch (c->verb) {
    case SIM_VERB_NONE:
      return Reply(reply, size, "%s", "");
    case SIM_VERB_PRESS:
      e->held |= c->mask;
      rc = SendButtons(e, s, e->model->buttonIdle | e->held);
      break;
    case SIM_VERB_RELEASE:
      e->held = c->releaseAll ? 0 : e->held & ~c->mask;
      rc = SendButtons(e, s, e->model->buttonIdle | e->held);
      break;
    case SIM_VERB_BUTTONS:
      e->held = c->mask & ~e->model->buttonIdle;
      rc = SendButtons(e, s, c->mask);
      break;
    case SIM_VERB_MOVE:
    case SIM_VERB_ZERO:
    case SIM_VERB_LATENCY:
      s->nextUs = nowUs;
      s->queuedPackets = 0;
      return 0;
    case SIM_VERB_MESSAGE: {
      SimBytes p;
      SimBytesClear(&p);
      rc = e->model->encodeMessage(c->bytes.data, c->bytes.count, &p);
      if (rc == SIM_OK) rc = Queue(e, &p, "message", s);
      break;
    }
    case SIM_VERB_RAW:
    case SIM_VERB_SEND:
      rc = Queue(e, &c->bytes, "raw", s);
      break;
    case SIM_VERB_GARBAGE:
      rc = Garbage(e, s);
      break;
    case SIM_VERB_SILENT:
      e->silent = (int)c->number;
      return Reply(reply, size, "ok silent=%d", e->silent);
    case SIM_VERB_ANSWER:
      e->silent = 0;
      return Reply(reply, size, "ok");
    case SIM_VERB_FIRMWARE:
      if (c->bytes.count >= SIM_BYTES_MAX) return Reply(reply, size, "err firmware text too long");
      e->firmware = c->bytes;
      return Reply(reply, size, "ok length=%d", e->firmware.count);
    case SIM_VERB_DELAY:
      e->replyDelayMs = (int)c->number;
      return Reply(reply, size, "ok delay=%d", e->replyDelayMs);
    case SIM_VERB_SLEEP:
      s->deadlineUs = nowUs + c->number * 1000;
      return 0;
    case SIM_VERB_WAITINIT:
    case SIM_VERB_WAITCMD:
    case SIM_VERB_WAITLINES:
      s->deadlineUs = nowUs + (int64_t)c->timeoutMs * 1000;
      return 0;
    case SIM_VERB_LOG:
      return LogReply(e, c->number, reply, size);
    case SIM_VERB_INIT:
      if (e->model->checksummed)
        return Reply(reply, size, "ok inits=%d bad=%d probes=%d commands=%d garbled=%d", e->rx.inits,
                     e->rx.badInits, e->rx.probes, e->rx.commands, e->rx.garbled);
      return Reply(reply, size, "ok inits=%d bad=%d probes=%d commands=%d", e->rx.inits, e->rx.badInits,
                   e->rx.probes, e->rx.commands);
    case SIM_VERB_LINES:
      return LinesReply(e, "ok", reply, size);
    case SIM_VERB_STATUS:
      return StatusReply(e, reply, size);
    case SIM_VERB_CLEAR:
      SimRxClear(&e->rx);
      return Reply(reply, size, "ok");
    case SIM_VERB_QUIT:
      e->quit = 1;
      return Reply(reply, size, "ok bye");
    default:
      return Reply(reply, size, "err internal: verb %d", c->verb);
  }
  if (rc != SIM_OK)
    return Reply(reply, size, "err %s", rc == SIM_ERR_FULL ? "transmit queue full" : "cannot encode");
  return 0;  // sending: finished once on the wire
}

int SimSessionStart(SimEngine *e, SimSession *s, const char *line, int64_t nowUs, char *reply,
                    int replySize) {
  char error[200];
  SimSessionInit(s);
  if (SimParseCommand(e->model, line, &s->cmd, error, sizeof error) != SIM_OK)
    return Reply(reply, replySize, "err %s", error);
  s->busy = 1;
  s->txEnd = e->tx.queued;
  if (Execute(e, s, nowUs, reply, replySize)) {
    s->busy = 0;
    return 1;
  }
  return SimSessionPoll(e, s, nowUs, reply, replySize);
}

static int Finish(SimSession *s) {
  s->busy = 0;
  return 1;
}

int SimSessionPoll(SimEngine *e, SimSession *s, int64_t nowUs, char *reply, int replySize) {
  if (!s->busy) return 0;
  const SimCommand *c = &s->cmd;
  SimLines l;
  switch (c->verb) {
    case SIM_VERB_SLEEP:
      if (nowUs < s->deadlineUs) return 0;
      Reply(reply, replySize, "ok");
      return Finish(s);
    case SIM_VERB_WAITINIT:
      if (e->rx.inits >= c->count)
        Reply(reply, replySize, "ok inits=%d bad=%d", e->rx.inits, e->rx.badInits);
      else if (nowUs >= s->deadlineUs)
        Reply(reply, replySize, "err timeout inits=%d bad=%d probes=%d", e->rx.inits, e->rx.badInits,
              e->rx.probes);
      else
        return 0;
      return Finish(s);
    case SIM_VERB_WAITCMD:
      if (SimRxContains(&e->rx, c->bytes.data, c->bytes.count))
        Reply(reply, replySize, "ok");
      else if (nowUs >= s->deadlineUs)
        Reply(reply, replySize, "err timeout");
      else
        return 0;
      return Finish(s);
    case SIM_VERB_WAITLINES:
      ReadLines(e, &l);
      if (l.dtr == c->dtr && l.rts == c->rts)
        LinesReply(e, "ok", reply, replySize);
      else if (nowUs >= s->deadlineUs)
        LinesReply(e, "err timeout", reply, replySize);
      else
        return 0;
      return Finish(s);
    case SIM_VERB_MOVE:
    case SIM_VERB_ZERO:
      while (s->queuedPackets < c->count && nowUs >= s->nextUs) {
        int rc = SendMotion(e, s);
        if (rc != SIM_OK) {
          // The model's fields may be narrower than the command's values.
          Reply(reply, replySize, "err %s after %d packets",
                rc == SIM_ERR_FULL ? "transmit queue full" : "cannot encode", s->queuedPackets);
          return Finish(s);
        }
        s->queuedPackets++;
        s->nextUs += (int64_t)c->everyMs * 1000;
      }
      if (s->queuedPackets < c->count || e->tx.sent < s->txEnd) return 0;
      SendReply(s, reply, replySize);
      return Finish(s);
    case SIM_VERB_LATENCY:
      if (!LatencyPoll(e, s, nowUs, reply, replySize)) return 0;
      return Finish(s);
    default:  // the sending commands
      if (e->tx.sent < s->txEnd) return 0;
      SendReply(s, reply, replySize);
      return Finish(s);
  }
}

int64_t SimSessionWakeUs(const SimSession *s, int64_t nowUs) {
  if (!s->busy) return INT64_MAX;
  switch (s->cmd.verb) {
    case SIM_VERB_SLEEP:
    case SIM_VERB_WAITINIT:
    case SIM_VERB_WAITCMD:
      return s->deadlineUs;
    case SIM_VERB_WAITLINES:  // line state comes from a file: look again soon
      return s->deadlineUs < nowUs + 5000 ? s->deadlineUs : nowUs + 5000;
    case SIM_VERB_MOVE:
    case SIM_VERB_ZERO:
      return s->queuedPackets < s->cmd.count ? s->nextUs : INT64_MAX;
    case SIM_VERB_LATENCY:  // on the wire: polled after every byte the line takes
      if (s->latPhase == SIM_LAT_SEND) return s->nextUs;
      if (s->latPhase == SIM_LAT_WAIT) return s->latSentUs + (int64_t)s->cmd.timeoutMs * 1000;
      return INT64_MAX;
    default:
      return INT64_MAX;
  }
}
