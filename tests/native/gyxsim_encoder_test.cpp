// The simulator's Quorvanel packet encoders against an independent decoder
// written from the protocol: every packet the simulator sends must decode,
// the way the driver decodes it, to exactly the values it was given.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "tools/gyxsim/simmodel.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Wire(const SimBytes &b) {
  return Bytes(b.data, b.data + b.count);
}

// The driver's packet decoding: the bytes up to the first CR; a caret and
// M, Q, S or caret stand for CR, XON, XOFF, caret; a caret and anything
// else drops everything decoded after the type byte. consumed = packet
// bytes taken from wire (an "@" message takes one byte more).
Bytes Decode(const Bytes &wire, size_t *consumed) {
  Bytes out;
  size_t end = 0;
  while (end < wire.size() && wire[end] != 0x0D) end++;
  if (end == wire.size()) {
    *consumed = 0;
    return out;
  }
  for (size_t i = 0; i <= end; i++) {
    if (wire[i] != '^') {
      out.push_back(wire[i]);
      continue;
    }
    uint8_t next = wire[++i];
    if (next == 'M' || next == 'Q' || next == 'S')
      out.push_back((uint8_t)(next & 0xBF));
    else if (next == '^')
      out.push_back(0x5E);
    else
      out.resize(1);
  }
  *consumed = end + 1 + (!out.empty() && out[0] == '@' ? 1 : 0);
  return out;
}

int32_t Word(const Bytes &d, int at) {
  return (int32_t)(int16_t)(uint16_t)(d[at] << 8 | d[at + 1]);
}

SimBytes Motion(const SimModel *m, int32_t period, std::vector<int32_t> axes, int *rc) {
  SimMotion motion = {};
  motion.period = period;
  for (int i = 0; i < 6; i++) motion.axis[i] = axes[i];
  SimBytes out;
  SimBytesClear(&out);
  *rc = m->encodeMotion(&motion, &out);
  return out;
}

TEST(GyxsimEncoder, MotionPacketsDecodeToTheirValues) {
  // Values whose bytes must be escaped (0D, 11, 13, 5E) in either half,
  // signs, extremes and a zero packet.
  const std::vector<std::vector<int32_t>> cases = {
      {320, 0, 0, 0, 0, 0, 0},
      {320, 1, -1, 100, -100, 32767, -32768},
      {-20, 0x0D, 0x0D00, 0x11, 0x1300, 0x5E, 0x5E5E},
      {0x0D0D, 0x1113, -0x5E5F, 0x0D5E, 0x5E0D, 0x1111, 0x1313},
      {0x5E00, -1, -2, -3, -4, -5, -6},
  };
  for (const SimModel *m : {&SimModelQv2200, &SimModelQv3200}) {
    for (const auto &c : cases) {
      int rc;
      SimBytes wire = Motion(m, c[0], {c[1], c[2], c[3], c[4], c[5], c[6]}, &rc);
      ASSERT_EQ(rc, SIM_OK);
      size_t used;
      Bytes d = Decode(Wire(wire), &used);
      ASSERT_EQ(used, (size_t)wire.count) << "the CR must end the packet, not sit inside it";
      ASSERT_EQ(d.size(), 16u);
      EXPECT_EQ(d[0], 'D');
      EXPECT_EQ(d[15], 0x0D);
      EXPECT_EQ(Word(d, 1), c[0]);
      for (int i = 0; i < 6; i++) EXPECT_EQ(Word(d, 3 + 2 * i), c[1 + i]) << "axis " << i;
      for (int i = 0; i < wire.count - 1; i++) {
        EXPECT_NE(wire.data[i], 0x0D);
        EXPECT_NE(wire.data[i], 0x11) << "XON would be taken as flow control";
        EXPECT_NE(wire.data[i], 0x13) << "XOFF would be taken as flow control";
      }
    }
  }
}

TEST(GyxsimEncoder, EscapedDataByteLengthensThePacketOnTheWire) {
  int rc;
  SimBytes wire = Motion(&SimModelQv2200, 0, {0x0D, 0, 0, 0, 0, 0}, &rc);
  ASSERT_EQ(rc, SIM_OK);
  const Bytes expected = {'D', 0, 0, 0, '^', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0D};
  EXPECT_EQ(Wire(wire), expected);
}

TEST(GyxsimEncoder, OutOfRangeValuesAreRefusedAndLeaveTheOutputAlone) {
  for (const std::vector<int32_t> &c : std::vector<std::vector<int32_t>>{
           {32768, 0, 0, 0, 0, 0, 0}, {0, -32769, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 70000}}) {
    SimMotion motion = {};
    motion.period = c[0];
    for (int i = 0; i < 6; i++) motion.axis[i] = c[1 + i];
    SimBytes out;
    SimBytesClear(&out);
    SimBytesPut(&out, 'x');
    EXPECT_EQ(SimModelQv2200.encodeMotion(&motion, &out), SIM_ERR_ARGUMENT);
    EXPECT_EQ(out.count, 1);
  }
  SimBytes out;
  SimBytesClear(&out);
  EXPECT_EQ(SimModelQv2200.encodeButtons(0x10000, &out), SIM_ERR_ARGUMENT);
  EXPECT_EQ(out.count, 0);
}

TEST(GyxsimEncoder, EveryButtonFieldDecodesToItself) {
  for (uint32_t field = 0; field <= 0xFFFF; field++) {
    SimBytes out;
    SimBytesClear(&out);
    ASSERT_EQ(SimModelQv2200.encodeButtons(field, &out), SIM_OK);
    size_t used;
    Bytes d = Decode(Wire(out), &used);
    ASSERT_EQ(used, (size_t)out.count);
    ASSERT_EQ(d.size(), 4u) << std::hex << field;
    ASSERT_EQ(d[0], 'K');
    ASSERT_EQ((uint32_t)(d[1] << 8 | d[2]), field);
  }
}

// The device's own layout: 0x40 in each byte of the field, buttons below.
TEST(GyxsimEncoder, NamedButtonsGiveTheDevicesBytes) {
  struct Case {
    const SimModel *model;
    std::vector<const char *> names;
    Bytes wire;
  } cases[] = {
      {&SimModelQv2200, {"1"}, {'K', 0x40, 0x41, 0x0D}},
      {&SimModelQv2200, {"5", "7"}, {'K', 0x45, 0x40, 0x0D}},
      {&SimModelQv2200, {"rezero", "9"}, {'K', 0x58, 0x40, 0x0D}},
      {&SimModelQv2200, {"2", "3", "4"}, {'K', 0x40, 0x4E, 0x0D}},
      {&SimModelQv3200, {"left", "right"}, {'K', 0x40, 0x70, 0x0D}},
      {&SimModelQv3200, {"rezero"}, {'K', 0x60, 0x40, 0x0D}},
      {&SimModelQv3200, {}, {'K', 0x40, 0x40, 0x0D}},
  };
  for (const Case &c : cases) {
    uint32_t field = c.model->buttonIdle;
    for (const char *name : c.names) {
      bool found = false;
      for (int i = 0; i < c.model->buttonCount; i++)
        if (strcmp(c.model->buttons[i].name, name) == 0) {
          field |= c.model->buttons[i].rawBit;
          found = true;
        }
      ASSERT_TRUE(found) << name;
    }
    SimBytes out;
    SimBytesClear(&out);
    ASSERT_EQ(c.model->encodeButtons(field, &out), SIM_OK);
    EXPECT_EQ(Wire(out), c.wire) << c.model->key;
  }
}

TEST(GyxsimEncoder, MessageCarriesOneByteAfterItsCr) {
  const char *text = "RESET^\r";
  SimBytes out;
  SimBytesClear(&out);
  ASSERT_EQ(SimModelQv2200.encodeMessage((const uint8_t *)text, (int)strlen(text), &out), SIM_OK);
  Bytes wire = Wire(out);
  // Followed by a button packet: the driver skips exactly the byte after the
  // message's CR, and the button packet must still decode.
  SimBytes k;
  SimBytesClear(&k);
  ASSERT_EQ(SimModelQv2200.encodeButtons(0x4041, &k), SIM_OK);
  wire.insert(wire.end(), k.data, k.data + k.count);
  size_t used;
  Bytes d = Decode(wire, &used);
  EXPECT_EQ(d, (Bytes{'@', 'R', 'E', 'S', 'E', 'T', '^', 0x0D, 0x0D}));
  EXPECT_EQ(used, (size_t)out.count);
  Bytes rest(wire.begin() + (long)used, wire.end());
  Bytes d2 = Decode(rest, &used);
  EXPECT_EQ(d2, (Bytes{'K', 0x40, 0x41, 0x0D}));
}

// The driver accepts a reply whose 46 characters start with its prefix and
// whose digit after "2." belongs to the configured model.
TEST(GyxsimEncoder, DefaultRepliesIdentifyTheirModel) {
  for (const SimModel *m : {&SimModelQv2200, &SimModelQv3200}) {
    SimBytes out;
    SimBytesClear(&out);
    ASSERT_EQ(m->encodeReply((const uint8_t *)m->firmware, (int)strlen(m->firmware), &out), SIM_OK);
    ASSERT_EQ(out.count, 47);
    EXPECT_EQ(out.data[46], 0x0D);
    std::string text((const char *)out.data, 46);
    EXPECT_EQ(text.rfind("HvFirmware version 2.", 0), 0u) << text;
    int digit = text[21] - '0';
    bool threeThousand = digit == 3 || digit == 6 || digit == 9;
    EXPECT_EQ(threeThousand, m == &SimModelQv3200) << text;
  }
  const uint8_t probe[] = {'h', 'v', '\r'};
  EXPECT_EQ(SimModelQv2200.isProbe(probe, 3), 1);
  EXPECT_EQ(SimModelQv2200.isProbe(probe, 2), 0);
  const uint8_t upper[] = {'H', 'V', '\r'};
  EXPECT_EQ(SimModelQv2200.isProbe(upper, 3), 0);
}

TEST(GyxsimEncoder, ModelsAreFoundByKeyOrNameInAnyCase) {
  EXPECT_EQ(SimFindModel("2200"), &SimModelQv2200);
  EXPECT_EQ(SimFindModel("quorvanel 3200"), &SimModelQv3200);
  EXPECT_EQ(SimFindModel("Quorvanel 2200 "), nullptr);
  EXPECT_EQ(SimFindModel("4"), nullptr);
  EXPECT_EQ(SimFindModel(nullptr), nullptr);
  EXPECT_EQ(SimFindModel("STICK"), &SimModelStick);
  EXPECT_EQ(SimFindModel("lumeqaro 700"), &SimModelLumeqaro);
  ASSERT_EQ(SimModelCount(), 4);
  EXPECT_EQ(SimModelAt(4), nullptr);
}

TEST(GyxsimEscape, EveryByteSurvivesTheTextFormAndNoBlankAppears) {
  uint8_t all[256];
  for (int i = 0; i < 256; i++) all[i] = (uint8_t)i;
  char text[256 * 4 + 1];
  ASSERT_GT(SimEscape(text, sizeof text, all, 256), 0);
  EXPECT_EQ(strchr(text, ' '), nullptr);
  SimBytes back;
  ASSERT_EQ(SimUnescape(&back, text), SIM_OK);
  ASSERT_EQ(back.count, 256);
  EXPECT_EQ(memcmp(back.data, all, 256), 0);
}

TEST(GyxsimEscape, TextFormEdges) {
  const uint8_t b[] = {'F', 'T', 0, '\r', ' ', '\\'};
  char text[64];
  EXPECT_EQ(SimEscape(text, sizeof text, b, 6), 12);
  EXPECT_STREQ(text, "FT\\0\\r\\x20\\\\");
  // A buffer too small keeps whole escapes only.
  EXPECT_EQ(SimEscape(text, 5, b, 6), SIM_ERR_FULL);
  EXPECT_STREQ(text, "FT\\0");

  SimBytes out;
  EXPECT_EQ(SimUnescape(&out, "a b\\x7e"), SIM_OK);
  EXPECT_EQ(std::string((const char *)out.data, (size_t)out.count), "a b~");
  for (const char *bad : {"\\", "\\q", "\\x", "\\x4", "\\xg0"})
    EXPECT_EQ(SimUnescape(&out, bad), SIM_ERR_SYNTAX) << bad;
  std::string tooLong(SIM_BYTES_MAX + 1, 'a');
  EXPECT_EQ(SimUnescape(&out, tooLong.c_str()), SIM_ERR_FULL);
}

}  // namespace
