// The driver's request service against a simulated 2200, through the real
// channel: the request codes' replies in the block, focus routing between
// real client processes and windows, the delivery policy at a real ring's
// edge, the motion filter's effects on the wire, and shutdown while
// applications hold the device. The service's logic case by case is tested
// natively (tests/native/driver_service_test.cpp, driver_routing_test.cpp).
#include <string.h>

#include <string>
#include <vector>

#include "drvfixture.h"
#include "harness/gyxchanproc.h"
#include "lib/channel.h"
#include "lib/reqcodes.h"

namespace {

class DriverService : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    if (HasFatalFailure()) return;
    StartDriver();
    if (HasFatalFailure()) return;
    ASSERT_EQ(AppMmapAttach(), 0);
    GyxSimAsk(&sims[1], "clear");
  }
  std::string Sim(const std::string &cmd) { return GyxSimAsk(&sims[1], cmd.c_str()); }
  bool SimOk(const std::string &cmd) {
    std::string r = Sim(cmd);
    return r.rfind("ok", 0) == 0;
  }
  // The commands the device received since the last clear, as the simulator
  // prints them.
  std::string SimLog() { return Sim("log"); }
};

// A second application in its own process (harness/gyxchanproc.h).
using Client = GyxChanClient;

TEST_F(DriverService, AnswersEveryQueryCode) {
  std::vector<uint8_t> r;
  ASSERT_EQ(RawCall(REQ_GET_NUM_DEVICES, RawRequest(), true, &r), 4);
  EXPECT_EQ(RawWord(r, 0), 1);

  ASSERT_EQ(RawCall(REQ_GET_DEVICE_PORT, RawRequest().Word(0), true, &r), 272);
  EXPECT_EQ(RawWord(r, 0), GI_NO_ERROR);
  GiPortInfo port;
  memcpy(&port, r.data() + 4, sizeof port);
  EXPECT_EQ(port.deviceId, 0);
  EXPECT_EQ(port.deviceType, 1);
  EXPECT_EQ(port.deviceClass, 63);
  EXPECT_STREQ(port.typeName, "Quorvanel 2200");
  EXPECT_STREQ(port.portName, "COM1:");
  ASSERT_EQ(RawCall(REQ_GET_DEVICE_PORT, RawRequest().Word(1), true, &r), 272);
  EXPECT_EQ(RawWord(r, 0), GI_BAD_ID);

  ASSERT_EQ(RawCall(REQ_GET_DRIVER_INFO, RawRequest(), true, &r), 272);
  GiDriverInfo drv;
  memcpy(&drv, r.data() + 4, sizeof drv);
  EXPECT_EQ(drv.major, 8);
  EXPECT_EQ(drv.minor, 0);
  EXPECT_EQ(drv.build, 15);
  EXPECT_STREQ(drv.version, "Gyrantrix Driver version 8.0");
  EXPECT_STREQ(drv.date, "January 31, 1997");

  for (int32_t code : {105, 106, 107}) {
    ASSERT_EQ(RawCall(code, RawRequest(), true, &r), 4) << code;
    EXPECT_EQ(RawWord(r, 0), GI_UNSUPPORTED) << code;
  }
  struct {
    int32_t id, status, mode;
  } modes[] = {{0, 0, 1}, {-1, 0, 1}, {7, GI_BAD_ID, 0}};
  for (auto &m : modes) {
    ASSERT_EQ(RawCall(REQ_GET_DATA_MODE, RawRequest().Word(m.id), true, &r), 8);
    EXPECT_EQ(RawWord(r, 0), m.status) << m.id;
    if (m.status == 0) {
      EXPECT_EQ(RawWord(r, 1), m.mode);
    }
  }
  ASSERT_EQ(RawCall(REQ_VERSION, RawRequest().Word(2).Word(0), true, &r), 4);
  EXPECT_EQ(RawWord(r, 0), -1);
}

TEST_F(DriverService, UnknownAndReplylessCodes) {
  for (int32_t code : {102, 117, 0, 999}) {
    EXPECT_EQ(RawCall(code, RawRequest(), true), TRANS_NOT_ATTACHED) << code;
    EXPECT_EQ(AppMmapLastStatus(), TRANS_UNKNOWN_CODE) << code;
    EXPECT_EQ(RawCall(code, RawRequest(), false), 0) << code;  // no effect
  }
  // A served code whose handler answers nothing, asked for a reply.
  EXPECT_EQ(RawCall(110, RawRequest(), true), TRANS_NOT_ATTACHED);
  EXPECT_EQ(AppMmapLastStatus(), TRANS_NO_REPLY_GIVEN);
  // Short data for a replying handler.
  EXPECT_EQ(RawCall(REQ_GET_DEVICE_PORT, RawRequest(), true), TRANS_NOT_ATTACHED);
  EXPECT_EQ(AppMmapLastStatus(), TRANS_LENGTH);
}

TEST_F(DriverService, HandleRequestsOnAnOpenAndAClosedHandle) {
  HWND w = RawMakeWindow("service-handles");
  // Requests for a handle that is not open.
  std::vector<uint8_t> r;
  ASSERT_EQ(RawCall(REQ_RESET_QUEUE, RawRequest().Word(12345), true, &r), 2);
  EXPECT_EQ(r[0] | r[1] << 8, 0);
  ASSERT_EQ(RawCall(REQ_GET_DEVICE_INFO, RawRequest().Word(12345), true, &r), 148);
  EXPECT_EQ(RawWord(r, 0), GI_BAD_HANDLE);
  ASSERT_EQ(RawCall(REQ_GRAB, RawRequest().Word(12345).Word(1), true, &r), 4);
  EXPECT_EQ(RawWord(r, 0), GI_BAD_HANDLE);
  ASSERT_EQ(RawCall(REQ_CONVERSE, RawRequest().Word(12345).Word(0).Word(10), true, &r), 12);
  EXPECT_EQ(RawWord(r, 0), GI_BAD_HANDLE);

  RawOpen o = RawOpenDevice(w);
  ASSERT_EQ(o.status, 0);
  EXPECT_NE(o.handle, 0);
  EXPECT_EQ(o.device, 0);
  EXPECT_EQ(o.slot, 0);
  EXPECT_EQ(o.message, RegisterWindowMessageA("GyrantrixMessage00"));
  EXPECT_EQ(Sim("waitcmd BcCc\\r timeout=5000"), "ok") << SimLog();

  ASSERT_EQ(RawCall(REQ_GET_DEVICE_INFO, RawRequest().Word(o.handle), true, &r), 148);
  EXPECT_EQ(RawWord(r, 0), 0);
  GiDeviceInfo info;
  memcpy(&info, r.data() + 4, sizeof info);
  EXPECT_EQ(info.deviceType, 1);
  EXPECT_EQ(info.numButtons, 9);
  EXPECT_EQ(info.numDegrees, 6);
  EXPECT_NE(info.canBeep, 0);
  EXPECT_NE(strstr(info.firmware, "2200"), nullptr) << info.firmware;

  ASSERT_EQ(RawCall(REQ_GET_UI_MODE, RawRequest().Word(o.handle), true, &r), 8);
  EXPECT_EQ(RawWord(r, 0), 0);
  EXPECT_EQ(RawWord(r, 1), -1);
  ASSERT_EQ(RawCall(REQ_SET_UI_MODE, RawRequest().Word(o.handle).Word(9), false), 0);
  ASSERT_EQ(RawCall(REQ_GET_UI_MODE, RawRequest().Word(o.handle), true, &r), 8);
  EXPECT_EQ(RawWord(r, 1), 9);

  struct {
    int32_t capacity, status;
  } conv[] = {{10, GI_UNSUPPORTED}, {505, GI_FAILED}};
  for (auto &c : conv) {
    ASSERT_EQ(
        RawCall(REQ_CONVERSE, RawRequest().Word(o.handle).Word(2).Bytes("hi", 2).Word(c.capacity), true, &r),
        12);
    EXPECT_EQ(RawWord(r, 0), c.status) << c.capacity;
    EXPECT_EQ(RawWord(r, 1), 0);
  }

  // A beep pattern that stops at the request's end, with no NUL in it.
  ASSERT_EQ(RawCall(REQ_BEEP, RawRequest().Word(o.handle).Bytes("cCcCcC", 6), false), 0);
  EXPECT_EQ(Sim("waitcmd BcCcCcC\\r timeout=5000"), "ok") << SimLog();
  // At most 14 characters of a longer one.
  ASSERT_EQ(RawCall(REQ_BEEP, RawRequest().Word(o.handle).Bytes("ccccccccccccccCCCCCC", 20), false), 0);
  EXPECT_EQ(Sim("waitcmd Bcccccccccccccc\\r timeout=5000"), "ok") << SimLog();

  ASSERT_EQ(RawCall(REQ_REZERO, RawRequest().Word(o.handle), false), 0);
  EXPECT_EQ(Sim("waitcmd Z\\r timeout=5000"), "ok");

  ASSERT_EQ(RawCall(REQ_RESET_QUEUE, RawRequest().Word(o.handle), true, &r), 2);
  EXPECT_EQ(r[0] | r[1] << 8, 1);  // the reset notice took sequence number 1
  auto notices = RawTakeNotices(w, o.message, 1, 3000);
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].kind, (unsigned)NOTICE_QUEUE_RESET);
  EXPECT_EQ(notices[0].seq, 1u);
  EXPECT_EQ(notices[0].slot, (unsigned)o.slot);

  Sim("clear");
  ASSERT_EQ(RawCall(REQ_CLOSE, RawRequest().Word(o.handle), false), 0);
  EXPECT_EQ(Sim("waitcmd Bf\\r timeout=5000"), "ok") << SimLog();
  ASSERT_EQ(RawCall(REQ_GET_UI_MODE, RawRequest().Word(o.handle), true, &r), 8);
  EXPECT_EQ(RawWord(r, 0), GI_BAD_HANDLE);
  DestroyWindow(w);
}

// Handle values come from the system's generator: two opens in a row give
// values that are neither small counters nor neighbours (random values fail
// this about once in a billion runs).
TEST_F(DriverService, HandleValuesAreNotCounters) {
  HWND w = RawMakeWindow("service-values");
  RawOpen a = RawOpenDevice(w), b = RawOpenDevice(w);
  ASSERT_EQ(a.status, 0);
  ASSERT_EQ(b.status, 0);
  uint32_t va = (uint32_t)a.handle, vb = (uint32_t)b.handle;
  EXPECT_NE(va, vb);
  EXPECT_GT(va > vb ? va - vb : vb - va, 1u) << va << " " << vb;
  EXPECT_GT(va | vb, 0xFFFFu) << va << " " << vb;
  // A neighbour of a value names no handle.
  std::vector<uint8_t> r;
  ASSERT_EQ(RawCall(REQ_GET_UI_MODE, RawRequest().Word((int32_t)(va + 1)), true, &r), 8);
  EXPECT_EQ(RawWord(r, 0), GI_BAD_HANDLE);
  DestroyWindow(w);
}

TEST_F(DriverService, OpenArgumentsAndShortOpen) {
  HWND w = RawMakeWindow("service-open");
  // Data that stop inside the type mask: -13 and no queue made, so the next
  // open still gets slot 0.
  RawRequest shortReq;
  shortReq.Word(4).Bytes("abc", 4).Word(-1).Word(1).Word(-1);
  EXPECT_EQ(RawCall(REQ_OPEN, shortReq, true), TRANS_NOT_ATTACHED);
  EXPECT_EQ(AppMmapLastStatus(), TRANS_LENGTH);
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, "GyrantrixMemMap00"), nullptr);

  struct Case {
    int32_t device, mode, status;
  } cases[] = {{3, 1, GI_BAD_ID}, {0, 2, GI_UNSUPPORTED}, {0, 7, GI_BAD_VALUE}};
  for (const Case &c : cases) {
    RawRequest req;
    uint8_t mask[8];
    memset(mask, 0xFF, 8);
    req.Word(4).Bytes("abc", 4).Word(c.device).Word(1).Bytes(mask, 8).Word(c.mode);
    req.Word((int32_t)(intptr_t)w).Word(0).Word(31);
    std::vector<uint8_t> r;
    ASSERT_EQ(RawCall(REQ_OPEN, req, true, &r), 20);
    EXPECT_EQ(RawWord(r, 0), c.status) << c.device << "/" << c.mode;
    EXPECT_EQ(RawWord(r, 1), 0);
    EXPECT_EQ(RawWord(r, 2), -1);
  }
  // A mask that selects only the Stick finds no device.
  {
    RawRequest req;
    uint8_t mask[8] = {0x08, 0, 0, 0, 0, 0, 0, 0};
    req.Word(4).Bytes("abc", 4).Word(-1).Word(1).Bytes(mask, 8).Word(1);
    req.Word((int32_t)(intptr_t)w).Word(0).Word(31);
    std::vector<uint8_t> r;
    ASSERT_EQ(RawCall(REQ_OPEN, req, true, &r), 20);
    EXPECT_EQ(RawWord(r, 0), GI_FAILED);
  }
  RawOpen o = RawOpenDevice(w);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.slot, 4);  // each of the four failed opens made a queue and gave it back
  DestroyWindow(w);
}

TEST_F(DriverService, DeliveryAtTheRingsEdge) {
  HWND w = RawMakeWindow("service-ring");
  RawOpen o = RawOpenDevice(w);
  ASSERT_EQ(o.status, 0);
  QueueLink *q = AppMmapOpenQueue(o.slot);
  ASSERT_NE(q, nullptr);
  RawTakeNotices(w, o.message, 0, 200);

  // 100 bytes free: a motion event does not leave room for a later zero
  // event, so a zero event goes in its place.
  ASSERT_EQ(*q->writeOffset, 0);
  *q->readOffset = 101;
  ASSERT_TRUE(SimOk("move 100 0 0 0 0 0"));
  auto n = RawTakeNotices(w, o.message, 1, 5000);
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].kind, 4u);
  EXPECT_EQ(n[0].seq, 1u);
  EXPECT_EQ(*q->writeOffset, 52);
  GiEvent ev;
  memcpy(&ev, q->ringStart + 4, 48);
  EXPECT_EQ(ev.type, GI_ZERO_EVENT);
  EXPECT_EQ(ev.period, 50);
  EXPECT_EQ(ev.tx, 0);

  // 51 bytes free: not even the zero event fits; its notice repeats the
  // last number used.
  *q->readOffset = 52 + 52;
  ASSERT_TRUE(SimOk("move 100 0 0 0 0 0"));
  n = RawTakeNotices(w, o.message, 1, 5000);
  ASSERT_EQ(n.size(), 1u);
  EXPECT_EQ(n[0].kind, 4u);
  EXPECT_EQ(n[0].seq, 1u);
  EXPECT_EQ(*q->writeOffset, 52);

  // A read offset outside the ring: the driver empties the queue instead of
  // writing where it points, and goes on delivering.
  *q->readOffset = 123456;
  ASSERT_TRUE(SimOk("move 100 0 0 0 0 0"));
  n = RawTakeNotices(w, o.message, 2, 5000);
  ASSERT_GE(n.size(), 2u);
  EXPECT_EQ(n[0].kind, (unsigned)NOTICE_QUEUE_RESET);
  EXPECT_EQ(n[1].kind, 2u);
  ASSERT_EQ(AppMmapReadEvent(q, (uint16_t)n[1].seq, &ev, sizeof ev), 0);
  EXPECT_EQ(ev.type, GI_MOTION_EVENT);
  EXPECT_EQ(ev.tx, 100);
  EXPECT_TRUE(driver.Running());
  DestroyWindow(w);
}

TEST_F(DriverService, EventsFollowTheForegroundProcess) {
  HWND w = RawMakeWindow("service-focus");
  RawOpen o = RawOpenDevice(w);
  ASSERT_EQ(o.status, 0);
  QueueLink *q = AppMmapOpenQueue(o.slot);
  ASSERT_NE(q, nullptr);

  Client other;
  ASSERT_TRUE(other.Start("focus-other"));  // it brings itself to the front
  ASSERT_TRUE(GyxWaitFor([&] { return GetForegroundWindow() == other.window; }, 3000));
  RawTakeNotices(w, o.message, 0, 300);
  ASSERT_TRUE(SimOk("move 0 200 0 0 0 0"));
  EXPECT_TRUE(other.WaitFor("type=2")) << other.Text();
  EXPECT_TRUE(RawTakeNotices(w, o.message, 1, 300).empty());

  ASSERT_TRUE(RawForeground(w));
  ASSERT_TRUE(SimOk("move 0 300 0 0 0 0"));
  auto n = RawTakeNotices(w, o.message, 1, 5000);
  ASSERT_FALSE(n.empty());
  GiEvent ev;
  ASSERT_EQ(AppMmapReadEvent(q, (uint16_t)n.back().seq, &ev, sizeof ev), 0);
  EXPECT_EQ(ev.ty, 300);

  // The other application lost the device in mid-motion: one zero event.
  EXPECT_TRUE(other.WaitFor("type=4")) << other.Text();
  EXPECT_EQ(other.Count("type=4"), 1) << other.Text();
  EXPECT_NE(other.Text().find("period=50"), std::string::npos);
  DestroyWindow(w);
}

TEST_F(DriverService, GrabTakesEffectAtTheNextFocusComputation) {
  HWND w = RawMakeWindow("service-grab");
  RawOpen o = RawOpenDevice(w);
  ASSERT_EQ(o.status, 0);
  Client other;
  ASSERT_TRUE(other.Start("grab-other"));
  ASSERT_TRUE(RawForeground(w));
  ASSERT_TRUE(SimOk("press 2"));
  ASSERT_EQ(RawTakeNotices(w, o.message, 1, 5000).size(), 1u);

  other.Post(WM_APP + 1, 1);  // grab slot, from the background
  ASSERT_TRUE(other.WaitFor("grab flag=1 status=0"));
  ASSERT_TRUE(SimOk("release all"));
  EXPECT_EQ(RawTakeNotices(w, o.message, 1, 5000).size(), 1u);  // still ours

  // The foreground changes (away and back, each seen by a focus poll): the
  // grab now wins.
  HWND w2 = RawMakeWindow("service-grab-2");
  Sleep(400);
  ASSERT_TRUE(RawForeground(w));
  Sleep(400);
  ASSERT_TRUE(SimOk("press 2"));
  EXPECT_TRUE(other.WaitFor("type=1")) << other.Text();
  EXPECT_TRUE(RawTakeNotices(w, o.message, 1, 500).empty());

  // A second grab by us fails while the other holds it.
  std::vector<uint8_t> r;
  ASSERT_EQ(RawCall(REQ_GRAB, RawRequest().Word(o.handle).Word(1), true, &r), 4);
  EXPECT_EQ(RawWord(r, 0), GI_FAILED);
  DestroyWindow(w2);
  DestroyWindow(w);
}

TEST_F(DriverService, BackgroundSlotGetsEventsWhenNoClientIsInFront) {
  Client bg;
  ASSERT_TRUE(bg.Start("background", {"--grab", "0"}));
  ASSERT_TRUE(bg.WaitFor("grab flag=0 status=0"));
  HWND w = RawMakeWindow("service-nobody");  // ours, with no handle open
  ASSERT_TRUE(RawForeground(w));
  Sleep(400);
  ASSERT_TRUE(SimOk("move 0 0 50 0 0 0"));
  EXPECT_TRUE(bg.WaitFor("type=2")) << bg.Text();

  // Once it releases the slot, nobody gets the next event.
  bg.Post(WM_APP + 2);
  ASSERT_TRUE(bg.WaitFor("release rc=0"));
  HWND w2 = RawMakeWindow("service-nobody-2");  // a new foreground: recompute
  Sleep(400);
  int before = bg.Count("event ");
  ASSERT_TRUE(SimOk("move 0 0 60 0 0 0"));
  Sleep(500);
  EXPECT_EQ(bg.Count("event "), before) << bg.Text();
  DestroyWindow(w2);
  DestroyWindow(w);
}

TEST_F(DriverService, EventTypeMaskAndFilterOnTheWire) {
  HWND w = RawMakeWindow("service-mask");
  RawOpen o = RawOpenDevice(w, -1, 1 << (GI_BUTTON_EVENT - 1));  // buttons only
  ASSERT_EQ(o.status, 0);
  ASSERT_TRUE(SimOk("move 10 0 0 0 0 0"));
  EXPECT_TRUE(RawTakeNotices(w, o.message, 1, 600).empty());
  ASSERT_TRUE(SimOk("press 2"));
  EXPECT_EQ(RawTakeNotices(w, o.message, 1, 5000).size(), 1u);
  ASSERT_TRUE(SimOk("release all"));
  RawTakeNotices(w, o.message, 1, 5000);

  // The 2200's rezero button: the device is rezeroed ("cC" beep, then Z),
  // and no button event reaches the application.
  Sim("clear");
  ASSERT_TRUE(SimOk("press rezero"));
  EXPECT_EQ(Sim("waitcmd BcC\\r timeout=5000"), "ok") << SimLog();
  EXPECT_EQ(Sim("waitcmd Z\\r timeout=5000"), "ok") << SimLog();
  EXPECT_TRUE(RawTakeNotices(w, o.message, 1, 600).empty());
  DestroyWindow(w);
}

TEST_F(DriverService, VanishedWindowIsPrunedAndShutdownAccepted) {
  Client c;
  ASSERT_TRUE(c.Start("pruned"));
  EXPECT_EQ(RunDriverCommand("-shutdown -quiet"), 3u);  // refused while it holds the device
  EXPECT_TRUE(driver.Running());
  c.Post(WM_APP + 3);  // its window goes, its handle stays open
  ASSERT_TRUE(c.WaitFor("destroy"));
  ASSERT_TRUE(GyxWaitFor([&] { return !IsWindow(c.window); }, 3000));
  Sim("clear");
  AppMmapDetach();
  EXPECT_EQ(RunDriverCommand("-shutdown -quiet"), 0u);
  unsigned long code = 99;
  ASSERT_TRUE(driver.Wait(15000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_NE(SimLog().find("Bf\\r"), std::string::npos);  // pruning closed it, with its beep
}

TEST_F(DriverService, ShutdownQuestionWhileAClientHoldsTheDevice) {
  Client c;
  ASSERT_TRUE(c.Start("holder"));
  AppMmapDetach();

  // No: the driver keeps running, exit 3.
  GyxProcess ask;
  ASSERT_TRUE(ask.Start(GyxBinPath("gyxsrv.exe"), "-shutdown"));
  ASSERT_TRUE(AnswerBox(ask.Pid(), "Force driver to shut down?", IDNO, false));
  unsigned long code = 0;
  ASSERT_TRUE(ask.Wait(10000, &code));
  EXPECT_EQ(code, 3u);
  EXPECT_TRUE(driver.Running());

  // Quiet: the same without a box.
  EXPECT_EQ(RunDriverCommand("-shutdown -quiet"), 3u);

  // Yes: forced, and the client is told that the driver is gone.
  GyxProcess yes;
  ASSERT_TRUE(yes.Start(GyxBinPath("gyxsrv.exe"), "-shutdown"));
  ASSERT_TRUE(AnswerBox(yes.Pid(), "Force driver to shut down?", IDYES, false));
  ASSERT_TRUE(AnswerBox(yes.Pid(), "Shut down successful.", IDOK));
  ASSERT_TRUE(yes.Wait(10000, &code));
  EXPECT_EQ(code, 0u);
  ASSERT_TRUE(driver.Wait(15000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(c.WaitFor("kind=255 seq=0")) << c.Text();
}

TEST_F(DriverService, ForcedShutdownSkipsTheQuestion) {
  Client c;
  ASSERT_TRUE(c.Start("forced"));
  AppMmapDetach();
  GyxProcess p;
  ASSERT_TRUE(p.Start(GyxBinPath("gyxsrv.exe"), "-shutdown -force -quiet"));
  unsigned long code = 99;
  ASSERT_TRUE(p.Wait(15000, &code));
  EXPECT_EQ(code, 0u);
  ASSERT_TRUE(driver.Wait(15000, &code));
  EXPECT_TRUE(c.WaitFor("kind=255 seq=0")) << c.Text();
  // The shut-down closed the port first, so closing the handle beeped nothing.
  EXPECT_EQ(SimLog().find("Bf\\r"), std::string::npos) << SimLog();
}

}  // namespace
