// Receive side of the simulated device: command framing, the command log and
// the check that the driver's initialisation came exactly as expected.
// Called by the engine for every byte read from the line.
#include "simrx.h"

#include <string.h>

void SimRxInit(SimRx *rx) {
  memset(rx, 0, sizeof *rx);
}

void SimRxClear(SimRx *rx) {
  int keep = rx->partialCount;
  uint8_t partial[SIM_CMD_MAX];
  memcpy(partial, rx->partial, (size_t)keep);
  SimRxInit(rx);
  memcpy(rx->partial, partial, (size_t)keep);
  rx->partialCount = keep;
}

static int SameWire(const SimWire *w, const uint8_t *bytes, int count) {
  return w->count == count && memcmp(w->bytes, bytes, (size_t)count) == 0;
}

// An initialisation counts only when its steps arrive one after the other
// with nothing between them; anything else breaks it off. A command that
// breaks one off may itself begin the next.
static int TrackInit(SimRx *rx, const SimModel *model, const uint8_t *bytes, int count) {
  if (model->initStepCount == 0) return 0;
  int flags = 0;
  if (SameWire(&model->initSteps[rx->initStep], bytes, count)) {
    rx->initStep++;
  } else {
    if (rx->initStep > 0) {
      rx->badInits++;
      flags |= SIM_RX_BROKEN;
    }
    rx->initStep = SameWire(&model->initSteps[0], bytes, count) ? 1 : 0;
  }
  if (rx->initStep == model->initStepCount) {
    rx->inits++;
    rx->initStep = 0;
    flags |= SIM_RX_INIT;
  }
  return flags;
}

static int Complete(SimRx *rx, const SimModel *model, int64_t nowUs) {
  int slot = (rx->logFirst + rx->logCount) % SIM_LOG_MAX;
  if (rx->logCount == SIM_LOG_MAX)
    rx->logFirst = (rx->logFirst + 1) % SIM_LOG_MAX;
  else
    rx->logCount++;
  SimRxEntry *e = &rx->log[slot];
  memcpy(e->bytes, rx->partial, (size_t)rx->partialCount);
  e->count = rx->partialCount;
  e->atUs = nowUs;
  rx->partialCount = 0;
  rx->commands++;

  int flags = SIM_RX_COMMAND;
  SimBytes text;
  e->garbled = model->decodeCommand(e->bytes, e->count, &text) != SIM_OK;
  e->textCount = e->garbled ? 0 : text.count;
  if (e->textCount > SIM_CMD_MAX) e->textCount = SIM_CMD_MAX;
  memcpy(e->text, text.data, (size_t)e->textCount);
  if (e->garbled) {
    rx->garbled++;
    flags |= SIM_RX_GARBLED;
  }
  if (model->isProbe(e->bytes, e->count)) {
    rx->probes++;
    flags |= SIM_RX_PROBE;
  }
  return flags | TrackInit(rx, model, e->bytes, e->count);
}

int SimRxPut(SimRx *rx, const SimModel *model, uint8_t byte, int64_t nowUs) {
  rx->partial[rx->partialCount++] = byte;
  if (byte == '\r' || rx->partialCount == SIM_CMD_MAX) return Complete(rx, model, nowUs);
  return 0;
}

const SimRxEntry *SimRxNewest(const SimRx *rx, int i) {
  if (i < 0 || i >= rx->logCount) return nullptr;
  return &rx->log[(rx->logFirst + rx->logCount - 1 - i) % SIM_LOG_MAX];
}

int SimRxContains(const SimRx *rx, const uint8_t *bytes, int count) {
  for (int i = 0; i < rx->logCount; i++) {
    const SimRxEntry *e = SimRxNewest(rx, i);
    if (e->count == count && memcmp(e->bytes, bytes, (size_t)count) == 0) return 1;
    if (e->textCount == count && memcmp(e->text, bytes, (size_t)count) == 0) return 1;
  }
  return 0;
}
