/* qvstream.h — a long Quorvanel byte stream for the parser benchmark, made
 * with the controller simulator's own packet encoders (the bytes gyxsim puts
 * on the wire), mixed with the malformed packets a noisy line produces.
 * Called by parser_bench.cpp; portable. */
#ifndef GYX_BENCH_QVSTREAM_H
#define GYX_BENCH_QVSTREAM_H

#include <stdint.h>

#include <vector>

struct QvStreamCounts {
  int64_t motion;    /* well-formed motion packets (zero events included) */
  int64_t buttons;   /* well-formed button packets */
  int64_t messages;  /* device messages ("@" ... CR LF) */
  int64_t escaped;   /* well-formed packets that carry at least one caret escape */
  int64_t malformed; /* packets the parser must consume without an event */
  int64_t events() const { return motion + buttons + messages; }
};

/* Appends packets to out until it holds at least `bytes` bytes; the same
 * seed gives the same stream. Returns 0, or -1 when an encoder failed. */
int QvMakeStream(std::vector<uint8_t> *out, int64_t bytes, uint32_t seed, const char *modelKey,
                 QvStreamCounts *counts);

#endif
