// What the simulated device has received: bytes from the driver split into
// CR-ended commands, a log of the newest of them, probe and initialisation
// counts. Fed byte by byte by the engine; queried by the command language.
#pragma once
#include "simmodel.h"

enum {
  SIM_CMD_MAX = 256,  // a command without CR after this many bytes is logged as it is
  SIM_LOG_MAX = 256,  // newest commands kept
};

struct SimRxEntry {
  uint8_t bytes[SIM_CMD_MAX];  // as received
  int count;
  uint8_t text[SIM_CMD_MAX];  // without the model's encoding (the same for the Quorvanel)
  int textCount;
  int garbled;   // 1: its encoding or checksum is wrong (text then empty)
  int64_t atUs;  // monotonic time of its last byte
};

struct SimRx {
  uint8_t partial[SIM_CMD_MAX];  // command still waiting for its CR
  int partialCount;
  SimRxEntry log[SIM_LOG_MAX];  // ring: logFirst is the oldest of logCount
  int logFirst;
  int logCount;
  int commands;  // complete commands since the last clear
  int probes;    // identification probes among them
  int initStep;  // next expected step of the initialisation
  int inits;     // complete initialisations, each exactly the expected steps in order
  int badInits;  // initialisations begun and broken off by another command
  int garbled;   // commands whose encoding or checksum was wrong
};

// Flags returned by SimRxPut.
enum {
  SIM_RX_COMMAND = 1,   // a command is complete (the newest log entry)
  SIM_RX_PROBE = 2,     // ... and it is the identification probe
  SIM_RX_INIT = 4,      // ... and it completed an initialisation
  SIM_RX_BROKEN = 8,    // ... and it broke off an initialisation in progress
  SIM_RX_GARBLED = 16,  // ... and its encoding or checksum is wrong
};

void SimRxInit(SimRx *rx);
// Forgets the log and the counts; a command in progress is kept.
void SimRxClear(SimRx *rx);
// One received byte; returns a combination of the flags above (0 while a
// command is still incomplete).
int SimRxPut(SimRx *rx, const SimModel *model, uint8_t byte, int64_t nowUs);
// The i-th newest entry (0 = newest), or null.
const SimRxEntry *SimRxNewest(const SimRx *rx, int i);
// 1 when a command with exactly these bytes, as received or as plain text,
// is in the log.
int SimRxContains(const SimRx *rx, const uint8_t *bytes, int count);
