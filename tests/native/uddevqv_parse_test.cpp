/* uddevqv_parse_test.cpp — the Quorvanel packet parser and command encoder
 * from byte strings: events, remapping, escapes, framing across reads,
 * malformed packets and the bounds of every buffer. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/device/uddevqv.h"
#include "driver/device/udmodel.h"
#include "udfake.h"

using udfake::Bytes;

namespace {

const std::string kInitBytes = Bytes(
    "\r"
    "CB\r"
    "NT\r"
    "FT\0\rFR\0\r"
    "P@r@r\r"
    "MSSV\r"
    "Z\r",
    28);

/* A device record that is open on a virtual port, so that the parser runs
 * through UdParseInput exactly as the driver calls it. */
class QvParse : public ::testing::Test {
 protected:
  udfake::World world;
  UdDevice *dev = &gUdDevices[0];

  void SetUp() override {
    udfake::Reset(&world);
    ASSERT_EQ(0, UdLoadModels());
    Use(1);
  }
  void Use(int32_t type) {
    dev->type = type;
    dev->model = UdFindModel(type, 0);
    dev->dataMode = 1;
    dev->ops = &udQuorvanelOps;
    world.ports[0].open = true;
  }
  /* Feeds bytes in one call and collects every event they complete. */
  std::vector<GiEvent> Feed(const std::string &bytes) {
    std::vector<GiEvent> events;
    GiEvent ev;
    int32_t r = UdParseInput(dev, (const uint8_t *)bytes.data(), (int32_t)bytes.size(), &ev);
    while (r == UD_EVENT_READY) {
      events.push_back(ev);
      r = UdParseInput(dev, nullptr, 0, &ev);
    }
    EXPECT_EQ(UD_OK, r);
    return events;
  }
  static std::string Motion(int period, const int16_t axes[6]) {
    std::string p = "D";
    p += (char)((period >> 8) & 0xFF);
    p += (char)(period & 0xFF);
    for (int i = 0; i < 6; i++) {
      p += (char)((axes[i] >> 8) & 0xFF);
      p += (char)(axes[i] & 0xFF);
    }
    return p + "\r";
  }
};

TEST_F(QvParse, ButtonPacketRemapsRawBitZeroToButtonOne) {
  auto events = Feed(Bytes("\x4B\x40\x41\x0D", 4));
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(GI_BUTTON_EVENT, events[0].type);
  EXPECT_EQ(0x2u, events[0].current);
  EXPECT_EQ(0x0u, events[0].last);
  EXPECT_EQ(0x2u, events[0].pressed);
  EXPECT_EQ(0x0u, events[0].released);
}

TEST_F(QvParse, CookedButtonLayoutPerModel) {
  struct Case {
    int32_t type;
    uint8_t high, low;
    uint32_t expected;
  } cases[] = {
      {1, 0x40, 0x4F, 0x1Eu},       /* raw 0-3 -> 1-4 */
      {1, 0x47, 0x40, 0xE0u},       /* raw 8-10 -> 5-7 */
      {1, 0x48, 0x40, 0x1u},        /* raw 11 -> 0 */
      {1, 0x50, 0x40, 0x80000000u}, /* raw 12 -> 31 */
      {1, 0x40, 0x70, 0x0u},        /* raw 4, 5 are not buttons of the 2200 */
      {2, 0x00, 0x30, 0xC0000000u}, /* 3200: raw 5 -> 30, raw 4 -> 31 */
      {2, 0x20, 0x00, 0x1u},        /* 3200: raw 13 -> 0 */
      {2, 0x40, 0x4F, 0x0u},        /* 3200: raw 0-3 drop */
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " raw " << std::hex << (c.high << 8 | c.low));
    Use(c.type);
    dev->lastButtons = 0;
    std::string packet = std::string("K") + (char)c.high + (char)c.low + "\r";
    auto events = Feed(packet);
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(c.expected, events[0].current);
  }
}

TEST_F(QvParse, RawModeKeepsTheDeviceBits) {
  dev->dataMode = 0;
  auto events = Feed(Bytes("K\x40\x41\r", 4));
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(0x4041u, events[0].current);
  EXPECT_EQ(0x4041u, events[0].pressed);
}

TEST_F(QvParse, TwoButtonPacketsInOneReadGiveTwoEvents) {
  std::string two = Bytes("K\x40\x41\rK\x40\x42\r", 8);
  GiEvent ev;
  ASSERT_EQ(UD_EVENT_READY, UdParseInput(dev, (const uint8_t *)two.data(), (int32_t)two.size(), &ev));
  EXPECT_EQ(0x2u, ev.current);
  ASSERT_EQ(UD_EVENT_READY, UdParseInput(dev, (const uint8_t *)two.data(), 0, &ev));
  EXPECT_EQ(0x4u, ev.current);
  EXPECT_EQ(0x2u, ev.last);
  EXPECT_EQ(0x4u, ev.pressed);
  EXPECT_EQ(0x2u, ev.released);
  EXPECT_EQ(UD_OK, UdParseInput(dev, (const uint8_t *)two.data(), 0, &ev));
  EXPECT_EQ(0, dev->rxCount);
}

TEST_F(QvParse, ReadsOfAnySizeGiveTheSameEventsAsOneRead) {
  // The parser remembers how far it has searched for a CR; feeding a mixed
  // stream in pieces that cut packets anywhere must not lose or change one.
  const int16_t axes[6] = {5, -6, 7, 100, 300, -300};
  std::string stream = Bytes("K\x40\x41\r", 4) + Motion(320, axes) + "garbage\r" + Bytes("K\x40\x42\r", 4) +
                       Motion(160, axes) + Bytes("K\x40\x40\r", 4);
  std::vector<GiEvent> whole = Feed(stream);
  ASSERT_EQ(5u, whole.size());
  for (size_t piece : {1, 2, 3, 5, 7, 11, 16}) {
    SetUp();
    dev->lastButtons = 0;
    std::vector<GiEvent> pieces;
    for (size_t at = 0; at < stream.size(); at += piece) {
      std::vector<GiEvent> got = Feed(stream.substr(at, piece));
      pieces.insert(pieces.end(), got.begin(), got.end());
    }
    ASSERT_EQ(whole.size(), pieces.size()) << "pieces of " << piece;
    for (size_t i = 0; i < whole.size(); i++)
      EXPECT_EQ(0, memcmp(&whole[i], &pieces[i], 48)) << piece << "/" << i;
  }
}

TEST_F(QvParse, ReadsSizedByBytesWantedEndAtEachPacketsCr) {
  // The serial layer reads what UdBytesWanted asks (any one byte when it
  // says 0): every read must stop at a packet's CR, never take bytes of the
  // next packet, and the events must be those of one read of everything.
  const int16_t axes[6] = {5, -6, 7, 100, 300, -300};
  const std::string escaped = Bytes("D\x01\x40^M^Q^S^^\0\0\0\0\0\0\0\0\r", 20);
  std::string stream = Bytes("K\x40\x41\r", 4) + Motion(320, axes) + escaped + Bytes("@RESET OK\r\n", 11) +
                       Motion(160, axes) + Bytes("K\x40\x40\r", 4) + Motion(16, axes);
  std::vector<GiEvent> whole = Feed(stream);
  ASSERT_EQ(7u, whole.size());  // the device message is an event too
  SetUp();
  dev->lastButtons = 0;
  std::vector<GiEvent> sized;
  size_t reads = 0;
  for (size_t at = 0; at < stream.size(); reads++) {
    int32_t want = UdBytesWanted(dev);
    ASSERT_GE(want, 0);
    size_t n = want > 0 ? (size_t)want : 1;
    ASSERT_LE(at + n, stream.size()) << "asked for bytes beyond the last packet at " << at;
    std::string piece = stream.substr(at, n);
    size_t cr = piece.find('\r');
    EXPECT_TRUE(cr == std::string::npos || cr == n - 1) << "a read ran past a CR at " << at;
    std::vector<GiEvent> got = Feed(piece);
    sized.insert(sized.end(), got.begin(), got.end());
    at += n;
  }
  ASSERT_EQ(whole.size(), sized.size());
  for (size_t i = 0; i < whole.size(); i++) EXPECT_EQ(0, memcmp(&whole[i], &sized[i], 48)) << i;
  EXPECT_LT(reads, stream.size() / 3) << "reads sized to packets, not to bytes";
  EXPECT_EQ(0, UdBytesWanted(dev)) << "between packets any byte may start one";
}

TEST_F(QvParse, BytesWantedPerParserState) {
  struct Case {
    std::string fed;
    int32_t want;
  } cases[] = {
      {"", 0},                        // between packets
      {"D", 15},                      // a motion packet is at least 16 bytes
      {Bytes("D\x01\x40^M", 5), 11},  // an escape only lengthens it: still counted as bytes
      {Bytes("D\x01\x40\0\0\0\0\0\0\0\0\0\0\0\0", 15), 1},    // its CR may be next
      {Bytes("D\x01\x40^M\0\0\0\0\0\0\0\0\0\0\0\0", 17), 1},  // longer than the least: any byte may end it
      {"K", 3},
      {"K@", 2},
      {"@RES", 1},  // device messages have no fixed length
      {"x", 1},     // noise: any byte may be its CR
      {"@X\r", 1},  // the byte behind a message's CR, still to skip
  };
  for (const Case &c : cases) {
    SetUp();
    Feed(c.fed);
    EXPECT_EQ(c.want, UdBytesWanted(dev)) << "after " << c.fed.size() << " bytes: " << c.fed.substr(0, 4);
  }
  dev->ops = nullptr;
  EXPECT_EQ(0, UdBytesWanted(dev)) << "a closed device waits for any byte";
}

TEST_F(QvParse, MotionPacketAxesAndPeriod) {
  const int16_t axes[6] = {-2, 300, -32768, 32767, 1, -300};
  auto events = Feed(Motion(0x0140, axes)); /* 320 sixteenths of a millisecond */
  ASSERT_EQ(1u, events.size());
  const GiEvent &e = events[0];
  EXPECT_EQ(GI_MOTION_EVENT, e.type);
  EXPECT_EQ(20, e.period);
  EXPECT_EQ(-2, e.tx);
  EXPECT_EQ(300, e.ty);
  EXPECT_EQ(-32768, e.tz);
  EXPECT_EQ(32767, e.rx);
  EXPECT_EQ(1, e.ry);
  EXPECT_EQ(-300, e.rz);
}

TEST_F(QvParse, AllZeroMotionIsAZeroEventWithItsPeriodConverted) {
  const int16_t zero[6] = {0, 0, 0, 0, 0, 0};
  auto events = Feed(Motion(0x0320, zero));
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(GI_ZERO_EVENT, events[0].type);
  EXPECT_EQ(50, events[0].period);
}

TEST_F(QvParse, PeriodConversionTruncatesTowardZero) {
  const int16_t axes[6] = {1, 0, 0, 0, 0, 0};
  auto events = Feed(Motion(-20, axes)); /* high byte FF taken as signed */
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(-1, events[0].period);

  dev->dataMode = 0;
  events = Feed(Motion(-20, axes));
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(-20, events[0].period);
}

TEST_F(QvParse, PacketSplitOverTwoReadsWaitsForItsCr) {
  const int16_t axes[6] = {5, 6, 7, 8, 9, 10};
  std::string packet = Motion(160, axes);
  EXPECT_TRUE(Feed(packet.substr(0, 7)).empty());
  EXPECT_EQ(7, dev->rxCount);
  auto events = Feed(packet.substr(7));
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(10, events[0].period);
  EXPECT_EQ(10, events[0].rz);
  EXPECT_EQ(0, dev->rxCount);
}

TEST_F(QvParse, EscapedBytesInsideAMotionPacket) {
  /* tx = 0x0D11, ty = 0x135E: CR, XON, XOFF and the caret itself escaped. */
  std::string packet = Bytes(
      "D\x01\x40"
      "^M^Q"
      "^S^^"
      "\0\0\0\0\0\0\0\0\r",
      20);
  auto events = Feed(packet);
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(GI_MOTION_EVENT, events[0].type);
  EXPECT_EQ(0x0D11, events[0].tx);
  EXPECT_EQ(0x135E, events[0].ty);
  EXPECT_EQ(0, events[0].tz);
}

TEST_F(QvParse, MalformedPacketsAreConsumedWithoutEvents) {
  const std::string malformed[] = {
      Bytes("X\x40\x41\r", 4),        /* unknown type */
      Bytes("D\x01\x02\r", 4),        /* motion packet too short */
      Bytes("K\x40\x41\x42\r", 5),    /* CR not at position 3 */
      Bytes("K\x40\r", 3),            /* button packet too short */
      Bytes("K\x40^Z\x41\r", 6),      /* bad escape: decodes to "K", 41, CR */
      Bytes("\r", 1),                 /* empty packet */
      Bytes("^", 1) + Bytes("\r", 1), /* caret swallowing the CR */
  };
  for (const std::string &bad : malformed) {
    SCOPED_TRACE(testing::PrintToString(bad));
    dev->lastButtons = 0;
    auto events = Feed(bad + Bytes("K\x40\x42\r", 4));
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(GI_BUTTON_EVENT, events[0].type);
    EXPECT_EQ(0x4u, events[0].current);
    EXPECT_EQ(0, dev->rxCount);
  }
}

TEST_F(QvParse, BadEscapeKeepsOnlyThePacketType) {
  /* "D" + 20 bytes + bad escape + 14 bytes + CR: decoding restarts behind
   * the "D", and what follows the escape is a well-formed motion packet. */
  std::string tail = Bytes(
      "\x00\x10"
      "\x00\x01"
      "\0\0\0\0\0\0\0\0\0\0\r",
      15);
  std::string packet = "D" + std::string(20, 'x') + "^Z" + tail;
  auto events = Feed(packet);
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(GI_MOTION_EVENT, events[0].type);
  EXPECT_EQ(1, events[0].period);
  EXPECT_EQ(1, events[0].tx);
}

TEST_F(QvParse, DeviceMessageTakesTheByteAfterItsCr) {
  auto events = Feed(Bytes("@RESET OK\r\nK\x40\x41\r", 15));
  ASSERT_EQ(2u, events.size());
  EXPECT_EQ(GI_EXCEPTION_EVENT, events[0].type);
  EXPECT_STREQ("@RESET OK\r", GI_EVENT_TEXT(&events[0]));
  EXPECT_EQ(GI_BUTTON_EVENT, events[1].type);
}

TEST_F(QvParse, DeviceMessageWhoseCrEndsTheReadSkipsTheNextByteToArrive) {
  auto events = Feed("@X\r");
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(1, dev->rxSkip);
  events = Feed(Bytes("\nK\x40\x41\r", 5)); /* the newline belongs to the message */
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(GI_BUTTON_EVENT, events[0].type);

  /* Whatever byte comes next is taken, even a packet's first one. */
  Feed("@X\r");
  EXPECT_TRUE(Feed(Bytes("K\x41\x41\r", 4)).empty()); /* leaves "AA\r": no packet */
  EXPECT_EQ(0, dev->rxCount);
  EXPECT_EQ(1u, Feed(Bytes("K\x40\x41\r", 4)).size());
}

TEST_F(QvParse, DeviceMessageSendsTheInitialisationAgain) {
  auto events = Feed("@R\r\n");
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(kInitBytes, world.ports[0].written);
}

TEST_F(QvParse, DeviceMessageTextStaysTerminatedInsideTheEvent) {
  /* 128 decoded bytes: the text keeps 127 of them and its NUL. */
  std::string longest = "@" + std::string(126, 'a') + "\r";
  auto events = Feed(longest + "\n");
  ASSERT_EQ(1u, events.size());
  const char *text = GI_EVENT_TEXT(&events[0]);
  EXPECT_EQ(127u, strnlen(text, GI_EVENT_TEXT_SIZE));
  EXPECT_EQ('@', text[0]);
  EXPECT_EQ('a', text[126]);
}

TEST_F(QvParse, PacketDecodingToMoreThan128BytesIsDropped) {
  std::string over = "@" + std::string(127, 'a') + "\r"; /* 129 decoded bytes */
  uint32_t dropped = dev->rxDropped;
  auto events = Feed(over + "\n" + Bytes("K\x40\x41\r", 4));
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(GI_BUTTON_EVENT, events[0].type);
  EXPECT_EQ(dropped + over.size(), dev->rxDropped);
  EXPECT_TRUE(world.ports[0].written.empty()) << "a dropped message must not reset the device";

  /* Escapes count decoded, not on the wire: 100 escaped CRs are 100 bytes. */
  std::string escaped = "@";
  for (int i = 0; i < 100; i++) escaped += "^M";
  events = Feed(escaped + "\r\n");
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(GI_EXCEPTION_EVENT, events[0].type);
}

TEST_F(QvParse, OverlongMessageTakesItsLineFeedAlongAndTheNextPacketCounts) {
  /* The device ends every message with CR LF. A message too long to decode
   * is dropped, but its LF must go with it, or it becomes the type byte of
   * the packet behind it and that packet is lost. */
  const std::string message = "@" + std::string(140, 'e') + "\r\n";
  const std::string button = Bytes("K\x40\x41\r", 4);
  struct Case {
    const char *how;
    std::vector<std::string> reads;
  } cases[] = {
      {"one read", {message + button}},
      {"the CR ends a read", {message.substr(0, message.size() - 1), "\n" + button}},
      {"byte by byte", {}},
  };
  for (char c : message + button) cases[2].reads.push_back(std::string(1, c));
  for (const Case &c : cases) {
    SCOPED_TRACE(c.how);
    SetUp();
    std::vector<GiEvent> events;
    for (const std::string &r : c.reads) {
      auto got = Feed(r);
      events.insert(events.end(), got.begin(), got.end());
    }
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(GI_BUTTON_EVENT, events[0].type);
    EXPECT_EQ(0x2u, events[0].current);
    EXPECT_EQ(0, dev->rxCount);
    EXPECT_EQ(0, dev->rxSkip);
  }
}

TEST_F(QvParse, CookedButtonBytesAreNotSignExtended) {
  /* A button byte with bit 7 set (line noise, or a device that uses it) is
   * taken as it is in cooked mode. Sign-extended, as the raw reading does,
   * it would set every raw bit above it: on a 2200 buttons 5-7, the ninth
   * and the rezero button would seem pressed, and the device would rezero. */
  struct Case {
    int32_t type;
    uint8_t high, low;
    uint32_t cooked;
  } cases[] = {
      {GI_TYPE_QUORVANEL_2200, 0x40, 0xC1, 0x2u},        /* raw bits 0, 6, 7: button 1 only */
      {GI_TYPE_QUORVANEL_2200, 0xC0, 0x40, 0x0u},        /* bit 7 of the high byte: no button */
      {GI_TYPE_QUORVANEL_3200, 0x00, 0xB0, 0xC0000000u}, /* left and right, not bit 0 */
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " raw " << std::hex << (c.high << 8 | c.low));
    Use(c.type);
    dev->lastButtons = 0;
    auto events = Feed(std::string("K") + (char)c.high + (char)c.low + "\r");
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(c.cooked, events[0].current);
    EXPECT_EQ(0u, events[0].current & 1u) << "no rezero from a noisy byte";
  }
  /* The raw reading keeps the sign extension the device's raw field has. */
  Use(GI_TYPE_QUORVANEL_2200);
  dev->dataMode = 0;
  auto events = Feed(Bytes("K\x40\xC1\r", 4));
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(0xFFFFFFC1u, events[0].current);
}

TEST_F(QvParse, FloodWithoutCrIsDroppedUpToTheNextCr) {
  /* 1500 bytes with no CR, read 256 at a time as the driver reads. */
  std::string flood(1500, 'x');
  for (size_t at = 0; at < flood.size(); at += 256) {
    EXPECT_TRUE(Feed(flood.substr(at, 256)).empty());
    EXPECT_LE(dev->rxCount, UD_RX_SIZE);
  }
  EXPECT_EQ(1, dev->rxDiscard);
  /* The rest of the run up to its CR goes too; the packet after it counts. */
  auto events = Feed(Bytes("yyy\rK\x40\x41\r", 8));
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(0x2u, events[0].current);
  EXPECT_EQ(0, dev->rxDiscard);
  EXPECT_EQ(0, dev->rxCount);
  EXPECT_EQ(1504u, dev->rxDropped);
}

TEST_F(QvParse, RunOfExactlyTheBufferSizeStillEndsAtItsCr) {
  std::string run(UD_RX_SIZE - 1, 'x');
  run += "\r"; /* 1024 bytes with the CR: one (junk) packet, not an overflow */
  EXPECT_TRUE(Feed(run).empty());
  EXPECT_EQ(0, dev->rxDiscard);
  auto events = Feed(Bytes("K\x40\x41\r", 4));
  EXPECT_EQ(1u, events.size());
}

TEST_F(QvParse, UncollectedPacketsAreKeptWhenTheBufferFills) {
  /* A caller that stops after the first event and feeds more: the complete
   * packets already buffered stay, the bytes that no longer fit go. */
  std::string packets;
  for (int i = 0; i < 300; i++) packets += Bytes("K\x40\x41\r", 4); /* 1200 bytes */
  GiEvent ev;
  ASSERT_EQ(UD_EVENT_READY, UdParseInput(dev, (const uint8_t *)packets.data(), 1000, &ev));
  ASSERT_EQ(UD_EVENT_READY, UdParseInput(dev, (const uint8_t *)packets.data() + 1000, 200, &ev));
  /* 996 buffered + 28 that fit = 256 packets, one of them taken. */
  EXPECT_EQ(UD_RX_SIZE - 4, dev->rxCount);
  EXPECT_EQ(172u, dev->rxDropped);
  int more = 0;
  while (UdParseInput(dev, nullptr, 0, &ev) == UD_EVENT_READY) more++;
  EXPECT_EQ(UD_RX_SIZE / 4 - 1, more);
  EXPECT_EQ(0, dev->rxCount);
}

TEST_F(QvParse, ArgumentsAreChecked) {
  GiEvent ev;
  const uint8_t b[1] = {0x0D};
  EXPECT_EQ(UD_BAD_ARGUMENT, UdParseInput(nullptr, b, 1, &ev));
  EXPECT_EQ(UD_BAD_ARGUMENT, UdParseInput(dev, b, 1, nullptr));
  EXPECT_EQ(UD_BAD_ARGUMENT, UdParseInput(dev, nullptr, 1, &ev));
  EXPECT_EQ(UD_BAD_ARGUMENT, UdParseInput(dev, b, -1, &ev));
  dev->ops = nullptr;
  EXPECT_EQ(UD_BAD_ARGUMENT, UdParseInput(dev, b, 1, &ev));
}

TEST(QvDecode, EscapeTable) {
  struct Case {
    std::string wire, decoded;
  } cases[] = {
      {"K^M\r", "K\r\r"}, {"K^Q^S\r", Bytes("K\x11\x13\r", 4)},
      {"K^^\r", "K^\r"},  {"Kab^Zc\r", "Kc\r"}, /* bad escape: back to behind the type byte */
      {"^Zab\r", "ab\r"},                       /* bad escape before anything decoded */
      {"K^", "K"},                              /* a caret with nothing behind it */
  };
  for (const Case &c : cases) {
    uint8_t out[QV_DECODE_SIZE];
    int32_t n = QvDecode((const uint8_t *)c.wire.data(), (int32_t)c.wire.size(), out);
    ASSERT_GE(n, 0) << c.wire;
    EXPECT_EQ(c.decoded, std::string((const char *)out, (size_t)n)) << c.wire;
  }
}

TEST(QvDecode, StopsAtTheDecodeBufferSize) {
  std::string fits(QV_DECODE_SIZE, 'a'), over(QV_DECODE_SIZE + 1, 'a');
  uint8_t out[QV_DECODE_SIZE];
  EXPECT_EQ(QV_DECODE_SIZE, QvDecode((const uint8_t *)fits.data(), (int32_t)fits.size(), out));
  out[0] = 0;
  over[0] = '@';
  EXPECT_EQ(-1, QvDecode((const uint8_t *)over.data(), (int32_t)over.size(), out));
  EXPECT_EQ('@', out[0]) << "the type of a packet too long to decode stays known";
}

TEST(QvEncodeBeep, BuildsTheCommandAndRefusesUnsafePatterns) {
  uint8_t out[QV_COMMAND_SIZE];
  ASSERT_EQ(4, QvEncodeBeep(out, "cC"));
  EXPECT_EQ("BcC\r", std::string((const char *)out, 4));
  ASSERT_EQ(2, QvEncodeBeep(out, ""));
  EXPECT_EQ("B\r", std::string((const char *)out, 2));
  std::string longest(QV_BEEP_MAX, 'c');
  EXPECT_EQ(QV_BEEP_MAX + 2, QvEncodeBeep(out, longest.c_str()));
  EXPECT_EQ(-1, QvEncodeBeep(out, (longest + "c").c_str()));
  EXPECT_EQ(-1, QvEncodeBeep(out, "c\r@RESET"));
  EXPECT_EQ(-1, QvEncodeBeep(out, "c\x80"));
  EXPECT_EQ(-1, QvEncodeBeep(out, nullptr));
}

}  // namespace
