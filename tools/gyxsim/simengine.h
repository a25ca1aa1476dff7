// The simulated controller without its I/O: what it has received, what it
// has queued for the line, and the sessions (script, control connections)
// that drive it with commands. Time is passed in; the Linux program in
// linux/ feeds received bytes, drains the transmit queue at the line's pace
// and reads the modem lines through the hooks.
#pragma once
#include "simcmd.h"
#include "simrx.h"

enum {
  SIM_TX_MAX = 1 << 16,      // bytes waiting for the line
  SIM_REPLY_MAX = 32768,     // longest reply line, NUL included
  SIM_PENDING_REPLIES = 16,  // identification replies waiting for their delay
};

// Modem lines as the driver's side has set them.
struct SimLines {
  int dtr, rts;
  int owner;  // pid of the process that set them; 0 when none has, -1 when it has gone
  int baud;   // speed the port is set to, 0 when unknown
};

struct SimHooks {
  void *ctx;
  void (*readLines)(void *ctx, SimLines *out);
  void (*note)(void *ctx, const char *text);  // one line for the log
};

struct SimTx {
  uint8_t ring[SIM_TX_MAX];
  uint64_t queued;  // bytes ever queued
  uint64_t sent;    // bytes ever taken by the line; sent..queued wait
};

struct SimEngine {
  const SimModel *model;
  SimBytes firmware;  // identification reply text
  int silent;         // -1 never answer; 0 answer; n > 0 ignore the next n probes
  int replyDelayMs;   // time between a probe and the start of its reply
  uint32_t held;      // raw bits of the buttons held down
  SimRx rx;
  SimTx tx;
  int64_t replyAt[SIM_PENDING_REPLIES];
  int replyCount;
  uint64_t droppedBytes;  // not sent because nobody held the port open
  // A model without an initialisation counts one once an identification
  // reply has left the line: the line position where the newest one ends.
  uint64_t replyEnd;
  int quit;
  // Latency rounds: while watching, the time of the first byte received.
  int watching;
  int64_t watchUs;
  SimHooks hooks;
  char where[512];  // pty and link, for the status reply
};

struct SimSession {
  int busy;
  SimCommand cmd;
  int64_t deadlineUs;  // sleep end or wait time-out
  int64_t nextUs;      // move/zero: time of the next packet
  int queuedPackets;   // move/zero: packets queued so far
  uint64_t txEnd;      // the command is done once the line has sent this far
  int sentBytes;
  int droppedBytes;
  // latency: the round in progress and the answer times taken so far
  int latPhase;       // SIM_LAT_*
  int64_t latSentUs;  // when the round's packet had left
  int latLost;
  int latCount;
  int32_t latUs[SIM_LATENCY_MAX];
};

// Phases of one latency round.
enum { SIM_LAT_SEND = 0, SIM_LAT_ON_WIRE, SIM_LAT_WAIT };

void SimEngineInit(SimEngine *e, const SimModel *model, const SimHooks *hooks);
// Bytes from the driver; nowUs is when they were read (a latency round takes
// the time of the first read after its packet has left).
void SimEngineReceive(SimEngine *e, const uint8_t *bytes, int count, int64_t nowUs);
// Queues identification replies whose delay has passed.
void SimEngineTick(SimEngine *e, int64_t nowUs);
// Time of the next delayed reply, INT64_MAX when none waits.
int64_t SimEngineNextUs(const SimEngine *e);

// Transmit queue, drained one byte at a time by the line.
int SimTxNext(const SimEngine *e, uint8_t *byte);  // 1 and the byte, or 0 when empty
void SimTxAdvance(SimEngine *e);                   // the byte from SimTxNext has left

// A session runs one command at a time. Start and Poll return 1 when the
// command has finished (reply holds its one-line answer, "ok ..." or
// "err ..."), 0 while it goes on; blank and comment lines finish with an
// empty reply.
void SimSessionInit(SimSession *s);
int SimSessionStart(SimEngine *e, SimSession *s, const char *line, int64_t nowUs, char *reply, int replySize);
int SimSessionPoll(SimEngine *e, SimSession *s, int64_t nowUs, char *reply, int replySize);
// Latest time at which a busy session must be polled again (it is also
// worth polling after received bytes and after the line sent bytes).
int64_t SimSessionWakeUs(const SimSession *s, int64_t nowUs);
