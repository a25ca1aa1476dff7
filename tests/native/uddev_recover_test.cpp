/* uddev_recover_test.cpp — a device whose port fails: when it is declared
 * lost, how the tries back off, and how it is opened, identified and
 * initialised again over virtual ports while the other device stays open and
 * the lost record keeps what the request service put in it. */
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/device/udrecover.h"
#include "udfake.h"

using udfake::Bytes;

namespace {

const std::string kProbe = "hv\r";

std::string Firmware() {
  std::string reply = "HvFirmware version 2.10 build 1996-04-01 (c) quorv";
  reply.resize(46, '.');
  return reply;
}

/* ---- The decisions alone --------------------------------------------------- */

TEST(UdHealth, LostOnlyAfterFailuresInARow) {
  struct Case {
    std::vector<int32_t> results;  // looks at the port, in order
    int lostAt;                    // index of the look that declares it lost, -1 none
  } cases[] = {
      {{-1, -1}, 1},
      {{5, 0, -1, -1}, 3},
      {{-1, 0, -1, 3, -1}, -1},  // a working look in between forgives
      {{0, 0, 0, 0}, -1},        // silence is no failure: a controller at rest sends nothing
      {{-1, -1, -1}, 1},
  };
  for (const Case &c : cases) {
    UdHealth h;
    UdHealthInit(&h);
    int lost = -1;
    for (size_t i = 0; i < c.results.size() && lost < 0; i++)
      if (UdHealthNote(&h, c.results[i])) lost = (int)i;
    EXPECT_EQ(c.lostAt, lost) << ::testing::PrintToString(c.results);
  }
}

TEST(UdHealth, TriesBackOffUpToTheirLimitAndStopWhenBack) {
  UdHealth h;
  UdHealthInit(&h);
  EXPECT_EQ(250, UdHealthWait(&h, 0, 250)) << "serving: the caller's own time-out";
  UdHealthLose(&h, 1000);
  EXPECT_EQ(0, UdHealthNote(&h, -1)) << "a lost device is not lost again";
  EXPECT_FALSE(UdHealthDue(&h, 1000 + UD_RETRY_FIRST_MS - 1));
  EXPECT_EQ(100, UdHealthWait(&h, 1000 + UD_RETRY_FIRST_MS - 100, 250));
  int64_t now = 1000 + UD_RETRY_FIRST_MS;
  std::vector<int32_t> gaps;
  for (int i = 0; i < 6; i++) {
    ASSERT_TRUE(UdHealthDue(&h, now));
    UdHealthTried(&h, now, 0);
    gaps.push_back((int32_t)(h.retryAt - now));
    EXPECT_FALSE(UdHealthDue(&h, now + gaps.back() - 1));
    now += gaps.back();
  }
  EXPECT_EQ((std::vector<int32_t>{500, 1000, 2000, 2000, 2000, 2000}), gaps);
  UdHealthTried(&h, now, 1);
  EXPECT_EQ(UD_HEALTH_SERVING, h.state);
  EXPECT_EQ(1, h.recoveries);
  EXPECT_EQ(now - 1000, h.recoveredMs);
  EXPECT_FALSE(UdHealthDue(&h, now + 100000));
  EXPECT_EQ(1, UdHealthNote(&h, -1) + UdHealthNote(&h, -1)) << "lost again after the next two failures";
}

/* ---- Over the device table ------------------------------------------------- */

class Recover : public ::testing::Test {
 protected:
  udfake::World world;
  void SetUp() override {
    udfake::Reset(&world);
    UdRecoverReset();
    world.profile.Set("gyrantx.ini", "COM1:", "devicetype", "Quorvanel 2200");
    world.profile.Set("gyrantx.ini", "COM2:", "devicetype", "Quorvanel 2200");
    ASSERT_EQ(0, UdLoadModels());
    ASSERT_EQ(0, UdLoadDevices());
    for (int i = 0; i < 2; i++) {
      Answer(i);
      ASSERT_EQ(UD_OK, UdOpenDevice(UdDeviceAt(i)));
      world.ports[i].written.clear();
    }
  }
  void TearDown() override {
    for (int i = 0; i < 2; i++)
      if (UdDeviceIsOpen(UdDeviceAt(i))) UdCloseDevice(UdDeviceAt(i));
    UdFreeModels();
    UdClearDevices();
  }
  void Answer(int i) {
    world.ports[i].onWrite = [this](udfake::Port &p, const std::string &bytes) {
      if (bytes == kProbe) p.SendAt(world.now + 50, Firmware() + "\r\n");
    };
  }
};

TEST_F(Recover, FailedPortIsClosedTriedWithBackoffAndOpenedAgain) {
  UdDevice *lost = UdDeviceAt(1);
  struct DvrHandle *handles = reinterpret_cast<struct DvrHandle *>(&world);  // stands for the open handles
  lost->handles = handles;
  lost->sensitivity = 2.0f;

  EXPECT_EQ(0, UdRecoverNote(1, -1, 0));
  EXPECT_TRUE(UdDeviceIsOpen(lost)) << "one failure is not a loss";
  EXPECT_EQ(1, UdRecoverNote(1, -1, 0));
  EXPECT_FALSE(UdDeviceIsOpen(lost));
  EXPECT_FALSE(world.ports[1].open) << "the failed port is released";
  EXPECT_TRUE(UdRecoverIsLost(1));
  EXPECT_FALSE(UdRecoverIsLost(0));
  EXPECT_TRUE(UdDeviceIsOpen(UdDeviceAt(0)));

  // The port is gone (an adapter pulled out): every try fails at the open,
  // and the tries thin out.
  world.ports[1].exists = false;
  world.now = 0;
  std::vector<int64_t> tries;
  while (world.now < 6000) {
    int32_t wait = UdRecoverWait(world.now, 250);
    world.now += wait;
    int opensBefore = world.ports[1].opens;
    EXPECT_EQ(0, UdRecoverPoll(world.now));
    if (UdRecoverHealth(1)->tries > (int)tries.size()) tries.push_back(world.now);
    EXPECT_EQ(opensBefore, world.ports[1].opens);
    if (wait == 0) world.now += 1;
  }
  EXPECT_EQ((std::vector<int64_t>{250, 750, 1750, 3750, 5750}), tries);

  // The port works again but nothing answers yet: one identification attempt
  // per try (half a second), not the start-up's seven.
  world.ports[1].exists = true;
  world.ports[1].onWrite = nullptr;
  world.now = UdRecoverHealth(1)->retryAt;
  int64_t before = world.now;
  EXPECT_EQ(0, UdRecoverPoll(world.now));
  EXPECT_EQ(500, world.now - before);
  EXPECT_EQ(kProbe, world.ports[1].written);
  EXPECT_FALSE(world.ports[1].open);

  // The controller answers: identified and initialised again, the record
  // keeps its handles and settings, and the working device was never touched.
  Answer(1);
  world.ports[1].written.clear();
  world.now = UdRecoverHealth(1)->retryAt;
  EXPECT_EQ(1, UdRecoverPoll(world.now));
  EXPECT_TRUE(UdDeviceIsOpen(lost));
  EXPECT_FALSE(UdRecoverIsLost(1));
  EXPECT_EQ(Firmware(), std::string(lost->ident));
  EXPECT_EQ(0u, world.ports[1].written.rfind(kProbe, 0));
  EXPECT_NE(std::string::npos, world.ports[1].written.find("MSSV\r")) << "initialised again";
  EXPECT_EQ(handles, lost->handles);
  EXPECT_EQ(2.0f, lost->sensitivity);
  EXPECT_EQ(1, world.ports[0].opens);
  EXPECT_EQ(0, world.ports[0].closes);
  EXPECT_EQ(1, UdRecoverHealth(1)->recoveries);
  lost->handles = nullptr;

  // Start-up opens still get all seven attempts.
  EXPECT_EQ(UD_OK, UdCloseDevice(lost));
  world.ports[1].onWrite = nullptr;
  before = world.now;
  EXPECT_EQ(UD_NO_DEVICE, UdOpenDevice(lost));
  EXPECT_EQ(3500, world.now - before);
}

TEST_F(Recover, ReadsThatWorkKeepTheDeviceServing) {
  for (int i = 0; i < 100; i++) {
    EXPECT_EQ(0, UdRecoverNote(0, i % 2 ? -1 : 0, i));
    EXPECT_EQ(0, UdRecoverNote(1, 0, i));
  }
  EXPECT_EQ(0, UdRecoverPoll(1000000));
  EXPECT_TRUE(UdDeviceIsOpen(UdDeviceAt(0)));
  EXPECT_EQ(250, UdRecoverWait(0, 250));
}

}  // namespace
