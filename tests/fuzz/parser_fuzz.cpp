// parser_fuzz.cpp — every device protocol's parser fed arbitrary bytes in
// chunks whose sizes come from the input, as the driver feeds it (at most 256
// bytes a read, then calls with no bytes while events come out). Besides the
// sanitizers it checks that every result and event is one the driver can
// handle, that the receive state stays in bounds, and that the events do not
// depend on how the bytes were cut into reads.
//
// Input: byte 0 picks the model (low bits: the n-th row of the model table
// that has a protocol) and the data mode (bit 7: raw);
// then repeatedly one byte n and the next n bytes as one read.
#include <stdint.h>
#include <string.h>

#include <vector>

#include "driver/device/uddev.h"
#include "driver/device/udextern.h"
#include "driver/device/udmodel.h"
#include "fuzzkit.h"

namespace {

// The rows of the model table that have a protocol: a model that gains one
// is fuzzed from then on.
std::vector<const UdModel *> gRows;

// More events than bytes means a parser that makes events out of nothing.
const int kMaxEventsPerCall = 1 + 256;

void Prepare(UdDevice *dev, int32_t index, const UdModel *model, int raw) {
  memset(dev, 0, sizeof *dev);
  dev->index = index;
  dev->model = model;
  dev->type = model->type;
  dev->variant = model->variant;
  dev->dataMode = raw ? 0 : 1;
  dev->ops = model->ops;
}

void CheckEvent(const GiEvent &ev) {
  FUZZ_CHECK(ev.type >= GI_BUTTON_EVENT && ev.type <= GI_EXCEPTION_EVENT);
  if (ev.type == GI_EXCEPTION_EVENT) {
    const char *text = GI_EVENT_TEXT(&ev);
    FUZZ_CHECK(memchr(text, '\0', GI_EVENT_TEXT_SIZE) != nullptr);
  }
}

// Feeds one read and collects every event it completes. Returns the events.
void Feed(UdDevice *dev, const uint8_t *bytes, int32_t count, std::vector<GiEvent> *events) {
  GiEvent ev;
  memset(&ev, 0, sizeof ev);
  int32_t r = UdParseInput(dev, bytes, count, &ev);
  int calls = 0;
  while (r == UD_EVENT_READY) {
    CheckEvent(ev);
    events->push_back(ev);
    FUZZ_CHECK(++calls <= kMaxEventsPerCall);
    memset(&ev, 0, sizeof ev);
    r = UdParseInput(dev, nullptr, 0, &ev);
  }
  FUZZ_CHECK(r == UD_OK);
  FUZZ_CHECK(dev->rxCount >= 0 && dev->rxCount <= UD_RX_SIZE);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  static const UdSystem sys = fuzzkit::QuietSystem();
  UdUseSystem(&sys);
  FUZZ_CHECK(UdLoadModels() == 0);
  for (int32_t i = 0; i < UdModelCount(); i++)
    if (UdModelAt(i)->ops != nullptr) gRows.push_back(UdModelAt(i));
  FUZZ_CHECK(!gRows.empty());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzReader in(data, size);
  const uint8_t head = in.Byte();
  const UdModel *row = gRows[(head & 0x7F) % gRows.size()];
  const int raw = head >> 7;

  UdDevice *dev = &gUdDevices[0];
  Prepare(dev, 0, row, raw);
  std::vector<GiEvent> chunked;
  std::vector<uint8_t> stream;
  bool overflowed = false;
  while (in.Left() > 0) {
    size_t n;
    const uint8_t *bytes = in.Take(in.Byte(), &n);
    if (dev->rxCount + (int32_t)n > UD_RX_SIZE) overflowed = true;
    Feed(dev, bytes, (int32_t)n, &chunked);
    stream.insert(stream.end(), bytes, bytes + n);
  }

  // The same bytes one at a time must give the same events, unless the
  // chunked run filled the receive buffer (then it had to drop bytes that
  // the byte-wise run could keep).
  if (!overflowed) {
    UdDevice *other = &gUdDevices[1];
    Prepare(other, 1, row, raw);
    std::vector<GiEvent> bytewise;
    for (uint8_t b : stream) Feed(other, &b, 1, &bytewise);
    FUZZ_CHECK(bytewise.size() == chunked.size());
    for (size_t i = 0; i < chunked.size(); i++)
      FUZZ_CHECK(memcmp(&bytewise[i], &chunked[i], sizeof(GiEvent)) == 0);
  }
  return 0;
}
