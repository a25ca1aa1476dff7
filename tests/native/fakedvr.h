// fakedvr.h — the driver's portable core (request service, handles, focus,
// routing, delivery) on a desk: the channel's driver half (dvrmmap.h) over an
// in-memory request block and in-memory event queues with the real ring
// codec, a scripted desktop behind dvrplat.h (windows, their processes, the
// foreground, the random bits), the settings side's actions recorded, and
// controllers on virtual ports (udfake.h) that answer their identification.
// Include it in exactly one file per test executable.
#ifndef GYX_TESTS_FAKEDVR_H
#define GYX_TESTS_FAKEDVR_H

#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "driver/dvrfocus.h"
#include "driver/dvrgi.h"
#include "driver/dvrhandle.h"
#include "driver/dvrmmap.h"
#include "driver/dvrplat.h"
#include "driver/dvrsvreq.h"
#include "driver/gyxextrn.h"
#include "driver/ui.h"
#include "lib/channel.h"
#include "lib/reqcodes.h"
#include "lib/ring.h"
#include "lib/seqnum.h"
#include "lib/wire.h"
#include "udfake.h"

namespace fakedvr {

// A notice the driver posted.
struct Notice {
  void *window;
  uint32_t message;
  uint32_t slot;
  uint32_t kind;
  uint16_t seq;
};

// One event queue: the link the driver holds and the mapping's bytes.
struct Queue {
  QueueLink link;
  EventQueue mem;
};

struct State {
  // Channel.
  RequestBlock block;  // as the applications see it
  uint8_t privateData[CHANNEL_MAX_REQUEST];
  bool replyPending = false;
  int replySignals = 0;  // reply semaphore releases
  std::vector<std::unique_ptr<Queue>> queues;
  int32_t slotCounter = 0;
  int queuesCreated = 0;
  bool failQueues = false;  // creating a queue fails (all 100 names held)
  std::vector<Notice> notices;
  int32_t lastStatus = 0;
  // Desktop.
  void *foreground = nullptr;
  int foregroundLooks = 0;             // DvrPlatForegroundWindow calls
  std::map<void *, uint32_t> windows;  // live windows and their processes
  void *settingsWindow = nullptr;
  std::deque<uint32_t> randoms;  // bits DvrPlatRandom32 hands out first
  uint32_t randomState = 0x12345678u;
  // Settings side.
  int toggles = 0;
  int rezeros = 0;
  // Log of the driver's own failures (the device layer logs into udfake).
  std::vector<int32_t> logged;
};

inline State &S() {
  static State s;
  return s;
}

inline void Reset() {
  S() = State();
  std::memset(&S().block, 0, sizeof S().block);
  gDvrQuit = 0;
  DvrFocusReset();
}

inline Queue *QueueOf(const QueueLink *link) {
  for (auto &q : S().queues)
    if (&q->link == link) return q.get();
  return nullptr;
}

inline Queue *QueueInSlot(int32_t slot) {
  for (auto &q : S().queues)
    if (q->link.slot == slot) return q.get();
  return nullptr;
}

// Notices posted to window since the last call, taken.
inline std::vector<Notice> TakeNotices(void *window) {
  std::vector<Notice> out, rest;
  for (const Notice &n : S().notices) (n.window == window ? out : rest).push_back(n);
  S().notices = rest;
  return out;
}

// Reads the record with sequence number seq from a queue as an application
// would; false when it is not there.
inline bool ReadEvent(Queue *q, uint16_t seq, GiEvent *ev) {
  std::memset(ev, 0, sizeof *ev);
  int32_t r = q->mem.readOffset;
  if (RingReadRecord(q->mem.ring, CHANNEL_RING_SIZE, &r, q->mem.writeOffset, seq, ev, sizeof *ev, nullptr) !=
      0)
    return false;
  q->mem.readOffset = r;
  return true;
}

// ---- Requests, sent as an application does --------------------------------

struct Answer {
  int32_t status = 0;  // 1 served, negative a transport status; 0 when no reply was wanted
  std::vector<uint8_t> data;
  int32_t Word(size_t i) const { return 4 * i + 4 <= data.size() ? (int32_t)WireGet32(&data[4 * i]) : 0; }
};

// Writes a request into the block, serves it, and reads the reply back.
inline Answer Call(int32_t code, const std::vector<uint8_t> &data, bool replyWanted = true) {
  State &s = S();
  s.block.code = code;
  s.block.replyWanted = replyWanted ? 1u : 0u;
  s.block.length = (int32_t)data.size();
  if (!data.empty()) std::memcpy(s.block.data, data.data(), data.size());
  DvrServeRequest();
  Answer a;
  if (!replyWanted) return a;
  a.status = s.block.code;
  if (a.status == 1 && s.block.length >= 0 && s.block.length <= CHANNEL_MAX_REQUEST)
    a.data.assign(s.block.data, s.block.data + s.block.length);
  return a;
}

struct Args {
  std::vector<uint8_t> data;
  Args &Word(int32_t v) {
    uint8_t b[4];
    WirePut32(b, (uint32_t)v);
    data.insert(data.end(), b, b + 4);
    return *this;
  }
  Args &Bytes(const void *p, size_t n) {
    const uint8_t *b = static_cast<const uint8_t *>(p);
    data.insert(data.end(), b, b + n);
    return *this;
  }
};

inline std::vector<uint8_t> OpenRequest(void *window, int32_t device = -1, uint32_t eventMask = 31,
                                        const char *name = "app") {
  WireOpenRequest r;
  std::memset(&r, 0, sizeof r);
  r.name = (const uint8_t *)name;
  r.nameSize = (int32_t)std::strlen(name) + 1;
  r.deviceId = device;
  r.maskPresent = 1;
  std::memset(r.mask, 0xFF, sizeof r.mask);
  r.mode = GI_EVENT_MODE;
  r.window = (uint32_t)(uintptr_t)window;
  r.eventMask = eventMask;
  std::vector<uint8_t> out((size_t)r.nameSize + WIRE_OPEN_FIXED);
  out.resize((size_t)WireEncodeOpen(out.data(), (int32_t)out.size(), &r));
  return out;
}

inline WireOpenReply Open(void *window, int32_t device = -1, uint32_t eventMask = 31) {
  Answer a = Call(REQ_OPEN, OpenRequest(window, device, eventMask));
  WireOpenReply r = {a.status, 0, -1, -1, 0};
  if (a.data.size() == WIRE_OPEN_REPLY) WireDecodeOpenReply(a.data.data(), &r);
  return r;
}

// ---- Controllers ----------------------------------------------------------

const char kProbe[] = "hv\r";

// A 46-character identification reply of a Quorvanel 2200.
inline std::string Firmware2200() {
  std::string reply = "HvFirmware version 2.10 build 1996-04-01 (c) quorv";
  reply.resize(46, '.');
  return reply;
}

// `count` Quorvanel 2200s on COM1.. as devices 0.., open, each with its
// registered message 0xC000 + index. Their ports record what was written.
inline void OpenDevices(udfake::World *world, int count) {
  udfake::Reset(world);
  for (int i = 0; i < count; i++) {
    std::string port = "COM" + std::to_string(i + 1) + ":";
    world->profile.Set("gyrantx.ini", port, "devicetype", "Quorvanel 2200");
    world->ports[i].onWrite = [world](udfake::Port &p, const std::string &bytes) {
      if (bytes == kProbe) p.SendAt(world->now + 10, Firmware2200() + "\r\n");
    };
  }
  if (UdLoadModels() != 0 || UdLoadDevices() != 0) return;
  for (int i = 0; i < UdDeviceCount(); i++) {
    UdOpenDevice(UdDeviceAt(i));
    UdDeviceAt(i)->message = 0xC000u + (uint32_t)i;
    world->ports[i].written.clear();
  }
}

}  // namespace fakedvr

// ---- The channel's driver half ----------------------------------------------

static int FakeFail(int status) {
  fakedvr::S().lastStatus = status;
  fakedvr::S().logged.push_back(status);
  return status;
}

int DvrMmapTakeRequest(int32_t *code, uint8_t **data, int32_t *length) {
  fakedvr::State &s = fakedvr::S();
  int32_t n = s.block.length;
  if (n < 0 || n > CHANNEL_MAX_REQUEST) {
    FakeFail(TRANS_LENGTH);
    n = -1;
  }
  *code = s.block.code;
  *length = n;
  s.replyPending = s.block.replyWanted != 0;
  if (s.replyPending) {
    *data = s.block.data;
  } else {
    if (n > 0) std::memcpy(s.privateData, s.block.data, (size_t)n);
    *data = s.privateData;
    s.replySignals++;
  }
  return 0;
}

int DvrMmapReply(int32_t n) {
  fakedvr::State &s = fakedvr::S();
  if (!s.replyPending) return FakeFail(TRANS_NO_REPLY_PENDING);
  if (n > CHANNEL_MAX_REQUEST) n = FakeFail(TRANS_LENGTH);
  s.block.code = n < 0 ? n : 1;
  s.block.length = n < 0 ? 0 : n;
  s.replyPending = false;
  s.replySignals++;
  return n < 0 ? n : 0;
}

int DvrMmapReplyPending(void) {
  return fakedvr::S().replyPending;
}

QueueLink *DvrMmapCreateQueue(void *window) {
  fakedvr::State &s = fakedvr::S();
  if (s.failQueues) {
    FakeFail(TRANS_MAPPING);
    return nullptr;
  }
  auto q = std::make_unique<fakedvr::Queue>();
  std::memset(&q->mem, 0, sizeof q->mem);
  q->link = QueueLink();
  q->link.sequence = 1;
  q->link.window = window;
  QueueLinkSetView(&q->link, reinterpret_cast<uint8_t *>(&q->mem), CHANNEL_RING_SIZE);
  q->link.slot = s.slotCounter;
  s.slotCounter = (s.slotCounter + 1) % CHANNEL_MAX_SLOTS;
  s.queuesCreated++;
  s.queues.push_back(std::move(q));
  return &s.queues.back()->link;
}

void DvrMmapDestroyQueue(QueueLink *link) {
  auto &qs = fakedvr::S().queues;
  for (size_t i = 0; i < qs.size(); i++) {
    if (&qs[i]->link == link) {
      qs.erase(qs.begin() + (long)i);
      return;
    }
  }
}

void *DvrMmapQueueWindow(QueueLink *link) {
  return fakedvr::QueueOf(link) ? link->window : nullptr;
}

static void Post(QueueLink *link, uint32_t kind, uint16_t seq) {
  fakedvr::S().notices.push_back({link->window, link->message, (uint32_t)link->slot, kind, seq});
}

int32_t DvrMmapQueueFree(QueueLink *link, int32_t reserve) {
  int32_t room = RingFree(*link->readOffset, *link->writeOffset, CHANNEL_RING_SIZE) - 4 * reserve;
  return room < 0 ? 0 : room;
}

int DvrMmapPut(QueueLink *link, int32_t kind, const void *data, int32_t size) {
  int32_t w = *link->writeOffset;
  if (RingPutRecord(link->ringStart, CHANNEL_RING_SIZE, *link->readOffset, &w, (uint16_t)link->sequence, data,
                    (uint16_t)size) != 0) {
    Post(link, (uint32_t)kind, SeqPrev((uint16_t)link->sequence));
    return FakeFail(TRANS_LENGTH);
  }
  *link->writeOffset = w;
  Post(link, (uint32_t)kind, (uint16_t)link->sequence);
  link->sequence = SeqNext((uint16_t)link->sequence);
  return 0;
}

uint16_t DvrMmapResetQueue(QueueLink *link) {
  *link->readOffset = 0;
  *link->writeOffset = 0;
  uint16_t seq = (uint16_t)link->sequence;
  Post(link, NOTICE_QUEUE_RESET, seq);
  link->sequence = SeqNext(seq);
  return seq;
}

int32_t DvrMmapLastStatus(void) {
  return fakedvr::S().lastStatus;
}

// ---- The desktop, the settings side and the log ---------------------------------

extern "C" {

void *DvrPlatForegroundWindow(void) {
  fakedvr::S().foregroundLooks++;
  return fakedvr::S().foreground;
}

uint32_t DvrPlatWindowProcess(void *window) {
  auto &w = fakedvr::S().windows;
  auto it = w.find(window);
  return it == w.end() ? 0 : it->second;
}

int DvrPlatWindowAlive(void *window) {
  return window && fakedvr::S().windows.count(window) ? 1 : 0;
}

uint32_t DvrPlatRandom32(void) {
  fakedvr::State &s = fakedvr::S();
  if (!s.randoms.empty()) {
    uint32_t v = s.randoms.front();
    s.randoms.pop_front();
    return v;
  }
  s.randomState = s.randomState * 1664525u + 1013904223u;
  return s.randomState;
}

int32_t GiLogError(const char *, int32_t, int32_t code) {
  fakedvr::S().logged.push_back(code);
  return code;
}

}  // extern "C"

void UiToggleSettings(void) {
  fakedvr::S().toggles++;
}

void UiRezero(UdDevice *dev) {
  fakedvr::S().rezeros++;
  UdBeep(dev, "cC");
  UdRezero(dev);
}

void *UiSettingsWindow(void) {
  return fakedvr::S().settingsWindow;
}

void UiFollowFocus(DvrHandle *) {}  // the window's logic has tests of its own

#endif
