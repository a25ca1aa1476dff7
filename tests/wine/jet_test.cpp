// jet_test.cpp: the jet demo (jet.exe) under Wine with simulated controllers:
// motion moves the view by the expected amount and changes the picture on
// the screen; the settings dialog and the controller's buttons change the
// settings with their beeps; button 31 resets on release; the mouse chooses
// the mode; Escape, Quit and the close boxes end it; with two devices the
// device list appears; without a driver the user is told.
#include <gtest/gtest.h>

#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

#include "drvfixture.h"
#include "jet/jet.h"
#include "jet/jet_res.h"
#include "jet/jetquery.h"
#include "jet/process.h"
#include "jet_test_ui.h"

namespace {

const uint32_t kMagenta = 0xFF00FF, kGreen = 0x00FF00, kRed = 0xFF0000, kBlue = 0x0000FF;

class JetDemo : public DriverTest {
 protected:
  void TearDown() override {
    if (demo.Started() && demo.Running()) demo.Kill();
    DriverTest::TearDown();
  }

  // Starts jet.exe and waits for its two windows.
  void StartDemo() {
    main = nullptr;
    settings = nullptr;
    ASSERT_TRUE(demo.Start(GyxBinPath("jet.exe")));
    main = JetUiWaitWindow("Jet Demo", "Jet Demo", demo.Pid(), 20000);
    ASSERT_NE(main, nullptr) << "no main window";
    settings = GyxWaitMessageBox("Jet Gyrantrix Settings", 20000, demo.Pid());
    ASSERT_NE(settings, nullptr) << "no settings dialog";
  }

  // The device is open: its open beep reached the controller on port com.
  void WaitOpen(int com = 1) {
    Sim(com, "waitcmd BcCc\\r timeout=20000");
    ASSERT_TRUE(WaitQuery(JETQ_DEVICE_OPEN, 1));
    ASSERT_TRUE(WaitQuery(JETQ_FRAMES, 1, true));
    Sim(com, "clear");
  }

  void StartAll() {
    StartDriver();
    StartDemo();
    WaitOpen();
  }

  void Sim(int com, const char *line) {
    std::string r = GyxSimAsk(&sims[com], line);
    ASSERT_EQ(r.rfind("ok", 0), 0u) << line << ": " << r << "\n" << GyxSimLog(&sims[com]);
  }

  // The demo reports `want` for item (at least `want` when atLeast).
  bool WaitQuery(int item, int64_t want, bool atLeast = false, unsigned long ms = 10000) {
    return GyxWaitFor(
        [&] {
          const int64_t v = JetUiQuery(main, item);
          return atLeast ? v >= want : v == want;
        },
        ms, 20);
  }

  // The commands the controller received since the last clear.
  std::vector<std::string> Log(int com = 1) {
    std::istringstream in(GyxSimAsk(&sims[com], "log"));
    std::vector<std::string> words;
    std::string w;
    in >> w >> w;  // "ok" and the count
    while (in >> w) words.push_back(w);
    return words;
  }

  // Waits until the controller has received `count` commands, then a little
  // longer, so that one too many would show; returns them.
  std::vector<std::string> LogOf(size_t count, int com = 1) {
    std::vector<std::string> log;
    GyxWaitFor(
        [&] {
          log = Log(com);
          return log.size() >= count;
        },
        10000, 50);
    Sleep(300);
    return Log(com);
  }

  // The jet's pixels have settled after a change: two captures agree.
  JetUiPixels Settled() {
    JetUiPixels a = JetUiCapture(main), b;
    for (int i = 0; i < 50; ++i) {
      Sleep(40);
      b = JetUiCapture(main);
      if (JetUiDiffer(a, b) == 0) break;
      a = b;
    }
    return b;
  }

  bool ViewIsStart() {
    const std::vector<float> v = JetUiMatrix(main, JETQ_VIEW);
    for (int i = 0; i < 16; ++i)
      if (v[i] != (i % 5 == 0 ? 1.0f : 0.0f)) return false;
    return true;
  }

  GyxProcess demo;
  HWND main = nullptr, settings = nullptr;
};

TEST_F(JetDemo, MotionMovesTheViewByTheExpectedAmountAndThePictureFollows) {
  StartAll();
  const int size = static_cast<int>(JetUiQuery(main, JETQ_SIZE));
  EXPECT_EQ(size, 800) << "0.8 x the 1000-pixel height of the virtual desktop";
  const JetUiPixels before = Settled();
  ASSERT_FALSE(before.rgb.empty()) << "the screen could not be read";
  EXPECT_GT(JetUiCount(before, kMagenta), 1000) << "the jet is on the screen";
  EXPECT_GT(JetUiCount(before, kGreen), 20) << "and the pointer";
  const int64_t frames = JetUiQuery(main, JETQ_FRAMES);

  // One packet of 50 ms: its values reach the demo as they were sent.
  Sim(1, "move 4000 0 0 0 3000 0 every=50");
  ASSERT_TRUE(GyxWaitFor([&] { return !ViewIsStart(); }, 10000, 20)) << GyxSimLog(&sims[1]);

  Jet expected;
  ASSERT_EQ(JetInit(&expected, size, nullptr), JET_OK);
  GiEvent e = {};
  e.type = GI_MOTION_EVENT;
  e.tx = 4000, e.ry = 3000, e.period = 50;
  JetApplyMotion(&expected, &e);
  const std::vector<float> got = JetUiMatrix(main, JETQ_VIEW);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(got[i], expected.view.view[i], 1e-4) << "view[" << i << "]";
  EXPECT_NEAR(got[12], 70.0f, 1.0f) << "4000 counts for 50 ms: 70 units along x";
  JetFree(&expected);

  // The next frame shows it.
  ASSERT_TRUE(WaitQuery(JETQ_FRAMES, frames + 1, true));
  const JetUiPixels after = Settled();
  EXPECT_GT(JetUiDiffer(before, after), 500);
  EXPECT_GT(JetUiCount(after, kMagenta), 1000);
}

TEST_F(JetDemo, SettingsDialogCommandsChangeTheSettingsAndBeep) {
  StartAll();
  struct Step {
    int id;
    int item;
    int64_t value;
    int box;  // the check box that shows it
    bool checked;
    bool beeps;
  } steps[] = {
      {IDC_JET_TRANSLATION, JETQ_TRANSLATION_ON, 0, IDC_JET_TRANSLATION, false, false},
      {IDC_JET_ROTATION, JETQ_TRANSLATION_ON, 1, IDC_JET_TRANSLATION, true, false},  // never both off
      {IDC_JET_ROTATION, JETQ_ROTATION_ON, 1, IDC_JET_ROTATION, true, true},
      {IDC_JET_SINGLE_AXIS, JETQ_SINGLE_AXIS, 1, IDC_JET_SINGLE_AXIS, true, true},
      {IDC_JET_KEEP_IN_VIEW, JETQ_KEEP_IN_VIEW, 0, IDC_JET_KEEP_IN_VIEW, false, false},
      {IDC_JET_SNAP_TO_GRID, JETQ_SNAP_TO_GRID, 0, IDC_JET_SNAP_TO_GRID, false, false},
      {IDC_JET_EXCLUSIVE_GRAB, JETQ_GRAB_MODE, JET_EXCLUSIVE_GRAB, IDC_JET_EXCLUSIVE_GRAB, true, true},
      {IDC_JET_DEFAULT_GRAB, JETQ_GRAB_MODE, JET_DEFAULT_GRAB, IDC_JET_DEFAULT_GRAB, true, true},
      {IDC_JET_NO_GRAB, JETQ_GRAB_MODE, JET_NO_GRAB, IDC_JET_NO_GRAB, true, true},
      {IDC_JET_DEFAULTS, JETQ_SNAP_TO_GRID, 1, IDC_JET_SNAP_TO_GRID, true, true},
  };
  size_t beeps = 0;
  for (const Step &s : steps) {
    SCOPED_TRACE(testing::Message() << "control " << s.id);
    JetUiClick(settings, s.id);
    EXPECT_EQ(JetUiQuery(main, s.item), s.value);
    EXPECT_EQ(JetUiChecked(settings, s.box), s.checked);
    beeps += s.beeps;
  }
  for (int other : {IDC_JET_EXCLUSIVE_GRAB, IDC_JET_DEFAULT_GRAB})
    EXPECT_FALSE(JetUiChecked(settings, other));
  EXPECT_TRUE(JetUiChecked(settings, IDC_JET_KEEP_IN_VIEW)) << "Restore Defaults";
  EXPECT_FALSE(JetUiChecked(settings, IDC_JET_SINGLE_AXIS));

  // Sensitivity: a step right, the thumb to 7, the left limit.
  JetUiScroll(settings, IDC_JET_SENSITIVITY, SB_LINERIGHT);
  EXPECT_EQ(JetUiQueryFloat(main, JETQ_SENSITIVITY), 2.0f);
  EXPECT_EQ(JetUiScrollPos(settings, IDC_JET_SENSITIVITY), 5);
  JetUiScroll(settings, IDC_JET_SENSITIVITY, SB_THUMBPOSITION, 7);
  EXPECT_EQ(JetUiQueryFloat(main, JETQ_SENSITIVITY), 8.0f);
  EXPECT_EQ(JetUiScrollPos(settings, IDC_JET_SENSITIVITY), 7);
  JetUiScroll(settings, IDC_JET_SENSITIVITY, SB_THUMBPOSITION, 0);
  EXPECT_EQ(JetUiQueryFloat(main, JETQ_SENSITIVITY), 0.0625f);
  JetUiScroll(settings, IDC_JET_SENSITIVITY, SB_LINELEFT);  // at the limit: no change, no beep
  EXPECT_EQ(JetUiQueryFloat(main, JETQ_SENSITIVITY), 0.0625f);
  EXPECT_EQ(JetUiScrollPos(settings, IDC_JET_SENSITIVITY), 0);
  beeps += 3;

  JetUiClick(settings, IDC_JET_REZERO);
  beeps += 1;
  const std::vector<std::string> log = LogOf(beeps + 1);
  std::vector<std::string> want(beeps, "BCcC\\r");
  want.push_back("Z\\r");  // the rezero follows its beep
  // The grab requests may reach the device too; the beeps are what the user hears.
  std::vector<std::string> heard;
  for (const std::string &c : log)
    if (c[0] == 'B' || c == "Z\\r") heard.push_back(c);
  EXPECT_EQ(heard, want);
}

TEST_F(JetDemo, ControllerButtonsActByTheTableAndButton31ResetsOnRelease) {
  StartAll();
  struct Step {
    const char *press;
    int item;
    int64_t value;
    int checkedId;
    const char *heard;  // what the controller hears, or null
  } steps[] = {
      {"1", JETQ_TRANSLATION_ON, 0, IDC_JET_TRANSLATION, nullptr},
      {"1", JETQ_TRANSLATION_ON, 1, IDC_JET_TRANSLATION, "BcC\\r"},
      {"3", JETQ_SINGLE_AXIS, 1, IDC_JET_SINGLE_AXIS, "BcC\\r"},
      {"4", JETQ_KEEP_IN_VIEW, 0, IDC_JET_KEEP_IN_VIEW, nullptr},
      {"7", JETQ_SNAP_TO_GRID, 0, IDC_JET_SNAP_TO_GRID, nullptr},
      {"2", JETQ_ROTATION_ON, 0, IDC_JET_ROTATION, nullptr},
  };
  for (const Step &s : steps) {
    SCOPED_TRACE(testing::Message() << "button " << s.press);
    Sim(1, "clear");
    Sim(1, (std::string("press ") + s.press).c_str());
    Sim(1, (std::string("release ") + s.press).c_str());
    ASSERT_TRUE(WaitQuery(s.item, s.value));
    EXPECT_TRUE(GyxWaitFor([&] { return JetUiChecked(settings, s.checkedId) == (s.value != 0); }, 2000));
    const std::vector<std::string> log = LogOf(s.heard ? 1 : 0);
    EXPECT_EQ(log, s.heard ? std::vector<std::string>{s.heard} : std::vector<std::string>{});
  }

  // Sensitivity by buttons 5 and 6, shown on the scroll bar.
  Sim(1, "clear");
  Sim(1, "press 5");
  Sim(1, "release 5");
  ASSERT_TRUE(GyxWaitFor([&] { return JetUiQueryFloat(main, JETQ_SENSITIVITY) == 0.5f; }, 10000));
  EXPECT_TRUE(GyxWaitFor([&] { return JetUiScrollPos(settings, IDC_JET_SENSITIVITY) == 3; }, 2000));
  EXPECT_EQ(LogOf(1), std::vector<std::string>{"BcC\\r"});

  // Button 31 (the 2200's ninth): nothing on the press, the reset on the release.
  Sim(1, "move 3000 1000 0 0 0 2000 every=50");
  ASSERT_TRUE(GyxWaitFor([&] { return !ViewIsStart(); }, 10000));
  Sim(1, "zero");
  Sim(1, "clear");
  Sim(1, "press 9");
  Sleep(500);
  EXPECT_FALSE(ViewIsStart()) << "the press alone resets nothing";
  EXPECT_EQ(Log(), std::vector<std::string>{});
  Sim(1, "release 9");
  EXPECT_TRUE(GyxWaitFor([&] { return ViewIsStart(); }, 10000));
  EXPECT_EQ(LogOf(1), std::vector<std::string>{"BcC\\r"});
}

TEST_F(JetDemo, MouseButtonsChooseTheModeAndThePictureShowsIt) {
  StartAll();
  struct Case {
    UINT down, up;
    WPARAM keys;
    int mode;
    int blue;  // blue pixels: the z arrow of axes mode
    bool crossHair;
  } cases[] = {
      {WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, JETQ_AXES_MODE, 1, false},
      {WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON, JETQ_POINTER_MODE, 0, true},
      {WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, JETQ_OBJECT_MODE, 0, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "mode item " << c.mode);
    const int64_t frames = JetUiQuery(main, JETQ_FRAMES);
    PostMessageA(main, c.down, c.keys, MAKELPARAM(400, 300));
    PostMessageA(main, c.up, 0, MAKELPARAM(400, 300));
    ASSERT_TRUE(WaitQuery(c.mode, 1));
    for (int m : {JETQ_OBJECT_MODE, JETQ_AXES_MODE, JETQ_POINTER_MODE})
      EXPECT_EQ(JetUiQuery(main, m), m == c.mode);
    ASSERT_TRUE(WaitQuery(JETQ_FRAMES, frames + 1, true));
    const JetUiPixels p = Settled();
    if (c.blue)
      EXPECT_GT(JetUiCount(p, kBlue), 20);
    else
      EXPECT_EQ(JetUiCount(p, kBlue), 0);
    EXPECT_EQ(JetUiCount(p, kRed) > 20, c.blue != 0) << "the red x arrow";
    // The cross-hair's vertical line: x = 400 from y = 342 to 457.
    EXPECT_EQ(p.At(400, 350) == kGreen && p.At(400, 450) == kGreen, c.crossHair);
  }
}

TEST_F(JetDemo, ShiftIsHeldAndDSwitchesDoubleBuffering) {
  StartAll();
  PostMessageA(main, WM_KEYDOWN, VK_SHIFT, 0);
  ASSERT_TRUE(WaitQuery(JETQ_SHIFT_DOWN, 1));
  PostMessageA(main, WM_KEYUP, VK_SHIFT, 0);
  ASSERT_TRUE(WaitQuery(JETQ_SHIFT_DOWN, 0));

  PostMessageA(main, WM_KEYDOWN, 'D', 0);
  ASSERT_TRUE(WaitQuery(JETQ_DOUBLE_BUFFER, 0));
  // Straight into the window, the picture is the same.
  const JetUiPixels buffered = Settled();
  // Restore Defaults changes nothing that shows, and asks for a redraw. Posted,
  // the click goes through the demo's message loop as a user's does.
  const int64_t frames = JetUiQuery(main, JETQ_FRAMES);
  PostMessageA(GetDlgItem(settings, IDC_JET_DEFAULTS), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitQuery(JETQ_FRAMES, frames + 1, true));
  const JetUiPixels direct = Settled();
  EXPECT_EQ(JetUiDiffer(buffered, direct), 0);
  EXPECT_GT(JetUiCount(direct, kMagenta), 1000);
  PostMessageA(main, WM_KEYDOWN, 'D', 0);
  ASSERT_TRUE(WaitQuery(JETQ_DOUBLE_BUFFER, 1));
}

TEST_F(JetDemo, AnEnlargedWindowKeepsThePictureAtItsSizeOnBlack) {
  StartAll();
  const JetUiPixels before = Settled();
  ASSERT_FALSE(before.rgb.empty());
  const int64_t frames = JetUiQuery(main, JETQ_FRAMES);
  ASSERT_TRUE(SetWindowPos(main, nullptr, 0, 0, 1000, 990, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
  ASSERT_TRUE(WaitQuery(JETQ_FRAMES, frames + 1, true));
  const JetUiPixels after = Settled();
  ASSERT_GT(after.width, 800);
  ASSERT_GT(after.height, 800);
  int changed = 0, lit = 0;
  for (int y = 0; y < after.height; ++y)
    for (int x = 0; x < after.width; ++x) {
      if (x < before.width && y < before.height)
        changed += after.At(x, y) != before.At(x, y);
      else if (x >= 800 || y >= 800)
        lit += after.At(x, y) != 0;
    }
  EXPECT_EQ(changed, 0) << "the picture stays at its start-up size in the top left corner";
  EXPECT_EQ(lit, 0) << "on black";
}

TEST_F(JetDemo, EscapeQuitAndTheCloseBoxesEndTheDemo) {
  StartDriver();
  struct Case {
    const char *what;
    int how;
  } cases[] = {{"Escape in the main window", 0},
               {"Escape in the settings dialog", 1},
               {"Quit", 2},
               {"the dialog's close box", 3},
               {"the window's close box", 4}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    StartDemo();
    WaitOpen();
    switch (c.how) {
      case 0:
        PostMessageA(main, WM_KEYDOWN, VK_ESCAPE, 0);
        break;
      case 1:
        PostMessageA(GetDlgItem(settings, IDC_JET_TRANSLATION), WM_KEYDOWN, VK_ESCAPE, 0);
        break;
      case 2:
        PostMessageA(GetDlgItem(settings, IDC_JET_QUIT), BM_CLICK, 0, 0);
        break;
      case 3:
        PostMessageA(settings, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
      default:
        PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
    unsigned long code = ~0ul;
    ASSERT_TRUE(demo.Wait(15000, &code));
    EXPECT_EQ(code, 0u);
    Sim(1, "waitcmd Bf\\r timeout=10000");  // the device was closed
  }
}

TEST_F(JetDemo, TwoDevicesBringTheDeviceList) {
  StartDriver({{1, "Quorvanel 2200"}, {2, "Quorvanel 2200"}});
  struct Case {
    const char *what;
    bool chooseSecond;
    int openedCom;
  } cases[] = {{"OK on the second line", true, 2}, {"closed without OK", false, 1}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    Sim(1, "clear");
    Sim(2, "clear");
    ASSERT_TRUE(demo.Start(GyxBinPath("jet.exe")));
    HWND list = GyxWaitMessageBox("Gyrantrix Device List", 20000, demo.Pid());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(JetUiComboLines(list, IDC_JET_DEVICES),
              (std::vector<std::string>{"Quorvanel 2200 on port COM1:", "Quorvanel 2200 on port COM2:"}));
    EXPECT_EQ(JetUiComboSelection(list, IDC_JET_DEVICES), 0);
    EXPECT_EQ(GyxDialogItemText(list, IDC_JET_SELECT_TEXT), "Select device");
    if (c.chooseSecond) {
      SendDlgItemMessageA(list, IDC_JET_DEVICES, CB_SETCURSEL, 1, 0);
      ASSERT_TRUE(GyxPressButton(list, IDOK));
    } else {
      PostMessageA(list, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    main = JetUiWaitWindow("Jet Demo", "Jet Demo", demo.Pid(), 20000);
    ASSERT_NE(main, nullptr);
    Sim(c.openedCom, "waitcmd BcCc\\r timeout=20000");
    ASSERT_TRUE(WaitQuery(JETQ_DEVICE_OPEN, 1));
    for (const std::string &cmd : Log(3 - c.openedCom))
      EXPECT_NE(cmd, "BcCc\\r") << "the other device stays closed";
    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(demo.Wait(15000));
  }
}

TEST_F(JetDemo, WithoutADriverTheUserIsToldAndTheDemoEnds) {
  // The home directory holds no gyxsrv.exe, so the library cannot start one.
  ASSERT_TRUE(GyxWriteIni(IniText({{1, "Quorvanel 2200"}})));
  ASSERT_TRUE(demo.Start(GyxBinPath("jet.exe")));
  HWND box = GyxWaitMessageBox("Error", 20000, demo.Pid());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(GyxMessageBoxText(box), "No Gyrantrix driver.");
  ASSERT_TRUE(GyxPressButton(box, IDOK));
  unsigned long code = ~0ul;
  ASSERT_TRUE(demo.Wait(15000, &code));
  EXPECT_EQ(code, 1u);
}

}  // namespace
