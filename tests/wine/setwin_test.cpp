// The driver's settings window, driven from this process as a user would drive
// it, with simulated controllers behind the driver and client applications in
// their own processes: where it starts, what it shows for the application in
// front, its switches and sensitivity as the application receives them,
// rezero on the wire, buttons sent from the window, UI modes, two devices,
// closing it; its Axes dialog; and the device's buttons typed as keys into a
// plain window in front.
#include <string>
#include <vector>

#include "drvfixture.h"
#include "setwinui.h"

namespace {

using setwin::Checked;
using setwin::Click;
using setwin::Client;
using setwin::Enabled;
using setwin::IsUp;
using setwin::ScrollPos;
using setwin::Text;
using setwin::WaitUp;

class SettingsWindow : public DriverTest {
 protected:
  HWND dlg = nullptr;

  struct Port {
    int com;
    std::string model;
    std::string extra;  // more lines of the port's section
  };

  // Simulators, "gyrantx.ini", the driver, and its settings window.
  void Start(const std::vector<Port> &ports) {
    std::string ini = "[gyrantrix]\r\nhomedirectory=" + homeWin + "\r\nhomedir=" + homeWin + "\r\n";
    for (const Port &p : ports) {
      const char *model = p.model.find("3200") != std::string::npos ? "3200" : "2200";
      ASSERT_EQ(GyxSimStart(&sims[p.com], p.com, model, nullptr), GYXSIM_OK) << "COM" << p.com;
      ini += "[COM" + std::to_string(p.com) + ":]\r\ndevicetype=" + p.model + "\r\n" + p.extra;
    }
    ASSERT_TRUE(GyxWriteIni(ini));
    ASSERT_TRUE(driver.Start(GyxBinPath("gyxsrv.exe")));
    for (const Port &p : ports) {
      std::string r = GyxSimAsk(&sims[p.com], "waitinit timeout=20000");
      ASSERT_EQ(r.rfind("ok", 0), 0u) << r << "\n" << GyxSimLog(&sims[p.com]);
      GyxSimAsk(&sims[p.com], "clear");
    }
    ASSERT_TRUE(WaitServing());
    dlg = setwin::WaitSettings(driver.Pid());
    ASSERT_NE(dlg, nullptr);
  }
  void StartOne(const std::string &extra = "") { Start({{1, "Quorvanel 2200", extra}}); }

  std::string Sim(const std::string &cmd, int com = 1) { return GyxSimAsk(&sims[com], cmd.c_str()); }
  bool SimOk(const std::string &cmd, int com = 1) { return Sim(cmd, com).rfind("ok", 0) == 0; }

  // Starts a client and waits until the driver has seen it in front and
  // routes the device's events to it: only then does the settings window,
  // once it is in front itself, keep the device for it.
  ::testing::AssertionResult StartInFront(Client &c, const std::string &name) {
    if (!c.Start(name)) return ::testing::AssertionFailure() << "client " << name << " did not start";
    return Receives(c, "0 0 0 0 0 1", "0,0,0,0,0,1");
  }

  // A motion from the device, and the values the client received for it.
  ::testing::AssertionResult Receives(Client &c, const std::string &move, const std::string &values,
                                      int com = 1) {
    if (!SimOk("move " + move, com)) return ::testing::AssertionFailure() << "simulator refused " << move;
    if (!c.WaitFor("motion=" + values + " "))
      return ::testing::AssertionFailure() << "no motion=" << values << " in\n" << c.Text();
    return ::testing::AssertionSuccess();
  }
};

TEST_F(SettingsWindow, StartsAwayAndShowsTheApplicationOfItsPort) {
  std::string appFile = home + "/deck.ini";
  ASSERT_TRUE(
      GyxWriteAppFile(appFile, GyxAppFileText("Flight Deck", {"Fire", "Zoom", "Pan", "Tilt", "Mark", "Undo",
                                                              "Redo", "Save", "Eject", "Brake", "Boost"})));
  StartOne("appfile=" + GyxWinPath(appFile) + "\r\nmenuButton=31\r\n");
  EXPECT_TRUE(IsIconic(dlg));
  EXPECT_FALSE(IsUp(dlg));
  EXPECT_TRUE(GyxFileExists(GyxBinPath("gyxsrv.html")));  // what Help opens

  Client app;
  ASSERT_TRUE(app.Start("deck"));
  EXPECT_EQ(Text(dlg, 1017), "COM1: Quorvanel 2200");
  EXPECT_EQ(Text(dlg, 1016), "Flight Deck");
  const int ids[] = {1012, 1013, 1014, 1015, 1019, 1021, 1022, 1023, 1024, 1025, 1026};
  const char *labels[] = {"Fire", "Zoom", "Pan",   "Tilt",  "Mark", "Undo",
                          "Redo", "Save", "Eject", "Brake", "Boost"};
  for (int i = 0; i < 11; i++) EXPECT_EQ(Text(dlg, ids[i]), labels[i]) << ids[i];
  Sleep(400);  // a focus poll with the application in front leaves it away
  EXPECT_TRUE(IsIconic(dlg));

  // The menu button (here the ninth, bit 31) brings it up and puts it away;
  // the application never sees it.
  ASSERT_TRUE(SimOk("press 9"));
  EXPECT_TRUE(WaitUp(dlg, true)) << "not brought up";
  ASSERT_TRUE(SimOk("release all"));
  ASSERT_TRUE(SimOk("press 9"));
  EXPECT_TRUE(WaitUp(dlg, false)) << "not put away";
  ASSERT_TRUE(SimOk("release all"));
  ASSERT_TRUE(SimOk("press 1"));  // a button that is not the menu button
  EXPECT_TRUE(app.WaitFor("pressed=2 "));
  EXPECT_EQ(app.Count("type=1 "), 1) << app.Text();
}

TEST_F(SettingsWindow, SensitivityScrollBarAndRestoreDefaults) {
  StartOne();
  Client app;
  ASSERT_TRUE(StartInFront(app, "scale"));
  ASSERT_TRUE(Click(dlg, 1025));  // "Left" is the menu button: the window comes up
  ASSERT_TRUE(WaitUp(dlg, true));
  EXPECT_EQ(ScrollPos(dlg, 1007), 4);

  // Sensitivity 2 doubles what the application receives.
  EXPECT_EQ(setwin::ClickArrow(dlg, 1007, false), 5);
  EXPECT_TRUE(Receives(app, "100 -30 7 0 0 1", "200,-60,14,0,0,2"));

  // Down to the least, by the left arrow; one more click changes nothing.
  for (int expected = 4; expected >= 0; expected--) EXPECT_EQ(setwin::ClickArrow(dlg, 1007, true), expected);
  EXPECT_EQ(setwin::ClickArrow(dlg, 1007, true, 600), 0);
  EXPECT_TRUE(Receives(app, "160 -160 15 -17 0 33", "10,-10,0,-1,0,2"));  // x 0.0625, toward zero

  ASSERT_TRUE(Click(dlg, 1008));
  EXPECT_EQ(ScrollPos(dlg, 1007), 4);
  EXPECT_TRUE(Receives(app, "160 -160 15 -17 0 33", "160,-160,15,-17,0,33"));
}

TEST_F(SettingsWindow, SwitchesChangeWhatTheApplicationReceives) {
  StartOne();
  Client app;
  ASSERT_TRUE(app.Start("switches"));
  ASSERT_EQ(Sim("waitcmd BcCc\\r timeout=5000"), "ok");  // the beep of its open
  Sim("clear");
  EXPECT_TRUE(Checked(dlg, 1002));
  EXPECT_TRUE(Checked(dlg, 1003));
  EXPECT_FALSE(Checked(dlg, 1004));

  ASSERT_TRUE(Click(dlg, 1003));  // rotation off
  EXPECT_FALSE(Checked(dlg, 1003));
  EXPECT_TRUE(Receives(app, "10 20 30 40 50 60", "10,20,30,0,0,0"));

  // Translation off while rotation is off: rotation comes back on, checked,
  // and the device does not beep for it.
  ASSERT_TRUE(Click(dlg, 1002));
  EXPECT_FALSE(Checked(dlg, 1002));
  EXPECT_TRUE(Checked(dlg, 1003));
  EXPECT_TRUE(Receives(app, "11 21 31 41 51 61", "0,0,0,41,51,61"));
  EXPECT_EQ(Sim("log"), "ok 0");

  ASSERT_TRUE(Click(dlg, 1002));  // translation back on: "cC"
  EXPECT_TRUE(Checked(dlg, 1002));
  EXPECT_EQ(Sim("waitcmd BcC\\r timeout=5000"), "ok") << Sim("log");
  ASSERT_TRUE(Click(dlg, 1004));  // the single-axis filter
  EXPECT_TRUE(Checked(dlg, 1004));
  EXPECT_TRUE(Receives(app, "12 -300 32 42 52 62", "0,-300,0,0,0,0"));
}

TEST_F(SettingsWindow, RezeroBeepsThenRezerosOnTheWire) {
  StartOne();
  ASSERT_TRUE(Click(dlg, 1009));
  EXPECT_EQ(Sim("waitcmd Z\\r timeout=5000"), "ok") << Sim("log");
  EXPECT_EQ(Sim("log"), "ok 2 BcC\\r Z\\r");
}

TEST_F(SettingsWindow, RightSendsItsButtonAndLeftTogglesWithMenuButton30) {
  StartOne("menuButton=30\r\n");
  Client app;
  ASSERT_TRUE(app.Start("right"));
  ASSERT_TRUE(Click(dlg, 1026));
  ASSERT_TRUE(app.WaitFor("released=2147483648 ")) << app.Text();
  std::vector<std::string> ev = app.Events();
  ASSERT_EQ(ev.size(), 2u) << app.Text();
  EXPECT_NE(ev[0].find("type=1 last=0 current=2147483648 pressed=2147483648 released=0 "), std::string::npos);
  EXPECT_NE(ev[1].find("type=1 last=2147483648 current=0 pressed=0 released=2147483648 "), std::string::npos);

  ASSERT_TRUE(Click(dlg, 1025));
  EXPECT_TRUE(WaitUp(dlg, true));
  ASSERT_TRUE(Click(dlg, 1025));
  EXPECT_TRUE(WaitUp(dlg, false));
  EXPECT_EQ(app.Events().size(), 2u) << app.Text();
}

TEST_F(SettingsWindow, UiModeZeroPutsItAwayUntilTheUserHidesIt) {
  StartOne();
  Client a, b;
  ASSERT_TRUE(StartInFront(a, "mode-all"));
  ASSERT_TRUE(Click(dlg, 1025));
  ASSERT_TRUE(WaitUp(dlg, true));
  EXPECT_TRUE(Enabled(dlg, 1002));

  // An application that does its own processing: away, every group off.
  ASSERT_TRUE(b.Start("mode-zero", {"--ui-mode", "0"}));
  ASSERT_TRUE(b.WaitFor("uimode mode=0 rc=0"));
  EXPECT_TRUE(WaitUp(dlg, false)) << "not put away for mode 0";
  for (int id : {1002, 1003, 1004, 1007, 1008, 1009, 1012, 1024, 1026}) EXPECT_FALSE(Enabled(dlg, id)) << id;
  EXPECT_TRUE(Enabled(dlg, 1000));

  // Back to an application with a non-zero mode: the window comes back.
  ASSERT_TRUE(a.Front());
  EXPECT_TRUE(WaitUp(dlg, true)) << "not brought back";
  EXPECT_TRUE(Enabled(dlg, 1002));

  // Hidden by the user, it stays away through the same change.
  ASSERT_TRUE(Click(dlg, 1000));
  EXPECT_TRUE(WaitUp(dlg, false));
  ASSERT_TRUE(b.Front());
  Sleep(400);
  ASSERT_TRUE(a.Front());
  Sleep(600);
  EXPECT_TRUE(IsIconic(dlg));

  // Restored by the user it is up again, and minimised by the user it stays
  // away as after "Hide".
  SendMessageA(dlg, WM_SYSCOMMAND, SC_RESTORE, 0);
  ASSERT_TRUE(WaitUp(dlg, true));
  ASSERT_TRUE(b.Front());
  EXPECT_TRUE(WaitUp(dlg, false));
  ASSERT_TRUE(a.Front());
  EXPECT_TRUE(WaitUp(dlg, true));
  SendMessageA(dlg, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitUp(dlg, false));
  ASSERT_TRUE(b.Front());
  Sleep(400);
  ASSERT_TRUE(a.Front());
  Sleep(600);
  EXPECT_TRUE(IsIconic(dlg));
}

TEST_F(SettingsWindow, StayOnTopKeepsTheApplicationInFront) {
  StartOne();
  Client app;
  ASSERT_TRUE(StartInFront(app, "on-top"));
  ASSERT_TRUE(Click(dlg, 1018));
  EXPECT_TRUE(Checked(dlg, 1018));
  EXPECT_TRUE(GetWindowLongA(dlg, GWL_EXSTYLE) & WS_EX_TOPMOST);
  ASSERT_TRUE(app.Front());
  ASSERT_TRUE(Click(dlg, 1025));
  ASSERT_TRUE(WaitUp(dlg, true));
  EXPECT_TRUE(GetWindowLongA(dlg, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(GyxWaitFor([&] { return GetForegroundWindow() == app.window; }, 2000));
  ASSERT_TRUE(Click(dlg, 1018));
  EXPECT_FALSE(GetWindowLongA(dlg, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(SettingsWindow, TwoDevicesKeepTheirOwnSettings) {
  Start({{1, "Quorvanel 2200", ""}, {2, "Quorvanel 2200", ""}});
  // Each client holds its device's grab slot, so each gets its device's events.
  Client one, two;
  ASSERT_TRUE(one.Start("dev-one", {"--device", "0", "--grab", "1"}));
  ASSERT_TRUE(two.Start("dev-two", {"--device", "1", "--grab", "1"}));
  ASSERT_TRUE(one.WaitFor("grab flag=1 status=0"));
  ASSERT_TRUE(two.WaitFor("grab flag=1 status=0"));

  ASSERT_TRUE(SimOk("move 1 1 1 1 1 1", 1));  // device 0 is shown
  ASSERT_TRUE(GyxWaitFor([&] { return Text(dlg, 1017) == "COM1: Quorvanel 2200"; }, 3000));
  ASSERT_TRUE(Click(dlg, 1002));  // translation off on device 0
  ASSERT_TRUE(Receives(one, "10 20 30 40 50 60", "0,0,0,40,50,60", 1));

  // Device 1 wakes the driver: its own settings are shown and applied.
  ASSERT_TRUE(Receives(two, "10 20 30 40 50 60", "10,20,30,40,50,60", 2));
  ASSERT_TRUE(GyxWaitFor([&] { return Text(dlg, 1017) == "COM2: Quorvanel 2200"; }, 3000));
  EXPECT_TRUE(Checked(dlg, 1002));
  ASSERT_TRUE(Click(dlg, 1003));  // rotation off on device 1
  // The scroll bar's own message, as its arrow sends it (the window is away).
  SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), (LPARAM)GetDlgItem(dlg, 1007));
  EXPECT_EQ(ScrollPos(dlg, 1007), 5);
  ASSERT_TRUE(Receives(two, "11 21 31 41 51 61", "22,42,62,0,0,0", 2));

  // Back to device 0, and to device 1 again: each as it was left.
  ASSERT_TRUE(Receives(one, "12 22 32 42 52 62", "0,0,0,42,52,62", 1));
  ASSERT_TRUE(GyxWaitFor([&] { return Text(dlg, 1017) == "COM1: Quorvanel 2200"; }, 3000));
  EXPECT_FALSE(Checked(dlg, 1002));
  EXPECT_TRUE(Checked(dlg, 1003));
  EXPECT_EQ(ScrollPos(dlg, 1007), 4);
  ASSERT_TRUE(Receives(two, "13 23 33 43 53 63", "26,46,66,0,0,0", 2));
  ASSERT_TRUE(GyxWaitFor([&] { return Text(dlg, 1017) == "COM2: Quorvanel 2200"; }, 3000));
  EXPECT_TRUE(Checked(dlg, 1002));
  EXPECT_FALSE(Checked(dlg, 1003));
  EXPECT_EQ(ScrollPos(dlg, 1007), 5);
}

TEST_F(SettingsWindow, ClosingTheWindowEndsTheDriverInOrder) {
  StartOne();
  Client app;
  ASSERT_TRUE(app.Start("closing"));
  AppMmapDetach();
  PostMessageA(dlg, WM_CLOSE, 0, 0);
  unsigned long code = 99;
  ASSERT_TRUE(driver.Wait(15000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(IsWindow(dlg));
  EXPECT_TRUE(app.WaitFor("kind=255 seq=0")) << app.Text();
  // The port was released before the handles were closed: no closing beep.
  EXPECT_EQ(Sim("log").find("Bf\\r"), std::string::npos) << Sim("log");
}

TEST_F(SettingsWindow, EndSessionEndsTheDriverOnlyWhenTheSessionEnds) {
  StartOne();
  SendMessageA(dlg, WM_ENDSESSION, FALSE, 0);  // the shut-down was called off
  Sleep(500);
  EXPECT_TRUE(driver.Running());
  SendMessageA(dlg, WM_ENDSESSION, TRUE, 0);
  unsigned long code = 99;
  ASSERT_TRUE(driver.Wait(15000, &code));
  EXPECT_EQ(code, 0u);
}

// The Axes dialog of the driver process pid, or NULL.
HWND FindAxes(DWORD pid) {
  HWND w = nullptr;
  while ((w = FindWindowExA(nullptr, w, "#32770", "Axes")) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

// An edit control's text as the control itself holds it: GetWindowText of
// another process's window reads the system's copy, which an edit control
// does not keep.
std::string EditText(HWND dlg, int id) {
  char buf[64] = "";
  SendDlgItemMessageA(dlg, id, WM_GETTEXT, sizeof buf, (LPARAM)buf);
  return buf;
}

TEST_F(SettingsWindow, AxesDialogChangesWhatTheApplicationReceivesAndOkWritesTheIni) {
  StartOne("rxScale=0.5\r\n");
  Client app;
  ASSERT_TRUE(StartInFront(app, "axes"));
  EXPECT_TRUE(Receives(app, "10 20 30 40 50 60", "10,20,30,20,50,60")) << "rxScale from the file";
  ASSERT_TRUE(Click(dlg, 1025));  // the window comes up, as a user has it before clicking
  ASSERT_TRUE(WaitUp(dlg, true));
  ASSERT_TRUE(Click(dlg, 1030));
  HWND axes = nullptr;
  ASSERT_TRUE(GyxWaitFor([&] { return (axes = FindAxes(driver.Pid())) != nullptr; }, 5000, 20));
  EXPECT_EQ(Text(axes, 1031), "COM1: Quorvanel 2200");
  EXPECT_EQ(EditText(axes, 1040), "1");
  EXPECT_EQ(EditText(axes, 1043), "0.5");
  EXPECT_EQ(EditText(axes, 1060), "0");
  EXPECT_FALSE(Checked(axes, 1051));
  EXPECT_EQ(SendDlgItemMessageA(axes, 1075, CB_GETCURSEL, 0, 0), 5);

  // A value the file would refuse keeps the dialog open and changes nothing.
  SetDlgItemTextA(axes, 1040, "-2");
  ASSERT_TRUE(Click(axes, IDOK));
  EXPECT_TRUE(IsWindow(axes));
  EXPECT_TRUE(Receives(app, "11 21 31 41 51 61", "11,21,31,20,51,61"));

  SetDlgItemTextA(axes, 1040, "2");                     // tx scale 2
  ASSERT_TRUE(Click(axes, 1051));                       // ty inverted
  SetDlgItemTextA(axes, 1062, "30");                    // tz dead zone 30
  SendDlgItemMessageA(axes, 1075, CB_SETCURSEL, 3, 0);  // rz fed by rx
  // The README's picture of the dialog, when asked for.
  const std::string shots = GyxGetEnv("GYX_SHOT_DIR");
  if (!shots.empty()) EXPECT_TRUE(GyxUiScreenshot(axes, shots + "/axes.png"));
  ASSERT_TRUE(Click(axes, IDOK));
  EXPECT_TRUE(GyxWaitFor([&] { return !IsWindow(axes); }, 5000, 20));
  EXPECT_TRUE(Receives(app, "10 20 30 40 50 60", "20,-20,0,20,50,40")) << "rz is rx before its scale";
  EXPECT_TRUE(Receives(app, "10 20 31 40 50 60", "20,-20,31,20,50,40"));

  std::string ini;
  ASSERT_TRUE(GyxReadFile(GyxIniPath(), &ini));
  for (const char *line : {"devicetype=Quorvanel 2200", "txScale=2", "tyInvert=1", "tzDeadZone=30",
                           "rzFrom=rx", "rxScale=0.5", "txFrom=tx"})
    EXPECT_NE(ini.find(line), std::string::npos) << line << " in\n" << ini;
}

TEST_F(SettingsWindow, AMappedButtonTypesItsKeyIntoAPlainWindowInFront) {
  StartOne("button1=Ctrl+Z\r\n");
  Client plain;
  ASSERT_TRUE(plain.Start("plain", {"--plain"}));
  ASSERT_TRUE(GyxWaitFor([&] { return GetForegroundWindow() == plain.window; }, 5000, 20));
  ASSERT_TRUE(SimOk("press 1"));
  ASSERT_TRUE(plain.WaitFor("key down vk=90")) << plain.Text();
  ASSERT_TRUE(SimOk("release 1"));
  ASSERT_TRUE(plain.WaitFor("key up vk=17")) << plain.Text();
  std::string t = plain.Text();
  size_t a = t.find("key down vk=17"), b = t.find("key down vk=90"), c = t.find("key up vk=90"),
         d = t.find("key up vk=17");
  EXPECT_TRUE(a < b && b < c && c < d) << t;
  // A button without a key types nothing.
  ASSERT_TRUE(SimOk("press 2"));
  ASSERT_TRUE(SimOk("release 2"));
  Sleep(300);
  EXPECT_EQ(plain.Count("key "), 4) << plain.Text();
}

TEST_F(SettingsWindow, ALibraryClientInFrontGetsTheMappedButtonAndNoKey) {
  StartOne("button1=Ctrl+Z\r\n");
  Client app;
  ASSERT_TRUE(StartInFront(app, "library"));
  ASSERT_TRUE(SimOk("press 1"));
  ASSERT_TRUE(app.WaitFor("pressed=2 ")) << app.Text();
  ASSERT_TRUE(SimOk("release 1"));
  ASSERT_TRUE(app.WaitFor("released=2 ")) << app.Text();
  Sleep(300);  // a key would have come by now
  EXPECT_EQ(app.Count("key "), 0) << app.Text();
}

}  // namespace
