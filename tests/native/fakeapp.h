// fakeapp.h — an in-memory driver and window system under the input
// library's portable calls: the channel's application half (appmmap.h), the
// platform calls (appplat.h) and the diagnostic log. The fake driver serves
// requests like the real one by default; tests change its answers, post
// events into real rings (the ring codec of lib/ring.h) and read what the
// library sent. Include it in exactly one file per test executable.
#ifndef GYX_TESTS_FAKEAPP_H
#define GYX_TESTS_FAKEAPP_H

#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "lib/appmmap.h"
#include "lib/appplat.h"
#include "lib/gistate.h"
#include "lib/gyrantrix.h"
#include "lib/reqcodes.h"
#include "lib/ring.h"
#include "lib/seqnum.h"
#include "lib/wire.h"

namespace fake {

struct Request {
  int32_t code;
  std::vector<uint8_t> data;
  int replyWanted;
  int32_t Word(size_t i) const {
    return 4 * i + 4 <= data.size() ? (int32_t)WireGet32(data.data() + 4 * i) : 0;
  }
};

// status 1 = served; a negative transport status is what the driver answered.
struct Reply {
  int32_t status = 1;
  std::vector<uint8_t> data;
};

inline Reply Words(std::initializer_list<int32_t> words) {
  Reply r;
  for (int32_t w : words) {
    uint8_t b[4];
    WirePut32(b, (uint32_t)w);
    r.data.insert(r.data.end(), b, b + 4);
  }
  return r;
}

// A status word and a query record, as the driver encodes them.
inline Reply StatusAnd(int32_t status, const GiPortInfo &p) {
  Reply r = Words({status});
  r.data.resize(WIRE_PORT_REPLY);
  WireEncodePortInfo(r.data.data() + WIRE_RECORD, &p);
  return r;
}
inline Reply StatusAnd(int32_t status, const GiDriverInfo &d) {
  Reply r = Words({status});
  r.data.resize(WIRE_DRIVER_REPLY);
  WireEncodeDriverInfo(r.data.data() + WIRE_RECORD, &d);
  return r;
}
inline Reply StatusAnd(int32_t status, const GiDeviceInfo &d) {
  Reply r = Words({status});
  r.data.resize(WIRE_DEVICE_INFO_REPLY);
  WireEncodeDeviceInfo(r.data.data() + WIRE_RECORD, &d);
  return r;
}

struct Message {
  void *window;
  uint32_t message, wParam, lParam;
};

// One handle the fake driver gave out, with its queue.
struct Opened {
  uint32_t handle;
  int32_t deviceId;
  int32_t slot;
  uint32_t message;
  void *window;
  uint16_t nextSeq = 1;
  std::unique_ptr<EventQueue> queue;
};

struct State {
  // Channel.
  int attached = 0;
  int attachCalls = 0;
  std::deque<int> attachResults;  // consumed per attach; 0 when empty
  int sendStatus = 0;             // the next sends fail with it when non-zero
  int readStatus = 0;             // AppMmapReadEvent fails with it when non-zero
  bool driverChanged = false;
  std::vector<Request> requests;
  std::function<Reply(const Request &)> serve;  // overrides the default driver
  Reply pending;
  bool replyPending = false;
  int32_t lastStatus = 0;
  std::vector<QueueLink *> links;
  // Driver model.
  int32_t numDevices = 2;
  uint32_t nextHandle = 0x5A000001;
  int32_t nextSlot = 7;
  std::vector<std::unique_ptr<Opened>> opened;
  // Platform.
  std::string home = "C:\\gyx";
  std::set<std::string> files;
  bool startOk = true;
  std::vector<std::string> started;
  std::deque<int> attachAfterStart;  // attach results once the program has started
  std::vector<uint32_t> sleeps;
  uint32_t clock = 100000;
  int timerDepth = 0;
  std::deque<Message> messages;
  int queueCalls = 0;      // AppPlatPeekFirst calls: each is a server round trip under Wine
  bool postFails = false;  // AppPlatPost refuses (a full queue)
  // Log.
  std::vector<int32_t> logged;
};

inline State &S() {
  static State s;
  return s;
}

inline Opened *FindOpened(uint32_t handle) {
  for (auto &o : S().opened)
    if (o->handle == handle) return o.get();
  return nullptr;
}

inline Opened *LastOpened() {
  return S().opened.empty() ? nullptr : S().opened.back().get();
}

// The real driver's answers, in miniature.
inline Reply DefaultServe(const Request &r) {
  State &s = S();
  switch (r.code) {
    case REQ_VERSION:
      return Words({r.Word(0) == 1 && r.Word(1) == 0 ? 0 : -1});
    case REQ_GET_NUM_DEVICES:
      return Words({s.numDevices});
    case REQ_GET_DEVICE_PORT: {
      GiPortInfo p;
      std::memset(&p, 0, sizeof p);
      p.deviceId = r.Word(0);
      p.deviceType = 1;
      p.deviceClass = 63;
      std::strcpy(p.typeName, "Quorvanel 2200");
      std::strcpy(p.portName, "COM1:");
      return StatusAnd(0, p);
    }
    case REQ_GET_DRIVER_INFO: {
      GiDriverInfo d;
      std::memset(&d, 0, sizeof d);
      d.major = 8;
      d.build = 15;
      std::strcpy(d.version, "Gyrantrix Driver version 8.0");
      std::strcpy(d.date, "January 31, 1997");
      return StatusAnd(0, d);
    }
    case REQ_GET_DEVICE_INFO: {
      if (!FindOpened((uint32_t)r.Word(0))) return Words({GI_BAD_HANDLE});
      GiDeviceInfo d;
      std::memset(&d, 0, sizeof d);
      d.deviceType = 1;
      d.numButtons = 9;
      d.numDegrees = 6;
      d.canBeep = 1;
      std::strcpy(d.firmware, "fake firmware");
      return StatusAnd(0, d);
    }
    case REQ_OPEN: {
      WireOpenRequest open;
      if (!WireDecodeOpen(r.data.data(), (int32_t)r.data.size(), &open)) return Reply{TRANS_LENGTH, {}};
      auto o = std::make_unique<Opened>();
      o->handle = s.nextHandle++;
      o->deviceId = open.deviceId < 0 ? 0 : open.deviceId;
      o->slot = s.nextSlot++;
      o->message = 0xC100 + (uint32_t)o->deviceId;
      o->window = (void *)(intptr_t)(int32_t)open.window;
      o->queue = std::make_unique<EventQueue>();
      std::memset(o->queue.get(), 0, sizeof(EventQueue));
      Reply rep;
      rep.data.resize(WIRE_OPEN_REPLY);
      const WireOpenReply reply = {0, o->handle, o->deviceId, o->slot, o->message};
      WireEncodeOpenReply(rep.data.data(), &reply);
      s.opened.push_back(std::move(o));
      return rep;
    }
    case REQ_GRAB:
      return Words({0});
    case REQ_RESET_QUEUE: {
      Opened *o = FindOpened((uint32_t)r.Word(0));
      if (!o) return Reply{1, std::vector<uint8_t>(WIRE_RESET_REPLY, 0)};
      o->queue->readOffset = 0;
      o->queue->writeOffset = 0;
      uint16_t seq = o->nextSeq;
      o->nextSeq = SeqNext(seq);
      s.messages.push_back({o->window, o->message, (uint32_t)o->slot, NoticeParam(NOTICE_QUEUE_RESET, seq)});
      Reply rep{1, std::vector<uint8_t>(WIRE_RESET_REPLY)};
      WirePut16(rep.data.data() + WIRE_RESET_SEQUENCE, seq);
      return rep;
    }
    default:
      return Reply{TRANS_UNKNOWN_CODE, {}};
  }
}

inline void Reset() {
  for (QueueLink *l : S().links) delete l;
  S() = State();
}

// Requests with a given code, in order.
inline std::vector<Request> Sent(int32_t code) {
  std::vector<Request> out;
  for (const Request &r : S().requests)
    if (r.code == code) out.push_back(r);
  return out;
}

// Writes one record into the handle's ring and posts its notice; returns the
// sequence number used. size 48 for types 1..4 as the driver sends them.
inline uint16_t Put(Opened *o, const GiEvent &ev, int size = GI_EVENT_SHORT_SIZE) {
  int32_t w = o->queue->writeOffset;
  uint16_t seq = o->nextSeq;
  int rc =
      RingPutRecord(o->queue->ring, CHANNEL_RING_SIZE, o->queue->readOffset, &w, seq, &ev, (uint16_t)size);
  if (rc == 0) {
    o->queue->writeOffset = w;
    o->nextSeq = SeqNext(seq);
  } else {
    seq = SeqPrev(o->nextSeq);  // a full ring: the notice repeats the last number
  }
  S().messages.push_back({o->window, o->message, (uint32_t)o->slot, NoticeParam((uint32_t)ev.type, seq)});
  return seq;
}

inline void PostNotice(Opened *o, uint32_t kind, uint16_t seq) {
  S().messages.push_back({o->window, o->message, (uint32_t)o->slot, NoticeParam(kind, seq)});
}

// Takes the next queued message as an application's message loop would.
inline bool NextMessage(GiGetEventData *d) {
  if (S().messages.empty()) return false;
  Message m = S().messages.front();
  S().messages.pop_front();
  GiGetEventWinInit(d, m.message, m.wParam, (intptr_t)(int32_t)m.lParam);
  return true;
}

inline GiEvent Motion(int32_t tx, int32_t period) {
  GiEvent ev;
  std::memset(&ev, 0, sizeof ev);
  ev.type = GI_MOTION_EVENT;
  ev.tx = tx;
  ev.period = period;
  return ev;
}

inline GiEvent Buttons(int32_t type, uint32_t last, uint32_t current) {
  GiEvent ev;
  std::memset(&ev, 0, sizeof ev);
  ev.type = type;
  ev.last = last;
  ev.current = current;
  ev.pressed = current & ~last;
  ev.released = last & ~current;
  return ev;
}

}  // namespace fake

// ---- the channel's application half (C++ linkage, as appmmap.h declares it) ----

int AppMmapAttach(void) {
  fake::State &s = fake::S();
  s.attachCalls++;
  if (s.attached) return s.lastStatus = TRANS_NOT_ATTACHED;
  int rc = 0;
  if (!s.attachResults.empty()) {
    rc = s.attachResults.front();
    s.attachResults.pop_front();
  }
  if (rc == 0) {
    s.attached = 1;
    s.driverChanged = false;
  }
  return s.lastStatus = rc;
}

void AppMmapDetach(void) {
  fake::State &s = fake::S();
  for (QueueLink *l : s.links) delete l;
  s.links.clear();
  s.attached = 0;
}

int AppMmapSend(int32_t code, const void *data, int32_t length, int replyWanted) {
  fake::State &s = fake::S();
  if (!s.attached) return s.lastStatus = TRANS_NOT_ATTACHED;
  if (s.driverChanged) return s.lastStatus = TRANS_NO_DRIVER;
  if (length < 0 || length > CHANNEL_MAX_REQUEST) return s.lastStatus = TRANS_LENGTH;
  if (s.sendStatus != 0) return s.lastStatus = s.sendStatus;
  fake::Request r{code, {}, replyWanted};
  if (length > 0) r.data.assign((const uint8_t *)data, (const uint8_t *)data + length);
  s.requests.push_back(r);
  fake::Reply reply = s.serve ? s.serve(r) : fake::DefaultServe(r);
  if (replyWanted) {
    s.pending = reply;
    s.replyPending = true;
  }
  return 0;
}

int AppMmapReceive(void *buffer, int32_t capacity) {
  fake::State &s = fake::S();
  if (!s.replyPending) return s.lastStatus = TRANS_NOT_ATTACHED;
  s.replyPending = false;
  if (s.driverChanged) return s.lastStatus = TRANS_NO_DRIVER;
  if (s.pending.status < 0) {
    s.lastStatus = s.pending.status;
    return TRANS_NOT_ATTACHED;
  }
  if ((int32_t)s.pending.data.size() > capacity) return s.lastStatus = TRANS_LENGTH;
  if (!s.pending.data.empty()) std::memcpy(buffer, s.pending.data.data(), s.pending.data.size());
  return (int)s.pending.data.size();
}

QueueLink *AppMmapOpenQueue(int32_t slot) {
  fake::State &s = fake::S();
  if (s.driverChanged) return nullptr;
  // The newest queue of that slot: an earlier driver's may have had it too.
  for (auto it = s.opened.rbegin(); it != s.opened.rend(); ++it) {
    auto &o = *it;
    if (o->slot != slot) continue;
    QueueLink *l = new QueueLink();
    uint8_t *view = reinterpret_cast<uint8_t *>(o->queue.get());
    l->slot = slot;
    l->view = view;
    l->writeOffset = &o->queue->writeOffset;
    l->readOffset = &o->queue->readOffset;
    l->ringStart = o->queue->ring;
    l->ringEnd = o->queue->ring + CHANNEL_RING_SIZE;
    s.links.push_back(l);
    return l;
  }
  return nullptr;
}

void AppMmapCloseQueue(QueueLink *link) {
  fake::State &s = fake::S();
  for (size_t i = 0; i < s.links.size(); i++) {
    if (s.links[i] == link) {
      delete link;
      s.links.erase(s.links.begin() + (long)i);
      return;
    }
  }
}

int AppMmapReadEvent(QueueLink *link, uint16_t sequence, void *buffer, int32_t capacity) {
  fake::State &s = fake::S();
  if (!link) return TRANS_NOT_ATTACHED;
  if (s.driverChanged) return TRANS_NO_DRIVER;
  if (s.readStatus != 0) return s.readStatus;
  int32_t size = (int32_t)(link->ringEnd - link->ringStart);
  int32_t r = *link->readOffset, w = *link->writeOffset;
  if (!RingOffsetsValid(r, w, size)) return TRANS_INCOMPLETE;
  int rc = RingReadRecord(link->ringStart, size, &r, w, sequence, buffer, capacity, nullptr);
  if (rc != 0) return rc;
  *link->readOffset = r;
  return 0;
}

int AppMmapPeekEvent(QueueLink *link, uint16_t *sequence, int32_t *type) {
  fake::State &s = fake::S();
  if (!link || s.driverChanged) return -1;
  return QueueLinkPeekType(link, sequence, type);
}

int AppMmapDriverChanged(void) {
  return fake::S().attached && fake::S().driverChanged;
}
int AppMmapIsAttached(void) {
  return fake::S().attached;
}
int32_t AppMmapLastStatus(void) {
  return fake::S().lastStatus;
}
int32_t AppMmapMaxRequest(void) {
  return CHANNEL_MAX_REQUEST;
}
int32_t AppMmapRingSize(void) {
  return CHANNEL_RING_SIZE;
}

// ---- the platform ----
extern "C" {

int AppPlatHomeDir(char *buf, int size) {
  std::strncpy(buf, fake::S().home.c_str(), (size_t)size - 1);
  buf[size - 1] = '\0';
  return (int)std::strlen(buf);
}

int AppPlatFileExists(const char *path) {
  return fake::S().files.count(path) ? 1 : 0;
}

int AppPlatStartProgram(const char *path) {
  fake::State &s = fake::S();
  if (!s.startOk) return 0;
  s.started.push_back(path);
  s.attachResults = s.attachAfterStart;
  return 1;
}

void AppPlatSleep(uint32_t ms) {
  fake::S().sleeps.push_back(ms);
  fake::S().clock += ms;
}

uint32_t AppPlatTime(void) {
  return fake::S().clock;
}
void AppPlatTimerBegin(void) {
  fake::S().timerDepth++;
}
void AppPlatTimerEnd(void) {
  fake::S().timerDepth--;
}

// As Win32 does: the first message of that window and number, nothing behind it.
int AppPlatPeekFirst(void *window, uint32_t message, int remove, GiGetEventData *out) {
  fake::S().queueCalls++;
  auto &q = fake::S().messages;
  for (auto it = q.begin(); it != q.end(); ++it) {
    if (it->window != window || it->message != message) continue;
    GiGetEventWinInit(out, it->message, it->wParam, (intptr_t)(int32_t)it->lParam);
    if (remove) q.erase(it);
    return 1;
  }
  return 0;
}

int AppPlatPost(void *window, uint32_t message, uint32_t wParam, uint32_t lParam) {
  if (fake::S().postFails) return 0;
  fake::S().messages.push_back({window, message, wParam, lParam});
  return 1;
}

void AppPlatDropNotices(void *window, uint32_t message) {
  auto &q = fake::S().messages;
  for (auto it = q.begin(); it != q.end();) {
    if (it->window == window && it->message == message)
      it = q.erase(it);
    else
      ++it;
  }
}

// ---- the diagnostic log ----
int32_t GiLogError(const char *, int32_t, int32_t code) {
  fake::S().logged.push_back(code);
  return code;
}

}  // extern "C"

#endif
