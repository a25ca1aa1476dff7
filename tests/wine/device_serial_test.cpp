// device_serial_test.cpp: the device layer's Win32 serial ports against the
// controller simulator, in this process: identification, initialisation and
// the modem lines; events through the read event the driver's loop waits on;
// commands written while a read is pending; input larger than one read;
// ports that are missing, silent or answered by the other model.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "driver/device/udcomwin.h"
#include "driver/device/uddev.h"
#include "driver/device/udsystem.h"
#include "harness/harness.h"
#include "harness/sim.h"

namespace {

const char kFirmware2200[] = "HvFirmware version 2.14 Quorvanel 2200 SN 0042";

class DeviceSerial : public GyxWineTest {
 protected:
  void SetUp() override {
    GyxWineTest::SetUp();
    ASSERT_EQ(0, UdUseSystem(UdWin32System()));
    ASSERT_EQ(0, UdLoadModels());
  }
  void TearDown() override {
    for (int i = 0; i < UD_MAX_DEVICES; i++)
      if (UdDeviceIsOpen(UdDeviceAt(i))) UdCloseDevice(UdDeviceAt(i));
    UdFreeModels();
    UdClearDevices();
    GyxSimStop(&sim_);
    GyxRemoveIni();
    GyxWineTest::TearDown();
  }
  // Configures one device and returns its record.
  UdDevice *Configure(const char *port, const char *model) {
    EXPECT_TRUE(GyxWriteIni(std::string("[") + port + "]\r\ndevicetype=" + model + "\r\n"));
    EXPECT_EQ(0, UdLoadDevices());
    return UdDeviceAt(0);
  }
  void StartSim(const char *model, const char *extra = "") {
    ASSERT_EQ(GYXSIM_OK, GyxSimStart(&sim_, 1, model, extra)) << GyxSimLog(&sim_);
  }
  std::string Ask(const char *line) { return GyxSimAsk(&sim_, line); }

  // The driver's loop for one device: arm, wait on the read event (or for the
  // end of the port's sleep), read up to 256 bytes, parse, until `want`
  // events came or timeoutMs passed.
  std::vector<GiEvent> Pump(UdDevice *dev, size_t want, unsigned long timeoutMs) {
    std::vector<GiEvent> events;
    HANDLE readEvent = (HANDLE)UdComReadEvent(dev);
    EXPECT_NE(nullptr, readEvent);
    const unsigned long long deadline = GyxNowMs() + timeoutMs;
    while (events.size() < want && GyxNowMs() < deadline) {
      if (UdComArm(dev) != 1) {
        // The port may sleep through a packet's bytes: wait until it says.
        DWORD left = (DWORD)(deadline - GyxNowMs());
        int32_t due = UdComDueIn(dev);
        DWORD wait = due >= 0 && (DWORD)due < left ? (DWORD)due : left;
        DWORD r = WaitForSingleObject(readEvent, wait);
        if (r == WAIT_TIMEOUT && due >= 0) continue;
        if (r != WAIT_OBJECT_0) break;
      }
      uint8_t bytes[256];
      int32_t n = UdComRead(dev, bytes, sizeof bytes);
      if (n <= 0) continue;
      GiEvent ev;
      int32_t r = UdParseInput(dev, bytes, n, &ev);
      while (r == UD_EVENT_READY) {
        events.push_back(ev);
        r = UdParseInput(dev, bytes, 0, &ev);
      }
    }
    return events;
  }

  GyxSim sim_;
};

TEST_F(DeviceSerial, OpenIdentifiesInitialisesAndRaisesTheLines) {
  StartSim("2200");
  UdDevice *dev = Configure("COM1:", "Quorvanel 2200");
  ASSERT_EQ(0, UdOpenDevice(dev)) << GyxSimLog(&sim_);
  EXPECT_STREQ(kFirmware2200, dev->ident);
  EXPECT_EQ("ok inits=1 bad=0", Ask("waitinit timeout=5000")) << GyxSimLog(&sim_);
  std::string lines = Ask("lines");
  EXPECT_EQ(0u, lines.rfind("ok dtr=1 rts=1 ", 0)) << lines;
  EXPECT_NE(std::string::npos, lines.find(" baud=9600")) << lines;

  ASSERT_EQ(0, UdCloseDevice(dev));
  EXPECT_EQ(0u, Ask("waitlines 0 0 timeout=5000").rfind("ok dtr=0 rts=0", 0));
  EXPECT_EQ(nullptr, UdComReadEvent(dev));

  // Free again: a second open identifies and initialises once more.
  ASSERT_EQ(0, UdOpenDevice(dev)) << GyxSimLog(&sim_);
  EXPECT_EQ("ok inits=2 bad=0", Ask("waitinit 2 timeout=5000"));
}

TEST_F(DeviceSerial, EventsArriveThroughTheReadEvent) {
  StartSim("2200");
  UdDevice *dev = Configure("COM1:", "Quorvanel 2200");
  ASSERT_EQ(0, UdOpenDevice(dev));
  EXPECT_EQ("ok inits=1 bad=0", Ask("waitinit timeout=5000"));
  EXPECT_TRUE(Pump(dev, 1, 300).empty()) << "nothing before the device sends";

  EXPECT_EQ(0u, Ask("press 1").rfind("ok", 0));
  EXPECT_EQ(0u, Ask("release all").rfind("ok", 0));
  EXPECT_EQ(0u, Ask("move 10 -20 30 -40 50 -60 count=3").rfind("ok", 0));
  EXPECT_EQ(0u, Ask("zero").rfind("ok", 0));
  auto events = Pump(dev, 6, 5000);
  ASSERT_EQ(6u, events.size()) << GyxSimLog(&sim_);
  EXPECT_EQ(GI_BUTTON_EVENT, events[0].type);
  EXPECT_EQ(0x2u, events[0].pressed);
  EXPECT_EQ(0x2u, events[1].released);
  for (int i = 2; i < 5; i++) {
    EXPECT_EQ(GI_MOTION_EVENT, events[i].type);
    EXPECT_EQ(20, events[i].period);
    EXPECT_EQ(-60, events[i].rz);
  }
  EXPECT_EQ(GI_ZERO_EVENT, events[5].type);
}

// The fault this layer mends: a command written while the loop's wake-up is
// pending must not disturb it, nor lose the packet that comes next.
TEST_F(DeviceSerial, CommandsWrittenWhileAReadIsPendingLoseNothing) {
  StartSim("2200");
  UdDevice *dev = Configure("COM1:", "Quorvanel 2200");
  ASSERT_EQ(0, UdOpenDevice(dev));
  EXPECT_EQ("ok inits=1 bad=0", Ask("waitinit timeout=5000"));
  std::vector<GiEvent> all;
  for (int round = 0; round < 10; round++) {
    SCOPED_TRACE(round);
    EXPECT_EQ(0, UdComArm(dev)) << "nothing waiting: the wake-up stays pending";
    ASSERT_EQ(0, UdBeep(dev, "cC"));
    ASSERT_EQ(0, UdRezero(dev));
    EXPECT_EQ("ok", Ask("waitcmd Z\\r timeout=5000"));
    Ask("clear");
    /* The loop wakes for whatever its read event says, as the driver's does. */
    EXPECT_TRUE(Pump(dev, 1, 100).empty());
    EXPECT_EQ(0u, Ask(round % 2 ? "release all" : "press 2").rfind("ok", 0));
    auto events = Pump(dev, 1, 3000);
    ASSERT_EQ(1u, events.size()) << GyxSimLog(&sim_);
    all.insert(all.end(), events.begin(), events.end());
  }
  auto late = Pump(dev, 1, 500);
  EXPECT_TRUE(late.empty()) << late.size() << " events more than the device sent";
  ASSERT_EQ(10u, all.size());
  for (int round = 0; round < 10; round++) {
    EXPECT_EQ(GI_BUTTON_EVENT, all[round].type) << round;
    EXPECT_EQ(round % 2 ? 0x0u : 0x4u, all[round].current) << round;
  }
  EXPECT_EQ(0u, dev->rxDropped);
}

TEST_F(DeviceSerial, InputLargerThanOneReadIsAllDelivered) {
  StartSim("2200");
  UdDevice *dev = Configure("COM1:", "Quorvanel 2200");
  ASSERT_EQ(0, UdOpenDevice(dev));
  EXPECT_EQ("ok inits=1 bad=0", Ask("waitinit timeout=5000"));
  /* 40 packets of 16 bytes pile up in the port while nobody reads. */
  EXPECT_EQ(0u, Ask("move 1 2 3 4 5 6 count=40 every=1").rfind("ok", 0));
  auto events = Pump(dev, 40, 5000);
  EXPECT_EQ(40u, events.size());
  EXPECT_EQ(0u, dev->rxDropped);
}

TEST_F(DeviceSerial, PortWithoutADeviceBehindItIsAPortError) {
  /* COM3 is mapped to a link that nothing has created. */
  UdDevice *dev = Configure("COM3:", "Quorvanel 2200");
  const unsigned long long start = GyxNowMs();
  EXPECT_EQ(UD_PORT_ERROR, UdOpenDevice(dev));
  EXPECT_LT(GyxNowMs() - start, 2000u) << "no identification on a port that cannot be opened";
  EXPECT_FALSE(UdDeviceIsOpen(dev));
  EXPECT_EQ(nullptr, UdComReadEvent(dev));
}

TEST_F(DeviceSerial, SilentDeviceIsNoDeviceAfterSevenAttempts) {
  StartSim("2200", "--silent");
  UdDevice *dev = Configure("COM1:", "Quorvanel 2200");
  const unsigned long long start = GyxNowMs();
  EXPECT_EQ(UD_NO_DEVICE, UdOpenDevice(dev));
  const unsigned long long took = GyxNowMs() - start;
  EXPECT_GE(took, 3400u);
  EXPECT_LT(took, 8000u);
  EXPECT_NE(std::string::npos, Ask("init").find(" probes=7 ")) << Ask("init");
  EXPECT_EQ(0u, Ask("waitlines 0 0 timeout=5000").rfind("ok", 0)) << "the port is closed again";
}

TEST_F(DeviceSerial, OtherModelIsNoDeviceAndLeavesThePortFree) {
  StartSim("3200");
  UdDevice *dev = Configure("COM1:", "Quorvanel 2200");
  EXPECT_EQ(UD_NO_DEVICE, UdOpenDevice(dev));
  EXPECT_EQ(0u, Ask("waitlines 0 0 timeout=5000").rfind("ok", 0));
  EXPECT_NE(std::string::npos, Ask("init").find("inits=0 ")) << "no set-up for the wrong model";

  EXPECT_EQ(0u, Ask((std::string("firmware ") + kFirmware2200).c_str()).rfind("ok", 0));
  EXPECT_EQ(0, UdOpenDevice(dev)) << "the same port opens again";
}

TEST_F(DeviceSerial, WritesReportTheirCount) {
  StartSim("2200");
  UdDevice *dev = Configure("COM1:", "Quorvanel 2200");
  ASSERT_EQ(0, UdOpenDevice(dev));
  const uint8_t bytes[8] = {'B', 'c', 'C', 'c', 'C', 'c', 'C', '\r'};
  EXPECT_EQ(8, UdComWrite(dev, bytes, 8));
  EXPECT_EQ("ok", Ask("waitcmd BcCcCcC\\r timeout=5000"));
  EXPECT_EQ(-1, UdComWrite(dev, bytes, 0));
  EXPECT_EQ(-1, UdComWrite(dev, nullptr, 8));
}

}  // namespace
