// evtview_logic_test.cpp: the event test utility's portable logic: the
// argument check of its texts, the event lines, the list's length, the
// user-interface mode word, the layout choice and the device details.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "evtview/evtargs.h"
#include "evtview/evtinfo.h"
#include "evtview/evtline.h"
#include "evtview/evtmode.h"
#include "evtview/evtstate.h"
#include "evtview/evtstr.h"

namespace {

GiEvent Event(int type) {
  GiEvent ev;
  std::memset(&ev, 0, sizeof ev);
  ev.type = type;
  return ev;
}

GiEvent Motion(int type, int tx, int ty, int tz, int rx, int ry, int rz, int period) {
  GiEvent ev = Event(type);
  ev.tx = tx;
  ev.ty = ty;
  ev.tz = tz;
  ev.rx = rx;
  ev.ry = ry;
  ev.rz = rz;
  ev.period = period;
  return ev;
}

std::vector<std::string> Lines(const GiEvent &ev, int device, int axis, const EvStrings *s = nullptr) {
  EvStrings builtIn;
  EvStringsInit(&builtIn);
  char lines[2][EV_LINE_SIZE];
  const int n = EvEventLines(s ? s : &builtIn, &ev, device, axis, lines);
  return std::vector<std::string>(lines, lines + n);
}

// ------------------------------------------------------------------ texts

TEST(EvtviewTexts, SignatureNamesTheArgumentsAFormatTakes) {
  const struct {
    const char *format;
    const char *sig;  // null: refused
  } cases[] = {
      {"No Gyrantrix driver running.", ""},
      {" %d) Button Event -> lst = %08lx, cur = %08lx", "d lu lu"},
      {" %d) Motion Event -> dominant direction %s = %ld, per = %d", "d s ld d"},
      {"%s  (Build %d)", "s d"},
      {"%i %X %o %u %c", "d u u u c"},
      {"100%% of %-+ #05.3ld", "ld"},
      {"%lld %hd %hhu", "lld hd hhu"},
      {"%*d", nullptr},
      {"%.*s", nullptr},
      {"%n", nullptr},
      {"%p", nullptr},
      {"%f", nullptr},
      {"%ls", nullptr},
      {"%zu", nullptr},
      {"cut short %", nullptr},
      {"cut short %l", nullptr},
  };
  for (const auto &c : cases) {
    char sig[64];
    const int rc = EvFormatSignature(c.format, sig, sizeof sig);
    if (c.sig) {
      EXPECT_EQ(rc, 0) << c.format;
      EXPECT_STREQ(sig, c.sig) << c.format;
    } else {
      EXPECT_EQ(rc, -1) << c.format;
    }
  }
  char tiny[4];
  EXPECT_EQ(EvFormatSignature("%d %d", tiny, sizeof tiny), 0);
  EXPECT_STREQ(tiny, "d d");
  EXPECT_EQ(EvFormatSignature("%d %d %d", tiny, sizeof tiny), -1) << "a signature that does not fit";
}

TEST(EvtviewTexts, TableTextIsTakenOnlyWithTheSameArguments) {
  EvStrings s;
  EvStringsInit(&s);
  EXPECT_STREQ(EvString(&s, IDS_TITLE), "Gyrantrix Test Utility");
  EXPECT_STREQ(EvString(&s, IDS_DRIVER_VERSION), "%s  (Build %d)");
  EXPECT_STREQ(EvString(&s, 100), "");
  EXPECT_STREQ(EvString(&s, 129), "");

  const std::string tooLong(EV_TEXT_SIZE, 'x');
  const struct {
    int id;
    const char *text;
    bool taken;
  } offers[] = {
      {IDS_DRIVER_VERSION, "%s, build %d", true},
      {IDS_DRIVER_VERSION, "build %d of %s", false},  // the same conversions, the wrong order
      {IDS_DRIVER_VERSION, "%s", false},
      {IDS_DRIVER_VERSION, "%s %d %s", false},
      {IDS_DRIVER_VERSION, "%s %n%d", false},
      {IDS_NO_INIT, "Gyrantrix could not start.", true},
      {IDS_NO_INIT, "Gyrantrix could not start: %s", false},
      {IDS_GET_EVENT, tooLong.c_str(), false},
      {100, "x", false},
      {129, "x", false},
      {IDS_TITLE, nullptr, false},
  };
  for (const auto &o : offers) {
    const std::string before = EvString(&s, o.id);
    EXPECT_EQ(EvStringsOffer(&s, o.id, o.text), o.taken ? 0 : -1)
        << o.id << " " << (o.text ? o.text : "null");
    if (o.taken)
      EXPECT_STREQ(EvString(&s, o.id), o.text);
    else
      EXPECT_EQ(EvString(&s, o.id), before) << "a refused text leaves the one in use";
  }
  char out[64];
  EvFormat(&s, IDS_DRIVER_VERSION, out, sizeof out, "Driver 8.0", 15);
  EXPECT_STREQ(out, "Driver 8.0, build 15");
}

TEST(EvtviewTexts, FormatAndFieldsNeverOverrun) {
  EvStrings s;
  EvStringsInit(&s);
  char out[12];
  EXPECT_EQ(EvFormat(&s, IDS_DRIVER_VERSION, out, sizeof out, "Gyrantrix Driver version 8.0", 15), 11);
  EXPECT_STREQ(out, "Gyrantrix D");

  char field[8] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'};  // no NUL
  char copy[16];
  EvCopyField(copy, sizeof copy, field, sizeof field);
  EXPECT_STREQ(copy, "ABCDEFGH");
  char small[4];
  EvCopyField(small, sizeof small, field, sizeof field);
  EXPECT_STREQ(small, "ABC");
  EvCopyField(copy, sizeof copy, "AB\0CD", 5);
  EXPECT_STREQ(copy, "AB");
}

// ------------------------------------------------------------------ lines

TEST(EvtviewLines, EachEventTypeInBothViews) {
  GiEvent button = Event(GI_BUTTON_EVENT);
  button.last = 0x2;
  button.current = 0x6;
  button.pressed = 0x4;
  button.released = 0;
  GiEvent combo = Motion(GI_COMBO_EVENT, 1, -200, 3, 4, 5, 6, 25);
  combo.last = 0x80000000u;
  combo.current = 0;
  combo.released = 0x80000000u;
  const GiEvent motion = Motion(GI_MOTION_EVENT, 10, -20, 30, -40, 50, -60, 50);
  const GiEvent zero = Motion(GI_ZERO_EVENT, 0, 0, 0, 0, 0, 0, 50);

  const struct {
    const char *what;
    GiEvent ev;
    int device;
    int axis;
    std::vector<std::string> want;
  } cases[] = {
      {"button",
       button,
       0,
       EV_AXIS_MULTIPLE,
       {" 0) Button Event -> lst = 00000002, cur = 00000006, prs = 00000004, rel = 00000000"}},
      {"button, Single",
       button,
       3,
       EV_AXIS_SINGLE,
       {" 3) Button Event -> lst = 00000002, cur = 00000006, prs = 00000004, rel = 00000000"}},
      {"motion",
       motion,
       1,
       EV_AXIS_MULTIPLE,
       {" 1) Motion Event -> tx = 10, ty = -20, tz = 30, rx = -40, ry = 50, rz = -60, per = 50"}},
      {"motion, Single",
       motion,
       1,
       EV_AXIS_SINGLE,
       {" 1) Motion Event -> dominant direction rz = -60, per = 50"}},
      {"zero",
       zero,
       0,
       EV_AXIS_MULTIPLE,
       {" 0) Motion Event -> tx = 0, ty = 0, tz = 0, rx = 0, ry = 0, rz = 0, per = 50"}},
      {"zero, Single", zero, 0, EV_AXIS_SINGLE, {" 0) Motion Event -> dominant direction tx = 0, per = 50"}},
      {"combo: the button line first",
       combo,
       2,
       EV_AXIS_MULTIPLE,
       {" 2) Combo Event -> lst = 80000000, cur = 00000000, prs = 00000000, rel = 80000000",
        " 2) Combo Event -> tx = 1, ty = -200, tz = 3, rx = 4, ry = 5, rz = 6, per = 25"}},
      {"combo, Single",
       combo,
       2,
       EV_AXIS_SINGLE,
       {" 2) Combo Event -> lst = 80000000, cur = 00000000, prs = 00000000, rel = 80000000",
        " 2) Combo Event -> dominant direction ty = -200, per = 25"}},
      {"unknown type 0", Event(0), 0, EV_AXIS_MULTIPLE, {" 0) Unknown Data"}},
      {"unknown type 6", Event(6), 1, EV_AXIS_SINGLE, {" 1) Unknown Data"}},
      {"unknown type -1", Event(-1), 0, EV_AXIS_MULTIPLE, {" 0) Unknown Data"}},
  };
  for (const auto &c : cases) EXPECT_EQ(Lines(c.ev, c.device, c.axis), c.want) << c.what;
}

TEST(EvtviewLines, DominantAxisKeepsTheEarlierOnTies) {
  const struct {
    int v[6];
    int axis;
  } cases[] = {
      {{-5, 0, 0, 0, 0, 5}, 0},             // tx and rz tie: the earlier axis wins
      {{0, 0, 0, 0, 0, 0}, 0},              // at rest: tx
      {{1, -2, 2, 0, 0, 0}, 1},             // ty before tz
      {{0, 0, 0, 7, -8, 8}, 4},             // ry before rz
      {{3, 0, 0, 0, 0, -4}, 5},             // strictly larger wins
      {{INT_MAX, 0, 0, 0, 0, INT_MIN}, 5},  // |INT_MIN| is larger, without overflow
      {{INT_MIN, INT_MIN, 0, 0, 0, 0}, 0},
  };
  for (const auto &c : cases) {
    const GiEvent ev = Motion(GI_MOTION_EVENT, c.v[0], c.v[1], c.v[2], c.v[3], c.v[4], c.v[5], 50);
    EXPECT_EQ(EvDominantAxis(&ev), c.axis) << c.v[0] << " " << c.v[5];
  }
  const GiEvent tie = Motion(GI_MOTION_EVENT, -5, 0, 0, 0, 0, 5, 50);
  EXPECT_EQ(Lines(tie, 0, EV_AXIS_SINGLE),
            std::vector<std::string>{" 0) Motion Event -> dominant direction tx = -5, per = 50"});
  const GiEvent extreme = Motion(GI_MOTION_EVENT, 0, 0, 0, 0, 0, INT_MIN, 84);
  EXPECT_EQ(Lines(extreme, 0, EV_AXIS_SINGLE),
            std::vector<std::string>{" 0) Motion Event -> dominant direction rz = -2147483648, per = 84"});
}

TEST(EvtviewLines, ExceptionTextIsCutWhereTheRecordEnds) {
  GiEvent ev = Event(GI_EXCEPTION_EVENT);
  std::strcpy(GI_EVENT_TEXT(&ev), "Device message: overheated");
  EXPECT_EQ(Lines(ev, 1, EV_AXIS_MULTIPLE),
            std::vector<std::string>{" 1) Exception Event -> Device message: overheated"});
  // A driver that fills all 128 bytes without a NUL: the line ends at 127.
  std::memset(GI_EVENT_TEXT(&ev), 'x', GI_EVENT_TEXT_SIZE);
  const std::vector<std::string> lines = Lines(ev, 0, EV_AXIS_MULTIPLE);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], " 0) Exception Event -> " + std::string(GI_EVENT_TEXT_SIZE - 1, 'x'));
}

TEST(EvtviewLines, RewordedTableTextsAreUsed) {
  EvStrings s;
  EvStringsInit(&s);
  ASSERT_EQ(EvStringsOffer(&s, IDS_MOTION_SINGLE, "[%d] %s=%ld (%d ms)"), 0);
  ASSERT_EQ(EvStringsOffer(&s, 116, "RX"), 0);
  const GiEvent ev = Motion(GI_MOTION_EVENT, 0, 0, 0, -9, 0, 0, 20);
  EXPECT_EQ(Lines(ev, 2, EV_AXIS_SINGLE, &s), std::vector<std::string>{"[2] RX=-9 (20 ms)"});
}

TEST(EvtviewList, SixtyLinesLeaveTheNewestFiftyOne) {
  std::vector<int> list;  // what a list box following the rule would hold
  for (int i = 1; i <= 60; i++) {
    if (EvListMustDropFirst(static_cast<int>(list.size()))) list.erase(list.begin());
    list.push_back(i);
  }
  ASSERT_EQ(list.size(), static_cast<size_t>(EV_LIST_KEEP));
  EXPECT_EQ(list.front(), 10);
  EXPECT_EQ(list.back(), 60);
  EXPECT_FALSE(EvListMustDropFirst(50)) << "the 51st line is added without a loss";
  EXPECT_TRUE(EvListMustDropFirst(51));
  EXPECT_FALSE(EvListMustDropFirst(0));
}

// ------------------------------------------------------------------ mode word

std::string Boxes(int32_t mode) {
  std::string s;
  for (int i = 0; i < EV_MODE_BOX_COUNT; i++) s += EvModeBoxChecked(mode, kEvModeBoxes[i]) ? '1' : '0';
  return s;  // All, No, Filters, Functions, Resets, Sensitivity, Dialog Popup
}

TEST(EvtviewMode, FiltersAfterAllControlsClearsBitZeroOnly) {
  int32_t mode = EvModeAfterClick(0x12, IDC_ALL_CONTROLS, 0);
  EXPECT_EQ(mode, -1);
  EXPECT_EQ(Boxes(mode), "1011111");
  mode = EvModeAfterClick(mode, IDC_FILTERS, 0);
  EXPECT_EQ(static_cast<uint32_t>(mode), 0xFFFFFFFEu);
  EXPECT_EQ(Boxes(mode), "0001111") << "neither All nor No controls";
  mode = EvModeAfterClick(mode, IDC_FILTERS, 1);
  EXPECT_EQ(mode, -1);
  EXPECT_EQ(Boxes(mode), "1011111");
}

TEST(EvtviewMode, TheFiveBoxesOneByOneAfterNoControlsGive0x2F) {
  int32_t mode = EvModeAfterClick(-1, IDC_NO_CONTROLS, 1);
  EXPECT_EQ(mode, 0);
  EXPECT_EQ(Boxes(mode), "0100000");
  const struct {
    int id;
    int32_t word;
  } steps[] = {{IDC_FILTERS, 0x01},
               {IDC_FUNCTIONS, 0x03},
               {IDC_RESETS, 0x07},
               {IDC_SENSITIVITY, 0x0F},
               {IDC_DIALOG_POPUP, 0x2F}};
  for (const auto &step : steps) {
    mode = EvModeAfterClick(mode, step.id, 1);
    EXPECT_EQ(mode, step.word);
    EXPECT_EQ(Boxes(mode)[0], '0') << "All controls stays unchecked";
    EXPECT_EQ(Boxes(mode)[1], '0');
  }
  EXPECT_EQ(Boxes(mode), "0011111");
  // And back down, one by one: the last one off checks "No controls".
  for (const auto &step : steps) mode = EvModeAfterClick(mode, step.id, 0);
  EXPECT_EQ(mode, 0);
  EXPECT_EQ(Boxes(mode), "0100000");
}

TEST(EvtviewMode, EachBoxOwnsItsBitAndNothingElse) {
  const struct {
    int id;
    uint32_t bit;
  } boxes[] = {{IDC_FILTERS, GI_UI_FILTERS},
               {IDC_FUNCTIONS, GI_UI_FUNCTIONS},
               {IDC_RESETS, GI_UI_RESETS},
               {IDC_SENSITIVITY, GI_UI_SENSITIVITY},
               {IDC_DIALOG_POPUP, GI_UI_DIALOG_POPUP}};
  for (const auto &b : boxes) {
    EXPECT_EQ(static_cast<uint32_t>(EvModeAfterClick(0, b.id, 1)), b.bit) << b.id;
    EXPECT_EQ(static_cast<uint32_t>(EvModeAfterClick(0x10, b.id, 0)), 0x10u) << "bit 4 is no box's";
    EXPECT_TRUE(EvModeBoxChecked(static_cast<int32_t>(b.bit), b.id));
    EXPECT_FALSE(EvModeBoxChecked(static_cast<int32_t>(~b.bit), b.id));
  }
  EXPECT_EQ(EvModeAfterClick(0x2A, IDC_LIST, 1), 0x2A) << "not a mode box";
}

// ------------------------------------------------------------------ layout, state

TEST(EvtviewArgs, OnlyTheExactFirstArgumentChoosesLayoutB) {
  const struct {
    std::vector<const char *> args;
    int layout;
  } cases[] = {
      {{}, EV_LAYOUT_A},
      {{"Halvorin"}, EV_LAYOUT_B},
      {{"halvorin"}, EV_LAYOUT_A},
      {{"HALVORIN"}, EV_LAYOUT_A},
      {{"Halvorin2"}, EV_LAYOUT_A},
      {{"-x", "Halvorin"}, EV_LAYOUT_B},
      {{"/quiet", "-y", "Halvorin"}, EV_LAYOUT_B},
      {{"other", "Halvorin"}, EV_LAYOUT_A},
      {{"Halvorin", "other"}, EV_LAYOUT_B},
      {{"-Halvorin"}, EV_LAYOUT_A},
  };
  for (const auto &c : cases) {
    std::vector<const char *> argv = {"evtview.exe"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    std::string shown;
    for (const char *a : c.args) shown += std::string(a) + " ";
    EXPECT_EQ(EvChooseLayout(static_cast<int>(argv.size()), argv.data()), c.layout) << shown;
  }
}

TEST(EvtviewState, SlotsFollowTheCountWithinTheLimit) {
  const struct {
    int32_t count, slots;
  } cases[] = {{-1, 0},
               {0, 0},
               {1, 1},
               {4, 4},
               {EV_MAX_DEVICES, EV_MAX_DEVICES},
               {EV_MAX_DEVICES + 1, EV_MAX_DEVICES},
               {INT32_MAX, EV_MAX_DEVICES},
               {INT32_MIN, 0}};
  for (const auto &c : cases) EXPECT_EQ(EvSlotCount(c.count), c.slots) << c.count;
  EvState st;
  EvStateInit(&st, EV_LAYOUT_B);
  EXPECT_EQ(st.axis, EV_AXIS_MULTIPLE);
  EXPECT_EQ(st.paused, 0);
  EXPECT_EQ(st.slots, 0);
  EXPECT_EQ(st.layout, EV_LAYOUT_B);
  EXPECT_STREQ(EvString(&st.strings, IDS_YES), "Yes");
}

// ------------------------------------------------------------------ device information

TEST(EvtviewInfo, EntryAndDetailsOfASlot) {
  EvStrings s;
  EvStringsInit(&s);
  EvSlotInfo slot;
  std::memset(&slot, 0, sizeof slot);
  slot.device.deviceType = 1;
  slot.device.numButtons = 9;
  slot.device.numDegrees = 6;
  slot.device.canBeep = 7;
  std::strcpy(slot.device.firmware, "HvFirmware version 2.14 Quorvanel 2200 SN 0042");
  slot.port.deviceId = 2;
  std::strcpy(slot.port.typeName, "Quorvanel 2200");
  std::strcpy(slot.port.portName, "COM3:");

  char entry[EV_LINE_SIZE];
  EvDeviceEntry(&s, 2, &slot.port, entry, sizeof entry);
  EXPECT_STREQ(entry, "Device 2 on port COM3:");
  EvDetails d;
  EvDeviceDetails(&s, &slot, &d);
  EXPECT_STREQ(d.type, "1");
  EXPECT_STREQ(d.name, "Quorvanel 2200");
  EXPECT_STREQ(d.buttons, "9");
  EXPECT_STREQ(d.degrees, "6");
  EXPECT_STREQ(d.beep, "Yes");
  EXPECT_STREQ(d.firmware, "HvFirmware version 2.14 Quorvanel 2200 SN 0042");

  slot.device.canBeep = 0;
  slot.device.numButtons = -1;
  EvDeviceDetails(&s, &slot, &d);
  EXPECT_STREQ(d.beep, "No");
  EXPECT_STREQ(d.buttons, "-1");

  // Texts the driver did not end are cut to 127 characters.
  std::memset(slot.device.firmware, 'f', sizeof slot.device.firmware);
  std::memset(slot.port.typeName, 't', sizeof slot.port.typeName);
  std::memset(slot.port.portName, 'p', sizeof slot.port.portName);
  EvDeviceDetails(&s, &slot, &d);
  EXPECT_EQ(std::string(d.firmware), std::string(127, 'f'));
  EXPECT_EQ(std::string(d.name), std::string(127, 't'));
  EvDeviceEntry(&s, 0, &slot.port, entry, sizeof entry);
  EXPECT_EQ(std::string(entry), "Device 0 on port " + std::string(127, 'p'));

  // A zeroed slot (its query failed) shows zeros and "No".
  std::memset(&slot, 0, sizeof slot);
  EvDeviceDetails(&s, &slot, &d);
  EXPECT_STREQ(d.type, "0");
  EXPECT_STREQ(d.name, "");
  EXPECT_STREQ(d.beep, "No");
}

}  // namespace
