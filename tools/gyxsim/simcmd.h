// The simulator's command language: one command per line, from a script or
// a control connection. This file turns a line into a SimCommand record;
// simengine.cpp carries it out. README.md documents the language.
#pragma once
#include "simmodel.h"

enum SimVerb {
  SIM_VERB_NONE = 0,  // blank line or comment
  SIM_VERB_PRESS,
  SIM_VERB_RELEASE,
  SIM_VERB_BUTTONS,
  SIM_VERB_MOVE,
  SIM_VERB_ZERO,
  SIM_VERB_MESSAGE,
  SIM_VERB_RAW,
  SIM_VERB_SEND,
  SIM_VERB_GARBAGE,
  SIM_VERB_SILENT,
  SIM_VERB_ANSWER,
  SIM_VERB_FIRMWARE,
  SIM_VERB_DELAY,
  SIM_VERB_SLEEP,
  SIM_VERB_WAITINIT,
  SIM_VERB_WAITCMD,
  SIM_VERB_WAITLINES,
  SIM_VERB_LOG,
  SIM_VERB_INIT,
  SIM_VERB_LINES,
  SIM_VERB_STATUS,
  SIM_VERB_CLEAR,
  SIM_VERB_QUIT,
  SIM_VERB_LATENCY,
};

enum {
  SIM_LINE_MAX = 4096,
  SIM_DEFAULT_TIMEOUT_MS = 10000,
  SIM_DEFAULT_EVERY_MS = 20,
  SIM_LATENCY_MAX = 1000,  // rounds of one latency command
};

struct SimCommand {
  int verb;
  uint32_t mask;     // press, release: the named buttons' raw bits; buttons: the field
  int releaseAll;    // release all
  SimMotion motion;  // move, zero: axes and the period field
  int everyMs;       // move, zero: time between packets (0: all at once); latency: pause between rounds
  int count;         // move, zero: packets; latency: rounds; garbage: bytes; waitinit: initialisations
  int64_t number;    // silent (-1 = always), delay, sleep, log (-1 = all), garbage seed
  int dtr, rts;      // waitlines
  int timeoutMs;     // wait commands; latency: longest wait for an answer
  SimBytes bytes;    // message, raw, send, firmware, waitcmd
};

// Parses one line (without its line end) for the given model. SIM_OK, or
// SIM_ERR_SYNTAX / SIM_ERR_ARGUMENT with a short reason in error.
int SimParseCommand(const SimModel *model, const char *line, SimCommand *cmd, char *error, int errorSize);
