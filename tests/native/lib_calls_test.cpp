// The input library's calls over an in-memory driver (fakeapp.h): lifecycle,
// finding and starting the driver, the open request, queries and commands,
// reply checks and the mapping of transport statuses to library codes.
#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include "fakeapp.h"

namespace {

class LibCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    GiLastError = 0;
  }
  void TearDown() override {
    GiTerminate();
    if (gGiDriverLoss != GI_LOSS_NONE) GiTerminate();
    fake::Reset();
  }
  void Init() { ASSERT_EQ(GiInitialize(), GI_NO_ERROR); }
  GiHandle Open(int32_t id = 0, uint32_t window = 0x1234) {
    GiOpenData od{window, 0};
    return GiOpen("Test", id, nullptr, GI_EVENT_MODE, &od);
  }
};

TEST_F(LibCalls, NothingWorksBeforeInitialize) {
  EXPECT_EQ(GiGetNumDevices(), -1);
  EXPECT_EQ(GiLastError, GI_UNINITIALIZED);
  EXPECT_EQ(GiDeviceIndex(0), -1);
  EXPECT_EQ(GiLastError, GI_UNINITIALIZED);
  GiDriverInfo info;
  EXPECT_EQ(GiGetDriverInfo(&info), GI_UNINITIALIZED);
  GiOpenData od{1, 0};
  EXPECT_EQ(GiOpen("x", 0, nullptr, 1, &od), nullptr);
  EXPECT_EQ(GiLastError, GI_UNINITIALIZED);
  EXPECT_EQ(GiSetUiMode(nullptr, -1), GI_UNINITIALIZED);
  EXPECT_TRUE(fake::S().requests.empty());
  EXPECT_EQ(fake::S().logged, std::vector<int32_t>(5, GI_UNINITIALIZED));
}

TEST_F(LibCalls, InitializeHandshakesAndLearnsTheCount) {
  fake::S().numDevices = 3;
  EXPECT_EQ(GiInitialize(), GI_NO_ERROR);
  ASSERT_EQ(fake::S().requests.size(), 2u);
  const fake::Request &v = fake::S().requests[0];
  EXPECT_EQ(v.code, REQ_VERSION);
  EXPECT_EQ(v.replyWanted, 1);
  ASSERT_EQ(v.data.size(), 8u);
  EXPECT_EQ(v.Word(0), 1);
  EXPECT_EQ(v.Word(1), 0);
  EXPECT_EQ(fake::S().requests[1].code, REQ_GET_NUM_DEVICES);
  EXPECT_EQ(GiGetNumDevices(), 3);
  // Already initialised: nothing is asked again.
  EXPECT_EQ(GiInitialize(), GI_NO_ERROR);
  EXPECT_EQ(fake::S().requests.size(), 2u);
  EXPECT_EQ(fake::S().attachCalls, 1);
  EXPECT_TRUE(fake::S().logged.empty());
}

TEST_F(LibCalls, FailedHandshakeLeavesTheLibraryDetachedAndUninitialised) {
  struct Case {
    const char *what;
    std::function<fake::Reply(const fake::Request &)> serve;
    int32_t want;
  };
  auto on = [](int32_t code, fake::Reply r) {
    return [code, r](const fake::Request &q) { return q.code == code ? r : fake::DefaultServe(q); };
  };
  const Case cases[] = {
      {"version refused", on(REQ_VERSION, fake::Words({-1})), GI_WRONG_DRIVER},
      {"short version reply", on(REQ_VERSION, fake::Reply{1, {0, 0}}), GI_INTERNAL_ERROR},
      {"short count reply", on(REQ_GET_NUM_DEVICES, fake::Reply{1, {2}}), GI_INTERNAL_ERROR},
      {"negative count", on(REQ_GET_NUM_DEVICES, fake::Words({-4})), GI_INTERNAL_ERROR},
      {"long count reply", on(REQ_GET_NUM_DEVICES, fake::Words({2, 0})), GI_INTERNAL_ERROR},
      {"driver gone", on(REQ_VERSION, fake::Reply{TRANS_NO_DRIVER, {}}), GI_NO_DRIVER},
      {"lock timeout", on(REQ_VERSION, fake::Reply{TRANS_LOCK_TIMEOUT, {}}), GI_DRIVER_NOT_RESPONDING},
      {"reply timeout", on(REQ_VERSION, fake::Reply{TRANS_REPLY_TIMEOUT, {}}), GI_DRIVER_NOT_RESPONDING},
      {"wrong length", on(REQ_VERSION, fake::Reply{TRANS_LENGTH, {}}), GI_INTERNAL_ERROR},
      {"unknown code", on(REQ_VERSION, fake::Reply{TRANS_UNKNOWN_CODE, {}}), GI_UNSUPPORTED},
      {"no reply given", on(REQ_VERSION, fake::Reply{TRANS_NO_REPLY_GIVEN, {}}), GI_FAILED},
  };
  for (const Case &c : cases) {
    fake::Reset();
    fake::S().serve = c.serve;
    EXPECT_EQ(GiInitialize(), c.want) << c.what;
    EXPECT_EQ(GiLastError, c.want) << c.what;
    EXPECT_EQ(fake::S().attached, 0) << c.what;
    EXPECT_EQ(GiGetNumDevices(), -1) << c.what;
    EXPECT_EQ(GiLastError, GI_UNINITIALIZED) << c.what;
    ASSERT_FALSE(fake::S().logged.empty()) << c.what;
    EXPECT_EQ(fake::S().logged.front(), c.want) << c.what;
  }
}

TEST_F(LibCalls, NoDriverAndNoProgramFailsAtOnce) {
  fake::S().attachResults = {TRANS_MAPPING};
  EXPECT_EQ(GiInitialize(), GI_NO_DRIVER);
  EXPECT_TRUE(fake::S().sleeps.empty());
  EXPECT_TRUE(fake::S().started.empty());
  EXPECT_EQ(fake::S().attachCalls, 1);
}

TEST_F(LibCalls, AnUnusableChannelIsNotADriverToStart) {
  for (int status : {TRANS_APP_LOCK, TRANS_REQ_SEM, TRANS_REPLY_SEM, TRANS_LENGTH}) {
    fake::Reset();
    fake::S().files.insert("C:\\gyx\\gyxsrv.exe");
    fake::S().attachResults = {status};
    EXPECT_EQ(GiInitialize(), GI_FAILED) << status;
    EXPECT_TRUE(fake::S().started.empty()) << status;
  }
}

TEST_F(LibCalls, StartsTheDriverFromTheHomeDirectoryAndWaits) {
  for (int status : {TRANS_MAPPING, TRANS_VIEW, TRANS_NO_DRIVER}) {
    fake::Reset();
    fake::S().home = "C:\\Program Files\\Gyx";
    fake::S().files.insert("C:\\Program Files\\Gyx\\gyxsrv.exe");
    fake::S().attachResults = {status};
    fake::S().attachAfterStart = {TRANS_MAPPING, TRANS_NO_DRIVER, 0};
    EXPECT_EQ(GiInitialize(), GI_NO_ERROR) << status;
    EXPECT_EQ(fake::S().started, std::vector<std::string>{"C:\\Program Files\\Gyx\\gyxsrv.exe"});
    EXPECT_EQ(fake::S().sleeps, (std::vector<uint32_t>{5000, 1500, 1500, 1500}));
    EXPECT_EQ(GiGetNumDevices(), 2);
    GiTerminate();
  }
}

TEST_F(LibCalls, DriverThatNeverComesFailsAfterTwentySeconds) {
  struct Case {
    int last;
    int32_t want;
  };
  for (Case c : {Case{TRANS_MAPPING, GI_NO_DRIVER}, Case{TRANS_NO_DRIVER, GI_NO_DRIVER},
                 Case{TRANS_APP_LOCK, GI_FAILED}}) {
    fake::Reset();
    fake::S().files.insert("C:\\gyx\\gyxsrv.exe");
    fake::S().attachResults = {TRANS_MAPPING};
    fake::S().attachAfterStart = std::deque<int>(9, TRANS_MAPPING);
    fake::S().attachAfterStart.push_back(c.last);
    EXPECT_EQ(GiInitialize(), c.want);
    EXPECT_EQ(fake::S().attachCalls, 11);
    uint32_t total = 0;
    for (uint32_t ms : fake::S().sleeps) total += ms;
    EXPECT_EQ(total, 20000u);
    EXPECT_EQ(GiGetNumDevices(), -1);
  }
}

TEST_F(LibCalls, ProgramThatDoesNotStartIsNoDriver) {
  fake::S().files.insert("C:\\gyx\\gyxsrv.exe");
  fake::S().attachResults = {TRANS_MAPPING};
  fake::S().startOk = false;
  EXPECT_EQ(GiInitialize(), GI_NO_DRIVER);
  EXPECT_TRUE(fake::S().sleeps.empty());
}

TEST_F(LibCalls, HomeDirectoryTooLongForTheProgramPath) {
  struct Case {
    size_t length;
    int32_t want;
  };
  // 244 + "\gyxsrv.exe" + NUL fills the 256-byte buffer exactly.
  for (Case c : {Case{244, GI_NO_DRIVER}, Case{245, GI_FAILED}}) {
    fake::Reset();
    fake::S().home = "C:\\" + std::string(c.length - 3, 'd');
    fake::S().attachResults = {TRANS_MAPPING};
    EXPECT_EQ(GiInitialize(), c.want) << c.length;
    EXPECT_TRUE(fake::S().started.empty());
  }
}

TEST_F(LibCalls, OpenRequestLayout) {
  Init();
  GiOpenData od;
  GiOpenWinInit(&od, (void *)(uintptr_t)0x2A0B6);
  EXPECT_EQ(od.window, 0x2A0B6u);
  EXPECT_EQ(od.reserved, 0u);
  od.reserved = 77;  // carried, not kept
  GiHandle h = GiOpen("Jet", 1, nullptr, GI_EVENT_MODE, &od);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GiLastError, GI_NO_ERROR);
  std::vector<fake::Request> open = fake::Sent(REQ_OPEN);
  ASSERT_EQ(open.size(), 1u);
  const std::vector<uint8_t> &d = open[0].data;
  ASSERT_EQ(d.size(), 4u + 36u);
  const uint8_t want[] = {4,    0,    0,    0, 'J', 'e', 't', 0,    1, 0, 0, 0,  // device ID
                          1,    0,    0,    0,                                   // mask present
                          0x0E, 0,    0,    0, 0,   0,   0,   0xC0,              // types 1-3, classes 62, 63
                          1,    0,    0,    0,                                   // mode
                          0xB6, 0xA0, 0x02, 0, 77,  0,   0,   0,                 // open data
                          31,   0,    0,    0};                                  // every event type
  EXPECT_EQ(d, std::vector<uint8_t>(want, want + sizeof want));
  EXPECT_EQ(GiGetDeviceID(h), 1);
  EXPECT_EQ(GiIsHandle(h), h);
}

TEST_F(LibCalls, OpenReducesTheCallersMaskInPlace) {
  Init();
  GiTypeMask mask;
  ASSERT_EQ(GiSetTypeMask(&mask, 1, 5, 61, 62, 0), GI_NO_ERROR);
  GiOpenData od{1, 0};
  ASSERT_NE(GiOpen("x", GI_ANY_DEVICE, &mask, GI_EVENT_MODE, &od), nullptr);
  const uint8_t want[8] = {0x02, 0, 0, 0, 0, 0, 0, 0x40};
  EXPECT_EQ(std::memcmp(mask.bits, want, 8), 0);
  const std::vector<uint8_t> d = fake::Sent(REQ_OPEN)[0].data;
  WireOpenRequest open;
  ASSERT_TRUE(WireDecodeOpen(d.data(), (int32_t)d.size(), &open));
  EXPECT_EQ(open.deviceId, -1);  // "any device" travels as -1
}

TEST_F(LibCalls, OpenWithOnlyUnopenableTypesNeverAsks) {
  Init();
  for (int value : {5, 61}) {
    GiTypeMask mask;
    ASSERT_EQ(GiSetTypeMask(&mask, value, 0), GI_NO_ERROR);
    GiOpenData od{1, 0};
    EXPECT_EQ(GiOpen("x", 0, &mask, GI_EVENT_MODE, &od), nullptr);
    EXPECT_EQ(GiLastError, GI_FAILED);
    const uint8_t zero[8] = {};
    EXPECT_EQ(std::memcmp(mask.bits, zero, 8), 0);
  }
  EXPECT_TRUE(fake::Sent(REQ_OPEN).empty());
}

TEST_F(LibCalls, OpenFailures) {
  struct Case {
    const char *what;
    fake::Reply reply;
    int32_t want;
    bool closes;  // the driver's handle is given back
  };
  const Case cases[] = {
      {"driver refuses the ID", fake::Words({GI_BAD_ID, 0, -1, -1, 0}), GI_BAD_ID, false},
      {"driver refuses the mode", fake::Words({GI_UNSUPPORTED, 0, -1, 3, 0}), GI_UNSUPPORTED, false},
      {"no driver handle", fake::Words({0, 0, 0, 3, 0xC100}), GI_FAILED, false},
      {"short reply", fake::Reply{1, std::vector<uint8_t>(19, 0)}, GI_INTERNAL_ERROR, false},
      {"no such queue", fake::Words({0, 0x77, 0, 42, 0xC100}), GI_FAILED, true},
      {"status with a handle", fake::Words({GI_BAD_VALUE, 0x78, 0, 42, 0}), GI_BAD_VALUE, true},
  };
  for (const Case &c : cases) {
    fake::Reset();
    Init();
    fake::Reply reply = c.reply;
    fake::S().serve = [reply](const fake::Request &q) {
      return q.code == REQ_OPEN ? reply : fake::DefaultServe(q);
    };
    EXPECT_EQ(Open(), nullptr) << c.what;
    EXPECT_EQ(GiLastError, c.want) << c.what;
    std::vector<fake::Request> closes = fake::Sent(REQ_CLOSE);
    EXPECT_EQ(closes.size(), c.closes ? 1u : 0u) << c.what;
    if (c.closes && !closes.empty()) {
      EXPECT_EQ((uint32_t)closes[0].Word(0), WireGet32(reply.data.data() + WIRE_OPEN_HANDLE)) << c.what;
      EXPECT_EQ(closes[0].replyWanted, 0) << c.what;
    }
    EXPECT_EQ(gGiHandles, nullptr) << c.what;
    GiTerminate();
  }
}

TEST_F(LibCalls, OpenArgumentsThatCannotBeSent) {
  Init();
  GiOpenData od{1, 0};
  EXPECT_EQ(GiOpen(nullptr, 0, nullptr, 1, &od), nullptr);
  EXPECT_EQ(GiLastError, GI_BAD_VALUE);
  EXPECT_EQ(GiOpen("x", 0, nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(GiLastError, GI_BAD_VALUE);
  // 475 characters + NUL + 36 = 512 bytes: the largest request.
  EXPECT_NE(GiOpen(std::string(475, 'a').c_str(), 0, nullptr, 1, &od), nullptr);
  EXPECT_EQ(GiOpen(std::string(476, 'a').c_str(), 0, nullptr, 1, &od), nullptr);
  EXPECT_EQ(GiLastError, GI_INTERNAL_ERROR);
  EXPECT_EQ(GiOpen(std::string(5000, 'a').c_str(), 0, nullptr, 1, &od), nullptr);
  EXPECT_EQ(GiLastError, GI_INTERNAL_ERROR);
  EXPECT_EQ(fake::Sent(REQ_OPEN).size(), 1u);
}

TEST_F(LibCalls, CloseGivesTheHandleBackOnce) {
  Init();
  GiHandle h = Open();
  ASSERT_NE(h, nullptr);
  uint32_t driverHandle = fake::LastOpened()->handle;
  EXPECT_EQ(fake::S().links.size(), 1u);
  EXPECT_EQ(GiClose(h), GI_NO_ERROR);
  std::vector<fake::Request> closes = fake::Sent(REQ_CLOSE);
  ASSERT_EQ(closes.size(), 1u);
  EXPECT_EQ((uint32_t)closes[0].Word(0), driverHandle);
  EXPECT_EQ(closes[0].replyWanted, 0);
  EXPECT_TRUE(fake::S().links.empty());
  // The record is gone: every call on it says so, without touching it.
  EXPECT_EQ(GiClose(h), GI_BAD_HANDLE);
  EXPECT_EQ(GiGetDeviceID(h), -1);
  EXPECT_EQ(GiLastError, GI_BAD_HANDLE);
  EXPECT_EQ(GiIsHandle(h), nullptr);
  EXPECT_EQ(GiLastError, GI_BAD_HANDLE);
  EXPECT_EQ(GiBeep(nullptr, "c"), GI_BAD_HANDLE);
  EXPECT_EQ(fake::Sent(REQ_CLOSE).size(), 1u);
}

TEST_F(LibCalls, TerminateClosesEveryHandleAndDetaches) {
  Init();
  ASSERT_NE(Open(0), nullptr);
  ASSERT_NE(Open(1), nullptr);
  GiTerminate();
  std::vector<fake::Request> closes = fake::Sent(REQ_CLOSE);
  ASSERT_EQ(closes.size(), 2u);
  EXPECT_EQ((uint32_t)closes[0].Word(0), fake::S().opened[1]->handle);  // newest first
  EXPECT_EQ((uint32_t)closes[1].Word(0), fake::S().opened[0]->handle);
  EXPECT_EQ(fake::S().attached, 0);
  EXPECT_TRUE(fake::S().links.empty());
  EXPECT_EQ(GiGetNumDevices(), -1);
  EXPECT_EQ(GiLastError, GI_UNINITIALIZED);
}

TEST_F(LibCalls, ARestartedDriverIsNeverReused) {
  Init();
  GiHandle h = Open();
  ASSERT_NE(h, nullptr);
  size_t sent = fake::S().requests.size();
  fake::S().driverChanged = true;
  GiDriverInfo info;
  EXPECT_EQ(GiGetDriverInfo(&info), GI_NO_DRIVER);
  EXPECT_EQ(GiGetDeviceID(h), -1);
  EXPECT_EQ(GiLastError, GI_NO_DRIVER);
  EXPECT_EQ(GiClose(h), GI_NO_DRIVER);
  EXPECT_EQ(Open(), nullptr);
  EXPECT_EQ(GiLastError, GI_NO_DRIVER);
  GiPortInfo port;
  EXPECT_EQ(GiGetDevicePort(0, &port), GI_NO_DRIVER);
  EXPECT_EQ(fake::S().requests.size(), sent);
  // Recovery: terminate, then initialise again, which attaches anew.
  GiTerminate();
  Init();
  EXPECT_EQ(fake::S().attachCalls, 2);
}

TEST_F(LibCalls, DevicePortChecksTheIdAndCopiesOnlyAWholeReply) {
  Init();
  GiPortInfo port;
  std::memset(&port, 0x5C, sizeof port);
  const GiPortInfo before = port;
  for (int32_t id : {2, -1, 1000}) {
    EXPECT_EQ(GiGetDevicePort(id, &port), GI_BAD_ID) << id;
    EXPECT_EQ(std::memcmp(&port, &before, sizeof port), 0);
  }
  EXPECT_TRUE(fake::Sent(REQ_GET_DEVICE_PORT).empty());

  struct Case {
    const char *what;
    fake::Reply reply;
    int32_t want;
  };
  fake::Reply shortReply = fake::DefaultServe({REQ_GET_DEVICE_PORT, {1, 0, 0, 0}, 1});
  shortReply.data.resize(271);
  const Case cases[] = {
      {"271 bytes", shortReply, GI_INTERNAL_ERROR},
      {"status only", fake::Words({0}), GI_INTERNAL_ERROR},
      {"driver's bad ID", fake::StatusAnd(GI_BAD_ID, before), GI_BAD_ID},
      {"no reply in time", fake::Reply{TRANS_REPLY_TIMEOUT, {}}, GI_DRIVER_NOT_RESPONDING},
  };
  for (const Case &c : cases) {
    fake::Reply reply = c.reply;
    fake::S().serve = [reply](const fake::Request &) { return reply; };
    EXPECT_EQ(GiGetDevicePort(1, &port), c.want) << c.what;
    EXPECT_EQ(std::memcmp(&port, &before, sizeof port), 0) << c.what;
  }
  fake::S().serve = nullptr;
  EXPECT_EQ(GiGetDevicePort(1, &port), GI_NO_ERROR);
  EXPECT_EQ(port.deviceId, 1);
  EXPECT_STREQ(port.typeName, "Quorvanel 2200");
  EXPECT_STREQ(port.portName, "COM1:");
  EXPECT_EQ(fake::Sent(REQ_GET_DEVICE_PORT).back().Word(0), 1);
}

TEST_F(LibCalls, DriverAndDeviceInformation) {
  Init();
  GiDriverInfo drv;
  ASSERT_EQ(GiGetDriverInfo(&drv), GI_NO_ERROR);
  EXPECT_EQ(drv.major, 8);
  EXPECT_EQ(drv.build, 15);
  EXPECT_STREQ(drv.version, "Gyrantrix Driver version 8.0");
  EXPECT_STREQ(drv.date, "January 31, 1997");
  EXPECT_TRUE(fake::Sent(REQ_GET_DRIVER_INFO)[0].data.empty());
  GiHandle h = Open();
  GiDeviceInfo dev;
  ASSERT_EQ(GiGetDeviceInfo(h, &dev), GI_NO_ERROR);
  EXPECT_EQ(dev.numButtons, 9);
  EXPECT_STREQ(dev.firmware, "fake firmware");
  EXPECT_EQ((uint32_t)fake::Sent(REQ_GET_DEVICE_INFO)[0].Word(0), fake::LastOpened()->handle);
}

TEST_F(LibCalls, BeepSendsAtMostFourteenCharacters) {
  Init();
  GiHandle h = Open();
  struct Case {
    const char *pattern;
    std::string sent;
  };
  const Case cases[] = {
      {"cCcCcCcCcCcCcCcCcCcC", "cCcCcCcCcCcCcC"},
      {"cC", "cC"},
      {"", ""},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(GiBeep(h, c.pattern), GI_NO_ERROR);
    const fake::Request &r = fake::S().requests.back();
    EXPECT_EQ(r.code, REQ_BEEP);
    EXPECT_EQ(r.replyWanted, 0);
    ASSERT_EQ(r.data.size(), 19u);
    EXPECT_EQ((uint32_t)r.Word(0), fake::LastOpened()->handle);
    std::string pattern(r.data.begin() + 4, r.data.end());
    EXPECT_EQ(pattern, c.sent + std::string(15 - c.sent.size(), '\0'));
  }
  EXPECT_EQ(GiBeep(h, nullptr), GI_BAD_VALUE);
}

TEST_F(LibCalls, CommandsCarryTheDriverHandle) {
  Init();
  GiHandle h = Open();
  const int32_t dh = (int32_t)fake::LastOpened()->handle;
  EXPECT_EQ(GiRezero(h), GI_NO_ERROR);
  EXPECT_EQ(GiReleaseDevice(h), GI_NO_ERROR);
  EXPECT_EQ(GiSetUiMode(h, 0x2F), GI_NO_ERROR);
  fake::S().serve = [](const fake::Request &q) {
    return q.code == REQ_GRAB ? fake::Words({GI_FAILED}) : fake::DefaultServe(q);
  };
  EXPECT_EQ(GiGrabDevice(h, 1), GI_FAILED);  // the driver's status is the result
  const std::vector<fake::Request> &r = fake::S().requests;
  ASSERT_GE(r.size(), 4u);
  const fake::Request *last4 = &r[r.size() - 4];
  EXPECT_EQ(last4[0].code, REQ_REZERO);
  EXPECT_EQ(last4[0].data.size(), 4u);
  EXPECT_EQ(last4[1].code, REQ_RELEASE);
  EXPECT_EQ(last4[2].code, REQ_SET_UI_MODE);
  EXPECT_EQ(last4[2].Word(1), 0x2F);
  EXPECT_EQ(last4[3].code, REQ_GRAB);
  EXPECT_EQ(last4[3].replyWanted, 1);
  EXPECT_EQ(last4[3].Word(1), 1);
  for (int i = 0; i < 4; i++) EXPECT_EQ(last4[i].Word(0), dh);
  for (int i = 0; i < 3; i++) EXPECT_EQ(last4[i].replyWanted, 0);
}

TEST_F(LibCalls, CommandWithoutAnswerReportsOnlyTheTransport) {
  Init();
  GiHandle h = Open();
  fake::S().sendStatus = TRANS_LOCK_TIMEOUT;
  EXPECT_EQ(GiRezero(h), GI_DRIVER_NOT_RESPONDING);
  EXPECT_EQ(GiLastError, GI_DRIVER_NOT_RESPONDING);
  fake::S().sendStatus = TRANS_NO_MEMORY;
  EXPECT_EQ(GiBeep(h, "c"), GI_FAILED);
}

TEST_F(LibCalls, UiModeForEveryHandle) {
  Init();
  EXPECT_EQ(GiSetUiMode(nullptr, -1), GI_BAD_HANDLE);
  ASSERT_NE(Open(0), nullptr);
  ASSERT_NE(Open(1), nullptr);
  EXPECT_EQ(GiSetUiMode(nullptr, -2), GI_NO_ERROR);
  std::vector<fake::Request> modes = fake::Sent(REQ_SET_UI_MODE);
  ASSERT_EQ(modes.size(), 2u);
  EXPECT_EQ((uint32_t)modes[0].Word(0), fake::S().opened[1]->handle);
  EXPECT_EQ((uint32_t)modes[1].Word(0), fake::S().opened[0]->handle);
  EXPECT_EQ(modes[0].Word(1), -2);
  // The first failure ends the walk.
  fake::S().sendStatus = TRANS_REPLY_TIMEOUT;
  EXPECT_EQ(GiSetUiMode(nullptr, 1), GI_DRIVER_NOT_RESPONDING);
  EXPECT_EQ(fake::Sent(REQ_SET_UI_MODE).size(), 2u);
}

int32_t SetMask(GiTypeMask *m, std::initializer_list<int32_t> values) {
  // Variadic calls need a fixed list: the cases below use up to four values.
  std::vector<int32_t> v(values);
  v.resize(5, 0);
  return GiSetTypeMask(m, v[0], v[1], v[2], v[3], v[4]);
}

TEST_F(LibCalls, SetTypeMask) {
  struct Case {
    std::initializer_list<int32_t> values;
    int32_t want;
    uint8_t bits[8];
  };
  const Case cases[] = {
      {{0}, GI_BAD_VALUE, {0}},
      {{64, 0}, GI_BAD_VALUE, {0}},
      {{-1, 0}, GI_NO_ERROR, {255, 255, 255, 255, 255, 255, 255, 255}},
      {{1, 62, 0}, GI_NO_ERROR, {0x02, 0, 0, 0, 0, 0, 0, 0x40}},
      {{3, -2, 5, 0}, GI_BAD_VALUE, {0x08, 0, 0, 0, 0, 0, 0, 0}},
      {{63, 9, 0}, GI_NO_ERROR, {0, 0x02, 0, 0, 0, 0, 0, 0x80}},
  };
  for (const Case &c : cases) {
    GiTypeMask m;
    std::memset(&m, 0x33, sizeof m);
    EXPECT_EQ(SetMask(&m, c.values), c.want);
    EXPECT_EQ(GiLastError, c.want);
    EXPECT_EQ(std::memcmp(m.bits, c.bits, 8), 0) << (int)m.bits[0];
  }
}

TEST_F(LibCalls, DeviceIndex) {
  Init();
  EXPECT_EQ(GiDeviceIndex(1), 1);
  EXPECT_EQ(GiLastError, GI_NO_ERROR);
  for (int32_t index : {2, -1}) {
    EXPECT_EQ(GiDeviceIndex(index), -1);
    EXPECT_EQ(GiLastError, GI_FAILED);
  }
}

TEST_F(LibCalls, ButtonQueries) {
  GiEvent ev = fake::Buttons(GI_BUTTON_EVENT, 0x01, 0x25);
  EXPECT_EQ(GiButtonPressed(&ev), 2);  // pressed 0x24
  EXPECT_EQ(GiLastError, GI_NO_ERROR);
  EXPECT_EQ(GiButtonReleased(&ev), -1);
  EXPECT_EQ(GiLastError, GI_NO_ERROR);
  GiEvent combo = fake::Buttons(GI_COMBO_EVENT, 0x30, 0x01);
  EXPECT_EQ(GiButtonReleased(&combo), 4);
  EXPECT_EQ(GiButtonPressed(&combo), 0);
  EXPECT_TRUE(fake::S().logged.empty());
  GiEvent motion = fake::Motion(5, 20);
  motion.pressed = 0x24;
  EXPECT_EQ(GiButtonPressed(&motion), -1);
  EXPECT_EQ(GiLastError, GI_FAILED);
  EXPECT_EQ(GiButtonReleased(nullptr), -1);
  EXPECT_EQ(GiLastError, GI_FAILED);
  EXPECT_EQ(fake::S().logged, (std::vector<int32_t>{GI_FAILED, GI_FAILED}));
}

}  // namespace
