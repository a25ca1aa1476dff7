// The settings window's behaviour without a window: the sensitivity scale and
// its scroll positions, the help page's path, creation, the label cache, the
// UI-mode groups with the bring-up and put-away rules, the commands (switch
// interlock, beeps, rezero, buttons sent to the focus handle, Left/Right) and
// per-device settings kept across device switches. A fake view records what
// the window would show; the devices come from a configuration in memory.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "driver/dvrhandle.h"
#include "driver/uidlg.h"
#include "udfake.h"

namespace {

// What the window shows, as the view was told.
struct FakeView {
  std::map<int32_t, std::string> text;
  std::map<int32_t, int> textSets;  // setText calls per control
  std::map<int32_t, int32_t> checked, enabled;
  int32_t scrollMin = -1, scrollMax = -1, scrollPos = -1, lastRedraw = -1;
  bool up = false;  // restored (true) or put away (false)
  int ups = 0, aways = 0, bottoms = 0, helps = 0;
  int32_t topmost = -1;
  DvrHandle *focus = nullptr;
  std::vector<GiEvent> delivered;
};

FakeView *View(void *ctx) {
  return static_cast<FakeView *>(ctx);
}

const UiView kFakeView = {
    .setText =
        [](void *c, int32_t id, const char *t) {
          View(c)->text[id] = t;
          View(c)->textSets[id]++;
        },
    .setCheck = [](void *c, int32_t id, int32_t on) { View(c)->checked[id] = on; },
    .getCheck = [](void *c, int32_t id) { return View(c)->checked[id]; },
    .enable = [](void *c, int32_t id, int32_t on) { View(c)->enabled[id] = on; },
    .setScrollRange =
        [](void *c, int32_t, int32_t lo, int32_t hi) {
          View(c)->scrollMin = lo;
          View(c)->scrollMax = hi;
        },
    .setScrollPos =
        [](void *c, int32_t, int32_t pos, int32_t redraw) {
          View(c)->scrollPos = pos;
          View(c)->lastRedraw = redraw;
        },
    .getScrollPos = [](void *c, int32_t) { return View(c)->scrollPos; },
    .bringUp =
        [](void *c, int32_t topmost) {
          View(c)->up = true;
          View(c)->ups++;
          View(c)->topmost = topmost;
        },
    .putAway =
        [](void *c) {
          View(c)->up = false;
          View(c)->aways++;
        },
    .setTopmost = [](void *c, int32_t on) { View(c)->topmost = on; },
    .sendToBottom = [](void *c) { View(c)->bottoms++; },
    .openHelp = [](void *c) { View(c)->helps++; },
    .findFocus = [](void *c, int32_t) { return View(c)->focus; },
    .deliver =
        [](void *c, DvrHandle *, const GiEvent *ev) {
          View(c)->delivered.push_back(*ev);
          return (int32_t)0;
        },
};

// Beeps and rezeros of every device, in order: "0:BcC 0:Z 1:BcC".
std::string gDeviceLog;
void Note(UdDevice *dev, const std::string &what) {
  if (!gDeviceLog.empty()) gDeviceLog += " ";
  gDeviceLog += std::to_string(dev->index) + ":" + what;
}
int32_t Unsupported(UdDevice *) {
  return UD_UNSUPPORTED;
}
const UdOps kRecordingOps = {
    .open = Unsupported,
    .close = Unsupported,
    .parse = [](UdDevice *, const uint8_t *, int32_t, GiEvent *) { return (int32_t)UD_UNSUPPORTED; },
    .beep =
        [](UdDevice *dev, const char *pattern) {
          Note(dev, std::string("B") + pattern);
          return (int32_t)UD_OK;
        },
    .reset = Unsupported,
    .rezero =
        [](UdDevice *dev) {
          Note(dev, "Z");
          return (int32_t)UD_OK;
        },
    .write = [](UdDevice *, const uint8_t *, int32_t) { return (int32_t)UD_UNSUPPORTED; },
    .getPeriod = [](UdDevice *, int32_t *) { return (int32_t)UD_UNSUPPORTED; },
    .getDataMode = [](UdDevice *, int32_t *) { return (int32_t)UD_UNSUPPORTED; },
    .setDataMode = [](UdDevice *, int32_t) { return (int32_t)UD_UNSUPPORTED; },
    .bytesWanted = [](const UdDevice *) { return (int32_t)0; },
};

TEST(UiScale, PositionOfEveryScale) {
  struct {
    float scale;
    int32_t pos;
  } cases[] = {
      {0.0625f, 0},
      {0.125f, 1},
      {0.25f, 2},
      {0.5f, 3},
      {1.0f, 4},
      {2.0f, 5},
      {4.0f, 6},
      {8.0f, 7},
      {16.0f, 8},
      // Between two steps: the step farther from 1.0.
      {0.7f, 3},
      {0.99f, 3},
      {0.3f, 2},
      {0.1f, 0},
      {1.5f, 5},
      {1.01f, 5},
      {3.0f, 6},
      {12.0f, 8},
      // Beyond the ends.
      {0.001f, 0},
      {0.0f, 0},
      {100.0f, 8},
  };
  for (auto &c : cases) EXPECT_EQ(UiScalePosition(c.scale), c.pos) << c.scale;
}

TEST(UiScale, ScaleOfEveryPosition) {
  const float scales[] = {0.0625f, 0.125f, 0.25f, 0.5f, 1.0f, 2.0f, 4.0f, 8.0f, 16.0f};
  for (int32_t p = 0; p <= 8; p++) {
    EXPECT_EQ(UiPositionScale(p), scales[p]) << p;
    EXPECT_EQ(UiScalePosition(UiPositionScale(p)), p);
  }
  EXPECT_EQ(UiPositionScale(-3), 0.0625f);
  EXPECT_EQ(UiPositionScale(12), 16.0f);
}

TEST(UiHelp, PageBesideTheProgram) {
  struct {
    const char *module, *page;
  } cases[] = {
      {"C:\\Program Files\\Halvorin\\gyxsrv.exe", "C:\\Program Files\\Halvorin\\gyxsrv.html"},
      {"Z:\\work\\bin\\GYXSRV.EXE", "Z:\\work\\bin\\gyxsrv.html"},
      {"C:\\gyxsrv.exe", "C:\\gyxsrv.html"},
      {"gyxsrv.exe", "gyxsrv.html"},
  };
  for (auto &c : cases) {
    char out[260];
    ASSERT_EQ(UiHelpPath(c.module, out, sizeof out), 0) << c.module;
    EXPECT_STREQ(out, c.page);
  }
  // Exactly large enough, and one byte short.
  char exact[sizeof "C:\\d\\gyxsrv.html"];
  EXPECT_EQ(UiHelpPath("C:\\d\\x.exe", exact, sizeof exact), 0);
  EXPECT_STREQ(exact, "C:\\d\\gyxsrv.html");
  char shorter[sizeof exact - 1];
  EXPECT_EQ(UiHelpPath("C:\\d\\x.exe", shorter, sizeof shorter), -1);
  EXPECT_STREQ(shorter, "");
}

class UiDlgTest : public ::testing::Test {
 protected:
  udfake::World world;
  FakeView view;
  UiDlg dlg;
  DvrHandle app;  // the focus application's handle

  void SetUp() override {
    udfake::Reset(&world);
    gDeviceLog.clear();
    auto &p = world.profile;
    p.Set("gyrantx.ini", "COM1:", "devicetype", "Quorvanel 2200");
    p.Set("gyrantx.ini", "COM1:", "appfile", "C:\\apps\\deck.ini");
    p.Set("gyrantx.ini", "COM2:", "devicetype", "Quorvanel 3200");
    p.Set("gyrantx.ini", "COM2:", "menuButton", "31");
    p.Set("C:\\apps\\deck.ini", "Gyrantrix", "appName", "Flight Deck");
    p.Set("C:\\apps\\deck.ini", "Gyrantrix", "button1", "Fire");
    p.Set("C:\\apps\\deck.ini", "Gyrantrix", "button9", "Eject");
    p.Set("C:\\apps\\deck.ini", "Gyrantrix", "rightbutton", "Brake");
    ASSERT_EQ(UdLoadModels(), 0);
    ASSERT_EQ(UdLoadDevices(), 0);
    ASSERT_EQ(UdDeviceCount(), 2);
    for (int i = 0; i < 2; i++) {
      UdDevice *dev = UdDeviceAt(i);
      dev->ops = &kRecordingOps;
      // Creation must set every device's settings, whatever they were.
      dev->translation = dev->rotation = 0;
      dev->singleAxis = 1;
      dev->sensitivity = 5.0f;
    }
    std::memset(&app, 0, sizeof app);
    app.eventMask = 31;
    app.uiMode = -1;
    UiDlgInit(&dlg, &kFakeView, &view);
  }
  UdDevice *Dev(int i) { return UdDeviceAt(i); }
  void Check(int32_t id, int32_t on) {  // the user clicks an auto check box
    view.checked[id] = on;
    UiDlgCommand(&dlg, id);
  }
};

TEST_F(UiDlgTest, CreationPutsTheWindowAwayShowingDeviceZero) {
  EXPECT_FALSE(view.up);
  EXPECT_EQ(view.aways, 1);
  EXPECT_EQ(view.ups, 0);
  EXPECT_EQ(dlg.panelShown, 0);
  EXPECT_EQ(dlg.panelHidden, 1);
  EXPECT_EQ(dlg.device, 0);
  EXPECT_EQ(dlg.uiMode, 0xFFFFFFFFu);
  EXPECT_EQ(view.checked[IDC_STAY_ON_TOP], 0);
  EXPECT_EQ(view.scrollMin, 0);
  EXPECT_EQ(view.scrollMax, 8);

  EXPECT_EQ(view.text[IDC_DEVICE], "COM1: Quorvanel 2200");
  EXPECT_EQ(view.text[IDC_APPLICATION], "Flight Deck");
  const char *labels[] = {"Fire",     "Button 2", "Button 3", "Button 4", "Button 5", "Button 6",
                          "Button 7", "Button 8", "Eject",    "Left",     "Brake"};
  for (int i = 0; i < UI_NUM_BUTTON_CONTROLS; i++) EXPECT_EQ(view.text[kUiButtonControls[i]], labels[i]) << i;

  for (int i = 0; i < 2; i++) {
    EXPECT_EQ(Dev(i)->translation, 1);
    EXPECT_EQ(Dev(i)->rotation, 1);
    EXPECT_EQ(Dev(i)->singleAxis, 0);
    EXPECT_EQ(Dev(i)->sensitivity, 1.0f);
  }
  EXPECT_EQ(view.checked[IDC_TRANSLATION], 1);
  EXPECT_EQ(view.checked[IDC_ROTATION], 1);
  EXPECT_EQ(view.checked[IDC_SINGLE_AXIS], 0);
  EXPECT_EQ(view.scrollPos, 4);
  for (int32_t id : {IDC_TRANSLATION, IDC_BUTTON1, IDC_RIGHT, IDC_DEFAULTS, IDC_REZERO, IDC_SENSITIVITY})
    EXPECT_EQ(view.enabled[id], 1) << id;
}

TEST_F(UiDlgTest, LabelCacheSetsOnlyLabelsThatChange) {
  view.textSets.clear();
  UiDlgShowDevice(&dlg, 1);  // no application file: the default labels
  EXPECT_EQ(view.text[IDC_DEVICE], "COM2: Quorvanel 3200");
  EXPECT_EQ(view.text[IDC_APPLICATION], "Gyrantrix");
  for (int i = 0; i < UI_NUM_BUTTON_CONTROLS; i++) {
    bool differs = i == 0 || i == 8 || i == 10;  // Fire, Eject, Brake
    EXPECT_EQ(view.textSets[kUiButtonControls[i]], differs ? 1 : 0) << i;
  }
  EXPECT_EQ(view.text[IDC_BUTTON1], "Button 1");
  EXPECT_EQ(view.text[IDC_RIGHT], "Right");

  // The shown device again, an index out of range and a negative one: nothing.
  view.textSets.clear();
  for (int32_t i : {1, 2, -1, 7}) UiDlgShowDevice(&dlg, i);
  EXPECT_TRUE(view.textSets.empty());
  EXPECT_EQ(dlg.device, 1);
}

TEST_F(UiDlgTest, UiModeBitsEnableTheirGroups) {
  struct {
    uint32_t mode;
    int32_t filters, buttons, resets, sensitivity;
  } cases[] = {
      {0x01, 1, 0, 0, 0}, {0x02, 0, 1, 0, 0}, {0x04, 0, 0, 1, 0},
      {0x08, 0, 0, 0, 1}, {0x20, 0, 0, 0, 0}, {0x2F, 1, 1, 1, 1},
  };
  UiDlgNoteHandle(&dlg, &app);
  for (auto &c : cases) {
    UiDlgApplyMode(&dlg, c.mode);
    for (int32_t id : {IDC_TRANSLATION, IDC_ROTATION, IDC_SINGLE_AXIS})
      EXPECT_EQ(view.enabled[id], c.filters) << c.mode << " " << id;
    for (int32_t id : kUiButtonControls) EXPECT_EQ(view.enabled[id], c.buttons) << c.mode << " " << id;
    for (int32_t id : {IDC_DEFAULTS, IDC_REZERO})
      EXPECT_EQ(view.enabled[id], c.resets) << c.mode << " " << id;
    EXPECT_EQ(view.enabled[IDC_SENSITIVITY], c.sensitivity) << c.mode;
    // The controls that stay usable whatever the mode.
    for (int32_t id : {IDC_HIDE, IDC_HELP_PAGE, IDC_STAY_ON_TOP}) EXPECT_EQ(view.enabled.count(id), 0u);
  }
  // The scroll bar is redrawn only while bit 3 is set.
  UiDlgApplyMode(&dlg, 0x08);
  UiDlgScroll(&dlg, UI_SB_LINERIGHT, 0);
  EXPECT_EQ(view.lastRedraw, 1);
  UiDlgApplyMode(&dlg, 0x01);
  UiDlgScroll(&dlg, UI_SB_LINERIGHT, 0);
  EXPECT_EQ(view.lastRedraw, 0);
  EXPECT_EQ(view.scrollPos, 6);
}

TEST_F(UiDlgTest, ModeZeroPutsAwayAndTheNextApplicationBringsItBackUnlessHidden) {
  UiDlgNoteHandle(&dlg, &app);
  UiDlgToggle(&dlg);  // the menu button
  ASSERT_TRUE(view.up);
  EXPECT_EQ(dlg.panelHidden, 0);

  UiDlgApplyMode(&dlg, 0);  // an application that does its own processing
  EXPECT_FALSE(view.up);
  EXPECT_EQ(dlg.panelShown, 0);
  EXPECT_EQ(dlg.panelHidden, 0);
  UiDlgApplyMode(&dlg, 0x2F);  // the next one wants the window
  EXPECT_TRUE(view.up);
  EXPECT_EQ(dlg.panelShown, 1);
  int ups = view.ups;
  UiDlgApplyMode(&dlg, 0x2F);  // the same mode changes nothing
  EXPECT_EQ(view.ups, ups);

  UiDlgCommand(&dlg, IDC_HIDE);  // the user hides it
  EXPECT_FALSE(view.up);
  EXPECT_EQ(dlg.panelHidden, 1);
  UiDlgApplyMode(&dlg, 0);
  UiDlgApplyMode(&dlg, 0xFFFFFFFF);
  EXPECT_FALSE(view.up);
  EXPECT_EQ(view.ups, ups);

  // Restored by the user from its icon: up again, and mode 0 puts it away.
  UiDlgRestored(&dlg);
  EXPECT_EQ(dlg.panelShown, 1);
  EXPECT_EQ(dlg.panelHidden, 0);
  view.up = true;
  UiDlgApplyMode(&dlg, 0);
  EXPECT_FALSE(view.up);
  // Minimised by the user: it stays away for the next application.
  UiDlgApplyMode(&dlg, 0x01);
  ASSERT_TRUE(view.up);
  UiDlgMinimizing(&dlg);
  EXPECT_EQ(view.bottoms, 1);
  EXPECT_EQ(dlg.panelHidden, 1);
  view.up = false;
  UiDlgApplyMode(&dlg, 0);
  UiDlgApplyMode(&dlg, 0x01);
  EXPECT_FALSE(view.up);
}

TEST_F(UiDlgTest, NonZeroModeWithoutAHandleKeepsTheWindowAway) {
  UiDlgApplyMode(&dlg, 0);
  dlg.panelHidden = 0;
  UiDlgNoteHandle(&dlg, nullptr);
  UiDlgApplyMode(&dlg, 0x01);
  EXPECT_FALSE(view.up);
  EXPECT_EQ(dlg.panelHidden, 1);
}

TEST_F(UiDlgTest, TranslationAndRotationInterlock) {
  Check(IDC_ROTATION, 0);  // off: no beep
  EXPECT_EQ(Dev(0)->rotation, 0);
  EXPECT_EQ(gDeviceLog, "");
  Check(IDC_TRANSLATION, 0);  // both off: rotation comes back on, checked, silently
  EXPECT_EQ(Dev(0)->translation, 0);
  EXPECT_EQ(Dev(0)->rotation, 1);
  EXPECT_EQ(view.checked[IDC_TRANSLATION], 0);
  EXPECT_EQ(view.checked[IDC_ROTATION], 1);
  EXPECT_EQ(gDeviceLog, "");
  Check(IDC_ROTATION, 0);  // and the other way round
  EXPECT_EQ(Dev(0)->rotation, 0);
  EXPECT_EQ(Dev(0)->translation, 1);
  EXPECT_EQ(view.checked[IDC_TRANSLATION], 1);
  EXPECT_EQ(gDeviceLog, "");
  Check(IDC_ROTATION, 1);  // turned on by the user: a beep
  EXPECT_EQ(gDeviceLog, "0:BcC");
  Check(IDC_SINGLE_AXIS, 1);
  EXPECT_EQ(Dev(0)->singleAxis, 1);
  Check(IDC_SINGLE_AXIS, 0);
  EXPECT_EQ(Dev(0)->singleAxis, 0);
  EXPECT_EQ(gDeviceLog, "0:BcC 0:BcC");
  EXPECT_EQ(Dev(1)->translation, 1);  // the other device is untouched
}

TEST_F(UiDlgTest, SensitivityScrollBar) {
  struct Step {
    int32_t code, pos;
    float scale;
  } steps[] = {
      {UI_SB_LINELEFT, 0, 0.5f},      {UI_SB_PAGELEFT, 0, 0.25f},     {UI_SB_LINELEFT, 0, 0.125f},
      {UI_SB_LINELEFT, 0, 0.0625f},   {UI_SB_LINELEFT, 0, 0.0625f},  // the left arrow at 0
      {UI_SB_THUMBPOSITION, 6, 4.0f}, {UI_SB_PAGERIGHT, 0, 8.0f},     {UI_SB_LINERIGHT, 0, 16.0f},
      {UI_SB_LINERIGHT, 0, 16.0f},    {UI_SB_THUMBPOSITION, 3, 0.5f}, {UI_SB_THUMBPOSITION, 3, 0.5f},
      {5 /* thumb track */, 8, 0.5f}, {8 /* end scroll */, 0, 0.5f},  {UI_SB_THUMBPOSITION, 99, 16.0f},
  };
  for (auto &s : steps) {
    UiDlgScroll(&dlg, s.code, s.pos);
    EXPECT_EQ(Dev(0)->sensitivity, s.scale) << s.code << "/" << s.pos;
    EXPECT_EQ(view.scrollPos, UiScalePosition(s.scale)) << s.code << "/" << s.pos;
  }
  Check(IDC_ROTATION, 0);
  Check(IDC_SINGLE_AXIS, 1);
  UiDlgCommand(&dlg, IDC_DEFAULTS);
  EXPECT_EQ(view.scrollPos, 4);
  EXPECT_EQ(Dev(0)->sensitivity, 1.0f);
  EXPECT_EQ(Dev(0)->rotation, 1);
  EXPECT_EQ(Dev(0)->singleAxis, 0);
  EXPECT_EQ(view.checked[IDC_ROTATION], 1);
  EXPECT_EQ(view.checked[IDC_SINGLE_AXIS], 0);
}

TEST_F(UiDlgTest, RezeroBeepsFirst) {
  UiDlgCommand(&dlg, IDC_REZERO);
  EXPECT_EQ(gDeviceLog, "0:BcC 0:Z");
  UiDlgShowDevice(&dlg, 1);
  UiDlgCommand(&dlg, IDC_REZERO);
  EXPECT_EQ(gDeviceLog, "0:BcC 0:Z 1:BcC 1:Z");
}

TEST_F(UiDlgTest, ButtonsGoToTheFocusHandleAsPressAndRelease) {
  const uint32_t kHeld = 1u << 30;
  view.focus = &app;
  Dev(0)->lastButtons = kHeld;  // the left button held on the device
  struct {
    int32_t id;
    uint32_t bit;
  } cases[] = {
      {IDC_BUTTON1, 1}, {IDC_BUTTON2, 2}, {IDC_BUTTON3, 3}, {IDC_BUTTON4, 4},  {IDC_BUTTON5, 5},
      {IDC_BUTTON6, 6}, {IDC_BUTTON7, 7}, {IDC_BUTTON8, 8}, {IDC_BUTTON9, 31},
  };
  for (auto &c : cases) {
    view.delivered.clear();
    EXPECT_EQ(UiDlgCommand(&dlg, c.id), 1);
    ASSERT_EQ(view.delivered.size(), 2u) << c.id;
    const GiEvent &press = view.delivered[0], &release = view.delivered[1];
    uint32_t m = 1u << c.bit;
    EXPECT_EQ(press.type, GI_BUTTON_EVENT);
    EXPECT_EQ(press.last, kHeld);
    EXPECT_EQ(press.current, kHeld | m);
    EXPECT_EQ(press.pressed, m);
    EXPECT_EQ(press.released, 0u);
    EXPECT_EQ(release.type, GI_BUTTON_EVENT);
    EXPECT_EQ(release.last, kHeld | m);
    EXPECT_EQ(release.current, kHeld);
    EXPECT_EQ(release.pressed, 0u);
    EXPECT_EQ(release.released, m);
    EXPECT_EQ(Dev(0)->lastButtons, kHeld);
  }
  // A handle that takes no button events, and no handle at all: nothing.
  view.delivered.clear();
  app.eventMask = 31 & ~1u;
  UiDlgCommand(&dlg, IDC_BUTTON1);
  view.focus = nullptr;
  app.eventMask = 31;
  UiDlgCommand(&dlg, IDC_BUTTON1);
  EXPECT_TRUE(view.delivered.empty());
  EXPECT_EQ(Dev(0)->lastButtons, kHeld);
}

TEST_F(UiDlgTest, LeftAndRightFollowTheMenuButton) {
  struct {
    int32_t menuButton, id;
    int toggles;
    int64_t sends;  // bit sent, -1 none
  } cases[] = {
      {30, IDC_LEFT, 1, -1},  {30, IDC_RIGHT, 0, 31}, {31, IDC_LEFT, 0, 30},
      {31, IDC_RIGHT, 1, -1}, {5, IDC_LEFT, 0, -1},   {5, IDC_RIGHT, 0, -1},
  };
  view.focus = &app;
  for (auto &c : cases) {
    Dev(0)->menuButton = c.menuButton;
    view.delivered.clear();
    int32_t shown = dlg.panelShown;
    EXPECT_EQ(UiDlgCommand(&dlg, c.id), 1);
    EXPECT_EQ(dlg.panelShown != shown, c.toggles == 1) << c.menuButton << "/" << c.id;
    EXPECT_EQ(view.up, dlg.panelShown == 1);
    if (c.sends < 0) {
      EXPECT_TRUE(view.delivered.empty()) << c.menuButton << "/" << c.id;
    } else {
      ASSERT_EQ(view.delivered.size(), 2u) << c.menuButton << "/" << c.id;
      EXPECT_EQ(view.delivered[0].pressed, 1u << c.sends);
      EXPECT_EQ(view.delivered[1].released, 1u << c.sends);
    }
  }
}

TEST_F(UiDlgTest, EachDeviceKeepsItsOwnSettings) {
  Check(IDC_TRANSLATION, 0);
  UiDlgScroll(&dlg, UI_SB_LINERIGHT, 0);  // 2.0
  UiDlgShowDevice(&dlg, 1);
  EXPECT_EQ(view.checked[IDC_TRANSLATION], 1);
  EXPECT_EQ(view.scrollPos, 4);
  Check(IDC_SINGLE_AXIS, 1);
  UiDlgScroll(&dlg, UI_SB_LINELEFT, 0);  // 0.5
  UiDlgShowDevice(&dlg, 0);
  EXPECT_EQ(view.checked[IDC_TRANSLATION], 0);
  EXPECT_EQ(view.checked[IDC_SINGLE_AXIS], 0);
  EXPECT_EQ(view.scrollPos, 5);
  UiDlgShowDevice(&dlg, 1);
  EXPECT_EQ(view.checked[IDC_TRANSLATION], 1);
  EXPECT_EQ(view.checked[IDC_SINGLE_AXIS], 1);
  EXPECT_EQ(view.scrollPos, 3);
  EXPECT_EQ(Dev(0)->translation, 0);
  EXPECT_EQ(Dev(0)->sensitivity, 2.0f);
  EXPECT_EQ(Dev(1)->singleAxis, 1);
  EXPECT_EQ(Dev(1)->sensitivity, 0.5f);
}

TEST_F(UiDlgTest, StayOnTopHelpAndUnknownCommands) {
  view.checked[IDC_STAY_ON_TOP] = 1;
  EXPECT_EQ(UiDlgCommand(&dlg, IDC_STAY_ON_TOP), 1);
  EXPECT_EQ(dlg.stayOnTop, 1);
  EXPECT_EQ(view.topmost, 1);
  UiDlgToggle(&dlg);
  EXPECT_EQ(view.topmost, 1);  // brought up above every window
  view.checked[IDC_STAY_ON_TOP] = 0;
  UiDlgCommand(&dlg, IDC_STAY_ON_TOP);
  EXPECT_EQ(view.topmost, 0);
  EXPECT_EQ(UiDlgCommand(&dlg, IDC_HELP_PAGE), 1);
  EXPECT_EQ(view.helps, 1);
  for (int32_t id : {1, 2, IDC_DEVICE, IDC_APPLICATION, 1020, 9999})
    EXPECT_EQ(UiDlgCommand(&dlg, id), 0) << id;
}

}  // namespace

namespace {

// While the window is away, the devices that wake the driver in turn leave
// its controls alone until it catches up; then it shows the last of them,
// having stored the controls into the device they showed.
TEST_F(UiDlgTest, AwayTheWindowCatchesUpWithTheLastDeviceOnly) {
  Check(IDC_SINGLE_AXIS, 1);  // device 0's setting, on the window and in its record
  view.textSets.clear();
  for (int round = 0; round < 50; round++) {
    UiDlgFollowDevice(&dlg, round % 2);
    UiDlgFollowDevice(&dlg, 1 - round % 2);
  }
  UiDlgFollowDevice(&dlg, 1);
  EXPECT_TRUE(view.textSets.empty()) << "a control changed while nobody could see it";
  EXPECT_EQ(view.text[IDC_DEVICE], "COM1: Quorvanel 2200");
  EXPECT_EQ(dlg.device, 0);

  // The user's own device again: nothing waits any more.
  UiDlgFollowDevice(&dlg, 0);
  UiDlgCatchUp(&dlg);
  EXPECT_TRUE(view.textSets.empty());

  UiDlgFollowDevice(&dlg, 1);
  UiDlgCatchUp(&dlg);
  EXPECT_EQ(dlg.device, 1);
  EXPECT_EQ(view.text[IDC_DEVICE], "COM2: Quorvanel 3200");
  EXPECT_EQ(view.textSets[IDC_DEVICE], 1);
  EXPECT_EQ(view.checked[IDC_SINGLE_AXIS], 0);
  EXPECT_EQ(Dev(0)->singleAxis, 1);
  UiDlgCatchUp(&dlg);  // nothing left to catch up with
  EXPECT_EQ(view.textSets[IDC_DEVICE], 1);

  // Out of range: ignored, and what waited still waits.
  UiDlgFollowDevice(&dlg, 0);
  for (int32_t i : {-1, 2, 9}) UiDlgFollowDevice(&dlg, i);
  UiDlgCatchUp(&dlg);
  EXPECT_EQ(dlg.device, 0);
}

// Up, the window shows every device the moment it wakes the driver.
TEST_F(UiDlgTest, UpTheWindowFollowsAtOnce) {
  UiDlgNoteHandle(&dlg, &app);
  UiDlgToggle(&dlg);
  ASSERT_EQ(dlg.panelShown, 1);
  UiDlgFollowDevice(&dlg, 1);
  EXPECT_EQ(view.text[IDC_DEVICE], "COM2: Quorvanel 3200");
  UiDlgFollowDevice(&dlg, 0);
  EXPECT_EQ(view.text[IDC_DEVICE], "COM1: Quorvanel 2200");
}

// Bringing the window up catches up first, so it comes up showing the
// current device; a command or the scroll bar acts on the device the window
// shows, whose settings the user clicked, and leaves the other one alone.
TEST_F(UiDlgTest, BringingUpCatchesUpAndCommandsActOnTheDeviceShown) {
  struct {
    const char *what;
    std::function<void()> act;
  } ups[] = {
      {"toggle", [this] { UiDlgToggle(&dlg); }},
      {"restore", [this] { UiDlgRestored(&dlg); }},
      {"mode",
       [this] {
         dlg.panelHidden = 0;
         dlg.uiMode = 0;
         UiDlgNoteHandle(&dlg, &app);
         UiDlgApplyMode(&dlg, 0x2F);
       }},
  };
  for (auto &c : ups) {
    SCOPED_TRACE(c.what);
    UiDlgShowDevice(&dlg, 0);
    dlg.panelShown = 0;
    UiDlgFollowDevice(&dlg, 1);
    ASSERT_EQ(view.text[IDC_DEVICE], "COM1: Quorvanel 2200");
    c.act();
    EXPECT_EQ(dlg.device, 1);
    EXPECT_EQ(view.text[IDC_DEVICE], "COM2: Quorvanel 3200");
  }

  UiDlgShowDevice(&dlg, 0);
  dlg.panelShown = 0;
  UiDlgFollowDevice(&dlg, 1);
  Check(IDC_TRANSLATION, 0);
  UiDlgScroll(&dlg, UI_SB_LINERIGHT, 0);
  EXPECT_EQ(Dev(0)->translation, 0);
  EXPECT_EQ(Dev(0)->sensitivity, 2.0f);
  UiDlgCatchUp(&dlg);
  EXPECT_EQ(Dev(0)->translation, 0) << "kept when the window moved on";
  EXPECT_EQ(Dev(1)->translation, 1);
  EXPECT_EQ(Dev(1)->sensitivity, 1.0f);
  EXPECT_EQ(view.checked[IDC_TRANSLATION], 1);
  EXPECT_EQ(view.scrollPos, 4);
}

}  // namespace
