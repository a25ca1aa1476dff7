// reqserve_fuzz.cpp — the driver's request service fed arbitrary request
// blocks (code, reply flag, length word, data) against a driver with two
// controllers and open handles in three windows of two processes, mixed
// with device input, foreground changes and windows vanishing. The channel,
// the desktop and the controllers are the in-memory ones of the native tests
// (fakedvr.h). Besides the sanitizers it checks after every step that a
// request wanting a reply got one of the channel's answers, that every
// handle list, exclusive-use slot and focus handle names open handles of its
// own device, and that each open handle has its one queue.
//
// Input: a script of one-byte operations and their arguments.
#include <limits.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "driver/dvrinput.h"
#include "fuzzkit.h"
#include "tests/native/fakedvr.h"

namespace {

void *const kWindows[] = {(void *)0x1000, (void *)0x2000, (void *)0x3000};
const uint32_t kProcesses[] = {10, 20, 10};
void *const kSettings = (void *)0x9000;

// Every code the service knows, its neighbours, and the extremes.
const int32_t kCodes[] = {0,   1,   2,   3,   4,   5,   100, 101, 102, 103, 104,     105,    106,
                          107, 108, 109, 110, 111, 112, 113, 114, 115, 116, 117,     118,    119,
                          120, 121, 122, 123, 124, 125, 200, 201, 202, -1,  INT_MAX, INT_MIN};

bool Listed(const UdDevice *dev, const DvrHandle *h) {
  for (const DvrHandle *p = dev->handles; p; p = p->next)
    if (p == h) return true;
  return false;
}

void CheckDriver() {
  size_t open = 0;
  for (int32_t i = 0; i < UdDeviceCount(); i++) {
    const UdDevice *dev = UdDeviceAt(i);
    for (const DvrHandle *h = dev->handles; h; h = h->next) {
      FUZZ_CHECK(h->magic == DVR_HANDLE_MAGIC);
      FUZZ_CHECK(h->device == dev);
      FUZZ_CHECK(h->value != 0 && DvrHandleFind(h->value) == h);
      FUZZ_CHECK(fakedvr::QueueOf(h->queue) != nullptr);
      FUZZ_CHECK(++open <= 10000);
    }
    FUZZ_CHECK(dev->grabSlot == nullptr || Listed(dev, dev->grabSlot));
    FUZZ_CHECK(dev->backgroundSlot == nullptr || Listed(dev, dev->backgroundSlot));
    FUZZ_CHECK(dev->focus == nullptr || Listed(dev, dev->focus));
  }
  FUZZ_CHECK(fakedvr::S().queues.size() == open);
  FUZZ_CHECK(!fakedvr::S().replyPending);
}

void Request(FuzzReader &in, const std::vector<uint32_t> &values) {
  fakedvr::State &s = fakedvr::S();
  const uint8_t how = in.Byte();
  const int32_t code =
      how & 1 ? kCodes[in.Byte() % (sizeof kCodes / sizeof kCodes[0])] : (int32_t)in.Word32();
  const bool replyWanted = how & 2;
  size_t n;
  const uint8_t *bytes = in.Take(in.Word16() % (CHANNEL_MAX_REQUEST + 1), &n);
  memcpy(s.block.data, bytes, n);  // what lies behind stays from earlier requests
  // Most requests name an open handle, so that the handlers go past the lookup.
  if ((how & 4) && !values.empty() && n >= 4) WirePut32(s.block.data, values[in.Byte() % values.size()]);
  s.block.code = code;
  s.block.replyWanted = replyWanted ? 1u : 0u;
  s.block.length = how & 8 ? (int32_t)in.Word32() : (int32_t)n;  // any length word, negative and huge too
  s.block.stamp = 0x5EED;
  DvrServeRequest();
  FUZZ_CHECK(s.block.stamp == 0x5EED);
  if (replyWanted) {
    const int32_t status = s.block.code;
    FUZZ_CHECK(status == 1 || (status <= TRANS_NOT_ATTACHED && status >= TRANS_INCOMPLETE));
    FUZZ_CHECK(s.block.length >= 0 && s.block.length <= CHANNEL_MAX_REQUEST);
    FUZZ_CHECK(status == 1 || s.block.length == 0);
  }
}

std::vector<uint32_t> OpenValues() {
  std::vector<uint32_t> values;
  for (int32_t i = 0; i < UdDeviceCount(); i++)
    for (const DvrHandle *h = UdDeviceAt(i)->handles; h; h = h->next) values.push_back(h->value);
  return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  udfake::World world;
  fakedvr::Reset();
  fakedvr::OpenDevices(&world, 2);
  FUZZ_CHECK(UdDeviceCount() == 2);
  fakedvr::State &s = fakedvr::S();
  for (int i = 0; i < 3; i++) s.windows[kWindows[i]] = kProcesses[i];
  s.settingsWindow = kSettings;
  s.windows[kSettings] = 99;
  s.foreground = kWindows[0];
  for (int i = 0; i < 3; i++) FUZZ_CHECK(fakedvr::Open(kWindows[i], i == 1 ? 1 : -1).status == GI_NO_ERROR);
  CheckDriver();

  FuzzReader in(data, size);
  for (int steps = 0; in.Left() > 0 && steps < 200; steps++) {
    const uint8_t op = in.Byte();
    switch (op % 8) {
      case 0:
      case 1:
      case 2:
      case 3:
        Request(in, OpenValues());
        break;
      case 4: {  // another window in front, the settings window, or none
        const uint8_t w = in.Byte() % 5;
        s.foreground = w < 3 ? kWindows[w] : w == 3 ? kSettings : nullptr;
        break;
      }
      case 5: {  // a window vanishes or comes back
        const uint8_t w = in.Byte() % 3;
        if (s.windows.count(kWindows[w]))
          s.windows.erase(kWindows[w]);
        else
          s.windows[kWindows[w]] = kProcesses[w];
        break;
      }
      case 6: {  // a controller sends bytes
        const int device = in.Byte() % 2;
        size_t n;
        const uint8_t *bytes = in.Take(in.Byte(), &n);
        world.ports[device].SendAt(world.now, std::string((const char *)bytes, n));
        DvrProcessInput(device);
        break;
      }
      case 7:
        DvrFocusPoll();
        break;
    }
    CheckDriver();
  }
  DvrCloseAllHandles();
  return 0;
}
