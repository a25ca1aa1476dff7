// The driver's portable service logic: the delivery policy at the ring's
// edge, and the motion filter.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "driver/deliver.h"
#include "driver/device/uddev.h"
#include "driver/ui.h"

// The settings side's actions, recorded instead of performed.
static int gToggles = 0;
static int gRezeros = 0;
void UiToggleSettings(void) {
  gToggles++;
}
void UiRezero(UdDevice *) {
  gRezeros++;
}
void *UiSettingsWindow(void) {
  return nullptr;
}

namespace {

TEST(Deliver, PolicyAtTheRingsEdge) {
  // Free space as DvrMmapQueueFree reports it: raw free less 4 per reserved header.
  struct Case {
    int32_t type;
    int32_t rawFree;
    bool asIs;
  };
  const Case cases[] = {
      {GI_MOTION_EVENT, 104, true},                                  // 104 - 8 = 96
      {GI_MOTION_EVENT, 103, false}, {GI_MOTION_EVENT, 100, false},  // 100 - 8 < 96: a zero event instead
      {GI_BUTTON_EVENT, 104, true},  {GI_ZERO_EVENT, 52, true},      // 52 - 4 = 48
      {GI_ZERO_EVENT, 51, false},    {GI_EXCEPTION_EVENT, 188, true}, {GI_EXCEPTION_EVENT, 187, false},
  };
  for (const Case &c : cases) {
    DeliverRule r = DeliverRuleFor(c.type);
    EXPECT_EQ(DeliverAsIs(c.type, c.rawFree - 4 * r.reserve) != 0, c.asIs) << c.type << "@" << c.rawFree;
  }
  EXPECT_EQ(DeliverRuleFor(GI_EXCEPTION_EVENT).size, 132);
  EXPECT_EQ(DeliverRuleFor(GI_COMBO_EVENT).size, 48);
}

TEST(Deliver, ZeroEventIsTypeFourPeriodFifty) {
  GiEvent ev;
  std::memset(&ev, 0xAB, sizeof ev);
  DeliverZeroEvent(&ev);
  EXPECT_EQ(ev.type, GI_ZERO_EVENT);
  EXPECT_EQ(ev.period, 50);
  EXPECT_EQ(ev.tx | ev.ty | ev.tz | ev.rx | ev.ry | ev.rz, 0);
  EXPECT_EQ(ev.last | ev.current | ev.pressed | ev.released, 0u);
}

class MotionFilter : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(&dev, 0, sizeof dev);
    dev.type = 1;
    dev.model = UdModelByName("Quorvanel 2200");
    ASSERT_NE(dev.model, nullptr);
    dev.translation = 1;
    dev.rotation = 1;
    dev.singleAxis = 0;
    dev.sensitivity = 1.0f;
    dev.menuButton = 30;
    gUiMode = -1;
    gToggles = gRezeros = 0;
  }
  static GiEvent Motion(int32_t tx, int32_t ty, int32_t tz, int32_t rx, int32_t ry, int32_t rz) {
    GiEvent ev;
    std::memset(&ev, 0, sizeof ev);
    ev.type = GI_MOTION_EVENT;
    ev.tx = tx, ev.ty = ty, ev.tz = tz, ev.rx = rx, ev.ry = ry, ev.rz = rz;
    ev.period = 20;
    return ev;
  }
  static GiEvent Buttons(uint32_t last, uint32_t current) {
    GiEvent ev;
    std::memset(&ev, 0, sizeof ev);
    ev.type = GI_BUTTON_EVENT;
    ev.last = last;
    ev.current = current;
    ev.pressed = current & ~last;
    ev.released = last & ~current;
    return ev;
  }
  UdDevice dev;
};

TEST_F(MotionFilter, SingleAxisKeepsTheFirstOfEqualMagnitudes) {
  dev.singleAxis = 1;
  GiEvent ev = Motion(100, -300, 50, 0, 0, 300);
  ASSERT_EQ(UdMotionFilter(&dev, &ev), UD_EVENT_READY);
  EXPECT_EQ(ev.tx, 0);
  EXPECT_EQ(ev.ty, -300);
  EXPECT_EQ(ev.tz, 0);
  EXPECT_EQ(ev.rz, 0);
}

TEST_F(MotionFilter, TranslationOffLeavesTheRotationsToChooseFrom) {
  dev.singleAxis = 1;
  dev.translation = 0;
  GiEvent ev = Motion(900, -800, 700, 5, -60, 40);
  ASSERT_EQ(UdMotionFilter(&dev, &ev), UD_EVENT_READY);
  const int32_t got[6] = {ev.tx, ev.ty, ev.tz, ev.rx, ev.ry, ev.rz};
  const int32_t want[6] = {0, 0, 0, 0, -60, 0};
  for (int i = 0; i < 6; i++) EXPECT_EQ(got[i], want[i]) << i;
}

TEST_F(MotionFilter, SensitivityTruncatesTowardZero) {
  dev.sensitivity = 0.0625f;
  GiEvent ev = Motion(15, -17, 160, -160, 0, 33);
  ASSERT_EQ(UdMotionFilter(&dev, &ev), UD_EVENT_READY);
  EXPECT_EQ(ev.tx, 0);
  EXPECT_EQ(ev.ty, -1);
  EXPECT_EQ(ev.tz, 10);
  EXPECT_EQ(ev.rx, -10);
  EXPECT_EQ(ev.rz, 2);
}

TEST_F(MotionFilter, HugeSensitivityStaysInRange) {
  dev.sensitivity = 1e30f;
  GiEvent ev = Motion(5, -5, 0, 0, 0, 0);
  ASSERT_EQ(UdMotionFilter(&dev, &ev), UD_EVENT_READY);
  EXPECT_EQ(ev.tx, INT32_MAX);
  EXPECT_EQ(ev.ty, INT32_MIN);
}

TEST_F(MotionFilter, MenuButtonAloneTogglesAndIsDropped) {
  GiEvent ev = Buttons(0, 1u << 30);
  EXPECT_EQ(UdMotionFilter(&dev, &ev), UD_OK);
  EXPECT_EQ(gToggles, 1);
  // Its release is dropped too, without a second toggle.
  GiEvent up = Buttons(1u << 30, 0);
  EXPECT_EQ(UdMotionFilter(&dev, &up), UD_OK);
  EXPECT_EQ(gToggles, 1);
}

TEST_F(MotionFilter, MenuButtonBesideAnotherButtonIsRemovedFromIt) {
  GiEvent ev = Buttons(0, (1u << 30) | 0x4);
  ASSERT_EQ(UdMotionFilter(&dev, &ev), UD_EVENT_READY);
  EXPECT_EQ(ev.current, 0x4u);
  EXPECT_EQ(ev.pressed, 0x4u);
  EXPECT_EQ(gToggles, 1);
}

TEST_F(MotionFilter, BitZeroRezerosOnlyThe2200) {
  struct Case {
    const char *model;
    int rezeros;
  };
  const Case cases[] = {{"Quorvanel 2200", 1}, {"Quorvanel 3200", 0}, {"Quorvanel Stick", 0}};
  for (const Case &c : cases) {
    SetUp();
    dev.model = UdModelByName(c.model);
    dev.type = dev.model->type;
    GiEvent ev = Buttons(0, 0x1);
    EXPECT_EQ(UdMotionFilter(&dev, &ev), UD_OK) << c.model;  // nothing else changed
    EXPECT_EQ(gRezeros, c.rezeros) << c.model;
  }
}

TEST_F(MotionFilter, UiModeZeroPassesEverythingThrough) {
  gUiMode = 0;
  dev.singleAxis = 1;
  dev.translation = 0;
  dev.sensitivity = 0.0625f;
  GiEvent ev = Motion(100, -300, 50, 0, 0, 300);
  ASSERT_EQ(UdMotionFilter(&dev, &ev), UD_EVENT_READY);
  EXPECT_EQ(ev.tx, 100);
  EXPECT_EQ(ev.ty, -300);
  EXPECT_EQ(ev.rz, 300);
  GiEvent menu = Buttons(0, 1u << 30);
  ASSERT_EQ(UdMotionFilter(&dev, &menu), UD_EVENT_READY);
  EXPECT_EQ(menu.pressed, 1u << 30);
  EXPECT_EQ(gToggles, 0);
}

TEST_F(MotionFilter, ComboWithoutButtonChangeBecomesMotion) {
  GiEvent ev = Motion(1, 2, 3, 4, 5, 6);
  ev.type = GI_COMBO_EVENT;
  ev.current = ev.last = 0x8;  // held, unchanged
  ASSERT_EQ(UdMotionFilter(&dev, &ev), UD_EVENT_READY);
  EXPECT_EQ(ev.type, GI_MOTION_EVENT);
}

TEST_F(MotionFilter, ZeroAndDeviceMessagesPassUnchanged) {
  dev.sensitivity = 0.0f;
  GiEvent z = Motion(0, 0, 0, 0, 0, 0);
  z.type = GI_ZERO_EVENT;
  z.period = 50;
  GiEvent copy = z;
  ASSERT_EQ(UdMotionFilter(&dev, &z), UD_EVENT_READY);
  EXPECT_EQ(0, std::memcmp(&z, &copy, sizeof z));
}

}  // namespace
