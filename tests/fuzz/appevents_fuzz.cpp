// appevents_fuzz.cpp — the library's event path (GiGetEvent: notice, ring
// read, resynchronisation, folding and time weighting) over event queues a
// hostile or broken driver fills: records of any bytes and lengths written
// with the driver's codec, bytes and offsets scribbled straight into the
// ring, notices of any kind and number, the clock jumping, polling and
// message-driven calls on two handles in one window, the driver's farewell
// and a new start. The driver and the window system are the in-memory ones
// of the native tests (fakeapp.h). Besides the sanitizers it checks that
// every call ends in a code of the library and that every raised timer
// resolution is handed back by GiTerminate.
//
// Input: a script of one-byte operations and their arguments.
#include <stdint.h>
#include <string.h>

#include "fuzzkit.h"
#include "tests/native/fakeapp.h"

namespace {

struct App {
  GiHandle handles[2] = {nullptr, nullptr};
  fake::Opened *queues[2] = {nullptr, nullptr};
};

bool Start(App *app) {
  if (GiInitialize() != GI_NO_ERROR) return false;
  GiOpenData od{0x1234, 0};  // both handles in one window
  for (int i = 0; i < 2; i++) {
    app->handles[i] = GiOpen("Fuzz", 0, nullptr, GI_EVENT_MODE, &od);
    FUZZ_CHECK(app->handles[i] != nullptr);
    app->queues[i] = fake::LastOpened();
  }
  return true;
}

void Stop(App *app) {
  GiTerminate();
  if (gGiDriverLoss != GI_LOSS_NONE) GiTerminate();  // after the driver's farewell
  FUZZ_CHECK(fake::S().timerDepth == 0);
  *app = App();
}

void CheckResult(int32_t r) {
  FUZZ_CHECK(r >= GI_NO_ERROR && r <= GI_INTERNAL_ERROR);
  FUZZ_CHECK(GiLastError == r);
  FUZZ_CHECK(fake::S().timerDepth >= 0 && fake::S().timerDepth <= 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fake::Reset();
  App app;
  FUZZ_CHECK(Start(&app));
  FuzzReader in(data, size);
  for (int steps = 0; in.Left() > 0 && steps < 400; steps++) {
    const uint8_t op = in.Byte();
    const int which = op >> 7;
    fake::Opened *q = app.queues[which];
    GiHandle h = app.handles[which];
    switch (op & 0x7) {
      case 0: {  // a record of any content, as the driver writes one
        GiEvent ev;
        size_t n;
        memset(&ev, 0, sizeof ev);
        memcpy(&ev, in.Take(sizeof ev, &n), n);
        fake::Put(q, ev, in.Byte() % 2 ? GI_EVENT_SHORT_SIZE : GI_EVENT_FULL_SIZE);
        break;
      }
      case 1: {  // a well-formed motion record with chosen values
        GiEvent ev = fake::Motion((int32_t)in.Word32(), (int32_t)in.Word32());
        ev.rz = (int32_t)in.Word32();
        ev.type = 2 + in.Byte() % 3;  // motion, combo, zero
        fake::Put(q, ev);
        break;
      }
      case 2: {  // bytes scribbled into the ring
        uint16_t at = in.Word16() % CHANNEL_RING_SIZE;
        size_t n;
        const uint8_t *bytes = in.Take(in.Byte() % 16, &n);
        for (size_t i = 0; i < n; i++) q->queue->ring[(at + i) % CHANNEL_RING_SIZE] = bytes[i];
        break;
      }
      case 3:  // offsets of any value
        if (in.Byte() % 2)
          q->queue->writeOffset = (int32_t)in.Word32();
        else
          q->queue->readOffset = (int16_t)in.Word16();
        break;
      case 4:  // a notice of any kind and number
        fake::PostNotice(q, in.Byte(), in.Word16());
        break;
      case 5:  // time passes
        fake::S().clock += in.Byte() % 2 ? in.Byte() : in.Word32();
        break;
      case 6: {  // the application's loop takes one message, or polls
        if (h == nullptr) break;
        GiEvent ev;
        const int32_t options = in.Byte() & GI_FIXED_PERIOD;
        GiGetEventData d;
        int32_t r;
        if (in.Byte() % 4 == 0 || !fake::NextMessage(&d)) {
          r = GiGetEvent(h, options, nullptr, &ev);
        } else {
          GiHandle found;
          if (!GiFindEventHandle(&d, &found)) break;
          r = GiGetEvent(found, options, &d, &ev);
        }
        CheckResult(r);
        break;
      }
      case 7:  // the application starts over (after the driver went, say)
        Stop(&app);
        if (!Start(&app)) return 0;
        break;
    }
  }
  Stop(&app);
  fake::Reset();
  return 0;
}
