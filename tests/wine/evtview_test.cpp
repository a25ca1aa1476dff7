// evtview_test.cpp: the event test utility in its real windows under Wine,
// driven as a user would through the harness's UI helpers, with the simulator
// as the controller and the real driver (or, for "no devices", the driver's
// own request service over an empty device table in this process): start-up
// and its boxes, the event lines, the list's length, Clear, Pause and Resume,
// Single and Multiple, Dev Info, About, the two layouts and the mode word,
// the driver going away, and the resources the program is built with.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "driver/device/udextern.h"
#include "driver/dvrmmap.h"
#include "driver/dvrsvreq.h"
#include "drvfixture.h"
#include "evtview/evtview_res.h"

namespace {

const char kTitle[] = "Gyrantrix Test Utility";
const char kInfoTitle[] = "Gyrantrix Device Information";
const char kAboutTitle[] = "About Gyrantrix Test Utility";
const char kFirmware2200[] = "HvFirmware version 2.14 Quorvanel 2200 SN 0042";
const char kFirmware3200[] = "HvFirmware version 2.30 Quorvanel 3200 SN 0042";
const unsigned long kWindowMs = 30000;  // start-up may start a driver first
const unsigned long kLineMs = 5000;

std::string Hex8(unsigned v) {
  char b[16];
  snprintf(b, sizeof b, "%08x", v);
  return b;
}

std::string ButtonLine(unsigned last, unsigned cur) {
  return " 0) Button Event -> lst = " + Hex8(last) + ", cur = " + Hex8(cur) + ", prs = " + Hex8(cur & ~last) +
         ", rel = " + Hex8(last & ~cur);
}

std::string MotionLine(int tx, int ty, int tz, int rx, int ry, int rz, int per) {
  char b[200];
  snprintf(b, sizeof b, " 0) Motion Event -> tx = %d, ty = %d, tz = %d, rx = %d, ry = %d, rz = %d, per = %d",
           tx, ty, tz, rx, ry, rz, per);
  return b;
}

// The driver's request service on a thread of this process, over a device
// table the test sets up: with none, a driver that serves no devices; with
// records that have no model, devices that every open refuses.
class StandInDriver {
 public:
  ~StandInDriver() { Stop(); }
  // devices: the first records of gUdDevices that count (the caller filled them).
  bool Start(int32_t devices = 0) {
    gUdDeviceCount = devices;
    if (DvrMmapCreate() != 0) return false;
    running_ = true;
    thread_ = std::thread([this] {
      HANDLE poke = static_cast<HANDLE>(DvrMmapRequestSemaphore());
      while (running_)
        if (WaitForSingleObject(poke, 50) == WAIT_OBJECT_0) DvrServeRequest();
    });
    return true;
  }
  void Stop() {
    if (!running_) return;
    running_ = false;
    thread_.join();
    DvrMmapClose();
    gUdDeviceCount = -1;
    memset(gUdDevices, 0, sizeof gUdDevices);
  }

 private:
  std::atomic<bool> running_{false};
  std::thread thread_;
};

class Evtview : public DriverTest {
 protected:
  void TearDown() override {
    if (app.Started() && app.Running()) app.Kill();
    DriverTest::TearDown();
  }

  // Starts the program and waits for its main dialog, in front.
  void Launch(const std::string &args = "") {
    ASSERT_TRUE(app.Start(GyxBinPath("evtview.exe"), args, {"DEBUG_GYRANTRIX=1"}));
    dlg = GyxUiWaitDialog(kTitle, kWindowMs, app.Pid(), IDC_LIST);
    ASSERT_NE(dlg, nullptr) << "no main dialog";
    ASSERT_TRUE(GyxUiForeground(dlg));
  }

  void Sim(const char *line, int com = 1) {
    std::string r = GyxSimAsk(&sims[com], line);
    ASSERT_EQ(r.rfind("ok", 0), 0u) << line << ": " << r << "\n" << GyxSimLog(&sims[com]);
  }

  std::vector<std::string> Lines() { return GyxUiListLines(dlg, IDC_LIST); }

  // The list once its last line is `last` (and, with count >= 0, it holds that many).
  ::testing::AssertionResult ListEndsWith(const std::string &last, int count = -1) {
    std::vector<std::string> lines;
    bool ok = GyxWaitFor(
        [&] {
          lines = Lines();
          return !lines.empty() && lines.back() == last && (count < 0 || (int)lines.size() == count);
        },
        kLineMs, 20);
    if (ok) return ::testing::AssertionSuccess();
    ::testing::AssertionResult r = ::testing::AssertionFailure();
    r << "want last line \"" << last << "\"";
    if (count >= 0) r << " of " << count;
    r << "; the list holds " << lines.size() << ":";
    for (const std::string &l : lines) r << "\n  " << l;
    return r;
  }

  // The program's visible message boxes. They share the main dialog's
  // caption (and its labels' id 0xFFFF), so the dialogs with the event list
  // are left out.
  std::vector<HWND> Boxes() {
    GyxUiQuery q;
    q.cls = "#32770";
    q.caption = kTitle;
    q.pid = app.Pid();
    q.controlId = 0xFFFF;
    std::vector<HWND> boxes;
    for (HWND w : GyxUiFindAll(q))
      if (!GetDlgItem(w, IDC_LIST)) boxes.push_back(w);
    return boxes;
  }

  HWND WaitBox(unsigned long ms = 15000) {
    HWND box = nullptr;
    GyxWaitFor(
        [&] {
          std::vector<HWND> boxes = Boxes();
          box = boxes.empty() ? nullptr : boxes.front();
          return box != nullptr;
        },
        ms);
    return box;
  }

  // No box of the program shows during ms.
  bool NoBoxFor(unsigned long ms) {
    return !GyxWaitFor([&] { return !Boxes().empty(); }, ms);
  }

  // The main dialog, shown or not yet (a box of its start-up hides it).
  HWND MainDialogAnyState() {
    GyxUiQuery q;
    q.cls = "#32770";
    q.caption = kTitle;
    q.pid = app.Pid();
    q.controlId = IDC_LIST;
    q.visible = false;
    return GyxUiFind(q);
  }

  // The checked state of the seven mode boxes as a string of 0s and 1s.
  std::string ModeBoxes() {
    std::string s;
    for (int id = IDC_ALL_CONTROLS; id <= IDC_DIALOG_POPUP; id++)
      s += GyxUiCheckState(dlg, id) == BST_CHECKED ? '1' : '0';
    return s;
  }

  // Where a test keeps its screenshot: $GYX_SHOT_DIR (for the README), else scratch.
  std::string ShotPath(const char *name) {
    std::string dir = GyxGetEnv("GYX_SHOT_DIR");
    if (dir.empty()) dir = GyxMakeScratchDir("shots");
    return dir + "/" + name;
  }

  void Screenshot(const char *name, HWND window = nullptr) {
    if (!window) window = dlg;
    const std::string png = ShotPath(name);
    ASSERT_TRUE(GyxUiScreenshot(window, png)) << png;
    int w = 0, h = 0;
    ASSERT_TRUE(GyxUiPngSize(png, &w, &h));
    const RECT r = GyxUiRect(window);
    EXPECT_EQ(w, r.right - r.left);
    EXPECT_EQ(h, r.bottom - r.top);
  }

  GyxProcess app;
  HWND dlg = nullptr;
};

// ------------------------------------------------------------------ resources

TEST(EvtviewResources, StringTableIsExactlyTheProgramsTexts) {
  GyxResModule res(GyxBinPath("evtview.exe"));
  ASSERT_TRUE(res.Loaded());
  const char *const want[] = {
      "&About Gyrantrix...",
      "Gyrantrix Test Utility",
      "Can't initialize Gyrantrix.",
      "No Gyrantrix driver running.",
      " %d) Button Event -> lst = %08lx, cur = %08lx, prs = %08lx, rel = %08lx",
      " %d) Combo Event -> lst = %08lx, cur = %08lx, prs = %08lx, rel = %08lx",
      " %d) Motion Event -> dominant direction %s = %ld, per = %d",
      " %d) Combo Event -> dominant direction %s = %ld, per = %ld",
      " %d) Motion Event -> tx = %ld, ty = %ld, tz = %ld, rx = %ld, ry = %ld, rz = %ld, per = %ld",
      " %d) Combo Event -> tx = %ld, ty = %ld, tz = %ld, rx = %ld, ry = %ld, rz = %ld, per = %ld",
      " %d) Exception Event -> %s",
      " %d) Unknown Data",
      "tx",
      "ty",
      "tz",
      "rx",
      "ry",
      "rz",
      "Yes",
      "No",
      "Can't open device -- type: %s, port: %s.   (%s)",
      "Can't open device -- index: %d.   (%s)",
      "Can't get driver info.   (%s)",
      "Error getting event.  (%s)",
      "Can't get device port info.  (%s)",
      "Can't get device info.  (%s)",
      "Device %d on port %s",
      "%s  (Build %d)",
  };
  for (int id = 101; id <= 128; id++) {
    std::string text;
    ASSERT_TRUE(res.String(id, &text)) << id;
    EXPECT_EQ(text, want[id - 101]) << id;
  }
  std::string none;
  EXPECT_FALSE(res.String(100, &none));
  EXPECT_FALSE(res.String(129, &none));
}

struct ControlRow {
  int id;
  const char *cls;
  const char *text;
  int a[4];  // layout A: x, y, cx, cy; {-1} when absent
  int b[4];
};

// The main dialog's controls in both layouts (ids -1 are labels, the group
// box and the logo; they are looked up by text).
const ControlRow kMainControls[] = {
    {IDC_EXIT, "Button", "E&xit", {29, 172, 50, 14}, {29, 182, 50, 14}},
    {IDC_CLEAR, "Button", "&Clear", {108, 172, 50, 14}, {108, 182, 50, 14}},
    {IDC_PAUSE, "Button", "&Pause", {187, 172, 50, 14}, {187, 182, 50, 14}},
    {IDC_RESUME, "Button", "&Resume", {187, 172, 50, 14}, {187, 182, 50, 14}},
    {IDC_DEVINFO, "Button", "&Dev Info", {266, 172, 50, 14}, {266, 182, 50, 14}},
    {-1, "Button", "Axis", {278, 18, 60, 44}, {278, 18, 60, 44}},
    {IDC_SINGLE, "Button", "&Single", {290, 30, 40, 10}, {290, 30, 38, 10}},
    {IDC_MULTIPLE, "Button", "&Multiple", {290, 44, 40, 10}, {290, 44, 43, 10}},
    {IDC_LIST, "ListBox", "", {7, 71, 331, 92}, {7, 81, 331, 92}},
    {-1, "Static", "Driver Version", {88, 6, 64, 8}, {88, 6, 64, 8}},
    {IDC_DRV_VERSION, "Edit", "", {88, 17, 175, 14}, {88, 17, 175, 14}},
    {-1, "Static", "Driver Date", {88, 37, 64, 8}, {88, 37, 64, 8}},
    {IDC_DRV_DATE, "Edit", "", {88, 48, 175, 14}, {88, 48, 175, 14}},
    {IDC_ALL_CONTROLS, "Button", "All controls", {7, 5, 58, 10}, {7, 5, 58, 10}},
    {IDC_NO_CONTROLS, "Button", "No controls", {7, 15, 58, 10}, {7, 15, 58, 10}},
    {IDC_FILTERS, "Button", "Filters", {7, 25, 58, 10}, {7, 25, 58, 10}},
    {IDC_FUNCTIONS, "Button", "Functions", {7, 35, 58, 10}, {7, 35, 58, 10}},
    {IDC_RESETS, "Button", "Resets", {7, 45, 58, 10}, {7, 45, 58, 10}},
    {IDC_SENSITIVITY, "Button", "Sensitivity", {7, 55, 58, 10}, {7, 55, 58, 10}},
    {IDC_DIALOG_POPUP, "Button", "Dialog Popup", {7, 65, 58, 10}, {7, 65, 58, 10}},
};

const GyxDlgItem *FindControl(const GyxDlgTemplate &t, const ControlRow &row) {
  if (row.id != -1) return t.Find(row.id);
  for (const GyxDlgItem &item : t.items)
    if (item.id == -1 && item.text == row.text && item.cls == row.cls) return &item;
  return nullptr;
}

TEST(EvtviewResources, MainDialogInBothLayouts) {
  GyxResModule res(GyxBinPath("evtview.exe"));
  ASSERT_TRUE(res.Loaded());
  for (int layout = 0; layout < 2; layout++) {
    SCOPED_TRACE(layout ? "layout B" : "layout A");
    GyxDlgTemplate t;
    ASSERT_TRUE(res.Dialog(layout ? IDD_MAIN_B : IDD_MAIN_A, &t));
    EXPECT_EQ(t.caption, kTitle);
    EXPECT_EQ(t.font, "MS Sans Serif");
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.cx, 345);
    EXPECT_EQ(t.cy, layout ? 207 : 194);
    EXPECT_TRUE(t.style & WS_SYSMENU);
    EXPECT_TRUE(t.style & WS_MINIMIZEBOX);
    EXPECT_FALSE(t.style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(t.style & WS_THICKFRAME) << "not resizable";
    EXPECT_TRUE(t.style & DS_CENTER);
    for (const ControlRow &row : kMainControls) {
      SCOPED_TRACE(row.text);
      const GyxDlgItem *item = FindControl(t, row);
      ASSERT_NE(item, nullptr);
      EXPECT_EQ(item->cls, row.cls);
      EXPECT_EQ(item->text, row.text);
      const int *pos = layout ? row.b : row.a;
      EXPECT_EQ((std::vector<int>{item->x, item->y, item->cx, item->cy}),
                (std::vector<int>{pos[0], pos[1], pos[2], pos[3]}));
      const bool modeBox = row.id >= IDC_ALL_CONTROLS && row.id <= IDC_DIALOG_POPUP;
      if (modeBox) {
        EXPECT_EQ((item->style & WS_VISIBLE) != 0, layout == 1);
        EXPECT_EQ((item->style & WS_DISABLED) != 0, layout == 0);
        const DWORD kind = item->style & 0xF;
        EXPECT_EQ(kind, (DWORD)(row.id <= IDC_NO_CONTROLS ? BS_CHECKBOX : BS_AUTOCHECKBOX))
            << "All/No controls are set only by the program";
      }
    }
    EXPECT_EQ(t.Find(IDC_EXIT)->style & 0xF, (DWORD)BS_DEFPUSHBUTTON);
    EXPECT_TRUE(t.Find(IDC_SINGLE)->style & WS_GROUP) << "first of its group";
    const DWORD list = t.Find(IDC_LIST)->style;
    EXPECT_TRUE(list & WS_VSCROLL);
    EXPECT_TRUE(list & LBS_NOTIFY);
    EXPECT_FALSE(list & LBS_SORT) << "lines stay in arrival order";
    EXPECT_TRUE(t.Find(IDC_DRV_VERSION)->style & ES_READONLY);
    EXPECT_TRUE(t.Find(IDC_DRV_DATE)->style & ES_READONLY);
    // The logo only in layout A.
    const GyxDlgItem *logo = nullptr;
    for (const GyxDlgItem &item : t.items)
      if (item.cls == "Static" && (item.style & SS_TYPEMASK) == SS_BITMAP) logo = &item;
    if (layout) {
      EXPECT_EQ(logo, nullptr);
    } else {
      ASSERT_NE(logo, nullptr);
      EXPECT_EQ(logo->textId, IDB_LOGO);
      EXPECT_EQ((std::vector<int>{logo->x, logo->y, logo->cx, logo->cy}), (std::vector<int>{9, 22, 67, 28}));
    }
  }
}

TEST(EvtviewResources, DeviceInformationAndAboutDialogs) {
  GyxResModule res(GyxBinPath("evtview.exe"));
  ASSERT_TRUE(res.Loaded());
  GyxDlgTemplate info;
  ASSERT_TRUE(res.Dialog(IDD_DEVINFO, &info));
  EXPECT_EQ(info.caption, kInfoTitle);
  EXPECT_EQ(info.cx, 259);
  EXPECT_EQ(info.cy, 170);
  const struct {
    int id;
    const char *cls;
    int x, y, cx, cy;
  } rows[] = {
      {IDC_INFO_CLOSE, "Button", 202, 7, 50, 14}, {IDC_INFO_LIST, "ListBox", 7, 18, 180, 40},
      {IDC_INFO_TYPE, "Edit", 7, 79, 40, 14},     {IDC_INFO_NAME, "Edit", 77, 79, 110, 14},
      {IDC_INFO_BUTTONS, "Edit", 7, 113, 40, 14}, {IDC_INFO_DEGREES, "Edit", 77, 113, 40, 14},
      {IDC_INFO_BEEP, "Edit", 147, 113, 40, 14},  {IDC_INFO_FIRMWARE, "Edit", 7, 147, 245, 14},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.id);
    const GyxDlgItem *item = info.Find(row.id);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->cls, row.cls);
    EXPECT_EQ((std::vector<int>{item->x, item->y, item->cx, item->cy}),
              (std::vector<int>{row.x, row.y, row.cx, row.cy}));
    if (item->cls == "Edit") {
      EXPECT_TRUE(item->style & ES_READONLY);
    }
  }
  EXPECT_EQ(info.Find(IDC_INFO_CLOSE)->text, "&Close");
  EXPECT_EQ(info.Find(IDC_INFO_CLOSE)->style & 0xF, (DWORD)BS_DEFPUSHBUTTON);
  const DWORD list = info.Find(IDC_INFO_LIST)->style;
  EXPECT_TRUE(list & LBS_SORT);
  EXPECT_TRUE(list & LBS_NOTIFY);
  EXPECT_TRUE(list & WS_VSCROLL);
  bool picture = false;
  for (const GyxDlgItem &item : info.items)
    if ((item.style & SS_TYPEMASK) == SS_BITMAP && item.textId == IDB_DEVICE && item.x == 202 && item.y == 69)
      picture = true;
  EXPECT_TRUE(picture) << "bitmap 134 at 202,69";
  for (const char *label :
       {"Select Device", "Type", "Name", "Num Buttons", "Num Degrees", "Can Beep", "Firmware"}) {
    bool found = false;
    for (const GyxDlgItem &item : info.items) found = found || item.text == label;
    EXPECT_TRUE(found) << label;
  }

  GyxDlgTemplate about;
  ASSERT_TRUE(res.Dialog(IDD_ABOUTBOX, &about));
  EXPECT_EQ(about.caption, kAboutTitle);
  EXPECT_EQ(about.cx, 217);
  EXPECT_EQ(about.cy, 55);
  const GyxDlgItem *ok = about.Find(IDOK);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text, "OK");
  EXPECT_EQ((std::vector<int>{ok->x, ok->y, ok->cx, ok->cy}), (std::vector<int>{178, 7, 32, 14}));
  bool icon = false, version = false, second = false;
  for (const GyxDlgItem &item : about.items) {
    icon = icon || ((item.style & SS_TYPEMASK) == SS_ICON && item.textId == IDR_MAINFRAME && item.x == 11 &&
                    item.y == 17);
    version = version || (item.text == "Gyrantrix Test Utility Version 1.0" && item.x == 40 && item.y == 10);
    second = second || (item.cls == "Static" && !item.text.empty() && item.x == 40 && item.y == 25);
  }
  EXPECT_TRUE(icon);
  EXPECT_TRUE(version);
  EXPECT_TRUE(second);
}

TEST(EvtviewResources, PicturesAndVersion) {
  GyxResModule res(GyxBinPath("evtview.exe"));
  ASSERT_TRUE(res.Loaded());
  EXPECT_TRUE(res.Has(MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, IDR_MAINFRAME));
  EXPECT_TRUE(res.Has(MAKEINTRESOURCEA(2) /* RT_BITMAP */, IDB_LOGO));
  EXPECT_TRUE(res.Has(MAKEINTRESOURCEA(2), IDB_DEVICE));
  int v[4] = {0, 0, 0, 0};
  ASSERT_TRUE(GyxFileVersion(GyxBinPath("evtview.exe"), v));
  EXPECT_EQ((std::vector<int>{v[0], v[1], v[2], v[3]}), (std::vector<int>{1, 0, 0, 1}));
}

// ------------------------------------------------------------------ start-up

TEST_F(Evtview, WithoutADriverProgramOnlyTheInitialisationBoxShows) {
  ASSERT_TRUE(GyxWriteIni(IniText({{1, "Quorvanel 2200"}})));  // the home holds no gyxsrv.exe
  ASSERT_TRUE(app.Start(GyxBinPath("evtview.exe")));
  HWND box = WaitBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(GyxMessageBoxText(box), "Can't initialize Gyrantrix.");
  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr) << "there is no main window yet";
  EXPECT_EQ(MainDialogAnyState(), nullptr);
  ASSERT_TRUE(GyxPressButton(box, IDOK));
  unsigned long code = 0;
  ASSERT_TRUE(app.Wait(10000, &code)) << "the program ends";
  EXPECT_NE(code, 0u);
  EXPECT_EQ(GyxCountProcessesNamed("gyxsrv.exe"), 0);
}

TEST_F(Evtview, ADriverWithNoDevicesGivesTheBoxThenAnEmptyDialog) {
  StandInDriver empty;
  ASSERT_TRUE(empty.Start());
  ASSERT_TRUE(app.Start(GyxBinPath("evtview.exe")));
  HWND box = WaitBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(GyxMessageBoxText(box), "No Gyrantrix driver running.");
  HWND main = MainDialogAnyState();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(GetWindow(box, GW_OWNER), main) << "owned by the main dialog";
  ASSERT_TRUE(GyxPressButton(box, IDOK));
  dlg = GyxUiWaitDialog(kTitle, 10000, app.Pid(), IDC_LIST);
  ASSERT_EQ(dlg, main);
  EXPECT_TRUE(GyxWaitFor([&] { return GyxUiItemText(dlg, IDC_DRV_DATE) == "January 31, 1997"; }, 5000));
  EXPECT_EQ(GyxUiItemText(dlg, IDC_DRV_VERSION), "Gyrantrix Driver version 8.0  (Build 15)");
  EXPECT_EQ(GyxUiListCount(dlg, IDC_LIST), 0);
  EXPECT_TRUE(NoBoxFor(300)) << "no further box";
  ASSERT_TRUE(GyxUiClick(dlg, IDC_EXIT));
  unsigned long code = ~0ul;
  ASSERT_TRUE(app.Wait(10000, &code));
  EXPECT_EQ(code, 0u);
}

TEST_F(Evtview, FailedOpensAreReportedByPortOrByIndexAndStartUpGoesOn) {
  // Device 0 is described but has no model, so opening it fails; device 1 is
  // not in the table at all, so the driver knows neither it nor its port.
  memset(gUdDevices, 0, sizeof gUdDevices);
  gUdDevices[0].index = 0;
  strcpy(gUdDevices[0].portName, "COM3:");
  gUdDevices[1].index = 7;
  StandInDriver driverWithoutModels;
  ASSERT_TRUE(driverWithoutModels.Start(2));
  ASSERT_TRUE(app.Start(GyxBinPath("evtview.exe")));
  const char *const want[] = {"Can't open device -- type: , port: COM3:.   (Error -- function failed)",
                              "Can't open device -- index: 1.   (Invalid device ID)"};
  for (const char *text : want) {
    HWND box = WaitBox();
    ASSERT_NE(box, nullptr) << text;
    EXPECT_EQ(GyxMessageBoxText(box), text);
    EXPECT_EQ(GetWindow(box, GW_OWNER), MainDialogAnyState());
    ASSERT_TRUE(GyxPressButton(box, IDOK));
  }
  dlg = GyxUiWaitDialog(kTitle, 10000, app.Pid(), IDC_LIST);
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(GyxUiItemText(dlg, IDC_DRV_VERSION), "Gyrantrix Driver version 8.0  (Build 15)");
  EXPECT_TRUE(NoBoxFor(300));
  // Neither device is in Dev Info, and asking about them shows no box.
  ASSERT_TRUE(GyxUiClickAsync(dlg, IDC_DEVINFO));
  HWND info = GyxUiWaitDialog(kInfoTitle, 10000, app.Pid(), IDC_INFO_LIST);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(GyxUiListCount(info, IDC_INFO_LIST), 0);
  EXPECT_EQ(GyxUiItemText(info, IDC_INFO_NAME), "");
  EXPECT_TRUE(NoBoxFor(300));
  ASSERT_TRUE(GyxUiClick(info, IDC_INFO_CLOSE));
  ASSERT_TRUE(GyxUiClick(dlg, IDC_EXIT));
  ASSERT_TRUE(app.Wait(10000));
}

// ------------------------------------------------------------------ events

TEST_F(Evtview, ButtonAndMotionLinesInMultipleAndSingle) {
  ASSERT_NO_FATAL_FAILURE(StartDriver());
  ASSERT_NO_FATAL_FAILURE(Launch());
  EXPECT_EQ(GyxUiItemText(dlg, IDC_DRV_VERSION), "Gyrantrix Driver version 8.0  (Build 15)");
  EXPECT_EQ(GyxUiItemText(dlg, IDC_DRV_DATE), "January 31, 1997");
  EXPECT_EQ(GyxUiCheckState(dlg, IDC_MULTIPLE), BST_CHECKED) << "Multiple at start";
  EXPECT_EQ(GyxUiCheckState(dlg, IDC_SINGLE), BST_UNCHECKED);
  Sim("waitcmd BcCc\\r timeout=5000");  // the open's beep

  Sim("press 1");
  EXPECT_TRUE(ListEndsWith(ButtonLine(0x0, 0x2), 1));
  Sim("release all");
  EXPECT_TRUE(ListEndsWith(ButtonLine(0x2, 0x0), 2));
  // The first motion after rest covers its own period: the values as sent.
  Sim("move 10 -20 30 -40 50 -60 every=50");
  EXPECT_TRUE(ListEndsWith(MotionLine(10, -20, 30, -40, 50, -60, 50), 3));
  Sim("zero");
  ASSERT_TRUE(GyxWaitFor([&] { return GyxUiListCount(dlg, IDC_LIST) == 4; }, kLineMs));
  EXPECT_EQ(
      Lines().back().rfind(" 0) Motion Event -> tx = 0, ty = 0, tz = 0, rx = 0, ry = 0, rz = 0, per = ", 0),
      0u)
      << Lines().back();
  EXPECT_EQ(GyxUiListSelection(dlg, IDC_LIST), 3) << "the newest line is selected";

  // Single: tx = -5 and rz = 5 tie, and the earlier axis wins.
  ASSERT_TRUE(GyxUiClick(dlg, IDC_SINGLE));
  EXPECT_EQ(GyxUiCheckState(dlg, IDC_SINGLE), BST_CHECKED);
  Sim("move -5 0 0 0 0 5 every=50");
  EXPECT_TRUE(ListEndsWith(" 0) Motion Event -> dominant direction tx = -5, per = 50", 5));
  Sim("zero");
  ASSERT_TRUE(GyxWaitFor([&] { return GyxUiListCount(dlg, IDC_LIST) == 6; }, kLineMs));
  Sim("move 1 -2 3 -40 5 -6 every=50");
  EXPECT_TRUE(ListEndsWith(" 0) Motion Event -> dominant direction rx = -40, per = 50", 7));
  Sim("zero");
  ASSERT_TRUE(GyxWaitFor([&] { return GyxUiListCount(dlg, IDC_LIST) == 8; }, kLineMs));
  // Buttons look the same in both views; back to Multiple for the next motion.
  Sim("press 2");
  EXPECT_TRUE(ListEndsWith(ButtonLine(0x0, 0x4), 9));
  ASSERT_TRUE(GyxUiClick(dlg, IDC_MULTIPLE));
  Sim("release all");
  // Motion is weighted to the time it covers, per 50 ms: 20 ms of 7 is 2.
  Sim("move 0 7 0 0 0 0 every=20");
  EXPECT_TRUE(ListEndsWith(MotionLine(0, 2, 0, 0, 0, 0, 20), 11));
  Sim("zero");
  ASSERT_NO_FATAL_FAILURE(Screenshot("evtview-layout-a.png"));
}

TEST_F(Evtview, SixtyMotionEventsLeaveTheNewestFiftyOneSelected) {
  ASSERT_NO_FATAL_FAILURE(StartDriver());
  ASSERT_NO_FATAL_FAILURE(Launch());
  // Each move ends with a zero, so no two moves fold into one event: 60
  // events. Each pair is seen before the next goes: a program held up (a
  // loaded machine) would otherwise let the driver's ring fill, and a full
  // ring drops motion by design.
  const std::string zeroLine = " 0) Motion Event -> tx = 0, ty = 0, tz = 0, rx = 0, ry = 0, rz = 0, per = ";
  std::vector<std::string> lines;
  for (int i = 1; i <= 30; i++) {
    char line[64];
    snprintf(line, sizeof line, "move %d 0 0 0 0 0 every=50", i);
    ASSERT_NO_FATAL_FAILURE(Sim(line));
    ASSERT_NO_FATAL_FAILURE(Sim("zero"));
    ASSERT_TRUE(GyxWaitFor(
        [&] {
          lines = Lines();
          const size_t n = lines.size();
          return n >= 2 && lines[n - 2] == MotionLine(i, 0, 0, 0, 0, 0, 50) &&
                 lines[n - 1].rfind(zeroLine, 0) == 0;
        },
        kLineMs, 20))
        << "pair " << i << "; the list holds " << lines.size();
  }
  ASSERT_EQ(lines.size(), 51u);
  // Events 10..60 are kept: the zero after move 5, then move 6.
  std::string all, log;
  for (const std::string &l : lines) all += l + "\n";
  GyxReadLog(homeWin, &log);
  EXPECT_EQ(lines[0].rfind(" 0) Motion Event -> tx = 0,", 0), 0u) << all << "log:\n" << log;
  EXPECT_EQ(lines[1], MotionLine(6, 0, 0, 0, 0, 0, 50));
  EXPECT_EQ(GyxUiListSelection(dlg, IDC_LIST), 50);
  EXPECT_GT(GyxUiListTopIndex(dlg, IDC_LIST), 0) << "scrolled to the newest line";

  ASSERT_TRUE(GyxUiClick(dlg, IDC_CLEAR));
  EXPECT_EQ(GyxUiListCount(dlg, IDC_LIST), 0);
  Sim("press 3");
  EXPECT_TRUE(ListEndsWith(ButtonLine(0x0, 0x8), 1)) << "lines come again after Clear";
}

TEST_F(Evtview, PauseDropsEventsUntilResume) {
  ASSERT_NO_FATAL_FAILURE(StartDriver());
  ASSERT_NO_FATAL_FAILURE(Launch());
  EXPECT_TRUE(GyxUiItemVisible(dlg, IDC_PAUSE));
  EXPECT_FALSE(GyxUiItemVisible(dlg, IDC_RESUME));
  Sim("press 1");
  ASSERT_TRUE(ListEndsWith(ButtonLine(0x0, 0x2), 1));

  ASSERT_TRUE(GyxUiClick(dlg, IDC_PAUSE));
  EXPECT_FALSE(GyxUiItemVisible(dlg, IDC_PAUSE));
  EXPECT_TRUE(GyxUiItemVisible(dlg, IDC_RESUME));
  EXPECT_EQ(GyxUiFocusId(dlg), IDC_RESUME);
  Sim("release all");
  Sim("move 100 0 0 0 0 0 every=20 count=5");
  Sim("zero");
  Sleep(1000);  // delivered and taken meanwhile
  EXPECT_EQ(GyxUiListCount(dlg, IDC_LIST), 1) << "nothing shown while paused";

  ASSERT_TRUE(GyxUiClick(dlg, IDC_RESUME));
  EXPECT_TRUE(GyxUiItemVisible(dlg, IDC_PAUSE));
  EXPECT_FALSE(GyxUiItemVisible(dlg, IDC_RESUME));
  EXPECT_EQ(GyxUiFocusId(dlg), IDC_PAUSE);
  Sim("press 2");
  // The events of the pause were consumed: the release shows as last = 0.
  EXPECT_TRUE(ListEndsWith(ButtonLine(0x0, 0x4), 2));
}

// ------------------------------------------------------------------ dialogs

TEST_F(Evtview, DevInfoListsEveryDeviceAndShowsTheSelectedOne) {
  ASSERT_NO_FATAL_FAILURE(StartDriver({{1, "Quorvanel 2200"}, {2, "Quorvanel 3200"}}));
  ASSERT_NO_FATAL_FAILURE(Launch());
  ASSERT_TRUE(GyxUiClickAsync(dlg, IDC_DEVINFO));
  HWND info = GyxUiWaitDialog(kInfoTitle, 10000, app.Pid(), IDC_INFO_LIST);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(GetWindow(info, GW_OWNER), dlg);
  EXPECT_EQ(GyxUiListLines(info, IDC_INFO_LIST),
            (std::vector<std::string>{"Device 0 on port COM1:", "Device 1 on port COM2:"}));
  EXPECT_EQ(GyxUiListSelection(info, IDC_INFO_LIST), 0);
  const struct {
    const char *type, *name, *buttons, *degrees, *beep, *firmware;
  } want[] = {{"1", "Quorvanel 2200", "9", "6", "Yes", kFirmware2200},
              {"2", "Quorvanel 3200", "2", "6", "Yes", kFirmware3200}};
  for (int i = 0; i < 2; i++) {
    SCOPED_TRACE(i);
    if (i) {
      ASSERT_TRUE(GyxUiListClick(info, IDC_INFO_LIST, i));
    }
    EXPECT_TRUE(GyxWaitFor([&] { return GyxUiItemText(info, IDC_INFO_NAME) == want[i].name; }, 3000));
    EXPECT_EQ(GyxUiItemText(info, IDC_INFO_TYPE), want[i].type);
    EXPECT_EQ(GyxUiItemText(info, IDC_INFO_BUTTONS), want[i].buttons);
    EXPECT_EQ(GyxUiItemText(info, IDC_INFO_DEGREES), want[i].degrees);
    EXPECT_EQ(GyxUiItemText(info, IDC_INFO_BEEP), want[i].beep);
    EXPECT_EQ(GyxUiItemText(info, IDC_INFO_FIRMWARE), want[i].firmware);
  }
  ASSERT_NO_FATAL_FAILURE(Screenshot("evtview-devinfo.png", info));
  // Events still reach the main dialog while this one is open.
  Sim("press right", 2);
  EXPECT_TRUE(
      ListEndsWith(" 1) Button Event -> lst = 00000000, cur = 80000000, prs = 80000000, rel = 00000000"))
      << "the 3200's right button";
  ASSERT_TRUE(GyxUiClick(info, IDC_INFO_CLOSE));
  EXPECT_TRUE(GyxWaitFor([&] { return !IsWindow(info); }, 3000));
  Sim("press 1", 1);
  EXPECT_TRUE(ListEndsWith(ButtonLine(0x0, 0x2)));
}

TEST_F(Evtview, AboutComesFromTheSystemMenu) {
  ASSERT_NO_FATAL_FAILURE(StartDriver());
  ASSERT_NO_FATAL_FAILURE(Launch());
  ASSERT_TRUE(GyxUiSysCommand(dlg, IDM_ABOUTBOX));
  HWND about = GyxUiWaitDialog(kAboutTitle, 10000, app.Pid(), IDOK);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(GetWindow(about, GW_OWNER), dlg);
  ASSERT_TRUE(GyxUiClick(about, IDOK));
  ASSERT_TRUE(GyxWaitFor([&] { return !IsWindow(about); }, 3000));
  // As a user finds it: Alt+Space, then the last item of the menu (under
  // Wine its letter "A" belongs to Wine's own item as well).
  ASSERT_TRUE(GyxUiSysMenuLast(dlg));
  about = GyxUiWaitDialog(kAboutTitle, 10000, app.Pid(), IDOK);
  ASSERT_NE(about, nullptr);
  ASSERT_TRUE(GyxUiClick(about, IDOK));
}

TEST_F(Evtview, ExitClosesEveryHandle) {
  ASSERT_NO_FATAL_FAILURE(StartDriver({{1, "Quorvanel 2200"}, {2, "Quorvanel 3200"}}));
  ASSERT_NO_FATAL_FAILURE(Launch());
  Sim("waitcmd BcCc\\r timeout=5000", 1);
  Sim("waitcmd BcCc\\r timeout=5000", 2);
  ASSERT_TRUE(GyxUiClick(dlg, IDC_EXIT));
  unsigned long code = ~0ul;
  ASSERT_TRUE(app.Wait(10000, &code));
  EXPECT_EQ(code, 0u);
  Sim("waitcmd Bf\\r timeout=5000", 1);  // a close beeps "f"
  Sim("waitcmd Bf\\r timeout=5000", 2);
}

TEST_F(Evtview, DriverLeavingIsReportedInABoxOwnedByTheDialog) {
  ASSERT_NO_FATAL_FAILURE(StartDriver());
  ASSERT_NO_FATAL_FAILURE(Launch());
  ASSERT_EQ(RunDriverCommand("-shutdown -force -quiet"), 0u);
  HWND box = WaitBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(GyxMessageBoxText(box),
            "Error getting event.  (Gyrantrix driver is not running or has been restarted)");
  EXPECT_EQ(GetWindow(box, GW_OWNER), dlg);
  ASSERT_TRUE(GyxPressButton(box, IDOK));
  EXPECT_TRUE(NoBoxFor(500)) << "one box";
  ASSERT_TRUE(GyxUiClick(dlg, IDC_EXIT));
  ASSERT_TRUE(app.Wait(10000));
}

// ------------------------------------------------------------------ layouts

TEST_F(Evtview, LayoutBSendsTheModeWordTheDriverApplies) {
  // Button 1 is the menu button here. While the word the program sent has
  // the dialog-popup bit (0x20), the driver takes the button for its own
  // settings and the program never sees it; without the bit it is a plain
  // button. (The word's other bits gate settings that only the driver's own
  // window changes; the words themselves are checked natively.)
  ASSERT_EQ(GyxSimStart(&sims[1], 1, "2200", nullptr), GYXSIM_OK);
  ASSERT_TRUE(GyxWriteIni(IniText({{1, "Quorvanel 2200"}}) + "menuButton=1\r\n"));
  ASSERT_TRUE(driver.Start(GyxBinPath("gyxsrv.exe")));
  Sim("waitinit timeout=20000");
  ASSERT_TRUE(WaitServing());
  ASSERT_NO_FATAL_FAILURE(Launch("Halvorin"));
  for (int id = IDC_ALL_CONTROLS; id <= IDC_DIALOG_POPUP; id++) {
    EXPECT_TRUE(GyxUiItemVisible(dlg, id)) << id;
    EXPECT_TRUE(GyxUiItemEnabled(dlg, id)) << id;
  }

  // Presses and releases button 1, then button 2; 1 when button 1's lines
  // came, 0 when only button 2's did, -1 when the lines are not either. The
  // driver's settings window may come or go with button 1 and take the
  // front: the program is brought back before button 2.
  auto menuButtonReaches = [&]() -> int {
    const int before = GyxUiListCount(dlg, IDC_LIST);
    if (!GyxUiForeground(dlg)) return -1;
    for (const char *line : {"press 1", "release all"})
      if (GyxSimAsk(&sims[1], line).rfind("ok", 0) != 0) return -1;
    Sleep(300);
    if (!GyxUiForeground(dlg)) return -1;
    for (const char *line : {"press 2", "release all"})
      if (GyxSimAsk(&sims[1], line).rfind("ok", 0) != 0) return -1;
    std::vector<std::string> lines;
    if (!GyxWaitFor(
            [&] {
              lines = Lines();
              return !lines.empty() && lines.back() == ButtonLine(0x4, 0x0);
            },
            kLineMs, 20))
      return -1;
    const int added = static_cast<int>(lines.size()) - before;
    const std::vector<std::string> own = {ButtonLine(0x0, 0x2), ButtonLine(0x2, 0x0)};
    if (added == 4 && std::vector<std::string>(lines.end() - 4, lines.end() - 2) == own) return 1;
    return added == 2 ? 0 : -1;
  };

  const struct {
    int click;  // 0: none, the start
    const char *boxes;
    int reaches;  // the menu button reaches the program
  } steps[] = {
      {0, "1011111", 0},                 // -1: everything is the driver's
      {IDC_FILTERS, "0001111", 0},       // 0xFFFFFFFE: neither All nor No controls
      {IDC_NO_CONTROLS, "0100000", 1},   // 0
      {IDC_FILTERS, "0010000", 1},       // 0x01
      {IDC_FUNCTIONS, "0011000", 1},     // 0x03
      {IDC_RESETS, "0011100", 1},        // 0x07
      {IDC_SENSITIVITY, "0011110", 1},   // 0x0F
      {IDC_DIALOG_POPUP, "0011111", 0},  // 0x2F: All controls stays unchecked
      {IDC_ALL_CONTROLS, "1011111", 0},  // -1 again
  };
  for (const auto &step : steps) {
    SCOPED_TRACE(step.boxes);
    if (step.click) ASSERT_TRUE(GyxUiClick(dlg, step.click));
    EXPECT_EQ(ModeBoxes(), step.boxes);
    if (step.click == IDC_FILTERS || step.click == IDC_NO_CONTROLS || step.click == IDC_SENSITIVITY ||
        step.click == IDC_DIALOG_POPUP || step.click == 0)
      EXPECT_EQ(menuButtonReaches(), step.reaches);
  }
  // Four presses taken by the driver leave its settings side as it was.
  EXPECT_EQ(menuButtonReaches(), 0);

  // Events are listed in this layout as in the other.
  ASSERT_TRUE(GyxUiForeground(dlg));
  ASSERT_TRUE(GyxUiClick(dlg, IDC_CLEAR));
  ASSERT_TRUE(GyxUiClick(dlg, IDC_SINGLE));
  Sim("press 4");
  EXPECT_TRUE(ListEndsWith(ButtonLine(0x0, 0x10), 1));
  Sim("release all");
  Sim("move 0 0 -120 0 15 0 every=50");
  EXPECT_TRUE(ListEndsWith(" 0) Motion Event -> dominant direction tz = -120, per = 50", 3));
  Sim("zero");
  ASSERT_TRUE(GyxWaitFor([&] { return GyxUiListCount(dlg, IDC_LIST) == 4; }, kLineMs));
  ASSERT_NO_FATAL_FAILURE(Screenshot("evtview-layout-b.png"));
}

TEST_F(Evtview, OnlyTheExactArgumentChoosesLayoutB) {
  ASSERT_NO_FATAL_FAILURE(StartDriver());
  const struct {
    const char *args;
    bool layoutB;
  } cases[] = {{"halvorin", false}, {"-x Halvorin", true}, {"Halvorin2", false}};
  int listTop[2] = {-1, -1};  // the list's distance from the window's top, by layout
  for (const auto &c : cases) {
    SCOPED_TRACE(c.args);
    ASSERT_NO_FATAL_FAILURE(Launch(c.args));
    for (int id = IDC_ALL_CONTROLS; id <= IDC_DIALOG_POPUP; id++) {
      EXPECT_EQ(GyxUiItemVisible(dlg, id), c.layoutB) << id;
      EXPECT_EQ(GyxUiItemEnabled(dlg, id), c.layoutB) << id;
    }
    const RECT r = GyxUiRect(dlg);
    const RECT list = GyxUiRect(GetDlgItem(dlg, IDC_LIST));
    listTop[c.layoutB] = list.top - r.top;
    ASSERT_TRUE(GyxUiClick(dlg, IDC_EXIT));
    ASSERT_TRUE(app.Wait(10000));
  }
  EXPECT_GT(listTop[1], listTop[0]) << "the list sits 10 units lower in layout B";
}

}  // namespace
