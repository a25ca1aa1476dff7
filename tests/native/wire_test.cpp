// The channel's request and reply layouts: every layout encoded and decoded
// again from one table, the bytes at the named offsets little-endian, the
// bounded reader of request arguments, and open requests cut short at every
// length.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "lib/reqcodes.h"
#include "lib/wire.h"

namespace {

std::vector<uint8_t> Words(std::initializer_list<int32_t> ws) {
  std::vector<uint8_t> out(ws.size() * 4);
  size_t i = 0;
  for (int32_t w : ws) WirePut32(&out[4 * i++], (uint32_t)w);
  return out;
}

TEST(Wire, WordsAreLittleEndianWhateverTheHost) {
  uint8_t b[4];
  WirePut32(b, 0x11223344u);
  EXPECT_EQ(b[0], 0x44);
  EXPECT_EQ(b[3], 0x11);
  EXPECT_EQ(WireGet32(b), 0x11223344u);
  WirePut32(b, (uint32_t)-2);
  EXPECT_EQ((int32_t)WireGet32(b), -2);
  WirePut16(b, 0xFFFE);
  EXPECT_EQ(b[0], 0xFE);
  EXPECT_EQ(WireGet16(b), 0xFFFE);
}

// One row per reply layout: a filled record goes through its encoder, the
// bytes at its named offsets are checked, and the decoder gives the record
// back field for field.
struct Layout {
  const char *name;
  int32_t code;
  std::function<std::vector<uint8_t>()> encode;
  std::function<void(const std::vector<uint8_t> &)> check;
};

std::vector<Layout> Layouts() {
  std::vector<Layout> rows;
  rows.push_back({"open reply", REQ_OPEN,
                  [] {
                    std::vector<uint8_t> b(WIRE_OPEN_REPLY);
                    const WireOpenReply r = {GI_BAD_ID, 0xDEADBEEFu, -1, 99, 0xC123u};
                    WireEncodeOpenReply(b.data(), &r);
                    return b;
                  },
                  [](const std::vector<uint8_t> &b) {
                    EXPECT_EQ((int32_t)WireGet32(&b[WIRE_STATUS]), GI_BAD_ID);
                    EXPECT_EQ(WireGet32(&b[WIRE_OPEN_HANDLE]), 0xDEADBEEFu);
                    EXPECT_EQ((int32_t)WireGet32(&b[WIRE_OPEN_DEVICE]), -1);
                    EXPECT_EQ((int32_t)WireGet32(&b[WIRE_OPEN_SLOT]), 99);
                    EXPECT_EQ(WireGet32(&b[WIRE_OPEN_MESSAGE]), 0xC123u);
                    WireOpenReply back;
                    WireDecodeOpenReply(b.data(), &back);
                    EXPECT_EQ(back.status, GI_BAD_ID);
                    EXPECT_EQ(back.handle, 0xDEADBEEFu);
                    EXPECT_EQ(back.deviceId, -1);
                    EXPECT_EQ(back.slot, 99);
                    EXPECT_EQ(back.message, 0xC123u);
                  }});
  rows.push_back({"port reply", REQ_GET_DEVICE_PORT,
                  [] {
                    std::vector<uint8_t> b(WIRE_PORT_REPLY);
                    GiPortInfo p;
                    std::memset(&p, 0, sizeof p);
                    p.deviceId = 3;
                    p.deviceType = 2;
                    p.deviceClass = 63;
                    std::strcpy(p.typeName, "Quorvanel 3200");
                    std::strcpy(p.portName, "COM4:");
                    WirePut32(&b[WIRE_STATUS], GI_NO_ERROR);
                    WireEncodePortInfo(&b[WIRE_RECORD], &p);
                    return b;
                  },
                  [](const std::vector<uint8_t> &b) {
                    EXPECT_EQ(WireGet32(&b[WIRE_RECORD + 4]), 2u);  // the type behind the ID
                    EXPECT_EQ(std::string((const char *)&b[WIRE_RECORD + 140]), "COM4:");
                    GiPortInfo back;
                    WireDecodePortInfo(&b[WIRE_RECORD], &back);
                    EXPECT_EQ(back.deviceId, 3);
                    EXPECT_EQ(back.deviceType, 2);
                    EXPECT_EQ(back.deviceClass, 63);
                    EXPECT_STREQ(back.typeName, "Quorvanel 3200");
                    EXPECT_STREQ(back.portName, "COM4:");
                  }});
  rows.push_back({"driver reply", REQ_GET_DRIVER_INFO,
                  [] {
                    std::vector<uint8_t> b(WIRE_DRIVER_REPLY);
                    GiDriverInfo d;
                    std::memset(&d, 0, sizeof d);
                    d.major = 8;
                    d.minor = 0;
                    d.build = 15;
                    std::strcpy(d.version, "Gyrantrix Driver version 8.0");
                    std::strcpy(d.date, "January 31, 1997");
                    WireEncodeDriverInfo(&b[WIRE_RECORD], &d);
                    return b;
                  },
                  [](const std::vector<uint8_t> &b) {
                    EXPECT_EQ(WireGet32(&b[WIRE_RECORD + 8]), 15u);
                    GiDriverInfo back;
                    WireDecodeDriverInfo(&b[WIRE_RECORD], &back);
                    EXPECT_EQ(back.major, 8);
                    EXPECT_EQ(back.build, 15);
                    EXPECT_STREQ(back.version, "Gyrantrix Driver version 8.0");
                    EXPECT_STREQ(back.date, "January 31, 1997");
                  }});
  rows.push_back({"device info reply", REQ_GET_DEVICE_INFO,
                  [] {
                    std::vector<uint8_t> b(WIRE_DEVICE_INFO_REPLY);
                    GiDeviceInfo d;
                    std::memset(&d, 0, sizeof d);
                    d.deviceType = 1;
                    d.numButtons = 9;
                    d.numDegrees = 6;
                    d.canBeep = 1;
                    std::strcpy(d.firmware, "HvFirmware");
                    WireEncodeDeviceInfo(&b[WIRE_RECORD], &d);
                    return b;
                  },
                  [](const std::vector<uint8_t> &b) {
                    EXPECT_EQ(WireGet32(&b[WIRE_RECORD + 4]), 9u);
                    EXPECT_EQ(std::string((const char *)&b[WIRE_RECORD + 16]), "HvFirmware");
                    GiDeviceInfo back;
                    WireDecodeDeviceInfo(&b[WIRE_RECORD], &back);
                    EXPECT_EQ(back.deviceType, 1);
                    EXPECT_EQ(back.numButtons, 9);
                    EXPECT_EQ(back.numDegrees, 6);
                    EXPECT_EQ(back.canBeep, 1);
                    EXPECT_STREQ(back.firmware, "HvFirmware");
                  }});
  return rows;
}

TEST(Wire, EveryReplyLayoutRoundTrips) {
  for (const Layout &l : Layouts()) {
    SCOPED_TRACE(l.name);
    std::vector<uint8_t> bytes = l.encode();
    EXPECT_EQ((int32_t)bytes.size(), WireReplySize(l.code));
    l.check(bytes);
  }
}

TEST(Wire, ReplySizesOfEveryCode) {
  struct Case {
    int32_t code, size;
  };
  const Case cases[] = {
      {REQ_TRANSPORT_INFO, 8},
      {REQ_VERSION, 4},
      {REQ_SHUTDOWN, 4},
      {REQ_GET_NUM_DEVICES, 4},
      {REQ_GET_DEVICE_PORT, 272},
      {REQ_GET_DRIVER_INFO, 272},
      {REQ_UNSUPPORTED_105, 4},
      {REQ_GET_DATA_MODE, 8},
      {REQ_OPEN, 20},
      {REQ_CONVERSE, 12},
      {REQ_GRAB, 4},
      {REQ_GET_DEVICE_INFO, 148},
      {REQ_GET_UI_MODE, 8},
      {REQ_RESET_QUEUE, 2},
      {REQ_CLOSE, -1},
      {REQ_BEEP, -1},
      {REQ_SET_UI_MODE, -1},
      {117, -1},
  };
  for (const Case &c : cases) EXPECT_EQ(WireReplySize(c.code), c.size) << c.code;
}

WireOpenRequest SampleOpen(const char *name, int32_t maskPresent) {
  WireOpenRequest r;
  std::memset(&r, 0, sizeof r);
  r.name = (const uint8_t *)name;
  r.nameSize = (int32_t)std::strlen(name) + 1;
  r.deviceId = -1;
  r.maskPresent = maskPresent;
  for (int i = 0; i < 8; i++) r.mask[i] = (uint8_t)(0x11 * (i + 1));
  r.mode = GI_EVENT_MODE;
  r.window = 0x80001234u;
  r.reserved = 7;
  r.eventMask = WIRE_ALL_EVENT_TYPES;
  return r;
}

TEST(Wire, OpenRequestRoundTripsWithAndWithoutTheMask) {
  for (int32_t present : {1, 0}) {
    SCOPED_TRACE(present);
    WireOpenRequest r = SampleOpen("app", present);
    uint8_t buf[64];
    int32_t n = WireEncodeOpen(buf, sizeof buf, &r);
    ASSERT_EQ(n, 4 + 36 - (present ? 0 : 8));
    // The device ID lies right behind the name; the event mask is last.
    EXPECT_EQ((int32_t)WireGet32(buf + 4 + 4), -1);
    EXPECT_EQ(WireGet32(buf + n - 4), 31u);
    WireOpenRequest back;
    ASSERT_TRUE(WireDecodeOpen(buf, n, &back));
    EXPECT_EQ(back.nameSize, 4);
    EXPECT_EQ(std::memcmp(back.name, "app", 4), 0);
    EXPECT_EQ(back.deviceId, -1);
    EXPECT_EQ(back.maskPresent, present);
    if (present) {
      EXPECT_EQ(std::memcmp(back.mask, r.mask, 8), 0);
    }
    EXPECT_EQ(back.mode, GI_EVENT_MODE);
    EXPECT_EQ(back.window, 0x80001234u);
    EXPECT_EQ(back.reserved, 7u);
    EXPECT_EQ(back.eventMask, 31u);
  }
}

TEST(Wire, OpenRequestCutShortAtEveryLengthIsRefused) {
  WireOpenRequest r = SampleOpen("name", 1);
  uint8_t buf[64];
  int32_t n = WireEncodeOpen(buf, sizeof buf, &r);
  ASSERT_EQ(n, 5 + WIRE_OPEN_FIXED);
  WireOpenRequest back;
  for (int32_t len = 0; len < n; len++) EXPECT_FALSE(WireDecodeOpen(buf, len, &back)) << len;
  EXPECT_TRUE(WireDecodeOpen(buf, n, &back));
  // A name length that is negative or runs past the data.
  for (int32_t bad : {-1, 1000, INT32_MAX}) {
    WirePut32(buf, (uint32_t)bad);
    EXPECT_FALSE(WireDecodeOpen(buf, n, &back)) << bad;
  }
}

TEST(Wire, OpenRequestThatDoesNotFitIsNotEncoded) {
  WireOpenRequest r = SampleOpen("name", 1);
  uint8_t buf[64];
  EXPECT_EQ(WireEncodeOpen(buf, 40, &r), -1);
  EXPECT_EQ(WireEncodeOpen(buf, 41, &r), 41);
  r.nameSize = -3;
  EXPECT_EQ(WireEncodeOpen(buf, sizeof buf, &r), -1);
}

TEST(WireReader, ReadsWordsUntilTheLengthRunsOut) {
  auto data = Words({7, -2, 99});
  WireReader a;
  WireReaderInit(&a, data.data(), 8);  // the third word lies outside the request
  int32_t v = 0;
  EXPECT_TRUE(WireReadWord(&a, &v));
  EXPECT_EQ(v, 7);
  EXPECT_TRUE(WireReadWord(&a, &v));
  EXPECT_EQ(v, -2);
  EXPECT_EQ(WireReadLeft(&a), 0);
  EXPECT_FALSE(WireReadWord(&a, &v));
  EXPECT_EQ(v, -2);
  EXPECT_FALSE(a.ok);
}

TEST(WireReader, ByteCountsCountTowardsTheTotal) {
  struct Case {
    int32_t length, count;
    bool ok;
  };
  const Case cases[] = {{12, 8, true}, {12, 9, false}, {12, -1, false}, {4, 0, true}, {0, 0, true}};
  for (const Case &c : cases) {
    std::vector<uint8_t> data(16, 0);
    WireReader a;
    WireReaderInit(&a, data.data(), c.length);
    int32_t n;
    const uint8_t *p = nullptr;
    bool ok = (c.length < 4 || WireReadWord(&a, &n)) && WireReadBytes(&a, c.count, &p);
    EXPECT_EQ(ok, c.ok) << c.length << "/" << c.count;
  }
}

TEST(WireReader, FailedReadStaysFailed) {
  auto data = Words({1, 2});
  WireReader a;
  WireReaderInit(&a, data.data(), 8);
  const uint8_t *p;
  EXPECT_FALSE(WireReadBytes(&a, 12, &p));
  int32_t v;
  EXPECT_FALSE(WireReadWord(&a, &v)) << "a later read that would fit still fails";
  WireReaderInit(&a, data.data(), -5);
  EXPECT_FALSE(WireReadBytes(&a, 0, &p)) << "a negative length holds nothing";
}

TEST(WireWriter, StopsAtItsCapacity) {
  uint8_t buf[6] = {0};
  WireWriter w;
  WireWriterInit(&w, buf, 6);
  EXPECT_TRUE(WireWriteWord(&w, 0x01020304u));
  EXPECT_FALSE(WireWriteWord(&w, 5));
  EXPECT_FALSE(WireWriteBytes(&w, "x", 1)) << "nothing more after an overflow";
  EXPECT_EQ(w.used, 4);
  EXPECT_EQ(buf[4], 0);
}

}  // namespace
