/* uddev_table_test.cpp — the model and device tables, device lookup by index
 * and type mask, the entry points' argument checks, press/release detection,
 * and opening Quorvanel devices on virtual ports: identification, firmware
 * check, the initialisation bytes and the commands. */
#include <gtest/gtest.h>

#include <string>

#include "driver/device/udmodel.h"
#include "udfake.h"

using udfake::Bytes;

namespace {

const std::string kProbe = "hv\r";
const std::string kInitBytes = Bytes(
    "\r"
    "CB\r"
    "NT\r"
    "FT\0\rFR\0\r"
    "P@r@r\r"
    "MSSV\r"
    "Z\r",
    28);

/* A 46-character firmware reply whose digit after "2." is d. */
std::string Firmware(char d) {
  std::string reply = std::string("HvFirmware version 2.") + d + "0 build 1996-04-01 (c) quorv";
  reply.resize(46, '.');
  return reply;
}

class DeviceTable : public ::testing::Test {
 protected:
  udfake::World world;
  void SetUp() override { udfake::Reset(&world); }
  void TearDown() override {
    UdFreeModels();
    UdClearDevices();
  }
  void Port(const char *port, const char *model) {
    world.profile.Set("gyrantx.ini", port, "devicetype", model);
  }
  /* A device on port i that answers the probe with reply after delayMs. */
  void Answer(int i, const std::string &reply, int64_t delayMs = 50) {
    world.ports[i].onWrite = [this, reply, delayMs](udfake::Port &p, const std::string &bytes) {
      if (bytes == kProbe) p.SendAt(world.now + delayMs, reply + "\r\n");
    };
  }
  int CodesLogged(int32_t code) {
    int n = 0;
    for (auto &e : world.log) n += e.code == code;
    return n;
  }
};

TEST_F(DeviceTable, ModelTableRowsAndLifetime) {
  EXPECT_EQ(-1, UdModelCount());
  ASSERT_EQ(0, UdLoadModels());
  ASSERT_EQ(4, UdModelCount());
  struct Row {
    int32_t type, deviceClass, buttons, beep;
    const char *name;
    const char *prefix;
    int32_t replyLength, strip7;
    std::string probe;
  } rows[] = {{1, 63, 9, 1, "Quorvanel 2200", "HvFirmware version 2.", 46, 0, "hv\r"},
              {2, 63, 2, 1, "Quorvanel 3200", "HvFirmware version 2.", 46, 0, "hv\r"},
              {3, 62, 2, 1, "Quorvanel Stick", "HvV3", 17, 1, "\x68\xF6\x9E\r"},
              {5, 61, 6, 0, "Lumeqaro 700", "!1 Quorvanel (R) V4.", 52, 1, "?\r"}};
  for (int i = 0; i < 4; i++) {
    SCOPED_TRACE(rows[i].name);
    const UdModel *m = UdModelAt(i);
    ASSERT_NE(nullptr, m);
    EXPECT_EQ(rows[i].type, m->type);
    EXPECT_EQ(0, m->variant);
    EXPECT_EQ(rows[i].deviceClass, m->deviceClass);
    EXPECT_EQ(rows[i].buttons, m->numButtons);
    EXPECT_EQ(6, m->numDegrees);
    EXPECT_EQ(rows[i].beep, m->canBeep);
    EXPECT_STREQ(rows[i].name, m->name);
    EXPECT_EQ(9600, m->baudRate);
    EXPECT_EQ(8, m->dataBits);
    EXPECT_EQ(0, m->parity);
    EXPECT_EQ(1, m->stopBits);
    EXPECT_EQ(1, m->dtrControl);
    EXPECT_EQ(1, m->rtsControl);
    EXPECT_STREQ(rows[i].prefix, m->ident.prefix);
    EXPECT_EQ(rows[i].replyLength, m->ident.replyLength);
    EXPECT_EQ(rows[i].strip7, m->ident.strip7);
    EXPECT_EQ(rows[i].probe, std::string((const char *)m->ident.probe, (size_t)m->ident.probeLength));
    EXPECT_EQ(UdKnownModel(m->type, 0)->ops, m->ops) << "the loaded row is a copy of the constant one";
  }
  EXPECT_EQ(nullptr, UdFindModel(4, 0));
  EXPECT_EQ(nullptr, UdFindModel(1, 1));
  EXPECT_EQ(nullptr, UdKnownModel(4, 0));
  UdFreeModels();
  EXPECT_EQ(-1, UdModelCount());
  EXPECT_EQ(nullptr, UdModelAt(0));
}

TEST_F(DeviceTable, EveryProtocolTableIsCompleteAndOnlyThe2200RezerosByButton) {
  for (int32_t type :
       {GI_TYPE_QUORVANEL_2200, GI_TYPE_QUORVANEL_3200, GI_TYPE_QUORVANEL_STICK, GI_TYPE_LUMEQARO_700}) {
    const UdModel *m = UdKnownModel(type, 0);
    ASSERT_NE(nullptr, m) << type;
    EXPECT_EQ(type == GI_TYPE_QUORVANEL_2200, m->rezeroButton != 0) << type;
    EXPECT_LE(m->buttonMapCount, UD_MAX_BUTTON_BITS);
    if (m->ops == nullptr) continue; /* a model whose protocol has not been built */
    const UdOps *o = m->ops;
    EXPECT_TRUE(o->open && o->close && o->parse && o->beep && o->reset && o->rezero && o->write &&
                o->getPeriod && o->getDataMode && o->setDataMode && o->bytesWanted)
        << "type " << type << ": no operation may be left empty";
  }
}

TEST_F(DeviceTable, CookedButtonLayoutOfEveryModel) {
  struct Case {
    int32_t type;
    uint32_t raw, common;
  } cases[] = {
      {GI_TYPE_QUORVANEL_2200, 0x000F, 0x1E},
      {GI_TYPE_QUORVANEL_2200, 0x0700, 0xE0},
      {GI_TYPE_QUORVANEL_2200, 0x0800, 0x1},
      {GI_TYPE_QUORVANEL_2200, 0x1000, 0x80000000u},
      {GI_TYPE_QUORVANEL_2200, 0xE0F0, 0x0},
      {GI_TYPE_QUORVANEL_3200, 0x0030, 0xC0000000u},
      {GI_TYPE_QUORVANEL_3200, 0x2000, 0x1},
      {GI_TYPE_QUORVANEL_3200, 0x000F, 0x0},
      {GI_TYPE_QUORVANEL_STICK, 0x01, 0x80000000u},
      {GI_TYPE_QUORVANEL_STICK, 0x02, 0x40000000u},
      {GI_TYPE_QUORVANEL_STICK, 0x40, 0x1},
      {GI_TYPE_QUORVANEL_STICK, 0x3C, 0x0},
      {GI_TYPE_LUMEQARO_700, 0x3F, 0x7E},
      {GI_TYPE_LUMEQARO_700, 0x41, 0x3},
      {GI_TYPE_LUMEQARO_700, 0x80, 0x0},
  };
  for (const Case &c : cases)
    EXPECT_EQ(c.common, UdRemapButtons(UdKnownModel(c.type, 0), c.raw))
        << "type " << c.type << " raw " << std::hex << c.raw;
  EXPECT_EQ(0u, UdRemapButtons(nullptr, 0xFFFF));
}

TEST_F(DeviceTable, ModelNamesMatchWithoutCaseButWhole) {
  ASSERT_NE(nullptr, UdModelByName("quorvanel STICK"));
  EXPECT_EQ(3, UdModelByName("quorvanel STICK")->type);
  EXPECT_EQ(nullptr, UdModelByName("Quorvanel Stick "));
  EXPECT_EQ(nullptr, UdModelByName("Quorvanel"));
  EXPECT_EQ(nullptr, UdModelByName(""));
  EXPECT_EQ(nullptr, UdModelByName(nullptr));
}

TEST_F(DeviceTable, DevicesOnCom2AndCom4BecomeDevicesZeroAndOne) {
  Port("COM2:", "Quorvanel 2200");
  Port("COM4:", "Quorvanel 3200");
  ASSERT_EQ(0, UdLoadModels());
  ASSERT_EQ(0, UdLoadDevices());
  ASSERT_EQ(2, UdDeviceCount());
  UdDevice *d0 = UdDeviceAt(0), *d1 = UdDeviceAt(1);
  ASSERT_NE(nullptr, d0);
  ASSERT_NE(nullptr, d1);
  EXPECT_STREQ("COM2:", d0->portName);
  EXPECT_EQ(0, d0->index);
  EXPECT_EQ(1, d0->type);
  EXPECT_EQ(UdFindModel(1, 0), d0->model);
  EXPECT_EQ(1, d0->dataMode);
  EXPECT_STREQ("COM4:", d1->portName);
  EXPECT_EQ(1, d1->index);
  EXPECT_EQ(2, d1->type);
  EXPECT_EQ(nullptr, UdDeviceAt(2));
  EXPECT_EQ(-1, gUdDevices[2].type);
  EXPECT_EQ(-1, gUdDevices[3].type);
}

TEST_F(DeviceTable, UnknownModelMakesLoadingFail) {
  Port("COM1:", "Quorvanel 9000");
  ASSERT_EQ(0, UdLoadModels());
  EXPECT_EQ(-1, UdLoadDevices());
  EXPECT_EQ(-1, UdDeviceCount());
  EXPECT_EQ(nullptr, UdFindDevice(-1, nullptr));
  EXPECT_EQ(1, CodesLogged(UD_NO_DEVICE));
}

TEST_F(DeviceTable, FindDeviceByIndexAndTypeMask) {
  EXPECT_EQ(nullptr, UdFindDevice(-1, nullptr)) << "no table loaded";
  ASSERT_EQ(0, UdLoadModels());
  ASSERT_EQ(0, UdLoadDevices());
  EXPECT_EQ(0, UdDeviceCount());
  EXPECT_EQ(nullptr, UdFindDevice(-1, nullptr)) << "nothing configured";

  Port("COM1:", "Quorvanel 2200");
  Port("COM2:", "Quorvanel 3200");
  Port("COM3:", "Quorvanel Stick");
  Port("COM4:", "Lumeqaro 700");
  ASSERT_EQ(0, UdLoadDevices());
  ASSERT_EQ(4, UdDeviceCount());

  auto mask = [](std::initializer_list<int> bits) {
    std::string m(8, '\0');
    for (int b : bits) m[b / 8] = (char)(m[b / 8] | (1 << (b % 8)));
    return m;
  };
  auto find = [](int32_t index, const std::string *m) {
    UdDevice *d = UdFindDevice(index, m ? (const uint8_t *)m->data() : nullptr);
    return d ? d->index : -99;
  };
  std::string ballClass = mask({63}), stick = mask({3}), stickClass = mask({62}), lumeqaro = mask({5}),
              type3200 = mask({2}), none = mask({}), bit4 = mask({4});
  EXPECT_EQ(0, find(-1, nullptr));
  EXPECT_EQ(2, find(2, nullptr));
  EXPECT_EQ(-99, find(4, nullptr));
  EXPECT_EQ(0, find(-1, &ballClass));
  EXPECT_EQ(1, find(1, &ballClass));
  EXPECT_EQ(-99, find(2, &ballClass));
  EXPECT_EQ(2, find(-1, &stick));
  EXPECT_EQ(2, find(-1, &stickClass));
  EXPECT_EQ(3, find(-1, &lumeqaro));
  EXPECT_EQ(1, find(-1, &type3200));
  EXPECT_EQ(-99, find(-1, &none));
  EXPECT_EQ(-99, find(-1, &bit4)) << "type code 4 is no model";

  UdClearDevices();
  EXPECT_EQ(-1, UdDeviceCount());
  EXPECT_EQ(nullptr, UdFindDevice(-1, nullptr));
  EXPECT_EQ(nullptr, UdDeviceAt(0));
}

TEST_F(DeviceTable, ButtonDeltaFromTheLastButtonEvent) {
  UdDevice *dev = &gUdDevices[0];
  dev->lastButtons = 0x3;
  GiEvent ev = {};
  ev.type = GI_BUTTON_EVENT;
  ev.current = 0x6;
  ASSERT_EQ(0, UdButtonDelta(dev, &ev));
  EXPECT_EQ(0x3u, ev.last);
  EXPECT_EQ(0x4u, ev.pressed);
  EXPECT_EQ(0x1u, ev.released);
  EXPECT_EQ(0x6u, dev->lastButtons);
  EXPECT_EQ(UD_BAD_ARGUMENT, UdButtonDelta(nullptr, &ev));
  EXPECT_EQ(UD_BAD_ARGUMENT, UdButtonDelta(dev, nullptr));
}

TEST_F(DeviceTable, EntryPointsRefuseDevicesThatAreNotOpen) {
  UdDevice *dev = &gUdDevices[0];
  GiEvent ev;
  int32_t value;
  const uint8_t b[1] = {0};
  EXPECT_EQ(UD_BAD_ARGUMENT, UdBeep(dev, "cC"));
  EXPECT_EQ(UD_BAD_ARGUMENT, UdRezero(dev));
  EXPECT_EQ(UD_BAD_ARGUMENT, UdResetDevice(dev));
  EXPECT_EQ(UD_BAD_ARGUMENT, UdWriteDevice(dev, b, 1));
  EXPECT_EQ(UD_BAD_ARGUMENT, UdParseInput(dev, b, 1, &ev));
  EXPECT_EQ(UD_BAD_ARGUMENT, UdGetPeriod(dev, &value));
  EXPECT_EQ(UD_BAD_ARGUMENT, UdGetDataMode(dev, &value));
  EXPECT_EQ(UD_BAD_ARGUMENT, UdSetDataMode(dev, 0));
  EXPECT_EQ(UD_BAD_ARGUMENT, UdCloseDevice(dev));
  EXPECT_EQ(UD_BAD_ARGUMENT, UdOpenDevice(nullptr));
  EXPECT_EQ(UD_BAD_ARGUMENT, UdBeep(nullptr, "cC"));
  EXPECT_EQ(0, world.ports[0].opens);
}

TEST_F(DeviceTable, TypeWithoutProtocolIsNoDeviceWithoutTouchingThePort) {
  UdDevice *dev = &gUdDevices[0];
  for (int32_t type : {4, -1, 0, 6}) {
    dev->type = type;
    EXPECT_EQ(UD_NO_DEVICE, UdOpenDevice(dev)) << type;
  }
  EXPECT_EQ(0, world.ports[0].opens);
  EXPECT_EQ(nullptr, dev->ops);
}

TEST(UdSystem, RefusesATableWithAHole) {
  UdSystem sys = *udfake::System();
  sys.comWrite = nullptr;
  EXPECT_EQ(-1, UdUseSystem(&sys));
  EXPECT_EQ(-1, UdUseSystem(nullptr));
}

/* ---- Opening Quorvanel devices ------------------------------------------ */

class QvOpen : public DeviceTable {
 protected:
  UdDevice *Load(const char *model) {
    Port("COM1:", model);
    EXPECT_EQ(0, UdLoadModels());
    EXPECT_EQ(0, UdLoadDevices());
    return UdDeviceAt(0);
  }
};

TEST_F(QvOpen, IdentifiesAndInitialisesA2200) {
  UdDevice *dev = Load("Quorvanel 2200");
  Answer(0, Firmware('1'));
  ASSERT_EQ(UD_OK, UdOpenDevice(dev));
  EXPECT_TRUE(UdDeviceIsOpen(dev));
  EXPECT_EQ(Firmware('1'), std::string(dev->ident));
  EXPECT_EQ(kProbe + kInitBytes, world.ports[0].written);
  EXPECT_EQ(100 + 1000, world.now) << "one 100 ms read, then the 1 s pause before the set-up";
  EXPECT_EQ(1, dev->dataMode);
  EXPECT_EQ(0u, dev->lastButtons);
  EXPECT_TRUE(world.log.empty());
}

TEST_F(QvOpen, FirmwareDigitSelectsTheBallModel) {
  struct Case {
    const char *model;
    char digit;
    int32_t expected;
  } cases[] = {
      {"Quorvanel 2200", '0', UD_OK},        {"Quorvanel 2200", '8', UD_OK},
      {"Quorvanel 2200", '3', UD_NO_DEVICE}, {"Quorvanel 2200", '6', UD_NO_DEVICE},
      {"Quorvanel 2200", '9', UD_NO_DEVICE}, {"Quorvanel 2200", 'x', UD_NO_DEVICE},
      {"Quorvanel 3200", '3', UD_OK},        {"Quorvanel 3200", '9', UD_OK},
      {"Quorvanel 3200", '1', UD_NO_DEVICE}, {"Quorvanel 3200", '/', UD_NO_DEVICE},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.model << " digit " << c.digit);
    udfake::Reset(&world);
    world = udfake::World();
    UdDevice *dev = Load(c.model);
    Answer(0, Firmware(c.digit));
    EXPECT_EQ(c.expected, UdOpenDevice(dev));
    udfake::Port &port = world.ports[0];
    if (c.expected == UD_OK) {
      EXPECT_TRUE(port.open);
      UdCloseDevice(dev);
    } else {
      EXPECT_FALSE(port.open) << "the port is free again";
      EXPECT_EQ(nullptr, dev->ops);
      EXPECT_EQ(kProbe, port.written) << "no set-up for the wrong model";
      EXPECT_EQ(1, CodesLogged(UD_NO_DEVICE)) << "logged once";
    }
  }
}

TEST_F(QvOpen, ReplyFoundBehindNoiseAndAcrossReads) {
  UdDevice *dev = Load("Quorvanel 2200");
  std::string reply = Firmware('2');
  world.ports[0].onWrite = [&](udfake::Port &p, const std::string &bytes) {
    if (bytes != kProbe) return;
    p.SendAt(world.now + 120, Bytes("\x00junk\r", 6) + reply.substr(0, 30));
    p.SendAt(world.now + 250, reply.substr(30) + "\r\n");
  };
  ASSERT_EQ(UD_OK, UdOpenDevice(dev));
  EXPECT_EQ(reply, std::string(dev->ident));
  EXPECT_EQ(300 + 1000, world.now);
}

TEST_F(QvOpen, LateAnswerOnTheThirdAttempt) {
  UdDevice *dev = Load("Quorvanel 2200");
  int probes = 0;
  world.ports[0].onWrite = [&](udfake::Port &p, const std::string &bytes) {
    if (bytes == kProbe && ++probes == 3) p.SendAt(world.now + 10, Firmware('4'));
  };
  ASSERT_EQ(UD_OK, UdOpenDevice(dev));
  EXPECT_EQ(3, probes);
  EXPECT_EQ(2 * 500 + 100 + 1000, world.now);
}

TEST_F(QvOpen, SilentPortIsNoDeviceAfterSevenAttempts) {
  UdDevice *dev = Load("Quorvanel 2200");
  EXPECT_EQ(UD_NO_DEVICE, UdOpenDevice(dev));
  EXPECT_EQ(3500, world.now);
  std::string sevenProbes;
  for (int i = 0; i < 7; i++) sevenProbes += kProbe;
  EXPECT_EQ(sevenProbes, world.ports[0].written);
  EXPECT_FALSE(world.ports[0].open);
  EXPECT_EQ(1, world.ports[0].closes);
  EXPECT_EQ('\0', dev->ident[0]);
  EXPECT_EQ(1, CodesLogged(UD_NO_DEVICE));
}

TEST_F(QvOpen, ReplyShorterThanItsLengthIsNotAccepted) {
  UdDevice *dev = Load("Quorvanel 2200");
  world.ports[0].onWrite = [&](udfake::Port &p, const std::string &bytes) {
    if (bytes == kProbe) p.SendAt(world.now, Firmware('1').substr(0, 45)); /* nothing behind it */
  };
  EXPECT_EQ(UD_NO_DEVICE, UdOpenDevice(dev));
}

TEST_F(QvOpen, MissingPortIsAPortError) {
  UdDevice *dev = Load("Quorvanel 2200");
  world.ports[0].exists = false;
  EXPECT_EQ(UD_PORT_ERROR, UdOpenDevice(dev));
  EXPECT_TRUE(world.ports[0].written.empty());
  EXPECT_EQ(nullptr, dev->ops);
  EXPECT_EQ(0, world.now) << "no identification without a port";
}

TEST_F(QvOpen, OpeningTwiceIsRefused) {
  UdDevice *dev = Load("Quorvanel 2200");
  Answer(0, Firmware('1'));
  ASSERT_EQ(UD_OK, UdOpenDevice(dev));
  EXPECT_EQ(UD_BAD_ARGUMENT, UdOpenDevice(dev));
  EXPECT_EQ(1, world.ports[0].opens);
  EXPECT_TRUE(UdDeviceIsOpen(dev));
}

TEST_F(QvOpen, CommandsSendTheirBytes) {
  UdDevice *dev = Load("Quorvanel 3200");
  Answer(0, Firmware('6'));
  ASSERT_EQ(UD_OK, UdOpenDevice(dev));
  std::string &written = world.ports[0].written;

  written.clear();
  EXPECT_EQ(UD_OK, UdBeep(dev, "cC"));
  EXPECT_EQ("BcC\r", written);

  written.clear();
  EXPECT_EQ(UD_BAD_ARGUMENT, UdBeep(dev, "c\r@RESET"));
  EXPECT_TRUE(written.empty()) << "nothing of a refused pattern reaches the device";

  written.clear();
  EXPECT_EQ(UD_OK, UdRezero(dev));
  EXPECT_EQ("Z\r", written);

  written.clear();
  int64_t before = world.now;
  EXPECT_EQ(UD_UNSUPPORTED, UdResetDevice(dev));
  EXPECT_EQ("@RESET\r" + kInitBytes, written);
  EXPECT_EQ(before + 3000, world.now);

  written.clear();
  const uint8_t raw[2] = {'x', '\r'};
  EXPECT_EQ(UD_UNSUPPORTED, UdWriteDevice(dev, raw, 2));
  EXPECT_TRUE(written.empty());

  int32_t value = 0;
  EXPECT_EQ(UD_OK, UdGetPeriod(dev, &value));
  EXPECT_EQ(50, value);
  EXPECT_EQ(UD_OK, UdSetDataMode(dev, 0));
  EXPECT_EQ(UD_OK, UdGetDataMode(dev, &value));
  EXPECT_EQ(0, value);
}

TEST_F(QvOpen, FailedCommandWritesAreBadArguments) {
  UdDevice *dev = Load("Quorvanel 2200");
  Answer(0, Firmware('1'));
  ASSERT_EQ(UD_OK, UdOpenDevice(dev));
  world.ports[0].failWrites = true;
  int64_t before = world.now;
  EXPECT_EQ(UD_BAD_ARGUMENT, UdBeep(dev, "cC"));
  EXPECT_EQ(UD_BAD_ARGUMENT, UdRezero(dev));
  EXPECT_EQ(UD_BAD_ARGUMENT, UdResetDevice(dev));
  EXPECT_EQ(before, world.now) << "a reset that could not be sent does not wait";
  EXPECT_EQ(3u, world.log.size()) << "each failure logged once, where the write failed";
}

TEST_F(QvOpen, ClosedDeviceNeverReachesItsPortAgain) {
  UdDevice *dev = Load("Quorvanel 2200");
  Answer(0, Firmware('1'));
  ASSERT_EQ(UD_OK, UdOpenDevice(dev));
  ASSERT_EQ(UD_OK, UdCloseDevice(dev));
  EXPECT_FALSE(world.ports[0].open);
  EXPECT_FALSE(UdDeviceIsOpen(dev));
  world.ports[0].written.clear();
  EXPECT_EQ(UD_BAD_ARGUMENT, UdBeep(dev, "f"));
  EXPECT_TRUE(world.ports[0].written.empty());
  /* And it can be opened again. */
  ASSERT_EQ(UD_OK, UdOpenDevice(dev));
  EXPECT_EQ(2, world.ports[0].opens);
}

TEST_F(QvOpen, FailedCloseIsReportedAndTheDeviceIsClosedAnyway) {
  UdDevice *dev = Load("Quorvanel 2200");
  Answer(0, Firmware('1'));
  ASSERT_EQ(UD_OK, UdOpenDevice(dev));
  world.ports[0].open = false; /* the port refuses to close */
  EXPECT_EQ(UD_BAD_ARGUMENT, UdCloseDevice(dev));
  EXPECT_FALSE(UdDeviceIsOpen(dev));
}

}  // namespace
