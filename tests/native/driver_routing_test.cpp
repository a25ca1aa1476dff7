// The road of one event in the driver's portable core, on an in-memory
// channel with 2200s on virtual ports: the focus order (grab slot, the
// foreground process's newest handle, background slot), when it is
// recomputed, pruning, the settings window in front, the zero event for a
// handle that loses its device in mid-motion, the type mask, the filter
// under the focus handle's UI mode, the ring's edge and the motion-active
// flag, buttons as keystrokes while no library client is in front; the
// delivery policy's arithmetic and the motion filter itself with its
// per-axis settings.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/deliver.h"
#include "driver/device/iniaxes.h"
#include "driver/device/inikeys.h"
#include "driver/device/udrecover.h"
#include "driver/dvrkeys.h"
#include "driver/dvrinput.h"
#include "driver/dvrroute.h"
#include "fakedvr.h"

namespace {

using fakedvr::Args;
using fakedvr::Call;

void *const kWindowA = (void *)0x1000;   // process 10
void *const kWindowB = (void *)0x2000;   // process 20
void *const kWindowB2 = (void *)0x2100;  // process 20, a second window
void *const kOther = (void *)0x3000;     // process 30, no handle
void *const kSettings = (void *)0x4000;  // the driver's own settings window

GiEvent Motion(int32_t tx) {
  GiEvent ev;
  std::memset(&ev, 0, sizeof ev);
  ev.type = GI_MOTION_EVENT;
  ev.tx = tx;
  ev.period = 20;
  return ev;
}

GiEvent Event(int32_t type) {
  GiEvent ev = Motion(0);
  ev.type = type;
  if (type == GI_BUTTON_EVENT || type == GI_COMBO_EVENT) ev.current = ev.pressed = 0x4;
  return ev;
}

class Routing : public ::testing::Test {
 protected:
  udfake::World world;
  void SetUp() override {
    fakedvr::Reset();
    fakedvr::OpenDevices(&world, 2);
    ASSERT_EQ(UdDeviceCount(), 2);
    fakedvr::S().windows = {{kWindowA, 10}, {kWindowB, 20}, {kWindowB2, 20}, {kOther, 30}, {kSettings, 99}};
    fakedvr::S().settingsWindow = kSettings;
    fakedvr::S().foreground = kOther;
  }
  void TearDown() override { DvrCloseAllHandles(); }

  struct Opened {
    DvrHandle *h;
    fakedvr::Queue *q;
    void *window;
  };
  Opened Open(void *window, int32_t device = 0, uint32_t eventMask = 31) {
    WireOpenReply r = fakedvr::Open(window, device, eventMask);
    EXPECT_EQ(r.status, GI_NO_ERROR);
    return {DvrHandleFind(r.handle), fakedvr::QueueInSlot(r.slot), window};
  }
  void Front(void *window) { fakedvr::S().foreground = window; }
  // Routes an event of device 0 and says which of the handles got a record
  // (one letter each, "-" for none).
  std::string Route(GiEvent ev, const std::vector<Opened> &all, int device = 0) {
    DvrRouteEvent(device, &ev);
    std::string got;
    for (size_t i = 0; i < all.size(); i++) {
      for (const fakedvr::Notice &n : fakedvr::TakeNotices(all[i].window))
        if (n.slot == (uint32_t)all[i].q->link.slot) got += (char)('A' + i);
    }
    // Notices of other windows' handles were taken above; drop the rest.
    fakedvr::S().notices.clear();
    return got.empty() ? "-" : got;
  }
  static int32_t Grab(DvrHandle *h, int32_t flag) {
    return Call(REQ_GRAB, Args().Word((int32_t)h->value).Word(flag).data).Word(0);
  }
};

TEST_F(Routing, FocusOrderGrabThenForegroundThenBackground) {
  Opened a = Open(kWindowA), b1 = Open(kWindowB), b2 = Open(kWindowB2);
  std::vector<Opened> all = {a, b1, b2};
  Front(kWindowB);
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "C") << "the newest handle of the foreground's process";
  Front(kWindowA);
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "A");
  Front(kOther);
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "-") << "nobody's window in front";

  ASSERT_EQ(Grab(a.h, 0), GI_NO_ERROR);
  Front(kWindowB);
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "C") << "the background slot yields to the foreground";
  Front(kOther);
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "A")
      << "the background slot when nobody with the device is in front";

  ASSERT_EQ(Grab(b1.h, 1), GI_NO_ERROR);
  Front(kWindowA);
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "B") << "the grab slot regardless of the foreground";
}

TEST_F(Routing, TheEventsOfOneReadLookAtTheForegroundOnce) {
  Opened a = Open(kWindowA), b = Open(kWindowB);
  std::vector<Opened> all = {a, b};
  Front(kWindowA);
  fakedvr::S().foregroundLooks = 0;
  DvrFocusBeginBatch();
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "A");
  Front(kWindowB);  // changes while the batch is routed: seen by the next batch
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "A");
  EXPECT_EQ(Route(Motion(5), all), "A");
  DvrFocusEndBatch();
  EXPECT_EQ(fakedvr::S().foregroundLooks, 1);

  DvrFocusBeginBatch();
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "AB")
      << "the next batch looks again (A loses the device in mid-motion: its zero event)";
  DvrFocusEndBatch();
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "B");
  EXPECT_EQ(fakedvr::S().foregroundLooks, 3) << "outside a batch every lookup asks";

  // A handle closed within a batch makes the next lookup ask again rather
  // than route by what the closed handle left behind.
  DvrFocusBeginBatch();
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "B");
  DvrCloseHandle(b.h);
  Front(kWindowA);
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), {a}), "A");
  DvrFocusEndBatch();
}

TEST_F(Routing, AGrabTakesEffectAtTheNextFocusComputation) {
  Opened a = Open(kWindowA), b = Open(kWindowB);
  std::vector<Opened> all = {a, b};
  Front(kWindowA);
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "A");
  ASSERT_EQ(Grab(b.h, 1), GI_NO_ERROR);
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "A") << "same foreground, no recomputation yet";
  Front(kOther);
  DvrFocusPoll();  // the 250 ms poll sees another window in front
  Front(kWindowA);
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "B");
  // An open (or a close) also recomputes.
  ASSERT_EQ(Call(REQ_RELEASE, Args().Word((int32_t)b.h->value).data, false).status, 0);
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "B");
  Open(kOther, 1);
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "A");
}

TEST_F(Routing, TheSettingsWindowInFrontKeepsTheLastApplication) {
  Opened a = Open(kWindowA), b = Open(kWindowB);
  std::vector<Opened> all = {a, b};
  Front(kWindowB);
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "B");
  Front(kSettings);
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "B");
  Front(kOther);  // a window without a handle does not become the last application
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "-");
  Front(kSettings);
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "B");
  Front(kWindowA);
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "A");
  Front(kSettings);
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), all), "A");
}

TEST_F(Routing, ANewForegroundPrunesVanishedWindows) {
  Opened a = Open(kWindowA), b = Open(kWindowB);
  uint32_t value = b.h->value;
  Front(kWindowA);
  EXPECT_EQ(Route(Motion(1), {a, b}), "A");
  fakedvr::S().windows.erase(kWindowB);
  world.ports[0].written.clear();
  EXPECT_NE(DvrHandleFind(value), nullptr) << "nothing happens before the foreground changes";
  Front(kOther);
  DvrFocusPoll();
  EXPECT_EQ(DvrHandleFind(value), nullptr);
  EXPECT_EQ(world.ports[0].written, "Bf\r");
  EXPECT_EQ(fakedvr::S().queues.size(), 1u);
}

TEST_F(Routing, ForegroundReadAsNoneRecomputesEveryTime) {
  Opened a = Open(kWindowA);
  Front(nullptr);
  EXPECT_EQ(Route(Motion(1), {a}), "-");
  ASSERT_EQ(Grab(a.h, 1), GI_NO_ERROR);
  EXPECT_EQ(Route(Motion(1), {a}), "A") << "no stored window to compare with: recomputed";
}

TEST_F(Routing, LosingTheDeviceInMidMotionGivesOneZeroEvent) {
  Opened a = Open(kWindowA), b = Open(kWindowB);
  Front(kWindowA);
  GiEvent m = Motion(40);
  DvrRouteEvent(0, &m);
  EXPECT_EQ(UdDeviceAt(0)->motionActive, 1);
  fakedvr::S().notices.clear();
  Front(kWindowB);
  DvrFocusPoll();
  auto lost = fakedvr::TakeNotices(kWindowA);
  ASSERT_EQ(lost.size(), 1u);
  EXPECT_EQ(lost[0].kind, (uint32_t)GI_ZERO_EVENT);
  GiEvent ev;
  ASSERT_TRUE(fakedvr::ReadEvent(a.q, lost[0].seq, &ev));
  EXPECT_EQ(ev.type, GI_ZERO_EVENT);
  EXPECT_EQ(ev.period, 50);
  EXPECT_EQ(ev.tx | ev.ty | ev.tz | ev.rx | ev.ry | ev.rz, 0);
  EXPECT_EQ(UdDeviceAt(0)->motionActive, 0);
  EXPECT_EQ(UdDeviceAt(0)->focus, b.h);
  EXPECT_TRUE(fakedvr::TakeNotices(kWindowB).empty());

  // At rest (a zero event delivered), a change of focus sends nothing.
  GiEvent z = Event(GI_ZERO_EVENT);
  DvrRouteEvent(0, &z);
  fakedvr::S().notices.clear();
  Front(kWindowA);
  DvrFocusPoll();
  EXPECT_TRUE(fakedvr::TakeNotices(kWindowB).empty());
}

TEST_F(Routing, ClosingTheFocusHandleClearsTheMotionFlag) {
  Opened a = Open(kWindowA);
  Front(kWindowA);
  GiEvent m = Motion(40);
  DvrRouteEvent(0, &m);
  ASSERT_EQ(UdDeviceAt(0)->focus, a.h);
  Call(REQ_CLOSE, Args().Word((int32_t)a.h->value).data, false);
  EXPECT_EQ(UdDeviceAt(0)->focus, nullptr);
  EXPECT_EQ(UdDeviceAt(0)->motionActive, 0);
}

TEST_F(Routing, TheTypeMaskDecidesWhatIsDeliveredAndLeavesTheFlag) {
  Opened a = Open(kWindowA, 0, 1u << (GI_BUTTON_EVENT - 1));
  Front(kWindowA);
  EXPECT_EQ(Route(Motion(5), {a}), "-");
  EXPECT_EQ(UdDeviceAt(0)->motionActive, 0);
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), {a}), "A");
  // Another device's events never reach a handle of device 0.
  EXPECT_EQ(Route(Event(GI_BUTTON_EVENT), {a}, 1), "-");
}

// The filter acts under the UI mode of the handle that will get the event.
TEST_F(Routing, TheFilterFollowsTheFocusHandlesUiMode) {
  Opened a = Open(kWindowA), b = Open(kWindowB);
  ASSERT_EQ(dvr::GiSetUiMode(a.h->value, 0), GI_NO_ERROR);  // does its own processing
  GiEvent menu = Event(GI_BUTTON_EVENT);
  menu.current = menu.pressed = 1u << 30;  // the menu button
  Front(kWindowA);
  EXPECT_EQ(Route(menu, {a, b}), "A");
  EXPECT_EQ(fakedvr::S().toggles, 0);
  Front(kWindowB);
  EXPECT_EQ(Route(menu, {a, b}), "-") << "b lets the driver have it: toggled and dropped";
  EXPECT_EQ(fakedvr::S().toggles, 1);
}

TEST_F(Routing, AtTheRingsEdgeAZeroEventTakesTheMotionsPlace) {
  Opened a = Open(kWindowA);
  Front(kWindowA);
  GiEvent m = Motion(100);
  DvrRouteEvent(0, &m);
  ASSERT_EQ(UdDeviceAt(0)->motionActive, 1);
  fakedvr::S().notices.clear();

  // 100 bytes free: no room for the motion and a later zero event.
  a.q->mem.readOffset = a.q->mem.writeOffset + 101;
  m = Motion(100);
  DvrRouteEvent(0, &m);
  auto n = fakedvr::TakeNotices(kWindowA);
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].kind, (uint32_t)GI_ZERO_EVENT);
  EXPECT_EQ(n[0].seq, 2);
  EXPECT_EQ(UdDeviceAt(0)->motionActive, 0) << "the application saw the motion stop";

  // 51 bytes free: not even a zero event; the notice repeats the last number.
  a.q->mem.readOffset = a.q->mem.writeOffset + 52;
  UdDeviceAt(0)->motionActive = 1;
  m = Motion(100);
  DvrRouteEvent(0, &m);
  n = fakedvr::TakeNotices(kWindowA);
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].seq, 2);
  EXPECT_EQ(UdDeviceAt(0)->motionActive, 1) << "nothing was delivered: the flag stays";
  GiEvent z = Event(GI_ZERO_EVENT);
  a.q->mem.readOffset = a.q->mem.writeOffset + 52;
  UdDeviceAt(0)->motionActive = 1;
  DvrRouteEvent(0, &z);
  EXPECT_EQ(UdDeviceAt(0)->motionActive, 1) << "a lost zero event stops nothing";
}

TEST_F(Routing, ComboEventsSetTheFlagAndExceptionsTakeTheirFullSize) {
  Opened a = Open(kWindowA);
  Front(kWindowA);
  GiEvent c = Event(GI_COMBO_EVENT);
  c.tx = 3;
  DvrRouteEvent(0, &c);
  EXPECT_EQ(UdDeviceAt(0)->motionActive, 1);
  GiEvent x;
  std::memset(&x, 0, sizeof x);
  x.type = GI_EXCEPTION_EVENT;
  std::strcpy(GI_EVENT_TEXT(&x), "@ fault");
  int32_t before = a.q->mem.writeOffset;
  DvrRouteEvent(0, &x);
  EXPECT_EQ(a.q->mem.writeOffset - before, 4 + 132);
  EXPECT_EQ(UdDeviceAt(0)->motionActive, 1);
}

TEST_F(Routing, BytesOnThePortReachTheFocusHandle) {
  Opened a = Open(kWindowA);
  Front(kWindowA);
  world.ports[0].SendAt(world.now, std::string("\x4B\x40\x44\x0D", 4));  // button 3 pressed
  DvrProcessInput(0);
  auto n = fakedvr::TakeNotices(kWindowA);
  ASSERT_EQ(n.size(), 1u);
  GiEvent ev;
  ASSERT_TRUE(fakedvr::ReadEvent(a.q, n[0].seq, &ev));
  EXPECT_EQ(ev.type, GI_BUTTON_EVENT);
  EXPECT_NE(ev.pressed, 0u);
}

// A port that fails twice closes its device; the handle that was moving gets
// one zero event, the other device and every handle stay as they were.
TEST_F(Routing, APortThatFailsClosesItsDeviceAndStopsTheMotion) {
  UdRecoverReset();
  Opened a = Open(kWindowA), b = Open(kWindowB, 1);
  Front(kWindowA);
  GiEvent m = Motion(40);
  DvrRouteEvent(0, &m);
  fakedvr::S().notices.clear();
  world.ports[0].open = false;  // the adapter is pulled out: reads fail
  for (int look = 0; look < 2; look++) {
    int result = DvrProcessInput(0);
    EXPECT_EQ(result, -1);
    if (UdRecoverNote(0, result, 0)) DvrDeviceLost(0);
  }
  EXPECT_FALSE(UdDeviceIsOpen(UdDeviceAt(0)));
  EXPECT_TRUE(UdDeviceIsOpen(UdDeviceAt(1)));
  auto zero = fakedvr::TakeNotices(kWindowA);
  ASSERT_EQ(zero.size(), 1u);
  GiEvent ev;
  ASSERT_TRUE(fakedvr::ReadEvent(a.q, zero[0].seq, &ev));
  EXPECT_EQ(ev.type, GI_ZERO_EVENT);
  EXPECT_EQ(UdDeviceAt(0)->motionActive, 0);
  EXPECT_EQ(UdDeviceAt(0)->focus, a.h) << "the handle stays";
  EXPECT_EQ(UdDeviceAt(1)->handles, b.h);
  EXPECT_EQ(DvrProcessInput(0), 0) << "a closed device reads nothing";
  DvrDeviceLost(0);
  EXPECT_TRUE(fakedvr::TakeNotices(kWindowA).empty()) << "at rest: no second zero event";
  UdRecoverReset();
}

TEST_F(Routing, WithoutANamedDeviceThePollAnswersForTheFocusDevice) {
  Opened one = Open(kWindowA, 1);
  Front(kWindowA);
  EXPECT_EQ(DvrFocusPoll(), one.h) << "the first device in table order that has a focus handle";
  EXPECT_EQ(DvrFindFocus(0), nullptr);
  EXPECT_EQ(DvrFocusPoll(), nullptr) << "device 0 is the focus device now";
  EXPECT_EQ(DvrFindFocus(1), one.h);
  EXPECT_EQ(DvrFocusPoll(), one.h);
}

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
    IniAxesDefaults(dev.axes);
    uiMode = GI_UI_ALL;
    fakedvr::Reset();
    udfake::Reset(&world);
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
  int32_t Filter(GiEvent *ev) { return UdMotionFilter(&dev, ev, uiMode); }
  udfake::World world;
  UdDevice dev;
  int32_t uiMode = GI_UI_ALL;
};

TEST_F(MotionFilter, SingleAxisKeepsTheFirstOfEqualMagnitudes) {
  dev.singleAxis = 1;
  GiEvent ev = Motion(100, -300, 50, 0, 0, 300);
  ASSERT_EQ(Filter(&ev), UD_EVENT_READY);
  EXPECT_EQ(ev.tx, 0);
  EXPECT_EQ(ev.ty, -300);
  EXPECT_EQ(ev.tz, 0);
  EXPECT_EQ(ev.rz, 0);
}

TEST_F(MotionFilter, TranslationOffLeavesTheRotationsToChooseFrom) {
  dev.singleAxis = 1;
  dev.translation = 0;
  GiEvent ev = Motion(900, -800, 700, 5, -60, 40);
  ASSERT_EQ(Filter(&ev), UD_EVENT_READY);
  const int32_t got[6] = {ev.tx, ev.ty, ev.tz, ev.rx, ev.ry, ev.rz};
  const int32_t want[6] = {0, 0, 0, 0, -60, 0};
  for (int i = 0; i < 6; i++) EXPECT_EQ(got[i], want[i]) << i;
}

TEST_F(MotionFilter, SensitivityTruncatesTowardZero) {
  dev.sensitivity = 0.0625f;
  GiEvent ev = Motion(15, -17, 160, -160, 0, 33);
  ASSERT_EQ(Filter(&ev), UD_EVENT_READY);
  EXPECT_EQ(ev.tx, 0);
  EXPECT_EQ(ev.ty, -1);
  EXPECT_EQ(ev.tz, 10);
  EXPECT_EQ(ev.rx, -10);
  EXPECT_EQ(ev.rz, 2);
}

TEST_F(MotionFilter, HugeSensitivityStaysInRange) {
  dev.sensitivity = 1e30f;
  GiEvent ev = Motion(5, -5, 0, 0, 0, 0);
  ASSERT_EQ(Filter(&ev), UD_EVENT_READY);
  EXPECT_EQ(ev.tx, INT32_MAX);
  EXPECT_EQ(ev.ty, INT32_MIN);
}

TEST_F(MotionFilter, MenuButtonAloneTogglesAndIsDropped) {
  GiEvent ev = Buttons(0, 1u << 30);
  EXPECT_EQ(Filter(&ev), UD_OK);
  EXPECT_EQ(fakedvr::S().toggles, 1);
  // Its release is dropped too, without a second toggle.
  GiEvent up = Buttons(1u << 30, 0);
  EXPECT_EQ(Filter(&up), UD_OK);
  EXPECT_EQ(fakedvr::S().toggles, 1);
}

TEST_F(MotionFilter, MenuButtonBesideAnotherButtonIsRemovedFromIt) {
  GiEvent ev = Buttons(0, (1u << 30) | 0x4);
  ASSERT_EQ(Filter(&ev), UD_EVENT_READY);
  EXPECT_EQ(ev.current, 0x4u);
  EXPECT_EQ(ev.pressed, 0x4u);
  EXPECT_EQ(fakedvr::S().toggles, 1);
}

TEST_F(MotionFilter, BitZeroRezerosOnlyThe2200) {
  struct Case {
    const char *model;
    int rezeros;
  };
  const Case cases[] = {
      {"Quorvanel 2200", 1}, {"Quorvanel 3200", 0}, {"Quorvanel Stick", 0}, {"Lumeqaro 700", 0}};
  for (const Case &c : cases) {
    SetUp();
    dev.model = UdModelByName(c.model);
    dev.type = dev.model->type;
    GiEvent ev = Buttons(0, 0x1);
    EXPECT_EQ(Filter(&ev), UD_OK) << c.model;  // nothing else changed
    EXPECT_EQ(fakedvr::S().rezeros, c.rezeros) << c.model;
  }
}

TEST_F(MotionFilter, LumeqaroButtonOneWithBitZeroKeepsButtonOne) {
  // The Lumeqaro's raw bit 6 arrives as bit 0 beside button 1 (bit 1).
  dev.model = UdModelByName("Lumeqaro 700");
  dev.type = dev.model->type;
  GiEvent ev = Buttons(0, 0x3);
  ASSERT_EQ(Filter(&ev), UD_EVENT_READY);
  EXPECT_EQ(ev.current, 0x2u);
  EXPECT_EQ(ev.pressed, 0x2u);
  EXPECT_EQ(fakedvr::S().rezeros, 0);
}

TEST_F(MotionFilter, UiModeZeroPassesEverythingThrough) {
  uiMode = 0;
  dev.singleAxis = 1;
  dev.translation = 0;
  dev.sensitivity = 0.0625f;
  GiEvent ev = Motion(100, -300, 50, 0, 0, 300);
  ASSERT_EQ(Filter(&ev), UD_EVENT_READY);
  EXPECT_EQ(ev.tx, 100);
  EXPECT_EQ(ev.ty, -300);
  EXPECT_EQ(ev.rz, 300);
  GiEvent menu = Buttons(0, 1u << 30);
  ASSERT_EQ(Filter(&menu), UD_EVENT_READY);
  EXPECT_EQ(menu.pressed, 1u << 30);
  EXPECT_EQ(fakedvr::S().toggles, 0);
}

TEST_F(MotionFilter, ComboWithoutButtonChangeBecomesMotion) {
  GiEvent ev = Motion(1, 2, 3, 4, 5, 6);
  ev.type = GI_COMBO_EVENT;
  ev.current = ev.last = 0x8;  // held, unchanged
  ASSERT_EQ(Filter(&ev), UD_EVENT_READY);
  EXPECT_EQ(ev.type, GI_MOTION_EVENT);
}

TEST_F(MotionFilter, ZeroAndDeviceMessagesPassUnchanged) {
  dev.sensitivity = 0.0f;
  GiEvent z = Motion(0, 0, 0, 0, 0, 0);
  z.type = GI_ZERO_EVENT;
  z.period = 50;
  GiEvent copy = z;
  ASSERT_EQ(Filter(&z), UD_EVENT_READY);
  EXPECT_EQ(0, std::memcmp(&z, &copy, sizeof z));
}

TEST_F(MotionFilter, PerAxisSettingsAfterTheSwitchesUnderTheirUiModeBits) {
  struct Case {
    const char *what;
    void (*setup)(UdDevice *);
    int32_t mode;
    float sensitivity;
    int32_t in[6], want[6];
  };
  const int32_t kFilterAndScale = GI_UI_FILTERS | GI_UI_SENSITIVITY;
  const Case cases[] = {
      {"defaults change nothing",
       [](UdDevice *) {},
       GI_UI_ALL,
       1.0f,
       {100, -300, 50, 7, -8, INT32_MIN},
       {100, -300, 50, 7, -8, INT32_MIN}},
      {"defaults under a sensitivity round as before",
       [](UdDevice *) {},
       GI_UI_ALL,
       0.0625f,
       {15, -17, 160, -160, 0, 33},
       {0, -1, 10, -10, 0, 2}},
      {"inversion",
       [](UdDevice *d) { d->axes[1].invert = d->axes[5].invert = 1; },
       GI_UI_ALL,
       1.0f,
       {1, 2, 3, 4, 5, -6},
       {1, -2, 3, 4, 5, 6}},
      {"inverting the lowest value stays in range",
       [](UdDevice *d) { d->axes[0].invert = 1; },
       GI_UI_ALL,
       1.0f,
       {INT32_MIN, 0, 0, 0, 0, 0},
       {INT32_MAX, 0, 0, 0, 0, 0}},
      {"dead zone: at its edge 0, one above passes",
       [](UdDevice *d) { d->axes[0].deadZone = d->axes[1].deadZone = d->axes[2].deadZone = 50; },
       GI_UI_ALL,
       1.0f,
       {50, -50, 51, 50, 0, 0},
       {0, 0, 51, 50, 0, 0}},
      {"scale multiplies the sensitivity, rounded once",
       [](UdDevice *d) { d->axes[0].scale = 3.0f; },
       GI_UI_ALL,
       0.5f,
       {3, 3, 0, 0, 0, 0},
       {4, 1, 0, 0, 0, 0}},
      {"scale 0 silences its axis",
       [](UdDevice *d) { d->axes[4].scale = 0.0f; },
       GI_UI_ALL,
       2.0f,
       {1, 1, 1, 1, 1, 1},
       {2, 2, 2, 2, 0, 2}},
      {"swapped pair",
       [](UdDevice *d) { d->axes[0].source = 1, d->axes[1].source = 0; },
       GI_UI_ALL,
       1.0f,
       {10, 20, 30, 40, 50, 60},
       {20, 10, 30, 40, 50, 60}},
      {"a rotation feeds a translation; the dead zone is the outgoing axis's",
       [](UdDevice *d) { d->axes[2].source = 5, d->axes[2].deadZone = 60, d->axes[5].deadZone = 0; },
       GI_UI_ALL,
       1.0f,
       {0, 0, 500, 0, 0, 60},
       {0, 0, 0, 0, 0, 60}},
      {"map, invert and scale of one axis together",
       [](UdDevice *d) { d->axes[3].source = 0, d->axes[3].invert = 1, d->axes[3].scale = 2.0f; },
       GI_UI_ALL,
       1.0f,
       {7, 0, 0, 9, 0, 0},
       {7, 0, 0, -14, 0, 0}},
      {"without the filters bit: no map, inversion or dead zone; scales stay",
       [](UdDevice *d) {
         d->axes[0].source = 1, d->axes[1].invert = 1, d->axes[2].deadZone = 100, d->axes[3].scale = 2.0f;
       },
       GI_UI_SENSITIVITY,
       1.0f,
       {1, 2, 3, 4, 5, 6},
       {1, 2, 3, 8, 5, 6}},
      {"without the sensitivity bit: no scales; map, inversion and dead zone stay",
       [](UdDevice *d) {
         d->axes[0].source = 1, d->axes[1].invert = 1, d->axes[2].deadZone = 100, d->axes[3].scale = 2.0f;
       },
       GI_UI_FILTERS,
       4.0f,
       {1, 2, 3, 4, 5, 6},
       {2, -2, 0, 4, 5, 6}},
      {"mode 0 passes everything",
       [](UdDevice *d) { d->axes[0].source = 1, d->axes[1].invert = 1, d->axes[3].scale = 0.0f; },
       0,
       4.0f,
       {1, 2, 3, 4, 5, 6},
       {1, 2, 3, 4, 5, 6}},
      {"translation off zeroes the incoming translations before the map",
       [](UdDevice *d) {
         d->translation = 0;
         d->axes[0].source = 3;
       },
       kFilterAndScale,
       1.0f,
       {1, 2, 3, 4, 5, 6},
       {4, 0, 0, 4, 5, 6}},
  };
  for (const Case &c : cases) {
    SetUp();
    c.setup(&dev);
    dev.sensitivity = c.sensitivity;
    uiMode = c.mode;
    GiEvent ev = Motion(c.in[0], c.in[1], c.in[2], c.in[3], c.in[4], c.in[5]);
    ASSERT_EQ(Filter(&ev), UD_EVENT_READY) << c.what;
    const int32_t got[6] = {ev.tx, ev.ty, ev.tz, ev.rx, ev.ry, ev.rz};
    for (int i = 0; i < 6; i++) EXPECT_EQ(got[i], c.want[i]) << c.what << ", axis " << i;
  }
}

TEST(DvrKeys, ModifiersGoDownFirstAndComeUpLast) {
  UdKey key = {(uint8_t)(INI_VK_F1 + 4), UD_MOD_CTRL | UD_MOD_SHIFT | UD_MOD_ALT};
  DvrKeyInput in[DVR_KEY_INPUTS];
  ASSERT_EQ(DvrKeyInputs(&key, 0, in), 4);
  const uint16_t down[4] = {INI_VK_CONTROL, INI_VK_SHIFT, INI_VK_MENU, INI_VK_F1 + 4};
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(in[i].vk, down[i]) << i;
    EXPECT_EQ(in[i].up, 0) << i;
  }
  ASSERT_EQ(DvrKeyInputs(&key, 1, in), 4);
  const uint16_t up[4] = {INI_VK_F1 + 4, INI_VK_MENU, INI_VK_SHIFT, INI_VK_CONTROL};
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(in[i].vk, up[i]) << i;
    EXPECT_EQ(in[i].up, 1) << i;
  }
  UdKey none = {0, UD_MOD_CTRL};
  EXPECT_EQ(DvrKeyInputs(&none, 0, in), 0);
}

// Buttons with keys, routed with the desktop of the Routing tests: bit 2
// has Ctrl+Z, bit 3 has no key.
class KeyRouting : public Routing {
 protected:
  void SetUp() override {
    Routing::SetUp();
    UdDeviceAt(0)->keys[2] = {'Z', UD_MOD_CTRL};
  }
  static GiEvent Press(uint32_t last, uint32_t current, int32_t type = GI_BUTTON_EVENT) {
    GiEvent ev = Motion(0);
    ev.type = type;
    ev.last = last;
    ev.current = current;
    ev.pressed = current & ~last;
    ev.released = last & ~current;
    return ev;
  }
  // The keystrokes sent since the last call, as "+17 +90" (down) and "-90" (up).
  static std::string Keys() {
    std::string out;
    for (const DvrKeyInput &k : fakedvr::S().keys)
      out += (out.empty() ? "" : " ") + std::string(k.up ? "-" : "+") + std::to_string(k.vk);
    fakedvr::S().keys.clear();
    return out;
  }
};

TEST_F(KeyRouting, APlainWindowInFrontGetsTheKeyNotTheButton) {
  Opened a = Open(kWindowA);
  ASSERT_EQ(Grab(a.h, 0), GI_NO_ERROR);  // the background slot: not in front
  Front(kOther);
  EXPECT_EQ(Route(Press(0, 0x4), {a}), "-");
  EXPECT_EQ(Keys(), "+17 +90");
  EXPECT_EQ(Route(Press(0x4, 0), {a}), "-");
  EXPECT_EQ(Keys(), "-90 -17");
  // A button without a key still reaches the background holder, without
  // the mapped button in its words.
  EXPECT_EQ(Route(Press(0, 0x4), {a}), "-");
  EXPECT_EQ(Keys(), "+17 +90");
  GiEvent both = Press(0x4, 0xC);
  DvrRouteEvent(0, &both);
  EXPECT_EQ(Keys(), "");
  auto n = fakedvr::TakeNotices(kWindowA);
  ASSERT_EQ(n.size(), 1u);
  GiEvent got;
  ASSERT_TRUE(fakedvr::ReadEvent(a.q, n[0].seq, &got));
  EXPECT_EQ(got.type, GI_BUTTON_EVENT);
  EXPECT_EQ(got.current, 0x8u);
  EXPECT_EQ(got.pressed, 0x8u);
  EXPECT_EQ(got.last, 0u);
}

TEST_F(KeyRouting, ALibraryClientInFrontGetsTheButtonAndNoKey) {
  Opened a = Open(kWindowA);
  Front(kWindowA);
  EXPECT_EQ(Route(Press(0, 0x4), {a}), "A");
  EXPECT_EQ(Route(Press(0x4, 0), {a}), "A");
  EXPECT_EQ(Keys(), "");
  // The background holder in front is a library client in front too.
  ASSERT_EQ(Grab(a.h, 0), GI_NO_ERROR);
  EXPECT_EQ(Route(Press(0, 0x4), {a}), "A");
  EXPECT_EQ(Keys(), "");
}

TEST_F(KeyRouting, AGrabKeepsTheButtonsAndTheSettingsWindowSendsNoKeys) {
  Opened a = Open(kWindowA);
  Front(kOther);
  ASSERT_EQ(Grab(a.h, 1), GI_NO_ERROR);
  EXPECT_EQ(Route(Press(0, 0x4), {a}), "A");
  EXPECT_EQ(Route(Press(0x4, 0), {a}), "A");
  EXPECT_EQ(Keys(), "");
  ASSERT_EQ(Call(REQ_RELEASE, Args().Word((int32_t)a.h->value).data).Word(0), GI_NO_ERROR);
  Front(kSettings);
  EXPECT_EQ(Route(Press(0, 0x4), {a}), "-");
  EXPECT_EQ(Keys(), "");
}

TEST_F(KeyRouting, AKeyDownComesUpWhenTheClientCameToTheFrontMeanwhile) {
  Opened a = Open(kWindowA);
  Front(kOther);
  EXPECT_EQ(Route(Press(0, 0x4), {a}), "-");
  EXPECT_EQ(Keys(), "+17 +90");
  Front(kWindowA);
  // The client never saw the press: the release is the key's, not its.
  EXPECT_EQ(Route(Press(0x4, 0), {a}), "-");
  EXPECT_EQ(Keys(), "-90 -17");
  EXPECT_EQ(UdDeviceAt(0)->keysDown, 0u);
  EXPECT_EQ(Route(Press(0, 0x4), {a}), "A") << "the next press is the client's";
  EXPECT_EQ(Keys(), "");
}

TEST_F(KeyRouting, ACombinedEventKeepsItsMotionForTheBackgroundHolder) {
  Opened a = Open(kWindowA);
  ASSERT_EQ(Grab(a.h, 0), GI_NO_ERROR);
  Front(kOther);
  GiEvent ev = Press(0, 0x4, GI_COMBO_EVENT);
  ev.tx = 77;
  DvrRouteEvent(0, &ev);
  EXPECT_EQ(Keys(), "+17 +90");
  auto n = fakedvr::TakeNotices(kWindowA);
  ASSERT_EQ(n.size(), 1u);
  GiEvent got;
  ASSERT_TRUE(fakedvr::ReadEvent(a.q, n[0].seq, &got));
  EXPECT_EQ(got.type, GI_MOTION_EVENT);
  EXPECT_EQ(got.tx, 77);
  EXPECT_EQ(got.current, 0u);
}

}  // namespace
