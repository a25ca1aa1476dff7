/* qvstream.cpp — the benchmark's recorded stream: mostly motion packets with
 * random axes (about one in eleven needs a caret escape),
 * button packets, device messages, and five kinds of malformed packet, in a
 * fixed pseudo-random order. */
#include "qvstream.h"

#include <string.h>

#include "tools/gyxsim/simmodel.h"

namespace {

struct Rng {
  uint32_t x;
  uint32_t Next() {
    x = x * 1664525u + 1013904223u;
    return x >> 8;
  }
  int32_t Axis() { /* mostly small values, now and then a full swing */
    uint32_t r = Next();
    return (r & 7) == 0 ? (int32_t)(r >> 3 & 0xFFFF) - 32768 : (int32_t)(r >> 3 & 0x3FF) - 512;
  }
};

bool HasEscape(const SimBytes &p) {
  return memchr(p.data, 0x5E, (size_t)p.count) != nullptr;
}

void Put(std::vector<uint8_t> *out, const uint8_t *b, int n) {
  out->insert(out->end(), b, b + n);
}

/* Malformed packets, each ending in CR so that framing resumes after it. */
void PutMalformed(std::vector<uint8_t> *out, int kind, Rng *rng) {
  static const uint8_t kBadEscape[] = {'D', 0, 0xA0, 0, 5, 0x5E, 'x', 0, 0, 0, 0, 0, 0, 0, 0, 1, 0x0D};
  static const uint8_t kShortMotion[] = {'D', 0, 0xA0, 0, 1, 0, 2, 0, 3, 0x0D};
  static const uint8_t kLongButton[] = {'K', 0x40, 0x41, 0x40, 0x0D};
  static const uint8_t kUnknownType[] = {'Q', 'x', 'y', 'z', 0x0D};
  switch (kind) {
    case 0:
      Put(out, kBadEscape, sizeof kBadEscape);
      break;
    case 1:
      Put(out, kShortMotion, sizeof kShortMotion);
      break;
    case 2:
      Put(out, kLongButton, sizeof kLongButton);
      break;
    case 3:
      Put(out, kUnknownType, sizeof kUnknownType);
      break;
    default: { /* line noise: bytes that are neither CR, caret nor a packet type, then CR */
      int n = 3 + (int)(rng->Next() % 20);
      for (int i = 0; i < n; i++) {
        uint8_t b = (uint8_t)(0x20 + rng->Next() % 0x5E);
        if (b == 0x5E || b == 'D' || b == 'K' || b == '@') b = '#';
        if (i == 0) b = '#';
        out->push_back(b);
      }
      out->push_back(0x0D);
    }
  }
}

}  // namespace

int QvMakeStream(std::vector<uint8_t> *out, int64_t bytes, uint32_t seed, const char *modelKey,
                 QvStreamCounts *counts) {
  const SimModel *model = SimFindModel(modelKey);
  if (!model) return -1;
  memset(counts, 0, sizeof *counts);
  Rng rng = {seed};
  static const char *const kMessages[] = {"Fault: ball stuck", "Temperature high", "Ready"};
  while ((int64_t)out->size() < bytes) {
    uint32_t pick = rng.Next() % 1000;
    SimBytes p;
    SimBytesClear(&p);
    int rc = SIM_OK;
    if (pick < 850) {
      SimMotion m;
      m.period = (int32_t)(rng.Next() % 4) * 80 + 160;
      for (int i = 0; i < 6; i++) m.axis[i] = (pick % 50 == 0) ? 0 : rng.Axis();
      rc = model->encodeMotion(&m, &p);
      counts->motion++;
    } else if (pick < 930) {
      uint32_t held = rng.Next() & 0x1F3F;
      rc = model->encodeButtons(model->buttonIdle | held, &p);
      counts->buttons++;
    } else if (pick < 935) {
      const char *text = kMessages[rng.Next() % 3];
      rc = model->encodeMessage((const uint8_t *)text, (int)strlen(text), &p);
      counts->messages++;
    } else {
      PutMalformed(out, (int)(pick % 5), &rng);
      counts->malformed++;
      continue;
    }
    if (rc != SIM_OK) return -1;
    if (HasEscape(p)) counts->escaped++;
    Put(out, p.data, p.count);
  }
  return 0;
}
