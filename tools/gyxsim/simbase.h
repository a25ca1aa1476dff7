// Basics shared by every part of the controller simulator: result codes, the
// fixed-size byte record that packets are built in, and the escaped text form
// in which bytes travel through commands, replies and logs.
#pragma once
#include <stdint.h>

enum SimResult {
  SIM_OK = 0,
  SIM_ERR_ARGUMENT = -1,  // bad or missing argument, value out of range
  SIM_ERR_FULL = -2,      // a buffer or queue has no room left
  SIM_ERR_SYNTAX = -3,    // unknown command or malformed text
  SIM_ERR_IO = -4,        // a system call failed
  SIM_ERR_TIMEOUT = -5,   // a wait ended without its condition
};

enum { SIM_BYTES_MAX = 512 };

// Bytes of one packet or command, oldest first.
struct SimBytes {
  uint8_t data[SIM_BYTES_MAX];
  int count;
};

void SimBytesClear(SimBytes *b);
int SimBytesPut(SimBytes *b, uint8_t value);                       // SIM_OK or SIM_ERR_FULL
int SimBytesAppend(SimBytes *b, const uint8_t *bytes, int count);  // SIM_OK or SIM_ERR_FULL (b unchanged)

// Escaped text: printable ASCII other than space and backslash stands for
// itself; \r \n \t \0 \\ and \xHH stand for the rest. The output never holds
// a space, so escaped entries can be listed on one line separated by spaces.
// SimEscape writes at most outSize-1 characters and a NUL; returns the number
// of characters written, or SIM_ERR_FULL when the text did not fit (the output
// then holds as many whole escapes as fitted).
int SimEscape(char *out, int outSize, const uint8_t *bytes, int count);
// Reverse of SimEscape; also accepts a literal space. SIM_OK, SIM_ERR_SYNTAX
// for a bad escape, SIM_ERR_FULL when more than SIM_BYTES_MAX bytes result.
int SimUnescape(SimBytes *out, const char *text);

// Integer in decimal or, with a 0x prefix, hexadecimal; optional sign. The
// whole text must be the number. SIM_OK or SIM_ERR_SYNTAX.
int SimParseInt(const char *text, int64_t *value);
