// The simulator's Quorvanel Stick and Lumeqaro: every packet it sends goes
// through the driver's own parser to exactly the values it was given, the
// commands the driver encodes are read back with their checksums checked, the
// identification reply is what the driver looks for, and a model without an
// initialisation is ready once its reply has left the line.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "driver/device/udbit7.h"
#include "driver/device/uddevlq.h"
#include "driver/device/uddevqs.h"
#include "tests/native/simfixture.h"
#include "tools/gyxsim/simengine.h"

namespace {

std::string Wire(const SimBytes &b) {
  return std::string((const char *)b.data, (size_t)b.count);
}

// The events the driver's parser (raw mode) makes of what the simulator sent
// (its reports end with a CR, which completes them), and of one more byte.
std::vector<GiEvent> Parse(UdB7Interpret interpret, const std::string &wire) {
  static UdDevice dev;
  memset(&dev, 0, sizeof dev);
  dev.dataMode = 0;
  std::string bytes = wire + "K";
  std::vector<GiEvent> events;
  GiEvent ev;
  int32_t r = UdB7Parse(&dev, (const uint8_t *)bytes.data(), (int32_t)bytes.size(), &ev, interpret);
  while (r == UD_EVENT_READY) {
    events.push_back(ev);
    r = UdB7Parse(&dev, nullptr, 0, &ev, interpret);
  }
  return events;
}

struct Framed {
  const SimModel *model;
  UdB7Interpret interpret;
};
const Framed kFramed[] = {{&SimModelStick, QsInterpret}, {&SimModelLumeqaro, LqInterpret}};

TEST(GyxsimBit7, MotionPacketsParseToTheirValues) {
  const std::vector<std::vector<int32_t>> axes = {{0, 0, 0, 0, 0, 0},
                                                  {1, -1, 2, -2, 3, -3},
                                                  {511, -512, 511, -512, 511, -512},
                                                  {-300, 7, 0, 256, -255, 100}};
  for (const Framed &f : kFramed) {
    for (const auto &a : axes) {
      SimMotion m = {};
      m.period = 20;
      for (int i = 0; i < 6; i++) m.axis[i] = a[(size_t)i];
      SimBytes out;
      SimBytesClear(&out);
      ASSERT_EQ(f.model->encodeMotion(&m, &out), SIM_OK) << f.model->key;
      ASSERT_EQ(out.count, 13);
      EXPECT_EQ(out.data[12], 0x0D) << "ends with a byte that completes it";
      std::vector<GiEvent> ev = Parse(f.interpret, Wire(out));
      ASSERT_EQ(ev.size(), 1u) << f.model->key;
      EXPECT_EQ(ev[0].type, a == axes[0] ? GI_ZERO_EVENT : GI_MOTION_EVENT);
      EXPECT_EQ(ev[0].period, f.model == &SimModelStick ? 20 : LQ_PERIOD_MS);
      const int32_t got[6] = {ev[0].tx, ev[0].ty, ev[0].tz, ev[0].rx, ev[0].ry, ev[0].rz};
      for (int i = 0; i < 6; i++) EXPECT_EQ(got[i], a[(size_t)i]) << f.model->key << " axis " << i;
    }
  }
}

TEST(GyxsimBit7, ValuesOutsideTheFieldsAreRefusedAndLeaveTheOutputAlone) {
  SimMotion m = {};
  SimBytes out;
  SimBytesClear(&out);
  for (const Framed &f : kFramed) {
    m = SimMotion{};
    m.axis[3] = 512;
    EXPECT_EQ(f.model->encodeMotion(&m, &out), SIM_ERR_ARGUMENT) << f.model->key;
    m.axis[3] = -513;
    EXPECT_EQ(f.model->encodeMotion(&m, &out), SIM_ERR_ARGUMENT) << f.model->key;
    EXPECT_EQ(f.model->encodeButtons(0x80, &out), SIM_ERR_ARGUMENT) << f.model->key;
  }
  m = SimMotion{};
  m.period = 1024;
  EXPECT_EQ(SimModelStick.encodeMotion(&m, &out), SIM_ERR_ARGUMENT) << "the period has ten bits";
  m.period = -1;
  EXPECT_EQ(SimModelStick.encodeMotion(&m, &out), SIM_ERR_ARGUMENT);
  EXPECT_EQ(SimModelLumeqaro.encodeMessage((const uint8_t *)"x", 1, &out), SIM_ERR_ARGUMENT)
      << "the Lumeqaro has no device messages";
  EXPECT_EQ(out.count, 0);
}

TEST(GyxsimBit7, ButtonsAndMessagesParseToTheirValues) {
  for (const Framed &f : kFramed)
    for (uint32_t raw = 0; raw <= 0x7F; raw++) {
      SimBytes out;
      SimBytesClear(&out);
      ASSERT_EQ(f.model->encodeButtons(raw, &out), SIM_OK);
      std::vector<GiEvent> ev = Parse(f.interpret, Wire(out));
      ASSERT_EQ(ev.size(), 1u) << f.model->key << " " << raw;
      EXPECT_EQ(ev[0].current, raw);
    }
  SimBytes out;
  SimBytesClear(&out);
  ASSERT_EQ(SimModelStick.encodeMessage((const uint8_t *)"Err 4", 5, &out), SIM_OK);
  std::vector<GiEvent> ev = Parse(QsInterpret, Wire(out));
  ASSERT_EQ(ev.size(), 1u);
  EXPECT_EQ(ev[0].type, GI_EXCEPTION_EVENT);
  EXPECT_EQ(std::string(GI_EVENT_TEXT(&ev[0])), "R\xC5\xF2\xF2\xA0\xB4") << "bytes as received";
}

TEST(GyxsimBit7, NamedButtonsGiveTheDevicesBytes) {
  struct Case {
    const SimModel *model;
    const char *name;
    std::string wire;
  } cases[] = {
      {&SimModelStick, "right", std::string("K\x81\x80\x80\r", 5)},
      {&SimModelStick, "left", std::string("K\x82\x80\x80\r", 5)},
      {&SimModelStick, "rezero", std::string("K\xC0\x80\x80\r", 5)},
      {&SimModelLumeqaro, "1", std::string("K\x80\x81\x80\x80\r", 6)},
      {&SimModelLumeqaro, "6", std::string("K\x80\xA0\x80\x80\r", 6)},
      {&SimModelLumeqaro, "rezero", std::string("K\x80\xC0\x80\x80\r", 6)},
  };
  for (const Case &c : cases) {
    SimCommand cmd;
    char error[100];
    ASSERT_EQ(SimParseCommand(c.model, (std::string("press ") + c.name).c_str(), &cmd, error, sizeof error),
              SIM_OK)
        << error;
    SimBytes out;
    SimBytesClear(&out);
    ASSERT_EQ(c.model->encodeButtons(c.model->buttonIdle | cmd.mask, &out), SIM_OK);
    EXPECT_EQ(Wire(out), c.wire) << c.model->key << " " << c.name;
  }
}

TEST(GyxsimBit7, CommandsTheDriverEncodesReadBackAsText) {
  struct Case {
    std::string text; /* what the driver encodes, without CR */
  } cases[] = {{"hv"}, {"BcC"}, {"BcCc"}, {"B"}, {"B\x7F"}};
  for (const Case &c : cases) {
    uint8_t wire[UD_B7_COMMAND_SIZE];
    int32_t n = UdB7EncodeCommand(wire, c.text.c_str());
    ASSERT_GT(n, 0);
    SimBytes text;
    ASSERT_EQ(SimModelStick.decodeCommand(wire, n, &text), SIM_OK) << c.text;
    EXPECT_EQ(Wire(text), c.text + "\r");
    wire[n - 2] ^= 0x01; /* a checksum one bit off */
    EXPECT_EQ(SimModelStick.decodeCommand(wire, n, &text), SIM_ERR_SYNTAX) << c.text;
  }
  const std::string plain[] = {"Z\r", "?\r"};
  for (const std::string &p : plain) {
    SimBytes text;
    ASSERT_EQ(SimModelLumeqaro.decodeCommand((const uint8_t *)p.data(), (int)p.size(), &text), SIM_OK);
    EXPECT_EQ(Wire(text), p);
  }
  const std::string reset("\x72\xE5\xF3\xE5\xF4\xF5\x80\x0D", 8);
  SimBytes text;
  ASSERT_EQ(SimModelStick.decodeCommand((const uint8_t *)reset.data(), 8, &text), SIM_OK);
  EXPECT_EQ(Wire(text), "reset\r");
  const std::string unframed("BcC\x62\x0D", 5); /* the text sent without bit 7 */
  EXPECT_EQ(SimModelStick.decodeCommand((const uint8_t *)unframed.data(), 5, &text), SIM_ERR_SYNTAX);
}

// The bit-7 models' engine: the same fixture, started per test with its model.
using GyxsimBit7Engine = SimEngineFixture;

TEST_F(GyxsimBit7Engine, ProbeIsAnsweredWithTheReplyTheDriverLooksFor) {
  struct Case {
    const SimModel *model;
    std::string probe, prefix;
    size_t length;
  } cases[] = {{&SimModelStick, std::string("\x68\xF6\x9E\x0D", 4), "HvV3", 17},
               {&SimModelLumeqaro, "?\r", "!1 Quorvanel (R) V4.", 52}};
  for (const Case &c : cases) {
    Start(c.model);
    EXPECT_EQ(Run("waitinit timeout=1000"), "(pending)");
    Feed("hv\r");
    EXPECT_EQ(Drain(), "") << c.model->key << ": another model's probe is not answered";
    Feed(c.probe);
    std::string reply = Drain();
    ASSERT_GE(reply.size(), c.length);
    EXPECT_EQ(reply[0] & 0x80, 0) << "the reply begins like a packet";
    std::string text;
    for (char ch : reply) text += (char)(ch & 0x7F); /* as the driver reads it */
    EXPECT_EQ(text.substr(0, c.prefix.size()), c.prefix);
    EXPECT_EQ(text.substr(0, c.length), std::string(c.model->firmware));
    EXPECT_EQ(Poll(), "ok inits=1 bad=0") << "ready once its reply has left the line";
    EXPECT_EQ(Run("init"), "ok inits=1 bad=0 probes=1 commands=2 garbled=1") << "hv\\r is not encoded";
  }
}

TEST_F(GyxsimBit7Engine, GarbledCommandsAreCountedAndPlainTextWaitsMatch) {
  Start(&SimModelStick);
  Feed(std::string("\x42\xE3\xC3\xE3\x81\x0D", 6)); /* "BcCc" encoded: the open beep */
  Feed(std::string("\x42\xE3\xC3\xE3\x82\x0D", 6)); /* the same with a wrong checksum */
  EXPECT_EQ(Run("init"), "ok inits=0 bad=0 probes=0 commands=2 garbled=1");
  EXPECT_EQ(Run("waitcmd BcCc\\r timeout=0"), "ok") << "by its plain text";
  EXPECT_EQ(Run("waitcmd B\\xe3\\xc3\\xe3\\x81\\r timeout=0"), "ok") << "by its bytes";
  EXPECT_EQ(Run("log"), "ok 2 B\\xe3\\xc3\\xe3\\x81\\r B\\xe3\\xc3\\xe3\\x82\\r")
      << "the log keeps the bytes";
  EXPECT_NE(Run("status").find(" garbled=1 "), std::string::npos);
}

TEST_F(GyxsimBit7Engine, MoveSendsTheModelsMotionPackets) {
  Start(&SimModelLumeqaro);
  EXPECT_EQ(Run("move 1 2 3 -4 -5 511 count=2 every=0"), "(pending)");
  std::string wire = Drain();
  ASSERT_EQ(wire.size(), 26u);
  std::vector<GiEvent> ev = Parse(LqInterpret, wire);
  ASSERT_EQ(ev.size(), 2u);
  EXPECT_EQ(ev[1].rz, 511);
  EXPECT_EQ(ev[1].rx, -4);
  EXPECT_EQ(Run("move 512 0 0 0 0 0"), "err cannot encode after 0 packets") << "ten bits per axis";
  EXPECT_EQ(Run("message hello"), "err cannot encode");
}

}  // namespace
