// The driver's request service on an in-memory channel with a 2200 on a
// virtual port: every served code and its reply, short and malformed
// requests, open and close with their beeps, the exclusive-use slots, the
// converse's capacity, requests that want no reply, shutdown and pruning, and
// the handle values applications are given.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "fakedvr.h"

namespace {

using fakedvr::Answer;
using fakedvr::Args;
using fakedvr::Call;

void *const kWindowA = (void *)0x1000;
void *const kWindowB = (void *)0x2000;

class Service : public ::testing::Test {
 protected:
  udfake::World world;
  void SetUp() override {
    fakedvr::Reset();
    fakedvr::OpenDevices(&world, 1);
    ASSERT_EQ(UdDeviceCount(), 1);
    ASSERT_TRUE(UdDeviceIsOpen(UdDeviceAt(0)));
    fakedvr::S().windows = {{kWindowA, 10}, {kWindowB, 20}};
    fakedvr::S().foreground = kWindowA;
  }
  void TearDown() override { DvrCloseAllHandles(); }
  std::string &Written() { return world.ports[0].written; }
  int32_t OpenHandle(void *window = kWindowA) {
    WireOpenReply r = fakedvr::Open(window);
    EXPECT_EQ(r.status, GI_NO_ERROR);
    return (int32_t)r.handle;
  }
};

TEST_F(Service, ServedCodesAndTheirReplies) {
  struct Case {
    const char *what;
    int32_t code;
    std::vector<uint8_t> args;
    int32_t status;              // 1 served, else the transport status
    std::vector<int32_t> words;  // the reply's first words
    size_t size;                 // bytes of the reply
  };
  const Case cases[] = {
      {"transport info", REQ_TRANSPORT_INFO, {}, 1, {512, 1800}, 8},
      {"version 1.0", REQ_VERSION, Args().Word(1).Word(0).data, 1, {0}, 4},
      {"version 2.0", REQ_VERSION, Args().Word(2).Word(0).data, 1, {-1}, 4},
      {"device count", REQ_GET_NUM_DEVICES, {}, 1, {1}, 4},
      {"port of device 0",
       REQ_GET_DEVICE_PORT,
       Args().Word(0).data,
       1,
       {GI_NO_ERROR, 0, GI_TYPE_QUORVANEL_2200, GI_CLASS_QUORVANEL_BALL},
       272},
      {"port of device 1", REQ_GET_DEVICE_PORT, Args().Word(1).data, 1, {GI_BAD_ID}, 272},
      {"driver", REQ_GET_DRIVER_INFO, {}, 1, {GI_NO_ERROR, 8, 0, 15}, 272},
      {"105", REQ_UNSUPPORTED_105, {}, 1, {GI_UNSUPPORTED}, 4},
      {"106", REQ_UNSUPPORTED_106, {}, 1, {GI_UNSUPPORTED}, 4},
      {"107", REQ_UNSUPPORTED_107, {}, 1, {GI_UNSUPPORTED}, 4},
      {"data mode of 0", REQ_GET_DATA_MODE, Args().Word(0).data, 1, {GI_NO_ERROR, 1}, 8},
      {"data mode of any", REQ_GET_DATA_MODE, Args().Word(-1).data, 1, {GI_NO_ERROR, 1}, 8},
      {"data mode of 7", REQ_GET_DATA_MODE, Args().Word(7).data, 1, {GI_BAD_ID}, 8},
      {"102 has no handler", 102, {}, TRANS_UNKNOWN_CODE, {}, 0},
      {"117 has no handler", 117, {}, TRANS_UNKNOWN_CODE, {}, 0},
      {"0 has no handler", 0, {}, TRANS_UNKNOWN_CODE, {}, 0},
      {"110 answers nothing", REQ_IGNORED_110, {}, TRANS_NO_REPLY_GIVEN, {}, 0},
      {"close answers nothing", REQ_CLOSE, Args().Word(5).data, TRANS_NO_REPLY_GIVEN, {}, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    Answer a = Call(c.code, c.args);
    EXPECT_EQ(a.status, c.status);
    ASSERT_EQ(a.data.size(), c.size);
    for (size_t i = 0; i < c.words.size(); i++) EXPECT_EQ(a.Word(i), c.words[i]) << "word " << i;
  }
  Answer port = Call(REQ_GET_DEVICE_PORT, Args().Word(0).data);
  GiPortInfo info;
  WireDecodePortInfo(&port.data[WIRE_RECORD], &info);
  EXPECT_STREQ(info.typeName, "Quorvanel 2200");
  EXPECT_STREQ(info.portName, "COM1:");
  Answer drv = Call(REQ_GET_DRIVER_INFO, {});
  GiDriverInfo d;
  WireDecodeDriverInfo(&drv.data[WIRE_RECORD], &d);
  EXPECT_STREQ(d.version, "Gyrantrix Driver version 8.0");
  EXPECT_STREQ(d.date, "January 31, 1997");
}

// Every request that carries arguments, cut at every length short of them:
// a replying handler answers -13, the others change nothing.
TEST_F(Service, ShortRequestsAreRefusedAtEveryLength) {
  int32_t h = OpenHandle();
  Written().clear();
  struct Case {
    int32_t code;
    std::vector<uint8_t> args;
    bool replies;
  };
  const Case cases[] = {
      {REQ_VERSION, Args().Word(1).Word(0).data, true},
      {REQ_SHUTDOWN, Args().Word(1).data, true},
      {REQ_GET_DEVICE_PORT, Args().Word(0).data, true},
      {REQ_GET_DATA_MODE, Args().Word(0).data, true},
      {REQ_OPEN, fakedvr::OpenRequest(kWindowA), true},
      {REQ_CONVERSE, Args().Word(h).Word(2).Bytes("hi", 2).Word(10).data, true},
      {REQ_GRAB, Args().Word(h).Word(1).data, true},
      {REQ_GET_DEVICE_INFO, Args().Word(h).data, true},
      {REQ_GET_UI_MODE, Args().Word(h).data, true},
      {REQ_RESET_QUEUE, Args().Word(h).data, true},
      {REQ_SET_DATA_MODE, Args().Word(0).Word(0).data, false},
      {REQ_CLOSE, Args().Word(h).data, false},
      {REQ_WRITE, Args().Word(h).Word(2).Bytes("Z\r", 2).data, false},
      {REQ_BEEP, Args().Word(h).data, false},
      {REQ_REZERO, Args().Word(h).data, false},
      {REQ_RELEASE, Args().Word(h).data, false},
      {REQ_SET_UI_MODE, Args().Word(h).Word(0).data, false},
  };
  for (const Case &c : cases) {
    for (size_t len = 0; len < c.args.size(); len++) {
      SCOPED_TRACE(testing::Message() << "code " << c.code << " cut at " << len);
      std::vector<uint8_t> cut(c.args.begin(), c.args.begin() + (long)len);
      Answer a = Call(c.code, cut, c.replies);
      if (c.replies) {
        EXPECT_EQ(a.status, TRANS_LENGTH);
      }
    }
  }
  // None of them touched the handle, the device or the driver.
  EXPECT_NE(DvrHandleFind((uint32_t)h), nullptr);
  EXPECT_EQ(Written(), "");
  EXPECT_EQ(fakedvr::S().queuesCreated, 1) << "a short open makes no queue";
  EXPECT_EQ(gDvrQuit, 0);
  int32_t mode = 0;
  EXPECT_EQ(dvr::GiGetUiMode((uint32_t)h, &mode), GI_NO_ERROR);
  EXPECT_EQ(mode, -1);
}

TEST_F(Service, ImpossibleLengthsInTheBlock) {
  for (int32_t length : {-1, -512, 513, INT32_MAX}) {
    fakedvr::S().block.code = REQ_GET_NUM_DEVICES;
    fakedvr::S().block.replyWanted = 1;
    fakedvr::S().block.length = length;
    DvrServeRequest();
    EXPECT_EQ(fakedvr::S().block.code, TRANS_LENGTH) << length;
    EXPECT_EQ(fakedvr::S().block.length, 0) << length;
  }
  // Without a reply wanted nothing is copied and nothing happens.
  fakedvr::S().block.code = REQ_SHUTDOWN;
  fakedvr::S().block.replyWanted = 0;
  fakedvr::S().block.length = 100000;
  DvrServeRequest();
  EXPECT_EQ(gDvrQuit, 0);
}

// A byte count that runs past the data, or is negative, is short too.
TEST_F(Service, ByteCountsPastTheDataAreShort) {
  int32_t h = OpenHandle();
  Written().clear();
  for (int32_t n : {3, 1000, -1, INT32_MIN}) {
    EXPECT_EQ(Call(REQ_CONVERSE, Args().Word(h).Word(n).Bytes("hi", 2).Word(10).data).status, TRANS_LENGTH)
        << n;
    Call(REQ_WRITE, Args().Word(h).Word(n).Bytes("Z\r", 2).data, false);
  }
  EXPECT_EQ(Written(), "");
}

TEST_F(Service, OpenBeepsAndClosesWithItsHandleRequests) {
  WireOpenReply o = fakedvr::Open(kWindowA);
  ASSERT_EQ(o.status, GI_NO_ERROR);
  EXPECT_NE(o.handle, 0u);
  EXPECT_EQ(o.deviceId, 0);
  EXPECT_EQ(o.slot, 0);
  EXPECT_EQ(o.message, 0xC000u);
  EXPECT_EQ(Written(), "BcCc\r");
  fakedvr::Queue *q = fakedvr::QueueInSlot(o.slot);
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->link.message, 0xC000u) << "notices can be posted from now on";
  EXPECT_EQ(q->link.window, kWindowA);

  const int32_t h = (int32_t)o.handle;
  Answer info = Call(REQ_GET_DEVICE_INFO, Args().Word(h).data);
  ASSERT_EQ(info.data.size(), 148u);
  GiDeviceInfo d;
  WireDecodeDeviceInfo(&info.data[WIRE_RECORD], &d);
  EXPECT_EQ(info.Word(0), GI_NO_ERROR);
  EXPECT_EQ(d.deviceType, GI_TYPE_QUORVANEL_2200);
  EXPECT_EQ(d.numButtons, 9);
  EXPECT_EQ(d.numDegrees, 6);
  EXPECT_NE(d.canBeep, 0);
  EXPECT_EQ(std::string(d.firmware), fakedvr::Firmware2200());

  Answer mode = Call(REQ_GET_UI_MODE, Args().Word(h).data);
  EXPECT_EQ(mode.Word(0), GI_NO_ERROR);
  EXPECT_EQ(mode.Word(1), -1);
  Call(REQ_SET_UI_MODE, Args().Word(h).Word(9).data, false);
  EXPECT_EQ(Call(REQ_GET_UI_MODE, Args().Word(h).data).Word(1), 9);

  Written().clear();
  Call(REQ_BEEP, Args().Word(h).Bytes("cCcCcC", 6).data, false);  // stops at the request's end
  Call(REQ_BEEP, Args().Word(h).Bytes("ccccccccccccccCCCCCC", 20).data, false);
  Call(REQ_REZERO, Args().Word(h).data, false);
  EXPECT_EQ(Written(), "BcCcCcC\rBcccccccccccccc\rZ\r");

  Answer reset = Call(REQ_RESET_QUEUE, Args().Word(h).data);
  ASSERT_EQ(reset.data.size(), 2u);
  EXPECT_EQ(WireGet16(&reset.data[0]), 1);
  auto notices = fakedvr::TakeNotices(kWindowA);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].kind, (uint32_t)NOTICE_QUEUE_RESET);
  EXPECT_EQ(notices[0].seq, 1);
  EXPECT_EQ(notices[0].slot, (uint32_t)o.slot);

  Written().clear();
  Call(REQ_CLOSE, Args().Word(h).data, false);
  EXPECT_EQ(Written(), "Bf\r");
  EXPECT_EQ(fakedvr::QueueInSlot(o.slot), nullptr) << "the queue went with the handle";
  EXPECT_TRUE(fakedvr::TakeNotices(kWindowA).empty()) << "closing posts no notice";

  // The value is dead now: every request for it is a bad handle.
  EXPECT_EQ(Call(REQ_GET_UI_MODE, Args().Word(h).data).Word(0), GI_BAD_HANDLE);
  EXPECT_EQ(Call(REQ_GET_DEVICE_INFO, Args().Word(h).data).Word(0), GI_BAD_HANDLE);
  EXPECT_EQ(Call(REQ_GRAB, Args().Word(h).Word(1).data).Word(0), GI_BAD_HANDLE);
  Answer gone = Call(REQ_RESET_QUEUE, Args().Word(h).data);
  ASSERT_EQ(gone.data.size(), 2u);
  EXPECT_EQ(WireGet16(&gone.data[0]), 0);
  Written().clear();
  Call(REQ_BEEP, Args().Word(h).Bytes("c", 2).data, false);
  Call(REQ_CLOSE, Args().Word(h).data, false);
  EXPECT_EQ(Written(), "");
}

TEST_F(Service, OpenFailuresGiveTheirQueueBack) {
  struct Case {
    const char *what;
    int32_t device, mode;
    uint8_t mask0;
    int32_t status;
  };
  const Case cases[] = {
      {"no such device", 3, GI_EVENT_MODE, 0xFF, GI_BAD_ID},
      {"poll mode", 0, GI_POLL_MODE, 0xFF, GI_UNSUPPORTED},
      {"mode 7", 0, 7, 0xFF, GI_BAD_VALUE},
      {"a mask of the Stick only", -1, GI_EVENT_MODE, 1u << GI_TYPE_QUORVANEL_STICK, GI_FAILED},
  };
  int32_t slot = 0;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    uint8_t mask[8] = {c.mask0, 0, 0, 0, 0, 0, 0, 0};
    if (c.mask0 == 0xFF) std::memset(mask, 0xFF, sizeof mask);
    Args req;
    req.Word(4).Bytes("abc", 4).Word(c.device).Word(1).Bytes(mask, 8).Word(c.mode);
    req.Word(0x1000).Word(0).Word(31);
    Answer a = Call(REQ_OPEN, req.data);
    ASSERT_EQ(a.data.size(), 20u);
    WireOpenReply r;
    WireDecodeOpenReply(a.data.data(), &r);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.handle, 0u);
    EXPECT_EQ(r.deviceId, -1);
    EXPECT_EQ(r.slot, slot++) << "the slot of the queue made for the attempt";
    EXPECT_EQ(r.message, 0u);
    EXPECT_TRUE(fakedvr::S().queues.empty());
  }
  EXPECT_EQ(Written(), "") << "no beep for a failed open";

  fakedvr::S().failQueues = true;
  WireOpenReply r = fakedvr::Open(kWindowA);
  EXPECT_EQ(r.status, GI_FAILED);
  EXPECT_EQ(r.handle, 0u);
  EXPECT_EQ(r.deviceId, -1);
  EXPECT_EQ(r.slot, -1);
  EXPECT_EQ(r.message, 0u);
}

TEST_F(Service, OpenWithoutATypeMaskTakesAnyDevice) {
  Args req;
  req.Word(2).Bytes("x", 2).Word(-1).Word(0).Word(GI_EVENT_MODE).Word(0x1000).Word(0).Word(1);
  Answer a = Call(REQ_OPEN, req.data);
  WireOpenReply r;
  ASSERT_EQ(a.data.size(), 20u);
  WireDecodeOpenReply(a.data.data(), &r);
  EXPECT_EQ(r.status, GI_NO_ERROR);
  DvrHandle *h = DvrHandleFind(r.handle);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->eventMask, 1u) << "the request's event type mask replaces 31";
  EXPECT_STREQ(h->name, "x");
  EXPECT_EQ(h->process, 10u);
}

TEST_F(Service, ExclusiveSlotRules) {
  int32_t a = OpenHandle(kWindowA), b = OpenHandle(kWindowA);
  auto grab = [](int32_t handle, int32_t flag) {
    return Call(REQ_GRAB, Args().Word(handle).Word(flag).data).Word(0);
  };
  EXPECT_EQ(grab(a, 0), GI_NO_ERROR);  // background slot
  EXPECT_EQ(grab(a, 1), GI_FAILED);    // a handle holds one slot at most
  EXPECT_EQ(grab(a, 0), GI_NO_ERROR);  // asking again for its own slot
  EXPECT_EQ(grab(b, 0), GI_FAILED);    // taken
  EXPECT_EQ(grab(b, 1), GI_NO_ERROR);
  Call(REQ_RELEASE, Args().Word(b).data, false);
  EXPECT_EQ(UdDeviceAt(0)->grabSlot, nullptr);
  EXPECT_EQ(grab(a, 1), GI_FAILED);  // still holds the background slot
  // Closing the holder frees its slot.
  Call(REQ_CLOSE, Args().Word(a).data, false);
  EXPECT_EQ(UdDeviceAt(0)->backgroundSlot, nullptr);
  EXPECT_EQ(grab(b, 0), GI_NO_ERROR);
  EXPECT_EQ(dvr::GiReleaseDevice((uint32_t)b), GI_NO_ERROR);
  EXPECT_EQ(dvr::GiReleaseDevice((uint32_t)b), GI_FAILED) << "nothing left to release";
}

TEST_F(Service, WriteAndDataModeChangeNothing) {
  int32_t h = OpenHandle();
  Written().clear();
  Call(REQ_WRITE, Args().Word(h).Word(3).Bytes("Z\r@", 3).data, false);  // the model writes nothing raw
  Call(REQ_SET_DATA_MODE, Args().Word(0).Word(0).data, false);
  Answer m = Call(REQ_GET_DATA_MODE, Args().Word(0).data);
  EXPECT_EQ(m.Word(0), GI_NO_ERROR);
  EXPECT_EQ(m.Word(1), 1);
  EXPECT_EQ(Written(), "");
  EXPECT_EQ(dvr::GiSetDataMode(0, 0), GI_UNSUPPORTED);
  EXPECT_EQ(dvr::GiSetDataMode(5, 0), GI_BAD_ID);
}

// The capacity decides only between status 1 and the converse (status 10);
// a negative one is below the limit and reaches the converse.
TEST_F(Service, ConverseCapacity) {
  int32_t h = OpenHandle();
  struct Case {
    int32_t handle, capacity, status;
  };
  const Case cases[] = {
      {h, 10, GI_UNSUPPORTED},    {h, 504, GI_UNSUPPORTED},    {h, 505, GI_FAILED},
      {h, INT32_MAX, GI_FAILED},  {h, -1, GI_UNSUPPORTED},     {h, INT32_MIN, GI_UNSUPPORTED},
      {h + 1, 10, GI_BAD_HANDLE}, {h + 1, 505, GI_BAD_HANDLE},
  };
  for (const Case &c : cases) {
    Answer a = Call(REQ_CONVERSE, Args().Word(c.handle).Word(2).Bytes("hi", 2).Word(c.capacity).data);
    ASSERT_EQ(a.data.size(), 12u) << c.capacity;
    EXPECT_EQ(a.Word(0), c.status) << c.capacity;
    EXPECT_EQ(a.Word(1), 0) << "reply length, capacity " << c.capacity;
  }
}

// A request sent without the reply flag: the block went back to the
// applications when the driver took the request, so the handler must write
// nothing there, whatever it would have answered.
TEST_F(Service, RequestsWithoutReplyNeverWriteTheBlock) {
  int32_t h = OpenHandle();
  const struct {
    int32_t code;
    std::vector<uint8_t> args;
  } cases[] = {
      {REQ_TRANSPORT_INFO, {}},
      {REQ_VERSION, Args().Word(1).Word(0).data},
      {REQ_SHUTDOWN, Args().Word(0).data},  // refused: the handle is open
      {REQ_GET_NUM_DEVICES, {}},
      {REQ_GET_DEVICE_PORT, Args().Word(0).data},
      {REQ_GET_DRIVER_INFO, {}},
      {REQ_UNSUPPORTED_106, {}},
      {REQ_GET_DATA_MODE, Args().Word(0).data},
      {REQ_OPEN, fakedvr::OpenRequest(kWindowB)},
      {REQ_CONVERSE, Args().Word(h).Word(0).Word(10).data},
      {REQ_GRAB, Args().Word(h).Word(1).data},
      {REQ_GET_DEVICE_INFO, Args().Word(h).data},
      {REQ_GET_UI_MODE, Args().Word(h).data},
      {REQ_RESET_QUEUE, Args().Word(h).data},
      {REQ_GET_DEVICE_PORT, {}},  // short
      {117, {}},                  // no handler
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.code);
    RequestBlock &b = fakedvr::S().block;
    b.code = c.code;
    b.replyWanted = 0;
    b.length = (int32_t)c.args.size();
    if (!c.args.empty()) std::memcpy(b.data, c.args.data(), c.args.size());
    // The next application is already writing its own request behind it.
    for (size_t i = c.args.size(); i < sizeof b.data; i++) b.data[i] = (uint8_t)(0xA5 ^ i);
    RequestBlock before = b;
    int signals = fakedvr::S().replySignals;
    DvrServeRequest();
    EXPECT_EQ(std::memcmp(&before, &b, sizeof b), 0) << "the block changed";
    EXPECT_EQ(fakedvr::S().replySignals, signals + 1) << "released once, when taken";
  }
  EXPECT_EQ(gDvrQuit, 0);
  EXPECT_EQ(UdDeviceAt(0)->grabSlot, DvrHandleFind((uint32_t)h)) << "the grab itself was served";
}

TEST_F(Service, ShutdownRefusedWhileAHandleIsOpenUnlessForced) {
  int32_t h = OpenHandle();
  EXPECT_EQ(Call(REQ_SHUTDOWN, Args().Word(0).data).Word(0), -1);
  EXPECT_EQ(gDvrQuit, 0);
  EXPECT_NE(DvrHandleFind((uint32_t)h), nullptr);
  EXPECT_EQ(Call(REQ_SHUTDOWN, Args().Word(1).data).Word(0), 0);
  EXPECT_EQ(gDvrQuit, 1);
}

TEST_F(Service, ShutdownPrunesAVanishedWindowAndIsAccepted) {
  int32_t h = OpenHandle(kWindowB);
  fakedvr::S().windows.erase(kWindowB);  // its application ended without closing
  Written().clear();
  EXPECT_EQ(Call(REQ_SHUTDOWN, Args().Word(0).data).Word(0), 0);
  EXPECT_EQ(gDvrQuit, 1);
  EXPECT_EQ(DvrHandleFind((uint32_t)h), nullptr);
  EXPECT_EQ(Written(), "Bf\r") << "pruning closes as REQ_CLOSE does";
}

TEST_F(Service, OpenPrunesVanishedWindowsFirst) {
  int32_t h = OpenHandle(kWindowB);
  fakedvr::S().windows.erase(kWindowB);
  OpenHandle(kWindowA);
  EXPECT_EQ(DvrHandleFind((uint32_t)h), nullptr);
  EXPECT_EQ(fakedvr::S().queues.size(), 1u);
}

// Handle values come from the random source: never 0, never one in use, and
// a neighbour of a value one was given names nothing.
TEST_F(Service, HandleValuesAreRandomNonZeroAndUnique) {
  fakedvr::S().randoms = {0, 0x9A3F0C41u, 0x9A3F0C41u, 0x0000002Bu};
  int32_t a = OpenHandle(), b = OpenHandle();
  EXPECT_EQ((uint32_t)a, 0x9A3F0C41u) << "0 is skipped";
  EXPECT_EQ((uint32_t)b, 0x2Bu) << "a value in use is skipped";
  for (int32_t guess : {a + 1, a - 1, 1, 2, 0}) {
    EXPECT_EQ(Call(REQ_GET_UI_MODE, Args().Word(guess).data).Word(0), GI_BAD_HANDLE) << guess;
    EXPECT_EQ(Call(REQ_GRAB, Args().Word(guess).Word(1).data).Word(0), GI_BAD_HANDLE) << guess;
  }
  Call(REQ_CLOSE, Args().Word(a + 1).data, false);
  EXPECT_NE(DvrHandleFind((uint32_t)a), nullptr) << "a guessed close closes nothing";
}

TEST_F(Service, CloseAllHandlesBeepsOnlyOpenPorts) {
  OpenHandle();
  OpenHandle(kWindowB);
  UdCloseDevice(UdDeviceAt(0));  // the orderly shut-down closes ports first
  Written().clear();
  DvrCloseAllHandles();
  EXPECT_EQ(Written(), "");
  EXPECT_EQ(UdDeviceCount(), -1) << "the tables are released";
}

}  // namespace
