/* b7stream.h — a long byte stream of a bit-7 framed model (Quorvanel Stick,
 * Lumeqaro 700) for the parser benchmark, made with the controller
 * simulator's own encoders (the bytes gyxsim puts on the wire), mixed with
 * the malformed packets a noisy line produces. Called by parser_bench.cpp;
 * portable. */
#ifndef GYX_BENCH_B7STREAM_H
#define GYX_BENCH_B7STREAM_H

#include <stdint.h>

#include <vector>

struct B7StreamCounts {
  int64_t motion;    /* well-formed motion packets (zero events included) */
  int64_t buttons;   /* well-formed button packets */
  int64_t messages;  /* device messages ("R", the Stick only) */
  int64_t malformed; /* packets the parser must consume without an event */
  int64_t events() const { return motion + buttons + messages; }
};

/* Appends packets of the model (simulator key "stick" or "lumeqaro") to out
 * until it holds at least `bytes` bytes; the same seed gives the same
 * stream. Returns 0, or -1 for an unknown model or a failed encoder. */
int B7MakeStream(std::vector<uint8_t> *out, int64_t bytes, uint32_t seed, const char *modelKey,
                 B7StreamCounts *counts);

#endif
