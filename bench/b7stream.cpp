/* b7stream.cpp — the benchmark's recorded bit-7 stream: mostly motion
 * packets with random axes, button packets, device messages where the model
 * has them, and four kinds of malformed packet, in a fixed pseudo-random
 * order. Every report ends with the CR the simulated device sends. */
#include "b7stream.h"

#include <string.h>

#include "tools/gyxsim/simmodel.h"

namespace {

struct Rng {
  uint32_t x;
  uint32_t Next() {
    x = x * 1664525u + 1013904223u;
    return x >> 8;
  }
  int32_t Axis() { return (int32_t)(Next() % 1024) - 512; }
};

void Put(std::vector<uint8_t> *out, const uint8_t *b, int n) {
  out->insert(out->end(), b, b + n);
}

/* Malformed packets, each ending in a CR so that the next report begins
 * cleanly: a motion packet cut short, one too long, a button packet too
 * long, an unknown type. */
void PutMalformed(std::vector<uint8_t> *out, int kind) {
  static const uint8_t kShortMotion[] = {'D', 0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x0D};
  static const uint8_t kLongMotion[] = {'D',  0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86,
                                        0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x0D};
  static const uint8_t kLongButton[] = {'K', 0x81, 0x80, 0x80, 0x80, 0x80, 0x80, 0x0D};
  static const uint8_t kUnknownType[] = {'Q', 0xF8, 0xF9, 0xFA, 0x0D};
  switch (kind) {
    case 0:
      Put(out, kShortMotion, sizeof kShortMotion);
      break;
    case 1:
      Put(out, kLongMotion, sizeof kLongMotion);
      break;
    case 2:
      Put(out, kLongButton, sizeof kLongButton);
      break;
    default:
      Put(out, kUnknownType, sizeof kUnknownType);
      break;
  }
}

}  // namespace

int B7MakeStream(std::vector<uint8_t> *out, int64_t bytes, uint32_t seed, const char *modelKey,
                 B7StreamCounts *counts) {
  const SimModel *model = SimFindModel(modelKey);
  if (!model) return -1;
  memset(counts, 0, sizeof *counts);
  Rng rng = {seed};
  const bool hasMessages = model == &SimModelStick;
  static const char *const kMessages[] = {"Fault: stick stuck", "Temperature high", "Ready"};
  while ((int64_t)out->size() < bytes) {
    uint32_t pick = rng.Next() % 1000;
    SimBytes p;
    SimBytesClear(&p);
    int rc = SIM_OK;
    if (pick < 850) {
      SimMotion m;
      m.period = 20 + (int32_t)(rng.Next() % 4) * 10;
      for (int i = 0; i < 6; i++) m.axis[i] = (pick % 50 == 0) ? 0 : rng.Axis();
      rc = model->encodeMotion(&m, &p);
      counts->motion++;
    } else if (pick < 930) {
      rc = model->encodeButtons(rng.Next() & 0x7F, &p);
      counts->buttons++;
    } else if (pick < 935 && hasMessages) {
      const char *text = kMessages[rng.Next() % 3];
      rc = model->encodeMessage((const uint8_t *)text, (int)strlen(text), &p);
      counts->messages++;
    } else {
      PutMalformed(out, (int)(pick % 4));
      counts->malformed++;
      continue;
    }
    if (rc != SIM_OK) return -1;
    Put(out, p.data, p.count);
  }
  /* The last report is complete only once another packet begins. */
  out->push_back('K');
  return 0;
}
