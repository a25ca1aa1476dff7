// gyxsim: a serial hand controller on a pty, for tests. Parses the command
// line, opens the pty and the command sources, and runs the one event loop
// that receives, transmits at the line's pace and serves every session.
#include "simctl.h"
#include "simpty.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/signalfd.h>
#include <time.h>
#include <unistd.h>

struct Options {
  const char *model = "2200";
  const char *link = nullptr;
  const char *firmware = nullptr;
  int silent = 0;
  const char *script = nullptr;
  int control = -1;
  const char *portFile = nullptr;
  const char *log = nullptr;
  int parentPid = 0;
  int useStdin = 0;
  const char *modemDir = nullptr;
  int baud = 9600;
};

struct Sim {
  Options opt;
  SimEngine engine;
  SimPty pty;
  SimSource sources[SIM_SOURCE_MAX];
  int listener = -1;
  int nextId = 1;
  int sigFd = -1;
  FILE *log = nullptr;
  int64_t startNs = 0;
  int64_t byteNs = 0;      // time one byte takes on the line; 0 = unpaced
  int64_t lineFreeNs = 0;  // when the line can take the next byte
  uint64_t overruns = 0;   // bytes the driver's side had no room for
  int lastDtr = 0;
};

static Sim g_sim;  // large (the engine's queues): static, and the signal-free loop needs no more

static int64_t NowNs(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (int64_t)t.tv_sec * 1000000000 + t.tv_nsec;
}

static void LogLine(Sim *sim, const char *fmt, ...) {
  if (!sim->log) return;
  va_list ap;
  va_start(ap, fmt);
  fprintf(sim->log, "%10.3f ", (double)(NowNs() - sim->startNs) / 1e6);
  vfprintf(sim->log, fmt, ap);
  fputc('\n', sim->log);
  fflush(sim->log);
  va_end(ap);
}

static void HookNote(void *ctx, const char *text) {
  LogLine((Sim *)ctx, "%s", text);
}

static void HookLines(void *ctx, SimLines *out) {
  SimPtyLines(&((Sim *)ctx)->pty, out);
}

static void Usage(void) {
  fprintf(stderr,
          "usage: gyxsim [--model 2200|3200|stick|lumeqaro] [--link PATH] [--firmware TEXT]\n"
          "              [--silent] [--script FILE] [--control PORT [--port-file FILE]] [--stdin]\n"
          "              [--log FILE] [--parent-pid PID] [--modem-dir DIR] [--baud N]\n"
          "Commands and their replies: see tools/gyxsim/README.md.\n");
}

static int ParseOptions(int argc, char **argv, Options *o) {
  for (int i = 1; i < argc; i++) {
    const char *a = argv[i];
    const char *v = i + 1 < argc ? argv[i + 1] : nullptr;
    int takes = 1;
    if (!strcmp(a, "--silent")) {
      o->silent = 1;
      takes = 0;
    } else if (!strcmp(a, "--stdin")) {
      o->useStdin = 1;
      takes = 0;
    } else if (!strcmp(a, "--help") || !strcmp(a, "-h")) {
      Usage();
      exit(0);
    } else if (!v) {
      fprintf(stderr, "gyxsim: %s needs a value\n", a);
      return -1;
    } else if (!strcmp(a, "--model")) {
      o->model = v;
    } else if (!strcmp(a, "--link")) {
      o->link = v;
    } else if (!strcmp(a, "--firmware")) {
      o->firmware = v;
    } else if (!strcmp(a, "--script")) {
      o->script = v;
    } else if (!strcmp(a, "--control")) {
      o->control = atoi(v);
    } else if (!strcmp(a, "--port-file")) {
      o->portFile = v;
    } else if (!strcmp(a, "--log")) {
      o->log = v;
    } else if (!strcmp(a, "--parent-pid")) {
      o->parentPid = atoi(v);
    } else if (!strcmp(a, "--modem-dir")) {
      o->modemDir = v;
    } else if (!strcmp(a, "--baud")) {
      o->baud = atoi(v);
    } else {
      fprintf(stderr, "gyxsim: unknown option %s\n", a);
      return -1;
    }
    i += takes;
  }
  if (o->portFile && o->control < 0) {
    fprintf(stderr, "gyxsim: --port-file needs --control\n");
    return -1;
  }
  return 0;
}

static int ParentGone(int pid) {
  return pid > 0 && SimProcessGone(pid);
}

static int AddSource(Sim *sim, int kind, int inFd, int outFd) {
  for (SimSource &s : sim->sources)
    if (s.kind == SIM_SOURCE_FREE) {
      memset(&s, 0, sizeof s);
      s.kind = kind;
      s.inFd = inFd;
      s.outFd = outFd;
      s.id = sim->nextId++;
      return 0;
    }
  return -1;
}

static const char *SourceName(const SimSource *s, char *buf, int size) {
  if (s->kind == SIM_SOURCE_SCRIPT)
    snprintf(buf, (size_t)size, "script:%d", s->scriptLine);
  else if (s->kind == SIM_SOURCE_STDIN)
    snprintf(buf, (size_t)size, "stdin");
  else
    snprintf(buf, (size_t)size, "ctl%d", s->id);
  return buf;
}

static void Answer(Sim *sim, SimSource *s, const char *reply) {
  char name[32];
  SourceName(s, name, sizeof name);
  if (!reply[0]) return;  // blank line or comment
  LogLine(sim, "%s < %s", name, reply);
  if (s->kind == SIM_SOURCE_SCRIPT) {
    if (!strncmp(reply, "err", 3)) fprintf(stderr, "gyxsim: %s: %s\n", name, reply);
    return;
  }
  SimCtlReply(s, reply);
}

// Runs every session as far as it goes now: finishes pending commands and
// starts the next lines of idle ones.
static void ServeSessions(Sim *sim, int64_t nowUs) {
  static char reply[SIM_REPLY_MAX];
  static char line[SIM_SOURCE_INPUT + 1];
  for (SimSource &s : sim->sources) {
    if (s.kind == SIM_SOURCE_FREE) continue;
    for (int guard = 0; guard < 1000 && !sim->engine.quit; guard++) {
      if (s.session.busy) {
        if (!SimSessionPoll(&sim->engine, &s.session, nowUs, reply, sizeof reply)) break;
        Answer(sim, &s, reply);
        continue;
      }
      if (!SimCtlTakeLine(&s, line, sizeof line)) break;
      char name[32];
      if (line[0]) LogLine(sim, "%s > %s", SourceName(&s, name, sizeof name), line);
      if (SimSessionStart(&sim->engine, &s.session, line, nowUs, reply, sizeof reply)) Answer(sim, &s, reply);
    }
    if (s.closed && !s.session.busy && s.inputCount == 0) {
      if (s.kind == SIM_SOURCE_STDIN) {
        LogLine(sim, "standard input closed: quitting");
        sim->engine.quit = 1;
      }
      if (s.kind == SIM_SOURCE_SCRIPT) {
        LogLine(sim, "script finished");
        close(s.inFd);
      }
      SimCtlClose(&s);
    }
  }
}

static void Receive(Sim *sim) {
  uint8_t buf[4096];
  for (;;) {
    ssize_t n = read(sim->pty.master, buf, sizeof buf);
    if (n <= 0) return;
    SimEngineReceive(&sim->engine, buf, (int)n, NowNs() / 1000);
  }
}

// Sends every byte that is due. On a real line a byte nobody has room for
// is lost; here a full pty counts as that overrun.
static void Transmit(Sim *sim, int64_t nowNs) {
  uint8_t b;
  if (sim->byteNs == 0) {
    // Unpaced: as fast as the pty takes the bytes, in writes of up to
    // 4 KiB. What it cannot take yet stays queued until it has room
    // (the loop waits for POLLOUT): a burst measures the reader, it
    // does not lose bytes the way a real line at a fixed speed would.
    SimTx *tx = &sim->engine.tx;
    while (tx->sent < tx->queued) {
      uint8_t chunk[4096];
      int n = 0;
      while (n < (int)sizeof chunk && tx->sent + (uint64_t)n < tx->queued) {
        chunk[n] = tx->ring[(tx->sent + (uint64_t)n) % SIM_TX_MAX];
        n++;
      }
      ssize_t w = write(sim->pty.master, chunk, (size_t)n);
      for (ssize_t i = 0; i < w; i++) SimTxAdvance(&sim->engine);
      if (w < n) return;
    }
    return;
  }
  while (SimTxNext(&sim->engine, &b)) {
    if (sim->byteNs > 0) {
      if (nowNs - sim->lineFreeNs > sim->byteNs) sim->lineFreeNs = nowNs;  // the line was idle: start now
      if (nowNs < sim->lineFreeNs) return;
      sim->lineFreeNs += sim->byteNs;
    }
    ssize_t n = write(sim->pty.master, &b, 1);
    if (n != 1) {
      sim->overruns++;
      LogLine(sim, "overrun: byte 0x%02x lost (%s)", b, n < 0 ? strerror(errno) : "short write");
    }
    SimTxAdvance(&sim->engine);
  }
}

// The port's owner has closed it or gone: what it did not read is lost, as
// a real port's buffers are when it is closed.
static void WatchLines(Sim *sim) {
  SimLines l;
  SimPtyLines(&sim->pty, &l);
  if (sim->lastDtr && !l.dtr) {
    SimPtyFlushInput(&sim->pty);
    LogLine(sim, "lines down (owner %d): unread input flushed", l.owner);
  } else if (!sim->lastDtr && l.dtr) {
    LogLine(sim, "lines up (owner %d)", l.owner);
  }
  sim->lastDtr = l.dtr;
}

static int64_t NextWakeNs(Sim *sim, int64_t nowNs) {
  int64_t wake = nowNs + 20 * 1000000LL;  // line and parent watch
  int64_t us = SimEngineNextUs(&sim->engine);
  if (us != INT64_MAX && us * 1000 < wake) wake = us * 1000;
  for (SimSource &s : sim->sources) {
    if (s.kind == SIM_SOURCE_FREE) continue;
    us = SimSessionWakeUs(&s.session, nowNs / 1000);
    if (us != INT64_MAX && us * 1000 < wake) wake = us * 1000;
  }
  uint8_t b;
  if (SimTxNext(&sim->engine, &b) && sim->byteNs > 0 && sim->lineFreeNs < wake)
    wake = sim->lineFreeNs;  // unpaced bytes wait for POLLOUT instead
  return wake;
}

static int Setup(Sim *sim, int argc, char **argv) {
  sim->pty.master = sim->pty.slave = -1;
  if (ParseOptions(argc, argv, &sim->opt) != 0) {
    Usage();
    return 2;
  }
  Options *o = &sim->opt;
  const SimModel *model = SimFindModel(o->model);
  if (!model) {
    fprintf(stderr, "gyxsim: unknown model '%s'\n", o->model);
    return 2;
  }
  const char *modemDir = o->modemDir ? o->modemDir : getenv("GYX_MODEM_DIR");
  if (!modemDir || !modemDir[0]) modemDir = "/tmp/gyx-modem";
  sim->startNs = NowNs();
  sim->byteNs = o->baud > 0 ? 10LL * 1000000000LL / o->baud : 0;  // start, 8 data, stop bit
  if (o->log && !(sim->log = fopen(o->log, "w"))) {
    fprintf(stderr, "gyxsim: cannot write %s: %s\n", o->log, strerror(errno));
    return 2;
  }
  SimHooks hooks = {sim, HookLines, HookNote};
  SimEngineInit(&sim->engine, model, &hooks);
  if (o->firmware) {
    SimBytes fw;
    if (SimUnescape(&fw, o->firmware) != SIM_OK || fw.count >= SIM_BYTES_MAX) {
      fprintf(stderr, "gyxsim: bad --firmware text\n");
      return 2;
    }
    sim->engine.firmware = fw;
  }
  if (o->silent) sim->engine.silent = -1;
  for (SimSource &s : sim->sources) s.inFd = s.outFd = -1;
  if (o->script) {
    int fd = open(o->script, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      fprintf(stderr, "gyxsim: cannot read %s: %s\n", o->script, strerror(errno));
      return 2;
    }
    AddSource(sim, SIM_SOURCE_SCRIPT, fd, -1);
  }
  if (SimPtyOpen(&sim->pty, o->baud > 0 ? o->baud : 9600, modemDir) != SIM_OK) return 1;
  if (o->link && SimPtyLink(&sim->pty, o->link) != SIM_OK) return 1;
  if (o->useStdin) {
    fcntl(0, F_SETFL, fcntl(0, F_GETFL) | O_NONBLOCK);
    AddSource(sim, SIM_SOURCE_STDIN, 0, 1);
  }

  sigset_t mask;
  sigemptyset(&mask);
  sigaddset(&mask, SIGTERM);
  sigaddset(&mask, SIGINT);
  sigaddset(&mask, SIGHUP);
  sigprocmask(SIG_BLOCK, &mask, nullptr);
  sim->sigFd = signalfd(-1, &mask, SFD_NONBLOCK | SFD_CLOEXEC);
  signal(SIGPIPE, SIG_IGN);

  if (o->control >= 0) {
    int port = 0;
    sim->listener = SimCtlListen(o->control, &port);
    if (sim->listener < 0) return 1;
    if (o->portFile && SimCtlWritePortFile(o->portFile, port) != SIM_OK) return 1;
    LogLine(sim, "control on 127.0.0.1:%d", port);
  }
  snprintf(sim->engine.where, sizeof sim->engine.where, "pty=%s link=%s", sim->pty.name,
           o->link ? o->link : "-");
  LogLine(sim, "%s on %s, link %s, modem lines in %s", model->name, sim->pty.name, o->link ? o->link : "-",
          sim->pty.linesFile);
  return 0;
}

static void Run(Sim *sim) {
  int64_t nextWatchNs = 0;
  while (!sim->engine.quit) {
    int64_t now = NowNs();
    SimEngineTick(&sim->engine, now / 1000);
    // Serve, send what the sessions queued, serve again: a command whose
    // bytes have just left answers now, not at the next wake-up.
    ServeSessions(sim, now / 1000);
    Transmit(sim, now);
    ServeSessions(sim, now / 1000);
    if (now >= nextWatchNs) {
      WatchLines(sim);
      if (ParentGone(sim->opt.parentPid)) {
        LogLine(sim, "parent %d has gone: quitting", sim->opt.parentPid);
        break;
      }
      nextWatchNs = now + 20 * 1000000LL;
    }
    if (sim->engine.quit) break;

    struct pollfd fds[3 + SIM_SOURCE_MAX];
    SimSource *owner[3 + SIM_SOURCE_MAX];
    int n = 0;
    uint8_t due;
    short ptyEvents = POLLIN;
    if (sim->byteNs == 0 && SimTxNext(&sim->engine, &due))
      ptyEvents |= POLLOUT;  // unpaced bytes the pty had no room for
    fds[n] = {sim->pty.master, ptyEvents, 0};
    owner[n++] = nullptr;
    fds[n] = {sim->sigFd, POLLIN, 0};
    owner[n++] = nullptr;
    if (sim->listener >= 0) {
      fds[n] = {sim->listener, POLLIN, 0};
      owner[n++] = nullptr;
    }
    for (SimSource &s : sim->sources)
      if (s.kind != SIM_SOURCE_FREE && s.inFd >= 0 && !s.closed && s.inputCount < SIM_SOURCE_INPUT) {
        fds[n] = {s.inFd, POLLIN, 0};
        owner[n++] = &s;
      }

    // Sleep until shortly before the next deadline, then spin to it:
    // the kernel's wake-up is too coarse for 1 ms byte pacing.
    const int64_t spinNs = 300000;
    int64_t wake = NextWakeNs(sim, now);
    int64_t waitNs = wake - NowNs() - spinNs;
    int scriptReady = 0;
    for (SimSource &s : sim->sources)
      if (s.kind == SIM_SOURCE_SCRIPT && !s.session.busy && !s.closed)
        scriptReady = 1;  // regular files are always readable: read, do not wait
    if (scriptReady) waitNs = 0;
    struct timespec ts = {0, 0};
    if (waitNs > 0) {
      ts.tv_sec = waitNs / 1000000000;
      ts.tv_nsec = waitNs % 1000000000;
    }
    int ready = ppoll(fds, (nfds_t)n, &ts, nullptr);
    if (ready < 0 && errno != EINTR) {
      LogLine(sim, "poll failed: %s", strerror(errno));
      break;
    }
    if (ready > 0) {
      if (fds[0].revents & POLLIN) Receive(sim);
      if (fds[1].revents & POLLIN) {
        LogLine(sim, "signal: quitting");
        break;
      }
      for (int i = 2; i < n; i++) {
        if (!fds[i].revents) continue;
        if (!owner[i])
          SimCtlAccept(sim->listener, sim->sources, &sim->nextId);
        else
          SimCtlRead(owner[i]);
      }
    }
    for (SimSource &s : sim->sources)
      if (s.kind == SIM_SOURCE_SCRIPT && !s.closed) SimCtlRead(&s);
    // Spin the last stretch to a due byte.
    uint8_t b;
    if (SimTxNext(&sim->engine, &b) && sim->byteNs > 0) {
      while (NowNs() < sim->lineFreeNs && sim->lineFreeNs - NowNs() < spinNs) {
      }
    }
  }
}

// Link and port file go before the connections close, so a client that
// sees its connection end finds them gone.
static void Cleanup(Sim *sim) {
  if (sim->opt.portFile && sim->listener >= 0) unlink(sim->opt.portFile);
  SimPtyDrain(&sim->pty, 500);
  SimPtyClose(&sim->pty);
  for (SimSource &s : sim->sources) {
    if (s.kind == SIM_SOURCE_SCRIPT && s.inFd >= 0) close(s.inFd);
    if (s.kind != SIM_SOURCE_FREE) SimCtlClose(&s);
  }
  if (sim->listener >= 0) close(sim->listener);
  LogLine(sim, "exit: %d commands received, %llu bytes queued, %llu sent, %llu dropped, %llu overruns",
          sim->engine.rx.commands, (unsigned long long)sim->engine.tx.queued,
          (unsigned long long)sim->engine.tx.sent, (unsigned long long)sim->engine.droppedBytes,
          (unsigned long long)sim->overruns);
  if (sim->log) fclose(sim->log);
}

int main(int argc, char **argv) {
  Sim *sim = &g_sim;
  int rc = Setup(sim, argc, argv);
  if (rc == 0) Run(sim);
  Cleanup(sim);
  return rc;
}
