/* udbit7_parse_test.cpp — the Quorvanel Stick and Lumeqaro protocols from
 * byte strings: the bit-7 framing, command encoding, motion fields with sign
 * extension and cooked scaling, buttons, device messages, malformed and
 * wrong-length packets, the bounds of the receive buffer, and opening both
 * models on virtual ports. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/device/udbit7.h"
#include "driver/device/uddevlq.h"
#include "driver/device/uddevqs.h"
#include "driver/device/udmodel.h"
#include "udfake.h"

using udfake::Bytes;

namespace {

/* Packs 10-bit fields, most significant bit first, into bytes of 7 data
 * bits with bit 7 set: the layout both models use for motion. */
std::vector<uint8_t> Pack7(const std::vector<uint32_t> &fields, int bytes) {
  std::vector<uint8_t> out((size_t)bytes, 0);
  int bit = 0;
  for (uint32_t f : fields)
    for (int i = 9; i >= 0; i--, bit++)
      if (f >> i & 1u) out[(size_t)(bit / 7)] |= (uint8_t)(0x40 >> (bit % 7));
  for (uint8_t &b : out) b |= 0x80;
  return out;
}

/* A Stick "D" packet: period, then tx ty tz rx ry rz as 10-bit fields. */
std::string StickMotion(uint32_t period, const std::vector<uint32_t> &axes) {
  std::vector<uint32_t> fields = {period};
  fields.insert(fields.end(), axes.begin(), axes.end());
  std::vector<uint8_t> b = Pack7(fields, 11);
  return "D" + std::string(b.begin(), b.end());
}

/* A Lumeqaro "D" packet: six 10-bit fields in bytes 2 to 10, scrambled. */
std::string LumeqaroMotion(const std::vector<uint32_t> &axes) {
  std::vector<uint8_t> b = Pack7(axes, 9);
  for (int i = 0; i < LQ_KEY_LENGTH; i++) b[(size_t)i] = (uint8_t)(((b[(size_t)i] & 0x7F) ^ lqKey[i]) | 0x80);
  return "D\x80" + std::string(b.begin(), b.end()) + "\x80";
}

const std::string kNext = "K"; /* the first byte of whatever packet follows */

/* A device record open on a virtual port, fed through UdParseInput as the
 * driver feeds it. */
class Bit7Parse : public ::testing::Test {
 protected:
  udfake::World world;
  UdDevice *dev = &gUdDevices[0];

  void SetUp() override {
    udfake::Reset(&world);
    ASSERT_EQ(0, UdLoadModels());
    Use(GI_TYPE_QUORVANEL_STICK);
  }
  void Use(int32_t type) {
    UdResetReceive(dev);
    dev->type = type;
    dev->model = UdFindModel(type, 0);
    dev->dataMode = 1;
    dev->lastButtons = 0;
    dev->ops = dev->model->ops;
    world.ports[0].open = true;
  }
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
  /* The one event a packet gives once the next packet's first byte is there. */
  GiEvent One(const std::string &packet) {
    std::vector<GiEvent> events = Feed(packet + kNext);
    EXPECT_EQ(1u, events.size());
    UdResetReceive(dev);
    return events.empty() ? GiEvent{} : events[0];
  }
};

TEST_F(Bit7Parse, StickButtonPacketEndsOnlyWhenTheNextPacketBegins) {
  EXPECT_TRUE(Feed(Bytes("\x4B\x81\x80\x80", 4)).empty()) << "a lone K gives nothing yet";
  auto events = Feed("D");
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(GI_BUTTON_EVENT, events[0].type);
  EXPECT_EQ(0x80000000u, events[0].current) << "raw bit 0 is the right button";
  EXPECT_EQ(0x80000000u, events[0].pressed);
  EXPECT_EQ(1, dev->rxCount) << "the next packet's first byte stays";
}

TEST_F(Bit7Parse, CookedButtonsOfBothModels) {
  struct Case {
    int32_t type;
    std::string packet;
    uint32_t cooked, raw;
  } cases[] = {
      {GI_TYPE_QUORVANEL_STICK, Bytes("K\x82\x80\x80", 4), 0x40000000u, 0x02}, /* left */
      {GI_TYPE_QUORVANEL_STICK, Bytes("K\xC3\x80\x80", 4), 0xC0000001u, 0x43}, /* both, and bit 6 */
      {GI_TYPE_QUORVANEL_STICK, Bytes("K\xBC\x80\x80", 4), 0x0u, 0x3C},        /* no button there */
      {GI_TYPE_LUMEQARO_700, Bytes("K\x80\xC1\x80\x80", 5), 0x3u, 0x41},       /* raw 6 -> 0, raw 0 -> 1 */
      {GI_TYPE_LUMEQARO_700, Bytes("K\x80\xBF\x80\x80", 5), 0x7Eu, 0x3F},      /* buttons 1 to 6 */
      {GI_TYPE_LUMEQARO_700, Bytes("K\xFF\x80\xFF\xFF", 5), 0x0u, 0x00},       /* only byte 2 counts */
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " " << testing::PrintToString(c.packet));
    Use(c.type);
    EXPECT_EQ(c.cooked, One(c.packet).current);
    Use(c.type);
    dev->dataMode = 0;
    EXPECT_EQ(c.raw, One(c.packet).current);
  }
}

TEST_F(Bit7Parse, PressAndReleaseFollowTheButtons) {
  std::vector<GiEvent> events = Feed(Bytes("K\x81\x80\x80K\x83\x80\x80K\x82\x80\x80", 12) + kNext);
  ASSERT_EQ(3u, events.size());
  EXPECT_EQ(0x40000000u, events[1].pressed);
  EXPECT_EQ(0x80000000u, events[2].released);
  EXPECT_EQ(0x40000000u, events[2].current);
}

TEST_F(Bit7Parse, StickMotionFieldsScaledAndSignExtended) {
  struct Case {
    int32_t mode;
    std::vector<uint32_t> fields; /* tx ty tz rx ry rz */
    int32_t tx, ty, tz, rx, ry, rz;
  } cases[] = {
      {1, {0, 0, 0x3FF, 0, 0, 0}, 0, 0, 29, 0, 0, 0},  /* tz -1: scaled, then negated */
      {1, {0, 0, 0x001, 0, 0, 0}, 0, 0, -29, 0, 0, 0}, /* tz 1 */
      {1, {0x1FF, 0x200, 0, 0, 0, 0x200}, 511 * 29, -512 * 29, 0, 0, 0, 512 * 29},
      {1, {1, 2, 3, 4, 5, 6}, 29, 58, -87, 116, 145, -174},
      {0, {0x3FF, 0x200, 0x1FF, 1, 0x2AA, 0x155}, -1, -512, 511, 1, -342, 341}, /* raw: as decoded */
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " tz field " << std::hex << c.fields[2]);
    Use(GI_TYPE_QUORVANEL_STICK);
    dev->dataMode = c.mode;
    GiEvent e = One(StickMotion(20, c.fields));
    EXPECT_EQ(GI_MOTION_EVENT, e.type);
    EXPECT_EQ(20, e.period) << "the period stays as decoded";
    EXPECT_EQ(c.tx, e.tx);
    EXPECT_EQ(c.ty, e.ty);
    EXPECT_EQ(c.tz, e.tz);
    EXPECT_EQ(c.rx, e.rx);
    EXPECT_EQ(c.ry, e.ry);
    EXPECT_EQ(c.rz, e.rz);
  }
  /* The period is ten bits and not sign-extended. */
  EXPECT_EQ(1023, One(StickMotion(1023, {1, 0, 0, 0, 0, 0})).period);
}

TEST_F(Bit7Parse, LumeqaroMotionDescrambledWithAFixedPeriod) {
  struct Case {
    int32_t mode;
    std::vector<uint32_t> fields;
    int32_t tx, ty, tz, rx, ry, rz;
  } cases[] = {
      {1, {0x200, 0x200, 0x200, 0x200, 0x200, 0x200}, -14848, -14848, 14848, -14848, -14848, 14848},
      {1, {1, 0x3FF, 2, 0x3FE, 3, 0x3FD}, 29, -29, -58, -58, 87, 87},
      {0, {0x200, 0x1FF, 0x155, 0x2AA, 0, 7}, -512, 511, 341, -342, 0, 7},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " tx field " << std::hex << c.fields[0]);
    Use(GI_TYPE_LUMEQARO_700);
    dev->dataMode = c.mode;
    GiEvent e = One(LumeqaroMotion(c.fields));
    EXPECT_EQ(GI_MOTION_EVENT, e.type);
    EXPECT_EQ(33, e.period);
    EXPECT_EQ(c.tx, e.tx);
    EXPECT_EQ(c.ty, e.ty);
    EXPECT_EQ(c.tz, e.tz);
    EXPECT_EQ(c.rx, e.rx);
    EXPECT_EQ(c.ry, e.ry);
    EXPECT_EQ(c.rz, e.rz);
  }
  /* Without the key the same bytes mean something else: it is applied. */
  Use(GI_TYPE_LUMEQARO_700);
  dev->dataMode = 0;
  std::string unscrambled = "D\x80" + std::string(9, '\x80') + "\x80";
  EXPECT_NE(0, One(unscrambled).tx);
}

TEST_F(Bit7Parse, AllZeroMotionIsAZeroEvent) {
  GiEvent e = One(StickMotion(20, {0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(GI_ZERO_EVENT, e.type);
  EXPECT_EQ(20, e.period);
  Use(GI_TYPE_LUMEQARO_700);
  e = One(LumeqaroMotion({0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(GI_ZERO_EVENT, e.type);
  EXPECT_EQ(33, e.period);
}

TEST_F(Bit7Parse, StickMessageKeepsItsBytesAsReceived) {
  std::string message = "R" + std::string("\xC5\xF2\xF2", 3); /* "R" "Err" with bit 7 set */
  GiEvent e = One(message);
  EXPECT_EQ(GI_EXCEPTION_EVENT, e.type);
  EXPECT_EQ(message, std::string(GI_EVENT_TEXT(&e)));
  EXPECT_TRUE(world.ports[0].written.empty()) << "a message changes nothing on the device";

  Use(GI_TYPE_LUMEQARO_700);
  EXPECT_TRUE(Feed(message + kNext).empty()) << "the Lumeqaro sends no messages";
}

TEST_F(Bit7Parse, LongMessageIsCutToTheEventTextAndTheBufferStaysSmall) {
  /* 2000 bytes of one "R" message: its first 127 bytes become the text, the
   * rest is dropped as it arrives, and the packet behind it counts. */
  std::string message = "R" + std::string(1999, '\xE1');
  for (size_t at = 0; at < message.size(); at += 256) {
    EXPECT_TRUE(Feed(message.substr(at, 256)).empty());
    EXPECT_LE(dev->rxCount, UD_B7_PACKET_MAX);
  }
  auto events = Feed(Bytes("K\x81\x80\x80", 4) + kNext);
  ASSERT_EQ(2u, events.size());
  EXPECT_EQ(GI_EXCEPTION_EVENT, events[0].type);
  const char *text = GI_EVENT_TEXT(&events[0]);
  EXPECT_EQ(127u, strnlen(text, GI_EVENT_TEXT_SIZE));
  EXPECT_EQ(message.substr(0, 127), std::string(text));
  EXPECT_EQ(GI_BUTTON_EVENT, events[1].type);
  EXPECT_EQ(1999u - (UD_B7_PACKET_MAX - 1), dev->rxDropped);
}

TEST_F(Bit7Parse, RunWithoutAPacketStartIsDroppedAndTheLineGoesOn) {
  /* Bytes with bit 7 set and no packet before them continue nothing. */
  std::string noise(3000, '\xAA');
  for (size_t at = 0; at < noise.size(); at += 256) EXPECT_TRUE(Feed(noise.substr(at, 256)).empty());
  EXPECT_EQ(0, dev->rxCount);
  EXPECT_EQ(3000u, dev->rxDropped);
  /* The same behind a packet start: the packet is cut, and counts as too long. */
  EXPECT_TRUE(Feed("D" + noise).empty());
  EXPECT_EQ(UD_B7_PACKET_MAX, dev->rxCount);
  auto events = Feed(Bytes("K\x81\x80\x80", 4) + kNext);
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(GI_BUTTON_EVENT, events[0].type);
}

TEST_F(Bit7Parse, UncollectedPacketsFillTheBufferAndTheNewestGoWhole) {
  std::string packets;
  for (int i = 0; i < 300; i++)
    packets += Bytes(i % 2 ? "K\x81\x80\x80" : "K\x82\x80\x80", 4); /* 1200 bytes */
  GiEvent ev;
  /* A caller that stops after the first event and feeds more. */
  ASSERT_EQ(UD_EVENT_READY, UdParseInput(dev, (const uint8_t *)packets.data(), 1000, &ev));
  ASSERT_EQ(UD_EVENT_READY, UdParseInput(dev, (const uint8_t *)packets.data() + 1000, 200, &ev));
  /* 996 bytes buffered + 28 that fit = 1024, one packet taken since. */
  EXPECT_EQ(UD_RX_SIZE - 4, dev->rxCount);
  int more = 0;
  while (UdParseInput(dev, nullptr, 0, &ev) == UD_EVENT_READY) {
    more++;
    EXPECT_EQ(GI_BUTTON_EVENT, ev.type);
  }
  EXPECT_EQ(UD_RX_SIZE / 4 - 2, more) << "every packet kept is whole; the last waits for its successor";
  EXPECT_EQ(4, dev->rxCount);
  /* What did not fit is gone whole: the next start byte completes the last packet kept. */
  auto events = Feed(kNext);
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(GI_BUTTON_EVENT, events[0].type);
}

TEST_F(Bit7Parse, MalformedAndWrongLengthPacketsGiveNoEvent) {
  struct Case {
    int32_t type;
    std::string packet;
  } cases[] = {
      {GI_TYPE_QUORVANEL_STICK, StickMotion(20, {1, 1, 1, 1, 1, 1}).substr(0, 11)}, /* D of 11 */
      {GI_TYPE_QUORVANEL_STICK, StickMotion(20, {1, 1, 1, 1, 1, 1}) + "\x80"},      /* D of 13 */
      {GI_TYPE_QUORVANEL_STICK, Bytes("K\x81\x80", 3)},
      {GI_TYPE_QUORVANEL_STICK, Bytes("K\x81\x80\x80\x80", 5)},
      {GI_TYPE_QUORVANEL_STICK, Bytes("X\x81\x80\x80", 4)}, /* unknown type */
      {GI_TYPE_QUORVANEL_STICK, "K"},                       /* a type byte alone */
      {GI_TYPE_LUMEQARO_700, LumeqaroMotion({1, 1, 1, 1, 1, 1}).substr(0, 11)},
      {GI_TYPE_LUMEQARO_700, LumeqaroMotion({1, 1, 1, 1, 1, 1}) + "\x80"},
      {GI_TYPE_LUMEQARO_700, Bytes("K\x80\x81\x80", 4)},
      {GI_TYPE_LUMEQARO_700, Bytes("K\x81\x80\x80", 4)}, /* the Stick's button packet */
      {GI_TYPE_LUMEQARO_700, Bytes("R\xC1\xC2", 3)},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " " << testing::PrintToString(c.packet));
    Use(c.type);
    std::string good =
        c.type == GI_TYPE_LUMEQARO_700 ? Bytes("K\x80\x81\x80\x80", 5) : Bytes("K\x81\x80\x80", 4);
    auto events = Feed(c.packet + good + kNext);
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(GI_BUTTON_EVENT, events[0].type);
    EXPECT_EQ(1, dev->rxCount);
  }
}

TEST_F(Bit7Parse, ReadsCutAtEverySizeGiveTheSameEvents) {
  struct Stream {
    int32_t type;
    std::string bytes;
  } streams[] = {
      {GI_TYPE_QUORVANEL_STICK, Bytes("K\x81\x80\x80", 4) + StickMotion(20, {5, 0x3FF, 7, 100, 300, 0x200}) +
                                    Bytes("X\x80\xFF", 3) + "R" + std::string(200, '\xC1') +
                                    Bytes("K\x80\x80\x80", 4) + StickMotion(20, {0, 0, 0, 0, 0, 0}) + kNext},
      {GI_TYPE_LUMEQARO_700, Bytes("K\x80\x81\x80\x80", 5) + LumeqaroMotion({5, 0x3FF, 7, 100, 300, 0x200}) +
                                 Bytes("K\x81", 2) + Bytes("K\x80\x80\x80\x80", 5) +
                                 LumeqaroMotion({0, 0, 0, 0, 0, 0}) + kNext},
  };
  for (const Stream &s : streams) {
    Use(s.type);
    std::vector<GiEvent> whole = Feed(s.bytes);
    ASSERT_EQ(s.type == GI_TYPE_LUMEQARO_700 ? 4u : 5u, whole.size());
    for (size_t piece = 1; piece <= s.bytes.size(); piece++) {
      Use(s.type);
      std::vector<GiEvent> pieces;
      for (size_t at = 0; at < s.bytes.size(); at += piece) {
        std::vector<GiEvent> got = Feed(s.bytes.substr(at, piece));
        pieces.insert(pieces.end(), got.begin(), got.end());
      }
      ASSERT_EQ(whole.size(), pieces.size()) << "type " << s.type << ", pieces of " << piece;
      for (size_t i = 0; i < whole.size(); i++)
        EXPECT_EQ(0, memcmp(&whole[i], &pieces[i], sizeof(GiEvent))) << piece << "/" << i;
    }
  }
}

TEST_F(Bit7Parse, BytesWantedPerParserState) {
  /* A packet of known length wants its missing bytes and the next one's
   * first byte, which ends it; anything else waits for any byte (0). */
  struct Case {
    int32_t type;
    std::string fed;
    int32_t want;
  } cases[] = {
      {GI_TYPE_QUORVANEL_STICK, "", 0},                         // between packets
      {GI_TYPE_QUORVANEL_STICK, "D", 12},                       // 11 bytes to come, then the next first byte
      {GI_TYPE_QUORVANEL_STICK, Bytes("D\x81\x82\x83", 4), 9},  // counted from what is there
      {GI_TYPE_QUORVANEL_STICK, StickMotion(20, {}).substr(0, 11), 2},
      {GI_TYPE_QUORVANEL_STICK, StickMotion(20, {}), 0},  // all its bytes: only the next begins it
      {GI_TYPE_QUORVANEL_STICK, "K", 4},
      {GI_TYPE_QUORVANEL_STICK, Bytes("K\x81\x80\x80", 4), 0},
      {GI_TYPE_QUORVANEL_STICK, Bytes("R\xC1\xC2", 3), 0},  // device messages have no length
      {GI_TYPE_QUORVANEL_STICK, "\r", 0},                   // the simulator's trailing CR: no known type
      {GI_TYPE_QUORVANEL_STICK, Bytes("D\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C", 13),
       0},                                                 // too long
      {GI_TYPE_QUORVANEL_STICK, Bytes("\x81\x82", 2), 0},  // no packet begun: the bytes are dropped
      {GI_TYPE_LUMEQARO_700, "", 0},
      {GI_TYPE_LUMEQARO_700, "D", 12},
      {GI_TYPE_LUMEQARO_700, "K", 5},
      {GI_TYPE_LUMEQARO_700, Bytes("K\x80\x81\x80", 4), 2},
      {GI_TYPE_LUMEQARO_700, Bytes("R\xC1", 2), 0},                // no such packet on this model
      {GI_TYPE_LUMEQARO_700, Bytes("K\x80\x81\x80\x80\r", 6), 0},  // the button packet given, a CR under way
      {GI_TYPE_LUMEQARO_700, Bytes("\rD", 2), 12},                 // the CR given up, a motion packet begun
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << " " << testing::PrintToString(c.fed));
    Use(c.type);
    Feed(c.fed);
    EXPECT_EQ(c.want, UdBytesWanted(dev));
  }
  Use(GI_TYPE_QUORVANEL_STICK);
  Feed("R" + std::string(300, '\xC1'));
  EXPECT_EQ(0, UdBytesWanted(dev)) << "a message cut to the event text";
}

TEST_F(Bit7Parse, ReadsSizedByBytesWantedEndWhereTheNextPacketBegins) {
  /* The serial layer reads what UdBytesWanted asks (one byte, here, when it
   * says 0). A sized read must end on the byte that begins the next packet
   * (bit 7 clear), take no byte of that packet beyond it, and the events
   * must be those of one read of everything. Streams as the simulator sends
   * them (a CR after every packet) and back to back. */
  struct Stream {
    int32_t type;
    std::string bytes;
    size_t events;
  } streams[] = {
      {GI_TYPE_QUORVANEL_STICK,
       Bytes("K\x81\x80\x80\r", 5) + StickMotion(20, {5, 0x3FF, 7, 100, 300, 0x200}) + "\r" +
           Bytes("R\xC1\xC2\r", 4) + StickMotion(20, {1, 2, 3, 4, 5, 6}) + "\r" + StickMotion(20, {}) + "\r",
       5},
      {GI_TYPE_QUORVANEL_STICK,
       StickMotion(20, {5, 0x3FF, 7, 100, 300, 0x200}) + StickMotion(20, {1, 2, 3, 4, 5, 6}) +
           Bytes("K\x81\x80\x80", 4) + StickMotion(20, {}) + kNext,
       4},
      {GI_TYPE_LUMEQARO_700,
       Bytes("K\x80\x81\x80\x80\r", 6) + LumeqaroMotion({5, 0x3FF, 7, 100, 300, 0x200}) + "\r" +
           LumeqaroMotion({1, 2, 3, 4, 5, 6}) + "\r" + LumeqaroMotion({}) + "\r",
       4},
      {GI_TYPE_LUMEQARO_700,
       LumeqaroMotion({5, 0x3FF, 7, 100, 300, 0x200}) + Bytes("K\x80\x81\x80\x80", 5) + LumeqaroMotion({}) +
           kNext,
       3},
  };
  for (const Stream &s : streams) {
    SCOPED_TRACE(testing::Message() << "type " << s.type << " " << testing::PrintToString(s.bytes));
    Use(s.type);
    std::vector<GiEvent> whole = Feed(s.bytes);
    ASSERT_EQ(s.events, whole.size());
    Use(s.type);
    std::vector<GiEvent> sized;
    size_t reads = 0;
    for (size_t at = 0; at < s.bytes.size(); reads++) {
      int32_t want = UdBytesWanted(dev);
      ASSERT_GE(want, 0);
      size_t n = want > 0 ? (size_t)want : 1;
      ASSERT_LE(at + n, s.bytes.size()) << "asked for bytes beyond the stream at " << at;
      std::string piece = s.bytes.substr(at, n);
      if (want > 0) {
        EXPECT_EQ(0, piece.back() & 0x80) << "a sized read at " << at << " ends inside a packet";
        for (size_t i = 0; i + 1 < n; i++)
          EXPECT_NE(0, piece[i] & 0x80) << "a read past a packet's start at " << at;
      }
      std::vector<GiEvent> got = Feed(piece);
      sized.insert(sized.end(), got.begin(), got.end());
      at += n;
    }
    ASSERT_EQ(whole.size(), sized.size());
    for (size_t i = 0; i < whole.size(); i++)
      EXPECT_EQ(0, memcmp(&whole[i], &sized[i], sizeof(GiEvent))) << i;
    EXPECT_LT(reads, s.bytes.size() / 3) << "reads sized to packets, not to bytes";
  }
}

TEST(UdB7EncodeCommand, EncodesWithBit7AndChecksum) {
  struct Case {
    const char *text;
    std::string wire;
  } cases[] = {
      {"hv", Bytes("\x68\xF6\x9E\x0D", 4)},
      {"BcC", Bytes("\x42\xE3\xC3\xE2\x0D", 5)},
      {"reset", Bytes("\x72\xE5\xF3\xE5\xF4\xF5\x0D", 7)},
      {"B", Bytes("\x42\xC2\x0D", 3)},
      {"B\r", Bytes("\x42\x8D\xCF\x0D", 4)}, /* a CR in the text cannot end the command */
  };
  for (const Case &c : cases) {
    uint8_t out[UD_B7_COMMAND_SIZE];
    int32_t n = UdB7EncodeCommand(out, c.text);
    ASSERT_EQ((int32_t)c.wire.size(), n) << c.text;
    EXPECT_EQ(c.wire, std::string((const char *)out, (size_t)n)) << c.text;
  }
  uint8_t out[UD_B7_COMMAND_SIZE];
  std::string longest(UD_B7_TEXT_MAX, 'c');
  EXPECT_EQ(UD_B7_TEXT_MAX + 2, UdB7EncodeCommand(out, longest.c_str()));
  EXPECT_EQ(-1, UdB7EncodeCommand(out, (longest + "c").c_str()));
  EXPECT_EQ(-1, UdB7EncodeCommand(out, ""));
  EXPECT_EQ(-1, UdB7EncodeCommand(out, nullptr));
  /* The Stick's probe in the model table is "hv" in this encoding. */
  const UdProbe &probe = UdKnownModel(GI_TYPE_QUORVANEL_STICK, 0)->ident;
  ASSERT_EQ(4, UdB7EncodeCommand(out, "hv"));
  EXPECT_EQ(0, memcmp(out, probe.probe, 4));
}

TEST(UdB7Signed10, TenBitTwosComplement) {
  EXPECT_EQ(0, UdB7Signed10(0));
  EXPECT_EQ(511, UdB7Signed10(0x1FF));
  EXPECT_EQ(-512, UdB7Signed10(0x200));
  EXPECT_EQ(-1, UdB7Signed10(0x3FF));
  EXPECT_EQ(1, UdB7Signed10(0x401)) << "bits above the tenth are cut";
}

/* ---- Opening both models on a virtual port ------------------------------- */

class Bit7Open : public ::testing::Test {
 protected:
  udfake::World world;
  void SetUp() override { udfake::Reset(&world); }
  void TearDown() override {
    UdFreeModels();
    UdClearDevices();
  }
  UdDevice *Load(const char *model) {
    world.profile.Set("gyrantx.ini", "COM1:", "devicetype", model);
    EXPECT_EQ(0, UdLoadModels());
    EXPECT_EQ(0, UdLoadDevices());
    return UdDeviceAt(0);
  }
  /* Answers the probe with text framed as the device frames it: the first
   * byte plain, the others with bit 7 set. */
  void Answer(const std::string &probe, const std::string &text) {
    world.ports[0].onWrite = [this, probe, text](udfake::Port &p, const std::string &bytes) {
      if (bytes != probe) return;
      std::string wire = text.substr(0, 1);
      for (size_t i = 1; i < text.size(); i++) wire += (char)(text[i] | 0x80);
      p.SendAt(world.now + 30, wire + "\r");
    };
  }
};

const std::string kStickProbe = Bytes("\x68\xF6\x9E\x0D", 4);
const std::string kStickReply = "HvV3.21 Stick 042";
const std::string kLumeqaroReply = "!1 Quorvanel (R) V4.03 Lumeqaro 700 SN 00420 1996-05";

TEST_F(Bit7Open, EachModelIdentifiesWithBit7Removed) {
  struct Case {
    const char *model;
    std::string probe, reply;
  } cases[] = {{"Quorvanel Stick", kStickProbe, kStickReply}, {"Lumeqaro 700", "?\r", kLumeqaroReply}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.model);
    udfake::Reset(&world);
    world = udfake::World();
    UdDevice *dev = Load(c.model);
    Answer(c.probe, c.reply);
    ASSERT_EQ(UD_OK, UdOpenDevice(dev));
    EXPECT_EQ(c.reply, std::string(dev->ident));
    EXPECT_EQ(c.probe, world.ports[0].written) << "identification only: no set-up follows";
    EXPECT_EQ(100, world.now);
    EXPECT_EQ(1, dev->dataMode);
    int32_t period = 0;
    EXPECT_EQ(UD_OK, UdGetPeriod(dev, &period));
    EXPECT_EQ(50, period);
    EXPECT_TRUE(world.log.empty());
    UdCloseDevice(dev);
  }
}

TEST_F(Bit7Open, AnotherModelOnThePortIsNoDevice) {
  struct Case {
    const char *configured;
    std::string probe, reply; /* what the device on the port answers */
  } cases[] = {
      {"Quorvanel Stick", "?\r", kLumeqaroReply}, /* a Lumeqaro ignores the Stick's probe */
      {"Lumeqaro 700", kStickProbe, kStickReply}, /* and the other way round */
      {"Quorvanel Stick", "hv\r", "HvFirmware version 2.14 Quorvanel 2200 SN 0042"},
      {"Quorvanel 2200", kStickProbe, kStickReply},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.configured);
    udfake::Reset(&world);
    world = udfake::World();
    UdDevice *dev = Load(c.configured);
    Answer(c.probe, c.reply);
    EXPECT_EQ(UD_NO_DEVICE, UdOpenDevice(dev));
    EXPECT_FALSE(world.ports[0].open) << "the port is free again";
    EXPECT_EQ(nullptr, dev->ops);
  }
}

TEST_F(Bit7Open, CommandsSendTheirBytes) {
  for (const char *model : {"Quorvanel Stick", "Lumeqaro 700"}) {
    SCOPED_TRACE(model);
    udfake::Reset(&world);
    world = udfake::World();
    UdDevice *dev = Load(model);
    bool stick = std::string(model) == "Quorvanel Stick";
    Answer(stick ? kStickProbe : "?\r", stick ? kStickReply : kLumeqaroReply);
    ASSERT_EQ(UD_OK, UdOpenDevice(dev));
    std::string &written = world.ports[0].written;

    written.clear();
    EXPECT_EQ(UD_OK, UdBeep(dev, "cC"));
    EXPECT_EQ(Bytes("\x42\xE3\xC3\xE2\x0D", 5), written);
    written.clear();
    EXPECT_EQ(UD_BAD_ARGUMENT, UdBeep(dev, std::string(40, 'c').c_str())) << "too long to encode";
    EXPECT_TRUE(written.empty());
    EXPECT_EQ(UD_OK, UdResetDevice(dev));
    EXPECT_EQ(Bytes("\x72\xE5\xF3\xE5\xF4\xF5\x80\x0D", 8), written);
    written.clear();
    EXPECT_EQ(UD_OK, UdRezero(dev));
    EXPECT_EQ("Z\r", written);
    const uint8_t raw[2] = {'x', '\r'};
    EXPECT_EQ(UD_UNSUPPORTED, UdWriteDevice(dev, raw, 2));

    world.ports[0].failWrites = true;
    EXPECT_EQ(UD_OK, UdBeep(dev, "cC")) << "a beep's write is not checked";
    EXPECT_EQ(UD_BAD_ARGUMENT, UdResetDevice(dev));
    EXPECT_EQ(UD_BAD_ARGUMENT, UdRezero(dev));
    world.ports[0].failWrites = false;
    EXPECT_EQ(UD_OK, UdCloseDevice(dev));
  }
}

}  // namespace
