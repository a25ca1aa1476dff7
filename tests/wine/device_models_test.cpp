// device_models_test.cpp: the Quorvanel Stick and the Lumeqaro 700 behind the
// driver program: each identified and opened on its port and serving events;
// the three protocols side by side (2200 on COM1, Stick on COM2, Lumeqaro on
// COM3) delivering to one application with the right values; a device of one
// model on a port configured for another is an unexpected device.
#include <gtest/gtest.h>

#include <windows.h>

#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "drvfixture.h"
#include "lib/channel.h"
#include "lib/gyrantrix.h"
#include "lib/reqcodes.h"

namespace {

const char kStickFirmware[] = "HvV3.21 Stick 042";
const char kLumeqaroFirmware[] = "!1 Quorvanel (R) V4.03 Lumeqaro 700 SN 00420 1996-05";

class DeviceModels : public DriverTest {
 protected:
  void TearDown() override {
    if (raw.queue) AppMmapCloseQueue(raw.queue);
    GiTerminate();
    if (window) DestroyWindow(window);
    DriverTest::TearDown();
  }

  void Sim(int com, const char *line) {
    std::string r = GyxSimAsk(&sims[com], line);
    ASSERT_EQ(r.rfind("ok", 0), 0u) << "COM" << com << " " << line << ": " << r << "\n"
                                    << GyxSimLog(&sims[com]);
  }

  void MakeFrontWindow() {
    window = RawMakeWindow("Gyrantrix models test");
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(RawForeground(window));
  }

  GiHandle OpenDevice(int32_t id) {
    GiOpenData od;
    GiOpenWinInit(&od, window);
    return GiOpen("Models test", id, nullptr, GI_EVENT_MODE, &od);
  }

  // A handle opened with the request itself, for a device the library will
  // not open (the Lumeqaro's type and class are not among those it accepts).
  void OpenRaw(int32_t id) {
    raw.open = RawOpenDevice(window, id);
    ASSERT_EQ(raw.open.status, 0);
    raw.queue = AppMmapOpenQueue(raw.open.slot);
    ASSERT_NE(raw.queue, nullptr);
  }

  // The application's message loop until `want` events came in all or ms
  // passed: library events by handle, the raw handle's records from its ring.
  void Pump(size_t want, unsigned long ms) {
    const unsigned long long end = GyxNowMs() + ms;
    size_t got = 0;
    for (auto &a : byHandle) got += a.second.size();
    got += byRaw.size();
    while (got < want) {
      MSG msg;
      while (got < want && PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (raw.queue && msg.message == raw.open.message && (msg.wParam & 0xFF) == (WPARAM)raw.open.slot) {
          unsigned kind = (unsigned)(msg.lParam >> 16 & 0xFF);
          if (kind == NOTICE_QUEUE_RESET || kind == NOTICE_DRIVER_EXIT) continue;
          GiEvent ev;
          memset(&ev, 0, sizeof ev);
          if (AppMmapReadEvent(raw.queue, (uint16_t)(msg.lParam & 0xFFFF), &ev, sizeof ev) == 0) {
            byRaw.push_back(ev);
            got++;
          }
          continue;
        }
        GiGetEventData d;
        GiHandle h;
        GiGetEventWinInit(&d, msg.message, msg.wParam, msg.lParam);
        if (!GiFindEventHandle(&d, &h)) {
          DispatchMessageA(&msg);
          continue;
        }
        GiEvent ev;
        int32_t r = GiGetEvent(h, 0, &d, &ev);
        if (r == GI_IS_EVENT) {
          byHandle[h].push_back(ev);
          got++;
        } else if (r != GI_SKIP_EVENT) {
          errors.push_back(r);
        }
      }
      unsigned long long now = GyxNowMs();
      if (got >= want || now >= end) break;
      MsgWaitForMultipleObjects(0, NULL, FALSE, (DWORD)(end - now), QS_ALLINPUT);
    }
  }

  static void ExpectMotion(const GiEvent &e, int32_t period, std::vector<int32_t> axes, const char *who) {
    SCOPED_TRACE(who);
    EXPECT_EQ(e.type, GI_MOTION_EVENT);
    EXPECT_EQ(e.period, period);
    const int32_t got[6] = {e.tx, e.ty, e.tz, e.rx, e.ry, e.rz};
    for (int i = 0; i < 6; i++) EXPECT_EQ(got[i], axes[(size_t)i]) << "axis " << i;
  }

  HWND window = nullptr;
  struct {
    RawOpen open;
    QueueLink *queue = nullptr;
  } raw;
  // What arrived: through the library by handle, and read from the ring by
  // hand for the handle opened below it.
  std::map<GiHandle, std::vector<GiEvent>> byHandle;
  std::vector<GiEvent> byRaw;
  std::vector<int32_t> errors;
};

TEST_F(DeviceModels, StickIsIdentifiedOpenedAndServed) {
  StartDriver({{1, "Quorvanel Stick"}});
  ASSERT_EQ(GiInitialize(), GI_NO_ERROR);
  GiPortInfo port;
  ASSERT_EQ(GiGetDevicePort(0, &port), GI_NO_ERROR);
  EXPECT_EQ(port.deviceType, GI_TYPE_QUORVANEL_STICK);
  EXPECT_EQ(port.deviceClass, GI_CLASS_QUORVANEL_STICK);
  EXPECT_STREQ(port.typeName, "Quorvanel Stick");
  EXPECT_STREQ(port.portName, "COM1:");

  MakeFrontWindow();
  GiHandle h = OpenDevice(0);
  ASSERT_NE(h, nullptr) << GiErrorString(GiLastError);
  GiDeviceInfo info;
  ASSERT_EQ(GiGetDeviceInfo(h, &info), GI_NO_ERROR);
  EXPECT_EQ(info.deviceType, GI_TYPE_QUORVANEL_STICK);
  EXPECT_EQ(info.numButtons, 2);
  EXPECT_NE(info.canBeep, 0);
  EXPECT_STREQ(info.firmware, kStickFirmware) << "the reply with bit 7 removed";
  Sim(1, "waitcmd BcCc\\r timeout=5000");  // the open beep, encoded
  ASSERT_EQ(GiBeep(h, "cC"), GI_NO_ERROR);
  Sim(1, "waitcmd B\\xe3\\xc3\\xe2\\r timeout=5000");
  ASSERT_EQ(GiRezero(h), GI_NO_ERROR);
  Sim(1, "waitcmd Z\\r timeout=5000");
  EXPECT_NE(GyxSimAsk(&sims[1], "init").find(" garbled=0"), std::string::npos) << "every checksum right";

  Sim(1, "press right");
  Sim(1, "move 1 -2 3 -4 5 -6 every=50");
  Sim(1, "message Err");
  Pump(3, 5000);
  std::vector<GiEvent> &ev = byHandle[h];
  ASSERT_EQ(ev.size(), 3u) << GyxSimLog(&sims[1]);
  EXPECT_EQ(ev[0].type, GI_BUTTON_EVENT);
  EXPECT_EQ(ev[0].current, 0x80000000u) << "the right button";
  ExpectMotion(ev[1], 50, {29, -58, -87, -116, 145, 174}, "x29, tz and rz negated");
  EXPECT_EQ(ev[2].type, GI_EXCEPTION_EVENT);
  EXPECT_STREQ(GI_EVENT_TEXT(&ev[2]), "R\xC5\xF2\xF2") << "the message as the device sent it";
  EXPECT_TRUE(errors.empty());
}

TEST_F(DeviceModels, LumeqaroIsIdentifiedOpenedAndServed) {
  StartDriver({{1, "Lumeqaro 700"}});
  ASSERT_EQ(GiInitialize(), GI_NO_ERROR);
  GiPortInfo port;
  ASSERT_EQ(GiGetDevicePort(0, &port), GI_NO_ERROR);
  EXPECT_EQ(port.deviceType, GI_TYPE_LUMEQARO_700);
  EXPECT_EQ(port.deviceClass, GI_CLASS_LUMEQARO);
  EXPECT_STREQ(port.typeName, "Lumeqaro 700");

  MakeFrontWindow();
  EXPECT_EQ(OpenDevice(0), nullptr) << "applications of the library do not open this model";
  EXPECT_EQ(GiLastError, GI_FAILED);
  ASSERT_NO_FATAL_FAILURE(OpenRaw(0));
  std::vector<uint8_t> r;
  ASSERT_EQ(RawCall(REQ_GET_DEVICE_INFO, RawRequest().Word(raw.open.handle), true, &r), 148);
  EXPECT_EQ(RawWord(r, 0), 0);
  GiDeviceInfo info;
  memcpy(&info, r.data() + 4, sizeof info);
  EXPECT_EQ(info.deviceType, GI_TYPE_LUMEQARO_700);
  EXPECT_EQ(info.numButtons, 6);
  EXPECT_EQ(info.canBeep, 0);
  EXPECT_STREQ(info.firmware, kLumeqaroFirmware);

  Sim(1, "press 1 rezero");
  Sim(1, "release all");
  Sim(1, "move 511 -512 1 0 0 -1");
  Sim(1, "zero");
  Pump(4, 5000);
  std::vector<GiEvent> &ev = byRaw;
  ASSERT_EQ(ev.size(), 4u) << GyxSimLog(&sims[1]);
  EXPECT_EQ(ev[0].type, GI_BUTTON_EVENT);
  EXPECT_EQ(ev[0].current, 0x2u) << "button 1; bit 0 removed before delivery";
  EXPECT_EQ(ev[1].released, 0x2u);
  ExpectMotion(ev[2], 33, {511 * 29, -512 * 29, -29, 0, 0, 29}, "the Lumeqaro's fixed period");
  EXPECT_EQ(ev[3].type, GI_ZERO_EVENT);
  EXPECT_EQ(ev[3].period, 33);
  EXPECT_TRUE(errors.empty());
}

TEST_F(DeviceModels, ThreeProtocolsServeOneApplicationSideBySide) {
  StartDriver({{1, "Quorvanel 2200"}, {2, "Quorvanel Stick"}, {3, "Lumeqaro 700"}});
  ASSERT_EQ(GiInitialize(), GI_NO_ERROR);
  ASSERT_EQ(GiGetNumDevices(), 3);
  struct Port {
    int32_t type, deviceClass;
    const char *name, *port;
  } ports[] = {{GI_TYPE_QUORVANEL_2200, GI_CLASS_QUORVANEL_BALL, "Quorvanel 2200", "COM1:"},
               {GI_TYPE_QUORVANEL_STICK, GI_CLASS_QUORVANEL_STICK, "Quorvanel Stick", "COM2:"},
               {GI_TYPE_LUMEQARO_700, GI_CLASS_LUMEQARO, "Lumeqaro 700", "COM3:"}};
  for (int32_t i = 0; i < 3; i++) {
    GiPortInfo p;
    ASSERT_EQ(GiGetDevicePort(i, &p), GI_NO_ERROR);
    EXPECT_EQ(p.deviceType, ports[i].type);
    EXPECT_EQ(p.deviceClass, ports[i].deviceClass);
    EXPECT_STREQ(p.typeName, ports[i].name);
    EXPECT_STREQ(p.portName, ports[i].port);
  }

  MakeFrontWindow();
  GiHandle ball = OpenDevice(0), stick = OpenDevice(1);
  ASSERT_NE(ball, nullptr) << GiErrorString(GiLastError);
  ASSERT_NE(stick, nullptr) << GiErrorString(GiLastError);
  ASSERT_NO_FATAL_FAILURE(OpenRaw(2));
  for (int com = 1; com <= 2; com++) Sim(com, "waitcmd BcCc\\r timeout=5000");

  // All three at once, buttons first, then motion.
  Sim(1, "press 1");
  Sim(2, "press right"); /* the left button is the settings window's menu button */
  Sim(3, "press 6");
  Pump(3, 5000);
  ASSERT_EQ(byHandle[ball].size(), 1u) << GyxSimLog(&sims[1]);
  ASSERT_EQ(byHandle[stick].size(), 1u) << GyxSimLog(&sims[2]);
  ASSERT_EQ(byRaw.size(), 1u) << GyxSimLog(&sims[3]);
  EXPECT_EQ(byHandle[ball][0].current, 0x2u);
  EXPECT_EQ(byHandle[stick][0].current, 0x80000000u);
  EXPECT_EQ(byRaw[0].current, 0x40u);

  Sim(1, "move 10 -20 30 -40 50 -60 every=50");
  Sim(2, "move 10 -20 30 -40 50 -60 every=50");
  Sim(3, "move 10 -20 30 -40 50 -60");
  Pump(6, 5000);
  ASSERT_EQ(byHandle[ball].size(), 2u);
  ASSERT_EQ(byHandle[stick].size(), 2u);
  ASSERT_EQ(byRaw.size(), 2u);
  ExpectMotion(byHandle[ball][1], 50, {10, -20, 30, -40, 50, -60}, "2200: as sent");
  ExpectMotion(byHandle[stick][1], 50, {290, -580, -870, -1160, 1450, 1740}, "Stick: x29");
  ExpectMotion(byRaw[1], 33, {290, -580, -870, -1160, 1450, 1740}, "Lumeqaro: x29, 33 ms");
  EXPECT_TRUE(errors.empty());
}

TEST_F(DeviceModels, DeviceOfAnotherModelIsAnUnexpectedDevice) {
  struct Case {
    const char *simulated, *configured;
  } cases[] = {{"Quorvanel Stick", "Lumeqaro 700"}, {"Lumeqaro 700", "Quorvanel Stick"}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.configured);
    ASSERT_EQ(GyxSimStart(&sims[1], 1, c.simulated, nullptr), GYXSIM_OK);
    ASSERT_TRUE(GyxWriteIni(IniText({{1, c.configured}})));
    GyxProcess drv;
    ASSERT_TRUE(drv.Start(GyxBinPath("gyxsrv.exe"), "-quiet"));
    EXPECT_TRUE(AnswerBox(
        drv.Pid(), std::string("Unexpected device:  expecting\n ") + c.configured + " on COM1:.", IDOK));
    unsigned long code = ~0ul;
    EXPECT_TRUE(drv.Wait(10000, &code));
    EXPECT_EQ(code, 3ul);
    EXPECT_EQ(GyxSimAsk(&sims[1], "init").find("ok inits=0 "), 0u) << "never identified";
    GyxSimStop(&sims[1]);
  }
}

}  // namespace
