// Command sources of the simulator: the TCP control listener on 127.0.0.1,
// its connections, standard input and the script file. Each source feeds
// lines to its own SimSession and gets one reply line per command.
// Used by gyxsim_main's event loop.
#pragma once
#include "simengine.h"

enum {
  SIM_SOURCE_MAX = 10,      // script + stdin + control connections
  SIM_SOURCE_INPUT = 8192,  // longest pending input of one source
};

enum SimSourceKind { SIM_SOURCE_FREE = 0, SIM_SOURCE_SCRIPT, SIM_SOURCE_STDIN, SIM_SOURCE_CONTROL };

struct SimSource {
  int kind;
  int inFd;   // read side (-1 for the script)
  int outFd;  // where replies go
  int id;
  char input[SIM_SOURCE_INPUT];  // unread input, or the rest of the script
  int inputCount;
  int scriptLine;  // script: number of the line being run
  int closed;      // no more input will come
  SimSession session;
};

// Listens on 127.0.0.1:port (0 = any free port); returns the socket or -1,
// and the port actually bound in *bound.
int SimCtlListen(int port, int *bound);
// Writes the port number to path through a temporary file and a rename.
int SimCtlWritePortFile(const char *path, int port);
// Accepts one connection into a free source; -1 when none could be had.
int SimCtlAccept(int listener, SimSource *sources, int *nextId);
// Reads what is available from a source's fd; sets closed at end of input.
void SimCtlRead(SimSource *s);
// Takes the next complete line (without its line end) out of the source's
// input; 1 when one was there. A line longer than the input buffer is cut.
int SimCtlTakeLine(SimSource *s, char *line, int size);
// Sends one reply line; a failed send closes the source.
void SimCtlReply(SimSource *s, const char *reply);
void SimCtlClose(SimSource *s);
